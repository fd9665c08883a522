// Lines: cosmetic one-pixel lines (end point excluded, cut to the clip first) with the dash
// and dot styles, wide lines as stamped squares, all through the binary raster
// operation. Horizontal and vertical solid lines take the span fill path.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Pen.h"
#include "platform/gdi/Shapes.h"

namespace qv {
using namespace gdi;

namespace gdi {

PenUse ResolvePen(Dc& dc) {
  PenUse u;
  Pen* p = As<Pen>(dc.s.pen);
  if (!p || p->style == PS_NULL) return u;
  u.null = false;
  u.color = ToPixel(p->isDcPen ? dc.s.dcPenColor : p->color);
  u.width = p->width;
  u.style = p->style;
  u.geometric = p->type == OBJ_EXTPEN && (p->fullStyle & PS_TYPE_MASK) == PS_GEOMETRIC;
  u.endCap = int(p->fullStyle & PS_ENDCAP_MASK);
  u.join = int(p->fullStyle & PS_JOIN_MASK);
  return u;
}

namespace {

// On/off run lengths of the cosmetic styles.
std::vector<int> StyleRuns(int style) {
  switch (style) {
    case PS_DASH:
      return {18, 6};
    case PS_DOT:
      return {3, 3};
    case PS_DASHDOT:
      return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
      return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE:
      return {1, 1};
    default:
      return {};
  }
}

// The dash pattern of a styled pen; positions count pixels along a polyline.
struct Style {
  std::vector<int> runs;
  int period = 0;
  explicit Style(int style) : runs(StyleRuns(style)) {
    for (int r : runs) period += r;
  }
  bool Solid() const { return runs.empty(); }
  bool On(int64_t pos) const {
    if (runs.empty()) return true;
    int p = int(pos % period);
    for (std::size_t i = 0; i < runs.size(); ++i) {
      if (p < runs[i]) return i % 2 == 0;
      p -= runs[i];
    }
    return true;
  }
};

struct Plot {
  int x, y;
  bool on;
};

// The one-pixel line from a to b, b excluded: one pixel per step of the major
// axis, the minor coordinate rounded from the exact position. Computing pixel i
// directly lets a line be cut to the clip box before any pixel is produced.
struct LinePath {
  POINT a;
  int64_t steps, dMaj, dMin;
  int sx, sy;
  bool xMajor;

