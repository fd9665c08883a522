// Painting helpers shared by the system control classes.
#include "platform/controls/ControlPaint.h"

#include <algorithm>

#include "platform/gdi/SystemColors.h"
#include "platform/window/MessageQueue.h"

namespace qv::ctl {

namespace {
constexpr const char16_t* kFontProp = u"QvControlFont";
}

HBRUSH ParentColours(HWND hwnd, HDC dc, UINT msg, int defaultBackground) {
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(defaultBackground));
  HBRUSH brush = nullptr;
  HWND parent = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
  if (parent) brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, msg, WPARAM(dc), LPARAM(hwnd)));
  return brush ? brush : SysBrush(defaultBackground);
}

void DrawControlText(HDC dc, const std::u16string& text, RECT r, UINT format, bool enabled) {
  int mode = SetBkMode(dc, TRANSPARENT);
  if (enabled) {
    DrawTextW(dc, text.c_str(), int(text.size()), &r, format);
  } else {
    COLORREF old = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    DrawTextW(dc, text.c_str(), int(text.size()), &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextW(dc, text.c_str(), int(text.size()), &r, format);
    SetTextColor(dc, old);
  }
  SetBkMode(dc, mode);
}

std::u16string WindowText(HWND hwnd) {
  std::u16string s(size_t(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  s.resize(size_t(GetWindowTextW(hwnd, s.data(), int(s.size()))));
  return s;
}

void NotifyParent(HWND hwnd, WORD code) {
  HWND parent = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
  if (!parent) return;
  auto id = GetWindowLongPtrW(hwnd, GWLP_ID);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(int(id), code), LPARAM(hwnd));
}

HFONT ControlFont(HWND hwnd) {
  auto f = reinterpret_cast<HFONT>(GetPropW(hwnd, kFontProp));
  return f ? f : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void SetControlFont(HWND hwnd, HFONT font) {
  SetPropW(hwnd, kFontProp, font);
}

void ForgetControlFont(HWND hwnd) {
  RemovePropW(hwnd, kFontProp);
}

int FontHeight(HFONT font) {
  // A memory DC measures as well as the screen's, which would compose the
  // whole screen (and read the desktop back) for one font's height.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? HGDIOBJ(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::max(1, int(tm.tmHeight));
}

std::optional<LRESULT> TextControlMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, w, l);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      SetControlFont(hwnd, reinterpret_cast<HFONT>(w));
      if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return LRESULT(GetPropW(hwnd, kFontProp));
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
  }
  return std::nullopt;
}

}  // namespace qv::ctl
