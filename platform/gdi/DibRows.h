// Internal: caller memory laid out as a DIB, seen as pixel rows.
#pragma once
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/PixelRows.h"

namespace qv::gdi {

constexpr ptrdiff_t DibStride(int width, int bpp) {
  return ((ptrdiff_t(width) * bpp + 31) / 32) * 4;
}
// Rows top-down whatever the DIB's order; lines < 0 = the header's height.
bool DibRows(const BITMAPINFO* info, const void* bits, PixelRows& rows, int lines);

}  // namespace qv::gdi
