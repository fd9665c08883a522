// Test helpers: memory DCs over 32-bit top-down DIB sections whose pixels the
// tests read and write directly, and a seeded random source.
#pragma once
#include <gtest/gtest.h>

#include <random>

#include "platform/gdi/Gdi.h"

namespace qv::test {

struct Canvas {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int w = 0, h = 0;

  Canvas(int width, int height, uint32_t fill = 0xFFFFFFFF) : w(width), h(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    for (int i = 0; i < w * h; ++i) bits[i] = fill;
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  uint32_t& At(int x, int y) { return bits[y * w + x]; }
  uint32_t Rgb(int x, int y) const { return bits[y * w + x] & 0xFFFFFF; }
  // The pixel value a COLORREF becomes on the surface, without alpha.
  static uint32_t Px(COLORREF c) {
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int i = 0; i < w * h; ++i) n += (bits[i] & 0xFFFFFF) == Px(c);
    return n;
  }
  // Bounding box of the pixels not equal to background colour bg.
  RECT Extent(COLORREF bg) const {
    RECT r{w, h, 0, 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (Rgb(x, y) != Px(bg))
          r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
               std::max<LONG>(r.bottom, y + 1)};
    return r;
  }
};

// Every test starts the sequence afresh, so its data do not depend on which
// tests ran before it in the same process.
inline std::mt19937& Rng() {
  static std::mt19937 rng;
  static const ::testing::TestInfo* owner = nullptr;
  const ::testing::TestInfo* now = ::testing::UnitTest::GetInstance()->current_test_info();
  if (now != owner) owner = now, rng.seed(12345);
  return rng;
}
inline int Rand(int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(Rng());
}

}  // namespace qv::test
