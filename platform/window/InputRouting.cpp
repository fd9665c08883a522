// Turning queued native input into window messages at retrieval time: the
// hit test, WM_SETCURSOR, WM_MOUSEACTIVATE, client versus non-client mouse
// messages, double clicks by time and distance, mouse-leave tracking, and
// keys to the focus window.
#include <cstdlib>

#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MenuHooks.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

constexpr UINT WM_NCMOUSELEAVE = 0x02A2;
constexpr uintptr_t kHoverTimer = 0x4077;

int ButtonVk(MouseButton b) {
  return b == MouseButton::Left ? VK_LBUTTON : b == MouseButton::Right ? VK_RBUTTON : VK_MBUTTON;
}

UINT ButtonDownMsg(MouseButton b) {
  return b == MouseButton::Left ? WM_LBUTTONDOWN : b == MouseButton::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}

WPARAM MouseKeyFlags() {
  auto& k = S().keys;
  WPARAM f = 0;
  if (k[VK_LBUTTON] & 0x80) f |= MK_LBUTTON;
  if (k[VK_RBUTTON] & 0x80) f |= MK_RBUTTON;
  if (k[VK_MBUTTON] & 0x80) f |= MK_MBUTTON;
  if (k[VK_SHIFT] & 0x80) f |= MK_SHIFT;
  if (k[VK_CONTROL] & 0x80) f |= MK_CONTROL;
  return f;
}

void SetKey(BYTE* keys, UINT vk, bool down) {
  if (down && !(keys[vk] & 0x80)) keys[vk] ^= 0x01;
  keys[vk] = BYTE(down ? keys[vk] | 0x80 : keys[vk] & ~0x80);
}

HWND HitTest(POINT pt, LRESULT& hit) {
  return HitTestThrough(pt, hit, true);
}

