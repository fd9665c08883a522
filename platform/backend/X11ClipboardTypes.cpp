// Whether another program's CLIPBOARD holds text, asked of that program
// (its TARGETS) without waiting for the answer: a menu or an action that
// only enables Paste never holds the windows for a program that is busy,
// stopped or hung. The answer is kept a moment and asked again after that;
// meanwhile the last answer of the same program stands.
#include <X11/Xatom.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// Idle-time action updates ask often; one question per this interval is enough.
constexpr auto kTypesReuse = std::chrono::milliseconds(200);

// Our paste reads UTF-8, else Latin-1 (X11Clipboard.cpp).
bool OffersText(Connection& c, const Atom* types, unsigned long count) {
  return std::any_of(types, types + count, [&](Atom t) { return t == c.atoms.utf8String || t == XA_STRING; });
}

bool ReadTypes(Connection& c, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(c.dpy, c.utility, property, 0, LONG_MAX / 4, True, XA_ATOM, &type, &format, &count,
                         &after, &data) != Success)
    return false;
  bool text = data && type == XA_ATOM && format == 32 &&
              OffersText(c, reinterpret_cast<const Atom*>(data), count);  // Xlib keeps 32-bit items as longs
  if (data) XFree(data);
  return text;
}

void Ask(Connection& c, ClipboardTypes& t) {
  Atom property = c.atoms.clipboardTypes;
  XDeleteProperty(c.dpy, c.utility, property);
  XConvertSelection(c.dpy, c.atoms.clipboard, c.atoms.targets, property, c.utility, CurrentTime);
  XFlush(c.dpy);
  t.asking = true;
  t.askedAt = Clock::now();
}

}  // namespace

ClipboardOffer AskClipboardTypes(Connection& c, HWND notify) {
  if (c.ownsClipboard) return ClipboardOffer::Read;
  Window owner = XGetSelectionOwner(c.dpy, c.atoms.clipboard);
  if (owner == None) return ClipboardOffer::Nothing;
  if (owner == c.utility) return ClipboardOffer::Read;  // our claim, its loss not read yet
  ClipboardTypes& t = c.clipboardTypes;
  auto now = Clock::now();
  if (t.owner != owner) {  // another program copied: what we knew was of the one before
    t = ClipboardTypes();
    t.owner = owner;
  }
  // A silent program is asked again once a read would have given up on it.
  if (t.asking && now - t.askedAt >= kOwnerPatience) t.asking = false;
  if (!t.asking && (!t.text || now - t.answeredAt >= kTypesReuse)) Ask(c, t);
  if (t.asking && notify && std::find(t.notify.begin(), t.notify.end(), notify) == t.notify.end())
    t.notify.push_back(notify);
  if (!t.text) return ClipboardOffer::Asked;
  return *t.text ? ClipboardOffer::Text : ClipboardOffer::Nothing;
}

bool NoteClipboardTypes(Connection& c, const XEvent& ev) {
  if (ev.type != SelectionNotify) return false;
  const XSelectionEvent& s = ev.xselection;
  Atom property = c.atoms.clipboardTypes;
  ClipboardTypes& t = c.clipboardTypes;
  if (s.requestor != c.utility || s.selection != c.atoms.clipboard || s.target != c.atoms.targets)
    return false;
  // A refusal names no property: it is ours only while we ask.
  if (s.property != property && !(s.property == None && t.asking)) return false;
  if (!t.asking) return true;  // a late answer to a question given up
  t.asking = false;
  t.text = s.property != None && ReadTypes(c, property);
  t.answeredAt = Clock::now();
  for (HWND h : std::exchange(t.notify, {})) PostMessageW(h, WM_CLIPBOARDUPDATE, 0, 0);
  // The loop's idle work (action updates) runs again with the answer.
  PostMessageW(nullptr, WM_NULL, 0, 0);
  return true;
}

}  // namespace qv::x11
