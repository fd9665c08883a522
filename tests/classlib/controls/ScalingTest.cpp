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
