// Date routines of the date edit: field order, formats and masks per locale
// order, date checks, the two-digit year window and reading dates from text.
#include <gtest/gtest.h>

#include "platform/LocaleDates.h"
#include "skin/controls/skDateUtils.h"

namespace qv::test {
namespace {

class DateUtils : public ::testing::Test {
 protected:
  void SetUp() override { SetLocaleDates(TLocaleDates::English()); }
  void TearDown() override { SetLocaleDates(TLocaleDates::English()); }
  void Locale(const std::string& shortFormat, char separator) {
    TLocaleDates l = TLocaleDates::English();
    l.ShortDateFormat = shortFormat;
    l.DateSeparator = separator;
    SetLocaleDates(l);
  }
  static bool Read(const std::string& format, const std::string& text, int& y, int& m, int& d) {
    TDateTime t = -1;
    if (!TextToDate(format, text, t, 2026)) return false;
    DecodeDate(t, y, m, d);
    return true;
  }
};

TEST_F(DateUtils, OrderFormatAndMaskFollowTheLocale) {
  EXPECT_EQ(DateOrderOf("mm/dd/yy"), 0);
  EXPECT_EQ(DateOrderOf("dd.MM.yyyy"), 1);
  EXPECT_EQ(DateOrderOf("yyyy-mm-dd"), 2);
  EXPECT_EQ(DateOrderOf("//"), 1);
  struct Row {
    const char* locale;
    const char* four;
    const char* two;
    const char* mask4;
  };
  const Row rows[] = {{"mm/dd/yyyy", "MM/DD/YYYY", "MM/DD/YY", "!99/99/9999;1; "},
                      {"dd/mm/yyyy", "DD/MM/YYYY", "DD/MM/YY", "!99/99/9999;1; "},
                      {"yyyy/mm/dd", "YYYY/MM/DD", "YY/MM/DD", "!9999/99/99;1; "}};
  for (const Row& r : rows) {
    Locale(r.locale, '/');
    EXPECT_EQ(DateFormatForLocale(true), r.four) << r.locale;
    EXPECT_EQ(DateFormatForLocale(false), r.two) << r.locale;
    EXPECT_EQ(DateMaskFor(' ', true), r.mask4) << r.locale;
    EXPECT_EQ(DateMaskFor('_', false), "!99/99/99;1;_") << r.locale;
  }
}

TEST_F(DateUtils, ValidDaysAndTheYearWindow) {
  EXPECT_TRUE(IsValidYMD(2024, 2, 29));
  EXPECT_FALSE(IsValidYMD(2023, 2, 29));
  EXPECT_FALSE(IsValidYMD(2024, 2, 31));
  EXPECT_FALSE(IsValidYMD(1900, 2, 29));
  EXPECT_TRUE(IsValidYMD(2000, 2, 29));
  EXPECT_FALSE(IsValidYMD(0, 1, 1));
  EXPECT_FALSE(IsValidYMD(10000, 1, 1));
  EXPECT_FALSE(IsValidYMD(2024, 13, 1));
  EXPECT_TRUE(IsValidDateValue(EncodeDate(2024, 2, 29)));
  EXPECT_FALSE(IsValidDateValue(1e12));
  EXPECT_EQ(ExpandTwoDigitYear(65, 2026), 2065);
  EXPECT_EQ(ExpandTwoDigitYear(66, 2026), 1966);
  EXPECT_EQ(ExpandTwoDigitYear(0, 2026), 2000);
  EXPECT_EQ(ExpandTwoDigitYear(150, 2026), 150);
  EXPECT_EQ(ExpandTwoDigitYear(-1, 2026), -1);
  EXPECT_EQ(MonthFromName("feb", 3), 2);
  EXPECT_EQ(MonthFromName("Ju", 2), 6);  // the first match
  EXPECT_EQ(MonthFromName("xyz", 3), 0);
}

TEST_F(DateUtils, TextByPositionsThenFreeForm) {
  int y, m, d;
  ASSERT_TRUE(Read("DD/MM/YYYY", "29/02/2024", y, m, d));
  EXPECT_EQ((std::array{y, m, d}), (std::array{2024, 2, 29}));
  EXPECT_FALSE(Read("DD/MM/YYYY", "31/02/2024", y, m, d));
  EXPECT_FALSE(Read("DD/MM/YYYY", "29/02/2023", y, m, d));
  EXPECT_FALSE(Read("DD/MM/YYYY", "99/99/9999", y, m, d));
  ASSERT_TRUE(Read("MM/DD/YYYY", "12/25/2020", y, m, d));
  EXPECT_EQ((std::array{y, m, d}), (std::array{2020, 12, 25}));
  // Blanks inside a field are skipped; two-digit years go through the window.
  ASSERT_TRUE(Read("DD/MM/YYYY", " 1/ 2/  65", y, m, d));
  EXPECT_EQ((std::array{y, m, d}), (std::array{2065, 2, 1}));
  ASSERT_TRUE(Read("DD/MM/YY", "01/01/66", y, m, d));
  EXPECT_EQ(y, 1966);
  // Free form: no second separator means this year, in the format's order.
  ASSERT_TRUE(Read("DD/MM/YYYY", "5/6", y, m, d));
  EXPECT_EQ((std::array{y, m, d}), (std::array{2026, 6, 5}));
  ASSERT_TRUE(Read("MM/DD/YYYY", "5/6", y, m, d));
  EXPECT_EQ((std::array{m, d}), (std::array{5, 6}));
  ASSERT_TRUE(Read("DD/MM/YYYY", "1/2/2003/ ", y, m, d));
  EXPECT_EQ((std::array{y, m, d}), (std::array{2003, 2, 1}));
  EXPECT_FALSE(Read("DD/MM/YYYY", "12345/1/2020", y, m, d));
  EXPECT_FALSE(Read("DD/MM/YYYY", "1/2/", y, m, d));
  EXPECT_FALSE(Read("DD/MM/YYYY", "1/2/3x", y, m, d));
  // A blank year field is no year at all.
  EXPECT_FALSE(Read("DD/MM/YYYY", "05/06/    ", y, m, d));
  EXPECT_FALSE(Read("DD/MM/YYYY", "  /  /    ", y, m, d));
  TDateTime t = 5;
  EXPECT_TRUE(TextToDate("DD/MM/YYYY", "", t, 2026));
  EXPECT_EQ(t, 0.0);
  // Month names where the format has them.
  ASSERT_TRUE(Read("DD-MMM-YYYY", "03-Mar-2021", y, m, d));
  EXPECT_EQ((std::array{y, m, d}), (std::array{2021, 3, 3}));
  // The locale's separator in free-form text.
  Locale("dd.mm.yyyy", '.');
  ASSERT_TRUE(Read("DD/MM/YYYY", "7.8.2001", y, m, d));
  EXPECT_EQ((std::array{y, m, d}), (std::array{2001, 8, 7}));
  EXPECT_FALSE(Read("DD/MM/YYYY", "7/8/20011", y, m, d));
}

}  // namespace
}  // namespace qv::test
