// TUpDown.
#include "classlib/comctrls/UpDown.h"

#include <algorithm>

#include "classlib/comctrls/BarSubClass.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 16, 24);
  SetColor(clBtnFace);
}

void TUpDown::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateBarSubClass(Params, UPDOWN_CLASSW);
  Params.Style |= UDS_SETBUDDYINT | UDS_NOTHOUSANDS;
  if (associate_) Params.Style |= alignButton_ == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT;
  if (wrap_) Params.Style |= UDS_WRAP;
  if (arrowKeys_) Params.Style |= UDS_ARROWKEYS;
  if (orientation_ == udHorizontal) Params.Style |= UDS_HORZ;
}

void TUpDown::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageW(h, UDM_SETRANGE32, WPARAM(min_), LPARAM(max_));
  SendMessageW(h, UDM_SETPOS32, 0, LPARAM(position_));
  if (associate_) SendMessageW(h, UDM_SETBUDDY, WPARAM(associate_->Handle()), 0);
}

void TUpDown::SetMin(int Value) {
  min_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), UDM_SETRANGE32, WPARAM(min_), LPARAM(max_));
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
}

void TUpDown::SetMax(int Value) {
  max_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), UDM_SETRANGE32, WPARAM(min_), LPARAM(max_));
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
}

int TUpDown::Position() {
  if (HandleAllocated()) position_ = int(SendMessageW(WindowHandle(), UDM_GETPOS32, 0, 0));
  return position_;
}

void TUpDown::SetPosition(int Value) {
  position_ = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (HandleAllocated()) SendMessageW(WindowHandle(), UDM_SETPOS32, 0, LPARAM(position_));
}

void TUpDown::SetWrap(bool Value) {
  if (wrap_ == Value) return;
  wrap_ = Value;
  RecreateWnd();
}

void TUpDown::SetArrowKeys(bool Value) {
  if (arrowKeys_ == Value) return;
  arrowKeys_ = Value;
  RecreateWnd();
}

void TUpDown::SetOrientation(TUDOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  RecreateWnd();
}

void TUpDown::SetAlignButton(TUDAlignButton Value) {
  if (alignButton_ == Value) return;
  alignButton_ = Value;
  RecreateWnd();
}

// The associate must share the up-down's parent; the arrows then sit at its edge.
void TUpDown::SetAssociate(TWinControl* Value) {
  if (Value == this || (Value && Value->Parent() != Parent())) return;
  if (associate_) RemoveFreeNotification(associate_);
  associate_ = Value;
  if (Value) FreeNotification(Value);
  if (HandleAllocated()) RecreateWnd();
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == associate_) {
    associate_ = nullptr;
    if (HandleAllocated()) SendMessageW(WindowHandle(), UDM_SETBUDDY, 0, 0);
  }
}

bool TUpDown::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TUpDown::DoClick(TUDBtnType Button) {
  if (OnClick) OnClick(this, Button);
}

void TUpDown::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_NOTIFY: {
      auto* n = reinterpret_cast<NMUPDOWN*>(M.LParam);
      if (n->hdr.code != UDN_DELTAPOS) break;
      if (!CanChange()) {
        M.Result = 1;
        return;
      }
      lastStep_ = n->iDelta;
      n->iDelta *= Increment;
      M.Result = 0;
      return;
    }
    case CN_VSCROLL:
    case CN_HSCROLL:
      if (LOWORD(M.WParam) == SB_THUMBPOSITION) {
        Position();
        // The arrow pressed, whichever way the range runs or wraps.
        DoClick((lastStep_ > 0) == (min_ <= max_) ? btNext : btPrev);
      }
      return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
