// listbox_add_ms: the median time (of nine runs after a first one) to add
// 100,000 strings in random order to a shown, sorted list box (one
// LB_ADDSTRING each, as a program filling it without suspending updates
// does) and paint it once afterwards.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ControlsBench.h"
#include "platform/controls/SystemControls.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::bench {
namespace {

constexpr int kStrings = 100000, kRuns = 9;

std::vector<std::u16string> Strings() {
  std::mt19937 rng(42);
  static const char16_t* words[] = {u"Report", u"photo", u"Backup", u"notes", u"Track", u"Invoice", u"draft"};
  std::vector<std::u16string> out;
  out.reserve(kStrings);
  for (int i = 0; i < kStrings; ++i) {
    std::u16string s = words[rng() % 7];
    s += u' ';
    for (unsigned n = rng() % 1000000; n; n /= 10) s += char16_t(u'0' + n % 10);
    out.push_back(s + u".dat");
  }
  return out;
}

// A figure for a list in the wrong order would be worthless.
void CheckOrder(HWND list) {
  if (SendMessageW(list, LB_GETCOUNT, 0, 0) != kStrings) std::fprintf(stderr, "listbox: wrong count\n");
  std::u16string previous;
  for (int i = 0; i < kStrings; i += 7) {
    char16_t buf[64] = {};
    SendMessageW(list, LB_GETTEXT, WPARAM(i), LPARAM(buf));
    std::u16string text = buf;
    for (auto& c : text)
      if (c >= 'A' && c <= 'Z') c = char16_t(c + 32);
    if (text < previous) std::fprintf(stderr, "listbox: not sorted at %d\n", i);
    previous = text;
  }
}

double AddOnce(const std::vector<std::u16string>& strings) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QvListBenchHost";
  RegisterClassExW(&wc);
  HWND host = CreateWindowExW(0, u"QvListBenchHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 600, nullptr,
                              nullptr, nullptr, nullptr);
  HWND list = CreateWindowExW(0, u"LISTBOX", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_NOTIFY, 0,
                              0, 400, 600, host, nullptr, nullptr, nullptr);
  ProcessPendingMessages();
  double ms = TimeMs([&] {
    for (auto& s : strings) SendMessageW(list, LB_ADDSTRING, 0, LPARAM(s.c_str()));
    UpdateWindow(list);
  });
  CheckOrder(list);
  DestroyWindow(host);
  ProcessPendingMessages();
  return ms;
}

double ListBoxAdd(HeadlessBackend&) {
  RegisterSystemControls();
  auto strings = Strings();
  return MedianOfRuns(kRuns, [&] { return AddOnce(strings); });
}

const int registered = AddControlsFigure("listbox_add_ms", ListBoxAdd);

}  // namespace
}  // namespace qv::bench
