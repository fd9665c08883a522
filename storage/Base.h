// TXBase: the database, a folder holding the description file xbase.vlm, the
// context context.vlm, the data file storage.vlm, the global index index.vlm
// and one .idx file per sorted index. It hands out records by data ID from a
// pool, writes changed records back at Flush and Close, and reports every
// failure through LastError.
//
// Records handed out by GetData are pinned until Release; Flush writes every
// changed record but frees only unpinned ones, so a caller's record stays
// valid until it releases it.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Streams.h"
#include "platform/Guid.h"
#include "platform/HeldFolder.h"
#include "storage/CommitMark.h"
#include "storage/Context.h"
#include "storage/DataFile.h"
#include "storage/DataFileOwner.h"
#include "storage/DataPool.h"
#include "storage/FolderGuard.h"
#include "storage/FreeSpace.h"
#include "storage/GlobalIndex.h"
#include "storage/SortedIndex.h"
#include "storage/Users.h"
#include "storage/Values.h"

namespace qv {

class TCustomIniFile;
struct TXGIndexJournal;

class TXBase : public IDataFileOwner {
 public:
  using TProgressEvent = std::function<void(int Percent)>;

  // Every file the database writes goes through hooks (a test gives it a
  // FaultInjector; the default lets every write through).
  explicit TXBase(FileHooks& hooks = FileHooks::None());
  // Closes when open (a failure is ignored), then frees everything.
  ~TXBase() override;
  TXBase(const TXBase&) = delete;
  TXBase& operator=(const TXBase&) = delete;

  // Creates a database in a folder (made with its missing parents) and opens it.
  bool CreateNew(const std::string& path, const std::string& login, TContext& context,
                 const std::string& password);
  bool Open(const std::string& path, const std::string& login, const std::string& password);
  // Writes every changed record, the global index and the changed sorted
  // indexes, each synced to disk; then frees the unpinned records. On failure
  // nothing is freed and every change stays for the next Flush or Close.
  bool Flush();
  // The last Flush got past its commit point: its journal is on disk, or it
  // had nothing to commit. What failed after that point (the description,
  // an index file) the next open completes.
  bool CommitReached() const { return commitReached_; }
  bool Close();
  // Drops the open state: data file, global index, sorted indexes, users.
  void Reset();
  bool WriteDescription();
  bool ReadDescription();
  // Keys of the caller's own in the [ENGINE] section of xbase.vlm, beside the
  // engine's: read from and written to the file at once ("" when absent).
  std::string ReadEngineKey(const std::string& key) const;
  bool WriteEngineKey(const std::string& key, const std::string& value);
  // A key of the caller's own in [ENGINE] that changes in one step with
  // what the next commit stores: written with that commit's mark (and with
  // every later write of the description); "" removes it.
  void SetCommitKey(const std::string& key, const std::string& value);
  // What the session writes past the last commit until its next one (say,
  // "the add of disc \"Big\""), recorded with the commit before it, so that
  // an open finding those bytes unclaimed can tell what they were; "" when
  // that is committed. Underway: as the last open found it.
  void SetUnderway(const std::string& what);
  const std::string& Underway() const { return underway_; }

  TXRecData* NewData(const TRecKind* kind);
  // The record of a data ID, pinned until Release.
  TXRecData* GetData(int64_t id);
  // As GetData without pinning: for index probes and rebuilds, whose records
  // stay pooled until the next Flush.
  TXRecData* FetchData(int64_t id);
  bool SaveData(TXRecData* record);
  // Writes the chains of records the caller has finished with and drops them
  // from the pool (pinned ones stay), so that a long run of new records holds
  // only what it still changes. Their index entries are committed by the next
  // Flush, as those of released records are; a record whose write fails stays
  // pooled for that Flush to retry and report.
  bool WriteAhead(const std::vector<TXRecData*>& records);
  // A pin of a pooled record the caller holds already, as GetData gives one,
  // and its undoing without a save: the record stays pooled, changes and all,
  // for the next Flush.
  void Pin(TXRecData* record) { ++record->Pins; }
  void Unpin(TXRecData* record) {
    if (record->Pins > 0) --record->Pins;
  }
  // Reading on several threads at once (the browse reads ahead this way).
  // PrepareSharedReads readies one reader per thread; false with LastError
  // when a write-ahead batch is in flight or the data file cannot be readied.
  // ReadDetached then gives a record as GetData would read it from the file,
  // neither pooled nor pinned, or nullptr with error set to what LastError
  // would say. It may run on any thread while this one writes nothing;
  // DataFile()->Writes() tells whether it did. A record pooled meanwhile is
  // the caller's to look for.
  bool PrepareSharedReads(TXFile::TSharedReader& reader);
  std::unique_ptr<TXRecData> ReadDetached(int64_t id, TXFile::TSharedReader& reader,
                                          std::string& error) const;
  // Unpins; at the last pin a changed record is saved and the record freed.
  bool Release(TXRecData*& record);
  bool DeleteData(int64_t id);
  // BaseClear.cpp. Empties the database, damaged or not; false with
  // LastError when it did not happen, or happened (CommitReached) and the
  // next open finishes it (the session then writes nothing more).
  bool ClearGlobalAccessIndex();
  // Keys of the caller's own in [ENGINE] that name records (IDs, places):
  // a clear removes them in the write that makes it happen.
  std::vector<std::string> RecordKeys;

