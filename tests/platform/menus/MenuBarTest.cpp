// The menu bar in a window's frame (pixels, hit codes, item rectangles),
// entering it by mouse, Alt, Alt+letter and F10, the system menu by
// Alt+Space, Alt+F4, and context menus asked for by the right button,
// Shift+F10 and the menu key.
#include "../window/WindowTestSupport.h"
#include "platform/gdi/SystemColors.h"
#include "platform/menus/Menus.h"

namespace qv::test {
namespace {

constexpr UINT kNew = 11, kQuit = 12, kAbout = 21;

class MenuBar : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    frame = Top(RECT{40, 40, 440, 340}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    bar = CreateMenu();
    file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kNew, u"&New");
    AppendMenuW(file, MF_STRING, kQuit, u"&Quit");
    help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, kAbout, u"&About");
    AppendMenuW(bar, MF_POPUP, uintptr_t(file), u"&File");
    AppendMenuW(bar, MF_POPUP, uintptr_t(help), u"&Help");
    SetMenu(frame, bar);
    SetActiveWindow(frame);
    SetFocus(frame);
    backend.Pump();
    Clear();
  }
  void TearDown() override {
    if (IsWindow(frame)) SetMenu(frame, nullptr);
    DestroyMenu(bar);
    WindowTest::TearDown();
  }
  RECT Title(UINT pos) {
    RECT r{};
    EXPECT_TRUE(GetMenuItemRect(frame, bar, pos, &r));
    return r;
  }
  void Alt(UINT vk = 0) {
    backend.KeyDown(VK_MENU);
    if (vk) backend.KeyPress(vk);
    backend.KeyUp(VK_MENU);
  }
  std::vector<Logged> Commands() { return Of(WM_COMMAND); }

  HWND frame = nullptr;
  HMENU bar = nullptr, file = nullptr, help = nullptr;
};

TEST_F(MenuBar, BarIsPaintedInTheFrameAndHitTested) {
  RECT f = Title(0), h = Title(1);
  RECT wr;
  GetWindowRect(frame, &wr);
  EXPECT_EQ(f.top, h.top);
  EXPECT_GT(f.top, wr.top + 18);  // under the caption
  EXPECT_LT(f.right, h.left + 1);
  EXPECT_EQ(SendMessageW(frame, WM_NCHITTEST, 0, MAKELPARAM(f.left + 3, f.top + 3)), HTMENU);
  EXPECT_EQ(MenuItemFromPoint(frame, bar, POINT{h.left + 2, h.top + 2}), 1);
  // Menu colour around the titles, darker text pixels inside "File".
  Surface s = backend.Screenshot();
  uint32_t menuColour = PixelRGB(GetRValue(GetSysColor(COLOR_MENU)), GetGValue(GetSysColor(COLOR_MENU)),
                                 GetBValue(GetSysColor(COLOR_MENU))) &
                        0xFFFFFF;
  EXPECT_EQ(s.At(wr.right - 20, f.top + 5) & 0xFFFFFF, menuColour);
  int dark = 0;
  for (int y = f.top; y < f.bottom; ++y)
    for (int x = f.left; x < f.right; ++x) dark += (s.At(x, y) & 0xFF) < 0x60;
  EXPECT_GT(dark, 10);
}

// The bar takes its row from the client area: the window hears of the new
// client size as of any resize (its children lay out in it), and a frame
// change that leaves the client as it was says nothing.
TEST_F(MenuBar, TheBarComingOrGoingResizesTheClientArea) {
  auto clientHeight = [&] {
    RECT c;
    GetClientRect(frame, &c);
    return int(c.bottom);
  };
  const int with = clientHeight();
  Clear();
  SetMenu(frame, nullptr);
  const int without = clientHeight();
  EXPECT_GT(without, with);
  ASSERT_EQ(Of(WM_SIZE).size(), 1u);
  EXPECT_EQ(HIWORD(Of(WM_SIZE)[0].lParam), without);
  Clear();
  SetMenu(frame, bar);
  ASSERT_EQ(Of(WM_SIZE).size(), 1u);
  EXPECT_EQ(HIWORD(Of(WM_SIZE)[0].lParam), with);
  Clear();
  SetWindowPos(frame, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_TRUE(Of(WM_SIZE).empty());
}

TEST_F(MenuBar, ClickOnTitleDropsItsMenuAndAClickChooses) {
  RECT f = Title(0);
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(file);
    ASSERT_NE(w, nullptr);
    RECT wr;
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.left, f.left);
    EXPECT_EQ(wr.top, f.bottom);
    RECT item;
    GetMenuItemRect(frame, file, 1, &item);
    backend.MouseMove(item.left + 4, item.top + 4);
    backend.MouseDown();
    backend.MouseUp();
  });
  backend.Click(f.left + 4, f.top + 4);
  backend.Pump();
  auto cmds = Commands();
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(LOWORD(cmds[0].wParam), kQuit);
  EXPECT_EQ(Seq(frame, {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP}),
            (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP}));
  EXPECT_EQ(Of(WM_ENTERMENULOOP)[0].wParam, WPARAM(FALSE));
}

