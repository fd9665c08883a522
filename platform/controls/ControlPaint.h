// Painting helpers shared by the system control classes: the colours a
// parent gives through WM_CTLCOLOR*, text in the classic enabled and
// disabled looks, the window text, the font a control was given and its
// height, and the paint and text messages handled alike.
#pragma once
#include <optional>
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::ctl {

inline HBRUSH SysBrush(int index) {
  return reinterpret_cast<HBRUSH>(uintptr_t(index + 1));
}
// Sets the default text and background colours on dc, then asks the parent
// (msg is a WM_CTLCOLOR* message) for its brush; the default brush when it
// does not answer.
HBRUSH ParentColours(HWND hwnd, HDC dc, UINT msg, int defaultBackground);
// Text with mnemonic underlines (unless DT_NOPREFIX); disabled text is drawn
// embossed: a highlight copy one pixel down and right under a shadow copy.
void DrawControlText(HDC dc, const std::u16string& text, RECT r, UINT format, bool enabled);
std::u16string WindowText(HWND hwnd);
// Sends WM_COMMAND with the notification code to the parent of a child window.
void NotifyParent(HWND hwnd, WORD code);
// The font a WM_SETFONT gave, kept in a window property (the GUI font by default).
HFONT ControlFont(HWND hwnd);
void SetControlFont(HWND hwnd, HFONT font);
void ForgetControlFont(HWND hwnd);
// The character height of a font (the GUI font when null), at least 1.
int FontHeight(HFONT font);

// WM_PAINT, WM_PRINTCLIENT and WM_ERASEBKGND of a control that paints its
// whole client area itself: `paint(dc)` draws into the given DC or
// BeginPaint's. nullopt for other messages.
template <class PaintFn>
std::optional<LRESULT> PaintMessage(HWND hwnd, UINT msg, WPARAM w, PaintFn paint) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = w ? reinterpret_cast<HDC>(w) : BeginPaint(hwnd, &ps);
      paint(dc);
      if (!w) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(w));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting fills the background
  }
  return std::nullopt;
}

// The messages a control showing its window text handles alike: a new text,
// a new font (with redraw asked) and enabling repaint it; WM_GETFONT answers
// the font WM_SETFONT gave (none by default). nullopt for other messages.
std::optional<LRESULT> TextControlMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

}  // namespace qv::ctl
