// Dates and times as text with format patterns, and dates read back from
// text in the short date format ("dd/mm/yyyy").
//
// Patterns (letters in either case): d dd (day), ddd dddd (short and long day
// name), ddddd dddddd (short and long date format), m mm (month, or minutes
// right after an hour), mmm mmmm (short and long month name), yy yyyy
// (year), h hh, n nn, s ss, z zzz (milliseconds), t tt (short and long time
// format), c (short date, then the long time unless it is midnight),
// am/pm a/p ampm (twelve-hour clock), "/" and ":" (the separators), and
// text in single or double quotes as it stands.
#pragma once
#include <string>

#include "platform/DateTime.h"
#include "platform/LocaleDates.h"

namespace qv {

// The day of the week: 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime t);

std::string FormatDateTime(const std::string& format, TDateTime t);
std::string FormatDateTime(const std::string& format, TDateTime t, const TLocaleDates& locale);
std::string DateToStr(TDateTime t);      // the short date format
std::string TimeToStr(TDateTime t);      // the long time format
std::string DateTimeToStr(TDateTime t);  // "c"

// Reads a date in the order of the short date format (day, month, year),
// numbers separated by the date separator, blanks around them allowed; a
// missing year is the current year; a two-digit year lies within fifty years
// of the current one. False for anything else or an impossible date.
bool TryStrToDate(const std::string& text, TDateTime& result);
bool TryStrToDate(const std::string& text, TDateTime& result, const TLocaleDates& locale);
// As TryStrToDate; raises EConvertError "'<text>' is not a valid date".
TDateTime StrToDate(const std::string& text);

}  // namespace qv
