// Skinned scroll bars that stand beside a control in its parent and mirror
// the control's own scroll bars (the skinned tree and list views use them),
// and the skinned frame around such a control and its bars.
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

// Paints the control's skin background (over the parent's picture where it has
// one) into its cache bitmap.
void PrepareFrameCache(TWinControl* Control, TSkCommonData* SkinData);
// Paints the control's border and copies its frame of Frame pixels from the
// cache (made anew when the background changed) onto its window, with the
// corner between the two bars when both are shown.
void PaintLinkedFrame(TWinControl* Control, TSkCommonData* SkinData, int Frame, TSkScrollBar* VBar,
                      TSkScrollBar* HBar);

}  // namespace qv
