// Drawing the standard icons: a red disc with a white cross (error), a
// yellow warning triangle with "!", a blue disc with "i" (information), a
// white disc with a blue "?" (question) and a small window (application).
// Shapes are anti-aliased by 4 x 4 supersampling.
#include "platform/window/StandardIcons.h"

#include <cmath>
#include <functional>
#include <mutex>

#include "platform/gdi/Icons.h"

namespace qv {
namespace {

constexpr int kSize = 32;
using Inside = std::function<bool(double x, double y)>;

uint32_t Blend(uint32_t under, uint32_t colour, double a) {
  if (a <= 0) return under;
  double ua = PixelA(under) / 255.0, oa = a + ua * (1 - a);
  auto mix = [&](uint8_t c, uint8_t u) {
    return uint8_t(std::lround(oa > 0 ? (c * a + u * ua * (1 - a)) / oa : 0));
  };
  return PixelRGB(mix(PixelR(colour), PixelR(under)), mix(PixelG(colour), PixelG(under)),
                  mix(PixelB(colour), PixelB(under)), uint8_t(std::lround(oa * 255)));
}

// Paints `colour` over every pixel by the part of it that `inside` covers.
void Fill(Surface& s, uint32_t colour, const Inside& inside) {
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) {
      int hits = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
      if (hits) s.Set(x, y, Blend(s.At(x, y), colour, hits / 16.0));
    }
}

Inside Disc(double cx, double cy, double r) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

// A line of width w between two points.
Inside Stroke(double x0, double y0, double x1, double y1, double w) {
  return [=](double x, double y) {
    double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0);
    double px = x0 + t * dx - x, py = y0 + t * dy - y;
    return px * px + py * py <= w * w / 4;
  };
}

Inside Box(double l, double t, double r, double b) {
  return [=](double x, double y) { return x >= l && x < r && y >= t && y < b; };
}

Inside Triangle(double inset) {
  // Apex at the top middle, base along the bottom.
  return [=](double x, double y) {
    double top = 2 + inset, bottom = 30 - inset * 0.5;
    if (y < top || y > bottom) return false;
    double half = (y - 2) * 15.0 / 28.0 - inset;
    return std::abs(x - 16) <= half;
  };
}

const uint32_t kWhite = PixelRGB(255, 255, 255), kBlack = PixelRGB(0, 0, 0);

Surface ErrorIcon() {
  Surface s(kSize, kSize, 0);
  Fill(s, PixelRGB(128, 0, 0), Disc(16, 16, 15));
  Fill(s, PixelRGB(220, 24, 24), Disc(16, 16, 13.5));
  Fill(s, kWhite, Stroke(10.5, 10.5, 21.5, 21.5, 3.2));
  Fill(s, kWhite, Stroke(21.5, 10.5, 10.5, 21.5, 3.2));
  return s;
}

Surface WarningIcon() {
  Surface s(kSize, kSize, 0);
  Fill(s, kBlack, Triangle(0));
  Fill(s, PixelRGB(255, 220, 0), Triangle(1.6));
  Fill(s, kBlack, Stroke(16, 11, 16, 20, 3.2));
  Fill(s, kBlack, Disc(16, 25, 1.8));
  return s;
}

Surface InformationIcon() {
  Surface s(kSize, kSize, 0);
  Fill(s, PixelRGB(0, 0, 128), Disc(16, 16, 15));
  Fill(s, PixelRGB(40, 90, 220), Disc(16, 16, 13.5));
  Fill(s, kWhite, Disc(16, 9, 2));
  Fill(s, kWhite, Box(14.3, 13, 17.7, 24));
  Fill(s, kWhite, Box(12.5, 13, 17.7, 14.6));
  Fill(s, kWhite, Box(12.5, 22.4, 19.5, 24));
  return s;
}

Surface QuestionIcon() {
  Surface s(kSize, kSize, 0);
  Fill(s, PixelRGB(128, 128, 128), Disc(16, 16, 15));
  Fill(s, kWhite, Disc(16, 16, 13.5));
  const uint32_t blue = PixelRGB(0, 64, 192);
  // The hook: an arc over the top, then down to the stem.
  Fill(s, blue, [](double x, double y) {
    double d = std::hypot(x - 16, y - 12);
    return d >= 3.2 && d <= 6.4 && (y <= 12 || x >= 16) && !(y > 12 && x < 19 && y > 14);
  });
  Fill(s, blue, Box(14.4, 16, 17.6, 20.5));
  Fill(s, blue, Disc(16, 24.5, 1.9));
  return s;
}

Surface ApplicationIcon() {
  Surface s(kSize, kSize, 0);
  Fill(s, kBlack, Box(2, 4, 30, 28));
  Fill(s, kWhite, Box(3, 5, 29, 27));
  Fill(s, PixelRGB(0, 0, 128), Box(3, 5, 29, 10));
  Fill(s, PixelRGB(192, 192, 192), Box(25, 6, 28, 9));
  return s;
}

Surface Draw(int id) {
  switch (id) {
    case 32513:
      return ErrorIcon();
    case 32514:
      return QuestionIcon();
    case 32515:
      return WarningIcon();
    case 32516:
      return InformationIcon();
    default:
      return ApplicationIcon();
  }
}

}  // namespace

HICON LoadIconW(HINSTANCE instance, LPCWSTR_ID name) {
  auto id = int(uintptr_t(name));
  if (instance || id < 32512 || id > 32517) return nullptr;
  static std::mutex mutex;
  static HICON icons[6] = {};
  std::lock_guard lock(mutex);
  HICON& icon = icons[id - 32512];
  int w, h;
  if (!icon || !IconSize(icon, w, h)) icon = CreateIconFromPixels(Draw(id));
  return icon;
}

}  // namespace qv
