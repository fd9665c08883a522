// Our drags over other programs' windows, by the X drag-and-drop protocol
// (version 5, down to 3): the drag-aware window under the pointer is sent
// enter, position, leave and drop messages from our utility window, which
// owns the drag selection and serves the rows from it as text/uri-list,
// text/plain;charset=utf-8 and UTF8_STRING. A target answers each position
// with a status; a newer position waits for it, so a slow target is never
// flooded and its last answer always belongs to the last position but one.
#include <X11/Xatom.h>

#include <climits>

#include "platform/backend/X11Connection.h"
#include "platform/ole/DragDrop.h"

namespace qv::x11 {
namespace {

constexpr int kProtocolVersion = 5, kOldestVersion = 3;

void Send(Connection& c, Window to, Window about, Atom type, long l1, long l2, long l3, long l4) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.display = c.dpy;
  ev.xclient.window = about;
  ev.xclient.message_type = type;
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = long(c.utility);
  ev.xclient.data.l[1] = l1;
  ev.xclient.data.l[2] = l2;
  ev.xclient.data.l[3] = l3;
  ev.xclient.data.l[4] = l4;
  XSendEvent(c.dpy, to, False, NoEventMask, &ev);
  XFlush(c.dpy);
}

// A window property of 32-bit items (atoms or windows); empty when absent.
std::vector<long> LongProperty(Connection& c, Window w, Atom name, Atom type) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (XGetWindowProperty(c.dpy, w, name, 0, 64, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      data && format == 32)
    out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  if (data) XFree(data);
  return out;
}

// The drag-aware window at a root point, found by walking down from the
// root through the windows that contain it (frames of the desktop's window
// manager included); 0 when there is none or the point is over one of ours.
Window AwareWindowAt(Connection& c, POINT pt, int& version, Window& sendTo) {
  Window w = c.root;
  for (int depth = 0; depth < 32; ++depth) {
    int x = 0, y = 0;
    Window child = None;
    if (!XTranslateCoordinates(c.dpy, c.root, w, pt.x, pt.y, &x, &y, &child) || child == None) return 0;
    w = child;
    if (c.FindX(w) || w == c.utility) return 0;
    auto aware = LongProperty(c, w, c.dnd.aware, XA_ATOM);
    if (aware.empty()) continue;
    version = std::min(int(aware[0]), kProtocolVersion);
    if (version < kOldestVersion) return 0;
    // A proxy is honoured only when it names itself, as the protocol asks.
    auto proxy = LongProperty(c, w, c.dnd.proxy, XA_WINDOW);
    sendTo = w;
    if (!proxy.empty()) {
      auto self = LongProperty(c, Window(proxy[0]), c.dnd.proxy, XA_WINDOW);
      if (!self.empty() && self[0] == proxy[0]) sendTo = Window(proxy[0]);
    }
    return w;
  }
  return 0;
}

std::vector<Atom> OfferedTypes(const Connection& c) {
  std::vector<Atom> types;
  if (!c.dragOut.offer.uris.empty()) types.push_back(c.dnd.uriList);
  types.push_back(c.dnd.textPlainUtf8);
  types.push_back(c.atoms.utf8String);
  return types;
}

void SendEnter(Connection& c) {
  auto& d = c.dragOut;
  std::vector<Atom> types = OfferedTypes(c);
  if (types.size() > 3)
    XChangeProperty(c.dpy, c.utility, c.dnd.typeList, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(types.data()), int(types.size()));
  types.resize(3, None);
  long flags = (long(d.version) << 24) | (OfferedTypes(c).size() > 3 ? 1 : 0);
  Send(c, d.sendTo, d.target, c.dnd.enter, flags, long(types[0]), long(types[1]), long(types[2]));
}

void SendPosition(Connection& c, POINT pt, Atom action) {
  auto& d = c.dragOut;
  if (d.waitingStatus) {
    d.pending = true;
    d.pendingPoint = pt;
    d.pendingAction = action;
    return;
  }
  long where = (long(pt.x & 0xFFFF) << 16) | long(pt.y & 0xFFFF);
  Send(c, d.sendTo, d.target, c.dnd.position, 0, where, long(c.lastTime), long(action));
  d.waitingStatus = true;
  d.pending = false;
}

// The action to propose: a move when Shift asks for one and the source
// allows it, else a copy where allowed.
Atom ProposedAction(const Connection& c, DWORD okEffects, DWORD keys) {
  if ((keys & MK_SHIFT) && (okEffects & DROPEFFECT_MOVE)) return c.dnd.actionMove;
  if (okEffects & DROPEFFECT_COPY) return c.dnd.actionCopy;
  if (okEffects & DROPEFFECT_MOVE) return c.dnd.actionMove;
  if (okEffects & DROPEFFECT_LINK) return c.dnd.actionLink;
  return None;
}

void OwnDragSelection(Connection& c) {
  if (c.dragOut.ownsSelection) return;
  XSetSelectionOwner(c.dpy, c.dnd.selection, c.utility, c.lastTime);
  c.dragOut.ownsSelection = XGetSelectionOwner(c.dpy, c.dnd.selection) == c.utility;
}

std::string UriList(const ForeignDragOffer& offer) {
  std::string out;
  for (auto& uri : offer.uris) out += uri + "\r\n";
  return out;
}

}  // namespace

