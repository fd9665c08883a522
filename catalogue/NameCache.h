// In-memory caches that spare the search and the compare a record fetch per
// name or folder: the name of every name record met so far, and the paths of
// folders met during one search. Both are filled as records are read, so the
// results are the same as reading the records each time.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv {

class TNameCache {
 public:
  // The cached name of a record, or nullptr.
  const std::string_view* Find(int64_t id) const {
    return id >= 0 && std::size_t(id) < byId_.size() && byId_[std::size_t(id)].data()
               ? &byId_[std::size_t(id)]
               : nullptr;
  }
  void Put(int64_t id, std::string_view name);
  void Forget(int64_t id) {
    if (id >= 0 && std::size_t(id) < byId_.size()) byId_[std::size_t(id)] = std::string_view();
  }
  void Clear();

 private:
  std::vector<std::string_view> byId_;  // views into chunks_
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::size_t chunkLeft_ = 0;
  char* chunkPos_ = nullptr;
};

// Where each folder met so far hangs: its parent folder and its name record.
// Folders never move, so this holds until the catalogue is wiped or closed.
class TFolderLinks {
 public:
  struct Link {
    int64_t parent;
    int64_t name;  // -1 for a disc's root folder
  };
  const Link* Find(int64_t id) const {
    auto it = links_.find(id);
    return it == links_.end() ? nullptr : &it->second;
  }
  void Put(int64_t id, Link link) { links_[id] = link; }
  void Clear() { links_.clear(); }

 private:
  std::unordered_map<int64_t, Link> links_;
};

class TFolderPathCache {
 public:
  const std::string* Find(int64_t id) const {
    auto it = paths_.find(id);
    return it == paths_.end() ? nullptr : &it->second;
  }
  void Put(int64_t id, const std::string& path) { paths_[id] = path; }
  void Clear() { paths_.clear(); }

 private:
  std::unordered_map<int64_t, std::string> paths_;
};

}  // namespace qv
