// Helpers shared by the image codec tests: hand-built BMP files and
// reproducible random surfaces.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/Surface.h"

namespace qv::test {

inline void Put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// The fields of a BMP file; pixel bytes are given raw, rows already padded.
struct BmpSpec {
  int32_t Width = 1;
  int32_t Height = 1;
  uint16_t BitCount = 24;
  uint32_t Compression = 0;
  uint32_t HeaderSize = 40;         // 12, 40, 108 or 124
  std::vector<uint32_t> Palette{};  // 0x00RRGGBB
  std::vector<uint32_t> Masks{};    // red, green, blue [, alpha]
  uint32_t ColorsUsed = 0;
  int64_t OffBits = -1;  // -1: right after the colour table
  std::string Pixels{};
};

inline const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

inline std::string BuildDib(const BmpSpec& b) {
  std::string s;
  Put32(s, b.HeaderSize);
  if (b.HeaderSize == 12) {
    Put16(s, uint32_t(b.Width)), Put16(s, uint32_t(b.Height)), Put16(s, 1), Put16(s, b.BitCount);
  } else {
    Put32(s, uint32_t(b.Width)), Put32(s, uint32_t(b.Height)), Put16(s, 1), Put16(s, b.BitCount);
    Put32(s, b.Compression), Put32(s, uint32_t(b.Pixels.size())), Put32(s, 2835), Put32(s, 2835);
    Put32(s, b.ColorsUsed), Put32(s, 0);
    if (b.HeaderSize > 40) {
      for (size_t i = 0; i < 4; ++i) Put32(s, i < b.Masks.size() ? b.Masks[i] : 0);
      s.append(b.HeaderSize - 56, '\0');
    } else {
      for (uint32_t m : b.Masks) Put32(s, m);
    }
  }
  for (uint32_t c : b.Palette) {
    s += char(c & 0xFF), s += char((c >> 8) & 0xFF), s += char((c >> 16) & 0xFF);
    if (b.HeaderSize != 12) s += '\0';
  }
  return s;
}

inline std::string BuildBmp(const BmpSpec& b) {
  std::string dib = BuildDib(b);
  std::string s = "BM";
  Put32(s, uint32_t(14 + dib.size() + b.Pixels.size()));
  Put32(s, 0);
  Put32(s, b.OffBits >= 0 ? uint32_t(b.OffBits) : uint32_t(14 + dib.size()));
  return s + dib + b.Pixels;
}

inline Surface RandomSurface(int w, int h, uint32_t seed, bool randomAlpha) {
  std::mt19937 rng(seed);
  Surface s(w, h);
  for (uint32_t& p : s.Pixels) p = randomAlpha ? rng() : (rng() | 0xFF000000u);
  return s;
}

// A smooth picture: lossy codecs keep it within a small tolerance.
inline Surface GradientSurface(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Set(x, y, PixelRGB(uint8_t(x * 255 / w), uint8_t(y * 255 / h), 128));
  return s;
}

}  // namespace qv::test
