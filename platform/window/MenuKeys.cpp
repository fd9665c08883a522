// DefWindowProc's menu keys and clicks: Alt or F10 alone enter the menu
// bar, Alt+letter opens a bar menu, Alt+Space the system menu, Alt+F4 closes
// the window; a click on the bar or the system icon starts the mouse loop;
// the right button, Shift+F10 and the menu key ask for a context menu.
#include "platform/window/Input.h"
#include "platform/window/MenuHooks.h"
#include "platform/window/MessageQueue.h"

namespace qv {
namespace {

MenuHooks g_hooks;
// Alt (or F10) went down and no other key came before its release.
bool g_menuKeyAlone = false;

constexpr WPARAM kScMouseMenu = 0xF090;

bool IsChild(HWND hwnd) {
  return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
}

HWND Root(HWND hwnd) {
  HWND r = GetAncestor(hwnd, GA_ROOT);
  return r ? r : hwnd;
}

void ContextMenuFromKeyboard(HWND hwnd) {
  SendMessageW(hwnd, WM_CONTEXTMENU, WPARAM(hwnd), LPARAM(-1));
}

bool SysKeyDown(HWND hwnd, WPARAM vk, LPARAM lParam) {
  bool repeat = (lParam & (LPARAM(1) << 30)) != 0;
  if (vk == VK_MENU) {
    if (!repeat) g_menuKeyAlone = true;
    return true;
  }
  g_menuKeyAlone = false;
  if (vk == VK_F4 && (lParam & (LPARAM(1) << 29))) {
    if (IsChild(hwnd))
      SendMessageW(GetParent(hwnd), WM_SYSKEYDOWN, vk, lParam);
    else
      PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  if (vk == VK_F10) {
    if (GetKeyState(VK_SHIFT) < 0)
      ContextMenuFromKeyboard(hwnd);
    else if (!repeat)
      g_menuKeyAlone = true;
  }
  return true;
}

bool KeyUp(HWND hwnd, WPARAM vk) {
  if ((vk == VK_MENU || vk == VK_F10) && g_menuKeyAlone) {
    g_menuKeyAlone = false;
    SendMessageW(Root(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
  }
  return true;
}

bool SysCommand(HWND hwnd, WPARAM command, LPARAM lParam) {
  if ((command & 0xFFF0) == SC_KEYMENU) {
    if (g_hooks.TrackKeyboard) g_hooks.TrackKeyboard(Root(hwnd), char16_t(lParam));
    return true;
  }
  if ((command & 0xFFF0) == kScMouseMenu) {
    if (g_hooks.TrackMouse)
      g_hooks.TrackMouse(hwnd, LRESULT(command & 0xF), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return true;
  }
  return false;
}

bool ContextMenu(HWND hwnd, LPARAM lParam) {
  if (IsChild(hwnd) || !g_hooks.TrackSystemMenu || lParam == LPARAM(-1)) return false;
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  LRESULT hit = SendMessageW(hwnd, WM_NCHITTEST, 0, lParam);
  if (hit != HTCAPTION && hit != HTSYSMENU) return false;
  g_hooks.TrackSystemMenu(hwnd, p);
  return true;
}

}  // namespace

void SetMenuHooks(const MenuHooks& hooks) {
  g_hooks = hooks;
}

const MenuHooks& GetMenuHooks() {
  return g_hooks;
}

namespace wm {

void NoteKeyDown(UINT vk) {
  if (vk != VK_MENU && vk != VK_LMENU && vk != VK_RMENU) g_menuKeyAlone = false;
}

bool DefMenuMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_SYSKEYDOWN:
      return SysKeyDown(hwnd, wParam, lParam);
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KILLFOCUS:
      g_menuKeyAlone = false;  // Alt was not alone (or its release goes elsewhere)
      return false;
    case WM_SYSKEYUP:
      return KeyUp(hwnd, wParam);
    case WM_KEYUP:
      // On release, so controls that keep their key-downs to themselves still get the menu key's menu.
      if (wParam == VK_APPS) return ContextMenuFromKeyboard(hwnd), true;
      if (wParam == VK_F10) return KeyUp(hwnd, wParam);
      return false;
    case WM_SYSCHAR:
      g_menuKeyAlone = false;
      if (lParam & (LPARAM(1) << 29)) SendMessageW(Root(hwnd), WM_SYSCOMMAND, SC_KEYMENU, LPARAM(wParam));
      return true;
    case WM_SYSCOMMAND:
      return SysCommand(hwnd, wParam, lParam);
    case WM_NCLBUTTONDOWN:
      if (wParam != WPARAM(HTMENU) && wParam != WPARAM(HTSYSMENU)) return false;
      SendMessageW(hwnd, WM_SYSCOMMAND, kScMouseMenu + wParam, lParam);
      return true;
    case WM_NCLBUTTONDBLCLK:
      // A quick second click on the bar is just another click.
      if (wParam == WPARAM(HTMENU)) return DefMenuMessage(hwnd, WM_NCLBUTTONDOWN, wParam, lParam, result);
      if (wParam != WPARAM(HTSYSMENU)) return false;
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return true;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      SendMessageW(hwnd, WM_CONTEXTMENU, WPARAM(hwnd), MAKELPARAM(p.x, p.y));
      return true;
    }
    case WM_NCRBUTTONUP:
      SendMessageW(hwnd, WM_CONTEXTMENU, WPARAM(hwnd), lParam);
      return true;
    case WM_CONTEXTMENU:
      return ContextMenu(hwnd, lParam);
  }
  return false;
}

}  // namespace wm
}  // namespace qv
