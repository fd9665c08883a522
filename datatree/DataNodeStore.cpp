// The node store: records from the pool, linking and unlinking with the
// running totals kept up the parent chain, tree-order queries and the
// position cache the validation worker fills.
#include "datatree/DataNodeStore.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

namespace qv {

TDataNodeStore::~TDataNodeStore() {
  FreeRoot();
}

void TDataNodeStore::CreateRoot(uint16_t Height, std::size_t RootBytes) {
  if (root_) return;
  root_ = static_cast<PDataNode>(std::calloc(1, std::max(RootBytes, sizeof(TDataNode))));
  if (!root_) throw std::bad_alloc();
  root_->States = vsInitialized | vsExpanded | vsHasChildren | vsVisible;
  root_->TotalCount = 1;
  root_->TotalHeight = root_->NodeHeight = Height;
  root_->Align = 50;
  root_->PrevSibling = root_->NextSibling = root_;
}

void TDataNodeStore::FreeRoot() {
  std::free(root_);
  root_ = nullptr;
}

PDataNode TDataNodeStore::NewNode(uint16_t Height) {
  auto* node = static_cast<PDataNode>(pool_.Allocate());
  node->TotalCount = 1;
  node->TotalHeight = node->NodeHeight = Height;
  node->States = vsVisible;
  node->Align = 50;
  return node;
}

PDataNode TDataNodeStore::NewChildRun(PDataNode Parent, uint32_t Count, uint32_t FirstIndex,
                                      uint16_t Height) {
  // Each node of the run is a function of its place in it, so disjoint
  // parts are filled side by side; the threads are joined before any use.
  const std::size_t slot = pool_.SlotSize();
  char* base = pool_.AllocateRun(Count);
  auto fill = [=](uint32_t from, uint32_t to) {
    for (uint32_t i = from; i < to; ++i) {
      auto* n = reinterpret_cast<PDataNode>(base + i * slot);
      n->Index = FirstIndex + i;
      n->TotalCount = 1;
      n->TotalHeight = n->NodeHeight = Height;
      n->States = vsVisible;
      n->Align = 50;
      n->Parent = Parent;
      n->PrevSibling = i > 0 ? reinterpret_cast<PDataNode>(base + (i - 1) * slot) : nullptr;
      n->NextSibling = i + 1 < Count ? reinterpret_cast<PDataNode>(base + (i + 1) * slot) : nullptr;
    }
  };
  unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  threads = std::min<unsigned>(threads, Count / 32768);
  std::vector<std::thread> helpers;
  uint32_t part = Count / std::max(threads, 1u);
  for (unsigned t = 1; t < threads; ++t) {
    uint32_t from = t * part, to = t + 1 == threads ? Count : from + part;
    try {
      helpers.emplace_back(fill, from, to);
    } catch (const std::system_error&) {
      fill(from, to);  // no thread to spare: this one does the part
    }
  }
  fill(0, threads > 1 ? part : Count);
  for (std::thread& h : helpers) h.join();
  return reinterpret_cast<PDataNode>(base);
}

void TDataNodeStore::FreeNode(PDataNode Node) {
  // A freed record names no parent, so a stale pointer is told from a live
  // node without following its links.
  Node->Parent = nullptr;
  std::erase(staleIndexes_, Node);
  pool_.Free(Node);
}

void TDataNodeStore::FreeAllNodes() {
  cache_.clear();
  staleIndexes_.clear();
  pool_.Release();
}

bool TDataNodeStore::Owns(const void* Node) const {
  if (!Node || Node == root_ || !pool_.Contains(Node)) return false;
  auto* n = static_cast<const TDataNode*>(Node);
  PDataNode parent = n->Parent;
  if (!parent || (parent != root_ && !pool_.Contains(parent))) return false;
  // Linked: its neighbour (or its parent) points back at it.
  return n->PrevSibling ? n->PrevSibling->NextSibling == n : parent->FirstChild == n;
}

void TDataNodeStore::Link(PDataNode Node, PDataNode Destination, TDTNodeAttachMode Mode) {
  PDataNode parent = (Mode == amInsertBefore || Mode == amInsertAfter) ? Destination->Parent : Destination;
  switch (Mode) {
    case amInsertBefore:
      Node->PrevSibling = Destination->PrevSibling;
      Node->NextSibling = Destination;
      Destination->PrevSibling = Node;
      if (Node->PrevSibling)
        Node->PrevSibling->NextSibling = Node;
      else
        parent->FirstChild = Node;
      Node->Index = Destination->Index;
      break;
    case amInsertAfter:
      Node->NextSibling = Destination->NextSibling;
      Node->PrevSibling = Destination;
      Destination->NextSibling = Node;
      if (Node->NextSibling)
        Node->NextSibling->PrevSibling = Node;
      else
        parent->LastChild = Node;
      Node->Index = Destination->Index;
      break;
    case amAddChildFirst:
      Node->PrevSibling = nullptr;
      Node->NextSibling = parent->FirstChild;
      if (parent->FirstChild)
        parent->FirstChild->PrevSibling = Node;
      else
        parent->LastChild = Node;
      parent->FirstChild = Node;
      Node->Index = 0;
      break;
    default:  // amAddChildLast
      Node->NextSibling = nullptr;
      Node->PrevSibling = parent->LastChild;
      if (parent->LastChild)
        parent->LastChild->NextSibling = Node;
      else
        parent->FirstChild = Node;
      parent->LastChild = Node;
      Node->Index = Node->PrevSibling ? Node->PrevSibling->Index + 1 : 0;
      break;
  }
  Node->Parent = parent;
  if (Mode != amAddChildLast && deferIndexes_ > 0) {
    MarkIndexesStale(parent);
  } else if (Mode != amAddChildLast) {
    uint32_t i = Mode == amInsertAfter ? Destination->Index + 1 : Node->Index + 1;
    if (Mode == amInsertAfter) Node->Index = i++;
    for (PDataNode s = Node->NextSibling; s; s = s->NextSibling) s->Index = i++;
  }
  ++parent->ChildCount;
  parent->Include(vsHasChildren);
  AdjustTotalCount(parent, Node->TotalCount, true);
  if (parent->Has(vsExpanded) && Node->Has(vsVisible)) AdjustTotalHeight(parent, Node->TotalHeight, true);
  if (IsVisible(Node)) visibleCount_ += CountVisibleChildren(Node) + 1;
  if (parent != root_) {
    if (Node->Has(vsVisible))
      parent->Exclude(vsAllChildrenHidden);
    else if (parent->ChildCount == 1)
      parent->Include(vsAllChildrenHidden);
  }
}

void TDataNodeStore::Unlink(PDataNode Node, bool Reindex) {
  PDataNode parent = Node->Parent;
  bool parentExpanded = parent->Has(vsExpanded);
  if (IsVisible(Node)) visibleCount_ -= CountVisibleChildren(Node) + 1;
  uint32_t index = Node->Index;
  if (Node->PrevSibling)
    Node->PrevSibling->NextSibling = Node->NextSibling;
  else
    parent->FirstChild = Node->NextSibling;
  if (Node->NextSibling)
    Node->NextSibling->PrevSibling = Node->PrevSibling;
  else
    parent->LastChild = Node->PrevSibling;
  if (Reindex) {
    if (deferIndexes_ > 0)
      MarkIndexesStale(parent);
    else
      for (PDataNode s = Node->NextSibling; s; s = s->NextSibling) s->Index = index++;
  }
  Node->PrevSibling = Node->NextSibling = nullptr;
  // The totals go once the links are gone: a saturated height is summed
  // again from the children that remain.
  --parent->ChildCount;
  AdjustTotalCount(parent, -int64_t(Node->TotalCount), true);
  if (parentExpanded && Node->Has(vsVisible)) AdjustTotalHeight(parent, -int64_t(Node->TotalHeight), true);
  if (parent->ChildCount == 0) {
    parent->Exclude(vsHasChildren | vsAllChildrenHidden);
    if (parent != root_ && parentExpanded) parent->Exclude(vsExpanded);
  }
}

void TDataNodeStore::MarkIndexesStale(PDataNode Parent) {
  if (std::find(staleIndexes_.begin(), staleIndexes_.end(), Parent) == staleIndexes_.end())
    staleIndexes_.push_back(Parent);
}

void TDataNodeStore::FlushIndexes() {
  for (PDataNode parent : std::exchange(staleIndexes_, {})) Reindex(parent);
}

void TDataNodeStore::EndDeferIndexes() {
  if (deferIndexes_ > 0 && --deferIndexes_ == 0) FlushIndexes();
}

void TDataNodeStore::Reindex(PDataNode Parent) {
  uint32_t index = 0;
  for (PDataNode s = Parent->FirstChild; s; s = s->NextSibling) s->Index = index++;
}

void TDataNodeStore::AdjustTotalCount(PDataNode Node, int64_t Value, bool Relative) {
  int64_t delta = Relative ? Value : Value - int64_t(Node->TotalCount);
  if (delta == 0) return;
  for (PDataNode run = Node; run; run = run == root_ ? nullptr : run->Parent)
    run->TotalCount = uint32_t(int64_t(run->TotalCount) + delta);
}

void TDataNodeStore::AdjustTotalHeight(PDataNode Node, int64_t Value, bool Relative) {
  // Each level changes by what the level below really changed: a saturated
  // total that shrinks is summed again from its children.
  int64_t delta = Relative ? Value : Value - int64_t(Node->TotalHeight);
  PDataNode run = Node;
  while (run && delta != 0) {
    uint32_t old = run->TotalHeight;
    uint32_t now;
    if (run == Node && !Relative)
      now = ClampHeight(uint64_t(std::max<int64_t>(Value, 0)));
    else if (old == kMaxTotalHeight && delta < 0)
      now = SumOfHeights(run);
    else
      now = ClampHeight(uint64_t(std::max<int64_t>(int64_t(old) + delta, 0)));
    run->TotalHeight = now;
    delta = int64_t(now) - int64_t(old);
    if (!run->Has(vsVisible) || run == root_ || !run->Parent->Has(vsExpanded)) break;
    run = run->Parent;
  }
}

uint32_t TDataNodeStore::SumOfHeights(PDataNode Node) const {
  uint64_t sum = Node->NodeHeight;
  if (Node->Has(vsExpanded))
    for (PDataNode c = Node->FirstChild; c && sum < kMaxTotalHeight; c = c->NextSibling)
      if (c->Has(vsVisible)) sum += c->TotalHeight;
  return ClampHeight(sum);
}

uint32_t TDataNodeStore::CountVisibleChildren(PDataNode Node) const {
  if (!Node->Has(vsExpanded)) return 0;
  uint32_t count = 0;
  for (PDataNode c = Node->FirstChild; c; c = c->NextSibling)
    if (c->Has(vsVisible)) count += 1 + CountVisibleChildren(c);
  return count;
}

bool TDataNodeStore::VisiblePath(PDataNode Node) const {
  for (PDataNode p = Node->Parent; p != root_; p = p->Parent)
    if (!p->HasAll(vsExpanded | vsVisible)) return false;
  return true;
}

bool TDataNodeStore::IsVisible(PDataNode Node) const {
  if (Node == root_) return true;
  return Node->Has(vsVisible) && VisiblePath(Node);
}

uint32_t TDataNodeStore::Level(PDataNode Node) const {
  uint32_t level = 0;
  if (!Node || Node == root_) return 0;
  for (PDataNode p = Node->Parent; p != root_; p = p->Parent) ++level;
  return level;
}

int TDataNodeStore::ComparePositions(PDataNode Node1, PDataNode Node2) const {
  if (Node1 == Node2) return 0;
  uint32_t l1 = Level(Node1), l2 = Level(Node2);
  PDataNode a = Node1, b = Node2;
  while (l1 > l2) a = a->Parent, --l1;
  while (l2 > l1) b = b->Parent, --l2;
  if (a == b) return Node1 == a ? -1 : 1;  // one is the other's ancestor
  while (a->Parent != b->Parent) a = a->Parent, b = b->Parent;
  return int64_t(a->Index) - int64_t(b->Index) < 0 ? -1 : 1;
}

PDataNode TDataNodeStore::FirstVisible() const {
  for (PDataNode r = root_->FirstChild; r; r = r->NextSibling)
    if (r->Has(vsVisible)) return r;
  return nullptr;
}

bool TDataNodeStore::BuildCache(const std::atomic<bool>* Stop) {
  std::vector<CacheEntry> cache, rows;
  cache.reserve((visibleCount_ + kCacheSpacing - 1) / kCacheSpacing + 1);
  rows.reserve((visibleCount_ + kRowIndexSpacing - 1) / kRowIndexSpacing);
  int64_t top = 0;
  uint32_t index = 0;
  PDataNode last = nullptr;
  // Visible order without re-testing each node's ancestors: step into the
  // children of expanded visible nodes, else on to the next visible sibling.
  PDataNode run = FirstVisible();
  while (run) {
    if (Stop && Stop->load()) return false;  // polled between nodes
    if (index % kCacheSpacing == 0) cache.push_back({run, top});
    if (index % kRowIndexSpacing == 0) rows.push_back({run, top});
    last = run;
    top += run->NodeHeight;
    ++index;
    PDataNode next = nullptr;
    if (run->Has(vsExpanded))
      for (PDataNode c = run->FirstChild; c && !next; c = c->NextSibling)
        if (c->Has(vsVisible)) next = c;
    while (!next && run != root_) {
      for (PDataNode s = run->NextSibling; s && !next; s = s->NextSibling)
        if (s->Has(vsVisible)) next = s;
      if (!next) run = run->Parent;
    }
    run = next;
  }
  // The closing entry: the last visible node and its bottom.
  if (last) cache.push_back({last, top});
  cache_.swap(cache);
  rowIndex_.swap(rows);
  return true;
}

TDataNodeStore::CacheEntry TDataNodeStore::ClosingEntryTop() const {
  const CacheEntry& closing = cache_.back();
  return {closing.Node, closing.AbsoluteTop - int64_t(closing.Node->NodeHeight)};
}

PDataNode TDataNodeStore::FindInCache(PDataNode Node, int64_t& CurrentPos) const {
  if (!cache_.empty() && cache_.back().Node == Node) {
    CurrentPos = ClosingEntryTop().AbsoluteTop;
    return Node;
  }
  // The last spaced entry at or before Node in tree order.
  int64_t lo = 0, hi = int64_t(cache_.size()) - 2, found = -1;
  while (lo <= hi) {
    int64_t mid = (lo + hi) / 2;
    if (ComparePositions(cache_[size_t(mid)].Node, Node) <= 0) {
      found = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  if (found < 0) {
    CurrentPos = 0;
    return nullptr;
  }
  CurrentPos = cache_[size_t(found)].AbsoluteTop;
  return cache_[size_t(found)].Node;
}

// The entry before it (the last one at or before what was looked for), or
// none with position 0 when it is the first.
template <class It>
static PDataNode EntryBefore(It it, It begin, int64_t& CurrentPos) {
  if (it == begin) {
    CurrentPos = 0;
    return nullptr;
  }
  --it;
  CurrentPos = it->AbsoluteTop;
  return it->Node;
}

PDataNode TDataNodeStore::FindInCache(int64_t Position, int64_t& CurrentPos) const {
  if (!cache_.empty() && Position >= ClosingEntryTop().AbsoluteTop) {
    CurrentPos = ClosingEntryTop().AbsoluteTop;
    return cache_.back().Node;
  }
  auto spacedEnd = cache_.empty() ? cache_.end() : cache_.end() - 1;
  auto it = std::upper_bound(cache_.begin(), spacedEnd, Position,
                             [](int64_t p, const CacheEntry& e) { return p < e.AbsoluteTop; });
  return EntryBefore(it, cache_.begin(), CurrentPos);
}

PDataNode TDataNodeStore::FindNearRow(PDataNode Node, int64_t& CurrentPos) const {
  // The last entry at or before Node in tree order.
  auto it =
      std::upper_bound(rowIndex_.begin(), rowIndex_.end(), Node,
                       [this](PDataNode n, const CacheEntry& e) { return ComparePositions(e.Node, n) > 0; });
  return EntryBefore(it, rowIndex_.begin(), CurrentPos);
}

PDataNode TDataNodeStore::FindNearRow(int64_t Position, int64_t& CurrentPos) const {
  auto it = std::upper_bound(rowIndex_.begin(), rowIndex_.end(), Position,
                             [](int64_t p, const CacheEntry& e) { return p < e.AbsoluteTop; });
  return EntryBefore(it, rowIndex_.begin(), CurrentPos);
}

}  // namespace qv
