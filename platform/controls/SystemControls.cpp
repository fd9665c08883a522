// Registration of the system window classes.
#include "platform/controls/SystemControls.h"

namespace qv {

void RegisterSystemControls() {
  RegisterEditClass();
  RegisterButtonClass();
  RegisterStaticClass();
  RegisterScrollBarClass();
}

}  // namespace qv
