// Shared fixture of the bar-control tests: a headless screen and a parent
// window that logs the commands, notifications and scroll messages its
// children send, and can be told how to answer a notification.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/comctl/BarControls.h"
#include "platform/controls/SystemControls.h"
#include "tests/common/HeadlessWindowTest.h"

namespace qv::test {

inline std::vector<std::string>& BarLog() {
  static std::vector<std::string> log;
  return log;
}
// Answers a WM_NOTIFY; the default answers 0.
inline std::function<LRESULT(NMHDR*)>& BarNotifyAnswer() {
  static std::function<LRESULT(NMHDR*)> f;
  return f;
}

inline LRESULT BarParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_COMMAND:
      BarLog().push_back("command " + std::to_string(LOWORD(w)));
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      BarLog().push_back("scroll " + std::to_string(short(HIWORD(w))));
      return 0;
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<NMHDR*>(l);
      std::string name = n->code == TBN_DROPDOWN        ? "dropdown"
                         : n->code == TBN_HOTITEMCHANGE ? "hot"
                         : n->code == TCN_SELCHANGING   ? "changing"
                         : n->code == TCN_SELCHANGE     ? "change"
                         : n->code == UDN_DELTAPOS      ? "delta"
                         : n->code == RBN_HEIGHTCHANGE  ? "height"
                                                        : std::to_string(int(n->code));
      if (n->code == TBN_DROPDOWN) name += " " + std::to_string(reinterpret_cast<NMTOOLBARW*>(l)->iItem);
      if (n->code == TBN_HOTITEMCHANGE)
        name += " " + std::to_string(reinterpret_cast<NMTBHOTITEM*>(l)->idNew);
      BarLog().push_back(name);
      return BarNotifyAnswer() ? BarNotifyAnswer()(n) : 0;
    }
  }
  return DefWindowProcW(h, m, w, l);
}

class BarTest : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    RegisterSystemControls();
    RegisterBarControls();
    BarLog().clear();
    BarNotifyAnswer() = nullptr;
    OpenParent(u"QvBarParent", BarParentProc, COLOR_WINDOW, 400, 300);
  }
  void TearDown() override {
    CloseParent();
    BarNotifyAnswer() = nullptr;
  }
  // Pixels of text (anti-aliased: anything dark).
  int CountDark(RECT r) {
    backend.Pump();
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        uint32_t c = shot.At(x, y);
        n += ((c >> 16) & 0xFF) < 100 && ((c >> 8) & 0xFF) < 100 && (c & 0xFF) < 100;
      }
    return n;
  }
  static std::vector<std::string> TakeLog() {
    auto l = BarLog();
    BarLog().clear();
    return l;
  }
  static std::vector<std::string> Without(std::vector<std::string> log, const std::string& prefix) {
    std::erase_if(log, [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    return log;
  }

  // For helpers outside the fixture.
 public:
  HWND parent_() const { return parent; }
  HeadlessBackend& backend_() { return backend; }
};

}  // namespace qv::test
