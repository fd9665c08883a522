// The hint manager on the headless screen: the catalogue's comics hint
// (shape, gradient body, border colours and shadow over a striped screen),
// placement against the screen edges, the screen captured once, the presets,
// sizes per style, and a manager that leaves no hook behind.
#include <cmath>
#include <vector>

#include "SkinTestSupport.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Window.h"
#include "skin/skBlend.h"
#include "skin/skGradient.h"
#include "skin/skHintManager.h"

namespace qv::test {
namespace {

// Stripes four pixels wide in two colours, so every screen pixel is known.
class Stripes : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  static TColor At(int x) { return (x / 4) % 2 ? 0x3060A0 : 0xA06030; }

 protected:
  void Paint() override {
    for (int x = 0; x < Width(); ++x) {
      Canvas()->Brush()->SetColor(At(x));
      Canvas()->FillRect(RECT{x, 0, x + 1, Height()});
    }
  }
};

// The main window's hint manager as the catalogue configures it.
void ConfigureCatalogueHints(TSkHintManager* m) {
  m->SetPredefinitions(shCustom);
  TSkHintKind* k = m->HintKind();
  k->Radius = 25, k->Blur = 0, k->ExOffset = 24;
  k->GradientData = "16753188;16777215;99;0;0;16777215;16777215;0;0;0";
  k->GradientPercent = 100, k->Bevel = 1, k->Color = 12778748, k->ColorBorderTop = clWhite;
  k->ColorBorderBottom = clNavy, k->Transparency = 0, k->ShadowBlur = 10, k->ShadowColor = clBlack;
  k->ShadowEnabled = true, k->ShadowOffset = 7, k->ShadowTransparency = 28, k->MarginH = 18, k->MarginV = 12;
  k->MaxWidth = 180;
  k->Font()->SetName("MS Sans Serif");
  k->Font()->SetHeight(-11);
  k->Font()->SetColor(clBlack);
  k->SetStyle(hsComics);
}

uint32_t Rgb(TColor c) {
  return PixelRGB(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)) & 0xFFFFFF;
}

class Hints : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 640, 480);
    stripes = new Stripes(form);
    stripes->SetParent(form);
    stripes->SetAlign(alClient);
    stripes->SetShowHint(true);
    stripes->SetHint("The catalogue's hint, three lines of text in a speech bubble");
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    Application->CancelHint();
    delete manager;
    delete form;
    Application->ProcessMessages();
  }
  // The hint window the application shows after the mouse rests at (x, y).
  TSkCustomHintWindow* ShowHintAt(int x, int y) {
    backend.MouseMove(x, y);
    backend.Pump();
    backend.AdvanceClock(600);
    backend.Pump();
    return dynamic_cast<TSkCustomHintWindow*>(Application->HintWindow());
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
  Stripes* stripes = nullptr;
  TSkHintManager* manager = nullptr;
};

