// What the tree view and the list view share: the state every item control
// keeps (font and measuring, focus, redraw, the mouse press, type-ahead and
// the label editor) and the pieces of behaviour built on it: the label
// editor's EDIT child, scroll targets, drag distance, hot tracking, the
// right click and the window messages both handle alike. Internal to the library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/comctl/CommCtrl.h"
#include "platform/controls/ControlPaint.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::comctl {

struct ItemControl {
  HWND hwnd = nullptr;
  HFONT font = nullptr;
  HDC measureDC = nullptr;
  int textHeight = 13;
  bool focused = false;
  bool redraw = true;
  bool layoutPending = false;  // scroll bars to update once redrawing is back on
  // Label editing.
  HWND edit = nullptr;
  LONG_PTR editProc = 0;
  bool ending = false;
  UINT endEditMessage = 0;  // posted to the control when the editor loses the focus
  void (*endEdit)(ItemControl& s, bool save) = nullptr;  // Return saves, Escape cancels
  // Mouse.
  bool leftDown = false;
  bool rightDown = false;  // a right press that may still become a right drag
  POINT downPoint;
  bool downOnSelected = false;
  bool tracking = false;
  // Type-ahead.
  std::u16string search;
  DWORD searchTime = 0;
};

// Selects the control's font (its own or the one WM_SETFONT gave) into the
// measuring DC, made on first use, and takes the text height from it.
void SelectMeasureFont(ItemControl& s);

// The label editor: an EDIT child over the label at r, subclassed so that
// Return saves, Escape cancels and losing the focus posts s.endEditMessage.
// Sets s.edit; nullptr when the EDIT could not be made.
HWND CreateLabelEditor(ItemControl& s, const std::u16string& text, int x, int y, int width, int height);
// Shows the editor, gives it the focus and selects its whole text.
void ShowLabelEditor(HWND edit);
// Takes the editor away (the focus goes back to the control when the editor
// had it) and returns its text. Sets s.ending; the caller clears it.
std::u16string CloseLabelEditor(ItemControl& s);

// Adds a typed character to the type-ahead text, which starts again after a
// pause of a second.
void TypeAhead(ItemControl& s, char16_t c);

// Whether the mouse went further from the press than the drag distance.
bool BeyondDragDistance(POINT down, POINT p);
void ReleaseOwnCapture(HWND hwnd);
// Asks for WM_MOUSELEAVE once while the mouse is over a hot item.
void TrackMouseLeave(ItemControl& s);
// The end of a right click: NM_RCLICK and, unless the parent handled it,
// WM_CONTEXTMENU at the click's screen place.
void RightClick(HWND hwnd, POINT p);

// Painting starts and ends alike: the control's font is selected into dc and
// the parent gets CDDS_PREPAINT for the client rectangle (its answer is
// returned), and CDDS_POSTPAINT at the end when it asked for it.
LRESULT CustomDrawPrePaint(ItemControl& s, HDC dc, const RECT& client, NMCUSTOMDRAW& nmcd);
void CustomDrawPostPaint(ItemControl& s, LRESULT answer, NMCUSTOMDRAW& nmcd);

// Tells the parent about a key with the control's key-down record (Record:
// NMLVKEYDOWN, NMTVKEYDOWN); false when the control went away meanwhile.
template <class Record>
bool NotifyKeyDown(HWND hwnd, UINT code, WPARAM vk) {
  Record kd;
  kd.wVKey = WORD(vk);
  Notify(hwnd, kd.hdr, code);
  return IsWindow(hwnd);
}

// A WM_MOUSEWHEEL turn as three lines a notch: scrollLine(SB_LINEUP or
// SB_LINEDOWN) for each line while the control lives.
template <class ScrollLine>
void ScrollByWheel(HWND hwnd, WPARAM w, ScrollLine scrollLine) {
  int lines = -short(HIWORD(w)) / WHEEL_DELTA * 3;
  for (int i = 0; i < std::abs(lines) && IsWindow(hwnd); ++i) scrollLine(lines > 0 ? SB_LINEDOWN : SB_LINEUP);
}

// Where a scroll-bar request moves a position of `pos` (line and page in
// the same units, `end` the far end); nullopt for requests that do not move.
std::optional<int> ScrollTarget(int code, int thumb, int pos, int line, int page, int end);

// The window messages every item control handles the same way: painting and
// printing, redraw, font, focus, keys and characters, timers, the mouse and
// the end of label editing. The state type provides Paint, UpdateScrollBars,
// InvalidateFocus, KeyDown, CharTyped, TimerFired, MouseMessage and EndEdit; nullopt
// for the messages it leaves to the control.
template <class State>
std::optional<LRESULT> ItemWindowMessage(State& s, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT: {
      if (s.layoutPending && s.redraw) UpdateScrollBars(s);
      PAINTSTRUCT ps;
      HDC dc = w ? reinterpret_cast<HDC>(w) : BeginPaint(hwnd, &ps);
      RECT clip;
      if (w) GetClientRect(hwnd, &clip);
      Paint(s, dc, w ? clip : ps.rcPaint);
      if (!w && IsWindow(hwnd)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT clip;
      GetClientRect(hwnd, &clip);
      Paint(s, reinterpret_cast<HDC>(w), clip);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETFONT:
      return LRESULT(s.font);
    case WM_SETREDRAW:
      s.redraw = w != 0;
      DefWindowProcW(hwnd, msg, w, l);
      if (s.redraw) {
        UpdateScrollBars(s);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      s.focused = msg == WM_SETFOCUS;
      InvalidateFocus(s);
      NMHDR hdr;
      comctl::Notify(s.hwnd, hdr, s.focused ? NM_SETFOCUS : NM_KILLFOCUS);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (!KeyDown(s, w)) return DefWindowProcW(hwnd, msg, w, l);
      return 0;
    case WM_CHAR:
      CharTyped(s, char16_t(w));
      return 0;
    case WM_TIMER:
      TimerFired(s, w);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
      return MouseMessage(s, msg, w, l);
  }
  if (msg == s.endEditMessage) {
    if (s.edit && GetFocus() != s.edit) EndEdit(s, true);
    return 0;
  }
  return std::nullopt;
}

// The window procedure of an item control: the state is made on WM_CREATE
// and kept in the window's extra bytes, freed on WM_NCDESTROY; `created`
// finishes it and `message` handles everything else.
template <class State, void (*created)(State&), LRESULT (*message)(State&, HWND, UINT, WPARAM, LPARAM)>
LRESULT ItemWindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  // The state lives in the window's extra bytes: found without a name lookup.
  auto* s = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, 0));
  if (msg == WM_CREATE) {
    s = new State;
    s->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, 0, LONG_PTR(s));
    created(*s);
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, 0, 0);
    if (s) {
      if (s->measureDC) DeleteDC(s->measureDC);
      delete s;
    }
    ctl::ForgetControlFont(hwnd);
    return DefWindowProcW(hwnd, msg, w, l);
  }
  if (!s) return DefWindowProcW(hwnd, msg, w, l);
  return message(*s, hwnd, msg, w, l);
}

}  // namespace qv::comctl
