// The EDIT class when another program gives a paste's text later, as the
// desktop's reads are (the headless backend holds each read until the test
// answers it): the keys pressed meanwhile wait and act after the text, in
// their order, each with the keyboard it was pressed with, while another
// control's keys go on; Ctrl+V's text goes in at the selection as it is when
// it comes, a middle click's at the click kept on its spot of the text
// through every change made meanwhile, each as one step to undo; a newer
// paste replaces one on its way, and an edit that went or became read-only
// takes nothing.
#include "SysControlsTestSupport.h"
#include "platform/ole/Clipboard.h"

namespace qv::test {
namespace {

class EditPasteLater : public SysControlsTest {
 protected:
  void SetUp() override {
    SysControlsTest::SetUp();
    backend.DeferTextReads = true;
    e = Make(u"EDIT", 0, {10, 10, 300, 34}, u"hello world");
    SetFocus(e);
  }
  void Answer(std::optional<std::u16string> text) {
    ASSERT_TRUE(backend.AnswerTextRead(std::move(text))) << "no read was under way";
    backend.Pump();
  }
  void MiddleClick(int pos) {
    LRESULT p = SendMessageW(e, EM_POSFROMCHAR, WPARAM(pos), 0);
    POINT pt{short(LOWORD(p)) + 1, short(HIWORD(p)) + 5};
    ClientToScreen(e, &pt);
    backend.AdvanceClock(1000);  // never a double click
    backend.Click(pt.x, pt.y, MouseButton::Middle);
    backend.Pump();
  }
  void Undo() { SendMessageW(e, WM_UNDO, 0, 0); }

  HWND e = nullptr;
};

// As had the text come at once: typed keys after it, Ctrl+Z undoing the
// paste and not the typing before, a second Ctrl+V pasting again, Shift
// held then still held for its key. A click into another control and the
// keys typed there act at once.
TEST_F(EditPasteLater, KeysPressedAfterAPasteActAfterItsTextInTheirOrder) {
  HWND other = Make(u"EDIT", 0, {10, 40, 300, 64}, u"", 8);
  SendMessageW(e, EM_SETSEL, 5, 5);
  Key('V', false, true);
  ASSERT_EQ(backend.TextReadsGoing(), 1u);
  Type(u"XY");
  Key(VK_HOME, true);
  EXPECT_EQ(TextOf(e), u"hello world") << "keys acted before the paste's text";
  Click(20, 50);
  Type(u"Q");
  EXPECT_EQ(TextOf(other), u"Q") << "another control's keys waited";
  Answer(u"[p]");
  EXPECT_EQ(TextOf(e), u"hello[p]XY world");
  EXPECT_EQ(Sel(e), std::make_pair(0, 10)) << "Shift+Home lost its Shift";

  // Ctrl+Z undoes the paste; the typing before it stays.
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 16, 16);
  Type(u"!");
  Key('V', false, true);
  Key('Z', false, true);
  Answer(u"[q]");
  EXPECT_EQ(TextOf(e), u"hello[p]XY world!");

  // Ctrl+V twice pastes twice; the selection made by code meanwhile decides where.
  Key('V', false, true);
  Key('V', false, true);
  SendMessageW(e, EM_SETSEL, 0, 5);
  Answer(u"1");
  EXPECT_EQ(backend.TextReadsGoing(), 1u) << "the second Ctrl+V did not paste";
  Answer(u"2");
  EXPECT_EQ(TextOf(e), u"12[p]XY world!");
  EXPECT_EQ(Sel(e), std::make_pair(2, 2));

