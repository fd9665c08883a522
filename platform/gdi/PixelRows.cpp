// Conversion of 24-bit and 1-bit rows to and from the 32-bit pixels drawing works on.
#include "platform/gdi/PixelRows.h"

#include <cstring>

namespace qv {

void PixelRows::Load(int y, int x0, int n, uint32_t* out) const {
  const uint8_t* row = RowBytes(y);
  if (bpp == 32) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(row) + x0;
    for (int i = 0; i < n; ++i) out[i] = src[i];
  } else if (bpp == 24) {
    // A pixel's three bytes and the next one's first in one read (pixels are
    // B, G, R in memory, a word's low bytes first); the last pixel has no
    // next one to read past.
    const uint8_t* p = row + ptrdiff_t(x0) * 3;
    int i = 0;
    for (; i + 1 < n; ++i, p += 3) {
      uint32_t v;
      std::memcpy(&v, p, 4);
      out[i] = 0xFF000000u | (v & 0xFFFFFFu);
    }
    for (; i < n; ++i, p += 3) out[i] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  } else {
    for (int i = 0; i < n; ++i) {
      int x = x0 + i;
      out[i] = (row[x >> 3] >> (7 - (x & 7)) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
    }
  }
}

void PixelRows::Store(int y, int x0, int n, const uint32_t* in) const {
  uint8_t* row = RowBytes(y);
  if (bpp == 32) {
    uint32_t* dst = reinterpret_cast<uint32_t*>(row) + x0;
    for (int i = 0; i < n; ++i) dst[i] = in[i];
  } else if (bpp == 24) {
    // Four bytes a pixel, the fourth landing on the next pixel's first byte,
    // which its own write then sets; the last pixel writes only its three.
    uint8_t* p = row + ptrdiff_t(x0) * 3;
    int i = 0;
    for (; i + 1 < n; ++i, p += 3) std::memcpy(p, &in[i], 4);
    for (; i < n; ++i, p += 3) {
      p[0] = uint8_t(in[i]);
      p[1] = uint8_t(in[i] >> 8);
      p[2] = uint8_t(in[i] >> 16);
    }
  } else {
    for (int i = 0; i < n; ++i) {
      int x = x0 + i;
      uint8_t bit = uint8_t(0x80 >> (x & 7));
      if (MonoBitOf(in[i]))
        row[x >> 3] |= bit;
      else
        row[x >> 3] &= uint8_t(~bit);
    }
  }
}

uint32_t* PixelRows::Staging(int n) {
  thread_local std::vector<uint32_t> buffer;
  if (buffer.size() < std::size_t(n)) buffer.resize(std::size_t(n));
  return buffer.data();
}

}  // namespace qv
