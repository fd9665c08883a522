// TXBase: creating, opening, flushing and closing a database, and the records
// it hands out. A flush writes, in this order: the record chains and an fsync
// of storage.vlm; the removal of a free.vlm that lists space now in use (the
// folder synced); the journal index.jnl of every index entry the commit
// writes, synced with its folder (from here on the commit has happened);
// the appended and the rewritten entries of index.vlm, synced; the commit
// mark in xbase.vlm; the journal's removal; free.vlm;
// the sorted index files; xbase.vlm again when their checksums changed.
// Open measures the files against the recorded mark (BaseOpen.cpp): it
// finishes a commit whose journal index.vlm still shows, and never shortens
// a file that a commit of ours cannot be proven to have left; so a process
// killed at any write leaves the database as it was at the last flush or the
// one it was making.
#include "storage/Base.h"

#include <errno.h>
#include <malloc.h>

#include <cstring>
#include <ctime>

#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/StreamStrings.h"

namespace qv {

namespace {
// As the database folder dialog refuses a folder that holds xbase.vlm.
const char* const kDatabaseThere = "A database already exists in this folder";
}  // namespace

TXBase::TXBase(FileHooks& hooks)
    : hooks_(
          hooks,
          [this](const std::string& path, TFolderGuard::TChange change) {
            return ChangeOutsideLock(path, change);
          },
          [this] { return LossReason(); }) {}

TXBase::~TXBase() {
  try {
    if (opened_) Close();
    Reset();
  } catch (const std::exception&) {
    // Nothing may escape a destructor; what could not be written is lost.
  }
  ahead_.reset();
  pool_.Clear();
}

// What the user reads names the folder as it was given, not the path
// through its descriptor.
bool TXBase::Fail(std::string text) {
  LastError = folder_.Shown(text);
  return false;
}

bool TXBase::FailReset(std::string text) {
  std::string shown = folder_.Shown(text);
  Reset();
  return Fail(std::move(shown));
}

// ---------------------------------------------------------------------------
// Lifecycle

void TXBase::CloseForReplace() {
  if (opened_) Close();
  if (opened_) {
    // The failed Close keeps the records' changes; they cannot survive the
    // context they point into. The sorted indexes are dropped unwritten, and
    // the open marker left in xbase.vlm makes the next Open rebuild them.
    for (auto& index : indexes_) index->Discard();
  }
  Reset();
  pool_.Clear();
}

bool TXBase::CreateNew(const std::string& path, const std::string& login, TContext& context,
                       const std::string& password) {
  try {
    return DoCreateNew(path, login, context, password);
  } catch (const std::exception& e) {
    return FailReset(e.what());
  }
}

bool TXBase::DoCreateNew(const std::string& path, const std::string& login, TContext& context,
                         const std::string& password) {
  CloseForReplace();
  folderLoss_ = TFolderLoss::None;
  lossWhileWriting_ = lossAdvised_ = false;
  openedAt_ = int64_t(std::time(nullptr));
  lossTold_ = false;
  closedAt_.clear();
  movedSaid_.clear();
  // The folder is held from before the lock to after the close: every file
  // is made in it, wherever it is moved meanwhile.
  if (path.empty() || !ForceDirectories(path) || !folder_.Open(path))
    return Fail("Failed to create path \"" + path + "\"");
  Pass = !password.empty();
  path_ = folder_.Path();
  MakeGUID(GUID);

  if (login.empty()) return Fail("Failed to initialize master access");
  users_.push_back(std::make_unique<TXUser>(login));
  user_ = users_.back().get();
  if (!user_->SetPassword(password, MasterRights, std::string()))
    return FailReset("Failed to initialize master access");
  if (!context_.Assign(context)) return FailReset("Failed to assign context");

  // A database is never made over another: the folder is looked at before
  // anything is made, and again once the lock is held, since another
  // session may have made one there meanwhile. Nothing is truncated or
  // written before the lock is held, so a database in use is left untouched.
  if (DatabaseInFolder()) return FailReset(kDatabaseThere);
  hooks_.NoteLock(path_ + "storage.vlm");
  dataFile_ = std::make_unique<TXFile>(path_ + "storage.vlm", this);
  dataFile_->SetWriteBehind(true);  // every flush syncs the data file before it relies on it
  if (!dataFile_->Lock(true)) return FailReset(dataFile_->LastError());
  hooks_.NoteRead(path_ + "xbase.vlm");
  if (DatabaseInFolder()) return FailReset(kDatabaseThere);
  if (!dataFile_->CreateFile(TXFileOptions{TXFileOption::foEnciphered}) || !dataFile_->Sync())
    return FailReset(dataFile_->LastError());
  // The free space list of a database that was here (under another ID, so
  // it could never be taken up) goes with it.
  if (!DropFreeFile()) return FailReset("Failed to remove \"" + FreeFileName() + "\"");
  if (!SaveContextFile()) return FailReset("Failed to save context");
  if (!gindex_.Reset(*this)) return FailReset("Failed to initialize global index");
  LoadFreeSpace();
  mark_ = TCommitMark();
  mark_ = MarkNow();
  DeleteIndexFiles();  // they belonged to the database that was just overwritten

  opened_ = true;
  // Written at once, so that the folder is known as a database even if the
  // program never gets to Close.
  if (!WriteDescriptionFile(true)) {
    FailWrite("Failed to write database description");
    return FailReset(LastError);
  }
  return true;
}

bool TXBase::Open(const std::string& path, const std::string& login, const std::string& password) {
  try {
    return DoOpen(path, login, password);
  } catch (const std::exception& e) {
    return FailReset(e.what());
  }
}

bool TXBase::DoOpen(const std::string& path, const std::string& login, const std::string& password) {
  LastError.clear();
  CloseForReplace();
  folderLoss_ = TFolderLoss::None;
  lossWhileWriting_ = lossAdvised_ = false;
  openedAt_ = int64_t(std::time(nullptr));
  lossTold_ = false;
  closedAt_.clear();
  movedSaid_.clear();
  openNotes_.clear();
  if (path.empty() || !folder_.Open(path)) {
    // A folder this user may not reach exists all the same.
    const int error = path.empty() ? ENOENT : errno;
    if (error != ENOENT && error != ENOTDIR)
      return Fail("Failed to open the folder \"" + path + "\": " + std::strerror(error));
    return Fail("Path \"" + path + "\" does not exist");
  }
  path_ = folder_.Path();
  // The lock comes before anything is read: a session that changes the
  // database and closes while this open waits would leave it acting on what
  // it read before (see "Locking" in storage/FORMAT.md).
  std::string unopened;
  if (!LockForOpen(unopened)) return FailReset(dataFile_->LastError());

  hooks_.NoteRead(path_ + "xbase.vlm");
  if (!ReadDescription()) {
    Reset();
    return false;
  }
  if (users_.empty()) return FailReset(NoUserText());
  user_ = FindUser(login);
  if (!user_) return FailReset("Invalid user login \"" + login + "\"");
  if (!LoginUser(password)) return FailReset(LoginFailedText());
  hooks_.NoteRead(path_ + "context.vlm");
  if (!LoadContextFile()) return FailReset("Failed to load context");
  if (!FinishClearAtOpen(unopened)) return FailReset(LastError);
  hooks_.NoteRead(path_ + "index.vlm");
  if (!gindex_.Open(*this)) return FailReset("Failed to open global index");
  if (!unopened.empty()) return FailReset(unopened);
  hooks_.NoteRead(path_ + "storage.vlm");
  if (!dataFile_->Open()) return FailReset(dataFile_->LastError());
  hooks_.NoteRead(path_ + "index.jnl");
  if (!SettleAtOpen()) return FailReset(LastError);
  hooks_.NoteRead(FreeFileName());
  LoadFreeSpace();
  NoteUnusedData();

  opened_ = true;
  // A commit finished from its journal proves the last session was cut
  // short, whatever the open marker says (a lost or damaged line).
  bool crashed = markerFound_ || journalFinished_;
  if (ReadOnly()) {
    rebuildIndexes_ = crashed;  // rebuilt in memory only
    return true;
  }
  // The mark of the files as settled is recorded (with the caller's keys
  // for the commit finished from the journal); then the journal can go.
  if (finishedEnd_ > finishedFrom_ && OnMark) OnMark(finishedFrom_, finishedEnd_, true);
  if (!WriteDescriptionFile(true)) return OpenUnwritable(crashed);
  if (dropJournal_ && !gindex_.DropJournal()) return FailReset(gindex_.LastError());
  if (crashed) {
    // The last session ended without Close: its sorted index files may lag
    // behind the global index. Each is rebuilt when it is next opened.
    DeleteIndexFiles();
    rebuildIndexes_ = true;
  }
  return true;
}

bool TXBase::DatabaseInFolder() const {
  return FileExists(path_ + "xbase.vlm");
}

// Takes the data file's lock, which every session holds while the database
// is open (a read-only one too: no writer changes what it reads). False only
// when another session holds it; a data file that does not open is said
// where the open has always said it (unopened), after the description.
bool TXBase::LockForOpen(std::string& unopened) {
  NoteUnwritable();  // the mode the files are opened in; it reads nothing
  hooks_.NoteLock(path_ + "storage.vlm");
  dataFile_ = std::make_unique<TXFile>(path_ + "storage.vlm", this);
  dataFile_->SetWriteBehind(true);  // every flush syncs the data file before it relies on it
  if (dataFile_->Lock()) return true;
  if (dataFile_->InUse()) return false;
  unopened = dataFile_->LastError();
  return true;
}

bool TXBase::LoginUser(const std::string& password) {
  try {
    return user_->Login(password);
  } catch (const Exception&) {
    return false;  // a damaged check value or wrapped key
  }
}

void TXBase::Reset() {
  if (opened_) FolderStillOurs();  // else the indexes' files would be written over another's
  if (opened_ && !ReadOnly()) FinishWriteAhead();
  ahead_.reset();
  const bool readOnly = ReadOnly();
  if (readOnly) {
    // A damaged database is left as it was found.
    for (auto& index : indexes_) index->Discard();
  } else if (dataFile_ && dataFile_->IsOpen() && gindex_.HasPending() && dataFile_->Sync()) {
    // Records released since the last flush have their chains written;
    // their index entries still wait in memory. Best effort, as nothing can
    // be reported here: commit them after the chains are on disk.
    CommitIndex();
  }
  // The lock goes last: nothing of this session is written once another
  // can open the database.
  indexes_.clear();  // loaded and changed indexes write their files
  gindex_.Close();
  // Closed with the header rewritten while the guard can still look at the
  // file it writes (a copy put back over it gets no header of this session).
  if (dataFile_ && dataFile_->IsOpen()) dataFile_->Close(!readOnly);
  dataFile_.reset();
  // The folder goes with the lock; from now on its path means the folder
  // named so, as the caller gave it.
  if (folder_.IsOpen()) closedAt_ = MovedTo();
  folder_.Close();
  path_ = folder_.OpenedPath();
  descriptionKnown_ = false;
  descriptionBytes_.clear();
  descriptionStat_.clear();
  writtenSinceLook_ = false;
  inDataRun_ = false;
  opened_ = false;
  user_ = nullptr;
  damage_.clear();
  mark_ = TCommitMark();
  markRead_ = false;
  damagedMark_.clear();
  journalFinished_ = false;
  freeRecorded_ = false;
  freeCheck_ = 0;
  freeAsRecorded_ = false;
  keptPast_ = 0;
  givenBack_ = 0;
  notStoredNote_ = -1;
  finishedNote_ = -1;
  finishedFrom_ = finishedEnd_ = 0;
  finishedRewrites_.clear();
  markUnwritten_ = false;
  dropJournal_ = false;
  recordedEntries_ = 0;
  recordedDamage_.clear();
  recordedIndexes_.clear();
  engineStateDirty_ = false;
  users_.clear();
  markerFound_ = false;
  rebuildIndexes_ = false;
  dataWritten_ = false;
  unwritable_.clear();
}

bool TXBase::Close() {
  if (!opened_) return false;
  if (!Flush() && folderLoss_ == TFolderLoss::None) return false;
  if (FolderStillOurs() && !ReadOnly()) {
    // The mark names the header stamp the data file is closed with: should
    // the header not reach the disk, the next Open only gives back no space.
    mark_.Stamp = dataFile_->Stamp();
    markUnwritten_ = true;  // should the write fail, the next commit records it first
    // The marker is cleared only once everything else is on disk.
    // A folder lost under it is no failure of the close: it ends, and what
    // it did not write is said (FolderLoss).
    if (!WriteDescriptionFile(false) && FolderStillOurs())
      return Fail("Failed to write database description");
  }
  Reset();
  pool_.Clear();
  return true;
}

// ---------------------------------------------------------------------------
// Flush

bool TXBase::CommitFiles() {
  if (!opened_) return true;
  // A flush after mere reading (a search) costs no fsync.
  if (dataWritten_ && !dataFile_->Sync()) return Fail(dataFile_->LastError());
  dataWritten_ = false;
  if (!BeforeIndexCommit() || !CommitIndex()) return false;
  AfterIndexCommit();
  for (auto& index : indexes_) {
    if (!index->Loaded() || index->Save()) continue;
    if (!rebuildIndexes_) return Fail(index->LastError());
    // Rebuilt this session after a crash, their files gone since the open
    // (a disc that filled up): what the index files were to record is
    // committed, so the session goes on read-only, saying why, and the open
    // marker left in xbase.vlm has the next open rebuild them.
    unwritable_ = folder_.Shown(index->LastError());
    return true;
  }
  NoteCommittedState();
  return true;
}

bool TXBase::RefuseWrite() {
  if (!ReadOnly()) return false;
  LastError = RefusalText();
  return true;
}

// What xbase.vlm records of the committed files, written when it changed;
// a failure only leaves the older (still truthful) values there.
void TXBase::NoteCommittedState() {
  for (auto& index : indexes_) {
    if (!index->Loaded() || index->FileName().empty()) continue;
    auto [it, added] =
        recordedIndexes_.try_emplace(ExtractFileName(index->FileName()), index->FileChecksum());
    if (!added && it->second == index->FileChecksum()) continue;
    it->second = index->FileChecksum();
    engineStateDirty_ = true;
  }
  if ((engineStateDirty_ || markUnwritten_) && WriteDescriptionFile(true)) engineStateDirty_ = false;
}

bool TXBase::IndexFileMatches(const TXIndex& index) const {
  auto it = recordedIndexes_.find(ExtractFileName(index.FileName()));
  return it == recordedIndexes_.end() || it->second == index.FileChecksum();
}

bool TXBase::IndexFileRecorded(const TXIndex& index) const {
  auto it = recordedIndexes_.find(ExtractFileName(index.FileName()));
  return it != recordedIndexes_.end() && it->second == index.FileChecksum();
}

bool TXBase::Flush() {
  // A batch that could not be written ahead stays pooled: this flush writes
  // it and reports what fails.
  FinishWriteAhead();
  commitReached_ = false;
  std::vector<TXRecData*> items = pool_.SortedByID();
  // Nothing is written into a folder removed, or over files another
  // program wrote; what the session was to write is not stored.
  const bool unwritten = opened_ && !ReadOnly() && HasUnwritten(items);
  if (opened_ && !FolderStillOurs() && unwritten) {
    Flush();  // read-only now: drops the pooled changes
    return Fail("Some data has not been updated: " + LossReason());
  }
  if (OnProgress) OnProgress(0);
  std::vector<TXRecData*> saved;
  // A read-only database writes nothing; every change was refused already.
  bool ok = ReadOnly() || SaveRecords(items, saved, true);
  if (OnProgress) OnProgress(0);
  const bool lostBefore = folderLoss_ != TFolderLoss::None;
  ok = ok && (ReadOnly() || CommitFiles());
  // Found in the middle of the commit (a write the folder's guard refused),
  // or at its last write: what it reached stays in files that are no longer
  // the session's, or goes with a file system no path reaches.
  const bool lostNow = unwritten && !lostBefore && folderLoss_ != TFolderLoss::None;
  if ((!ok || lostNow) && !FolderStillOurs()) {
    commitReached_ = false;
    Flush();  // read-only now: drops the pooled changes
    return Fail("Some data has not been updated: " + LossReason());
  }
  // The failure that stopped the flush follows, with the system's reason.
  if (!ok)
    return Fail(LastError.empty() ? "Some data has not been updated"
                                  : "Some data has not been updated: " + LastError);
  // Only now is every change on disk; until here a retry writes it all again.
  for (TXRecData* rec : saved) rec->ClearModified();
  std::size_t freed = 0;
  for (TXRecData* rec : items)
    if (rec->Pins <= 0) pool_.Delete(rec->ID), ++freed;
  // After a large flush the memory of the freed records goes back to the
  // system rather than staying with the process.
  if (freed >= kTrimAfterRecords) malloc_trim(0);
  // A look after the commit's last write: a copy put back before the next
  // change is met as one put between changes, and a folder removed as the
  // change ended is said at its end (TakeLossAdvice).
  if (opened_ && !ReadOnly()) FolderStillOurs(true);
  return true;
}

// ---------------------------------------------------------------------------
// Records

TXRecData* TXBase::NewData(const TRecKind* kind) {
  LastError.clear();
  if (!opened_ || RefuseWrite()) return nullptr;
  // Records point into the database's own context, never into another one.
  if (!kind || context_.KindById(kind->Id) != kind) {
    LastError = "Unknown kind ID = " + IntToHex(kind ? uint32_t(kind->Id) : 0u, 8);
    return nullptr;
  }
  int64_t id = gindex_.Append(uint32_t(kind->Id), -1);
  if (id < 0) {
    Fail("Failed to append global index record");
    return nullptr;
  }
  if (pool_.Find(id)) {
    LastError = "Fatal ID redefinition !!!";
    gindex_.MarkDeleted(id);
    return nullptr;
  }
  return pool_.Insert(TXRecData::Create(kind, -1, id));
}

TXRecData* TXBase::GetData(int64_t id) {
  return Fetch(id, true);
}

TXRecData* TXBase::FetchData(int64_t id) {
  return Fetch(id, false);
}

TXRecData* TXBase::Fetch(int64_t id, bool pin) {
  LastError.clear();
  if (!opened_) return nullptr;
  if (id < 0) {
    LastError = "Ivalid data ID";
    return nullptr;
  }
  if (InFlight(id)) FinishWriteAhead();
  TXRecData* rec = pool_.Find(id);
  if (!rec) {
    TXGIndexRec entry;
    gindex_.ReadEntry(entry, id);
    auto fresh = RecordOfEntry(id, entry, LastError);
    if (!fresh) return nullptr;
    if (entry.Position > 0 && !entry.IsDeleted() && !ReadRecordInto(*fresh, entry)) return nullptr;
    rec = pool_.Insert(std::move(fresh));
  }
  if (pin) ++rec->Pins;
  return rec;
}

std::unique_ptr<TXRecData> TXBase::RecordOfEntry(int64_t id, const TXGIndexRec& entry,
                                                 std::string& error) const {
  const TKind* kind = context_.KindById(int32_t(entry.KindId));
  if (!kind || kind->Code != kcRec) {
    error = "Unknown kind ID = " + IntToHex(entry.KindId, 8);
    return nullptr;
  }
  auto fresh = TXRecData::Create(static_cast<const TRecKind*>(kind), entry.Position, id);
  fresh->Flags = uint8_t(entry.Flags & 0xFF);
  return fresh;
}

bool TXBase::DecodeInto(TXRecData& record, uint32_t kindId, const TXGIndexRec& entry, const uint8_t* bytes,
                        std::size_t n, int64_t chainBytes, std::string& error) {
  if (kindId != entry.KindId) {
    error = "ID \"" + IntToHex(uint64_t(record.ID), 16) + "\" points to a wrong kind";
    return false;
  }
  if (!record.DecodeFrom(bytes, n)) {
    error = "Failed to retrieve data from the database";
    return false;
  }
  record.ChainBytes = chainBytes <= INT32_MAX ? -int32_t(chainBytes) : 0;
  return true;
}

bool TXBase::ReadRecordInto(TXRecData& record, const TXGIndexRec& entry) {
  if (ReadStoredRecord(record, entry)) return true;
  NoteUnreadable(record.ID);
  return false;
}

bool TXBase::ReadStoredRecord(TXRecData& record, const TXGIndexRec& entry) {
  recordStream_.Clear();
  uint32_t kindId = 0;
  try {
    if (!dataFile_->ReadRecord(kindId, recordStream_, entry.Position)) return Fail(dataFile_->LastError());
    return DecodeInto(record, kindId, entry, recordStream_.Memory(), std::size_t(recordStream_.Size()),
                      dataFile_->LastChainBytes(), LastError);
  } catch (const Exception& e) {
    return Fail(e.Message);  // a damaged chain the cipher cannot take
  }
}

bool TXBase::PrepareSharedReads(TXFile::TSharedReader& reader) {
  LastError.clear();
  if (!opened_ || !dataFile_) return Fail("Data file is not opened");
  if (ahead_) return Fail("A write-ahead batch is in flight");
  if (!dataFile_->PrepareSharedReads(reader)) return Fail(dataFile_->LastError());
  return true;
}

std::unique_ptr<TXRecData> TXBase::ReadDetached(int64_t id, TXFile::TSharedReader& reader,
                                                std::string& error) const {
  error.clear();
  if (!opened_) return nullptr;
  if (id < 0) {
    error = "Ivalid data ID";
    return nullptr;
  }
  TXGIndexRec entry;
  gindex_.ReadEntry(entry, id);
  auto fresh = RecordOfEntry(id, entry, error);
  if (!fresh || entry.Position <= 0 || entry.IsDeleted()) return fresh;
  try {
    uint32_t kindId = 0;
    if (!dataFile_->ReadRecordShared(reader, kindId, entry.Position)) {
      error = reader.error;
      return nullptr;
    }
    if (!DecodeInto(*fresh, kindId, entry, reader.chain.data(), reader.chain.size(), reader.chainBytes,
                    error))
      return nullptr;
  } catch (const Exception& e) {
    error = e.Message;
    return nullptr;
  }
  return fresh;
}

bool TXBase::SaveRecord(TXRecData* record) {
  if (!opened_ || !dataFile_) return Fail("Data file is not opened");
  if (RefuseWrite()) return false;
  TXGIndexRec entry;
  if (!gindex_.ReadEntry(entry, record->ID)) return Fail("Failed to retrieve data index");
  QV_ASSERT(uint32_t(record->Kind->Id) == entry.KindId);
  encoded_.clear();
  if (!record->EncodeTo(encoded_)) return Fail("Failed to save data");
  recordStream_.Clear();
  recordStream_.Write(encoded_.data(), int64_t(encoded_.size()));
  // A chain that index.vlm refers to is never overwritten: the new version
  // goes to free space or the end of the file, and the old one stays valid
  // until the entry pointing to the new one is committed. A crash at any
  // moment thus leaves the last flushed version readable.
  const bool fresh = gindex_.IsFresh(record->ID);
  dataWritten_ = true;
  int64_t bytes = 0;
  int64_t position = PlaceRecord(entry.KindId, bytes);
  if (position <= 0) return Fail(dataFile_->LastError());
  return Placed(record, entry, position, bytes, fresh);
}

// The record's new chain is written: its entry points there, and the chain
// it replaced is given up.
bool TXBase::Placed(TXRecData* record, TXGIndexRec& entry, int64_t position, int64_t bytes, bool fresh) {
  entry.Position = position;
  if (!gindex_.WriteEntry(entry, record->ID)) return Fail("Failed to update index record");
  gindex_.MarkFresh(record->ID);
  GiveUpChain(*record, fresh);
  record->Position = position;
  record->ChainBytes = int32_t(bytes);
  return true;
}

bool TXBase::SaveData(TXRecData* record) {
  if (InFlight(record->ID)) {
    // Written ahead meanwhile; the record may have left the pool.
    FinishWriteAhead();
    if (pool_.Find(record->ID) != record) return Fail("Failed to save data");
  }
  if (!SaveRecord(record)) return false;
  record->ClearModified();
  return true;
}

bool TXBase::Release(TXRecData*& record) {
  if (!record) return false;
  if (InFlight(record->ID)) FinishWriteAhead();
  if (pool_.Find(record->ID) != record) return false;
  int32_t pins = record->Pins;
  if (pins > 1) {
    --record->Pins;
    record = nullptr;
    return true;
  }
  record->Pins = 0;
  if (!record->IsDeleted() && !record->IsEmpty() && record->IsModified() && !SaveData(record)) {
    record->Pins = pins;
    return false;
  }
  pool_.Delete(record->ID);
  record = nullptr;
  return true;
}

bool TXBase::DeleteData(int64_t id) {
  LastError.clear();
  if (id < 0) return Fail("Invalid data ID");
  if (!opened_ || RefuseWrite()) return false;
  FinishWriteAhead();
  if (TXRecData* rec = pool_.Find(id)) {
    bool already = rec->IsDeleted();
    if (!already) {
      rec->MarkDeleted();
      GiveUpChain(*rec, gindex_.IsFresh(id));
      rec->ChainBytes = 0;
    }
    // A pinned record stays until its last Release, which frees it unsaved.
    if (rec->Pins <= 0) pool_.Delete(id);
    if (already) return true;
    return gindex_.MarkDeleted(id);
  }
  // A record deleted without being loaded: its chain is read back and
  // verified before its space is given up.
  int64_t position = 0, bytes = 0;
  const bool known = VerifiedChain(id, position, bytes);
  const bool fresh = gindex_.IsFresh(id);
  if (!gindex_.MarkDeleted(id)) return false;
  if (known) GiveUpStretch(position, bytes, fresh);
  return true;
}

}  // namespace qv
