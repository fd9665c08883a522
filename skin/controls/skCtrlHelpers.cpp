// Shared steps of the skinned controls.
#include "skin/controls/skCtrlHelpers.h"

#include "classlib/controls/WinControl.h"
#include "skin/skControlTree.h"
#include "skin/skUtils.h"

namespace qv {

void BoundLabelUpkeep(TSkBoundLabel* Bound, TControl* Control, const TMessage& M) {
  if (!Bound || !Bound->Label() || Control->ComponentState().Contains(csDestroying)) return;
  switch (M.Msg) {
    case CM_VISIBLECHANGED:
      Bound->Label()->SetVisible(Control->Visible());
      break;
    case CM_ENABLEDCHANGED:
      Bound->Label()->SetEnabled(Control->Enabled());
      break;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
    case CM_BIDIMODECHANGED:
      break;
    default:
      return;
  }
  Bound->AlignLabel();
}

bool QueryPartlyHidden(TControl* Control) {
  return Control->Parent() && QuerySkinCommand(Control->Parent(), AC_PARTLYHIDDEN);
}

bool BoundsInsideParent(TControl* Control) {
  if (!Control->Parent()) return false;
  return RectInRect(Control->Parent()->ClientRect(), Control->BoundsRect());
}

}  // namespace qv
