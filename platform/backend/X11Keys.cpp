// Key symbols to virtual keys, and the choice between the window manager's
// key translation and the layout's own text.
#include "platform/backend/X11Keys.h"

#include <X11/keysym.h>

#include "platform/window/Input.h"

namespace qv::x11 {
namespace {

struct SymVk {
  unsigned long sym;
  UINT vk;
};

constexpr UINT VK_F13 = 0x7C;

// Keys whose symbol does not depend on the layout's letters and digits.
constexpr SymVk kNamed[] = {
    {XK_BackSpace, VK_BACK},
    {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},
    {XK_Return, VK_RETURN},
    {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},
    {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},
    {XK_Right, VK_RIGHT},
    {XK_Down, VK_DOWN},
    {XK_Home, VK_HOME},
    {XK_End, VK_END},
    {XK_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},
    {XK_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},
    {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},
    {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},
    {XK_Alt_R, VK_MENU},
    {XK_Meta_L, VK_MENU},
    {XK_Meta_R, VK_MENU},
    {XK_Super_L, VK_LWIN},
    {XK_Super_R, VK_RWIN},
    {XK_Menu, VK_APPS},
    {XK_Caps_Lock, VK_CAPITAL},
    {XK_Num_Lock, VK_NUMLOCK},
    {XK_Scroll_Lock, VK_SCROLL},
    {XK_Pause, VK_PAUSE},
    {XK_Print, VK_SNAPSHOT},
    {XK_Clear, VK_CLEAR},
    {XK_Help, VK_HELP},
    {XK_Select, VK_SELECT},
    {XK_Execute, VK_EXECUTE},
    // The numeric keypad: digits with Num Lock on, navigation with it off.
    {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},
    {XK_KP_Separator, VK_SEPARATOR},
    {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Divide, VK_DIVIDE},
    {XK_KP_Enter, VK_RETURN},
    {XK_KP_Space, VK_SPACE},
    {XK_KP_Tab, VK_TAB},
    {XK_KP_Home, VK_HOME},
    {XK_KP_End, VK_END},
    {XK_KP_Left, VK_LEFT},
    {XK_KP_Up, VK_UP},
    {XK_KP_Right, VK_RIGHT},
    {XK_KP_Down, VK_DOWN},
    {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Next, VK_NEXT},
    {XK_KP_Insert, VK_INSERT},
    {XK_KP_Delete, VK_DELETE},
    {XK_KP_Begin, VK_CLEAR},
    // Punctuation at its US-layout key, plain and shifted.
    {XK_semicolon, VK_OEM_1},
    {XK_colon, VK_OEM_1},
    {XK_equal, VK_OEM_PLUS},
    {XK_plus, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA},
    {XK_less, VK_OEM_COMMA},
    {XK_minus, VK_OEM_MINUS},
    {XK_underscore, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD},
    {XK_greater, VK_OEM_PERIOD},
    {XK_slash, VK_OEM_2},
    {XK_question, VK_OEM_2},
    {XK_grave, VK_OEM_3},
    {XK_asciitilde, VK_OEM_3},
    {XK_bracketleft, VK_OEM_4},
    {XK_braceleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},
    {XK_bar, VK_OEM_5},
    {XK_bracketright, VK_OEM_6},
    {XK_braceright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7},
    {XK_quotedbl, VK_OEM_7},
    {XK_exclam, '1'},
    {XK_at, '2'},
    {XK_numbersign, '3'},
    {XK_dollar, '4'},
    {XK_percent, '5'},
    {XK_asciicircum, '6'},
    {XK_ampersand, '7'},
    {XK_asterisk, '8'},
    {XK_parenleft, '9'},
    {XK_parenright, '0'},
};

UINT LetterVk(unsigned long sym) {
  if (sym >= XK_a && sym <= XK_z) return UINT('A' + (sym - XK_a));
  if (sym >= XK_A && sym <= XK_Z) return UINT('A' + (sym - XK_A));
  return 0;
}

UINT DigitVk(unsigned long sym) {
  return sym >= XK_0 && sym <= XK_9 ? UINT('0' + (sym - XK_0)) : 0;
}

bool IsKeypad(unsigned long sym) {
  return sym >= XK_KP_Space && sym <= XK_KP_9;
}

std::u16string Printable(const std::u16string& text) {
  std::u16string out;
  for (char16_t c : text)
    if (c >= 0x20 && c != 0x7F) out += c;
  return out;
}

}  // namespace

UINT VkFromKeysym(unsigned long keysym) {
  if (UINT vk = LetterVk(keysym)) return vk;
  if (UINT vk = DigitVk(keysym)) return vk;
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return VK_NUMPAD0 + UINT(keysym - XK_KP_0);
  if (keysym >= XK_F1 && keysym <= XK_F12) return VK_F1 + UINT(keysym - XK_F1);
  if (keysym >= XK_F13 && keysym <= XK_F24) return VK_F13 + UINT(keysym - XK_F13);
  for (auto& e : kNamed)
    if (e.sym == keysym) return e.vk;
  return 0;
}

// What the window manager's translation (TranslateMessage) will make of the
// key, so that a key is never given a character twice or a wrong one.
char16_t PredictedChar(UINT vk, const KeyModifiers& m) {
  return CharForKey(vk, m.shift, m.control, m.capsLock);
}

KeyTranslation TranslateKey(unsigned long level0, unsigned long level1, unsigned long effective,
                            const std::u16string& text, const KeyModifiers& mods) {
  KeyTranslation t;
  if (IsKeypad(effective))
    t.vk = VkFromKeysym(effective);
  else if (UINT letter = LetterVk(level0) ? LetterVk(level0) : LetterVk(level1))
    t.vk = letter;
  else if (UINT digit = DigitVk(level0) ? DigitVk(level0) : DigitVk(level1))
    t.vk = digit;
  else
    t.vk = VkFromKeysym(effective) ? VkFromKeysym(effective) : VkFromKeysym(level0);
  // With Control or Alt the key is a command: the window manager's own
  // translation (control characters, menu mnemonics) is the whole answer.
  if (mods.control || mods.alt) return t;
  std::u16string printable = Printable(text);
  if (printable.empty()) return t;
  char16_t predicted = t.vk ? PredictedChar(t.vk, mods) : 0;
  if (predicted && printable == std::u16string(1, predicted)) return t;
  if (predicted || !t.vk) t.vk = kVkPacket;
  t.extraText = printable;
  return t;
}

}  // namespace qv::x11
