// Painting: each visible row drawn by the row painter into an off-screen row
// bitmap, then copied to the target in one block transfer; the pieces the
// painter calls back for (lines, bands, buttons, check images, grid lines).
#include <algorithm>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/graphics/Picture.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeDrawing.h"
#include "datatree/RowPainter.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Messages.h"
#include "platform/window/Paint.h"

namespace qv {

void TBaseDataTree::EnsureRowBuffer(int Width, int Height) {
  if (rowDC_ && rowSize_.cx >= Width && rowSize_.cy >= Height) return;
  int w = std::max<int>(Width, rowSize_.cx), h = std::max<int>(Height, rowSize_.cy);
  FreeRowBuffer();
  rowDC_ = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  rowBitmap_ = CreateDIBSection(rowDC_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  rowOldBitmap_ = SelectObject(rowDC_, rowBitmap_);
  rowSize_ = SIZE{w, h};
}

void TBaseDataTree::FreeRowBuffer() {
  if (!rowDC_) return;
  SelectObject(rowDC_, rowOldBitmap_);
  DeleteObject(rowBitmap_);
  DeleteDC(rowDC_);
  rowDC_ = nullptr;
  rowBitmap_ = nullptr;
  rowSize_ = SIZE{};
}

HBRUSH TBaseDataTree::DottedBrush(TColor Color, TColor Background) {
  // An 8 x 8 chequer of the line colour over the background.
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 8;
  bi.bmiHeader.biHeight = -8;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* px = static_cast<uint32_t*>(bits);
  COLORREF on = COLORREF(ColorToRGB(Color)), off = COLORREF(ColorToRGB(Background));
  auto bgr = [](COLORREF c) {
    return uint32_t(GetBValue(c)) | uint32_t(GetGValue(c)) << 8 | uint32_t(GetRValue(c)) << 16;
  };
  if (lineStyle_ == lsSolid) off = on;
  // A custom style: eight rows of eight bits from the owner (bit set = line colour).
  const uint8_t* custom = lineStyle_ == lsCustomStyle ? customLinePattern_.get() : nullptr;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool lit = custom ? ((custom[y] >> (7 - x)) & 1) != 0 : ((x + y) & 1) == 0;
      px[y * 8 + x] = bgr(lit ? on : off);
    }
  HBRUSH brush = CreatePatternBrush(bmp);
  DeleteObject(bmp);
  return brush;
}

int TBaseDataTree::GetCheckImage(PDataNode Node) const {
  bool hot = Node == focus_.Hot();
  bool disabled = Node->Has(vsDisabled) || !Enabled();
  int state = disabled ? 3
              : (Node->CheckState == csUncheckedPressed || Node->CheckState == csCheckedPressed ||
                 Node->CheckState == csMixedPressed)
                  ? 2
              : hot ? 1
                    : 0;
  bool checked = Node->CheckState == csCheckedNormal || Node->CheckState == csCheckedPressed;
  bool mixed = Node->CheckState == csMixedNormal || Node->CheckState == csMixedPressed;
  // A mixed radio button or button is drawn as a mixed check box.
  if (mixed && (Node->CheckType == ctRadioButton || Node->CheckType == ctButton)) return 17 + state;
  switch (Node->CheckType) {
    case ctRadioButton:
      return 1 + (checked ? 4 : 0) + state;
    case ctCheckBox:
    case ctTriStateCheckBox:
      return 9 + (mixed ? 8 : checked ? 4 : 0) + state;
    case ctButton:
      return 21 + state;
    default:
      return -1;
  }
}

void TBaseDataTree::PaintGridLine(HDC DC, const RECT& R, TColor Color, TColor Background) {
  if (gridBrush_ && Background == this->Color()) {
    FillRect(DC, &R, gridBrush_);
    return;
  }
  HBRUSH b = DottedBrush(Color, Background);
  FillRect(DC, &R, b);
  DeleteObject(b);
}

void TBaseDataTree::PaintTreeLines(HDC DC, PDataNode Node, int Left, int Height, int Level, int ButtonY) {
  // Left is the main column's left edge; one indent per level.
  bool showRoot = options_->PaintOptions().Contains(toShowRoot);
  HBRUSH brush = lineBrush_ ? lineBrush_ : DottedBrush(colors_->Get(TDTColors::TreeLineColor), Color());
  // Ancestors that have following siblings draw a straight line through the row.
  int levels = Level + (showRoot ? 1 : 0);
  PDataNode run = Node;
  for (int l = levels - 1; l >= 0; --l) {
    int x = Left + l * int(indent_) + int(indent_) / 2;
    if (run == Node) {
      bool hasNext = false;
      for (PDataNode s = Node->NextSibling; s && !hasNext; s = s->NextSibling) hasNext = s->Has(vsVisible);
      bool hasPrev = Node->Parent != root_ || Node->PrevSibling;
      RECT v{x, hasPrev ? 0 : ButtonY, x + 1, hasNext ? Height : ButtonY + 1};
      if (v.bottom > v.top) FillLine(DC, v, brush);
      RECT h{x, ButtonY, Left + (l + 1) * int(indent_), ButtonY + 1};
      FillLine(DC, h, brush);
    } else {
      bool hasNext = false;
      for (PDataNode s = run->NextSibling; s && !hasNext; s = s->NextSibling) hasNext = s->Has(vsVisible);
      if (hasNext) {
        RECT v{x, 0, x + 1, Height};
        FillLine(DC, v, brush);
      }
    }
    run = run->Parent;
    if (run == root_) break;
  }
  if (brush != lineBrush_) DeleteObject(brush);
}

void TBaseDataTree::FillLine(HDC DC, RECT R, HBRUSH Brush) {
  if (mirrorLines_) {
    int left = mirrorSum_ - R.right;
    R.right = mirrorSum_ - R.left;
    R.left = left;
  }
  FillRect(DC, &R, Brush);
}

void TBaseDataTree::PaintBands(HDC DC, PDataNode Node, int Left, int Height, int Level) {
  // One line type per level as the tree lines would draw it, then the band
  // each level shows: a left edge, closed at the bottom by a last sibling.
  bool showRoot = options_->PaintOptions().Contains(toShowRoot);
  int levels = Level + (showRoot ? 1 : 0);
  if (levels <= 0) return;
  auto hasNextVisible = [](PDataNode n) {
    for (PDataNode s = n->NextSibling; s; s = s->NextSibling)
      if (s->Has(vsVisible)) return true;
    return false;
  };
  std::vector<TDTLineType> lines(size_t(levels), ltNone), bands(size_t(levels), ltNone);
  PDataNode run = Node;
  for (int l = levels - 1; l >= 0 && run != root_; --l, run = run->Parent) {
    bool next = hasNextVisible(run);
    if (run == Node)
      lines[size_t(l)] = next ? ltTopDownRight : ltTopRight;
    else
      lines[size_t(l)] = next ? ltTopDown : ltNone;
  }
  bool open = Node->Has(vsExpanded) && Node->ChildCount > 0 && !Node->Has(vsAllChildrenHidden);
  for (int l = levels - 1; l >= 0; --l) {
    if (open) {
      bands[size_t(l)] = ltLeft;
      continue;
    }
    switch (lines[size_t(l)]) {
      case ltNone:
        if (l + 1 < levels)
          bands[size_t(l)] = lines[size_t(l) + 1] != ltNone && lines[size_t(l) + 1] != ltTopRight
                                 ? ltLeft
                                 : bands[size_t(l) + 1];
        break;
      case ltBottomRight:
      case ltTopDownRight:
        bands[size_t(l)] = ltLeft;
        break;
      case ltRight:
      case ltTopRight:
        bands[size_t(l)] = ltLeftBottom;
        break;
      default:
        break;
    }
  }
  HBRUSH brush = gridBrush_ ? gridBrush_ : DottedBrush(colors_->Get(TDTColors::GridLineColor), Color());
  int h = Height - 1;
  for (int l = 0; l < levels; ++l) {
    int x = Left + l * int(indent_);
    if (bands[size_t(l)] == ltLeft || bands[size_t(l)] == ltLeftBottom) {
      RECT v{x, 0, x + 1, h + 1};
      FillLine(DC, v, brush);
    }
    if (bands[size_t(l)] == ltLeftBottom) {
      RECT b{x, h, x + int(indent_), h + 1};
      FillLine(DC, b, brush);
    }
  }
  if (brush != gridBrush_) DeleteObject(brush);
}

void TBaseDataTree::PaintDropMark(HDC DC, const RECT& Row, int Mode) {
  // A flat arrow along the row's top or bottom edge (modes above and below only).
  if (Mode != 1 && Mode != 3) return;
  int L = Row.left, R = Row.right, T = Row.top, B = Row.bottom;
  POINT below[6] = {{L + 2, B - 1}, {R - 2, B - 1}, {R - 2, B - 8},
                    {R - 7, B - 3}, {L + 7, B - 3}, {L + 2, B - 8}};
  POINT above[6] = {{L + 2, T}, {R - 2, T}, {R - 2, T + 6}, {R - 6, T + 2}, {L + 6, T + 2}, {L + 2, T + 6}};
  HBRUSH brush = CreateSolidBrush(COLORREF(ColorToRGB(colors_->Get(TDTColors::DropMarkColor))));
  HGDIOBJ oldBrush = SelectObject(DC, brush), oldPen = SelectObject(DC, GetStockObject(NULL_PEN));
  Polygon(DC, Mode == 3 ? below : above, 6);
  SelectObject(DC, oldPen);
  SelectObject(DC, oldBrush);
  DeleteObject(brush);
}

void TBaseDataTree::PrintClient(HDC DC) {
  RECT client = ClientRect();
  if (client.bottom <= 0) return;
  TPaintTreeFlags flags{ptBackground, ptFocusRect, ptSelection, ptDropMark, ptGridLines};
  PaintTree(DC, RECT{-offsetX_, -offsetY_, client.right - offsetX_, client.bottom - offsetY_}, POINT{0, 0},
            flags);
}

void TBaseDataTree::PaintCheckImage(HDC DC, PDataNode Node, int X, int Y) {
  int index = GetCheckImage(Node);
  if (index >= 0 && checkImages_) ImageList_Draw(checkImages_->Handle(), index, DC, X, Y, ILD_TRANSPARENT);
}

void TBaseDataTree::PaintCellSelection(HDC DC, const RECT& R, bool Focused, bool DropTarget) {
  if (R.right <= R.left || R.bottom <= R.top) return;
  TColor fill = colors_->Get(DropTarget ? TDTColors::DropTargetColor
                             : Focused  ? TDTColors::FocusedSelectionColor
                                        : TDTColors::UnfocusedSelectionColor);
  TColor border = colors_->Get(DropTarget ? TDTColors::DropTargetBorderColor
                               : Focused  ? TDTColors::FocusedSelectionBorderColor
                                          : TDTColors::UnfocusedSelectionBorderColor);
  if (options_->PaintOptions().Contains(toUseBlendedSelection)) {
    // A wash of the selection colour over what is painted (device coordinates).
    POINT corners[2] = {{R.left, R.top}, {R.right, R.bottom}};
    LPtoDP(DC, corners, 2);
    BlendRect(nullptr, DC, RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y}, POINT{}, bmColorWash,
              SelectionBlendFactor, fill);
    return;
  }
  HBRUSH brush = CreateSolidBrush(COLORREF(ColorToRGB(fill)));
  HPEN pen = CreatePen(PS_SOLID, 1, COLORREF(ColorToRGB(border)));
  HGDIOBJ oldBrush = SelectObject(DC, brush), oldPen = SelectObject(DC, pen);
  int radius = int(selectionCurveRadius_);
  if (radius > 0)
    RoundRect(DC, R.left, R.top, R.right, R.bottom, radius, radius);
  else
    Rectangle(DC, R.left, R.top, R.right, R.bottom);
  SelectObject(DC, oldPen);
  SelectObject(DC, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

bool TBaseDataTree::TileBackground(HDC DC, const RECT& Row, int AbsoluteTop) {
  // An empty picture tiles nothing (and divides by nothing).
  int w = background_->Width(), h = background_->Height();
  if (w <= 0 || h <= 0) return false;
  TBitmap* bmp = background_->Bitmap();
  if (!bmp || bmp->Empty()) return false;
  HDC src = bmp->Canvas()->Handle();
  auto floorMod = [](int a, int m) { return ((a % m) + m) % m; };
  int rowH = Row.bottom - Row.top;
  int startX = Row.left - floorMod(Row.left - backgroundOffsetX_, w);
  int startY = AbsoluteTop - floorMod(AbsoluteTop - backgroundOffsetY_, h);
  for (int y = startY; y < AbsoluteTop + rowH; y += h)
    for (int x = startX; x < Row.right; x += w) BitBlt(DC, x, y - AbsoluteTop, w, h, src, 0, 0, SRCCOPY);
  return true;
}

bool TBaseDataTree::PaintStaticBackground(HDC DC, const RECT& R, int AbsoluteTop) {
  TBitmap* bmp = background_->Bitmap();
  int w = background_->Width(), h = background_->Height();
  if (!bmp || bmp->Empty() || w <= 0 || h <= 0) return false;
  HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(Color())));
  FillRect(DC, &R, b);
  DeleteObject(b);
  // Where the picture is in R's coordinates: at the offsets of the rows' area
  // on the screen, so it stays while the content scrolls.
  int px = backgroundOffsetX_ - offsetX_, py = backgroundOffsetY_ - offsetY_ - AbsoluteTop;
  RECT picture{px, py, px + w, py + h}, part;
  if (!IntersectRect(&part, &picture, &R)) return true;
  HDC src = bmp->Canvas()->Handle();
  int pw = part.right - part.left, ph = part.bottom - part.top;
  if (bmp->Transparent())
    // Where the mask is set the tree's colour stays.
    MaskBlt(DC, part.left, part.top, pw, ph, src, part.left - px, part.top - py, bmp->MaskHandle(),
            part.left - px, part.top - py, 0xCC000000 | 0x00AA0029);
  else
    BitBlt(DC, part.left, part.top, pw, ph, src, part.left - px, part.top - py, SRCCOPY);
  return true;
}

