// The text of an edit control with an index of its display lines. Lines
// break after "\n" (a "\r\n" pair counts as one break) and, when wrapping is
// on, before a word that would cross the wrap width. A change re-lays only
// the paragraphs it touches and shifts the line starts after them, so loading
// and editing stay linear in the size of the text.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class EditText {
 public:
  using WidthFn = std::function<int(char16_t)>;

  EditText() : starts_{0} {}
  const std::u16string& Str() const { return text_; }
  int Length() const { return int(text_.size()); }
  int LineCount() const { return int(starts_.size()); }
  int LineStart(int line) const { return starts_[size_t(line)]; }
  // The end of the line's characters: before its break, if it has one.
  int LineEnd(int line) const;
  int LineLength(int line) const { return LineEnd(line) - LineStart(line); }
  // The display line holding `pos` (a position at a wrap point starts the next line).
  int LineOf(int pos) const;
  // The longest line in characters; kept up to date as lines are added, and
  // counted again only after the longest line itself changed.
  int MaxLineLength() const;

  // width 0 turns wrapping off. Lays out the whole text again.
  void SetWrap(int width, WidthFn measure);
  void Assign(std::u16string text);
  void Replace(int pos, int length, std::u16string_view with);

 private:
  int ParagraphEnd(int pos) const;
  // Line starts of the paragraphs from `from` (a paragraph start) through the
  // one holding `last`.
  void Layout(int from, int last, std::vector<int>& out) const;
  void WrapParagraph(int begin, int end, std::vector<int>& out) const;

  std::u16string text_;
  std::vector<int> starts_;
  mutable int maxLength_ = 0;
  mutable bool maxKnown_ = false;
  int wrapWidth_ = 0;
  WidthFn measure_;
};

}  // namespace qv
