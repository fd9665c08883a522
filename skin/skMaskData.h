// The records of a loaded skin: masks (images cut into states and parts),
// pattern pictures and the values of each section of the description.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/JpegImage.h"
#include "skin/skConst.h"
#include "skin/skGradient.h"

namespace qv {

class TSkinManager;

struct TSkMaskData {
  std::unique_ptr<TBitmap> Bmp;  // own image, or null for a part of the master bitmap
  std::string SectionName;
  std::string PropertyName;
  RECT R;  // the part of the master bitmap, or (0, 0, width, height) of the own image
  int16_t ImageCount = 0;
  int16_t MaskType = 0;
  int16_t BorderWidth = 0;
  int16_t StretchMode = 0;
  TSkImgType ImgType = itisaBorder;
  TSkinManager* Manager = nullptr;
  int16_t WL = 0, WT = 0, WR = 0, WB = 0;
};

struct TSkPatternData {
  std::unique_ptr<TJPEGImage> Img;
  std::string SectionName;
  std::string PropertyName;
};

struct TSkGeneralData {
  std::string ParentClass;
  std::string SectionName;
  TColor Color = 0xFFFFFF;
  TSkControlBevel Bevel = cbNone;
  int32_t FontColor = 0;
  int32_t TCLeft = -1, TCTop = -1, TCRight = -1, TCBottom = -1;
  int32_t HotFontColor = 0;
  int32_t HotTCLeft = -1, HotTCTop = -1, HotTCRight = -1, HotTCBottom = -1;
  bool ReservedBoolean = false;
  int32_t ShadowBlur = 6;
  int32_t ShadowColor = 0;
  bool ShadowEnabled = false;
  int32_t ShadowOffset = 3;
  int32_t ShadowTransparency = 50;
  int32_t Transparency = 0;
  int32_t GradientPercent = 0;
  std::string GradientData = " ";
  TSkGradArray GradientArray;
  int32_t ImagePercent = 0;
  bool ShowFocus = false;
  bool FadingEnabled = false;
  int32_t FadingIntervalIn = 5, FadingIntervalOut = 5, FadingIterations = 5;
  int32_t HotColor = 0xFFFFFF;
  int32_t HotTransparency = 0;
  TSkControlBevel HotBevel = cbNone;
  int32_t HotGradientPercent = 0;
  std::string HotGradientData;
  TSkGradArray HotGradientArray;
  int32_t HotImagePercent = 0;
  int32_t BorderColor1 = 0, BorderColor2 = 0;
};

using TSkMaskArray = std::vector<TSkMaskData>;
using TSkPatternArray = std::vector<TSkPatternData>;
using TSkGeneralDataArray = std::vector<TSkGeneralData>;

}  // namespace qv
