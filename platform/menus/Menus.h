// Menus: menu handles and their items, the menu bar a top-level window
// shows in its non-client area, popup menus shown in windows of their own
// class, the modal menu loop (mouse and keyboard), and the system menu.
//
// Popup menu windows belong to the class POPUPMENU_CLASS. Each keeps its
// state in its window extra bytes, never in GWLP_USERDATA, so a skin may
// subclass one (SetWindowLongPtr GWLP_WNDPROC, its old procedure kept in the
// user data) and paint the frame (WM_NCPAINT) and background (WM_ERASEBKGND)
// itself. Owner-drawn items get WM_MEASUREITEM/WM_DRAWITEM (ODT_MENU) at
// the owner window; the DC of WM_DRAWITEM belongs to the popup window, so
// WindowFromDC finds it.
//
// MDI frames show a maximised child's icon and buttons in the menu bar with
// bitmap items, as the platform does: an item whose hbmpItem is
// HBMMENU_SYSTEM draws the small icon of the window in its dwItemData (its
// sub-menu is that window's system menu), and right-justified items
// (MFT_RIGHTJUSTIFY) with HBMMENU_MBAR_MINIMIZE/RESTORE/CLOSE (and the _D
// greyed forms) draw the caption-button glyphs. A click on such an item
// posts WM_COMMAND with its id to the frame like any other item.
#pragma once
#include <string>

#include "platform/gdi/GdiTypes.h"
#include "platform/window/OwnerDraw.h"
#include "platform/window/Window.h"

