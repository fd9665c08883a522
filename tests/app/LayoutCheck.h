// Whether a window shows all of its controls: every control that shows lies
// whole inside its parent's client area, and so inside every container
// around it up to the form's client area.
#pragma once
#include <string>
#include <vector>

#include "classlib/controls/Forms.h"

namespace qv::test {

// A readable name for a control: its name, else its class and text, with the
// names of the containers around it.
std::string ControlPath(TControl* c);

// The showing controls of a form that stick out of the client area of a
// container around them, each with where it lies and what it should fit.
std::vector<std::string> CutControls(TCustomForm* form);

}  // namespace qv::test
