// Building a class-library control over a system window class: the control
// registers its own class (named after it) with the system class's styles,
// cursor and extra bytes, and the system procedure becomes its DefWndProc.
#pragma once
#include "classlib/controls/WinControl.h"

namespace qv {

// Makes Params create a window that behaves as `systemClass` ("EDIT",
// "BUTTON", ...). Registers the system classes first when needed.
void CreateSubClass(TCreateParams& Params, const char16_t* systemClass);

}  // namespace qv
