// Number and elapsed-time texts, built with integer arithmetic so that they
// do not depend on the locale or on floating-point rounding.
#include "catalogue/TextUtils.h"

#include <string>

namespace qv {

std::string IntToStrSep(char sep, int64_t value) {
  // Work on the magnitude as unsigned so that the lowest Int64 has one too.
  uint64_t magnitude = value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
  std::string digits = std::to_string(magnitude);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + 1);
  if (value < 0) out += '-';
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) out += sep;
    out += digits[k];
  }
  return out;
}

std::string FormatElapsed(int64_t milliseconds) {
  // A wall clock set back during an operation must not give a negative time.
  uint64_t ms = milliseconds < 0 ? 0 : uint64_t(milliseconds);
  uint64_t hours = ms / 3600000, minutes = ms / 60000 % 60, seconds = ms / 1000 % 60;
  uint64_t fraction = ms % 1000;
  // Hundredths: fraction / 10 rounded to the nearest, halves to the even one.
  uint64_t hundredths = fraction / 10;
  uint64_t rest = fraction % 10;
  if (rest > 5 || (rest == 5 && hundredths % 2 == 1)) ++hundredths;

  std::string out;
  if (hours > 0) out += std::to_string(hours) + "h ";
  if (minutes > 0 || hours > 0) out += std::to_string(minutes) + "m ";
  uint64_t total = seconds * 100 + hundredths;  // 99.995 s rounds up to "100s"
  out += std::to_string(total / 100);
  uint64_t cents = total % 100;
  if (cents != 0) {
    out += '.';
    out += char('0' + cents / 10);
    if (cents % 10 != 0) out += char('0' + cents % 10);
  }
  return out + "s";
}

}  // namespace qv
