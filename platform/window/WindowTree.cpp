// The parent/child/owner tree and the z-order of siblings (first = top).
// Top-level windows with WS_EX_TOPMOST always stay above the others.
#include <algorithm>

#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {

std::vector<HWND>& SiblingList(const Window& w) {
  if (w.style & WS_CHILD)
    if (auto p = Get(w.parent)) return p->children;
  return S().topLevels;
}

void UnlinkZOrder(const WindowPtr& w) {
  Lock l(S().lock);
  std::erase(SiblingList(*w), w->handle);
}

void LinkZOrder(const WindowPtr& w, HWND after) {
  Lock l(S().lock);
  auto& list = SiblingList(*w);
  std::erase(list, w->handle);
  bool topLevel = !(w->style & WS_CHILD);
  if (topLevel && after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
  if (topLevel && after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
  auto isTopmost = [&](HWND h) {
    auto o = Get(h);
    return topLevel && o && (o->exStyle & WS_EX_TOPMOST);
  };
  bool mineTopmost = topLevel && (w->exStyle & WS_EX_TOPMOST);
  // The band of the list this window may live in.
  auto bandBegin = list.begin(), bandEnd = list.end();
  if (topLevel) {
    auto firstNormal = std::find_if(list.begin(), list.end(), [&](HWND h) { return !isTopmost(h); });
    if (mineTopmost)
      bandEnd = firstNormal;
    else
      bandBegin = firstNormal;
  }
  auto pos = bandBegin;
  if (after == HWND_BOTTOM) {
    pos = bandEnd;
  } else if (after != HWND_TOP && after != HWND_TOPMOST && after != HWND_NOTOPMOST) {
    auto it = std::find(bandBegin, bandEnd, after);
    pos = it == bandEnd ? bandBegin : it + 1;
  }
  list.insert(pos, w->handle);
}

bool IsDescendant(HWND ancestor, HWND hwnd) {
  Lock l(S().lock);
  for (auto w = Get(hwnd); w; w = (w->style & WS_CHILD) ? Get(w->parent) : nullptr)
    if (w->handle == ancestor) return true;
  return false;
}

WindowPtr TopLevelOf(const WindowPtr& w) {
  Lock l(S().lock);
  WindowPtr t = w;
  while (t && (t->style & WS_CHILD)) {
    auto p = Get(t->parent);
    if (!p) break;
    t = p;
  }
  return t;
}

bool IsVisibleChain(const WindowPtr& w) {
  Lock l(S().lock);
  for (auto t = w; t; t = (t->style & WS_CHILD) ? Get(t->parent) : nullptr)
    if (!(t->style & WS_VISIBLE)) return false;
  return true;
}

}  // namespace wm

HWND GetParent(HWND hwnd) {
  wm::Lock l(wm::S().lock);
  const wm::Window* w = wm::Find(hwnd);
  if (!w) return nullptr;
  return (w->style & WS_CHILD) ? w->parent : ((w->style & WS_POPUP) ? w->owner : nullptr);
}

// The window keeps its rectangle's numbers, now relative to the new parent's
// client area (the screen for none), as the platform does. The old parent
// repaints where it was; a window that stops or starts being top-level
// loses or gets its desktop window.
HWND SetParent(HWND child, HWND newParent) {
  using namespace wm;
  auto w = Get(child);
  auto p = newParent ? Get(newParent) : nullptr;
  if (!w || (newParent && !p) || (newParent && IsDescendant(child, newParent))) return nullptr;
  RECT oldScreen = WindowRectOnScreen(*w);
  bool wasTop = !(w->style & WS_CHILD);
  HWND old = wasTop ? nullptr : w->parent;
  if (auto op = Get(old); op && (w->style & WS_VISIBLE)) {
    RECT r = oldScreen;
    POINT o = ClientOriginOnScreen(*op);
    OffsetRect(&r, -o.x, -o.y);
    RedrawWindow(old, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  {
    Lock l(S().lock);
    UnlinkZOrder(w);
    if (p) {
      w->style |= WS_CHILD;
      w->parent = newParent;
    } else {
      w->style &= ~WS_CHILD;
      w->parent = nullptr;
    }
    if (p) w->backing.reset();
    LinkZOrder(w, HWND_TOP);
  }
  if (Backend* b = S().backend) {
    if (wasTop && p) b->WindowDestroyed(child);
    if (!wasTop && !p) {
      b->WindowCreated(child, w->rect, (w->style & WS_POPUP) != 0);
      if (w->style & WS_VISIBLE) b->WindowShown(child, true);
    }
  }
  InvalidateForChange(w, oldScreen);
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT:
      return (w->style & WS_CHILD) ? w->parent : nullptr;
    case GA_ROOT:
      return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      auto t = TopLevelOf(w);
      while (auto o = Get(t->owner)) t = TopLevelOf(o);
      return t->handle;
    }
  }
  return nullptr;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  using namespace wm;
  Lock l(S().lock);
  auto w = Get(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (cmd == GW_OWNER) return (w->style & WS_CHILD) ? nullptr : w->owner;
  if (cmd == GW_ENABLEDPOPUP) {
    for (HWND h : S().topLevels)
      if (auto o = Get(h); o && o->owner == hwnd && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED))
        return h;
    return nullptr;
  }
  auto& list = SiblingList(*w);
  auto it = std::find(list.begin(), list.end(), hwnd);
  if (it == list.end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST:
      return list.front();
    case GW_HWNDLAST:
      return list.back();
    case GW_HWNDNEXT:
      return it + 1 == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return it == list.begin() ? nullptr : *(it - 1);
  }
  return nullptr;
}

HWND GetTopWindow(HWND parent) {
  using namespace wm;
  Lock l(S().lock);
  if (!parent) return S().topLevels.empty() ? nullptr : S().topLevels.front();
  return GetWindow(parent, GW_CHILD);
}

BOOL IsChild(HWND parent, HWND hwnd) {
  return parent != hwnd && IsWindow(parent) && wm::IsDescendant(parent, hwnd);
}

namespace {
// Walks a snapshot, depth first; windows destroyed by the callback are skipped.
bool EnumTree(const std::vector<HWND>& list, const std::function<BOOL(HWND)>& cb) {
  for (HWND h : list) {
    auto w = wm::Get(h);
    if (!w) continue;
    if (!cb(h)) return false;
    std::vector<HWND> kids;
    {
      wm::Lock l(wm::S().lock);
      kids = w->children;
    }
    if (!EnumTree(kids, cb)) return false;
  }
  return true;
}
}  // namespace

BOOL EnumChildWindows(HWND parent, const std::function<BOOL(HWND)>& callback) {
  std::vector<HWND> kids;
  {
    wm::Lock l(wm::S().lock);
    auto w = wm::Get(parent);
    if (!w) return FALSE;
    kids = w->children;
  }
  EnumTree(kids, callback);
  return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
  return EnumChildWindows(parent, std::function<BOOL(HWND)>([&](HWND h) { return proc(h, lParam); }));
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  std::vector<HWND> tops;
  {
    wm::Lock l(wm::S().lock);
    tops = wm::S().topLevels;
  }
  for (HWND h : tops)
    if (IsWindow(h) && !proc(h, lParam)) break;
  return TRUE;
}

HWND GetDesktopWindow() {
  return nullptr;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  auto w = wm::Get(hwnd);
  if (processId) *processId = w ? 1 : 0;
  return w ? w->queue->threadId : 0;
}

}  // namespace qv
