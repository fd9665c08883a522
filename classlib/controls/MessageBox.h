// The message-box entry point: a process-wide hook answers when one is
// installed (tests, the skin's own box); otherwise the system message box
// shows and the user answers.
#pragma once
#include <functional>
#include <string>

#include "platform/dialogs/SysDialogs.h"

namespace qv {

using TMessageBoxHook = std::function<int(const std::string& Text, const std::string& Caption, UINT Flags)>;
// Installs the answering hook (an empty function removes it); returns the previous one.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook Hook);
bool HasMessageBoxHook();
int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags);

}  // namespace qv
