// Reading LC_TIME through newlocale/nl_langinfo_l: the locale object is the
// only one touched. Names that are not valid UTF-8 (a locale of another
// code set) are left in English.
#include "platform/LocaleDates.h"

#include <langinfo.h>
#include <locale.h>

#include <mutex>

#include "platform/Utf.h"

namespace qv {

namespace {

bool IsUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();)
    if (DecodeUtf8(s, i) > 0x10FFFF) return false;
  return true;
}

void Take(std::string& target, locale_t loc, nl_item item) {
  const char* v = ::nl_langinfo_l(item, loc);
  if (v && *v && IsUtf8(v)) target = v;
}

// LOCALE_IFIRSTDAYOFWEEK from glibc's week description: the first weekday
// counts (from 1) from the week's base day, a Sunday or a Monday.
int FirstDayOf(locale_t loc) {
  const char* first = ::nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, loc);
  if (!first) return 6;
  union {
    const char* s;
    unsigned w;
  } base;
  base.s = ::nl_langinfo_l(_NL_TIME_WEEK_1STDAY, loc);
  const int baseDay = base.w == 19971201u ? 1 : 0;  // 1997-12-01 was a Monday, 1997-11-30 a Sunday
  const int sundayBased = ((baseDay + first[0] - 1) % 7 + 7) % 7;
  return (sundayBased + 6) % 7;
}

std::mutex datesLock;
TLocaleDates* current = nullptr;

}  // namespace

TLocaleDates TLocaleDates::English() {
  TLocaleDates d;
  d.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
  d.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  d.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  d.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  d.FirstDayOfWeek = 6;
  return d;
}

TLocaleDates TLocaleDates::FromLocale(const std::string& localeName) {
  TLocaleDates d = English();
  locale_t loc = ::newlocale(LC_TIME_MASK | LC_CTYPE_MASK, localeName.c_str(), locale_t(0));
  if (!loc) {
    // The environment may name a locale that is not installed: keep English.
    return d;
  }
  for (int i = 0; i < 12; ++i) {
#ifdef ALTMON_1
    // The stand-alone form: month names are shown on their own (calendar titles).
    Take(d.LongMonthNames[i], loc, nl_item(ALTMON_1 + i));
#else
    Take(d.LongMonthNames[i], loc, nl_item(MON_1 + i));
#endif
    Take(d.ShortMonthNames[i], loc, nl_item(ABMON_1 + i));
  }
  for (int i = 0; i < 7; ++i) {
    Take(d.LongDayNames[i], loc, nl_item(DAY_1 + i));
    Take(d.ShortDayNames[i], loc, nl_item(ABDAY_1 + i));
  }
  d.FirstDayOfWeek = FirstDayOf(loc);
  ::freelocale(loc);
  return d;
}

const TLocaleDates& LocaleDates() {
  std::lock_guard<std::mutex> l(datesLock);
  if (!current) current = new TLocaleDates(TLocaleDates::FromLocale());  // lives for the program
  return *current;
}

void SetLocaleDates(const TLocaleDates& dates) {
  std::lock_guard<std::mutex> l(datesLock);
  if (!current)
    current = new TLocaleDates(dates);
  else
    *current = dates;
}

}  // namespace qv
