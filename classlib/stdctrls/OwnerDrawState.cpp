// Owner-draw states of the list and combo controls.
#include "classlib/stdctrls/OwnerDrawState.h"

#include "platform/controls/OwnerDraw.h"

namespace qv {

TOwnerDrawState OwnerDrawStateOf(UINT s) {
  TOwnerDrawState state;
  const std::pair<UINT, TOwnerDrawStateItem> bits[] = {{ODS_SELECTED, odSelected},
                                                       {ODS_GRAYED, odGrayed},
                                                       {ODS_DISABLED, odDisabled},
                                                       {ODS_CHECKED, odChecked},
                                                       {ODS_FOCUS, odFocused},
                                                       {ODS_DEFAULT, odDefault},
                                                       {ODS_HOTLIGHT, odHotLight},
                                                       {ODS_INACTIVE, odInactive},
                                                       {ODS_NOACCEL, odNoAccel},
                                                       {ODS_NOFOCUSRECT, odNoFocusRect},
                                                       {ODS_COMBOBOXEDIT, odComboBoxEdit}};
  for (auto& [bit, item] : bits)
    if (s & bit) state.Include(item);
  return state;
}

}  // namespace qv