bool TBaseDataTree::PaintBackground(HDC DC, const RECT& R, int AbsoluteTop) {
  if (options_->PaintOptions().Contains(toStaticBackground)) return PaintStaticBackground(DC, R, AbsoluteTop);
  return TileBackground(DC, R, AbsoluteTop);
}

class TBaseDataTree::TRowHooks final : public IRowPaintHooks {
 public:
  explicit TRowHooks(TBaseDataTree& Tree) : t_(Tree) {}
  void Background(HDC DC, const RECT& R, int AbsoluteTop) override { t_.PaintBackground(DC, R, AbsoluteTop); }
  void CellSelection(HDC DC, const RECT& R, bool Focused, bool DropTarget) override {
    t_.PaintCellSelection(DC, R, Focused, DropTarget);
  }
  void GridLine(HDC DC, const RECT& R, TColor Color, TColor Background) override {
    t_.PaintGridLine(DC, R, Color, Background);
  }
  void TreeLines(HDC DC, PDataNode Node, int Left, int Height, int Level, int ButtonY, bool Mirror,
                 int MirrorSum) override {
    Mirrored m(t_, Mirror, MirrorSum);
    t_.PaintTreeLines(DC, Node, Left, Height, Level, ButtonY);
  }
  void Bands(HDC DC, PDataNode Node, int Left, int Height, int Level, bool Mirror, int MirrorSum) override {
    Mirrored m(t_, Mirror, MirrorSum);
    t_.PaintBands(DC, Node, Left, Height, Level);
  }
  void NodeButton(HDC DC, PDataNode Node, int X, int Y) override { t_.PaintNodeButton(DC, Node, X, Y); }
  void CheckImage(HDC DC, PDataNode Node, int X, int Y) override { t_.PaintCheckImage(DC, Node, X, Y); }
  void Image(TDTCellPaintInfo& Info, const TDTImageInfo& Image, bool DoOverlay) override {
    t_.PaintImage(Info, Image, DoOverlay);
  }
  void NodeContent(TDTCellPaintInfo& Info) override { t_.PaintNodeContent(Info, ttNormal); }

