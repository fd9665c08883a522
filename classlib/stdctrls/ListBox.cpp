// TCustomListBox: the window's styles, its items through messages (kept in a
// string list while there is no window), selection, and the owner-draw and
// notification messages reflected back from the parent.
#include "classlib/stdctrls/ListBox.h"

#include "classlib/SysUtils.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/ReflectedMessages.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/Utf.h"
#include "platform/controls/ListBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/MessageQueue.h"

namespace qv {

// ---- TListBoxStrings ----

TListBoxStrings::TListBoxStrings(TCustomListBox* ListBox)
    : TWindowItemStrings(
          ListBox, ListBox->saved_,
          {LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_GETITEMDATA, LB_SETITEMDATA, LB_ADDSTRING,
           LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_FINDSTRINGEXACT}) {}

// ---- TCustomListBox ----

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TListBoxStrings>(this)),
      saved_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  // Clicks come from the window's selection notifications, not from raw mouse input.
  ControlStyle() = TControlStyle{csSetCaption, csOpaque};
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() {
  Destroying();
  DestroyComponents();
  if (HandleAllocated()) DestroyHandle();
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"LISTBOX");
  Params.Style |= WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | WS_TABSTOP;
  if (!integralHeight_) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (sorted_) Params.Style |= LBS_SORT;
  if (multiSelect_) Params.Style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (style_ == lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED;
  if (style_ == lbOwnerDrawVariable) Params.Style |= LBS_OWNERDRAWVARIABLE;
  if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  Params.Style &= ~WS_HSCROLL;
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageW(h, WM_SETREDRAW, FALSE, 0);
  items_->MoveSavedToWindow(sorted_);
  SendMessageW(h, WM_SETREDRAW, TRUE, 0);
  if (savedIndex_ >= 0) SetItemIndex(savedIndex_);
  savedIndex_ = -1;
}

void TCustomListBox::DestroyWnd() {
  if (WindowHandle()) {
    items_->SaveWindowItems();
    savedIndex_ = ItemIndex();
  }
  TWinControl::DestroyWnd();
}

int TCustomListBox::ItemIndex() {
  if (!HandleAllocated()) return savedIndex_;
  if (multiSelect_) return int(SendMessageW(WindowHandle(), LB_GETCARETINDEX, 0, 0));
  return int(SendMessageW(WindowHandle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int Value) {
  if (!HandleAllocated()) return void(savedIndex_ = Value);
  if (ItemIndex() == Value && !multiSelect_) return;
  if (multiSelect_)
    SendMessageW(WindowHandle(), LB_SETCARETINDEX, WPARAM(Value), 0);
  else
    SendMessageW(WindowHandle(), LB_SETCURSEL, WPARAM(Value), 0);
}

bool TCustomListBox::Selected(int Index) {
  LRESULT r = SendMessageW(Handle(), LB_GETSEL, WPARAM(Index), 0);
  if (r < 0) throw ListIndexError(Index);
  return r != 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (Index < 0 || Index >= Count()) throw ListIndexError(Index);
  if (multiSelect_)
    SendMessageW(Handle(), LB_SETSEL, Value, LPARAM(Index));
  else if (Value)
    SendMessageW(Handle(), LB_SETCURSEL, WPARAM(Index), 0);
  else if (ItemIndex() == Index)
    SendMessageW(Handle(), LB_SETCURSEL, WPARAM(-1), 0);
}

int TCustomListBox::SelCount() {
  if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
  return int(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::SelectAll() {
  if (multiSelect_) SendMessageW(Handle(), LB_SETSEL, TRUE, -1);
}

void TCustomListBox::ClearSelection() {
  if (multiSelect_)
    SendMessageW(Handle(), LB_SETSEL, FALSE, -1);
  else
    SetItemIndex(-1);
}

void TCustomListBox::DeleteSelected() {
  for (int i = Count() - 1; i >= 0; --i)
    if (Selected(i)) items_->Delete(i);
}

int TCustomListBox::TopIndex() {
  return int(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int Value) {
  SendMessageW(Handle(), LB_SETTOPINDEX, WPARAM(Value), 0);
}

int TCustomListBox::ItemAtPos(POINT Pos, bool Existing) {
  int n = Count();
  for (int i = TopIndex(); i < n; ++i) {
    RECT r = ItemRect(i);
    if (r.top >= ClientHeight()) break;
    if (PtInRect(&r, Pos)) return i;
  }
  return Existing ? -1 : n;
}

RECT TCustomListBox::ItemRect(int Index) {
  RECT r{};
  SendMessageW(Handle(), LB_GETITEMRECT, WPARAM(Index), LPARAM(&r));
  return r;
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (multiSelect_ == Value) return;
  multiSelect_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (extendedSelect_ == Value) return;
  extendedSelect_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  saved_->SetSorted(Value);
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (integralHeight_ == Value) return;
  integralHeight_ = Value;
  RecreateWnd();
}

int TCustomListBox::ItemHeight() {
  if (style_ == lbStandard && HandleAllocated())
    return int(SendMessageW(WindowHandle(), LB_GETITEMHEIGHT, 0, 0));
  return itemHeight_;
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || itemHeight_ == Value) return;
  itemHeight_ = Value;
  if (style_ == lbOwnerDrawFixed) RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TCustomListBox::DrawItem(int Index, const RECT& Rect, TOwnerDrawState State) {
  if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
  DrawItemText(*canvas_, Rect, items_.get(), Index);
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::HandleMeasureItem(TMessage& M) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
  int height = itemHeight_;
  if (style_ == lbOwnerDrawVariable) MeasureItem(int(mis->itemID), height);
  mis->itemHeight = UINT(std::max(1, height));
  M.Result = TRUE;
}

void TCustomListBox::HandleCommand(TMessage& M) {
  switch (HIWORD(M.WParam)) {
    case LBN_SELCHANGE:
      Click();
      break;
    case LBN_DBLCLK:
      DblClick();
      break;
  }
}

void TCustomListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      return HandleCommand(M);
    case CN_DRAWITEM:
      return DrawOwnerItem(this, *canvas_, M,
                           [this](int i, const RECT& r, TOwnerDrawState s) { DrawItem(i, r, s); });
    case CN_MEASUREITEM:
      return HandleMeasureItem(M);
    case CN_CTLCOLORLISTBOX:
      return AnswerControlColours(this, M);
  }
  TWinControl::Dispatch(M);
}

}  // namespace qv
