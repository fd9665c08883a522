// Gradient strings and their painting.
#include "skin/skGradient.h"

#include <algorithm>
#include <cmath>

#include "classlib/graphics/Bitmap.h"
#include "platform/Exception.h"
#include "skin/skUtils.h"

namespace qv {

void PrepareGradArray(const std::string& S, TSkGradArray& Data) {
  Data.clear();
  if (S.empty()) return;
  std::vector<std::string> words;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && S[i] == ';') ++i;
    size_t b = i;
    while (i < S.size() && S[i] != ';') ++i;
    if (i > b) words.push_back(S.substr(b, i - b));
  }
  Data.resize(words.size() / 5);
  for (size_t k = 0; k < Data.size(); ++k) {
    TSkGradStep& s = Data[k];
    s.Color1 = StrToInt(words[5 * k]);
    s.Color2 = StrToInt(words[5 * k + 1]);
    s.Percent = uint8_t(std::min(100, StrToInt(words[5 * k + 2])));
    s.Mode = StrToInt(words[5 * k + 3]);
  }
}

TSkGradArray ParseGradArrayOrEmpty(const std::string& S) {
  TSkGradArray a;
  try {
    PrepareGradArray(S, a);
  } catch (const EConvertError&) {
    a.clear();
  }
  return a;
}

namespace {

struct Channels {
  double b, g, r;
};
Channels ToChannels(TColor c) {
  return Channels{double((c >> 16) & 0xFF), double((c >> 8) & 0xFF), double(c & 0xFF)};
}
uint8_t Byte(double v) {
  return uint8_t(std::clamp(RoundEven(v), 0, 255));
}

// Lays the steps along [first, last] (both included) and calls Paint(pos, bgr)
// for every position of every step, later steps overwriting boundaries.
template <class F>
void LaySteps(const TSkGradArray& Data, int first, int last, int size, F&& Paint) {
  int e = first;
  for (size_t k = 0; k < Data.size(); ++k) {
    int s = e;
    e = (k + 1 == Data.size()) ? last : std::min(last, s + size * Data[k].Percent / 100);
    int d = e - s;
    if (d <= 0) continue;
    Channels c1 = ToChannels(Data[k].Color1), c2 = ToChannels(Data[k].Color2);
    Channels inc{(c2.b - c1.b) / d, (c2.g - c1.g) / d, (c2.r - c1.r) / d};
    Channels v = c1;
    for (int p = s; p <= e; ++p) {
      Paint(p, TBGR{Byte(v.b), Byte(v.g), Byte(v.r)});
      v.b += inc.b, v.g += inc.g, v.r += inc.r;
    }
  }
}

struct Vertex {
  double x, y;
  Channels c;
};

// Pixels whose centres lie in the triangle (edges included), shaded by their
// barycentric weights and clipped to R.
void ShadeTriangle(TBitmap* Bmp, const RECT& R, const Vertex& a, const Vertex& b, const Vertex& c) {
  const double det = (b.y - c.y) * (a.x - c.x) + (c.x - b.x) * (a.y - c.y);
  if (det == 0) return;
  const int x0 = std::max<int>(R.left, int(std::floor(std::min({a.x, b.x, c.x}))));
  const int x1 = std::min<int>(R.right - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
  const int y0 = std::max<int>(R.top, int(std::floor(std::min({a.y, b.y, c.y}))));
  const int y1 = std::min<int>(R.bottom - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
  const double eps = 1e-9;
  for (int y = y0; y <= y1; ++y) {
    uint8_t* row = Bmp->ScanLine(y);
    const double py = y + 0.5;
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5;
      const double wa = ((b.y - c.y) * (px - c.x) + (c.x - b.x) * (py - c.y)) / det;
      const double wb = ((c.y - a.y) * (px - c.x) + (a.x - c.x) * (py - c.y)) / det;
      const double wc = 1 - wa - wb;
      if (wa < -eps || wb < -eps || wc < -eps) continue;
      uint8_t* p = row + 3 * x;
      p[0] = Byte(wa * a.c.b + wb * b.c.b + wc * c.c.b);
      p[1] = Byte(wa * a.c.g + wb * b.c.g + wc * c.c.g);
      p[2] = Byte(wa * a.c.r + wb * b.c.r + wc * c.c.r);
    }
  }
}

void PaintTriangles(TBitmap* Bmp, const RECT& R, const TSkGradArray& Data) {
  const double cx = R.left + (R.right - R.left) / 2, cy = R.top + (R.bottom - R.top) / 2;
  const double pts[5][2] = {{double(R.left), double(R.top)},
                            {cx, cy},
                            {double(R.right), double(R.top)},
                            {double(R.right), double(R.bottom)},
                            {double(R.left), double(R.bottom)}};
  Vertex v[5];
  TColor c = Data[0].Color1;
  for (int i = 0; i < 5; ++i) {
    if (size_t(i) < Data.size()) c = Data[size_t(i)].Color1;
    v[i] = Vertex{pts[i][0], pts[i][1], ToChannels(c)};
  }
  ShadeTriangle(Bmp, R, v[0], v[1], v[2]);
  ShadeTriangle(Bmp, R, v[1], v[2], v[3]);
  ShadeTriangle(Bmp, R, v[0], v[1], v[4]);
  ShadeTriangle(Bmp, R, v[4], v[1], v[3]);
}

}  // namespace

void PaintGrad(TBitmap* Bmp, RECT R, const TSkGradArray& Data) {
  if (!Bmp || Data.empty()) return;
  R.right = std::min<LONG>(R.right, Bmp->Width());
  R.bottom = std::min<LONG>(R.bottom, Bmp->Height());
  R.left = std::max<LONG>(R.left, 0);
  R.top = std::max<LONG>(R.top, 0);
  if (R.right <= R.left || R.bottom <= R.top) return;
  const int lastCol = R.right - 1, lastRow = R.bottom - 1;
  switch (Data[0].Mode) {
    case 0:
      LaySteps(Data, R.top, lastRow, R.bottom - R.top, [&](int y, TBGR c) {
        uint8_t* p = Bmp->ScanLine(y) + 3 * R.left;
        for (int x = R.left; x <= lastCol; ++x, p += 3) p[0] = c.B, p[1] = c.G, p[2] = c.R;
      });
      break;
    case 1: {
      // Every row is the same: lay the steps once, then copy the row down.
      uint8_t* first = Bmp->ScanLine(R.top);
      LaySteps(Data, R.left, lastCol, R.right - R.left, [&](int x, TBGR c) {
        uint8_t* p = first + 3 * x;
        p[0] = c.B, p[1] = c.G, p[2] = c.R;
      });
      for (int y = R.top + 1; y < R.bottom; ++y)
        std::copy(first + 3 * R.left, first + 3 * R.right, Bmp->ScanLine(y) + 3 * R.left);
      break;
    }
    case 2:
      PaintTriangles(Bmp, R, Data);
      break;
    default:
      break;
  }
}

}  // namespace qv
