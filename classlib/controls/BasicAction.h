// Actions as the control core sees them: TBasicAction (OnExecute,
// OnUpdate), the links that tie a client (control, menu item, tool button)
// to an action, TControlActionLink that controls and buttons reuse, and
// TActionListBase, through which forms reach the action lists of
// classlib/actions for shortcuts and idle updates.
//
// An action pushes each property to its links (SetCaption, SetEnabled ...);
// a link applies those it is linked for to its client. A client class that
// follows more properties (a check box's Checked, a tool button's
// ImageIndex) derives its own link from TControlActionLink and returns it
// from TControl::CreateActionLink.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "classlib/Component.h"
#include "classlib/controls/ControlTypes.h"
#include "classlib/controls/ShortCuts.h"

namespace qv {

class TBasicActionLink;
class TControl;

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Runs OnExecute; false when there is none.
  virtual bool Execute();
  // Runs OnUpdate; false when there is none.
  virtual bool Update();
  // The client executing the action, while Execute runs.
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* Value) { actionComponent_ = Value; }

  void RegisterChanges(TBasicActionLink* Link);
  void UnRegisterChanges(TBasicActionLink* Link);
  // Brings a link just attached up to date with the action's properties.
  virtual void SyncLink(TBasicActionLink* Link) { (void)Link; }
  const std::vector<TBasicActionLink*>& Links() const { return links_; }

  TNotifyEvent OnExecute, OnUpdate;

 private:
  std::vector<TBasicActionLink*> links_;
  TComponent* actionComponent_ = nullptr;
};

class TBasicActionLink : public TObject {
 public:
  explicit TBasicActionLink(TObject* AClient) : client_(AClient) {}
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* Value);
  TObject* Client() const { return client_; }
  // Executes the action for `AComponent` (its ActionComponent meanwhile).
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();

 private:
  friend class TBasicAction;
  TObject* client_;
  TBasicAction* action_ = nullptr;
};

// A link that follows the action's common properties.
class TActionLink : public TBasicActionLink {
 public:
  using TBasicActionLink::TBasicActionLink;
  virtual bool IsCaptionLinked() { return Action() != nullptr; }
  virtual bool IsCheckedLinked() { return Action() != nullptr; }
  virtual bool IsEnabledLinked() { return Action() != nullptr; }
  virtual bool IsGroupIndexLinked() { return Action() != nullptr; }
  virtual bool IsHintLinked() { return Action() != nullptr; }
  virtual bool IsImageIndexLinked() { return Action() != nullptr; }
  virtual bool IsShortCutLinked() { return Action() != nullptr; }
  virtual bool IsVisibleLinked() { return Action() != nullptr; }
  virtual void SetCaption(const std::string& Value) { (void)Value; }
  virtual void SetChecked(bool Value) { (void)Value; }
  virtual void SetEnabled(bool Value) { (void)Value; }
  virtual void SetGroupIndex(int Value) { (void)Value; }
  virtual void SetHint(const std::string& Value) { (void)Value; }
  virtual void SetImageIndex(int Value) { (void)Value; }
  virtual void SetShortCut(TShortCut Value) { (void)Value; }
  virtual void SetVisible(bool Value) { (void)Value; }
};

// Caption, Enabled, Hint and Visible of a control follow its action.
class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TControl* AClient);
  TControl* ClientControl() const { return control_; }
  void SetCaption(const std::string& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const std::string& Value) override;
  void SetVisible(bool Value) override;

 private:
  TControl* control_;
};

// What forms ask of an action list: its shortcuts (an enabled action whose
// shortcut it is runs and consumes the key) and the idle update.
class TActionListBase : public TComponent {
 public:
  using TComponent::TComponent;
  virtual bool IsShortCut(WORD Key, TShiftState Shift) = 0;
  virtual void UpdateActions() = 0;
};

}  // namespace qv
