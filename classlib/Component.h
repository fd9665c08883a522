// TComponent: ownership (an owner frees the components it owns, last first),
// names, free notification between components that refer to each other, and
// the component state flags (loading, designing, destroying).
#pragma once
#include <string>
#include <vector>

#include "classlib/Object.h"
#include "platform/Set.h"

namespace qv {

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = Set<TComponentStateItem>;

enum TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = Set<TComponentStyleItem>;

class EComponentError : public Exception {
 public:
  using Exception::Exception;
};

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  // Notifies the free-notification partners, frees the owned components (last
  // first) and leaves the owner. A derived class whose owned components must
  // go while the derived part still exists calls Destroying() and
  // DestroyComponents() in its own destructor.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return int(components_.size()); }
  TComponent* Components(int index) const;  // EListError when out of range
  int ComponentIndex() const;               // position in the owner's list, -1 without owner
  void SetComponentIndex(int index);

  const std::string& Name() const { return name_; }
  // Raises EComponentError for an invalid identifier or a name already used
  // by another component of the same owner (case-insensitive).
  void SetName(const std::string& NewName);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }

  const TComponentState& ComponentState() const { return state_; }
  const TComponentStyle& ComponentStyle() const { return style_; }
  void SetSubComponent(bool IsSubComponent);

  void InsertComponent(TComponent* AComponent);  // takes ownership
  void RemoveComponent(TComponent* AComponent);  // gives ownership back to the caller
  // The owned component of that name (case-insensitive), or null.
  TComponent* FindComponent(const std::string& AName) const;
  void DestroyComponents();
  void Destroying();  // sets csDestroying here and in every owned component

  // Asks to be told (Notification opRemove) when AComponent is freed; the
  // link is mutual, so AComponent also hears of this component's end.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  TPersistent* GetOwner() override { return owner_; }

  // Loading protocol: BeginLoading sets csLoading; EndLoading clears it and
  // calls Loaded (here and in the owned components).
  void BeginLoading();
  void EndLoading();
  // Called once after construction by whoever builds the component.
  virtual void AfterConstruction() {}

 protected:
  // opInsert/opRemove of AComponent; passed on to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void Loaded();
  virtual void SetNameImpl(const std::string& NewName) { name_ = NewName; }
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
  void SetDesigning(bool Value);
  void SetInline(bool Value);
  TComponentState& State() { return state_; }

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void AddFreeLink(TComponent* AComponent);
  void DropFreeLink(TComponent* AComponent);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;    // owned
  std::vector<TComponent*> freeNotifies_;  // not owned
  std::string name_;
  intptr_t tag_ = 0;
  TComponentState state_;
  TComponentStyle style_;
};

bool IsValidIdent(const std::string& Ident);

}  // namespace qv
