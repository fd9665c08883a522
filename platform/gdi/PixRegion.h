// A region value over pixman: what GDI regions and clips, window update and
// visible regions, and shape rasterisation are all made of.
#pragma once
#include <pixman.h>

#include <vector>

#include "platform/WinTypes.h"

namespace qv {

class PixRegion {
 public:
  PixRegion() { pixman_region32_init(&r_); }
  explicit PixRegion(const RECT& rc);
  PixRegion(const PixRegion& o) {
    pixman_region32_init(&r_);
    pixman_region32_copy(&r_, &o.r_);
  }
  PixRegion& operator=(const PixRegion& o) {
    if (this != &o) pixman_region32_copy(&r_, &o.r_);
    return *this;
  }
  ~PixRegion() { pixman_region32_fini(&r_); }

  pixman_region32_t* get() { return &r_; }
  const pixman_region32_t* get() const { return &r_; }
  void SetRect(const RECT& rc);
  void Clear() { pixman_region32_clear(&r_); }
  void Offset(int dx, int dy) { pixman_region32_translate(&r_, dx, dy); }
  void Union(const PixRegion& o) { pixman_region32_union(&r_, &r_, &o.r_); }
  void Union(const RECT& rc) { Union(PixRegion(rc)); }
  void Intersect(const PixRegion& o) { pixman_region32_intersect(&r_, &r_, &o.r_); }
  void Intersect(const RECT& rc);
  void Subtract(const PixRegion& o) { pixman_region32_subtract(&r_, &r_, &o.r_); }
  void Subtract(const RECT& rc) { Subtract(PixRegion(rc)); }

  bool Empty() const { return !pixman_region32_not_empty(Mut()); }
  RECT Bounds() const;
  int Complexity() const;  // NULLREGION / SIMPLEREGION / COMPLEXREGION
  const pixman_box32_t* Rects(int& n) const { return pixman_region32_rectangles(Mut(), &n); }
  std::vector<RECT> Rects() const;
  bool Contains(POINT p) const { return pixman_region32_contains_point(Mut(), p.x, p.y, nullptr); }
  bool operator==(const PixRegion& o) const { return pixman_region32_equal(Mut(), o.Mut()); }

 private:
  // pixman's queries take non-const pointers but do not change the region.
  pixman_region32_t* Mut() const { return const_cast<pixman_region32_t*>(&r_); }
  pixman_region32_t r_;
};

}  // namespace qv
