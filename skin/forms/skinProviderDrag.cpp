// The skinned form's frame drag (an outline drawn on the screen that the
// form follows once, at the end) and the snapping of a moved form to the
// edges of the work area.
#include "skin/forms/skinProviderDrag.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Shapes.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "skin/forms/skinProvider.h"
#include "skin/skControlTree.h"

namespace qv {

TFrameDragState& FrameDrag() {
  static TFrameDragState state;
  return state;
}

namespace {
TFrameDragState& drag = FrameDrag();
}  // namespace

// ---- snapping ----

void TSkinProvider::Snap(int& Pos, int Edge, int Size) const {
  if (std::abs(Pos + Size - Edge) < SnapBuffer) Pos = Edge - Size;
}

void TSkinProvider::SnapPosition(int& X, int& Y, int W, int H) const {
  RECT wa;
  GetWorkArea(wa);
  const POINT monitor{0, 0};  // the form's monitor starts at the virtual screen's origin
  Snap(X, wa.right, W);
  Snap(Y, wa.bottom, H);
  Snap(X, wa.left, monitor.x);
  Snap(Y, wa.top, monitor.y);
}

// ---- frame drag ----

bool TSkinProvider::FrameDragActive() const {
  return drag.Owner == this && drag.Active;
}

RECT TSkinProvider::FrameDragRect() const {
  return drag.Owner == this ? drag.Rect : RECT{};
}

void TSkinProvider::DrawDragFrame() {
  if (!drag.DC) return;
  const RECT& r = drag.Rect;
  const POINT pts[5] = {{r.left, r.top},
                        {r.right - 1, r.top},
                        {r.right - 1, r.bottom - 1},
                        {r.left, r.bottom - 1},
                        {r.left, r.top}};
  Polyline(drag.DC, pts, 5);
}

void TSkinProvider::StartFrameDrag(LRESULT Kind, POINT Cursor) {
  if (drag.Owner != this || !drag.Pending) return;
  drag.Active = true;
  drag.Kind = Kind;
  drag.Moved = false;
  drag.DC = GetDC(nullptr);
  drag.Saved = SaveDC(drag.DC);
  SetROP2(drag.DC, R2_NOT);
  HWND h = form_->WindowHandle();
  GetWindowRect(h, &drag.Rect);
  if (form_->FormStyle() == fsMDIChild) {
    // An MDI child moves inside its parent's client area.
    POINT tl{drag.Rect.left, drag.Rect.top};
    ScreenToClient(GetParent(h), &tl);
    ClientToScreen(GetParent(h), &tl);
    OffsetRect(&drag.Rect, tl.x - drag.Rect.left, tl.y - drag.Rect.top);
  }
  drag.StartKnown = drag.Moving;
  drag.Start = Cursor;
  drag.MinW = form_->Constraints().MinWidth;
  drag.MinH = form_->Constraints().MinHeight;
  DrawDragFrame();
}

void TSkinProvider::MoveFrameDrag(POINT Cursor) {
  if (drag.Owner != this || !drag.Active) return;
  if (!drag.StartKnown) {
    drag.Start = Cursor, drag.StartKnown = true;
    return;
  }
  const int dx = Cursor.x - drag.Start.x, dy = Cursor.y - drag.Start.y;
  if (!dx && !dy) return;
  DrawDragFrame();  // erases the old outline
  RECT& r = drag.Rect;
  if (drag.Moving || drag.Kind == HTCAPTION) {
    OffsetRect(&r, dx, dy);
  } else {
    const LRESULT k = drag.Kind;
    auto left = [&] { r.left = std::min(r.left + dx, r.right - drag.MinW); };
    auto right = [&] { r.right = std::max(r.right + dx, r.left + drag.MinW); };
    auto top = [&] { r.top = std::min(r.top + dy, r.bottom - drag.MinH); };
    auto bottom = [&] { r.bottom = std::max(r.bottom + dy, r.top + drag.MinH); };
    if (k == HTLEFT || k == HTTOPLEFT || k == HTBOTTOMLEFT) left();
    if (k == HTRIGHT || k == HTTOPRIGHT || k == HTBOTTOMRIGHT) right();
    if (k == HTTOP || k == HTTOPLEFT || k == HTTOPRIGHT) top();
    if (k == HTBOTTOM || k == HTBOTTOMLEFT || k == HTBOTTOMRIGHT) bottom();
  }
  drag.Start = Cursor;
  drag.Moved = true;
  DrawDragFrame();
}

void TSkinProvider::EndFrameDrag(bool Apply) {
  if (drag.Owner != this) return;
  const bool wasActive = drag.Active;
  drag.Pending = drag.Active = false;
  drag.Owner = nullptr;
  if (form_ && form_->HandleAllocated() && GetCapture() == form_->WindowHandle()) ReleaseCapture();
  if (wasActive && drag.DC) {
    DrawDragFrame();
    RestoreDC(drag.DC, drag.Saved);
    ReleaseDC(nullptr, drag.DC);
  }
  drag.DC = nullptr;
  if (!Apply || !wasActive || !form_ || !form_->HandleAllocated()) return;
  if (!drag.Moving && drag.Kind != HTCAPTION && !drag.Moved) return;
  RECT r = drag.Rect;
  HWND h = form_->WindowHandle();
  if (form_->FormStyle() == fsMDIChild) {
    POINT tl{r.left, r.top};
    ScreenToClient(GetParent(h), &tl);
    OffsetRect(&r, tl.x - r.left, tl.y - r.top);
  }
  MoveWindow(h, r.left, r.top, r.Width(), r.Height(), TRUE);
}

}  // namespace qv
