// Putting text pixels on a DC's rows: glyph coverage blended with the text
// colour, and solid fills for backgrounds and lines, all through the clip
// rectangles (the DC's clip, optionally narrowed by one more rectangle).
#pragma once
#include <pixman.h>

#include "platform/WinTypes.h"
#include "platform/gdi/PixelRows.h"
#include "platform/text/FontFace.h"

namespace qv {

class PixelPainter {
 public:
  // clip may be null (the whole surface); positions are pixel positions of rows.
  PixelPainter(const PixelRows& rows, const pixman_region32_t* clip);
  void NarrowClip(const RECT& r);  // in pixel positions

  // The glyph's bitmap with its top-left corner at (x, y).
  void BlendGlyph(const Glyph& g, int x, int y, uint32_t pixel);
  void FillRect(const RECT& r, uint32_t pixel);
  // A convex quadrilateral (corners in order), by pixel centres; for rotated cells and lines.
  void FillQuad(const double (&xs)[4], const double (&ys)[4], uint32_t pixel);

 private:
  // Calls f(box) for each clip box meeting r, already intersected with r.
  template <typename F>
  void ForBoxes(const RECT& r, F&& f) const;

  PixelRows rows_;
  const pixman_box32_t* boxes_ = nullptr;
  int boxCount_ = 0;
  pixman_box32_t whole_;
  RECT narrow_;
};

}  // namespace qv
