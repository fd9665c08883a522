// The skinned speed button: the caption and glyph places for every layout,
// the drop-down style's width, one drop-down menu at a time with hints off
// only while it is open, groups, and the plain look without a skin.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/menus/Menus.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "skin/controls/skBitBtn.h"
#include "skin/controls/skSpeedButton.h"
#include "skin/skinManager.h"
#include "tests/skin/TestSkins.h"

namespace qv::test {
namespace {

TSkButtonGeometry Geometry(TButtonLayout layout, TAlignment align, int margin) {
  TSkButtonGeometry g;
  g.Width = 100, g.Height = 30, g.GlyphW = 16, g.GlyphH = 16, g.TextW = 40, g.TextH = 13;
  g.Margin = margin, g.Spacing = 4, g.HasCaption = true, g.Layout = layout, g.Alignment = align;
  return g;
}

TEST(ButtonGeometry, CaptionAndGlyphPlaces) {
  // Glyph left, centred: 20 pixels of slack on each side of glyph, gap and text.
  TSkButtonGeometry g = Geometry(blGlyphLeft, taCenter, -1);
  EXPECT_EQ(SkCaptionRect(g), (RECT{39, 8, 82, 22}));
  EXPECT_EQ(SkGlyphRect(g), (RECT{20, 7, 36, 23}));
  // Left-justified: the caption starts after the raw margin, the glyph at margin + 3.
  g = Geometry(blGlyphLeft, taLeftJustify, 2);
  EXPECT_EQ(SkCaptionRect(g), (RECT{21, 8, 67, 22}));
  EXPECT_EQ(SkGlyphRect(g).left, 5);
  // Glyph on top: the caption under it, the glyph one pixel right of centre.
  g = Geometry(blGlyphTop, taCenter, -1);
  EXPECT_EQ(SkCaptionRect(g), (RECT{29, 19, 72, 31}));
  EXPECT_EQ(SkGlyphRect(g), (RECT{43, -1, 59, 15}));
  g = Geometry(blGlyphBottom, taCenter, -1);
  EXPECT_EQ(SkGlyphRect(g).top, 30 - 0 + 1 - 16);
  // Glyph right, right-justified: the glyph ends at the right margin.
  g = Geometry(blGlyphRight, taRightJustify, -1);
  EXPECT_EQ(SkGlyphRect(g).right, 100);
  // Pressed: both move by one pixel; an arrow part takes its width off the right.
  g = Geometry(blGlyphLeft, taCenter, -1);
  g.Pressed = true;
  EXPECT_EQ(SkGlyphRect(g), (RECT{21, 8, 37, 24}));
  g.Pressed = false, g.ArrowWidth = SkArrowWidth;
  EXPECT_EQ(SkGlyphRect(g).left, 12);
}

class SpeedButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 300, 200);
    form->SetColor(clBtnFace);
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  template <class B>
  B* Add(int x, int y, const std::string& caption) {
    auto* b = new B(form);
    b->SetParent(form);
    b->SetBounds(x, y, 60, 24);
    b->SetCaption(caption);
    return b;
  }
  void ClickAt(TControl* c, int x, int y) {
    const POINT p = c->ClientToScreen(POINT{x, y});
    backend.Click(p.x, p.y);
    backend.Pump();
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
};

// The push and speed buttons share one face: an image list freed under
// either is forgotten, and a value held to its range is held alike.
TEST_F(SpeedButtons, TheSharedFaceForgetsAFreedImageList) {
  auto* speed = Add<TSkSpeedButton>(10, 10, "Go");
  auto* push = new TSkBitBtn(form);
  push->SetParent(form);
  auto* images = new TImageList(form);
  images->SetSize(16, 16);
  for (TSkButtonFace* face : {static_cast<TSkButtonFace*>(speed), static_cast<TSkButtonFace*>(push)}) {
    face->SetImages(images);
    face->SetImageIndex(0);
    face->SetBlend(101);
    EXPECT_EQ(face->Images(), images);
    EXPECT_EQ(face->Blend(), 100);
  }
  delete images;
  EXPECT_EQ(speed->Images(), nullptr);
  EXPECT_EQ(push->Images(), nullptr);
  backend.Pump();  // painting without the list
}

TEST_F(SpeedButtons, PropertiesKeepTheirRanges) {
  auto* b = Add<TSkSpeedButton>(10, 10, "Go");
  b->SetBlend(-1);
  EXPECT_EQ(b->Blend(), 0);
  b->SetBlend(150);
  EXPECT_EQ(b->Blend(), 100);
  b->SetButtonStyle(tbsDropDown);
  EXPECT_EQ(b->Width(), 60 + 16);
  b->SetButtonStyle(tbsButton);
  EXPECT_EQ(b->Width(), 60);
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
  b->WindowProc(q);
  EXPECT_EQ(q.LParam, 1);
  EXPECT_EQ(b->SkinData()->SkinSection(), "SPEEDBUTTON");
  // The caption's place is measured in the button's own font: it holds the text.
  b->SetBounds(10, 10, 100, 26);
  b->SetCaption("Speed button");
  TBitmap probe(1, 1, pf24bit);
  probe.Canvas()->SetFont(b->Font());
  const SIZE text = probe.Canvas()->TextExtent(std::string("Speed button"));
  const RECT r = b->CaptionRect();
  EXPECT_GE(r.right - r.left, text.cx);
  EXPECT_LT(r.bottom - r.top, 2 * text.cy);
}

TEST_F(SpeedButtons, UnskinnedPaintsAsThePlainSpeedButton) {
  auto* plain = Add<TSpeedButton>(10, 10, "Same");
  auto* skinned = Add<TSkSpeedButton>(10, 50, "Same");
  backend.Pump();
  const Surface shot = backend.Screenshot();
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 60; ++x) {
      const POINT a = plain->ClientToScreen(POINT{x, y}), b = skinned->ClientToScreen(POINT{x, y});
      ASSERT_EQ(shot.At(a.x, a.y), shot.At(b.x, b.y)) << x << "," << y;
    }
}

