// TButton, TBitBtn, TCheckBox, TRadioButton, TRadioGroup and TScrollBar on a
// form: clicks by mouse, keys and code, default and cancel buttons, modal
// results, radio groups, scroll events, a bit button's painting and the
// pictures of its kinds, and what the buttons take from their actions.
#include "../controls/ControlsTestSupport.h"
#include "classlib/actions/ActnList.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/BitBtn.h"
#include "classlib/stdctrls/BitBtnGlyphs.h"
#include "classlib/stdctrls/CheckBox.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "classlib/stdctrls/GroupBox.h"
#include "classlib/stdctrls/ScrollBar.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "platform/controls/SystemControls.h"

namespace qv::test {
namespace {

using ButtonControls = ControlsTest;

void ClickAt(HeadlessBackend& b, TControl* c, int x = 5, int y = 5) {
  POINT o = c->ClientOrigin();
  b.Click(o.x + x, o.y + y);
}

TEST_F(ButtonControls, ButtonsClickOnceByMouseSpaceEnterAndAccelerator) {
  TForm* form = NewForm();
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetBounds(10, 50, 75, 25);
  ok->SetCaption("&Go");
  ok->SetDefault(true);
  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetBounds(100, 50, 75, 25);
  cancel->SetCancel(true);
  std::vector<std::string> log;
  ok->OnClick = [&](TObject*) { log.push_back("ok"); };
  cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
  form->Show();
  edit->SetFocus();
  Pump();
  EXPECT_EQ(GetWindowLongPtrW(ok->Handle(), GWL_STYLE) & BS_TYPEMASK, LONG_PTR(BS_DEFPUSHBUTTON));
  backend.KeyPress(VK_RETURN);
  backend.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel"}));
  log.clear();
  // The focused button takes the default look from the default button.
  cancel->SetFocus();
  Pump();
  EXPECT_EQ(GetWindowLongPtrW(ok->Handle(), GWL_STYLE) & BS_TYPEMASK, LONG_PTR(BS_PUSHBUTTON));
  EXPECT_EQ(GetWindowLongPtrW(cancel->Handle(), GWL_STYLE) & BS_TYPEMASK, LONG_PTR(BS_DEFPUSHBUTTON));
  backend.KeyPress(VK_SPACE);
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"cancel", "cancel"}));
  log.clear();
  ClickAt(backend, ok, 20, 10);
  Pump();
  backend.KeyDown(VK_MENU);
  backend.KeyPress('G');
  backend.KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"ok", "ok"}));
}

TEST_F(ButtonControls, ModalResultEndsTheModalForm) {
  TForm* dialog = NewForm({200, 200, 400, 300}, bsDialog);
  auto* yes = new TBitBtn(dialog);
  yes->SetParent(dialog);
  yes->SetKind(bkYes);
  EXPECT_EQ(yes->Caption(), "&Yes");
  EXPECT_EQ(yes->ModalResult, mrYes);
  EXPECT_TRUE(yes->Default());
  backend.WhenIdle([&] {
    POINT o = yes->ClientOrigin();
    backend.Click(o.x + 10, o.y + 10);
  });
  EXPECT_EQ(dialog->ShowModal(), mrYes);
}

TEST_F(ButtonControls, BitBtnPaintsItsGlyphAndGreysItWhenDisabled) {
  TForm* form = NewForm();
  auto* b = new TBitBtn(form);
  b->SetParent(form);
  b->SetBounds(10, 10, 100, 30);
  b->SetCaption("");
  TBitmap glyph;
  glyph.SetSize(8, 8);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(RECT{0, 0, 8, 8});
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect(RECT{2, 2, 6, 6});
  b->SetGlyph(&glyph);
  form->Show();
  Pump();
  POINT o = b->ClientOrigin();
  int cx = o.x + 50, cy = o.y + 15;
  EXPECT_EQ(PixelAt(cx, cy), Rgb(0, 0, 255));
  EXPECT_EQ(PixelAt(cx - 3, cy - 3), Rgb(212, 208, 200));  // the transparent corner shows the face
  b->SetEnabled(false);
  Pump();
  EXPECT_NE(PixelAt(cx, cy), Rgb(0, 0, 255));
}

