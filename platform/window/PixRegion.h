// The window manager's own region value (update regions, visible regions,
// window shapes): a copyable pixman region, and conversions to and from HRGN.
#pragma once
#include <pixman.h>

#include <vector>

#include "platform/WinTypes.h"

namespace qv::wm {

class PixRegion {
 public:
  PixRegion() { pixman_region32_init(&r_); }
  explicit PixRegion(const RECT& rc);
  PixRegion(const PixRegion& o) {
    pixman_region32_init(&r_);
    pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&o.r_));
  }
  PixRegion& operator=(const PixRegion& o) {
    if (this != &o) pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&o.r_));
    return *this;
  }
  ~PixRegion() { pixman_region32_fini(&r_); }

  bool Empty() const { return !pixman_region32_not_empty(const_cast<pixman_region32_t*>(&r_)); }
  RECT Bounds() const;
  std::vector<RECT> Rects() const;
  bool Contains(POINT p) const;
  void Clear() { pixman_region32_clear(&r_); }
  void Union(const PixRegion& o);
  void Union(const RECT& rc) { Union(PixRegion(rc)); }
  void Intersect(const PixRegion& o);
  void Intersect(const RECT& rc) { Intersect(PixRegion(rc)); }
  void Subtract(const PixRegion& o);
  void Subtract(const RECT& rc) { Subtract(PixRegion(rc)); }
  void Offset(int dx, int dy) { pixman_region32_translate(&r_, dx, dy); }
  bool operator==(const PixRegion& o) const;

  // A new HRGN holding the same pixels (the caller deletes it).
  HRGN ToHrgn() const;
  // Replaces the contents of an existing HRGN; false for a stale handle.
  bool CopyTo(HRGN rgn) const;
  static bool FromHrgn(HRGN rgn, PixRegion& out);

  pixman_region32_t* Raw() { return &r_; }

 private:
  pixman_region32_t r_;
};

}  // namespace qv::wm
