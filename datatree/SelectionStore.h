// The tree's selection: selected nodes sorted by address, so membership is
// a binary search. During an update a node that leaves is only marked (its
// entry's lowest address bit set) and the array is packed once at the end.
#pragma once
#include <cstdint>

#include "datatree/DataTreeTypes.h"

namespace qv {

class TSelectionStore {
 public:
  int32_t Count() const { return int32_t(entries_.size()); }
  // The node of entry Index (marked or not).
  PDataNode Node(int Index) const { return Unmark(entries_[size_t(Index)]); }
  bool IsMarked(int Index) const { return Marked(entries_[size_t(Index)]); }
  // Index is the entry of Node (marked or not), else where it would go.
  bool Find(PDataNode Node, int& Index) const;
  // Adds nodes not in the store yet, in any order.
  void Insert(TNodeArray Items);
  // Marks Node's entry; it goes at the next Pack.
  void Mark(PDataNode Node);
  void Erase(int Index);
  // Drops the marked entries: the new count, or -1 when none was marked.
  int Pack();
  void Clear() {
    entries_.clear();
    marked_ = 0;
  }

 private:
  static uintptr_t Addr(PDataNode n) { return reinterpret_cast<uintptr_t>(n); }
  static bool Marked(PDataNode n) { return (Addr(n) & 1) != 0; }
  static PDataNode Unmark(PDataNode n) { return reinterpret_cast<PDataNode>(Addr(n) & ~uintptr_t(1)); }
  static PDataNode WithMark(PDataNode n) { return reinterpret_cast<PDataNode>(Addr(n) | 1); }

  TNodeArray entries_;
  // How many entries carry the mark: a pack with none costs nothing, which
  // keeps a rubber band that only adds rows linear in the rows it crosses.
  size_t marked_ = 0;
  uintptr_t firstMarked_ = 0;  // no marked entry lies before this address
};

}  // namespace qv
