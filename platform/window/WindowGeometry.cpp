// Window and client rectangles, coordinate mapping and finding the window
// at a point (visible, enabled children, window regions honoured).
#include <algorithm>

#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {

POINT WindowOriginOnScreen(const Window& w) {
  Lock l(S().lock);
  POINT o{w.rect.left, w.rect.top};
  if (w.style & WS_CHILD)
    if (auto p = Get(w.parent)) {
      POINT po = ClientOriginOnScreen(*p);
      o.x += po.x, o.y += po.y;
    }
  return o;
}

POINT ClientOriginOnScreen(const Window& w) {
  POINT o = WindowOriginOnScreen(w);
  return POINT{o.x + w.client.left, o.y + w.client.top};
}

RECT WindowRectOnScreen(const Window& w) {
  POINT o = WindowOriginOnScreen(w);
  return RECT{o.x, o.y, o.x + w.rect.Width(), o.y + w.rect.Height()};
}

namespace {

bool ContainsScreenPoint(const Window& w, POINT screen) {
  RECT r = WindowRectOnScreen(w);
  if (!PtInRect(&r, screen)) return false;
  if (w.shape) return w.shape->Contains(POINT{screen.x - r.left, screen.y - r.top});
  return true;
}

bool Skipped(const std::vector<HWND>& skip, HWND h) {
  return std::find(skip.begin(), skip.end(), h) != skip.end();
}

// The deepest visible window under `screen` among `list` and their children;
// the windows in `skip` (and what lies inside them) are looked through.
HWND Deepest(const std::vector<HWND>& list, POINT screen, bool skipDisabledChildren,
             const std::vector<HWND>& skip) {
  for (HWND h : list) {
    auto w = Get(h);
    if (!w || !(w->style & WS_VISIBLE) || Skipped(skip, h) || !ContainsScreenPoint(*w, screen)) continue;
    if ((w->style & WS_CHILD) && (w->style & WS_DISABLED) && skipDisabledChildren) continue;
    if (w->exStyle & WS_EX_TRANSPARENT) continue;
    POINT co = ClientOriginOnScreen(*w);
    RECT cs{co.x, co.y, co.x + w->client.Width(), co.y + w->client.Height()};
    // A disabled window takes the input meant for its children (and drops it).
    if (!(w->style & WS_DISABLED) && PtInRect(&cs, screen))
      if (HWND c = Deepest(w->children, screen, skipDisabledChildren, skip)) return c;
    return h;
  }
  return nullptr;
}

}  // namespace

HWND HitWindow(POINT screen, const std::vector<HWND>& skip) {
  Lock l(S().lock);
  return Deepest(S().topLevels, screen, true, skip);
}

// Each window found is asked for its hit code; one answering HTTRANSPARENT
// is looked through, to what lies beneath it: a sibling below it, else its
// parent, or for a top-level window the next one down the z-order. Windows
// of other threads are asked only when `askOtherThreads` (routing input);
// WindowFromPoint takes them as they are.
HWND HitTestThrough(POINT screen, LRESULT& hit, bool askOtherThreads) {
  std::vector<HWND> lookedThrough;
  auto me = CurrentQueue();
  while (auto w = Get(HitWindow(screen, lookedThrough))) {
    if (!askOtherThreads && w->queue != me) {
      hit = HTCLIENT;
      return w->handle;
    }
    hit = CallProc(w, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    if (hit != HTTRANSPARENT) return IsWindow(w->handle) ? w->handle : nullptr;
    lookedThrough.push_back(w->handle);
  }
  hit = HTNOWHERE;
  return nullptr;
}

}  // namespace wm

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  auto w = wm::Get(hwnd);
  if (!w || !rect) return FALSE;
  *rect = wm::WindowRectOnScreen(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  wm::Lock l(wm::S().lock);
  const wm::Window* w = wm::Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, std::max(0, w->client.Width()), std::max(0, w->client.Height())};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* p) {
  auto w = wm::Get(hwnd);
  if (!w || !p) return FALSE;
  POINT o = wm::ClientOriginOnScreen(*w);
  p->x += o.x, p->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* p) {
  auto w = wm::Get(hwnd);
  if (!w || !p) return FALSE;
  POINT o = wm::ClientOriginOnScreen(*w);
  p->x -= o.x, p->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a{}, b{};
  if (from) {
    auto w = wm::Get(from);
    if (!w) return 0;
    a = wm::ClientOriginOnScreen(*w);
  }
  if (to) {
    auto w = wm::Get(to);
    if (!w) return 0;
    b = wm::ClientOriginOnScreen(*w);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; i < count; ++i) points[i].x += dx, points[i].y += dy;
  return MAKELPARAM(dx, dy);
}

HWND WindowFromPoint(POINT screenPoint) {
  LRESULT hit;
  return wm::HitTestThrough(screenPoint, hit, false);
}

HWND ChildWindowFromPointEx(HWND parent, POINT clientPoint, UINT flags) {
  using namespace wm;
  Lock l(S().lock);
  auto p = Get(parent);
  if (!p) return nullptr;
  RECT cr{0, 0, p->client.Width(), p->client.Height()};
  if (!PtInRect(&cr, clientPoint)) return nullptr;
  for (HWND h : p->children) {
    auto c = Get(h);
    if (!c) continue;
    if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    if (PtInRect(&c->rect, clientPoint)) return h;
  }
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint) {
  return ChildWindowFromPointEx(parent, clientPoint, CWP_ALL);
}

HWND RealChildWindowFromPoint(HWND parent, POINT clientPoint) {
  return ChildWindowFromPointEx(parent, clientPoint, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

}  // namespace qv
