// Internal state of the menus: menu objects behind checked handles, their
// item layout, drawing, the popup window class and the loop's entry points.
// One recursive lock guards the table; it is never held while a window
// procedure runs.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/menus/Menus.h"

namespace qv::menus {

struct Item {
  UINT type = MFT_STRING;
  UINT state = 0;
  UINT id = 0;
  HMENU sub = nullptr;
  HBITMAP checked = nullptr, unchecked = nullptr, bitmap = nullptr;
  uintptr_t data = 0;
  std::u16string text;
  RECT rect;  // popup: client coordinates; bar: window coordinates
  SIZE size;  // measured size
  bool measured = false;
};

struct Menu {
  HMENU handle = nullptr;
  bool popup = true;
  bool system = false;  // a window's system menu
  std::vector<Item> items;
  int hilite = -1;          // the selected item while the loop runs
  HWND window = nullptr;    // the popup window while shown
  HWND owner = nullptr;     // who receives WM_MEASUREITEM / WM_DRAWITEM while shown
  SIZE size;                // popup client size of the last layout
  int shortcutX = 0;        // popup: where the shortcut column starts
  RECT barRect;             // bar: the row it was laid out in
  bool barOpen = false;     // bar: the selected title's menu is dropped down
  bool showPrefix = false;  // underline the access keys (keyboard use)
  bool laidOut = false;
};

struct Table {
  std::recursive_mutex lock;
  std::vector<std::unique_ptr<Menu>> menus;  // index = handle value - kBase
};
Table& T();
using Lock = std::lock_guard<std::recursive_mutex>;

Menu* Get(HMENU menu);  // nullptr for stale handles; call under the lock
// The item by id (searching sub-menus; `owner` receives the menu holding it) or by position.
Item* Find(HMENU menu, UINT item, UINT flags, Menu** owner = nullptr, int* pos = nullptr);
void Invalidate(Menu& m);  // the layout must be measured again
bool IsSeparator(const Item& it);
bool IsDisabled(const Item& it);
// The character after a single '&' in the text, lowered; 0 for none.
char16_t Mnemonic(const Item& it);

// Layout and drawing (MenuDraw.cpp). Popups: client coordinates from (0,0);
// the bar: the row's rectangle in window coordinates.
constexpr int kPopupFrame = 3;
HFONT MenuFont(bool bold = false);
void LayoutPopup(HMENU menu, HWND owner);
void LayoutBar(HMENU menu, HWND owner, const RECT& bar);
void DrawPopupItems(HMENU menu, HDC dc, HWND owner, bool showPrefix);
void DrawBar(HWND hwnd, HMENU menu, HDC dc, const RECT& bar);
// The bar's current row in window coordinates (empty without a menu bar).
RECT BarRect(HWND hwnd);

// Popup windows (PopupWindow.cpp).
void RegisterPopupClass();
HWND CreatePopupWindow(HMENU menu, HWND owner, POINT at, UINT flags, const RECT* exclude);
void DestroyPopupWindow(HMENU menu);
void RepaintPopup(HMENU menu);

// The loop (MenuLoop.cpp).
enum class Start { Popup, BarMouse, BarKey, System };
// Runs the loop; returns the chosen command or 0.
UINT Track(HWND owner, HMENU menu, Start start, UINT flags, POINT at, char16_t key, const RECT* exclude);
bool InLoop();

// The system menu of a window (SystemMenu.cpp); its items are enabled for the window's state.
HMENU SystemMenuFor(HWND hwnd);
void UpdateSystemMenu(HWND hwnd, HMENU menu);
void InstallWindowHooks();
// The maximised MDI child's items in its frame's menu bar (MdiMenuBar.cpp).
void InstallMdiMenuBar();

}  // namespace qv::menus
