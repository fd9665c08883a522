// The skinned bit button: its layout rules as a table, the plain bit
// button's look and click without a skin, and under a skin the section's
// colours by state, the window region cut at the mask's transparent corner,
// clicks only for releases inside, hints restored after nested presses, and
// the skin commands it answers.
#include "BarsSkin.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Region.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "skin/controls/skBitBtn.h"
#include "skin/skControlTree.h"

namespace qv::test {
namespace {

TEST(BitBtnLayout, GlyphAndCaptionByLayoutAlignmentMarginAndSpacing) {
  struct Row {
    TButtonLayout layout;
    TAlignment align;
    int margin, spacing;
    POINT glyph;
    RECT text;
  };
  // A 100 x 30 client, a 16 x 16 glyph and a 40 x 13 caption.
  const Row rows[] = {
      {blGlyphLeft, taLeftJustify, 5, 4, {5, 7}, {25, 9, 65, 22}},
      {blGlyphLeft, taRightJustify, 5, 4, {35, 7}, {55, 9, 95, 22}},
      {blGlyphLeft, taCenter, 5, 4, {20, 7}, {40, 9, 80, 22}},
      {blGlyphRight, taLeftJustify, 5, 4, {49, 7}, {5, 9, 45, 22}},
      {blGlyphRight, taRightJustify, 5, 4, {79, 7}, {35, 9, 75, 22}},
      {blGlyphRight, taCenter, 5, 4, {64, 7}, {20, 9, 60, 22}},
      {blGlyphTop, taCenter, 5, 0, {42, 0}, {30, 16, 70, 29}},
      {blGlyphBottom, taCenter, 5, 0, {42, 13}, {30, 0, 70, 13}},
      // Spacing -1 with a margin: the rest is split between the gap and the far side.
      {blGlyphLeft, taLeftJustify, 4, -1, {4, 7}, {40, 9, 80, 22}},
  };
  for (const Row& r : rows) {
    TSkBtnLayoutInput in;
    in.Client = SIZE{100, 30}, in.Glyph = SIZE{16, 16}, in.Text = SIZE{40, 13};
    in.Layout = r.layout, in.Alignment = r.align, in.Margin = r.margin, in.Spacing = r.spacing;
    const TSkBtnLayout L = CalcBtnLayout(in);
    EXPECT_EQ(L.Glyph.x, r.glyph.x) << r.layout << " " << r.align;
    EXPECT_EQ(L.Glyph.y, r.glyph.y) << r.layout << " " << r.align;
    EXPECT_EQ(L.Text, r.text) << r.layout << " " << r.align;
  }
  // Margin and Spacing -1 spread the free room in three equal parts.
  TSkBtnLayoutInput in;
  in.Client = SIZE{100, 30}, in.Glyph = SIZE{16, 16}, in.Text = SIZE{40, 13};
  in.Alignment = taLeftJustify, in.Margin = -1, in.Spacing = -1;
  TSkBtnLayout L = CalcBtnLayout(in);
  EXPECT_EQ(L.Margin, 14);
  EXPECT_EQ(L.Spacing, 14);
  EXPECT_EQ(L.Glyph.x, 14);
  EXPECT_EQ(L.Text.left, 44);
  // Without a caption the spacing counts as nothing; down moves both by a pixel.
  in.Text = SIZE{0, 0}, in.Spacing = 4, in.Down = true;
  L = CalcBtnLayout(in);
  EXPECT_EQ(L.Spacing, 0);
  EXPECT_EQ(L.Glyph, (POINT{(100 - 16 + 1) / 2 + 1, 7 + 1}));
}

class BitButtons : public SkinnedControlsTest {
 protected:
  template <class B>
  B* Put(int x, int y) {
    auto* b = new B(form);
    b->SetParent(form);
    b->SetBounds(x, y, 100, 30);
    b->SetCaption("Archive");
    b->OnClick = [this](TObject*) { ++clicks; };
    return b;
  }
  int clicks = 0;
};

TEST_F(BitButtons, WithoutASkinItIsThePlainBitButton) {
  auto* plain = Put<TBitBtn>(10, 10);
  auto* skinned = Put<TSkBitBtn>(10, 60);
  TBitmap glyph(16, 16, pf24bit);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
  glyph.Canvas()->Brush()->SetColor(clNavy);
  glyph.Canvas()->FillRect(RECT{3, 3, 13, 13});
  plain->SetGlyph(&glyph);
  skinned->SetGlyph(&glyph);
  backend.Pump();
  const Surface s = backend.Screenshot();
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(s.At(10 + x, 10 + y), s.At(10 + x, 60 + y)) << x << "," << y;
  backend.Click(60, 75);
  backend.Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(QuerySkinCommand(skinned, AC_CTRLHANDLED));  // a skinned control even now
}

TEST_F(BitButtons, UnderASkinItPaintsTheSectionAndCutsItsCorner) {
  auto* b = Put<TSkBitBtn>(40, 40);
  b->SetCaption("");
  LoadSkin();
  b->Repaint();
  EXPECT_EQ(At(40 + 50, 40 + 15), Rgb(kFace));
  EXPECT_EQ(At(40 + 0, 40 + 15), Rgb(kBorder));  // the mask's left edge
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(b->Handle(), rgn), 0);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));  // the transparent corner pixel is cut away
  EXPECT_TRUE(PtInRegion(rgn, 1, 0));
  EXPECT_TRUE(PtInRegion(rgn, 99, 29));
  DeleteObject(rgn);
  // Hovering shows the hot colour.
  backend.MouseMove(40 + 50, 40 + 15);
  backend.Pump();
  EXPECT_EQ(b->CurrentState(), 1);
  EXPECT_EQ(At(40 + 50, 40 + 15), Rgb(kFaceHot));
  // The skin removed: the plain button again, without a region.
  manager->SetActive(false);
  backend.Pump();
  rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(b->Handle(), rgn), 0);
  DeleteObject(rgn);
}

