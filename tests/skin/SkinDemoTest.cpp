// The skin demo built headless with the skin Harbour that the build draws:
// controls painted from the skin (rounded outlines, gradient faces, glyphs),
// the plain look without a skin, a hue turn that recolours, and hints in
// every style shown over the form.
#include "SkinTestSupport.h"
#include "classlib/controls/Application.h"
#include "demo/skin/SkinDemoForm.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Window.h"
#include "skin/controls/skListView.h"

namespace qv::test {
namespace {

class SkinDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new demo::TSkinDemoForm(nullptr, QV_TEST_SKINS_DIR);
    form->SetBorderStyle(bsNone);
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    Application->CancelHint();
    delete form;
    Application->ProcessMessages();
  }
  uint32_t At(TControl* c, int x, int y) { return At(backend.Screenshot(), c, x, y); }
  static uint32_t At(const Surface& shot, TControl* c, int x, int y) {
    POINT p = c->ClientToScreen(POINT{x, y});
    return shot.At(p.x, p.y) & 0xFFFFFF;
  }
  HeadlessBackend backend{SIZE{700, 480}};
  demo::TSkinDemoForm* form = nullptr;
};

TEST_F(SkinDemo, SkinnedControlsShowTheSkin) {
  ASSERT_TRUE(form->Skins->SkinData()->Active);
  ASSERT_TRUE(form->SkinButton->SkinData()->Skinned(true));
  TControl* b = form->NoSkinButton;
  // The rounded corner shows the panel behind it, the outline is the skin's
  // blue-grey, the face a light gradient that darkens downwards.
  const uint32_t corner = At(b, 0, 0), panel = At(form->Panel, 120, 290);
  EXPECT_NE(corner, PixelRGB(112, 128, 150) & 0xFFFFFF);
  EXPECT_EQ(At(b, b->Width() / 2, 0), PixelRGB(112, 128, 150) & 0xFFFFFF);
  const uint32_t top = At(b, 6, 3), bottom = At(b, 6, b->Height() - 4);
  EXPECT_GT(PixelR(top) + PixelG(top), PixelR(bottom) + PixelG(bottom));
  EXPECT_NE(top, PixelRGB(212, 208, 200) & 0xFFFFFF);
  EXPECT_NE(corner, PixelRGB(255, 0, 255) & 0xFFFFFF);  // the key colour never reaches the screen
  (void)panel;
  // The text box: its outline in the focus blue (it holds the focus), its text dark.
  TControl* box = form->Box;
  EXPECT_EQ(At(box, box->Width() / 2, 0), PixelRGB(51, 140, 240) & 0xFFFFFF);
  int dark = 0;
  const Surface shot = backend.Screenshot();
  for (int x = 6; x < 80; ++x)
    for (int y = 4; y < 20; ++y) dark += PixelR(At(shot, box, x, y)) < 100;
  EXPECT_GT(dark, 10);
}

TEST_F(SkinDemo, NoSkinPaintsPlainlyAndBack) {
  TControl* b = form->HueButton;
  const uint32_t skinned = At(b, 6, 6);
  form->UseSkin(false);
  backend.Pump();
  EXPECT_FALSE(form->HueButton->SkinData()->Skinned());
  EXPECT_EQ(At(b, 6, 6), PixelRGB(212, 208, 200) & 0xFFFFFF);  // the button face
  form->UseSkin(true);
  backend.Pump();
  EXPECT_EQ(At(b, 6, 6), skinned);
}

// Without a skin the list's own scroll bar comes back, and its arrows are
// drawn whole even where the list's header, laid out for the skin's narrower
// bars, reaches past the list's client area: no skinned glyph stays there.
TEST_F(SkinDemo, WithoutASkinTheListsScrollBarIsPlain) {
  form->UseSkin(false);
  backend.Pump();
  RECT list{};
  GetWindowRect(form->List->Handle(), &list);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const Surface shot = backend.Screenshot();
  int dark = 0, tinted = 0;
  for (int y = list.top + 2; y < list.top + 2 + bar; ++y)
    for (int x = list.right - 2 - bar; x < list.right - 2; ++x) {
      const uint32_t p = shot.At(x, y) & 0xFFFFFF;
      dark += PixelR(p) < 64 && PixelG(p) < 64 && PixelB(p) < 64;
      tinted += int(PixelB(p)) > int(PixelR(p)) + 16;
    }
  EXPECT_GT(dark, 4) << "the up arrow's glyph";
  EXPECT_EQ(tinted, 0) << "the skin's blue arrow is still shown";
}

TEST_F(SkinDemo, HueTurnRecoloursTheOutline) {
  TControl* b = form->Box;
  const uint32_t before = At(b, b->Width() / 2, 0);
  form->TurnHue();
  backend.Pump();
  const uint32_t after = At(b, b->Width() / 2, 0);
  EXPECT_NE(before, after);
  EXPECT_EQ(form->Skins->HueOffset(), 60);
}

TEST_F(SkinDemo, HintsInEveryStyle) {
  for (int i = 0; i < int(demo::TSkinDemoForm::HintStyleNames().size()); ++i) {
    form->UseHintStyle(i);
    TControl* c = form->SkinButton;
    POINT p = c->ClientToScreen(POINT{10 + i, 10});
    backend.MouseMove(p.x, p.y);
    backend.Pump();
    backend.AdvanceClock(700);
    backend.Pump();
    THintWindow* w = Application->HintWindow();
    ASSERT_TRUE(w) << i;
    ASSERT_TRUE(IsWindowVisible(w->WindowHandle())) << i;
    ASSERT_TRUE(dynamic_cast<TSkCustomHintWindow*>(w)) << i;
    EXPECT_GT(w->Width(), 40);
    backend.MouseMove(600, 470);
    backend.Pump();
    Application->CancelHint();
  }
}

}  // namespace
}  // namespace qv::test
