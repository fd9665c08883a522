// Internal: the shared machinery of every source-to-destination transfer
// (BitBlt, StretchBlt, MaskBlt, AlphaBlend, TransparentBlt, DIB to device):
// coordinate mapping, clipping against the destination clip and the source
// bounds, colour conversion between monochrome and colour, and a safe pixel
// order when source and destination share memory.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <functional>
#include <vector>

#include "platform/gdi/Raster.h"

namespace qv::gdi {

struct Transfer {
  PixelRows dst;
  PixelRows src;
  RECT dstRect{};  // pixel positions, normalised
  RECT srcRect{};  // pixel positions, normalised
  bool mirrorX = false, mirrorY = false;
  // Monochrome conversion: 1 = mono source onto colour (0 -> fg, 1 -> bg), 2 = colour onto mono (key ->
  // white).
  int convert = 0;
  uint32_t fg = 0, bg = 0, key = 0;
  bool halftone = false;  // shrinking averages the source block of each pixel instead of sampling one

  bool Stretched() const {
    return dstRect.right - dstRect.left != srcRect.right - srcRect.left ||
           dstRect.bottom - dstRect.top != srcRect.bottom - srcRect.top || mirrorX || mirrorY;
  }
};

// Sets up dst/src/rects from logical coordinates and signed extents; false when nothing is drawn.
bool PrepareTransfer(Dc& dest, int x, int y, int w, int h, Dc* source, int xs, int ys, int ws, int hs,
                     Transfer& t);
// The area to draw: destination clip ∩ destination rectangle ∩ the image of the source bounds.
PixRegion TransferArea(Dc& dest, const Transfer& t);
// Calls row(y, x0, n, srcPixels) for every span of area, source pixels already mapped and converted.
// Rows are visited in an order that is safe when source and destination overlap in one surface.
void ForEachSourceSpan(const Transfer& t, const PixRegion& area,
                       const std::function<void(int y, int x0, int n, const uint32_t* s)>& row);

}  // namespace qv::gdi
