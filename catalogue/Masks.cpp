// Mask compilation and matching. A compiled mask is a list of items that each
// take one code point, plus "any run" items; matching is the usual greedy walk
// that backs up to the last "any run", so its cost stays n × m at worst.
#include "catalogue/Masks.h"

#include "catalogue/Names.h"
#include "platform/Utf.h"

namespace qv {

namespace {

[[noreturn]] void Malformed(std::string_view mask, const char* reason) {
  throw EMaskException("Invalid mask \"" + std::string(mask) + "\": " + reason);
}

}  // namespace

TMask::TMask(std::string_view mask, TMaskSyntax syntax) {
  if (syntax == TMaskSyntax::FilePattern)
    CompilePattern(mask);
  else
    Compile(mask);
  PrepareTail();
}

void TMask::PrepareTail() {
  std::size_t first = items_.size();
  while (first > 0 && items_[first - 1].op == Op::Char && items_[first - 1].ch < 0x80) --first;
  if (first > 0 && items_[first - 1].op != Op::AnyRun) return;  // a wildcard or set ends the run
  for (std::size_t i = first; i < items_.size(); ++i) tail_ += char(items_[i].ch);
}

// An ASCII byte is a character of its own, so when a name's last bytes are
// all ASCII they are its last characters.
bool TMask::TailRejects(std::string_view name) const {
  if (tail_.empty()) return false;
  if (name.size() < tail_.size()) return true;
  const std::string_view end = name.substr(name.size() - tail_.size());
  for (char c : end)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  for (std::size_t k = 0; k < end.size(); ++k) {
    char c = end[k];
    if (c >= 'A' && c <= 'Z') c = char(c + ('a' - 'A'));
    if (c != tail_[k]) return true;
  }
  return false;
}

void TMask::AddItem(Item item) {
  // A run of plain characters is one part; so is each wildcard and each set.
  bool isChar = item.op == Op::Char;
  if (!(isChar && lastWasChar_)) ++parts_;
  lastWasChar_ = isChar;
  items_.push_back(item);
}

void TMask::Compile(std::string_view mask) {
  for (std::size_t i = 0; i < mask.size();) {
    char32_t cp = DecodeUtf8(mask, i);
    if (cp == '*') {
      if (items_.empty() || items_.back().op != Op::AnyRun) AddItem({Op::AnyRun});
    } else if (cp == '?') {
      AddItem({Op::AnyChar});
    } else if (cp == '[') {
      i = CompileSet(mask, i);
    } else {
      AddItem({Op::Char, false, FoldCodePoint(cp)});
    }
    if (parts_ > kMaxParts) Malformed(mask, "too many parts");
  }
}

// Reads a set whose "[" ends before i; returns the position after its "]".
std::size_t TMask::CompileSet(std::string_view mask, std::size_t i) {
  Item set{Op::Set};
  set.first = uint32_t(ranges_.size());
  if (i < mask.size() && mask[i] == '!') {
    set.negated = true;
    ++i;
  }
  for (;;) {
    if (i >= mask.size()) Malformed(mask, "unclosed set");
    char32_t lo = DecodeUtf8(mask, i);
    if (lo == ']') break;
    if (lo == '-') Malformed(mask, "\"-\" without a start");
    char32_t hi = lo;
    if (i < mask.size() && mask[i] == '-') {
      ++i;
      if (i >= mask.size()) Malformed(mask, "unclosed set");
      hi = DecodeUtf8(mask, i);
      if (hi == ']') Malformed(mask, "\"-\" without an end");
    }
    ranges_.push_back({lo, hi});
    ++set.count;
  }
  if (set.count == 0) Malformed(mask, "empty set");
  AddItem(set);
  return i;
}

void TMask::CompilePattern(std::string_view pattern) {
  if (pattern.empty()) matchesNothing_ = true;
  if (pattern == "*.*") pattern = "*";
  for (std::size_t i = 0; i < pattern.size();) {
    char32_t cp = DecodeUtf8(pattern, i);
    if (cp == '*') {
      if (items_.empty() || items_.back().op != Op::AnyRun) items_.push_back({Op::AnyRun});
    } else if (cp == '?') {
      items_.push_back({Op::AnyChar});
    } else {
      items_.push_back({Op::Char, false, FoldCodePoint(cp)});
    }
  }
}

// A character is in a set when its folded form lies within a folded range,
// so a set folds case exactly as a plain mask character and the name order
// do: [A-Z] and [a-z] take every letter of either case, and a character that
// folds to none of the set's (dotless i for [I]) stays out.
bool TMask::InSet(const Item& item, char32_t cp) const {
  const char32_t folded = FoldCodePoint(cp);
  for (uint32_t k = item.first; k < item.first + item.count; ++k) {
    const Range& r = ranges_[k];
    if (folded >= FoldCodePoint(r.lo) && folded <= FoldCodePoint(r.hi)) return true;
  }
  return false;
}

bool TMask::ItemMatches(const Item& item, char32_t cp) const {
  switch (item.op) {
    case Op::Char:
      return FoldCodePoint(cp) == item.ch;
    case Op::AnyChar:
      return true;
    case Op::Set:
      return InSet(item, cp) != item.negated;
    case Op::AnyRun:
      break;
  }
  return false;
}

bool TMask::Matches(std::string_view name) const {
  if (matchesNothing_ || TailRejects(name)) return false;
  const std::size_t m = items_.size();
  std::size_t i = 0, j = 0;               // item, byte position in name
  std::size_t starItem = m, starPos = 0;  // the last "any run" and where its run ends
  while (j < name.size()) {
    if (i < m && items_[i].op == Op::AnyRun) {
      // A run that ends the mask takes the rest of the name, whatever it is:
      // "*" and "abc*" need not walk it.
      if (i + 1 == m) return true;
      starItem = i++;
      starPos = j;
      continue;
    }
    std::size_t next = j;
    char32_t cp = DecodeUtf8(name, next);
    if (i < m && ItemMatches(items_[i], cp)) {
      ++i;
      j = next;
      continue;
    }
    if (starItem == m) return false;
    // Let the last "any run" take one more character and try again after it.
    DecodeUtf8(name, starPos);
    i = starItem + 1;
    j = starPos;
  }
  while (i < m && items_[i].op == Op::AnyRun) ++i;
  return i == m;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  return TMask(mask).Matches(name);
}

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
  return TMask(pattern, TMaskSyntax::FilePattern).Matches(name);
}

}  // namespace qv
