// The item tree behind a tree view and its row bookkeeping.
#include "platform/comctl/TreeModel.h"

#include <algorithm>
#include <vector>

namespace qv::tree {

Model::Model() {
  root_.state = TVIS_EXPANDED;
  root_.level = -1;
}

Model::~Model() {
  for (Item* i : live_) delete i;
}

Item* Model::Find(HTREEITEM h) {
  if (h == TVI_ROOT || h == nullptr) return h == TVI_ROOT ? &root_ : nullptr;
  Item* i = reinterpret_cast<Item*>(h);
  return live_.count(i) ? i : nullptr;
}

Item* Model::FindItem(HTREEITEM h) {
  if (h == TVI_ROOT) return nullptr;
  return Find(h);
}

void Model::AddRows(Item* item, int delta) {
  for (Item* p = item->parent; p && delta; p = p->parent) {
    p->sub += delta;
    if (!p->Expanded()) break;
  }
}

void Model::Link(Item* item, Item* parent, Item* after) {
  item->parent = parent;
  item->prev = after;
  item->next = after ? after->next : parent->first;
  if (item->next)
    item->next->prev = item;
  else
    parent->last = item;
  if (after)
    after->next = item;
  else
    parent->first = item;
  ++parent->childCount;
  AddRows(item, item->Rows());
}

void Model::Unlink(Item* item) {
  AddRows(item, -item->Rows());
  Item* parent = item->parent;
  if (item->prev)
    item->prev->next = item->next;
  else
    parent->first = item->next;
  if (item->next)
    item->next->prev = item->prev;
  else
    parent->last = item->prev;
  --parent->childCount;
  item->parent = item->next = item->prev = nullptr;
}

Item* Model::Insert(Item* parent, Item* after) {
  auto* item = new Item;
  ++generation_;
  item->level = parent->level + 1;
  live_.insert(item);
  Link(item, parent, after);
  return item;
}

void Model::Erase(Item* item) {
  ++generation_;
  Unlink(item);
  live_.erase(item);
  delete item;
}

void Model::SetExpanded(Item* item, bool expanded) {
  if (item->Expanded() == expanded) return;
  ++generation_;
  int before = item->Rows();
  if (expanded)
    item->state |= TVIS_EXPANDED;
  else
    item->state &= ~TVIS_EXPANDED;
  for (Item* p = item->parent; p; p = p->parent) {
    // The row change only reaches the ancestors that show this item.
    p->sub += item->Rows() - before;
    if (!p->Expanded()) break;
  }
}

bool Model::IsShown(const Item* item) {
  for (const Item* p = item->parent; p && p->level >= 0; p = p->parent)
    if (!p->Expanded()) return false;
  return true;
}

Item* Model::NextShown(Item* item) {
  if (item->Expanded() && item->first) return item->first;
  for (Item* i = item; i && i->level >= 0; i = i->parent)
    if (i->next) return i->next;
  return nullptr;
}

Item* Model::PrevShown(Item* item) {
  if (item->prev) {
    Item* i = item->prev;
    while (i->Expanded() && i->last) i = i->last;
    return i;
  }
  return item->parent && item->parent->level >= 0 ? item->parent : nullptr;
}

Item* Model::LastShown(Item* root) {
  Item* i = root->last;
  while (i && i->Expanded() && i->last) i = i->last;
  return i;
}

Item* Model::AtRow(int row) {
  if (row < 0 || row >= root_.sub) return nullptr;
  Item* parent = &root_;
  for (;;) {
    Item* c = parent->first;
    while (c && row >= c->Rows()) {
      row -= c->Rows();
      c = c->next;
    }
    if (!c) return nullptr;
    if (row == 0) return c;
    row -= 1;
    parent = c;
  }
}

int Model::RowOf(const Item* item) {
  int row = 0;
  for (const Item* i = item; i && i->level >= 0; i = i->parent) {
    for (const Item* s = i->prev; s; s = s->prev) row += s->Rows();
    if (i->parent && i->parent->level >= 0) row += 1;
  }
  return row;
}

}  // namespace qv::tree
