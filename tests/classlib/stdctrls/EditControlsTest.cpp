// TEdit, TMemo, TMaskEdit and TLabeledEdit on a form: events, properties
// kept across new windows, colours, lines against a model, the edit masks
// the catalogue uses, and the bound label.
#include <random>

#include "../controls/ControlsTestSupport.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/EditMask.h"
#include "classlib/stdctrls/LabeledEdit.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "classlib/stdctrls/Memo.h"
#include "classlib/stdctrls/TextMeasure.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/ole/Clipboard.h"

namespace qv::test {
namespace {

using EditControls = ControlsTest;

int MeasureLine(TControl* c) {
  return MeasureText(c->Font(), "Wg").cy;
}

TEST_F(EditControls, EditEventsAndPropertiesSurviveANewWindow) {
  TForm* form = NewForm();
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 150, 21);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->OnKeyPress = [](TObject*, char16_t& k) {
    if (k == u'x') k = 0;  // a filter drops the character
  };
  form->Show();
  edit->SetFocus();
  Pump();
  backend.TypeText(u"axbc");
  Pump();
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(edit->Modified());
  edit->SetText("set by code");
  EXPECT_EQ(changes, 4);
  edit->SetMaxLength(12);
  edit->SetPasswordChar(u'#');
  edit->SetReadOnly(true);
  edit->SetSelStart(4);
  edit->SetSelLength(2);
  EXPECT_EQ(edit->SelText(), "by");
  edit->RecreateWnd();
  Pump();
  HWND h = edit->Handle();
  EXPECT_EQ(edit->Text(), "set by code");
  EXPECT_EQ(SendMessageW(h, EM_GETLIMITTEXT, 0, 0), 12);
  EXPECT_EQ(SendMessageW(h, EM_GETPASSWORDCHAR, 0, 0), u'#');
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // The control's colour reaches the window through the reflected colour message.
  edit->SetReadOnly(false);
  edit->SetColor(clYellow);
  Pump();
  POINT o = edit->ClientOrigin();
  EXPECT_EQ(PixelAt(o.x + edit->ClientWidth() - 3, o.y + 10), Rgb(255, 255, 0));
  // AutoSelect selects everything on entering.
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 40, 150, 21);
  other->SetText("whole");
  other->SetFocus();
  Pump();
  EXPECT_EQ(other->SelLength(), 5);
  other->SelectAll();
  other->CutToClipboard();
  EXPECT_EQ(GetClipboardTextW(), u"whole");
  other->Undo();
  EXPECT_EQ(other->Text(), "whole");
}

class RedButton : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(ClientRect());
  }
};

TEST_F(EditControls, EditHostsAGraphicChildOverItsTextAndRoutesItsClicks) {
  TForm* form = NewForm();
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 150, 21);
  edit->SetText(std::string(40, 'W'));
  auto* button = new RedButton(form);
  button->SetParent(edit);
  button->SetAlign(alRight);
  button->SetWidth(18);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  Pump();
  // The text stops where the narrowed formatting rectangle ends.
  RECT r{0, 0, edit->ClientWidth() - 18, edit->ClientHeight()};
  SendMessageW(edit->Handle(), EM_SETRECTNP, 0, LPARAM(&r));
  edit->Invalidate();
  Pump();
  POINT o = edit->ClientOrigin();
  int bx = o.x + edit->ClientWidth() - 9, by = o.y + 8;
  EXPECT_EQ(PixelAt(bx, by), Rgb(255, 0, 0));
  int selected = edit->SelLength();
  backend.Click(bx, by);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(edit->SelLength(), selected);  // the edit itself did not take the click
}

TEST_F(EditControls, EditHeightFollowsItsFontUnlessAutoSizeIsOff) {
  TForm* form = NewForm();
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  EXPECT_TRUE(edit->AutoSize());
  int small = edit->Height();
  EXPECT_GE(small, 18);
  EXPECT_LE(small, 24);
  edit->SetHeight(60);
  edit->Font()->SetSize(20);
  int large = edit->Height();
  EXPECT_GT(large, small + 10);
  EXPECT_LT(large, 60);
  form->Show();
  Pump();
  // The text fits the window's client area.
  EXPECT_GE(edit->ClientHeight(), MeasureLine(edit));
  // Without a border it is as much lower as the border was high.
  edit->SetBorderStyle(bsNone);
  EXPECT_EQ(edit->Height(), large - 2 * GetSystemMetrics(SM_CYEDGE));
  edit->SetAutoSize(false);
  edit->SetHeight(60);
  edit->Font()->SetSize(8);
  EXPECT_EQ(edit->Height(), 60);
  // A memo keeps the height it is given.
  auto* memo = new TMemo(form);
  EXPECT_FALSE(memo->AutoSize());
  memo->SetHeight(200);
  memo->Font()->SetSize(24);
  EXPECT_EQ(memo->Height(), 200);
}

