// Wide geometric pens. Each "on" stretch of the dash pattern is a rectangle
// along its segment, sampled at pixel centres (a point (x, y) stands for the
// pixel centre (x + 0.5, y + 0.5)); square ends lengthen it by half the width,
// round ends and round joins add discs.
#include <algorithm>
#include <cmath>

#include "platform/gdi/Pen.h"

namespace qv::gdi {

namespace {

struct Vec {
  double x, y;
};

// On/off lengths in pen widths; the pattern runs on across the segments.
std::vector<double> GeometricRuns(int style) {
  switch (style) {
    case PS_DASH:
      return {3, 1};
    case PS_DOT:
      return {1, 1};
    case PS_DASHDOT:
      return {3, 1, 1, 1};
    case PS_DASHDOTDOT:
      return {3, 1, 1, 1, 1, 1};
    default:
      return {};
  }
}

class SpanSink {
 public:
  explicit SpanSink(RowRange rows) : rows_(rows) {}
  // The convex quadrilateral q (in order) at pixel centres.
  void Quad(const Vec (&q)[4]) {
    double top = q[0].y, bottom = q[0].y;
    for (const Vec& v : q) top = std::min(top, v.y), bottom = std::max(bottom, v.y);
    int y0 = std::max(int(std::ceil(top - 0.5)), rows_.lo),
        y1 = std::min(int(std::ceil(bottom - 0.5)), rows_.hi);
    for (int y = y0; y < y1; ++y) {
      double cy = y + 0.5, lo = 1e18, hi = -1e18;
      for (int i = 0; i < 4; ++i) {
        const Vec& a = q[i];
        const Vec& b = q[(i + 1) % 4];
        if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy)) {
          double x = a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y);
          lo = std::min(lo, x);
          hi = std::max(hi, x);
        }
      }
      Add(y, lo, hi);
    }
  }
  void Disc(Vec c, double r) {
    int y0 = std::max(int(std::ceil(c.y - r - 0.5)), rows_.lo),
        y1 = std::min(int(std::ceil(c.y + r - 0.5)), rows_.hi);
    for (int y = y0; y < y1; ++y) {
      double dy = y + 0.5 - c.y, half = std::sqrt(std::max(0.0, r * r - dy * dy));
      Add(y, c.x - half, c.x + half);
    }
  }
  const std::vector<Span>& Spans() const { return spans_; }

 private:
  void Add(int y, double lo, double hi) {
    int x0 = int(std::ceil(lo - 0.5)), x1 = int(std::ceil(hi - 0.5));
    if (x0 < x1) spans_.push_back({y, x0, x1});
  }
  RowRange rows_;
  std::vector<Span> spans_;
};

struct Stroker {
  const PenUse& pen;
  SpanSink& sink;
  std::vector<double> runs;  // in pixels
  double period = 0;
  double pos = 0;  // along the whole polyline

  Stroker(const PenUse& p, SpanSink& s) : pen(p), sink(s) {
    for (double r : GeometricRuns(p.style)) runs.push_back(r * p.width);
    for (double r : runs) period += r;
  }
  bool OnAt(double d, double& runEnd) const {
    if (runs.empty()) return runEnd = 1e18, true;
    double p = std::fmod(d, period), start = d - p;
    for (std::size_t i = 0; i < runs.size(); ++i) {
      if (p < runs[i]) return runEnd = start + runs[i], i % 2 == 0;
      p -= runs[i];
      start += runs[i];
    }
    return runEnd = start, false;
  }
  void Piece(Vec a, Vec u, double s0, double s1) {
    double h = pen.width / 2.0;
    if (pen.endCap == PS_ENDCAP_SQUARE) s0 -= h, s1 += h;
    Vec n{-u.y * h, u.x * h};
    Vec p0{a.x + u.x * s0, a.y + u.y * s0}, p1{a.x + u.x * s1, a.y + u.y * s1};
    Vec q[4] = {{p0.x + n.x, p0.y + n.y},
                {p1.x + n.x, p1.y + n.y},
                {p1.x - n.x, p1.y - n.y},
                {p0.x - n.x, p0.y - n.y}};
    sink.Quad(q);
    if (pen.endCap == PS_ENDCAP_ROUND) {
      sink.Disc({a.x + u.x * s0, a.y + u.y * s0}, h);
      sink.Disc({a.x + u.x * s1, a.y + u.y * s1}, h);
    }
  }
  void Segment(POINT from, POINT to) {
    Vec a{from.x + 0.5, from.y + 0.5};
    double dx = to.x - from.x, dy = to.y - from.y, len = std::hypot(dx, dy);
    if (len == 0) return;
    Vec u{dx / len, dy / len};
    for (double s = 0; s < len;) {
      double runEnd;
      bool on = OnAt(pos + s, runEnd);
      double e = std::min(len, runEnd - pos);
      if (e <= s) e = std::min(len, s + 1e-6);  // guards against rounding at run boundaries
      if (on) Piece(a, u, s, e);
      s = e;
    }
    pos += len;
  }
};

}  // namespace

PixRegion GeometricLineArea(const std::vector<POINT>& pts, const PenUse& pen, RowRange rows) {
  SpanSink sink(rows);
  Stroker stroke(pen, sink);
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    stroke.Segment(pts[i], pts[i + 1]);
    double unused;
    bool interior = i + 2 < pts.size();
    if (interior && pen.join == PS_JOIN_ROUND && stroke.OnAt(stroke.pos, unused))
      sink.Disc({pts[i + 1].x + 0.5, pts[i + 1].y + 0.5}, pen.width / 2.0);
  }
  return RegionFromSpans(sink.Spans());
}

}  // namespace qv::gdi
