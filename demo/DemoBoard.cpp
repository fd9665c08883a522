// The demo board's behaviour: scrolling by its standard scroll bars and by
// keys, the status it shows, and the messages a custom control answers itself.
#include <algorithm>

#include "demo/DemoForm.h"
#include "demo/DemoLayout.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::demo {

TDemoBoard::TDemoBoard(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle().Include(csOpaque);  // Paint covers every pixel
  SetTabStop(true);
  SetColor(clWhite);
}

void TDemoBoard::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_VSCROLL | WS_HSCROLL;
  Params.WindowClass.style |= CS_DBLCLKS;
}

SIZE TDemoBoard::View() {
  RECT c = ClientRect();
  return SIZE{c.right, std::max(0, int(c.bottom) - kStatusHeight)};
}

void TDemoBoard::InvalidateStatus() {
  if (!HandleAllocated()) return;
  RECT band{0, 0, ClientWidth(), kStatusHeight};
  InvalidateRect(WindowHandle(), &band, FALSE);
}

void TDemoBoard::SetLastKey(const std::string& Text) {
  lastKey_ = Text;
  InvalidateStatus();
}

void TDemoBoard::SetLastClick(const std::string& Text) {
  lastClick_ = Text;
  InvalidateStatus();
}

void TDemoBoard::Tick() {
  ++ticks_;
  InvalidateStatus();
}

void TDemoBoard::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  SIZE view = View();
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = kContent.cy - 1, si.nPage = UINT(view.cy), si.nPos = scrollY_;
  SetScrollInfo(WindowHandle(), SB_VERT, &si, FALSE);
  si.nMax = kContent.cx - 1, si.nPage = UINT(view.cx), si.nPos = scrollX_;
  SetScrollInfo(WindowHandle(), SB_HORZ, &si, FALSE);
  // Only the bars are redrawn: a redrawing SetScrollInfo repaints the whole
  // window, which would undo the point of scrolling the painted pixels.
  SendMessageW(WindowHandle(), WM_NCPAINT, 1, 0);
}

void TDemoBoard::ScrollTo(int X, int Y) {
  SIZE view = View();
  X = std::clamp(X, 0, std::max(0, int(kContent.cx - view.cx)));
  Y = std::clamp(Y, 0, std::max(0, int(kContent.cy - view.cy)));
  int dx = scrollX_ - X, dy = scrollY_ - Y;
  if (!dx && !dy) return;
  scrollX_ = X, scrollY_ = Y;
  if (!HandleAllocated()) return;
  RECT area{0, kStatusHeight, view.cx, kStatusHeight + view.cy};
  ScrollWindowEx(WindowHandle(), dx, dy, &area, &area, nullptr, nullptr, SW_INVALIDATE);
  UpdateScrollBars();
}

bool TDemoBoard::ScrollByKey(WORD Key) {
  SIZE view = View();
  switch (Key) {
    case VK_UP:
      return ScrollTo(scrollX_, scrollY_ - kRowHeight), true;
    case VK_DOWN:
      return ScrollTo(scrollX_, scrollY_ + kRowHeight), true;
    case VK_LEFT:
      return ScrollTo(scrollX_ - kRowHeight, scrollY_), true;
    case VK_RIGHT:
      return ScrollTo(scrollX_ + kRowHeight, scrollY_), true;
    case VK_PRIOR:
      return ScrollTo(scrollX_, scrollY_ - view.cy), true;
    case VK_NEXT:
      return ScrollTo(scrollX_, scrollY_ + view.cy), true;
    case VK_HOME:
      return ScrollTo(0, 0), true;
    case VK_END:
      return ScrollTo(scrollX_, kContent.cy), true;
  }
  return false;
}

void TDemoBoard::HandleScroll(TMessage& M) {
  bool vert = M.Msg == WM_VSCROLL;
  int pos = vert ? scrollY_ : scrollX_;
  int page = vert ? View().cy : View().cx;
  int target = pos;
  switch (M.WParamLo()) {
    case SB_LINEUP:
      target = pos - kRowHeight;
      break;
    case SB_LINEDOWN:
      target = pos + kRowHeight;
      break;
    case SB_PAGEUP:
      target = pos - page;
      break;
    case SB_PAGEDOWN:
      target = pos + page;
      break;
    case SB_TOP:
      target = 0;
      break;
    case SB_BOTTOM:
      target = 1 << 20;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(WindowHandle(), vert ? SB_VERT : SB_HORZ, &si);
      target = si.nTrackPos;
      break;
    }
  }
  ScrollTo(vert ? scrollX_ : target, vert ? target : scrollY_);
  M.Result = 0;
}

void TDemoBoard::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;  // Paint covers every pixel; erasing first would only flicker
      return;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;  // arrows scroll instead of moving the focus
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (!M.LParam) return HandleScroll(M);  // our own bars; a bar control's goes to the base
      break;
    case WM_SIZE:
      TCustomControl::Dispatch(M);
      UpdateScrollBars();
      ScrollTo(scrollX_, scrollY_);  // a larger view may show past the end
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(M);
      InvalidateStatus();  // the band shows whether the board has the focus
      return;
  }
  TCustomControl::Dispatch(M);
}

}  // namespace qv::demo
