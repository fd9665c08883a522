// The names an add met for the first time join their indexes when the add
// ends: sorted on a few threads and merged with the index in one pass, or
// inserted one by one when they are few against a large index. The indexes
// come out exactly as inserting each name where the lookup placed it.
#include <algorithm>

#include "catalogue/Engine.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "storage/Parallel.h"

namespace qv {

namespace {

struct NewName {
  std::string_view name;
  int64_t id;
};

bool Before(const NewName& a, const NewName& b) {
  return CompareStoredNames(a.name, b.name) < 0;
}

// Sorted parts on up to four threads, then merged.
void SortNames(std::vector<NewName>& names) {
  constexpr std::size_t kPart = 16384;
  const std::size_t parts = std::min<std::size_t>(4, std::max<std::size_t>(1, names.size() / kPart));
  const std::size_t size = (names.size() + parts - 1) / parts;
  ParallelFor(parts, 1, [&](std::size_t begin, std::size_t end) {
    for (std::size_t p = begin; p < end; ++p) {
      auto first = names.begin() + std::ptrdiff_t(std::min(names.size(), p * size));
      auto last = names.begin() + std::ptrdiff_t(std::min(names.size(), (p + 1) * size));
      std::sort(first, last, Before);
    }
  });
  for (std::size_t width = size; width < names.size(); width *= 2)
    for (std::size_t at = 0; at + width < names.size(); at += 2 * width)
      std::inplace_merge(names.begin() + std::ptrdiff_t(at), names.begin() + std::ptrdiff_t(at + width),
                         names.begin() + std::ptrdiff_t(std::min(names.size(), at + 2 * width)), Before);
}

}  // namespace

void TEngine::MergeNewNames() {
  for (int folder = 0; folder < 2; ++folder) {
    if (!MergeNames(NameIndex(folder == 1), newNames_[folder])) host_.AddError(Base->ShownError());
    newNames_[folder].clear();
  }
}

bool TEngine::MergeNames(TXIndex* index, std::vector<int64_t>& ids) {
  if (ids.empty() || !index) return true;
  std::vector<NewName> names;
  names.reserve(ids.size());
  for (int64_t id : ids) {
    if (const std::string_view* cached = names_.Find(id)) {
      names.push_back({*cached, id});
    } else {
      // Pooled until the flush, so the view stays valid for the merge.
      TXRecData* rec = Base->FetchData(id);
      if (!rec) return false;
      names.push_back({rec::StrRef(rec, fld::nName), id});
    }
  }
  SortNames(names);
  const int count = index->Count();
  // Few names into a large index: a binary search each.
  if (names.size() * 32 < std::size_t(count)) {
    for (const NewName& n : names) {
      int found = -1;
      const int pos = FindName(index, std::string(n.name), found);
      TXRecData* rec = Base->FetchData(n.id);
      if (pos < 0 || !rec) return false;
      index->Insert(rec, pos);
    }
    return true;
  }
  std::vector<int64_t> merged;
  merged.reserve(std::size_t(count) + names.size());
  std::string probe;
  std::size_t next = 0;
  for (int i = 0; i < count; ++i) {
    if (!NameAt(index, i, probe)) return false;
    while (next < names.size() && CompareStoredNames(names[next].name, probe) < 0)
      merged.push_back(names[next++].id);
    merged.push_back(index->GetItem(i));
  }
  for (; next < names.size(); ++next) merged.push_back(names[next].id);
  index->Assign(merged);
  return true;
}

}  // namespace qv
