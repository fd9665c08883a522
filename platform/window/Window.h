// The window manager's public API: window classes, creation and destruction,
// window procedures and subclassing, the parent/child/owner tree with z-order,
// geometry, visibility and text. Every call checks its handles: a stale or
// foreign HWND gives the documented failure result.
#pragma once
#include <functional>

#include "platform/WinTypes.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/window/Messages.h"

namespace qv {

using LONG_PTR = intptr_t;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

// Window styles
constexpr DWORD WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000,
                WS_DISABLED = 0x08000000, WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000,
                WS_MAXIMIZE = 0x01000000, WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000,
                WS_DLGFRAME = 0x00400000, WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000,
                WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000, WS_GROUP = 0x00020000,
                WS_TABSTOP = 0x00010000, WS_MINIMIZEBOX = 0x00020000, WS_MAXIMIZEBOX = 0x00010000,
                WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8, WS_EX_ACCEPTFILES = 0x10,
                WS_EX_TRANSPARENT = 0x20, WS_EX_MDICHILD = 0x40, WS_EX_TOOLWINDOW = 0x80,
                WS_EX_CLIENTEDGE = 0x200, WS_EX_CONTEXTHELP = 0x400, WS_EX_RTLREADING = 0x2000,
                WS_EX_LEFTSCROLLBAR = 0x4000, WS_EX_CONTROLPARENT = 0x10000, WS_EX_STATICEDGE = 0x20000,
                WS_EX_APPWINDOW = 0x40000, WS_EX_NOACTIVATE = 0x08000000;
// Class styles
constexpr UINT CS_VREDRAW = 0x1, CS_HREDRAW = 0x2, CS_DBLCLKS = 0x8, CS_OWNDC = 0x20, CS_CLASSDC = 0x40,
               CS_NOCLOSE = 0x200, CS_SAVEBITS = 0x800, CS_GLOBALCLASS = 0x4000, CS_DROPSHADOW = 0x20000;
// Get/SetWindowLongPtr indices
constexpr int GWLP_WNDPROC = -4, GWLP_HINSTANCE = -6, GWLP_HWNDPARENT = -8, GWLP_ID = -12, GWL_STYLE = -16,
              GWL_EXSTYLE = -20, GWLP_USERDATA = -21;
constexpr int GWL_ID = GWLP_ID, GWL_USERDATA = GWLP_USERDATA;
// Get/SetClassLongPtr indices
constexpr int GCLP_HBRBACKGROUND = -10, GCLP_HCURSOR = -12, GCLP_HICON = -14, GCL_STYLE = -26,
              GCLP_WNDPROC = -24, GCL_CBWNDEXTRA = -18, GCLP_HICONSM = -34;
// GetWindow
constexpr UINT GW_HWNDFIRST = 0, GW_HWNDLAST = 1, GW_HWNDNEXT = 2, GW_HWNDPREV = 3, GW_OWNER = 4,
               GW_CHILD = 5, GW_ENABLEDPOPUP = 6;
// GetAncestor
constexpr UINT GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3;
// ShowWindow
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
              SW_MAXIMIZE = 3, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7,
              SW_SHOWNA = 8, SW_RESTORE = 9, SW_SHOWDEFAULT = 10;
// SetWindowPos
constexpr UINT SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOREDRAW = 0x8,
               SWP_NOACTIVATE = 0x10, SWP_FRAMECHANGED = 0x20, SWP_DRAWFRAME = 0x20, SWP_SHOWWINDOW = 0x40,
               SWP_HIDEWINDOW = 0x80, SWP_NOCOPYBITS = 0x100, SWP_NOOWNERZORDER = 0x200,
               SWP_NOSENDCHANGING = 0x400, SWP_DEFERERASE = 0x2000;
// In WM_WINDOWPOSCHANGED only: the client area kept its size (a frame change
// with the same window size may still have resized it, e.g. a menu bar added).
constexpr UINT SWP_NOCLIENTSIZE = 0x800;
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(-3);
// ChildWindowFromPointEx
constexpr UINT CWP_ALL = 0, CWP_SKIPINVISIBLE = 1, CWP_SKIPDISABLED = 2, CWP_SKIPTRANSPARENT = 4;
constexpr int CW_USEDEFAULT = int(0x80000000);

struct WNDCLASSEXW {
  UINT cbSize = sizeof(WNDCLASSEXW);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;  // a brush, or COLOR_xxx + 1
  LPCWSTR lpszMenuName = nullptr;
  LPCWSTR lpszClassName = nullptr;
  HICON hIconSm = nullptr;
};
using WNDCLASSEX = WNDCLASSEXW;

struct CREATESTRUCTW {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0, cx = 0, y = 0, x = 0;
  LONG style = 0;
  LPCWSTR lpszName = nullptr;
  LPCWSTR lpszClass = nullptr;
  DWORD dwExStyle = 0;
};
using CREATESTRUCT = CREATESTRUCTW;

struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0;
  UINT flags = 0;
};
struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos = nullptr;
};
struct MINMAXINFO {
  POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};
