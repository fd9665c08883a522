// Window and client rectangles, coordinate mapping and finding the window
// at a point (visible, enabled children, window regions honoured).
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

// The deepest visible window under `screen` among `list` and their children.
HWND Deepest(const std::vector<HWND>& list, POINT screen, bool skipDisabledChildren) {
  for (HWND h : list) {
    auto w = Get(h);
    if (!w || !(w->style & WS_VISIBLE) || !ContainsScreenPoint(*w, screen)) continue;
    if ((w->style & WS_CHILD) && (w->style & WS_DISABLED) && skipDisabledChildren) continue;
    if (w->exStyle & WS_EX_TRANSPARENT) continue;
    POINT co = ClientOriginOnScreen(*w);
    RECT cs{co.x, co.y, co.x + w->client.Width(), co.y + w->client.Height()};
    if (PtInRect(&cs, screen))
      if (HWND c = Deepest(w->children, screen, skipDisabledChildren)) return c;
    return h;
  }
  return nullptr;
}

}  // namespace

HWND HitWindow(POINT screen) {
  Lock l(S().lock);
  return Deepest(S().topLevels, screen, true);
}

}  // namespace wm

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  auto w = wm::Get(hwnd);
  if (!w || !rect) return FALSE;
  *rect = wm::WindowRectOnScreen(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  auto w = wm::Get(hwnd);
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
  return wm::HitWindow(screenPoint);
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
