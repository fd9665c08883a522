// Shared fixture of the list and combo box tests: a headless screen, a
// parent window that records the notifications, owner-draw requests and
// colour requests its children send, and helpers to read them back.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::test {

struct ListParentLog {
  std::vector<WORD> codes;  // WM_COMMAND notification codes, in order
  std::vector<DRAWITEMSTRUCT> drawn;
  std::vector<MEASUREITEMSTRUCT> measured;
  std::function<void(MEASUREITEMSTRUCT&)> measure;
  std::function<int(const COMPAREITEMSTRUCT&)> compare;
  HBRUSH listBrush = nullptr;  // the answer to WM_CTLCOLORLISTBOX
};

inline ListParentLog& ListLog() {
  static ListParentLog log;
  return log;
}

inline LRESULT ListParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto& log = ListLog();
  switch (m) {
    case WM_COMMAND:
      log.codes.push_back(HIWORD(w));
      return 0;
    case WM_DRAWITEM:
      log.drawn.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      if (log.measure) log.measure(*mis);
      log.measured.push_back(*mis);
      return TRUE;
    }
    case WM_COMPAREITEM:
      return log.compare ? log.compare(*reinterpret_cast<COMPAREITEMSTRUCT*>(l)) : 0;
    case WM_CTLCOLORLISTBOX:
      return LRESULT(log.listBrush);
  }
  return DefWindowProcW(h, m, w, l);
}

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ListLog() = ListParentLog{};
    RegisterComboBoxClass();
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ListParentProc;
    wc.lpszClassName = u"QvListParent";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
    RegisterClassExW(&wc);
    parent = CreateWindowExW(0, u"QvListParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr, nullptr,
                             nullptr, nullptr);
  }
  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    DestroyWindow(parent);
    backend.Pump();
    UnregisterClassW(u"QvListParent", nullptr);
    ListLog() = ListParentLog{};
  }

  HWND NewList(DWORD style, RECT r = {10, 10, 150, 150}) {
    return CreateWindowExW(0, u"LISTBOX", u"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.Width(),
                           r.Height(), parent, reinterpret_cast<HMENU>(uintptr_t(7)), nullptr, nullptr);
  }
  HWND NewCombo(DWORD style, RECT r = {200, 10, 350, 200}) {
    return CreateWindowExW(0, u"COMBOBOX", u"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.Width(),
                           r.Height(), parent, reinterpret_cast<HMENU>(uintptr_t(9)), nullptr, nullptr);
  }
  static void Add(HWND h, const std::u16string& s, UINT msg = LB_ADDSTRING) {
    SendMessageW(h, msg, 0, LPARAM(s.c_str()));
  }
  static std::u16string Text(HWND list, int i, UINT msg = LB_GETTEXT) {
    char16_t buf[256] = {};
    SendMessageW(list, msg, WPARAM(i), LPARAM(buf));
    return buf;
  }
  // A click at a point of the window's client area.
  void ClickAt(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    backend.Click(p.x, p.y);
    backend.Pump();
  }
  void Key(UINT vk) {
    backend.KeyPress(vk);
    backend.Pump();
  }
  void Type(const std::u16string& s) {
    backend.TypeText(s);
    backend.Pump();
  }
  uint32_t PixelAt(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return backend.Screenshot().At(p.x, p.y) & 0xFFFFFF;
  }
  static uint32_t Pixel(COLORREF c) {
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
  }

  HeadlessBackend backend{SIZE{640, 480}};
  HWND parent = nullptr;
};

}  // namespace qv::test
