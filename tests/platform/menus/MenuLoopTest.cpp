// The menu loop driven by injected keys and mouse input: the order of the
// owner's notifications, TPM_RETURNCMD against a posted WM_COMMAND, access
// keys and WM_MENUCHAR, sub-menus, owner-drawn items, and windows that die
// while the loop runs.
#include "../window/WindowTestSupport.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/menus/Menus.h"

namespace qv::test {
namespace {

constexpr UINT kOpen = 101, kSave = 102, kExit = 103, kSub1 = 201, kSub2 = 202;

class MenuLoop : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    owner = Top(RECT{50, 50, 350, 300});
    SetFocus(owner);
    menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kOpen, u"&Open\tCtrl+O");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kSave, u"&Save");
    sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, kSub1, u"&First");
    AppendMenuW(sub, MF_STRING, kSub2, u"Se&cond");
    AppendMenuW(menu, MF_POPUP, uintptr_t(sub), u"&More");
    AppendMenuW(menu, MF_STRING, kExit, u"E&xit");
  }
  void TearDown() override {
    DestroyMenu(menu);
    WindowTest::TearDown();
  }
  void Script(std::initializer_list<UINT> keys) {
    for (UINT vk : keys) backend.WhenIdle([this, vk] { backend.KeyPress(vk); });
  }
  UINT Track(UINT flags = TPM_RETURNCMD) {
    return UINT(TrackPopupMenu(menu, flags, 100, 100, 0, owner, nullptr));
  }
  std::vector<UINT> Notifications() {
    return Seq(owner, {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR,
                       WM_UNINITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND});
  }
  RECT ItemRect(HMENU m, UINT pos) {
    RECT r{};
    EXPECT_TRUE(GetMenuItemRect(owner, m, pos, &r));
    return r;
  }

  HWND owner = nullptr;
  HMENU menu = nullptr, sub = nullptr;
};

TEST_F(MenuLoop, KeyboardChoiceReturnsTheCommandWithTheNotificationsInOrder) {
  Script({VK_DOWN, VK_DOWN, VK_RETURN});  // the separator is skipped
  EXPECT_EQ(Track(), kSave);
  EXPECT_EQ(Notifications(),
            (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUSELECT,
                               WM_UNINITMENUPOPUP, WM_MENUSELECT, WM_EXITMENULOOP}));
  auto selects = Of(WM_MENUSELECT);
  EXPECT_EQ(LOWORD(selects[0].wParam), kOpen);
  EXPECT_EQ(LOWORD(selects[1].wParam), kSave);
  EXPECT_EQ(selects[1].lParam, LPARAM(menu));
  EXPECT_EQ(HIWORD(selects[2].wParam), 0xFFFF);  // the menu closed
  EXPECT_EQ(selects[2].lParam, 0);
  EXPECT_EQ(Of(WM_INITMENUPOPUP)[0].wParam, WPARAM(menu));
  backend.Pump();
  EXPECT_TRUE(Of(WM_COMMAND).empty());  // TPM_RETURNCMD posts nothing
  EXPECT_EQ(MenuWindowOf(menu), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MenuLoop, EscapeCancelsAndDisabledItemsCannotBeChosen) {
  EnableMenuItem(menu, kOpen, MF_GRAYED);
  Script({VK_DOWN, VK_RETURN, VK_ESCAPE});
  EXPECT_EQ(Track(), 0u);
  EXPECT_EQ(Seq(owner, {WM_EXITMENULOOP}).size(), 1u);
}

// Up from nothing chosen or from the first item reaches the last item, Down
// from the last the first.
TEST_F(MenuLoop, UpAndDownWrapAroundAndReachEveryEnd) {
  Script({VK_UP, VK_RETURN});
  EXPECT_EQ(Track(), kExit);
  Script({VK_DOWN, VK_UP, VK_RETURN});
  EXPECT_EQ(Track(), kExit);
  Script({VK_UP, VK_DOWN, VK_RETURN});
  EXPECT_EQ(Track(), kOpen);
  Script({VK_UP, VK_UP, VK_UP, VK_UP, VK_RETURN});  // Exit, More, Save, Open: around once
  EXPECT_EQ(Track(), kOpen);
  EnableMenuItem(menu, kExit, MF_GRAYED);  // a greyed last item is reached, but Enter does not choose it
  Script({VK_UP, VK_RETURN, VK_ESCAPE});
  EXPECT_EQ(Track(), 0u);
}

