// Region value operations that are more than one pixman call.
#include "platform/gdi/PixRegion.h"

#include "platform/gdi/GdiTypes.h"

namespace qv {

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

void PixRegion::Intersect(const RECT& rc) {
  if (rc.right <= rc.left || rc.bottom <= rc.top) {
    Clear();
    return;
  }
  pixman_region32_intersect_rect(&r_, &r_, rc.left, rc.top, unsigned(rc.right - rc.left),
                                 unsigned(rc.bottom - rc.top));
}

RECT PixRegion::Bounds() const {
  if (Empty()) return {};
  const pixman_box32_t* b = pixman_region32_extents(Mut());
  return {b->x1, b->y1, b->x2, b->y2};
}

int PixRegion::Complexity() const {
  int n = pixman_region32_n_rects(Mut());
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<RECT> PixRegion::Rects() const {
  int n = 0;
  const pixman_box32_t* b = Rects(n);
  std::vector<RECT> out;
  out.reserve(std::size_t(n));
  for (int i = 0; i < n; ++i) out.push_back(RECT{b[i].x1, b[i].y1, b[i].x2, b[i].y2});
  return out;
}

}  // namespace qv
