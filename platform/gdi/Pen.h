// Internal: a DC's pen resolved for drawing, and the pixel paths of lines.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <vector>

#include "platform/gdi/Raster.h"

namespace qv::gdi {

struct PenUse {
  bool null = true;
  uint32_t color = 0;
  int width = 1;
  int style = PS_SOLID;
  bool geometric = false;  // an extended geometric pen: dashes scale with the width, ends have caps
  int endCap = PS_ENDCAP_ROUND;
  int join = PS_JOIN_ROUND;
};
PenUse ResolvePen(Dc& dc);

// A wide geometric pen's polyline (pixel positions) as an area: dashes
// measured in pen widths, flat, square or round ends, round joins.
PixRegion GeometricLineArea(const std::vector<POINT>& pts, const PenUse& pen, RowRange rows);

// Draws the polyline pts (logical) with the DC's pen; the last point is not drawn.
// A styled pen's pattern runs on across the segments of one call.
void DrawPolyline(Dc& dc, const POINT* pts, int count);

}  // namespace qv::gdi
