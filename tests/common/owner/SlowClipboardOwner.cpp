// Another program for the paste tests: it owns the CLIPBOARD (or another
// selection) with a megabyte of text and serves it by INCR, one 64 KB piece
// for each deletion of the reader's property, as a slow toolkit does. It can
// stop after a number of pieces, or never answer at all, and wait there to
// be killed; or answer every request for text a number of milliseconds late
// (late=500), as a busy program does, then serve it all.
//
//   qv_slow_clipboard_owner <status file> <pieces to serve | all | silent | late=MS> [@selection] [type
//   [text]]
//
// Every step is written to the status file as a line of its own ("owning",
// "types" for a question for its TARGETS, "asked", "piece 3", "served",
// "refused" for a type it does not offer, "lost"), so that a test waits on
// what the owner did, never on time. The text is SlowClipboardOwnerText() of
// the header, offered as UTF8_STRING and STRING; or `text` (UTF-8) offered
// as `type` alone, which need not be a text type.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/SelectionAnswer.h"
#include "tests/common/owner/SlowClipboardOwnerText.h"

namespace {

constexpr size_t kPiece = 64 << 10;

FILE* status = nullptr;

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), status);
  std::fflush(status);
}

struct Transfer {
  Window requestor = 0;
  Atom property = 0, type = 0;
  size_t sent = 0, pieces = 0;
  bool active = false;
};

}  // namespace

int main(int argc, char** argv) {
  // "@PRIMARY" names another selection than the CLIPBOARD.
  const bool named = argc > 3 && argv[3][0] == '@';
  const int extra = argc - 3 - (named ? 1 : 0);  // type and text
  if (argc < 3 || extra > 2) return 2;
  status = std::fopen(argv[1], "a");
  if (!status) return 2;
  std::string mode = argv[2];
  bool silent = mode == "silent";
  const bool late = mode.rfind("late=", 0) == 0;
  const long lateMs = late ? std::strtol(mode.c_str() + 5, nullptr, 10) : 0;
  size_t limit = mode == "all" || silent || late ? SIZE_MAX : std::strtoul(mode.c_str(), nullptr, 10);
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  Atom selection = XInternAtom(d, named ? argv[3] + 1 : "CLIPBOARD", False),
       targets = XInternAtom(d, "TARGETS", False), utf8 = XInternAtom(d, "UTF8_STRING", False),
       incr = XInternAtom(d, "INCR", False);
  XSetSelectionOwner(d, selection, w, CurrentTime);
  if (XGetSelectionOwner(d, selection) != w) return 1;
  char** rest = argv + 3 + (named ? 1 : 0);
  std::vector<Atom> offered = {targets, utf8, XA_STRING};
  if (extra > 0) offered = {targets, XInternAtom(d, rest[0], False)};
  const std::string text = extra > 1 ? rest[1] : qv::test::SlowClipboardOwnerText();
  auto offers = [&](Atom type) {
    return std::find(offered.begin() + 1, offered.end(), type) != offered.end();
  };
  Say("owning");
  Transfer t;
  for (;;) {
    XEvent ev;
    XNextEvent(d, &ev);
    if (ev.type == SelectionClear) {
      Say("lost");
      return 0;
    }
    if (ev.type == SelectionRequest) {
      const XSelectionRequestEvent& r = ev.xselectionrequest;
      Atom property = r.property != None ? r.property : r.target;
      if (r.target == targets) {
        Say("types");
        XChangeProperty(d, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(offered.data()), int(offered.size()));
        qv::test::AnswerRequest(d, r, property);
      } else if (offers(r.target) && !t.active) {
        Say("asked");
        if (silent) continue;  // never answers
        if (late) std::this_thread::sleep_for(std::chrono::milliseconds(lateMs));
        t = Transfer{r.requestor, property, r.target, 0, 0, true};
        XSelectInput(d, r.requestor, PropertyChangeMask);
        long size = long(text.size());
        XChangeProperty(d, r.requestor, property, incr, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&size), 1);
        qv::test::AnswerRequest(d, r, property);
      } else {
        Say("refused");
        qv::test::AnswerRequest(d, r, None);
      }
      XFlush(d);
    } else if (ev.type == PropertyNotify && t.active && ev.xproperty.window == t.requestor &&
               ev.xproperty.atom == t.property && ev.xproperty.state == PropertyDelete) {
      if (t.pieces == limit) continue;  // stopped: waits to be killed
      size_t n = std::min(kPiece, text.size() - t.sent);
      XChangeProperty(d, t.requestor, t.property, t.type, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text.data() + t.sent), int(n));
      XFlush(d);
      t.sent += n;
      if (n == 0) {
        t.active = false;
        XSelectInput(d, t.requestor, NoEventMask);
        Say("served");
        continue;
      }
      Say("piece " + std::to_string(++t.pieces));
    }
  }
}
