// Item painting: one skin section turned into pixels of a cache bitmap (its
// background from colour, picture and gradient mixed and seen through against
// the parent's picture, its nine-part border and corner images) and its text
// with the section's coloured contour.
#pragma once
#include <string>
#include <vector>

#include "classlib/graphics/Canvas.h"
#include "skin/skCommonData.h"
#include "skin/skMaskData.h"

namespace qv {

class TGraphic;

// Tiles a bitmap or JPEG picture over R of Bmp from R's top-left, cut at R.
void TileGraphic(TBitmap* Bmp, const RECT& R, TGraphic* Graphic);
// Draws a skin image into R by mode (0 tile, 1 stretch, 2 top row, 3 left
// column, 4 top band, 5 left band) and leaves in R the part it did not cover
// ((-1, -1, -1, -1) = none).
void PaintImageByMode(TBitmap* Bmp, RECT& R, TGraphic* Graphic, int Mode, const TSkMaskData* Image);
// The drawing mode of a skin image: tiled textures (stretched when they ask
// for it) and glyphs, stretched borders.
int ModeOfImage(const TSkMaskData& Image);

void PaintItemBG(TSkCommonData* SkinData, const TCacheInfo& CacheInfo, int State, TBitmap* Bmp, POINT Offset,
                 RECT R);
void PaintItem(TSkCommonData* SkinData, TCacheInfo CacheInfo, bool UpdateCorners, int State, TBitmap* Bmp,
               POINT Offset, RECT R, bool Hot);
void PaintItemBySection(int SkinIndex, const std::string& Section, TCacheInfo CacheInfo,
                        TSkinManager* Manager, TBitmap* Bmp, POINT Offset, RECT R, int State, bool WithMask);
void PaintItemWithMask(int SkinIndex, const std::string& Section, TCacheInfo CacheInfo, TSkinManager* Manager,
                       TBitmap* Bmp, POINT Offset, RECT R, int State, bool WithMask, int MaskIndex);
void PaintSectionToDC(int SkinIndex, const std::string& Section, const TCacheInfo& CacheInfo,
                      TSkinManager* Manager, HDC DC, POINT Offset, RECT R, int State, bool WithMask);
void WriteTextEx(TCanvas* Canvas, const std::string& Text, bool Enabled, TSkinManager* Manager, bool Hot,
                 int SkinIndex, UINT Flags, RECT& R);
void WriteText(TCanvas* Canvas, const std::string& Text, bool Enabled, bool Hot, TSkCommonData* SkinData,
               UINT Flags, RECT& R);
// Text shortened to MaxWidth with "..." (empty when even "..." does not fit).
std::string CutText(TCanvas* Canvas, const std::string& Text, int MaxWidth);
// The 0xFF00FF runs of a border mask's top corners as one-pixel-high rectangles.
void AddTransparentRects(std::vector<RECT>& Rects, int XOffset, const TSkMaskData& Mask, int State,
                         int YOffset);
// The same for the bottom corners, placed at YOffset.
void AddBottomTransparentRects(std::vector<RECT>& Rects, int XOffset, const TSkMaskData& Mask, int State,
                               int YOffset);

}  // namespace qv
