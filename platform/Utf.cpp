// UTF-8 decoding that never fails: invalid bytes map to a private range above
// Unicode, so callers can order or convert any byte string.
#include "platform/Utf.h"

namespace qv {

char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  auto bad = [&]() -> char32_t {
    ++i;
    return 0x110000u + c;
  };
  if (c < 0x80) {
    ++i;
    return c;
  }
  int len;
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
  } else
    return bad();
  if (i + len > s.size()) return bad();
  for (int k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) return bad();
    cp = (cp << 6) | (cc & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are invalid.
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return bad();
  i += len;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

WideString Utf8ToUtf16(std::string_view s) {
  // No byte sequence widens to more code units than it has bytes: the text
  // is written in place and cut to its length at the end.
  WideString out(s.size(), u'\0');
  char16_t* d = out.data();
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {  // plain ASCII, most text, widens without decoding
      *d++ = static_cast<char16_t>(c);
      ++i;
      continue;
    }
    char32_t cp = DecodeUtf8(s, i);
    if (cp > 0x10FFFF) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *d++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *d++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *d++ = static_cast<char16_t>(cp);
    }
  }
  out.resize(std::size_t(d - out.data()));
  return out;
}

namespace {

// Units [i, i + 8) are all ASCII: tested together, so that the loops over
// long ASCII runs (most text) take eight units at a time.
bool AsciiEight(const char16_t* p) {
  char16_t any = 0;
  for (int k = 0; k < 8; ++k) any |= p[k];
  return any < 0x80;
}

bool PairAt(std::u16string_view s, std::size_t i) {
  return s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view s) {
  // The length is counted first and the bytes written in place: tens of
  // megabytes of rows go through here, and appending byte by byte was most
  // of their cost. A lone surrogate becomes U+FFFD (three bytes, as itself).
  const std::size_t n = s.size();
  std::size_t length = 0;
  for (std::size_t i = 0; i < n;) {
    if (i + 8 <= n && AsciiEight(s.data() + i)) {
      length += 8, i += 8;
      continue;
    }
    char16_t u = s[i];
    if (PairAt(s, i)) {
      length += 4, i += 2;
      continue;
    }
    length += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    ++i;
  }
  std::string out(length, '\0');
  char* d = out.data();
  for (std::size_t i = 0; i < n; ++i) {
    if (i + 8 <= n && AsciiEight(s.data() + i)) {
      for (int k = 0; k < 8; ++k) d[k] = static_cast<char>(s[i + k]);
      d += 8, i += 7;
      continue;
    }
    char32_t cp = s[i];
    if (cp < 0x80) {
      *d++ = static_cast<char>(cp);
      continue;
    }
    if (PairAt(s, i)) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x800) {
      *d++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      *d++ = static_cast<char>(0xE0 | (cp >> 12));
      *d++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      *d++ = static_cast<char>(0xF0 | (cp >> 18));
      *d++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *d++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *d++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

}  // namespace qv
