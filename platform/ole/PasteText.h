// A paste's text from the desktop (the clipboard for Ctrl+V and the menus'
// Paste, the primary selection for a middle click), read without waiting:
// while another program gives it, the windows go on answering input,
// painting, their menus and their close, and the text comes to the window
// that pasted when it is there. Our own text, and text nobody holds, is at
// hand at once. A window has one paste under way at most: a newer one
// replaces it. While it is under way the window's keys wait (HoldKeys), so
// that they act after the text, in the order they were pressed; the end of
// the paste (WM_PASTETEXT handled, the paste replaced or given up, or the
// window gone) lets them go on.
#pragma once
#include <optional>
#include <string>

#include "platform/WinTypes.h"

namespace qv {

// Sent to a window whose paste's text came (or will not come): wParam is the
// id BeginPasteText gave. Take the text with EndPasteText.
constexpr UINT WM_PASTETEXT = 0x0390;

enum class PasteSource { Clipboard, Primary };

// Starts a paste into `window`, giving up any it had under way. 0 with the
// text in `text` when it is at hand now (empty when there is none); else
// the read's id, and the text comes with WM_PASTETEXT.
unsigned BeginPasteText(PasteSource from, HWND window, std::u16string& text);
// At WM_PASTETEXT: the text of the window's paste `id`, once; nullopt when
// nothing came (the other program refused, went away or stayed silent) or a
// newer paste replaced that one.
std::optional<std::u16string> EndPasteText(HWND window, WPARAM id);
// Gives up the window's paste under way, if any (the window goes).
void CancelPasteText(HWND window);

}  // namespace qv
