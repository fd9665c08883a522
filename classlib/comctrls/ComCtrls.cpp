// Shared pieces of the class-library common controls.
#include "classlib/comctrls/ComCtrls.h"

#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/window/MessageQueue.h"

namespace qv {

void CreateCommonSubClass(TCreateParams& Params, const char16_t* className) {
  RegisterCommonControls();  // idempotent; the system classes come with it
  CreateSubClass(Params, className);
}

bool ChangeWindowStyle(HWND Handle, DWORD Mask, DWORD Style) {
  STYLESTRUCT ss;
  ss.styleOld = DWORD(GetWindowLongPtrW(Handle, GWL_STYLE));
  ss.styleNew = (ss.styleOld & ~Mask) | Style;
  if (ss.styleNew == ss.styleOld) return false;
  SetWindowLongPtrW(Handle, GWL_STYLE, LONG_PTR(ss.styleNew));
  SendMessageW(Handle, WM_STYLECHANGED, WPARAM(GWL_STYLE), LPARAM(&ss));
  return true;
}

void SetClientEdge(HWND Handle, bool On) {
  LONG_PTR ex = GetWindowLongPtrW(Handle, GWL_EXSTYLE);
  ex = On ? ex | WS_EX_CLIENTEDGE : ex & ~LONG_PTR(WS_EX_CLIENTEDGE);
  SetWindowLongPtrW(Handle, GWL_EXSTYLE, ex);
  SetWindowPos(Handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void CustomDrawItemColours(TCanvas* Canvas, COLORREF& Text, COLORREF& TextBk,
                           const std::function<void()>& Handler) {
  Canvas->Font()->SetColor(TColor(Text));
  Canvas->Brush()->SetColor(TColor(TextBk));
  Handler();
  Text = COLORREF(ColorToRGB(Canvas->Font()->Color()));
  TextBk = COLORREF(ColorToRGB(Canvas->Brush()->Color()));
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

TImageListLink::TImageListLink(TWinControl* Control, UINT Msg, WPARAM Which)
    : TImageListLink([Control, Msg, Which](HIMAGELIST h) {
        if (Control->HandleAllocated()) SendMessageW(Control->WindowHandle(), Msg, Which, LPARAM(h));
      }) {}

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

bool ReplaceImageList(TComponent* Owner, TCustomImageList*& Slot, TChangeLink* Link,
                      TCustomImageList* Value) {
  if (Slot == Value) return false;
  if (Slot) {
    Slot->UnRegisterChanges(Link);
    Owner->RemoveFreeNotification(Slot);
  }
  Slot = Value;
  if (Value) {
    Value->RegisterChanges(Link);
    Owner->FreeNotification(Value);
  }
  return true;
}

}  // namespace qv
