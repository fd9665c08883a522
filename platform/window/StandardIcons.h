// The standard icons (LoadIcon with a null instance and an IDI_* id): our own
// 32 x 32 drawings, made once and shared. A shared icon that a caller
// destroyed anyway is made again on the next request.
#pragma once
#include "platform/window/Input.h"

namespace qv {

inline const LPCWSTR_ID IDI_APPLICATION = MAKEINTRESOURCEW(32512), IDI_HAND = MAKEINTRESOURCEW(32513),
                        IDI_QUESTION = MAKEINTRESOURCEW(32514), IDI_EXCLAMATION = MAKEINTRESOURCEW(32515),
                        IDI_ASTERISK = MAKEINTRESOURCEW(32516), IDI_WINLOGO = MAKEINTRESOURCEW(32517),
                        IDI_WARNING = IDI_EXCLAMATION, IDI_ERROR = IDI_HAND, IDI_INFORMATION = IDI_ASTERISK;

// Standard ids only (instance null); nullptr for anything else.
HICON LoadIconW(HINSTANCE instance, LPCWSTR_ID name);
inline HICON LoadIcon(HINSTANCE instance, LPCWSTR_ID name) {
  return LoadIconW(instance, name);
}

}  // namespace qv
