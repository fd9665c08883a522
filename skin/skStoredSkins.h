// Skins kept inside a skin manager instead of a skin folder: whole skins with
// their images, pattern pictures and per-section values, each collection
// owned by the object given to it.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/JpegImage.h"
#include "skin/skConst.h"

namespace qv {

class TSkStoredSkin;

class TSkinImage {
 public:
  std::string SectionName;
  TBitmap* Image() { return &image_; }
  void SetImage(TBitmap* Value) { image_.Assign(Value); }
  std::string Name;  // non-empty: an own image made from Image; else a master part
  std::string PropertyName;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int ImageCount = 0, MaskType = 0, BorderWidth = 0, StretchMode = 0;
  TSkImgType ImgType = itisaBorder;
  int WL = 0, WR = 0, WT = 0, WB = 0;

 private:
  TBitmap image_;
};

class TSkinPattern {
 public:
  std::string SectionName;
  TJPEGImage* Image() { return &image_; }
  void SetImage(TJPEGImage* Value) { image_.Assign(Value); }
  std::string Name, PropertyName;

 private:
  TJPEGImage image_;
};

class TSkinGeneral {
 public:
  std::string SectionName, ParentClass;
  TColor Color = 0;
  TSkControlBevel Bevel = cbNone;
  int ShadowBlur = 0;
  TColor ShadowColor = 0;
  bool ShadowDontUse = false, ShadowEnabled = false, ReservedBoolean = false;
  int ShadowOffset = 0, ShadowTransparency = 0;
  std::string FontColor, HotFontColor;  // five integers: colour, then left, top, right, bottom contours
  int Transparency = 0, GradientPercent = 0;
  std::string GradientData;
  int ImagePercent = 0;
  bool ShowFocus = false, FadingEnabled = false;
  int FadingIntervalIn = 0, FadingIntervalOut = 0, FadingIterations = 0;
  TColor HotColor = 0;
  int HotTransparency = 0;
  TSkControlBevel HotBevel = cbNone;
  int HotGradientPercent = 0;
  std::string HotGradientData;
  int HotImagePercent = 0;
  TColor BorderColor1 = 0, BorderColor2 = 0;
  std::string Name;
};

// A collection of items owned by the object given at creation.
template <class T>
class TSkStoredCollection {
 public:
  explicit TSkStoredCollection(void* AOwner) : owner_(AOwner) {}
  T* Add() { return items_.emplace_back(std::make_unique<T>()).get(); }
  int Count() const { return int(items_.size()); }
  T* Items(int i) const { return items_.at(size_t(i)).get(); }
  void Clear() { items_.clear(); }
  void* Owner() const { return owner_; }

 private:
  void* owner_;
  std::vector<std::unique_ptr<T>> items_;
};

using TSkinImages = TSkStoredCollection<TSkinImage>;
using TSkinPatterns = TSkStoredCollection<TSkinPattern>;
using TSkinGenerals = TSkStoredCollection<TSkinGeneral>;

class TSkStoredSkin {
 public:
  TSkStoredSkin() : GeneralData(this), Images(this), Patterns(this) {}
  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value) {
    if (Value != name_) name_ = Value;
  }
  TSkinGenerals GeneralData;
  TSkinImages Images;
  TSkinPatterns Patterns;
  TBitmap MasterBitmap;
  TColor Shadow1Color = 0;
  int Shadow1Offset = 0, Shadow1Blur = -1, Shadow1Transparency = 0;
  double Version = 0;
  std::string Author, Description;

 private:
  std::string name_;
};

class TSkStoredSkins : public TSkStoredCollection<TSkStoredSkin> {
 public:
  using TSkStoredCollection::TSkStoredCollection;
  // The first stored skin whose name equals Name exactly, or -1.
  int IndexOf(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
      if (Items(i)->Name() == Name) return i;
    return -1;
  }
};

}  // namespace qv
