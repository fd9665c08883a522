// TMenuItem: its state, its place in the tree, the platform items it makes
// (one per visible sub-item, rebuilt after a change), clicks, radio groups
// and the link to its action.
#include <algorithm>
#include <set>

#include "classlib/SysUtils.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/menus/Menus.h"
#include "platform/Utf.h"
#include "platform/menus/Menus.h"

namespace qv {
namespace {

// WM_COMMAND carries 16 bits of id: ids are handed out from a pool.
std::set<UINT>& UsedCommands() {
  static std::set<UINT> used;
  return used;
}

UINT NewCommand() {
  auto& used = UsedCommands();
  static UINT next = 1;
  for (UINT tries = 0; tries < 0xFFFF; ++tries) {
    UINT id = next;
    next = next >= 0xFFFF ? 1 : next + 1;
    if (used.insert(id).second) return id;
  }
  return 0;
}

bool SameCaption(const std::string& a, const std::string& b) {
  return SameText(StripHotkey(a), StripHotkey(b));
}

}  // namespace

std::string StripHotkey(const std::string& Text) {
  std::string out;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') out += '&';
      ++i;
      if (i < Text.size() && Text[i] != '&') out += Text[i];
      continue;
    }
    out += Text[i];
  }
  return out;
}

void InitiateActions(TMenuItem* Item) {
  if (!Item) return;
  for (int i = 0; i < Item->Count(); ++i) Item->Items(i)->InitiateAction();
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NewCommand()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  actionLink_.reset();
  while (!items_.empty()) delete items_.back();  // each leaves the list
  if (parent_) parent_->Remove(this);
  if (handle_) DestroyMenu(handle_);
  UsedCommands().erase(command_);
}

// ---- state ----

void TMenuItem::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  if (Value && radioItem_) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  Changed();
}

void TMenuItem::SetDefault(bool Value) {
  if (default_ == Value) return;
  if (Value && parent_)
    for (TMenuItem* s : parent_->items_) s->default_ = false;
  default_ = Value;
  Changed();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (radioItem_ == Value) return;
  radioItem_ = Value;
  if (checked_ && radioItem_) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetGroupIndex(int Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  if (checked_ && radioItem_) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
  shortCut_ = Value;
  Changed();
}

void TMenuItem::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  Changed();
}

TBitmap* TMenuItem::Bitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

bool TMenuItem::HasBitmap() const {
  return bitmap_ && !bitmap_->Empty();
}

// Only one checked radio item per group among the siblings.
void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* s : parent_->items_)
    if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_ && s->checked_) {
      s->checked_ = false;
      if (s->actionLink_ && s->actionLink_->Action()) s->actionLink_->Action()->Update();
    }
}

// ---- the tree ----

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  return items_[std::size_t(Index)];
}

int TMenuItem::MenuIndex() const {
  return parent_ ? parent_->IndexOf(this) : -1;
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* Item) {
  Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw EMenuError("Menu inserted twice");
  // An item cannot hold itself or its own ancestors, nor a menu's root.
  for (TMenuItem* p = this; p; p = p->parent_)
    if (p == Item) throw EMenuError("Menu inserted into itself");
  if (Item->menu_) throw EMenuError("Menu inserted twice");
  Index = std::clamp(Index, 0, Count());
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  if (Item->checked_ && Item->radioItem_) Item->TurnSiblingsOff();
  Changed();
  RebuildHandle();
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it == items_.end()) return;
  items_.erase(it);
  Item->parent_ = nullptr;
  RebuildHandle();
  Changed();
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  delete item;
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
  for (TMenuItem* i : items_)
    if (SameCaption(i->caption_, ACaption)) return i;
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->parent_) i = i->parent_;
  return i->menu_;
}

TCustomImageList* TMenuItem::GetImageList() const {
  TMenu* m = GetParentMenu();
  return m ? m->Images() : nullptr;
}

bool TMenuItem::IsTopLevelOfMainMenu() const {
  return parent_ && parent_->menu_ && dynamic_cast<TMainMenu*>(parent_->menu_);
}

bool TMenuItem::IsOwnerDraw() const {
  TMenu* m = GetParentMenu();
  return (m && (m->OwnerDraw() || m->Images())) || HasBitmap();
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
}

// ---- platform items ----

HMENU TMenuItem::Handle() {
  if (!handle_) {
    handle_ = menu_ ? menu_->CreateMenuHandle() : CreatePopupMenu();
    RebuildHandle();
  }
  return handle_;
}

void TMenuItem::AppendTo(HMENU Menu) {
  MENUITEMINFOW info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING | MIIM_SUBMENU;
  info.fType = IsLine() ? MFT_SEPARATOR : 0;
  if (IsOwnerDraw()) info.fType |= MFT_OWNERDRAW;
  if (radioItem_) info.fType |= MFT_RADIOCHECK;
  info.fState = (checked_ ? MFS_CHECKED : 0) | (enabled_ ? 0 : MFS_GRAYED) | (default_ ? MFS_DEFAULT : 0);
  info.wID = command_;
  info.dwItemData = uintptr_t(this);
  std::string text = caption_;
  if (shortCut_ != scNone && !IsTopLevelOfMainMenu()) text += "\t" + ShortCutToText(shortCut_);
  std::u16string wide = Utf8ToUtf16(text);
  info.dwTypeData = wide.data();
  info.hSubMenu = Count() > 0 ? Handle() : nullptr;
  InsertMenuItemW(Menu, 0xFFFFFFFF, TRUE, &info);
}

void TMenuItem::RebuildHandle() {
  if (!handle_ || rebuilding_ || ComponentState().Contains(csDestroying)) return;
  rebuilding_ = true;
  for (int n = GetMenuItemCount(handle_); n > 0; --n) RemoveMenu(handle_, UINT(n - 1), MF_BYPOSITION);
  for (TMenuItem* i : items_)
    if (i->visible_) i->AppendTo(handle_);
  rebuilding_ = false;
}

void TMenuItem::Changed() {
  if (ComponentState().Contains(csDestroying)) return;
  if (parent_) parent_->RebuildHandle();
  if (TMenu* m = GetParentMenu()) m->MenuChanged(this);
}

// ---- clicks and actions ----

void TMenuItem::Click() {
  if (!enabled_) return;
  if (AutoCheck) SetChecked(!checked_);
  if (OnClick)
    OnClick(this);
  else if (actionLink_ && actionLink_->Action())
    actionLink_->Execute(this);
}

TBasicAction* TMenuItem::Action() const {
  return actionLink_ ? actionLink_->Action() : nullptr;
}

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TMenuActionLink>(this);
  actionLink_->SetAction(Value);
}

void TMenuItem::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

void TMenuActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) item_->SetCaption(Value);
}
void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) item_->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) item_->SetEnabled(Value);
}
void TMenuActionLink::SetGroupIndex(int Value) {
  if (IsGroupIndexLinked()) item_->SetGroupIndex(Value);
}
void TMenuActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) item_->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) item_->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) item_->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) item_->SetVisible(Value);
}

}  // namespace qv
