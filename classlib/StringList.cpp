// TStringList: strings and objects in memory, sorted on request, with the
// duplicate rules of a sorted list and OnChanging/OnChange around every change.
#include <algorithm>

#include "classlib/Strings.h"
#include "classlib/SysUtils.h"

namespace qv {

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (OwnsObjects)
    for (auto& item : items_) delete item.object;
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

std::string TStringList::Strings(int Index) const {
  CheckIndex(Index);
  return items_[size_t(Index)].text;
}

void TStringList::SetStrings(int Index, const std::string& S) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index);
  Changing();
  items_[size_t(Index)].text = S;
  Changed();
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index);
  return items_[size_t(Index)].object;
}

void TStringList::SetObjects(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  items_[size_t(Index)].object = AObject;
  Changed();
}

void TStringList::Insert(int Index, const std::string& S) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  TObject* obj = items_[size_t(Index)].object;
  items_.erase(items_.begin() + Index);
  if (OwnsObjects) delete obj;
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<Item> old;
  old.swap(items_);
  if (OwnsObjects)
    for (auto& item : old) delete item.object;
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(items_[size_t(Index1)], items_[size_t(Index2)]);
  Changed();
}

int TStringList::Add(const std::string& S) {
  return AddObject(S, nullptr);
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index = Count();
  if (sorted_ && Find(S, index)) {
    if (Duplicates == dupIgnore) return index;
    if (Duplicates == dupError) throw EListError("String list does not allow duplicates");
    // dupAccept: after the last equal string, so equal strings keep their order.
    while (index < Count() && CompareStrings(items_[size_t(index)].text, S) == 0) ++index;
  }
  InsertItem(index, S, AObject);
  return index;
}

int TStringList::IndexOf(const std::string& S) const {
  if (!sorted_) return TStrings::IndexOf(S);
  int index = 0;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int c = CompareStrings(items_[size_t(mid)].text, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      // Keep searching left: Find answers the first of equal strings.
      if (c == 0) found = true;
    }
  }
  Index = lo;
  return found;
}

void TStringList::SortWith(const std::function<int(const Item&, const Item&)>& cmp) {
  if (items_.size() < 2) return;
  Changing();
  std::stable_sort(items_.begin(), items_.end(), [&](const Item& a, const Item& b) { return cmp(a, b) < 0; });
  Changed();
}

void TStringList::Sort() {
  SortWith([this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text); });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (sorted_ || items_.size() < 2 || !Compare) return;
  // The comparison sees list indices, so sort a permutation and apply it.
  std::vector<int> order(items_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  Changing();
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(items_[size_t(i)]);
  items_.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (caseSensitive_ == Value) return;
  caseSensitive_ = Value;
  if (sorted_) Sort();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  if (caseSensitive_) return S1.compare(S2) < 0 ? -1 : (S1 == S2 ? 0 : 1);
  return CompareText(S1, S2);
}

// The update count is already raised (or back at zero) here, so the events
// are fired directly rather than through Changing/Changed.
void TStringList::SetUpdateState(bool Updating) {
  if (Updating) {
    if (OnChanging) OnChanging(this);
  } else if (OnChange) {
    OnChange(this);
  }
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

}  // namespace qv
