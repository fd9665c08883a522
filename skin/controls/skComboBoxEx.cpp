// The extended skinned combo box: items with a caption, images and an
// indentation kept in a collection and copied into the owner-drawn window,
// drawn in the dropped list and in the closed field.
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/OwnerDrawState.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skComboBoxes.h"

namespace qv {

namespace {
constexpr int kIndentStep = 16;
}

// ---- items ----

TSkComboItem::TSkComboItem(TCollection* Collection) : TCollectionItem(Collection) {
  if (auto* items = dynamic_cast<TSkComboItems*>(Collection)) items->constructing_ = false;
  Changed(true);
}

void TSkComboItem::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed(false);
}

std::string TSkComboItem::DisplayName() const {
  return caption_.empty() ? TCollectionItem::DisplayName() : caption_;
}

TSkComboItems::TSkComboItems(TSkCustomComboBoxEx* Combo)
    : TCollection(ItemClass<TSkComboItem>(), Combo), combo_(Combo) {}

TSkComboItem* TSkComboItems::AddItem(const std::string& Caption, int ImageIndex, int SelectedImageIndex,
                                     int OverlayImageIndex, int Indent, void* Data) {
  BeginUpdate();
  TSkComboItem* item = Add();
  item->SetCaption(Caption);
  item->ImageIndex = ImageIndex;
  item->SelectedImageIndex = SelectedImageIndex;
  item->OverlayImageIndex = OverlayImageIndex;
  item->Indend = Indent;
  item->Data = Data;
  EndUpdate();
  return item;
}

void TSkComboItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if (Action == cnAdded) constructing_ = true;
  TCollection::Notify(Item, Action);
}

void TSkComboItems::Update(TCollectionItem* Item) {
  if (constructing_) return;
  TCollection::Update(Item);
  if (combo_) combo_->UpdateItems();
}

// ---- TSkCustomComboBoxEx ----

TSkCustomComboBoxEx::TSkCustomComboBoxEx(TComponent* AOwner)
    : TSkCommonComboBox(AOwner), imagesLink_(std::make_unique<TChangeLink>()) {
  itemsEx_ = std::make_unique<TSkComboItems>(this);
  SetStyle(csDropDown);
  SetStyle(csOwnerDrawFixed);
  imagesLink_->OnChange = [this](TObject*) {
    if (HandleAllocated()) Invalidate();
  };
}

TSkCustomComboBoxEx::~TSkCustomComboBoxEx() {
  Destroying();
  if (images_) images_->UnRegisterChanges(imagesLink_.get());
  if (HandleAllocated()) DestroyHandle();
}

void TSkCustomComboBoxEx::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) {
    images_->UnRegisterChanges(imagesLink_.get());
    images_->RemoveFreeNotification(this);
  }
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(imagesLink_.get());
    images_->FreeNotification(this);
    if (ItemHeight() < images_->Height()) SetItemHeight(images_->Height());
  }
  UpdateMargins();
  if (HandleAllocated()) Invalidate();
}

void TSkCustomComboBoxEx::Notification(TComponent* AComponent, TOperation Operation) {
  TSkCommonComboBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;
    UpdateMargins();
  }
}

void TSkCustomComboBoxEx::CreateWnd() {
  const int wanted = itemIndex_;
  TSkCommonComboBox::CreateWnd();
  itemsPending_ = true;
  UpdateItems();
  // The index chosen before the window existed, now that the items are there.
  if (wanted >= 0 && wanted < Items()->Count()) SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(wanted), 0);
}

void TSkCustomComboBoxEx::UpdateItems() {
  if (!HandleAllocated() || ComponentState().Contains(csDestroying)) {
    itemsPending_ = true;
    return;
  }
  if (itemsEx_->UpdateCount() > 0) return;
  itemsPending_ = false;
  const int keep = ItemIndex();
  Items()->BeginUpdate();
  Items()->Clear();
  for (int i = 0; i < itemsEx_->Count(); ++i) {
    TSkComboItem* item = itemsEx_->Items(i);
    Items()->AddObject(item->Caption(), item);
  }
  Items()->EndUpdate();
  if (keep >= 0 && keep < itemsEx_->Count()) SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(keep), 0);
}