void InternDndAtoms(Connection& c) {
  auto a = [&](const char* name) { return XInternAtom(c.dpy, name, False); };
  c.dnd = DndAtoms{a("XdndAware"),      a("XdndProxy"),      a("XdndEnter"),
                   a("XdndPosition"),   a("XdndStatus"),     a("XdndLeave"),
                   a("XdndDrop"),       a("XdndFinished"),   a("XdndSelection"),
                   a("XdndTypeList"),   a("XdndActionCopy"), a("XdndActionMove"),
                   a("XdndActionLink"), a("text/uri-list"),  a("text/plain;charset=utf-8"),
                   a("text/plain")};
}

DWORD EffectOfAction(const Connection& c, Atom action) {
  if (action == c.dnd.actionCopy) return DROPEFFECT_COPY;
  if (action == c.dnd.actionMove) return DROPEFFECT_MOVE;
  if (action == c.dnd.actionLink) return DROPEFFECT_LINK;
  return action == None ? DROPEFFECT_NONE : DROPEFFECT_COPY;  // a private action still took the data
}

Atom ActionOfEffect(const Connection& c, DWORD effect) {
  if (effect & DROPEFFECT_MOVE) return c.dnd.actionMove;
  if (effect & DROPEFFECT_COPY) return c.dnd.actionCopy;
  if (effect & DROPEFFECT_LINK) return c.dnd.actionLink;
  return None;
}

bool DragOver(Connection& c, POINT screen, const ForeignDragOffer& offer, DWORD okEffects, DWORD keys,
              DWORD& effect) {
  auto& d = c.dragOut;
  int version = 0;
  Window sendTo = 0;
  Window target = AwareWindowAt(c, screen, version, sendTo);
  if (target != d.target) {
    DragLeave(c);
    if (!target) return effect = DROPEFFECT_NONE, false;
    d.target = target, d.sendTo = sendTo, d.version = version;
    d.offer = offer;
    OwnDragSelection(c);
    SendEnter(c);
  }
  if (!target) return effect = DROPEFFECT_NONE, false;
  SendPosition(c, screen, ProposedAction(c, okEffects, keys));
  effect = d.accepted ? EffectOfAction(c, d.action) & (okEffects | DROPEFFECT_COPY) : DROPEFFECT_NONE;
  return true;
}

void DragLeave(Connection& c) {
  auto& d = c.dragOut;
  if (d.target) Send(c, d.sendTo, d.target, c.dnd.leave, 0, 0, 0, 0);
  bool owns = d.ownsSelection;
  ForeignDragOffer offer = std::move(d.offer);
  d = DndSource{};
  // The selection stays ours for the rest of the drag: another target may ask.
  d.ownsSelection = owns;
  d.offer = std::move(offer);
}

bool SendDrop(Connection& c) {
  auto& d = c.dragOut;
  if (!d.target || d.waitingStatus || !d.accepted) return false;
  d.finished = false;
  Send(c, d.sendTo, d.target, c.dnd.drop, 0, long(c.lastTime), 0, 0);
  return true;
}

DWORD FinishedEffect(const Connection& c) {
  const auto& d = c.dragOut;
  if (!d.finished || !d.finishedAccepted) return DROPEFFECT_NONE;
  // Before version 5 the finish names no action: the last status's stands.
  return EffectOfAction(c, d.version >= 5 && d.finishedAction != None ? d.finishedAction : d.action);
}

bool HandleSourceMessage(Connection& c, const XClientMessageEvent& m) {
  auto& d = c.dragOut;
  if (m.message_type != c.dnd.status && m.message_type != c.dnd.finished) return false;
  if (!d.target || Window(m.data.l[0]) != d.target) return true;  // about a drag that ended
  if (m.message_type == c.dnd.finished) {
    d.finished = true;
    d.finishedAccepted = d.version < 5 || (m.data.l[1] & 1);
    d.finishedAction = Atom(m.data.l[2]);
    return true;
  }
  d.waitingStatus = false;
  d.accepted = m.data.l[1] & 1;
  d.action = d.accepted ? Atom(m.data.l[4]) : None;
  if (d.pending) SendPosition(c, d.pendingPoint, d.pendingAction);
  return true;
}

bool AnswerDragRequest(Connection& c, const XSelectionRequestEvent& req) {
  if (req.selection != c.dnd.selection) return false;
  const auto& offer = c.dragOut.offer;
  SelectionAnswer answer(c, req);
  if (c.dragOut.ownsSelection) {
    if (req.target == c.atoms.targets) {
      std::vector<Atom> targets = OfferedTypes(c);
      targets.insert(targets.begin(), c.atoms.targets);
      targets.push_back(c.dnd.textPlain);
      answer.Put(XA_ATOM, 32, targets.data(), targets.size());
    } else if (req.target == c.dnd.uriList && !offer.uris.empty()) {
      std::string list = UriList(offer);
      answer.Put(c.dnd.uriList, 8, list.data(), list.size());
    } else if (req.target == c.dnd.textPlainUtf8 || req.target == c.atoms.utf8String ||
               req.target == c.dnd.textPlain) {
      answer.Put(req.target, 8, offer.text.data(), offer.text.size());
    }
  }
  answer.Send();
  return true;
}

}  // namespace qv::x11
