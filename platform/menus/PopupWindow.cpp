// The popup menu window class: a topmost, never-activated window with a
// raised 3-pixel frame whose client area shows the items of one menu; its
// placement on the screen; and where items are (GetMenuItemRect,
// MenuItemFromPoint) for popups and the menu bar.
#include <algorithm>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/MenuImpl.h"
#include "platform/window/Input.h"
#include "platform/window/MenuHooks.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::menus {
namespace {

constexpr UINT kRelayout = WM_USER + 0x100;  // the items changed: measure and resize

HMENU MenuOfWindow(HWND hwnd) {
  return reinterpret_cast<HMENU>(GetWindowLongPtrW(hwnd, 0));
}

void Relayout(HWND hwnd) {
  HMENU menu = MenuOfWindow(hwnd);
  HWND owner = nullptr;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m || m->window != hwnd) return;
    owner = m->owner;
  }
  LayoutPopup(menu, owner);
  SIZE size;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return;
    size = m->size;
  }
  SetWindowPos(hwnd, nullptr, 0, 0, size.cx + 2 * kPopupFrame, std::max<int>(size.cy, 1) + 2 * kPopupFrame,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT PaintPopup(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HMENU menu = MenuOfWindow(hwnd);
  HWND owner = nullptr;
  bool prefix = false;
  {
    Lock l(T().lock);
    if (Menu* m = Get(menu)) owner = m->owner, prefix = m->showPrefix;
  }
  if (dc) DrawPopupItems(menu, dc, owner, prefix);
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, 0, LONG_PTR(cs ? cs->lpCreateParams : nullptr));
      break;
    }
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_MENU + 1)));
      return 1;
    }
    case WM_PAINT:
      return PaintPopup(hwnd);
    case kRelayout:
      return Relayout(hwnd), 0;
    case WM_CONTEXTMENU:
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP:
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int Clamp(int v, int lo, int hi) {
  return std::max(lo, std::min(v, hi));
}

}  // namespace

void RegisterPopupClass() {
  WNDCLASSEXW existing;
  if (GetClassInfoExW(nullptr, POPUPMENU_CLASS, &existing)) return;
  WNDCLASSEXW wc;
  wc.style = CS_SAVEBITS | CS_DROPSHADOW;
  wc.lpfnWndProc = PopupProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = POPUPMENU_CLASS;
  RegisterClassExW(&wc);
}

HWND CreatePopupWindow(HMENU menu, HWND owner, POINT at, UINT flags, const RECT* exclude) {
  RegisterPopupClass();
  LayoutPopup(menu, owner);
  SIZE client;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return nullptr;
    client = m->size;
  }
  int w = client.cx + 2 * kPopupFrame, h = std::max<int>(client.cy, 1) + 2 * kPopupFrame;
  int x = at.x, y = at.y;
  if (flags & TPM_CENTERALIGN)
    x -= w / 2;
  else if (flags & TPM_RIGHTALIGN)
    x -= w;
  if (flags & TPM_VCENTERALIGN)
    y -= h / 2;
  else if (flags & TPM_BOTTOMALIGN)
    y -= h;
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // Off the right or bottom edge: flip to the other side of the rectangle to
  // keep clear of (the parent item or the bar title), else slide back on.
  if (x + w > sw)
    x = exclude && (flags & TPM_VERTICAL) == 0 && exclude->left - w >= 0 ? exclude->left - w : sw - w;
  if (y + h > sh) y = exclude && exclude->top - h >= 0 && (flags & TPM_VERTICAL) ? exclude->top - h : sh - h;
  x = Clamp(x, 0, std::max(0, sw - w));
  y = Clamp(y, 0, std::max(0, sh - h));
  HWND hwnd =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, POPUPMENU_CLASS, u"",
                      WS_POPUP | WS_DLGFRAME | WS_CLIPSIBLINGS, x, y, w, h, owner, nullptr, nullptr, menu);
  if (!hwnd) return nullptr;
  {
    Lock l(T().lock);
    if (Menu* m = Get(menu)) m->window = hwnd;
  }
  SetWindowPos(hwnd, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  UpdateWindow(hwnd);
  return hwnd;
}

void DestroyPopupWindow(HMENU menu) {
  HWND hwnd = nullptr;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m) return;
    hwnd = m->window;
    m->window = nullptr;
    m->hilite = -1;
  }
  if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
}

// Called with the menus locked, so it only invalidates: a popup whose
// items changed size is resized from its own queue.
void RepaintPopup(HMENU menu) {
  Menu* m = Get(menu);
  if (!m || !m->window) return;
  if (!m->laidOut) PostMessageW(m->window, kRelayout, 0, 0);
  InvalidateRect(m->window, nullptr, TRUE);
}

RECT BarRect(HWND hwnd) {
  return GetMenuBarRect(hwnd);
}

}  // namespace qv::menus

namespace qv {
using namespace menus;

HWND MenuWindowOf(HMENU menu) {
  Lock l(T().lock);
  Menu* m = Get(menu);
  return m ? m->window : nullptr;
}

BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT pos, RECT* rect) {
  if (!rect) return FALSE;
  bool bar = false;
  HWND window = nullptr;
  {
    Lock l(T().lock);
    Menu* m = Get(menu);
    if (!m || pos >= m->items.size()) return FALSE;
    bar = !m->popup;
    window = m->window;
  }
  if (bar) {
    if (!hwnd || GetMenu(hwnd) != menu) return FALSE;
    LayoutBar(menu, hwnd, BarRect(hwnd));
    RECT wr;
    GetWindowRect(hwnd, &wr);
    Lock l(T().lock);
    *rect = Get(menu)->items[pos].rect;
    OffsetRect(rect, wr.left, wr.top);
    return TRUE;
  }
  if (!window) return FALSE;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  Lock l(T().lock);
  Menu* m = Get(menu);
  if (!m || pos >= m->items.size()) return FALSE;
  *rect = m->items[pos].rect;
  rect->right = rect->left + m->size.cx;
  OffsetRect(rect, origin.x, origin.y);
  return TRUE;
}

int MenuItemFromPoint(HWND hwnd, HMENU menu, POINT screen) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    RECT r;
    if (GetMenuItemRect(hwnd, menu, UINT(i), &r) && PtInRect(&r, screen)) return i;
  }
  return -1;
}

}  // namespace qv
