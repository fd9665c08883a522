// Registration of the system window classes.
#include "platform/controls/SystemControls.h"

#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"

namespace qv {

void RegisterSystemControls() {
  RegisterEditClass();
  RegisterButtonClass();
  RegisterStaticClass();
  RegisterScrollBarClass();
  RegisterListBoxClasses();
  RegisterComboBoxClass();
}

}  // namespace qv
