// Key-to-character translation as programs ask for it directly (ToAscii,
// ToUnicode) and the keyboard layout they ask about: one US layout, the
// same table TranslateMessage uses.
#pragma once
#include "platform/window/Input.h"

namespace qv {

using HKL = void*;
// 1 with the character in *out, 0 when the key makes no character. The key
// state gives Shift, Ctrl and Caps Lock (bit 7 down, bit 0 toggled); Ctrl
// with Alt makes nothing, as on a layout without AltGr characters.
int ToAscii(UINT vk, UINT scanCode, const BYTE* keyState, WORD* out, UINT flags);
int ToUnicode(UINT vk, UINT scanCode, const BYTE* keyState, char16_t* out, int outSize, UINT flags);
HKL GetKeyboardLayout(DWORD threadId);  // US English: 0x04090409
UINT MapVirtualKeyW(UINT code, UINT mapType);
constexpr UINT MAPVK_VK_TO_CHAR = 2;

}  // namespace qv
