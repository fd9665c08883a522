// Answers the standard controls give to the messages their parent reflects
// back to them: the colours of their window, and the drawing of one item of
// an owner-drawn list or combo box.
#pragma once
#include <functional>

#include "classlib/Strings.h"
#include "classlib/controls/CustomControl.h"
#include "classlib/stdctrls/OwnerDrawState.h"

namespace qv {

// A reflected colour request: the control's font colour and colour on the
// device context, its brush as the answer.
void AnswerControlColours(TWinControl* Control, TMessage& Message);

// A reflected draw-item request: Canvas draws on the item's device context in
// the control's font and brush (the highlight colours for a selected item),
// Draw paints the item, and a focused item gets its focus rectangle.
void DrawOwnerItem(TWinControl* Control, TControlCanvas& Canvas, TMessage& Message,
                   const std::function<void(int Index, const RECT& Rect, TOwnerDrawState State)>& Draw);

// The plain look of an item: its rectangle filled and the item's text at its left.
void DrawItemText(TCanvas& Canvas, const RECT& Rect, TStrings* Items, int Index);

}  // namespace qv
