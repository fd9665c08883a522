// The data tree's node store: the node records and their pool, the links
// between them, the child and total counts and heights kept up the parent
// chain, the count of visible nodes and the position cache. It knows nothing
// of events, selection or windows; the tree drives it and tells its owner.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "datatree/DataNode.h"

namespace qv {

class TDataNodeStore {
 public:
  TDataNodeStore() = default;
  ~TDataNodeStore();
  TDataNodeStore(const TDataNodeStore&) = delete;
  TDataNodeStore& operator=(const TDataNodeStore&) = delete;

  // --- Records
  PDataNode Root() const { return root_; }
  // The hidden root with RootBytes of record and internal area.
  void CreateRoot(uint16_t Height, std::size_t RootBytes);
  void FreeRoot();
  TNodePool& Pool() { return pool_; }
  const TNodePool& Pool() const { return pool_; }
  // A fresh unlinked node of the given height (the slot size is set).
  PDataNode NewNode(uint16_t Height);
  // Count linked children of Parent in one run of slots (indexes from
  // FirstIndex); the caller links the run's ends. Returns the first.
  PDataNode NewChildRun(PDataNode Parent, uint32_t Count, uint32_t FirstIndex, uint16_t Height);
  // Gives an unlinked node's slot back; it is no longer one of the store's.
  void FreeNode(PDataNode Node);
  // Gives every slot back at once (the root stays, its links are the caller's).
  void FreeAllNodes();
  // True for a live, linked node of this store (never the root), in time
  // independent of the size of its sibling list. Foreign, freed and
  // never-handed-out addresses are refused without reading a freed record's links.
  bool Owns(const void* Node) const;

  // --- Links and totals
  // Links Node at Destination by Mode and adds its counts and heights up the
  // parent chain. Sibling indexes behind it are renumbered.
  void Link(PDataNode Node, PDataNode Destination, TDTNodeAttachMode Mode);
  // Takes Node out of its sibling list and its counts and heights off its
  // ancestors; Reindex renumbers the siblings behind it.
  void Unlink(PDataNode Node, bool Reindex);
  void AdjustTotalCount(PDataNode Node, int64_t Value, bool Relative);
  void AdjustTotalHeight(PDataNode Node, int64_t Value, bool Relative);
  uint32_t CountVisibleChildren(PDataNode Node) const;
  // Visible: the node's own flag and every ancestor expanded and visible.
  bool VisiblePath(PDataNode Node) const;
  bool IsVisible(PDataNode Node) const;
  uint32_t Level(PDataNode Node) const;
  // Tree order: negative when Node1 comes first, 0 for the same node.
  int ComparePositions(PDataNode Node1, PDataNode Node2) const;
  uint32_t VisibleCount() const { return visibleCount_; }
  void AddVisible(int64_t Delta) { visibleCount_ = uint32_t(int64_t(visibleCount_) + Delta); }
  void SetVisibleCount(uint32_t Value) { visibleCount_ = Value; }
  // Renumbers the children of Parent from the first one.
  static void Reindex(PDataNode Parent);
  // While a batch of moves runs, the lists it changes are renumbered once at
  // its end instead of at every move (FlushIndexes settles them earlier).
  void BeginDeferIndexes() { ++deferIndexes_; }
  void EndDeferIndexes();
  bool DeferringIndexes() const { return deferIndexes_ > 0; }
  void FlushIndexes();

  // Total heights saturate: a subtree taller than this reports this.
  static constexpr uint32_t kMaxTotalHeight = UINT32_MAX;
  static uint32_t ClampHeight(uint64_t Height) {
    return Height > kMaxTotalHeight ? kMaxTotalHeight : uint32_t(Height);
  }
  // A node's own height plus those of its visible children when expanded.
  uint32_t SumOfHeights(PDataNode Node) const;

  // --- Position cache: every 2000th visible node with its absolute top, then
  // a closing entry holding the last visible node with its bottom.
  struct CacheEntry {
    PDataNode Node;
    int64_t AbsoluteTop;  // the bottom in the closing entry
  };
  // Walks the visible nodes (the worker may call this on its thread); gives
  // up and returns false as soon as Stop is set.
  bool BuildCache(const std::atomic<bool>* Stop);
  void ClearCache() {
    cache_.clear();
    rowIndex_.clear();
  }
  std::size_t CacheSize() const { return cache_.size(); }
  bool CacheEmpty() const { return cache_.empty(); }
  // The last cached node at or before Node in tree order (nullptr and 0 when none).
  PDataNode FindInCache(PDataNode Node, int64_t& CurrentPos) const;
  // The last cached node whose top is at or above Position.
  PDataNode FindInCache(int64_t Position, int64_t& CurrentPos) const;
  PDataNode FirstVisible() const;
  // The closing entry's node at its top (its bottom less its height).
  CacheEntry ClosingEntryTop() const;
  // Lookups that walk on from the node they return: the row index, built by
  // the same walk as the cache, holds every 64th visible node, so a walk
  // between entries is short; the cache's 2000 rows would cost a walk over
  // a thousand rows on average, per hit test. Same answers as FindInCache:
  // the last indexed node at or before Node (at or above Position) and its
  // top, nullptr and 0 when there is none.
  PDataNode FindNearRow(PDataNode Node, int64_t& CurrentPos) const;
  PDataNode FindNearRow(int64_t Position, int64_t& CurrentPos) const;

  // From this many visible nodes up the cache is built.
  static constexpr uint32_t kCacheThreshold = 2000;
  static constexpr uint32_t kCacheSpacing = 2000;
  static constexpr uint32_t kRowIndexSpacing = 64;

 private:
  PDataNode root_ = nullptr;
  TNodePool pool_;
  void MarkIndexesStale(PDataNode Parent);

  uint32_t visibleCount_ = 0;
  std::vector<CacheEntry> cache_;
  std::vector<CacheEntry> rowIndex_;  // every kRowIndexSpacing-th visible node
  int deferIndexes_ = 0;
  std::vector<PDataNode> staleIndexes_;
};

}  // namespace qv
