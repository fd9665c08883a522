// The disc index ("xDisc", in ascending case-insensitive label order): kept in
// order when a disc is renamed, searched by ID when a disc is deleted, and
// mended at open when an earlier build left a deleted disc in it or its
// labels out of order.
#include <algorithm>

#include "catalogue/DiscList.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Referenced.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"
#include "storage/Base.h"

namespace qv {

namespace {
std::vector<int64_t> IndexIds(const TXIndex& index) {
  std::vector<int64_t> ids(std::size_t(index.Count()));
  for (int i = 0; i < index.Count(); ++i) ids[std::size_t(i)] = index.GetItem(i);
  return ids;
}
}  // namespace

// The IDs of the listed discs in the index's order: by label as the index
// compares them, equal labels by ID.
std::vector<int64_t> TDiscList::IdsInLabelOrder() const {
  std::vector<const TDiscData*> discs;
  for (auto& d : discs_) discs.push_back(&d->Data);
  std::sort(discs.begin(), discs.end(), [](const TDiscData* a, const TDiscData* b) {
    const int c = CompareStoredNames(Utf16ToUtf8(a->Label), Utf16ToUtf8(b->Label));
    return c != 0 ? c < 0 : a->ID < b->ID;
  });
  std::vector<int64_t> ids;
  for (const TDiscData* d : discs) ids.push_back(d->ID);
  return ids;
}

// A renamed disc moves to its label's place; the index reaches its file
// with the next flush.
void TDiscList::KeepIndexOrder() {
  if (!DiscIndex) return;
  std::vector<int64_t> ids = IdsInLabelOrder();
  if (ids != IndexIds(*DiscIndex)) DiscIndex->Assign(ids);
}

// Found by its ID, not by a search of the labels, so that an index left out
// of order by an earlier build still loses the disc.
bool TDiscList::DropFromIndex(int64_t id) {
  if (!DiscIndex) return false;
  std::vector<int64_t> ids = IndexIds(*DiscIndex);
  auto it = std::find(ids.begin(), ids.end(), id);
  if (it == ids.end()) return false;
  ids.erase(it);
  DiscIndex->Assign(ids);
  return true;
}

// A disc index entry whose record is flagged deleted: either a disc that an
// earlier build deleted without dropping it from the index (its tree went
// with it), or a live disc whose entry in index.vlm was damaged. A disc's
// root folder is the record made right after it; while that one is live and
// belongs to the disc, the disc is too.
bool TDiscList::DeletedDiscIsLive(int64_t id) {
  TXGIndexRec entry;
  const TKind* folder = Base->Context().KindByName("xFolder");
  if (!folder || !Base->GIndex().ReadEntry(entry, id + 1) || entry.IsDeleted() ||
      entry.KindId != uint32_t(folder->Id))
    return false;
  std::string error;
  TXRecData* root = GetReferenced(*Base, id + 1, static_cast<const TRecKind*>(folder), error);
  if (!root) return false;
  const bool ours = rec::Ref(root, fld::foDisc) == id && rec::Ref(root, fld::foParent) < 0;
  Base->Release(root);
  return ours;
}

// The IDs of the disc index that name a disc to load. A deleted disc left
// behind is dropped; one whose tree is live is damage, which turns the
// catalogue read-only. Then the index is put in label order; what was
// mended is said in one line, and reaches the file when the catalogue can be
// written.
void TDiscList::LoadIndexed() {
  std::vector<int64_t> kept, dropped;
  for (int64_t id : IndexIds(*DiscIndex)) {
    TXGIndexRec entry;
    if (!Base->GIndex().ReadEntry(entry, id) || !entry.IsDeleted()) {
      kept.push_back(id);
      continue;
    }
    if (DeletedDiscIsLive(id)) {
      const std::string text = "The database is damaged: disc [ID = " + IntToHex(uint64_t(id), 16) +
                               "] is flagged deleted in index.vlm while its folders are not; it is opened "
                               "for reading only";
      Base->MarkDamaged(text);
      continue;
    }
    dropped.push_back(id);
  }
  std::vector<int64_t> loaded;
  for (int64_t id : kept)
    if (LoadDisc(id) >= 0) loaded.push_back(id);
  const bool reordered = IdsInLabelOrder() != loaded;
  if (dropped.empty() && !reordered) return;
  KeepIndexOrder();
  // Files changed by another program or a folder removed: the line that
  // said so stands alone, as this session's view of them is its own.
  if (Base->FolderLoss() != TXBase::TFolderLoss::None) return;
  std::string what;
  for (int64_t id : dropped) what += (what.empty() ? "" : ", ") + IntToHex(uint64_t(id), 16);
  std::string line = "The disc index has been mended:";
  if (!dropped.empty())
    line += " deleted disc" + std::string(dropped.size() > 1 ? "s [IDs = " : " [ID = ") + what + "] removed";
  if (reordered) line += std::string(dropped.empty() ? "" : ";") + " the discs put in label order";
  if (Base->ReadOnly()) line += " (for this session only, as the database cannot be written now)";
  host_.AddWarning(line);
}

}  // namespace qv
