// Edit control painting: colours asked of the parent (WM_CTLCOLOREDIT, or
// WM_CTLCOLORSTATIC when read-only or disabled), the visible lines clipped to
// the formatting rectangle, and the selection in the highlight colours.
#include <algorithm>

#include "platform/controls/EditControl.h"
#include "platform/gdi/SystemColors.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::edit {
namespace {

HBRUSH SysBrush(int index) {
  return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}

HBRUSH Colours(EditState& s, HDC dc) {
  bool enabled = IsWindowEnabled(s.hwnd);
  bool asStatic = s.ReadOnly() || !enabled;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(asStatic ? COLOR_BTNFACE : COLOR_WINDOW));
  HBRUSH brush = nullptr;
  HWND parent = (s.Style() & WS_CHILD) ? GetParent(s.hwnd) : nullptr;
  if (parent)
    brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, asStatic ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(s.hwnd)));
  if (!brush) brush = SysBrush(asStatic ? COLOR_BTNFACE : COLOR_WINDOW);
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  return brush;
}

// Paints one line at a time. Only the characters inside the visible
// horizontal window are drawn, so a very long line costs little more than
// walking its widths up to the right edge.
struct LinePainter {
  EditState& s;
  HDC dc;
  int y;
  int selStart, selEnd;
  int visLeft = 0, visRight = 0;  // the clip box, line-relative
  bool past = false;              // the line reached the right edge

  int Next(int x, char16_t c) {
    int tab = std::max(1, s.aveChar * 8);
    return c == u'\t' ? (x / tab + 1) * tab : x + CharWidth(s, c);
  }

  // Draws characters [from, to) of the display text starting at x
  // (line-relative); a tab's space is background.
  void Run(std::u16string_view text, int lineStart, int from, int to, int& x, int originX, bool selected) {
    if (past) return;
    if (selected) {
      int end = x;
      for (int i = from; i < to && end < visRight; ++i) end = Next(end, text[size_t(i - lineStart)]);
      RECT r{originX + x, y, originX + end, y + s.lineHeight};
      FillRect(dc, &r, SysBrush(COLOR_HIGHLIGHT));
    }
    int runX = x, runFrom = from;
    auto flush = [&](int end) {
      if (end > runFrom)
        ExtTextOutW(dc, originX + runX, y, 0, nullptr, text.data() + (runFrom - lineStart),
                    UINT(end - runFrom), nullptr);
    };
    for (int i = from; i < to; ++i) {
      if (x >= visRight) {
        flush(i);
        past = true;
        return;
      }
      char16_t c = text[size_t(i - lineStart)];
      x = Next(x, c);
      // Characters wholly left of the window and tabs start a new run after them.
      if (c == u'\t' || x <= visLeft) {
        if (c == u'\t') flush(i);
        runFrom = i + 1, runX = x;
      }
    }
    flush(to);
  }

  void Line(int line) {
    int start = s.text.LineStart(line), end = s.text.LineEnd(line);
    std::u16string masked;
    std::u16string_view text(s.text.Str().data() + start, size_t(end - start));
    if (s.password && !s.Multi()) text = masked = LineText(s, line);
    int originX = s.fmt.left + LineOffset(s, line) - s.xOffset;
    RECT clip;
    GetClipBox(dc, &clip);
    visLeft = clip.left - originX, visRight = clip.right - originX;
    past = false;
    COLORREF normal = GetTextColor(dc);
    int x = 0;
    int a = std::clamp(selStart, start, end), b = std::clamp(selEnd, start, end);
    Run(text, start, start, a, x, originX, false);
    if (b > a) {
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      Run(text, start, a, b, x, originX, true);
      SetTextColor(dc, normal);
    }
    // A selected line break shows as a little highlighted space.
    if (!past && selEnd > end && selStart <= end && end < s.text.Length() && line + 1 < s.text.LineCount()) {
      RECT r{originX + x, y, originX + x + s.aveChar / 2 + 1, y + s.lineHeight};
      FillRect(dc, &r, SysBrush(COLOR_HIGHLIGHT));
    }
    Run(text, start, b, end, x, originX, false);
  }
};

}  // namespace

void Paint(EditState& s, HDC dc) {
  int saved = SaveDC(dc);
  HBRUSH brush = Colours(s, dc);
  RECT client;
  GetClientRect(s.hwnd, &client);
  FillRect(dc, &client, brush);
  SelectObject(dc, s.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  IntersectClipRect(dc, s.fmt.left, s.fmt.top, s.fmt.right, s.fmt.bottom);
  bool showSel = s.focused || (s.Style() & ES_NOHIDESEL);
  LinePainter p{s, dc, 0, showSel ? s.SelStart() : 0, showSel ? s.SelEnd() : 0};
  RECT clip;
  GetClipBox(dc, &clip);
  int last = std::min(s.text.LineCount(), s.topLine + VisibleLines(s) + 1);
  for (int line = s.topLine; line < last; ++line) {
    p.y = s.fmt.top + (line - s.topLine) * s.lineHeight;
    if (p.y >= clip.bottom) break;
    if (p.y + s.lineHeight <= clip.top) continue;
    p.Line(line);
  }
  RestoreDC(dc, saved);
}

}  // namespace qv::edit
