// The hook through which the menu library answers menu messages that no
// form's main menu claimed.
#include "classlib/controls/MenuBase.h"

namespace qv {
namespace {

TPopupMenuDispatch& Slot() {
  static TPopupMenuDispatch dispatch = nullptr;
  return dispatch;
}

}  // namespace

void SetPopupMenuDispatch(TPopupMenuDispatch Dispatch) {
  Slot() = Dispatch;
}

bool DispatchPopupMenuMessage(TMessage& Message) {
  return Slot() && Slot()(Message);
}

}  // namespace qv
