// Ownership, destruction order and free notification of components, and the
// collection's change reporting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/Collection.h"
#include "classlib/Component.h"

namespace qv {
namespace {

std::vector<std::string> journal;

// Records its own end and every removal it hears of.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
  ~Probe() override { journal.push_back("free " + Name()); }
  TComponent* watched = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == watched) {
      journal.push_back(Name() + " lost " + c->Name());
      watched = nullptr;
    }
  }
};

TEST(Component, OwnerFreesOwnedLastFirstAndChildLeavesOwner) {
  journal.clear();
  auto* root = new Probe(nullptr, "Root");
  auto* a = new Probe(root, "A");
  new Probe(root, "B");
  new Probe(root, "C");
  new Probe(a, "A1");
  EXPECT_EQ(root->ComponentCount(), 3);
  EXPECT_EQ(root->FindComponent("b")->Name(), "B");

  delete a;  // leaves its owner at once, taking its own components along
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->FindComponent("A"), nullptr);
  delete root;  // the derived destructor body runs first, then the owned ones go, last first
  EXPECT_EQ(journal, (std::vector<std::string>{"free A", "free A1", "free Root", "free C", "free B"}));
}

TEST(Component, FreeNotificationTellsPartnersBothWays) {
  journal.clear();
  auto* form = new Probe(nullptr, "Form");
  auto* list = new Probe(nullptr, "List");
  auto* user = new Probe(form, "User");
  user->watched = list;
  user->FreeNotification(list);
  EXPECT_TRUE(list->ComponentState().Contains(csFreeNotification));
  delete list;
  EXPECT_EQ(user->watched, nullptr);
  EXPECT_FALSE(user->ComponentState().Contains(csFreeNotification));

  // Removed links are not used: no notification reaches a freed partner.
  auto* other = new Probe(nullptr, "Other");
  user->FreeNotification(other);
  user->RemoveFreeNotification(other);
  delete user;
  delete other;
  delete form;
  EXPECT_EQ(journal, (std::vector<std::string>{"free List", "User lost List", "free User", "free Other",
                                               "free Form"}));
}

TEST(Component, OwnerHearsInsertAndRemoveAndNamesAreChecked) {
  struct Owner : TComponent {
    using TComponent::TComponent;
    std::vector<std::string> heard;
    void Notification(TComponent* c, TOperation op) override {
      TComponent::Notification(c, op);
      if (!c->Name().empty()) heard.push_back((op == opInsert ? "+" : "-") + c->Name());
    }
  } owner(nullptr);
  auto* child = new TComponent(nullptr);
  child->SetName("Edit1");
  owner.InsertComponent(child);
  auto* twin = new TComponent(&owner);
  EXPECT_THROW(twin->SetName("EDIT1"), EComponentError);
  EXPECT_THROW(twin->SetName("1bad"), EComponentError);
  owner.RemoveComponent(child);
  EXPECT_EQ(child->Owner(), nullptr);
  delete child;
  EXPECT_EQ(owner.heard, (std::vector<std::string>{"+Edit1", "-Edit1"}));
  owner.Destroying();
  EXPECT_TRUE(twin->ComponentState().Contains(csDestroying));
}

TEST(Component, LoadingStateEndsWithLoaded) {
  struct Loadable : TComponent {
    using TComponent::TComponent;
    int loaded = 0;
    void Loaded() override {
      TComponent::Loaded();
      ++loaded;
    }
  };
  Loadable parent(nullptr);
  auto* child = new Loadable(&parent);
  parent.BeginLoading();
  EXPECT_TRUE(child->ComponentState().Contains(csLoading));
  parent.EndLoading();
  EXPECT_FALSE(parent.ComponentState().Contains(csLoading));
  EXPECT_EQ(parent.loaded + child->loaded, 2);
}

TEST(Persistent, AssignBetweenUnrelatedClassesFailsWithBothNames) {
  class TThing : public TPersistent {};
  class TOther : public TPersistent {};
  TThing thing;
  TOther other;
  try {
    other.Assign(&thing);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TThing to a TOther");
  }
}

struct Column : TCollectionItem {
  using TCollectionItem::TCollectionItem;
  std::string caption;
  void SetCaption(const std::string& c) {
    caption = c;
    Changed(false);
  }
};

TEST(Collection, ItemsKeepIdsAndReportChangesOncePerUpdate) {
  TCollection cols(TCollection::ItemClass<Column>());
  std::vector<TCollectionItem*> updates;
  cols.OnUpdate = [&](TCollection*, TCollectionItem* item) { updates.push_back(item); };
  auto* a = static_cast<Column*>(cols.Add());
  auto* b = static_cast<Column*>(cols.Add());
  auto* c = static_cast<Column*>(cols.Insert(0));
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(b->Index(), 2);
  EXPECT_EQ(c->ID(), 2);
  EXPECT_EQ(cols.FindItemID(1), b);

  updates.clear();
  a->SetCaption("Name");
  EXPECT_EQ(updates, std::vector<TCollectionItem*>{a});

  updates.clear();
  cols.BeginUpdate();
  cols.Delete(0);
  b->SetCaption("Size");
  cols.EndUpdate();
  EXPECT_EQ(updates, std::vector<TCollectionItem*>{nullptr});
  EXPECT_EQ(cols.Count(), 2);
  EXPECT_THROW(cols.Items(2), EListError);

  delete a;  // an item freed directly leaves the collection
  EXPECT_EQ(cols.Count(), 1);
  EXPECT_EQ(cols.Items(0), b);
}

}  // namespace
}  // namespace qv
