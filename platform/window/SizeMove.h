// The move and size loop's public pieces: the WM_SIZING edge codes, the
// system-command variants that carry a hit code, and the limits a window
// may be sized to (WM_GETMINMAXINFO).
#pragma once
#include "platform/window/Window.h"

namespace qv {

// WM_SIZING wParam: the edge or corner being dragged.
constexpr WPARAM WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4, WMSZ_TOPRIGHT = 5,
                 WMSZ_BOTTOM = 6, WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8;
// SC_MOVE + HTCAPTION: move by dragging the caption with the button down.
constexpr WPARAM SC_DRAGMOVE = 0xF012;

// The window's size limits: the defaults for its style and screen, then
// whatever its WM_GETMINMAXINFO answer changed.
MINMAXINFO GetMinMaxInfo(HWND hwnd);
// A maximised child window fills its parent's client area with its frame and
// caption just outside it, so that only its own client area shows.
void PlaceMaximizedChild(HWND hwnd, MINMAXINFO& mm);

// Keyboard moving and sizing steps, in pixels.
constexpr int kKeyMoveStep = 8;

}  // namespace qv
