// TCustomComboBox: the window's styles, its items through messages (kept in
// a string list while there is no window), the notifications reflected back
// from the parent turned into events, owner drawing and drop-down sizing.
#include "classlib/stdctrls/ComboBox.h"

#include "classlib/controls/Forms.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/ListBox.h"
#include "classlib/stdctrls/ReflectedMessages.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/Utf.h"
#include "platform/controls/ComboBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/MessageQueue.h"

namespace qv {

// ---- TComboBoxStrings ----

TComboBoxStrings::TComboBoxStrings(TCustomComboBox* ComboBox)
    : TWindowItemStrings(
          ComboBox, ComboBox->saved_,
          {CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETITEMDATA, CB_SETITEMDATA, CB_ADDSTRING,
           CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_FINDSTRINGEXACT}),
      combo_(ComboBox) {}

void TComboBoxStrings::Clear() {
  if (!combo_->HandleAllocated()) combo_->savedIndex_ = -1;
  TWindowItemStrings::Clear();
}

void TComboBoxStrings::InsertFailed(int) const {
  throw NoStorageError();
}

void TComboBoxStrings::SetUpdateState(bool Updating) {
  if (!combo_->HandleAllocated()) return;
  HWND h = combo_->WindowHandle();
  SendMessageW(h, WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
  HWND list = combo_->ListHandle();
  if (list) SendMessageW(list, WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
  if (!Updating) combo_->Invalidate();
}

// ---- TCustomComboBox ----

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TComboBoxStrings>(this)),
      saved_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  // The window captures the mouse itself while its list is down.
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() {
  Destroying();
  DestroyComponents();
  if (HandleAllocated()) DestroyHandle();
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"COMBOBOX");
  static const DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                  CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                  CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | kStyles[style_] | WS_TABSTOP;
  if (sorted_) Params.Style |= CBS_SORT;
  if (charCase_ == ecUpperCase) Params.Style |= CBS_UPPERCASE;
  if (charCase_ == ecLowerCase) Params.Style |= CBS_LOWERCASE;
  if (style_ != csSimple) Params.Height = ItemHeight() * dropDownCount_ + Height() + 2;
}

void TCustomComboBox::CreateWnd() {
  std::string text = Text();
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageW(h, CB_LIMITTEXT, WPARAM(maxLength_), 0);
  if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable)
    SendMessageW(h, CB_SETITEMHEIGHT, 0, itemHeight_);
  items_->MoveSavedToWindow(sorted_);
  if (savedIndex_ >= 0)
    SendMessageW(h, CB_SETCURSEL, WPARAM(savedIndex_), 0);
  else if (Editable() && !text.empty() && Text() != text)
    SetText(text);
  savedIndex_ = -1;
}

void TCustomComboBox::DestroyWnd() {
  HWND h = WindowHandle();
  if (h) {
    items_->SaveWindowItems();
    savedIndex_ = int(SendMessageW(h, CB_GETCURSEL, 0, 0));
  }
  TWinControl::DestroyWnd();
}

void TCustomComboBox::Clear() {
  SetText("");
  items_->Clear();
}

int TCustomComboBox::ItemIndex() {
  if (!HandleAllocated()) return savedIndex_;
  return int(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value) {
  if (!HandleAllocated()) return void(savedIndex_ = Value);
  if (ItemIndex() != Value) SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(Value), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  saved_->SetSorted(Value);
  RecreateWnd();
}

bool TCustomComboBox::DroppedDown() {
  return HandleAllocated() && SendMessageW(WindowHandle(), CB_GETDROPPEDSTATE, 0, 0);
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  SendMessageW(Handle(), CB_SHOWDROPDOWN, Value, 0);
}

int TCustomComboBox::ItemHeight() {
  if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable || !HandleAllocated()) return itemHeight_;
  return int(SendMessageW(WindowHandle(), CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int Value) {
  if (Value <= 0) return;
  itemHeight_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, 0, Value);
}

void TCustomComboBox::SetMaxLength(int Value) {
  maxLength_ = std::max(0, Value);
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_LIMITTEXT, WPARAM(maxLength_), 0);
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  RecreateWnd();
}

void TCustomComboBox::SelectAll() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

HWND TCustomComboBox::EditHandle() {
  COMBOBOXINFO info;
  if (!GetComboBoxInfo(Handle(), &info) || info.hwndItem == info.hwndCombo) return nullptr;
  return info.hwndItem;
}

HWND TCustomComboBox::ListHandle() {
  COMBOBOXINFO info;
  return GetComboBoxInfo(Handle(), &info) ? info.hwndList : nullptr;
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::AdjustDropDown() {
  int count = std::clamp(items_->Count(), 1, dropDownCount_);
  int rows = 0;
  if (style_ == csOwnerDrawVariable) {
    for (int i = 0; i < count; ++i) rows += int(SendMessageW(WindowHandle(), CB_GETITEMHEIGHT, WPARAM(i), 0));
  } else {
    rows = ItemHeight() * count;
  }
  // A taller window request sets the dropped list's height; the field keeps its own.
  SetWindowPos(WindowHandle(), nullptr, 0, 0, Width(), rows + Height() + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::HandleCommand(TMessage& M) {
  auto alive = AliveToken();
  switch (HIWORD(M.WParam)) {
    case CBN_SELCHANGE:
      // The window has already shown the item's text in its field.
      Click();
      if (!alive.expired()) Select();
      break;
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_DROPDOWN:
      DropDown();
      if (!alive.expired() && HandleAllocated()) AdjustDropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      break;
    case CBN_SETFOCUS:
      // The edit child has the focus; the form counts the combo as focused.
      if (Editable())
        if (auto* form = GetParentForm(this)) form->SetFocusedControl(this);
      break;
  }
}

void TCustomComboBox::DrawItem(int Index, const RECT& Rect, TOwnerDrawState State) {
  if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
  DrawItemText(*canvas_, Rect, items_.get(), Index);
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::HandleMeasureItem(TMessage& M) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
  int height = itemHeight_;
  if (style_ == csOwnerDrawVariable && int(mis->itemID) >= 0) MeasureItem(int(mis->itemID), height);
  mis->itemHeight = UINT(std::max(1, height));
  M.Result = TRUE;
}

void TCustomComboBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      return HandleCommand(M);
    case CN_DRAWITEM:
      return DrawOwnerItem(this, *canvas_, M,
                           [this](int i, const RECT& r, TOwnerDrawState s) { DrawItem(i, r, s); });
    case CN_MEASUREITEM:
      return HandleMeasureItem(M);
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLOREDIT:
      return AnswerControlColours(this, M);
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
