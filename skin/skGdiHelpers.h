// Small drawing helpers of the painters: a button glyph drawn by state, a
// picture of an image list, bevel frames and dotted focus frames.
#pragma once
#include "classlib/graphics/Canvas.h"
#include "skin/skConst.h"

namespace qv {

class TBitmap;
class TCustomImageList;

// Draws a glyph (its bottom-left pixel is the transparent colour) at Point:
// one image, or two side by side (normal, disabled); Blend is a percent.
void PaintGlyphBitmap(TBitmap* Glyph, TBitmap* Dst, POINT Point, int Blend, bool Active, int DisabledLook,
                      bool Grayed, bool Enabled, int NumGlyphs);
// Bmp takes the list's image size, its background colour (0xFF00FF for none) and image Index.
void CopyImageFromList(TBitmap* Bmp, TCustomImageList* ImageList, int Index);
// Width rings of one-pixel lines; R and Width are left as the rings left them.
void PaintBevelFrame(HDC DC, RECT& R, TColor TopColor, int& Width, TColor BottomColor);
void DrawDottedFrame(TCanvas* Canvas, const RECT& R);

}  // namespace qv
