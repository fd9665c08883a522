// The base of the headless control fixtures: a headless screen, a parent
// window of the test's own class for the controls to sit on, and helpers for
// making controls, input and reading pixels back.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "platform/backend/HeadlessBackend.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::test {

class HeadlessWindowTest : public ::testing::Test {
 protected:
  // Registers the parent's class and opens it as a visible popup at 0,0.
  void OpenParent(LPCWSTR cls, WNDPROC proc, int background, int width, int height) {
    parentClass_ = cls;
    WNDCLASSEXW wc;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = cls;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(background + 1));
    RegisterClassExW(&wc);
    parent = CreateWindowExW(0, cls, u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                             nullptr, nullptr);
  }
  // Destroys the parent (and its controls) and lets its class go.
  void CloseParent() {
    DestroyWindow(parent);
    backend.Pump();
    UnregisterClassW(parentClass_, nullptr);
  }

  HWND Make(LPCWSTR cls, DWORD style, RECT r, int id = 7) {
    return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.Width(), r.Height(),
                           parent, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  }
  void Click(int x, int y) {
    backend.Click(x, y);
    backend.Pump();
  }
  void DoubleClick(int x, int y) {
    backend.Click(x, y);
    backend.Click(x, y);
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
  void Type(const std::u16string& s) {
    backend.TypeText(s);
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

 private:
  LPCWSTR parentClass_ = u"";
};

}  // namespace qv::test
