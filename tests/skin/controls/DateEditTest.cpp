// The date edit: the date held in the masked text, typing and checking,
// limits, date keys, and the drop-down calendar opened by the button and
// Alt+Down, choosing a day by mouse and keys, accepted, refused or cancelled.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "platform/DateFormat.h"
#include "platform/Exception.h"
#include "platform/LocaleDates.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skPopupClndr.h"
#include "skin/controls/skTooledit.h"
#include "skin/skMessages.h"

namespace qv::test {
namespace {

class DateEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLocaleDates(TLocaleDates::English());
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 300);
    edit = new TSkDateEdit(form);
    edit->SetParent(form);
    edit->SetBounds(20, 20, 120, 21);
    form->Show();
    backend.Pump();
    edit->SetFocus();
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  TSkPopupCalendar* Popup() { return edit->Calendar(); }
  POINT Screen(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
  TSkDateEdit* edit = nullptr;
};

TEST_F(DateEdit, DateLivesInTheMaskedText) {
  EXPECT_EQ(edit->EditMask(), "!99/99/9999;1; ");
  EXPECT_EQ(edit->DateFormat(), "DD/MM/YYYY");
  EXPECT_EQ(edit->SkinData()->ClassCode, 140);
  EXPECT_EQ(edit->MaxLength(), 10);
  EXPECT_EQ(edit->GetDate(), 0.0);  // the blank mask
  edit->SetDate(EncodeDate(2024, 2, 29));
  EXPECT_EQ(edit->Text(), "29/02/2024");
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 2, 29));
  EXPECT_TRUE(edit->Modified());
  edit->SetDate(0.0);
  EXPECT_EQ(edit->GetDate(), 0.0);
  EXPECT_EQ(edit->Text().find_first_not_of(" /"), std::string::npos);
  edit->SetDate(1e9);  // not a date: the null date
  EXPECT_EQ(edit->GetDate(), 0.0);
  edit->DefaultToday = true;
  EXPECT_EQ(edit->GetDate(), Date());
  edit->SetYearDigits(dyTwo);
  EXPECT_EQ(edit->EditMask(), "!99/99/99;1; ");
  EXPECT_EQ(edit->DateFormat(), "DD/MM/YY");
  EXPECT_EQ(edit->GetDate(), Date());
}

TEST_F(DateEdit, TypingThroughTheMaskAndTheExitCheck) {
  backend.KeyPress(VK_HOME);
  backend.TypeText(u"01x022024");  // the letter is refused by the mask
  backend.Pump();
  EXPECT_EQ(edit->Text(), "01/02/2024");
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 2, 1));
  // Unreadable text reads as the default and raises nothing.
  edit->SetText("31/02/2024");
  EXPECT_EQ(edit->GetDate(), 0.0);
  edit->CheckOnExit = true;
  edit->SetText("99/99/9999");
  try {
    edit->CheckValidDate();
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Invalid Date");
  }
  EXPECT_TRUE(edit->Focused());
  // A blank edit passes; a readable one is clamped to the limits.
  edit->SetText("");
  EXPECT_NO_THROW(edit->CheckValidDate());
  edit->SetMaxDate(EncodeDate(2020, 1, 1));
  edit->SetText("05/05/2021");
  edit->CheckValidDate();
  EXPECT_EQ(edit->GetDate(), EncodeDate(2020, 1, 1));
}

TEST_F(DateEdit, LeavingAnInvalidDateKeepsTheFocus) {
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(20, 60, 120, 21);
  std::string reported;
  Application->OnException = [&](TObject*, std::exception& e) {
    if (auto* x = dynamic_cast<Exception*>(&e)) reported = x->Message;
  };
  edit->CheckOnExit = true;
  edit->SetText("99/99/9999");
  try {
    other->SetFocus();
    backend.Pump();
  } catch (const EConvertError& e) {
    reported = e.Message;
  }
  Application->OnException = nullptr;
  EXPECT_EQ(reported, "Invalid Date");
  EXPECT_TRUE(edit->Focused());
  // A readable date leaves freely, clamped to the limits.
  edit->SetMinDate(EncodeDate(2030, 1, 1));
  edit->SetText("01/01/2029");
  other->SetFocus();
  backend.Pump();
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(edit->GetDate(), EncodeDate(2030, 1, 1));
}