  TXIndex* CreateIndex(const std::string& kindName, uint32_t number, TXCompareFunc compare);
  TXIndex* OpenIndex(const std::string& kindName, uint32_t number, TXCompareFunc compare);
  TXIndex* FindIndex(const TKind* kind, uint32_t number) const;
  int AddIndex(const TRecKind* kind, uint32_t number, TXCompareFunc compare);
  int IndexCount() const { return int(indexes_.size()); }
  TXIndex* GetIndex(int i) const;
  bool Rebuild(TXIndex* index);

  TXUser* FindUser(const std::string& login) const;
  int UserCount() const { return int(users_.size()); }
  TXUser* GetUser(int i) const;
  std::string GetIDText() const;
  void SetIDText(const std::string& text);  // raises EConvertError for a non-GUID text

  // IDataFileOwner
  const TGUID& DatabaseID() const override { return GUID; }
  const TXUser* LoggedInUser() const override { return user_; }
  FileHooks& Hooks() const override { return hooks_; }

  TContext& Context() { return context_; }
  // The folder's files, with a trailing "/": while the database is open, a
  // path through the descriptor of the folder the session holds, so that
  // every name is looked up in that folder wherever it is now.
  const std::string& Path() const { return path_; }
  // The folder as the caller named it, with a trailing "/".
  const std::string& ShownPath() const { return folder_.OpenedPath(); }
  // A text of the files' own with every path in it named as the caller
  // named the folder, for what a user reads.
  std::string Shown(const std::string& text) const { return folder_.Shown(text); }
  bool Opened() const { return opened_; }
  // ReadOnly (below) holds too for a database that cannot be written
  // (read-only media, a folder this process may not write, a full disc at
  // the open: OpensReadOnly), and for one with a record that cannot be read
  // back (damaged). Why it is read-only, as a console line ("" when it is
  // not), and what a refused write says (BaseReadOnly.cpp).
  std::string ReadOnlyText() const;
  std::string RefusalText() const;
  // A damaged database that can be written otherwise: the way out, to end
  // a line that says the damage ("" when there is none to name).
  std::string WayOut() const;
  bool OpensReadOnly() const override { return !unwritable_.empty(); }
  // The session holds its folder (a descriptor taken with the lock and kept
  // to the close): a folder moved or renamed while open keeps every change,
  // and a copy put where it was is never touched. What it cannot go on
  // with, found before it writes again (BaseFolder.cpp): its folder was
  // removed, or its files were changed by another program (a copy written
  // over them), or no path reaches it any more (its file system was
  // unmounted). Kept until the next CreateNew or Open.
  enum class TFolderLoss { None, Removed, FilesChanged, Unreachable };
  TFolderLoss FolderLoss() const { return folderLoss_; }
  // False once the folder is lost: the session then writes nothing more and
  // drops what it had not written. Looks at the files as the guard does,
  // between changes or in a change's middle alike; changeEnded: after a
  // change's last write.
  bool FolderStillOurs(bool changeEnded = false);
  // Where the folder is now, with a trailing "/", when it is no longer at
  // ShownPath ("" when it is there, or removed); after the close, where it
  // was at the close.
  std::string MovedTo() const;
  // The system's reason at the end of a failure's text (after its last
  // ": "), for a line that says what failed in its own words.
  static std::string FailureReason(const std::string& error);
  // Why the last failure happened, for such a line: the folder's loss in the
  // database's words when that is why (a refusal of the folder's guard is a
  // result of its own, never a system error), else LastError's reason.
  // Shown: said to the user, so the loss is told (LossTold).
  std::string FailureReason() const;
  std::string ShownFailureReason() const;
  // The line that says what the user is to do about a folder lost, once: a
  // copy of a removed folder (a move to another disc) may lack this
  // session's changes; a copy met while a change was writing is to be put
  // back again. "" when there is nothing to do or it was said.
  std::string TakeLossAdvice();
  // LastError as a line shown to the user; a lost folder's cause in it is
  // then told (LossTold).
  const std::string& ShownError() const {
    NoteTold(LastError);
    return LastError;
  }
  // A line that names why the folder is lost was shown (RefusalText and
  // ShownError tell it), so the close need not say it again.
  bool LossTold() const { return lossTold_; }
  // The line that says where the folder went, once for each place it is
  // found at ("" when it was not moved or that place was said already);
  // every: said again, as at the close.
  std::string MovedNote(bool every = false);
  TXUser* User() const { return user_; }
  TXFile* DataFile() const { return dataFile_.get(); }
  TXGIndex& GIndex() { return gindex_; }
  const TXGIndex& GIndex() const { return gindex_; }
  // Read-only: records leave the pool only through the database.
  const TXDataPool& Pool() const { return pool_; }
  // A damaged database (index.vlm shorter than recorded, a journal that does
  // not fit it, or a stored reference past its end) or one that cannot be
  // written is open for reading only: it writes nothing and hands out no ID.
  // The text says what was found.
  bool ReadOnly() const { return !damage_.empty() || !unwritable_.empty(); }
  const std::string& DamageText() const { return damage_; }
  // Damage found while the database is open: keeps the first text, and from
  // now on the database is read-only. xbase.vlm remembers it ([ENGINE]
  // Damage), so that every later Open reports it and opens read-only too.
  void MarkDamaged(const std::string& text);
  // A flush failed (a full disc, most often) and the caller gives up: from
  // now on the database writes nothing, as one that cannot be written at the
  // open, and the next Open settles the files as the last commit left them
  // (or finishes the commit whose journal is whole). why: the system's
  // reason, for ReadOnlyText. With dropChanges, records read as the last
  // commit left them (the failed commit's entries are forgotten) and the
  // next Flush drops the pooled changes; without, the entries stay as the
  // commit whose journal is on disk set them.
  void StopWriting(const std::string& why, bool dropChanges);
  // What the last Open found and settled (a commit finished from its journal,
  // entries kept past the recorded commit, space given back), a line each
  // for the console; the damage it found is in DamageText.
  const std::vector<std::string>& OpenNotes() const { return openNotes_; }
  // The bytes the open gave back that were written past the last commit.
  int64_t GivenBack() const { return givenBack_; }
  // The place among OpenNotes of the note that the last change was not
  // stored (its bytes past the commit given back, or its journal torn; -1:
  // none), for a caller that says it in its own words (the add Underway
  // names).
  int NotStoredNote() const { return notStoredNote_; }
  // The note that the last commit, cut short, was finished from its journal
  // (-1: none), for a caller that knows which change that commit was.
  int FinishedNote() const { return finishedNote_; }
  // The commit the last Open finished from its journal appended the entry of
  // id: that commit was cut short before its mark reached xbase.vlm.
  bool FinishedAppend(int64_t id) const { return id >= finishedFrom_ && id < finishedEnd_; }
  // That commit rewrote the entry of id (a record it changed or deleted).
  bool FinishedRewrite(int64_t id) const;
  // Called as the description is about to record the mark of a commit that
  // appended the entries first .. end-1: a Flush's, once its journal is on
  // disk (atOpen false), or the one an Open finished from its journal
  // (atOpen true, before the database is Opened). Keys the caller sets here
  // (SetCommitKey) go in the same write as that mark.
  std::function<void(int64_t first, int64_t end, bool atOpen)> OnMark;
  // The data file's free space (for inspection).
  const TFreeSpace& FreeSpace() const { return free_; }

