// TCheckBox and TRadioButton over the BUTTON window class. The control keeps
// the state and sets it in the window: a check box steps through unchecked,
// checked and (with AllowGrayed) grayed; a radio button, once checked,
// unchecks the radio buttons beside it. Every change fires OnClick.
#pragma once
#include <memory>

#include "classlib/controls/WinControl.h"

namespace qv {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TButtonStateControl : public TWinControl {
 public:
  explicit TButtonStateControl(TComponent* AOwner);
  // Which side the caption is on: taRightJustify puts it right of the box.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  // The user clicked the window (BN_CLICKED).
  virtual void Toggle() = 0;

 private:
  TAlignment alignment_ = taRightJustify;
  bool wordWrap_ = false;
};

class TCustomCheckBox : public TButtonStateControl {
 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState Value);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  bool AllowGrayed = false;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Toggle() override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;

 private:
  TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
 public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonStateControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Toggle() override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;

 private:
  bool checked_ = false;
};

}  // namespace qv
