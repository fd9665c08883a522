// TCustomGrid's input: arrow, page, Home/End and Tab keys moving the current
// cell (then Click), clicks and drags selecting cells, and the scroll bars.
#include <algorithm>

#include "classlib/comctrls/Grids.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv {

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  int c = current_.X, r = current_.Y;
  bool ctrl = Shift.Contains(ssCtrl);
  int lastCol = ColCount() - 1, lastRow = RowCount() - 1;
  switch (Key) {
    case VK_UP:
      --r;
      break;
    case VK_DOWN:
      ++r;
      break;
    case VK_LEFT:
      --c;
      break;
    case VK_RIGHT:
      ++c;
      break;
    case VK_PRIOR:
      r -= std::max(VisibleRowCount(), 1);
      break;
    case VK_NEXT:
      r += std::max(VisibleRowCount(), 1);
      break;
    case VK_HOME:
      if (ctrl) r = fixedRows_;
      c = fixedCols_;
      break;
    case VK_END:
      if (ctrl) r = lastRow;
      c = lastCol;
      break;
    case VK_TAB:
      if (!options_.Contains(goTabs)) return;
      c += Shift.Contains(ssShift) ? -1 : 1;
      if (c > lastCol) c = fixedCols_, ++r;
      if (c < fixedCols_) c = lastCol, --r;
      break;
    default:
      return;
  }
  if (options_.Contains(goRowSelect)) c = current_.X;
  c = std::clamp(c, fixedCols_, lastCol);
  r = std::clamp(r, fixedRows_, lastRow);
  bool extend = Shift.Contains(ssShift) && options_.Contains(goRangeSelect) && Key != VK_TAB;
  Key = 0;
  if (c == current_.X && r == current_.Y) return;
  MoveCurrent(c, r, !extend, true);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = AliveToken();
  if (Button == mbLeft && CanFocus() && !Focused()) SetFocus();
  if (alive.expired()) return;
  TGridCoord cell = MouseCoord(X, Y);
  if (Button == mbLeft && cell.X >= fixedCols_ && cell.Y >= fixedRows_) {
    bool extend = Shift.Contains(ssShift) && options_.Contains(goRangeSelect);
    if (MoveCurrent(cell.X, cell.Y, !extend, false)) selecting_ = options_.Contains(goRangeSelect);
  }
  if (!alive.expired()) TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (selecting_) {
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == current_))
      MoveCurrent(cell.X, cell.Y, false, false);
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  selecting_ = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::Resize() {
  UpdateScrollBars();
  TCustomControl::Resize();
}

void TCustomGrid::Scroll(int Bar, int Code) {
  bool vert = Bar == SB_VERT;
  int pos = vert ? topLeft_.Y : topLeft_.X;
  int page = std::max(vert ? VisibleRowCount() : VisibleColCount(), 1);
  switch (Code) {
    case SB_LINEUP:
      --pos;
      break;
    case SB_LINEDOWN:
      ++pos;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = vert ? RowCount() : ColCount();
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      if (Code == SB_THUMBTRACK && !options_.Contains(goThumbTracking)) return;
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(WindowHandle(), Bar, &si);
      pos = si.nTrackPos;
      break;
    }
    default:
      return;
  }
  if (vert)
    SetTopRow(pos);
  else
    SetLeftCol(pos);
}

void TCustomGrid::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | (options_.Contains(goTabs) ? DLGC_WANTTAB : 0);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(M);
      Invalidate();
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (M.LParam == 0) return Scroll(M.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(M.WParam));
      break;
    case WM_SIZE:
      TCustomControl::Dispatch(M);
      UpdateScrollBars();
      return;
  }
  TCustomControl::Dispatch(M);
}

}  // namespace qv
