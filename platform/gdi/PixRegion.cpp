// The value-semantics wrapper around pixman regions that regions, clips and
// shape rasterisation share.
#include "platform/gdi/GdiObject.h"

namespace qv::gdi {

PixRegion::PixRegion(const RECT& rc) {
  pixman_region32_init(&r_);
  SetRect(rc);
}

void PixRegion::SetRect(const RECT& rc) {
  pixman_region32_fini(&r_);
  if (rc.right > rc.left && rc.bottom > rc.top)
    pixman_region32_init_rect(&r_, rc.left, rc.top, unsigned(rc.right - rc.left),
                              unsigned(rc.bottom - rc.top));
  else
    pixman_region32_init(&r_);
}

void PixRegion::IntersectRect(const RECT& rc) {
  if (rc.right <= rc.left || rc.bottom <= rc.top) {
    Clear();
    return;
  }
  pixman_region32_intersect_rect(&r_, &r_, rc.left, rc.top, unsigned(rc.right - rc.left),
                                 unsigned(rc.bottom - rc.top));
}

RECT PixRegion::Box() const {
  if (Empty()) return {};
  const pixman_box32_t* b = pixman_region32_extents(const_cast<pixman_region32_t*>(&r_));
  return {b->x1, b->y1, b->x2, b->y2};
}

int PixRegion::Complexity() const {
  int n = pixman_region32_n_rects(const_cast<pixman_region32_t*>(&r_));
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace qv::gdi
