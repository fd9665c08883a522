// The backend's side of drags that reach other programs: the protocol lives
// in X11DragSource.cpp; here the drag loop's calls are passed on, each after
// the X queue was read, so that every answer that came is seen.
#include "platform/backend/X11Backend.h"
#include "platform/backend/X11Connection.h"

namespace qv {

void X11Backend::ForeignDragBegin(DWORD okEffects, const ForeignDragOffer& offer) {
  Drain();
  x11::BeginDrag(*x_, okEffects, offer);
}

void X11Backend::ForeignDragEnd() {
  x11::EndDrag(*x_);
}

bool X11Backend::ForeignWindowAt(POINT screen) {
  return x11::ForeignTopAt(*x_, screen);
}

bool X11Backend::ForeignDragOver(POINT screen, DWORD okEffects, DWORD keys, DWORD& effect) {
  (void)okEffects;  // given when the drag began
  Drain();
  return x11::DragOver(*x_, screen, keys, effect);
}

void X11Backend::ForeignDragLeave() {
  x11::DragLeave(*x_);
}

bool X11Backend::ForeignDrop() {
  Drain();
  return x11::StartDrop(*x_);
}

bool X11Backend::ForeignDropResult(DWORD& effect) {
  Drain();
  if (x11::DropGoesOn(*x_)) return false;
  effect = x11::FinishedEffect(*x_);
  return true;
}

}  // namespace qv
