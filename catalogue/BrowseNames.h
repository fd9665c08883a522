// The name of a browsed node from its name record, which must refer back to
// the node. Shared by the browse walk, which reads records through the
// database's pool, and its read-ahead workers, which read them detached.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
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
using SharedNames = std::unordered_map<int64_t, SharedName>;
// Below this many references a name record is cheap to read again.
constexpr int kSharedNameRefs = 8;

// The name of node ref from its name record (a damaged catalogue may point a
// node at a stranger's name). Records come from source: Get(id, kind, error)
// gives the record of the kind expected or nullptr with error set, and
// Put(record) gives it back.
template <class Source>
bool NodeName(Source& source, int64_t nameRef, int64_t ref, const TRecKind* kind, bool isFile,
              SharedNames& shared, std::string& name, std::string& error) {
  auto it = shared.find(nameRef);
  if (it == shared.end() || it->second.kind != kind) {
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
      it = shared.end();
    } else {
      SharedName entry{kind, rec::Str(rec, fld::nName), {}};
      entry.refs.reserve(std::size_t(count));
      for (int i = 0; i < count; ++i) entry.refs.push_back(refs->GetRef(i));
      std::sort(entry.refs.begin(), entry.refs.end());
      source.Put(rec);
      it = shared.insert_or_assign(nameRef, std::move(entry)).first;
    }
  }
  if (it != shared.end() && std::binary_search(it->second.refs.begin(), it->second.refs.end(), ref)) {
    name = it->second.name;
    return true;
  }
  error = "Damaged database: the name of " + std::string(isFile ? "file " : "folder ") + IdText(ref) +
          " does not refer back to it";
  return false;
}

}  // namespace qv::browse
