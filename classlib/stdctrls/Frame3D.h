// Frame3D: a bevel of Width lines around Rect, top and left edges in one
// colour and bottom and right in another; Rect shrinks by the width.
#pragma once
#include "classlib/graphics/Canvas.h"

namespace qv {

void Frame3D(TCanvas* Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width);

}  // namespace qv
