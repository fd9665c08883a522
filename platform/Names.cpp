// Name comparison: per code point simple case folding (ICU, default rules)
// and code-point order, with an ASCII fast path and a table for the first
// 2048 code points, so that index searches stay cheap.
#include "platform/Names.h"

#include <unicode/uchar.h>
#include <unicode/uversion.h>

#include <array>

#include "platform/Utf.h"

namespace qv {

namespace {

constexpr char32_t kTableSize = 0x800;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

// Folded values of U+0000..U+07FF: covers Latin, Greek and Cyrillic without
// a call into ICU.
const std::array<char32_t, kTableSize>& FoldTable() {
  static const std::array<char32_t, kTableSize> table = [] {
    std::array<char32_t, kTableSize> t{};
    for (char32_t c = 0; c < kTableSize; ++c) t[c] = char32_t(u_foldCase(UChar32(c), U_FOLD_CASE_DEFAULT));
    return t;
  }();
  return table;
}

inline unsigned char AsciiFold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

// The folded code point at s[i], advancing i.
inline char32_t NextFolded(std::string_view s, std::size_t& i) {
  return FoldCodePoint(DecodeUtf8(s, i));
}

// Compares folded code points of a and b until one runs out; i and j end
// where the comparison stopped. Zero means one is a folded prefix of the other.
int CompareFoldedRun(std::string_view a, std::string_view b, std::size_t& i, std::size_t& j) {
  while (i < a.size() && j < b.size()) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[j]);
    if ((ca | cb) < 0x80) {
      if (ca != cb) {
        unsigned char fa = AsciiFold(ca), fb = AsciiFold(cb);
        if (fa != fb) return fa < fb ? -1 : 1;
      }
      ++i, ++j;
      continue;
    }
    char32_t x = NextFolded(a, i);
    char32_t y = NextFolded(b, j);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

char32_t FoldCodePoint(char32_t cp) {
  if (cp < kTableSize) return FoldTable()[cp];
  if (cp > kMaxCodePoint) return cp;
  return char32_t(u_foldCase(UChar32(cp), U_FOLD_CASE_DEFAULT));
}

char32_t LowerCodePoint(char32_t cp) {
  return cp > kMaxCodePoint ? cp : char32_t(u_tolower(UChar32(cp)));
}

char32_t UpperCodePoint(char32_t cp) {
  return cp > kMaxCodePoint ? cp : char32_t(u_toupper(UChar32(cp)));
}

std::string NameOrderTag() {
  UVersionInfo version;
  u_getUnicodeVersion(version);
  char text[U_MAX_VERSION_STRING_LENGTH] = {};
  u_versionToString(version, text);
  return std::string("simple-fold,code-point/unicode-") + text;
}

uint64_t ExactHash(std::string_view s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

int CompareNames(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  if (int r = CompareFoldedRun(a, b, i, j)) return r;
  if (i < a.size()) return 1;
  return j < b.size() ? -1 : 0;
}

int CompareStoredNames(std::string_view a, std::string_view b) {
  if (int r = CompareNames(a, b)) return r;
  // Code-point order, in which an invalid byte follows all valid text.
  for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
    char32_t x = DecodeUtf8(a, i), y = DecodeUtf8(b, j);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

int CompareNamePrefix(std::string_view name, std::string_view prefix) {
  std::size_t i = 0, j = 0;
  if (int r = CompareFoldedRun(name, prefix, i, j)) return r;
  // A name shorter than the prefix orders before every name that carries it.
  return j < prefix.size() ? -1 : 0;
}

namespace {

template <class Map>
std::string MapCodePoints(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += char(AsciiFold(c));
      ++i;
      continue;
    }
    char32_t cp = DecodeUtf8(s, i);
    if (cp > kMaxCodePoint)
      out += char(cp - (kMaxCodePoint + 1));  // an invalid byte stays as it was
    else
      AppendUtf8(out, map(cp));
  }
  return out;
}

}  // namespace

std::string LowerCaseName(std::string_view s) {
  return MapCodePoints(s, LowerCodePoint);
}

std::string FoldName(std::string_view s) {
  return MapCodePoints(s, FoldCodePoint);
}

}  // namespace qv
