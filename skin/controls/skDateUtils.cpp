// Date routines of the date edit: format order, masks, checks and reading
// dates from masked text.
#include "skin/controls/skDateUtils.h"

#include <cctype>

#include "platform/LocaleDates.h"

namespace qv {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

int ThisYear() {
  int y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

// The value of the run of Letter in Format, read from the same positions of
// Text; Default when Format has no run of MinRun letters, -1 when the run
// holds nothing readable.
int ExtractPart(const std::string& Format, const std::string& Text, char Letter, int MinRun, int Default) {
  if (Text.size() > Format.size() || Format.size() >= 20) return Default;
  const std::string fmt = Upper(Format);
  const size_t at = fmt.find(std::string(MinRun, Letter));
  if (at == std::string::npos) return Default;
  std::string got;
  for (size_t i = at; i < Text.size() && fmt[i] == Letter; ++i)
    if (Text[i] != ' ') got += Text[i];
  if (got.empty()) return -1;
  if (MinRun == 3) {
    const int m = MonthFromName(got, static_cast<int>(got.size()));
    return m == 0 ? -1 : m;
  }
  int v = 0;
  for (char c : got) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

bool ReadNumber(const std::string& s, size_t& pos, int& value) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
  const size_t start = pos;
  value = 0;
  while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && value < 1000)
    value = value * 10 + (s[pos++] - '0');
  return pos > start;
}

bool FreeForm(const std::string& Format, const std::string& Text, int CurrentYear, int& Y, int& M, int& D) {
  const char sep = LocaleDates().DateSeparator;
  size_t pos = 0;
  int n1, n2, n3;
  if (!ReadNumber(Text, pos, n1) || pos >= Text.size() || Text[pos] != sep) return false;
  ++pos;
  if (!ReadNumber(Text, pos, n2)) return false;
  const int order = DateOrderOf(Format);
  if (pos < Text.size() && Text[pos] == sep) {
    ++pos;
    if (!ReadNumber(Text, pos, n3)) return false;
    if (order == 0)
      Y = n3, M = n1, D = n2;
    else if (order == 1)
      Y = n3, M = n2, D = n1;
    else
      Y = n1, M = n2, D = n3;
    Y = ExpandTwoDigitYear(Y, CurrentYear);
  } else {
    Y = CurrentYear;
    if (order == 1)
      D = n1, M = n2;
    else
      M = n1, D = n2;
  }
  if (pos < Text.size() && Text[pos] == sep) ++pos;
  while (pos < Text.size() && Text[pos] == ' ') ++pos;
  return pos == Text.size() && IsValidYMD(Y, M, D);
}

}  // namespace

int DateOrderOf(const std::string& Format) {
  for (char c : Format) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'M':
        return 0;
      case 'D':
        return 1;
      case 'Y':
        return 2;
      default:
        break;
    }
  }
  return 1;
}

std::string DateFormatForLocale(bool FourDigits) {
  static const char* const four[] = {"MM/DD/YYYY", "DD/MM/YYYY", "YYYY/MM/DD"};
  static const char* const two[] = {"MM/DD/YY", "DD/MM/YY", "YY/MM/DD"};
  const int order = DateOrderOf(LocaleDates().ShortDateFormat);
  return FourDigits ? four[order] : two[order];
}

std::string DateMaskFor(char Blank, bool FourDigits) {
  std::string mask;
  if (!FourDigits)
    mask = "!99/99/99;1;";
  else if (DateOrderOf(LocaleDates().ShortDateFormat) == 2)
    mask = "!9999/99/99;1;";
  else
    mask = "!99/99/9999;1;";
  return mask + Blank;
}

bool FourDigitYearFlag() {
  static const bool flag = Upper(LocaleDates().ShortDateFormat).find("YYYY") != std::string::npos;
  return flag;
}

int DaysInMonthOf(int Year, int Month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  const bool leap = Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
  return days[Month - 1] + (Month == 2 && leap ? 1 : 0);
}

bool IsValidYMD(int Year, int Month, int Day) {
  return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 &&
         Day <= DaysInMonthOf(Year, Month);
}

bool IsValidDateValue(TDateTime Value) {
  // Outside years 1..9999 the day count cannot be decoded.
  if (!(Value > -693594.0 && Value < 2958466.0)) return false;
  int y, m, d;
  DecodeDate(Value, y, m, d);
  return IsValidYMD(y, m, d);
}

int ExpandTwoDigitYear(int Year, int CurrentYear) {
  if (Year >= 100 || Year < 0) return Year;
  const int w = (CurrentYear ? CurrentYear : ThisYear()) - 60;
  Year += (w / 100) * 100;
  if (w > Year) Year += 100;
  return Year;
}

int MonthFromName(const std::string& Text, int Length) {
  const std::string want = Upper(Text.substr(0, static_cast<size_t>(Length > 0 ? Length : 0)));
  if (want.empty()) return 0;
  for (int m = 0; m < 12; ++m)
    if (Upper(LocaleDates().LongMonthNames[m].substr(0, want.size())) == want) return m + 1;
  return 0;
}

bool TextToDate(const std::string& Format, const std::string& Text, TDateTime& Result, int CurrentYear) {
  if (Text.empty()) {
    Result = 0.0;
    return true;
  }
  if (!CurrentYear) CurrentYear = ThisYear();
  int M = ExtractPart(Format, Text, 'M', 3, 0);
  if (M == 0) M = ExtractPart(Format, Text, 'M', 1, 0);
  const int D = ExtractPart(Format, Text, 'D', 1, 1);
  // A year run left blank is unreadable, not a year of the window.
  const int Y = ExpandTwoDigitYear(ExtractPart(Format, Text, 'Y', 1, CurrentYear), CurrentYear);
  int y = Y, m = M, d = D;
  if (!(M > 0 && D > 0 && IsValidYMD(Y, M, D)) && !FreeForm(Format, Text, CurrentYear, y, m, d)) return false;
  Result = EncodeDate(y, m, d);
  return true;
}

}  // namespace qv
