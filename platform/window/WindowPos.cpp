// Moving, sizing, z-ordering, showing and hiding windows. SetWindowPos sends
// WM_WINDOWPOSCHANGING before and WM_WINDOWPOSCHANGED after the change;
// DefWindowProc turns the latter into WM_MOVE and WM_SIZE.
#include "platform/window/Input.h"
#include "platform/window/SizeMove.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

void ApplyZOrder(const WindowPtr& w, HWND after) {
  if (after != HWND_TOP && after != HWND_BOTTOM && after != HWND_TOPMOST && after != HWND_NOTOPMOST) {
    auto a = Get(after);
    if (!a || a == w) return;
  }
  LinkZOrder(w, after);
  if (!(w->style & WS_CHILD) && S().backend) S().backend->WindowRaised(w->handle);
}

// The active top-level window was hidden: hand activation to its owner or the
// next visible top-level window.
void ActivateAnother(const WindowPtr& w) {
  HWND next = nullptr;
  {
    Lock l(S().lock);
    if (auto o = Get(w->owner); o && (o->style & WS_VISIBLE)) next = o->handle;
    for (HWND h : S().topLevels) {
      auto t = Get(h);
      if (!next && t && t != w && (t->style & WS_VISIBLE) && !(t->exStyle & WS_EX_NOACTIVATE)) next = h;
    }
  }
  SetActiveWindow(next);
}

}  // namespace

BOOL SetWindowPosImpl(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags,
                      bool tellBackend) {
  auto w = Get(hwnd);
  if (!w) return FALSE;
  WINDOWPOS wp{hwnd, insertAfter, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) wp.x = w->rect.left, wp.y = w->rect.top;
  if (flags & SWP_NOSIZE) wp.cx = w->rect.Width(), wp.cy = w->rect.Height();
  if (!(flags & SWP_NOSENDCHANGING)) CallProc(w, WM_WINDOWPOSCHANGING, 0, LPARAM(&wp));
  if (!IsWindow(hwnd)) return FALSE;
  flags = wp.flags;
  if (flags & SWP_NOMOVE) wp.x = w->rect.left, wp.y = w->rect.top;
  if (flags & SWP_NOSIZE) wp.cx = w->rect.Width(), wp.cy = w->rect.Height();
  // A geometry the backend reported but WM_WINDOWPOSCHANGING changed goes back to it.
  if (wp.x != x || wp.y != y || wp.cx != cx || wp.cy != cy) tellBackend = true;
  bool topLevel = !(w->style & WS_CHILD);
  RECT oldScreen = WindowRectOnScreen(*w);
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  const SIZE oldClient{w->client.Width(), w->client.Height()};
  RECT newRect{wp.x, wp.y, wp.x + std::max(0, wp.cx), wp.y + std::max(0, wp.cy)};
  bool moved = newRect.left != w->rect.left || newRect.top != w->rect.top;
  bool sized = newRect.Width() != w->rect.Width() || newRect.Height() != w->rect.Height();
  {
    Lock l(S().lock);
    w->rect = newRect;
    if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  }
  if (!(flags & SWP_NOZORDER)) ApplyZOrder(w, wp.hwndInsertAfter);
  if (sized || (flags & SWP_FRAMECHANGED)) RecomputeNonClient(w, true);
  bool visible = (w->style & WS_VISIBLE) != 0;
  if (topLevel && S().backend) {
    if ((moved || sized) && tellBackend) S().backend->WindowMoved(hwnd, w->rect);
    if (visible != wasVisible) S().backend->WindowShown(hwnd, visible);
  }
  bool geometry =
      moved || sized || (flags & SWP_FRAMECHANGED) || visible != wasVisible || !(flags & SWP_NOZORDER);
  if (!(flags & SWP_NOREDRAW) && geometry &&
      (!topLevel || sized || visible != wasVisible || (flags & SWP_FRAMECHANGED)))
    InvalidateForChange(w, oldScreen);
  if (wasVisible && !visible && topLevel && S().active == hwnd) ActivateAnother(w);
  // A hidden child cannot keep the keyboard focus: it goes to the parent.
  if (wasVisible && !visible && !topLevel && S().focus && IsDescendant(hwnd, S().focus)) SetFocus(w->parent);
  if (topLevel && visible && !(flags & SWP_NOACTIVATE) && !(w->exStyle & WS_EX_NOACTIVATE))
    SetActiveWindow(hwnd);
  if (!IsWindow(hwnd)) return TRUE;
  wp.flags = flags;
  if (!moved) wp.flags |= SWP_NOMOVE;
  if (!sized) wp.flags |= SWP_NOSIZE;
  if (w->client.Width() == oldClient.cx && w->client.Height() == oldClient.cy) wp.flags |= SWP_NOCLIENTSIZE;
  CallProc(w, WM_WINDOWPOSCHANGED, 0, LPARAM(&wp));
  return TRUE;
}

}  // namespace wm

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return wm::SetWindowPosImpl(hwnd, insertAfter, x, y, cx, cy, flags, true);
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return FALSE;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  bool child = (w->style & WS_CHILD) != 0;
  if (cmd == SW_HIDE) {
    if (!wasVisible) return FALSE;
    CallProc(w, WM_SHOWWINDOW, FALSE, 0);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
  }
  bool noActivate = child || cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE || cmd == SW_SHOWMINNOACTIVE ||
                    cmd == SW_MINIMIZE;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
  if (noActivate) flags |= SWP_NOACTIVATE;
  if (child || cmd == SW_SHOWNA) flags |= SWP_NOZORDER;
  RECT target = w->rect;
  bool mdiChild = child && (w->exStyle & WS_EX_MDICHILD);
  auto moveTo = [&](const RECT& r) {
    target = r;
    flags &= ~UINT(SWP_NOMOVE | SWP_NOSIZE);
  };
  auto maximizedRect = [&] {
    MINMAXINFO mm = GetMinMaxInfo(hwnd);
    return RECT{mm.ptMaxPosition.x, mm.ptMaxPosition.y, mm.ptMaxPosition.x + mm.ptMaxSize.x,
                mm.ptMaxPosition.y + mm.ptMaxSize.y};
  };
  auto unmaximize = [&] {
    w->maximized = false;
    moveTo(w->normalRect);
  };
  if ((cmd == SW_MAXIMIZE) && (child || S().backend)) {
    if (!w->maximized && !w->minimized) w->normalRect = w->rect;
    w->maximized = true, w->minimized = false;
    moveTo(maximizedRect());
  } else if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE) {
    // An MDI child shrinks to its caption at the bottom of its client window.
    if (mdiChild && !w->minimized) {
      if (!w->maximized) w->normalRect = w->rect;
      moveTo(MdiIconicRect(w));
    }
    w->minimized = true;
  } else if (cmd == SW_RESTORE) {
    // A minimised window comes back as it was, maximised or not.
    if (w->minimized) {
      w->minimized = false;
      if (mdiChild) moveTo(w->maximized ? maximizedRect() : w->normalRect);
    } else if (w->maximized) {
      unmaximize();
    }
  } else if (cmd == SW_SHOWNORMAL) {
    if (w->minimized && mdiChild && !w->maximized) moveTo(w->normalRect);
    w->minimized = false;
    if (w->maximized) unmaximize();
  }
  if (!wasVisible) CallProc(w, WM_SHOWWINDOW, TRUE, 0);
  if (!IsWindow(hwnd)) return wasVisible;
  SetWindowPos(hwnd, HWND_TOP, target.left, target.top, target.Width(), target.Height(), flags);
  if (w->minimized && IsWindow(hwnd)) CallProc(w, WM_SIZE, SIZE_MINIMIZED, 0);
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
  auto w = wm::Get(hwnd);
  return w && wm::IsVisibleChain(w);
}