  std::string Name;
  TGUID GUID;
  bool Pass = false;  // created with a non-empty password
  std::string LastError;
  TProgressEvent OnProgress;

 private:
  bool DoCreateNew(const std::string& path, const std::string& login, TContext& context,
                   const std::string& password);
  bool DoOpen(const std::string& path, const std::string& login, const std::string& password);
  bool LockForOpen(std::string& unopened);
  bool DoClear();
  bool NoteClearing();
  bool FinishClear();
  // Open: a clear that did not end is finished first (true when there is
  // none, when it waits for an open that can write, or when the catalogue
  // was committed since, which then opens read-only).
  bool FinishClearAtOpen(const std::string& unopened);
  bool ClearStillRecorded() const;
  // [ENGINE] Clearing=1: a clear under way, which an open finishes while
  // the recorded commit is still the clear's.
  static constexpr const char* kClearingKey = "Clearing";
  bool clearing_ = false;
  // The folder holds a database's description (xbase.vlm).
  bool DatabaseInFolder() const;
  bool Fail(std::string text);
  bool FailReset(std::string text);
  // BaseReadOnly.cpp. Fail with text and the system's reason for the
  // failure just met (errno).
  bool FailWrite(const std::string& text);
  // Open: a database whose index.vlm may not be opened for writing is opened
  // for reading only; one whose description cannot be written (true, the
  // reason taken from errno) too.
  void NoteUnwritable();
  bool OpenUnwritable(bool crashed);
  // A record the global index lists could not be read back.
  void NoteUnreadable(int64_t id);
  // Closes an open database before another is created or opened; when that
  // Close fails its records are dropped, since the context they point into is
  // about to be replaced.
  void CloseForReplace();
  bool LoginUser(const std::string& password);
  // The text of an open refused for want of a user, or for a refused login:
  // where xbase.vlm shows damage, it names the key (BaseDescription.cpp).
  std::string NoUserText() const;
  std::string LoginFailedText() const;
  bool SaveContextFile();
  bool LoadContextFile();
  bool WriteDescriptionFile(bool openMarker);
  // False when one could not be removed or the folder not synced.
  bool DeleteIndexFiles();
  // The damage found and recorded is forgotten, and [ENGINE] Damage goes
  // with the next write of the description.
  void ForgetDamage();
  bool RefuseWrite();
  // Flush has something to write: changed records, index entries, a mark.
  bool HasUnwritten(const std::vector<TXRecData*>& pooled) const;
  // The guard's question (BaseFolder.cpp): path lies in the database's
  // folder, and the session may no longer write there (FolderLoss).
  bool ChangeOutsideLock(const std::string& path, TFolderGuard::TChange change);
  // A line shown names why the folder is lost (LossTold).
  void NoteTold(const std::string& line) const;
  // BaseFolder.cpp: why the folder is lost, in a sentence's middle.
  std::string LossReason() const;
  TFolderLoss FolderLossNow();
  void LookAtFolder(bool changeEnded);
  // xbase.vlm as this session last read or wrote it.
  void NoteDescriptionStamp();
  bool DescriptionAsLeft();
  // [ENGINE] of xbase.vlm: the entry count of index.vlm and each sorted
  // index file's checksum as last committed.
  void ReadEngineState(const TCustomIniFile& ini);
  void WriteEngineState(TCustomIniFile& ini) const;
  void NoteCommittedState();

