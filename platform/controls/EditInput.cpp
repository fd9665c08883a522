// Edit control input: caret movement and selection by keys, typed
// characters and control characters, mouse selection by characters and
// words, and the scroll-bar messages.
#include <algorithm>

#include "platform/controls/EditControl.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/ScrollBar.h"

namespace qv::edit {

namespace {

bool Down(int vk) {
  return GetKeyState(vk) < 0;
}

bool IsWordChar(char16_t c) {
  return !(c == u' ' || c == u'\t' || c == u'\r' || c == u'\n');
}

bool IsHigh(char16_t c) {
  return c >= 0xD800 && c < 0xDC00;
}

bool IsLow(char16_t c) {
  return c >= 0xDC00 && c < 0xE000;
}

// One position back or forward; a "\r\n" pair and a surrogate pair count as
// one, so neither is ever split.
int Step(const EditState& s, int pos, int dir) {
  const auto& t = s.text.Str();
  int n = int(t.size());
  if (dir < 0) {
    if (pos <= 0) return 0;
    if (pos >= 2 && t[size_t(pos) - 1] == u'\n' && t[size_t(pos) - 2] == u'\r') return pos - 2;
    if (pos >= 2 && IsLow(t[size_t(pos) - 1]) && IsHigh(t[size_t(pos) - 2])) return pos - 2;
    return pos - 1;
  }
  if (pos >= n) return n;
  if (t[size_t(pos)] == u'\r' && pos + 1 < n && t[size_t(pos) + 1] == u'\n') return pos + 2;
  if (IsHigh(t[size_t(pos)]) && pos + 1 < n && IsLow(t[size_t(pos) + 1])) return pos + 2;
  return pos + 1;
}

int WordLeft(const EditState& s, int pos) {
  const auto& t = s.text.Str();
  while (pos > 0 && !IsWordChar(t[size_t(pos) - 1])) --pos;
  while (pos > 0 && IsWordChar(t[size_t(pos) - 1])) --pos;
  return pos;
}

int WordRight(const EditState& s, int pos) {
  const auto& t = s.text.Str();
  int n = int(t.size());
  while (pos < n && IsWordChar(t[size_t(pos)])) ++pos;
  while (pos < n && !IsWordChar(t[size_t(pos)])) ++pos;
  return pos;
}

void MoveTo(EditState& s, int pos, bool extend) {
  SetSelection(s, extend ? s.anchor : pos, pos);
}

int LineMove(EditState& s, int lines) {
  int line = s.text.LineOf(s.caret);
  int x = XOfPos(s, s.caret) + LineOffset(s, line);
  int target = std::clamp(line + lines, 0, s.text.LineCount() - 1);
  return PosInLine(s, target, x - LineOffset(s, target));
}

// The thumb position of a scroll message carries 16 bits; while the bar is
// being dragged its full track position is the one those bits come from.
int ThumbPosition(HWND h, int bar, int thumb) {
  SCROLLINFO si;
  si.fMask = SIF_TRACKPOS;
  if (GetScrollInfo(h, bar, &si) && (si.nTrackPos & 0xFFFF) == thumb) return si.nTrackPos;
  return thumb;
}

void DeleteOne(EditState& s, int dir) {
  if (s.ReadOnly()) return;
  if (s.anchor == s.caret) {
    int other = Step(s, s.caret, dir);
    if (other == s.caret) return;
    s.anchor = other;
  }
  ReplaceSelection(s, u"", true);
}

bool MovesCaret(UINT vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
      return true;
  }
  return false;
}

void KeyAction(EditState& s, UINT vk) {
  bool shift = Down(VK_SHIFT), ctrl = Down(VK_CONTROL);
  bool multi = s.Multi();
  auto collapse = [&](int pos, int fallback) {
    // Without Shift an existing selection collapses to its edge first.
    if (!shift && s.anchor != s.caret) return MoveTo(s, pos, false);
    MoveTo(s, fallback, shift);
  };
  switch (vk) {
    case VK_LEFT:
      return collapse(s.SelStart(), ctrl ? WordLeft(s, s.caret) : Step(s, s.caret, -1));
    case VK_RIGHT:
      return collapse(s.SelEnd(), ctrl ? WordRight(s, s.caret) : Step(s, s.caret, 1));
    case VK_UP:
      if (!multi) return collapse(s.SelStart(), Step(s, s.caret, -1));
      return MoveTo(s, LineMove(s, -1), shift);
    case VK_DOWN:
      if (!multi) return collapse(s.SelEnd(), Step(s, s.caret, 1));
      return MoveTo(s, LineMove(s, 1), shift);
    case VK_PRIOR:
    case VK_NEXT:
      if (!multi) return;
      {
        int page = VisibleLines(s) * (vk == VK_PRIOR ? -1 : 1);
        int pos = LineMove(s, page);
        ScrollTo(s, s.topLine + page, s.xOffset);
        return MoveTo(s, pos, shift);
      }
    case VK_HOME:
      return MoveTo(s, ctrl && multi ? 0 : s.text.LineStart(s.text.LineOf(s.caret)), shift);
    case VK_END:
      return MoveTo(s, ctrl && multi ? s.text.Length() : s.text.LineEnd(s.text.LineOf(s.caret)), shift);
    case VK_DELETE:
      if (shift) return void(SendMessageW(s.hwnd, WM_CUT, 0, 0));
      return DeleteOne(s, 1);
    case VK_INSERT:
      if (ctrl) return void(SendMessageW(s.hwnd, WM_COPY, 0, 0));
      if (shift) SendMessageW(s.hwnd, WM_PASTE, 0, 0);
      return;
  }
}

}  // namespace

