// Undoing an add whose scan was interrupted: the disc stays, with no root and
// zero counts, and nothing the add stored below it survives.
#include <algorithm>
#include <iterator>

#include "catalogue/Engine.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"

namespace qv {

// Every record the add made has an ID above its disc's (IDs are handed out in
// order), and the references it appended to a name stand at the end of the
// name's list. Names new to the catalogue never reached their index; they go
// with the folders and files. Runs before the met names are unpinned.
void TEngine::DropAdded(int32_t discIndex) {
  const int64_t discID = Discs->GetDisc(discIndex).ID;
  finished_.clear();  // their records are deleted below, written or not
  for (TInternTable& met : addNames_)
    met.ForEach([&](TXRecData* name) {
      if (name->ID > discID) return;
      TXArrData* refs = rec::Arr(name, fld::nRefs);
      if (!refs) return;
      int keep = refs->Count();
      while (keep > 0 && refs->GetRef(keep - 1) > discID) --keep;
      refs->Truncate(keep);
      facts_.ForgetRefs(name->ID);
    });
  for (int folder = 0; folder < 2; ++folder) {
    for (int64_t id : newNames_[folder]) {
      if (const std::string_view* cached = names_.Find(id)) {
        auto known = interned_[folder].find(ExactHash(*cached));
        if (known != interned_[folder].end() && known->second == id) interned_[folder].erase(known);
      }
      names_.Forget(id);
    }
    if (hashShared_[folder]) namesKnown_[folder] = false;
    newNames_[folder].clear();
  }
  UnpinAddNames();  // a pinned record would outlive its deletion in the pool
  const int32_t kinds[] = {FolderRecKind->Id, FileRecKind->Id, FolderNameRecKind->Id, FileNameRecKind->Id};
  const int64_t end = Base->GIndex().RecordCount();
  for (int64_t id = discID + 1; id < end; ++id) {
    TXGIndexRec entry;
    if (!Base->GIndex().ReadEntry(entry, id) || entry.IsDeleted()) continue;
    if (std::find(std::begin(kinds), std::end(kinds), int32_t(entry.KindId)) == std::end(kinds)) continue;
    if (!Base->DeleteData(id)) {
      host_.AddError(Base->ShownError());
      break;
    }
  }
  Discs->SetRoot(discIndex, -1);
  FilesCount = FoldersCount = 0;
}

}  // namespace qv
