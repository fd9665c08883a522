// Filled shapes (rectangles, round rectangles, ellipses, polygons) with the
// pen outline and brush interior, the brush-rectangle calls (FillRect,
// FrameRect, InvertRect) and pixel access.
#include "platform/gdi/Shapes.h"

#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Pen.h"

namespace qv {
using namespace gdi;

namespace {

RECT Normalised(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return {l, t, r, b};
}

// Paints `interior` with the brush and `outer` minus `interior` with the pen,
// both already in pixel positions.
void PaintOutlined(Dc& dc, const PixRegion& outer, const PixRegion& interior, bool withPen) {
  PixelRows rows = dc.Rows();
  if (!rows.Valid()) return;
  uint8_t rop = Rop2ToRop3(dc.s.rop2);
  const PixRegion& clip = dc.Clip();
  Fill brush;
  if (MakeBrushFill(dc, dc.s.brush, brush) && brush.kind != Fill::None) {
    PixRegion inside = interior;
    inside.Intersect(clip);
    FillArea(rows, inside, brush, rop);
  }
  if (!withPen) return;
  PixRegion frame = outer;
  frame.Subtract(interior);
  frame.Intersect(clip);
  FillArea(rows, frame, SolidFill(ResolvePen(dc).color), rop);
}

// Shapes built from round-rectangle spans: ellipses (ew, eh = the box) and round rectangles.
BOOL RoundShape(HDC hdc, int l, int t, int r, int b, int ew, int eh, bool ellipse) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  RECT box = Normalised(l, t, r, b);
  POINT o = dc->Offset();
  OffsetRect(&box, o.x, o.y);
  PenUse pen = ResolvePen(*dc);
  auto spans = [&](RECT rc, int cw, int ch) {
    if (ellipse) {
      cw = rc.Width();
      ch = rc.Height();
    }
    return RegionFromSpans(
        RoundRectSpans(rc.left, rc.top, rc.right, rc.bottom, cw, ch, ClipRows(dc->Clip())));
  };
  if (pen.null) {
    RECT in{box.left, box.top, box.right - 1, box.bottom - 1};
    PaintOutlined(*dc, PixRegion(), spans(in, ew, eh), false);
    return TRUE;
  }
  int w = pen.width;
  RECT in = box;
  InflateRect(&in, -w, -w);
  PixRegion inner =
      in.right > in.left && in.bottom > in.top ? spans(in, ew - 2 * w, eh - 2 * w) : PixRegion();
  PaintOutlined(*dc, spans(box, ew, eh), inner, true);
  return TRUE;
}

// A styled one-pixel pen draws the outline as lines rather than as an area.
bool StyledOutline(Dc& dc) {
  PenUse p = ResolvePen(dc);
  return !p.null && p.width == 1 && p.style != PS_SOLID && p.style != PS_INSIDEFRAME;
}

}  // namespace

BOOL Rectangle(HDC hdc, int l, int t, int r, int b) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  RECT box = Normalised(l, t, r, b);
  POINT o = dc->Offset();
  RECT dev = box;
  OffsetRect(&dev, o.x, o.y);
  PenUse pen = ResolvePen(*dc);
  if (pen.null) {
    // Without a pen the interior reaches one pixel less to the right and bottom.
    PaintOutlined(*dc, PixRegion(), PixRegion({dev.left, dev.top, dev.right - 1, dev.bottom - 1}), false);
    return TRUE;
  }
  if (StyledOutline(*dc)) {
    PaintOutlined(*dc, PixRegion(), PixRegion({dev.left + 1, dev.top + 1, dev.right - 1, dev.bottom - 1}),
                  false);
    POINT pts[5] = {{box.left, box.top},
                    {box.right - 1, box.top},
                    {box.right - 1, box.bottom - 1},
                    {box.left, box.bottom - 1},
                    {box.left, box.top}};
    DrawPolyline(*dc, pts, 5);
    return TRUE;
  }
  int w = pen.width;
  RECT outer = dev;
  if (w > 1 && pen.style != PS_INSIDEFRAME) {
    // A wide pen is centred on the rectangle's edge.
    outer = {dev.left - w / 2, dev.top - w / 2, dev.right + (w - 1) / 2, dev.bottom + (w - 1) / 2};
  }
  RECT inner = outer;
  InflateRect(&inner, -w, -w);
  PaintOutlined(*dc, PixRegion(outer), PixRegion(inner), true);
  return TRUE;
}

