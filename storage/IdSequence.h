// TIdSequence: the ordered list of record IDs behind a sorted index. Inserting
// or removing at a position and reading by position all cost O(log n): the IDs
// live in chunks of bounded size, and a Fenwick tree over the chunk sizes finds
// the chunk that holds a position.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

class TIdSequence {
 public:
  int Count() const { return count_; }
  int64_t Get(int pos) const;        // contract: 0 <= pos < Count
  void Insert(int pos, int64_t id);  // contract: 0 <= pos <= Count
  void Remove(int pos);              // contract: 0 <= pos < Count
  void Clear();
  void Assign(const std::vector<int64_t>& ids);  // replaces everything
  std::vector<int64_t> ToVector() const;

 private:
  // Chunks split above kMaxChunk; bulk loads fill them to kFillChunk so that
  // the first inserts after a load do not split at once.
  static constexpr std::size_t kMaxChunk = 1024;
  static constexpr std::size_t kFillChunk = 768;

  struct Where {
    std::size_t chunk;
    std::size_t offset;
  };
  Where Locate(int pos) const;
  void AddToTree(std::size_t chunk, int delta);
  void RebuildTree();

  std::vector<std::vector<int64_t>> chunks_;
  std::vector<int> tree_;  // Fenwick tree over chunk sizes, 1-based
  int count_ = 0;
};

}  // namespace qv
