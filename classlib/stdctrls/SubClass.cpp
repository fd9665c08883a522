// Class-library controls over system window classes.
#include "classlib/stdctrls/SubClass.h"

#include "platform/controls/SystemControls.h"

namespace qv {

void CreateSubClass(TCreateParams& Params, const char16_t* systemClass) {
  WNDCLASSEXW info;
  if (!GetClassInfoExW(nullptr, systemClass, &info)) {
    RegisterSystemControls();
    if (!GetClassInfoExW(nullptr, systemClass, &info)) return;
  }
  Params.WindowClass.lpfnWndProc = info.lpfnWndProc;
  Params.WindowClass.style = info.style & ~CS_GLOBALCLASS;
  Params.WindowClass.cbWndExtra = info.cbWndExtra;
  Params.WindowClass.hCursor = info.hCursor;
  Params.WindowClass.hbrBackground = info.hbrBackground;
}

}  // namespace qv
