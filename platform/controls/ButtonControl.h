// The state of one BUTTON window and its painting. Internal to the library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"

namespace qv::button {

struct ButtonState {
  HWND hwnd = nullptr;
  WPARAM check = BST_UNCHECKED;
  bool pushed = false;  // drawn pressed (mouse held inside, Space held, BM_SETSTATE)
  bool focused = false;
  bool mouseDown = false;  // the left button went down on the button
  bool spaceDown = false;
  HGDIOBJ image = nullptr;
  HBRUSH brush = nullptr;  // the background brush of the current paint

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
  UINT Type() const { return Style() & BS_TYPEMASK; }
};

void Paint(ButtonState& b, HDC dc);

}  // namespace qv::button