 private:
  // Lines drawn mirrored in the cell while one lives.
  struct Mirrored {
    Mirrored(TBaseDataTree& T, bool On, int Sum) : t(T) {
      t.mirrorLines_ = On;
      t.mirrorSum_ = Sum;
    }
    ~Mirrored() { t.mirrorLines_ = false; }
    TBaseDataTree& t;
  };
  TBaseDataTree& t_;
};

void TBaseDataTree::PaintRow(PDataNode Node, const RECT& Window, TPaintTreeFlags Options, int Level,
                             int ButtonY) {
  TRowHooks hooks(*this);
  TRowPaintContext c{this,
                     &hooks,
                     rowDC_,
                     paintCanvas_.get(),
                     options_->PaintOptions(),
                     options_->SelectionOptions(),
                     options_->MiscOptions(),
                     options_->AutoOptions(),
                     header_.get(),
                     focus_.Node(),
                     paintFocusMark_,
                     focus_.Column(),
                     dropTargetNode_,
                     int(LastDropMode()),
                     states_.Contains(tsEditing),
                     Focused() || options_->PaintOptions().Contains(toPopupMode),
                     checkImages_,
                     stateImages_,
                     images_,
                     margin_,
                     int(indent_),
                     lineMode_,
                     colors_->Get(TDTColors::GridLineColor),
                     Color(),
                     bidiMode_,
                     alignment_,
                     std::max(RangeX(), ClientWidth() - offsetX_),
                     rowAbsoluteTop_};
  TRowPainter(c).Paint(Node, Window, Options, Level, ButtonY);
  rangeXSeen_ = std::max(rangeXSeen_, c.WidestSeen);
}

