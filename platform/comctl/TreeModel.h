// The item tree behind a tree view: linked siblings, and per item the number
// of rows its subtree shows, kept up to date on every insert, delete, expand
// and collapse (O(depth) each) so that scrolling, painting and hit testing
// never walk the whole tree. Internal to the library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/comctl/TreeView.h"

namespace qv::tree {

struct Item {
  Item* parent = nullptr;
  Item* first = nullptr;
  Item* last = nullptr;
  Item* next = nullptr;
  Item* prev = nullptr;
  std::u16string text;
  bool textCallback = false;
  int image = 0, selectedImage = 0;
  UINT state = 0;  // TVIS_* bits, the overlay and state-image indexes
  LPARAM param = 0;
  int children = 0;  // cChildren: 0, 1 or I_CHILDRENCALLBACK
  int level = -1;
  int childCount = 0;
  int sub = 0;     // rows shown by the children when this item is expanded
  int width = -1;  // label width, measured when first needed
  int widthGeneration = 0;
  bool dying = false;

  bool Expanded() const { return state & TVIS_EXPANDED; }
  // Rows this item and its subtree take when the item itself is shown.
  int Rows() const { return 1 + (Expanded() ? sub : 0); }
  HTREEITEM Handle() { return reinterpret_cast<HTREEITEM>(this); }
};

class Model {
 public:
  Model();
  ~Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  Item* Root() { return &root_; }
  // Counts changes of the shown order (inserts, deletes, expansion, sorting).
  uint64_t Generation() const { return generation_; }
  // The live item of a handle; TVI_ROOT gives the root; null otherwise.
  Item* Find(HTREEITEM h);
  Item* FindItem(HTREEITEM h);  // a real item only (not the root)
  int Count() const { return int(live_.size()); }
  int TotalRows() const { return root_.sub; }

  // Links a new item under parent after `after` (null = first). The caller
  // has chosen the position.
  Item* Insert(Item* parent, Item* after);
  // Unlinks and frees a childless item.
  void Erase(Item* item);
  void SetExpanded(Item* item, bool expanded);

  // Whether every ancestor is expanded.
  static bool IsShown(const Item* item);
  static Item* NextShown(Item* item);
  static Item* PrevShown(Item* item);
  static Item* LastShown(Item* root);
  // The item at a row (0 = first shown item), null past the end.
  Item* AtRow(int row);
  // The row of a shown item.
  static int RowOf(const Item* item);
  // Moves the children of parent into the order of `less`.
  template <class Less>
  void SortChildren(Item* parent, Less less);

 private:
  // Adds delta to the rows of item's ancestors as far as they show them.
  static void AddRows(Item* item, int delta);
  void Link(Item* item, Item* parent, Item* after);
  void Unlink(Item* item);

  Item root_;
  std::unordered_set<Item*> live_;
  uint64_t generation_ = 0;
};

template <class Less>
void Model::SortChildren(Item* parent, Less less) {
  std::vector<Item*> kids;
  kids.reserve(size_t(parent->childCount));
  for (Item* c = parent->first; c; c = c->next) kids.push_back(c);
  std::stable_sort(kids.begin(), kids.end(), less);
  ++generation_;
  Item* prev = nullptr;
  for (Item* c : kids) {
    c->prev = prev;
    c->next = nullptr;
    if (prev)
      prev->next = c;
    else
      parent->first = c;
    prev = c;
  }
  parent->last = prev;
}

}  // namespace qv::tree
