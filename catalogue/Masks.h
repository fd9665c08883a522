// Wildcard masks for file and folder names: "*" any run of characters (also
// none), "?" exactly one character, "[set]" one character of the set (ranges
// such as a-z allowed), "[!set]" one character outside it. Letters compare
// with the catalogue's case folding (see Names.h); characters are code points.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace qv {

// Raised for a malformed mask: an unclosed or empty set, a "-" without a
// start or an end, or more than 30 parts.
class EMaskException : public Exception {
 public:
  using Exception::Exception;
};

enum class TMaskSyntax : uint8_t {
  Mask,         // the full syntax above
  FilePattern,  // the file system's enumeration pattern: "*" and "?" only, "[" is literal
};

// A compiled mask, for testing many names against one mask.
class TMask {
 public:
  // Raises EMaskException when the mask is malformed (never for FilePattern).
  explicit TMask(std::string_view mask, TMaskSyntax syntax = TMaskSyntax::Mask);
  bool Matches(std::string_view name) const;

  static constexpr int kMaxParts = 30;

 private:
  enum class Op : uint8_t { Char, AnyChar, AnyRun, Set };
  struct Item {
    Op op;
    bool negated = false;  // Set: "[!...]"
    char32_t ch = 0;       // Char: the folded code point
    uint32_t first = 0;    // Set: its ranges in ranges_
    uint32_t count = 0;
  };
  struct Range {
    char32_t lo, hi;
  };

  void Compile(std::string_view mask);
  void CompilePattern(std::string_view pattern);
  std::size_t CompileSet(std::string_view mask, std::size_t i);
  void AddItem(Item item);
  bool ItemMatches(const Item& item, char32_t cp) const;
  bool InSet(const Item& item, char32_t cp) const;

  void PrepareTail();
  bool TailRejects(std::string_view name) const;

  std::vector<Item> items_;
  std::vector<Range> ranges_;
  // The folded ASCII characters the mask ends with after its last "*": a
  // name whose last bytes are ASCII and differ from them cannot match, which
  // spares the full walk for most names under a mask such as "*.txt".
  std::string tail_;
  int parts_ = 0;
  bool lastWasChar_ = false;
  bool matchesNothing_ = false;
};

// True when name matches mask; raises EMaskException for a malformed mask.
bool MatchesMask(std::string_view name, std::string_view mask);

// The enumeration pattern rule of the file system: "*" and "?" as in a mask,
// every other character literal (case folded), "*.*" matches every name and an
// empty pattern none. Never raises.
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

}  // namespace qv
