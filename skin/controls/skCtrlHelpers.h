// Small steps the skinned controls share: the bound label's upkeep after a
// message, the parent's partly-hidden answer and whether a control lies
// wholly inside its parent's client area.
#pragma once
#include "classlib/controls/Control.h"
#include "skin/skCommonData.h"

namespace qv {

// Shows, enables and re-aligns the bound label after the messages that move
// or change its control.
void BoundLabelUpkeep(TSkBoundLabel* Bound, TControl* Control, const TMessage& Message);
// The parent's answer to query 11 (its background is partly hidden).
bool QueryPartlyHidden(TControl* Control);
bool BoundsInsideParent(TControl* Control);

}  // namespace qv
