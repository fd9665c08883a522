// Message boxes as real modal windows: their layout (icon, wrapped text,
// centred buttons with the default marked), the owner disabled while they
// run, answers by keys, mnemonics and the mouse, and which keys close which box.
#include "SysDialogsTestSupport.h"

namespace qv::test {
namespace {

class MessageBoxes : public DialogTest {};

TEST_F(MessageBoxes, LayoutOwnerAndTheCancelKey) {
  std::u16string text =
      u"All discs in the database will be deleted! This cannot be undone, and the catalogue files are "
      u"rewritten from the start. Do you want to go on?";
  HWND seen = nullptr;
  bool ownerDisabled = false;
  backend.ModalAnswers.push_back([&](HWND dialog) {
    seen = dialog;
    ownerDisabled = !IsWindowEnabled(owner);
    EXPECT_EQ(GetActiveWindow(), dialog);
    EXPECT_EQ(TextOf(dialog), u"Delete");
    auto buttons = Children(dialog, u"BUTTON");
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(TextOf(buttons[0]), u"&Yes");
    EXPECT_EQ(TextOf(buttons[1]), u"&No");
    EXPECT_EQ(TextOf(buttons[2]), u"Cancel");
    EXPECT_EQ(GetWindowLongPtrW(buttons[1], GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);  // MB_DEFBUTTON2
    EXPECT_EQ(GetFocus(), buttons[1]);
    // One row, centred.
    RECT client, first = RectIn(dialog, buttons[0]), last = RectIn(dialog, buttons[2]);
    GetClientRect(dialog, &client);
    EXPECT_EQ(first.top, last.top);
    EXPECT_NEAR(first.left, client.right - last.right, 1);
    // The text wraps at a readable width, right of the icon.
    auto statics = Children(dialog, u"STATIC");
    ASSERT_EQ(statics.size(), 2u);
    RECT icon = RectIn(dialog, statics[0]), body = RectIn(dialog, statics[1]);
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_GE(body.left, icon.right);
    EXPECT_LE(body.Width(), 420);
    EXPECT_GT(body.Height(), 2 * 12);  // more than one line
    EXPECT_EQ(TextOf(statics[1]), text);
    EXPECT_LT(body.bottom, first.top);
    backend.KeyPress(VK_ESCAPE);
  });
  int r = MessageBoxW(owner, text.c_str(), u"Delete", MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON2);
  EXPECT_EQ(r, IDCANCEL);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);
  ASSERT_FALSE(backend.Beeps.empty());
  EXPECT_EQ(backend.Beeps.back(), MB_ICONWARNING);
}

TEST_F(MessageBoxes, KeysAnswerAsEachBoxAllows) {
  // Yes/No: Esc and the close box do nothing; arrows move, Enter presses the focused button.
  Keys({VK_ESCAPE, VK_RIGHT, VK_RETURN});
  EXPECT_EQ(MessageBoxW(owner, u"Sure?", u"Q", MB_YESNO), IDNO);
  backend.ModalAnswers.push_back([&](HWND dialog) {
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(dialog));
    backend.KeyPress(VK_RETURN);  // the default: Yes
  });
  EXPECT_EQ(MessageBoxW(owner, u"Sure?", u"Q", MB_YESNO), IDYES);
  // The underlined letter, with Alt or on a focused button.
  backend.ModalAnswers.push_back([&](HWND) {
    backend.KeyDown(VK_MENU);
    backend.KeyPress('R');
    backend.KeyUp(VK_MENU);
  });
  EXPECT_EQ(MessageBoxW(owner, u"Disc not ready", u"Q", MB_ABORTRETRYIGNORE), IDRETRY);
  Keys({'I'});
  EXPECT_EQ(MessageBoxW(owner, u"Disc not ready", u"Q", MB_ABORTRETRYIGNORE), IDIGNORE);
  // Tab moves on, Shift+Tab goes back round.
  Keys({VK_TAB, VK_RETURN});
  EXPECT_EQ(MessageBoxW(owner, u"Retry?", u"Q", MB_RETRYCANCEL), IDCANCEL);
  // A box with only OK closes with Esc too.
  Keys({VK_ESCAPE});
  EXPECT_EQ(MessageBoxW(owner, u"Done", u"Q", MB_OK), IDOK);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(MessageBoxes, AMouseClickOnAButtonAnswersAndTheIconShows) {
  backend.ModalAnswers.push_back([&](HWND dialog) {
    backend.Pump();
    Surface s = backend.Screenshot();
    auto statics = Children(dialog, u"STATIC");
    RECT icon;
    GetWindowRect(statics[0], &icon);
    int red = 0;
    for (int y = icon.top; y < icon.bottom; ++y)
      for (int x = icon.left; x < icon.right; ++x) red += PixelR(s.At(x, y)) > 180 && PixelG(s.At(x, y)) < 80;
    EXPECT_GT(red, 200);  // the error icon's red disc
    RECT cancel;
    GetWindowRect(Children(dialog, u"BUTTON")[1], &cancel);
    backend.Click((cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2);
  });
  EXPECT_EQ(MessageBoxW(owner, u"Failed to create new folder here!", u"Error", MB_OKCANCEL | MB_ICONERROR),
            IDCANCEL);
}

TEST_F(MessageBoxes, CustomButtonsAndNoOwner) {
  MessageDialogSpec spec;
  spec.caption = u"Replace";
  spec.text = u"Replace all?";
  spec.buttons = {{10, u"&All"}, {11, u"N&one"}, {12, u"Cancel"}};
  spec.defaultId = 11;
  spec.cancelId = 12;
  Keys({VK_RETURN});
  EXPECT_EQ(ShowMessageDialog(spec), 11);
  Keys({VK_ESCAPE});
  EXPECT_EQ(ShowMessageDialog(spec), 12);
  backend.ModalAnswers.push_back([&](HWND) {
    backend.KeyDown(VK_MENU);
    backend.KeyPress('O');
    backend.KeyUp(VK_MENU);
  });
  EXPECT_EQ(ShowMessageDialog(spec), 11);
  spec.buttons.clear();
  EXPECT_EQ(ShowMessageDialog(spec), 0);  // nothing to answer with
}

}  // namespace
}  // namespace qv::test