struct STYLESTRUCT {
  DWORD styleOld = 0, styleNew = 0;
};

// Classes. Class names compare case-insensitively (ASCII).
ATOM RegisterClassExW(const WNDCLASSEXW* wc);
inline ATOM RegisterClassEx(const WNDCLASSEXW* wc) {
  return RegisterClassExW(wc);
}
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
inline BOOL UnregisterClass(LPCWSTR className, HINSTANCE instance) {
  return UnregisterClassW(className, instance);
}
BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* out);
int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount);
uintptr_t GetClassLongPtrW(HWND hwnd, int index);
uintptr_t SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value);

// Creation and destruction
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param);
inline HWND CreateWindowEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                           int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                           void* param) {
  return CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, menuOrId,
                         instance, param);
}
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Services that keep per-window state (drop targets) learn of every window's
// end here: the hook runs right after the window's WM_NCDESTROY, while its
// handle is still valid, on the window's thread. Hooks are never removed.
void AddWindowDestroyHook(std::function<void(HWND)> hook);

// Window procedures, per-window data, properties
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT DefWindowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefWindowProcW(h, m, w, l);
}
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT CallWindowProc(WNDPROC p, HWND h, UINT m, WPARAM w, LPARAM l) {
  return CallWindowProcW(p, h, m, w, l);
}
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongPtr(HWND h, int i) {
  return GetWindowLongPtrW(h, i);
}
inline LONG_PTR SetWindowLongPtr(HWND h, int i, LONG_PTR v) {
  return SetWindowLongPtrW(h, i, v);
}
inline LONG GetWindowLong(HWND h, int i) {
  return LONG(GetWindowLongPtrW(h, i));
}
inline LONG SetWindowLong(HWND h, int i, LONG v) {
  return LONG(SetWindowLongPtrW(h, i, v));
}
BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data);
HANDLE GetPropW(HWND hwnd, LPCWSTR name);
HANDLE RemovePropW(HWND hwnd, LPCWSTR name);
inline BOOL SetProp(HWND h, LPCWSTR n, HANDLE d) {
  return SetPropW(h, n, d);
}
inline HANDLE GetProp(HWND h, LPCWSTR n) {
  return GetPropW(h, n);
}
inline HANDLE RemoveProp(HWND h, LPCWSTR n) {
  return RemovePropW(h, n);
}

// A top-level window that paints its whole frame itself (a skinned form):
// the desktop shows it undecorated, its non-client area included, and it
// moves and sizes itself through the move and size loop.
void SetWindowOwnFrame(HWND hwnd, bool ownFrame);
bool WindowHasOwnFrame(HWND hwnd);

// The tree and z-order (first child = top of the z-order)
HWND GetParent(HWND hwnd);  // the parent of a child, the owner of a popup
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT cmd);
HWND GetTopWindow(HWND parent);
BOOL IsChild(HWND parent, HWND hwnd);
BOOL EnumChildWindows(HWND parent, const std::function<BOOL(HWND)>& callback);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam);
HWND GetDesktopWindow();

// Geometry (window rectangles in screen coordinates, client rectangles at 0,0)
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND hwnd);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* p);
BOOL ScreenToClient(HWND hwnd, POINT* p);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
HWND WindowFromPoint(POINT screenPoint);
HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);
HWND ChildWindowFromPointEx(HWND parent, POINT clientPoint, UINT flags);
HWND RealChildWindowFromPoint(HWND parent, POINT clientPoint);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
using HDWP = void*;
HDWP BeginDeferWindowPos(int count);
HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL EndDeferWindowPos(HDWP info);

// Visibility, state and text
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);
inline BOOL SetWindowText(HWND h, LPCWSTR t) {
  return SetWindowTextW(h, t);
}
inline int GetWindowText(HWND h, LPWSTR b, int n) {
  return GetWindowTextW(h, b, n);
}
inline int GetWindowTextLength(HWND h) {
  return GetWindowTextLengthW(h);
}
HMENU GetMenu(HWND hwnd);
BOOL SetMenu(HWND hwnd, HMENU menu);  // the window gets a menu-bar row in its non-client area
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);

}  // namespace qv
