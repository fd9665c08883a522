// Locale date texts and the date formatter and reader: every pattern field,
// round trips over the calendar, rejects, and a locale that is read without
// changing the process's own formatting.
#include <gtest/gtest.h>
#include <locale.h>

#include <cstdio>

#include "platform/CodePages.h"
#include "platform/DateFormat.h"
#include "platform/Exception.h"

namespace qv {
namespace {

const TDateTime kMoment = EncodeDate(2024, 2, 9) + EncodeTime(13, 5, 7, 42);

TEST(LocaleDates, FieldsOfThePatterns) {
  const TLocaleDates en = TLocaleDates::English();
  auto f = [&](const char* format, TDateTime t = kMoment) { return FormatDateTime(format, t, en); };
  EXPECT_EQ(f("dd/mm/yyyy"), "09/02/2024");
  EXPECT_EQ(f("d/m/yy"), "9/2/24");
  EXPECT_EQ(f("ddd dddd"), "Fri Friday");
  EXPECT_EQ(f("mmm MMMM"), "Feb February");
  EXPECT_EQ(f("hh:mm:ss"), "13:05:07");  // "mm" after an hour is minutes
  EXPECT_EQ(f("h:nn am/pm"), "1:05 pm");
  EXPECT_EQ(f("hh AMPM", EncodeDate(2024, 2, 9)), "12 AM");
  EXPECT_EQ(f("h:nn a/p", EncodeDate(2024, 2, 9) + EncodeTime(0, 30, 0, 0)), "12:30 a");
  EXPECT_EQ(f("s.zzz"), "7.042");
  EXPECT_EQ(f("'yyyy' \"dd\" yyyy"), "yyyy dd 2024");
  EXPECT_EQ(f("ddddd tt"), "09/02/2024 13:05:07");
  EXPECT_EQ(f("t"), "13:05");
  EXPECT_EQ(f("c"), "09/02/2024 13:05:07");
  EXPECT_EQ(f("c", EncodeDate(2024, 2, 9)), "09/02/2024");  // midnight shows the date alone
  EXPECT_EQ(f("dddddd"), "09 February 2024");
  EXPECT_EQ(f("yyyy-mm-dd"), "2024-02-09");  // other characters stand as they are
  // The first day of the calendar and the last.
  EXPECT_EQ(f("dddd dd/mm/yyyy", EncodeDate(1, 1, 1)), "Monday 01/01/0001");
  EXPECT_EQ(f("dddd dd/mm/yyyy", EncodeDate(9999, 12, 31)), "Friday 31/12/9999");
}

TEST(LocaleDates, ReadingBackWhatWasWrittenGivesTheSameDay) {
  const TLocaleDates en = TLocaleDates::English();
  for (int y = 1; y <= 9999; y += 37)
    for (int m = 1; m <= 12; m += 5)
      for (int d : {1, 15, 28}) {
        TDateTime date = EncodeDate(y, m, d), back = 0;
        ASSERT_TRUE(TryStrToDate(FormatDateTime("dd/mm/yyyy", date, en), back, en))
            << y << "/" << m << "/" << d;
        EXPECT_EQ(back, date);
      }
  TDateTime t = 0;
  ASSERT_TRUE(TryStrToDate(" 29 / 2 / 2024 ", t, en));
  EXPECT_EQ(t, EncodeDate(2024, 2, 29));
  ASSERT_TRUE(TryStrToDate("31/12/2024/", t, en));
  EXPECT_EQ(t, EncodeDate(2024, 12, 31));
}

TEST(LocaleDates, ShortAndPartialDatesFollowTheCurrentYear) {
  const TLocaleDates en = TLocaleDates::English();
  int year, m, d;
  DecodeDate(Date(), year, m, d);
  TDateTime t = 0;
  ASSERT_TRUE(TryStrToDate("5/6", t, en));
  EXPECT_EQ(t, EncodeDate(year, 6, 5));
  // Two-digit years lie within fifty years of this one.
  const int near = (year + 4) % 100, far = (year + 60) % 100;
  char text[32];
  std::snprintf(text, sizeof text, "01/01/%02d", near);
  ASSERT_TRUE(TryStrToDate(text, t, en));
  EXPECT_EQ(t, EncodeDate(year + 4, 1, 1));
  std::snprintf(text, sizeof text, "01/01/%02d", far);
  ASSERT_TRUE(TryStrToDate(text, t, en));
  EXPECT_EQ(t, EncodeDate(year + 60 - 100, 1, 1));
}

TEST(LocaleDates, TextsThatAreNoDateAreRefused) {
  const TLocaleDates en = TLocaleDates::English();
  TDateTime t = 123;
  for (const char* bad :
       {"", "  /  /    ", "31/02/2024", "29/02/2023", "00/01/2024", "01/13/2024", "1/2/3/4", "12345/1/2000",
        "a/b/c", "1-2-2000", "5", "5/", "/5/2000", "01/01/10000", "1/1/2000 x"}) {
    EXPECT_FALSE(TryStrToDate(bad, t, en)) << bad;
  }
  EXPECT_EQ(t, 123);
  try {
    StrToDate("31/02/2024");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'31/02/2024' is not a valid date");
  }
}

TEST(LocaleDates, NamesAndSeparatorsOfALocaleAreUsed) {
  TLocaleDates de = TLocaleDates::English();
  de.LongMonthNames[2] = "M\xC3\xA4rz";
  de.ShortDayNames[5] = "Fr";
  de.DateSeparator = '.';
  de.ShortDateFormat = "dd.mm.yyyy";
  TDateTime march = EncodeDate(2024, 3, 1);
  EXPECT_EQ(FormatDateTime("ddd d. mmmm yyyy", march, de), "Fr 1. M\xC3\xA4rz 2024");
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", march, de), "01.03.2024");
  TDateTime t = 0;
  ASSERT_TRUE(TryStrToDate("01.03.2024", t, de));
  EXPECT_EQ(t, march);
  EXPECT_FALSE(TryStrToDate("01/03/2024", t, de));
  // A year-first format reads in its own order.
  de.ShortDateFormat = "yyyy.mm.dd";
  ASSERT_TRUE(TryStrToDate("2024.03.01", t, de));
  EXPECT_EQ(t, march);
}

TEST(LocaleDates, TheEnvironmentIsReadWithoutChangingTheProcess) {
  const std::string before = setlocale(LC_ALL, nullptr);
  TLocaleDates c = TLocaleDates::FromLocale("C");
  EXPECT_EQ(c.LongMonthNames[0], "January");
  EXPECT_EQ(c.ShortDayNames[0], "Sun");
  EXPECT_EQ(c.FirstDayOfWeek, 6);  // Sunday
  TLocaleDates missing = TLocaleDates::FromLocale("xx_NOWHERE.UTF-8");
  EXPECT_EQ(missing.LongDayNames[1], "Monday");
  const TLocaleDates& process = LocaleDates();
  EXPECT_EQ(process.ShortDateFormat, "dd/mm/yyyy");
  EXPECT_EQ(process.DateSeparator, '/');
  EXPECT_EQ(setlocale(LC_ALL, nullptr), before);
  // The calendar's locale query of the first day.
  char text[16];
  ASSERT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, text, sizeof text), 2);
  EXPECT_EQ(text[0] - '0', process.FirstDayOfWeek);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 2, 11)), 1);  // a Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
  char number[16];
  std::snprintf(number, sizeof number, "%.1f", 1.5);
  EXPECT_STREQ(number, "1.5");
}

}  // namespace
}  // namespace qv
