// Menu benchmark on the headless backend: the median time from a click on a
// menu-bar title to its 30-item drop-down painted on the screen (the menu
// loop entered, the popup measured, created, painted and presented).
// Prints menu_open_ms as a key=value line.
//
// The controls benchmark may take this figure in: compiled with
// QV_BENCH_NO_MAIN, the file only provides qv::bench::PrintMenuOpen().
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/backend/HeadlessBackend.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItems = 30, kOpens = 41;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

LRESULT FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(h, msg, wp, lp);
}

HMENU MakeMenuBar() {
  HMENU bar = CreateMenu(), file = CreatePopupMenu();
  for (int i = 0; i < kItems; ++i) {
    std::u16string text = u"&Command number ";
    for (char c : std::to_string(i + 1)) text += char16_t(c);
    if (i % 3 == 0) text += u"\tCtrl+" + std::u16string(1, char16_t('A' + i % 26));
    if (i % 7 == 6)
      AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(file, MF_STRING | (i % 5 == 4 ? MF_GRAYED : 0), UINT(100 + i), text.c_str());
  }
  AppendMenuW(bar, MF_POPUP, uintptr_t(file), u"&File");
  AppendMenuW(bar, MF_STRING, 99, u"&Help");
  return bar;
}

}  // namespace

double MenuOpenMs() {
  HeadlessBackend backend(SIZE{1024, 768});
  WNDCLASSEXW wc;
  wc.lpfnWndProc = FrameProc;
  wc.lpszClassName = u"QvMenuBench";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
  RegisterClassExW(&wc);
  HWND frame = CreateWindowExW(0, u"QvMenuBench", u"Menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 600,
                               400, nullptr, nullptr, nullptr, nullptr);
  HMENU bar = MakeMenuBar();
  SetMenu(frame, bar);
  backend.Pump();
  RECT title{};
  GetMenuItemRect(frame, bar, 0, &title);
  int x = (title.left + title.right) / 2, y = (title.top + title.bottom) / 2;
  std::vector<double> ms;
  for (int i = 0; i < kOpens; ++i) {
    Clock::time_point start;
    bool shown = false;
    backend.AdvanceClock(1000);  // each click a single click
    backend.MouseMove(x, y);
    backend.Pump();
    backend.WhenIdle([&] {
      ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      shown = MenuWindowOf(GetSubMenu(bar, 0)) != nullptr;
      backend.KeyPress(VK_ESCAPE);
      backend.KeyPress(VK_ESCAPE);
    });
    start = Clock::now();
    backend.MouseDown();
    backend.MouseUp();
    backend.Pump();
    if (!shown) {
      std::fprintf(stderr, "menu bench: the drop-down did not show\n");
      return -1;
    }
  }
  DestroyWindow(frame);
  DestroyMenu(bar);
  return Median(ms);
}

void PrintMenuOpen() {
  std::printf("menu_open_ms=%.3f\n", MenuOpenMs());
}

}  // namespace qv::bench

#ifndef QV_BENCH_NO_MAIN
int main() {
  qv::bench::PrintMenuOpen();
  return 0;
}
#endif
