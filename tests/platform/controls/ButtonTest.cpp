// The BUTTON class: clicks by mouse (released inside only), Space and Enter;
// automatic check boxes, three-state boxes and radio groups; BM_* state
// messages; owner drawing and a few paintings checked on pixels.
#include "SysControlsTestSupport.h"
#include "platform/window/OwnerDraw.h"

namespace qv::test {
namespace {

using Button = SysControlsTest;

TEST_F(Button, ClickedByMouseReleasedInsideSpaceAndEnter) {
  HWND b = Make(u"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, {20, 20, 100, 45}, u"&OK");
  backend.Click(50, 30);
  backend.Pump();
  EXPECT_EQ(Count(b, BN_CLICKED), 1);
  EXPECT_EQ(GetFocus(), b);
  // Pressed, dragged out and released outside: no click, and not left pushed.
  backend.MouseMove(50, 30);
  backend.MouseDown();
  backend.Pump();
  EXPECT_TRUE(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  backend.MouseMove(150, 100);
  backend.Pump();
  EXPECT_FALSE(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(Count(b, BN_CLICKED), 1);
  // Space clicks on release; Enter at once.
  backend.KeyDown(VK_SPACE);
  backend.Pump();
  EXPECT_TRUE(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EXPECT_EQ(Count(b, BN_CLICKED), 1);
  backend.KeyUp(VK_SPACE);
  backend.Pump();
  EXPECT_EQ(Count(b, BN_CLICKED), 2);
  Key(VK_RETURN);
  EXPECT_EQ(Count(b, BN_CLICKED), 3);
  SendMessageW(b, BM_CLICK, 0, 0);
  EXPECT_EQ(Count(b, BN_CLICKED), 4);
  // A disabled button takes no clicks.
  EnableWindow(b, FALSE);
  backend.Click(50, 30);
  backend.Pump();
  SendMessageW(b, BM_CLICK, 0, 0);
  EXPECT_EQ(Count(b, BN_CLICKED), 4);
  EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), LRESULT(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON));
}

TEST_F(Button, CheckBoxesCycleTheirStates) {
  HWND two = Make(u"BUTTON", BS_AUTOCHECKBOX, {10, 10, 150, 30}, u"Two", 1);
  HWND three = Make(u"BUTTON", BS_AUTO3STATE, {10, 40, 150, 60}, u"Three", 2);
  HWND manual = Make(u"BUTTON", BS_CHECKBOX, {10, 70, 150, 90}, u"Manual", 3);
  std::vector<LRESULT> seen;
  for (int i = 0; i < 3; ++i) {
    SendMessageW(two, BM_CLICK, 0, 0);
    SendMessageW(three, BM_CLICK, 0, 0);
    seen.push_back(SendMessageW(two, BM_GETCHECK, 0, 0) * 10 + SendMessageW(three, BM_GETCHECK, 0, 0));
  }
  EXPECT_EQ(seen, (std::vector<LRESULT>{11, 2, 10}));
  // A two-state box given the third state shows it as checked.
  SendMessageW(two, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(SendMessageW(two, BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
  // A manual box only notifies; its owner decides.
  backend.Click(20, 80);
  backend.Pump();
  EXPECT_EQ(SendMessageW(manual, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
  EXPECT_EQ(Count(manual, BN_CLICKED), 1);
  // Space toggles the focused box.
  SetFocus(two);
  Key(VK_SPACE);
  EXPECT_EQ(SendMessageW(two, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
}

TEST_F(Button, AutomaticRadioButtonsCheckOnePerGroup) {
  HWND a = Make(u"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, {10, 10, 150, 30}, u"A", 1);
  HWND b = Make(u"BUTTON", BS_AUTORADIOBUTTON, {10, 30, 150, 50}, u"B", 2);
  HWND c = Make(u"BUTTON", BS_AUTORADIOBUTTON, {10, 50, 150, 70}, u"C", 3);
  HWND d = Make(u"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, {10, 80, 150, 100}, u"D", 4);
  HWND e = Make(u"BUTTON", BS_AUTORADIOBUTTON, {10, 100, 150, 120}, u"E", 5);
  auto checks = [&] {
    std::string s;
    for (HWND h : {a, b, c, d, e}) s += SendMessageW(h, BM_GETCHECK, 0, 0) ? '1' : '0';
    return s;
  };
  backend.Click(20, 40);
  backend.Pump();
  EXPECT_EQ(checks(), "01000");
  SendMessageW(d, BM_CLICK, 0, 0);
  EXPECT_EQ(checks(), "01010");  // the second group is separate
  SendMessageW(c, BM_CLICK, 0, 0);
  EXPECT_EQ(checks(), "00110");
  SendMessageW(e, BM_CLICK, 0, 0);
  EXPECT_EQ(checks(), "00101");
  EXPECT_EQ(Count(c, BN_CLICKED), 1);
  EXPECT_EQ(SendMessageW(a, WM_GETDLGCODE, 0, 0), LRESULT(DLGC_BUTTON | DLGC_RADIOBUTTON));
}

std::vector<DRAWITEMSTRUCT> gDrawn;
LRESULT DrawingParent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(l);
    gDrawn.push_back(*dis);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dis->hDC, &dis->rcItem, red);
    DeleteObject(red);
    return TRUE;
  }
  return ParentProc(h, m, w, l);
}

TEST_F(Button, OwnerDrawnButtonsAskTheParentWithTheirState) {
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&DrawingParent));
  gDrawn.clear();
  HWND b = Make(u"BUTTON", BS_OWNERDRAW, {10, 10, 90, 40}, u"Own", 9);
  EXPECT_EQ(Pixel(50, 25), PixelRGB(255, 0, 0) & 0xFFFFFF);
  ASSERT_FALSE(gDrawn.empty());
  EXPECT_EQ(gDrawn.back().CtlType, ODT_BUTTON);
  EXPECT_EQ(gDrawn.back().CtlID, 9u);
  EXPECT_EQ(gDrawn.back().hwndItem, b);
  EXPECT_EQ(gDrawn.back().rcItem, (RECT{0, 0, 80, 30}));
  backend.MouseMove(50, 25);
  backend.MouseDown();
  backend.Pump();
  EXPECT_TRUE(gDrawn.back().itemState & ODS_SELECTED);
  EXPECT_TRUE(gDrawn.back().itemState & ODS_FOCUS);
  backend.MouseUp();
  backend.Pump();
  EXPECT_FALSE(gDrawn.back().itemState & ODS_SELECTED);
  EXPECT_EQ(Count(b, BN_CLICKED), 1);
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&ParentProc));
}

TEST_F(Button, PaintingsOfPushCheckAndGroup) {
  HWND push = Make(u"BUTTON", BS_DEFPUSHBUTTON, {10, 10, 90, 35}, u"Go", 1);
  HWND check = Make(u"BUTTON", BS_AUTOCHECKBOX, {10, 50, 120, 70}, u"Check", 2);
  HWND group = Make(u"BUTTON", BS_GROUPBOX, {150, 10, 300, 120}, u"Group", 3);
  (void)group;
  // The default button's black frame, the raised edge inside it.
  EXPECT_EQ(Pixel(10, 20), 0u);
  EXPECT_EQ(Pixel(11, 20), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(Pixel(88, 20), Sys(COLOR_3DDKSHADOW));
  // Pressed: the frame turns into a single shadow line.
  SendMessageW(push, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(Pixel(11, 20), Sys(COLOR_BTNSHADOW));
  // The check box square on the left is white inside, with a mark once checked.
  int whiteBefore = CountColour({11, 54, 24, 67}, Sys(COLOR_WINDOW));
  EXPECT_GT(whiteBefore, 60);
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_LT(CountColour({11, 54, 24, 67}, Sys(COLOR_WINDOW)), whiteBefore - 5);
  // The group box: an etched frame below the caption's middle, caption over it.
  EXPECT_EQ(Pixel(150, 100), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(Pixel(151, 100), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(WindowFromPoint(POINT{200, 60}), parent);  // group boxes let the mouse through
}

}  // namespace
}  // namespace qv::test
