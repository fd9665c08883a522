// The action links of the buttons that follow more of their action than a
// plain control: a check box's or radio button's Checked, and a speed
// button's Checked (its Down state), GroupIndex and image.
#pragma once
#include "classlib/controls/BasicAction.h"

namespace qv {

class TCustomCheckBox;
class TRadioButton;
class TSpeedButton;

class TCheckBoxActionLink : public TControlActionLink {
 public:
  explicit TCheckBoxActionLink(TCustomCheckBox* AClient);
  void SetChecked(bool Value) override;

 private:
  TCustomCheckBox* box_;
};

class TRadioButtonActionLink : public TControlActionLink {
 public:
  explicit TRadioButtonActionLink(TRadioButton* AClient);
  void SetChecked(bool Value) override;

 private:
  TRadioButton* radio_;
};

class TSpeedButtonActionLink : public TControlActionLink {
 public:
  explicit TSpeedButtonActionLink(TSpeedButton* AClient);
  void SetChecked(bool Value) override;
  void SetGroupIndex(int Value) override;
  // The glyph becomes the image of the action list's images at Value.
  void SetImageIndex(int Value) override;

 private:
  TSpeedButton* button_;
};

}  // namespace qv
