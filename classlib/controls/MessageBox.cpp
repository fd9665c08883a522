// The message-box entry point and its answering hook.
#include "classlib/controls/MessageBox.h"

#include "platform/Utf.h"

namespace qv {

namespace {

TMessageBoxHook& Hook() {
  static TMessageBoxHook hook;
  return hook;
}

}  // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook NewHook) {
  TMessageBoxHook old = std::move(Hook());
  Hook() = std::move(NewHook);
  return old;
}

bool HasMessageBoxHook() {
  return bool(Hook());
}

int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
  if (Hook()) return Hook()(Text, Caption, Flags);
  return MessageBoxW(Owner, Utf8ToUtf16(Text).c_str(), Utf8ToUtf16(Caption).c_str(), Flags);
}

}  // namespace qv
