// Arranging MDI children: cascade, tile (side by side or one above the
// other), minimised children along the bottom, the client's scroll bars
// over children that lie outside it and scrolling them into view.
#include <cmath>

#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MdiImpl.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv {
namespace wm {
namespace {

constexpr int kScrollLine = 8;

RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The children an arrangement moves: visible, not minimised, and enabled
// unless disabled ones are skipped; the active one last, so it ends on top.
std::vector<HWND> Arrangeable(HWND client, WPARAM flags) {
  std::vector<HWND> out;
  auto all = MdiChildren(client);
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    HWND h = *it;
    if (!IsWindowVisible(h) || IsIconic(h)) continue;
    if ((flags & MDITILE_SKIPDISABLED) && !IsWindowEnabled(h)) continue;
    if (IsZoomed(h)) ShowWindow(h, SW_RESTORE);
    out.push_back(h);
  }
  return out;
}

int IconHeight() {
  return GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
}

// The client area left for arranged children: minimised ones keep the bottom row.
RECT ArrangeArea(HWND client) {
  RECT c;
  GetClientRect(client, &c);
  for (HWND h : MdiChildren(client))
    if (IsIconic(h) && IsWindowVisible(h)) {
      c.bottom = std::max(c.top, c.bottom - IconHeight());
      break;
    }
  return c;
}

void Place(HWND h, int x, int y, int w, int hgt) {
  SetWindowPos(h, nullptr, x, y, std::max(w, 1), std::max(hgt, 1), SWP_NOZORDER | SWP_NOACTIVATE);
}

// One axis of the scroll bars: the range covers the client and every child,
// with the client's own view at position 0.
void SetAxis(HWND client, int bar, int lo, int hi, int page) {
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = std::min(lo, 0);
  si.nMax = std::max(hi, page) - 1;
  si.nPage = UINT(std::max(page, 0));
  si.nPos = 0;
  SetScrollInfo(client, bar, &si, TRUE);
}

}  // namespace

