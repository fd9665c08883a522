// The pattern formatter (a left-to-right scan; a run of one letter is one
// field) and the short-date reader.
#include "platform/DateFormat.h"

#include <cmath>
#include <cstdio>

#include "platform/Exception.h"

namespace qv {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

std::string Num(int v, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", digits, v);
  return buf;
}

bool StartsWithNoCase(const std::string& s, std::size_t at, const char* word) {
  for (std::size_t i = 0; word[i]; ++i)
    if (at + i >= s.size() || Lower(s[at + i]) != word[i]) return false;
  return true;
}

// Day of the week, 0 = Sunday.
int WeekDay(TDateTime t) {
  long long days = (long long)std::floor(t);
  return int(((days - 1) % 7 + 7) % 7);  // 1899-12-30 was a Saturday
}

class Formatter {
 public:
  Formatter(TDateTime t, const TLocaleDates& l) : t_(t), l_(l) {
    DecodeDate(t, y_, mo_, d_);
    DecodeTime(t, h_, mi_, s_, ms_);
  }

  void Run(const std::string& f, int depth = 0) {
    twelveHour_ = HasAmPm(f);
    std::size_t i = 0;
    while (i < f.size()) {
      const char c = f[i];
      const char lc = Lower(c);
      if (c == '"' || c == '\'') {
        std::size_t end = f.find(c, i + 1);
        if (end == std::string::npos) end = f.size();
        out_.append(f, i + 1, end - i - 1);
        i = end + 1;
        continue;
      }
      if (lc == 'a' && AmPm(f, i)) continue;
      std::size_t n = 1;
      while (i + n < f.size() && Lower(f[i + n]) == lc) ++n;
      if (!Field(lc, n, depth)) out_.append(f, i, n);
      if (lc >= 'a' && lc <= 'z') lastWasHour_ = lc == 'h';
      i += n;
    }
  }

  std::string Take() { return std::move(out_); }

 private:
  static bool HasAmPm(const std::string& f) {
    for (std::size_t i = 0; i < f.size(); ++i)
      if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") || StartsWithNoCase(f, i, "ampm"))
        return true;
    return false;
  }

  bool AmPm(const std::string& f, std::size_t& i) {
    const bool pm = h_ >= 12;
    if (StartsWithNoCase(f, i, "am/pm")) {
      out_ += pm ? f.substr(i + 3, 2) : f.substr(i, 2);
      i += 5;
    } else if (StartsWithNoCase(f, i, "a/p")) {
      out_ += pm ? f[i + 2] : f[i];
      i += 3;
    } else if (StartsWithNoCase(f, i, "ampm")) {
      out_ += pm ? l_.TimePMString : l_.TimeAMString;
      i += 4;
    } else {
      return false;
    }
    return true;
  }

  int Hour() const {
    if (!twelveHour_) return h_;
    int h = h_ % 12;
    return h == 0 ? 12 : h;
  }

  bool Field(char c, std::size_t n, int depth) {
    switch (c) {
      case 'd':
        if (n <= 2)
          out_ += Num(d_, int(n));
        else if (n == 3)
          out_ += l_.ShortDayNames[WeekDay(t_)];
        else if (n == 4)
          out_ += l_.LongDayNames[WeekDay(t_)];
        else
          Nested(n == 5 ? l_.ShortDateFormat : l_.LongDateFormat, depth);
        return true;
      case 'm':
        if (lastWasHour_ && n <= 2)
          out_ += Num(mi_, int(n));
        else if (n <= 2)
          out_ += Num(mo_, int(n));
        else if (n == 3)
          out_ += l_.ShortMonthNames[mo_ - 1];
        else
          out_ += l_.LongMonthNames[mo_ - 1];
        return true;
      case 'y':
        out_ += n <= 2 ? Num(y_ % 100, 2) : Num(y_, 4);
        return true;
      case 'h':
        out_ += Num(Hour(), n >= 2 ? 2 : 1);
        return true;
      case 'n':
        out_ += Num(mi_, n >= 2 ? 2 : 1);
        return true;
      case 's':
        out_ += Num(s_, n >= 2 ? 2 : 1);
        return true;
      case 'z':
        out_ += Num(ms_, n >= 3 ? 3 : 1);
        return true;
      case 't':
        Nested(n == 1 ? l_.ShortTimeFormat : l_.LongTimeFormat, depth);
        return true;
      case 'c':
        Nested(l_.ShortDateFormat, depth);
        if (h_ || mi_ || s_ || ms_) {
          out_ += ' ';
          Nested(l_.LongTimeFormat, depth);
        }
        return true;
      case '/':
        out_.append(n, l_.DateSeparator);
        return true;
      case ':':
        out_.append(n, l_.TimeSeparator);
        return true;
    }
    return false;
  }

