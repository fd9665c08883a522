// Where a top-level form comes up: inside the work area the desktop leaves
// to windows, shrunk and moved onto it when its bounds do not fit there,
// centred in it when it is a centred form, and where it was put otherwise.
#include "ControlsTestSupport.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv::test {
namespace {

class FormPlacement : public ControlsTest {
 protected:
  void SetUp() override { SetArea(RECT{0, 0, 800, 570}); }  // a panel along the bottom
  void TearDown() override {
    ControlsTest::TearDown();
    SetArea(RECT{0, 0, 800, 600});
  }
  static void SetArea(RECT area) { SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0); }
  RECT ShownAt(RECT bounds, TPosition position = poDesigned, TBorderStyle style = bsSizeable) {
    TForm* f = NewForm(bounds, style);
    f->Position = position;
    f->Show();
    Pump();
    return f->BoundsRect();
  }
};

TEST_F(FormPlacement, FormsComeUpWholeInsideTheWorkArea) {
  // Designed for a larger screen: as large as the area, at its corner.
  EXPECT_EQ(ShownAt(RECT{201, 108, 201 + 888, 108 + 622}), (RECT{0, 0, 800, 570}));
  // Fitting: where it was put.
  EXPECT_EQ(ShownAt(RECT{40, 50, 440, 350}), (RECT{40, 50, 440, 350}));
  // Hanging over an edge: moved in whole, its size kept.
  EXPECT_EQ(ShownAt(RECT{600, 500, 900, 600}), (RECT{500, 470, 800, 570}));
  EXPECT_EQ(ShownAt(RECT{-50, -20, 250, 180}), (RECT{0, 0, 300, 200}));
  // Centred forms: in the middle of the area, also when shrunk to it.
  EXPECT_EQ(ShownAt(RECT{0, 0, 300, 200}, poScreenCenter, bsDialog), (RECT{250, 185, 550, 385}));
  EXPECT_EQ(ShownAt(RECT{0, 0, 1000, 300}, poScreenCenter, bsDialog), (RECT{0, 135, 800, 435}));
  // A least size larger than the area (scaled for a denser screen) gives way to it.
  TForm* f = NewForm(RECT{0, 0, 900, 640}, bsSizeable);
  f->Constraints().MinWidth = 900;
  f->Constraints().MinHeight = 640;
  f->Position = poScreenCenter;
  f->Show();
  Pump();
  EXPECT_EQ(f->BoundsRect(), (RECT{0, 0, 800, 570}));
  // An area moved away from the screen's corner (a panel on the left).
  SetArea(RECT{60, 0, 800, 600});
  EXPECT_EQ(ShownAt(RECT{0, 0, 300, 200}), (RECT{60, 0, 360, 200}));
}

}  // namespace
}  // namespace qv::test
