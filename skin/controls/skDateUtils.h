// Date routines of the date edit: the field order of a date format, the edit
// format and mask for the locale, date checks, the two-digit year window and
// reading a date from the text of a masked date edit.
#pragma once
#include <string>

#include "platform/DateTime.h"

namespace qv {

// 0 = month-day-year, 1 = day-month-year, 2 = year-month-day.
int DateOrderOf(const std::string& Format);
// "DD/MM/YYYY" and its kin in the order of the locale's short date format.
std::string DateFormatForLocale(bool FourDigits);
// The edit mask of that format, e.g. "!99/99/9999;1; ".
std::string DateMaskFor(char Blank, bool FourDigits);
// True when the locale's short date format has a four-digit year.
bool FourDigitYearFlag();

int DaysInMonthOf(int Year, int Month);
bool IsValidYMD(int Year, int Month, int Day);
bool IsValidDateValue(TDateTime Date);
// Years below 100 move into the century window that starts 60 years before
// CurrentYear (0 = this year); others and negative values stay as they are.
int ExpandTwoDigitYear(int Year, int CurrentYear = 0);
// 1..12 for the first long month name that starts with Text (any case), else 0.
int MonthFromName(const std::string& Text, int Length);
// Reads Text by the positions of Format's letters, then freely as numbers
// between date separators. Empty text is the null date.
bool TextToDate(const std::string& Format, const std::string& Text, TDateTime& Date, int CurrentYear = 0);

}  // namespace qv
