// A change whose commit failed (a full disc, most often): the console says
// whether it was stored and why not, the session writes nothing more, and
// the views show what the catalogue holds on disk.
#include "catalogue/Engine.h"
#include "storage/IndexJournal.h"

namespace qv {

namespace {
const char* const kFlushFailed = "Some data has not been updated: ";
}  // namespace

// Whether the flush that just failed got past its commit point: the flush
// says so, or the journal that commits its entries is whole on disk (the
// next open finishes that commit).
bool TEngine::CommitHappened() const {
  if (Base->CommitReached()) return true;
  if (!Base->GIndex().HasPending()) return false;
  const auto journal = TXGIndexJournal::Read(TXGIndexJournal::FileName(Base->Path()), Base->GUID);
  return journal.State == TXGIndexJournal::TState::Whole;
}

// Why the write failed: the system's reason, or the folder's loss.
std::string TEngine::FailureReason() const {
  return Base->ShownFailureReason();  // said in the line of what failed
}

// The flush failed past its commit point: what it could not write, from the
// storage's text, without the flush's own words for a failure.
std::string TEngine::NotWrittenAfterCommit() const {
  std::string what = Base->ShownError();
  if (what.rfind(kFlushFailed, 0) == 0) what.erase(0, std::string(kFlushFailed).size());
  return "what follows its commit was not written (" + what + "); the next open completes it";
}

// Every later flush would try the failed commit again, writing the same
// records for nothing and failing with an error line, and the close with
// them: the session writes nothing more instead. The files stay as the last
// commit left them (or its journal), which the next open settles.
void TEngine::StopWriting(bool dropChanges) {
  Base->StopWriting(FailureReason(), dropChanges);
}

// A delete, a rename, a disc's or a category's edit whose flush failed. Not
// stored: said with the reason; the pool drops the change and the disc list,
// the disc index (as indexed held it before the change) and the categories
// are read again as stored, so a deleted disc is back. Stored, with what
// follows the commit point not written: said, naming what was not written,
// which the next open completes.
void TEngine::ChangeFailed(const TChangeText& change, const std::vector<int64_t>& indexed) {
  if (CommitHappened()) {
    host_.AddError(change.stored + ", but " + NotWrittenAfterCommit());
    StopWriting(false);
  } else {
    host_.AddError(change.notStored + ": " + FailureReason());
    StopWriting(true);
    // Read-only now: the flush writes nothing and drops the pooled changes.
    Base->Flush();
    ForgetNames();
    Discs->ReloadStored(indexed);
  }
  RefreshViews(true);
  SayWhyReadOnly();
}

// What a search writes is the pruning of names that no stored entry uses any
// more (a deleted disc's). When that cannot be written (a full disc), the
// search's rows stand; the names are pruned again by a later session, and
// this one writes nothing more, so that no later search or the close fails
// on the same commit. Runs on the search's worker: its lines go to Out().
void TEngine::SearchFlush() {
  if (Base->Flush()) return;
  const std::string reason = FailureReason();
  const bool stored = CommitHappened();
  StopWriting(!stored);
  if (!stored) Base->Flush();  // read-only now: drops the pooled changes
  Out().AddWarning("Names no stored file or folder uses any more were not taken out of the name indexes: " +
                   reason);
  if (Base->FolderLoss() == TXBase::TFolderLoss::None) Out().AddWarning(Base->ReadOnlyText());
}

}  // namespace qv