void TBaseDataTree::PaintTree(HDC TargetDC, const RECT& Window, POINT Target, TPaintTreeFlags PaintOptions) {
  DoStateChange({tsPainting});
  if (OnBeforePaint) OnBeforePaint(this, paintCanvas_.get());
  int width = Window.right - Window.left;
  if (width <= 0 || Window.bottom <= Window.top) {
    DoStateChange({}, {tsPainting});
    return;
  }
  bool focused = Focused();
  TDTPaintOptions po = options_->PaintOptions();
  if (po.Contains(toAlwaysHideSelection) || (po.Contains(toHideSelection) && !focused))
    PaintOptions.Exclude(ptSelection);
  // The focus rectangle is hidden where the selection shows the focus; with
  // nothing selected it is all that shows it.
  if (po.Contains(toHideFocusRect) && !(focused && selection_.Count() == 0))
    PaintOptions.Exclude(ptFocusRect);
  bool band = (states_.Contains(tsDrawSelecting) || states_.Contains(tsDrawSelPending)) && band_.HasArea();
  paintFocusMark_ = FocusMarkNode();  // once per paint: it may walk past hidden top-level nodes

  EnsureRowBuffer(width, int(defaultNodeHeight_));
  HFONT font = Font()->Handle();
  HGDIOBJ oldFont = SelectObject(rowDC_, font);
  SetBkMode(rowDC_, TRANSPARENT);
  lineBrush_ = DottedBrush(colors_->Get(TDTColors::TreeLineColor), Color());
  gridBrush_ = DottedBrush(colors_->Get(TDTColors::GridLineColor), Color());
  paintCanvas_->SetHandle(rowDC_);

  int top;
  PDataNode node = GetNodeAt(0, Window.top, false, top);
  int y = top;
  while (node && y < Window.bottom) {
    InitIfNeeded(node);
    int h = int(NodeHeight(node));
    if (h > 0) {
      if (h > rowSize_.cy) {
        paintCanvas_->SetHandle(nullptr);
        SelectObject(rowDC_, oldFont);
        EnsureRowBuffer(width, h);
        oldFont = SelectObject(rowDC_, font);
        SetBkMode(rowDC_, TRANSPARENT);
        paintCanvas_->SetHandle(rowDC_);
      }
      bool skip = PaintOptions.Contains(ptSelectedOnly) && !InSelectedSubtree(node);
      if (!skip) {
        bool custom = false;
        RECT item{Window.left, 0, Window.right, h};
        if (OnBeforeItemPaint) OnBeforeItemPaint(this, paintCanvas_.get(), node, item, custom);
        rowAbsoluteTop_ = y;
        // Patterns (dotted lines) keep their phase in tree coordinates, however
        // far left the painted part begins.
        SetBrushOrgEx(rowDC_, ((-Window.left) % 8 + 8) % 8, 0, nullptr);
        int buttonY, vAlign;
        GetButtonVAlign(images_ != nullptr, stateImages_ != nullptr, buttonY, vAlign, node);
        if (!custom) PaintRow(node, Window, PaintOptions, int(GetNodeLevel(node)), vAlign);
        // The mark spans the client area's width, whatever part of it is painted.
        if (node == dropTargetNode_ && po.Contains(toShowDropmark) && PaintOptions.Contains(ptDropMark)) {
          SetWindowOrgEx(rowDC_, Window.left, 0, nullptr);
          PaintDropMark(rowDC_, RECT{-offsetX_, 0, ClientWidth() - offsetX_, h}, int(LastDropMode()));
        }
        if (band) {
          SetWindowOrgEx(rowDC_, Window.left, 0, nullptr);
          PaintSelectionRectangle(rowDC_, Window.left, RECT{0, 0, width, h}, BandInRow(y));
        }
        SetWindowOrgEx(rowDC_, 0, 0, nullptr);
        int srcTop = std::max(0, Window.top - y);
        int rows = std::min(h, Window.bottom - y) - srcTop;
        if (rows > 0)
          BitBlt(TargetDC, Target.x, Target.y + y + srcTop - Window.top, width, rows, rowDC_, 0, srcTop,
                 SRCCOPY);
      }
    }
    y = SaturateToInt(int64_t(y) + h);  // a tree taller than an int ends at its end
    node = GetNextVisible(node);
  }
  if (y < Window.bottom) {
    // Below the last row: the column colours, or the tree's colour.
    int from = std::max(y, int(Window.top));
    RECT rest{Target.x, Target.y + from - Window.top, Target.x + width,
              Target.y + Window.bottom - Window.top};
    HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(Color())));
    bool handled = false;
    if (OnPaintBackground) {
      paintCanvas_->SetHandle(nullptr);
      TCanvas target;
      target.SetHandle(TargetDC);
      OnPaintBackground(this, &target, rest, handled);
      target.SetHandle(nullptr);
      paintCanvas_->SetHandle(rowDC_);
    }
    if (!handled) PaintBelowRows(TargetDC, rest, Window.left, Target);
    if (!handled && PaintOptions.Contains(ptBackground) && po.Contains(toShowBackground)) {
      // The picture goes on below the rows, a row buffer's height at a time.
      for (int stripTop = from; stripTop < Window.bottom; stripTop += rowSize_.cy) {
        int h = std::min<int>(rowSize_.cy, Window.bottom - stripTop);
        SetWindowOrgEx(rowDC_, Window.left, 0, nullptr);
        RECT strip{Window.left, 0, Window.right, h};
        FillRect(rowDC_, &strip, b);
        bool tiled = PaintBackground(rowDC_, strip, stripTop);
        SetWindowOrgEx(rowDC_, 0, 0, nullptr);
        if (!tiled) break;
        BitBlt(TargetDC, Target.x, Target.y + stripTop - Window.top, width, h, rowDC_, 0, 0, SRCCOPY);
      }
    }
    DeleteObject(b);
    if (!handled && header_->UseColumns() && PaintOptions.Contains(ptGridLines) &&
        po.Contains(toShowVertGridLines) && po.Contains(toFullVertGridLines)) {
      // As in the rows: no line after the auto-sized last column.
      TColumnIndex last = header_->Columns()->GetLastVisibleColumn();
      TDataTreeColumn* autoSized =
          header_->Options().Contains(hoAutoResize) && last >= 0 ? header_->Columns()->Items(last) : nullptr;
      for (TDataTreeColumn* c : header_->Columns()->GetVisibleColumns()) {
        if (c == autoSized) continue;
        int x = c->Left() + c->Width() - 1 - Window.left + Target.x;
        RECT g{x, rest.top, x + 1, rest.bottom};
        PaintGridLine(TargetDC, g, colors_->Get(TDTColors::GridLineColor), Color());
      }
    }
    if (band) PaintBandBelowRows(TargetDC, Window, Target, from);
  }
  if (!header_->UseColumns() && rangeXSeen_ != rangeXShown_ && HandleAllocated()) {
    rangeXShown_ = rangeXSeen_;
    PostMessageW(Handle(), WM_CHANGESTATE, 0, 0);  // the scroll bar follows outside the paint
  }
  paintCanvas_->SetHandle(nullptr);
  SelectObject(rowDC_, oldFont);
  DeleteObject(lineBrush_);
  DeleteObject(gridBrush_);
  lineBrush_ = gridBrush_ = nullptr;
  if (OnAfterPaint) OnAfterPaint(this, paintCanvas_.get());
  DoStateChange({}, {tsPainting});
}

