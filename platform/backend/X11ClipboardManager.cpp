// At the program's end our copy goes to the desktop's clipboard manager (the
// program that owns CLIPBOARD_MANAGER), by the desktop's convention: we
// convert CLIPBOARD_MANAGER to SAVE_TARGETS with the targets to keep listed
// in a property of ours; the manager asks for them (one by one or in one
// MULTIPLE, large ones in pieces) and says it is done by answering
// SAVE_TARGETS. The windows are gone by then: only the selection traffic is
// handled. A manager that does not answer never holds the end for long: it
// is waited for kSilenceLimit after its last step, and the whole handover
// lasts kHandOverLimit at most (a copy too large to go in that time is not
// kept, and the manager gives it up when our connection ends).
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <iterator>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// A manager answers within milliseconds; this covers a busy machine. One
// that has gone silent holds the end no longer than kSilenceLimit; one that
// keeps reading (a large copy, a loaded machine) gets up to kHandOverLimit.
constexpr auto kSilenceLimit = std::chrono::milliseconds(300);
constexpr auto kHandOverLimit = std::chrono::milliseconds(2000);
// A step of making the text ahead of the manager's requests.
constexpr auto kMakeStep = std::chrono::milliseconds(4);

// The CLIPBOARD is still ours (no other program copied since) and holds text.
bool HoldsCopy(Connection& c) {
  if (!c.ownsClipboard || !c.clipboardText) return false;
  if (XGetSelectionOwner(c.dpy, c.atoms.clipboard) != c.utility) return false;
  return c.clipboardText->Reach(1) > 0;
}

bool Answered(Connection& c, const XSelectionEvent& s) {
  return s.requestor == c.utility && s.selection == c.atoms.clipboardManager &&
         s.target == c.atoms.saveTargets;
}

// One event while the copy is handed over; true once the manager says it is
// done (or refuses). `heard` is set when the manager (or any reader) took a step.
bool Handle(Connection& c, XEvent& ev, bool& heard) {
  switch (ev.type) {
    case SelectionRequest:
      AnswerSelectionRequest(c, ev.xselectionrequest);
      heard = true;
      break;
    case PropertyNotify:
      if (HandleTransferProperty(c, ev.xproperty)) heard = true;
      break;
    case SelectionClear:  // the manager may take the clipboard before it answers
      if (ev.xselectionclear.selection == c.atoms.clipboard) ClipboardTaken(c);
      break;
    case DestroyNotify:
      EndTransfersTo(c, ev.xdestroywindow.window);
      break;
    case SelectionNotify:
      return Answered(c, ev.xselection);
  }
  return false;
}

// A piece a reader waits for is ours to make: that is no silence of the manager.
bool ReaderWaitsForUs(const Connection& c) {
  return std::any_of(c.transfers.begin(), c.transfers.end(),
                     [](const OutgoingTransfer& t) { return t.waiting; });
}

void Ask(Connection& c) {
  // The text in each type our readers take; TEXT and TARGETS are only ways of asking.
  Atom keep[] = {c.atoms.utf8String, c.dnd.textPlainUtf8, XA_STRING};
  XChangeProperty(c.dpy, c.utility, c.atoms.savedTargets, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(keep), int(std::size(keep)));
  XConvertSelection(c.dpy, c.atoms.clipboardManager, c.atoms.saveTargets, c.atoms.savedTargets, c.utility,
                    CurrentTime);
  XFlush(c.dpy);
}

int MillisecondsUntil(Clock::time_point t) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count() + 1;
  return int(std::max<long>(left, 0));
}

}  // namespace

void HandOverClipboard(Connection& c) {
  if (!HoldsCopy(c) || XGetSelectionOwner(c.dpy, c.atoms.clipboardManager) == None) return;
  Ask(c);
  auto start = Clock::now(), lastHeard = start;
  for (;;) {
    while (XPending(c.dpy)) {
      XEvent ev;
      XNextEvent(c.dpy, &ev);
      bool heard = false;
      if (Handle(c, ev, heard)) return;
      if (heard) lastHeard = Clock::now();
    }
    bool making = RenderAhead(c, kMakeStep);
    XFlush(c.dpy);
    if (ReaderWaitsForUs(c)) lastHeard = Clock::now();
    auto until = std::min(start + kHandOverLimit, lastHeard + kSilenceLimit);
    if (Clock::now() >= until) return;
    if (XEventsQueued(c.dpy, QueuedAfterReading) > 0) continue;
    pollfd fd{ConnectionNumber(c.dpy), POLLIN, 0};
    poll(&fd, 1, making ? 0 : MillisecondsUntil(until));
  }
}

}  // namespace qv::x11
