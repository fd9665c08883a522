// X events turned into the window manager's input and window changes:
// pointer and keys, exposure, geometry set by the desktop, closing, focus and
// the selection protocol. Exposures, configures and activation are gathered
// while the X queue drains and handed on once, last state winning; geometry
// and activation are queued with the input, so no window code runs while the
// backend waits for events.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <vector>

#include "platform/Utf.h"
#include "platform/backend/X11Connection.h"
#include "platform/backend/X11Keys.h"
#include "platform/window/BackendInput.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {
namespace {

void MovePointer(Connection& c, int x, int y) {
  POINT p{x, y};
  if (c.pointerKnown && c.pointer == p) return;
  c.pointer = p;
  c.pointerKnown = true;
  InjectMouseMove(p);
  c.injected = true;
}

void OnButton(Connection& c, const XButtonEvent& b, bool down) {
  MovePointer(c, b.x_root, b.y_root);
  c.injected = true;
  switch (b.button) {
    case Button1:
      InjectMouseButton(MouseButton::Left, down);
      break;
    case Button2:
      InjectMouseButton(MouseButton::Middle, down);
      break;
    case Button3:
      InjectMouseButton(MouseButton::Right, down);
      break;
    // Wheel notches arrive as presses of buttons 4 to 7.
    case 4:
      if (down) InjectMouseWheel(WHEEL_DELTA);
      break;
    case 5:
      if (down) InjectMouseWheel(-WHEEL_DELTA);
      break;
    case 6:
      if (down) InjectMouseWheel(-WHEEL_DELTA, true);
      break;
    case 7:
      if (down) InjectMouseWheel(WHEEL_DELTA, true);
      break;
  }
}

// The event's text and the symbol it produced, through the input method when there is one.
std::u16string LookupText(Connection& c, XKeyEvent& k, KeySym& sym) {
  auto* t = c.FindX(k.window);
  char buf[64];
  sym = NoSymbol;
  if (t && t->ic) {
    Status status = 0;
    std::vector<char> big;
    int n = Xutf8LookupString(t->ic, &k, buf, sizeof buf, &sym, &status);
    char* text = buf;
    if (status == XBufferOverflow) {
      big.resize(size_t(n));
      n = Xutf8LookupString(t->ic, &k, big.data(), n, &sym, &status);
      text = big.data();
    }
    if (status != XLookupChars && status != XLookupBoth) n = 0;
    if (status != XLookupKeySym && status != XLookupBoth) sym = NoSymbol;
    return Utf8ToUtf16(std::string_view(text, size_t(std::max(n, 0))));
  }
  int n = XLookupString(&k, buf, sizeof buf, &sym, nullptr);
  std::u16string out;
  for (int i = 0; i < n; ++i) out += char16_t(uint8_t(buf[i]));  // Latin-1 without an input method
  return out;
}

void OnKey(Connection& c, XKeyEvent& k, bool down) {
  unsigned code = k.keycode & 0xFF;
  if (!down) {
    if (UINT vk = c.pressedVk[code]) InjectKey(vk, false), c.injected = true;
    c.pressedVk[code] = 0;
    return;
  }
  KeySym effective;
  std::u16string text = LookupText(c, k, effective);
  if (k.keycode == 0) {  // text committed by the input method: no key behind it
    for (char16_t ch : text) InjectChar(ch);
    c.injected = !text.empty();
    return;
  }
  KeyModifiers mods;
  mods.shift = k.state & ShiftMask;
  mods.control = k.state & ControlMask;
  mods.alt = k.state & Mod1Mask;
  mods.capsLock = GetKeyState(VK_CAPITAL) & 1;
  KeyTranslation t = TranslateKey(XLookupKeysym(&k, 0), XLookupKeysym(&k, 1), effective, text, mods);
  if (t.vk) InjectKey(t.vk, true);
  c.pressedVk[code] = t.vk;
  for (char16_t ch : t.extraText) InjectChar(ch);
  c.injected = c.injected || t.vk || !t.extraText.empty();
}

void OnFocusIn(Connection& c, const XFocusChangeEvent& f) {
  auto* t = c.FindX(f.window);
  if (!t || f.detail == NotifyPointer || f.detail == NotifyInferior) return;
  if (t->ic) XSetICFocus(t->ic);
  SyncLockKeys(c);
  if (f.mode == NotifyNormal || f.mode == NotifyWhileGrabbed) c.activate = t->hwnd;
}

// Focus leaving for a window of ours is followed by its FocusIn; the one
// leaving the program altogether is found when the drain is applied.
void OnFocusOut(Connection& c, const XFocusChangeEvent& f) {
  auto* t = c.FindX(f.window);
  if (!t) return;
  if (t->ic) XUnsetICFocus(t->ic);
  if (f.detail == NotifyPointer || f.detail == NotifyInferior) return;
  if (f.mode == NotifyNormal || f.mode == NotifyWhileGrabbed) c.deactivate = t->hwnd;
}

void OnClientMessage(Connection& c, const XClientMessageEvent& m) {
  if (HandleSourceMessage(c, m) || HandleTargetMessage(c, m)) return;
  auto* t = c.FindX(m.window);
  if (t && m.message_type == c.atoms.wmProtocols && Atom(m.data.l[0]) == c.atoms.wmDeleteWindow) {
    PostMessageW(t->hwnd, WM_CLOSE, 0, 0);
    c.injected = true;
  }
}

}  // namespace

