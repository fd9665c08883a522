// Shared pieces of the class-library common controls.
#include "classlib/comctrls/ComCtrls.h"

#include "classlib/stdctrls/SubClass.h"

namespace qv {

void CreateCommonSubClass(TCreateParams& Params, const char16_t* className) {
  RegisterCommonControls();  // idempotent; the system classes come with it
  CreateSubClass(Params, className);
}

TCustomDrawState CustomDrawState(UINT s) {
  TCustomDrawState r;
  if (s & CDIS_SELECTED) r.Include(cdsSelected);
  if (s & CDIS_GRAYED) r.Include(cdsGrayed);
  if (s & CDIS_DISABLED) r.Include(cdsDisabled);
  if (s & CDIS_CHECKED) r.Include(cdsChecked);
  if (s & CDIS_FOCUS) r.Include(cdsFocused);
  if (s & CDIS_DEFAULT) r.Include(cdsDefault);
  if (s & CDIS_HOT) r.Include(cdsHot);
  if (s & CDIS_MARKED) r.Include(cdsMarked);
  if (s & CDIS_INDETERMINATE) r.Include(cdsIndeterminate);
  return r;
}

TImageListLink::TImageListLink(std::function<void(HIMAGELIST)> apply) : apply_(std::move(apply)) {
  link_.OnChange = [this](TObject*) { Resend(); };
}

TImageListLink::~TImageListLink() {
  if (list_) list_->UnRegisterChanges(&link_);
}

void TImageListLink::Set(TCustomImageList* Value, TComponent* Owner) {
  if (list_ == Value) return;
  if (list_) list_->UnRegisterChanges(&link_);
  list_ = Value;
  if (list_) {
    list_->RegisterChanges(&link_);
    if (Owner) list_->FreeNotification(Owner);
  }
  Resend();
}

void TImageListLink::Forget(TComponent* Removed) {
  if (Removed != list_) return;
  list_ = nullptr;
  Resend();
}

void TImageListLink::Resend() const {
  apply_(list_ ? list_->Handle() : nullptr);
}

}  // namespace qv