void LeaveTracked(HWND now, LRESULT hit) {
  HWND t = S().trackWindow;
  if (!t || !(S().trackFlags & TME_LEAVE)) return;
  bool nc = (S().trackFlags & TME_NONCLIENT) != 0;
  if (now == t && (hit == HTCLIENT) != nc) return;
  S().trackWindow = nullptr;
  S().trackFlags = 0;
  if (auto w = Get(t)) PostInternal(w, nc ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
}

// The pointer has left the small rectangle around the place the hover time
// started from (SPI_GETMOUSEHOVERWIDTH x SPI_GETMOUSEHOVERHEIGHT).
bool OutsideHoverRect(POINT pt) {
  UINT w = 4, h = 4;
  SystemParametersInfoW(SPI_GETMOUSEHOVERWIDTH, 0, &w, 0);
  SystemParametersInfoW(SPI_GETMOUSEHOVERHEIGHT, 0, &h, 0);
  const POINT& o = S().hoverOrigin;
  return std::abs(pt.x - o.x) > int(w / 2) || std::abs(pt.y - o.y) > int(h / 2);
}

bool IsDoubleClick(HWND target, UINT downMsg, POINT pt, DWORD time) {
  auto& st = S();
  bool dbl = st.lastClickWindow == target && st.lastClickMsg == downMsg &&
             time - st.lastClickTime <= GetDoubleClickTime() &&
             std::abs(pt.x - st.lastClickPos.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
             std::abs(pt.y - st.lastClickPos.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  if (dbl) {
    st.lastClickWindow = nullptr;  // a third click starts a new pair
  } else {
    st.lastClickWindow = target, st.lastClickMsg = downMsg, st.lastClickTime = time, st.lastClickPos = pt;
  }
  return dbl;
}

bool RouteMouse(const RawInput& in, MSG& out) {
  POINT pt = in.pt;
  if (in.kind == RawInput::Button) SetKey(S().keys, UINT(ButtonVk(in.button)), in.down);
  if (in.kind == RawInput::Wheel) {
    HWND target = S().focus ? S().focus : S().active;
    if (!target) target = HitWindow(pt);
    if (!IsWindow(target)) return false;
    UINT msg = in.horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
    out = MSG{target, msg, MAKEWPARAM(int(MouseKeyFlags()), in.delta), MAKELPARAM(pt.x, pt.y), in.time, pt};
    return true;
  }
  LRESULT hit = HTCLIENT;
  HWND target = S().capture;
  if (target && !IsWindow(target)) S().capture = target = nullptr;
  if (!target) target = HitTest(pt, hit);
  if (in.kind == RawInput::Move) {
    LeaveTracked(target, hit);
    bool moved = target != S().mouseWindow || OutsideHoverRect(pt);
    S().mouseWindow = target;
    S().mouseHit = hit;
    if (moved) RestartHover(in.time, pt);
  }
  auto w = Get(target);
  if (!w) return false;
  UINT mouseMsg = in.kind == RawInput::Move ? WM_MOUSEMOVE : ButtonDownMsg(in.button) + (in.down ? 0 : 1);
  if (!S().capture && (in.kind == RawInput::Move || in.down)) {
    if (w->style & WS_DISABLED) hit = HTERROR;
    CallProc(w, WM_SETCURSOR, WPARAM(target), MAKELPARAM(int(hit), int(mouseMsg)));
  }
  if (!IsWindow(target) || (w->style & WS_DISABLED)) return false;
  if (in.kind == RawInput::Button && in.down && !S().capture) {
    auto top = TopLevelOf(w);
    LRESULT ma = CallProc(w, WM_MOUSEACTIVATE, WPARAM(top->handle), MAKELPARAM(int(hit), int(mouseMsg)));
    if ((ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT) && S().active != top->handle &&
        !(top->exStyle & WS_EX_NOACTIVATE))
      SetActiveWindow(top->handle);
    if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT || !IsWindow(target)) return false;
  }
  bool client = hit == HTCLIENT || S().capture == target;
  if (in.kind == RawInput::Button && in.down) {
    bool allowDbl = !client || (w->cls->style & CS_DBLCLKS);
    bool dbl = IsDoubleClick(target, mouseMsg, pt, in.time);
    if (dbl && allowDbl) mouseMsg += 2;
  }
  if (client) {
    POINT c = pt;
    ScreenToClient(target, &c);
    out = MSG{target, mouseMsg, MouseKeyFlags(), MAKELPARAM(c.x, c.y), in.time, pt};
  } else {
    out = MSG{
        target, mouseMsg - (WM_MOUSEMOVE - WM_NCMOUSEMOVE), WPARAM(hit), MAKELPARAM(pt.x, pt.y), in.time, pt};
  }
  return true;
}

bool RouteKey(const RawInput& in, MSG& out) {
  HWND target = S().focus ? S().focus : S().active;
  if (in.kind == RawInput::Char) {
    if (!IsWindow(target)) return false;
    out = MSG{target, WM_CHAR, WPARAM(in.ch), 1, in.time, in.pt};
    return true;
  }
  bool wasDown = (S().keys[in.vk] & 0x80) != 0;
  if (in.down) wm::NoteKeyDown(in.vk);
  SetKey(S().keys, in.vk, in.down);
  if (in.vk == VK_LSHIFT || in.vk == VK_RSHIFT) SetKey(S().keys, VK_SHIFT, in.down);
  if (in.vk == VK_LCONTROL || in.vk == VK_RCONTROL) SetKey(S().keys, VK_CONTROL, in.down);
  if (in.vk == VK_LMENU || in.vk == VK_RMENU) SetKey(S().keys, VK_MENU, in.down);
  if (!IsWindow(target)) return false;
  bool alt = (S().keys[VK_MENU] & 0x80) != 0 || in.vk == VK_MENU;
  bool ctrl = (S().keys[VK_CONTROL] & 0x80) != 0;
  bool sys = (alt && !ctrl) || in.vk == VK_F10 || !S().focus;
  UINT msg = in.down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lp = 1;
  if (alt) lp |= LPARAM(1) << 29;
  if (wasDown) lp |= LPARAM(1) << 30;
  if (!in.down) lp |= LPARAM(1) << 31 | LPARAM(1) << 30;
  out = MSG{target, msg, WPARAM(in.vk), LPARAM(int32_t(lp)), in.time, in.pt};
  return true;
}

// The desktop's changes produce no message of their own: they are applied
// here, in their place among the input.
void ApplyDesktopMove(const RawInput& in) {
  auto w = Get(in.top);
  if (!w || (w->style & WS_CHILD) || w->destroying) return;
  const RECT& r = in.rect;
  RECT before = w->rect;
  SetWindowPosImpl(in.top, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE,
                   false);
  MoveOwnedPopups(in.top, w->rect.left - before.left, w->rect.top - before.top);
}

void ApplyDesktopActivation(const RawInput& in) {
  auto w = Get(in.top);
  if (!in.down) {
    if (w && S().active == in.top) SetActiveWindow(nullptr);
    return;
  }
  if (!w || (w->style & WS_CHILD) || w->destroying) return;
  // A window disabled by a modal dialog hands the activation to that dialog.
  HWND target = in.top;
  if (w->style & WS_DISABLED) target = GetWindow(in.top, GW_ENABLEDPOPUP);
  if (target && S().active != target) SetActiveWindow(target);
}

}  // namespace

void MoveOwnedPopups(HWND owner, int dx, int dy) {
  if (!dx && !dy) return;
  std::vector<WindowPtr> popups;
  {
    Lock l(S().lock);
    for (HWND h : S().topLevels)
      if (auto p = Get(h); p && p->owner == owner && (p->style & WS_VISIBLE) && (p->style & WS_POPUP) &&
                           (p->style & WS_CAPTION) != WS_CAPTION)
        popups.push_back(p);
  }
  for (auto& p : popups)
    SetWindowPos(p->handle, nullptr, p->rect.left + dx, p->rect.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool RouteRawInput(ThreadQueue&, const RawInput& in, MSG& out) {
  if (in.kind == RawInput::TopMoved) return ApplyDesktopMove(in), false;
  if (in.kind == RawInput::Activate) return ApplyDesktopActivation(in), false;
  if (in.kind == RawInput::Key || in.kind == RawInput::Char) return RouteKey(in, out);
  return RouteMouse(in, out);
}

void ForgetWindowInInput(HWND hwnd) {
  Lock l(S().lock);
  auto& st = S();
  if (st.focus == hwnd) st.focus = nullptr;
  if (st.active == hwnd) st.active = nullptr;
  if (st.capture == hwnd) st.capture = nullptr;
  if (st.mouseWindow == hwnd) st.mouseWindow = nullptr;
  if (st.trackWindow == hwnd) st.trackWindow = nullptr, st.trackFlags = 0;
  if (st.lastClickWindow == hwnd) st.lastClickWindow = nullptr;
  for (auto& q : st.queues)
    if (q->caretWindow == hwnd) q->caretWindow = nullptr, q->caretOn = false;
}

// The hover is timed by a window-manager timer on the backend clock, so it
// arrives while the thread waits for messages, not only when it next looks.
void RestartHover(DWORD now, POINT at) {
  Lock l(S().lock);
  auto& st = S();
  st.trackStart = now;
  st.hoverOrigin = at;
  auto w = Get(st.trackWindow);
  if (!w || !(st.trackFlags & TME_HOVER)) return;
  std::erase_if(st.timers,
                [&](const Timer& t) { return t.hwnd == w->handle && t.id == kHoverTimer && t.internal; });
  Timer t;
  t.hwnd = w->handle, t.id = kHoverTimer, t.elapse = std::max<UINT>(st.trackHoverTime, 1);
  t.due = now + t.elapse;
  t.queue = w->queue;
  t.internal = [] { CheckHover(); };
  st.timers.push_back(std::move(t));
}

void CheckHover() {
  WindowPtr w;
  LPARAM pos = 0;
  {
    Lock l(S().lock);
    auto& st = S();
    auto stopTimer = [&] {
      std::erase_if(st.timers, [](const Timer& t) { return t.id == kHoverTimer && t.internal; });
    };
    // Away from the window the timer rests; coming back restarts it.
    if (!st.trackWindow || !(st.trackFlags & TME_HOVER) || st.mouseWindow != st.trackWindow)
      return stopTimer();
    if (Now() - st.trackStart < st.trackHoverTime) return;
    w = Get(st.trackWindow);
    if (!w || w->queue != CurrentQueue()) return;
    st.trackFlags &= ~TME_HOVER;
    stopTimer();
    POINT c = st.cursorPos;
    ScreenToClient(w->handle, &c);
    pos = MAKELPARAM(c.x, c.y);
  }
  PostInternal(w, WM_MOUSEHOVER, MouseKeyFlags(), pos);
}

}  // namespace wm

void InjectMouseMove(POINT screen) {
  wm::RawInput in;
  in.kind = wm::RawInput::Move;
  {
    wm::Lock l(wm::S().lock);
    wm::S().cursorPos = screen;
  }
  in.pt = screen;
  in.time = wm::Now();
  wm::QueueRawInput(in);
}

void InjectMouseButton(MouseButton button, bool down) {
  wm::RawInput in;
  in.kind = wm::RawInput::Button;
  in.button = button;
  in.down = down;
  {
    wm::Lock l(wm::S().lock);
    in.pt = wm::S().cursorPos;
    wm::SetKey(wm::S().asyncKeys, UINT(wm::ButtonVk(button)), down);
  }
  in.time = wm::Now();
  wm::QueueRawInput(in);
}

void InjectMouseWheel(int delta, bool horizontal) {
  wm::RawInput in;
  in.kind = wm::RawInput::Wheel;
  in.delta = delta;
  in.horizontal = horizontal;
  in.pt = wm::S().cursorPos;
  in.time = wm::Now();
  wm::QueueRawInput(in);
}

void InjectKey(UINT vk, bool down) {
  if (vk > 0xFF) return;
  wm::RawInput in;
  in.kind = wm::RawInput::Key;
  in.vk = vk;
  in.down = down;
  {
    wm::Lock l(wm::S().lock);
    wm::SetKey(wm::S().asyncKeys, vk, down);
    in.pt = wm::S().cursorPos;
  }
  in.time = wm::Now();
  wm::QueueRawInput(in);
}

void InjectTopLevelMoved(HWND top, const RECT& screenRect) {
  wm::RawInput in;
  in.kind = wm::RawInput::TopMoved;
  in.top = top;
  in.rect = screenRect;
  in.pt = wm::S().cursorPos;
  in.time = wm::Now();
  wm::QueueRawInput(in);
}

void InjectActivate(HWND top, bool active) {
  wm::RawInput in;
  in.kind = wm::RawInput::Activate;
  in.top = top;
  in.down = active;
  in.pt = wm::S().cursorPos;
  in.time = wm::Now();
  wm::QueueRawInput(in);
}

void SetLockKeys(bool capsLock, bool numLock) {
  wm::Lock l(wm::S().lock);
  BYTE* keys = wm::S().keys;
  keys[VK_CAPITAL] = BYTE((keys[VK_CAPITAL] & ~1) | (capsLock ? 1 : 0));
  keys[VK_NUMLOCK] = BYTE((keys[VK_NUMLOCK] & ~1) | (numLock ? 1 : 0));
}

void InjectChar(char16_t ch) {
  wm::RawInput in;
  in.kind = wm::RawInput::Char;
  in.ch = ch;
  in.pt = wm::S().cursorPos;
  in.time = wm::Now();
  wm::QueueRawInput(in);
}

}  // namespace qv
