// TBasicAction and its links: registration both ways, so that whichever
// goes first (action or client) leaves no dangling pointer behind.
#include "classlib/controls/BasicAction.h"

#include <algorithm>

#include "classlib/controls/Control.h"

namespace qv {

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  auto links = links_;
  links_.clear();
  for (auto* link : links) link->action_ = nullptr;
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) {
  if (Link && std::find(links_.begin(), links_.end(), Link) == links_.end()) links_.push_back(Link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link) {
  std::erase(links_, Link);
}

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = Value;
  if (action_) {
    action_->RegisterChanges(this);
    action_->SyncLink(this);
  }
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  TBasicAction* a = action_;
  if (!a) return false;
  a->SetActionComponent(AComponent);
  bool done = false;
  try {
    done = a->Execute();
  } catch (...) {
    if (action_ == a) a->SetActionComponent(nullptr);
    throw;
  }
  if (action_ == a) a->SetActionComponent(nullptr);
  return done;
}

bool TBasicActionLink::Update() {
  return action_ && action_->Update();
}

TControlActionLink::TControlActionLink(TControl* AClient) : TActionLink(AClient), control_(AClient) {}

void TControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) control_->SetCaption(Value);
}

void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) control_->SetEnabled(Value);
}

void TControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) control_->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) control_->SetVisible(Value);
}

}  // namespace qv