  // The commit point (BaseCommit.cpp). The mark of the files as they stand.
  TCommitMark MarkNow() const;
  // Commits the global index through its journal and records the mark it
  // gives in xbase.vlm, then drops the journal; false with LastError.
  bool CommitIndex();
  bool RecordMark();
  // Read-only for this session, as found at Open (not remembered: the next
  // Open finds it again).
  void SetDamaged(const std::string& text);
  // [ENGINE] Damage=text, when nothing is recorded yet (best effort).
  void RecordDamage(const std::string& text);

  // Settling at Open what an earlier session left (BaseOpen.cpp); false with
  // LastError when the files cannot be settled.
  bool SettleAtOpen();
  int64_t CommittedCount();
  bool SettleJournal(int64_t& committed);
  bool JournalFits(const TXGIndexJournal& journal, int64_t committed) const;
  bool JournalDone(const TXGIndexJournal& journal) const;
  bool FinishJournal(const TXGIndexJournal& journal, int64_t& committed);
  void SetJournalAside(const TXGIndexJournal& journal);
  void CheckCommittedCount(int64_t committed);
  void CheckEntriesPast(int64_t committed);
  bool EntryChecksOut(int64_t id, std::string& why);
  void NoteDamagedMark();
  // BaseOpenChecks.cpp: what costs little to check at open, so that files
  // of different commits, or a data file too short for its index, are found
  // before anything is written over them.
  void CheckFilesBelong();
  bool IndexBelongs() const;
  std::string IndexMismatchText() const;
  void CheckDataFile();
  void CheckEntries();
  int64_t NewestLiveChain() const;
  // The record named by a mark: which chain it names and its check.
  void NameChain(TCommitMark& mark) const;
  void GiveBackData();
  // The note that the last change was not stored (NotStoredNote); how: how
  // the open found it, when it names no change.
  void NoteNotStored(const char* how);
  void NoteUnusedData();
  // The index file as read has the recorded checksum, or none is recorded.
  bool IndexFileMatches(const TXIndex& index) const;
  // A checksum is recorded and the file as read has it.
  bool IndexFileRecorded(const TXIndex& index) const;

