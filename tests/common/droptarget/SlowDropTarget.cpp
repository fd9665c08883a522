// Another program for the drag tests: a drop target that takes every drag
// and, at a drop, reads the text slowly, one piece of an incremental transfer
// (INCR) every 50 ms, and never says it has finished: it waits there to be
// killed.
//
//   qv_slow_drop_target <status file> <x> <y>
//
// Its window ("qv slow drop target", 240x200) asks to be placed at x, y.
// Every step is written to the status file as a line of its own ("shown",
// "entered", "drop", "piece 3", "end"), so that a test waits on what the
// target did, never on time.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

FILE* status = nullptr;

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), status);
  std::fflush(status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  status = std::fopen(argv[1], "a");
  if (!status) return 2;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  auto A = [d](const char* name) { return XInternAtom(d, name, False); };
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, 240, 200, 0, 0, 0xFFFFFF);
  XStoreName(d, w, "qv slow drop target");
  XSizeHints hints{};
  hints.flags = USPosition | PPosition;
  hints.x = x, hints.y = y;
  XSetWMNormalHints(d, w, &hints);
  long version = 5;
  XChangeProperty(d, w, A("XdndAware"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
  XSelectInput(d, w, StructureNotifyMask | PropertyChangeMask);
  XMapWindow(d, w);
  const Atom property = A("QV_DROP");
  bool reading = false;
  int pieces = 0;
  for (;;) {
    XEvent ev;
    XNextEvent(d, &ev);
    if (ev.type == MapNotify) {
      Say("shown");
    } else if (ev.type == ClientMessage && ev.xclient.window == w) {
      const XClientMessageEvent& m = ev.xclient;
      Window source = Window(m.data.l[0]);
      if (m.message_type == A("XdndEnter")) {
        Say("entered");
      } else if (m.message_type == A("XdndPosition")) {
        // Every position is taken, as a copy.
        XEvent answer{};
        answer.xclient.type = ClientMessage;
        answer.xclient.window = source;
        answer.xclient.message_type = A("XdndStatus");
        answer.xclient.format = 32;
        answer.xclient.data.l[0] = long(w);
        answer.xclient.data.l[1] = 1;
        answer.xclient.data.l[4] = long(A("XdndActionCopy"));
        XSendEvent(d, source, False, NoEventMask, &answer);
      } else if (m.message_type == A("XdndDrop")) {
        Say("drop");
        XConvertSelection(d, A("XdndSelection"), A("UTF8_STRING"), property, w, Time(m.data.l[2]));
      }
      XFlush(d);
    } else if (ev.type == SelectionNotify && ev.xselection.property == property) {
      // The answer: INCR starts the pieces, which come one per deletion.
      Atom type;
      int format;
      unsigned long count = 0, after;
      unsigned char* data = nullptr;
      XGetWindowProperty(d, w, property, 0, 1 << 24, True, AnyPropertyType, &type, &format, &count, &after,
                         &data);
      if (data) XFree(data);
      reading = type == A("INCR");
      Say(reading ? "incr" : "whole");
      XFlush(d);
    } else if (ev.type == PropertyNotify && reading && ev.xproperty.atom == property &&
               ev.xproperty.state == PropertyNewValue) {
      usleep(50 * 1000);
      Atom type;
      int format;
      unsigned long count = 0, after;
      unsigned char* data = nullptr;
      XGetWindowProperty(d, w, property, 0, 1 << 24, True, AnyPropertyType, &type, &format, &count, &after,
                         &data);
      if (data) XFree(data);
      XFlush(d);
      if (count == 0) {
        reading = false;
        Say("end");
      } else {
        Say("piece " + std::to_string(++pieces));
      }
    }
  }
}
