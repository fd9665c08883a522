// Internal: the pixel engine every drawing call ends in. A Fill is a brush or
// pen resolved against a DC (colours, pattern phase); spans are combined with
// the destination by a ternary raster operation (the rop byte is the truth
// table over pattern, source and destination bits).
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <array>
#include <vector>

#include "platform/gdi/GdiObject.h"

namespace qv::gdi {

struct Fill {
  enum Kind { None, Solid, Pattern } kind = None;
  uint32_t color = 0;
  std::array<uint32_t, 64> pattern{};
  std::array<uint8_t, 8> mask{};  // Pattern with a transparent background: bit set = draw
  bool masked = false;
  int orgX = 0, orgY = 0;  // pixel position where pattern column/row 0 starts
};

// Resolves a brush (or a (HBRUSH)(COLOR_x + 1) system colour) for drawing on dc.
bool MakeBrushFill(Dc& dc, HBRUSH brush, Fill& fill);
Fill SolidFill(uint32_t pixel);

constexpr uint8_t RopByte(DWORD rop) {
  return uint8_t(rop >> 16);
}
constexpr bool RopUsesSource(uint8_t r) {
  return ((r >> 2) ^ r) & 0x33;
}
constexpr bool RopUsesPattern(uint8_t r) {
  return ((r >> 4) ^ r) & 0x0F;
}
// The ternary equivalent of a binary (pen) raster operation R2_*.
constexpr uint8_t Rop2ToRop3(int rop2) {
  unsigned t = unsigned(rop2 - 1) & 0xF;  // bit (P*2 + D)
  uint8_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (t >> ((i >> 2) * 2 + (i & 1)) & 1) r |= uint8_t(1 << i);
  return r;
}
uint32_t RopPixel(uint8_t rop, uint32_t p, uint32_t s, uint32_t d);

// d[0..n) = rop(p, s, d); p and s may be null when the rop does not use them.
void RopSpan(uint8_t rop, uint32_t* d, const uint32_t* s, const uint32_t* p, int n);
// Expands the fill into p[0..n) for pixel positions x0.. of row y.
void FillRow(const Fill& f, int y, int x0, int n, uint32_t* p);
// Applies the fill with rop to [x0, x1) of row y (already clipped).
void FillSpan(const PixelRows& rows, const Fill& f, uint8_t rop, int y, int x0, int x1);
// Fills every pixel of `area` (pixel positions, already clipped) with the fill.
void FillArea(const PixelRows& rows, const PixRegion& area, const Fill& f, uint8_t rop);
// Fills rect ∩ clip.
void FillClipped(const PixelRows& rows, const PixRegion& clip, const RECT& rect, const Fill& f, uint8_t rop);

// Shape rasterisation into regions (pixel positions).
struct Span {
  int y, x0, x1;
};
PixRegion RegionFromSpans(const std::vector<Span>& spans);
// Only rows in [lo, hi) are produced: drawing passes its clip rows, so absurd
// coordinates cost nothing; regions are limited to a generous range.
struct RowRange {
  int lo = -(1 << 16), hi = 1 << 16;
};
RowRange ClipRows(const PixRegion& clip);
std::vector<Span> RoundRectSpans(int left, int top, int right, int bottom, int ew, int eh,
                                 RowRange rows = {});
std::vector<Span> PolygonSpans(const POINT* pts, const int* counts, int polyCount, int fillMode,
                               RowRange rows = {});

}  // namespace qv::gdi
