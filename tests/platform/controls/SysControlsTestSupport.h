// Shared fixture of the system-control tests: a headless screen, a parent
// window that records the notifications its children send, and helpers to
// make controls, read their text and pixels.
#pragma once
#include <string>
#include <vector>

#include "platform/controls/SystemControls.h"
#include "tests/common/HeadlessWindowTest.h"

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

class SysControlsTest : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    RegisterSystemControls();
    Notes().clear();
    OpenParent(u"QvCtlParent", ParentProc, COLOR_BTNFACE, 400, 300);
  }
  void TearDown() override { CloseParent(); }

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
};

}  // namespace qv::test