  // A format inside a format: never deeper than two levels (no loops).
  void Nested(const std::string& f, int depth) {
    if (depth >= 2) return;
    const bool twelve = twelveHour_, hour = lastWasHour_;
    Run(f, depth + 1);
    twelveHour_ = twelve, lastWasHour_ = hour;
  }

  TDateTime t_;
  const TLocaleDates& l_;
  int y_, mo_, d_, h_, mi_, s_, ms_;
  bool twelveHour_ = false;
  bool lastWasHour_ = false;
  std::string out_;
};

// Reads an unsigned number of at most `maxDigits` digits after blanks.
bool ReadNumber(const std::string& s, std::size_t& i, int& value, int& digits) {
  while (i < s.size() && s[i] == ' ') ++i;
  value = 0, digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (++digits > 4) return false;
    value = value * 10 + (s[i++] - '0');
  }
  while (i < s.size() && s[i] == ' ') ++i;
  return digits > 0;
}

int ExpandYear(int year, int digits) {
  if (digits > 2) return year;
  int current, m, d;
  DecodeDate(Date(), current, m, d);
  // Within fifty years of the current one.
  int y = current / 100 * 100 + year;
  if (y > current + 49)
    y -= 100;
  else if (y < current - 50)
    y += 100;
  return y;
}

// The order of day (D), month (M) and year (Y) in a format.
std::string FieldOrder(const std::string& format) {
  std::string order;
  for (char c : format) {
    char u = char(Lower(c) - 32);
    if ((u == 'D' || u == 'M' || u == 'Y') && order.find(u) == std::string::npos) order += u;
  }
  return order.size() == 3 ? order : "DMY";
}

}  // namespace

int DayOfWeek(TDateTime t) {
  return WeekDay(t) + 1;
}

std::string FormatDateTime(const std::string& format, TDateTime t, const TLocaleDates& locale) {
  Formatter f(t, locale);
  f.Run(format.empty() ? "c" : format);
  return f.Take();
}

std::string FormatDateTime(const std::string& format, TDateTime t) {
  return FormatDateTime(format, t, LocaleDates());
}

std::string DateToStr(TDateTime t) {
  return FormatDateTime("ddddd", t);
}

std::string TimeToStr(TDateTime t) {
  return FormatDateTime("tt", t);
}

std::string DateTimeToStr(TDateTime t) {
  return FormatDateTime("c", t);
}

bool TryStrToDate(const std::string& text, TDateTime& result, const TLocaleDates& locale) {
  int v[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
  std::size_t i = 0;
  int count = 0;
  while (count < 3) {
    if (!ReadNumber(text, i, v[count], digits[count])) return false;
    ++count;
    if (i < text.size() && text[i] == locale.DateSeparator) {
      ++i;
      if (count == 3) break;
      continue;
    }
    break;
  }
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size() || count < 2) return false;
  const std::string order = FieldOrder(locale.ShortDateFormat);
  int day = 0, month = 0, year = 0, yearDigits = 4;
  if (count == 2) {
    int current, m, d;
    DecodeDate(Date(), current, m, d);
    year = current;
    const bool dayFirst = order.find('D') < order.find('M');
    day = dayFirst ? v[0] : v[1];
    month = dayFirst ? v[1] : v[0];
  } else {
    for (int k = 0; k < 3; ++k) {
      if (order[k] == 'D') day = v[k];
      if (order[k] == 'M') month = v[k];
      if (order[k] == 'Y') year = v[k], yearDigits = digits[k];
    }
    year = ExpandYear(year, yearDigits);
  }
  return TryEncodeDate(year, month, day, result);
}

bool TryStrToDate(const std::string& text, TDateTime& result) {
  return TryStrToDate(text, result, LocaleDates());
}

TDateTime StrToDate(const std::string& text) {
  TDateTime t = 0;
  if (!TryStrToDate(text, t)) throw EConvertError("'" + text + "' is not a valid date");
  return t;
}

}  // namespace qv
