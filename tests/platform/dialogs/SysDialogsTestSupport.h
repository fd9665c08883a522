// Shared fixture of the system dialog tests: a headless screen, an owner
// window, and helpers to find a dialog's children and answer it.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/SystemControls.h"
#include "platform/dialogs/SysDialogs.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"

namespace qv::test {

inline std::u16string ClassOf(HWND h) {
  char16_t buf[64] = {};
  int n = GetClassNameW(h, buf, 64);
  return std::u16string(buf, std::size_t(std::max(n, 0)));
}

inline std::u16string TextOf(HWND h) {
  char16_t buf[1024] = {};
  int n = GetWindowTextW(h, buf, 1024);
  return std::u16string(buf, std::size_t(std::max(n, 0)));
}

// The dialog's children of a class, in creation order.
inline std::vector<HWND> Children(HWND dialog, const std::u16string& cls) {
  std::vector<HWND> out;
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (ClassOf(h) == cls) out.insert(out.begin(), h);
  return out;
}

inline RECT RectIn(HWND dialog, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"QvOwner";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    RegisterClassExW(&wc);
    owner = CreateWindowExW(0, u"QvOwner", u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 400,
                            nullptr, nullptr, nullptr, nullptr);
    backend.Pump();
  }
  void TearDown() override {
    DestroyWindow(owner);
    backend.Pump();
    UnregisterClassW(u"QvOwner", nullptr);
  }
  // Queues keys for the dialog that comes next.
  void Keys(std::vector<UINT> keys) {
    backend.ModalAnswers.push_back([this, keys](HWND) {
      for (UINT k : keys) backend.KeyPress(k);
    });
  }
  void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  HeadlessBackend backend{SIZE{1024, 768}};
  HWND owner = nullptr;
};

}  // namespace qv::test
