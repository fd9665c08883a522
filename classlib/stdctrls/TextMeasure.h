// Measuring a control's text with its font before (or without) a window, as
// group boxes and labels need while they are laid out.
#pragma once
#include <string>

#include "platform/WinTypes.h"

namespace qv {

class TFont;

// The extent of Text drawn in Font on one line ("&" prefixes take no room).
SIZE MeasureText(TFont* Font, const std::string& Text);

}  // namespace qv
