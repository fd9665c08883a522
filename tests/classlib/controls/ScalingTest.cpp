// Forms built for 96 pixels per inch on denser screens: the screen reports
// the backend's density, and a scaled form grows its client area, its
// children's bounds, its limits and its own fonts by the same ratio; at the
// density it was built for, or unscaled, nothing moves.
#include "ControlsTestSupport.h"
#include "classlib/graphics/Font.h"

namespace qv::test {
namespace {

class Scaling : public ControlsTest {
 protected:
  // A form of 200x100 client pixels with one child at (10, 20, 60x30) with
  // its own 12-pixel font, constructed as the application makes forms.
  TForm* Build(bool scaled = true) {
    auto* f = new TForm(nullptr);
    f->Scaled = scaled;
    f->SetClientWidth(200);
    f->SetClientHeight(100);
    f->Constraints().MinWidth = 100;
    child = new Probe(f);
    child->SetParent(f);
    child->SetBounds(10, 20, 60, 30);
    child->Font()->SetHeight(-12);
    inherited = new Probe(f);
    inherited->SetParent(f);
    inherited->SetBounds(0, 0, 5, 5);
    f->AfterConstruction();
    return f;
  }
  Probe* child = nullptr;
  Probe* inherited = nullptr;
};

TEST_F(Scaling, ScreenDensityComesFromTheDisplay) {
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
  backend.Dpi = 144;
  EXPECT_EQ(Screen->PixelsPerInch(), 144);
  backend.Dpi = 0;  // a display that says nothing usable
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
}

TEST_F(Scaling, FormsGrowWithTheScreenDensity) {
  backend.Dpi = 144;
  TForm* f = Build();
  EXPECT_EQ(f->PixelsPerInch, 144);
  EXPECT_EQ(f->ClientWidth(), 300);
  EXPECT_EQ(f->ClientHeight(), 150);
  EXPECT_EQ(f->Constraints().MinWidth, 150);
  EXPECT_EQ(child->Left(), 15);
  EXPECT_EQ(child->Top(), 30);
  EXPECT_EQ(child->Width(), 90);
  EXPECT_EQ(child->Height(), 45);
  EXPECT_EQ(child->Font()->Height(), -18);
  // A font that follows its parent follows it, not scaled twice.
  EXPECT_EQ(inherited->Font()->Height(), f->Font()->Height());
}

// Children held to the right or bottom edge (a dialog's buttons and boxes)
// keep their scaled distance to it: their bounds scale once, not scaled and
// then moved again as the parent grows to its scaled size.
TEST_F(Scaling, AnchoredChildrenScaleOnce) {
  for (int dpi : {120, 144, 192}) {
    backend.Dpi = dpi;
    auto* f = new TForm(nullptr);
    f->SetClientWidth(200);
    f->SetClientHeight(100);
    auto* panel = new Probe(f);  // a bar along the bottom holding buttons
    panel->SetParent(f);
    panel->SetAlign(alBottom);
    panel->SetHeight(40);
    auto* button = new Probe(f);
    button->SetParent(panel);
    button->SetBounds(120, 8, 70, 24);
    button->SetAnchors(TAnchors{akRight, akTop});
    auto* box = new Probe(f);  // stretched between both edges
    box->SetParent(f);
    box->SetBounds(10, 10, 180, 20);
    box->SetAnchors(TAnchors{akLeft, akTop, akRight});
    auto* corner = new Probe(f);
    corner->SetParent(f);
    corner->SetBounds(150, 40, 40, 10);
    corner->SetAnchors(TAnchors{akRight, akBottom});
    f->AfterConstruction();
    const int scaled = MulDiv(200, dpi, 96);
    EXPECT_EQ(f->ClientWidth(), scaled) << dpi;
    EXPECT_NEAR(button->Left(), MulDiv(120, dpi, 96), 1) << dpi;
    EXPECT_NEAR(panel->ClientWidth() - (button->Left() + button->Width()), MulDiv(10, dpi, 96), 1) << dpi;
    EXPECT_NEAR(box->Width(), MulDiv(180, dpi, 96), 1) << dpi;
    EXPECT_NEAR(f->ClientWidth() - (box->Left() + box->Width()), MulDiv(10, dpi, 96), 1) << dpi;
    EXPECT_NEAR(corner->Top(), MulDiv(40, dpi, 96), 1) << dpi;
    EXPECT_NEAR(corner->Left(), MulDiv(150, dpi, 96), 1) << dpi;
    // And they follow the edges from there.
    f->SetClientWidth(scaled + 30);
    EXPECT_NEAR(button->Left(), MulDiv(120, dpi, 96) + 30, 1) << dpi;
    EXPECT_NEAR(box->Width(), MulDiv(180, dpi, 96) + 30, 1) << dpi;
    delete f;
  }
}

TEST_F(Scaling, AtTheBuiltDensityOrUnscaledNothingMoves) {
  TForm* f = Build();
  EXPECT_EQ(f->ClientWidth(), 200);
  EXPECT_EQ(child->Left(), 10);
  EXPECT_EQ(child->Font()->Height(), -12);
  backend.Dpi = 192;
  TForm* g = Build(false);
  EXPECT_EQ(g->ClientWidth(), 200);
  EXPECT_EQ(child->Width(), 60);
  EXPECT_EQ(g->PixelsPerInch, 96);
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(10, 3, 2), 15);
  EXPECT_EQ(MulDiv(5, 3, 2), 8);
  EXPECT_EQ(MulDiv(-5, 3, 2), -8);
  EXPECT_EQ(MulDiv(7, 96, 144), 5);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

}  // namespace
}  // namespace qv::test
