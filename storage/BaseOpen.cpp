// TXBase: what an Open settles before the database is used. xbase.vlm holds
// the mark of the last commit (TCommitMark); the files are measured against
// it, and only what a commit of ours provably left is acted on:
// - a whole journal whose commit index.vlm still shows (entry by entry) is
//   finished; one written against other files is set aside, never applied;
//   a damaged one is kept, with index.vlm, for reading only;
// - entries past the recorded commit (another writer's, or an earlier
//   version's cut short) are kept when they check out, else the database is
//   opened for reading only; fewer entries than were ever committed is damage;
// - storage.vlm past the last commit is given back, when nothing but a
//   session of ours can have written there since.
// What was found is told in OpenNotes or DamageText.
#include <algorithm>
#include <cctype>
#include <map>

#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"
#include "storage/IndexJournal.h"

namespace qv {

namespace {
// "1 entry", "2 entries".
std::string Count(int64_t n, const char* one, const char* many) {
  return IntToStr(n) + " " + (n == 1 ? one : many);
}

// What an open says of a change whose commit never happened, in the words
// the session used when it failed ("was not stored").
const char* const kLastChange = "The last change made before this open was not stored";
const char* const kAsBefore = "the catalogue is as it was before that change";
const char* const kCutShort =
    "The last change made before this open was stored, but cut short before it was written whole; ";
}  // namespace

bool TXBase::SettleAtOpen() {
  dropJournal_ = false;
  tornJournal_ = false;
  finishedNote_ = -1;
  notStoredNote_ = -1;
  finishedFrom_ = finishedEnd_ = 0;
  finishedRewrites_.clear();
  journalFinished_ = false;
  if (!recordedDamage_.empty()) SetDamaged(recordedDamage_);
  int64_t committed = CommittedCount();
  if (!SettleJournal(committed)) return false;
  NoteDamagedMark();
  CheckCommittedCount(committed);
  if (damage_.empty()) CheckFilesBelong();
  if (!ReadOnly()) GiveBackData();
  if (tornJournal_ && notStoredNote_ < 0) NoteNotStored(" (it was cut short as it was being written)");
  if (!ReadOnly()) mark_ = MarkNow();
  return true;
}

// The entry count of the last commit: the mark's, else (a description of an
// earlier version) Entries; 0 when neither is known.
int64_t TXBase::CommittedCount() {
  if (!markRead_) return recordedEntries_;
  if (recordedEntries_ != mark_.Entries)
    openNotes_.push_back("xbase.vlm gives " + IntToStr(recordedEntries_) + " as the entry count and " +
                         IntToStr(mark_.Entries) +
                         " in its commit mark; the mark, which checks out, is taken");
  return mark_.Entries;
}

bool TXBase::SettleJournal(int64_t& committed) {
  const TXGIndexJournal journal = TXGIndexJournal::Read(TXGIndexJournal::FileName(path_), GUID);
  switch (journal.State) {
    case TXGIndexJournal::TState::None:
      return true;
    case TXGIndexJournal::TState::Torn:
      // Written before index.vlm was touched: its commit never happened.
      // A commit that fails removes it: this one was cut short as it was
      // written, or its removal failed too. Said with the bytes that change
      // wrote, when they are given back, else at the end of the settling.
      tornJournal_ = true;
      dropJournal_ = true;
      return true;
    case TXGIndexJournal::TState::Damaged:
      SetDamaged("The database is damaged: index.jnl " + journal.Problem +
                 "; it and index.vlm are kept as they are, and the database is opened for reading only");
      return true;
    case TXGIndexJournal::TState::Whole:
      break;
  }
  if (JournalDone(journal)) {
    dropJournal_ = true;
    return true;
  }
  if (!JournalFits(journal, committed)) {
    SetJournalAside(journal);
    return true;
  }
  return FinishJournal(journal, committed);
}

// The commit happened and index.vlm still shows it: it is finished (in
// memory only while the database is read-only).
bool TXBase::FinishJournal(const TXGIndexJournal& journal, int64_t& committed) {
  // index.vlm refusing the end (a full disc) is no damage: the files stay
  // as found, the journal too, and the commit is finished in memory only,
  // until an open that can write them.
  if (!ReadOnly() && !gindex_.Redo(journal, true)) unwritable_ = folder_.Shown(gindex_.LastError());
  if (ReadOnly() && !gindex_.Redo(journal, false)) return Fail(gindex_.LastError());
  committed = gindex_.RecordCount();
  journalFinished_ = true;
  if (!journal.Legacy) {
    mark_ = journal.After;
    markRead_ = true;
    finishedFrom_ = journal.Before.Entries;
    finishedEnd_ = journal.After.Entries;
    for (const auto& r : journal.Rewrites) finishedRewrites_.push_back(r.Id);
  }
  if (!damagedMark_.empty())
    openNotes_.push_back("The commit mark in xbase.vlm is damaged (\"" + damagedMark_ +
                         "\"); index.jnl, which checks out against the files, gives the mark anew");
  damagedMark_.clear();
  // Said as the session said it ("has been added, but ...; the next open
  // completes it"), or as a crash, without the files' names.
  finishedNote_ = int(openNotes_.size());
  openNotes_.push_back(std::string(kCutShort) +
                       (ReadOnly() ? "it is completed for this session only, as the catalogue cannot be "
                                     "written now"
                                   : "it has been completed"));
  dropJournal_ = true;
  return true;
}

// The mark the journal gives is recorded already: only its removal was cut
// short, and the files may have changed since.
bool TXBase::JournalDone(const TXGIndexJournal& journal) const {
  return !journal.Legacy && markRead_ && mark_ == journal.After && !(journal.Before == journal.After);
}

// Whether index.vlm is as the journal's commit left it: the mark it was
// written against is the one recorded (or the recorded one is damaged),
// every entry it appends that reached the file is the journal's, every entry
// it rewrites holds its committed or its new value, and with the committed
// values the tail (and the whole index's sum) is the one it was written
// against.
bool TXBase::JournalFits(const TXGIndexJournal& journal, int64_t committed) const {
  const int64_t count = gindex_.RecordCount();
  if (journal.Legacy)  // it was written once its appended entries were on disk
    return committed > 0 && committed <= journal.After.Entries && count == journal.After.Entries;
  if (markRead_ ? !(mark_ == journal.Before) : damagedMark_.empty()) return false;
  const int64_t first = journal.Before.Entries;
  if (count < first || count > journal.After.Entries || dataFile_->Size() < journal.After.DataSize)
    return false;
  TXGIndexRec entry;
  for (int64_t id = first; id < count; ++id)
    if (!gindex_.ReadEntry(entry, id) || !(entry == journal.Appended[std::size_t(id - first)])) return false;
  std::map<int64_t, TXGIndexRec> committedValues;
  uint64_t sum = gindex_.Sum(first);
  for (const auto& r : journal.Rewrites) {
    if (!gindex_.ReadEntry(entry, r.Id) || !(entry == r.Old || entry == r.New)) return false;
    committedValues[r.Id] = r.Old;
    sum += TXGIndex::EntrySum(r.Id, r.Old) - TXGIndex::EntrySum(r.Id, entry);
  }
  if (journal.Before.Whole && sum != journal.Before.IndexSum) return false;
  const uint32_t tail = TXGIndex::TailChecksum(first, [&](int64_t id) {
    auto it = committedValues.find(id);
    TXGIndexRec e;
    if (it != committedValues.end()) return it->second;
    gindex_.ReadEntry(e, id);
    return e;
  });
  return tail == journal.Before.TailCrc;
}

// A journal written against other files (another writer changed them after
// a commit of ours was cut short) is never applied. It is kept under another
// name, and the database is read-only from now on.
void TXBase::SetJournalAside(const TXGIndexJournal& journal) {
  std::string where = "index.jnl";
  if (!ReadOnly()) {
    const std::string aside = gindex_.SetJournalAside();
    if (!aside.empty()) where = ExtractFileName(aside);
  }
  std::string what = journal.Legacy ? "an earlier version's commit" : "a commit";
  const std::string why = damagedMark_.empty()
                              ? "the files have changed since (another program wrote them?)"
                              : "the commit mark in xbase.vlm is damaged (\"" + damagedMark_ +
                                    "\") and the journal does not check out against the files";
  damagedMark_.clear();
  const std::string text = "The database is damaged: index.jnl holds " + what + " that was cut short, and " +
                           why + ", so it was not applied; it is kept as \"" + where +
                           "\" and the database is opened for reading only";
  if (ReadOnly()) return SetDamaged(text);
  MarkDamaged(text);
}

// A mark that fails its own check, with no journal to give it anew: the
// count xbase.vlm gives besides it is taken, as from an earlier version.
void TXBase::NoteDamagedMark() {
  if (damagedMark_.empty()) return;
  openNotes_.push_back("The commit mark in xbase.vlm is damaged (\"" + damagedMark_ +
                       "\"); Entries is taken instead");
  damagedMark_.clear();
}

void TXBase::CheckCommittedCount(int64_t committed) {
  const int64_t count = gindex_.RecordCount();
  // Entries are only ever appended: fewer than were ever committed means a
  // damaged index.vlm, whose IDs must never be handed out again.
  const int64_t high = std::max(committed, markRead_ ? mark_.HighWater : 0);
  if (count < high) {
    SetDamaged("The database is damaged: index.vlm holds " + IntToStr(count - 1) + " of " +
               IntToStr(high - 1) + " entries; it is opened for reading only");
    return;
  }
  if (committed > 0 && count > committed) CheckEntriesPast(committed);
}

// Entries past the recorded commit: a commit of ours always leaves a journal
// until its mark is recorded, so these were written by another program (or
// by an earlier version of this one, cut short). They are kept when each
// checks out, never cut on the word of a number.
void TXBase::CheckEntriesPast(int64_t committed) {
  const int64_t count = gindex_.RecordCount();
  int64_t bad = 0;
  std::string first;
  for (int64_t id = committed; id < count; ++id) {
    std::string why;
    if (EntryChecksOut(id, why)) continue;
    if (bad++ == 0) first = "ID " + IntToStr(id) + ": " + why;
  }
  const std::string past = "index.vlm holds " + Count(count - committed, "entry", "entries") +
                           " past the last commit recorded in xbase.vlm";
  if (bad > 0) {
    SetDamaged("The database is damaged: " + past + ", and " + IntToStr(bad) + " of them do not check out (" +
               first + "); they are kept, and the database is opened for reading only");
    return;
  }
  // A clear that waits for an open that can write takes them with it.
  if (!clearing_)
    openNotes_.push_back(past + " (written by another program, or cut short); they check out and are kept");
}

// A live entry checks out when its kind is a record kind of the schema and
// its chain lies in storage.vlm, holds that kind and passes its checksum.
bool TXBase::EntryChecksOut(int64_t id, std::string& why) {
  TXGIndexRec entry;
  gindex_.ReadEntry(entry, id);
  if (entry.IsDeleted()) return true;
  const TKind* kind = context_.KindById(int32_t(entry.KindId));
  if (!kind || kind->Code != kcRec) {
    why = "unknown kind ID = " + IntToHex(entry.KindId, 8);
    return false;
  }
  if (entry.Position == -1) return true;  // never written: it reads as an empty record
  uint32_t kindId = 0;
  recordStream_.Clear();
  try {
    if (!dataFile_->ReadRecord(kindId, recordStream_, entry.Position)) {
      why = dataFile_->LastError();
      return false;
    }
  } catch (const Exception& e) {
    why = e.Message;
    return false;
  }
  if (kindId != entry.KindId) why = "its chain holds another kind";
  return kindId == entry.KindId;
}

// storage.vlm past the last commit holds only what a session cut short wrote
// after it, when the commit's mark still fits: the global index as it
// committed it, the header stamp it saw (any other writer's close changes
// it), and no entry pointing at or past that length. Then it is cut back.
void TXBase::GiveBackData() {
  keptPast_ = 0;
  givenBack_ = 0;
  notStoredNote_ = -1;
  const int64_t size = dataFile_->Size();
  if (!markRead_ || mark_.DataSize < int64_t(XFileHeaderSize) || size <= mark_.DataSize) return;
  const int64_t limit = mark_.DataSize;
  keptPast_ = limit;  // unless they are given back below
  if (gindex_.RecordCount() != mark_.Entries) {
    keptWhy_ = "index.vlm holds entries past that commit";
    return;
  }
  if (gindex_.TailChecksum(mark_.Entries) != mark_.TailCrc) {
    keptWhy_ = "index.vlm has changed since that commit";
    return;
  }
  if (dataFile_->StampOnDisk() != mark_.Stamp) {
    keptWhy_ = "another program has closed storage.vlm since";
    return;
  }
  const bool inside =
      gindex_.ForEach([limit](const TXGIndexRec& entry, int64_t) { return entry.Position < limit; });
  if (!inside) {
    keptWhy_ = "records of index.vlm lie there";
    return;
  }
  keptPast_ = 0;
  if (!dataFile_->Truncate(limit)) {
    openNotes_.push_back("storage.vlm holds " + Count(size - limit, "byte", "bytes") +
                         " written after the last commit, which could not be given back: " +
                         folder_.Shown(dataFile_->LastError()));
    return;
  }
  // A session that says what it writes past its commit names it here: its
  // next commit would have cleared the note, so that change is not stored.
  // Else those bytes are of a change whose commit failed or was cut short.
  // Said in the words the session used, if it said anything: the space
  // given back is no news to a user (GivenBack tells it).
  givenBack_ = size - limit;
  NoteNotStored("");
}

bool TXBase::FinishedRewrite(int64_t id) const {
  return std::binary_search(finishedRewrites_.begin(), finishedRewrites_.end(), id);
}

void TXBase::NoteNotStored(const char* how) {
  notStoredNote_ = int(openNotes_.size());
  if (underway_.empty()) {
    openNotes_.push_back(std::string(kLastChange) + how + "; " + kAsBefore);
    return;
  }
  std::string what = underway_;
  what[0] = char(std::toupper(static_cast<unsigned char>(what[0])));
  openNotes_.push_back(what + " was not stored");
}

// storage.vlm past the last commit that could not be given back: when the
// free space was taken from free.vlm as recorded (made at that commit, it
// lists nothing there), the bytes that no live record's chain takes stay
// unused for good, since the mark of this open covers them. Said once, here.
void TXBase::NoteUnusedData() {
  if (keptPast_ <= 0 || !freeAsRecorded_ || ReadOnly()) return;
  const int64_t size = dataFile_->Size();
  std::vector<std::pair<int64_t, int64_t>> taken;
  gindex_.ForEach([&](const TXGIndexRec& entry, int64_t) {
    if (!entry.IsDeleted() && entry.Position >= keptPast_) dataFile_->ChainPieces(entry.Position, taken);
    return true;
  });
  int64_t unused = size - keptPast_;
  for (const auto& [at, bytes] : taken)
    unused -= std::max<int64_t>(0, std::min(at + bytes, size) - std::max(at, keptPast_));
  if (unused <= 0) return;
  openNotes_.push_back("storage.vlm holds " + Count(unused, "byte", "bytes") +
                       " past the last commit recorded in xbase.vlm that no record uses; they were not given "
                       "back, as " +
                       keptWhy_ + ", and stay unused");
}

}  // namespace qv
