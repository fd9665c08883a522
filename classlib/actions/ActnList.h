// Actions and action lists: TContainedAction (an action in a list),
// TCustomAction/TAction (caption, hint, image, shortcut, enabled, checked,
// visible, group; every change reaches the linked menu items, buttons and
// tool buttons), TCustomActionList/TActionList (images, the list's own
// OnExecute/OnUpdate, shortcuts, the idle update) and TActionManager.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "classlib/controls/BasicAction.h"

namespace qv {

class TCustomImageList;
class TCustomActionList;

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TContainedAction : public TBasicAction {
 public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TContainedAction() override;
  TCustomActionList* ActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* Value);
  int Index() const;
  std::string Category;

  // The list's OnExecute, then the action's own.
  bool Execute() override;
  // The list's OnUpdate, then the action's own.
  bool Update() override;

 private:
  friend class TCustomActionList;
  TCustomActionList* actionList_ = nullptr;
};

class TCustomAction : public TContainedAction {
 public:
  explicit TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Checked() const { return checked_; }
  // Checking an action of a group (GroupIndex > 0) unchecks the others of its list.
  void SetChecked(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  bool AutoCheck = false;  // executing toggles Checked
  int HelpContext = 0;

  // Runs the update first; an action that is then disabled does nothing.
  bool Execute() override;
  void SyncLink(TBasicActionLink* Link) override;

 private:
  template <class F>
  void ForLinks(F f);

  std::string caption_, hint_;
  int imageIndex_ = -1, groupIndex_ = 0;
  TShortCut shortCut_ = scNone;
  bool enabled_ = true, checked_ = false, visible_ = true;
};

class TAction : public TCustomAction {
 public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

enum TActionListState { asNormal, asSuspended, asSuspendedEnabled };

class TCustomActionList : public TActionListBase {
 public:
  explicit TCustomActionList(TComponent* AOwner) : TActionListBase(AOwner) {}
  // Frees its actions, as their list.
  ~TCustomActionList() override;

  int ActionCount() const { return int(actions_.size()); }
  TContainedAction* Actions(int Index) const;
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TActionListState State = asNormal;

  // The list's handlers; Handled keeps the action's own from running.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

  // TActionListBase
  bool IsShortCut(WORD Key, TShiftState Shift) override;
  void UpdateActions() override;

  TActionEvent OnExecute, OnUpdate;
  TNotifyEvent OnChange;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// The main window's action list. It keeps the style name its toolbars would
// use; no action bars are drawn from it.
class TActionManager : public TCustomActionList {
 public:
  explicit TActionManager(TComponent* AOwner) : TCustomActionList(AOwner) {}
  std::string Style = "XP Style";
};

}  // namespace qv