TEST_F(Hints, CatalogueComicsHintOverTheScreen) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();
  ConfigureCatalogueHints(manager);
  EXPECT_EQ(Application->HintPause, 500);
  EXPECT_EQ(Application->HintShortPause, 200);
  TSkCustomHintWindow* w = ShowHintAt(100, 100);
  ASSERT_TRUE(w);
  ASSERT_TRUE(dynamic_cast<TSkComicsHintWindow*>(w));
  ASSERT_TRUE(IsWindowVisible(w->WindowHandle()));
  EXPECT_EQ(Application->HintHidePause, 5000);
  const int L = w->Left(), T = w->Top(), W = w->Width(), H = w->Height();
  EXPECT_EQ(L, 100);  // the tail's corner at the mouse, below and to the right
  EXPECT_EQ(T, 100);
  const int s = 7, ex = 24;
  EXPECT_LE(W, 180 + s + 2 * (18 + 1));
  const Surface screen = backend.Screenshot();
  auto at = [&](int x, int y) { return screen.At(L + x, T + y) & 0xFFFFFF; };
  auto under = [&](int x) { return Rgb(Stripes::At(L + x)); };
  // Outside the bubble and its shadow the screen shows unchanged: the top
  // right corner above the body, away from the tail.
  for (int y = 0; y < ex - 2; ++y) EXPECT_EQ(at(W - 3, y), under(W - 3)) << y;
  // The body: the gradient of the window's rows (it is laid over the whole
  // window, then cut by the shape), at the left inside the rounded edge.
  const int bodyTop = ex, bodyBottom = H - s;
  TSkGradArray grad;
  PrepareGradArray(manager->HintKind()->GradientData, grad);
  auto gradAt = [&](int row) {
    TBitmap g(1, H, pf24bit);
    PaintGrad(&g, RECT{0, 0, 1, H}, grad);
    return Rgb(Px(&g, 0, row));
  };
  for (int y = bodyTop + 14; y < bodyBottom - 14; y += 3) EXPECT_EQ(at(8, y), gradAt(y)) << y;
  // The border: white where the shape begins from the top, navy where it ends at the bottom.
  const int col = W * 3 / 4;
  int first = -1, last = -1;
  for (int y = 0; y < H; ++y)
    if (at(col, y) == Rgb(clWhite) && first < 0) first = y;
  for (int y = H - 1; y >= 0; --y)
    if (at(col, y) == Rgb(clNavy)) {
      last = y;
      break;
    }
  EXPECT_GE(first, bodyTop - 1);
  EXPECT_LE(first, bodyTop + 1);
  EXPECT_GE(last, bodyBottom - 2);
  EXPECT_LE(last, bodyBottom);
  // The shadow below the body: the stripes darkened, most at the bubble.
  const int sx = W / 2;
  for (int y = bodyBottom + 1; y < H; ++y) {
    const uint32_t p = at(sx, y), u = under(sx);
    EXPECT_LE(PixelR(p), PixelR(u)) << y;
    EXPECT_LE(PixelB(p), PixelB(u)) << y;
  }
  EXPECT_LT(PixelR(at(sx, bodyBottom + 1)) + PixelB(at(sx, bodyBottom + 1)),
            PixelR(under(sx)) + PixelB(under(sx)));
  // Every pixel of the window is accounted for: the screen as it was, the
  // screen darkened by one of the shadow's ring greys, or the body (its
  // gradient, its border colours, or text ink darkening the gradient).
  const int t = 28 * 255 / 100;  // the shadow's core grey
  std::vector<int> greys;
  for (int i = 0; i <= 10; ++i) greys.push_back(int(std::nearbyint((10 - i) * (255 - t) / 11.0)) + t);
  int screenPx = 0, shadowPx = 0, bodyPx = 0;
  for (int y = 0; y < H; ++y) {
    const uint32_t g = gradAt(y);
    for (int x = 0; x < W; ++x) {
      const uint32_t p = at(x, y), u = under(x);
      if (p == u) {
        ++screenPx;
        continue;
      }
      bool shade = false;
      for (int k : greys)
        shade = shade || p == (PixelRGB(uint8_t(PixelR(u) * k >> 8), uint8_t(PixelG(u) * k >> 8),
                                        uint8_t(PixelB(u) * k >> 8)) &
                               0xFFFFFF);
      if (shade) {
        ++shadowPx;
        continue;
      }
      const bool ink = PixelR(p) <= PixelR(g) && PixelG(p) <= PixelG(g) && PixelB(p) <= PixelB(g);
      ASSERT_TRUE(ink || p == Rgb(clWhite) || p == Rgb(clNavy)) << x << "," << y;
      ++bodyPx;
    }
  }
  EXPECT_GT(screenPx, W * 10);
  EXPECT_GT(shadowPx, 4 * (W + H));
  EXPECT_GT(bodyPx, (W - 20) * (bodyBottom - bodyTop - 20));
  // A repaint gives the same picture: the screen under the hint was kept.
  w->Invalidate();
  w->Update();
  backend.Pump();
  const Surface again = backend.Screenshot();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) ASSERT_EQ(again.At(L + x, T + y), screen.At(L + x, T + y)) << x << "," << y;
}

