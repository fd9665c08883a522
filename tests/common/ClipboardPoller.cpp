// The program that keeps asking the clipboard's types (see ClipboardPoller.h).
#include "tests/common/ClipboardPoller.h"

// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <poll.h>

#include <chrono>

namespace qv::test {

using namespace std::chrono_literals;

ClipboardPoller::ClipboardPoller(const std::string& display) : thread_([this, display] { Run(display); }) {}

ClipboardPoller::~ClipboardPoller() {
  stop_ = true;
  thread_.join();
}

void ClipboardPoller::Run(const std::string& display) {
  ::Display* d = XOpenDisplay(display.c_str());
  if (!d) return;
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  Atom clipboard = XInternAtom(d, "CLIPBOARD", False), targets = XInternAtom(d, "TARGETS", False),
       property = XInternAtom(d, "QV_POLLED_TYPES", False);
  while (!stop_) {
    XConvertSelection(d, clipboard, targets, property, w, CurrentTime);
    XFlush(d);
    // An owner that does not answer within 2 s is asked again.
    auto deadline = std::chrono::steady_clock::now() + 2s;
    XEvent ev;
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
      if (XCheckTypedWindowEvent(d, w, SelectionNotify, &ev)) {
        if (ev.xselection.property != None) ++answers_;
        XDeleteProperty(d, w, property);
        break;
      }
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      poll(&p, 1, 5);
    }
    std::this_thread::sleep_for(10ms);
  }
  XCloseDisplay(d);
}

}  // namespace qv::test
