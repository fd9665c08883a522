// Row access to the pixels a device context draws on. Drawing works on 32-bit
// 0xAARRGGBB spans; rows of 24-bit and 1-bit bitmaps are staged through a
// 32-bit buffer and written back, so every primitive has a single code path.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

struct PixelRows {
  uint8_t* base = nullptr;  // row 0 (the top row)
  ptrdiff_t stride = 0;     // bytes from one row to the next; negative for bottom-up memory
  int width = 0;
  int height = 0;
  int bpp = 32;  // 32, 24 or 1 (1 = white, 0 = black)

  bool Valid() const { return base != nullptr && width > 0 && height > 0; }
  uint8_t* RowBytes(int y) const { return base + ptrdiff_t(y) * stride; }
  uint32_t* Row32(int y) const { return reinterpret_cast<uint32_t*>(RowBytes(y)); }

  // Calls f(uint32_t* pixels, int count) on [x0, x1) of row y; the caller has clipped.
  template <typename F>
  void Span(int y, int x0, int x1, F&& f) const {
    if (bpp == 32) {
      f(Row32(y) + x0, x1 - x0);
      return;
    }
    uint32_t* tmp = Staging(x1 - x0);
    Load(y, x0, x1 - x0, tmp);
    f(tmp, x1 - x0);
    Store(y, x0, x1 - x0, tmp);
  }
  // Pointer to [x0, x0 + n) of row y as 32-bit pixels: direct, or converted into buf.
  const uint32_t* Read(int y, int x0, int n, uint32_t* buf) const {
    if (bpp == 32) return Row32(y) + x0;
    Load(y, x0, n, buf);
    return buf;
  }
  uint32_t Get(int x, int y) const {
    uint32_t p;
    return *Read(y, x, 1, &p);
  }

  void Load(int y, int x0, int n, uint32_t* out) const;
  void Store(int y, int x0, int n, const uint32_t* in) const;
  static uint32_t* Staging(int n);  // per-thread scratch row
};

// The 1-bit decision for a colour written into a monochrome bitmap.
constexpr bool MonoBitOf(uint32_t p) {
  return ((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) >= 128 * 100;
}

}  // namespace qv
