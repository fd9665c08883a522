// Shared fixture of the system-control tests: a headless screen, a parent
// window that records the notifications its children send, and helpers to
// make controls, read their text and pixels.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/SystemColors.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::test {

struct Note {
  UINT msg;
  int id;
  WORD code;
  HWND from;
  WPARAM wParam = 0;
};

inline std::vector<Note>& Notes() {
  static std::vector<Note> n;
  return n;
}

inline LRESULT ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_COMMAND:
      Notes().push_back({m, LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l), w});
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      Notes().push_back({m, 0, LOWORD(w), reinterpret_cast<HWND>(l), w});
      return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

class SysControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSystemControls();
    Notes().clear();
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = u"QvCtlParent";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
    RegisterClassExW(&wc);
    parent = CreateWindowExW(0, u"QvCtlParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent);
    backend.Pump();
    UnregisterClassW(u"QvCtlParent", nullptr);
  }

  HWND Make(LPCWSTR cls, DWORD style, RECT r, LPCWSTR text = u"", int id = 7) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.Width(), r.Height(),
                           parent, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  }
  static std::u16string TextOf(HWND h) {
    std::u16string s(size_t(GetWindowTextLengthW(h)) + 1, u'\0');
    s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
    return s;
  }
  static std::vector<WORD> Codes(HWND from) {
    std::vector<WORD> out;
    for (auto& n : Notes())
      if (n.from == from && n.msg == WM_COMMAND) out.push_back(n.code);
    return out;
  }
  static int Count(HWND from, WORD code) {
    int n = 0;
    for (auto c : Codes(from)) n += c == code;
    return n;
  }
  static std::pair<int, int> Sel(HWND e) {
    DWORD a = 0, b = 0;
    SendMessageW(e, EM_GETSEL, WPARAM(&a), LPARAM(&b));
    return {int(a), int(b)};
  }
  void Type(const std::u16string& s) {
    backend.TypeText(s);
    backend.Pump();
  }
  void Key(UINT vk, bool shift = false, bool ctrl = false) {
    if (shift) backend.KeyDown(VK_SHIFT);
    if (ctrl) backend.KeyDown(VK_CONTROL);
    backend.KeyPress(vk);
    if (ctrl) backend.KeyUp(VK_CONTROL);
    if (shift) backend.KeyUp(VK_SHIFT);
    backend.Pump();
  }
  // Paints everything pending and reads a screen pixel (parent at 0,0).
  uint32_t Pixel(int x, int y) {
    backend.Pump();
    return backend.Screenshot().At(x, y) & 0xFFFFFF;
  }
  // How many pixels of the screen rectangle have the colour.
  int CountColour(RECT r, uint32_t colour) {
    backend.Pump();
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += (shot.At(x, y) & 0xFFFFFF) == colour;
    return n;
  }
  static uint32_t Sys(int index) {
    COLORREF c = GetSysColor(index);
    return PixelRGB(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF;
  }

  HeadlessBackend backend{SIZE{640, 480}};
  HWND parent = nullptr;
};

}  // namespace qv::test
