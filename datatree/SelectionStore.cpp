// The sorted selection array: binary search, merging new nodes in, marking
// and packing.
#include "datatree/SelectionStore.h"

#include <algorithm>

namespace qv {

bool TSelectionStore::Find(PDataNode Node, int& Index) const {
  // Marked entries sort as their node: compare without the mark bit.
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    uintptr_t a = Addr(Unmark(entries_[size_t(mid)]));
    if (a < Addr(Node))
      lo = mid + 1;
    else if (a > Addr(Node))
      hi = mid - 1;
    else {
      Index = mid;
      return true;
    }
  }
  Index = lo;
  return false;
}

void TSelectionStore::Insert(TNodeArray Items) {
  if (Items.empty()) return;
  std::sort(Items.begin(), Items.end(), [](PDataNode a, PDataNode b) { return Addr(a) < Addr(b); });
  // Merge from the back: each new item finds its place by binary search and
  // the entries behind it move up as one block.
  size_t end = entries_.size();
  entries_.resize(end + Items.size());
  size_t w = entries_.size();
  auto later = [](PDataNode item, PDataNode entry) { return Addr(item) < Addr(Unmark(entry)); };
  for (size_t j = Items.size(); j-- > 0;) {
    size_t at =
        size_t(std::upper_bound(entries_.begin(), entries_.begin() + ptrdiff_t(end), Items[j], later) -
               entries_.begin());
    std::move_backward(entries_.begin() + ptrdiff_t(at), entries_.begin() + ptrdiff_t(end),
                       entries_.begin() + ptrdiff_t(w));
    w -= end - at;
    end = at;
    entries_[--w] = Items[j];
  }
}

void TSelectionStore::Mark(PDataNode Node) {
  int index;
  if (Find(Node, index) && !Marked(entries_[size_t(index)])) {
    entries_[size_t(index)] = WithMark(entries_[size_t(index)]);
    if (marked_++ == 0 || Addr(Node) < firstMarked_) firstMarked_ = Addr(Node);
  }
}

void TSelectionStore::Erase(int Index) {
  if (Marked(entries_[size_t(Index)])) --marked_;
  entries_.erase(entries_.begin() + Index);
}

int TSelectionStore::Pack() {
  if (marked_ == 0) return -1;
  // Nothing before the first marked entry moves: a band that gives back the
  // rows at its end packs only those.
  auto from = std::lower_bound(entries_.begin(), entries_.end(), firstMarked_,
                               [](PDataNode e, uintptr_t a) { return Addr(Unmark(e)) < a; });
  entries_.erase(std::remove_if(from, entries_.end(), Marked), entries_.end());
  marked_ = 0;
  return Count();
}

}  // namespace qv
