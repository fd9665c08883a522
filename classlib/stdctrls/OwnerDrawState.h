// What the owner-drawn list and combo controls hand their drawing and
// measuring events, and the way a control takes over a system window class.
#pragma once
#include <functional>

#include "classlib/Object.h"
#include "classlib/controls/WinControl.h"
#include "platform/Set.h"

namespace qv {

enum TOwnerDrawStateItem {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit
};
using TOwnerDrawState = Set<TOwnerDrawStateItem>;

// The window could not take another item.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

// The ODS_* bits of an owner-draw request as a state set.
TOwnerDrawState OwnerDrawStateOf(UINT itemState);

using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const RECT& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

// Makes Params create a window of the system class SystemClass under the
// control's own class name: the system procedure becomes the control's
// default procedure (registering the system classes first when needed).
void CreateSystemSubClass(TCreateParams& Params, const char16_t* SystemClass);

}  // namespace qv
