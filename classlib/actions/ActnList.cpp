// Actions and action lists: properties pushed to every linked client, the
// update-then-execute rule, radio groups of actions, shortcuts and the idle
// update of a list.
#include "classlib/actions/ActnList.h"

#include <algorithm>

#include "classlib/graphics/ImageList.h"

namespace qv {

// ---- TContainedAction ----

TContainedAction::~TContainedAction() {
  if (actionList_) actionList_->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == actionList_) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

int TContainedAction::Index() const {
  if (!actionList_) return -1;
  for (int i = 0; i < actionList_->ActionCount(); ++i)
    if (actionList_->Actions(i) == this) return i;
  return -1;
}

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

// ---- TCustomAction ----

template <class F>
void TCustomAction::ForLinks(F f) {
  auto links = Links();  // a client may drop its link while it follows
  for (TBasicActionLink* l : links)
    if (std::find(Links().begin(), Links().end(), l) != Links().end())
      if (auto* link = dynamic_cast<TActionLink*>(l)) f(link);
}

void TCustomAction::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  ForLinks([&](TActionLink* l) { l->SetCaption(Value); });
}

void TCustomAction::SetHint(const std::string& Value) {
  if (hint_ == Value) return;
  hint_ = Value;
  ForLinks([&](TActionLink* l) { l->SetHint(Value); });
}

void TCustomAction::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  ForLinks([&](TActionLink* l) { l->SetImageIndex(Value); });
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
  shortCut_ = Value;
  ForLinks([&](TActionLink* l) { l->SetShortCut(Value); });
}

void TCustomAction::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  ForLinks([&](TActionLink* l) { l->SetEnabled(Value); });
}

void TCustomAction::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  if (Value && groupIndex_ > 0 && ActionList())
    for (int i = 0; i < ActionList()->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  ForLinks([&](TActionLink* l) { l->SetChecked(Value); });
}

void TCustomAction::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  ForLinks([&](TActionLink* l) { l->SetVisible(Value); });
}

void TCustomAction::SetGroupIndex(int Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  ForLinks([&](TActionLink* l) { l->SetGroupIndex(Value); });
}

bool TCustomAction::Execute() {
  Update();
  if (!enabled_) return false;
  if (AutoCheck) SetChecked(!checked_);
  return TContainedAction::Execute();
}

void TCustomAction::SyncLink(TBasicActionLink* Link) {
  auto* l = dynamic_cast<TActionLink*>(Link);
  if (!l) return;
  l->SetCaption(caption_);
  l->SetHint(hint_);
  l->SetImageIndex(imageIndex_);
  l->SetShortCut(shortCut_);
  l->SetGroupIndex(groupIndex_);
  l->SetChecked(checked_);
  l->SetEnabled(enabled_);
  l->SetVisible(visible_);
}

// ---- TCustomActionList ----

TCustomActionList::~TCustomActionList() {
  while (!actions_.empty()) delete actions_.back();  // each leaves the list
}

TContainedAction* TCustomActionList::Actions(int Index) const {
  if (Index < 0 || Index >= ActionCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return actions_[std::size_t(Index)];
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  if (!Action || std::find(actions_.begin(), actions_.end(), Action) != actions_.end()) return;
  if (Action->actionList_) Action->actionList_->RemoveAction(Action);
  actions_.push_back(Action);
  Action->actionList_ = this;
  if (OnChange) OnChange(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  if (it == actions_.end()) return;
  actions_.erase(it);
  Action->actionList_ = nullptr;
  if (OnChange && !ComponentState().Contains(csDestroying)) OnChange(this);
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (images_) images_->FreeNotification(this);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TActionListBase::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  if (State != asNormal) return true;  // suspended: the actions keep their state
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

// The first action with the shortcut decides: enabled after its update, it
// runs and takes the key; disabled, the key goes on to the focused control.
bool TCustomActionList::IsShortCut(WORD Key, TShiftState Shift) {
  if (State == asSuspended) return false;
  TShortCut sc = ::qv::ShortCut(Key, Shift);
  if (sc == scNone) return false;
  auto actions = actions_;
  for (TContainedAction* a : actions) {
    auto* action = dynamic_cast<TCustomAction*>(a);
    if (!action || action->ShortCut() != sc) continue;
    if (std::find(actions_.begin(), actions_.end(), a) == actions_.end()) continue;
    action->Update();
    if (std::find(actions_.begin(), actions_.end(), a) == actions_.end()) return true;
    if (!action->Enabled() || !action->Visible()) return false;
    action->Execute();
    return true;
  }
  return false;
}

void TCustomActionList::UpdateActions() {
  if (State != asNormal) return;
  auto actions = actions_;
  for (TContainedAction* a : actions) {
    if (std::find(actions_.begin(), actions_.end(), a) != actions_.end()) a->Update();
  }
}

}  // namespace qv
