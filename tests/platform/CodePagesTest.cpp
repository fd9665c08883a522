// The code-page shims: UTF-8 as the 8-bit code page with the platform's
// buffer conventions, Windows-1252 both ways, and the fixed locale answers.
#include <gtest/gtest.h>

#include "platform/CodePages.h"
#include "platform/LocaleDates.h"

namespace qv {
namespace {

TEST(CodePages, Utf8IsTheProgramsCodePageWithTheUsualBufferRules) {
  EXPECT_EQ(GetACP(), CP_UTF8);
  const char* text = "Dis\xC3\xA9 \xF0\x9F\x92\xBF";  // an accented letter and a character past the BMP
  int need = MultiByteToWideChar(CP_ACP, MB_USEGLYPHCHARS, text, -1, nullptr, 0);
  EXPECT_EQ(need, 8);  // 6 units, a surrogate pair, the zero
  std::u16string out(std::size_t(need), u'x');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), need), need);
  EXPECT_EQ(out, std::u16string(u"Dis\u00E9 \U0001F4BF") + u'\0');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), need - 1), 0);  // too small
  // And back, counted without the zero when the length is given.
  char back[32] = {};
  int n = WideCharToMultiByte(CP_UTF8, 0, out.data(), need - 1, back, sizeof back, nullptr, nullptr);
  EXPECT_EQ(std::string(back, std::size_t(n)), text);
  // A stray byte becomes U+FFFD, or fails when invalid input is an error.
  char16_t one[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, one, 4), 1);
  EXPECT_EQ(one[0], u'\uFFFD');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a\xE9", 2, one, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, one, 4), 0);  // unknown code page
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, one, 4), 0);
}

TEST(CodePages, Windows1252MapsItsHighHalfAndReportsWhatItLacks) {
  char16_t w[4];
  EXPECT_EQ(MultiByteToWideChar(CP_WINDOWS_1252, 0, "\x80\xE9\x9F", 3, w, 4), 3);
  EXPECT_EQ(w[0], u'\u20AC');
  EXPECT_EQ(w[1], u'\u00E9');
  EXPECT_EQ(w[2], u'\u0178');
  char b[8];
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_WINDOWS_1252, 0, u"\u20AC\u00E9\u0416", 3, b, 8, nullptr, &usedDefault),
            3);
  EXPECT_EQ(std::string(b, 3), "\x80\xE9?");
  EXPECT_TRUE(usedDefault);
}

TEST(CodePages, LocaleAnswersAreFixed) {
  char buf[16];
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, buf, sizeof buf), 6);
  EXPECT_STREQ(buf, "65001");
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, buf, sizeof buf), 2);
  EXPECT_EQ(buf[0] - '0', LocaleDates().FirstDayOfWeek);
  char16_t wide[4];
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, wide, 4), 2);
  EXPECT_EQ(wide[0], u',');
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 0), 2);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, buf, 3), 0);  // too small
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, 0x7777, buf, sizeof buf), 0);
}

}  // namespace
}  // namespace qv
