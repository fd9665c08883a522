// The program's icon as an icon handle, for the window classes of its forms
// (the desktop shows it in the window's frame and the task list).
#pragma once
#include "platform/WinTypes.h"

namespace qv {

// The compiled-in drawing the icon is made of (resources/app/quirvane.png).
inline constexpr char kProgramIconResource[] = "quirvane";

// Made once and kept for the program's life; null when the drawing is missing.
HICON ProgramIcon();

}  // namespace qv
