// The edit with a button: popup placement, the button's width and the text
// area, the read-only and direct-input rules, keyboard access, Enter and
// Escape reaching the form's buttons, and the built-in glyph on screen.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skCustomComboEdit.h"

namespace qv::test {
namespace {

// An edit with a date glyph and a popup form, as the date edit has.
class DateLikeEdit : public TSkCustomComboEdit {
 public:
  explicit DateLikeEdit(TComponent* owner) : TSkCustomComboEdit(owner) { defaultGlyph_ = "BTN_DATE"; }
};

class ComboEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 300);
    edit = new DateLikeEdit(form);
    edit->SetParent(form);
    edit->SetBounds(20, 20, 150, 21);
    popup = new TForm(nullptr);
    popup->SetBorderStyle(bsNone);
    popup->SetBounds(0, 0, 197, 144);
    edit->Popup = popup;
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    delete popup;
    delete form;
    Application->ProcessMessages();
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
  TForm* popup = nullptr;
  DateLikeEdit* edit = nullptr;
};

TEST(PopupPlacement, BelowAboveAndKeptOnTheScreen) {
  const RECT screen{0, 0, 640, 480};
  // Room below: right edges aligned under the edit.
  POINT p = PopupPlace(RECT{300, 100, 450, 121}, SIZE{197, 144}, pwaRight, screen);
  EXPECT_EQ(p.x, 450 - 197);
  EXPECT_EQ(p.y, 121);
  // No room below: above the edit.
  p = PopupPlace(RECT{300, 400, 450, 421}, SIZE{197, 144}, pwaRight, screen);
  EXPECT_EQ(p.y, 400 - 144);
  // Right-aligned past the left side: left edges aligned instead.
  p = PopupPlace(RECT{10, 100, 110, 121}, SIZE{197, 144}, pwaRight, screen);
  EXPECT_EQ(p.x, 10);
  // Left-aligned past the right side: pulled left.
  p = PopupPlace(RECT{500, 100, 600, 121}, SIZE{197, 144}, pwaLeft, screen);
  EXPECT_EQ(p.x, 500 - (197 - 100));
  // Wider than the screen part: kept inside it.
  p = PopupPlace(RECT{600, 100, 640, 121}, SIZE{300, 144}, pwaLeft, screen);
  EXPECT_EQ(p.x, 640 - 300);
  // A virtual screen that does not start at 0.
  // A virtual screen that does not start at 0 ends at its origin plus its width.
  p = PopupPlace(RECT{600, 100, 640, 121}, SIZE{300, 144}, pwaLeft, RECT{-640, 0, 640, 480});
  EXPECT_EQ(p.x, 340);
  p = PopupPlace(RECT{-600, 100, -550, 121}, SIZE{197, 144}, pwaRight, RECT{-640, 0, 640, 480});
  EXPECT_EQ(p.x, -600);
}

TEST(ComboButton, PlaceBesideTheMargin) {
  const int sb = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(SkComboButtonRect(120, 21, false, false, 2, 0), (RECT{120 - sb - 2 - 1, 2, 120 - 2 - 1, 18}));
  EXPECT_EQ(SkComboButtonRect(120, 21, false, true, 2, 12).left, 1);
  EXPECT_EQ(SkComboButtonRect(120, 21, true, false, 2, 0).right -
                SkComboButtonRect(120, 21, true, false, 2, 0).left,
            0);
}

TEST_F(ComboEdit, ButtonTakesItsWidthFromTheTextArea) {
  edit->GlyphMode()->SelectGlyph();
  EXPECT_EQ(edit->GlyphMode()->GlyphWidth(), 16);  // BTN_DATE: 48 / 3
  EXPECT_EQ(edit->GlyphMode()->GlyphHeight(), 17);
  EXPECT_EQ(edit->Button()->Width(), 18);
  RECT r{};
  SendMessageW(edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.right, edit->ClientWidth() - 18 - 1);  // the edit's right margin lies inside
  edit->SetShowButton(false);
  EXPECT_FALSE(edit->Button()->Visible());
  SendMessageW(edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.right, edit->ClientWidth() - 1);
  edit->SetShowButton(true);
  EXPECT_TRUE(edit->Button()->Visible());
  edit->GlyphMode()->SetBlend(150);
  EXPECT_EQ(edit->GlyphMode()->Blend(), 100);
  edit->GlyphMode()->SetBlend(-5);
  EXPECT_EQ(edit->GlyphMode()->Blend(), 0);
}

