// Colour helpers: mixing two colours, shifting a colour's hue and saturation,
// and the same rules applied to the pixels of a 24-bit bitmap.
#pragma once
#include "platform/gdi/SystemColors.h"

namespace qv {

class TBitmap;

TColor MixColors(TColor C1, TColor C2, double F);
TColor BlendColorBytes(TColor C1, TColor C2, double F);
inline TColor ClearColorHiByte(TColor C) {
  return TColor(uint32_t(C) & 0xFFFFFF);
}
// Moves every channel toward the channels' mean by Percent (negative: away).
TColor ChangeSaturation(TColor Color, int Percent);
// Rotates the hue by Delta degrees (a system colour is resolved first).
TColor ChangeHue(int Delta, TColor Color);
// Recolours every pixel except the transparent key colour and greys.
void ChangeBitmapHue(TBitmap* Bmp, int Delta);
void ChangeBitmapSaturation(TBitmap* Bmp, int Percent);

}  // namespace qv
