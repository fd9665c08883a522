// The tree's non-client area: the window's border, the bevels, a ring of
// BorderWidth pixels and, above the client area, the header. Client
// coordinates start at the first row; the header lives in window coordinates.
#include <algorithm>

#include "datatree/BaseDataTree.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv {

int TBaseDataTree::VisibleHeaderHeight() const {
  return header_->Options().Contains(hoVisible) ? header_->Height() : 0;
}

void TBaseDataTree::UpdateHeaderRect(int Width, int Height) {
  RECT r{0, 0, Width, Height};
  SIZE border = GetBorderDimensions();
  InflateRect(&r, -border.cx, -border.cy);
  int dx = BorderWidth(), dy = BorderWidth();
  if (BevelKind() != bkNone) {
    int edge = BevelEdgeSize();
    if (BevelEdges().Contains(beLeft)) dx += edge;
    if (BevelEdges().Contains(beTop)) dy += edge;
  }
  InflateRect(&r, -dx, -dy);
  if (!header_->Options().Contains(hoVisible))
    r.bottom = r.top;
  else if (r.left > r.right || r.top > r.bottom)
    r = RECT{};
  else
    r.bottom = r.top + header_->Height();
  headerRect_ = r;
}

POINT TBaseDataTree::ClientOriginInWindow() {
  if (!HandleAllocated()) return POINT{0, 0};
  POINT p{0, 0};
  ::qv::ClientToScreen(Handle(), &p);
  RECT w{};
  GetWindowRect(Handle(), &w);
  return POINT{p.x - w.left, p.y - w.top};
}

// A right-to-left tree has its vertical bar at the left, beside the client
// area but under the header: the header's scrolling columns move right by it.
int TBaseDataTree::HeaderScrollBarShift() {
  if (bidiMode_ == bdLeftToRight || !HandleAllocated()) return 0;
  if (!(GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VSCROLL)) return 0;
  return GetSystemMetrics(SM_CXVSCROLL);
}

POINT TBaseDataTree::ClientToHeader(POINT P) const {
  return POINT{P.x, P.y + VisibleHeaderHeight()};
}

POINT TBaseDataTree::HeaderToScreen(POINT P) {
  return ClientToScreen(POINT{P.x, P.y - VisibleHeaderHeight()});
}

void TBaseDataTree::Invalidate() {
  TCustomControl::Invalidate();
  if (header_) header_->Invalidate(nullptr);
}

void TBaseDataTree::AdjustClientRect(RECT&) {
  // BorderWidth lies in the non-client area here: the client area is all the
  // children get.
}

void TBaseDataTree::FrameChanged() {
  TCustomControl::FrameChanged();
  if (!HandleAllocated()) return;
  Resize();
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_NOCHILDREN);
}

// The standard frame (border, bevels, scroll bars), then the ring of
// BorderWidth pixels and the header above what is left.
void TBaseDataTree::HandleNcCalcSize(TMessage& Message) {
  if (!Message.LParam) return TCustomControl::WndProc(Message);
  RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                           : reinterpret_cast<RECT*>(Message.LParam);
  UpdateHeaderRect(r->right - r->left, r->bottom - r->top);  // the window's rectangle, as proposed
  TCustomControl::WndProc(Message);
  InflateRect(r, -BorderWidth(), -BorderWidth());
  r->top += VisibleHeaderHeight();
  if (r->right < r->left) r->right = r->left;
  if (r->bottom < r->top) r->bottom = r->top;
}

void TBaseDataTree::HandleNcHitTest(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (ComponentState().Contains(csDesigning) || !header_->Options().Contains(hoVisible)) return;
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (header_->InHeader(ScreenToClient(p))) Message.Result = HTBORDER;
}

void TBaseDataTree::HandleNcPaint(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (!HandleAllocated()) return;
  HRGN part = Message.WParam > 1 ? reinterpret_cast<HRGN>(Message.WParam) : nullptr;
  HDC dc = GetDCEx(Handle(), part, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS | (part ? DCX_INTERSECTRGN : 0));
  if (!dc) return;
  if (header_->Options().Contains(hoVisible) && !IsRectEmpty(&headerRect_)) PaintHeader(dc, headerRect_);
  RECT window{};
  GetWindowRect(Handle(), &window);
  OffsetRect(&window, -window.left, -window.top);
  SIZE border = GetBorderDimensions();
  InflateRect(&window, -border.cx, -border.cy);
  PaintNonClientArea(dc, window);
  ReleaseDC(Handle(), dc);
}

// R: the window inside its own border, in window coordinates.
void TBaseDataTree::PaintNonClientArea(HDC DC, RECT R) {
  if (BevelKind() == bkNone && BorderWidth() <= 0) return;
  PaintBevels(DC, R);
  int w = BorderWidth();
  if (w <= 0 || R.right <= R.left || R.bottom <= R.top) return;
  HRGN ring = CreateRectRgn(R.left, R.top, R.right, R.bottom);
  HRGN inner = CreateRectRgn(R.left + w, R.top + w, std::max<int>(R.left + w, R.right - w),
                             std::max<int>(R.top + w, R.bottom - w));
  CombineRgn(ring, ring, inner, RGN_DIFF);
  HBRUSH brush = CreateSolidBrush(COLORREF(ColorToRGB(colors_->Get(TDTColors::BorderColor))));
  FillRgn(DC, ring, brush);
  DeleteObject(brush);
  DeleteObject(inner);
  DeleteObject(ring);
}

// WM_PRINT: the header where it lies in the window, then the frame and the
// client area as usual.
void TBaseDataTree::PrintWindow(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if ((Message.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(Handle())) return;
  if ((Message.LParam & PRF_NONCLIENT) && header_->Options().Contains(hoVisible) &&
      !IsRectEmpty(&headerRect_))
    PaintHeader(dc, headerRect_);
  TCustomControl::WndProc(Message);
  if (Message.LParam & PRF_NONCLIENT) {
    RECT window{};
    GetWindowRect(Handle(), &window);
    OffsetRect(&window, -window.left, -window.top);
    SIZE border = GetBorderDimensions();
    InflateRect(&window, -border.cx, -border.cy);
    PaintNonClientArea(dc, window);
  }
}

}  // namespace qv
