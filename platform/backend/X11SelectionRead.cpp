// Reading a selection another program owns (the clipboard, a drop's data):
// one conversion into a property of our utility window, answered in one
// piece or in pieces (INCR). While a read waits, our windows keep painting
// and their timers run; input stays in the queue and comes after the read,
// in the order it was typed. The owner's window is watched: when it is
// destroyed (its program ended or was killed) the read ends at once, without
// data, also in the middle of a transfer in pieces.
#include <X11/Xatom.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <functional>
#include <string>

#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// Reads within reads (a timer reading while a read waits); deeper ones fail.
constexpr size_t kMaxNested = 4;
// Messages handled per round, so that a window that never validates its
// paint cannot hold the read.
constexpr int kMessagesPerRound = 32;

bool Ours(Connection& c, Window w) {
  return w == c.utility || c.FindX(w);
}

// The property a read at this depth converts into: reads that nest never share one.
Atom PropertyAt(Connection& c, size_t depth) {
  if (depth == 0) return c.atoms.selection;
  std::string name = "QV_SELECTION_" + std::to_string(depth);
  return XInternAtom(c.dpy, name.c_str(), False);
}

// The read is known to the event handling while it lives, and the owner's
// window reports its destruction to us meanwhile.
class ReadScope {
 public:
  ReadScope(Connection& c, IncomingRead& r) : c_(c), r_(r) {
    c_.reads.push_back(&r_);
    if (Ours(c_, r_.owner)) return;
    XWindowAttributes wa;
    if (!XGetWindowAttributes(c_.dpy, r_.owner, &wa)) {
      r_.ownerGone = true;
      return;
    }
    if (!(wa.your_event_mask & StructureNotifyMask)) {
      XSelectInput(c_.dpy, r_.owner, wa.your_event_mask | StructureNotifyMask);
      added_ = true;
    }
  }
  ~ReadScope() {
    c_.reads.erase(std::find(c_.reads.begin(), c_.reads.end(), &r_));
    // What we added goes, unless another read or watch of ours follows the
    // window too: FollowWindow asks each of them.
    if (added_ && !r_.ownerGone) FollowWindow(c_, r_.owner);
  }
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;

  // False once the owner's window is gone.
  bool CheckOwner() {
    if (r_.ownerGone || Ours(c_, r_.owner)) return !r_.ownerGone;
    XWindowAttributes wa;
    if (!XGetWindowAttributes(c_.dpy, r_.owner, &wa)) return r_.ownerGone = true, false;
    if (!(wa.your_event_mask & StructureNotifyMask)) {
      XSelectInput(c_.dpy, r_.owner, wa.your_event_mask | StructureNotifyMask);
      added_ = true;
    }
    return true;
  }

 private:
  Connection& c_;
  IncomingRead& r_;
  bool added_ = false;
};

void EmptyPipe(int fd) {
  char buf[64];
  while (read(fd, buf, sizeof buf) > 0) {
  }
}

// Handles the waiting messages in [first, last]; false on WM_QUIT, which
// is left for the program's own loop.
bool Dispatch(UINT first, UINT last) {
  MSG m;
  for (int i = 0; i < kMessagesPerRound && PeekMessageW(&m, nullptr, first, last, PM_REMOVE); ++i) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      return false;
    }
    DispatchMessageW(&m);
  }
  return true;
}

// Paints, timers and messages sent from other threads, until the program
// is asked to quit; the X queue is read on the way. Posted messages and
// input wait for the end of the read.
void ServeWindows(Connection& c, bool& quit) {
  if (!quit) quit = !Dispatch(WM_PAINT, WM_PAINT) || !Dispatch(WM_TIMER, WM_TIMER);
  DrainEvents(c);  // also when the peeks did not read it
}

// Serves the windows until `ready`; false when the owner's window went away
// or the owner stayed silent until `deadline` (by default for kOwnerPatience).
bool Await(Connection& c, IncomingRead& r, ReadScope& scope, const std::function<bool()>& ready,
           Clock::time_point deadline = {}) {
  auto now = Clock::now();
  if (deadline == Clock::time_point{}) deadline = now + kOwnerPatience;
  auto check = now + kOwnerCheck;
  bool quit = false;
  for (;;) {
    XFlush(c.dpy);
    ServeWindows(c, quit);
    if (ready()) return true;
    if (r.ownerGone) return false;
    now = Clock::now();
    if (now >= deadline) return false;
    if (now >= check) {
      if (!scope.CheckOwner()) return false;
      check = now + kOwnerCheck;
    }
    if (!c.draining && XPending(c.dpy)) continue;  // events read meanwhile are handled first
    auto left = std::min(deadline, check) - now;
    long ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1;
    if (!quit) ms = std::min<long>(ms, long(TimeUntilNextTimer()));
    pollfd fds[2] = {{ConnectionNumber(c.dpy), POLLIN, 0}, {c.wakePipe[0], POLLIN, 0}};
    poll(fds, c.wakePipe[0] >= 0 ? 2 : 1, int(std::max<long>(ms, 0)));
    if (c.wakePipe[0] >= 0) EmptyPipe(c.wakePipe[0]);  // the queue keeps its own signal
  }
}

