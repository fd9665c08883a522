// TCollection and TCollectionItem: an owned, ordered list of items that tells
// the collection (Update) whenever an item or the whole list changes, with
// BeginUpdate/EndUpdate batching those calls into one.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "classlib/Object.h"

namespace qv {

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  // Joins Collection (when not null) at the end.
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;  // leaves the collection

  TCollection* Collection() const { return collection_; }
  void SetCollection(TCollection* Value);  // moves the item to another collection
  int Index() const;
  void SetIndex(int Value);  // moves the item within its collection
  int ID() const { return id_; }
  virtual std::string DisplayName() const;
  TPersistent* GetOwner() override;

 protected:
  // Tells the collection that this item (or, with AllItems, everything) changed.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
 public:
  using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
  // Add and Insert create items with the factory; ItemClass<T>() makes one for
  // an item class constructible from the collection.
  explicit TCollection(ItemFactory factory, TPersistent* owner = nullptr);
  ~TCollection() override;  // frees the items
  template <class T>
  static ItemFactory ItemClass() {
    return [](TCollection* c) -> TCollectionItem* { return new T(c); };
  }

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);  // frees the item
  void Clear();
  int Count() const { return int(items_.size()); }
  TCollectionItem* Items(int Index) const;  // EListError when out of range
  TCollectionItem* FindItemID(int ID) const;
  void Exchange(int Index1, int Index2);

  void BeginUpdate();
  void EndUpdate();  // the last one calls Changed
  int UpdateCount() const { return updateCount_; }
  void Assign(TPersistent* Source) override;  // copies item by item through Assign
  TPersistent* GetOwner() override { return owner_; }

  // Called after each change when not updating: Item is the changed item, or
  // null when the list itself changed.
  std::function<void(TCollection* Sender, TCollectionItem* Item)> OnUpdate;

 protected:
  virtual void Update(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  ItemFactory factory_;
  TPersistent* owner_ = nullptr;
  std::vector<TCollectionItem*> items_;  // owned
  int nextId_ = 0;
  int updateCount_ = 0;
};

}  // namespace qv
