// Creating and destroying windows, in the message order programs rely on:
// WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE on creation;
// WM_DESTROY, then the children (and owned windows) entirely, then
// WM_NCDESTROY last when destroying.
#include "platform/window/Input.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x4;

void NotifyParent(const WindowPtr& w, UINT event) {
  if (!(w->style & WS_CHILD) || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
  auto p = Get(w->parent);
  if (!p) return;
  CallProc(p, WM_PARENTNOTIFY, MAKEWPARAM(int(event), int(w->id)), LPARAM(w->handle));
}

void SendSizeAndMove(const WindowPtr& w) {
  RECT c = w->client;
  CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.Width(), c.Height()));
  POINT o{w->rect.left + c.left, w->rect.top + c.top};
  CallProc(w, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
}

std::vector<std::function<void(HWND)>>& DestroyHooks() {
  static auto* hooks = new std::vector<std::function<void(HWND)>>;  // used until the process ends
  return *hooks;
}

void RunDestroyHooks(HWND hwnd) {
  std::vector<std::function<void(HWND)>> hooks;
  {
    Lock l(S().lock);
    hooks = DestroyHooks();
  }
  for (auto& h : hooks) h(hwnd);
}

// Removes every trace of a window whose WM_NCDESTROY has run.
void Release(const WindowPtr& w) {
  RemoveTimersOf(w->handle);
  ForgetWindowInInput(w->handle);
  Lock l(S().lock);
  for (auto& q : S().queues)
    std::erase_if(q->posted, [&](const QueuedItem& i) { return i.msg.hwnd == w->handle; });
  UnlinkZOrder(w);
  w->dead = true;
  FreeHandle(w->handle);
}

void DestroyTree(const WindowPtr& w);

void DestroyOwned(const WindowPtr& w) {
  std::vector<WindowPtr> owned;
  {
    Lock l(S().lock);
    for (HWND h : S().topLevels)
      if (auto o = Get(h); o && o->owner == w->handle && !o->destroying) owned.push_back(o);
  }
  for (auto& o : owned) DestroyTree(o);
}

void DestroyTree(const WindowPtr& w) {
  if (w->destroying) return;
  w->destroying = true;
  DestroyOwned(w);
  if (w->style & WS_VISIBLE)
    SetWindowPos(w->handle, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (S().capture && IsDescendant(w->handle, S().capture)) ReleaseCapture();
  if (S().focus && IsDescendant(w->handle, S().focus)) {
    HWND parent = (w->style & WS_CHILD) ? w->parent : nullptr;
    SetFocus(parent && Get(parent) && !Get(parent)->destroying ? parent : nullptr);
  }
  if (S().active == w->handle) {
    HWND next = nullptr;
    {
      Lock l(S().lock);
      auto o = Get(w->owner);
      if (o && (o->style & WS_VISIBLE) && !o->destroying) next = o->handle;
      for (HWND h : S().topLevels) {
        auto t = Get(h);
        if (!next && t && t != w && (t->style & WS_VISIBLE) && !t->destroying &&
            !(t->exStyle & WS_EX_NOACTIVATE))
          next = h;
      }
    }
    SetActiveWindow(next);
    if (S().active == w->handle) S().active = nullptr;
  }
  NotifyParent(w, WM_DESTROY);
  CallProc(w, WM_DESTROY, 0, 0);
  for (;;) {
    WindowPtr child;
    {
      Lock l(S().lock);
      for (HWND h : w->children)
        if (auto c = Get(h); c && !c->destroying) {
          child = c;
          break;
        }
    }
    if (!child) break;
    DestroyTree(child);
  }
  OnWindowDestroyed(w);
  CallProc(w, WM_NCDESTROY, 0, 0);
  RunDestroyHooks(w->handle);
  if (!(w->style & WS_CHILD) && S().backend) S().backend->WindowDestroyed(w->handle);
  Release(w);
}

}  // namespace
}  // namespace wm

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param) {
  using namespace wm;
  auto cls = FindClass(className);
  if (!cls && RegisterBuiltInClass(className)) cls = FindClass(className);
  if (!cls) return nullptr;
  auto w = std::make_shared<Window>();
  w->cls = cls;
  w->proc = cls->proc;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->instance = instance;
  w->queue = CurrentQueue();
  w->extra.assign(std::size_t(cls->cbWndExtra), 0);
  if (windowName) w->text = windowName;
  if (style & WS_CHILD) {
    auto p = Get(parent);
    if (!p || p->destroying) return nullptr;
    w->parent = parent;
    w->id = LONG_PTR(menuOrId);
  } else {
    if (parent && !Get(parent)) return nullptr;
    w->owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    w->menu = menuOrId;
  }
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = 400, height = 300;
  w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  w->client = RECT{0, 0, w->rect.Width(), w->rect.Height()};
  w->handle = AllocHandle(w);
  LinkZOrder(w, (exStyle & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP);
  if (!(style & WS_CHILD) && S().backend)
    S().backend->WindowCreated(w->handle, w->rect, (style & WS_POPUP) != 0);

  CREATESTRUCTW cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menuOrId;
  cs.hwndParent = parent;
  cs.x = x, cs.y = y, cs.cx = width, cs.cy = height;
  cs.style = LONG(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  HWND h = w->handle;
  if (!CallProc(w, WM_NCCREATE, 0, LPARAM(&cs))) {
    DestroyWindow(h);
    return nullptr;
  }
  w->created = true;
  RecomputeNonClient(w, true);
  if (CallProc(w, WM_CREATE, 0, LPARAM(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  if (!IsWindow(h)) return nullptr;
  SendSizeAndMove(w);
  NotifyParent(w, WM_CREATE);
  if (!IsWindow(h)) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(h, (style & WS_CHILD) ? SW_SHOWNA : SW_SHOW);
  return IsWindow(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  auto w = wm::Get(hwnd);
  if (!w) return FALSE;
  if (w->destroying) return TRUE;
  wm::DestroyTree(w);
  return TRUE;
}

void AddWindowDestroyHook(std::function<void(HWND)> hook) {
  if (!hook) return;
  wm::Lock l(wm::S().lock);
  wm::DestroyHooks().push_back(std::move(hook));
}

BOOL IsWindow(HWND hwnd) {
  // Controls ask this about themselves before nearly every message they
  // pass on: the last handle this thread found valid is answered without
  // the lock until some handle is released.
  thread_local HWND lastValid = nullptr;
  thread_local uint64_t releasedThen = 0;
  uint64_t released = wm::S().handlesReleased.load();
  if (hwnd && hwnd == lastValid && released == releasedThen) return TRUE;
  wm::Lock l(wm::S().lock);
  if (!wm::Find(hwnd)) return FALSE;
  lastValid = hwnd, releasedThen = released;
  return TRUE;
}

}  // namespace qv