// The server time of an input event, which selection and drag requests carry.
static void NoteTime(Connection& c, const XEvent& ev) {
  switch (ev.type) {
    case MotionNotify:
      c.lastTime = ev.xmotion.time;
      break;
    case ButtonPress:
    case ButtonRelease:
      c.lastTime = ev.xbutton.time;
      break;
    case KeyPress:
    case KeyRelease:
      c.lastTime = ev.xkey.time;
      break;
    case EnterNotify:
    case LeaveNotify:
      c.lastTime = ev.xcrossing.time;
      break;
  }
}

void HandleEvent(Connection& c, XEvent& ev) {
  NoteTime(c, ev);
  if (NoteClipboardTypes(c, ev)) return;  // what another program's clipboard offers
  if (NoteReadEvent(c, ev)) return;       // news for a read of another program's selection
  switch (ev.type) {
    case MotionNotify:
      // Only the latest position of a burst matters.
      while (XCheckTypedWindowEvent(c.dpy, ev.xmotion.window, MotionNotify, &ev)) {
      }
      MovePointer(c, ev.xmotion.x_root, ev.xmotion.y_root);
      break;
    case ButtonPress:
    case ButtonRelease:
      OnButton(c, ev.xbutton, ev.type == ButtonPress);
      break;
    case EnterNotify:
    case LeaveNotify:
      if (ev.xcrossing.mode == NotifyNormal) MovePointer(c, ev.xcrossing.x_root, ev.xcrossing.y_root);
      break;
    case KeyPress:
    case KeyRelease:
      OnKey(c, ev.xkey, ev.type == KeyPress);
      break;
    case Expose:
      if (auto* t = c.FindX(ev.xexpose.window)) {
        t->exposed = true;
        if (ev.xexpose.count == 0) c.exposedTops.push_back(t->hwnd);
      }
      break;
    case ConfigureNotify: {
      // Seen twice for an unparented window of ours: its own and the root's
      // report. The root's reports of others' windows mean a restack.
      auto* t = c.FindX(ev.xconfigure.window);
      if (t && ev.xconfigure.event == ev.xconfigure.window) c.configured[t->hwnd] = ev.xconfigure;
      if (ev.xconfigure.event == c.root && !(t && t->overrideRedirect)) c.restacked = true;
      break;
    }
    case MapNotify:
      if (auto* t = c.FindX(ev.xmap.window)) {
        t->mapped = true;
        if (!t->overrideRedirect && GetActiveWindow() == t->hwnd) c.mappedActive = true;
      }
      if (ev.xmap.event == c.root && !c.FindX(ev.xmap.window)) c.restacked = true;
      break;
    case UnmapNotify:
      if (auto* t = c.FindX(ev.xunmap.window)) {
        t->mapped = t->exposed = false;
        RefuseIconic(c, *t);
      }
      break;
    case ClientMessage:
      OnClientMessage(c, ev.xclient);
      break;
    case FocusIn:
      OnFocusIn(c, ev.xfocus);
      break;
    case FocusOut:
      OnFocusOut(c, ev.xfocus);
      break;
    case SelectionRequest:
      AnswerSelectionRequest(c, ev.xselectionrequest);
      break;
    case SelectionClear:
      if (ev.xselectionclear.selection == c.atoms.clipboard) ClipboardTaken(c);
      if (ev.xselectionclear.selection == XA_PRIMARY) PrimaryTaken(c);
      HandleDragSelectionClear(c, ev.xselectionclear);
      break;
    case DestroyNotify:  // a requestor's or a drag target's window (ours are not watched for it)
      EndTransfersTo(c, ev.xdestroywindow.window);
      DragTargetGone(c, ev.xdestroywindow.window);
      break;
    case MappingNotify:
      XRefreshKeyboardMapping(&ev.xmapping);
      break;
    case PropertyNotify:
      if (HandleTransferProperty(c, ev.xproperty)) break;  // a piece of a large transfer
      if (ev.xproperty.atom == c.atoms.wmState) {
        if (auto* t = c.FindX(ev.xproperty.window)) RefuseIconic(c, *t);
      } else if (ev.xproperty.window == c.root &&
                 (ev.xproperty.atom == c.atoms.netWorkarea || ev.xproperty.atom == c.atoms.netCurrentDesktop))
        ReadWorkArea(c);
      break;
  }
}

