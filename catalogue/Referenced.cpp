// Checked reference following for the search, the browser and the compare.
#include "catalogue/Referenced.h"

#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"
#include "storage/Base.h"

namespace qv {

namespace {
std::string IdText(int64_t id) {
  return "\"" + IntToHex(uint64_t(id), 16) + "\"";
}

// Whether the global index entry of id can be read and gives a kind that is
// no record kind of the schema (unknown, or an array's). An ID that is no
// entry, or an entry that cannot be read, is not taken for such damage.
bool OfNoRecordKind(TXBase& base, int64_t id) {
  TXGIndexRec entry;
  if (id <= 0 || !base.GIndex().ReadEntry(entry, id)) return false;
  const TKind* kind = base.Context().KindById(int32_t(entry.KindId));
  return !kind || kind->Code != kcRec;
}
}  // namespace

TXRecData* GetReferenced(TXBase& base, int64_t id, const TRecKind* kind, std::string& error) {
  error.clear();
  if (id >= base.GIndex().RecordCount()) {
    base.MarkDamaged(
        "The database is damaged: a stored reference lies past the end of index.vlm; it is "
        "opened for reading only");
    error = "Damaged database: reference " + IdText(id) +
            " lies past the end of the global index; the database is now open for reading only";
    return nullptr;
  }
  TXRecData* rec = base.GetData(id);
  if (!rec) {
    error = base.LastError;
    // No record can be read there (one flagged deleted included, as a name
    // still refers to the files of a deleted disc): damage, as is a record
    // of another known kind.
    if (OfNoRecordKind(base, id)) {
      base.MarkDamaged(
          "The database is damaged: a stored reference reaches a record of a kind the schema does not "
          "know; it is opened for reading only");
      error = "Damaged database: reference " + IdText(id) + " reaches a record of an unknown kind (" + error +
              "); the database is now open for reading only";
    }
    return nullptr;
  }
  if (rec->Kind != kind) {
    error = WrongKindText(id, rec->Kind, kind);
    base.Release(rec);
    base.MarkDamaged(
        "The database is damaged: a stored reference reaches a record of another kind; it is "
        "opened for reading only");
    return nullptr;
  }
  return rec;
}

TXRecData* GetLiveReferenced(TXBase& base, int64_t id, const TRecKind* kind, std::string& error) {
  TXRecData* rec = GetReferenced(base, id, kind, error);
  // A record never written (no chain, no change waiting in the pool) reads
  // as an empty one, as a deleted one does.
  if (!rec || (!rec->IsDeleted() && (rec->Position > 0 || rec->IsModified()))) return rec;
  base.Release(rec);
  base.MarkDamaged(
      "The database is damaged: a stored reference reaches a deleted or missing record; it is "
      "opened for reading only");
  error = DeletedLinkText(id);
  return nullptr;
}

std::string WithWayOut(const TXBase& base, const std::string& line) {
  return line.find("open for reading only") == std::string::npos ? line : line + base.WayOut();
}

std::string DeletedLinkText(int64_t id) {
  return "Damaged database: reference " + IdText(id) +
         " reaches a deleted or missing record; the database is now open for reading only";
}

std::string WrongKindText(int64_t id, const TKind* found, const TRecKind* kind) {
  return "Damaged database: reference " + IdText(id) + " reaches a record of kind \"" + found->Name +
         "\" instead of \"" + (kind ? kind->Name : std::string()) +
         "\"; the database is now open for reading only";
}

bool NameRefersTo(const TXRecData* nameRec, int64_t id) {
  const TXArrData* refs = rec::Arr(nameRec, fld::nRefs);
  const int n = refs ? refs->Count() : 0;
  int lo = 0, hi = n - 1;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int64_t at = refs->GetRef(mid);
    if (at == id) return true;
    if (at < id)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  for (int i = 0; i < n; ++i)
    if (refs->GetRef(i) == id) return true;
  return false;
}

}  // namespace qv
