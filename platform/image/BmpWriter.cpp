// Writing surfaces as uncompressed 24 or 32 bpp bottom-up BMP files.
#include <span>

#include "platform/Files.h"
#include "platform/image/Bmp.h"

namespace qv {
namespace {

void Put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

}  // namespace

std::string EncodeBmp(const Surface& surface, int bitCount) {
  if ((bitCount != 24 && bitCount != 32) || surface.Width <= 0 || surface.Height <= 0) return {};
  const uint64_t stride = (uint64_t(surface.Width) * (bitCount / 8) + 3) & ~uint64_t(3);
  const uint64_t imageSize = stride * uint64_t(surface.Height);
  const uint32_t offBits = 14 + 40;
  if (imageSize + offBits > 0xFFFFFFFFu) return {};
  std::string s;
  s.reserve(size_t(imageSize) + offBits);
  s += "BM";
  Put32(s, uint32_t(imageSize) + offBits);
  Put32(s, 0);
  Put32(s, offBits);
  Put32(s, 40);
  Put32(s, uint32_t(surface.Width));
  Put32(s, uint32_t(surface.Height));  // positive: bottom-up, the form every reader knows
  Put16(s, 1);
  Put16(s, uint32_t(bitCount));
  Put32(s, 0);  // no compression
  Put32(s, uint32_t(imageSize));
  Put32(s, 2835);  // 72 dpi
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = surface.Height - 1; y >= 0; --y) {
    size_t start = s.size();
    for (uint32_t p : std::span(surface.Row(y), size_t(surface.Width))) {
      s += char(PixelB(p));
      s += char(PixelG(p));
      s += char(PixelR(p));
      if (bitCount == 32) s += char(PixelA(p));
    }
    s.append(size_t(stride) - (s.size() - start), '\0');
  }
  return s;
}

bool SaveBmpFile(const std::string& path, const Surface& surface, int bitCount) {
  std::string bytes = EncodeBmp(surface, bitCount);
  return !bytes.empty() && WriteFileAtomic(path, bytes);
}

}  // namespace qv