void KeyDown(EditState& s, UINT vk) {
  int anchor = s.anchor, caret = s.caret;
  HWND h = s.hwnd;
  KeyAction(s, vk);
  // A selection made with Shift and the caret keys is the user's: it
  // becomes the primary selection.
  if (!IsWindow(h)) return;  // a cut's or a paste's notice may have destroyed the edit
  if (Down(VK_SHIFT) && MovesCaret(vk) && (anchor != s.anchor || caret != s.caret)) OfferPrimary(s);
}

void Char(EditState& s, char16_t ch) {
  switch (ch) {
    case 0x01:  // Ctrl+A
      return SelectAllForUser(s);
    // The clipboard keys go through the clipboard messages, as the platform's
    // edit sends them: a control built on the edit (a masked edit) pastes
    // through its own WM_PASTE.
    case 0x03:  // Ctrl+C
      return void(SendMessageW(s.hwnd, WM_COPY, 0, 0));
    case 0x16:  // Ctrl+V
      return void(SendMessageW(s.hwnd, WM_PASTE, 0, 0));
    case 0x18:  // Ctrl+X
      return void(SendMessageW(s.hwnd, WM_CUT, 0, 0));
    case 0x1A:  // Ctrl+Z
      DoUndo(s);
      return;
    case 0x08:
      return DeleteOne(s, -1);
    case u'\r':
      if (s.Multi() && (s.Style() & ES_WANTRETURN) && !s.ReadOnly()) ReplaceSelection(s, u"\r\n", true);
      return;
    case u'\t':
      if (s.Multi() && !s.ReadOnly()) ReplaceSelection(s, u"\t", true, true);
      return;
  }
  if (ch < 0x20 || ch == 0x7F) return;
  if (s.ReadOnly() || ((s.Style() & ES_NUMBER) && (ch < u'0' || ch > u'9'))) {
    MessageBeep(0);
    return;
  }
  ReplaceSelection(s, std::u16string_view(&ch, 1), true, true);
}

void MouseDown(EditState& s, POINT p, bool shift, bool dbl) {
  HWND h = s.hwnd;
  if (GetFocus() != h) SetFocus(h);
  if (!IsWindow(h) || GetFocus() != h) return;
  int pos = PosFromPoint(s, p);
  if (dbl) {
    const auto& t = s.text.Str();
    int a = pos, b = pos;
    while (a > 0 && IsWordChar(t[size_t(a) - 1])) --a;
    while (b < int(t.size()) && IsWordChar(t[size_t(b)])) ++b;
    SetSelection(s, a, b);
  } else {
    SetSelection(s, shift ? s.anchor : pos, pos);
  }
  s.selecting = true;
  SetCapture(h);
}

void MouseMove(EditState& s, POINT p) {
  if (!s.selecting) return;
  // Dragging past an edge scrolls a line (or a few characters) at a time.
  if (s.Multi() && p.y < s.fmt.top) ScrollTo(s, s.topLine - 1, s.xOffset);
  if (s.Multi() && p.y >= s.fmt.bottom) ScrollTo(s, s.topLine + 1, s.xOffset);
  SetSelection(s, s.anchor, PosFromPoint(s, p));
}

void MouseUp(EditState& s) {
  if (!s.selecting) return;
  s.selecting = false;
  if (GetCapture() == s.hwnd) ReleaseCapture();
  OfferPrimary(s);  // a drag, a double click or a Shift+click made the selection
}

void VScroll(EditState& s, int code, int thumb) {
  int top = s.topLine, page = VisibleLines(s);
  switch (code) {
    case SB_LINEUP:
      --top;
      break;
    case SB_LINEDOWN:
      ++top;
      break;
    case SB_PAGEUP:
      top -= page;
      break;
    case SB_PAGEDOWN:
      top += page;
      break;
    case SB_TOP:
      top = 0;
      break;
    case SB_BOTTOM:
      top = s.text.LineCount();
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      top = ThumbPosition(s.hwnd, SB_VERT, thumb);
      break;
    }
    default:
      return;
  }
  ScrollTo(s, top, s.xOffset);
  Notify(s, EN_VSCROLL);
}

void HScroll(EditState& s, int code, int thumb) {
  int x = s.xOffset, page = std::max(1, int(s.fmt.right - s.fmt.left));
  switch (code) {
    case SB_LINELEFT:
      x -= s.aveChar;
      break;
    case SB_LINERIGHT:
      x += s.aveChar;
      break;
    case SB_PAGELEFT:
      x -= page;
      break;
    case SB_PAGERIGHT:
      x += page;
      break;
    case SB_LEFT:
      x = 0;
      break;
    case SB_RIGHT:
      x = s.text.MaxLineLength() * s.aveChar;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      x = ThumbPosition(s.hwnd, SB_HORZ, thumb);
      break;
    }
    default:
      return;
  }
  ScrollTo(s, s.topLine, x);
  Notify(s, EN_HSCROLL);
}

}  // namespace qv::edit
