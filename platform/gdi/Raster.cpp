// The raster-operation engine: generic evaluation of the 256 ternary operations
// with fast paths for the common ones, fills of spans and regions, and the
// conversion of shapes (round rectangles, ellipses, polygons) to spans.
#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

namespace qv::gdi {

uint32_t RopPixel(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!(rop >> i & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}

namespace {

// Raster operations other than plain copies give opaque pixels.
constexpr uint32_t kOpaque = 0xFF000000u;

template <typename Op>
void Each(uint32_t* d, int n, Op op) {
  for (int i = 0; i < n; ++i) d[i] = op(i) | kOpaque;
}

}  // namespace

void RopSpan(uint8_t rop, uint32_t* d, const uint32_t* s, const uint32_t* p, int n) {
  switch (rop) {
    case 0xCC:
      std::memmove(d, s, std::size_t(n) * 4);
      return;
    case 0xF0:
      std::memcpy(d, p, std::size_t(n) * 4);
      return;
    case 0xAA:
      return;
    case 0x00:
      std::fill(d, d + n, 0xFF000000u);
      return;
    case 0xFF:
      std::fill(d, d + n, 0xFFFFFFFFu);
      return;
    case 0x55:
      Each(d, n, [&](int i) { return ~d[i]; });
      return;
    case 0x5A:
      Each(d, n, [&](int i) { return p[i] ^ d[i]; });
      return;
    case 0x66:
      Each(d, n, [&](int i) { return s[i] ^ d[i]; });
      return;
    case 0x88:
      Each(d, n, [&](int i) { return s[i] & d[i]; });
      return;
    case 0xEE:
      Each(d, n, [&](int i) { return s[i] | d[i]; });
      return;
    case 0x33:
      Each(d, n, [&](int i) { return ~s[i]; });
      return;
    case 0x44:
      Each(d, n, [&](int i) { return s[i] & ~d[i]; });
      return;
    case 0x22:
      Each(d, n, [&](int i) { return ~s[i] & d[i]; });
      return;
    case 0xC0:
      Each(d, n, [&](int i) { return p[i] & s[i]; });
      return;
    case 0xB8:
      Each(d, n, [&](int i) { return (d[i] & s[i]) | (p[i] & ~s[i]); });
      return;
    case 0xE2:
      Each(d, n, [&](int i) { return (p[i] & s[i]) | (d[i] & ~s[i]); });
      return;
    case 0xA0:
      Each(d, n, [&](int i) { return p[i] & d[i]; });
      return;
    case 0xFA:
      Each(d, n, [&](int i) { return p[i] | d[i]; });
      return;
    default:
      break;
  }
  static const uint32_t zero = 0;
  for (int i = 0; i < n; ++i) d[i] = RopPixel(rop, p ? p[i] : zero, s ? s[i] : zero, d[i]) | kOpaque;
}

Fill SolidFill(uint32_t pixel) {
  Fill f;
  f.kind = Fill::Solid;
  f.color = pixel;
  return f;
}

void FillRow(const Fill& f, int y, int x0, int n, uint32_t* p) {
  if (f.kind == Fill::Solid) {
    std::fill(p, p + n, f.color);
    return;
  }
  const uint32_t* row = &f.pattern[std::size_t((y - f.orgY) & 7) * 8];
  int phase = (x0 - f.orgX) & 7;
  for (int i = 0; i < n; ++i) p[i] = row[(phase + i) & 7];
}

void FillSpan(const PixelRows& rows, const Fill& f, uint8_t rop, int y, int x0, int x1) {
  if (f.kind == Fill::None || x1 <= x0) return;
  int n = x1 - x0;
  if (f.kind == Fill::Solid && rop == 0xF0) {
    if (rows.bpp == 24) {
      // A plain fill never reads the row: the colour's bytes go straight in.
      uint8_t* p = rows.RowBytes(y) + ptrdiff_t(x0) * 3;
      const uint8_t b = uint8_t(f.color), g = uint8_t(f.color >> 8), r = uint8_t(f.color >> 16);
      for (int i = 0; i < n; ++i, p += 3) p[0] = b, p[1] = g, p[2] = r;
      return;
    }
    rows.Span(y, x0, x1, [&](uint32_t* d, int) { std::fill(d, d + n, f.color); });
    return;
  }
  thread_local std::vector<uint32_t> pat;
  if (pat.size() < std::size_t(n)) pat.resize(std::size_t(n));
  FillRow(f, y, x0, n, pat.data());
  if (!f.masked) {
    rows.Span(y, x0, x1, [&](uint32_t* d, int) { RopSpan(rop, d, nullptr, pat.data(), n); });
    return;
  }
  uint8_t bits = f.mask[std::size_t((y - f.orgY) & 7)];
  int phase = (x0 - f.orgX) & 7;
  rows.Span(y, x0, x1, [&](uint32_t* d, int) {
    for (int i = 0; i < n; ++i)
      if (bits >> (7 - ((phase + i) & 7)) & 1) RopSpan(rop, d + i, nullptr, pat.data() + i, 1);
  });
}

void FillArea(const PixelRows& rows, const PixRegion& area, const Fill& f, uint8_t rop) {
  int n = 0;
  const pixman_box32_t* b = area.Rects(n);
  for (int i = 0; i < n; ++i)
    for (int y = b[i].y1; y < b[i].y2; ++y) FillSpan(rows, f, rop, y, b[i].x1, b[i].x2);
}

void FillClipped(const PixelRows& rows, const PixRegion& clip, const RECT& rect, const Fill& f, uint8_t rop) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  int n = 0;
  const pixman_box32_t* b = clip.Rects(n);
  for (int i = 0; i < n; ++i) {
    int x0 = std::max<int>(b[i].x1, rect.left), x1 = std::min<int>(b[i].x2, rect.right);
    int y0 = std::max<int>(b[i].y1, rect.top), y1 = std::min<int>(b[i].y2, rect.bottom);
    if (b[i].y1 >= rect.bottom) break;  // rectangles are sorted by band
    for (int y = y0; y < y1; ++y) FillSpan(rows, f, rop, y, x0, x1);
  }
}

PixRegion RegionFromSpans(const std::vector<Span>& spans) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(spans.size());
  for (const Span& s : spans)
    if (s.x1 > s.x0) boxes.push_back({s.x0, s.y, s.x1, s.y + 1});
  PixRegion r;
  if (!boxes.empty()) {
    pixman_region32_fini(r.get());
    pixman_region32_init_rects(r.get(), boxes.data(), int(boxes.size()));
  }
  return r;
}

