// The application object: modal forms in nested loops (ended by
// ModalResult, or freeing themselves on close), re-entrant
// ProcessMessages, timers on the test clock, hints after their pauses, and
// the default report of an exception from an event handler.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "classlib/controls/HintWindow.h"
#include "classlib/controls/MessageBox.h"
#include "classlib/controls/Timer.h"

namespace qv::test {
namespace {

using App = ControlsTest;

class Tracked : public TForm {
 public:
  Tracked(TComponent* owner, bool* gone) : TForm(owner), gone_(gone) {}
  ~Tracked() override { *gone_ = true; }

 private:
  bool* gone_;
};

TEST_F(App, ShowModalRunsUntilModalResultAndDisablesTheOtherForms) {
  TForm* main = NewForm({0, 0, 300, 200});
  main->Show();
  TForm* dialog = NewForm({50, 50, 250, 150}, bsDialog);
  auto* ok = new TButtonControl(dialog);
  ok->ModalResult = mrOk;
  ok->SetParent(dialog);
  bool mainEnabledMeanwhile = true;
  int shows = 0;
  dialog->OnShow = [&](TObject*) { ++shows; };
  backend.WhenIdle([&] {
    mainEnabledMeanwhile = IsWindowEnabled(main->WindowHandle());
    EXPECT_EQ(Screen->ActiveForm(), dialog);
    ok->Click();  // a button with a ModalResult ends the loop
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(shows, 1);
  EXPECT_FALSE(mainEnabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(main->WindowHandle()));
  EXPECT_FALSE(dialog->Visible());
  EXPECT_THROW(main->ShowModal(), EInvalidOperation);  // already visible

  // Closing is vetoed by OnCloseQuery once, then the loop ends.
  int asked = 0;
  dialog->OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
  backend.WhenIdle([&] { dialog->Close(); });
  backend.WhenIdle([&] { dialog->Close(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
}

TEST_F(App, AModalFormThatFreesItselfOnCloseGoesAfterShowModalReturns) {
  bool gone = false;
  auto* dialog = new Tracked(nullptr, &gone);
  dialog->SetBoundsRect({50, 50, 250, 150});
  dialog->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  backend.WhenIdle([&] {
    dialog->Close();
    Application->ProcessMessages();  // a nested loop does not free it yet
    EXPECT_FALSE(gone);
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_FALSE(gone);  // the caller may still read it
  Application->ProcessMessages();
  EXPECT_TRUE(gone);
}

TEST_F(App, ProcessMessagesIsReentrantAndHandlesEachMessageOnce) {
  TForm* form = NewForm();
  std::vector<int> order;
  int depth = 0, deepest = 0;
  form->WindowProc = [&, old = form->WindowProc](TMessage& m) {
    if (m.Msg != WM_USER) return old(m);
    order.push_back(int(m.WParam));
    deepest = std::max(deepest, ++depth);
    if (m.WParam < 4) {
      PostMessageW(form->WindowHandle(), WM_USER, m.WParam + 1, 0);
      PostMessageW(form->WindowHandle(), WM_USER, m.WParam + 10, 0);
      Application->ProcessMessages();
    }
    --depth;
  };
  PostMessageW(form->Handle(), WM_USER, 1, 0);
  Application->ProcessMessages();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 11, 3, 12, 4, 13}));  // first in, first out at every depth
  EXPECT_EQ(deepest, 4);
  EXPECT_EQ(depth, 0);
  // A form released deep inside a handler goes only after the outermost loop.
  bool gone = false;
  auto* victim = new Tracked(nullptr, &gone);
  form->WindowProc = [&, old = form->WindowProc](TMessage& m) {
    if (m.Msg != WM_USER + 1) return old(m);
    victim->Release();
    Application->ProcessMessages();
    EXPECT_FALSE(gone);
  };
  PostMessageW(form->WindowHandle(), WM_USER + 1, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(gone);
}

TEST_F(App, TimersFireOnTheTestClock) {
  TTimer timer(nullptr);
  std::vector<DWORD> fired;
  timer.SetInterval(100);
  timer.OnTimer = [&](TObject*) { fired.push_back(GetTickCount()); };
  DWORD start = GetTickCount();
  backend.AdvanceClock(350);
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0] - start, 100u);
  EXPECT_EQ(fired[2] - start, 300u);
  timer.SetEnabled(false);
  backend.AdvanceClock(500);
  EXPECT_EQ(fired.size(), 3u);
  timer.SetEnabled(true);
  timer.SetInterval(40);
  backend.AdvanceClock(100);
  EXPECT_EQ(fired.size(), 5u);
}

TEST_F(App, HintShowsAfterThePauseAndHidesAfterTheHidePause) {
  TForm* form = NewForm({100, 100, 400, 300});
  auto* tip = new Probe(form);
  tip->SetBounds(10, 10, 100, 50);
  tip->SetHint("Short|Long text");
  tip->SetShowHint(true);
  tip->SetParent(form);
  auto* plain = new Probe(form);
  plain->SetBounds(150, 10, 100, 50);
  plain->SetParent(form);
  std::vector<std::string> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint); };
  form->Show();
  Pump();
  auto showing = [] { return Application->HintWindow() && Application->HintWindow()->IsHintShowing(); };
  backend.MouseMove(120, 120);
  Pump();
  backend.AdvanceClock(Application->HintPause - 10);
  EXPECT_FALSE(showing());
  backend.AdvanceClock(20);
  ASSERT_TRUE(showing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "Short");
  RECT r;
  GetWindowRect(Application->HintWindow()->WindowHandle(), &r);
  EXPECT_GT(r.top, 120);  // below the cursor
  EXPECT_EQ(hints, (std::vector<std::string>{"Long text"}));
  backend.AdvanceClock(Application->HintHidePause + 10);
  EXPECT_FALSE(showing());
  // Moving to a control without a hint shows nothing.
  backend.MouseMove(300, 120);
  Pump();
  backend.AdvanceClock(Application->HintPause + 10);
  EXPECT_FALSE(showing());
  // CM_HINTSHOW may refuse.
  tip->WindowProc = [old = tip->WindowProc](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) return void(m.Result = 1);
    old(m);
  };
  backend.MouseMove(120, 120);
  Pump();
  backend.AdvanceClock(Application->HintPause + 10);
  EXPECT_FALSE(showing());
  Application->OnHint = nullptr;
}

// The pointer rests on a control, then leaves the program's windows before
// the pause is over, where no mouse message follows it: no hint appears out
// there, far from its control; the control shows it again on return, and
// it goes when the pointer leaves again.
TEST_F(App, AHintWaitingForThePauseStaysAwayWhenThePointerLeavesItsControl) {
  TForm* form = NewForm({100, 100, 400, 300});
  auto* tip = new Probe(form);
  tip->SetBounds(10, 10, 100, 50);
  tip->SetHint("Tip");
  tip->SetShowHint(true);
  tip->SetParent(form);
  form->Show();
  Pump();
  auto showing = [] { return Application->HintWindow() && Application->HintWindow()->IsHintShowing(); };
  for (POINT away : {POINT{700, 120}, POINT{120, 600}}) {
    backend.MouseMove(120, 120);
    Pump();
    backend.AdvanceClock(Application->HintPause / 2);
    backend.MouseMove(away.x, away.y);
    Pump();
    backend.AdvanceClock(Application->HintPause);
    EXPECT_FALSE(showing()) << "a hint at " << away.x << "," << away.y;
  }
  backend.MouseMove(120, 120);
  Pump();
  backend.AdvanceClock(Application->HintPause + 10);
  ASSERT_TRUE(showing());
  RECT r;
  GetWindowRect(Application->HintWindow()->WindowHandle(), &r);
  EXPECT_LT(std::abs(r.left - 120), 40);
  // A hint that shows goes when the pointer leaves the program's windows.
  backend.MouseMove(700, 120);
  Pump();
  backend.WhenIdle([] {});
  Application->HandleMessage();  // an idle pass
  EXPECT_FALSE(showing());
}

// A hint never stands over what the user opened: a dropped-down list or a
// popup calendar over its control's window keeps it away, and a dialog that
// takes the activation takes the hint that shows with it at once.
TEST_F(App, AHintStaysOffPopupsAndGoesWhenADialogOpens) {
  TForm* form = NewForm({100, 100, 400, 300});
  auto* tip = new Probe(form);
  tip->SetBounds(10, 10, 100, 50);
  tip->SetHint("Tip");
  tip->SetShowHint(true);
  tip->SetParent(form);
  form->Show();
  Pump();
  auto showing = [] { return Application->HintWindow() && Application->HintWindow()->IsHintShowing(); };
  TForm* popup = NewForm({100, 150, 400, 290});
  popup->HandleNeeded();
  SetWindowPos(popup->Handle(), HWND_TOPMOST, 100, 150, 300, 140, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Pump();
  backend.MouseMove(120, 120);
  Pump();
  backend.AdvanceClock(Application->HintPause + 10);
  EXPECT_FALSE(showing());
  // Closed again: the hint comes back.
  ShowWindow(popup->Handle(), SW_HIDE);
  backend.MouseMove(300, 250);
  Pump();
  backend.MouseMove(120, 120);
  Pump();
  backend.AdvanceClock(Application->HintPause + 10);
  ASSERT_TRUE(showing());
  TForm* dialog = NewForm({500, 400, 700, 550});
  dialog->Show();
  Pump();
  EXPECT_FALSE(showing());
  delete dialog;
  delete popup;
}

TEST_F(App, AnExceptionFromAHandlerIsReportedAndTheLoopGoesOn) {
  std::vector<std::string> boxes;
  auto old = SetMessageBoxHook([&](const std::string& text, const std::string& caption, UINT flags) {
    boxes.push_back(caption + ": " + text + ((flags & MB_ICONSTOP) ? " (stop)" : ""));
    return IDOK;
  });
  TForm* form = NewForm({100, 100, 400, 300});
  auto* p = new Probe(form);
  p->SetBounds(0, 0, 50, 50);
  p->SetParent(form);
  int clicks = 0;
  p->OnClick = [&](TObject*) {
    if (++clicks == 1) throw EConvertError("Invalid Date");
  };
  form->Show();
  backend.Click(110, 110);
  backend.AdvanceClock(1000);
  backend.Click(110, 110);
  Pump();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(boxes, (std::vector<std::string>{"Quirvane: Invalid Date. (stop)"}));
  SetMessageBoxHook(old);
  // Without a hook the box is a real dialog: Enter presses its default button.
  backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });
  EXPECT_EQ(MessageBox(nullptr, "q", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
}

TEST_F(App, AModalFormIsAnsweredThroughTheBackend) {
  TForm* form = NewForm({100, 100, 400, 300}, bsDialog);
  int asked = 0;
  backend.ModalAnswers.push_back([&](HWND dialog) {
    ++asked;
    EXPECT_EQ(dialog, form->Handle());
    EXPECT_TRUE(IsWindowVisible(dialog));
    form->SetModalResult(mrOk);  // answered before the loop waits for anything
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(form->Visible());
}

}  // namespace
}  // namespace qv::test