TEST_F(MenuLoop, MouseClickPostsTheCommand) {
  backend.WhenIdle([this] {
    RECT r = ItemRect(menu, 4);
    backend.MouseMove((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  });
  backend.WhenIdle([this] {
    backend.MouseDown();
    backend.MouseUp();
  });
  EXPECT_EQ(Track(0), TRUE);
  backend.Pump();
  auto cmds = Of(WM_COMMAND);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(LOWORD(cmds[0].wParam), kExit);
  EXPECT_EQ(cmds[0].hwnd, owner);
}

TEST_F(MenuLoop, ClickOutsideCloses) {
  backend.WhenIdle([this] { backend.Click(600, 450); });
  EXPECT_EQ(Track(), 0u);
  EXPECT_EQ(MenuWindowOf(menu), nullptr);
}

TEST_F(MenuLoop, AccessKeysChooseAndRepeatedKeysCycle) {
  Script({'X'});
  EXPECT_EQ(Track(), kExit);
  AppendMenuW(menu, MF_STRING, 104, u"&Second s");
  Clear();
  Script({'S', 'S', VK_RETURN});  // two items share S: the key moves between them
  EXPECT_EQ(Track(), 104u);
}

TEST_F(MenuLoop, UnknownKeyAsksTheOwnerWithMenuChar) {
  Rec().handlers[owner] = [this](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m != WM_MENUCHAR) return std::nullopt;
    EXPECT_EQ(LOWORD(w), u'q');
    EXPECT_TRUE(HIWORD(w) & MF_POPUP);
    EXPECT_EQ(l, LPARAM(menu));
    return MAKELRESULT(2, MNC_EXECUTE);
  };
  Script({'Q'});
  EXPECT_EQ(Track(), kSave);
  Rec().handlers[owner] = nullptr;
  Script({'Q', VK_ESCAPE});  // unanswered: a beep, the loop goes on
  EXPECT_EQ(Track(), 0u);
  EXPECT_FALSE(backend.Beeps.empty());
}

TEST_F(MenuLoop, SubMenusOpenWithRightAndCloseWithLeft) {
  Script({'M', VK_LEFT, VK_RIGHT, VK_DOWN, VK_RETURN});
  EXPECT_EQ(Track(), kSub2);
  auto inits = Of(WM_INITMENUPOPUP);
  ASSERT_EQ(inits.size(), 3u);
  EXPECT_EQ(inits[1].wParam, WPARAM(sub));
  EXPECT_EQ(LOWORD(uintptr_t(inits[1].lParam)), 3);  // its position in the parent
  EXPECT_EQ(Of(WM_UNINITMENUPOPUP).size(), 3u);
}

TEST_F(MenuLoop, HoverOpensSubMenuAndClickChoosesInIt) {
  backend.WhenIdle([this] {
    RECT r = ItemRect(menu, 3);
    backend.MouseMove(r.left + 5, (r.top + r.bottom) / 2);
  });
  backend.WhenIdle([this] {
    ASSERT_NE(MenuWindowOf(sub), nullptr);
    RECT r = ItemRect(sub, 0);
    backend.MouseMove(r.left + 5, (r.top + r.bottom) / 2);
  });
  backend.WhenIdle([this] {
    backend.MouseDown();
    backend.MouseUp();
  });
  EXPECT_EQ(Track(), kSub1);
}

TEST_F(MenuLoop, OwnerDrawnItemsAreMeasuredAndDrawnInThePopupWindow) {
  HMENU od = CreatePopupMenu();
  AppendMenuW(od, MF_OWNERDRAW, 7, reinterpret_cast<const char16_t*>(uintptr_t(0x1234)));
  HWND drawnIn = nullptr;
  UINT lastState = 0;
  Rec().handlers[owner] = [&](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_MEASUREITEM) {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      EXPECT_EQ(mis->CtlType, ODT_MENU);
      EXPECT_EQ(mis->itemData, 0x1234u);
      mis->itemWidth = 100;
      mis->itemHeight = 30;
      return TRUE;
    }
    if (m == WM_DRAWITEM) {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      EXPECT_EQ(dis->hwndItem, reinterpret_cast<HWND>(od));
      drawnIn = WindowFromDC(dis->hDC);
      lastState = dis->itemState;
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(dis->hDC, &dis->rcItem, red);
      DeleteObject(red);
      return TRUE;
    }
    return std::nullopt;
  };
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(od);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(drawnIn, w);
    RECT wr;
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.Width(), 106);  // the item plus the 3-pixel frame
    EXPECT_EQ(wr.Height(), 36);
    EXPECT_EQ(backend.Screenshot().At(wr.left + 50, wr.top + 15) & 0xFFFFFF, PixelRGB(255, 0, 0) & 0xFFFFFF);
    backend.KeyPress(VK_DOWN);
  });
  backend.WhenIdle([&] {
    EXPECT_TRUE(lastState & ODS_SELECTED);
    backend.KeyPress(VK_RETURN);
  });
  EXPECT_EQ(TrackPopupMenu(od, TPM_RETURNCMD, 10, 10, 0, owner, nullptr), 7);
  DestroyMenu(od);
}

