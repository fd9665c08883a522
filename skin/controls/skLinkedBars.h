// Skinned scroll bars that stand beside a control in its parent and mirror
// the control's own scroll bars (the skinned tree and list views use them).
#pragma once

#include <functional>

#include "skin/controls/skScrollBar.h"

namespace qv {

// Makes Bar when the control's Which bar (SB_VERT/SB_HORZ) is needed, feeds it
// the control's scroll information and shows it; hides it otherwise. OnMoved
// hears the user's moves (vertical?, position). True when the bar is shown.
bool UpdateLinkedBar(TWinControl* Control, TSkScrollBar*& Bar, int Which,
                     std::function<void(bool Vertical, int Position)> OnMoved);
// Lays the shown bars along the control's right (left when right-to-left) and
// bottom edges, inside a frame of Frame pixels.
void PlaceLinkedBars(TWinControl* Control, int Frame, TSkScrollBar* VBar, TSkScrollBar* HBar);
void FreeLinkedBars(TSkScrollBar*& VBar, TSkScrollBar*& HBar);

}  // namespace qv
