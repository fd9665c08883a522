// GradientFill: horizontal and vertical rectangle gradients and Gouraud-shaded
// triangles, from TRIVERTEX colours with 16-bit channels. Gradients write
// opaque pixels directly, without a raster operation.
#include <algorithm>
#include <cmath>

#include "platform/gdi/Blit.h"
#include "platform/gdi/Raster.h"

namespace qv {
using namespace gdi;

namespace {

uint32_t Mix(const TRIVERTEX& a, const TRIVERTEX& b, double t) {
  auto ch = [&](COLOR16 ca, COLOR16 cb) {
    double v = ca + (double(cb) - ca) * t;
    return uint32_t(std::clamp(v, 0.0, 65535.0)) >> 8;
  };
  return 0xFF000000u | ch(a.Red, b.Red) << 16 | ch(a.Green, b.Green) << 8 | ch(a.Blue, b.Blue);
}

void FillGradientRect(Dc& dc, const PixelRows& rows, TRIVERTEX a, TRIVERTEX b, bool vertical) {
  POINT o = dc.Offset();
  RECT r{std::min(a.x, b.x) + o.x, std::min(a.y, b.y) + o.y, std::max(a.x, b.x) + o.x,
         std::max(a.y, b.y) + o.y};
  int from = vertical ? a.y + o.y : a.x + o.x, to = vertical ? b.y + o.y : b.x + o.x;
  double len = to - from;
  PixRegion area = dc.Clip();
  area.Intersect(r);
  int n = 0;
  const pixman_box32_t* boxes = area.Rects(n);
  for (int i = 0; i < n; ++i) {
    const pixman_box32_t& bx = boxes[i];
    for (int y = bx.y1; y < bx.y2; ++y) {
      rows.Span(y, bx.x1, bx.x2, [&](uint32_t* d, int count) {
        for (int k = 0; k < count; ++k) {
          int pos = vertical ? y : bx.x1 + k;
          d[k] = Mix(a, b, len == 0 ? 0.0 : (pos - from) / len);
        }
      });
    }
  }
}

// The pixels the triangle covers (as a polygon does: a vertex stands for a
// pixel centre), coloured by barycentric weights.
void FillGradientTriangle(Dc& dc, const PixelRows& rows, const TRIVERTEX& v0, const TRIVERTEX& v1,
                          const TRIVERTEX& v2) {
  POINT o = dc.Offset();
  double x0 = v0.x + o.x, y0 = v0.y + o.y, x1 = v1.x + o.x, y1 = v1.y + o.y, x2 = v2.x + o.x, y2 = v2.y + o.y;
  double det = (y1 - y2) * (x0 - x2) + (x2 - x1) * (y0 - y2);
  if (det == 0) return;
  POINT pts[3] = {{LONG(x0), LONG(y0)}, {LONG(x1), LONG(y1)}, {LONG(x2), LONG(y2)}};
  int three = 3;
  PixRegion area = RegionFromSpans(PolygonSpans(pts, &three, 1, ALTERNATE, ClipRows(dc.Clip())));
  area.Intersect(dc.Clip());
  int n = 0;
  const pixman_box32_t* boxes = area.Rects(n);
  for (int i = 0; i < n; ++i) {
    const pixman_box32_t& bx = boxes[i];
    for (int y = bx.y1; y < bx.y2; ++y) {
      rows.Span(y, bx.x1, bx.x2, [&](uint32_t* d, int count) {
        for (int k = 0; k < count; ++k) {
          double px = bx.x1 + k, py = y;
          double w0 = ((y1 - y2) * (px - x2) + (x2 - x1) * (py - y2)) / det;
          double w1 = ((y2 - y0) * (px - x2) + (x0 - x2) * (py - y2)) / det;
          double w2 = 1 - w0 - w1;
          auto ch = [&](COLOR16 c0, COLOR16 c1, COLOR16 c2) {
            return uint32_t(std::clamp(c0 * w0 + c1 * w1 + c2 * w2, 0.0, 65535.0)) >> 8;
          };
          d[k] = 0xFF000000u | ch(v0.Red, v1.Red, v2.Red) << 16 | ch(v0.Green, v1.Green, v2.Green) << 8 |
                 ch(v0.Blue, v1.Blue, v2.Blue);
        }
      });
    }
  }
}

}  // namespace

BOOL GradientFill(HDC hdc, const TRIVERTEX* v, ULONG count, const void* mesh, ULONG meshCount, DWORD mode) {
  Dc* dc = DcOf(hdc);
  if (!dc || !v || !mesh || mode > GRADIENT_FILL_TRIANGLE) return FALSE;
  PixelRows rows = dc->Rows();
  for (ULONG i = 0; i < meshCount; ++i) {
    if (mode == GRADIENT_FILL_TRIANGLE) {
      const GRADIENT_TRIANGLE& t = static_cast<const GRADIENT_TRIANGLE*>(mesh)[i];
      if (t.Vertex1 >= count || t.Vertex2 >= count || t.Vertex3 >= count) return FALSE;
      if (rows.Valid()) FillGradientTriangle(*dc, rows, v[t.Vertex1], v[t.Vertex2], v[t.Vertex3]);
    } else {
      const GRADIENT_RECT& r = static_cast<const GRADIENT_RECT*>(mesh)[i];
      if (r.UpperLeft >= count || r.LowerRight >= count) return FALSE;
      if (rows.Valid())
        FillGradientRect(*dc, rows, v[r.UpperLeft], v[r.LowerRight], mode == GRADIENT_FILL_RECT_V);
    }
  }
  return TRUE;
}

}  // namespace qv
