// Colour mixing and hue and saturation shifts.
#include "skin/skColors.h"

#include <algorithm>
#include <cmath>

#include "classlib/graphics/Bitmap.h"
#include "skin/skUtils.h"

namespace qv {

namespace {
int R(TColor c) {
  return c & 0xFF;
}
int G(TColor c) {
  return (c >> 8) & 0xFF;
}
int B(TColor c) {
  return (c >> 16) & 0xFF;
}
TColor Make(int r, int g, int b, uint32_t hi = 0) {
  return TColor(hi | uint32_t(Limit255(b)) << 16 | uint32_t(Limit255(g)) << 8 | uint32_t(Limit255(r)));
}

// Pixel recolouring by a colour rule, leaving 0xFF00FF and greys alone.
template <class F>
void RecolourPixels(TBitmap* Bmp, F&& rule) {
  if (!Bmp || Bmp->Empty()) return;
  if (Bmp->PixelFormat() != pf24bit) Bmp->SetPixelFormat(pf24bit);
  for (int y = 0; y < Bmp->Height(); ++y) {
    uint8_t* p = Bmp->ScanLine(y);
    for (int x = 0; x < Bmp->Width(); ++x, p += 3) {
      if (p[0] == p[1] && p[1] == p[2]) continue;
      if (p[2] == 255 && p[1] == 0 && p[0] == 255) continue;
      TColor c = rule(Make(p[2], p[1], p[0]));
      p[0] = uint8_t(B(c)), p[1] = uint8_t(G(c)), p[2] = uint8_t(R(c));
    }
  }
}
}  // namespace

TColor MixColors(TColor C1, TColor C2, double F) {
  auto mix = [&](int a, int b) { return std::min(255, RoundEven(a - (a - b) * F)); };
  return Make(mix(R(C1), R(C2)), mix(G(C1), G(C2)), mix(B(C1), B(C2)));
}

TColor BlendColorBytes(TColor C1, TColor C2, double F) {
  auto mix = [&](int a, int b) { return RoundEven(b + (a - b) * F); };
  return Make(mix(R(C1), R(C2)), mix(G(C1), G(C2)), mix(B(C1), B(C2)), uint32_t(C1) & 0xFF000000u);
}

TColor ChangeSaturation(TColor Color, int Percent) {
  const double avg = (R(Color) + G(Color) + B(Color)) / 3.0;
  auto move = [&](int c) { return Limit255(RoundEven(c + Percent * (avg - c) / 100.0)); };
  return Make(move(R(Color)), move(G(Color)), move(B(Color)));
}

TColor ChangeHue(int Delta, TColor Color) {
  Color = ColorToRGB(Color);
  const double r = R(Color), g = G(Color), b = B(Color);
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const double v = mx, s = mx > 0 ? (mx - mn) / mx : 0;
  double h = 0;
  if (mx > mn) {
    const double d = mx - mn;
    if (mx == r)
      h = 60 * std::fmod((g - b) / d + 6, 6.0);
    else if (mx == g)
      h = 60 * ((b - r) / d + 2);
    else
      h = 60 * ((r - g) / d + 4);
    h = std::fmod(h + Delta, 360.0);
    if (h < 0) h += 360;
  }
  // Back from hue, saturation and value.
  const double c = v * s, hp = h / 60, x = c * (1 - std::fabs(std::fmod(hp, 2.0) - 1)), m = v - c;
  double rr = 0, gg = 0, bb = 0;
  switch (int(hp) % 6) {
    case 0:
      rr = c, gg = x;
      break;
    case 1:
      rr = x, gg = c;
      break;
    case 2:
      gg = c, bb = x;
      break;
    case 3:
      gg = x, bb = c;
      break;
    case 4:
      rr = x, bb = c;
      break;
    default:
      rr = c, bb = x;
      break;
  }
  return Make(RoundEven(rr + m), RoundEven(gg + m), RoundEven(bb + m));
}

void ChangeBitmapHue(TBitmap* Bmp, int Delta) {
  RecolourPixels(Bmp, [&](TColor c) { return ChangeHue(Delta, c); });
}

void ChangeBitmapSaturation(TBitmap* Bmp, int Percent) {
  RecolourPixels(Bmp, [&](TColor c) { return ChangeSaturation(c, Percent); });
}

}  // namespace qv