namespace qv {

inline constexpr const char16_t* POPUPMENU_CLASS = u"QvPopupMenu";

constexpr UINT WM_UNINITMENUPOPUP = 0x0125;
constexpr WPARAM SC_MOUSEMENU = 0xF090, SC_TASKLIST = 0xF130, SC_DEFAULT = 0xF160;

// Flags of the old-style calls (AppendMenu, InsertMenu, ModifyMenu ...).
constexpr UINT MF_CHANGE = 0x80, MF_APPEND = 0x100, MF_DELETE = 0x200, MF_REMOVE = 0x1000, MF_BYCOMMAND = 0x0,
               MF_BYPOSITION = 0x400, MF_SEPARATOR = 0x800, MF_ENABLED = 0x0, MF_GRAYED = 0x1,
               MF_DISABLED = 0x2, MF_UNCHECKED = 0x0, MF_CHECKED = 0x8, MF_STRING = 0x0, MF_BITMAP = 0x4,
               MF_OWNERDRAW = 0x100, MF_POPUP = 0x10, MF_MENUBARBREAK = 0x20, MF_MENUBREAK = 0x40,
               MF_UNHILITE = 0x0, MF_HILITE = 0x80, MF_DEFAULT = 0x1000, MF_SYSMENU = 0x2000,
               MF_HELP = 0x4000, MF_RIGHTJUSTIFY = 0x4000, MF_MOUSESELECT = 0x8000;
constexpr UINT MFT_STRING = 0x0, MFT_BITMAP = 0x4, MFT_MENUBARBREAK = 0x20, MFT_MENUBREAK = 0x40,
               MFT_OWNERDRAW = 0x100, MFT_RADIOCHECK = 0x200, MFT_SEPARATOR = 0x800, MFT_RIGHTORDER = 0x2000,
               MFT_RIGHTJUSTIFY = 0x4000;
constexpr UINT MFS_GRAYED = 0x3, MFS_DISABLED = 0x3, MFS_UNCHECKED = 0x0, MFS_CHECKED = 0x8,
               MFS_UNHILITE = 0x0, MFS_HILITE = 0x80, MFS_DEFAULT = 0x1000;
constexpr UINT MIIM_STATE = 0x1, MIIM_ID = 0x2, MIIM_SUBMENU = 0x4, MIIM_CHECKMARKS = 0x8, MIIM_TYPE = 0x10,
               MIIM_DATA = 0x20, MIIM_STRING = 0x40, MIIM_BITMAP = 0x80, MIIM_FTYPE = 0x100;
// TrackPopupMenu(Ex)
constexpr UINT TPM_LEFTBUTTON = 0x0, TPM_RIGHTBUTTON = 0x2, TPM_LEFTALIGN = 0x0, TPM_CENTERALIGN = 0x4,
               TPM_RIGHTALIGN = 0x8, TPM_TOPALIGN = 0x0, TPM_VCENTERALIGN = 0x10, TPM_BOTTOMALIGN = 0x20,
               TPM_VERTICAL = 0x40, TPM_NONOTIFY = 0x80, TPM_RETURNCMD = 0x100, TPM_RECURSE = 0x1,
               TPM_NOANIMATION = 0x4000;
// WM_MENUCHAR answers (high word)
constexpr int MNC_CLOSE = 1, MNC_EXECUTE = 2, MNC_SELECT = 3;

// Special bitmaps of hbmpItem.
inline const HBITMAP HBMMENU_CALLBACK = reinterpret_cast<HBITMAP>(intptr_t(-1));
inline const HBITMAP HBMMENU_SYSTEM = reinterpret_cast<HBITMAP>(intptr_t(1));
inline const HBITMAP HBMMENU_MBAR_RESTORE = reinterpret_cast<HBITMAP>(intptr_t(2));
inline const HBITMAP HBMMENU_MBAR_MINIMIZE = reinterpret_cast<HBITMAP>(intptr_t(3));
inline const HBITMAP HBMMENU_MBAR_CLOSE = reinterpret_cast<HBITMAP>(intptr_t(5));
inline const HBITMAP HBMMENU_MBAR_CLOSE_D = reinterpret_cast<HBITMAP>(intptr_t(6));
inline const HBITMAP HBMMENU_MBAR_MINIMIZE_D = reinterpret_cast<HBITMAP>(intptr_t(7));

struct MENUITEMINFOW {
  UINT cbSize = sizeof(MENUITEMINFOW);
  UINT fMask = 0;
  UINT fType = 0;
  UINT fState = 0;
  UINT wID = 0;
  HMENU hSubMenu = nullptr;
  HBITMAP hbmpChecked = nullptr;
  HBITMAP hbmpUnchecked = nullptr;
  uintptr_t dwItemData = 0;
  char16_t* dwTypeData = nullptr;  // the text; for GetMenuItemInfo a buffer of cch units
  UINT cch = 0;
  HBITMAP hbmpItem = nullptr;
};
using MENUITEMINFO = MENUITEMINFOW;

struct TPMPARAMS {
  UINT cbSize = sizeof(TPMPARAMS);
  RECT rcExclude;  // screen rectangle the menu must not cover
};

// Handles. DestroyMenu frees the sub-menus too.
HMENU CreateMenu();       // a menu bar
HMENU CreatePopupMenu();  // a drop-down or context menu
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// Items, by command id (searching sub-menus) or by position (MF_BYPOSITION).
int GetMenuItemCount(HMENU menu);         // -1 for a stale handle
UINT GetMenuItemID(HMENU menu, int pos);  // 0xFFFFFFFF for sub-menus and bad positions
HMENU GetSubMenu(HMENU menu, int pos);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);  // 0xFFFFFFFF when not found
int GetMenuStringW(HMENU menu, UINT item, char16_t* buffer, int maxCount, UINT flags);
BOOL AppendMenuW(HMENU menu, UINT flags, uintptr_t idOrSub, const char16_t* text);
BOOL InsertMenuW(HMENU menu, UINT item, UINT flags, uintptr_t idOrSub, const char16_t* text);
BOOL ModifyMenuW(HMENU menu, UINT item, UINT flags, uintptr_t idOrSub, const char16_t* text);
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);  // keeps a sub-menu alive
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);  // destroys a sub-menu
// The previous state (MF_CHECKED / MF_GRAYED bits), 0xFFFFFFFF when not found.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPos);
UINT GetMenuDefaultItem(HMENU menu, UINT byPos, UINT flags);
BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info);
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info);
BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info);
inline BOOL AppendMenu(HMENU m, UINT f, uintptr_t i, const char16_t* t) {
  return AppendMenuW(m, f, i, t);
}
inline BOOL InsertMenuItem(HMENU m, UINT i, BOOL p, const MENUITEMINFOW* info) {
  return InsertMenuItemW(m, i, p, info);
}
inline BOOL GetMenuItemInfo(HMENU m, UINT i, BOOL p, MENUITEMINFOW* info) {
  return GetMenuItemInfoW(m, i, p, info);
}
inline BOOL SetMenuItemInfo(HMENU m, UINT i, BOOL p, const MENUITEMINFOW* info) {
  return SetMenuItemInfoW(m, i, p, info);
}

// Where an item is on the screen: a menu-bar item of `hwnd`'s menu, or an
// item of a popup while it is shown. FALSE otherwise.
BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT pos, RECT* rect);
// The position of the item under a screen point, -1 for none.
int MenuItemFromPoint(HWND hwnd, HMENU menu, POINT screen);
// Repaints the menu bar after its items changed.
BOOL DrawMenuBar(HWND hwnd);

// The window's own copy of the system menu (made on first use); revert
// drops the copy and returns nullptr.
HMENU GetSystemMenu(HWND hwnd, BOOL revert);

// Shows a popup menu at a screen point and runs the menu loop. With
// TPM_RETURNCMD the chosen command (0 for none) is returned and nothing is
// posted; otherwise WM_COMMAND goes to `owner` and TRUE is returned.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* unused);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params);
// Ends the menu loop that runs (from a handler inside it).
BOOL EndMenu();
// The popup menu window showing `menu`, nullptr when it is not shown.
HWND MenuWindowOf(HMENU menu);

}  // namespace qv
