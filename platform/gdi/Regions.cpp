// Region objects: construction from rectangles, round rectangles, ellipses,
// polygons and RGNDATA; the combine operations and queries; painting regions.
#include <algorithm>
#include <cstring>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Region.h"

namespace qv {
using namespace gdi;

namespace {

HRGN NewRegion(PixRegion r) {
  auto o = std::make_unique<Region>();
  o->rgn = std::move(r);
  return static_cast<HRGN>(Insert(std::move(o)));
}

RECT Normalised(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return {l, t, r, b};
}

PixRegion* RgnOf(HRGN h) {
  Region* r = As<Region>(h);
  return r ? &r->rgn : nullptr;
}

}  // namespace

HRGN CreateRgnFromPixRegion(const PixRegion& r) {
  return NewRegion(r);
}

BOOL SetRgnFromPixRegion(HRGN rgn, const PixRegion& r) {
  PixRegion* p = RgnOf(rgn);
  if (!p) return FALSE;
  *p = r;
  return TRUE;
}

BOOL GetPixRegion(HRGN rgn, PixRegion& out) {
  const PixRegion* p = RgnOf(rgn);
  if (!p) return FALSE;
  out = *p;
  return TRUE;
}

HRGN CreateRectRgn(int l, int t, int r, int b) {
  return NewRegion(PixRegion(Normalised(l, t, r, b)));
}

HRGN CreateRectRgnIndirect(const RECT* r) {
  return r ? CreateRectRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int l, int t, int r, int b, int ew, int eh) {
  RECT n = Normalised(l, t, r, b);
  return NewRegion(RegionFromSpans(RoundRectSpans(n.left, n.top, n.right, n.bottom, ew, eh)));
}

HRGN CreateEllipticRgn(int l, int t, int r, int b) {
  RECT n = Normalised(l, t, r, b);
  return NewRegion(RegionFromSpans(RoundRectSpans(n.left, n.top, n.right, n.bottom, n.Width(), n.Height())));
}

HRGN CreateEllipticRgnIndirect(const RECT* r) {
  return r ? CreateEllipticRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}

HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  return CreatePolyPolygonRgn(pts, &count, 1, fillMode);
}

HRGN CreatePolyPolygonRgn(const POINT* pts, const int* counts, int polyCount, int fillMode) {
  if (!pts || !counts || polyCount <= 0 || (fillMode != ALTERNATE && fillMode != WINDING)) return nullptr;
  for (int i = 0; i < polyCount; ++i)
    if (counts[i] < 2) return nullptr;
  return NewRegion(RegionFromSpans(PolygonSpans(pts, counts, polyCount, fillMode)));
}

HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data) {
  if (!data || size < sizeof(RGNDATAHEADER) || data->rdh.iType != RDH_RECTANGLES) return nullptr;
  DWORD count = data->rdh.nCount;
  if (count > (size - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return nullptr;
  const char* p = reinterpret_cast<const char*>(data) + sizeof(RGNDATAHEADER);
  std::vector<pixman_box32_t> boxes;
  for (DWORD i = 0; i < count; ++i) {
    RECT r;
    std::memcpy(&r, p + i * sizeof(RECT), sizeof(RECT));
    if (r.right > r.left && r.bottom > r.top) boxes.push_back({r.left, r.top, r.right, r.bottom});
  }
  PixRegion rgn;
  if (!boxes.empty()) {
    pixman_region32_fini(rgn.get());
    pixman_region32_init_rects(rgn.get(), boxes.data(), int(boxes.size()));
  }
  if (xform) rgn.Offset(int(xform->eDx), int(xform->eDy));
  return NewRegion(std::move(rgn));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  PixRegion* d = RgnOf(dest);
  PixRegion* a = RgnOf(src1);
  PixRegion* b = mode == RGN_COPY ? a : RgnOf(src2);
  if (!d || !a || !b) return ERROR;
  switch (mode) {
    case RGN_AND:
      pixman_region32_intersect(d->get(), a->get(), b->get());
      break;
    case RGN_OR:
      pixman_region32_union(d->get(), a->get(), b->get());
      break;
    case RGN_DIFF:
      pixman_region32_subtract(d->get(), a->get(), b->get());
      break;
    case RGN_COPY:
      *d = *a;
      break;
    case RGN_XOR: {
      PixRegion ab, ba;
      pixman_region32_subtract(ab.get(), a->get(), b->get());
      pixman_region32_subtract(ba.get(), b->get(), a->get());
      pixman_region32_union(d->get(), ab.get(), ba.get());
      break;
    }
    default:
      return ERROR;
  }
  return d->Complexity();
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  PixRegion* r = RgnOf(rgn);
  if (!r) return ERROR;
  r->Offset(dx, dy);
  return r->Complexity();
}

BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b) {
  PixRegion* p = RgnOf(rgn);
  if (!p) return FALSE;
  p->SetRect(Normalised(l, t, r, b));
  return TRUE;
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  PixRegion* r = RgnOf(rgn);
  return r && pixman_region32_contains_point(r->get(), x, y, nullptr) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN rgn, const RECT* rc) {
  PixRegion* r = RgnOf(rgn);
  if (!r || !rc) return FALSE;
  RECT n = Normalised(rc->left, rc->top, rc->right, rc->bottom);
  if (n.right == n.left || n.bottom == n.top) return FALSE;
  pixman_box32_t box{n.left, n.top, n.right, n.bottom};
  return pixman_region32_contains_rectangle(r->get(), &box) != PIXMAN_REGION_OUT ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
  PixRegion* ra = RgnOf(a);
  PixRegion* rb = RgnOf(b);
  if (!ra || !rb) return ERROR;
  return pixman_region32_equal(ra->get(), rb->get()) ? TRUE : FALSE;
}

int GetRgnBox(HRGN rgn, RECT* r) {
  PixRegion* p = RgnOf(rgn);
  if (!p || !r) return ERROR;
  *r = p->Bounds();
  return p->Complexity();
}

DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data) {
  PixRegion* p = RgnOf(rgn);
  if (!p) return 0;
  int n = 0;
  const pixman_box32_t* boxes = p->Rects(n);
  DWORD needed = DWORD(sizeof(RGNDATAHEADER) + std::size_t(n) * sizeof(RECT));
  if (!data || size < needed) return needed;
  data->rdh = RGNDATAHEADER{};
  data->rdh.nCount = DWORD(n);
  data->rdh.nRgnSize = DWORD(std::size_t(n) * sizeof(RECT));
  data->rdh.rcBound = p->Bounds();
  char* out = reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER);
  for (int i = 0; i < n; ++i) {
    RECT r{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2};
    std::memcpy(out + std::size_t(i) * sizeof(RECT), &r, sizeof(RECT));
  }
  return needed;
}

// ---- Painting regions -------------------------------------------------------

namespace {

// Paints rgn (logical coordinates) through the DC's clip.
BOOL PaintArea(HDC hdc, const PixRegion& logical, HBRUSH brush, uint8_t rop) {
  Dc* dc = DcOf(hdc);
  if (!dc) return FALSE;
  Fill fill;
  if (!MakeBrushFill(*dc, brush, fill)) return FALSE;
  PixelRows rows = dc->Rows();
  if (!rows.Valid()) return TRUE;
  PixRegion area = logical;
  POINT o = dc->Offset();
  area.Offset(o.x, o.y);
  area.Intersect(dc->Clip());
  FillArea(rows, area, fill, rop);
  return TRUE;
}

}  // namespace

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  PixRegion* r = RgnOf(rgn);
  return r ? PaintArea(hdc, *r, brush, 0xF0) : FALSE;
}

BOOL PaintRgn(HDC hdc, HRGN rgn) {
  Dc* dc = DcOf(hdc);
  PixRegion* r = RgnOf(rgn);
  return dc && r ? PaintArea(hdc, *r, dc->s.brush, Rop2ToRop3(dc->s.rop2)) : FALSE;
}

BOOL InvertRgn(HDC hdc, HRGN rgn) {
  PixRegion* r = RgnOf(rgn);
  return r ? PaintArea(hdc, *r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 0x55) : FALSE;
}

// The frame is the part of the region that the region shrunk by (w, h) no longer covers.
BOOL FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int w, int h) {
  PixRegion* r = RgnOf(rgn);
  if (!r || w <= 0 || h <= 0) return FALSE;
  PixRegion inner = *r;
  for (POINT d : {POINT{w, 0}, POINT{-w, 0}, POINT{0, h}, POINT{0, -h}}) {
    PixRegion moved = *r;
    moved.Offset(d.x, d.y);
    inner.Intersect(moved);
  }
  PixRegion frame = *r;
  frame.Subtract(inner);
  return PaintArea(hdc, frame, brush, 0xF0);
}

}  // namespace qv
