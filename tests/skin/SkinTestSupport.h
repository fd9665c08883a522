// Shared helpers of the skin tests: 24-bit bitmaps filled and read by pixel,
// and a skinned control that owns skin data and passes its messages through
// the skin window procedure first.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/controls/CustomControl.h"
#include "classlib/graphics/Bitmap.h"
#include "skin/skCommonData.h"

namespace qv::test {

inline std::unique_ptr<TBitmap> Bmp24(int w, int h, TColor fill = clWhite) {
  auto b = std::make_unique<TBitmap>(w, h, pf24bit);
  for (int y = 0; y < h; ++y) {
    uint8_t* p = b->ScanLine(y);
    for (int x = 0; x < w; ++x, p += 3)
      p[0] = uint8_t(fill >> 16), p[1] = uint8_t(fill >> 8), p[2] = uint8_t(fill);
  }
  return b;
}

// The pixel as a colour value (red in the low byte).
inline TColor Px(TBitmap* b, int x, int y) {
  const uint8_t* p = b->ScanLine(y) + 3 * x;
  return TColor(p[2] | p[1] << 8 | p[0] << 16);
}
inline void SetPx(TBitmap* b, int x, int y, TColor c) {
  uint8_t* p = b->ScanLine(y) + 3 * x;
  p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
}
inline TColor Grey(int g) {
  return TColor(g | g << 8 | g << 16);
}

// A windowed control with skin data, as every skinned control has.
class SkinnedProbe : public TCustomControl {
 public:
  explicit SkinnedProbe(TComponent* owner, int classCode = 51) : TCustomControl(owner) {
    SkinData = std::make_unique<TSkCommonData>(this, true);
    SkinData->ClassCode = classCode;
  }
  std::unique_ptr<TSkCommonData> SkinData;
  std::vector<WORD> Commands;  // every skin command that reached the control

  void WndProc(TMessage& M) override {
    if (M.Msg == SM_SKINCMD) Commands.push_back(M.WParamHi());
    if (SkinWndProc(M, SkinData.get())) return;
    TCustomControl::WndProc(M);
  }
};

// The same for a graphic control.
class SkinnedGraphic : public TGraphicControl {
 public:
  explicit SkinnedGraphic(TComponent* owner) : TGraphicControl(owner) {
    SkinData = std::make_unique<TSkCommonData>(this, false);
  }
  std::unique_ptr<TSkCommonData> SkinData;
  std::vector<WORD> Commands;
  void WndProc(TMessage& M) override {
    if (M.Msg == SM_SKINCMD) Commands.push_back(M.WParamHi());
    if (SkinWndProc(M, SkinData.get())) return;
    TGraphicControl::WndProc(M);
  }
};

}  // namespace qv::test
