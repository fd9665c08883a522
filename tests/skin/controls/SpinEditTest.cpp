// The spin edit on a real form: reading and writing the value with the
// catalogue's limits, stepping by keys, wheel and buttons (with the repeat
// timing on the test clock), the typing rules and the visible arrows.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skSpinEdit.h"

namespace qv::test {
namespace {

class SpinEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 300, 200);
    spin = new TSkSpinEdit(form);
    spin->SetParent(form);
    spin->SetBounds(10, 10, 120, 21);
    spin->MinValue = 0, spin->MaxValue = 1073741824, spin->Increment = 1024;
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  POINT Screen(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
  TSkSpinEdit* spin = nullptr;
};

TEST_F(SpinEdit, ValueReadsTheTextAndWritesItClamped) {
  spin->SetText("");
  EXPECT_EQ(spin->Value(), 0);
  spin->SetText("abc");
  EXPECT_EQ(spin->Value(), 0);
  spin->SetText("2147483648");  // too large for 32 bits: reads as MinValue
  EXPECT_EQ(spin->Value(), 0);
  spin->SetText("2147483646");  // twice the limit reads unclamped
  EXPECT_EQ(spin->Value(), 2147483646);
  spin->SetValue(-5);
  EXPECT_EQ(spin->Text(), "0");
  spin->SetValue(1073741825);
  EXPECT_EQ(spin->Text(), "1073741824");
  spin->MinValue = spin->MaxValue = 0;  // no limits
  spin->SetValue(-7);
  EXPECT_EQ(spin->Text(), "-7");
}

// The text is read with the library's integer conversion: leading blanks,
// a sign and the hexadecimal forms are numbers; trailing blanks are not.
TEST_F(SpinEdit, ValueReadsBlanksSignsAndHexadecimal) {
  const std::vector<std::pair<std::string, int32_t>> cases = {
      {"  1000", 1000},  {"\t12", 12},  {"$400", 1024}, {"0x400", 1024},
      {"0X1f", 31},      {"-$10", -16}, {"+25", 25},    {"$FFFFFFFF", -1},
      {"$100000000", 0}, {"1000 ", 0},  {"12a", 0},     {"$", 0},
      {"0x", 0},         {"  ", 0},     {"--1", 0},     {"-2147483648", INT32_MIN}};
  spin->MinValue = spin->MaxValue = 0;
  for (const auto& [text, want] : cases) {
    spin->SetText(text);
    EXPECT_EQ(spin->Value(), want) << "\"" << text << "\"";
  }
  // A step starts from the number read and writes the decimal form.
  spin->MinValue = 0, spin->MaxValue = 1073741824, spin->Increment = 1024;
  spin->SetText(" $400");
  spin->UpClick(spin);
  EXPECT_EQ(spin->Text(), "2048");
}

TEST_F(SpinEdit, SteppingNeverWrapsPastThirtyTwoBits) {
  spin->MinValue = spin->MaxValue = 0;
  spin->SetText("2147483647");
  spin->UpClick(spin);
  EXPECT_EQ(spin->Text(), "2147483647");
  spin->SetText("-2147483648");
  spin->DownClick(spin);
  EXPECT_EQ(spin->Text(), "-2147483648");
  spin->MinValue = 0, spin->MaxValue = 1073741824;
  spin->SetText("2147483647");
  spin->UpClick(spin);
  EXPECT_EQ(spin->Text(), "1073741824");  // clamped to the top, not wrapped to the bottom
}

TEST_F(SpinEdit, KeysAndWheelStep) {
  spin->SetFocus();
  spin->SetText("1000");
  backend.KeyPress(VK_UP);
  backend.Pump();
  EXPECT_EQ(spin->Value(), 2024);
  backend.KeyPress(VK_DOWN);
  backend.KeyPress(VK_DOWN);
  backend.Pump();
  EXPECT_EQ(spin->Value(), 0);  // 1000 - 1024 clamps to the minimum
  spin->SetText("1000");
  const POINT p = Screen(spin, 20, 10);
  backend.MouseMove(p.x, p.y);
  backend.Wheel(120);
  backend.Pump();
  EXPECT_EQ(spin->Value(), 2024);
  backend.Wheel(60);  // less than a notch: nothing
  backend.Pump();
  EXPECT_EQ(spin->Value(), 2024);
  backend.Wheel(-240);
  backend.Pump();
  EXPECT_EQ(spin->Value(), 0);
}

TEST_F(SpinEdit, TypingRulesAndReadOnly) {
  spin->SetFocus();
  spin->SetText("");
  backend.Beeps.clear();
  backend.TypeText(u"12a-3");
  backend.Pump();
  EXPECT_EQ(spin->Text(), "123");
  EXPECT_EQ(backend.Beeps.size(), 2u);  // the letter and the sign
  spin->EditorEnabled = false;
  backend.TypeText(u"4");
  backend.Pump();
  EXPECT_EQ(spin->Text(), "123");
  spin->SelectAll();
  SendMessageW(spin->Handle(), WM_CUT, 0, 0);  // no cutting either
  EXPECT_EQ(spin->Text(), "123");
  spin->EditorEnabled = true;
  spin->SetReadOnly(true);
  backend.Beeps.clear();
  spin->UpClick(spin);
  EXPECT_EQ(spin->Text(), "123");
  EXPECT_EQ(backend.Beeps.size(), 1u);
}

TEST_F(SpinEdit, LeavingRewritesOnlyAnOutOfRangeNumber) {
  auto* other = new TSkEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 60, 80, 21);
  spin->SetFocus();
  spin->SetText("2147483646");
  other->SetFocus();
  backend.Pump();
  EXPECT_EQ(spin->Text(), "1073741824");
  spin->SetFocus();
  spin->SetText("99999999999");  // not a 32-bit number: stays as typed
  other->SetFocus();
  backend.Pump();
  EXPECT_EQ(spin->Text(), "99999999999");
}

