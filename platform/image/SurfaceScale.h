// Pictures drawn for 96 dpi shown on a denser (or coarser) screen: a surface
// resampled to another size by the area each new pixel covers, so a doubled
// picture keeps its hard edges and other factors stay smooth.
#pragma once
#include "platform/Surface.h"

namespace qv {

// `source` at width x height (an empty surface when either is not positive).
// Transparent pixels lend no colour to their neighbours.
Surface ScaleSurface(const Surface& source, int width, int height);

}  // namespace qv
