// The face a skinned push button and a skinned speed button share: how a
// disabled button shows, the glyph's blend and source image list, where
// glyph and caption lie, the fade events and the owner's painting hook.
// Each button says what a changed property means for it.
#pragma once
#include <functional>

#include "classlib/Component.h"
#include "classlib/controls/ControlTypes.h"
#include "classlib/graphics/ImageList.h"
#include "skin/skConst.h"

namespace qv {

class TBitmap;
using TBmpPaintEvent = std::function<void(TObject* Sender, TBitmap* Bmp)>;

class TSkButtonFace {
 public:
  // Owner hears when the image list is freed (see FaceNotification).
  explicit TSkButtonFace(TComponent* Owner) : faceOwner_(Owner) {}
  virtual ~TSkButtonFace() = default;

  TSkDisabledKind DisabledKind() const { return disabledKind_; }
  void SetDisabledKind(TSkDisabledKind Value);
  TSkDisabledGlyphKind DisabledGlyphKind() const { return disabledGlyphKind_; }
  void SetDisabledGlyphKind(TSkDisabledGlyphKind Value);
  bool Grayed() const { return grayed_; }
  void SetGrayed(bool Value);
  int Blend() const { return blend_; }
  void SetBlend(int Value);  // a percent, held to 0..100
  int TextOffset() const { return textOffset_; }
  void SetTextOffset(int Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TAlignment TextAlignment() const { return textAlignment_; }
  void SetTextAlignment(TAlignment Value);
  bool DrawOverBorder() const { return drawOverBorder_; }
  void SetDrawOverBorder(bool Value);
  TSkAnimatEvents AnimatEvents{aeGlobalDef};
  TBmpPaintEvent OnPaint;

 protected:
  // A property changed; the glyph's source (image list, index, disabled
  // glyph kind) and the caption's alignment may mean more to a button.
  virtual void FaceChanged() = 0;
  virtual void FaceImageChanged() { FaceChanged(); }
  virtual void FaceTextAlignmentChanged() { FaceChanged(); }
  // From the owner's Notification: a freed image list is forgotten.
  void FaceNotification(TComponent* AComponent, TOperation Operation);

  TSkDisabledKind disabledKind_{dkBlended};
  TSkDisabledGlyphKind disabledGlyphKind_{dgBlended};
  bool grayed_ = false;
  int blend_ = 0, textOffset_ = 0, imageIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  bool showCaption_ = true, drawOverBorder_ = true;
  TAlignment alignment_ = taCenter, textAlignment_ = taCenter;

 private:
  TComponent* faceOwner_;
};

}  // namespace qv
