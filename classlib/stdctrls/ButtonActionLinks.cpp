// What the buttons' action links apply to their clients.
#include "classlib/stdctrls/ButtonActionLinks.h"

#include "classlib/actions/ActnList.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/CheckBox.h"
#include "classlib/stdctrls/SpeedButton.h"

namespace qv {

TCheckBoxActionLink::TCheckBoxActionLink(TCustomCheckBox* AClient)
    : TControlActionLink(AClient), box_(AClient) {}

void TCheckBoxActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) box_->SetChecked(Value);
}

TRadioButtonActionLink::TRadioButtonActionLink(TRadioButton* AClient)
    : TControlActionLink(AClient), radio_(AClient) {}

void TRadioButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) radio_->SetChecked(Value);
}

TSpeedButtonActionLink::TSpeedButtonActionLink(TSpeedButton* AClient)
    : TControlActionLink(AClient), button_(AClient) {}

void TSpeedButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) button_->SetDown(Value);
}

void TSpeedButtonActionLink::SetGroupIndex(int Value) {
  if (IsGroupIndexLinked()) button_->SetGroupIndex(Value);
}

void TSpeedButtonActionLink::SetImageIndex(int Value) {
  if (!IsImageIndexLinked()) return;
  auto* action = dynamic_cast<TCustomAction*>(Action());
  TCustomImageList* images = action && action->ActionList() ? action->ActionList()->Images() : nullptr;
  // Without images of the list the button keeps the glyph it was given.
  if (!images || Value < 0 || Value >= images->Count()) return;
  TBitmap image;
  if (!images->GetBitmap(Value, &image)) return;
  button_->SetNumGlyphs(1);
  button_->SetGlyph(&image);
}

}  // namespace qv
