// The free space of the data file: stretches that no committed index entry
// points to any more, handed out again to new chains. A stretch given up by a
// committed chain waits until the flush that replaced it is durable; the list
// is kept in free.vlm beside the data file, which a crash or damage can only
// make lose space, never hand out space twice.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileHooks.h"
#include "platform/Guid.h"

namespace qv {

class TFreeSpace {
 public:
  // Forgets every stretch, pending ones included.
  void Clear();
  // The start of a stretch of exactly size bytes cut from the smallest free
  // stretch that holds it, or -1.
  int64_t Take(int64_t size);
  // Free at once: a stretch that no index entry on disk can point to.
  void Release(int64_t position, int64_t size);
  // Free once the entries that replaced it are committed (Committed()).
  void Retire(int64_t position, int64_t size);
  // The index entries written since the last commit are on disk: every
  // retired stretch becomes free.
  void Committed();

  // Reads the list saved for this database; a missing, damaged or foreign
  // file, or one that does not fit a data file of dataSize bytes, gives an
  // empty list. True when stretches were loaded.
  bool Load(const std::string& fileName, const TGUID& guid, int64_t dataSize);
  // As Load; true when the file is sound (its list, maybe empty, is loaded),
  // with the checksum it ends in.
  bool LoadSound(const std::string& fileName, const TGUID& guid, int64_t dataSize, uint32_t& check);
  // The checksum the file ends in, as written, without reading the rest:
  // false when the file cannot be read or is too short to hold one.
  static bool StoredCheck(const std::string& fileName, uint32_t& check);
  // Writes the free stretches (not the pending ones) through a temporary file;
  // check (when given) receives the checksum the file ends in.
  bool Save(const std::string& fileName, const TGUID& guid, int64_t dataSize,
            FileHooks& hooks = FileHooks::None(), uint32_t* check = nullptr) const;

  int64_t FreeBytes() const { return freeBytes_; }
  int64_t PendingBytes() const { return pendingBytes_; }
  std::size_t Count() const { return byPos_.size(); }
  // Free stretches in file order (position, size).
  std::vector<std::pair<int64_t, int64_t>> Stretches() const;
  const std::vector<std::pair<int64_t, int64_t>>& Pending() const { return pending_; }
  // Whether anything was taken or freed since the last MarkSaved.
  bool Changed() const { return changed_; }
  void MarkSaved() { changed_ = false; }

 private:
  void Insert(int64_t position, int64_t size);
  void Erase(std::map<int64_t, int64_t>::iterator it);

  std::map<int64_t, int64_t> byPos_;              // position -> size, never adjacent
  std::set<std::pair<int64_t, int64_t>> bySize_;  // (size, position)
  std::vector<std::pair<int64_t, int64_t>> pending_;
  int64_t freeBytes_ = 0;
  int64_t pendingBytes_ = 0;
  bool changed_ = false;
};

}  // namespace qv
