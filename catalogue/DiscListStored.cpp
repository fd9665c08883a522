// The disc list after a change whose commit failed: what the last commit
// stored, read again, so that the views show the catalogue as it is on disk.
#include "catalogue/DiscList.h"
#include "storage/Base.h"

namespace qv {

std::vector<int64_t> TDiscList::IndexedIds() const {
  std::vector<int64_t> ids;
  if (!DiscIndex) return ids;
  ids.reserve(std::size_t(DiscIndex->Count()));
  for (int i = 0; i < DiscIndex->Count(); ++i) ids.push_back(DiscIndex->GetItem(i));
  return ids;
}

// The pool holds no change by now (the database writes nothing and has
// dropped them), so every record reads as stored. The disc index's file is
// only saved after a commit, so the IDs the session held before the change
// are the stored ones.
void TDiscList::ReloadStored(const std::vector<int64_t>& indexed) {
  if (!IsOpen()) return;
  host_.BrowserClear();
  BrowseRoot->ClearChildren();
  BrowsedID = -1;
  discs_.clear();
  if (DiscIndex) DiscIndex->Assign(indexed);
  if (!Categories.LoadNames(true)) Categories.Reset();
  if (Categories.Selected >= Categories.Count()) Categories.Selected = -1;
  LoadAll();
}

}  // namespace qv
