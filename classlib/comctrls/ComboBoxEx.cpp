// TComboBoxEx and its items.
#include "classlib/comctrls/ComboBoxEx.h"

#include "classlib/comctrls/BarSubClass.h"
#include "classlib/comctrls/ComCtrls.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Utf.h"
#include "platform/comctl/ComboBoxEx.h"
#include "platform/controls/ComboBox.h"
#include "platform/window/MessageQueue.h"

namespace qv {

// ---- items ----

TComboExItem::TComboExItem(TCollection* Collection) : TCollectionItem(Collection) {
  if (auto* items = dynamic_cast<TComboExItems*>(Collection)) items->constructing_ = false;
  Changed(true);
}

void TComboExItem::SetCaption(const std::string& Value) {
  caption_ = Value;
  Changed(false);
}
void TComboExItem::SetImageIndex(int Value) {
  imageIndex_ = Value;
  Changed(false);
}
void TComboExItem::SetSelectedImageIndex(int Value) {
  selectedImageIndex_ = Value;
  Changed(false);
}
void TComboExItem::SetOverlayImageIndex(int Value) {
  overlayImageIndex_ = Value;
  Changed(false);
}
void TComboExItem::SetIndent(int Value) {
  indent_ = Value;
  Changed(false);
}

TComboExItems::TComboExItems(TComboBoxEx* Combo)
    : TCollection(ItemClass<TComboExItem>(), Combo), combo_(Combo) {}

TComboExItem* TComboExItems::AddItem(const std::string& Caption, int ImageIndex, int SelectedImageIndex,
                                     int OverlayImageIndex, int Indent, void* Data) {
  BeginUpdate();
  TComboExItem* item = Add();
  item->SetCaption(Caption);
  item->SetImageIndex(ImageIndex);
  item->SetSelectedImageIndex(SelectedImageIndex);
  item->SetOverlayImageIndex(OverlayImageIndex);
  item->SetIndent(Indent);
  item->Data = Data;
  EndUpdate();
  return item;
}

void TComboExItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if (Action == cnAdded) constructing_ = true;
  TCollection::Notify(Item, Action);
}

void TComboExItems::Update(TCollectionItem* Item) {
  if (constructing_) return;
  TCollection::Update(Item);
  combo_->UpdateItems();
}

// ---- the control ----

TComboBoxEx::TComboBoxEx(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TComboExItems>(this)),
      imagesLink_(std::make_unique<TChangeLink>()) {
  SetTabStop(true);
  SetBounds(0, 0, 145, 22);
  imagesLink_->OnChange = [this](TObject*) { UpdateItems(); };
}

TComboBoxEx::~TComboBoxEx() {
  items_->BeginUpdate();
}

void TComboBoxEx::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateBarSubClass(Params, WC_COMBOBOXEXW);
  Params.Style |= style_ == csExDropDownList ? CBS_DROPDOWNLIST
                  : style_ == csExSimple     ? CBS_SIMPLE
                                             : CBS_DROPDOWN;
  Params.Height = std::max(Params.Height, 150);  // room for the dropped list
}

void TComboBoxEx::CreateWnd() {
  TWinControl::CreateWnd();
  if (images_) SendMessageW(WindowHandle(), CBEM_SETIMAGELIST, 0, LPARAM(images_->Handle()));
  // The new window has no selection yet: the one chosen before it is kept.
  FillWindow(itemIndex_);
}

void TComboBoxEx::UpdateItems() {
  if (HandleAllocated()) FillWindow(ItemIndex());
}

void TComboBoxEx::FillWindow(int keep) {
  HWND h = WindowHandle();
  SendMessageW(h, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items_->Count(); ++i) {
    TComboExItem* it = items_->Items(i);
    std::u16string caption = Utf8ToUtf16(it->Caption());
    COMBOBOXEXITEMW rec;
    rec.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_OVERLAY | CBEIF_INDENT | CBEIF_LPARAM;
    rec.iItem = i;
    rec.pszText = caption.c_str();
    rec.iImage = it->ImageIndex();
    rec.iSelectedImage = it->SelectedImageIndex();
    rec.iOverlay = it->OverlayImageIndex() + 1;
    rec.iIndent = it->Indent();
    rec.lParam = LPARAM(it->Data);
    SendMessageW(h, CBEM_INSERTITEMW, 0, LPARAM(&rec));
  }
  if (keep >= items_->Count()) keep = -1;
  SendMessageW(h, CB_SETCURSEL, WPARAM(keep), 0);
  itemIndex_ = keep;
}

int TComboBoxEx::ItemIndex() {
  if (HandleAllocated()) itemIndex_ = int(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
  return itemIndex_;
}

// From code: no OnChange.
void TComboBoxEx::SetItemIndex(int Value) {
  if (Value < -1 || Value >= items_->Count()) return;
  itemIndex_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(Value), 0);
}

bool TComboBoxEx::DroppedDown() {
  return HandleAllocated() && SendMessageW(WindowHandle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TComboBoxEx::SetDroppedDown(bool Value) {
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SHOWDROPDOWN, Value, 0);
}

void TComboBoxEx::SetStyle(TComboBoxExStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TComboBoxEx::SetImages(TCustomImageList* Value) {
  if (!ReplaceImageList(this, images_, imagesLink_.get(), Value)) return;
  if (HandleAllocated())
    SendMessageW(WindowHandle(), CBEM_SETIMAGELIST, 0, LPARAM(Value ? Value->Handle() : nullptr));
}

void TComboBoxEx::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) SetImages(nullptr);
}

void TComboBoxEx::Dispatch(TMessage& M) {
  if (M.Msg == CN_COMMAND) {
    switch (M.WParamHi()) {
      case CBN_SELCHANGE:
        itemIndex_ = int(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
        if (OnSelect) OnSelect(this);
        if (OnChange) OnChange(this);
        return;
      case CBN_EDITCHANGE:
        if (OnChange) OnChange(this);
        return;
    }
    return;
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