// Takes (and deletes) the property; the next piece, if any, is what the owner puts after that.
bool TakeProperty(Connection& c, IncomingRead& r, Atom& type, int& format, std::string& bytes) {
  r.deleted = r.piece = false;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  type = None;
  format = 0;
  if (XGetWindowProperty(c.dpy, c.utility, r.property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                         &count, &after, &data) != Success)
    return false;
  bool ok = data != nullptr || count == 0;
  if (data && format == 8) bytes.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return ok;
}

// The pieces after an INCR answer, until the empty one.
bool TakePieces(Connection& c, IncomingRead& r, ReadScope& scope, Atom& type, std::string& bytes) {
  bytes.clear();
  Atom first = None;
  for (;;) {
    if (!Await(c, r, scope, [&r] { return r.piece; })) return false;
    Atom pieceType = None;
    int format = 0;
    std::string piece;
    if (!TakeProperty(c, r, pieceType, format, piece)) return false;
    if (piece.empty()) {
      if (first != None) type = first;
      return true;
    }
    if (first == None) first = pieceType;
    bytes += piece;
  }
}

}  // namespace

ReadEnd ReadSelection(Connection& c, Atom selection, Atom target, Time time, Atom& type, std::string& bytes) {
  bytes.clear();
  if (c.reads.size() >= kMaxNested) return ReadEnd::Failed;
  IncomingRead r;
  r.selection = selection;
  r.target = target;
  r.property = PropertyAt(c, c.reads.size());
  r.owner = XGetSelectionOwner(c.dpy, selection);
  if (r.owner == None) return ReadEnd::Failed;
  ReadScope scope(c, r);
  if (r.ownerGone) return ReadEnd::Failed;
  XDeleteProperty(c.dpy, c.utility, r.property);
  XConvertSelection(c.dpy, selection, target, r.property, c.utility, time);
  if (!Await(c, r, scope, [&r] { return r.answered; })) return ReadEnd::Failed;
  if (r.answer == None) return ReadEnd::Refused;
  int format = 0;
  if (!TakeProperty(c, r, type, format, bytes)) return ReadEnd::Failed;
  if (type == c.dnd.incr) {
    type = target;  // unless the pieces say otherwise
    return TakePieces(c, r, scope, type, bytes) ? ReadEnd::Data : ReadEnd::Failed;
  }
  return format == 8 ? ReadEnd::Data : ReadEnd::Refused;
}

bool ConvertSelection(Connection& c, Atom selection, Atom target, Time time, Atom& type, std::string& bytes) {
  return ReadSelection(c, selection, target, time, type, bytes) == ReadEnd::Data;
}

bool AwaitOwner(Connection& c, Window owner, Clock::time_point until, const std::function<bool()>& ready) {
  if (ready()) return true;
  if (c.reads.size() >= kMaxNested || Clock::now() >= until) return false;
  // A read of nothing: no selection, no property; only its owner is watched.
  IncomingRead r;
  r.owner = owner;
  ReadScope scope(c, r);
  return !r.ownerGone && Await(c, r, scope, ready, until);
}

bool NoteReadEvent(Connection& c, const XEvent& ev) {
  if (c.reads.empty()) return false;
  switch (ev.type) {
    case SelectionNotify: {
      const XSelectionEvent& s = ev.xselection;
      if (s.requestor != c.utility) return false;
      for (IncomingRead* r : c.reads)
        if (!r->answered && r->selection == s.selection && r->target == s.target &&
            (s.property == None || s.property == r->property)) {
          r->answered = true;
          r->answer = s.property;
          break;
        }
      return true;  // else a late answer to a read that ended
    }
    case PropertyNotify: {
      const XPropertyEvent& p = ev.xproperty;
      if (p.window != c.utility) return false;
      for (IncomingRead* r : c.reads)
        if (r->property == p.atom) {
          if (p.state == PropertyDelete)
            r->deleted = true, r->piece = false;
          else if (r->deleted)
            r->piece = true;
          return true;
        }
      return false;
    }
    case DestroyNotify:
      for (IncomingRead* r : c.reads)
        if (r->owner == ev.xdestroywindow.window) r->ownerGone = true;
      return false;  // others may follow that window too
  }
  return false;
}

}  // namespace qv::x11
