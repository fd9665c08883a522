// Drawing helpers shared by the tree's painting, hints and drag images: the
// 32-bit alpha blender, text shortening with an ellipsis, and small utilities.
#pragma once
#include <string>

#include "platform/WinTypes.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

// Blend modes of BlendRect.
enum : int { bmConstantAlpha = 0, bmPerPixelAlpha = 1, bmMasterAlpha = 2, bmColorWash = 3 };

// Blends rectangle R of the source DC's 32-bit bitmap onto the destination's
// at Target (mode 3 washes R of the destination with the colour Bias). Both
// rectangles are clipped to their bitmaps, so no pixel outside is touched.
void BlendRect(HDC Source, HDC Destination, RECT R, POINT Target, int Mode, int ConstantAlpha, int Bias);
std::u16string ShortenText(HDC DC, const std::u16string& S, int Width, bool RightToLeft, int EllipsisWidth);
RECT NormalizeRect(const RECT& R);
COLORREF ImageListColor(TColor Color);

}  // namespace qv
