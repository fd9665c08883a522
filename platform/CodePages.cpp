// UTF-8 and Windows-1252 conversions with the platform's calling conventions,
// and the fixed locale answers.
#include "platform/CodePages.h"

#include <cstring>

#include "platform/LocaleDates.h"
#include "platform/Utf.h"

namespace qv {
namespace {

// Windows-1252 bytes 0x80..0x9F (0 = undefined); the rest map to themselves.
constexpr char16_t k1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsUtf8(UINT cp) {
  return cp == CP_ACP || cp == CP_OEMCP || cp == CP_THREAD_ACP || cp == CP_UTF8;
}

// Copies a converted result out by the platform's rules.
template <class C>
int Deliver(const std::basic_string<C>& s, C* out, int outSize) {
  if (outSize == 0) return int(s.size());
  if (!out || outSize < int(s.size())) return 0;
  std::memcpy(out, s.data(), s.size() * sizeof(C));
  return int(s.size());
}

}  // namespace

UINT GetACP() {
  return CP_UTF8;
}
UINT GetOEMCP() {
  return CP_UTF8;
}

int MultiByteToWideChar(UINT cp, DWORD flags, const char* in, int inSize, char16_t* out, int outSize) {
  if (!in || inSize == 0 || outSize < 0) return 0;
  std::size_t n = inSize < 0 ? std::strlen(in) + 1 : std::size_t(inSize);
  std::u16string result;
  if (IsUtf8(cp)) {
    std::string_view s(in, n);
    std::size_t i = 0;
    while (i < s.size()) {
      char32_t c = DecodeUtf8(s, i);
      if (c > 0x10FFFF) {  // an invalid byte
        if (flags & MB_ERR_INVALID_CHARS) return 0;
        c = 0xFFFD;
      }
      if (c >= 0x10000) {
        c -= 0x10000;
        result += char16_t(0xD800 + (c >> 10));
        result += char16_t(0xDC00 + (c & 0x3FF));
      } else {
        result += char16_t(c);
      }
    }
  } else if (cp == CP_WINDOWS_1252) {
    for (std::size_t i = 0; i < n; ++i) {
      auto b = uint8_t(in[i]);
      char16_t c = b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : char16_t(b);
      if (!c) {
        if (flags & MB_ERR_INVALID_CHARS) return 0;
        c = char16_t(b);  // undefined bytes pass through as control characters
      }
      result += c;
    }
  } else {
    return 0;
  }
  return Deliver(result, out, outSize);
}

int WideCharToMultiByte(UINT cp, DWORD, const char16_t* in, int inSize, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefault) {
  if (usedDefault) *usedDefault = FALSE;
  if (!in || inSize == 0 || outSize < 0) return 0;
  std::size_t n = inSize < 0 ? std::char_traits<char16_t>::length(in) + 1 : std::size_t(inSize);
  std::string result;
  if (IsUtf8(cp)) {
    result = Utf16ToUtf8(std::u16string_view(in, n));
  } else if (cp == CP_WINDOWS_1252) {
    for (std::size_t i = 0; i < n; ++i) {
      char16_t c = in[i];
      int byte = c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? int(c) : -1;
      for (int k = 0; k < 32 && byte < 0; ++k)
        if (k1252High[k] && k1252High[k] == c) byte = 0x80 + k;
      if (byte < 0) {
        result += defaultChar && *defaultChar ? *defaultChar : '?';
        if (usedDefault) *usedDefault = TRUE;
      } else {
        result += char(byte);
      }
    }
  } else {
    return 0;
  }
  return Deliver(result, out, outSize);
}

namespace {
const char* LocaleValue(DWORD type) {
  switch (type & 0xFFFF) {
    case LOCALE_SLIST:
      return ",";
    case LOCALE_SDECIMAL:
      return ".";
    case LOCALE_STHOUSAND:
      return ",";
    case LOCALE_SSHORTDATE:
      return "dd/MM/yyyy";
    case LOCALE_STIMEFORMAT:
      return "HH:mm:ss";
    case LOCALE_SDATE:
      return "/";
    case LOCALE_STIME:
      return ":";
    case LOCALE_IDEFAULTANSICODEPAGE:
    case LOCALE_IDEFAULTCODEPAGE:
      return "65001";
  }
  return nullptr;
}
}  // namespace

int GetLocaleInfoA(LCID, DWORD type, char* out, int size) {
  // The first day of the week is the environment's (LocaleDates.h).
  const char first[2] = {char('0' + LocaleDates().FirstDayOfWeek), 0};
  const char* v = (type & 0xFFFF) == LOCALE_IFIRSTDAYOFWEEK ? first : LocaleValue(type);
  if (!v || size < 0) return 0;
  int need = int(std::strlen(v)) + 1;
  if (size == 0) return need;
  if (!out || size < need) return 0;
  std::memcpy(out, v, std::size_t(need));
  return need;
}

int GetLocaleInfoW(LCID locale, DWORD type, char16_t* out, int size) {
  char buf[32];
  int n = GetLocaleInfoA(locale, type, buf, sizeof buf);
  if (n == 0 || size < 0) return 0;
  if (size == 0) return n;
  if (!out || size < n) return 0;
  for (int i = 0; i < n; ++i) out[i] = char16_t(uint8_t(buf[i]));
  return n;
}

}  // namespace qv
