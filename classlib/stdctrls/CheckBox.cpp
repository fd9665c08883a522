// TCheckBox and TRadioButton.
#include "classlib/stdctrls/CheckBox.h"

#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/ButtonActionLinks.h"
#include "classlib/stdctrls/ReflectedMessages.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TButtonStateControl::TButtonStateControl(TComponent* AOwner) : TWinControl(AOwner) {
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks};
  SetTabStop(true);
  SetParentColor(true);
}

void TButtonStateControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  if (alignment_ == taLeftJustify) Params.Style |= BS_LEFTTEXT;
  if (wordWrap_) Params.Style |= BS_MULTILINE;
}

void TButtonStateControl::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TButtonStateControl::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  RecreateWnd();
}

void TButtonStateControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      if (M.WParamHi() == BN_CLICKED) Toggle();
      return;
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
      return AnswerControlColours(this, M);
    case CM_DIALOGCHAR:
      if (IsAccel(char16_t(M.WParam), Text()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        M.Result = 1;
        return;
      }
      break;
  }
  TWinControl::Dispatch(M);
}

// ---- check box ----

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonStateControl(AOwner) {
  SetBounds(Left(), Top(), 97, 17);
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonStateControl::CreateParams(Params);
  Params.Style |= BS_3STATE;
}

void TCustomCheckBox::CreateWnd() {
  TButtonStateControl::CreateWnd();
  SendMessageW(WindowHandle(), BM_SETCHECK, WPARAM(state_), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (state_ == Value) return;
  state_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), BM_SETCHECK, WPARAM(state_), 0);
  Click();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked:
      SetState(AllowGrayed ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

// ---- radio button ----

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonStateControl(AOwner) {
  SetBounds(Left(), Top(), 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonStateControl::CreateParams(Params);
  Params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd() {
  TButtonStateControl::CreateWnd();
  SendMessageW(WindowHandle(), BM_SETCHECK, checked_, 0);
}

void TRadioButton::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  SetTabStop(Value);
  if (HandleAllocated()) SendMessageW(WindowHandle(), BM_SETCHECK, Value, 0);
  if (!Value) return;
  if (TWinControl* parent = Parent()) {
    auto alive = AliveToken();
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
        other->SetChecked(false);
    if (alive.expired()) return;
  }
  Click();
}

void TRadioButton::Toggle() {
  if (!checked_) SetChecked(true);
}

std::unique_ptr<TControlActionLink> TCustomCheckBox::CreateActionLink() {
  return std::make_unique<TCheckBoxActionLink>(this);
}

std::unique_ptr<TControlActionLink> TRadioButton::CreateActionLink() {
  return std::make_unique<TRadioButtonActionLink>(this);
}

}  // namespace qv
