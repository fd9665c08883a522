// Turning an X key event into what the window manager understands: a virtual
// key, and the text that the window manager's own key translation would not
// produce. Pure functions of key symbols and text, so they test without a display.
#pragma once
#include <string>

#include "platform/WinTypes.h"

namespace qv::x11 {

// A key that carries only text (VK_PACKET): the window manager makes no
// character of it, so the text is sent as characters of its own.
constexpr UINT kVkPacket = 0xE7;

// The virtual key of a key symbol (the keysym in effect for the event), 0 for none.
UINT VkFromKeysym(unsigned long keysym);

struct KeyModifiers {
  bool shift = false, control = false, alt = false, capsLock = false;
};

// The character the window manager's translation gives for vk (a US layout), 0 for none.
char16_t PredictedChar(UINT vk, const KeyModifiers& mods);

struct KeyTranslation {
  UINT vk = 0;               // 0: no key message
  std::u16string extraText;  // characters to inject after the key message
};

// level0/level1: the key's unshifted and shifted symbols; effective: the symbol
// the event produced with its modifiers; text: the event's text (UTF-16).
// Letters and digits keep their key-position meaning (shortcuts work on any
// layout); when the window manager would turn the key into a different
// character than the layout's, the key becomes a text-only key instead.
KeyTranslation TranslateKey(unsigned long level0, unsigned long level1, unsigned long effective,
                            const std::u16string& text, const KeyModifiers& mods);

}  // namespace qv::x11
