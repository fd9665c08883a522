// The EDIT class and the desktop's primary selection, on the headless
// backend's recorder: a selection the user makes by keys or mouse is
// offered (never a program's, never a password's, never an empty one), and
// a middle click inserts the primary selection at the click as one
// undoable change; the clipboard is left as it was by both.
#include "SysControlsTestSupport.h"

namespace qv::test {
namespace {

class EditPrimary : public SysControlsTest {
 protected:
  void SetUp() override {
    SysControlsTest::SetUp();
    backend.Clipboard = u"the clipboard's";
  }
  void TearDown() override {
    EXPECT_EQ(backend.Clipboard, u"the clipboard's") << "the clipboard was touched";
    SysControlsTest::TearDown();
  }
  static std::u16string Selected(HWND e) {
    auto [a, b] = Sel(e);
    return TextOf(e).substr(size_t(a), size_t(b - a));
  }
  // The caret position `pos` on the screen, half a line down.
  POINT At(HWND e, int pos) {
    LRESULT p = SendMessageW(e, EM_POSFROMCHAR, WPARAM(pos), 0);
    POINT pt{short(LOWORD(p)), short(HIWORD(p)) + 5};
    ClientToScreen(e, &pt);
    return pt;
  }
  void Drag(HWND e, int from, int to) {
    POINT a = At(e, from), b = At(e, to);
    std::u16string before = backend.Primary;
    backend.MouseMove(a.x, a.y);
    backend.MouseDown();
    backend.MouseMove(b.x, b.y);
    backend.Pump();
    EXPECT_EQ(backend.Primary, before) << "offered before the drag ended";
    backend.MouseUp();
    backend.Pump();
  }
  void MiddleClick(HWND e, int pos) {
    POINT p = At(e, pos);
    backend.Click(p.x, p.y, MouseButton::Middle);
    backend.Pump();
  }
};

TEST_F(EditPrimary, TheUsersSelectionByKeysOrMouseIsOfferedAndStaysAsSelected) {
  HWND e = Make(u"EDIT", 0, {10, 10, 300, 34}, u"alpha beta gamma");
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 0, 5);  // a program's selection is not the user's
  EXPECT_EQ(backend.Primary, u"");
  Key(VK_HOME);
  Key(VK_RIGHT, true);
  EXPECT_EQ(backend.Primary, u"a");
  Key(VK_RIGHT, true, true);
  EXPECT_EQ(backend.Primary, Selected(e));
  Key(VK_END, true);
  EXPECT_EQ(backend.Primary, u"alpha beta gamma");
  // The selection emptied, or typed over: what was selected stays offered.
  Key(VK_LEFT, true);
  Key(VK_RIGHT);
  EXPECT_EQ(Sel(e).first, Sel(e).second);
  EXPECT_EQ(backend.Primary, u"alpha beta gamm");
  Key('A', false, true);
  EXPECT_EQ(backend.Primary, u"alpha beta gamma");
  Type(u"x");
  EXPECT_EQ(backend.Primary, u"alpha beta gamma");

  SetWindowTextW(e, u"first second third");
  backend.AdvanceClock(1000);
  Drag(e, 6, 12);
  EXPECT_EQ(backend.Primary, u"second");
  backend.AdvanceClock(1000);
  Drag(e, 14, 14);  // a click: nothing selected, nothing offered
  EXPECT_EQ(backend.Primary, u"second");
  backend.AdvanceClock(1000);
  DoubleClick(At(e, 15).x, At(e, 15).y);
  EXPECT_EQ(backend.Primary, u"third");
  DestroyWindow(e);
  EXPECT_EQ(backend.Primary, u"third");
}

TEST_F(EditPrimary, APasswordIsNeverOffered) {
  HWND p = Make(u"EDIT", ES_PASSWORD, {10, 10, 300, 34}, u"secret words");
  SetFocus(p);
  Key(VK_END, true);
  Key('A', false, true);
  Drag(p, 0, 6);
  DoubleClick(At(p, 2).x, At(p, 2).y);
  EXPECT_EQ(Selected(p), u"secret") << "the selection itself works";
  EXPECT_EQ(backend.Primary, u"");
}

TEST_F(EditPrimary, AMiddleClickInsertsThePrimarySelectionAtTheClickAsOneUndoableChange) {
  HWND e = Make(u"EDIT", 0, {10, 10, 300, 34}, u"0123456789");
  HWND m = Make(u"EDIT", ES_MULTILINE, {10, 40, 300, 120}, u"line", 8);
  SetFocus(m);
  SendMessageW(e, EM_SETSEL, 0, 2);
  backend.Primary = u"ab\r\ncd";  // another program's
  MiddleClick(e, 4);
  // At the click, not over the selection; a single line takes the first line.
  EXPECT_EQ(TextOf(e), u"0123ab456789");
  EXPECT_EQ(GetFocus(), e);
  EXPECT_EQ(Sel(e), std::make_pair(6, 6));
  Key('Z', false, true);
  EXPECT_EQ(TextOf(e), u"0123456789");

  MiddleClick(m, 2);
  EXPECT_EQ(TextOf(m), u"liab\r\ncdne");
  EXPECT_EQ(backend.Primary, u"ab\r\ncd") << "pasting took the primary selection";

  // Nothing offered: nothing changes, not even the caret.
  backend.Primary.clear();
  int changes = Count(m, EN_CHANGE);
  auto caret = Sel(m);
  MiddleClick(m, 0);
  EXPECT_EQ(TextOf(m), u"liab\r\ncdne");
  EXPECT_EQ(Sel(m), caret);
  EXPECT_EQ(Count(m, EN_CHANGE), changes);
}

TEST_F(EditPrimary, ReadOnlyAndDisabledEditsTakeNothingFromAMiddleClick) {
  HWND r = Make(u"EDIT", ES_READONLY, {10, 10, 300, 34}, u"fixed");
  HWND d = Make(u"EDIT", 0, {10, 40, 300, 64}, u"off", 8);
  EnableWindow(d, FALSE);
  backend.Primary = u"pasted";
  MiddleClick(r, 2);
  MiddleClick(d, 1);
  SendMessageW(d, WM_MBUTTONDOWN, 0, MAKELPARAM(2, 5));
  EXPECT_EQ(TextOf(r), u"fixed");
  EXPECT_EQ(TextOf(d), u"off");
}

}  // namespace
}  // namespace qv::test
