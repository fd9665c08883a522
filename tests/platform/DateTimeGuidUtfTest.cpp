// Date arithmetic, GUID text and UTF conversion.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <vector>

#include "platform/DateFormat.h"
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

// Before 1899-12-30 a value is its (negative) day with the time of day added,
// as file times are stored: each reads back as its own day and time of day,
// in the fields and in both text forms, and the values keep the order of the
// times they stand for.
TEST(DateTime, TimesBeforeTheFirstDayReadTheirOwnDayAndTimeOfDay) {
  struct Case {
    int y, m, d, h, mi, s;
    const char* text;
  };
  const Case cases[] = {
      {1, 1, 1, 12, 0, 0, "01/01/0001 12:00:00"},       {1850, 6, 1, 6, 0, 0, "01/06/1850 06:00:00"},
      {1850, 6, 1, 18, 30, 0, "01/06/1850 18:30:00"},   {1899, 12, 29, 0, 0, 1, "29/12/1899 00:00:01"},
      {1899, 12, 29, 6, 0, 0, "29/12/1899 06:00:00"},   {1899, 12, 29, 18, 30, 0, "29/12/1899 18:30:00"},
      {1899, 12, 29, 23, 59, 59, "29/12/1899 23:59:59"}};
  TDateTime previous = -1e9;
  for (const Case& c : cases) {
    const TDateTime t = EncodeDate(c.y, c.m, c.d) + EncodeTime(c.h, c.mi, c.s, 0);
    int y, m, d, h, mi, s, ms;
    DecodeDate(t, y, m, d);
    DecodeTime(t, h, mi, s, ms);
    EXPECT_EQ(std::vector<int>({y, m, d, h, mi, s, ms}), std::vector<int>({c.y, c.m, c.d, c.h, c.mi, c.s, 0}))
        << c.text;
    EXPECT_EQ(FormatDateTime(t), c.text);
    EXPECT_EQ(DateTimeToStr(t), c.text);
    EXPECT_GT(t, previous) << c.text;
    previous = t;
  }
  EXPECT_LT(previous, EncodeDate(1899, 12, 30));
  EXPECT_EQ(EncodeDate(1899, 12, 29) + EncodeTime(6, 0, 0, 0), -0.75);  // as stored
}

TEST(DateTime, FileTimesRoundTripExactly) {
  // Before 1970 and before 1899-12-30 too (06:00 and 18:30 there).
  for (int64_t secs : {int64_t(0), int64_t(1700000000), int64_t(946684799), int64_t(-86400),
                       int64_t(-2209204800), int64_t(-2209181400), int64_t(-3780000000)}) {
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
