// ToAscii/ToUnicode and the layout queries over the window manager's one key table.
#include "platform/window/KeyboardLayout.h"

namespace qv {
namespace {

char16_t Translate(UINT vk, const BYTE* keys) {
  if (vk > 0xFF) return 0;
  auto down = [&](UINT k) { return keys && (keys[k] & 0x80); };
  if (down(VK_MENU) && down(VK_CONTROL)) return 0;
  return CharForKey(vk, down(VK_SHIFT), down(VK_CONTROL), keys && (keys[VK_CAPITAL] & 0x01));
}

}  // namespace

int ToAscii(UINT vk, UINT, const BYTE* keyState, WORD* out, UINT) {
  char16_t ch = Translate(vk, keyState);
  if (!ch || ch > 0x7F || !out) return 0;
  *out = WORD(ch);
  return 1;
}

int ToUnicode(UINT vk, UINT, const BYTE* keyState, char16_t* out, int outSize, UINT) {
  char16_t ch = Translate(vk, keyState);
  if (!ch || !out || outSize < 1) return 0;
  out[0] = ch;
  if (outSize > 1) out[1] = 0;
  return 1;
}

HKL GetKeyboardLayout(DWORD) {
  return reinterpret_cast<HKL>(uintptr_t(0x04090409));
}

UINT MapVirtualKeyW(UINT code, UINT mapType) {
  if (mapType != MAPVK_VK_TO_CHAR) return 0;
  return CharForKey(code, false, false, false);
}

}  // namespace qv
