// Our drags over other programs' windows, by the X drag-and-drop protocol
// (version 5, down to 3). Every drag claims the drag selection when it
// starts and announces the actions it allows; the drag-aware window on top
// under the pointer (the server's stacking order decides, so a window of
// ours below never takes it) is sent enter, position, leave and drop
// messages from our utility window, which serves the rows as text/uri-list,
// text/plain;charset=utf-8, UTF8_STRING and text/plain. A target answers
// each position with a status; one position is out at a time and the newest
// waits for that status, so a slow target is never flooded. A drop released
// while a status is awaited waits for it (and for that of the newest
// position), then goes to the target when it accepts. A drop counts as taken
// only when the target had the data and finished with success. The text is
// made in the idle steps from the drag's start, so that a prompt release
// finds it made, and dropped with the drag; the enter names files among the
// types or not, so it waits, in short steps, for the text's start. The
// target reports its destruction to us: a drop on a program that quits is
// over at once.
#include <X11/Xatom.h>

#include <climits>

#include "platform/backend/X11Connection.h"
#include "platform/ole/DragDrop.h"

namespace qv::x11 {
namespace {

constexpr int kProtocolVersion = 5, kOldestVersion = 3;
// How long the drop waits for each status still to come, and for the
// finish after the drop (from the last piece of data that went out).
constexpr int kStatusWaitMs = 5000, kFinishWaitMs = 5000;
// The text's start that tells rows of text from files, and how long one
// call may make text toward it before the enter waits for the next.
constexpr size_t kFilesStart = 4096;
constexpr auto kEnterStep = std::chrono::milliseconds(8);

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

bool HasProperty(Connection& c, Window w, Atom name) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool has = XGetWindowProperty(c.dpy, w, name, 0, 0, False, AnyPropertyType, &type, &format, &count, &after,
                                &data) == Success &&
             type != None;
  if (data) XFree(data);
  return has;
}

// The top-level window at a root point in the server's stacking order (a
// window manager's frame, or an unmanaged window), 0 over the bare desktop.
Window TopWindowAt(Connection& c, POINT pt) {
  int x = 0, y = 0;
  Window child = None;
  if (!XTranslateCoordinates(c.dpy, c.root, c.root, pt.x, pt.y, &x, &y, &child)) return 0;
  return child;
}

// The client window a top-level window stands for: itself, or the window
// inside a frame that carries WM_STATE; the top itself when none does.
Window ClientOf(Connection& c, Window top) {
  std::vector<Window> level{top};
  for (int depth = 0; depth < 4 && !level.empty(); ++depth) {
    std::vector<Window> next;
    for (Window w : level) {
      if (c.FindX(w) || HasProperty(c, w, c.dnd.wmState)) return w;
      Window root = 0, parent = 0, *children = nullptr;
      unsigned n = 0;
      if (XQueryTree(c.dpy, w, &root, &parent, &children, &n) && children) {
        next.insert(next.end(), children, children + n);
        XFree(children);
      }
    }
    level = std::move(next);
  }
  return top;
}

// What a top-level window is to the drag, asked of the server the first time
// the drag passes over it: a move costs the one look at the stacking order,
// not the walk through a frame's windows and their properties.
const ForeignTop& Learn(Connection& c, Window top) {
  auto& tops = c.dragOut.tops;
  if (auto it = tops.find(top); it != tops.end()) return it->second;
  ForeignTop info;
  Window client = ClientOf(c, top);
  info.ours = c.FindX(top) || c.FindX(client) || top == c.utility;
  if (!info.ours) {
    Window w = top;
    auto aware = LongProperty(c, w, c.dnd.aware, XA_ATOM);
    if (aware.empty()) aware = LongProperty(c, w = client, c.dnd.aware, XA_ATOM);
    info.version = aware.empty() ? 0 : std::min(int(aware[0]), kProtocolVersion);
    if (info.version >= kOldestVersion) {
      info.aware = info.sendTo = w;
      // A proxy is honoured only when it names itself, as the protocol asks.
      auto proxy = LongProperty(c, w, c.dnd.proxy, XA_WINDOW);
      if (!proxy.empty()) {
        auto self = LongProperty(c, Window(proxy[0]), c.dnd.proxy, XA_WINDOW);
        if (!self.empty() && self[0] == proxy[0]) info.sendTo = Window(proxy[0]);
      }
    }
  }
  return tops.emplace(top, info).first->second;
}

// The top-level window at the pointer: the one the last look found, when
// the step that made it asks again for the same place, else asked anew.
Window TopAtPointer(Connection& c, POINT pt) {
  auto& d = c.dragOut;
  if (d.topAt && d.topAt->first == pt) {
    Window top = d.topAt->second;
    d.topAt.reset();
    return top;
  }
  d.topAt.reset();
  return TopWindowAt(c, pt);
}

// The drag-aware window at a root point: the top-level window there, or its
// client window, when it says it takes drops; where its messages go (itself
// or its proxy). 0 over our own windows, the desktop, or a window that takes
// no drops: a window that lies below never gets the drag.
Window AwareWindowAt(Connection& c, POINT pt, int& version, Window& sendTo) {
  Window top = TopAtPointer(c, pt);
  if (!top) return 0;
  const ForeignTop& info = Learn(c, top);
  version = info.version, sendTo = info.sendTo;
  return info.aware;
}

// Read from the text made since the drag began (made further here if need
// be), when a target first needs to know.
bool OffersFiles(Connection& c) {
  auto& d = c.dragOut;
  if (!d.files) d.files = d.text && d.offer.files && d.offer.files(SharedText::ReadFromStart(d.text));
  return *d.files;
}

std::vector<Atom> OfferedTypes(Connection& c) {
  std::vector<Atom> types;
  if (OffersFiles(c)) types.push_back(c.dnd.uriList);
  types.push_back(c.dnd.textPlainUtf8);
  types.push_back(c.atoms.utf8String);
  types.push_back(c.dnd.textPlain);
  return types;
}

// The enter names the types, files among them or not: that is known once
// the text's start is made. Made in bounded steps until then (a million
// rows are listed before their first byte), the enter waits for a later
// call, and the windows go on meanwhile.
bool ReadyToEnter(Connection& c) {
  auto& d = c.dragOut;
  if (d.files || !d.text || !d.offer.files) return true;
  d.text->Reach(kFilesStart, std::chrono::steady_clock::now() + kEnterStep);
  return d.text->Reached(kFilesStart);
}

void SendEnter(Connection& c) {
  auto& d = c.dragOut;
  d.entered = true;
  std::vector<Atom> types = OfferedTypes(c);
  XChangeProperty(c.dpy, c.utility, c.dnd.typeList, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(types.data()), int(types.size()));
  long flags = (long(d.version) << 24) | (types.size() > 3 ? 1 : 0);
  types.resize(3, None);
  Send(c, d.sendTo, d.target, c.dnd.enter, flags, long(types[0]), long(types[1]), long(types[2]));
}

void SendPosition(Connection& c, POINT pt, Atom action) {
  auto& d = c.dragOut;
  if (d.waitingStatus) {
    // Only what differs from the position out waits; the newest wins.
    d.pending = pt != d.sentPoint || action != d.sentAction;
    d.pendingPoint = pt;
    d.pendingAction = action;
    return;
  }
  long where = (long(pt.x & 0xFFFF) << 16) | long(pt.y & 0xFFFF);
  Send(c, d.sendTo, d.target, c.dnd.position, 0, where, long(c.lastTime), long(action));
  d.waitingStatus = true;
  d.sentPoint = pt;
  d.sentAction = action;
  d.pending = false;
  // A drop waiting for the answers gives the target its time for each position.
  if (d.drop == DndSource::Drop::AwaitStatus)
    d.dropDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStatusWaitMs);
}

