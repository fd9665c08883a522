// The face properties the skinned push and speed buttons share.
#include "skin/controls/skButtonFace.h"

#include <algorithm>

namespace qv {

void TSkButtonFace::SetDisabledKind(TSkDisabledKind Value) {
  if (Value != disabledKind_) disabledKind_ = Value, FaceChanged();
}

void TSkButtonFace::SetDisabledGlyphKind(TSkDisabledGlyphKind Value) {
  if (Value != disabledGlyphKind_) disabledGlyphKind_ = Value, FaceImageChanged();
}

void TSkButtonFace::SetGrayed(bool Value) {
  if (Value != grayed_) grayed_ = Value, FaceChanged();
}

void TSkButtonFace::SetBlend(int Value) {
  Value = std::clamp(Value, 0, 100);
  if (Value != blend_) blend_ = Value, FaceChanged();
}

void TSkButtonFace::SetTextOffset(int Value) {
  if (Value != textOffset_) textOffset_ = Value, FaceChanged();
}

void TSkButtonFace::SetImageIndex(int Value) {
  if (Value != imageIndex_) imageIndex_ = Value, FaceImageChanged();
}

void TSkButtonFace::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  if (images_) images_->RemoveFreeNotification(faceOwner_);
  images_ = Value;
  if (Value) Value->FreeNotification(faceOwner_);
  FaceImageChanged();
}

void TSkButtonFace::SetShowCaption(bool Value) {
  if (Value != showCaption_) showCaption_ = Value, FaceChanged();
}

void TSkButtonFace::SetAlignment(TAlignment Value) {
  if (Value != alignment_) alignment_ = Value, FaceChanged();
}

void TSkButtonFace::SetTextAlignment(TAlignment Value) {
  if (Value != textAlignment_) textAlignment_ = Value, FaceTextAlignmentChanged();
}

void TSkButtonFace::SetDrawOverBorder(bool Value) {
  if (Value != drawOverBorder_) drawOverBorder_ = Value, FaceChanged();
}

void TSkButtonFace::FaceNotification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

}  // namespace qv
