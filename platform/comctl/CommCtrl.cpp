// Registration of the common-control classes and the helpers they share.
#include "platform/comctl/CommCtrl.h"

#include <algorithm>

#include "platform/comctl/BarControls.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/MessageQueue.h"

namespace qv {

void RegisterCommonControls() {
  RegisterSystemControls();  // the label editors are EDIT windows
  RegisterTreeViewClass();
  RegisterHeaderClass();
  RegisterListViewClass();
  RegisterBarControls();
}

namespace comctl {

LRESULT Notify(HWND hwnd, NMHDR& hdr, UINT code) {
  hdr.hwndFrom = hwnd;
  hdr.idFrom = uintptr_t(GetWindowLongPtrW(hwnd, GWLP_ID));
  hdr.code = code;
  HWND parent = GetParent(hwnd);
  if (!parent) return 0;
  return SendMessageW(parent, WM_NOTIFY, hdr.idFrom, LPARAM(&hdr));
}

LRESULT SimpleNotify(HWND hwnd, UINT code) {
  NMHDR hdr;
  return Notify(hwnd, hdr, code);
}

namespace {
char32_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  return c;
}
}  // namespace

int CompareText(const std::u16string& a, const std::u16string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char32_t x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

bool StartsWithText(const std::u16string& text, const std::u16string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Fold(text[i]) != Fold(prefix[i])) return false;
  return true;
}

bool TypedPrefixMatches(const std::u16string& text, const std::u16string& typed) {
  if (!typed.empty() && typed[0] == u' ') return StartsWithText(text, typed);
  const size_t from = text.find_first_not_of(u' ');
  return from != std::u16string::npos && StartsWithText(text.substr(from), typed);
}

void CopyText(const std::u16string& text, char16_t* buffer, int max) {
  if (!buffer || max <= 0) return;
  size_t n = std::min(text.size(), size_t(max - 1));
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
}

void DrawCheckBox(HDC dc, const RECT& r, bool checked) {
  RECT box{r.left + (r.Width() - 13) / 2, r.top + (r.Height() - 13) / 2, 0, 0};
  box.right = box.left + 13;
  box.bottom = box.top + 13;
  DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
}

COLORREF ColourOr(COLORREF set, int sysColour) {
  return set == CLR_DEFAULT_COLOR || set == CLR_INVALID ? GetSysColor(sysColour) : set;
}

}  // namespace comctl
}  // namespace qv
