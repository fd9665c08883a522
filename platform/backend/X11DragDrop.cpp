// The backend's side of drags that reach other programs: the protocol lives
// in X11DragSource.cpp; here the drop waits, a bounded time, for the
// target's answers while the X queue keeps being served (the target reads
// the rows from our selection before it says it has finished).
#include <poll.h>

#include <chrono>

#include "platform/backend/X11Backend.h"
#include "platform/backend/X11Connection.h"

namespace qv {
namespace {

constexpr int kStatusWaitMs = 2000, kFinishWaitMs = 5000;

}  // namespace

template <typename F>
bool X11Backend::DrainUntil(F done, int limitMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    Drain();
    if (done()) return true;
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    XFlush(x_->dpy);
    pollfd fd{ConnectionNumber(x_->dpy), POLLIN, 0};
    poll(&fd, 1, int(std::min<long>(left.count(), 20)));
  }
}

bool X11Backend::ForeignDragOver(POINT screen, const ForeignDragOffer& offer, DWORD okEffects, DWORD keys,
                                 DWORD& effect) {
  return x11::DragOver(*x_, screen, offer, okEffects, keys, effect);
}

void X11Backend::ForeignDragLeave() {
  x11::DragLeave(*x_);
}

DWORD X11Backend::ForeignDrop() {
  auto& d = x_->dragOut;
  if (!d.target) return 0;
  // The target's answer to the last position decides whether it takes the drop.
  DrainUntil([&] { return !d.target || (!d.waitingStatus && !d.pending); }, kStatusWaitMs);
  if (!x11::SendDrop(*x_)) {
    x11::DragLeave(*x_);
    return 0;
  }
  DrainUntil([&] { return !d.target || d.finished; }, kFinishWaitMs);
  DWORD effect = x11::FinishedEffect(*x_);
  // The exchange is over: a leave now would be a protocol error.
  d.target = 0;
  x11::DragLeave(*x_);
  return effect;
}

}  // namespace qv