TEST_F(ComboEdit, ButtonClickOpensAndClosesThePopup) {
  int clicks = 0;
  TObject* sender = nullptr;
  edit->OnButtonClick = [&](TObject* s) {
    sender = s;
    ++clicks;
  };
  TControl* b = edit->Button();
  const POINT p = b->ClientToScreen(POINT{b->Width() / 2, b->Height() / 2});
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sender, edit);
  ASSERT_TRUE(popup->Visible());
  RECT pr{};
  GetWindowRect(popup->Handle(), &pr);
  EXPECT_EQ(pr.top, form->ClientToScreen(POINT{0, edit->Top() + edit->Height()}).y);
  EXPECT_EQ(popup->Width(), 197);
  // A click in the edit closes it.
  const POINT t = edit->ClientToScreen(POINT{10, 5});
  backend.Click(t.x, t.y);
  backend.Pump();
  EXPECT_FALSE(popup->Visible());
  // Read-only: the button does nothing.
  edit->SetReadOnly(true);
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(popup->Visible());
}

TEST_F(ComboEdit, AltDownOpensThePopupUnlessReadOnly) {
  edit->SetFocus();
  backend.KeyDown(VK_MENU);
  backend.KeyPress(VK_DOWN);
  backend.KeyUp(VK_MENU);
  backend.Pump();
  EXPECT_TRUE(popup->Visible());
  edit->PopupCloseUp();
  backend.Pump();
  EXPECT_FALSE(popup->Visible());
  edit->SetReadOnly(true);
  backend.KeyDown(VK_MENU);
  backend.KeyPress(VK_DOWN);
  backend.KeyUp(VK_MENU);
  backend.Pump();
  EXPECT_FALSE(popup->Visible());
}

TEST_F(ComboEdit, ReadOnlyAndDirectInputGateTypingPasteAndCut) {
  struct Case {
    bool readOnly, direct;
  };
  for (Case c : {Case{false, true}, Case{true, true}, Case{false, false}, Case{true, false}}) {
    edit->SetReadOnly(c.readOnly);
    edit->SetDirectInput(c.direct);
    const bool writable = !c.readOnly && c.direct;
    EXPECT_EQ(bool(GetWindowLong(edit->Handle(), GWL_STYLE) & ES_READONLY), !writable);
    edit->SetText("abc");
    backend.SetClipboardText(u"xyz");
    edit->SetFocus();
    edit->SelectAll();
    SendMessageW(edit->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(edit->Text(), writable ? "" : "abc");
  }
}

TEST_F(ComboEdit, EnterReachesTheDefaultButtonAndIsNotTyped) {
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetBounds(20, 100, 75, 25);
  ok->SetDefault(true);
  int pressed = 0;
  ok->OnClick = [&](TObject*) { ++pressed; };
  edit->SetFocus();
  edit->SetText("12");
  backend.KeyPress(VK_RETURN);
  backend.Pump();
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(edit->Text(), "12");
}

TEST_F(ComboEdit, ChangesAreQuietWhileThePopupIsOpen) {
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->PopupDropDown();
  ASSERT_TRUE(popup->Visible());
  edit->SetText("quiet");
  EXPECT_EQ(changes, 0);
  edit->PopupCloseUp();
  backend.Pump();
  edit->SetText("loud");
  EXPECT_EQ(changes, 1);
}

TEST_F(ComboEdit, GlyphIsDrawnOnTheFlatButton) {
  TControl* b = edit->Button();
  const Surface shot = backend.Screenshot();
  int red = 0;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x) {
      const POINT s = b->ClientToScreen(POINT{x, y});
      const uint32_t px = shot.At(s.x, s.y);
      red += PixelR(px) > 150 && PixelG(px) < 100;
    }
  EXPECT_GT(red, 10);  // the calendar's red top band
}

}  // namespace
}  // namespace qv::test