void MdiCascade(HWND client, WPARAM flags) {
  auto list = Arrangeable(client, flags);
  if (list.empty()) return;
  RECT area = ArrangeArea(client);
  int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
  int w = area.Width() * 3 / 4, h = area.Height() * 3 / 4;
  int slots = std::max(1, std::min(area.Width() - w, area.Height() - h) / step + 1);
  for (std::size_t i = 0; i < list.size(); ++i) {
    int k = int(i) % slots;
    Place(list[i], area.left + k * step, area.top + k * step, w, h);
    SetWindowPos(list[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  MdiUpdateScrollBars(client);
}

void MdiTile(HWND client, WPARAM flags) {
  auto list = Arrangeable(client, flags);
  int n = int(list.size());
  if (n == 0) return;
  RECT area = ArrangeArea(client);
  // Up to three children share one row or column; more make a grid whose
  // last lines take the extra children.
  bool sideBySide = !(flags & MDITILE_HORIZONTAL);
  int lines = n <= 3 ? n : int(std::ceil(std::sqrt(double(n))));
  int along = sideBySide ? area.Width() : area.Height();
  int across = sideBySide ? area.Height() : area.Width();
  int index = 0;
  for (int line = 0; line < lines; ++line) {
    int inLine = n / lines + (line >= lines - n % lines ? 1 : 0);
    int a0 = along * line / lines, a1 = along * (line + 1) / lines;
    for (int k = 0; k < inLine && index < n; ++k, ++index) {
      int c0 = across * k / inLine, c1 = across * (k + 1) / inLine;
      if (sideBySide)
        Place(list[std::size_t(index)], area.left + a0, area.top + c0, a1 - a0, c1 - c0);
      else
        Place(list[std::size_t(index)], area.left + c0, area.top + a0, c1 - c0, a1 - a0);
    }
  }
  MdiUpdateScrollBars(client);
}

void MdiArrangeIcons(HWND client) {
  int slot = 0;
  for (HWND h : MdiChildren(client)) {
    if (!IsIconic(h)) continue;
    auto w = Get(h);
    RECT r = MdiIconicRect(w);
    (void)slot;
    SetWindowPos(h, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

RECT MdiIconicRect(const WindowPtr& child) {
  RECT c;
  GetClientRect(child->parent, &c);
  int w = GetSystemMetrics(SM_CXMINIMIZED), h = IconHeight();
  // The slot: how many minimised siblings come before this one (bottom of the z-order first).
  int slot = 0;
  auto all = MdiChildren(child->parent);
  for (auto it = all.rbegin(); it != all.rend() && *it != child->handle; ++it)
    if (IsIconic(*it)) ++slot;
  int perRow = std::max(1, c.Width() / w);
  int x = (slot % perRow) * w, y = c.bottom - (slot / perRow + 1) * h;
  return RECT{x, y, x + w, y + h};
}

void MdiUpdateScrollBars(HWND client) {
  auto* st = MdiState(client);
  if (!st || st->busy) return;
  ++st->busy;
  // Showing a bar narrows the client, which may call for the other bar: twice settles it.
  for (int pass = 0; pass < 2 && MdiState(client); ++pass) {
    RECT c;
    GetClientRect(client, &c);
    RECT all = c;
    bool maximized = st->active && IsZoomed(st->active);
    if (!maximized)
      for (HWND h : MdiChildren(client))
        if (IsWindowVisible(h)) {
          RECT r = ChildRect(h);
          UnionRect(&all, &all, &r);
        }
    SetAxis(client, SB_HORZ, all.left, all.right, c.Width());
    SetAxis(client, SB_VERT, all.top, all.bottom, c.Height());
  }
  if (auto* s = MdiState(client)) --s->busy;
}

void MdiScroll(HWND client, int bar, int code) {
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(client, bar, &si)) return;
  int page = int(si.nPage), pos = 0;
  switch (LOWORD(uintptr_t(code))) {
    case SB_LINEUP:
      pos = -kScrollLine;
      break;
    case SB_LINEDOWN:
      pos = kScrollLine;
      break;
    case SB_PAGEUP:
      pos = -page;
      break;
    case SB_PAGEDOWN:
      pos = page;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      pos = short(HIWORD(uintptr_t(code)));
      break;
    case SB_TOP:
      pos = si.nMin;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
    default:
      return;
  }
  pos = std::max(si.nMin, std::min(pos, si.nMax - std::max(page, 1) + 1));
  if (pos == 0) return;
  // The view moves by `pos`: the children move the other way.
  for (HWND h : MdiChildren(client)) {
    RECT r = ChildRect(h);
    int dx = bar == SB_HORZ ? -pos : 0, dy = bar == SB_VERT ? -pos : 0;
    SetWindowPos(h, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(client, nullptr, TRUE);
  MdiUpdateScrollBars(client);
}

namespace {
MdiMenuBarHook g_menuBarHook = nullptr;
}

void MdiRefreshFrameCaption(HWND client, bool titleChanged) {
  HWND frame = GetParent(client);
  auto* st = MdiState(client);
  if (!st || !frame) return;
  // The caption and the menu bar change only with the maximised child.
  HWND maximized = st->active && IsZoomed(st->active) ? st->active : nullptr;
  bool changed = maximized != st->menuBarChild;
  st->menuBarChild = maximized;
  if (changed && g_menuBarHook) g_menuBarHook(frame, maximized);
  if ((changed || (titleChanged && maximized)) &&
      (GetWindowLongPtrW(frame, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
    RedrawWindow(frame, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

HWND MdiMaximizedChildOfFrame(HWND frame) {
  HWND client = FindMdiClient(frame);
  auto* st = MdiState(client);
  return st && st->active && IsZoomed(st->active) ? st->active : nullptr;
}

}  // namespace wm

void SetMdiMenuBarHook(MdiMenuBarHook hook) {
  wm::g_menuBarHook = hook;
}

}  // namespace qv
