// Menu figure: menu_open_ms is the median time from a click on a menu-bar
// title to its 30-item drop-down painted on the screen (the menu loop
// entered, the popup measured, created, painted and presented).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ControlsBench.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::bench {
namespace {

constexpr int kItems = 30, kOpens = 41;

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

double MenuOpen(HeadlessBackend& backend) {
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
  bool allShown = true;
  for (int i = 0; i < kOpens; ++i) {
    backend.AdvanceClock(1000);  // each click a single click
    backend.MouseMove(x, y);
    backend.Pump();
    bool shown = false;
    auto start = std::chrono::steady_clock::now();
    backend.WhenIdle([&] {
      ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      shown = MenuWindowOf(GetSubMenu(bar, 0)) != nullptr;
      backend.KeyPress(VK_ESCAPE);
      backend.KeyPress(VK_ESCAPE);
    });
    backend.MouseDown();
    backend.MouseUp();
    backend.Pump();
    allShown = allShown && shown;
  }
  DestroyWindow(frame);
  DestroyMenu(bar);
  UnregisterClassW(u"QvMenuBench", nullptr);
  if (!allShown) std::fprintf(stderr, "menu_open_ms: the drop-down did not show\n");
  return allShown ? MedianOf(ms) : -1;
}

[[maybe_unused]] const int kRegistered = AddControlsFigure("menu_open_ms", MenuOpen);

}  // namespace
}  // namespace qv::bench
