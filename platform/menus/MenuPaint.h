// Pieces of the classic menu look that owner-drawn menu items paint the same
// way as the menus themselves: the check mark (or radio dot) and the label,
// embossed when disabled.
#pragma once
#include <string>

#include "platform/gdi/GdiTypes.h"

namespace qv::menus {

// A check mark, or a radio dot, centred in column.
void DrawMenuCheck(HDC dc, const RECT& column, bool radio, COLORREF color);
// Text in r with DrawText's format: in color, in grey text when disabled and
// selected, else embossed (highlight under shadow) when disabled.
void DrawMenuLabel(HDC dc, const std::u16string& text, RECT r, UINT format, bool disabled, bool selected,
                   COLORREF color);

}  // namespace qv::menus
