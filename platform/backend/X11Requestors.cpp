// The requestor windows of our reads of other programs' selections: one
// per read under way, so that every answer, a refusal too, names the read
// it is for. A read that ended before its owner was through retires its
// window: the owner, woken late, may still put its answer there, and an
// owner giving it in pieces waits for each to be deleted; so whatever comes
// is deleted, and the window is destroyed once it has been quiet a while
// (or when too many are retired). Nothing an owner puts stays in the server.
#include <algorithm>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMostFree = 4;
constexpr size_t kMostRetired = 32;
// Longer than an owner stopped for a moment takes to come back; a later
// answer goes nowhere (the window is gone with everything on it).
constexpr auto kRetiredQuiet = std::chrono::seconds(60);

void Destroy(Connection& c, Window w) {
  XDestroyWindow(c.dpy, w);
  std::erase(c.requestors.made, w);
}

}  // namespace

Window TakeRequestor(Connection& c) {
  Requestors& q = c.requestors;
  if (!q.free.empty()) {
    Window w = q.free.back();
    q.free.pop_back();
    return w;
  }
  XSetWindowAttributes attrs{};
  attrs.event_mask = PropertyChangeMask;
  Window w = XCreateWindow(c.dpy, c.root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                           CWEventMask, &attrs);
  q.made.push_back(w);
  return w;
}

void FreeRequestor(Connection& c, Window w) {
  if (!w) return;
  if (c.requestors.free.size() >= kMostFree) return Destroy(c, w);
  c.requestors.free.push_back(w);
}

void RetireRequestor(Connection& c, Window w) {
  if (!w) return;
  auto& retired = c.requestors.retired;
  if (retired.size() >= kMostRetired) {
    Destroy(c, retired.front().window);
    retired.erase(retired.begin());
  }
  retired.push_back({w, Clock::now()});
}

bool IsRequestor(const Connection& c, Window w) {
  const auto& made = c.requestors.made;
  return w && std::find(made.begin(), made.end(), w) != made.end();
}

bool NoteIdleRequestorEvent(Connection& c, const XEvent& ev) {
  const Window w = ev.type == SelectionNotify ? ev.xselection.requestor : ev.xproperty.window;
  if (!IsRequestor(c, w)) return false;
  // A new value (an answer, or a piece) and the notice naming it are both
  // met: the property goes at the first, the second finds it gone.
  Atom property = ev.type == SelectionNotify ? ev.xselection.property : ev.xproperty.atom;
  if (property != None) XDeleteProperty(c.dpy, w, property);
  for (auto& r : c.requestors.retired)
    if (r.window == w) r.last = Clock::now();
  return true;
}

void RequestorsDue(Connection& c) {
  const auto now = Clock::now();
  auto& retired = c.requestors.retired;
  for (size_t i = 0; i < retired.size();) {
    if (now - retired[i].last < kRetiredQuiet) {
      ++i;
      continue;
    }
    Destroy(c, retired[i].window);
    retired.erase(retired.begin() + long(i));
  }
}

}  // namespace qv::x11
