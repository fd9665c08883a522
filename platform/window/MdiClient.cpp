// The MDI client window class: its state, the WM_MDI* messages, creating
// and destroying children, and child activation.
#include <memory>

#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MdiImpl.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv {
namespace wm {
namespace {

constexpr const char16_t* kStateProp = u"QvMdiClientState";

// Where a child asking for the default place goes: one caption step further
// down and right for each child already there.
RECT DefaultChildRect(HWND client, const MDICREATESTRUCTW& cs, int index) {
  RECT c;
  GetClientRect(client, &c);
  int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
  int w = cs.cx == CW_USEDEFAULT ? c.Width() * 3 / 4 : cs.cx;
  int h = cs.cy == CW_USEDEFAULT ? c.Height() * 3 / 4 : cs.cy;
  int slots = std::max(1, std::min(c.Width() - w, c.Height() - h) / std::max(step, 1) + 1);
  int x = cs.x == CW_USEDEFAULT ? (index % slots) * step : cs.x;
  int y = cs.y == CW_USEDEFAULT ? (index % slots) * step : cs.y;
  return RECT{x, y, x + w, y + h};
}

HWND CreateChild(HWND client, const MDICREATESTRUCTW* cs) {
  auto* st = MdiState(client);
  if (!cs || !st) return nullptr;
  HWND active = st->active;
  bool maximize = active && IsZoomed(active);
  DWORD style = cs->style;
  if (!(GetWindowLongPtrW(client, GWL_STYLE) & MDIS_ALLCHILDSTYLES))
    style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  style = (style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
  int count = int(MdiChildren(client).size());
  RECT r = DefaultChildRect(client, *cs, count);
  HWND child = CreateWindowExW(WS_EX_MDICHILD, cs->szClass, cs->szTitle, style & ~(WS_VISIBLE | WS_MAXIMIZE),
                               r.left, r.top, r.Width(), r.Height(), client,
                               reinterpret_cast<HMENU>(uintptr_t(st->firstChildId + UINT(count))), cs->hOwner,
                               const_cast<MDICREATESTRUCTW*>(cs));
  if (!child) return nullptr;
  if ((style & WS_MAXIMIZE) || maximize) ShowWindow(child, SW_MAXIMIZE);
  if (IsWindow(child)) ShowWindow(child, SW_SHOW);
  if (IsWindow(child)) MdiActivate(client, child);
  return IsWindow(child) ? child : nullptr;
}

void DestroyChild(HWND client, HWND child) {
  auto* st = MdiState(client);
  if (!st || !IsWindow(child) || GetParent(child) != client) return;
  if (st->active == child) {
    HWND next = MdiNextChild(client, child, false);
    bool wasMax = IsZoomed(child);
    MdiActivate(client, next != child ? next : nullptr);
    if (wasMax && st->active && !IsZoomed(st->active)) ShowWindow(st->active, SW_MAXIMIZE);
  }
  DestroyWindow(child);
  if (!MdiState(client)) return;
  if (MdiState(client)->active == child) MdiState(client)->active = nullptr;
  MdiRefreshFrameCaption(client);
  MdiUpdateScrollBars(client);
}

// WM_MDINEXT: the next child comes up and the old one goes to the bottom;
// the previous one is the bottom child.
void ActivateNext(HWND client, HWND from, bool previous) {
  auto* st = MdiState(client);
  if (!st) return;
  if (!from) from = st->active;
  HWND next = MdiNextChild(client, from, previous);
  if (!next || next == from) return;
  bool maximized = from && IsZoomed(from);
  MdiActivate(client, next);
  if (!previous && IsWindow(from))
    SetWindowPos(from, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  (void)maximized;
}

LRESULT CALLBACK_ClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* st = new MdiClientState;
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs && cs->lpCreateParams) {
        auto* ccs = static_cast<CLIENTCREATESTRUCT*>(cs->lpCreateParams);
        st->windowMenu = ccs->hWindowMenu;
        st->firstChildId = ccs->idFirstChild;
      }
      SetPropW(hwnd, kStateProp, st);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY:
      delete static_cast<MdiClientState*>(RemovePropW(hwnd, kStateProp));
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_MDICREATE:
      return LRESULT(CreateChild(hwnd, reinterpret_cast<const MDICREATESTRUCTW*>(lParam)));
    case WM_MDIDESTROY:
      DestroyChild(hwnd, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_MDIACTIVATE:
      if (GetParent(reinterpret_cast<HWND>(wParam)) == hwnd)
        MdiActivate(hwnd, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_MDIGETACTIVE: {
      HWND active = MdiState(hwnd) ? MdiState(hwnd)->active : nullptr;
      if (lParam) *reinterpret_cast<BOOL*>(lParam) = active && IsZoomed(active);
      return LRESULT(active);
    }
    case WM_MDIMAXIMIZE:
      if (GetParent(reinterpret_cast<HWND>(wParam)) == hwnd) {
        ShowWindow(reinterpret_cast<HWND>(wParam), SW_MAXIMIZE);
        MdiActivate(hwnd, reinterpret_cast<HWND>(wParam));
        MdiRefreshFrameCaption(hwnd);
        MdiUpdateScrollBars(hwnd);
      }
      return 0;
    case WM_MDIRESTORE:
      if (GetParent(reinterpret_cast<HWND>(wParam)) == hwnd) {
        ShowWindow(reinterpret_cast<HWND>(wParam), SW_RESTORE);
        MdiRefreshFrameCaption(hwnd);
        MdiUpdateScrollBars(hwnd);
      }
      return 0;
    case WM_MDINEXT:
      ActivateNext(hwnd, reinterpret_cast<HWND>(wParam), lParam != 0);
      return 0;
    case WM_MDICASCADE:
      MdiCascade(hwnd, wParam);
      return TRUE;
    case WM_MDITILE:
      MdiTile(hwnd, wParam);
      return TRUE;
    case WM_MDIICONARRANGE:
      MdiArrangeIcons(hwnd);
      return 0;
    case WM_MDISETMENU: {
      auto* st = MdiState(hwnd);
      if (!st) return 0;
      HMENU old = st->windowMenu;
      if (lParam) st->windowMenu = reinterpret_cast<HMENU>(lParam);
      return LRESULT(old);
    }
    case WM_MDIREFRESHMENU:
      return 0;
    case WM_SETFOCUS:
      if (auto* st = MdiState(hwnd); st && st->active && IsWindowEnabled(st->active)) SetFocus(st->active);
      return 0;
    case WM_SIZE: {
      // A maximised child keeps filling the client; icons stay at the bottom.
      auto* st = MdiState(hwnd);
      if (st && st->active && IsZoomed(st->active) && !st->busy) {
        ShowWindow(st->active, SW_MAXIMIZE);
      }
      if (st && !st->busy) MdiArrangeIcons(hwnd);
      MdiUpdateScrollBars(hwnd);
      return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      MdiScroll(hwnd, msg == WM_HSCROLL ? SB_HORZ : SB_VERT, int(wParam));
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

MdiClientState* MdiState(HWND client) {
  return client ? static_cast<MdiClientState*>(GetPropW(client, kStateProp)) : nullptr;
}

bool IsMdiChild(HWND hwnd) {
  auto w = Get(hwnd);
  return w && (w->style & WS_CHILD) && (w->exStyle & WS_EX_MDICHILD) && MdiState(w->parent);
}

HWND MdiClientOf(HWND child) {
  return IsMdiChild(child) ? GetParent(child) : nullptr;
}

std::vector<HWND> MdiChildren(HWND client) {
  std::vector<HWND> out;
  auto c = Get(client);
  if (!c) return out;
  Lock l(S().lock);
  for (HWND h : c->children)
    if (auto w = Get(h); w && !w->destroying && (w->exStyle & WS_EX_MDICHILD)) out.push_back(h);
  return out;
}

HWND MdiNextChild(HWND client, HWND from, bool previous) {
  std::vector<HWND> list;
  for (HWND h : MdiChildren(client))
    if (h == from || (IsWindowVisible(h) && IsWindowEnabled(h))) list.push_back(h);
  if (list.empty()) return nullptr;
  auto it = std::find(list.begin(), list.end(), from);
  if (it == list.end()) return list.front();
  if (previous) return list.back() != from ? list.back() : (list.size() > 1 ? list[list.size() - 2] : from);
  ++it;
  return it == list.end() ? list.front() : *it;
}

void MdiActivate(HWND client, HWND child) {
  auto* st = MdiState(client);
  if (!st) return;
  if (child && (!IsWindow(child) || GetParent(child) != client)) return;
  HWND old = st->active;
  HWND frame = GetParent(client);
  bool frameActive = frame && GetActiveWindow() == GetAncestor(frame, GA_ROOT);
  if (old == child) {
    if (child && frameActive && !(GetFocus() && IsChild(child, GetFocus()))) SetFocus(child);
    return;
  }
  bool handOnMaximized = old && IsWindow(old) && IsZoomed(old) && child;
  st->active = child;
  if (old && IsWindow(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_MDIACTIVATE, WPARAM(old), LPARAM(child));
  }
  if (child && IsWindow(child)) {
    if (handOnMaximized && !IsZoomed(child)) ShowWindow(child, SW_MAXIMIZE);
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (handOnMaximized && IsWindow(old)) ShowWindow(old, SW_RESTORE);
    if (IsWindow(child) && MdiState(client) && MdiState(client)->active == child) {
      SendMessageW(child, WM_NCACTIVATE, frameActive ? TRUE : FALSE, 0);
      SendMessageW(child, WM_MDIACTIVATE, WPARAM(IsWindow(old) ? old : nullptr), LPARAM(child));
      if (frameActive && IsWindow(child) && !(GetFocus() && IsChild(child, GetFocus()))) SetFocus(child);
    }
  } else if (frameActive && GetFocus() && IsChild(client, GetFocus())) {
    SetFocus(client);
  }
  if (MdiState(client)) {
    MdiRefreshFrameCaption(client);
    MdiUpdateScrollBars(client);
  }
}

bool RegisterBuiltInClass(LPCWSTR name) {
  if (!name || uintptr_t(name) <= 0xFFFF) return false;
  std::u16string n(name);
  for (auto& c : n) c = c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
  if (n != MDICLIENT_CLASS) return false;
  RegisterMdiClientClass();
  return true;
}

}  // namespace wm

void RegisterMdiClientClass() {
  WNDCLASSEXW wc;
  if (GetClassInfoExW(nullptr, MDICLIENT_CLASS, &wc)) return;
  wc = WNDCLASSEXW{};
  wc.lpfnWndProc = wm::CALLBACK_ClientProc;
  wc.lpszClassName = MDICLIENT_CLASS;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_APPWORKSPACE + 1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassExW(&wc);
}

HWND CreateMDIWindowW(LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int cx, int cy,
                      HWND client, HINSTANCE instance, LPARAM lParam) {
  MDICREATESTRUCTW cs;
  cs.szClass = className, cs.szTitle = title, cs.hOwner = instance;
  cs.x = x, cs.y = y, cs.cx = cx, cs.cy = cy, cs.style = style, cs.lParam = lParam;
  return reinterpret_cast<HWND>(SendMessageW(client, WM_MDICREATE, 0, LPARAM(&cs)));
}

HWND FindMdiClient(HWND frame) {
  for (HWND h = GetWindow(frame, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (wm::MdiState(h)) return h;
  return nullptr;
}

}  // namespace qv
