#include "datatree/FocusState.h"

namespace qv {

PDataNode TFocusState::SetHot(PDataNode Node) {
  PDataNode old = hot_;
  hot_ = Node;
  return old;
}

void TFocusState::ForgetHot(PDataNode Node) {
  if (hot_ == Node) hot_ = nullptr;
}

}  // namespace qv
