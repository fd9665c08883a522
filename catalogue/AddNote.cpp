// The note of an add under way, as one line of xbase.vlm: the label goes in
// hex (its UTF-8 bytes), so that any label is one line and no separator.
#include "catalogue/AddNote.h"

#include <charconv>

namespace qv {

namespace {

std::string HexOf(const std::string& text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(text.size() * 2);
  for (unsigned char c : text) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

int DigitOf(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// False for a text that is not whole bytes of upper-case hex.
bool TextOfHex(const std::string& hex, std::string& text) {
  if (hex.size() % 2 != 0) return false;
  text.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = DigitOf(hex[i]), lo = DigitOf(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    text += char(hi * 16 + lo);
  }
  return true;
}

// A decimal number of at least 1 digit, without sign or leading blanks.
bool NumberOf(const std::string& text, int64_t& n) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  return error == std::errc() && end == text.data() + text.size() && n >= 0;
}

}  // namespace

// A note of neither form is Damaged and names nothing: not a label read in
// part, nor an ID.
TAddNote TAddNote::Parse(const std::string& value) {
  TAddNote note;
  if (value.empty()) return note;
  note.Form = TForm::Damaged;
  std::string label;
  const std::size_t first = value.find(':');
  if (first == std::string::npos) {
    // A record ID in 16 hex digits begins with a zero byte, which no label
    // does: a label's hex never reads as one.
    if (value.size() == 16 && TextOfHex(value, label) && label[0] == '\0') {
      note.Form = TForm::EarlierId;
      note.ID = int64_t(std::stoull(value, nullptr, 16));
      return note;
    }
    if (TextOfHex(value, label) && !label.empty()) {
      note.Form = TForm::Earlier;
      note.Label = label;
    }
    return note;
  }
  const std::size_t second = value.find(':', first + 1);
  if (second == std::string::npos) return note;
  int64_t id = -1, position = -1;
  const std::string pos = value.substr(first + 1, second - first - 1);
  if (!NumberOf(value.substr(0, first), id) || id <= 0 || (!pos.empty() && !NumberOf(pos, position)) ||
      !TextOfHex(value.substr(second + 1), label))
    return note;
  note.Form = TForm::Ours;
  note.ID = id;
  note.Position = position;
  note.Label = label;
  return note;
}

std::string TAddNote::ToText() const {
  return std::to_string(ID) + ":" + (Position >= 0 ? std::to_string(Position) : std::string()) + ":" +
         HexOf(Label);
}

}  // namespace qv
