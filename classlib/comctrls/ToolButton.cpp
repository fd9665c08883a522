// TToolButton: a graphic control standing for one button of its tool bar.
#include "classlib/comctrls/ToolBar.h"
#include "classlib/menus/Menus.h"

namespace qv {

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
  ControlStyle() = TControlStyle{csCaptureMouse, csSetCaption};
}

TToolButton::~TToolButton() {
  if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::ToolBar() const {
  return dynamic_cast<TToolBar*>(Parent());
}

int TToolButton::Index() const {
  TToolBar* bar = ToolBar();
  if (!bar) return -1;
  for (int i = 0; i < bar->ButtonCount(); ++i)
    if (bar->Buttons(i) == this) return i;
  return -1;
}

void TToolButton::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  if (TToolBar* old = ToolBar()) old->RemoveButton(this);
  TGraphicControl::SetParent(AParent);
  if (TToolBar* bar = ToolBar()) bar->InsertButton(this);
}

void TToolButton::Changed(bool Layout) {
  TToolBar* bar = ToolBar();
  if (!bar) return;
  if (Layout)
    bar->RecreateButtons();
  else
    bar->UpdateButtonState(this);
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  if (Value == tbsSeparator || Value == tbsDivider) SetWidth(8);
  Changed(true);
}

void TToolButton::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  Changed(true);
}

void TToolButton::SetDown(bool Value) {
  if (down_ == Value) return;
  down_ = Value;
  Changed(false);
  // Putting a grouped button down brings the others of its group up.
  TToolBar* bar = ToolBar();
  if (!Value || !grouped_ || !bar) return;
  int at = Index();
  for (int k : {-1, 1})
    for (int i = at + k; i >= 0 && i < bar->ButtonCount(); i += k) {
      TToolButton* b = bar->Buttons(i);
      if (!b->grouped_ || b->style_ != tbsCheck) break;
      if (b->down_) {
        b->down_ = false;
        b->Changed(false);
      }
    }
}

void TToolButton::SetGrouped(bool Value) {
  if (grouped_ == Value) return;
  grouped_ = Value;
  Changed(true);
}

void TToolButton::SetIndeterminate(bool Value) {
  indeterminate_ = Value;
  Changed(false);
}

void TToolButton::SetMarked(bool Value) {
  marked_ = Value;
  Changed(false);
}

void TToolButton::SetWrap(bool Value) {
  if (wrap_ == Value) return;
  wrap_ = Value;
  Changed(true);
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value) {
  if (dropdownMenu_) RemoveFreeNotification(dropdownMenu_);
  dropdownMenu_ = Value;
  if (Value) FreeNotification(Value);
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropdownMenu_) dropdownMenu_ = nullptr;
}

bool TToolButton::CheckMenuDropdown() {
  if (!dropdownMenu_) return false;
  POINT p = ClientToScreen(POINT{0, Height()});
  dropdownMenu_->SetPopupComponent(this);
  dropdownMenu_->Popup(p.x, p.y);
  return true;
}

void TToolButton::Click() {
  TGraphicControl::Click();
}

void TToolButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
    case CM_VISIBLECHANGED:
      TGraphicControl::Dispatch(M);
      return Changed(true);
    case CM_ENABLEDCHANGED:
      TGraphicControl::Dispatch(M);
      return Changed(false);
    case WM_PAINT:
      return;  // the tool bar's window draws the button
  }
  TGraphicControl::Dispatch(M);
}

std::unique_ptr<TControlActionLink> TToolButton::CreateActionLink() {
  return std::make_unique<TToolButtonActionLink>(this);
}

void TToolButtonActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) button_->SetImageIndex(Value);
}

void TToolButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) button_->SetDown(Value);
}

}  // namespace qv
