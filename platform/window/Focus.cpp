// Keyboard focus, activation of top-level windows, mouse capture and
// mouse tracking (leave and hover notifications).
#include "platform/window/Input.h"
#include "platform/window/WindowImpl.h"

namespace qv {

HWND GetFocus() {
  return wm::S().focus;
}
HWND GetActiveWindow() {
  return wm::S().active;
}
HWND GetForegroundWindow() {
  return wm::S().active;
}
HWND GetCapture() {
  return wm::S().capture;
}

HWND SetFocus(HWND hwnd) {
  using namespace wm;
  HWND old = S().focus;
  if (!hwnd) {
    S().focus = nullptr;
    if (auto o = Get(old)) CallProc(o, WM_KILLFOCUS, 0, 0);
    return old;
  }
  auto w = Get(hwnd);
  if (!w || (w->style & WS_DISABLED) || w->destroying) return nullptr;
  if (old == hwnd) return old;
  auto top = TopLevelOf(w);
  if (S().active != top->handle) {
    SetActiveWindow(top->handle);
    if (!IsWindow(hwnd)) return nullptr;
    old = S().focus;
    if (old == hwnd) return old;
  }
  S().focus = hwnd;
  if (auto o = Get(old)) CallProc(o, WM_KILLFOCUS, WPARAM(hwnd), 0);
  // The old window's handler may have moved the focus elsewhere.
  if (S().focus != hwnd || !IsWindow(hwnd)) return old;
  CallProc(w, WM_SETFOCUS, WPARAM(IsWindow(old) ? old : nullptr), 0);
  return old;
}

namespace wm {
namespace {

// WM_ACTIVATEAPP goes to every top-level window of the thread whose
// program gains or loses the activation, hidden ones included.
void SendActivateApp(const std::shared_ptr<ThreadQueue>& queue, bool active) {
  std::vector<WindowPtr> tops;
  {
    Lock l(S().lock);
    for (HWND h : S().topLevels)
      if (auto t = Get(h); t && t->queue == queue && !t->destroying) tops.push_back(t);
  }
  for (auto& t : tops) CallProc(t, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

}  // namespace
}  // namespace wm

HWND SetActiveWindow(HWND hwnd) {
  using namespace wm;
  WindowPtr w;
  if (hwnd) {
    w = Get(hwnd);
    if (!w) return nullptr;
    w = TopLevelOf(w);
    hwnd = w->handle;
  }
  HWND old = S().active;
  if (old == hwnd) return old;
  auto o = Get(old);
  S().active = hwnd;
  if (o) {
    CallProc(o, WM_NCACTIVATE, FALSE, 0);
    CallProc(o, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, o->minimized), LPARAM(hwnd));
    if (!hwnd) SendActivateApp(o->queue, false);
  }
  if (S().focus && (!hwnd || !IsDescendant(hwnd, S().focus))) SetFocus(nullptr);
  if (!w || !IsWindow(hwnd) || S().active != hwnd) return old;
  LinkZOrder(w, HWND_TOP);
  if (S().backend) S().backend->WindowRaised(hwnd);
  if (!o) SendActivateApp(w->queue, true);
  CallProc(w, WM_NCACTIVATE, TRUE, 0);
  CallProc(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, w->minimized), LPARAM(IsWindow(old) ? old : nullptr));
  return old;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  SetActiveWindow(hwnd);
  return TRUE;
}

HWND SetCapture(HWND hwnd) {
  using namespace wm;
  if (!IsWindow(hwnd)) return nullptr;
  HWND old = S().capture;
  if (old == hwnd) return old;
  S().capture = hwnd;
  if (auto o = Get(old)) CallProc(o, WM_CAPTURECHANGED, 0, LPARAM(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  using namespace wm;
  HWND old = S().capture;
  S().capture = nullptr;
  if (auto o = Get(old)) CallProc(o, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  using namespace wm;
  if (!tme) return FALSE;
  Lock l(S().lock);
  auto& st = S();
  if (tme->dwFlags & TME_QUERY) {
    tme->hwndTrack = st.trackWindow;
    tme->dwFlags = st.trackFlags;
    tme->dwHoverTime = st.trackHoverTime;
    return TRUE;
  }
  auto w = Get(tme->hwndTrack);
  if (!w) return FALSE;
  if (tme->dwFlags & TME_CANCEL) {
    if (st.trackWindow == tme->hwndTrack) {
      st.trackFlags &= ~(tme->dwFlags & (TME_HOVER | TME_LEAVE));
      if (!(st.trackFlags & (TME_HOVER | TME_LEAVE))) st.trackWindow = nullptr, st.trackFlags = 0;
    }
    return TRUE;
  }
  bool nc = (tme->dwFlags & TME_NONCLIENT) != 0;
  bool over = st.mouseWindow == tme->hwndTrack && (st.mouseHit == HTCLIENT) != nc;
  if (!over) {
    // Asking to track a window the pointer is not over reports the leave at once.
    if (tme->dwFlags & TME_LEAVE) PostInternal(w, nc ? 0x02A2 : WM_MOUSELEAVE, 0, 0);
    return TRUE;
  }
  if (st.trackWindow != tme->hwndTrack) st.trackFlags = 0;
  st.trackWindow = tme->hwndTrack;
  st.trackFlags |= tme->dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
  st.trackHoverTime = tme->dwHoverTime == HOVER_DEFAULT ? kHoverTime : tme->dwHoverTime;
  if (tme->dwFlags & TME_HOVER) RestartHover(Now(), st.cursorPos);
  return TRUE;
}

BOOL GetCursorPos(POINT* p) {
  if (!p) return FALSE;
  wm::Lock l(wm::S().lock);
  *p = wm::S().cursorPos;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  if (auto* b = wm::S().backend) b->SetCursorPos(POINT{x, y});
  InjectMouseMove(POINT{x, y});
  return TRUE;
}

BOOL DragDetect(HWND hwnd, POINT screenPoint) {
  // Runs a small modal loop until the pointer leaves the drag rectangle
  // (a drag) or the left button is released (no drag).
  if (!IsWindow(hwnd)) return FALSE;
  RECT r{screenPoint.x - 2, screenPoint.y - 2, screenPoint.x + 3, screenPoint.y + 3};
  SetCapture(hwnd);
  MSG m;
  BOOL drag = FALSE;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_MOUSEMOVE && !PtInRect(&r, m.pt)) {
      drag = TRUE;
      break;
    }
    if (m.message == WM_LBUTTONUP || m.message == WM_RBUTTONUP || !IsWindow(hwnd)) break;
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) break;
    DispatchMessageW(&m);
  }
  if (m.message == WM_QUIT) PostQuitMessage(int(m.wParam));
  if (GetCapture() == hwnd) ReleaseCapture();
  return drag;
}

}  // namespace qv
