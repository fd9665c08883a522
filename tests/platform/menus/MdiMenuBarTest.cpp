// A maximised MDI child in its frame's menu bar: the icon item in front and
// the three buttons at the right appear while it is maximised, are drawn,
// and a click on the close button closes the child.
#include "../window/WindowTestSupport.h"
#include "platform/menus/Menus.h"
#include "platform/window/Mdi.h"

namespace qv::test {
namespace {

LRESULT FrameProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefMDIFrameProcW(h, m, w, l);
}

class MdiMenuBar : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSEXW wc;
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = u"QvMdiBarFrame";
    RegisterClassExW(&wc);
    wc.lpfnWndProc = DefMDIChildProcW;
    wc.lpszClassName = u"QvMdiBarDoc";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    RegisterClassExW(&wc);
    frame = CreateWindowExW(0, u"QvMdiBarFrame", u"Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500, 400,
                            nullptr, nullptr, nullptr, nullptr);
    bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 11, u"&New");
    AppendMenuW(bar, MF_POPUP, uintptr_t(file), u"&File");
    SetMenu(frame, bar);
    RECT fc;
    GetClientRect(frame, &fc);
    CLIENTCREATESTRUCT ccs{nullptr, 100};
    client = CreateWindowExW(0, MDICLIENT_CLASS, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                             fc.Width(), fc.Height(), frame, nullptr, nullptr, &ccs);
    child = CreateMDIWindowW(u"QvMdiBarDoc", u"Doc", WS_VISIBLE, 10, 10, 200, 150, client, nullptr, 0);
    backend.Pump();
  }
  void TearDown() override {
    if (IsWindow(frame)) SetMenu(frame, nullptr);
    DestroyMenu(bar);
    WindowTest::TearDown();
    UnregisterClassW(u"QvMdiBarFrame", nullptr);
    UnregisterClassW(u"QvMdiBarDoc", nullptr);
  }
  HBITMAP Glyph(UINT pos) {
    MENUITEMINFOW mi;
    mi.fMask = MIIM_BITMAP;
    GetMenuItemInfoW(bar, pos, TRUE, &mi);
    return mi.hbmpItem;
  }
  HWND frame = nullptr, client = nullptr, child = nullptr;
  HMENU bar = nullptr;
};

TEST_F(MdiMenuBar, AMaximisedChildShowsItsIconAndButtonsInTheBar) {
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  SendMessageW(client, WM_MDIMAXIMIZE, WPARAM(child), 0);
  backend.Pump();
  ASSERT_EQ(GetMenuItemCount(bar), 5);
  EXPECT_EQ(Glyph(0), HBMMENU_SYSTEM);
  EXPECT_EQ(Glyph(2), HBMMENU_MBAR_MINIMIZE);
  EXPECT_EQ(Glyph(3), HBMMENU_MBAR_RESTORE);
  EXPECT_EQ(Glyph(4), HBMMENU_MBAR_CLOSE);
  MENUITEMINFOW icon;
  icon.fMask = MIIM_DATA | MIIM_SUBMENU;
  GetMenuItemInfoW(bar, 0, TRUE, &icon);
  EXPECT_EQ(HWND(icon.dwItemData), child);
  EXPECT_EQ(icon.hSubMenu, GetSystemMenu(child, FALSE));
  // The buttons sit at the right end of the bar, drawn with a dark glyph.
  RECT file, close, wr;
  GetMenuItemRect(frame, bar, 1, &file);
  GetMenuItemRect(frame, bar, 4, &close);
  GetWindowRect(frame, &wr);
  EXPECT_GT(close.left, wr.left + wr.Width() / 2);
  EXPECT_GT(file.left, wr.left + 20);  // after the icon
  Surface s = backend.Screenshot();
  int dark = 0;
  for (int y = close.top; y < close.bottom; ++y)
    for (int x = close.left; x < close.right; ++x) dark += (s.At(x, y) & 0xFFFFFF) == 0;
  EXPECT_GT(dark, 10);
  // Restoring takes them away; maximising again and clicking close closes the child.
  SendMessageW(client, WM_MDIRESTORE, WPARAM(child), 0);
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  SendMessageW(client, WM_MDIMAXIMIZE, WPARAM(child), 0);
  backend.Pump();
  GetMenuItemRect(frame, bar, 4, &close);
  backend.Click((close.left + close.right) / 2, (close.top + close.bottom) / 2);
  backend.Pump();
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetMenuItemCount(bar), 1);
}

}  // namespace
}  // namespace qv::test
