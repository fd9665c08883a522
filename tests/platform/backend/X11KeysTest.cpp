// X key symbols and text to virtual keys and characters: every key gets the
// virtual key programs look for, and every key press yields its layout's
// character exactly once, whether the window manager's US-layout
// translation makes it or the text is sent on its own.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "platform/backend/X11Keys.h"
#include "platform/window/Input.h"

namespace qv::x11 {
namespace {

constexpr unsigned long NoSymbol = 0;

// The characters a program receives for one key press: the window manager's
// translation of the key, then the text sent on its own.
std::u16string Received(const KeyTranslation& t, const KeyModifiers& m) {
  std::u16string out;
  if (char16_t c = t.vk ? PredictedChar(t.vk, m) : 0) out += c;
  return out + t.extraText;
}

TEST(X11Keys, NamedKeysMapToTheirVirtualKeys) {
  struct Case {
    unsigned long sym;
    UINT vk;
  } cases[] = {{XK_a, 'A'},
               {XK_Z, 'Z'},
               {XK_0, '0'},
               {XK_9, '9'},
               {XK_F1, VK_F1},
               {XK_F12, VK_F12},
               {XK_F13, 0x7C},
               {XK_F24, 0x87},
               {XK_Left, VK_LEFT},
               {XK_Down, VK_DOWN},
               {XK_Home, VK_HOME},
               {XK_End, VK_END},
               {XK_Prior, VK_PRIOR},
               {XK_Next, VK_NEXT},
               {XK_Insert, VK_INSERT},
               {XK_Delete, VK_DELETE},
               {XK_BackSpace, VK_BACK},
               {XK_Tab, VK_TAB},
               {XK_ISO_Left_Tab, VK_TAB},
               {XK_Return, VK_RETURN},
               {XK_Escape, VK_ESCAPE},
               {XK_space, VK_SPACE},
               {XK_Shift_R, VK_SHIFT},
               {XK_Control_L, VK_CONTROL},
               {XK_Alt_L, VK_MENU},
               {XK_KP_0, VK_NUMPAD0},
               {XK_KP_9, VK_NUMPAD0 + 9},
               {XK_KP_Add, VK_ADD},
               {XK_KP_Enter, VK_RETURN},
               {XK_KP_Home, VK_HOME},
               {XK_KP_Delete, VK_DELETE},
               {XK_semicolon, VK_OEM_1},
               {XK_colon, VK_OEM_1},
               {XK_question, VK_OEM_2},
               {XK_braceright, VK_OEM_6},
               {XK_quotedbl, VK_OEM_7},
               {XK_eacute, 0},
               {XK_ISO_Level3_Shift, 0}};
  for (auto& c : cases) EXPECT_EQ(VkFromKeysym(c.sym), c.vk) << std::hex << c.sym;
}

TEST(X11Keys, UsLayoutKeysLeaveTheCharacterToTheWindowManager) {
  KeyModifiers plain, shift;
  shift.shift = true;
  struct Case {
    unsigned long l0, l1, eff;
    std::u16string text;
    KeyModifiers mods;
    UINT vk;
  } cases[] = {{XK_a, XK_A, XK_a, u"a", plain, 'A'},
               {XK_a, XK_A, XK_A, u"A", shift, 'A'},
               {XK_2, XK_at, XK_at, u"@", shift, '2'},
               {XK_semicolon, XK_colon, XK_colon, u":", shift, VK_OEM_1},
               {XK_Return, NoSymbol, XK_Return, u"\r", plain, VK_RETURN},
               {XK_Delete, NoSymbol, XK_Delete, u"\x7f", plain, VK_DELETE},  // no character for Delete
               {XK_KP_End, XK_KP_1, XK_KP_1, u"1", plain, VK_NUMPAD0 + 1},
               {XK_KP_End, XK_KP_1, XK_KP_End, u"", plain, VK_END}};  // Num Lock off
  for (auto& c : cases) {
    KeyTranslation t = TranslateKey(c.l0, c.l1, c.eff, c.text, c.mods);
    EXPECT_EQ(t.vk, c.vk) << std::hex << c.eff;
    EXPECT_TRUE(t.extraText.empty()) << std::hex << c.eff;
    std::u16string expect = c.text == u"\x7f" ? u"" : c.text;
    EXPECT_EQ(Received(t, c.mods), expect) << std::hex << c.eff;
  }
}

TEST(X11Keys, OtherLayoutsStillTypeTheirOwnCharactersOnce) {
  KeyModifiers plain, shift;
  shift.shift = true;
  struct Case {
    unsigned long l0, l1, eff;
    std::u16string text;
    KeyModifiers mods;
  } cases[] = {{XK_eacute, XK_2, XK_eacute, u"\u00e9", plain},   // French: é on the 2 key
               {XK_ampersand, XK_1, XK_ampersand, u"&", plain},  // French: & unshifted on the 1 key
               {XK_7, XK_slash, XK_slash, u"/", shift},          // German: shift+7 is /
               {XK_q, XK_Q, XK_at, u"@", plain},                 // German: AltGr+Q
               {XK_udiaeresis, XK_Udiaeresis, XK_Udiaeresis, u"\u00dc", shift},
               {XK_dead_acute, XK_dead_grave, NoSymbol, u"", plain}};  // a dead key types nothing yet
  for (auto& c : cases) {
    KeyTranslation t = TranslateKey(c.l0, c.l1, c.eff, c.text, c.mods);
    EXPECT_EQ(Received(t, c.mods), c.text) << std::hex << c.eff;
    if (!t.extraText.empty()) {
      EXPECT_EQ(t.vk, kVkPacket) << "a key with its own text must not translate";
    }
  }
}

TEST(X11Keys, CommandsKeepTheirKeysAndGetNoExtraText) {
  KeyModifiers ctrl, alt;
  ctrl.control = true;
  alt.alt = true;
  // Ctrl+C on a French layout still is 'C'; Alt+F opens the F menu.
  KeyTranslation c = TranslateKey(XK_c, XK_C, XK_c, u"\x03", ctrl);
  EXPECT_EQ(c.vk, UINT('C'));
  EXPECT_EQ(Received(c, ctrl), u"\x03");
  KeyTranslation f = TranslateKey(XK_f, XK_F, XK_f, u"f", alt);
  EXPECT_EQ(f.vk, UINT('F'));
  EXPECT_TRUE(f.extraText.empty());
  KeyTranslation digit = TranslateKey(XK_ampersand, XK_1, XK_ampersand, u"&", ctrl);
  EXPECT_EQ(digit.vk, UINT('1'));
  EXPECT_TRUE(digit.extraText.empty());
}

TEST(X11Keys, CapsLockFollowsTheWindowManagersState) {
  KeyModifiers caps;
  caps.capsLock = true;
  KeyTranslation t = TranslateKey(XK_a, XK_A, XK_A, u"A", caps);
  EXPECT_EQ(t.vk, UINT('A'));
  EXPECT_EQ(Received(t, caps), u"A");
  // The server says upper case but the window manager would give lower case:
  // the text wins, so the character is still right.
  KeyTranslation mismatch = TranslateKey(XK_a, XK_A, XK_A, u"A", KeyModifiers{});
  EXPECT_EQ(Received(mismatch, KeyModifiers{}), u"A");
}

}  // namespace
}  // namespace qv::x11
