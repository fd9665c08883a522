// The locale's date texts: month and day names (long and short), the first
// day of the week, and the date and time formats. Names and the first day
// come from the environment's LC_TIME locale where it names them (read
// through a locale object of its own: the process's locale, and so its
// number formatting, is never changed), English otherwise. The formats are
// fixed: "dd/mm/yyyy" and "hh:nn:ss".
#pragma once
#include <array>
#include <string>

namespace qv {

struct TLocaleDates {
  std::array<std::string, 12> LongMonthNames;  // January first
  std::array<std::string, 12> ShortMonthNames;
  std::array<std::string, 7> LongDayNames;  // Sunday first
  std::array<std::string, 7> ShortDayNames;
  // As the locale's LOCALE_IFIRSTDAYOFWEEK: 0 = Monday .. 6 = Sunday.
  int FirstDayOfWeek = 6;
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongDateFormat = "dd mmmm yyyy";
  char DateSeparator = '/';
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  char TimeSeparator = ':';
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";

  // English names, Sunday as the first day.
  static TLocaleDates English();
  // The names and first day of a locale ("" = the environment's LC_TIME);
  // English for whatever the locale does not give as UTF-8 text.
  static TLocaleDates FromLocale(const std::string& localeName = "");
};

// The process's date texts: read from the environment on first use.
const TLocaleDates& LocaleDates();
// Replaces them (tests, or a program that wants English throughout).
void SetLocaleDates(const TLocaleDates& dates);

}  // namespace qv
