// Whether another program's CLIPBOARD holds text, asked of that program
// (its TARGETS) without waiting for the answer: a menu or an action that
// only enables Paste never holds the windows for a program that is busy,
// stopped or hung. The answer stands for the ownership it was given in and
// no longer: the server reports every change of owner (XFIXES), and a
// window id says nothing, as a program may claim the clipboard again from
// the same window with other data, and the server gives the ids of windows
// that are gone to new ones.
#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <utility>

#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {
namespace {

bool OffersText(const Connection& c, const std::vector<Atom>& types) {
  return std::any_of(types.begin(), types.end(), [&](Atom t) { return IsReadableText(c, t); });
}

// The atoms of an answer to TARGETS; none for another answer.
std::vector<Atom> TypesOf(const SelectionRead& r) {
  if (r.type != XA_ATOM || r.format != 32) return {};
  auto* atoms = reinterpret_cast<const Atom*>(r.bytes.data());  // Xlib keeps 32-bit items as longs
  return std::vector<Atom>(atoms, atoms + r.bytes.size() / sizeof(Atom));
}

// News of the clipboard for the windows that asked, and for the loop's idle
// work (action updates).
void Tell(const std::vector<HWND>& windows) {
  for (HWND h : windows) PostMessageW(h, WM_CLIPBOARDUPDATE, 0, 0);
  PostMessageW(nullptr, WM_NULL, 0, 0);
}

void OwnerChanged(Connection& c, Window owner) {
  ClipboardTypes& t = c.clipboardTypes;
  CancelRead(c, t.question);  // an answer of the owner before counts for nothing now
  std::vector<HWND> told = std::move(t.notify);
  unsigned long ownership = t.ownership + 1;
  t = ClipboardTypes();
  t.ownership = ownership;
  t.owner = owner;
  Tell(told);
}

bool IsOwnerChange(const Connection& c, const XEvent& ev) {
  return c.fixesEvent && ev.type == c.fixesEvent + XFixesSelectionNotify &&
         reinterpret_cast<const XFixesSelectionNotifyEvent&>(ev).selection == c.atoms.clipboard;
}

// The changes the server reported before our last request: after a round
// trip they wait in Xlib's queue, and are taken before what they precede.
void TakeOwnerChanges(Connection& c) {
  XEvent ev;
  while (XCheckTypedEvent(c.dpy, c.fixesEvent + XFixesSelectionNotify, &ev))
    if (IsOwnerChange(c, ev)) OwnerChanged(c, reinterpret_cast<XFixesSelectionNotifyEvent&>(ev).owner);
}

// The owner's answer, or its silence: a silent owner is asked again when
// somebody next needs to know.
void Answered(Connection& c, const SelectionRead& r) {
  ClipboardTypes& t = c.clipboardTypes;
  if (r.id != t.question) return;
  t.question = 0;
  if (r.end == ReadEnd::Failed) return;
  t.types = r.end == ReadEnd::Data ? TypesOf(r) : std::vector<Atom>();
  Tell(t.notify);
}

void Ask(Connection& c, ClipboardTypes& t) {
  SelectionRead read;
  read.selection = c.atoms.clipboard;
  read.types = {c.atoms.targets};
  // No act of the user asks this (a new owner does): what the owner holds now.
  read.time = CurrentTime;
  read.told = [](Connection& x, SelectionRead& r) {
    Answered(x, r);
    return false;
  };
  t.question = BeginRead(c, std::move(read));
}

// The current ownership, as the server knows it now; false while the
// clipboard is ours or the server does not report its changes.
bool CurrentOwnership(Connection& c, Window& owner) {
  if (c.ownsClipboard || !c.fixesEvent) return false;
  owner = XGetSelectionOwner(c.dpy, c.atoms.clipboard);
  TakeOwnerChanges(c);
  if (owner == c.utility) return false;  // our claim, its loss not read yet
  // Never unreported with the extension; should it be, it is still a new ownership.
  if (owner != c.clipboardTypes.owner) OwnerChanged(c, owner);
  return true;
}

ClipboardOffer OfferOf(const Connection& c, const ClipboardTypes& t) {
  if (!t.types) return ClipboardOffer::Asked;
  return OffersText(c, *t.types) ? ClipboardOffer::Text : ClipboardOffer::Nothing;
}

}  // namespace

void FollowClipboardOwner(Connection& c) {
  int event = 0, error = 0, major = 5, minor = 0;
  if (!XFixesQueryExtension(c.dpy, &event, &error) || !XFixesQueryVersion(c.dpy, &major, &minor) || major < 1)
    return;
  c.fixesEvent = event;
  XFixesSelectSelectionInput(c.dpy, c.utility, c.atoms.clipboard,
                             XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                 XFixesSelectionClientCloseNotifyMask);
  c.clipboardTypes.owner = XGetSelectionOwner(c.dpy, c.atoms.clipboard);
}

ClipboardOffer AskClipboardTypes(Connection& c, HWND notify) {
  Window owner = None;
  const bool foreign = CurrentOwnership(c, owner);
  ClipboardTypes& t = c.clipboardTypes;
  // Told of the next owner also while the clipboard is ours or has none: a
  // menu open across a moment without an owner follows whoever takes it next.
  if (notify && c.fixesEvent && std::find(t.notify.begin(), t.notify.end(), notify) == t.notify.end())
    t.notify.push_back(notify);
  if (!foreign) return ClipboardOffer::Read;
  if (owner == None) return ClipboardOffer::Nothing;
  if (!t.types && !t.question) Ask(c, t);
  return OfferOf(c, t);
}

ClipboardOffer AwaitClipboardTypes(Connection& c) {
  ClipboardOffer offer = AskClipboardTypes(c, nullptr);
  if (offer != ClipboardOffer::Asked) return offer;
  ClipboardTypes& t = c.clipboardTypes;
  const unsigned long ownership = t.ownership;
  // The question is given up when the owner changes meanwhile.
  if (t.question) AwaitRead(c, t.question);
  return t.ownership == ownership ? OfferOf(c, t) : ClipboardOffer::Asked;
}

std::vector<Atom> ClipboardTextTypes(Connection& c) {
  std::vector<Atom> types = ReadableTextTypes(c);
  Window owner = None;
  // An owner that did not say what it offers (or refused to) is asked for each.
  if (!CurrentOwnership(c, owner) || !c.clipboardTypes.types || c.clipboardTypes.types->empty()) return types;
  const std::vector<Atom>& offered = *c.clipboardTypes.types;
  std::erase_if(types, [&](Atom t) { return std::find(offered.begin(), offered.end(), t) == offered.end(); });
  return types;
}

bool NoteClipboardTypes(Connection& c, const XEvent& ev) {
  if (IsOwnerChange(c, ev)) {
    OwnerChanged(c, reinterpret_cast<const XFixesSelectionNotifyEvent&>(ev).owner);
    return true;
  }
  return false;
}

}  // namespace qv::x11
