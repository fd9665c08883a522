// A sequence of list items kept in chunks of a few hundred, so that an
// insertion in the middle of a long list moves a few hundred items rather
// than all that follow it (a sorted list box of 100,000 strings inserts at
// random places). Indexing walks the chunk sizes from a cached position.
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
  static constexpr std::size_t kChunk = 128;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](std::size_t i) {
    auto [c, o] = Locate(i);
    return chunks_[c][o];
  }
  const T& operator[](std::size_t i) const { return const_cast<ItemList*>(this)->operator[](i); }

  void insert(std::size_t i, T value) {
    if (chunks_.empty()) chunks_.emplace_back();
    std::size_t c, o;
    if (i >= size_) {
      c = chunks_.size() - 1, o = chunks_[c].size();
      cacheChunk_ = c, cacheStart_ = size_ - chunks_[c].size();
    } else {
      std::tie(c, o) = Locate(i);
    }
    auto& chunk = chunks_[c];
    chunk.insert(chunk.begin() + std::ptrdiff_t(o), std::move(value));
    ++size_;
    if (chunk.size() > kChunk) Split(c);
  }

  void erase(std::size_t i) {
    auto [c, o] = Locate(i);
    chunks_[c].erase(chunks_[c].begin() + std::ptrdiff_t(o));
    --size_;
    if (chunks_[c].empty()) {
      chunks_.erase(chunks_.begin() + std::ptrdiff_t(c));
      cacheChunk_ = 0, cacheStart_ = 0;
    }
  }

  void clear() {
    chunks_.clear();
    size_ = 0;
    cacheChunk_ = 0, cacheStart_ = 0;
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
    auto& chunk = chunks_[c];
    std::size_t o = OffsetAfter(chunk, cmp);
    std::size_t start = StartOf(c);
    chunk.insert(chunk.begin() + std::ptrdiff_t(o), std::move(value));
    ++size_;
    if (chunk.size() > kChunk) Split(c);
    return start + o;
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

  // The index of a chunk's first item; remembered for the next walk.
  std::size_t StartOf(std::size_t chunk) const {
    std::size_t c = 0, start = 0;
    if (chunk >= cacheChunk_ && cacheChunk_ < chunks_.size()) c = cacheChunk_, start = cacheStart_;
    for (; c < chunk; ++c) start += chunks_[c].size();
    cacheChunk_ = chunk, cacheStart_ = start;
    return start;
  }

  std::pair<std::size_t, std::size_t> Locate(std::size_t i) const {
    std::size_t c = cacheChunk_, start = cacheStart_;
    if (c >= chunks_.size() || i < start) c = 0, start = 0;
    while (c + 1 < chunks_.size() && i >= start + chunks_[c].size()) start += chunks_[c++].size();
    cacheChunk_ = c, cacheStart_ = start;
    return {c, i - start};
  }

  void Split(std::size_t c) {
    auto& chunk = chunks_[c];
    std::vector<T> tail(std::make_move_iterator(chunk.begin() + std::ptrdiff_t(kChunk / 2)),
                        std::make_move_iterator(chunk.end()));
    chunk.erase(chunk.begin() + std::ptrdiff_t(kChunk / 2), chunk.end());
    chunks_.insert(chunks_.begin() + std::ptrdiff_t(c + 1), std::move(tail));
    if (cacheChunk_ > c) cacheChunk_ = 0, cacheStart_ = 0;
  }

  std::vector<std::vector<T>> chunks_;
  std::size_t size_ = 0;
  mutable std::size_t cacheChunk_ = 0, cacheStart_ = 0;
};

}  // namespace qv
