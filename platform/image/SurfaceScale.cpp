// Area-average resampling of 0xAARRGGBB surfaces, in premultiplied colour.
#include "platform/image/SurfaceScale.h"

#include <algorithm>
#include <cmath>

namespace qv {
namespace {

// The source pixels [first, last] that the destination pixel d covers, and
// how much of the first and last of them.
struct Span {
  int first = 0, last = 0;
  double firstPart = 1, lastPart = 1;
};

Span Cover(int d, int sourceSize, int destSize) {
  const double from = double(d) * sourceSize / destSize, to = double(d + 1) * sourceSize / destSize;
  Span s;
  s.first = int(std::floor(from));
  s.last = std::min(sourceSize - 1, int(std::ceil(to)) - 1);
  s.firstPart = std::min(to, s.first + 1.0) - from;
  s.lastPart = s.last == s.first ? s.firstPart : to - s.last;
  return s;
}

double Part(const Span& s, int i) {
  return i == s.first ? s.firstPart : i == s.last ? s.lastPart : 1.0;
}

}  // namespace

Surface ScaleSurface(const Surface& source, int width, int height) {
  if (width <= 0 || height <= 0) return Surface();
  if (source.Width <= 0 || source.Height <= 0) return Surface(width, height, 0);
  if (width == source.Width && height == source.Height) return source;
  Surface out(width, height, 0);
  for (int y = 0; y < height; ++y) {
    const Span sy = Cover(y, source.Height, height);
    for (int x = 0; x < width; ++x) {
      const Span sx = Cover(x, source.Width, width);
      double a = 0, r = 0, g = 0, b = 0, area = 0;
      for (int j = sy.first; j <= sy.last; ++j)
        for (int i = sx.first; i <= sx.last; ++i) {
          const double w = Part(sy, j) * Part(sx, i);
          const uint32_t p = source.At(i, j);
          const double alpha = PixelA(p) / 255.0;
          a += w * PixelA(p), r += w * alpha * PixelR(p), g += w * alpha * PixelG(p),
              b += w * alpha * PixelB(p);
          area += w;
        }
      if (area <= 0 || a <= 0) continue;
      auto channel = [&](double premultiplied) {
        return uint8_t(std::clamp(std::lround(premultiplied * 255.0 / a), 0L, 255L));
      };
      out.Set(
          x, y,
          PixelRGB(channel(r), channel(g), channel(b), uint8_t(std::clamp(std::lround(a / area), 0L, 255L))));
    }
  }
  return out;
}

}  // namespace qv
