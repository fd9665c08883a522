// TButton.
#include "classlib/stdctrls/Button.h"

#include "classlib/controls/ControlMessages.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv {

bool IsAccel(char16_t Key, const std::string& Text) {
  auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  for (size_t i = 0; i + 1 < Text.size(); ++i) {
    if (Text[i] != '&') continue;
    if (Text[i + 1] == '&') {
      ++i;
      continue;
    }
    return fold(char16_t(uint8_t(Text[i + 1]))) == fold(Key);
  }
  return false;
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks};
  SetColor(clBtnFace);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  active_ = Default();
  Params.Style |= active_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  if (Default() == Value) return;
  TButtonControl::SetDefault(Value);
  if (!HandleAllocated()) return;
  TCustomForm* form = GetParentForm(this);
  if (form) form->Perform(CM_FOCUSCHANGED, 0, LPARAM(form->ActiveControl()));
}

void TButton::SetButtonStyle(bool ADefault) {
  if (!HandleAllocated()) return;
  DWORD style = DWORD(GetWindowLongPtrW(WindowHandle(), GWL_STYLE)) & BS_TYPEMASK;
  if ((style == BS_DEFPUSHBUTTON) == ADefault) return;
  SendMessageW(WindowHandle(), BM_SETSTYLE, ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      // The BUTTON window clicks on Space itself; skip the base's own Space click.
      if (M.WParam == VK_SPACE) return TWinControl::Dispatch(M);
      break;
    case CN_COMMAND:
      if (M.WParamHi() == BN_CLICKED) Click();
      return;
    case CN_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      SetBkColor(dc, COLORREF(ColorToRGB(Color())));
      M.Result = 0;  // the button paints its classic face
      return;
    }
    case CM_FOCUSCHANGED: {
      auto* sender = reinterpret_cast<TWinControl*>(M.LParam);
      active_ = dynamic_cast<TButton*>(sender) ? sender == this : Default();
      SetButtonStyle(active_);
      return;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(char16_t(M.WParam), Text()) && CanFocus()) {
        Click();
        M.Result = 1;
        return;
      }
      break;
  }
  TButtonControl::Dispatch(M);
}

}  // namespace qv