void TBaseDataTree::PaintBelowRows(HDC TargetDC, const RECT& Rest, int WindowLeft, POINT Target) {
  auto fill = [&](RECT r, TColor c) {
    if (r.right <= r.left) return;
    HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(c)));
    FillRect(TargetDC, &r, b);
    DeleteObject(b);
  };
  if (!header_->UseColumns()) return fill(Rest, Color());
  int x = Rest.left;
  for (TDataTreeColumn* c : header_->Columns()->GetVisibleColumns()) {
    int left = c->Left() - WindowLeft + Target.x, right = left + c->Width();
    left = std::max<int>(left, Rest.left);
    right = std::min<int>(right, Rest.right);
    if (right <= left) continue;
    fill(RECT{x, Rest.top, left, Rest.bottom}, Color());
    fill(RECT{left, Rest.top, right, Rest.bottom},
         c->Options().Contains(coParentColor) ? Color() : c->Color());
    x = right;
  }
  fill(RECT{x, Rest.top, Rest.right, Rest.bottom}, Color());
}

bool TBaseDataTree::InSelectedSubtree(PDataNode Node) const {
  for (PDataNode run = Node; run && run != root_; run = run->Parent)
    if (run->Has(vsSelected)) return true;
  return false;
}

void TBaseDataTree::Paint() {
  TCanvas* canvas = Canvas();
  HDC dc = canvas->Handle();
  RECT clip = canvas->ClipRect();
  if (clip.right <= clip.left || clip.bottom <= clip.top) return;
  RECT rows = clip;
  TPaintTreeFlags flags{ptBackground, ptColumnColor, ptFocusRect, ptSelection, ptDropMark, ptGridLines};
  int top = rows.top - offsetY_, bottom = rows.bottom - offsetY_;
  int fixed = header_->UseColumns() ? header_->Columns()->GetVisibleFixedWidth() : 0;
  if (fixed > 0) {
    // Fixed columns stay in place when the rows scroll sideways: they are
    // painted unshifted, the rest beside them shifted by the offset.
    if (rows.left < fixed)
      PaintTree(dc, RECT{rows.left, top, std::min<int>(rows.right, fixed), bottom},
                POINT{rows.left, rows.top}, flags);
    int left = std::max<int>(rows.left, fixed);
    if (left < rows.right)
      PaintTree(dc, RECT{left - offsetX_, top, rows.right - offsetX_, bottom}, POINT{left, rows.top}, flags);
    PaintFocusFrame(dc);
    return;
  }
  PaintTree(dc, RECT{rows.left - offsetX_, top, rows.right - offsetX_, bottom}, POINT{rows.left, rows.top},
            flags);
  PaintFocusFrame(dc);
}

// The focused node carries the focus rectangle. With none and nothing
// selected, the first visible node carries it: the keys start there (Down,
// Home, Left, Right and PgUp focus it), and the focus shows somewhere.
PDataNode TBaseDataTree::FocusMarkNode() const {
  if (focus_.Node() || selection_.Count() > 0) return focus_.Node();
  return GetFirstVisibleNoInit();
}

bool TBaseDataTree::ShowsFocusFrame() {
  return HandleAllocated() && Focused() && !focus_.Node() && selection_.Count() == 0 &&
         !GetFirstVisibleNoInit();
}

// A focused tree without a visible node has no row to show the focus on: it
// goes round the client area.
void TBaseDataTree::PaintFocusFrame(HDC DC) {
  if (!ShowsFocusFrame()) return;
  RECT frame = ClientRect();
  InflateRect(&frame, -1, -1);
  DrawFocusRect(DC, &frame);
}

}  // namespace qv
