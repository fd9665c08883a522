// TImage: shows a picture at its own size, centred, stretched or scaled to
// fit; with AutoSize the control takes the picture's size.
#pragma once
#include <memory>

#include "classlib/controls/CustomControl.h"
#include "classlib/graphics/Picture.h"

namespace qv {

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* Value) { picture_->Assign(Value); }
  // The picture's bitmap canvas (an empty picture becomes a bitmap of the control's size).
  TCanvas* Canvas();
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  bool Center() const { return center_; }
  void SetCenter(bool Value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // Where the picture lands in the client area.
  RECT DestRect();

 protected:
  void Paint() override;

 private:
  void PictureChanged();

  std::unique_ptr<TPicture> picture_;
  bool autoSize_ = false, center_ = false, stretch_ = false, proportional_ = false, transparent_ = false;
  bool drawing_ = false;
};

}  // namespace qv