TEST_F(EditControls, MemoLinesMatchAStringListModel) {
  TForm* form = NewForm();
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetWordWrap(false);
  form->Show();
  TStringList model;
  std::mt19937 rng(3);
  for (int step = 0; step < 200; ++step) {
    int n = model.Count();
    std::string s = "line" + std::to_string(step);
    switch (rng() % 5) {
      case 0:
      case 1:
        memo->Lines()->Add(s), model.Add(s);
        break;
      case 2: {
        int at = int(rng() % uint32_t(n + 1));
        memo->Lines()->Insert(at, s), model.Insert(at, s);
        break;
      }
      case 3:
        if (n) {
          int at = int(rng() % uint32_t(n));
          memo->Lines()->Delete(at), model.Delete(at);
        }
        break;
      case 4:
        if (n) {
          int at = int(rng() % uint32_t(n));
          memo->Lines()->SetStrings(at, s), model.SetStrings(at, s);
        }
        break;
    }
    ASSERT_EQ(memo->Lines()->Count(), model.Count()) << step;
  }
  for (int i = 0; i < model.Count(); ++i) EXPECT_EQ(memo->Lines()->Strings(i), model.Strings(i));
  memo->Lines()->SetText("a\nb\nc");
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Strings(2), "c");
  memo->Lines()->Clear();
  EXPECT_EQ(memo->Lines()->Count(), 0);
}

