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
#include <climits>
#include <utility>

#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

Atom PropertyOf(const Connection& c, unsigned long ownership) {
  return c.atoms.clipboardTypes[ownership % c.atoms.clipboardTypes.size()];
}

bool OffersText(const Connection& c, const std::vector<Atom>& types) {
  return std::any_of(types.begin(), types.end(), [&](Atom t) { return IsReadableText(c, t); });
}

std::vector<Atom> ReadTypes(Connection& c, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<Atom> types;
  if (XGetWindowProperty(c.dpy, c.utility, property, 0, LONG_MAX / 4, True, XA_ATOM, &type, &format, &count,
                         &after, &data) == Success &&
      data && type == XA_ATOM && format == 32) {
    auto* atoms = reinterpret_cast<const Atom*>(data);  // Xlib keeps 32-bit items as longs
    types.assign(atoms, atoms + count);
  }
  if (data) XFree(data);
  return types;
}

// News of the clipboard for the windows that asked, and for the loop's idle
// work (action updates).
void Tell(const std::vector<HWND>& windows) {
  for (HWND h : windows) PostMessageW(h, WM_CLIPBOARDUPDATE, 0, 0);
  PostMessageW(nullptr, WM_NULL, 0, 0);
}

void OwnerChanged(Connection& c, Window owner) {
  ClipboardTypes& t = c.clipboardTypes;
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

void Ask(Connection& c, ClipboardTypes& t) {
  Atom property = PropertyOf(c, t.ownership);
  XDeleteProperty(c.dpy, c.utility, property);
  XConvertSelection(c.dpy, c.atoms.clipboard, c.atoms.targets, property, c.utility, CurrentTime);
  XFlush(c.dpy);
  t.asking = true;
  t.askedAt = Clock::now();
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
  // A silent program is asked again once a read would have given up on it.
  if (t.asking && Clock::now() - t.askedAt >= kOwnerPatience) t.asking = false;
  if (!t.types && !t.asking) Ask(c, t);
  return OfferOf(c, t);
}

ClipboardOffer AwaitClipboardTypes(Connection& c) {
  ClipboardOffer offer = AskClipboardTypes(c, nullptr);
  if (offer != ClipboardOffer::Asked) return offer;
  ClipboardTypes& t = c.clipboardTypes;
  const unsigned long ownership = t.ownership;
  AwaitOwner(c, t.owner, t.askedAt + kOwnerPatience, [&] { return t.ownership != ownership || !t.asking; });
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
  if (ev.type != SelectionNotify) return false;
  const XSelectionEvent& s = ev.xselection;
  ClipboardTypes& t = c.clipboardTypes;
  if (s.requestor != c.utility || s.selection != c.atoms.clipboard || s.target != c.atoms.targets)
    return false;
  const auto& ours = c.atoms.clipboardTypes;
  bool refusal = s.property == None;
  if (!refusal && std::find(ours.begin(), ours.end(), s.property) == ours.end()) return false;
  // Another ownership's answer, or a refusal of a question given up: stale.
  if (refusal ? !t.asking : s.property != PropertyOf(c, t.ownership)) {
    if (!refusal) XDeleteProperty(c.dpy, c.utility, s.property);
    return true;
  }
  // A refusal may be a late one of a question of an earlier owner: the
  // current owner's answer, when it comes, still counts.
  t.types = refusal ? std::vector<Atom>() : ReadTypes(c, s.property);
  t.asking = false;
  Tell(t.notify);
  return true;
}

}  // namespace qv::x11