TEST_F(MenuLoop, OwnerDestroyedInsideTheLoopEndsIt) {
  Rec().handlers[owner] = [this](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_MENUSELECT && IsWindow(h)) DestroyWindow(h);
    return std::nullopt;
  };
  Script({VK_DOWN, VK_RETURN});
  EXPECT_EQ(Track(), 0u);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_EQ(MenuWindowOf(menu), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MenuLoop, PopupStaysOnTheScreenAndHonoursAlignment) {
  backend.WhenIdle([this] {
    RECT wr;
    GetWindowRect(MenuWindowOf(menu), &wr);
    EXPECT_EQ(wr.right, 300);  // right-aligned at x
    EXPECT_EQ(wr.bottom, 200);
    backend.KeyPress(VK_ESCAPE);
  });
  TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 300, 200, 0, owner, nullptr);
  backend.WhenIdle([this] {
    RECT wr;
    GetWindowRect(MenuWindowOf(menu), &wr);
    EXPECT_LE(wr.right, 640);
    EXPECT_LE(wr.bottom, 480);
    backend.KeyPress(VK_ESCAPE);
  });
  TrackPopupMenu(menu, TPM_RETURNCMD, 630, 470, 0, owner, nullptr);
}

TEST_F(MenuLoop, MenuDestroyedWhileShownTakesItsWindowsAlong) {
  HWND shown = nullptr;
  backend.WhenIdle([&] {
    backend.KeyPress('M');  // the sub-menu drops down too
  });
  backend.WhenIdle([&] {
    shown = MenuWindowOf(sub);
    ASSERT_NE(shown, nullptr);
    DestroyMenu(menu);  // frees the sub-menu as well
    EXPECT_FALSE(IsWindow(shown));
    backend.KeyPress(VK_DOWN);
    backend.KeyPress(VK_RETURN);
    backend.KeyPress(VK_ESCAPE);
    backend.KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(Track(), 0u);
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_EQ(GetCapture(), nullptr);
  HWND w = nullptr;
  EnumWindows(
      [](HWND h, LPARAM p) {
        char16_t name[32];
        if (GetClassNameW(h, name, 32) && std::u16string(name) == POPUPMENU_CLASS)
          *reinterpret_cast<HWND*>(p) = h;
        return TRUE;
      },
      LPARAM(&w));
  EXPECT_EQ(w, nullptr);
}

TEST_F(MenuLoop, ActivationElsewhereEndsTheLoop) {
  HWND other = Top(RECT{400, 300, 500, 400});
  SetActiveWindow(owner);
  backend.WhenIdle([&] { SetActiveWindow(other); });
  backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });  // not needed when the loop ended
  EXPECT_EQ(Track(), 0u);
  EXPECT_EQ(MenuWindowOf(menu), nullptr);
}

TEST_F(MenuLoop, EndMenuFromAHandlerEndsTheLoop) {
  backend.WhenIdle([&] { EXPECT_TRUE(EndMenu()); });
  EXPECT_EQ(Track(), 0u);
  EXPECT_FALSE(EndMenu());  // no loop runs now
  // A second loop from inside the first runs only with TPM_RECURSE.
  HMENU other = CreatePopupMenu();
  AppendMenuW(other, MF_STRING, 9, u"&Nested");
  UINT nested = 1, plain = 1;
  backend.WhenIdle([&] {
    plain = UINT(TrackPopupMenu(other, TPM_RETURNCMD, 300, 300, 0, owner, nullptr));
    backend.WhenIdle([&] { backend.KeyPress('N'); });
    nested = UINT(TrackPopupMenu(other, TPM_RETURNCMD | TPM_RECURSE, 300, 300, 0, owner, nullptr));
    backend.KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(Track(), 0u);
  EXPECT_EQ(plain, 0u);
  EXPECT_EQ(nested, 9u);
  DestroyMenu(other);
}

}  // namespace
}  // namespace qv::test
