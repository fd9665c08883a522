// Parsing and applying edit masks.
#include "classlib/stdctrls/EditMask.h"

namespace qv {

namespace {

// The date and time separators of the fixed formats (dd/mm/yyyy, hh:nn:ss).
constexpr char16_t kDateSeparator = u'/', kTimeSeparator = u':';

bool IsLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0xC0;
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Splits "mask;save;blank" at the last two unescaped semicolons.
void SplitFields(const std::u16string& all, std::u16string& mask, std::u16string& save,
                 std::u16string& blank) {
  std::vector<size_t> semis;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == u'\\') {
      ++i;
      continue;
    }
    if (all[i] == u';') semis.push_back(i);
  }
  mask = all;
  if (semis.size() >= 2) {
    size_t a = semis[semis.size() - 2], b = semis.back();
    mask = all.substr(0, a);
    save = all.substr(a + 1, b - a - 1);
    blank = all.substr(b + 1);
  } else if (semis.size() == 1) {
    mask = all.substr(0, semis[0]);
    save = all.substr(semis[0] + 1);
  }
}

}  // namespace

TEditMask::TEditMask(const std::u16string& all) {
  std::u16string mask, save, blank;
  SplitFields(all, mask, save, blank);
  saveLiterals_ = save.empty() || save[0] != u'0';
  if (!blank.empty()) blank_ = blank[0];
  int caseRule = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    char16_t c = mask[i];
    Position p;
    p.caseRule = caseRule;
    switch (c) {
      case u'!':
        leadingBlanks_ = true;
        continue;
      case u'>':
        if (i + 1 < mask.size() && mask[i + 1] == u'<') {
          caseRule = 0;
          ++i;
        } else {
          caseRule = 1;
        }
        continue;
      case u'<':
        caseRule = -1;
        continue;
      case u'\\':
        if (++i >= mask.size()) continue;
        p.literal = mask[i];
        break;
      case u'L':
        p.kind = Letter, p.required = true;
        break;
      case u'l':
        p.kind = Letter;
        break;
      case u'A':
        p.kind = AlphaNum, p.required = true;
        break;
      case u'a':
        p.kind = AlphaNum;
        break;
      case u'C':
        p.kind = AnyChar, p.required = true;
        break;
      case u'c':
        p.kind = AnyChar;
        break;
      case u'0':
        p.kind = Digit, p.required = true;
        break;
      case u'9':
        p.kind = Digit;
        break;
      case u'#':
        p.kind = DigitSign;
        break;
      case u':':
        p.literal = kTimeSeparator;
        break;
      case u'/':
        p.literal = kDateSeparator;
        break;
      case u'_':
        p.literal = u' ';
        break;
      default:
        p.literal = c;
    }
    positions_.push_back(p);
  }
}

int TEditMask::NextEditable(int pos, int dir) const {
  for (int i = pos; i >= 0 && i < Length(); i += dir)
    if (IsEditable(i)) return i;
  return -1;
}

char16_t TEditMask::Accept(int i, char16_t c) const {
  if (!IsEditable(i)) return 0;
  const Position& p = At(i);
  bool ok = false;
  switch (p.kind) {
    case Letter:
      ok = IsLetter(c);
      break;
    case AlphaNum:
      ok = IsLetter(c) || IsDigit(c);
      break;
    case AnyChar:
      ok = c >= 0x20;
      break;
    case Digit:
      ok = IsDigit(c);
      break;
    case DigitSign:
      ok = IsDigit(c) || c == u'+' || c == u'-';
      break;
    case Literal:
      break;
  }
  if (!ok) return 0;
  if (p.caseRule > 0 && c >= u'a' && c <= u'z') c = char16_t(c - 32);
  if (p.caseRule < 0 && c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  return c;
}

std::u16string TEditMask::EmptyText() const {
  std::u16string out;
  for (auto& p : positions_) out += p.kind == Literal ? p.literal : blank_;
  return out;
}

std::u16string TEditMask::Format(const std::u16string& value) const {
  std::u16string out = EmptyText();
  if (saveLiterals_) {
    for (int i = 0; i < Length() && i < int(value.size()); ++i)
      if (IsEditable(i)) {
        char16_t c = Accept(i, value[size_t(i)]);
        if (c) out[size_t(i)] = c;
      }
    return out;
  }
  size_t next = 0;
  for (int i = 0; i < Length() && next < value.size(); ++i) {
    if (!IsEditable(i)) continue;
    char16_t c = Accept(i, value[next++]);
    if (c) out[size_t(i)] = c;
  }
  return out;
}

std::u16string TEditMask::Value(const std::u16string& shown) const {
  std::u16string out;
  for (int i = 0; i < Length(); ++i) {
    char16_t c = i < int(shown.size()) ? shown[size_t(i)] : blank_;
    if (!IsEditable(i)) {
      if (saveLiterals_) out += At(i).literal;
      continue;
    }
    out += c == blank_ ? u' ' : c;
  }
  return out;
}

int TEditMask::FirstMissing(const std::u16string& shown) const {
  for (int i = 0; i < Length(); ++i) {
    if (!IsEditable(i) || !At(i).required) continue;
    char16_t c = i < int(shown.size()) ? shown[size_t(i)] : blank_;
    if (c == blank_ || c == u' ') return i;
  }
  return -1;
}

}  // namespace qv
