// Input state the windows see: focus and activation, mouse capture and
// tracking, keyboard state and virtual-key codes, cursors and carets.
#pragma once
#include "platform/window/Window.h"

namespace qv {

// Virtual keys
constexpr UINT VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
               VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
               VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
               VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
               VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B,
               VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F, VK_LWIN = 0x5B,
               VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
               VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70,
               VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76,
               VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
               VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
               VK_RMENU = 0xA5, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
               VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
               VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// Focus and activation
HWND SetFocus(HWND hwnd);  // the previous focus window
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();

// Capture and tracking
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
constexpr DWORD TME_HOVER = 0x1, TME_LEAVE = 0x2, TME_NONCLIENT = 0x10, TME_QUERY = 0x40000000,
                TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;
struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = HOVER_DEFAULT;
};
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);
BOOL GetCursorPos(POINT* p);
BOOL SetCursorPos(int x, int y);
BOOL DragDetect(HWND hwnd, POINT screenPoint);

// Keyboard state: bit 15 = down, bit 0 = toggled (as of the last retrieved message)
short GetKeyState(int vk);
short GetAsyncKeyState(int vk);  // bit 15 = down now
BOOL GetKeyboardState(BYTE* keys256);
// The character TranslateMessage makes of a key (a US layout), 0 for none.
char16_t CharForKey(UINT vk, bool shift, bool control, bool capsLock);
BOOL SetKeyboardState(const BYTE* keys256);

// Cursors. The standard ids are pseudo handles of LoadCursor(nullptr, id).
using LPCWSTR_ID = const char16_t*;
inline LPCWSTR_ID MAKEINTRESOURCEW(int id) {
  return reinterpret_cast<LPCWSTR_ID>(uintptr_t(WORD(id)));
}
inline const LPCWSTR_ID IDC_ARROW = MAKEINTRESOURCEW(32512), IDC_IBEAM = MAKEINTRESOURCEW(32513),
                        IDC_WAIT = MAKEINTRESOURCEW(32514), IDC_CROSS = MAKEINTRESOURCEW(32515),
                        IDC_UPARROW = MAKEINTRESOURCEW(32516), IDC_SIZENWSE = MAKEINTRESOURCEW(32642),
                        IDC_SIZENESW = MAKEINTRESOURCEW(32643), IDC_SIZEWE = MAKEINTRESOURCEW(32644),
                        IDC_SIZENS = MAKEINTRESOURCEW(32645), IDC_SIZEALL = MAKEINTRESOURCEW(32646),
                        IDC_NO = MAKEINTRESOURCEW(32648), IDC_HAND = MAKEINTRESOURCEW(32649),
                        IDC_APPSTARTING = MAKEINTRESOURCEW(32650), IDC_HELP = MAKEINTRESOURCEW(32651);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR_ID name);  // standard ids only; nullptr otherwise
inline HCURSOR LoadCursor(HINSTANCE i, LPCWSTR_ID n) {
  return LoadCursorW(i, n);
}
HCURSOR SetCursor(HCURSOR cursor);  // the previous cursor
HCURSOR GetCursor();
int ShowCursor(BOOL show);
// The standard id behind a cursor handle, 0 for other handles.
int StandardCursorId(HCURSOR cursor);

// Carets: one per thread, blinking by GetCaretBlinkTime on the backend clock.
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* p);

BOOL MessageBeep(UINT type);
constexpr UINT MB_OK = 0x0, MB_ICONHAND = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
               MB_ICONASTERISK = 0x40;

}  // namespace qv
