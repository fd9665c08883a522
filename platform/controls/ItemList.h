// A sequence of list items kept in chunks of up to a few hundred, so that an
// insertion in the middle of a long list moves at most those rather than all
// that follow it (a sorted list box of 100,000 strings inserts at random
// places). Items that are plain data move as one block of memory, so a chunk
// can be that long; fewer chunks keep the search for an insertion place and
// the upkeep of the chunk index after a split short. A Fenwick tree over the
// chunk sizes finds a chunk's first index and the chunk of an index in
// logarithmic time; a cached position keeps walks over neighbouring items
// (painting, searching) cheaper still.
#pragma once
#include <algorithm>
#include <cstddef>
#include <tuple>
#include <utility>
#include <vector>

namespace qv {

template <class T>
class ItemList {
 public:
  static constexpr std::size_t kChunk = 256;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](std::size_t i) {
    auto [c, o] = Locate(i);
    return chunks_[c][o];
  }
  const T& operator[](std::size_t i) const { return const_cast<ItemList*>(this)->operator[](i); }

  void insert(std::size_t i, T value) {
    if (chunks_.empty()) {
      chunks_.emplace_back();
      Rebuild();
    }
    std::size_t c, o;
    if (i >= size_) {
      c = chunks_.size() - 1, o = chunks_[c].size();
    } else {
      std::tie(c, o) = Locate(i);
    }
    InsertAt(c, o, std::move(value));
  }

  void erase(std::size_t i) {
    auto [c, o] = Locate(i);
    chunks_[c].erase(chunks_[c].begin() + std::ptrdiff_t(o));
    --size_;
    if (chunks_[c].empty()) {
      chunks_.erase(chunks_.begin() + std::ptrdiff_t(c));
      Rebuild(c);
    } else {
      Add(c, -1);
    }
    cached_ = false;
  }

  void clear() {
    chunks_.clear();
    tree_.clear();
    size_ = 0;
    cached_ = false;
  }

  // Inserts value after the items that do not order after it (cmp as for
  // UpperBound) and returns its index. The value is moved only once its
  // place is found, so cmp may look at it.
  template <class Cmp>
  std::size_t InsertSorted(T&& value, Cmp cmp) {
    std::size_t c = FirstChunkAfter(cmp);
    if (c == chunks_.size()) {
      std::size_t at = size_;
      insert(size_, std::move(value));
      return at;
    }
    std::size_t o = OffsetAfter(chunks_[c], cmp);
    std::size_t at = StartOf(c) + o;
    InsertAt(c, o, std::move(value));
    return at;
  }

  // The index after the last item that does not order after the key:
  // cmp(item) < 0 when the item orders before the key, 0 when equal.
  template <class Cmp>
  std::size_t UpperBound(Cmp cmp) const {
    std::size_t c = FirstChunkAfter(cmp);
    if (c == chunks_.size()) return size_;
    return StartOf(c) + OffsetAfter(chunks_[c], cmp);
  }

 private:
  void InsertAt(std::size_t c, std::size_t o, T&& value) {
    auto& chunk = chunks_[c];
    chunk.insert(chunk.begin() + std::ptrdiff_t(o), std::move(value));
    ++size_;
    cached_ = false;
    if (chunk.size() > kChunk)
      Split(c);
    else
      Add(c, 1);
  }

  // The first chunk whose last item orders after the key.
  template <class Cmp>
  std::size_t FirstChunkAfter(Cmp& cmp) const {
    std::size_t lo = 0, hi = chunks_.size();
    while (lo < hi) {
      std::size_t mid = (lo + hi) / 2;
      if (cmp(chunks_[mid].back()) > 0)
        hi = mid;
      else
        lo = mid + 1;
    }
    return lo;
  }

  template <class Cmp>
  static std::size_t OffsetAfter(const std::vector<T>& chunk, Cmp& cmp) {
    std::size_t a = 0, b = chunk.size();
    while (a < b) {
      std::size_t mid = (a + b) / 2;
      if (cmp(chunk[mid]) > 0)
        b = mid;
      else
        a = mid + 1;
    }
    return a;
  }

  // ---- the Fenwick tree: tree_[k - 1] sums the sizes of chunks (k - lowbit(k), k] ----

  // Recomputes the sums after the chunks from `from` on changed (moved,
  // resized, added or removed); the sums of earlier chunks stay. A sum is
  // its chunk's size plus the sums it covers: those of k - 1, k - 2, k - 4...
  // down to its low bit, all before it and so already right.
  void Rebuild(std::size_t from = 0) {
    tree_.resize(chunks_.size());
    for (std::size_t k = from + 1; k <= tree_.size(); ++k) {
      std::size_t sum = chunks_[k - 1].size(), low = k & (~k + 1);
      for (std::size_t step = 1; step < low; step *= 2) sum += tree_[k - step - 1];
      tree_[k - 1] = sum;
    }
  }

  void Add(std::size_t chunk, int delta) {
    for (std::size_t k = chunk + 1; k <= tree_.size(); k += k & (~k + 1)) tree_[k - 1] += std::size_t(delta);
  }

  // The index of a chunk's first item.
  std::size_t StartOf(std::size_t chunk) const {
    std::size_t start = 0;
    for (std::size_t k = chunk; k > 0; k -= k & (~k + 1)) start += tree_[k - 1];
    return start;
  }

  std::pair<std::size_t, std::size_t> Locate(std::size_t i) const {
    if (cached_ && i >= cacheStart_) {
      std::size_t c = cacheChunk_, start = cacheStart_;
      if (i < start + chunks_[c].size()) return {c, i - start};
      if (c + 1 < chunks_.size() && i < start + chunks_[c].size() + chunks_[c + 1].size()) {
        cacheChunk_ = c + 1, cacheStart_ = start + chunks_[c].size();
        return {cacheChunk_, i - cacheStart_};
      }
    }
    // Descend the tree to the last chunk whose start is at most i.
    std::size_t k = 0, start = 0, step = 1;
    while (step * 2 <= tree_.size()) step *= 2;
    for (; step; step /= 2)
      if (k + step <= tree_.size() && start + tree_[k + step - 1] <= i) k += step, start += tree_[k - 1];
    std::size_t c = std::min(k, chunks_.size() - 1);
    if (c < k) start -= chunks_[c].size();  // past the end: the last chunk
    cached_ = true, cacheChunk_ = c, cacheStart_ = start;
    return {c, i - start};
  }

  void Split(std::size_t c) {
    auto& chunk = chunks_[c];
    std::vector<T> tail(std::make_move_iterator(chunk.begin() + std::ptrdiff_t(kChunk / 2)),
                        std::make_move_iterator(chunk.end()));
    chunk.erase(chunk.begin() + std::ptrdiff_t(kChunk / 2), chunk.end());
    chunks_.insert(chunks_.begin() + std::ptrdiff_t(c + 1), std::move(tail));
    Rebuild(c);
  }

  std::vector<std::vector<T>> chunks_;
  std::vector<std::size_t> tree_;
  std::size_t size_ = 0;
  mutable bool cached_ = false;
  mutable std::size_t cacheChunk_ = 0, cacheStart_ = 0;
};

}  // namespace qv
