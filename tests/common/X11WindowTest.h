// The fixture of the tests that drive windows of this process through the
// X11 backend with real X input: an Xvfb server of the test's own (skipped
// when Xvfb or another tool the test names is missing), the backend open
// on it, the system controls registered, a top-level window of the test
// shown there (given the keyboard as the window manager would give it),
// and the windows run until what a test waits for holds.
// Include it after gtest: Xlib's macros (None, Bool) clash with its names.
#pragma once
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/controls/SystemControls.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "tests/common/XvfbSupport.h"

namespace qv::test {

// An Xvfb server of the test's own, named by DISPLAY for the programs the
// test starts, and this process's backend open on it; a fatal failure when
// either does not start (call it with ASSERT_NO_FATAL_FAILURE).
inline void OpenOnXvfb(std::unique_ptr<Xvfb>& server, std::unique_ptr<Backend>& backend) {
  server = std::make_unique<Xvfb>();
  ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
  setenv("DISPLAY", server->Display().c_str(), 1);
  std::string error;
  backend = OpenX11Backend(&error);
  ASSERT_TRUE(backend) << error;
}

class X11WindowTest : public ::testing::Test {
 protected:
  // `tools`: the programs the test needs besides Xvfb.
  explicit X11WindowTest(std::vector<std::string> tools = {}) : tools_(std::move(tools)) {}

  void SetUp() override {
    tools_.insert(tools_.begin(), "Xvfb");
    for (const std::string& tool : tools_)
      if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    ASSERT_NO_FATAL_FAILURE(OpenOnXvfb(server, backend));
    RegisterSystemControls();
  }
  void TearDown() override {
    if (top) DestroyWindow(top);
    if (!class_.empty()) UnregisterClassW(class_.c_str(), nullptr);
    backend.reset();
  }

  // The test's top-level window, a popup of `cls` (registered here with
  // `proc`, or a system class when `proc` is null) titled `title`, once it is
  // on the screen; with `focus`, once it has the keyboard. Call it with ASSERT_NO_FATAL_FAILURE.
  void ShowTop(const char16_t* cls, WNDPROC proc, const char16_t* title, RECT r, bool focus) {
    if (proc) {
      WNDCLASSEXW wc;
      wc.lpfnWndProc = proc;
      wc.lpszClassName = cls;
      RegisterClassExW(&wc);
      class_ = cls;
    }
    top = CreateWindowExW(0, cls, title, WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left,
                          r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return static_cast<X11Backend&>(*backend).IsOnScreen(top); }));
    if (!focus) return;
    ASSERT_TRUE(Xdo(server->Display(),
                    {"search", "--name", "^" + Utf16ToUtf8(title) + "$", "windowfocus", "--sync"}));
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == top; }));
  }

  // Runs the windows until done() holds or `limit` ms (generous: it bounds a
  // failing test only) have passed; whether it held. Waits at most
  // `pumpStep` ms at a time for a message, to look again.
  template <typename F>
  bool PumpUntil(F done, DWORD limit = 60000) {
    DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > limit) return false;
      ProcessPendingMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, pumpStep, QS_ALLINPUT);
    }
    return true;
  }

  std::unique_ptr<Xvfb> server;
  std::unique_ptr<Backend> backend;
  HWND top = nullptr;
  DWORD pumpStep = 20;

 private:
  std::vector<std::string> tools_;
  std::u16string class_;
};

}  // namespace qv::test
