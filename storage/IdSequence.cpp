// The chunked ID list with a Fenwick tree of chunk sizes. Chunks are never
// empty, so the prefix sums strictly increase and a position has one home.
#include "storage/IdSequence.h"

#include <algorithm>
#include <bit>

#include "platform/Exception.h"

namespace qv {

int64_t TIdSequence::Get(int pos) const {
  QV_ASSERT(pos >= 0 && pos < count_);
  Where w = Locate(pos);
  return chunks_[w.chunk][w.offset];
}

void TIdSequence::Insert(int pos, int64_t id) {
  QV_ASSERT(pos >= 0 && pos <= count_);
  if (chunks_.empty()) {
    chunks_.emplace_back();
    RebuildTree();
  }
  Where w = pos == count_ ? Where{chunks_.size() - 1, chunks_.back().size()} : Locate(pos);
  auto& chunk = chunks_[w.chunk];
  chunk.insert(chunk.begin() + std::ptrdiff_t(w.offset), id);
  ++count_;
  if (chunk.size() <= kMaxChunk) {
    AddToTree(w.chunk, 1);
    return;
  }
  // Split in halves; the tree is rebuilt, which is rare enough to be cheap.
  std::vector<int64_t> upper(chunk.begin() + std::ptrdiff_t(chunk.size() / 2), chunk.end());
  chunk.resize(chunk.size() / 2);
  chunks_.insert(chunks_.begin() + std::ptrdiff_t(w.chunk) + 1, std::move(upper));
  RebuildTree();
}

void TIdSequence::Remove(int pos) {
  QV_ASSERT(pos >= 0 && pos < count_);
  Where w = Locate(pos);
  auto& chunk = chunks_[w.chunk];
  chunk.erase(chunk.begin() + std::ptrdiff_t(w.offset));
  --count_;
  if (!chunk.empty()) {
    AddToTree(w.chunk, -1);
    return;
  }
  chunks_.erase(chunks_.begin() + std::ptrdiff_t(w.chunk));
  RebuildTree();
}

void TIdSequence::Clear() {
  chunks_.clear();
  tree_.clear();
  count_ = 0;
}

void TIdSequence::Assign(const std::vector<int64_t>& ids) {
  chunks_.clear();
  for (std::size_t i = 0; i < ids.size(); i += kFillChunk) {
    std::size_t end = std::min(ids.size(), i + kFillChunk);
    chunks_.emplace_back(ids.begin() + std::ptrdiff_t(i), ids.begin() + std::ptrdiff_t(end));
  }
  count_ = int(ids.size());
  RebuildTree();
}

std::vector<int64_t> TIdSequence::ToVector() const {
  std::vector<int64_t> out;
  out.reserve(std::size_t(count_));
  for (const auto& chunk : chunks_) out.insert(out.end(), chunk.begin(), chunk.end());
  return out;
}

TIdSequence::Where TIdSequence::Locate(int pos) const {
  // Fenwick descent: the number of whole chunks lying before pos, and the rest.
  std::size_t n = chunks_.size();
  std::size_t idx = 0;
  int rest = pos;
  for (std::size_t step = n ? std::bit_floor(n) : 0; step; step >>= 1) {
    if (idx + step <= n && tree_[idx + step] <= rest) {
      idx += step;
      rest -= tree_[idx];
    }
  }
  return {idx, std::size_t(rest)};
}

void TIdSequence::AddToTree(std::size_t chunk, int delta) {
  for (std::size_t i = chunk + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
}

void TIdSequence::RebuildTree() {
  // Linear construction: each node passes its sum to its parent.
  std::size_t n = chunks_.size();
  tree_.assign(n + 1, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    tree_[i] += int(chunks_[i - 1].size());
    std::size_t parent = i + (i & (~i + 1));
    if (parent <= n) tree_[parent] += tree_[i];
  }
}

}  // namespace qv
