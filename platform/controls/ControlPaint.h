// Painting helpers shared by the button, static and scroll-bar classes: the
// colours a parent gives through WM_CTLCOLOR*, text in the classic enabled
// and disabled looks, the window text and the font a control was given.
#pragma once
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
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

}  // namespace qv::ctl
