// TWinControl's bevels: the properties, the room they take from the client
// area (WM_NCCALCSIZE) and their drawing with the frame (WM_NCPAINT).
#include "classlib/controls/WinControl.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Paint.h"

namespace qv {

void TWinControl::SetBevelEdges(TBevelEdges Value) {
  if (bevelEdges_ == Value) return;
  bevelEdges_ = Value;
  FrameChanged();
}

void TWinControl::SetBevelInner(TBevelCut Value) {
  if (bevelInner_ == Value) return;
  bevelInner_ = Value;
  FrameChanged();
}

void TWinControl::SetBevelOuter(TBevelCut Value) {
  if (bevelOuter_ == Value) return;
  bevelOuter_ = Value;
  FrameChanged();
}

void TWinControl::SetBevelKind(TBevelKind Value) {
  if (bevelKind_ == Value) return;
  bevelKind_ = Value;
  FrameChanged();
}

void TWinControl::SetBevelWidth(int Value) {
  Value = std::max(Value, 1);  // a bevel is at least one line
  if (bevelWidth_ == Value) return;
  bevelWidth_ = Value;
  FrameChanged();
}

int TWinControl::BevelEdgeSize() const {
  if (bevelKind_ == bkNone) return 0;
  return (bevelInner_ != bvNone ? bevelWidth_ : 0) + (bevelOuter_ != bvNone ? bevelWidth_ : 0);
}

void TWinControl::ExcludeBevels(RECT& R) const {
  int e = BevelEdgeSize();
  if (e == 0) return;
  if (bevelEdges_.Contains(beLeft)) R.left += e;
  if (bevelEdges_.Contains(beTop)) R.top += e;
  if (bevelEdges_.Contains(beRight)) R.right -= e;
  if (bevelEdges_.Contains(beBottom)) R.bottom -= e;
}

SIZE TWinControl::GetBorderDimensions() {
  DWORD style = 0, ex = 0;
  if (handle_) {
    style = DWORD(GetWindowLongPtrW(handle_, GWL_STYLE));
    ex = DWORD(GetWindowLongPtrW(handle_, GWL_EXSTYLE));
  } else {
    FrameStyle(style, ex);
  }
  SIZE s{0, 0};
  if (style & WS_BORDER) s = SIZE{1, 1};
  if (style & WS_THICKFRAME) s = SIZE{GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
  if (ex & WS_EX_CLIENTEDGE) s.cx += GetSystemMetrics(SM_CXEDGE), s.cy += GetSystemMetrics(SM_CYEDGE);
  return s;
}

void TWinControl::FrameChanged() {
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Realign();
}

namespace {

// One bevel: BevelWidth rings of the cut's lines; a space is a ring of the face colour.
void PaintBevel(HDC DC, RECT& R, TBevelCut Cut, bool Outer, int Width, UINT Sides) {
  if (Cut == bvNone) return;
  UINT edge = Cut == bvRaised ? (Outer ? BDR_RAISEDOUTER : BDR_RAISEDINNER)
                              : (Outer ? BDR_SUNKENOUTER : BDR_SUNKENINNER);
  for (int i = 0; i < Width; ++i) {
    if (Cut == bvSpace) {
      RECT inner = R;
      if (Sides & BF_LEFT) ++inner.left;
      if (Sides & BF_TOP) ++inner.top;
      if (Sides & BF_RIGHT) --inner.right;
      if (Sides & BF_BOTTOM) --inner.bottom;
      HBRUSH face = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
      RECT strips[4] = {{R.left, R.top, R.right, inner.top},
                        {R.left, inner.bottom, R.right, R.bottom},
                        {R.left, inner.top, inner.left, inner.bottom},
                        {inner.right, inner.top, R.right, inner.bottom}};
      for (RECT& s : strips)
        if (s.right > s.left && s.bottom > s.top) FillRect(DC, &s, face);
      R = inner;
    } else {
      DrawEdge(DC, &R, edge, (Sides & BF_RECT) | UINT(BF_ADJUST) | (Sides & (BF_SOFT | BF_FLAT)));
    }
  }
}

}  // namespace

void TWinControl::PaintBevels(HDC DC, RECT& R) const {
  if (BevelEdgeSize() == 0) return;
  UINT sides = (bevelEdges_.Contains(beLeft) ? BF_LEFT : 0) | (bevelEdges_.Contains(beTop) ? BF_TOP : 0) |
               (bevelEdges_.Contains(beRight) ? BF_RIGHT : 0) |
               (bevelEdges_.Contains(beBottom) ? BF_BOTTOM : 0);
  if (bevelKind_ == bkSoft) sides |= BF_SOFT;
  if (bevelKind_ == bkFlat) sides |= BF_FLAT;
  PaintBevel(DC, R, bevelOuter_, true, bevelWidth_, sides);
  PaintBevel(DC, R, bevelInner_, false, bevelWidth_, sides);
}

// The bevels come off first; the window's borders and scroll bars off what
// is left, and the bars keep to the client area that remains.
void TWinControl::HandleNcCalcSize(TMessage& M) {
  if (M.LParam && BevelEdgeSize() > 0) {
    RECT* r = M.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0]
                       : reinterpret_cast<RECT*>(M.LParam);
    ExcludeBevels(*r);
    if (r->right < r->left) r->right = r->left;
    if (r->bottom < r->top) r->bottom = r->top;
  }
  DefaultHandler(M);
}

void TWinControl::HandleNcPaint(TMessage& M) {
  DefaultHandler(M);
  if (!handle_ || BevelEdgeSize() == 0) return;
  HRGN part = M.WParam > 1 ? reinterpret_cast<HRGN>(M.WParam) : nullptr;
  HDC dc = GetDCEx(handle_, part, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS | (part ? DCX_INTERSECTRGN : 0));
  if (!dc) return;
  RECT r{};
  GetWindowRect(handle_, &r);
  OffsetRect(&r, -r.left, -r.top);
  SIZE border = GetBorderDimensions();
  InflateRect(&r, -border.cx, -border.cy);
  PaintBevels(dc, r);
  ReleaseDC(handle_, dc);
}

}  // namespace qv
