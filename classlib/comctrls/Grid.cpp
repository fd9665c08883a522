// TCustomGrid: sizes, geometry (fixed cells first, then the scrolled ones
// from TopRow and LeftCol), the current cell and selection, and painting.
#include <algorithm>

#include "classlib/comctrls/Grids.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/Pen.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv {

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  SetColor(clWindow);
  SetTabStop(true);
  colWidths_.assign(5, defaultColWidth_);
  rowHeights_.assign(5, defaultRowHeight_);
  SetBounds(0, 0, 320, 120);
}

void TCustomGrid::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) Params.Style |= WS_VSCROLL;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) Params.Style |= WS_HSCROLL;
}

// ---- sizes ----

void TCustomGrid::SetColCount(int Value) {
  Value = std::max(Value, 1);
  colWidths_.resize(size_t(Value), defaultColWidth_);
  fixedCols_ = std::min(fixedCols_, Value - 1);
  if (fixedCols_ < 0) fixedCols_ = 0;
  current_.X = std::clamp(current_.X, fixedCols_, Value - 1);
  anchor_.X = std::clamp(anchor_.X, fixedCols_, Value - 1);
  ClampTopLeft();
  Invalidate();
}

void TCustomGrid::SetRowCount(int Value) {
  Value = std::max(Value, 1);
  rowHeights_.resize(size_t(Value), defaultRowHeight_);
  fixedRows_ = std::min(fixedRows_, Value - 1);
  if (fixedRows_ < 0) fixedRows_ = 0;
  current_.Y = std::clamp(current_.Y, fixedRows_, Value - 1);
  anchor_.Y = std::clamp(anchor_.Y, fixedRows_, Value - 1);
  ClampTopLeft();
  Invalidate();
}

// There is always at least one scrolling column and row.
// New fixed parts start the grid over: the first scrolling cell is current and on top.
void TCustomGrid::SetFixedCols(int Value) {
  fixedCols_ = std::clamp(Value, 0, ColCount() - 1);
  ResetPosition();
}

void TCustomGrid::SetFixedRows(int Value) {
  fixedRows_ = std::clamp(Value, 0, RowCount() - 1);
  ResetPosition();
}

void TCustomGrid::ResetPosition() {
  topLeft_ = TGridCoord{fixedCols_, fixedRows_};
  current_ = anchor_ = topLeft_;
  ClampTopLeft();
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
  defaultColWidth_ = std::max(Value, 0);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
  defaultRowHeight_ = std::max(Value, 0);
  std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
  UpdateScrollBars();
  Invalidate();
}

int TCustomGrid::ColWidths(int Index) const {
  return Index >= 0 && Index < ColCount() ? colWidths_[size_t(Index)] : defaultColWidth_;
}

int TCustomGrid::RowHeights(int Index) const {
  return Index >= 0 && Index < RowCount() ? rowHeights_[size_t(Index)] : defaultRowHeight_;
}

