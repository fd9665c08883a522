// Actions driving their clients: menu items and controls follow caption,
// hint, enabled, checked and visible; the idle pass runs the update rules;
// shortcuts reach the form's action lists before the focused control and
// fall through when the action is disabled; a modal dialog keeps the main
// window's shortcuts away; clicks execute; freed actions leave no dangling
// links.
#include "../controls/ControlsTestSupport.h"
#include "classlib/actions/ActnList.h"
#include "classlib/menus/Menus.h"
#include "classlib/stdctrls/Button.h"
#include "platform/controls/SystemControls.h"
#include "platform/menus/Menus.h"

namespace qv::test {
namespace {

class Actions : public ControlsTest {
 protected:
  void SetUp() override {
    form = NewForm();
    list = new TActionList(form);
    copy = new TAction(form);
    copy->SetActionList(list);
    copy->SetCaption("&Copy");
    copy->SetHint(" Copy report ");
    copy->SetShortCut(TextToShortCut("Ctrl+C"));
    copy->OnExecute = [this](TObject*) { ++executed; };
    copy->OnUpdate = [this](TObject*) { copy->SetEnabled(haveText); };
    control = new Probe(form);
    control->SetParent(form);
    control->SetBounds(10, 10, 100, 30);
    control->OnKeyDown = [this](TObject*, WORD& key, TShiftState) { keys.push_back(key); };
    form->Show();
    control->SetFocus();
    Pump();
  }
  void CtrlC() {
    backend.KeyDown(VK_CONTROL);
    backend.KeyPress('C');
    backend.KeyUp(VK_CONTROL);
    Pump();
  }

  TForm* form = nullptr;
  TActionList* list = nullptr;
  TAction* copy = nullptr;
  Probe* control = nullptr;
  bool haveText = true;
  int executed = 0;
  std::vector<WORD> keys;
};

TEST_F(Actions, ClientsFollowTheActionAndTheIdleUpdate) {
  auto* popup = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  popup->Items()->Add(item);
  item->SetAction(copy);
  control->SetAction(copy);
  EXPECT_EQ(item->Caption(), "&Copy");
  EXPECT_EQ(item->ShortCut(), TextToShortCut("Ctrl+C"));
  EXPECT_EQ(control->Caption(), "&Copy");
  EXPECT_EQ(control->Hint(), " Copy report ");
  haveText = false;
  Application->DoActionIdle();
  EXPECT_FALSE(copy->Enabled());
  EXPECT_FALSE(item->Enabled());
  EXPECT_FALSE(control->Enabled());
  EXPECT_TRUE(GetMenuState(popup->Handle(), 0, MF_BYPOSITION) & MF_GRAYED);
  haveText = true;
  Application->DoActionIdle();
  EXPECT_TRUE(item->Enabled() && control->Enabled());
  copy->SetChecked(true);
  EXPECT_TRUE(item->Checked());
  copy->SetVisible(false);
  EXPECT_FALSE(control->Visible());
  EXPECT_EQ(GetMenuItemCount(popup->Handle()), 0);
  // A hidden form's actions are left alone.
  form->Hide();
  haveText = false;
  Application->DoActionIdle();
  EXPECT_TRUE(copy->Enabled());
}

TEST_F(Actions, ShortcutRunsTheEnabledActionBeforeTheFocusedControl) {
  CtrlC();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), WORD('C')), 0);
  haveText = false;  // disabled by its update: the key goes on to the control
  CtrlC();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), WORD('C')), 1);
}

TEST_F(Actions, ModalDialogKeepsTheMainFormsShortcutsAway) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  TForm* main = nullptr;
  Application->CreateForm(main);
  auto* mainList = new TActionList(main);
  auto* help = new TAction(main);
  help->SetActionList(mainList);
  help->SetShortCut(VK_F2);
  int mainHelp = 0, dialogHelp = 0;
  help->OnExecute = [&](TObject*) { ++mainHelp; };
  main->Show();
  Pump();
  TForm* dialog = NewForm(RECT{200, 200, 400, 350});
  auto* dialogList = new TActionList(dialog);
  auto* dialogHelpAction = new TAction(dialog);
  dialogHelpAction->SetActionList(dialogList);
  dialogHelpAction->SetShortCut(VK_F1);
  dialogHelpAction->OnExecute = [&](TObject*) { ++dialogHelp; };
  backend.WhenIdle([&] { backend.KeyPress(VK_F1); });
  backend.WhenIdle([&] { backend.KeyPress(VK_F2); });  // the main form's: not while the dialog is up
  backend.WhenIdle([&] { dialog->SetModalResult(mrCancel); });
  dialog->ShowModal();
  EXPECT_EQ(dialogHelp, 1);
  EXPECT_EQ(mainHelp, 0);
  main->SetFocus();
  backend.KeyPress(VK_F2);
  Pump();
  EXPECT_EQ(mainHelp, 1);
}

TEST_F(Actions, ClickExecutesTheActionUnlessOnClickIsSet) {
  control->SetAction(copy);
  control->Click();
  EXPECT_EQ(executed, 1);
  haveText = false;  // Execute runs the update first
  control->Click();
  EXPECT_EQ(executed, 1);
  haveText = true;
  int own = 0;
  control->OnClick = [&](TObject*) { ++own; };
  control->Click();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(executed, 1);
  // The list's OnExecute can take every action over.
  control->OnClick = nullptr;
  list->OnExecute = [](TBasicAction*, bool& handled) { handled = true; };
  control->Click();
  EXPECT_EQ(executed, 1);
}

TEST_F(Actions, FreedActionOrClientLeavesNoDanglingLink) {
  auto* item = new TMenuItem(form);
  item->SetAction(copy);
  control->SetAction(copy);
  delete copy;
  copy = nullptr;
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(control->Action(), nullptr);
  EXPECT_EQ(list->ActionCount(), 0);
  control->Click();  // nothing to run, nothing to crash
  auto* a = new TAction(form);
  a->SetActionList(list);
  item->SetAction(a);
  delete item;
  EXPECT_TRUE(a->Links().empty());
  delete list;  // frees its actions
  list = nullptr;
}

TEST_F(Actions, CheckedActionsOfAGroupExcludeEachOther) {
  auto* a = new TAction(form);
  auto* b = new TAction(form);
  a->SetActionList(list), b->SetActionList(list);
  a->SetGroupIndex(3), b->SetGroupIndex(3);
  auto* item = new TMenuItem(form);
  item->SetAction(a);
  a->SetChecked(true);
  EXPECT_TRUE(item->Checked());
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(item->Checked());
  // AutoCheck toggles on execute.
  b->AutoCheck = true;
  b->Execute();
  EXPECT_FALSE(b->Checked());
}

TEST_F(Actions, ButtonsFollowTheirActionAndClickRunsIt) {
  RegisterSystemControls();
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(20, 60, 90, 25);
  button->SetAction(copy);
  Pump();
  EXPECT_EQ(button->Caption(), "&Copy");
  char16_t text[32];
  GetWindowTextW(button->Handle(), text, 32);
  EXPECT_EQ(std::u16string(text), u"&Copy");
  haveText = false;
  Application->DoActionIdle();
  EXPECT_FALSE(IsWindowEnabled(button->Handle()));
  haveText = true;
  Application->DoActionIdle();
  EXPECT_TRUE(IsWindowEnabled(button->Handle()));
  POINT at = button->ClientToScreen(POINT{10, 10});
  backend.Click(at.x, at.y);
  Pump();
  EXPECT_EQ(executed, 1);
}

}  // namespace
}  // namespace qv::test
