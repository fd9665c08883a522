// The name of a browsed node from its name record, which must refer back to
// the node. Shared by the browse walk, which reads records through the
// database's pool, and its read-ahead workers, which read them detached.
#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "catalogue/RecordFields.h"
#include "catalogue/Referenced.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"

namespace qv::browse {

inline std::string IdText(int64_t id) {
  std::string text(1, '"');
  text += IntToHex(uint64_t(id), 16);
  text += '"';
  return text;
}

// A name record shared by many nodes ("Thumbs.db" on thousands of files):
// its text and its references, sorted, kept for the rest of the walk so
// that it is read and searched once rather than once per node.
struct SharedName {
  const TRecKind* kind;
  std::string name;
  std::vector<int64_t> refs;
};
// The shared names met so far, by name record. Looked up once per node, and
// most lookups miss (a name of a few nodes): an open-addressing table of
// record IDs makes a miss cost one probe.
class SharedNames {
 public:
  SharedName* Find(int64_t id) {
    if (keys_.empty()) return nullptr;
    for (std::size_t i = Home(id);; i = (i + 1) & (keys_.size() - 1)) {
      if (keys_[i].id == id) return &entries_[keys_[i].at];
      if (keys_[i].id < 0) return nullptr;
    }
  }
  SharedName& Put(int64_t id, SharedName entry) {
    if (SharedName* found = Find(id)) return *found = std::move(entry);
    if ((entries_.size() + 1) * 2 > keys_.size()) Grow();
    entries_.push_back(std::move(entry));
    ids_.push_back(id);
    Place(id, uint32_t(entries_.size() - 1));
    return entries_.back();
  }

 private:
  struct Key {
    int64_t id;
    uint32_t at;
  };
  std::size_t Home(int64_t id) const {
    return std::size_t((uint64_t(id) * 0x9E3779B97F4A7C15ull) >> 20) & (keys_.size() - 1);
  }
  void Place(int64_t id, uint32_t at) {
    std::size_t i = Home(id);
    while (keys_[i].id >= 0) i = (i + 1) & (keys_.size() - 1);
    keys_[i] = Key{id, at};
  }
  void Grow() {
    keys_.assign(std::max<std::size_t>(64, keys_.size() * 2), Key{-1, 0});
    // Name records have IDs of 1 and up: -1 marks a free slot.
    for (std::size_t at = 0; at < entries_.size(); ++at) Place(ids_[at], uint32_t(at));
  }
  std::vector<Key> keys_;
  std::deque<SharedName> entries_;  // a name stays where it is while others are put
  std::vector<int64_t> ids_;        // of entries_, for growing
};

// Below this many references a name record is cheap to read again.
constexpr int kSharedNameRefs = 8;

// The name of node ref from its name record (a damaged catalogue may point a
// node at a stranger's name). Records come from source: Get(id, kind, error)
// gives the record of the kind expected or nullptr with error set, and
// Put(record) gives it back. Shared names are found in and put into shared
// (SharedNames, or anything with its Find and Put).
template <class Source, class Names>
bool NodeName(Source& source, int64_t nameRef, int64_t ref, const TRecKind* kind, bool isFile, Names& shared,
              std::string& name, std::string& error) {
  const SharedName* known = shared.Find(nameRef);
  if (!known || known->kind != kind) {
    // A reference reaching a record of the other name kind fails its check here.
    TXRecData* rec = source.Get(nameRef, kind, error);
    if (!rec) return false;
    const TXArrData* refs = rec::Arr(rec, fld::nRefs);
    const int count = refs ? refs->Count() : 0;
    if (count < kSharedNameRefs) {
      const bool back = NameRefersTo(rec, ref);
      if (back) name = rec::Str(rec, fld::nName);
      source.Put(rec);
      if (back) return true;
      known = nullptr;
    } else {
      SharedName entry{kind, rec::Str(rec, fld::nName), {}};
      entry.refs.reserve(std::size_t(count));
      for (int i = 0; i < count; ++i) entry.refs.push_back(refs->GetRef(i));
      std::sort(entry.refs.begin(), entry.refs.end());
      source.Put(rec);
      known = &shared.Put(nameRef, std::move(entry));
    }
  }
  if (known && std::binary_search(known->refs.begin(), known->refs.end(), ref)) {
    name = known->name;
    return true;
  }
  error = "Damaged database: the name of " + std::string(isFile ? "file " : "folder ") + IdText(ref) +
          " does not refer back to it";
  return false;
}

}  // namespace qv::browse