TEST_F(Hints, NearTheBottomRightTheHintOpensAboveAndLeft) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();
  ConfigureCatalogueHints(manager);
  TSkCustomHintWindow* w = ShowHintAt(630, 470);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->TailQuadrant, mpRightBottom);
  EXPECT_EQ(w->Left() + w->Width(), 630);
  EXPECT_EQ(w->Top() + w->Height(), 470);
}

TEST_F(Hints, PresetsAndSizesPerStyle) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();  // the stored default preset: ellipses
  TSkHintKind* k = manager->HintKind();
  EXPECT_EQ(k->Style(), hsEllipse);
  EXPECT_EQ(k->ExOffset, 26);
  EXPECT_EQ(ActiveHintManager, manager);
  TSkEllipseHintWindow e(nullptr);
  RECT r = e.CalcHintRect(0, "a");
  // At least 50 wide before the margins and the elliptic room.
  const int w = 50 + k->ShadowSize() + 2 * (k->MarginH + k->BevelWidth);
  EXPECT_EQ(
      e.ExtraWidth,
      int(std::nearbyint(
          w * (std::sqrt(double(w) * w + double(r.bottom - e.ExtraHeight) * (r.bottom - e.ExtraHeight)) - w) /
          (r.bottom - e.ExtraHeight))));
  EXPECT_EQ(r.right, w + e.ExtraWidth);
  manager->SetPredefinitions(shSimply);
  manager->ApplyPredefinitions();
  EXPECT_EQ(k->Style(), hsSimply);
  EXPECT_EQ(k->Color, clInfoBk);
  EXPECT_EQ(k->ShadowOffset, 8);
  manager->SetPredefinitions(shCustom);
  k->Color = 0x123456;
  manager->ApplyPredefinitions();
  EXPECT_EQ(k->Color, 0x123456);  // shCustom keeps the values as they are
  manager->SetPredefinitions(shStandard);
  manager->ApplyPredefinitions();
  EXPECT_EQ(ActiveHintManager, nullptr);
  TSkSimplyHintWindow none(nullptr);
  EXPECT_EQ(none.CalcHintRect(100, "x"), (RECT{0, 0, 0, 0}));  // no manager: an empty size
}

TEST_F(Hints, BadGradientTextPaintsThePlainColour) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();
  ConfigureCatalogueHints(manager);
  manager->HintKind()->GradientData = "1;2;x;0;0";
  TSkCustomHintWindow* w = ShowHintAt(100, 100);
  ASSERT_TRUE(w);
  EXPECT_EQ(manager->HintKind()->GradientPercent, 0);  // no steps: the colour alone
  const Surface screen = backend.Screenshot();
  EXPECT_EQ(screen.At(w->Left() + 8, w->Top() + 24 + 20) & 0xFFFFFF, Rgb(12778748));
}

TEST_F(Hints, BalloonBubblesLeadToTheTail) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();
  manager->SetPredefinitions(shBalloon);
  manager->ApplyPredefinitions();
  TSkBalloonHintWindow* w = dynamic_cast<TSkBalloonHintWindow*>(ShowHintAt(100, 100));
  ASSERT_TRUE(w);
  RECT r1 = w->BubbleRect(1, 9), r3 = w->BubbleRect(3, 9);
  EXPECT_LT(r1.top, r3.top);  // tail at the top: the bubbles grow downwards
  EXPECT_LT(r1.bottom - r1.top, r3.bottom - r3.top);
  EXPECT_GE(r1.right - r1.left, r1.bottom - r1.top + 5);
}

TEST_F(Hints, DestroyedManagerLeavesNoHook) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();
  ConfigureCatalogueHints(manager);
  ASSERT_TRUE(bool(Application->OnShowHint));
  delete manager;
  manager = nullptr;
  EXPECT_EQ(ActiveHintManager, nullptr);
  EXPECT_FALSE(bool(Application->OnShowHint));
  EXPECT_FALSE(bool(Application->HintWindowClass));
  ShowHintAt(200, 200);  // a hint after the manager is gone must not reach it
}