void DrainEvents(Connection& c) {
  // Handling an event can run window code that peeks at its queue again.
  if (c.draining) return;
  c.draining = true;
  while (XPending(c.dpy)) {
    XEvent ev;
    XNextEvent(c.dpy, &ev);
    if (XFilterEvent(&ev, None)) continue;  // the input method took it
    HandleEvent(c, ev);
  }
  c.draining = false;
  ApplyGathered(c);
}

// Runs the gathered changes. They call into the window manager, which may
// call back into the backend (WindowMoved, Present) or destroy windows, so
// each is looked up again by its handle.
void ApplyGathered(Connection& c) {
  auto configured = std::move(c.configured);
  auto exposed = std::move(c.exposedTops);
  HWND activate = c.activate, deactivate = c.deactivate;
  bool restacked = c.restacked, mappedActive = c.mappedActive;
  c.configured.clear(), c.exposedTops.clear(), c.activate = c.deactivate = nullptr;
  c.restacked = c.mappedActive = false;
  if (restacked) RaisePopups(c);
  for (auto& [hwnd, ev] : configured)
    if (auto* t = c.Find(hwnd)) ApplyConfigure(c, *t, ev), c.injected = true;
  std::vector<HWND> done;
  for (HWND h : exposed) {
    if (std::find(done.begin(), done.end(), h) != done.end() || !c.Find(h)) continue;
    done.push_back(h);
    InjectExpose(h);
    c.injected = true;
  }
  if (activate && c.Find(activate)) {
    InjectActivate(activate, true);
    c.injected = true;
  } else if (deactivate && c.Find(deactivate) && !FocusIsOurs(c)) {
    InjectActivate(deactivate, false);
    c.injected = true;
  } else if (mappedActive && !FocusIsOurs(c) && c.Find(GetActiveWindow())) {
    // Shown active but the desktop gave the focus to nobody of ours.
    InjectActivate(GetActiveWindow(), false);
    c.injected = true;
  }
}

// The program may start, or get the focus back, with Caps Lock or Num Lock
// already on: the window manager's toggle state follows the server's.
void SyncLockKeys(Connection& c) {
  Window root, child;
  int rx, ry, wx, wy;
  unsigned mask = 0;
  if (!XQueryPointer(c.dpy, c.root, &root, &child, &rx, &ry, &wx, &wy, &mask)) return;
  SetLockKeys((mask & LockMask) != 0, (mask & Mod2Mask) != 0);
}

}  // namespace qv::x11
