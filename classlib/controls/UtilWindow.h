// Hidden utility windows whose messages go to a method: what timers and the
// application object use to receive messages without being controls.
#pragma once
#include "classlib/controls/Control.h"

namespace qv {

// A hidden top-level window; every message it gets is passed to Method
// (the message's Result is the answer).
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

}  // namespace qv