TEST_F(ButtonControls, EachKindHasItsCaptionResultAndPicture) {
  struct Expect {
    TBitBtnKind kind;
    const char* caption;
    TModalResult result;
    bool isDefault, isCancel;
  };
  const Expect kinds[] = {{bkOK, "OK", mrOk, true, false},
                          {bkCancel, "Cancel", mrCancel, false, true},
                          {bkHelp, "&Help", mrNone, false, false},
                          {bkYes, "&Yes", mrYes, true, false},
                          {bkNo, "&No", mrNo, false, true},
                          {bkClose, "&Close", mrNone, false, false},
                          {bkAbort, "Abort", mrAbort, false, false},
                          {bkRetry, "&Retry", mrRetry, false, false},
                          {bkIgnore, "&Ignore", mrIgnore, false, false},
                          {bkAll, "&All", mrAll, false, false}};
  TForm* form = NewForm({100, 100, 500, 300});
  for (const Expect& e : kinds) {
    auto* b = new TBitBtn(form);
    b->SetParent(form);
    b->SetBounds(10, 10, 90, 30);
    b->SetKind(e.kind);
    EXPECT_EQ(b->Caption(), e.caption);
    EXPECT_EQ(b->ModalResult, e.result) << e.caption;
    EXPECT_EQ(b->Default(), e.isDefault) << e.caption;
    EXPECT_EQ(b->Cancel(), e.isCancel) << e.caption;
    // A picture of its own, drawn left of the caption in the button.
    const TBitmap* own = KindGlyph(e.kind);
    ASSERT_NE(own, nullptr) << e.caption;
    EXPECT_EQ(b->ShownGlyph(), own);
    EXPECT_EQ(own->Width(), 16);
    form->Show();
    Pump();
    POINT o = b->ClientOrigin();
    int painted = 0;
    Surface shot = backend.Screenshot();
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 45; ++x) {
        uint32_t p = shot.At(o.x + x, o.y + y) & 0xFFFFFF;
        painted += p == Rgb(0, 160, 0) || p == Rgb(208, 0, 0) || p == Rgb(0, 0, 192) || p == Rgb(160, 96, 32);
      }
    EXPECT_GE(painted, 12) << e.caption << ": the picture's colours";
    delete b;
  }
  // Pictures differ where the kinds mean different things; OK and Yes share one.
  EXPECT_EQ(KindGlyph(bkOK), KindGlyph(bkYes));
  EXPECT_EQ(KindGlyph(bkCustom), nullptr);
  // A glyph of the program's own wins over the kind's picture.
  auto* b = new TBitBtn(form);
  b->SetKind(bkCancel);
  TBitmap mine(8, 8);
  b->SetGlyph(&mine);
  EXPECT_EQ(b->ShownGlyph(), b->Glyph());
  b->SetGlyph(nullptr);
  EXPECT_EQ(b->ShownGlyph(), KindGlyph(bkCancel));
  b->SetKind(bkCustom);
  EXPECT_EQ(b->ShownGlyph(), b->Glyph());
}

TEST_F(ButtonControls, ButtonsFollowTheCheckedStateAndImageOfTheirAction) {
  TForm* form = NewForm();
  auto* images = new TImageList(form);
  images->SetSize(16, 16);
  TBitmap red(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(RECT{2, 2, 14, 14});
  images->Add(&red, nullptr);
  auto* list = new TActionList(form);
  list->SetImages(images);
  auto* action = new TAction(form);
  action->SetActionList(list);
  action->SetCaption("&Bold");
  action->SetImageIndex(0);
  action->SetGroupIndex(3);
  action->SetChecked(true);

  auto* speed = new TSpeedButton(form);
  speed->SetParent(form);
  speed->SetBounds(10, 10, 60, 24);
  speed->SetAllowAllUp(true);
  speed->SetAction(action);
  EXPECT_EQ(speed->Caption(), "&Bold");
  EXPECT_EQ(speed->GroupIndex(), 3);
  EXPECT_TRUE(speed->Down());
  ASSERT_EQ(speed->Glyph()->Width(), 16);
  form->Show();
  Pump();
  POINT o = speed->ClientOrigin();
  Surface shot = backend.Screenshot();
  int redPixels = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 60; ++x) redPixels += (shot.At(o.x + x, o.y + y) & 0xFFFFFF) == Rgb(255, 0, 0);
  EXPECT_GE(redPixels, 12 * 12 - 24) << "the action's image is the glyph";
  action->SetChecked(false);
  EXPECT_FALSE(speed->Down());

  auto* box = new TCheckBox(form);
  box->SetParent(form);
  box->SetAction(action);
  EXPECT_FALSE(box->Checked());
  action->SetChecked(true);
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(speed->Down());
  auto* radio = new TRadioButton(form);
  radio->SetParent(form);
  radio->SetAction(action);
  EXPECT_TRUE(radio->Checked());
  action->SetChecked(false);
  EXPECT_FALSE(radio->Checked());
  EXPECT_FALSE(box->Checked());
  // A speed button whose action has no image keeps its own glyph.
  auto* plainAction = new TAction(form);
  plainAction->SetImageIndex(0);
  auto* own = new TSpeedButton(form);
  TBitmap blue(8, 8);
  own->SetGlyph(&blue);
  own->SetAction(plainAction);
  EXPECT_EQ(own->Glyph()->Width(), 8);
}

