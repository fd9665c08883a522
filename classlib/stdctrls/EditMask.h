// The edit-mask language of the mask edit: "mask;save-literals;blank".
// Mask characters: ! (optional characters are kept as leading blanks),
// > < <> (case of what follows), \ (the next character is literal), L l
// (letter, required / optional), A a (letter or digit), C c (any character),
// 0 9 (digit), # (digit or sign, optional), : / (time and date separators),
// _ (a blank literal). Anything else is a literal. The save field is "0" when
// Text leaves the literals out; the blank field is the character shown in
// empty positions ("_" when missing).
#pragma once
#include <string>
#include <vector>

namespace qv {

class TEditMask {
 public:
  enum Kind { Literal, Letter, AlphaNum, AnyChar, Digit, DigitSign };
  struct Position {
    Kind kind = Literal;
    bool required = false;
    char16_t literal = 0;
    int caseRule = 0;  // 1 upper, -1 lower
  };

  TEditMask() = default;
  explicit TEditMask(const std::u16string& mask);
  bool Empty() const { return positions_.empty(); }
  int Length() const { return int(positions_.size()); }
  const Position& At(int i) const { return positions_[size_t(i)]; }
  bool SaveLiterals() const { return saveLiterals_; }
  char16_t Blank() const { return blank_; }
  bool LeadingBlanks() const { return leadingBlanks_; }

  bool IsEditable(int i) const { return i >= 0 && i < Length() && At(i).kind != Literal; }
  // The first editable position at or after (dir 1) / before (dir -1) pos; -1 when none.
  int NextEditable(int pos, int dir) const;
  // The character as stored at position i, or 0 when it does not fit there.
  char16_t Accept(int i, char16_t c) const;

  // The text shown for an empty field: literals and blanks.
  std::u16string EmptyText() const;
  // Shown text from a value: with saved literals the value lines up with the
  // mask; without, its characters fill the editable positions in order.
  std::u16string Format(const std::u16string& value) const;
  // The value of shown text: blanks become spaces; literals stay only when saved.
  std::u16string Value(const std::u16string& shown) const;
  // The first required position that is empty in the shown text; -1 when complete.
  int FirstMissing(const std::u16string& shown) const;

 private:
  std::vector<Position> positions_;
  bool saveLiterals_ = true;
  bool leadingBlanks_ = false;
  char16_t blank_ = u'_';
};

}  // namespace qv