TEST_F(EditControls, MemoTakesEnterButNotTabAndWrapsWords) {
  TForm* form = NewForm();
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 10, 120, 80);
  memo->SetScrollBars(ssVertical);
  form->Show();
  memo->SetFocus();
  Pump();
  backend.TypeText(u"one");
  backend.KeyPress(VK_RETURN);
  backend.TypeText(u"two");
  Pump();
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(1), "two");
  EXPECT_TRUE(GetWindowLongPtrW(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
  // A long line wraps into several display lines.
  memo->SetText("alpha beta gamma delta epsilon zeta eta theta iota kappa");
  EXPECT_GT(SendMessageW(memo->Handle(), EM_GETLINECOUNT, 0, 0), 2);
  memo->SetWordWrap(false);
  EXPECT_EQ(SendMessageW(memo->Handle(), EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(memo->Text(), "alpha beta gamma delta epsilon zeta eta theta iota kappa");
}

TEST(EditMaskLanguage, ParsesFieldsLiteralsCaseAndEscapes) {
  TEditMask date(u"!99/99/9999;1; ");
  EXPECT_TRUE(date.LeadingBlanks());
  EXPECT_TRUE(date.SaveLiterals());
  EXPECT_EQ(date.Blank(), u' ');
  EXPECT_EQ(date.EmptyText(), u"  /  /    ");
  EXPECT_EQ(date.Format(u"07/12/2026"), u"07/12/2026");
  EXPECT_EQ(date.FirstMissing(u"  /  /    "), -1);  // nothing required
  TEditMask strict(u"!90/90/0000;1; ");
  EXPECT_EQ(strict.FirstMissing(u" 7/12/2026"), -1);  // "9" may stay blank, "0" may not
  EXPECT_EQ(strict.FirstMissing(u"7 /12/2026"), 1);
  EXPECT_EQ(strict.FirstMissing(u"07/12/20  "), 8);
  TEditMask code(u">LL\\-000<ll;0;_");
  EXPECT_FALSE(code.SaveLiterals());
  EXPECT_EQ(code.EmptyText(), u"__-_____");
  EXPECT_EQ(code.Accept(0, u'a'), u'A');
  EXPECT_EQ(code.Accept(0, u'1'), 0);
  EXPECT_EQ(code.Accept(6, u'Q'), u'q');
  EXPECT_EQ(code.Format(u"ab123cd"), u"AB-123cd");
  EXPECT_EQ(code.Value(u"AB-123cd"), u"AB123cd");
  EXPECT_EQ(code.NextEditable(2, 1), 3);
  EXPECT_EQ(code.NextEditable(2, -1), 1);
  TEditMask semi(u"a\\;a;1;*");
  EXPECT_EQ(semi.EmptyText(), u"*;*");
}

TEST_F(EditControls, MaskEditTypesOverTheMaskAndValidatesOnExit) {
  TForm* form = NewForm();
  auto* date = new TMaskEdit(form);
  date->SetParent(form);
  date->SetEditMask("!90/90/0000;1; ");
  auto* after = new TEdit(form);
  after->SetParent(form);
  after->SetTop(40);
  form->Show();
  EXPECT_EQ(date->EditText(), "  /  /    ");
  date->SetFocus();
  Pump();
  date->SetSelStart(0);
  backend.TypeText(u"07x12/2026");  // x is refused, the typed "/" steps over the literal
  Pump();
  EXPECT_EQ(date->Text(), "07/12/2026");
  EXPECT_FALSE(backend.Beeps.empty());
  backend.KeyPress(VK_BACK);
  backend.KeyPress(VK_BACK);
  Pump();
  EXPECT_EQ(date->EditText(), "07/12/20  ");
  // Leaving with required digits missing raises and keeps the focus there.
  EXPECT_THROW(date->ValidateEdit(), EDBEditError);
  EXPECT_EQ(date->SelStart(), 8);
  // Pasting types character by character through the mask.
  date->SetSelStart(8);
  SetClipboardTextW(u"3a1");
  date->PasteFromClipboard();
  EXPECT_EQ(date->Text(), "07/12/2031");
  // Another program's text, given later, is typed through the mask when it comes.
  date->SetSelStart(8);
  backend.DeferTextReads = true;
  date->PasteFromClipboard();
  EXPECT_EQ(date->Text(), "07/12/2031");
  ASSERT_TRUE(backend.AnswerTextRead(u"2x9"));
  Pump();
  backend.DeferTextReads = false;
  EXPECT_EQ(date->Text(), "07/12/2029");
  EXPECT_NO_THROW(date->ValidateEdit());
  // With optional digits only, an empty date is valid.
  date->SetEditMask("!99/99/9999;1; ");
  date->SetText("");
  EXPECT_EQ(date->EditText(), "  /  /    ");
  EXPECT_NO_THROW(date->ValidateEdit());
  // Arrows step over the literals.
  date->SetText("01/02/2003");
  date->SetSelStart(0);
  backend.KeyPress(VK_RIGHT);
  backend.KeyPress(VK_RIGHT);
  Pump();
  EXPECT_EQ(date->SelStart(), 3);
  backend.KeyPress(VK_LEFT);
  Pump();
  EXPECT_EQ(date->SelStart(), 1);
  // Text set from code lines up with the mask.
  date->SetText("1/2");
  EXPECT_EQ(date->EditText(), "1 /  /    ");
}

TEST_F(EditControls, LabeledEditKeepsItsLabelBesideIt) {
  TForm* form = NewForm();
  auto* edit = new TLabeledEdit(form);
  edit->SetParent(form);
  edit->SetBounds(20, 40, 120, 21);
  edit->EditLabel()->SetCaption("&Name");
  auto* first = new TEdit(form);
  first->SetParent(form);
  first->SetTop(100);
  form->Show();
  first->SetFocus();
  Pump();
  TBoundLabel* label = edit->EditLabel();
  EXPECT_EQ(label->Parent(), form);
  EXPECT_EQ(label->Left(), 20);
  EXPECT_EQ(label->Top() + label->Height() + edit->LabelSpacing(), 40);
  edit->SetLeft(60);
  EXPECT_EQ(label->Left(), 60);
  edit->SetLabelPosition(lpLeft);
  EXPECT_EQ(label->Left() + label->Width() + 3, 60);
  edit->SetVisible(false);
  EXPECT_FALSE(label->Visible());
  edit->SetVisible(true);
  // Alt+N focuses the edit through the label's accelerator.
  backend.KeyDown(VK_MENU);
  backend.KeyPress('N');
  backend.KeyUp(VK_MENU);
  Pump();
  EXPECT_TRUE(edit->Focused());
}

}  // namespace
}  // namespace qv::test
