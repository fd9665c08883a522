// Text helpers.
#include "classlib/SysUtils.h"

#include <cerrno>
#include <cstdlib>

namespace qv {

std::string IntToStr(int64_t v) {
  return std::to_string(v);
}

std::string IntToHex(uint64_t v, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), kHex[v & 15]);
    v >>= 4;
  } while (v);
  while (int(s.size()) < digits) s.insert(s.begin(), '0');
  return s;
}

int64_t StrToInt64Def(const std::string& s, int64_t def) {
  std::string t = Trim(s);
  if (t.empty()) return def;
  errno = 0;
  char* end = nullptr;
  long long v;
  if (t.size() > 1 && t[0] == '$')
    v = std::strtoll(t.c_str() + 1, &end, 16);
  else
    v = std::strtoll(t.c_str(), &end, 10);
  if (errno || !end || *end) return def;
  return v;
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
  int64_t v = StrToInt64Def(s, int64_t(def));
  if (v < INT32_MIN || v > INT32_MAX) return def;
  return int32_t(v);
}

std::string TrimLeft(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  return s.substr(i);
}

std::string TrimRight(const std::string& s) {
  std::size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return s.substr(0, n);
}

std::string Trim(const std::string& s) {
  return TrimLeft(TrimRight(s));
}

std::string UpperCase(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return s;
}

std::string LowerCase(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return s;
}

int CompareText(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace qv
