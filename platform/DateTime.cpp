// Calendar arithmetic on the day-count representation; local time through
// localtime_r/mktime.
#include "platform/DateTime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace qv {

namespace {

// Days from 0001-01-01 (proleptic Gregorian) to the given date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;  // days since 1970-01-01
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kEpochOffset = 25569;  // 1970-01-01 as a day count

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  int dim = kDays[month - 1] + (month == 2 && IsLeap(year));
  if (day > dim) return false;
  result = double(DaysFromCivil(year, month, day) + kEpochOffset);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime t = 0;
  TryEncodeDate(year, month, day, t);
  return t;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
}

void DecodeDate(TDateTime t, int& year, int& month, int& day) {
  CivilFromDays(int64_t(std::floor(t)) - kEpochOffset, year, month, day);
}

void DecodeTime(TDateTime t, int& hour, int& minute, int& second, int& msec) {
  // The time is what lies past the day DecodeDate reads, before 1899-12-30
  // too: -0.75 is 06:00 of day -1, as UnixToLocalDateTime makes it.
  double frac = t - std::floor(t);
  int64_t ms = std::llround(frac * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  hour = int(ms / 3600000);
  minute = int(ms / 60000 % 60);
  second = int(ms / 1000 % 60);
  msec = int(ms % 1000);
}

TDateTime UnixToLocalDateTime(int64_t s) {
  time_t tt = time_t(s);
  struct tm lt {};
  localtime_r(&tt, &lt);
  int64_t days = DaysFromCivil(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) + kEpochOffset;
  int64_t secs = lt.tm_hour * 3600 + lt.tm_min * 60 + lt.tm_sec;
  return double(days) + double(secs) / 86400.0;
}

int64_t LocalDateTimeToUnix(TDateTime t) {
  int y, mo, d, h, mi, s, ms;
  DecodeDate(t, y, mo, d);
  DecodeTime(t, h, mi, s, ms);
  struct tm lt {};
  lt.tm_year = y - 1900, lt.tm_mon = mo - 1, lt.tm_mday = d;
  lt.tm_hour = h, lt.tm_min = mi, lt.tm_sec = s, lt.tm_isdst = -1;
  return int64_t(mktime(&lt));
}

TDateTime Now() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  return UnixToLocalDateTime(ts.tv_sec) + (ts.tv_nsec / 1000000) / 86400000.0;
}

TDateTime Date() {
  return std::floor(Now());
}

std::string FormatDate(TDateTime t) {
  int y, m, d;
  DecodeDate(t, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
  return buf;
}

std::string FormatTime(TDateTime t) {
  int h, mi, s, ms;
  DecodeTime(t, h, mi, s, ms);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
  return buf;
}

std::string FormatDateTime(TDateTime t) {
  return FormatDate(t) + " " + FormatTime(t);
}

bool TryParseDate(const std::string& text, TDateTime& result) {
  int d, m, y;
  char tail;
  if (std::sscanf(text.c_str(), " %d / %d / %d %c", &d, &m, &y, &tail) != 3) return false;
  return TryEncodeDate(y, m, d, result);
}

}  // namespace qv
