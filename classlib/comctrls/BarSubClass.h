// Building a class-library control over one of the bar window classes
// (progress, status, tool bar, rebar, tabs, up-down).
#pragma once
#include "classlib/stdctrls/SubClass.h"
#include "platform/comctl/BarControls.h"

namespace qv {

inline void CreateBarSubClass(TCreateParams& Params, const char16_t* barClass) {
  RegisterBarControls();
  CreateSubClass(Params, barClass);
}

}  // namespace qv
