// Registration of a control's window class. Every system and common control
// registers one global class under its name, once; a class already there
// (registered earlier, or by whoever replaced it) is left as it is.
#pragma once
#include "platform/window/Input.h"
#include "platform/window/Window.h"

namespace qv::ctl {

struct ControlClass {
  const char16_t* name = nullptr;
  WNDPROC proc = nullptr;
  UINT style = CS_DBLCLKS;  // CS_GLOBALCLASS is always added
  int wndExtra = 0;
  LPCWSTR_ID cursor = IDC_ARROW;
  HBRUSH background = nullptr;
};

// Registers the class unless one of that name exists; true when it was registered now.
bool RegisterControlClass(const ControlClass& c);

}  // namespace qv::ctl
