// The tests that drive a demo over a real display wait for what its windows
// do by running the program's messages until it has happened.
#pragma once
#include "classlib/controls/Application.h"
#include "platform/window/MessageQueue.h"

namespace qv::test {

// Runs the program's messages until done() holds or `limit` ms (generous:
// it bounds a failing test only) have passed; whether it held.
template <typename F>
bool PumpUntil(F done, DWORD limit = 120000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limit) return false;
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

}  // namespace qv::test
