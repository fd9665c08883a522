// Text utilities of the views and the console: digit-grouped numbers and
// elapsed times.
#pragma once
#include <cstdint>
#include <string>

namespace qv {

// The decimal text of value with sep between groups of three digits counted
// from the right: IntToStrSep(' ', 12345678) is "12 345 678".
std::string IntToStrSep(char sep, int64_t value);

// "1h 2m 3.45s", "1m 5s", "1.23s": hours and minutes when present, then the
// seconds with at most two decimals (the hundredths rounded half to even).
std::string FormatElapsed(int64_t milliseconds);

}  // namespace qv
