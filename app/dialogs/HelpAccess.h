// Opening a window's help page: the page beside the program, shown by the
// desktop's viewer. When the page is missing or nothing can show it, a box
// says so instead of the key doing nothing.
#pragma once
#include <functional>
#include <string>

#include "classlib/actions/ActnList.h"

namespace qv {

// Shows the page of Topic ("" = the contents); false, after telling the user
// why, when it could not be shown.
bool ShowHelpTopic(const std::string& Topic);

// The help action of a dialog: "&Help" on F1, showing the page Topic gives
// when it runs (so a dialog with two modes gives its current one).
TAction* NewHelpAction(TActionList* List, TComponent* Owner, std::function<std::string()> Topic);

}  // namespace qv
