// The gallery program on a real X server (Xvfb, skipped when it is not
// installed): it shows its form, and the pixels read back from the server
// show the controls where the layout puts them.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "XvfbSupport.h"
#include "demo/gallery/GalleryLayout.h"
#include "platform/image/Png.h"

namespace qv {
namespace {

bool Near(uint32_t p, COLORREF c, int tolerance) {
  return std::abs(PixelR(p) - GetRValue(c)) <= tolerance && std::abs(PixelG(p) - GetGValue(c)) <= tolerance &&
         std::abs(PixelB(p) - GetBValue(c)) <= tolerance;
}

TEST(GallerySmoke, TheFormReadBackFromTheServerShowsItsControls) {
  if (!test::OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  test::Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  auto png =
      std::filesystem::temp_directory_path() / ("qv_gallery_smoke_" + std::to_string(getpid()) + ".png");
  std::string errors;
  ASSERT_EQ(
      test::RunProgram(QV_GALLERY_PROGRAM, server.Display().c_str(), "--x11-selftest", png.string(), errors),
      0)
      << errors;
  Surface shot;
  ASSERT_TRUE(LoadPngFile(png.string(), shot));
  std::filesystem::remove(png);
  // The X window is the client area: the desktop draws the caption, frame and,
  // here, nothing else; the menu bar is ours, above the client.
  ASSERT_EQ(shot.Width, gallery::kFormClient.cx);
  ASSERT_GE(shot.Height, gallery::kFormClient.cy);
  int top = shot.Height - gallery::kFormClient.cy;  // the menu bar's rows, when drawn in the window
  auto at = [&](int x, int y) { return shot.At(x, top + y); };
  EXPECT_TRUE(Near(at(212, 300), RGB(212, 208, 200), 0));
  const RECT& img = gallery::kImage;
  EXPECT_TRUE(Near(at((img.left + img.right) / 2, (img.top + img.bottom) / 2), gallery::kImageDisc, 0));
  EXPECT_TRUE(Near(at(img.left + 1, img.top + 1), gallery::kImageBack, 0));
  const RECT& sh = gallery::kShape;
  EXPECT_TRUE(Near(at((sh.left + sh.right) / 2, (sh.top + sh.bottom) / 2), RGB(0, 0, 255), 0));
  const RECT& g = gallery::kTextGroup;
  const RECT& e = gallery::kNameEdit;
  EXPECT_TRUE(Near(at(g.left + e.right - 6, g.top + e.top + 10), RGB(255, 255, 255), 0));
  // Text drawn by FreeType reached the server: labels, captions, the list.
  int dark = 0;
  for (int y = g.top; y < g.top + 60; ++y)
    for (int x = g.left; x < g.right; ++x) {
      uint32_t p = at(x, y);
      dark += PixelR(p) + PixelG(p) + PixelB(p) < 300;
    }
  EXPECT_GT(dark, 80);
}

}  // namespace
}  // namespace qv
