// What the owner-drawn list and combo controls hand their drawing and
// measuring events.
#pragma once
#include <functional>

#include "classlib/Object.h"
#include "classlib/controls/WinControl.h"
#include "platform/Set.h"

namespace qv {

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

}  // namespace qv
