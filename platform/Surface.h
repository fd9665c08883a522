// A 32-bit pixel surface: the memory every bitmap, backing store and screen is
// made of. Pixels are 0xAARRGGBB words (bytes B, G, R, A in memory), rows top-down.
#pragma once
#include <cstdint>
#include <vector>

namespace qv {

struct Surface {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // Width * Height, row-major, top row first

  Surface() = default;
  Surface(int w, int h, uint32_t fill = 0xFFFFFFFFu)
      : Width(w > 0 ? w : 0), Height(h > 0 ? h : 0), Pixels(std::size_t(Width) * std::size_t(Height), fill) {}

  uint32_t* Row(int y) { return Pixels.data() + std::size_t(y) * std::size_t(Width); }
  const uint32_t* Row(int y) const { return Pixels.data() + std::size_t(y) * std::size_t(Width); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
  uint32_t At(int x, int y) const { return Row(y)[x]; }
  void Set(int x, int y, uint32_t p) { Row(y)[x] = p; }
};

constexpr uint32_t PixelRGB(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 0xFF) {
  return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}
constexpr uint8_t PixelR(uint32_t p) {
  return uint8_t(p >> 16);
}
constexpr uint8_t PixelG(uint32_t p) {
  return uint8_t(p >> 8);
}
constexpr uint8_t PixelB(uint32_t p) {
  return uint8_t(p);
}
constexpr uint8_t PixelA(uint32_t p) {
  return uint8_t(p >> 24);
}

}  // namespace qv
