// Arcs, pies and chords: the arc is flattened into a polyline of about one
// point per pixel of its length and drawn with the ordinary line and polygon
// paths, so pens, brushes, raster operations and clipping behave as elsewhere.
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Pen.h"
#include "platform/gdi/Shapes.h"

namespace qv {
using namespace gdi;

namespace {

struct ArcBox {
  double cx, cy, a, b;  // the outline's centre and radii (the outline runs on right - 1, bottom - 1)
};

ArcBox BoxOf(int l, int t, int r, int btm) {
  if (r < l) std::swap(l, r);
  if (btm < t) std::swap(t, btm);
  return {(l + r - 1) / 2.0, (t + btm - 1) / 2.0, (r - l - 1) / 2.0, (btm - t - 1) / 2.0};
}

// The ellipse's parameter where the radial through (x, y) meets it, with y up.
double ParamOf(const ArcBox& e, int x, int y) {
  double dx = x - e.cx, dy = e.cy - y;
  return std::atan2(dy / std::max(e.b, 1e-9), dx / std::max(e.a, 1e-9));
}

std::vector<POINT> ArcPoints(const ArcBox& e, int xs, int ys, int xe, int ye, int direction) {
  constexpr double kTwoPi = 2 * std::numbers::pi;
  double t0 = ParamOf(e, xs, ys), t1 = ParamOf(e, xe, ye);
  double sweep = direction == AD_CLOCKWISE ? t0 - t1 : t1 - t0;  // counterclockwise = growing angle, y up
  while (sweep <= 1e-9) sweep += kTwoPi;
  double sign = direction == AD_CLOCKWISE ? -1 : 1;
  int steps = std::max(8, int(std::ceil(sweep * std::max(e.a, e.b))));
  std::vector<POINT> pts;
  pts.reserve(std::size_t(steps) + 1);
  for (int i = 0; i <= steps; ++i) {
    double t = t0 + sign * sweep * i / steps;
    POINT p{LONG(std::lround(e.cx + e.a * std::cos(t))), LONG(std::lround(e.cy - e.b * std::sin(t)))};
    if (pts.empty() || pts.back().x != p.x || pts.back().y != p.y) pts.push_back(p);
  }
  return pts;
}

// Like LineTo, the arc's own end point is not drawn.
void DrawOpen(Dc& dc, const std::vector<POINT>& pts) {
  if (pts.size() >= 2) DrawPolyline(dc, pts.data(), int(pts.size()));
}

}  // namespace

int SetArcDirection(HDC hdc, int direction) {
  Dc* dc = DcOf(hdc);
  if (!dc || (direction != AD_COUNTERCLOCKWISE && direction != AD_CLOCKWISE)) return 0;
  int old = dc->s.arcDirection;
  dc->s.arcDirection = direction;
  return old;
}

int GetArcDirection(HDC hdc) {
  Dc* dc = DcOf(hdc);
  return dc ? dc->s.arcDirection : 0;
}

BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  DrawOpen(*dc, ArcPoints(BoxOf(l, t, r, b), xs, ys, xe, ye, dc->s.arcDirection));
  return TRUE;
}

BOOL ArcTo(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  std::vector<POINT> pts = ArcPoints(BoxOf(l, t, r, b), xs, ys, xe, ye, dc->s.arcDirection);
  pts.insert(pts.begin(), dc->s.curPos);
  DrawOpen(*dc, pts);
  dc->s.curPos = pts.back();
  return TRUE;
}

BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  ArcBox e = BoxOf(l, t, r, b);
  std::vector<POINT> pts = ArcPoints(e, xs, ys, xe, ye, dc->s.arcDirection);
  pts.insert(pts.begin(), POINT{LONG(std::lround(e.cx)), LONG(std::lround(e.cy))});
  return Polygon(hdc, pts.data(), int(pts.size()));
}

BOOL Chord(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  std::vector<POINT> pts = ArcPoints(BoxOf(l, t, r, b), xs, ys, xe, ye, dc->s.arcDirection);
  if (pts.size() < 2) return TRUE;
  return Polygon(hdc, pts.data(), int(pts.size()));
}

}  // namespace qv