TEST_F(DateEdit, LimitsAndNullLimits) {
  edit->SetMinDate(EncodeDate(2020, 1, 1));
  EXPECT_EQ(edit->GetDate(), EncodeDate(2020, 1, 1));  // a blank edit is below every limit
  edit->SetMaxDate(EncodeDate(2019, 1, 1));            // below the minimum: ignored
  EXPECT_EQ(edit->MaxDate(), 0.0);
  edit->SetMaxDate(EncodeDate(2021, 1, 1));
  edit->SetDate(EncodeDate(2020, 6, 1));
  edit->SetMinDate(EncodeDate(2022, 1, 1));  // above the maximum: ignored
  EXPECT_EQ(edit->MinDate(), EncodeDate(2020, 1, 1));
  // Lifting a limit keeps the date and is possible with the other limit set.
  edit->SetMaxDate(0.0);
  EXPECT_EQ(edit->MaxDate(), 0.0);
  EXPECT_EQ(edit->GetDate(), EncodeDate(2020, 6, 1));
  edit->SetMinDate(0.0);
  EXPECT_EQ(edit->GetDate(), EncodeDate(2020, 6, 1));
  edit->SetMaxDate(EncodeDate(2020, 3, 1));
  EXPECT_EQ(edit->GetDate(), EncodeDate(2020, 3, 1));
}

TEST_F(DateEdit, PlusMinusAndTodayKeys) {
  backend.KeyPress(VK_ADD);
  backend.Pump();
  EXPECT_EQ(edit->GetDate(), Date() + 1);
  backend.KeyPress(VK_SUBTRACT);
  backend.KeyPress(VK_SUBTRACT);
  backend.Pump();
  EXPECT_EQ(edit->GetDate(), Date() - 1);
  backend.TypeText(u"t");
  backend.Pump();
  EXPECT_EQ(edit->GetDate(), Date());
  edit->SetDirectInput(false);
  backend.KeyPress(VK_ADD);
  backend.Pump();
  EXPECT_EQ(edit->GetDate(), Date());
}

TEST_F(DateEdit, ButtonOpensTheCalendarAndAClickedDayIsAccepted) {
  edit->SetDate(EncodeDate(2024, 3, 15));
  edit->SetStartOfWeek(dowMonday);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  TControl* b = edit->Button();
  const POINT p = Screen(b, b->Width() / 2, b->Height() / 2);
  backend.Click(p.x, p.y);
  backend.Pump();
  TSkPopupCalendar* popup = Popup();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->Visible());
  EXPECT_EQ(popup->Height(), 144);
  // Below the edit; right edges aligned would pass the screen's left side,
  // so the left edges are.
  const POINT e = form->ClientToScreen(POINT{edit->Left(), edit->Top()});
  EXPECT_EQ(popup->Top(), e.y + edit->Height());
  EXPECT_EQ(popup->Left(), e.x);
  TSkMonthCalendar* cal = popup->Calendar();
  EXPECT_EQ(cal->CalendarDate(), EncodeDate(2024, 3, 15));
  EXPECT_EQ(cal->StartOfWeek(), dowMonday);
  // 1 March 2024 is a Friday: with Monday first, the 20th is Wednesday of row 4.
  TSkCalendGrid* grid = cal->Grid();
  const RECT r = grid->CellRect(2, 4);
  const POINT c = Screen(grid, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  backend.Click(c.x, c.y);
  backend.Pump();
  Application->ProcessMessages();
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 3, 20));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit->Popup, nullptr);  // closed and freed
  EXPECT_TRUE(edit->Focused());
}

TEST_F(DateEdit, AltDownAndKeysChooseADay) {
  edit->SetDate(EncodeDate(2024, 3, 1));
  backend.KeyDown(VK_MENU);
  backend.KeyPress(VK_DOWN);
  backend.KeyUp(VK_MENU);
  backend.Pump();
  ASSERT_NE(Popup(), nullptr);
  ASSERT_TRUE(Popup()->Visible());
  // Keys reach the calendar wherever the focus is: the edit passes them on.
  WORD key = VK_LEFT;
  Popup()->Calendar()->Grid()->KeyDown(key, TShiftState{});
  EXPECT_EQ(Popup()->Calendar()->CalendarDate(), EncodeDate(2024, 2, 29));
  Popup()->Calendar()->Grid()->KeyDown(key = VK_NEXT, TShiftState{ssCtrl});
  EXPECT_EQ(Popup()->Calendar()->CalendarDate(), EncodeDate(2025, 2, 28));
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 3, 1));  // not yet accepted
  WORD enter = VK_RETURN;
  Popup()->OnKeyDown(Popup(), enter, TShiftState{});
  Application->ProcessMessages();
  EXPECT_EQ(edit->Popup, nullptr);
  EXPECT_EQ(edit->GetDate(), EncodeDate(2025, 2, 28));
}