  LinePath(POINT from, POINT to) : a(from) {
    int64_t dx = int64_t(to.x) - from.x, dy = int64_t(to.y) - from.y;
    sx = dx < 0 ? -1 : 1;
    sy = dy < 0 ? -1 : 1;
    xMajor = std::abs(dx) >= std::abs(dy);
    dMaj = xMajor ? std::abs(dx) : std::abs(dy);
    dMin = xMajor ? std::abs(dy) : std::abs(dx);
    steps = dMaj;
  }
  POINT At(int64_t i) const {
    int64_t minor = dMaj ? (2 * i * dMin + dMaj) / (2 * dMaj) : 0;
    return xMajor ? POINT{LONG(a.x + sx * i), LONG(a.y + sy * minor)}
                  : POINT{LONG(a.x + sx * minor), LONG(a.y + sy * i)};
  }
  // The steps whose pixels fall inside box (the minor coordinate is monotonic in i).
  bool Clip(const RECT& box, int64_t& lo, int64_t& hi) const {
    lo = 0;
    hi = steps;  // exclusive
    auto majorOf = [&](POINT p) { return xMajor ? p.x : p.y; };
    auto minorOf = [&](POINT p) { return xMajor ? p.y : p.x; };
    int majLo = xMajor ? box.left : box.top, majHi = xMajor ? box.right : box.bottom;
    int minLo = xMajor ? box.top : box.left, minHi = xMajor ? box.bottom : box.right;
    int dir = xMajor ? sx : sy, mdir = xMajor ? sy : sx;
    int64_t start = majorOf(a);
    if (dir > 0) {
      lo = std::max<int64_t>(lo, majLo - start);
      hi = std::min<int64_t>(hi, majHi - start);
    } else {
      lo = std::max<int64_t>(lo, start - (majHi - 1));
      hi = std::min<int64_t>(hi, start - majLo + 1);
    }
    if (lo >= hi) return false;
    // First step whose minor coordinate has entered [minLo, minHi), and first that has left it.
    auto entered = [&](int64_t i) {
      int m = minorOf(At(i));
      return mdir > 0 ? m >= minLo : m < minHi;
    };
    auto left = [&](int64_t i) {
      int m = minorOf(At(i));
      return mdir > 0 ? m >= minHi : m < minLo;
    };
    auto search = [&](int64_t l, int64_t h, auto pred) {
      while (l < h) {
        int64_t mid = l + (h - l) / 2;
        if (pred(mid))
          h = mid;
        else
          l = mid + 1;
      }
      return l;
    };
    int64_t first = search(lo, hi, entered);
    hi = search(first, hi, left);
    lo = first;
    return lo < hi;
  }
};

// Appends the pixels of the segment inside box; pos is the style position at a, advanced past b.
void SegmentPixels(POINT a, POINT b, const RECT& box, const Style& style, int64_t& pos,
                   std::vector<Plot>& out) {
  LinePath path(a, b);
  int64_t lo, hi;
  if (path.Clip(box, lo, hi)) {
    for (int64_t i = lo; i < hi; ++i) {
      POINT p = path.At(i);
      out.push_back({p.x, p.y, style.On(pos + i)});
    }
  }
  pos += path.steps;
}

void PlotPixels(const PixelRows& rows, const PixRegion& clip, const std::vector<Plot>& pts, const Fill& on,
                const Fill* gap, uint8_t rop) {
  if (pts.empty()) return;
  int minX = pts[0].x, maxX = minX, minY = pts[0].y, maxY = minY;
  for (const Plot& p : pts) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  int n = 0;
  const pixman_box32_t* b = clip.Rects(n);
  for (int i = 0; i < n; ++i) {
    if (b[i].x2 <= minX || b[i].x1 > maxX || b[i].y2 <= minY || b[i].y1 > maxY) continue;
    for (const Plot& p : pts) {
      if (p.x < b[i].x1 || p.x >= b[i].x2 || p.y < b[i].y1 || p.y >= b[i].y2) continue;
      if (p.on)
        FillSpan(rows, on, rop, p.y, p.x, p.x + 1);
      else if (gap)
        FillSpan(rows, *gap, rop, p.y, p.x, p.x + 1);
    }
  }
}

// A solid one-pixel segment along a row or column is a one-pixel-wide rectangle.
bool StraightSegment(const PixelRows& rows, const PixRegion& clip, POINT a, POINT b, const Fill& f,
                     uint8_t rop) {
  RECT r;
  if (a.y == b.y)
    r = a.x < b.x ? RECT{a.x, a.y, b.x, a.y + 1} : RECT{b.x + 1, a.y, a.x + 1, a.y + 1};
  else if (a.x == b.x)
    r = a.y < b.y ? RECT{a.x, a.y, a.x + 1, b.y} : RECT{a.x, b.y + 1, a.x + 1, a.y + 1};
  else
    return false;
  FillClipped(rows, clip, r, f, rop);
  return true;
}

// Wide pens: a width x width square stamped on every pixel of the path, the end point included.
void WideLine(const PixelRows& rows, const PixRegion& clip, const std::vector<POINT>& pts, int width,
              const Fill& f, uint8_t rop) {
  RECT box = clip.Bounds();
  InflateRect(&box, width, width);
  Style solid(PS_SOLID);
  std::vector<Plot> path;
  int64_t pos = 0;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) SegmentPixels(pts[i], pts[i + 1], box, solid, pos, path);
  if (!pts.empty() && PtInRect(&box, pts.back())) path.push_back({pts.back().x, pts.back().y, true});
  std::vector<Span> spans;
  int lo = width / 2;
  for (const Plot& p : path)
    for (int k = 0; k < width; ++k) spans.push_back({p.y - lo + k, p.x - lo, p.x - lo + width});
  PixRegion area = RegionFromSpans(spans);
  area.Intersect(clip);
  FillArea(rows, area, f, rop);
}

}  // namespace

void DrawPolyline(Dc& dc, const POINT* pts, int count) {
  PenUse pen = ResolvePen(dc);
  PixelRows rows = dc.Rows();
  if (pen.null || count < 2 || !rows.Valid()) return;
  POINT o = dc.Offset();
  std::vector<POINT> dev(pts, pts + count);
  for (POINT& p : dev) p = {p.x + o.x, p.y + o.y};
  const PixRegion& clip = dc.Clip();
  uint8_t rop = Rop2ToRop3(dc.s.rop2);
  Fill on = SolidFill(pen.color);
  if (pen.width > 1 && pen.geometric) {
    PixRegion area = GeometricLineArea(dev, pen, ClipRows(clip));
    area.Intersect(clip);
    FillArea(rows, area, on, rop);
    return;
  }
  if (pen.width > 1) {
    WideLine(rows, clip, dev, pen.width, on, rop);
    return;
  }
  Style style(pen.style);
  Fill gap = SolidFill(ToPixel(dc.s.bkColor));
  RECT box = clip.Bounds();
  std::vector<Plot> path;
  int64_t pos = 0;  // the dash pattern runs on from segment to segment
  for (int i = 0; i + 1 < count; ++i) {
    POINT a = dev[std::size_t(i)], b = dev[std::size_t(i) + 1];
    if (style.Solid() && StraightSegment(rows, clip, a, b, on, rop)) continue;
    path.clear();
    SegmentPixels(a, b, box, style, pos, path);
    PlotPixels(rows, clip, path, on, dc.s.bkMode == OPAQUE ? &gap : nullptr, rop);
  }
}

}  // namespace gdi

BOOL LineTo(HDC hdc, int x, int y) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  POINT pts[2] = {dc->s.curPos, {x, y}};
  DrawPolyline(*dc, pts, 2);
  dc->s.curPos = {x, y};
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
  Dc* dc = DcOf(hdc);
  if (!dc || !pts || count < 2) return FALSE;
  DrawPolyline(*dc, pts, count);
  return TRUE;
}

BOOL PolylineTo(HDC hdc, const POINT* pts, int count) {
  Dc* dc = DcOf(hdc);
  if (!dc || !pts || count < 1) return FALSE;
  std::vector<POINT> all{dc->s.curPos};
  all.insert(all.end(), pts, pts + count);
  DrawPolyline(*dc, all.data(), int(all.size()));
  dc->s.curPos = pts[count - 1];
  return TRUE;
}

}  // namespace qv
