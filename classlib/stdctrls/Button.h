// TButton over the BUTTON window class: a push button that clicks on
// BN_CLICKED, shows itself as the default button while it is the one Enter
// would press, and answers its accelerator character.
#pragma once
#include "classlib/controls/Forms.h"

namespace qv {

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  void SetDefault(bool Value);
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  // The button Enter would press now: the focused button, or the default one
  // while no other button has the focus.
  bool Active() const { return active_; }
  // Shows or stops showing the thick default frame.
  virtual void SetButtonStyle(bool ADefault);

 private:
  bool active_ = false;
};

// True when Text has Key after an "&" (ASCII case ignored).
bool IsAccel(char16_t Key, const std::string& Text);

}  // namespace qv