// The action to propose, as the modifier keys choose among the allowed ones:
// Shift a move, Ctrl a copy, Ctrl+Shift or Alt a link; a copy where allowed otherwise.
Atom ProposedAction(const Connection& c, DWORD keys) {
  DWORD ok = c.dragOut.okEffects;
  bool shift = keys & MK_SHIFT, control = keys & MK_CONTROL, alt = keys & MK_ALT;
  if (((shift && control) || (alt && !shift && !control)) && (ok & DROPEFFECT_LINK)) return c.dnd.actionLink;
  if (shift && !control && (ok & DROPEFFECT_MOVE)) return c.dnd.actionMove;
  if (ok & DROPEFFECT_COPY) return c.dnd.actionCopy;
  if (ok & DROPEFFECT_MOVE) return c.dnd.actionMove;
  if (ok & DROPEFFECT_LINK) return c.dnd.actionLink;
  return None;
}

void SendDrop(Connection& c) {
  auto& d = c.dragOut;
  d.finished = false;
  Send(c, d.sendTo, d.target, c.dnd.drop, 0, long(c.lastTime), 0, 0);
  d.drop = DndSource::Drop::AwaitFinish;
  d.dropDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFinishWaitMs);
}

// The target and what it answered are forgotten.
void Forget(DndSource& d) {
  d.target = d.sendTo = 0;
  d.version = 0;
  d.entered = d.waitingStatus = d.pending = d.accepted = false;
  d.action = None;
}

// The drop is over without a finish: the target is forgotten without a
// leave, which would be a protocol error after a drop.
void GiveUpDrop(Connection& c) {
  c.dragOut.drop = DndSource::Drop::Over;
  c.dragOut.target = 0;
}

