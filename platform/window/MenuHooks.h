// How the window manager reaches the menus (platform/menus), which sit above
// it: the menu library installs these hooks when its first menu is made.
// Without them the menu-bar row stays blank and the menu keys do nothing.
#pragma once
#include "platform/window/Window.h"

namespace qv {

struct MenuHooks {
  // Paints the menu bar row (`bar`, window coordinates) of a top-level window.
  void (*PaintBar)(HWND hwnd, HMENU menu, HDC dc, const RECT& bar) = nullptr;
  // The menu loop of a top-level window: from the keyboard (SC_KEYMENU: `key`
  // is the character typed with Alt, 0 for Alt or F10 alone, ' ' for the
  // system menu) or from a click (SC_MOUSEMENU: `hit` is HTMENU or HTSYSMENU).
  void (*TrackKeyboard)(HWND hwnd, char16_t key) = nullptr;
  void (*TrackMouse)(HWND hwnd, LRESULT hit, POINT screen) = nullptr;
  // The system menu at a screen point (a right click on the caption).
  void (*TrackSystemMenu)(HWND hwnd, POINT screen) = nullptr;
};

void SetMenuHooks(const MenuHooks& hooks);
const MenuHooks& GetMenuHooks();

// The menu-bar row of a top-level window with a menu, in window coordinates;
// empty for a child window, a window without a menu or a stale handle.
RECT GetMenuBarRect(HWND hwnd);

namespace wm {
// DefWindowProc's share of the menus: Alt, F10, Alt+key, Alt+Space and
// Alt+F4, clicks on the menu bar and the system icon, SC_KEYMENU and
// SC_MOUSEMENU, and WM_CONTEXTMENU from the right button, Shift+F10 and the
// menu key. False when the message is none of these.
bool DefMenuMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
// A key went down: unless it is Alt itself, Alt is no longer pressed alone,
// even when the window that gets the key keeps it from DefWindowProc.
void NoteKeyDown(UINT vk);
}  // namespace wm

}  // namespace qv
