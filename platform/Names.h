// The catalogue's name order: Unicode simple case folding, then code-point
// order. Invalid UTF-8 bytes order after all valid text. Every prefix range of
// a list sorted this way is contiguous, which the search's index ranges need.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// Simple case folding of one code point (values above U+10FFFF, the decoded
// invalid bytes, are returned unchanged).
char32_t FoldCodePoint(char32_t cp);
// Simple lower and upper case of one code point, unchanged outside Unicode.
char32_t LowerCodePoint(char32_t cp);
char32_t UpperCodePoint(char32_t cp);

// Negative, zero or positive as a orders before, with or after b. Names that
// differ only in letter case compare equal.
int CompareNames(std::string_view a, std::string_view b);
// The order of the name indexes: CompareNames first, then the exact code
// points, so every spelling of a name is a record of its own while all
// spellings stay side by side. Zero only for the same bytes.
int CompareStoredNames(std::string_view a, std::string_view b);
// Names the order of CompareStoredNames and the Unicode version of the case
// folding data it uses: an index sorted under another tag must be re-sorted.
std::string NameOrderTag();
// A hash of the bytes of a name.
uint64_t ExactHash(std::string_view s);
inline bool SameName(std::string_view a, std::string_view b) {
  return CompareNames(a, b) == 0;
}

// Where name stands relative to the run of names that start with prefix:
// zero when name starts with prefix (folded), negative when name orders before
// every such name, positive when after. Monotone over a sorted list, so two
// binary searches find the run.
int CompareNamePrefix(std::string_view name, std::string_view prefix);
inline bool StartsWithFolded(std::string_view name, std::string_view prefix) {
  return CompareNamePrefix(name, prefix) == 0;
}

// The text in simple lower case, or case folded; invalid bytes are kept as
// they are. SameName(a, b) holds exactly when FoldName(a) == FoldName(b).
std::string LowerCaseName(std::string_view s);
std::string FoldName(std::string_view s);

}  // namespace qv