TEST_F(BitButtons, UnderASkinTheGlyphSitsWhereTheLayoutPutsIt) {
  auto* b = Put<TSkBitBtn>(40, 40);
  b->SetCaption("");
  TBitmap glyph(16, 16, pf24bit);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
  glyph.Canvas()->Brush()->SetColor(clNavy);
  glyph.Canvas()->FillRect(RECT{3, 3, 13, 13});
  b->SetGlyph(&glyph);
  LoadSkin();
  const TSkBtnLayout L = b->Layout();
  EXPECT_EQ(L.Glyph, (POINT{42, 7}));  // centred: no caption, so no spacing
  b->Repaint();
  EXPECT_EQ(At(40 + 42 + 8, 40 + 7 + 8), Rgb(clNavy));
  EXPECT_EQ(At(40 + 42 + 1, 40 + 7 + 1), Rgb(kFace));  // the glyph's transparent colour shows the face
  // Held down, glyph and caption move by a pixel.
  b->SetDown(true);
  EXPECT_EQ(b->Layout().Glyph, (POINT{43, 8}));
}

TEST_F(BitButtons, ClicksOnlyWhenReleasedInsideAndHintsComeBack) {
  auto* b = Put<TSkBitBtn>(40, 40);
  LoadSkin();
  Application->ShowHint = true;
  backend.MouseMove(60, 50);
  backend.MouseDown();
  backend.Pump();
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->CurrentState(), 2);
  EXPECT_FALSE(Application->ShowHint);
  backend.MouseDown(MouseButton::Right);  // a nested press must not save "off"
  backend.Pump();
  backend.MouseMove(300, 250);
  backend.MouseUp();
  backend.Pump();
  backend.MouseUp(MouseButton::Right);
  backend.Pump();
  EXPECT_EQ(clicks, 0);  // released outside
  EXPECT_FALSE(b->Down());
  EXPECT_TRUE(Application->ShowHint);
  backend.Click(60, 50);
  backend.Pump();
  EXPECT_EQ(clicks, 1);  // exactly one click for one press and release
  EXPECT_TRUE(Application->ShowHint);
  // Space on the focused button clicks once.
  b->SetFocus();
  backend.KeyPress(VK_SPACE);
  backend.Pump();
  EXPECT_EQ(clicks, 2);
}

TEST_F(BitButtons, SkinCommandsAndProperties) {
  auto* b = Put<TSkBitBtn>(40, 40);
  LoadSkin();
  EXPECT_TRUE(QuerySkinCommand(b, AC_CTRLHANDLED));
  b->SetBlend(150);
  EXPECT_EQ(b->Blend(), 100);
  b->SetBlend(-1);
  EXPECT_EQ(b->Blend(), 0);
  b->SetDown(true);
  EXPECT_EQ(b->CurrentState(), 2);
  b->SetDown(false);
  EXPECT_EQ(b->CurrentState(), 0);
  // A default button shows as active while no other bit button has the focus.
  b->SetDefault(true);
  TMessage m{CM_FOCUSCHANGED, 0, LPARAM(form), 0};
  b->WindowProc(m);
  EXPECT_TRUE(b->ShownAsDefault());
  EXPECT_EQ(b->CurrentState(), 1);
  auto* other = Put<TSkBitBtn>(200, 40);
  TMessage n{CM_FOCUSCHANGED, 0, LPARAM(static_cast<TWinControl*>(other)), 0};
  b->WindowProc(n);
  EXPECT_FALSE(b->ShownAsDefault());
}

}  // namespace
}  // namespace qv::test
