// Line index of the edit control's text: layout of paragraphs into display
// lines and incremental updates on replacement.
#include "platform/controls/EditText.h"

#include <algorithm>

namespace qv {

int EditText::LineEnd(int line) const {
  int start = starts_[size_t(line)];
  int end = line + 1 < LineCount() ? starts_[size_t(line) + 1] : Length();
  if (end > start && text_[size_t(end) - 1] == u'\n') {
    --end;
    if (end > start && text_[size_t(end) - 1] == u'\r') --end;
  }
  return end;
}

int EditText::LineOf(int pos) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
  return std::max(0, int(it - starts_.begin()) - 1);
}

int EditText::MaxLineLength() const {
  if (!maxKnown_) {
    maxLength_ = 0;
    for (int i = 0; i < LineCount(); ++i) maxLength_ = std::max(maxLength_, LineLength(i));
    maxKnown_ = true;
  }
  return maxLength_;
}

void EditText::SetWrap(int width, WidthFn measure) {
  wrapWidth_ = std::max(0, width);
  measure_ = std::move(measure);
  starts_.clear();
  Layout(0, Length(), starts_);
  maxKnown_ = false;
}

void EditText::Assign(std::u16string text) {
  text_ = std::move(text);
  starts_.clear();
  Layout(0, Length(), starts_);
  maxKnown_ = false;
}

int EditText::ParagraphEnd(int pos) const {
  auto at = text_.find(u'\n', size_t(pos));
  return at == std::u16string::npos ? Length() : int(at);
}

void EditText::WrapParagraph(int begin, int end, std::vector<int>& out) const {
  out.push_back(begin);
  if (!wrapWidth_ || !measure_) return;
  int lineStart = begin, x = 0, breakAt = -1;
  for (int i = begin; i < end; ++i) {
    char16_t c = text_[size_t(i)];
    if (c == u'\r' && i + 1 == end) break;
    int w = measure_(c);
    if (x + w > wrapWidth_ && i > lineStart && c != u' ') {
      // Break after the last blank of the line, or inside a word too long for it.
      int next = breakAt > lineStart ? breakAt : i;
      out.push_back(next);
      lineStart = next;
      breakAt = -1;
      x = 0;
      for (int j = next; j < i; ++j) x += measure_(text_[size_t(j)]);
    }
    x += w;
    if (c == u' ' || c == u'\t') breakAt = i + 1;
  }
}

void EditText::Layout(int from, int last, std::vector<int>& out) const {
  int begin = from;
  for (;;) {
    int end = ParagraphEnd(begin);
    WrapParagraph(begin, end, out);
    if (end >= Length() || end >= last) break;
    begin = end + 1;
  }
}

void EditText::Replace(int pos, int length, std::u16string_view with) {
  pos = std::clamp(pos, 0, Length());
  length = std::clamp(length, 0, Length() - pos);
  // The paragraph the change starts in, found through the line index.
  int first = LineOf(pos);
  while (first > 0 && text_[size_t(starts_[size_t(first)]) - 1] != u'\n') --first;
  int paraStart = starts_[size_t(first)];
  int oldEnd = ParagraphEnd(pos + length);
  // Lines starting after the old paragraph end belong to later paragraphs.
  auto keepFrom = std::upper_bound(starts_.begin(), starts_.end(), oldEnd);
  if (oldEnd < Length()) keepFrom = std::lower_bound(starts_.begin(), starts_.end(), oldEnd + 1);
  size_t firstKept = size_t(keepFrom - starts_.begin());
  // Losing the longest line means counting again; new lines can only raise it.
  if (maxKnown_)
    for (size_t i = size_t(first); i < firstKept && maxKnown_; ++i)
      if (LineLength(int(i)) >= maxLength_) maxKnown_ = false;

  text_.replace(size_t(pos), size_t(length), with);
  int delta = int(with.size()) - length;
  std::vector<int> fresh;
  Layout(paraStart, oldEnd + delta, fresh);
  for (size_t i = firstKept; i < starts_.size(); ++i) starts_[i] += delta;
  starts_.erase(starts_.begin() + first, starts_.begin() + long(firstKept));
  starts_.insert(starts_.begin() + first, fresh.begin(), fresh.end());
  if (maxKnown_)
    for (size_t i = 0; i < fresh.size(); ++i) maxLength_ = std::max(maxLength_, LineLength(first + int(i)));
}

}  // namespace qv
