// TDateTime: days since 1899-12-30 as a double, the fraction being the time of
// day, in local time. The day is the floor, so a value before 1899-12-30 is a
// negative day with the time of day added (1899-12-29 06:00 is -0.75) and the
// values keep the order of the times. Conversions from file times use whole
// seconds so that the same file time always gives the same value.
#pragma once
#include <cstdint>
#include <string>

namespace qv {

using TDateTime = double;

TDateTime Now();
TDateTime Date();  // today at 00:00
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
void DecodeDate(TDateTime t, int& year, int& month, int& day);
void DecodeTime(TDateTime t, int& hour, int& minute, int& second, int& msec);

// Seconds since the Unix epoch (UTC) to local TDateTime, and back.
TDateTime UnixToLocalDateTime(int64_t unixSeconds);
int64_t LocalDateTimeToUnix(TDateTime t);

// "dd/mm/yyyy", "hh:nn:ss" and both joined by a blank: the fixed display formats.
std::string FormatDate(TDateTime t);
std::string FormatTime(TDateTime t);
std::string FormatDateTime(TDateTime t);
// Parses "dd/mm/yyyy" (blanks around the numbers allowed); false when it is no date.
bool TryParseDate(const std::string& text, TDateTime& result);

}  // namespace qv
