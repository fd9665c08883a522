// How a backend hands native input to the window manager. Input is queued in
// the UI thread's queue in arrival order and turned into window messages when
// it is retrieved, so capture and focus changes made by earlier messages
// decide where later input goes.
#pragma once
#include "platform/WinTypes.h"

namespace qv {

enum class MouseButton { Left, Right, Middle };

void InjectMouseMove(POINT screen);
void InjectMouseButton(MouseButton button, bool down);
void InjectMouseWheel(int delta, bool horizontal = false);
// vk is a virtual-key code; WM_CHAR comes from TranslateMessage or InjectChar.
void InjectKey(UINT vk, bool down);
// Text that has no key (input methods): posted as WM_CHAR to the focus window.
void InjectChar(char16_t ch);
// The desktop's Caps Lock and Num Lock toggles, as the keyboard stands now
// (a key handled later, that waited behind a paste, keeps its own).
void SetLockKeys(bool capsLock, bool numLock);
// The desktop moved or resized a top-level window (its window rectangle on
// the screen now). Applied in order with the input: the window gets the usual
// WM_WINDOWPOSCHANGING/CHANGED, WM_MOVE, WM_SIZE and repaint, and the backend
// is not told back about a geometry it set itself.
void InjectTopLevelMoved(HWND top, const RECT& screenRect);
// The desktop gave the keyboard focus to `top` (active) or took it from the
// program (inactive): activation follows, with WM_NCACTIVATE, WM_ACTIVATE and,
// when the program as a whole gains or loses it, WM_ACTIVATEAPP.
void InjectActivate(HWND top, bool active);
// The screen composition changed outside the manager's knowledge (a backend
// lost its pixels): every visible top-level window is repainted.
void InjectExpose(HWND top);

}  // namespace qv