  TXRecData* Fetch(int64_t id, bool pin);
  // Reads a record's chain into it; a failure marks the database damaged.
  bool ReadRecordInto(TXRecData& record, const TXGIndexRec& entry);
  bool ReadStoredRecord(TXRecData& record, const TXGIndexRec& entry);
  // A fresh record for a global index entry, flags set; nullptr with error
  // for an unknown kind.
  std::unique_ptr<TXRecData> RecordOfEntry(int64_t id, const TXGIndexRec& entry, std::string& error) const;
  // Decodes a record's verified bytes into it; false with error.
  static bool DecodeInto(TXRecData& record, uint32_t kindId, const TXGIndexRec& entry, const uint8_t* bytes,
                         std::size_t n, int64_t chainBytes, std::string& error);
  bool SaveRecord(TXRecData* record);
  bool Placed(TXRecData* record, TXGIndexRec& entry, int64_t position, int64_t bytes, bool fresh);
  // Flush's writing, in batches whose checksums and cipher run on several
  // threads (BaseFlush.cpp).
  bool SaveRecords(const std::vector<TXRecData*>& items, std::vector<TXRecData*>& saved, bool progress);
  struct BatchItem;
  bool WriteBatch(std::vector<BatchItem>& batch, std::vector<TXRecData*>& saved);
  bool PlaceBatch(std::vector<BatchItem>& batch, const uint8_t* bytes, std::vector<TXRecData*>& saved);
  // Write-ahead batches are encoded on a worker while the caller goes on
  // (BaseWriteAhead.cpp). The batch in flight is placed by the next
  // WriteAhead, or at once by anything that may touch its records or the
  // file: Flush, Close, Reset, deletions, fetching one of its records.
  struct AheadJob;
  struct AheadJobDeleter {
    void operator()(AheadJob* job) const;  // waits for its worker
  };
  std::unique_ptr<AheadJob, AheadJobDeleter> ahead_;
  // Places the batch in flight; its records leave the pool into dropped
  // when given, else are freed.
  bool FinishWriteAhead(std::vector<std::unique_ptr<TXRecData>>* dropped = nullptr);
  bool InFlight(int64_t id) const;
  bool CommitFiles();
  void ReportProgress(std::size_t i, std::size_t count, int& last);

  // Free space of the data file (BaseSpace.cpp).
  std::string FreeFileName() const { return path_ + "free.vlm"; }
  void LoadFreeSpace();
  bool RebuildFreeSpace();
  bool SaveFreeFile();
  bool DropFreeFile();
  bool BeforeIndexCommit();
  void AfterIndexCommit();
  int64_t PlaceRecord(uint32_t kindId, int64_t& bytes);
  void GiveUpChain(const TXRecData& record, bool fresh);
  void GiveUpStretch(int64_t position, int64_t bytes, bool fresh);
  // The chain of a live record not in the pool, when it reads back whole with
  // its kind and checksum and no other entry can share it: where it lies and
  // its size.
  bool VerifiedChain(int64_t id, int64_t& position, int64_t& bytes);
  bool ChainsUnshared();

  const TRecKind* IndexKind(const std::string& kindName, uint32_t number);
  void RemoveIndex(TXIndex* index);