BOOL RoundRect(HDC hdc, int l, int t, int r, int b, int ew, int eh) {
  return RoundShape(hdc, l, t, r, b, ew, eh, false);
}

BOOL Ellipse(HDC hdc, int l, int t, int r, int b) {
  return RoundShape(hdc, l, t, r, b, 0, 0, true);
}

BOOL PolyPolygon(HDC hdc, const POINT* pts, const int* counts, int polyCount) {
  Dc* dc = DcOf(hdc);
  if (!dc || !pts || !counts || polyCount <= 0) return FALSE;
  int total = 0;
  for (int i = 0; i < polyCount; ++i) {
    if (counts[i] < 2) return FALSE;
    total += counts[i];
  }
  POINT o = dc->Offset();
  std::vector<POINT> dev(pts, pts + total);
  for (POINT& p : dev) p = {p.x + o.x, p.y + o.y};
  PaintOutlined(
      *dc, PixRegion(),
      RegionFromSpans(PolygonSpans(dev.data(), counts, polyCount, dc->s.polyFillMode, ClipRows(dc->Clip()))),
      false);
  const POINT* poly = pts;
  for (int i = 0; i < polyCount; ++i) {
    std::vector<POINT> closed(poly, poly + counts[i]);
    closed.push_back(poly[0]);
    DrawPolyline(*dc, closed.data(), int(closed.size()));
    poly += counts[i];
  }
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* pts, int count) {
  return PolyPolygon(hdc, pts, &count, 1);
}

// ---- Brush rectangles ---------------------------------------------------------

namespace {

BOOL BrushRect(HDC hdc, const RECT& logical, HBRUSH brush, uint8_t rop) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  Fill f;
  if (!MakeBrushFill(*dc, brush, f)) return FALSE;
  PixelRows rows = dc->Rows();
  if (!rows.Valid()) return TRUE;
  RECT r = logical;
  POINT o = dc->Offset();
  OffsetRect(&r, o.x, o.y);
  FillClipped(rows, dc->Clip(), r, f, rop);
  return TRUE;
}

}  // namespace

int FillRect(HDC hdc, const RECT* r, HBRUSH brush) {
  return r ? BrushRect(hdc, *r, brush, 0xF0) : FALSE;
}

int FrameRect(HDC hdc, const RECT* r, HBRUSH brush) {
  if (!r || r->right <= r->left || r->bottom <= r->top) return FALSE;
  const RECT& b = *r;
  return BrushRect(hdc, {b.left, b.top, b.right, b.top + 1}, brush, 0xF0) &&
         BrushRect(hdc, {b.left, b.bottom - 1, b.right, b.bottom}, brush, 0xF0) &&
         BrushRect(hdc, {b.left, b.top + 1, b.left + 1, b.bottom - 1}, brush, 0xF0) &&
         BrushRect(hdc, {b.right - 1, b.top + 1, b.right, b.bottom - 1}, brush, 0xF0);
}

BOOL InvertRect(HDC hdc, const RECT* r) {
  return r ? BrushRect(hdc, *r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 0x55) : FALSE;
}

// ---- Pixels -------------------------------------------------------------------

namespace {

bool PixelAt(HDC hdc, int x, int y, Dc*& dc, PixelRows& rows, POINT& p) {
  dc = DcOf(hdc);
  if (!dc) return false;
  rows = dc->Rows();
  POINT o = dc->Offset();
  p = {x + o.x, y + o.y};
  return rows.Valid() &&
         pixman_region32_contains_point(const_cast<pixman_region32_t*>(dc->Clip().get()), p.x, p.y, nullptr);
}

}  // namespace

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) {
  Dc* dc;
  PixelRows rows;
  POINT p;
  if (!PixelAt(hdc, x, y, dc, rows, p)) return COLORREF(-1);
  uint32_t px = ToPixel(c);
  rows.Span(p.y, p.x, p.x + 1, [&](uint32_t* d, int) { *d = px; });
  return ToColorRef(rows.Get(p.x, p.y));
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF c) {
  return SetPixel(hdc, x, y, c) != COLORREF(-1);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Dc* dc;
  PixelRows rows;
  POINT p;
  if (!PixelAt(hdc, x, y, dc, rows, p)) return CLR_INVALID;
  return ToColorRef(rows.Get(p.x, p.y));
}

}  // namespace qv
