// Keyboard shortcuts as one 16-bit value: the virtual key in the low byte and
// the Shift, Ctrl and Alt flags above it, with the text form menus show
// ("Ctrl+F", "Shift+Ins", "F1") and its parser.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "classlib/controls/ControlTypes.h"

namespace qv {

using TShortCut = uint16_t;
constexpr TShortCut scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

// Forms and the application hear of key presses that may be shortcuts; setting
// Handled consumes the key.
using TShortCutEvent = std::function<void(WORD& Key, TShiftState Shift, bool& Handled)>;

TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// Modifiers first ("Shift+", "Ctrl+", "Alt+"), then the key's name; "" for scNone.
std::string ShortCutToText(TShortCut ShortCut);
// The inverse of ShortCutToText, ignoring case and spaces; scNone when the text is not a shortcut.
TShortCut TextToShortCut(std::string_view Text);

}  // namespace qv