// A 64-bit range (byte counts of large files): the text reads strictly as a
// decimal number, the keys and the wheel step past 32 bits without wrapping,
// and leaving keeps every text as typed, a number outside the range too.
TEST_F(SpinEdit, ASixtyFourBitRangeReadsAndStepsPastThirtyTwoBits) {
  constexpr int64_t kTop = std::numeric_limits<int64_t>::max();
  spin->SetRange64(0, kTop);
  const std::vector<std::pair<std::string, int64_t>> numbers = {
      {"4294967296", 4294967296}, {" 2147483649 ", 2147483649}, {"9223372036854775807", kTop}, {"-5", -5}};
  for (const auto& [text, want] : numbers) {
    spin->SetText(text);
    int64_t v = 0;
    EXPECT_TRUE(spin->TryValue64(v)) << text;
    EXPECT_EQ(v, want) << text;
  }
  for (const char* text : {"", "  ", "12x", "x12", "1 2", "$400", "0x400", "+5", "9223372036854775808",
                           "99999999999999999999", "-9223372036854775809", "1.5"}) {
    spin->SetText(text);
    int64_t v = 77;
    EXPECT_FALSE(spin->TryValue64(v)) << text;
    EXPECT_EQ(v, 77) << text;
    EXPECT_EQ(spin->Value64(), 0) << text;  // the range's minimum
  }

  spin->SetFocus();
  spin->SetText("4294967296");
  backend.KeyPress(VK_UP);
  backend.Pump();
  EXPECT_EQ(spin->Text(), "4294968320");
  const POINT p = Screen(spin, 20, 10);
  backend.MouseMove(p.x, p.y);
  backend.Wheel(-240);
  backend.Pump();
  EXPECT_EQ(spin->Text(), "4294966272");
  spin->SetText("9223372036854775000");
  spin->UpClick(spin);
  EXPECT_EQ(spin->Text(), "9223372036854775807");  // clamped at the top, not wrapped
  spin->SetText("100");
  spin->DownClick(spin);
  EXPECT_EQ(spin->Text(), "0");
  spin->SetValue(-1);  // the 32-bit setter follows the 64-bit range
  EXPECT_EQ(spin->Text(), "0");

  auto* other = new TSkEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 60, 80, 21);
  spin->SetRange64(1024, 5000000000);
  for (const char* typed : {"-5", "9000000000", "4294967296", "99999999999999999999", "12x"}) {
    spin->SetFocus();
    spin->SetText(typed);
    other->SetFocus();
    backend.Pump();
    EXPECT_EQ(spin->Text(), typed);
  }
}