  // The context is declared before the pool: records point into its kinds and
  // must be freed first.
  TContext context_;
  mutable TFolderGuard hooks_;  // the caller's hooks, through the folder's guard
  HeldFolder folder_;
  std::string path_;
  bool removingOwnJournal_ = false;  // the guard lets the session take its own journal away
  mutable bool lossTold_ = false;    // LossTold
  bool descriptionKnown_ = false;    // descriptionBytes_ hold xbase.vlm as last read or written
  std::string descriptionBytes_;
  std::string descriptionStat_;    // xbase.vlm's inode, size and times when its bytes were last found so
  bool inDataRun_ = false;         // the last write let through wrote bytes to storage.vlm
  bool writtenSinceLook_ = false;  // a write was let through since a look last found the files as left
  bool lossWhileWriting_ = false;  // FolderLoss met with such a write (kept past Reset)
  int64_t openedAt_ = 0;           // the session began (seconds since the epoch)
  bool lossAdvised_ = false;       // TakeLossAdvice said its line
  std::string movedSaid_;          // the place MovedNote said last
  std::string closedAt_;           // MovedTo as the close found it
  bool opened_ = false;
  TXUser* user_ = nullptr;
  std::vector<std::unique_ptr<TXIndex>> indexes_;
  std::vector<std::unique_ptr<TXUser>> users_;
  std::unique_ptr<TXFile> dataFile_;
  TXGIndex gindex_;
  TXDataPool pool_;
  TFreeSpace free_;
  bool freeFileHolds_ = false;  // free.vlm may list stretches (it exists)
  bool freeFileStale_ = false;  // stretches were taken since it was written
  bool freeRecorded_ = false;   // [ENGINE] Free: the checksum free.vlm ends in, when written
  uint32_t freeCheck_ = 0;
  bool freeAsRecorded_ = false;  // Open: the free space was taken from free.vlm as xbase.vlm records it
  int64_t keptPast_ = 0;         // Open: storage.vlm past the last commit (from here) was not given back
  std::string keptWhy_;          // ... and why
  int64_t givenBack_ = 0;        // Open: bytes past the commit given back, by what underway_ names
  int notStoredNote_ = -1;       // Open: the note in openNotes_ that the last change was not stored
  bool tornJournal_ = false;     // Open: index.jnl was torn (its commit never happened)
  int finishedNote_ = -1;        // Open: the note in openNotes_ that index.jnl was finished
  int64_t finishedFrom_ = 0;     // Open: the entries that finished commit appended, from ...
  int64_t finishedEnd_ = 0;      // ... up to here
  std::vector<int64_t> finishedRewrites_;  // ... and the IDs it rewrote, ascending
  int chainsUnshared_ = -1;                // -1 unknown; 1: no two live entries share a chain
  std::string damage_;                     // not empty: damaged, open for reading only
  TCommitMark mark_;              // the last commit's, as xbase.vlm holds it (or is to: markUnwritten_)
  bool markRead_ = false;         // Open: xbase.vlm held a sound commit mark
  std::string damagedMark_;       // Open: the text of a mark that fails its check
  bool journalFinished_ = false;  // Open: a commit cut short was finished from its journal
  bool markUnwritten_ = false;    // a commit's mark has yet to reach xbase.vlm
  bool commitReached_ = false;    // CommitReached
  bool dropJournal_ = false;      // Open: the journal is done with once the mark is written
  int64_t recordedEntries_ = 0;   // [ENGINE] Entries as read (the only mark of earlier versions)
  std::string recordedDamage_;    // [ENGINE] Damage: what an earlier session found
  std::vector<std::string> openNotes_;
  std::map<std::string, std::string> commitKeys_;    // SetCommitKey: written with the next description
  std::string underway_;                             // [ENGINE] Underway as the open found it
  std::map<std::string, uint32_t> recordedIndexes_;  // .idx file name -> checksum
  bool engineStateDirty_ = false;
  static constexpr std::size_t kTrimAfterRecords = 100000;
  bool markerFound_ = false;                    // xbase.vlm says the last session did not close
  bool rebuildIndexes_ = false;                 // this session rebuilds every sorted index it opens
  bool dataWritten_ = false;                    // storage.vlm changed since its last fsync
  std::string unwritable_;                      // not empty: why nothing can be written
  TFolderLoss folderLoss_ = TFolderLoss::None;  // FolderStillOurs (kept past Reset)
  TMemoryStream recordStream_;                  // reused for every record written or read
  std::vector<uint8_t> encoded_;                // reused for every record encoded
  std::vector<uint8_t> batchBytes_;             // a flush batch's encodings, then stored bytes
};

}  // namespace qv