// The target in place now is the one whose destruction we are told of (the
// one before is let go); one that is gone already is given up at once.
void FollowTarget(Connection& c) {
  auto& d = c.dragOut;
  if (d.followed == d.target) return;
  Window old = d.followed;
  d.followed = d.target;
  if (old) FollowWindow(c, old);
  if (!d.target) return;
  FollowWindow(c, d.target);
  // Asked after the selection: a window destroyed before it is gone now.
  XWindowAttributes wa;
  if (!XGetWindowAttributes(c.dpy, d.target, &wa)) DragTargetGone(c, d.target);
}

}  // namespace

void InternDndAtoms(Connection& c) {
  auto a = [&](const char* name) { return XInternAtom(c.dpy, name, False); };
  c.dnd = DndAtoms{a("XdndAware"),      a("XdndProxy"),      a("XdndEnter"),
                   a("XdndPosition"),   a("XdndStatus"),     a("XdndLeave"),
                   a("XdndDrop"),       a("XdndFinished"),   a("XdndSelection"),
                   a("XdndTypeList"),   a("XdndActionCopy"), a("XdndActionMove"),
                   a("XdndActionLink"), a("text/uri-list"),  a("text/plain;charset=utf-8"),
                   a("text/plain"),     a("XdndActionList"), a("INCR"),
                   a("WM_STATE")};
}

void BeginDrag(Connection& c, DWORD okEffects, const ForeignDragOffer& offer) {
  auto& d = c.dragOut;
  unsigned generation = d.generation + 1;
  d = DndSource{};
  d.active = true;
  d.generation = generation;
  d.okEffects = okEffects;
  d.offer = offer;
  // Made from now on while the windows are idle: a drop released soon after
  // it reaches a target finds most of it made. A drag that ends elsewhere
  // drops what was made.
  if (d.offer.open) d.text = std::make_shared<SharedText>(d.offer.open(false));
  // Every drag claims the selection anew: another program's drag may have
  // taken it since our last one. The time is that of the input that started it.
  XSetSelectionOwner(c.dpy, c.dnd.selection, c.utility, c.lastTime);
  d.ownsSelection = XGetSelectionOwner(c.dpy, c.dnd.selection) == c.utility;
  std::vector<Atom> actions;
  if (okEffects & DROPEFFECT_COPY) actions.push_back(c.dnd.actionCopy);
  if (okEffects & DROPEFFECT_MOVE) actions.push_back(c.dnd.actionMove);
  if (okEffects & DROPEFFECT_LINK) actions.push_back(c.dnd.actionLink);
  XChangeProperty(c.dpy, c.utility, c.dnd.actionList, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(actions.data()), int(actions.size()));
  XFlush(c.dpy);
}

void EndDrag(Connection& c) {
  auto& d = c.dragOut;
  if (d.target && d.drop == DndSource::Drop::Idle) DragLeave(c);
  unsigned generation = d.generation;
  bool owns = d.ownsSelection;
  // What was not taken by now is not rendered any more: the rows may change.
  EndDragTransfers(c);
  d.target = 0;
  FollowTarget(c);
  d = DndSource{};
  d.generation = generation;
  d.ownsSelection = owns;  // requests that come now are refused: there is no drag
}

bool HandleDragSelectionClear(Connection& c, const XSelectionClearEvent& ev) {
  if (ev.selection != c.dnd.selection) return false;
  // A clear about an earlier claim of ours may come after the new one: the server knows.
  c.dragOut.ownsSelection = XGetSelectionOwner(c.dpy, c.dnd.selection) == c.utility;
  return true;
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

bool ForeignTopAt(Connection& c, POINT pt) {
  Window top = TopWindowAt(c, pt);
  // The drag's next step (over this window, its next call) takes it up.
  c.dragOut.topAt.emplace(pt, top);
  return top && !Learn(c, top).ours;
}

bool DragOver(Connection& c, POINT screen, DWORD keys, DWORD& effect) {
  auto& d = c.dragOut;
  int version = 0;
  Window sendTo = 0;
  Window target = d.active ? AwareWindowAt(c, screen, version, sendTo) : 0;
  if (target != d.target) {
    DragLeave(c);
    if (!target) return effect = DROPEFFECT_NONE, false;
    d.target = target, d.sendTo = sendTo, d.version = version;
    FollowTarget(c);
    if (!d.target) return effect = DROPEFFECT_NONE, false;  // gone already
  }
  if (!target) return effect = DROPEFFECT_NONE, false;
  d.lastPoint = screen, d.lastAction = ProposedAction(c, keys);
  if (!d.entered && !ReadyToEnter(c)) return effect = DROPEFFECT_NONE, true;
  if (!d.entered) SendEnter(c);
  SendPosition(c, screen, d.lastAction);
  effect = d.accepted ? EffectOfAction(c, d.action) & (d.okEffects | DROPEFFECT_COPY) : DROPEFFECT_NONE;
  return true;
}

void DragLeave(Connection& c) {
  auto& d = c.dragOut;
  if (d.target && d.entered) Send(c, d.sendTo, d.target, c.dnd.leave, 0, 0, 0, 0);
  Forget(d);
  FollowTarget(c);
}

bool DragTargetGone(Connection& c, Window w) {
  auto& d = c.dragOut;
  if (!w || w != d.target) return false;
  d.followed = 0;  // nothing to let go of: the window is gone
  // A drop waits for no answer from it; a drag over it goes on to what
  // lies there now (no leave: it would go to no one).
  if (d.drop == DndSource::Drop::AwaitStatus || d.drop == DndSource::Drop::AwaitFinish)
    GiveUpDrop(c);
  else
    Forget(d);
  return true;
}

bool StartDrop(Connection& c) {
  auto& d = c.dragOut;
  if (!d.target) return false;
  // Released before the target heard of the drag: it does now, all at once.
  if (!d.entered) {
    SendEnter(c);
    SendPosition(c, d.lastPoint, d.lastAction);
  }
  d.dropDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStatusWaitMs);
  d.drop = DndSource::Drop::AwaitStatus;
  return DropGoesOn(c);
}