TEST_F(SpinEdit, HeldButtonRepeatsAfterFourHundredThenEveryHundredMs) {
  spin->SetText("0");
  spin->Increment = 1;
  TControl* up = spin->Button()->UpButton();
  const POINT p = Screen(up, up->Width() / 2, up->Height() / 2);
  backend.MouseMove(p.x, p.y);
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(spin->Value(), 1);  // at the press
  backend.AdvanceClock(399);
  EXPECT_EQ(spin->Value(), 1);
  backend.AdvanceClock(2);
  EXPECT_EQ(spin->Value(), 2);
  backend.AdvanceClock(300);
  EXPECT_EQ(spin->Value(), 5);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(spin->Value(), 5);  // the release adds nothing
  backend.AdvanceClock(500);
  EXPECT_EQ(spin->Value(), 5);
  // The down button, one click.
  TControl* down = spin->Button()->DownButton();
  const POINT d = Screen(down, down->Width() / 2, down->Height() / 2);
  backend.Click(d.x, d.y);
  backend.Pump();
  EXPECT_EQ(spin->Value(), 4);
}

TEST_F(SpinEdit, ButtonsSitInsideTheRightEdgeWithVisibleArrows) {
  TSkSpinButton* bar = spin->Button();
  EXPECT_EQ(bar->Width(), 18);
  EXPECT_EQ(bar->Left(), spin->Width() - 18 - 4);
  EXPECT_EQ(bar->UpButton()->Height() + bar->DownButton()->Height(), bar->Height());
  // The arrow's tip pixel in the up glyph is dark and drawn on screen.
  const Surface shot = backend.Screenshot();
  TControl* up = bar->UpButton();
  int dark = 0;
  for (int y = 0; y < up->Height(); ++y)
    for (int x = 0; x < up->Width(); ++x) {
      const POINT s = Screen(up, x, y);
      const uint32_t px = shot.At(s.x, s.y);
      dark += PixelR(px) < 60 && PixelG(px) < 60 && PixelB(px) < 60;
    }
  EXPECT_GE(dark, 9);  // the triangle, not only a frame line
  EXPECT_GE(spin->Height(), spin->MinHeight());
  spin->SetHeight(5);
  backend.Pump();
  EXPECT_EQ(spin->Height(), spin->MinHeight());
}

// The default arrows are the whole triangles of their corners, symmetric
// about their middle column, in the glyphs and on screen.
TEST_F(SpinEdit, DefaultArrowsAreWholeSymmetricTriangles) {
  spin->SetValue(2048);
  backend.Pump();
  const std::string up = "....#....\n...###...\n..#####..\n.#######.\n";
  const std::string down = ".#######.\n..#####..\n...###...\n....#....\n";
  auto glyph = [](TBitmap* b) {
    std::string s;
    for (int y = 0; y < b->Height(); ++y) {
      for (int x = 0; x < b->Width(); ++x) s += ColorToRGB(b->Canvas()->Pixels(x, y)) == 0xFFFFFF ? '.' : '#';
      s += '\n';
    }
    return s;
  };
  TSkSpinButton* bar = spin->Button();
  ASSERT_TRUE(bar->UpGlyph() && bar->DownGlyph());
  EXPECT_EQ(glyph(bar->UpGlyph()), ".........\n" + up);
  EXPECT_EQ(glyph(bar->DownGlyph()), ".........\n" + down);
  // On screen: the dark pixels of each button, cut to their box, with a
  // column of margin on each side.
  const Surface shot = backend.Screenshot();
  auto screen = [&](TControl* b) {
    std::vector<POINT> dark;
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x) {
        const POINT p = Screen(b, x, y);
        const uint32_t px = shot.At(p.x, p.y);
        if (PixelR(px) < 60 && PixelG(px) < 60 && PixelB(px) < 60) dark.push_back(p);
      }
    RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (POINT p : dark)
      box = {std::min(box.left, p.x - 1), std::min(box.top, p.y), std::max(box.right, p.x + 2),
             std::max(box.bottom, p.y + 1)};
    std::string s;
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        const uint32_t px = shot.At(x, y);
        s += PixelR(px) < 60 && PixelG(px) < 60 && PixelB(px) < 60 ? '#' : '.';
      }
      s += '\n';
    }
    return s;
  };
  EXPECT_EQ(screen(bar->UpButton()), up);
  EXPECT_EQ(screen(bar->DownButton()), down);
}

TEST_F(SpinEdit, AnswersTheSkinQueriesWithoutAManager) {
  EXPECT_EQ(spin->Perform(SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0), 0);
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
  spin->WindowProc(q);
  EXPECT_EQ(q.LParam, 1);
  TMessage q10{SM_SKINCMD, MakeSkinWParam(AC_PREPARING), 5, 0};
  q10.LParam = 5;
  spin->WindowProc(q10);
  EXPECT_EQ(q10.LParam, 0);
  EXPECT_FALSE(spin->SkinData()->Skinned());
}

}  // namespace
}  // namespace qv::test
