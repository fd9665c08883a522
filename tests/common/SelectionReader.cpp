// The selection reader of the transfer tests and benchmarks (see SelectionReader.h).
#include "tests/common/SelectionReader.h"

#include <poll.h>

#include <climits>

namespace qv::test {
namespace {

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

}  // namespace

SelectionReader::SelectionReader(const std::string& display) {
  d_ = XOpenDisplay(display.c_str());
  if (!d_) return;
  XSetWindowAttributes attrs{};
  attrs.event_mask = PropertyChangeMask;
  w_ = XCreateWindow(d_, DefaultRootWindow(d_), -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                     CWEventMask, &attrs);
  property_ = XInternAtom(d_, "QV_READER", False);
  incr_ = XInternAtom(d_, "INCR", False);
  XSync(d_, False);
}

SelectionReader::~SelectionReader() {
  if (d_) XCloseDisplay(d_);
}

bool SelectionReader::Next(XEvent& ev, Clock::time_point deadline) {
  for (;;) {
    while (XPending(d_)) {
      XNextEvent(d_, &ev);
      if (ev.xany.window == w_) return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(d_), POLLIN, 0};
    poll(&fd, 1, int(left));
  }
}

SelectionReader::Result SelectionReader::Read(const char* selection, const char* target,
                                              const Options& options) {
  Result r;
  // What is left of an earlier read that gave up is of no interest any more.
  XSync(d_, False);
  XEvent ev;
  while (XCheckWindowEvent(d_, w_, PropertyChangeMask, &ev)) {
  }
  while (XCheckTypedWindowEvent(d_, w_, SelectionNotify, &ev)) {
  }
  auto start = Clock::now();
  XConvertSelection(d_, XInternAtom(d_, selection, False), XInternAtom(d_, target, False), property_, w_,
                    CurrentTime);
  XFlush(d_);
  do {
    if (!Next(ev, Clock::now() + options.patience)) return r.failure = "no answer", r;
  } while (ev.type != SelectionNotify);
  if (ev.xselection.property == None) return r.failure = "refused", r;

  // Reads the property (deleting it as the mode says); false when it is not there.
  auto take = [&](Atom& type, std::string& bytes) {
    bool inTheRead = options.mode == Delete::InTheRead;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    type = None;
    if (XGetWindowProperty(d_, w_, property_, 0, 0x1FFFFFFF, inTheRead ? True : False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success)
      return false;
    if (data && format == 8) bytes.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    if (!inTheRead) XDeleteProperty(d_, w_, property_);
    XFlush(d_);
    return type != None;
  };
  Atom type = None;
  std::string bytes;
  if (!take(type, bytes)) return r.failure = "no property", r;
  if (char* name = XGetAtomName(d_, type)) r.type = name, XFree(name);
  if (type != incr_) {
    r.bytes = std::move(bytes);
    r.firstByteMs = r.totalMs = MsBetween(start, Clock::now());
    r.whole = true;
    return r;
  }
  r.incr = true;
  auto last = Clock::now();
  for (;;) {
    auto deadline = Clock::now() + options.patience;
    do {
      if (!Next(ev, deadline)) return r.failure = "no piece after " + std::to_string(r.bytes.size()), r;
    } while (ev.type != PropertyNotify || ev.xproperty.atom != property_ ||
             ev.xproperty.state != PropertyNewValue);
    auto now = Clock::now();
    r.longestWaitMs = std::max(r.longestWaitMs, MsBetween(last, now));
    if (!take(type, bytes)) return r.failure = "a piece was gone", r;
    if (char* name = XGetAtomName(d_, type)) r.type = name, XFree(name);
    if (bytes.empty()) break;
    if (r.bytes.empty()) r.firstByteMs = MsBetween(start, Clock::now());
    r.bytes += bytes;
    last = Clock::now();  // the time the reader itself takes is not the owner's
    if (++r.pieces == options.giveUpAfter) return r.failure = "gave up", r;
  }
  r.totalMs = MsBetween(start, Clock::now());
  r.whole = true;
  return r;
}

}  // namespace qv::test
