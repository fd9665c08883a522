// Shared fixture of the window-manager tests: a headless backend, a window
// class whose procedure records every message and can be given per-window
// behaviour, and helpers to read the message log.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::test {

struct Logged {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

struct Recorder {
  std::vector<Logged> log;
  std::map<HWND, Handler> handlers;
  Handler onAny;  // for every window, before its own handler (creation messages)
};

inline Recorder& Rec() {
  static Recorder r;
  return r;
}

inline LRESULT RecordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  Rec().log.push_back({h, m, w, l});
  if (Rec().onAny)
    if (auto r = Rec().onAny(h, m, w, l)) return *r;
  auto it = Rec().handlers.find(h);
  if (it != Rec().handlers.end() && it->second) {
    Handler copy = it->second;  // the handler may replace itself
    if (auto r = copy(h, m, w, l)) return *r;
  }
  return DefWindowProcW(h, m, w, l);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Rec() = Recorder{};
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = u"QvTest";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    wc.cbWndExtra = 16;
    RegisterClassExW(&wc);
    WNDCLASSEXW plain = wc;
    plain.style = 0;
    plain.lpszClassName = u"QvPlain";
    RegisterClassExW(&plain);
  }

  void TearDown() override {
    std::vector<HWND> tops;
    EnumWindows([](HWND h, LPARAM p) { return reinterpret_cast<std::vector<HWND>*>(p)->push_back(h), TRUE; },
                LPARAM(&tops));
    for (HWND h : tops) DestroyWindow(h);
    if (GetCapture()) ReleaseCapture();
    backend.Pump();
    // A quit left for an outer loop would end every loop of the next test
    // at once: the thread's queue outlives the test.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    UnregisterClassW(u"QvTest", nullptr);
    UnregisterClassW(u"QvPlain", nullptr);
    Rec() = Recorder{};
  }

  HWND Top(RECT r, DWORD style = WS_POPUP | WS_VISIBLE, DWORD ex = 0, LPCWSTR cls = u"QvTest") {
    return CreateWindowExW(ex, cls, u"top", style, r.left, r.top, r.Width(), r.Height(), nullptr, nullptr,
                           nullptr, nullptr);
  }
  HWND Child(HWND parent, RECT r, DWORD style = WS_CHILD | WS_VISIBLE, DWORD ex = 0, int id = 0) {
    return CreateWindowExW(ex, u"QvTest", u"child", style, r.left, r.top, r.Width(), r.Height(), parent,
                           reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  }

  // The messages of `hwnd` (all windows when null) that are in `only`, in order.
  static std::vector<UINT> Seq(HWND hwnd, std::initializer_list<UINT> only) {
    std::vector<UINT> out;
    for (auto& e : Rec().log)
      if ((!hwnd || e.hwnd == hwnd) && std::find(only.begin(), only.end(), e.msg) != only.end())
        out.push_back(e.msg);
    return out;
  }
  static std::vector<Logged> Of(UINT msg) {
    std::vector<Logged> out;
    for (auto& e : Rec().log)
      if (e.msg == msg) out.push_back(e);
    return out;
  }
  static void Clear() { Rec().log.clear(); }

  HeadlessBackend backend{SIZE{640, 480}};
};

}  // namespace qv::test
