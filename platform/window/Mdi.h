// Multiple-document windows: the MDI client window class ("MDICLIENT") that
// holds the child windows of a frame, the messages that create, activate,
// maximise, restore, arrange and destroy them, and the default procedures
// of frames and children.
#pragma once
#include "platform/window/Window.h"

namespace qv {

constexpr UINT WM_MDICREATE = 0x0220, WM_MDIRESTORE = 0x0223, WM_MDINEXT = 0x0224, WM_MDIMAXIMIZE = 0x0225,
               WM_MDITILE = 0x0226, WM_MDICASCADE = 0x0227, WM_MDIICONARRANGE = 0x0228,
               WM_MDIGETACTIVE = 0x0229, WM_MDISETMENU = 0x0230, WM_MDIREFRESHMENU = 0x0234;
constexpr WPARAM MDITILE_VERTICAL = 0x0, MDITILE_HORIZONTAL = 0x1, MDITILE_SKIPDISABLED = 0x2;
constexpr WPARAM SC_NEXTWINDOW = 0xF040, SC_PREVWINDOW = 0xF050;
constexpr DWORD MDIS_ALLCHILDSTYLES = 0x1;
inline const char16_t* const MDICLIENT_CLASS = u"MDICLIENT";

// lpCreateParams of the MDI client.
struct CLIENTCREATESTRUCT {
  HMENU hWindowMenu = nullptr;
  UINT idFirstChild = 0;
};
// lParam of WM_MDICREATE; the child's lpCreateParams points to it.
struct MDICREATESTRUCTW {
  LPCWSTR szClass = nullptr;
  LPCWSTR szTitle = nullptr;
  HINSTANCE hOwner = nullptr;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = CW_USEDEFAULT, cy = CW_USEDEFAULT;
  DWORD style = 0;
  LPARAM lParam = 0;
};

// The class is registered on first use (creating a window of it does that too).
void RegisterMdiClientClass();
HWND CreateMDIWindowW(LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int cx, int cy,
                      HWND client, HINSTANCE instance, LPARAM lParam);
// The default procedure of a frame: its MDI client follows its size and takes
// the focus; `client` may be null (the frame's MDI client is found).
LRESULT DefFrameProcW(HWND frame, HWND client, UINT msg, WPARAM wParam, LPARAM lParam);
// DefFrameProcW with the client found; usable as a window procedure.
LRESULT DefMDIFrameProcW(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefMDIChildProcW(HWND child, UINT msg, WPARAM wParam, LPARAM lParam);
// Ctrl+F4 (close), Ctrl+F6 and Ctrl+Tab (next child, with Shift the
// previous one) for the client's active child; true when the key was used.
BOOL TranslateMDISysAccel(HWND client, const MSG* msg);

// The MDI client of a frame, or null.
HWND FindMdiClient(HWND frame);

// A maximised child's icon and caption buttons go into its frame's menu bar.
// The menus, which sit above the window manager, put them there through this
// hook: it is called whenever the maximised active child of `frame` changes
// (`child` null: none). The items' commands (SC_MINIMIZE, SC_RESTORE,
// SC_CLOSE as WM_COMMAND ids) reach the child through DefFrameProc.
using MdiMenuBarHook = void (*)(HWND frame, HWND child);
void SetMdiMenuBarHook(MdiMenuBarHook hook);

}  // namespace qv
