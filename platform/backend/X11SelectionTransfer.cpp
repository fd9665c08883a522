// Our selection data larger than one property, sent by the incremental
// transfer of the selection protocol (INCR). The requestor's
// property first holds INCR and a lower bound of the size; each time the
// requestor deletes it the next piece is read (a drag's text is rendered
// then, piece by piece) and put, and an empty piece ends it. The pieces go
// out as the X queue is drained, so the windows keep being served meanwhile
// and the requestor sees progress with every piece. (Pieces coming in are
// read in X11SelectionRead.cpp.)
#include <X11/Xatom.h>

#include <algorithm>
#include <climits>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

// A transfer whose requestor stopped taking pieces is dropped after this.
constexpr auto kIdleLimit = std::chrono::seconds(30);

class SharedBytesReader : public TextReader {
 public:
  explicit SharedBytesReader(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
  bool Next(std::string& out, size_t bytes) override {
    if (!bytes_ || at_ >= bytes_->size()) return false;
    size_t n = std::min(std::max<size_t>(bytes, 1), bytes_->size() - at_);
    out.append(*bytes_, at_, n);
    at_ += n;
    return true;
  }

 private:
  std::shared_ptr<const std::string> bytes_;
  size_t at_ = 0;
};

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

void Erase(Connection& c, std::vector<OutgoingTransfer>::iterator it) {
  Window w = it->requestor;
  c.transfers.erase(it);
  if (!Watched(c, w)) Watch(c, w, false);
}

}  // namespace

size_t PieceBytes(Display* dpy) {
  return std::min<size_t>(MaxPropertyBytes(dpy), 256 * 1024);
}

std::unique_ptr<TextReader> ReaderOf(std::shared_ptr<const std::string> bytes) {
  return std::make_unique<SharedBytesReader>(std::move(bytes));
}

void StartIncrTransfer(Connection& c, Window requestor, Atom property, Atom type, std::string first,
                       std::unique_ptr<TextReader> rest, bool ofDrag, std::function<void()> done) {
  DropIdle(c);
  Watch(c, requestor, true);
  long size = long(std::min<size_t>(first.size(), LONG_MAX));  // all that is known yet: a lower bound
  XChangeProperty(c.dpy, requestor, property, c.dnd.incr, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&size), 1);
  OutgoingTransfer t;
  t.requestor = requestor;
  t.property = property;
  t.type = type;
  t.buffer = std::move(first);
  t.reader = std::move(rest);
  t.ofDrag = ofDrag;
  t.done = std::move(done);
  t.lastActivity = std::chrono::steady_clock::now();
  c.transfers.push_back(std::move(t));
}

void EndDragTransfers(Connection& c) {
  for (size_t i = 0; i < c.transfers.size();) {
    if (c.transfers[i].ofDrag)
      Erase(c, c.transfers.begin() + long(i));
    else
      ++i;
  }
}

bool HandleTransferProperty(Connection& c, const XPropertyEvent& ev) {
  if (ev.state != PropertyDelete) return false;
  auto it = std::find_if(c.transfers.begin(), c.transfers.end(), [&](const OutgoingTransfer& t) {
    return t.requestor == ev.window && t.property == ev.atom;
  });
  if (it == c.transfers.end()) return false;
  size_t limit = PieceBytes(c.dpy);
  while (it->reader && it->buffer.size() < limit)
    if (!it->reader->Next(it->buffer, limit - it->buffer.size())) it->reader.reset();
  size_t piece = std::min(limit, it->buffer.size());
  XChangeProperty(c.dpy, it->requestor, it->property, it->type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(it->buffer.data()), int(piece));
  it->buffer.erase(0, piece);
  it->lastActivity = std::chrono::steady_clock::now();
  if (piece == 0) {  // the empty piece went out: the requestor has it all
    std::function<void()> done = std::move(it->done);
    Erase(c, it);
    if (done) done();
  }
  XFlush(c.dpy);
  return true;
}

}  // namespace qv::x11
