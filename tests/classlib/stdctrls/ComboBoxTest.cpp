// TComboBox: items with integer objects before and after the window, the
// change and select events (never for a selection made in code), the
// dropped list sized by DropDownCount, drop-down and close-up events, and
// owner drawing of the field.
#include "classlib/graphics/Brush.h"
#include "classlib/stdctrls/ComboBox.h"
#include "platform/controls/ComboBox.h"
#include "tests/classlib/controls/ControlsTestSupport.h"

namespace qv::test {
namespace {

using TComboBoxTest = ControlsTest;

TObject* Tag(intptr_t v) {
  return reinterpret_cast<TObject*>(v);
}

TCustomComboBox* NewCombo(TForm* form, TComboBoxStyle style) {
  auto* combo = new TComboBox(form);
  combo->SetStyle(style);
  combo->SetBounds(20, 20, 150, 21);
  return combo;
}

TEST_F(TComboBoxTest, ChoosingFiresChangeButSettingTheIndexDoesNot) {
  TForm* form = NewForm();
  auto* combo = NewCombo(form, csDropDownList);
  combo->SetSorted(true);
  combo->Items()->BeginUpdate();
  combo->Items()->AddObject(" < Every Disc > ", Tag(0));
  combo->Items()->AddObject(" beta ", Tag(2));
  combo->Items()->AddObject(" alpha ", Tag(1));
  combo->Items()->EndUpdate();
  combo->SetItemIndex(0);
  combo->SetParent(form);
  std::vector<std::string> log;
  combo->OnChange = [&](TObject*) { log.push_back("change " + combo->Text()); };
  combo->OnDropDown = [&](TObject*) { log.push_back("drop"); };
  combo->OnCloseUp = [&](TObject*) { log.push_back("close"); };
  form->Show();
  Pump();
  EXPECT_EQ(combo->Height(), 21);
  EXPECT_EQ(combo->Items()->Strings(1), " alpha ");
  EXPECT_EQ(combo->Items()->Objects(1), Tag(1));
  EXPECT_EQ(combo->Text(), " < Every Disc > ");
  combo->SetItemIndex(2);
  EXPECT_TRUE(log.empty());
  combo->SetFocus();
  backend.KeyPress(VK_UP);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"change  alpha "}));
  log.clear();
  // OnSelect, when set, is told instead of OnChange.
  int selects = 0;
  combo->OnSelect = [&](TObject*) { ++selects; };
  backend.KeyPress(VK_F4);
  backend.KeyPress(VK_DOWN);
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"drop", "close"}));
  EXPECT_EQ(selects, 2) << "the move in the list and the choice";
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_THROW(combo->Items()->Objects(5), EListError);
}

TEST_F(TComboBoxTest, ItemsObjectsAndSelectionSurviveANewWindow) {
  TForm* form = NewForm();
  auto* combo = NewCombo(form, csDropDownList);
  combo->Items()->AddObject("one", Tag(1));
  combo->Items()->AddObject("two", Tag(2));
  combo->Items()->Insert(0, "zero");
  combo->SetItemIndex(2);
  combo->SetParent(form);
  form->Show();
  Pump();
  ASSERT_TRUE(combo->HandleAllocated());
  // A style change makes a new window; items, objects and selection go along.
  combo->SetStyle(csDropDown);
  Pump();
  ASSERT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(combo->Items()->ToVector(), (std::vector<std::string>{"zero", "one", "two"}));
  EXPECT_EQ(combo->Items()->Objects(2), Tag(2));
  EXPECT_EQ(combo->Items()->Objects(0), nullptr);
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->Items()->IndexOf("ONE"), 1);
  EXPECT_THROW(combo->Items()->Strings(3), EListError);
  EXPECT_THROW(combo->Items()->Delete(7), EListError);
  combo->Items()->Clear();
  EXPECT_EQ(combo->Items()->Count(), 0);
}

TEST_F(TComboBoxTest, TheDroppedListShowsDropDownCountRows) {
  TForm* form = NewForm();
  auto* combo = NewCombo(form, csDropDownList);
  combo->SetDropDownCount(4);
  combo->SetParent(form);
  form->Show();
  for (int i = 0; i < 10; ++i) combo->Items()->Add("item " + std::to_string(i));
  combo->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(combo->DroppedDown());
  RECT lr;
  GetWindowRect(combo->ListHandle(), &lr);
  EXPECT_EQ(lr.Height(), combo->ItemHeight() * 4 + 2);
  RECT cr;
  GetWindowRect(combo->Handle(), &cr);
  EXPECT_EQ(lr.top, cr.bottom);
  combo->SetDroppedDown(false);
  // Fewer items than DropDownCount: the list is only as tall as they are.
  combo->Items()->Clear();
  combo->Items()->Add("only");
  combo->SetDroppedDown(true);
  GetWindowRect(combo->ListHandle(), &lr);
  EXPECT_EQ(lr.Height(), combo->ItemHeight() + 2);
  combo->SetDroppedDown(false);
  EXPECT_EQ(combo->EditHandle(), nullptr);
}

