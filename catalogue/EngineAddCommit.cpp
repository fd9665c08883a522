// An add whose commit failed (a full disc, most often): the disc is said not
// to be stored, the session gives up the changes it could not write and
// writes nothing more, and the views show what the catalogue holds on disk.
#include <algorithm>
#include <unordered_set>

#include "catalogue/Engine.h"
#include "storage/IndexJournal.h"

namespace qv {

namespace {
// The system's reason at the end of a failed write's text.
std::string Reason(const std::string& error) {
  const std::size_t colon = error.rfind(": ");
  return colon == std::string::npos ? error : error.substr(colon + 2);
}
}  // namespace

// Whether the flush that just failed got past its commit point: no index
// entry waits any more, or the journal that commits them is whole on disk
// (the next open finishes that commit).
bool TEngine::CommitHappened() const {
  if (!Base->GIndex().HasPending()) return true;
  const auto journal = TXGIndexJournal::Read(TXGIndexJournal::FileName(Base->Path()), Base->GUID);
  return journal.State == TXGIndexJournal::TState::Whole;
}

// Every later flush would try the failed commit again, writing the same
// records for nothing and failing with an error line, and the close with
// them: the session writes nothing more instead. The files stay as the last
// commit left them (or its journal), which the next open settles.
void TEngine::StopWriting(bool dropChanges) {
  Base->StopWriting(Reason(Base->LastError), dropChanges);
}

// Nothing of the add is on disk but its disc's record when listed (empty, as
// the disc list stored it before the scan). The new names leave the name
// indexes, the caches forget what they learned of records that are not
// stored, the pool drops the changes, and the disc is shown as stored.
void TEngine::NotStored(int32_t discIndex, bool listed, const std::vector<int64_t> (&merged)[2]) {
  const TDiscData disc = Discs->GetDisc(discIndex);
  // Damage met on the way says itself; a failed write gives its reason.
  const bool damaged = !Base->DamageText().empty();
  host_.AddError("Disc \"" + Utf16ToUtf8(disc.Label) +
                 "\" was not stored: " + (damaged ? Base->DamageText() : Reason(Base->LastError)));
  StopWriting(true);
  for (int folder = 0; folder < 2; ++folder) {
    TXIndex* index = NameIndex(folder == 1);
    if (!index || merged[folder].empty()) continue;
    const std::unordered_set<int64_t> added(merged[folder].begin(), merged[folder].end());
    std::vector<int64_t> kept;
    kept.reserve(std::size_t(index->Count()));
    for (int i = 0; i < index->Count(); ++i)
      if (!added.count(index->GetItem(i))) kept.push_back(index->GetItem(i));
    index->Assign(kept);
  }
  finished_.clear();
  ForgetNames();
  // Read-only now: the flush writes nothing and frees the pooled records.
  if (!Base->Flush()) host_.AddError(Base->LastError);
  if (listed)
    Discs->Reload(discIndex);
  else
    Discs->Unlist(discIndex);
  RefreshViews(true);
  if (!damaged) host_.AddWarning(Base->ReadOnlyText());
  Progress(0);
}

}  // namespace qv
