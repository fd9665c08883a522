// Selection data larger than one property, both ways, by the incremental
// transfer of the selection protocol (INCR). Going out, the requestor's
// property first holds INCR and a size; each time the requestor deletes it
// the next piece is put, and an empty piece ends it. The pieces go out as
// the X queue is drained, so the windows keep being served meanwhile.
// Coming in, each piece is read as it is put, until the empty one.
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <climits>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

// A transfer whose requestor stopped taking pieces is dropped after this.
constexpr auto kIdleLimit = std::chrono::seconds(30);
// How long a reader waits for the owner's next piece.
constexpr int kPieceWaitMs = 5000;

size_t PieceBytes(Display* dpy) {
  return std::min<size_t>(MaxPropertyBytes(dpy), 256 * 1024);
}

// Property changes of a requestor's window are reported to us while a
// transfer to it goes on; our own windows report them always.
void Watch(Connection& c, Window w, bool on) {
  if (w == c.utility || c.FindX(w)) return;
  XSelectInput(c.dpy, w, on ? PropertyChangeMask : NoEventMask);
}

bool Watched(const Connection& c, Window w) {
  return std::any_of(c.transfers.begin(), c.transfers.end(),
                     [w](const OutgoingTransfer& t) { return t.requestor == w; });
}

void DropIdle(Connection& c) {
  auto now = std::chrono::steady_clock::now();
  for (size_t i = 0; i < c.transfers.size();) {
    if (now - c.transfers[i].lastActivity > kIdleLimit) {
      Window w = c.transfers[i].requestor;
      c.transfers.erase(c.transfers.begin() + long(i));
      if (!Watched(c, w)) Watch(c, w, false);
    } else {
      ++i;
    }
  }
}

}  // namespace

void StartIncrTransfer(Connection& c, Window requestor, Atom property, Atom type,
                       std::shared_ptr<const std::string> data, std::function<void()> done) {
  DropIdle(c);
  Watch(c, requestor, true);
  long size = long(std::min<size_t>(data->size(), LONG_MAX));
  XChangeProperty(c.dpy, requestor, property, c.dnd.incr, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&size), 1);
  OutgoingTransfer t;
  t.requestor = requestor;
  t.property = property;
  t.type = type;
  t.data = std::move(data);
  t.done = std::move(done);
  t.lastActivity = std::chrono::steady_clock::now();
  c.transfers.push_back(std::move(t));
}

bool HandleTransferProperty(Connection& c, const XPropertyEvent& ev) {
  if (ev.state != PropertyDelete) return false;
  auto it = std::find_if(c.transfers.begin(), c.transfers.end(), [&](const OutgoingTransfer& t) {
    return t.requestor == ev.window && t.property == ev.atom;
  });
  if (it == c.transfers.end()) return false;
  size_t piece = std::min(PieceBytes(c.dpy), it->data->size() - it->offset);
  XChangeProperty(c.dpy, it->requestor, it->property, it->type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(it->data->data() + it->offset), int(piece));
  it->offset += piece;
  it->lastActivity = std::chrono::steady_clock::now();
  if (piece == 0) {  // the empty piece went out: the requestor has it all
    std::function<void()> done = std::move(it->done);
    Window w = it->requestor;
    c.transfers.erase(it);
    if (!Watched(c, w)) Watch(c, w, false);
    if (done) done();
  }
  XFlush(c.dpy);
  return true;
}

bool ReceiveIncr(Connection& c, Atom property, std::string& bytes) {
  bytes.clear();
  for (;;) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPieceWaitMs);
    XEvent ev;
    // Our read deleted the property: a new value after that deletion is the next piece.
    bool deleted = false, got = false;
    XFlush(c.dpy);
    while (!got) {
      while (!got && XCheckTypedWindowEvent(c.dpy, c.utility, PropertyNotify, &ev)) {
        if (ev.xproperty.atom != property) continue;
        if (ev.xproperty.state == PropertyDelete) deleted = true;
        got = deleted && ev.xproperty.state == PropertyNewValue;
      }
      if (got) break;
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd fd{ConnectionNumber(c.dpy), POLLIN, 0};
      poll(&fd, 1, int(std::min<long>(left.count(), 20)));
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(c.dpy, c.utility, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success)
      return false;
    bool ok = data != nullptr || count == 0;
    if (data && format == 8) bytes.append(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    if (!ok) return false;
    if (count == 0) return true;  // the empty piece ends it
  }
}

}  // namespace qv::x11
