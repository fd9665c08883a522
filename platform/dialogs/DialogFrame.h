// The frame every system dialog is built in: a window class for dialogs,
// child controls in the message font, the modal loop with the dialog
// keyboard, and the owner disabled while it runs. Internal to the library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <functional>
#include <string>

#include "platform/window/Window.h"

namespace qv::dlg {

struct Dialog {
  HWND hwnd = nullptr;
  int result = 0;
  bool ended = false;
  int defaultId = 0;  // the button Enter presses (unless another button has the focus)
  int cancelId = 0;   // the button Esc and the close box press; 0 = none
  HWND initialFocus = nullptr;
  // WM_COMMAND from a child; true when handled (a button id not handled ends the dialog with it).
  std::function<bool(int id, WORD code, HWND control)> OnCommand;
};

// A hidden dialog window sized for a client area of `client`, with the
// close box greyed when `canClose` is false.
HWND CreateDialogWindow(Dialog& d, HWND owner, const std::u16string& caption, SIZE client, bool canClose);
// A child in the dialog font; `rect` in client coordinates.
HWND AddControl(Dialog& d, LPCWSTR className, const std::u16string& text, DWORD style, const RECT& rect,
                int id, DWORD exStyle = 0);
HFONT DialogFont();
// The pixel size of `text` in the dialog font, wrapped at `maxWidth` (0: one line).
SIZE MeasureText(const std::u16string& text, int maxWidth, bool prefix = false);
// Centres the dialog over its owner (or the work area), shows it, runs it
// and destroys it; the result given to End.
int RunModal(Dialog& d);
void End(Dialog& d, int result);
// The child with the id, or null.
HWND Item(HWND dialog, int id);
// Presses a button of the dialog as a click would (BN_CLICKED to the dialog).
void PressButton(Dialog& d, int id);

}  // namespace qv::dlg
