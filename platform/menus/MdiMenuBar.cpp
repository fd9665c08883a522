// A maximised MDI child in its frame's menu bar: its icon at the front (a
// click opens the child's system menu) and its minimise, restore and close
// buttons at the right end, there exactly while the child is maximised.
#include "platform/menus/MenuImpl.h"
#include "platform/menus/Menus.h"
#include "platform/window/Mdi.h"

namespace qv {
namespace {

bool IsChildItem(HBITMAP b) {
  return b == HBMMENU_SYSTEM || b == HBMMENU_MBAR_RESTORE || b == HBMMENU_MBAR_MINIMIZE ||
         b == HBMMENU_MBAR_CLOSE || b == HBMMENU_MBAR_CLOSE_D || b == HBMMENU_MBAR_MINIMIZE_D;
}

void RemoveChildItems(HMENU bar) {
  for (int i = GetMenuItemCount(bar) - 1; i >= 0; --i) {
    MENUITEMINFOW mi;
    mi.fMask = MIIM_BITMAP;
    if (GetMenuItemInfoW(bar, UINT(i), TRUE, &mi) && IsChildItem(mi.hbmpItem))
      RemoveMenu(bar, UINT(i), MF_BYPOSITION);
  }
}

void AddButton(HMENU bar, UINT command, HBITMAP glyph) {
  MENUITEMINFOW mi;
  mi.fMask = MIIM_BITMAP | MIIM_ID | MIIM_FTYPE;
  mi.fType = MFT_RIGHTJUSTIFY;
  mi.wID = command;
  mi.hbmpItem = glyph;
  InsertMenuItemW(bar, UINT(GetMenuItemCount(bar)), TRUE, &mi);
}

void ShowChildInMenuBar(HWND frame, HWND child) {
  HMENU bar = GetMenu(frame);
  if (!bar) return;
  RemoveChildItems(bar);
  if (child) {
    MENUITEMINFOW icon;
    icon.fMask = MIIM_BITMAP | MIIM_DATA | MIIM_SUBMENU;
    icon.hbmpItem = HBMMENU_SYSTEM;
    icon.dwItemData = uintptr_t(child);
    icon.hSubMenu = GetSystemMenu(child, FALSE);
    InsertMenuItemW(bar, 0, TRUE, &icon);
    DWORD style = DWORD(GetWindowLongPtrW(child, GWL_STYLE));
    bool noClose = GetClassLongPtrW(child, GCL_STYLE) & CS_NOCLOSE;
    AddButton(bar, SC_MINIMIZE, (style & WS_MINIMIZEBOX) ? HBMMENU_MBAR_MINIMIZE : HBMMENU_MBAR_MINIMIZE_D);
    AddButton(bar, SC_RESTORE, HBMMENU_MBAR_RESTORE);
    AddButton(bar, SC_CLOSE, noClose ? HBMMENU_MBAR_CLOSE_D : HBMMENU_MBAR_CLOSE);
  }
  DrawMenuBar(frame);
}

}  // namespace

namespace menus {
void InstallMdiMenuBar() {
  SetMdiMenuBarHook(ShowChildInMenuBar);
}
}  // namespace menus

}  // namespace qv