BOOL IsWindowEnabled(HWND hwnd) {
  auto w = wm::Get(hwnd);
  return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  using namespace wm;
  auto w = Get(hwnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    if (S().focus && IsDescendant(hwnd, S().focus)) SetFocus(nullptr);
    if (S().capture && IsDescendant(hwnd, S().capture)) ReleaseCapture();
  }
  CallProc(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsIconic(HWND hwnd) {
  auto w = wm::Get(hwnd);
  return w && w->minimized;
}

BOOL IsZoomed(HWND hwnd) {
  auto w = wm::Get(hwnd);
  return w && w->maximized;
}

// Deferred positioning: the moves are collected and applied in order at the end.
namespace {
struct DeferredPositions {
  std::vector<WINDOWPOS> moves;
};
}  // namespace

HDWP BeginDeferWindowPos(int count) {
  auto* d = new DeferredPositions;
  d->moves.reserve(std::size_t(std::max(count, 0)));
  return d;
}

HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!info) return nullptr;
  auto* d = static_cast<DeferredPositions*>(info);
  if (!IsWindow(hwnd)) {
    delete d;
    return nullptr;
  }
  d->moves.push_back(WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags});
  return d;
}

BOOL EndDeferWindowPos(HDWP info) {
  if (!info) return FALSE;
  auto* d = static_cast<DeferredPositions*>(info);
  for (auto& m : d->moves) SetWindowPos(m.hwnd, m.hwndInsertAfter, m.x, m.y, m.cx, m.cy, m.flags);
  delete d;
  return TRUE;
}

}  // namespace qv
