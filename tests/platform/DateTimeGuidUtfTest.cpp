// Date arithmetic, GUID text and UTF conversion.
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Guid.h"
#include "platform/Set.h"
#include "platform/Utf.h"

namespace qv {
namespace {

TEST(DateTime, DayCountsAndCalendar) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2.0);  // leap year
  TDateTime t;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, t));
  EXPECT_FALSE(TryEncodeDate(2023, 13, 1, t));
  for (int day = -1000; day < 100000; day += 37) {
    int y, m, d;
    DecodeDate(day, y, m, d);
    EXPECT_EQ(EncodeDate(y, m, d), day);
  }
  int h, mi, s, ms;
  DecodeTime(EncodeDate(2020, 1, 1) + EncodeTime(13, 45, 12, 0), h, mi, s, ms);
  EXPECT_EQ(h * 10000 + mi * 100 + s, 134512);
}

TEST(DateTime, FileTimesRoundTripExactly) {
  for (int64_t secs : {int64_t(0), int64_t(1700000000), int64_t(946684799)}) {
    TDateTime a = UnixToLocalDateTime(secs);
    EXPECT_EQ(a, UnixToLocalDateTime(secs));
    EXPECT_EQ(LocalDateTimeToUnix(a), secs);
  }
}

TEST(DateTime, FixedTextForms) {
  TDateTime t = EncodeDate(2024, 2, 9) + EncodeTime(7, 5, 3, 0);
  EXPECT_EQ(FormatDateTime(t), "09/02/2024 07:05:03");
  TDateTime p;
  ASSERT_TRUE(TryParseDate("09/02/2024", p));
  EXPECT_EQ(p, EncodeDate(2024, 2, 9));
  EXPECT_FALSE(TryParseDate("31/02/2024", p));
  EXPECT_FALSE(TryParseDate("  /  /    ", p));
}

TEST(Guid, TextAndBytes) {
  TGUID g;
  ASSERT_TRUE(CreateGUID(g));
  std::string text = GUIDToString(g);
  ASSERT_EQ(text.size(), 38u);
  EXPECT_EQ(StringToGUID(text), g);
  EXPECT_EQ(TGUID::FromBytes(g.ToBytes().data()), g);
  TGUID h = StringToGUID("{01234567-89ab-CDEF-0123-456789ABCDEF}");
  EXPECT_EQ(h.D1, 0x01234567u);
  EXPECT_EQ(h.ToBytes()[0], 0x67);
  EXPECT_EQ(GUIDToString(h), "{01234567-89AB-CDEF-0123-456789ABCDEF}");
  EXPECT_THROW(StringToGUID("{0123}"), EConvertError);
  EXPECT_THROW(StringToGUID("{01234567-89ab-CDEF-0123-456789ABCDEG}"), EConvertError);
}

TEST(Utf, RoundTripsAndRepairs) {
  std::string s = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
  EXPECT_EQ(Utf8ToUtf16(s), u"a\u00e9\u4e2d\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16("\xFF"
                        "a"),
            u"\uFFFDa");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

// Every kind of unit and every surrogate mix, paired or not, at every place:
// the text is what encoding it code point by code point gives.
TEST(Utf, WideTextEncodesAsEachCodePoint) {
  const char16_t units[] = {u'a',   u'\t',  0x7F,   0x80,   0x7FF,  0x800,
                            0xFFFF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFD};
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::u16string wide(random() % 12, u'x');
    for (char16_t& u : wide) u = units[random() % std::size(units)];
    std::string model;
    for (size_t i = 0; i < wide.size(); ++i) {
      char32_t cp = wide[i];
      bool pair = cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                  wide[i + 1] <= 0xDFFF;
      if (pair) cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[++i] - 0xDC00);
      AppendUtf8(model, cp);
    }
    ASSERT_EQ(Utf16ToUtf8(wide), model) << round;
  }
}

enum class Color { Red, Green, Blue };

TEST(SetAndAssert, Basics) {
  Set<Color> s{Color::Red};
  s += Set<Color>{Color::Blue};
  EXPECT_TRUE(s.Contains(Color::Blue));
  EXPECT_FALSE(s.Contains(Color::Green));
  EXPECT_TRUE((s - Color::Red) == Set<Color>{Color::Blue});
  EXPECT_TRUE(Set<Color>{Color::Red}.SubsetOf(s));
  try {
    QV_ASSERT(1 == 2);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message.rfind("Assertion failure (DateTimeGuidUtfTest.cpp, line ", 0), 0u);
  }
}

}  // namespace
}  // namespace qv
