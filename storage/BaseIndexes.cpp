// TXBase: creating, opening and rebuilding sorted indexes. A rebuild collects
// the IDs of the kind from the global index and sorts them once with the
// caller's comparison; a damaged or stale index file is rebuilt, not refused.
#include <algorithm>

#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

const TRecKind* TXBase::IndexKind(const std::string& kindName, uint32_t number) {
  if (!opened_) {
    Fail("Database is not opened");
    return nullptr;
  }
  const TKind* kind = context_.KindByName(kindName);
  if (!kind) {
    Fail("Unknown kind name \"" + kindName + "\"");
    return nullptr;
  }
  if (kind->Code != kcRec) {
    Fail("Kind \"" + kindName + "\" is not a record kind");
    return nullptr;
  }
  if (number > MaxIndexNumber) {
    Fail("Invalid index number " + IntToStr(number));
    return nullptr;
  }
  return static_cast<const TRecKind*>(kind);
}

TXIndex* TXBase::FindIndex(const TKind* kind, uint32_t number) const {
  for (const auto& index : indexes_)
    if (index->Kind() == kind && index->Number() == number) return index.get();
  return nullptr;
}

int TXBase::AddIndex(const TRecKind* kind, uint32_t number, TXCompareFunc compare) {
  QV_ASSERT(compare && kind && number <= MaxIndexNumber);
  indexes_.push_back(std::make_unique<TXIndex>(*this, number, std::move(compare), kind));
  return IndexCount() - 1;
}

TXIndex* TXBase::GetIndex(int i) const {
  QV_ASSERT(i >= 0 && i < IndexCount());
  return indexes_[std::size_t(i)].get();
}

void TXBase::RemoveIndex(TXIndex* index) {
  // A half-built index is dropped without writing its file.
  index->Discard();
  std::erase_if(indexes_, [index](const auto& p) { return p.get() == index; });
}

TXIndex* TXBase::CreateIndex(const std::string& kindName, uint32_t number, TXCompareFunc compare) {
  LastError.clear();
  const TRecKind* kind = IndexKind(kindName, number);
  if (!kind) return nullptr;
  if (FindIndex(kind, number)) {
    Fail("Index is already initialized");
    return nullptr;
  }
  TXIndex* index = GetIndex(AddIndex(kind, number, std::move(compare)));
  if (!Rebuild(index)) {
    RemoveIndex(index);
    Fail("Failed to rebuild index");
    return nullptr;
  }
  return index;
}

TXIndex* TXBase::OpenIndex(const std::string& kindName, uint32_t number, TXCompareFunc compare) {
  LastError.clear();
  const TRecKind* kind = IndexKind(kindName, number);
  if (!kind) return nullptr;
  TXIndex* index = nullptr;
  if (!FileExists(TXIndex::FileName(*this, kind, number))) {
    index = CreateIndex(kindName, number, std::move(compare));
  } else {
    if (TXIndex* open = FindIndex(kind, number)) return open;
    index = GetIndex(AddIndex(kind, number, std::move(compare)));
    if (!rebuildIndexes_) {
      const bool loaded = index->Load();
      if (loaded && IndexFileMatches(*index)) return index;
      // The file is as its last save left it, yet its IDs do not fit the
      // global index: index.vlm is what was damaged.
      if (!loaded && IndexFileRecorded(*index))
        MarkDamaged("The database is damaged: index.vlm does not match \"" +
                    ExtractFileName(index->FileName()) + "\"; it is opened for reading only");
      // Another file than the one last saved (put back from another copy,
      // changed by hand): it is rebuilt, and said so.
      if (!IndexFileMatches(*index))
        openNotes_.push_back("\"" + ExtractFileName(index->FileName()) +
                             "\" is not the one the last commit recorded in xbase.vlm (put back from another "
                             "copy?); it was rebuilt from index.vlm");
    }
    // A damaged file (its checksum differs from the one recorded at its last
    // save), or one that may lag behind the global index.
    if (!Rebuild(index)) {
      RemoveIndex(index);
      Fail("Failed to open index");
      return nullptr;
    }
  }
  // A rebuilt index reaches its file before the caller relies on it; should
  // that fail, the next Flush tries again.
  if (index && !ReadOnly()) index->Save();
  return index;
}

bool TXBase::Rebuild(TXIndex* index) {
  LastError.clear();
  // Flushed before the index is emptied, so that the flush does not write
  // the empty index to its file.
  if (!Flush()) return false;
  if (!index->Init()) return Fail(index->LastError());

  std::vector<TXRecData*> records;
  const uint32_t kindId = uint32_t(index->Kind()->Id);
  bool ok = gindex_.ForEach([&](const TXGIndexRec& entry, int64_t id) {
    if (entry.KindId != kindId || entry.IsDeleted()) return true;
    TXRecData* rec = FetchData(id);
    // A record that cannot be read turned the database read-only: the index,
    // kept in memory only, lists what can be read.
    if (!rec) return ReadOnly();
    records.push_back(rec);
    return true;
  });
  if (!ok) return false;

  // One stable sort in place of an insert per record: equal records keep
  // their ID order, and, as inserting would, only the first of them is kept.
  const TXCompareFunc& compare = index->Compare();
  std::stable_sort(records.begin(), records.end(),
                   [&compare](TXRecData* a, TXRecData* b) { return compare(a, b) > 0; });
  std::vector<int64_t> ids;
  ids.reserve(records.size());
  TXRecData* kept = nullptr;
  for (TXRecData* rec : records) {
    if (kept && compare(kept, rec) == 0) continue;
    ids.push_back(rec->ID);
    kept = rec;
  }
  index->Assign(ids);
  return true;
}

}  // namespace qv
