// Edit control layout: the font and its measures, the formatting rectangle,
// positions of characters on screen and back, scrolling and the caret.
#include <algorithm>

#include "platform/controls/EditControl.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"

namespace qv::edit {
namespace {

int TabWidth(const EditState& s) {
  return std::max(1, s.aveChar * 8);
}

// Advances x over one display character; tabs move to the next tab stop.
int Advance(EditState& s, int x, char16_t c) {
  if (c == u'\t') return (x / TabWidth(s) + 1) * TabWidth(s);
  return x + CharWidth(s, c);
}

int FormatWidth(const EditState& s) {
  return std::max(0, int(s.fmt.right - s.fmt.left));
}

}  // namespace

void SetFont(EditState& s, HFONT font) {
  s.font = font ? font : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!s.measureDC) s.measureDC = CreateCompatibleDC(nullptr);
  SelectObject(s.measureDC, s.font);
  TEXTMETRICW tm{};
  GetTextMetricsW(s.measureDC, &tm);
  s.lineHeight = std::max(1, int(tm.tmHeight));
  s.aveChar = std::max(1, int(tm.tmAveCharWidth));
  s.widths.assign(0x10000, int16_t(-1));
}

int CharWidth(EditState& s, char16_t c) {
  int16_t& w = s.widths[c];
  if (w < 0) {
    int got = 0;
    GetCharWidth32W(s.measureDC, c, c, &got);
    w = int16_t(std::clamp(got, 0, 0x7FFF));
  }
  return w;
}

void UpdateFormatRect(EditState& s) {
  if (s.fmtExplicit) return;
  RECT c{};
  GetClientRect(s.hwnd, &c);
  s.fmt = c;
  s.fmt.left += s.leftMargin;
  s.fmt.right = std::max(s.fmt.left, c.right - s.rightMargin);
  if (!s.Multi() && c.bottom - c.top >= s.lineHeight + 2) s.fmt.top += 1;
}

void Relayout(EditState& s) {
  if (s.Wraps())
    s.text.SetWrap(std::max(1, FormatWidth(s)), [&s](char16_t c) { return Advance(s, 0, c); });
  else
    s.text.SetWrap(0, nullptr);
}

std::u16string LineText(EditState& s, int line) {
  int start = s.text.LineStart(line), end = s.text.LineEnd(line);
  if (s.password && !s.Multi()) return std::u16string(size_t(end - start), s.password);
  return s.text.Str().substr(size_t(start), size_t(end - start));
}

static int WidthUpTo(EditState& s, int line, int pos) {
  int start = s.text.LineStart(line);
  pos = std::clamp(pos, start, s.text.LineEnd(line));
  const std::u16string& t = s.text.Str();
  int x = 0;
  bool masked = s.password && !s.Multi();
  for (int i = start; i < pos; ++i) x = Advance(s, x, masked ? s.password : t[size_t(i)]);
  return x;
}

int XOfPos(EditState& s, int pos) {
  return WidthUpTo(s, s.text.LineOf(pos), pos);
}

int LineOffset(EditState& s, int line) {
  DWORD align = s.Style() & (ES_CENTER | ES_RIGHT);
  if (!align) return 0;
  int width = WidthUpTo(s, line, s.text.LineEnd(line));
  int room = FormatWidth(s) - width - 1;
  if (room <= 0) return 0;
  return align == ES_RIGHT ? room : room / 2;
}

int PosInLine(EditState& s, int line, int x) {
  int start = s.text.LineStart(line), end = s.text.LineEnd(line);
  const std::u16string& t = s.text.Str();
  bool masked = s.password && !s.Multi();
  int at = 0;
  for (int i = start; i < end; ++i) {
    char16_t c = t[size_t(i)];
    bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < end;  // never between the halves of a pair
    int next = Advance(s, at, masked ? s.password : c);
    if (pair && !masked) next = Advance(s, next, t[size_t(i) + 1]);
    if (x < (at + next) / 2) return i;
    at = next;
    if (pair) ++i;
  }
  return end;
}

int PosFromPoint(EditState& s, POINT p) {
  int line = s.topLine + (p.y - s.fmt.top) / s.lineHeight - (p.y < s.fmt.top ? 1 : 0);
  line = std::clamp(line, 0, s.text.LineCount() - 1);
  return PosInLine(s, line, p.x - s.fmt.left - LineOffset(s, line) + s.xOffset);
}

POINT PointOfPos(EditState& s, int pos) {
  int line = s.text.LineOf(pos);
  return POINT{s.fmt.left + LineOffset(s, line) + WidthUpTo(s, line, pos) - s.xOffset,
               s.fmt.top + (line - s.topLine) * s.lineHeight};
}

int VisibleLines(EditState& s) {
  return std::max(1, int(s.fmt.bottom - s.fmt.top) / s.lineHeight);
}

void UpdateScrollBars(EditState& s) {
  if (!s.Multi() || !s.redraw) return;  // WM_SETREDRAW brings them up to date again
  DWORD style = s.Style();
  if (style & WS_VSCROLL) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = s.text.LineCount() - 1;
    si.nPage = UINT(VisibleLines(s));
    si.nPos = s.topLine;
    SetScrollInfo(s.hwnd, SB_VERT, &si, TRUE);
  }
  if (style & WS_HSCROLL) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(FormatWidth(s), s.text.MaxLineLength() * s.aveChar + s.aveChar);
    si.nPage = UINT(FormatWidth(s));
    si.nPos = s.xOffset;
    SetScrollInfo(s.hwnd, SB_HORZ, &si, TRUE);
  }
}

void PlaceCaret(EditState& s) {
  if (!s.focused) return;
  POINT p = PointOfPos(s, s.caret);
  SetCaretPos(p.x, p.y);
}

void ScrollTo(EditState& s, int topLine, int xOffset) {
  int maxTop = s.Multi() ? std::max(0, s.text.LineCount() - VisibleLines(s)) : 0;
  topLine = std::clamp(topLine, 0, maxTop);
  xOffset = s.Wraps() ? 0 : std::max(0, xOffset);
  if (topLine == s.topLine && xOffset == s.xOffset) return;
  s.topLine = topLine;
  s.xOffset = xOffset;
  InvalidateRect(s.hwnd, nullptr, TRUE);
  UpdateScrollBars(s);
  PlaceCaret(s);
}

void ScrollCaretIntoView(EditState& s) {
  int top = s.topLine, x = s.xOffset;
  if (s.Multi()) {
    int line = s.text.LineOf(s.caret), visible = VisibleLines(s);
    if (line < top) top = line;
    if (line >= top + visible) top = line - visible + 1;
  }
  if (!s.Wraps()) {
    int width = FormatWidth(s);
    int cx = XOfPos(s, s.caret) + LineOffset(s, s.text.LineOf(s.caret));
    if (cx < x) x = std::max(0, cx - width / 4);
    if (cx > x + width - 1) x = cx - width * 3 / 4;
    if (!s.Multi() && !(s.Style() & (ES_CENTER | ES_RIGHT))) {
      // Keep the end of the text at the right edge rather than scroll past it.
      int full = XOfPos(s, s.text.Length());
      x = std::min(x, std::max(0, full - width + 1));
    }
  }
  ScrollTo(s, top, x);
}

}  // namespace qv::edit
