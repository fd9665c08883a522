// The message-box entry point and its answering hook.
#include "classlib/controls/MessageBox.h"

namespace qv {

namespace {

TMessageBoxHook& Hook() {
  static TMessageBoxHook hook;
  return hook;
}

// The buttons of each box type, in order.
int DefaultAnswer(UINT flags) {
  static const int kButtons[][3] = {{IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDCANCEL},
                                    {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
                                    {IDYES, IDNO, IDNO},          {IDRETRY, IDCANCEL, IDCANCEL}};
  UINT type = flags & MB_TYPEMASK;
  if (type > 5) type = 0;
  UINT button = (flags & MB_DEFMASK) >> 8;
  return kButtons[type][button > 2 ? 0 : button];
}

}  // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook NewHook) {
  TMessageBoxHook old = std::move(Hook());
  Hook() = std::move(NewHook);
  return old;
}

int MessageBox(HWND, const std::string& Text, const std::string& Caption, UINT Flags) {
  if (Hook()) return Hook()(Text, Caption, Flags);
  return DefaultAnswer(Flags);
}

}  // namespace qv