  // A paste that brings nothing lets the keys go on all the same.
  Key('V', false, true);
  Type(u"A");
  Answer(std::nullopt);
  EXPECT_EQ(TextOf(e), u"12A[p]XY world!");
}

// The changes meanwhile come from the program or the mouse: the keyboard's wait behind the paste.
TEST_F(EditPasteLater, AMiddleClicksTextGoesInAtTheClickKeptThroughChangesAsOneUndo) {
  auto replace = [&](int from, int to, const char16_t* text) {
    SendMessageW(e, EM_SETSEL, WPARAM(from), LPARAM(to));
    SendMessageW(e, EM_REPLACESEL, TRUE, LPARAM(text));
  };
  MiddleClick(6);  // the "w"
  EXPECT_EQ(Sel(e), std::make_pair(6, 6)) << "the caret waits at the click";
  replace(6, 6, u"AB");  // at the click: after the paste, as had it come at once
  replace(0, 0, u"Z");   // before the click: the click's place moves on
  EXPECT_EQ(TextOf(e), u"Zhello ABworld");
  Answer(u"[p]");
  EXPECT_EQ(TextOf(e), u"Zhello [p]ABworld");
  EXPECT_EQ(Sel(e), std::make_pair(1, 1)) << "the caret left where the text changed";
  Undo();
  EXPECT_EQ(TextOf(e), u"Zhello ABworld");

  // Text removed around the click's place: the paste goes where it was.
  SetWindowTextW(e, u"hello world");
  MiddleClick(6);
  replace(4, 8, u"-");
  EXPECT_EQ(TextOf(e), u"hell-rld");
  SendMessageW(e, EM_SETSEL, 6, 8);  // a selection after the place moves with its text
  Answer(u"[p]");
  EXPECT_EQ(TextOf(e), u"hell[p]-rld");
  EXPECT_EQ(Sel(e), std::make_pair(9, 11));
}

TEST_F(EditPasteLater, ANewerPasteReplacesOneOnItsWayAndNothingThatCameLeavesNoTrace) {
  SetWindowTextW(e, u"");
  SendMessageW(e, WM_PASTE, 0, 0);
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(backend.TextReadsGoing(), 1u) << "the first paste was not given up";
  Answer(u"second");
  EXPECT_EQ(TextOf(e), u"second");
  EXPECT_FALSE(backend.AnswerTextRead(u"first"));

  // A Ctrl+V replaces a middle click's paste: its text goes at the caret.
  SetWindowTextW(e, u"hello world");
  MiddleClick(2);
  SendMessageW(e, EM_SETSEL, 11, 11);
  SendMessageW(e, WM_PASTE, 0, 0);
  Answer(u"!");
  EXPECT_EQ(TextOf(e), u"hello world!");

  // Nothing came: no change, no notification.
  int changes = Count(e, EN_CHANGE);
  SendMessageW(e, WM_PASTE, 0, 0);
  Answer(std::nullopt);
  MiddleClick(0);
  Answer(u"");
  EXPECT_EQ(TextOf(e), u"hello world!");
  EXPECT_EQ(Count(e, EN_CHANGE), changes);
}

TEST_F(EditPasteLater, AnEditThatWentOrBecameReadOnlyTakesNothing) {
  SendMessageW(e, WM_PASTE, 0, 0);
  SendMessageW(e, EM_SETREADONLY, TRUE, 0);
  Answer(u"late");
  EXPECT_EQ(TextOf(e), u"hello world");

  SendMessageW(e, EM_SETREADONLY, FALSE, 0);
  MiddleClick(3);
  DestroyWindow(e);
  e = nullptr;
  EXPECT_EQ(backend.TextReadsGoing(), 0u) << "the read of an edit that went goes on";
  // One that ended with nobody left to take it.
  HWND other = Make(u"EDIT", 0, {10, 40, 300, 64}, u"", 8);
  SendMessageW(other, WM_PASTE, 0, 0);
  ASSERT_TRUE(backend.AnswerTextRead(u"late"));
  DestroyWindow(other);
  backend.Pump();
}

// Our own text is at hand: it goes in at once, and no read is asked.
TEST_F(EditPasteLater, OurOwnTextGoesInAtOnce) {
  backend.DeferTextReads = false;
  SetClipboardTextW(u"ours");
  SendMessageW(e, EM_SETSEL, 0, 5);
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(e), u"ours world");
  EXPECT_EQ(backend.TextReadsGoing(), 0u);
}

}  // namespace
}  // namespace qv::test