TEST_F(SpeedButtons, GroupKeepsOneDown) {
  auto* a = Add<TSkSpeedButton>(10, 10, "A");
  auto* b = Add<TSkSpeedButton>(80, 10, "B");
  a->SetGroupIndex(1), b->SetGroupIndex(1);
  ClickAt(a, 5, 5);
  EXPECT_TRUE(a->Down());
  ClickAt(b, 5, 5);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
}

TEST_F(SpeedButtons, DropDownMenuHoldsTheButtonDownAndHintsOffOnlyWhileOpen) {
  auto* menu = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption("First");
  menu->Items()->Add(item);
  auto* b = Add<TSkSpeedButton>(10, 10, "Menu");
  auto* other = Add<TSkSpeedButton>(100, 10, "Other");
  b->SetButtonStyle(tbsDropDown);
  b->SetDropdownMenu(menu);
  other->SetButtonStyle(tbsDropDown);
  other->SetDropdownMenu(menu);
  Application->ShowHint = true;
  bool sawOpen = false;
  backend.WhenIdle([&] {
    sawOpen = TSkSpeedButton::OpenMenuButton() == b && b->State() == bsDown && !Application->ShowHint &&
              menu->PopupComponent() == b;
    // A second drop-down button does nothing while a menu is open.
    other->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 5));
    other->Perform(WM_LBUTTONUP, 0, MAKELPARAM(70, 5));
    backend.KeyPress(VK_ESCAPE);
  });
  ClickAt(b, 5, 5);
  EXPECT_TRUE(sawOpen);
  EXPECT_TRUE(Application->ShowHint);  // back although the menu loop ate the release
  EXPECT_EQ(TSkSpeedButton::OpenMenuButton(), nullptr);
  EXPECT_EQ(b->State(), bsUp);
  EXPECT_FALSE(b->MenuVisible());
  // With hints off before, they stay off.
  Application->ShowHint = false;
  backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
  ClickAt(b, 5, 5);
  EXPECT_FALSE(Application->ShowHint);
  Application->ShowHint = true;
}

TEST_F(SpeedButtons, PressLeftOfTheArrowWithOnClickIsAnOrdinaryClick) {
  auto* menu = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption("First");
  menu->Items()->Add(item);
  auto* b = Add<TSkSpeedButton>(10, 10, "Menu");
  b->SetButtonStyle(tbsDropDown);
  b->SetDropdownMenu(menu);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  ClickAt(b, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(TSkSpeedButton::OpenMenuButton(), nullptr);
  backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
  ClickAt(b, b->Width() - 4, 5);  // on the arrow: the menu, not a click
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

class SkinnedSpeedButtons : public SpeedButtons {
 protected:
  void SetUp() override {
    manager = std::make_unique<TSkinManager>(nullptr);
    manager->SetSkinDirectory(MakeTestSkins(dir));
    manager->SetSkinName("TestSkin");
    SpeedButtons::SetUp();
  }
  void TearDown() override {
    SpeedButtons::TearDown();
    manager.reset();
  }
  uint32_t At(TControl* c, int x, int y) {
    const POINT p = c->ClientToScreen(POINT{x, y});
    return backend.Screenshot().At(p.x, p.y) & 0xFFFFFF;
  }
  TempDir dir;
  std::unique_ptr<TSkinManager> manager;
};

TEST_F(SkinnedSpeedButtons, BorderByStateFromTheSkin) {
  auto* b = Add<TSkSpeedButton>(10, 10, "Skin");
  b->SkinData()->SetSkinSection("BUTTON");
  backend.Pump();
  ASSERT_TRUE(b->SkinData()->Skinned(true));
  // The border image's pixels name their place: states 60 pixels apart.
  EXPECT_EQ(At(b, 0, 0), Coded(0, 0, 50) & 0xFFFFFF);
  const POINT p = b->ClientToScreen(POINT{30, 12});
  backend.MouseMove(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(b->CurrentState(), 1);
  EXPECT_EQ(At(b, 0, 0), Coded(60, 0, 50) & 0xFFFFFF);
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(b->CurrentState(), 2);
  EXPECT_EQ(At(b, 0, 0), Coded(120, 0, 50) & 0xFFFFFF);
  backend.MouseUp();
  backend.Pump();
  // Without the skin: the plain button face again.
  manager->SetActive(false);
  backend.Pump();
  EXPECT_FALSE(b->SkinData()->Skinned(true));
  EXPECT_NE(At(b, 0, 0), Coded(60, 0, 50) & 0xFFFFFF);
}

}  // namespace
}  // namespace qv::test
