// The blending loops. Coverage rows are blended straight into 32-bit rows;
// other depths go through the row staging of PixelRows.
#include "platform/text/PixelPainter.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace qv {
namespace {

// Source-over of a solid opaque colour with coverage a (1..254): red and blue,
// then alpha and green, each pair in one multiply, with a scaled to 0..256.
inline uint32_t Over(uint32_t d, uint32_t s, uint32_t a) {
  const uint32_t a256 = a + (a >> 7), na = 256 - a256;
  const uint32_t rb = ((s & 0xFF00FFu) * a256 + (d & 0xFF00FFu) * na) >> 8 & 0xFF00FFu;
  const uint32_t ag = ((s >> 8 & 0xFF00FFu) * a256 + (d >> 8 & 0xFF00FFu) * na) & 0xFF00FF00u;
  return ag | rb;
}

}  // namespace

PixelPainter::PixelPainter(const PixelRows& rows, const pixman_region32_t* clip) : rows_(rows) {
  whole_ = pixman_box32_t{0, 0, rows.width, rows.height};
  if (clip) {
    boxes_ = pixman_region32_rectangles(const_cast<pixman_region32_t*>(clip), &boxCount_);
  } else {
    boxes_ = &whole_;
    boxCount_ = 1;
  }
  narrow_ = RECT{0, 0, rows.width, rows.height};
}

void PixelPainter::NarrowClip(const RECT& r) {
  narrow_.left = std::max(narrow_.left, r.left);
  narrow_.top = std::max(narrow_.top, r.top);
  narrow_.right = std::min(narrow_.right, r.right);
  narrow_.bottom = std::min(narrow_.bottom, r.bottom);
}

template <typename F>
void PixelPainter::ForBoxes(const RECT& r, F&& f) const {
  if (!rows_.Valid()) return;
  const int l0 = std::max({r.left, narrow_.left, 0}), t0 = std::max({r.top, narrow_.top, 0});
  const int r0 = std::min({r.right, narrow_.right, rows_.width}),
            b0 = std::min({r.bottom, narrow_.bottom, rows_.height});
  if (l0 >= r0 || t0 >= b0) return;
  for (int i = 0; i < boxCount_; ++i) {
    const pixman_box32_t& b = boxes_[i];
    if (b.y1 >= b0) break;  // boxes are sorted by rows
    RECT c{std::max(l0, b.x1), std::max(t0, b.y1), std::min(r0, b.x2), std::min(b0, b.y2)};
    if (c.left < c.right && c.top < c.bottom) f(c);
  }
}

void PixelPainter::BlendGlyph(const Glyph& g, int x, int y, uint32_t pixel) {
  if (g.Width <= 0 || g.Height <= 0) return;
  const RECT r{x, y, x + g.Width, y + g.Height};
  ForBoxes(r, [&](const RECT& c) {
    for (int row = c.top; row < c.bottom; ++row) {
      const uint8_t* cov = g.Coverage.data() + std::size_t(row - y) * std::size_t(g.Width) + (c.left - x);
      rows_.Span(row, c.left, c.right, [&](uint32_t* px, int n) {
        for (int i = 0; i < n; ++i) {
          uint32_t a = cov[i];
          if (a == 255)
            px[i] = pixel;
          else if (a)
            px[i] = Over(px[i], pixel, a);
        }
      });
    }
  });
}

void PixelPainter::FillRect(const RECT& r, uint32_t pixel) {
  ForBoxes(r, [&](const RECT& c) {
    for (int row = c.top; row < c.bottom; ++row)
      rows_.Span(row, c.left, c.right, [&](uint32_t* px, int n) { std::fill(px, px + n, pixel); });
  });
}

void PixelPainter::FillQuad(const double (&xs)[4], const double (&ys)[4], uint32_t pixel) {
  for (double v : xs)
    if (!std::isfinite(v) || std::fabs(v) > 1e7) return;
  for (double v : ys)
    if (!std::isfinite(v) || std::fabs(v) > 1e7) return;
  RECT box{int(std::floor(*std::min_element(xs, xs + 4))), int(std::floor(*std::min_element(ys, ys + 4))),
           int(std::ceil(*std::max_element(xs, xs + 4))) + 1,
           int(std::ceil(*std::max_element(ys, ys + 4))) + 1};
  // Orientation of the corners, so "inside" is the same side of every edge.
  double area = 0;
  for (int i = 0; i < 4; ++i) area += xs[i] * ys[(i + 1) % 4] - xs[(i + 1) % 4] * ys[i];
  const double sign = area < 0 ? -1 : 1;
  ForBoxes(box, [&](const RECT& c) {
    for (int row = c.top; row < c.bottom; ++row) {
      const double py = row + 0.5;
      // The span of this row inside all four edges.
      double lo = c.left, hi = c.right;
      for (int i = 0; i < 4 && lo < hi; ++i) {
        double x0 = xs[i], y0 = ys[i], x1 = xs[(i + 1) % 4], y1 = ys[(i + 1) % 4];
        // inside when sign * ((x1-x0)*(py-y0) - (y1-y0)*(px-x0)) >= 0
        double a = -(y1 - y0) * sign, b = (x1 - x0) * (py - y0) * sign;  // a*px' + b >= 0, px' = px - x0
        if (a == 0) {
          if (b < 0) hi = lo;
        } else {
          double t = x0 - b / a;  // boundary in px (pixel centre)
          if (a > 0)
            lo = std::max(lo, std::ceil(t - 0.5));
          else
            hi = std::min(hi, std::floor(t - 0.5) + 1);
        }
      }
      int x0 = int(lo), x1 = int(hi);
      if (x0 < x1) rows_.Span(row, x0, x1, [&](uint32_t* px, int n) { std::fill(px, px + n, pixel); });
    }
  });
}

}  // namespace qv
