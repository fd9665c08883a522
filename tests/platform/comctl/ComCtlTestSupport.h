// Shared fixture of the common-control tests: a headless screen, a parent
// window that records every WM_NOTIFY its children send (and lets a test
// answer them), and helpers for input and pixels.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "tests/common/HeadlessWindowTest.h"

namespace qv::test {

struct Notice {
  HWND from;
  UINT code;
  std::vector<uint8_t> data;  // a copy of the record, for the test to read back
  template <class T>
  const T& As() const {
    return *reinterpret_cast<const T*>(data.data());
  }
};

inline std::vector<Notice>& Notices() {
  static std::vector<Notice> n;
  return n;
}
// Answers a notification (the record can be changed); unset answers 0.
inline std::function<LRESULT(NMHDR*)>& Answer() {
  static std::function<LRESULT(NMHDR*)> a;
  return a;
}
// How many bytes of each notification's record to keep (its true size).
inline std::function<size_t(UINT)>& RecordSize() {
  static std::function<size_t(UINT)> f;
  return f;
}

inline LRESULT ComCtlParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(l);
    LRESULT r = Answer() ? Answer()(hdr) : 0;
    if (hdr->code != NM_CUSTOMDRAW) {
      auto* bytes = reinterpret_cast<const uint8_t*>(hdr);
      Notices().push_back(
          {hdr->hwndFrom, hdr->code,
           std::vector<uint8_t>(bytes, bytes + (RecordSize() ? RecordSize()(hdr->code) : sizeof(NMHDR)))});
    }
    return r;
  }
  return DefWindowProcW(h, m, w, l);
}

class ComCtlTest : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    RegisterCommonControls();
    Notices().clear();
    Answer() = nullptr;
    RecordSize() = nullptr;
    OpenParent(u"QvComCtlParent", ComCtlParentProc, COLOR_BTNFACE, 600, 400);
  }
  void TearDown() override {
    Answer() = nullptr;
    CloseParent();
  }

  // The notification codes recorded so far, in order (custom draw left out).
  static std::vector<UINT> Codes() {
    std::vector<UINT> out;
    for (auto& n : Notices()) out.push_back(n.code);
    return out;
  }
  static std::vector<UINT> CodesAmong(std::initializer_list<UINT> wanted) {
    std::vector<UINT> out;
    for (auto& n : Notices())
      for (UINT c : wanted)
        if (n.code == c) out.push_back(c);
    return out;
  }
  static const Notice* Last(UINT code) {
    for (auto it = Notices().rbegin(); it != Notices().rend(); ++it)
      if (it->code == code) return &*it;
    return nullptr;
  }
  // How many pixels of the screen rectangle are mostly red (text is anti-aliased).
  int CountReddish(RECT r) {
    backend.Pump();
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        uint32_t p = shot.At(x, y);
        n += ((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90;
      }
    return n;
  }
};

}  // namespace qv::test
