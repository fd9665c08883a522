// Name storage in large chunks, so a million names cost a million small
// copies and no per-name allocation.
#include "catalogue/NameCache.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace qv {

namespace {
constexpr std::size_t kChunk = 1 << 20;
const char kEmpty[1] = {0};
}  // namespace

void TNameCache::Put(int64_t id, std::string_view name) {
  if (id < 0) return;
  if (std::size_t(id) >= byId_.size())
    byId_.resize(std::max<std::size_t>(std::size_t(id) + 1, byId_.size() * 2));
  if (name.empty()) {
    byId_[std::size_t(id)] = std::string_view(kEmpty, 0);
    return;
  }
  if (name.size() > chunkLeft_) {
    std::size_t size = std::max(kChunk, name.size());
    chunks_.push_back(std::make_unique<char[]>(size));
    chunkPos_ = chunks_.back().get();
    chunkLeft_ = size;
  }
  std::memcpy(chunkPos_, name.data(), name.size());
  byId_[std::size_t(id)] = std::string_view(chunkPos_, name.size());
  chunkPos_ += name.size();
  chunkLeft_ -= name.size();
}

void TNameCache::Clear() {
  byId_.clear();
  chunks_.clear();
  chunkLeft_ = 0;
  chunkPos_ = nullptr;
}

}  // namespace qv