// Each corner is a quarter of the ellipse inscribed in an ew x eh box; a pixel
// belongs to the shape when its centre lies inside.
RowRange ClipRows(const PixRegion& clip) {
  RECT b = clip.Bounds();
  return {b.top, b.bottom};
}

std::vector<Span> RoundRectSpans(int left, int top, int right, int bottom, int ew, int eh, RowRange rows) {
  std::vector<Span> spans;
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  ew = std::min(std::abs(ew), right - left);
  eh = std::min(std::abs(eh), bottom - top);
  double a = ew / 2.0, b = eh / 2.0;
  for (int y = std::max(top, rows.lo); y < std::min(bottom, rows.hi); ++y) {
    int inset = 0;
    double cy = -1;
    if (y < top + eh / 2.0)
      cy = top + b;
    else if (y >= bottom - eh / 2.0)
      cy = bottom - b;
    if (cy >= 0 && a > 0 && b > 0) {
      double t = (y + 0.5 - cy) / b;
      double r = 1 - t * t;
      if (r < 0) continue;
      double half = a * std::sqrt(r);  // half-width of the corner ellipse on this row
      inset = int(std::ceil(a - half - 0.5));
      if (inset < 0) inset = 0;
    }
    if (left + inset < right - inset) spans.push_back({y, left + inset, right - inset});
  }
  return spans;
}

