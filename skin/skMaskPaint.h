// Skin images into 24-bit bitmaps: rectangles blended toward a colour, the
// disabled look of glyphs, one state of a glyph mask, nine-part borders
// (corners, edges, centre) and a control's transparent border corners
// restored from what lies under it.
#pragma once
#include <cstdint>

#include "skin/skCommonData.h"
#include "skin/skMaskData.h"

namespace qv {

// Each pixel of R keeps Percent percent of itself, the rest becomes Color.
void BlendRectToColor(TBitmap* Bmp, RECT R, uint8_t Percent, TColor Color);
void ApplyDisabledKind(TBitmap* Glyph, TSkDisabledKind Kind, TControl* Parent, const TCacheInfo& CacheInfo,
                       POINT Offset);
// One state of a glyph mask with its top-left corner at P; Mode 1 = normal.
void DrawSkinGlyph(TBitmap* Bmp, POINT P, int State, int Mode, const TSkMaskData& Mask);
void PaintNinePartMask(TBitmap* Bmp, const RECT& R, bool FillCentre, const TCacheInfo& CacheInfo,
                       const TSkMaskData& Mask, int State);
void PaintControlBorder(TSkCommonData* SkinData, int State);
// Corner set: 1 top-left, 2 bottom-left, 4 top-right, 8 bottom-right.
void FillBorderCorners(TSkCommonData* SkinData, int State, int Corners);

// The mask's part of its source, cut to the source bitmap: a damaged skin may
// name any rectangle, and no painting may read outside.
RECT SourceRect(const TSkMaskData& Mask, const TBitmap* Src);

// The geometry of one state of a nine-part mask.
struct TNinePart {
  int w = 0, h = 0;                 // part size
  int bx = 0, by = 0;               // the state block's origin in the source
  int imageH = 0;                   // height of the image rows
  int alphaDY = 0;                  // distance from an image row to its alpha row
  int L = 0, Rw = 0, T = 0, B = 0;  // corner sizes in the destination
  TBitmap* Src = nullptr;
  bool Valid = false;
};
TNinePart NinePartGeometry(const TSkMaskData& Mask, int State, int W, int H);

}  // namespace qv