TEST_F(ButtonControls, CheckBoxesAndRadioButtons) {
  TForm* form = NewForm();
  auto* check = new TCheckBox(form);
  check->SetParent(form);
  check->AllowGrayed = true;
  int clicks = 0;
  check->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  Pump();
  std::vector<TCheckBoxState> states;
  for (int i = 0; i < 3; ++i) {
    ClickAt(backend, check);
    Pump();
    states.push_back(check->State());
    EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), LRESULT(check->State()));
  }
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
  check->SetChecked(true);  // from code, OnClick fires too
  EXPECT_EQ(clicks, 4);
  check->RecreateWnd();
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));

  auto* a = new TRadioButton(form);
  a->SetParent(form);
  a->SetTop(30);
  auto* b = new TRadioButton(form);
  b->SetParent(form);
  b->SetTop(50);
  Pump();
  ClickAt(backend, a);
  Pump();
  EXPECT_TRUE(a->Checked());
  ClickAt(backend, b);
  Pump();
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(SendMessageW(a->Handle(), BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
}

TEST_F(ButtonControls, RadioGroupItemsIndexAndClicks) {
  TForm* form = NewForm();
  auto* group = new TRadioGroup(form);
  group->SetParent(form);
  group->SetBounds(10, 10, 200, 100);
  group->SetCaption("Choose");
  group->Items()->Add("First");
  group->Items()->Add("Second");
  group->Items()->Add("Third");
  int clicks = 0;
  group->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  Pump();
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetItemIndex(1);
  EXPECT_TRUE(group->Buttons(1)->Checked());
  EXPECT_EQ(clicks, 1);
  ClickAt(backend, group->Buttons(2), 5, group->Buttons(2)->Height() / 2);
  Pump();
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_FALSE(group->Buttons(1)->Checked());
  EXPECT_EQ(clicks, 2);
  // Buttons lie inside the frame, below the caption, one under the other.
  EXPECT_GT(group->Buttons(0)->Top(), 8);
  EXPECT_LT(group->Buttons(0)->Top(), group->Buttons(1)->Top());
  EXPECT_LE(group->Buttons(2)->Top() + group->Buttons(2)->Height(), 100);
  group->SetColumns(3);
  EXPECT_EQ(group->Buttons(0)->Top(), group->Buttons(2)->Top());
  group->Items()->Delete(2);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_EQ(group->ControlCount(), 2);
}

TEST_F(ButtonControls, ScrollBarScrollsThroughItsEvents) {
  TForm* form = NewForm();
  auto* bar = new TScrollBar(form);
  bar->SetParent(form);
  bar->SetBounds(10, 10, 200, 17);
  bar->SetParams(0, 0, 50);
  bar->SetPageSize(11);
  bar->LargeChange = 10;
  std::vector<TScrollCode> codes;
  int changes = 0;
  bar->OnScroll = [&](TObject*, TScrollCode c, int& pos) {
    codes.push_back(c);
    if (c == scPageDown) pos += 1;  // the handler may adjust the new position
  };
  bar->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  Pump();
  ClickAt(backend, bar, 195, 8);  // the right arrow
  Pump();
  EXPECT_EQ(bar->Position(), 1);
  ClickAt(backend, bar, 150, 8);  // the track right of the thumb
  Pump();
  EXPECT_EQ(bar->Position(), 12);
  EXPECT_EQ(codes, (std::vector<TScrollCode>{scLineDown, scEndScroll, scPageDown, scEndScroll}));
  EXPECT_EQ(changes, 2);
  bar->SetParams(70000, 0, 100000);
  EXPECT_EQ(bar->Position(), 70000);
  bar->Perform(CN_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70000 & 0xFFFF), 0);
  EXPECT_EQ(bar->Position(), 70000);  // the full position, not its low 16 bits
  bar->SetParams(12, 0, 50);
  bar->Perform(CN_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7), 0);
  EXPECT_EQ(bar->Position(), 7);
  EXPECT_EQ(codes.back(), scPosition);
  bar->SetPosition(1000);
  EXPECT_EQ(bar->Position(), 40);  // Max - PageSize + 1
  EXPECT_EQ(GetScrollPos(bar->Handle(), SB_CTL), 40);
}

}  // namespace
}  // namespace qv::test
