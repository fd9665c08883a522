// TRichEdit.
#include "classlib/comctrls/RichEdit.h"

#include <algorithm>

#include "platform/Utf.h"

namespace qv {

namespace {

char16_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return char16_t(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 32);
  return c;
}

bool IsWordChar(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' ||
         c >= 0xC0;
}

}  // namespace

TRichEdit::TRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {
  SetBounds(0, 0, 185, 89);
}

int TRichEdit::FindText(const std::string& SearchStr, int StartPos, int Length, TSearchTypes Options) {
  std::u16string needle = Utf8ToUtf16(SearchStr);
  std::u16string text = Utf8ToUtf16(Text());
  int size = int(text.size());
  if (needle.empty() || StartPos < 0 || StartPos > size) return -1;
  int end = Length < 0 ? size : int(std::min<int64_t>(int64_t(StartPos) + Length, size));
  bool matchCase = Options.Contains(stMatchCase);
  bool whole = Options.Contains(stWholeWord);
  int n = int(needle.size());
  if (!matchCase) std::transform(needle.begin(), needle.end(), needle.begin(), Fold);
  for (int at = StartPos; at + n <= end; ++at) {
    int k = 0;
    while (k < n && (matchCase ? text[size_t(at + k)] : Fold(text[size_t(at + k)])) == needle[size_t(k)]) ++k;
    if (k < n) continue;
    if (whole &&
        ((at > 0 && IsWordChar(text[size_t(at - 1)])) || (at + n < size && IsWordChar(text[size_t(at + n)]))))
      continue;
    return at;
  }
  return -1;
}

}  // namespace qv