TSkComboItem* TSkCustomComboBoxEx::ItemOf(int Index) {
  if (!HandleAllocated() || Index < 0 || Index >= Items()->Count()) return nullptr;
  return static_cast<TSkComboItem*>(static_cast<void*>(Items()->Objects(Index)));
}

int TSkCustomComboBoxEx::ItemImage(int Index, bool Selected, bool InList) {
  TSkComboItem* item = ItemOf(Index);
  if (!images_ || !item) return -1;
  if (Selected && InList && item->SelectedImageIndex >= 0) return item->SelectedImageIndex;
  return item->ImageIndex;
}

RECT TSkCustomComboBoxEx::ImageRect(int Index, const RECT& R, bool InList) {
  if (!images_) return RECT{};
  const int w = images_->Width(), h = images_->Height();
  // In the closed field the margin comes from the control's height, in the
  // list from the row's, so that an image stays inside its row.
  const int room = InList ? int(R.bottom - R.top) : Height();
  const int margin = (room - h) / 2;
  RECT r{R.left + std::max(0, margin), R.top + std::max(0, InList ? margin : (int(R.bottom - R.top) - h) / 2),
         0, 0};
  TSkComboItem* item = ItemOf(Index);
  if (InList && item && item->Indend >= 1) r.left += item->Indend * kIndentStep;
  r.right = r.left + w;
  r.bottom = r.top + h;
  return r;
}

void TSkCustomComboBoxEx::PaintItem(TCanvas* C, int Index, RECT R, TOwnerDrawState State, bool InList) {
  const bool selected = State.Contains(odSelected);
  C->Font()->Assign(Font());
  if (InList && selected) {
    C->Brush()->SetColor(clHighlight);
    C->Font()->SetColor(clHighlightText);
  } else {
    C->Brush()->SetColor(Color());
    if (!InList && DroppedDown() && !skinData_->Skinned()) C->Brush()->SetColor(clHighlight);
  }
  C->Brush()->SetStyle(bsSolid);
  C->FillRect(R);
  TSkComboItem* item = ItemOf(Index);
  if (!item) return;
  const int image = ItemImage(Index, selected, InList);
  RECT ir = ImageRect(Index, R, InList);
  if (images_ && image >= 0 && !IsRectEmpty(&ir)) images_->Draw(C, ir.left, ir.top, image, Enabled());
  RECT tr = R;
  tr.left = IsRectEmpty(&ir) ? R.left + 3 : ir.right + 5;
  if (!InList && State.Contains(odFocused)) C->Font()->SetColor(clHighlightText);
  C->Brush()->SetStyle(bsClear);
  std::string text = item->Caption();
  C->TextRect(tr, text, TTextFormat{tfLeft, tfVerticalCenter, tfSingleLine, tfEndEllipsis});
  if (InList && selected) C->DrawFocusRect(R);
}

void TSkCustomComboBoxEx::DrawItem(int Index, const RECT& Rect, TOwnerDrawState State) {
  if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
  const bool inField = State.Contains(odComboBoxEdit);
  RECT r = Rect;
  if (inField) r.right = std::max(r.left, r.right - 3);
  PaintItem(canvas_.get(), Index, r, State, !inField);
}

void TSkCustomComboBoxEx::DrawSelectedInField(TCanvas* C, const RECT& R) {
  const int i = ItemIndex();
  if (i < 0) return;
  TOwnerDrawState state;
  if (Focused() || FocusedInside()) state.Include(odFocused);
  PaintItem(C, i, R, state, false);
}

void TSkCustomComboBoxEx::UpdateMargins() {
  const HWND edit = EditHandle();
  if (!edit) return;
  const int margin = images_ && ItemIndex() >= 0 ? images_->Width() : 0;
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(margin, 0));
}

void TSkCustomComboBoxEx::Change() {
  UpdateMargins();
  TSkCommonComboBox::Change();
}

}  // namespace qv