namespace {

// An edge's crossing with a row, exactly: at x = floor + (exact ? 0 : a fraction).
struct Crossing {
  int64_t floor;
  bool exact;
  int dir;
  double x;
};

// Where the edge from a to b (a.y < b.y) crosses row y, a.y <= y <= b.y.
Crossing CrossingAt(POINT a, POINT b, int y, int dir) {
  const int64_t den = int64_t(b.y) - a.y, dy = int64_t(y) - a.y, dx = int64_t(b.x) - a.x;
  int64_t q, r;
  if (int64_t num; !__builtin_mul_overflow(dy, dx, &num)) {
    q = num / den, r = num % den;
  } else {  // coordinates far out: the product needs more bits
    const __int128 wide = __int128(dy) * dx;
    q = int64_t(wide / den), r = int64_t(wide % den);
  }
  if (r < 0) --q, r += den;  // round towards minus infinity
  return Crossing{a.x + q, r == 0, dir, double(a.x) + double(dy) * double(dx) / double(den)};
}

// Closed pixel ranges [x0, x1] of one row, merged into spans.
void AddRow(std::vector<Span>& spans, std::vector<std::pair<int64_t, int64_t>>& ranges, int y) {
  std::sort(ranges.begin(), ranges.end());
  for (size_t i = 0; i < ranges.size();) {
    int64_t x0 = ranges[i].first, x1 = ranges[i].second;
    for (++i; i < ranges.size() && ranges[i].first <= x1 + 1; ++i) x1 = std::max(x1, ranges[i].second);
    x0 = std::max<int64_t>(x0, INT32_MIN + 1), x1 = std::min<int64_t>(x1, INT32_MAX - 1);
    if (x0 <= x1) spans.push_back({y, int(x0), int(x1 + 1)});
  }
}

}  // namespace

// A point (x, y) stands for the centre of pixel (x, y), as it does for the
// pens, so a polygon's outline and its fill meet. A pixel belongs to the
// polygon when its centre lies inside or on the outline: mirroring a polygon
// mirrors its pixels, and a filled triangle's sides are whole whatever their
// direction. Crossings are exact (integer arithmetic), so a centre on a
// slanted side never falls out by rounding.
std::vector<Span> PolygonSpans(const POINT* pts, const int* counts, int polyCount, int fillMode,
                               RowRange rows) {
  std::vector<Span> spans;
  int total = 0, minY = INT32_MAX, maxY = INT32_MIN;
  for (int i = 0; i < polyCount; ++i) total += std::max(0, counts[i]);
  for (int i = 0; i < total; ++i) {
    minY = std::min<int>(minY, pts[i].y);
    maxY = std::max<int>(maxY, pts[i].y);
  }
  if (total < 3) return spans;
  std::vector<Crossing> xs;
  std::vector<std::pair<int64_t, int64_t>> ranges;
  for (int y = std::max(minY, rows.lo); y <= maxY && y < rows.hi; ++y) {
    xs.clear(), ranges.clear();
    const POINT* poly = pts;
    for (int k = 0; k < polyCount; ++k) {
      int n = std::max(0, counts[k]);
      for (int i = 0; i < n; ++i) {
        POINT a = poly[i], b = poly[(i + 1) % n];
        if (a.y == b.y) {  // a side along the row: its pixels, nothing to cross
          if (a.y == y) ranges.push_back({std::min(a.x, b.x), std::max(a.x, b.x)});
          continue;
        }
        int dir = b.y > a.y ? 1 : -1;
        if (dir < 0) std::swap(a, b);
        if (y < a.y || y > b.y) continue;
        const Crossing c = CrossingAt(a, b, y, dir);
        if (c.exact) ranges.push_back({c.floor, c.floor});  // a centre on the side
        if (y == b.y) continue;  // the lower end counts with the next side, as the upper end
        xs.push_back(c);
      }
      poly += n;
    }
    std::sort(xs.begin(), xs.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
    int winding = 0;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].dir;
      bool inside = fillMode == WINDING ? winding != 0 : (i % 2) == 0;
      if (!inside) continue;
      const int64_t x0 = xs[i].floor + (xs[i].exact ? 0 : 1), x1 = xs[i + 1].floor;
      if (x0 <= x1) ranges.push_back({x0, x1});
    }
    AddRow(spans, ranges, y);
  }
  return spans;
}

}  // namespace qv::gdi
