// Gradients described by gradient strings ("c1;c2;percent;mode;x" per step):
// parsing into steps and painting bands down, bands across or four triangles
// into a rectangle of a 24-bit bitmap.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TBitmap;

struct TSkGradStep {
  TColor Color1 = 0;
  TColor Color2 = 0;
  uint8_t Percent = 0;
  int32_t Mode = 0;
};
using TSkGradArray = std::vector<TSkGradStep>;

// Data gets one step per whole group of five words; a word that is not an
// integer raises EConvertError with Data at full length, filled up to it.
void PrepareGradArray(const std::string& S, TSkGradArray& Data);
// The same, but a bad word gives an empty array instead of an error.
TSkGradArray ParseGradArrayOrEmpty(const std::string& S);
// Paints Data into R of Bmp (24 bits per pixel); the first step's mode chooses.
void PaintGrad(TBitmap* Bmp, RECT R, const TSkGradArray& Data);

struct TBGR {
  uint8_t B = 0, G = 0, R = 0;
};
// The three pixel bytes of a colour (red in its low byte).
inline TBGR ColorToBGR(TColor C) {
  return TBGR{uint8_t(C >> 16), uint8_t(C >> 8), uint8_t(C)};
}

}  // namespace qv
