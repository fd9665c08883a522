// Owner-draw states and taking over the system list and combo classes.
#include "classlib/stdctrls/OwnerDrawState.h"

#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/OwnerDraw.h"
#include "platform/controls/SystemControls.h"

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

void CreateSystemSubClass(TCreateParams& Params, const char16_t* SystemClass) {
  RegisterSystemControls();
  WNDCLASSEXW wc;
  if (!GetClassInfoExW(nullptr, SystemClass, &wc)) return;
  UINT keep = Params.WindowClass.style & (CS_VREDRAW | CS_HREDRAW);
  Params.WindowClass.lpfnWndProc = wc.lpfnWndProc;
  Params.WindowClass.cbWndExtra = wc.cbWndExtra;
  Params.WindowClass.style = (wc.style & ~UINT(CS_GLOBALCLASS)) | keep;
  Params.WindowClass.hCursor = wc.hCursor;
  Params.WindowClass.hbrBackground = wc.hbrBackground;
}

}  // namespace qv