TEST_F(DateEdit, RefusedAndCancelledChoicesLeaveTheDate) {
  edit->SetDate(EncodeDate(2024, 5, 5));
  edit->OnAcceptDate = [](TObject*, TDateTime&, bool& can) { can = false; };
  edit->PopupDropDown();
  ASSERT_NE(Popup(), nullptr);
  Popup()->Calendar()->SetDay(9);
  Popup()->Accept();
  Application->ProcessMessages();
  EXPECT_EQ(edit->Popup, nullptr);
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 5, 5));
  EXPECT_TRUE(edit->Focused());
  // An accepting handler may change the date it is given.
  edit->OnAcceptDate = [](TObject*, TDateTime& d, bool&) { d += 1; };
  edit->PopupDropDown();
  Popup()->Calendar()->SetDay(9);
  WORD esc = VK_ESCAPE;
  Popup()->OnKeyDown(Popup(), esc, TShiftState{});
  Application->ProcessMessages();
  EXPECT_EQ(edit->Popup, nullptr);
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 5, 5));
  edit->PopupDropDown();
  Popup()->Calendar()->SetDay(9);
  Popup()->Accept();
  Application->ProcessMessages();
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 5, 10));
  // Read-only edits open nothing.
  edit->SetReadOnly(true);
  edit->PopupDropDown();
  EXPECT_EQ(edit->Popup, nullptr);
}

TEST_F(DateEdit, LocaleChangeReachesTheEditThroughTheApplication) {
  edit->SetDate(EncodeDate(2024, 12, 25));
  TLocaleDates l = TLocaleDates::English();
  l.ShortDateFormat = "mm/dd/yyyy";
  SetLocaleDates(l);
  SendMessageW(Application->Handle(), WM_WININICHANGE, 0, 0);
  EXPECT_EQ(edit->DateFormat(), "MM/DD/YYYY");
  EXPECT_EQ(edit->Text(), "12/25/2024");
  EXPECT_EQ(edit->GetDate(), EncodeDate(2024, 12, 25));
  SetLocaleDates(TLocaleDates::English());
  delete edit;  // its hook goes with it
  edit = nullptr;
  SendMessageW(Application->Handle(), WM_WININICHANGE, 0, 0);
}

TEST_F(DateEdit, UnskinnedLooksAsThePlainMaskEdit) {
  auto* plain = new TMaskEdit(form);
  plain->SetParent(form);
  plain->SetBounds(20, 60, 120, 21);
  plain->SetEditMask("!99/99/9999;1; ");
  plain->SetText("07/12/2026");
  edit->SetDate(EncodeDate(2026, 12, 7));
  form->SetFocus();
  backend.Pump();
  const Surface shot = backend.Screenshot();
  // The frame is the plain one; the text sits where the edit with a button puts
  // it, so only its ink is compared.
  const int textWidth = edit->Width() - edit->Button()->Width() - 4;
  auto at = [&](TControl* c, int x, int y) {
    const POINT p = form->ClientToScreen(POINT{c->Left() + x, c->Top() + y});
    return shot.At(p.x, p.y) & 0xFFFFFF;
  };
  const int H = edit->Height();
  for (int x = 0; x < textWidth; ++x)
    for (int y : {0, 1, H - 2, H - 1}) ASSERT_EQ(at(edit, x, y), at(plain, x, y)) << x << "," << y;
  for (int y = 0; y < H; ++y)
    for (int x : {0, 1}) ASSERT_EQ(at(edit, x, y), at(plain, x, y)) << x << "," << y;
  int inkEdit = 0, inkPlain = 0;
  for (int y = 2; y < H - 2; ++y)
    for (int x = 2; x < textWidth; ++x) {
      inkEdit += PixelR(at(edit, x, y)) < 128;
      inkPlain += PixelR(at(plain, x, y)) < 128;
    }
  EXPECT_GT(inkPlain, 20);
  EXPECT_EQ(inkEdit, inkPlain);
  // The skin queries are answered without a manager, by the calendar too.
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
  edit->WindowProc(q);
  EXPECT_EQ(q.LParam, 1);
  edit->PopupDropDown();
  ASSERT_NE(Popup(), nullptr);
  TMessage q2{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
  Popup()->Calendar()->WindowProc(q2);
  EXPECT_EQ(q2.LParam, 1);
  EXPECT_FALSE(Popup()->Calendar()->SkinData()->Skinned());
  EXPECT_EQ(Popup()->Color(), clBtnFace);
}

}  // namespace
}  // namespace qv::test
