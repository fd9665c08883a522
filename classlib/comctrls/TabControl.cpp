// TCustomTabControl and TTabControl.
#include "classlib/comctrls/TabControl.h"

#include "classlib/comctrls/BarSubClass.h"
#include "classlib/comctrls/ComCtrls.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TWinControl(AOwner), imagesLink_(std::make_unique<TChangeLink>()) {
  ControlStyle() = TControlStyle{csAcceptsControls, csDoubleClicks};
  SetColor(clBtnFace);
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  imagesLink_->OnChange = [this](TObject*) { UpdateTabs(); };
}

TCustomTabControl::~TCustomTabControl() = default;

void TCustomTabControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateBarSubClass(Params, WC_TABCONTROLW);
  Params.Style |= WS_CLIPCHILDREN;
  if (multiLine_) Params.Style |= TCS_MULTILINE;
  if (!TabStop()) Params.Style |= TCS_FOCUSNEVER;
}

void TCustomTabControl::CreateWnd() {
  TWinControl::CreateWnd();
  if (images_) SendMessageW(WindowHandle(), TCM_SETIMAGELIST, 0, LPARAM(images_->Handle()));
  UpdateTabs();
  Realign();
}

void TCustomTabControl::UpdateTabs() {
  if (!HandleAllocated()) return;
  HWND h = WindowHandle();
  int keep = tabIndex_;
  SendMessageW(h, TCM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < TabCount(); ++i) {
    std::u16string caption = Utf8ToUtf16(TabCaption(i));
    TCITEMW item;
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = caption.c_str();
    item.iImage = images_ ? TabImage(i) : -1;
    SendMessageW(h, TCM_INSERTITEMW, WPARAM(i), LPARAM(&item));
  }
  if (keep >= TabCount()) keep = TabCount() - 1;
  SendMessageW(h, TCM_SETCURSEL, WPARAM(keep), 0);
  tabIndex_ = keep;
  Realign();
}

int TCustomTabControl::TabIndex() {
  if (HandleAllocated()) tabIndex_ = int(SendMessageW(WindowHandle(), TCM_GETCURSEL, 0, 0));
  return tabIndex_;
}

void TCustomTabControl::SetTabIndex(int Value) {
  if (Value < -1 || Value >= TabCount()) return;
  tabIndex_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), TCM_SETCURSEL, WPARAM(Value), 0);
}

void TCustomTabControl::SetImages(TCustomImageList* Value) {
  if (!ReplaceImageList(this, images_, imagesLink_.get(), Value)) return;
  if (HandleAllocated())
    SendMessageW(WindowHandle(), TCM_SETIMAGELIST, 0, LPARAM(Value ? Value->Handle() : nullptr));
  UpdateTabs();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) SetImages(nullptr);
}

void TCustomTabControl::SetMultiLine(bool Value) {
  if (multiLine_ == Value) return;
  multiLine_ = Value;
  RecreateWnd();
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) {
  if (!HandleAllocated()) return -1;
  TCHITTESTINFO info;
  info.pt = POINT{X, Y};
  return int(SendMessageW(WindowHandle(), TCM_HITTEST, 0, LPARAM(&info)));
}

RECT TCustomTabControl::TabRect(int Index) {
  RECT r{0, 0, 0, 0};
  if (HandleAllocated()) SendMessageW(WindowHandle(), TCM_GETITEMRECT, WPARAM(Index), LPARAM(&r));
  return r;
}

RECT TCustomTabControl::DisplayRect() {
  RECT r = ClientRect();
  if (HandleAllocated()) SendMessageW(WindowHandle(), TCM_ADJUSTRECT, FALSE, LPARAM(&r));
  return r;
}

void TCustomTabControl::AdjustClientRect(RECT& Rect) {
  Rect = DisplayRect();
  TWinControl::AdjustClientRect(Rect);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::Dispatch(TMessage& M) {
  if (M.Msg == CN_NOTIFY) {
    auto* n = reinterpret_cast<NMHDR*>(M.LParam);
    if (n->code == TCN_SELCHANGING) {
      M.Result = CanChange() ? 0 : 1;
      return;
    }
    if (n->code == TCN_SELCHANGE) {
      tabIndex_ = int(SendMessageW(WindowHandle(), TCM_GETCURSEL, 0, 0));
      Change();
      return;
    }
  }
  if (M.Msg == WM_SIZE) {
    TWinControl::Dispatch(M);
    Realign();
    return;
  }
  TWinControl::Dispatch(M);
}

TTabControl::TTabControl(TComponent* AOwner)
    : TCustomTabControl(AOwner), tabs_(std::make_unique<TStringList>()) {
  tabs_->OnChange = [this](TObject*) {
    if (tabIndex_ < 0 && tabs_->Count() > 0) tabIndex_ = 0;
    UpdateTabs();
  };
}

TTabControl::~TTabControl() {
  tabs_->OnChange = nullptr;
}

}  // namespace qv
