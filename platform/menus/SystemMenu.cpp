// The system menu (each window's own copy, made on first use and freed with
// the window), its items enabled for the window's state, and the hooks
// through which the window manager paints the menu bar and starts the loop.
#include <map>

#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/MenuImpl.h"
#include "platform/window/Input.h"
#include "platform/window/MenuHooks.h"

namespace qv::menus {
namespace {

std::map<HWND, HMENU>& SystemMenus() {
  static std::map<HWND, HMENU> m;
  return m;
}

HMENU MakeSystemMenu() {
  HMENU m = CreatePopupMenu();
  AppendMenuW(m, MF_STRING, SC_RESTORE, u"&Restore");
  AppendMenuW(m, MF_STRING, SC_MOVE, u"&Move");
  AppendMenuW(m, MF_STRING, SC_SIZE, u"&Size");
  AppendMenuW(m, MF_STRING, SC_MINIMIZE, u"Mi&nimize");
  AppendMenuW(m, MF_STRING, SC_MAXIMIZE, u"Ma&ximize");
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(m, MF_STRING, SC_CLOSE, u"&Close\tAlt+F4");
  SetMenuDefaultItem(m, SC_CLOSE, FALSE);
  Lock l(T().lock);
  Get(m)->system = true;
  return m;
}

// Just below the caption's icon.
POINT SystemMenuPlace(HWND hwnd) {
  RECT wr;
  GetWindowRect(hwnd, &wr);
  DWORD style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
  int frame = style & WS_THICKFRAME ? 4 : style & WS_DLGFRAME ? 3 : style & WS_BORDER ? 1 : 0;
  int caption = (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
  return POINT{wr.left + frame, wr.top + frame + caption};
}

void TrackSystem(HWND hwnd, POINT at, bool keyboard) {
  if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_SYSMENU)) return;
  HMENU m = GetSystemMenu(hwnd, FALSE);
  if (m) Track(hwnd, m, Start::System, 0, at, keyboard ? u' ' : 0, nullptr);
}

void HookTrackKeyboard(HWND hwnd, char16_t key) {
  if (key == u' ') return TrackSystem(hwnd, SystemMenuPlace(hwnd), true);
  HMENU bar = GetMenu(hwnd);
  if (!IsMenu(bar) || (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) return;
  Track(hwnd, bar, Start::BarKey, 0, POINT{}, key, nullptr);
}

void HookTrackMouse(HWND hwnd, LRESULT hit, POINT screen) {
  if (hit == HTSYSMENU) return TrackSystem(hwnd, SystemMenuPlace(hwnd), false);
  HMENU bar = GetMenu(hwnd);
  if (hit == HTMENU && IsMenu(bar)) Track(hwnd, bar, Start::BarMouse, 0, screen, 0, nullptr);
}

void HookTrackSystemMenu(HWND hwnd, POINT screen) {
  TrackSystem(hwnd, screen, false);
}

void HookPaintBar(HWND hwnd, HMENU menu, HDC dc, const RECT& bar) {
  DrawBar(hwnd, menu, dc, bar);
}

}  // namespace

void UpdateSystemMenu(HWND hwnd, HMENU menu) {
  DWORD style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
  bool minimized = IsIconic(hwnd), maximized = IsZoomed(hwnd);
  auto enable = [&](UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(SC_RESTORE, minimized || maximized);
  enable(SC_MOVE, !maximized);
  enable(SC_SIZE, (style & WS_THICKFRAME) && !minimized && !maximized);
  enable(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimized);
  enable(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximized);
  enable(SC_CLOSE, !(GetClassLongPtrW(hwnd, GCL_STYLE) & CS_NOCLOSE));
}

void InstallWindowHooks() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  MenuHooks h;
  h.PaintBar = HookPaintBar;
  h.TrackKeyboard = HookTrackKeyboard;
  h.TrackMouse = HookTrackMouse;
  h.TrackSystemMenu = HookTrackSystemMenu;
  SetMenuHooks(h);
  InstallMdiMenuBar();
  AddWindowDestroyHook([](HWND hwnd) {
    auto& map = SystemMenus();
    auto it = map.find(hwnd);
    if (it == map.end()) return;
    HMENU m = it->second;
    map.erase(it);
    DestroyMenu(m);
  });
}

// Any program that uses menus links this file, so the hooks are in place
// before the first window needs them.
[[maybe_unused]] const bool kHooksInstalled = (InstallWindowHooks(), true);

}  // namespace qv::menus

namespace qv {

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  using namespace menus;
  if (!IsWindow(hwnd)) return nullptr;
  InstallWindowHooks();
  auto& map = SystemMenus();
  auto it = map.find(hwnd);
  if (revert) {
    if (it != map.end()) {
      DestroyMenu(it->second);
      map.erase(it);
    }
    return nullptr;
  }
  if (it != map.end() && IsMenu(it->second)) return it->second;
  HMENU m = MakeSystemMenu();
  map[hwnd] = m;
  return m;
}

}  // namespace qv