bool DropGoesOn(Connection& c) {
  auto& d = c.dragOut;
  auto now = std::chrono::steady_clock::now();
  if (d.drop == DndSource::Drop::AwaitStatus) {
    // The target's answer to the last position decides whether it takes the drop.
    if (!d.waitingStatus && !d.pending) {
      if (d.accepted) {
        SendDrop(c);
      } else {
        DragLeave(c);
        d.drop = DndSource::Drop::Over;
      }
    } else if (now > d.dropDeadline) {
      DragLeave(c);
      d.drop = DndSource::Drop::Over;
    }
  }
  if (d.drop == DndSource::Drop::AwaitFinish) {
    if (d.finished) {
      d.drop = DndSource::Drop::Over;
      d.target = 0;
    } else {
      // Data still going out in pieces keeps the wait going.
      for (auto& t : c.transfers)
        d.dropDeadline = std::max(d.dropDeadline, t.lastActivity + std::chrono::milliseconds(kFinishWaitMs));
      if (now > d.dropDeadline) GiveUpDrop(c);
    }
  }
  FollowTarget(c);
  return d.drop == DndSource::Drop::AwaitStatus || d.drop == DndSource::Drop::AwaitFinish;
}

DWORD FinishedEffect(const Connection& c) {
  const auto& d = c.dragOut;
  // Nothing was taken unless the target had the data and said it succeeded.
  if (!d.finished || !d.finishedAccepted || !d.delivered) return DROPEFFECT_NONE;
  // Before version 5 the finish names no action: the last status's stands.
  Atom action = d.version >= 5 && d.finishedAction != None ? d.finishedAction : d.action;
  return EffectOfAction(c, action) & d.okEffects;
}

bool HandleSourceMessage(Connection& c, const XClientMessageEvent& m) {
  auto& d = c.dragOut;
  if (m.message_type != c.dnd.status && m.message_type != c.dnd.finished) return false;
  if (!d.target || Window(m.data.l[0]) != d.target) return true;  // about a drag that ended
  if (m.message_type == c.dnd.finished) {
    if (d.drop != DndSource::Drop::AwaitFinish) return true;  // a finish before our drop means nothing
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
  auto& d = c.dragOut;
  SelectionAnswer answer(c, req);
  // Only a drag under way is served, and only while the selection is still ours.
  if (d.active && d.ownsSelection && d.offer.open) {
    unsigned generation = d.generation;
    Connection* conn = &c;
    auto delivered = [conn, generation] {
      if (conn->dragOut.generation == generation) conn->dragOut.delivered = true;
    };
    if (req.target == c.atoms.targets) {
      std::vector<Atom> targets = OfferedTypes(c);
      targets.insert(targets.begin(), c.atoms.targets);
      answer.Put(XA_ATOM, 32, targets.data(), targets.size());
    } else if (req.target == c.dnd.uriList && OffersFiles(c)) {
      // Made once, on the first request, for every request of the drag.
      if (!d.uris) d.uris = std::make_shared<SharedText>(d.offer.open(true));
      answer.Put(c.dnd.uriList, d.uris, true, delivered);
    } else if (req.target == c.dnd.textPlainUtf8 || req.target == c.atoms.utf8String ||
               req.target == c.dnd.textPlain) {
      answer.Put(req.target, d.text, true, delivered);
    }
  }
  answer.Send();
  return true;
}

}  // namespace qv::x11
