// Text helpers of the class library (ASCII case rules, number formatting).
#pragma once
#include <cstdint>
#include <string>

namespace qv {

std::string IntToStr(int64_t v);
std::string IntToHex(uint64_t v, int digits);  // upper-case, at least `digits` digits
int64_t StrToInt64Def(const std::string& s, int64_t def);
int32_t StrToIntDef(const std::string& s, int32_t def);
std::string Trim(const std::string& s);  // blanks and control characters at both ends
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
std::string UpperCase(std::string s);  // ASCII letters only
std::string LowerCase(std::string s);
int CompareText(const std::string& a, const std::string& b);  // ASCII case folded
inline bool SameText(const std::string& a, const std::string& b) {
  return CompareText(a, b) == 0;
}

}  // namespace qv
