// The message-box entry point. Until the dialog exists, a process-wide hook
// answers (tests, the skin's own box); without a hook the default button's
// answer is returned.
#pragma once
#include <functional>
#include <string>

#include "platform/window/Input.h"

namespace qv {

constexpr UINT MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
               MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF, MB_ICONSTOP = MB_ICONHAND, MB_ICONERROR = MB_ICONHAND,
               MB_ICONWARNING = MB_ICONEXCLAMATION, MB_ICONINFORMATION = MB_ICONASTERISK, MB_DEFBUTTON1 = 0x0,
               MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFMASK = 0xF00, MB_APPLMODAL = 0x0,
               MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

using TMessageBoxHook = std::function<int(const std::string& Text, const std::string& Caption, UINT Flags)>;
// Installs the answering hook (an empty function removes it); returns the previous one.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook Hook);
int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags);

}  // namespace qv