void TCustomGrid::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= ColCount()) return;
  colWidths_[size_t(Index)] = std::max(Value, 0);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
  if (Index < 0 || Index >= RowCount()) return;
  rowHeights_[size_t(Index)] = std::max(Value, 0);
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::SetGridLineWidth(int Value) {
  gridLineWidth_ = std::max(Value, 0);
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  options_ = Value;
  if (!options_.Contains(goRangeSelect)) anchor_ = current_;
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
  if (scrollBars_ == Value) return;
  scrollBars_ = Value;
  RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

// ---- geometry ----

int TCustomGrid::LineX() const {
  return options_.Contains(goVertLine) || options_.Contains(goFixedVertLine) ? gridLineWidth_ : 0;
}

int TCustomGrid::LineY() const {
  return options_.Contains(goHorzLine) || options_.Contains(goFixedHorzLine) ? gridLineWidth_ : 0;
}

int TCustomGrid::ColLeft(int ACol) {
  if (ACol < 0 || ACol >= ColCount() || (ACol >= fixedCols_ && ACol < topLeft_.X)) return -1;
  int x = 0;
  for (int c = 0; c < std::min(ACol, fixedCols_); ++c) x += ColWidths(c) + LineX();
  for (int c = topLeft_.X; c < ACol; ++c) x += ColWidths(c) + LineX();
  return x;
}

int TCustomGrid::RowTop(int ARow) {
  if (ARow < 0 || ARow >= RowCount() || (ARow >= fixedRows_ && ARow < topLeft_.Y)) return -1;
  int y = 0;
  for (int r = 0; r < std::min(ARow, fixedRows_); ++r) y += RowHeights(r) + LineY();
  for (int r = topLeft_.Y; r < ARow; ++r) y += RowHeights(r) + LineY();
  return y;
}

RECT TCustomGrid::CellRect(int ACol, int ARow) {
  int x = ColLeft(ACol), y = RowTop(ARow);
  RECT client = ClientRect();
  if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) return RECT{0, 0, 0, 0};
  return RECT{x, y, x + ColWidths(ACol), y + RowHeights(ARow)};
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) {
  TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
  TGridCoord out{-1, -1};
  auto find = [](int pos, int count, int fixed, int first, auto size, int line) {
    int at = 0;
    for (int i = 0; i < count; ++i) {
      if (i == fixed) i = std::max(first, fixed);
      if (i >= count) break;
      int next = at + size(i) + line;
      if (pos >= at && pos < next) return i;
      at = next;
    }
    return -1;
  };
  if (X < 0 || Y < 0) return out;
  out.X = find(
      X, ColCount(), fixedCols_, topLeft_.X, [this](int i) { return ColWidths(i); }, LineX());
  out.Y = find(
      Y, RowCount(), fixedRows_, topLeft_.Y, [this](int i) { return RowHeights(i); }, LineY());
  if (out.X < 0 || out.Y < 0) out = TGridCoord{-1, -1};
  return out;
}

int TCustomGrid::VisibleColCount() {
  int width = ClientWidth(), x = ColLeft(topLeft_.X), n = 0;
  for (int c = topLeft_.X; c < ColCount() && x + ColWidths(c) <= width; ++c, ++n) x += ColWidths(c) + LineX();
  return n;
}

int TCustomGrid::VisibleRowCount() {
  int height = ClientHeight(), y = RowTop(topLeft_.Y), n = 0;
  for (int r = topLeft_.Y; r < RowCount() && y + RowHeights(r) <= height; ++r, ++n)
    y += RowHeights(r) + LineY();
  return n;
}

void TCustomGrid::ClampTopLeft() {
  topLeft_.X = std::clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, ColCount() - 1));
  topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, RowCount() - 1));
  UpdateScrollBars();
}

void TCustomGrid::SetTopRow(int Value) {
  topLeft_.Y = Value;
  ClampTopLeft();
  Invalidate();
}

void TCustomGrid::SetLeftCol(int Value) {
  topLeft_.X = Value;
  ClampTopLeft();
  Invalidate();
}

void TCustomGrid::ScrollIntoView(int ACol, int ARow) {
  TGridCoord before = topLeft_;
  if (ACol < topLeft_.X) topLeft_.X = ACol;
  if (ARow < topLeft_.Y) topLeft_.Y = ARow;
  RECT client = ClientRect();
  while (topLeft_.X < ACol && ColLeft(ACol) + ColWidths(ACol) > client.right) ++topLeft_.X;
  while (topLeft_.Y < ARow && RowTop(ARow) + RowHeights(ARow) > client.bottom) ++topLeft_.Y;
  if (!(before == topLeft_)) {
    ClampTopLeft();
    Invalidate();
  }
}

void TCustomGrid::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
    si.nMin = fixedRows_;
    si.nMax = RowCount() - 1;
    si.nPage = UINT(std::max(VisibleRowCount(), 1));
    si.nPos = topLeft_.Y;
    SetScrollInfo(WindowHandle(), SB_VERT, &si, TRUE);
  }
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) {
    si.nMin = fixedCols_;
    si.nMax = ColCount() - 1;
    si.nPage = UINT(std::max(VisibleColCount(), 1));
    si.nPos = topLeft_.X;
    SetScrollInfo(WindowHandle(), SB_HORZ, &si, TRUE);
  }
}