TEST_F(MenuBar, MovingAlongTheBarSwitchesMenus) {
  RECT f = Title(0), h = Title(1);
  backend.WhenIdle([&] { backend.MouseMove(h.left + 3, h.top + 3); });
  backend.WhenIdle([&] {
    EXPECT_EQ(MenuWindowOf(file), nullptr);
    EXPECT_NE(MenuWindowOf(help), nullptr);
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  backend.Click(f.left + 4, f.top + 4);
  backend.Pump();
  EXPECT_TRUE(Commands().empty());
}

TEST_F(MenuBar, AltAloneSelectsTheBarThenArrowsAndEnterChoose) {
  backend.WhenIdle([&] { backend.KeyPress(VK_RIGHT); });
  backend.WhenIdle([&] {
    EXPECT_EQ(MenuWindowOf(help), nullptr);  // the title is selected, not yet dropped
    backend.KeyPress(VK_DOWN);
  });
  backend.WhenIdle([&] {
    EXPECT_NE(MenuWindowOf(help), nullptr);
    backend.KeyPress(VK_RETURN);
  });
  Alt();
  backend.Pump();
  auto cmds = Commands();
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(LOWORD(cmds[0].wParam), kAbout);
}

TEST_F(MenuBar, AltLetterDropsTheMenuOfThatTitle) {
  backend.WhenIdle([&] {
    EXPECT_NE(MenuWindowOf(help), nullptr);
    backend.KeyPress('A');
  });
  Alt('H');
  backend.Pump();
  auto cmds = Commands();
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(LOWORD(cmds[0].wParam), kAbout);
}

TEST_F(MenuBar, F10EntersTheBarAndEscapeLeavesIt) {
  backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
  backend.KeyPress(VK_F10);
  backend.Pump();
  EXPECT_EQ(Seq(frame, {WM_ENTERMENULOOP, WM_EXITMENULOOP}),
            (std::vector<UINT>{WM_ENTERMENULOOP, WM_EXITMENULOOP}));
  EXPECT_TRUE(Commands().empty());
}

TEST_F(MenuBar, AltSpaceShowsTheSystemMenuAndCloseCloses) {
  backend.WhenIdle([&] {
    HMENU sys = GetSystemMenu(frame, FALSE);
    EXPECT_NE(MenuWindowOf(sys), nullptr);
    EXPECT_EQ(GetMenuState(sys, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);  // not maximised
    EXPECT_EQ(GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    backend.KeyPress('C');
  });
  Alt(VK_SPACE);
  backend.Pump();
  auto inits = Of(WM_INITMENUPOPUP);
  ASSERT_FALSE(inits.empty());
  EXPECT_EQ(HIWORD(uintptr_t(inits[0].lParam)), 1);  // the system menu
  auto sys = Of(WM_SYSCOMMAND);
  ASSERT_FALSE(sys.empty());
  EXPECT_EQ(sys.back().wParam & 0xFFF0, SC_CLOSE);
  EXPECT_FALSE(IsWindow(frame));
}

TEST_F(MenuBar, AltF4Closes) {
  backend.KeyDown(VK_MENU);
  backend.KeyPress(VK_F4);
  backend.KeyUp(VK_MENU);
  backend.Pump();
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_TRUE(Of(WM_ENTERMENULOOP).empty());  // Alt was not alone
}

TEST_F(MenuBar, ContextMenuRequestsFromMouseAndKeyboard) {
  HWND child = Child(frame, RECT{10, 10, 110, 60});
  SetFocus(child);
  POINT c{20, 20};
  ClientToScreen(child, &c);
  backend.Click(c.x, c.y, MouseButton::Right);
  backend.KeyDown(VK_SHIFT);
  backend.KeyPress(VK_F10);
  backend.KeyUp(VK_SHIFT);
  backend.KeyPress(VK_APPS);
  backend.Pump();
  std::vector<Logged> asked;
  for (auto& e : Of(WM_CONTEXTMENU))
    if (e.hwnd == child) asked.push_back(e);
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].lParam, MAKELPARAM(c.x, c.y));
  EXPECT_EQ(asked[1].lParam, LPARAM(-1));
  EXPECT_EQ(asked[2].lParam, LPARAM(-1));
  // Unhandled, the request climbs to the parent.
  EXPECT_EQ(Seq(frame, {WM_CONTEXTMENU}).size(), 3u);
}

TEST_F(MenuBar, MdiItemsShowAtTheEndsOfTheBar) {
  AppendMenuW(bar, MF_BITMAP | MF_RIGHTJUSTIFY, SC_CLOSE,
              reinterpret_cast<const char16_t*>(HBMMENU_MBAR_CLOSE));
  DrawMenuBar(frame);
  backend.Pump();
  RECT close = Title(2);
  RECT wr;
  GetWindowRect(frame, &wr);
  EXPECT_GE(close.right, wr.right - 6);
  EXPECT_GT(close.left, Title(1).right);
}

}  // namespace
}  // namespace qv::test