TEST_F(TComboBoxTest, OwnerDrawnFieldAndRowsComeFromOnDrawItem) {
  TForm* form = NewForm();
  auto* combo = NewCombo(form, csOwnerDrawFixed);
  combo->SetItemHeight(18);
  std::vector<std::pair<int, bool>> drawn;  // index, in the field
  combo->OnDrawItem = [&](TWinControl*, int index, const RECT& r, TOwnerDrawState state) {
    drawn.push_back({index, state.Contains(odComboBoxEdit)});
    combo->Canvas()->Brush()->SetColor(clYellow);
    combo->Canvas()->FillRect(r);
  };
  for (auto* s : {"a", "b", "c"}) combo->Items()->Add(s);
  combo->SetItemIndex(1);
  combo->SetParent(form);
  form->Show();
  Pump();
  EXPECT_TRUE(std::count(drawn.begin(), drawn.end(), std::pair<int, bool>{1, true}));
  EXPECT_EQ(PixelAt(100 + 20 + 40, 100 + 20 + 10), Rgb(255, 255, 0));
  drawn.clear();
  combo->SetDroppedDown(true);
  Pump();
  int rows = int(std::count_if(drawn.begin(), drawn.end(), [](auto& d) { return !d.second; }));
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(combo->ItemHeight(), 18);
  combo->SetDroppedDown(false);
}

TEST_F(TComboBoxTest, TheEditableStyleReportsTypingAndChoosing) {
  TForm* form = NewForm();
  auto* other = new Probe(form);
  other->SetBounds(200, 20, 40, 20);
  other->SetParent(form);
  auto* combo = NewCombo(form, csDropDown);
  combo->SetText("typed before");
  for (auto* s : {"red", "green", "blue"}) combo->Items()->Add(s);
  combo->SetParent(form);
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  Pump();
  EXPECT_EQ(combo->Text(), "typed before");
  ASSERT_NE(combo->EditHandle(), nullptr);
  combo->SetFocus();
  Pump();
  EXPECT_EQ(form->ActiveControl(), combo);
  EXPECT_EQ(GetFocus(), combo->EditHandle());
  combo->SelectAll();
  backend.TypeText(u"gr");
  Pump();
  EXPECT_EQ(combo->Text(), "gr");
  EXPECT_EQ(changes, 2);
  backend.KeyPress(VK_DOWN);  // starts at the item the text begins
  Pump();
  EXPECT_EQ(combo->Text(), "green");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(changes, 3);
  combo->SetItemIndex(2);
  EXPECT_EQ(combo->Text(), "blue");
  EXPECT_EQ(changes, 3) << "a choice made in code is quiet";
  combo->Items()->Clear();
  EXPECT_EQ(combo->Text(), "blue") << "clearing the items keeps the text";
  EXPECT_EQ(changes, 3);
  other->SetFocus();
  Pump();
  EXPECT_EQ(form->ActiveControl(), other);
}

TEST_F(TComboBoxTest, EnterAndEscapeCloseADroppedListBeforeTheFormsButtons) {
  TForm* form = NewForm();
  auto* combo = NewCombo(form, csDropDownList);
  for (auto* s : {"one", "two", "three"}) combo->Items()->Add(s);
  combo->SetParent(form);
  int defaults = 0, cancels = 0;
  auto* ok = new TButtonControl(form);
  ok->SetDefault(true);
  ok->SetBounds(20, 100, 60, 25);
  ok->OnClick = [&](TObject*) { ++defaults; };
  ok->SetParent(form);
  auto* cancel = new TButtonControl(form);
  cancel->SetCancel(true);
  cancel->SetBounds(90, 100, 60, 25);
  cancel->OnClick = [&](TObject*) { ++cancels; };
  cancel->SetParent(form);
  form->Show();
  combo->SetFocus();
  Pump();
  backend.KeyPress(VK_F4);
  backend.KeyPress(VK_DOWN);
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(defaults, 0);
  backend.KeyPress(VK_F4);
  backend.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(cancels, 0);
  backend.KeyDown(VK_MENU);
  backend.KeyPress(VK_DOWN);
  backend.KeyUp(VK_MENU);
  Pump();
  EXPECT_TRUE(combo->DroppedDown()) << "Alt+Down";
  backend.KeyPress(VK_ESCAPE);
  Pump();
  // Closed, the keys are the form's again.
  backend.KeyPress(VK_RETURN);
  backend.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(defaults, 1);
  EXPECT_EQ(cancels, 1);
}

}  // namespace
}  // namespace qv::test