// A desktop whose left monitor lies at negative coordinates: the hint keeps
// to the desktop's edges, not to its width and height taken as edges.
TEST(HintPlacement, FollowsTheEdgesOfAVirtualScreenAwayFromTheOrigin) {
  const RECT desk{-1280, -200, 640, 480};
  TSkMousePosition q = mpLeftTop;
  RECT r = PlaceHintRect(POINT{-1275, -195}, 100, 60, q, desk);  // near the far top-left corner
  EXPECT_EQ(q, mpLeftTop);
  EXPECT_EQ(r, (RECT{-1275, -195, -1175, -135}));
  q = mpLeftTop;
  r = PlaceHintRect(POINT{630, 470}, 100, 60, q, desk);  // near the bottom-right corner
  EXPECT_EQ(q, mpRightBottom);
  EXPECT_EQ(r, (RECT{530, 410, 630, 470}));
  q = mpRightBottom;
  r = PlaceHintRect(POINT{-1250, 300}, 100, 60, q, desk);  // would start left of the desktop
  EXPECT_EQ(q, mpLeftBottom);
  EXPECT_EQ(r.left, -1250);
  EXPECT_GE(r.left, desk.left);
  EXPECT_LE(r.bottom, desk.bottom);
}

// A texture under a gradient is mixed over the whole body, its last column too.
TEST_F(Hints, TexturedGradientBodyReachesTheLastColumn) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();
  manager->SetPredefinitions(shCustom);
  TSkHintKind* k = manager->HintKind();
  k->SetStyle(hsSimply);
  k->Transparency = 0;
  TBitmap tex(4, 4, pf24bit);
  tex.Canvas()->Brush()->SetColor(clRed);
  tex.Canvas()->FillRect(RECT{0, 0, 4, 4});
  k->Texture()->SetGraphic(&tex);
  k->GradientData = "65280;65280;100;0;0";  // all green
  k->TexturePercent = 50, k->GradientPercent = 50;
  TSkSimplyHintWindow w(nullptr);
  w.SetBounds(0, 0, 40, 20);
  std::unique_ptr<TBitmap> B(CreateBmp24BySize(40, 20));
  w.PaintBG(B.get(), RECT{0, 0, 40, 20});
  const TColor mixed = Px(B.get(), 0, 10);
  EXPECT_NE(mixed, clRed);
  EXPECT_NE(mixed, clLime);
  for (int y = 0; y < 20; ++y) EXPECT_EQ(Px(B.get(), 39, y), mixed) << y;
}

// Balloons and ellipses with no body to speak of: no bubbles, no elliptic
// room, and no division by a zero size (the sanitizers watch the conversions).
TEST_F(Hints, BalloonWithAnEmptyBodyDrawsNoBubbles) {
  manager = new TSkHintManager(form);
  manager->AfterConstruction();
  manager->SetPredefinitions(shBalloon);
  manager->ApplyPredefinitions();
  TSkHintKind* k = manager->HintKind();
  TSkBalloonHintWindow w(nullptr);
  w.TailQuadrant = mpLeftTop;
  w.SetBounds(0, 0, 60, k->ExOffset + k->ShadowSize());  // the body is 0 high
  for (int b = 1; b <= w.BubbleCount; ++b) EXPECT_EQ(w.BubbleRect(b, k->ShadowSize()), (RECT{0, 0, 0, 0}));
  w.BubbleDivisor = 0;
  w.SetBounds(0, 0, 60, 80);
  EXPECT_EQ(w.BubbleRect(1, k->ShadowSize()), (RECT{0, 0, 0, 0}));
  std::unique_ptr<TBitmap> m(w.CreateMask());
  EXPECT_EQ(m->Width(), 60);
}

}  // namespace
}  // namespace qv::test
