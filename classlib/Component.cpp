// TComponent: ownership, naming, free notification and the loading protocol.
#include "classlib/Component.h"

#include <algorithm>
#include <cctype>

#include "classlib/SysUtils.h"

namespace qv {

bool IsValidIdent(const std::string& Ident) {
  if (Ident.empty()) return false;
  auto c0 = static_cast<unsigned char>(Ident[0]);
  if (!(std::isalpha(c0) || c0 == '_')) return false;
  return std::all_of(Ident.begin(), Ident.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u == '_';
  });
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Partners may drop the link while being told, so walk a shrinking list.
  while (!freeNotifies_.empty()) {
    TComponent* partner = freeNotifies_.back();
    DropFreeLink(partner);
    partner->DropFreeLink(this);
    partner->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return components_[size_t(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::SetComponentIndex(int index) {
  if (!owner_) return;
  auto& list = owner_->components_;
  int cur = ComponentIndex();
  index = std::clamp(index, 0, int(list.size()) - 1);
  if (cur < 0 || cur == index) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + index, this);
}

void TComponent::SetName(const std::string& NewName) {
  if (name_ == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("\"" + NewName + "\" is not a valid component name");
  if (owner_)
    owner_->ValidateRename(this, name_, NewName);
  else
    ValidateRename(nullptr, name_, NewName);
  SetNameImpl(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
  if (!AComponent || NewName.empty() || SameText(CurName, NewName)) return;
  TComponent* other = FindComponent(NewName);
  if (other && other != AComponent) throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::SetSubComponent(bool IsSubComponent) {
  if (IsSubComponent)
    style_.Include(csSubComponent);
  else
    style_.Exclude(csSubComponent);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ == this) return;
  ValidateRename(AComponent, "", AComponent->name_);
  if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
  Insert(AComponent);
  if (state_.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, AName)) return c;
  return nullptr;
}

void TComponent::DestroyComponents() {
  // Last first, as the library does; each one leaves the list as it goes.
  while (!components_.empty()) {
    TComponent* last = components_.back();
    RemoveComponent(last);
    delete last;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  // An owner hears of its components' removal anyway.
  if (owner_ != nullptr && AComponent == owner_) return;
  AddFreeLink(AComponent);
  AComponent->AddFreeLink(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  DropFreeLink(AComponent);
  AComponent->DropFreeLink(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Copy: a component told of the removal may free or move others.
  auto owned = components_;
  for (auto it = owned.rbegin(); it != owned.rend(); ++it)
    if (std::find(components_.begin(), components_.end(), *it) != components_.end())
      (*it)->Notification(AComponent, Operation);
}

void TComponent::BeginLoading() {
  state_.Include(csLoading);
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
  for (TComponent* c : components_) c->EndLoading();
  if (!state_.Contains(csLoading)) return;
  state_.Exclude(csLoading);
  Loaded();
}

void TComponent::Loaded() {
  state_.Exclude(csLoading);
}

void TComponent::SetDesigning(bool Value) {
  if (Value)
    state_.Include(csDesigning);
  else
    state_.Exclude(csDesigning);
  for (TComponent* c : components_) c->SetDesigning(Value);
}

void TComponent::SetInline(bool Value) {
  if (Value)
    state_.Include(csInline);
  else
    state_.Exclude(csInline);
}

void TComponent::Insert(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
  auto it = std::find(components_.begin(), components_.end(), AComponent);
  if (it != components_.end()) components_.erase(it);
  AComponent->owner_ = nullptr;
}

void TComponent::AddFreeLink(TComponent* AComponent) {
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
    freeNotifies_.push_back(AComponent);
  state_.Include(csFreeNotification);
}

void TComponent::DropFreeLink(TComponent* AComponent) {
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent);
  if (it != freeNotifies_.end()) freeNotifies_.erase(it);
  if (freeNotifies_.empty()) state_.Exclude(csFreeNotification);
}

}  // namespace qv