// ---- selection ----

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(current_.X, anchor_.X), std::min(current_.Y, anchor_.Y),
              std::max(current_.X, anchor_.X), std::max(current_.Y, anchor_.Y)};
  if (options_.Contains(goRowSelect)) {
    r.Left = fixedCols_;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(TGridRect Value) {
  if (!MoveCurrent(Value.Left, Value.Top, true, false)) return;
  if (options_.Contains(goRangeSelect)) {
    anchor_ = TGridCoord{std::clamp(Value.Right, fixedCols_, ColCount() - 1),
                         std::clamp(Value.Bottom, fixedRows_, RowCount() - 1)};
  }
  Invalidate();
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

bool TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool DoClick) {
  if (ACol < fixedCols_ || ARow < fixedRows_ || ACol >= ColCount() || ARow >= RowCount()) return false;
  auto alive = AliveToken();
  if (!SelectCell(ACol, ARow) || alive.expired()) return false;
  current_ = TGridCoord{ACol, ARow};
  if (MoveAnchor || !options_.Contains(goRangeSelect)) anchor_ = current_;
  ScrollIntoView(ACol, ARow);
  UpdateScrollBars();
  Invalidate();
  if (DoClick) Click();
  return true;
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
  RECT r = CellRect(ACol, ARow);
  if (HandleAllocated() && r.right > r.left) InvalidateRect(WindowHandle(), &r, FALSE);
}

// ---- painting ----

TGridDrawState TCustomGrid::StateOf(int ACol, int ARow) {
  TGridDrawState s;
  if (ACol < fixedCols_ || ARow < fixedRows_) return TGridDrawState{gdFixed};
  TGridRect sel = Selection();
  if (ACol >= sel.Left && ACol <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom) s.Include(gdSelected);
  if (ACol == current_.X && ARow == current_.Y && Focused()) s.Include(gdFocused);
  return s;
}

void TCustomGrid::DrawLines(int ACol, int ARow, const RECT& R, bool Fixed) {
  bool vert = options_.Contains(Fixed ? goFixedVertLine : goVertLine);
  bool horz = options_.Contains(Fixed ? goFixedHorzLine : goHorzLine);
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Fixed ? clBlack : clSilver);
  if (vert && LineX() > 0) c->FillRect(RECT{R.right, R.top, R.right + LineX(), R.bottom + LineY()});
  if (horz && LineY() > 0) c->FillRect(RECT{R.left, R.bottom, R.right + LineX(), R.bottom + LineY()});
  if (Fixed && (vert || horz)) {
    RECT edge = R;
    DrawEdge(c->Handle(), &edge, BDR_RAISEDINNER, BF_TOPLEFT);
  }
  (void)ACol;
  (void)ARow;
}

void TCustomGrid::Paint() {
  TCanvas* c = Canvas();
  RECT client = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(client);
  auto rows = [&](auto each) {
    for (int r = 0; r < RowCount(); ++r) {
      if (r == fixedRows_) r = std::max(r, topLeft_.Y);
      if (r >= RowCount()) break;
      int top = RowTop(r);
      if (top >= client.bottom) break;
      each(r);
    }
  };
  rows([&](int r) {
    for (int col = 0; col < ColCount(); ++col) {
      if (col == fixedCols_) col = std::max(col, topLeft_.X);
      if (col >= ColCount()) break;
      RECT rect = CellRect(col, r);
      if (rect.right <= rect.left && ColWidths(col) > 0) break;
      TGridDrawState state = StateOf(col, r);
      bool fixed = state.Contains(gdFixed);
      c->Font()->Assign(Font());
      if (DefaultDrawing) {
        bool highlight = state.Contains(gdSelected) &&
                         (!state.Contains(gdFocused) || options_.Contains(goDrawFocusSelected) ||
                          options_.Contains(goRowSelect));
        c->Brush()->SetColor(fixed ? FixedColor : highlight ? clHighlight : Color());
        if (highlight) c->Font()->SetColor(clHighlightText);
        c->FillRect(rect);
      } else {
        c->Brush()->SetColor(fixed ? FixedColor : Color());
      }
      DrawCell(col, r, rect, state);
      if (DefaultDrawing && state.Contains(gdFocused) && !options_.Contains(goRowSelect))
        c->DrawFocusRect(rect);
      DrawLines(col, r, rect, fixed);
    }
  });
}

}  // namespace qv
