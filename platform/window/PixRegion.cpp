// Region arithmetic over pixman, and the HRGN conversions through the GDI's
// rectangle-list interface.
#include "platform/window/PixRegion.h"

#include <cstring>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"

namespace qv::wm {

PixRegion::PixRegion(const RECT& rc) {
  if (rc.right > rc.left && rc.bottom > rc.top)
    pixman_region32_init_rect(&r_, rc.left, rc.top, unsigned(rc.right - rc.left),
                              unsigned(rc.bottom - rc.top));
  else
    pixman_region32_init(&r_);
}

RECT PixRegion::Bounds() const {
  if (Empty()) return RECT{};
  const pixman_box32_t* b = pixman_region32_extents(const_cast<pixman_region32_t*>(&r_));
  return RECT{b->x1, b->y1, b->x2, b->y2};
}

std::vector<RECT> PixRegion::Rects() const {
  int n = 0;
  const pixman_box32_t* b = pixman_region32_rectangles(const_cast<pixman_region32_t*>(&r_), &n);
  std::vector<RECT> out;
  out.reserve(std::size_t(n));
  for (int i = 0; i < n; ++i) out.push_back(RECT{b[i].x1, b[i].y1, b[i].x2, b[i].y2});
  return out;
}

bool PixRegion::Contains(POINT p) const {
  return pixman_region32_contains_point(const_cast<pixman_region32_t*>(&r_), p.x, p.y, nullptr);
}

void PixRegion::Union(const PixRegion& o) {
  pixman_region32_union(&r_, &r_, const_cast<pixman_region32_t*>(&o.r_));
}
void PixRegion::Intersect(const PixRegion& o) {
  pixman_region32_intersect(&r_, &r_, const_cast<pixman_region32_t*>(&o.r_));
}
void PixRegion::Subtract(const PixRegion& o) {
  pixman_region32_subtract(&r_, &r_, const_cast<pixman_region32_t*>(&o.r_));
}
bool PixRegion::operator==(const PixRegion& o) const {
  return pixman_region32_equal(const_cast<pixman_region32_t*>(&r_), const_cast<pixman_region32_t*>(&o.r_));
}

HRGN PixRegion::ToHrgn() const {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (rgn && !CopyTo(rgn)) {
    DeleteObject(rgn);
    return nullptr;
  }
  return rgn;
}

bool PixRegion::CopyTo(HRGN rgn) const {
  if (GetObjectType(rgn) != OBJ_REGION) return false;
  SetRectRgn(rgn, 0, 0, 0, 0);
  for (const RECT& rc : Rects()) {
    HRGN part = CreateRectRgnIndirect(&rc);
    CombineRgn(rgn, rgn, part, RGN_OR);
    DeleteObject(part);
  }
  return true;
}

bool PixRegion::FromHrgn(HRGN rgn, PixRegion& out) {
  DWORD size = GetRegionData(rgn, 0, nullptr);
  if (size == 0) return false;
  std::vector<char> buf(size);
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  if (GetRegionData(rgn, size, data) == 0) return false;
  out.Clear();
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT rc;
    std::memcpy(&rc, data->Buffer + i * sizeof(RECT), sizeof(RECT));
    out.Union(rc);
  }
  return true;
}

}  // namespace qv::wm
