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
// The screen composition changed outside the manager's knowledge (a backend
// lost its pixels): every visible top-level window is repainted.
void InjectExpose(HWND top);

}  // namespace qv
