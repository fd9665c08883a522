// Bounds every image decoder applies before it allocates: a hostile header can
// claim any size, so dimensions are checked against these and against the data.
#pragma once
#include <cstdint>

namespace qv {

// Largest width or height any decoder accepts.
constexpr int kMaxImageSide = 32767;
// Largest pixel count (128 MB as a 32-bit surface): far above any skin, icon or screen.
constexpr uint64_t kMaxImagePixels = uint64_t(1) << 25;

inline bool ImageSizeAcceptable(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= uint64_t(kMaxImageSide) && height <= uint64_t(kMaxImageSide) &&
         width * height <= kMaxImagePixels;
}

}  // namespace qv
