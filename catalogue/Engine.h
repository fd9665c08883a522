// The catalogue engine: creates, opens and closes a catalogue database, keeps
// its name indexes, adds discs, searches, compares folders, browses, deletes,
// and reports every step as console lines through its host.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/AddNote.h"
#include "catalogue/DiscList.h"
#include "catalogue/EngineHost.h"
#include "catalogue/EntryFacts.h"
#include "catalogue/FileKinds.h"
#include "catalogue/Filist.h"
#include "catalogue/HostFeed.h"
#include "catalogue/InternTable.h"
#include "catalogue/Masks.h"
#include "catalogue/NameCache.h"
#include "catalogue/NodeData.h"
#include "catalogue/ScanOptions.h"
#include "catalogue/StoredCopies.h"
#include "storage/Base.h"

namespace qv {

class TEngine {
 public:
  using TProgressHandler = std::function<void(int32_t)>;

  // appFolder: where "Quirvane.ctx" is; empty means the program's folder.
  // The database's files write through baseFiles (a test's fault injector).
  explicit TEngine(IEngineHost& host, const std::string& appFolder = std::string(),
                   FileHooks& baseFiles = FileHooks::None());
  ~TEngine();
  TEngine(const TEngine&) = delete;
  TEngine& operator=(const TEngine&) = delete;

  // False when "Quirvane.ctx" is missing or not the catalogue's schema: the
  // engine then refuses every operation.
  bool Usable() const { return usable_; }

  bool NewDatabase(const std::string& password, const std::string& name);
  bool OpenDatabase(const std::string& password);
  bool CloseDatabase();
  bool IsOpen() const { return Base && Base->Opened(); }
  static bool DatabaseExists(const std::string& folder);
  void SetProgressHandler(TProgressHandler handler);
  void Abort();
  void SetFileKinds(const TFileKinds& source);
  void RefreshViews(bool full);
  int CompareNames(TXRecData* entry, TXRecData* key);

  // Adding a disc.
  void AddDisc(const TScanOpts& scanOpts, const TDiscData& data);
  int64_t AddFolder(TFileData* node, int32_t discIndex, int64_t parentRef);
  int64_t AddFile(TFileData* node, int64_t discID, int64_t parentRef);

  // Search.
  bool Search(const TSearchOpts& opts);
  bool GetIndexRange(const TSearchOpts& opts, bool isFile, int64_t& hi, int64_t& lo);
  std::string GetFolderPath(int64_t folderRef);
  bool PruneName(TXRecData* nameRec);

  // Folder compare.
  bool CompareFolder(const std::string& path, const TSearchOpts& opts);

  // Browsing, locating, deleting, updating.
  bool LocateInBrowser(const std::string& fileName, const TNodeData& row);
  bool DeleteDisc(const TDiscData& data);
  bool ClearDatabase();
  void UpdateDisc(int32_t index, const TDiscData& data);
  bool Browse(int32_t index);

  std::unique_ptr<TFileKinds> FileKinds;
  std::unique_ptr<TFilist> Scanner;
  std::unique_ptr<TDiscList> Discs;
  // Set by Stop from the windows' thread; a search walk on its worker reads it.
  std::atomic<bool> Aborted{false};
  std::unique_ptr<TXBase> Base;
  std::unique_ptr<TContext> Context;
  std::string AppFolder;
  TXIndex* FolderNameIndex = nullptr;
  TXIndex* FileNameIndex = nullptr;
  const TRecKind* FolderNameRecKind = nullptr;
  const TRecKind* FileNameRecKind = nullptr;
  const TRecKind* FolderRecKind = nullptr;
  const TRecKind* FileRecKind = nullptr;
  int64_t FilesCount = 0;
  int64_t FoldersCount = 0;
  bool Busy = false;
  // Long operations let the message loop run at most this often (0: every item).
  int32_t MessageIntervalMs = 15;
  // An add writes finished file and folder records in batches of this many.
  int32_t WriteAheadRecords = 8192;
  // The scan of an add runs at most about this many entries ahead of storing.
  int32_t ScanAheadEntries = int32_t(TScanFeed::kAhead);
  // A search tests names on several threads when it has this many per thread.
  int32_t NamesPerThread = 32768;
  // A search walks on a worker thread at most this many batches of rows
  // ahead of the view that shows them.
  int32_t WalkAheadBatches = 64;

  // A catalogue whose folder was moved while open is said where it went, in
  // one line, at the first change after the move (and at the close).
  void SayFolderMoved();

 private:
  // Holds the busy flag for one operation and clears it on every way out.
  class BusyScope {
   public:
    explicit BusyScope(TEngine& e) : e_(e) {
      e_.Busy = true;
      e_.lastPumpMs_ = -1;
    }
    ~BusyScope() {
      e_.Busy = false;
      e_.SayLossAdvice();
    }

   private:
    TEngine& e_;
  };
  // A folder lost during the call: what the user is to do, once; a folder
  // moved meanwhile: where it went, once.
  void SayLossAdvice();
  // A record of the add could not be made (EngineAdd.cpp).
  void SayStoringFailed();
  bool Refused();
  bool RefusedLoudly();
  // A damaged database opened for reading only refuses every change;
  // damageAllowed lets a damaged one through (a clear).
  bool RefusedReadOnly(bool damageAllowed = false);
  bool PrepareDatabase(bool created);
  void AbandonDatabase();
  void ForgetDatabase();
  void ForgetNames();
  bool CloseOpenDatabase();
  // known: why the folder is lost was said before the close.
  void SayFolderAtClose(bool known);
  // Why the catalogue turned read-only, after the line of what failed; a
  // folder lost is named in that line already.
  void SayWhyReadOnly();
  TXIndex* MakeIndex(const char* kind, bool created);
  bool KeepNameOrder(bool created, TXIndex* discIndex);
  void Progress(int32_t percent);
  void ProgressOf(int64_t done, int64_t total);
  void LetMessagesRun();
  // The name record of a name, made when it is new; nullptr on failure.
  TXRecData* InternName(const std::string& name, bool folder);
  // A scratch record of the name kind holding the name, for index lookups.
  TXRecData* NameKey(const std::string& name, bool folder);
  TXIndex* NameIndex(bool folder) const { return folder ? FolderNameIndex : FileNameIndex; }
  // TXIndex::Find for a name, with the probes served by the name cache.
  int FindName(TXIndex* index, const std::string& name, int& found);
  // The name at a position of a name index, through the cache.
  bool NameAt(TXIndex* index, int64_t pos, std::string& name);
  bool AcceptsEntry(const TSearchOpts& opts, const TDiscData& disc, int32_t discPos, double date,
                    int64_t size, bool isFile) const;
  // An entry row into row, whose texts keep their room; the wide path only
  // when the host shows more than the stored texts.
  void FillEntryRow(TNodeData& row, const TDiscData& disc, int64_t id, uint8_t kind, const std::string& path,
                    int64_t size, double date);
  struct SearchState;
  // The walk of a search after its question: the name indexes, then the flush.
  bool SearchWalk(SearchState& s);
  // Runs walk on a worker thread while this thread plays what it reports to
  // the host, with the message loop running; walk's result.
  bool WalkOnWorker(const std::function<bool()>& walk);
  // Where console lines and rows go: the host, or while a walk runs on a
  // worker (and on that worker only), the feed that hands them to the host.
  IEngineHost& Out() { return walkFeed_ ? static_cast<IEngineHost&>(*walkFeed_) : host_; }
  bool WalkIndex(SearchState& s, bool isFile);
  std::size_t CacheNames(const std::vector<int64_t>& ids, bool isFile);
  std::size_t ReadEntriesAhead(const std::vector<int64_t>& ids, const std::vector<uint8_t>& hits,
                               std::size_t from, bool isFile);
  // The type filter and the mask test of one name.
  bool NamePasses(const SearchState& s, const TMask& mask, std::string_view name, bool isFile) const;
  void MatchNames(SearchState& s, const TMask& mask, const std::vector<int64_t>& ids, bool isFile,
                  std::vector<uint8_t>& hits);
  bool ReadName(int64_t nameID, bool isFile, std::string& name, TXRecData*& nameRec);
  // One matching name; pruned tells that the name left the index.
  bool FollowRefs(SearchState& s, int64_t nameID, bool isFile, bool& pruned);
  int32_t DiscOf(int64_t discID, const char* warning);
  void ReportDamage(const std::string& line);
  // Folder compare (EngineCompare.cpp): what it keeps while it walks, the
  // stored copies of one name, and the rows of one spelling's copies.
  struct TCompareState;
  bool CompareTree(TFileData* node, TCompareState& state);
  void SayCompared(bool completed);
  bool CompareFile(TFileData* node, TCompareState& state);
  void ReadCopies(const std::string& name, TStoredCopies::Name& into);
  void ListCopies(TCompareState& state, TFileData* node, const TStoredCopies::Spelling& spelling,
                  bool& stored);
  // Keeps the facts of a stored entry and of the reference its name record
  // just gained.
  void NoteEntry(TXRecData* name, int64_t id, const TEntryFacts::Entry& entry);
  // The references of a name record, from the facts where they are known.
  void NameRefs(int64_t nameID, TXRecData* nameRec, std::vector<int64_t>& refs);
  bool IsDeletedID(int64_t id) const;

  IEngineHost& host_;
  bool usable_ = false;
  TProgressHandler progress_;
  TNameCache names_;        // name record ID -> name, for the search walk
  TFolderPathCache paths_;  // folder record ID -> path text
  TFolderLinks folders_;    // folder record ID -> parent and name
  TEntryFacts facts_;       // entries and name references met so far
  int64_t lastPumpMs_ = -1;
  int32_t lastProgress_ = -1;
  bool warnedMissingDisc_ = false;
  bool damageShown_ = false;                        // this search or compare reported damage
  std::unique_ptr<TXRecData> folderKey_, fileKey_;  // scratch lookup records
  // Folded-name hash -> name record ID, for file names [0] and folder names [1].
  std::unordered_map<uint64_t, int64_t> interned_[2];
  // Every name of the index has its hash in interned_ (so far only for a
  // catalogue created in this session): an unknown hash is a new name.
  bool namesKnown_[2] = {false, false};
  // Two names of one kind have met under one hash, so dropping a hash could
  // hide a name that is still there.
  bool hashShared_[2] = {false, false};
  // File and folder records of the disc being added that are complete: their
  // chains are written ahead in batches, so an add holds little in memory.
  std::vector<TXRecData*> finished_;
  void Finished(TXRecData* rec);
  // While the scan of an add runs on the scanner's worker, the records are
  // made from its feed: the next child of the folder being stored, or null
  // when the folder is complete (or the feed has ended).
  TFileData* NextChild(TFileData* node, int32_t& index);
  TFileData* FedChild();
  // The scan has ended: its lines, then the narration of what was found.
  bool EndScan();
  void StoreProgress();
  // The name records made by the add that runs, not yet in their index
  // (files [0], folders [1]), and their merge into the indexes.
  std::vector<int64_t> newNames_[2];
  // The name records the add that runs has met, pinned until it ends.
  TInternTable addNames_[2];
  void UnpinAddNames();
  // Deletes what an add whose scan was interrupted stored below its disc.
  void DropAdded(int32_t discIndex);
  // An add whose commit failed (EngineAddCommit.cpp); merged: the names new
  // to the catalogue it put in the name indexes (files [0], folders [1]).
  void NotStored(int32_t discIndex, const std::vector<int64_t> (&merged)[2]);
  bool CommitHappened() const;
  std::string FailureReason() const;
  std::string NotWrittenAfterCommit() const;
  // A delete, rename or edit whose flush failed (EngineCommitFailed.cpp);
  // indexed: the disc index before the change.
  void ChangeFailed(const TChangeText& change, const std::vector<int64_t>& indexed);
  // The flush of a search, whose failure ends no search.
  void SearchFlush();
  // The add of a disc is under way, as xbase.vlm records it at once (false
  // when it cannot); its end, recorded with the next commit; and the open
  // that finds an add that never ended, whose disc it takes out.
  bool NoteAdding(const WideString& label);
  // The first commit stored the disc's empty record: the note names where,
  // before anything more of the add is written (false when it cannot). It
  // went with that commit's mark (NoteAddCommitted), unless that missed it.
  bool NoteFirstCommit(int32_t discIndex);
  // TXBase::OnMark: the mark of a commit that appended first .. end-1 is
  // about to be recorded. When that commit stored the record the note of an
  // add names, with no position yet (this session's add, or at the open, one
  // whose first commit it finished from the journal), the position goes in
  // the same write as the mark. So a note whose position is empty, once no
  // journal is left to finish, never names the add's record: only an ID the
  // add never took, which another writer may have taken since.
  void NoteAddCommitted(int64_t first, int64_t end, bool atOpen);
  void EndAdding();
  TAddNote adding_;
  // What the end of an add says and how it got there.
  struct TAddEnd {
    int64_t Start = 0;  // wall-clock ms
    bool SayAdded = false;
    bool KeptEmpty = false;     // the scan could not start, or was interrupted
    bool WithoutFiles = false;  // "Include disc files" off
    int64_t ScannedFiles = 0, ScannedFolders = 0;
  };
  void CommitAdd(int32_t discIndex, const std::vector<int64_t> (&merged)[2], const TAddEnd& end);
  // What an open makes of the note of an add that never ended.
  struct TUnendedAdd {
    enum class TVerdict {
      None,           // no note
      Ended,          // its last commit came after all: the disc stays
      NothingStored,  // no entry of it is stored (or it was removed already)
      NotStored,      // its empty entry, as the first commit stored it, goes
      Removed,        // its empty entry went with the commit this open finished (an open's, cut short)
      Doubtful        // no entry can be told to be the add's: nothing is removed
    };
    TVerdict Verdict = TVerdict::None;
    int32_t At = -1;       // the disc's place in the list (NotStored)
    std::string Label;     // the disc's (NotStored), else the note's ("" when it is damaged)
    bool Whole = false;    // the note is of a whole form, and Label is its label
    int64_t NamedId = -1;  // a note of the first version's form: the disc record it names
  };
  TUnendedAdd JudgeUnendedAdd() const;
  void SettleUnendedAdd(const TUnendedAdd& unended);
  // Doubtful: what the user may find in the list, left by that add ("" when
  // no empty disc can be it).
  std::string DoubtfulAddText(const TUnendedAdd& unended) const;
  void ForgetAddNote();
  // A disc stored in part, said now and at the next open (EnginePartial.cpp).
  void NotePartial(int32_t discIndex);
  void SayPartialDiscs();
  void StopWriting(bool dropChanges);
  void ClearFailed(const std::vector<int64_t>& indexed);
  TXRecData* LookUpName(const std::string& name, bool folder, uint64_t hash);
  void MergeNewNames();
  bool MergeNames(TXIndex* index, std::vector<int64_t>& ids);
  TScanFeed* feed_ = nullptr;
  THostFeed* walkFeed_ = nullptr;  // set while a walk runs on a worker
  bool scanEnded_ = false;
  bool scanOk_ = false;
  bool scanQuiet_ = false;  // storing failed: the scan's end is not narrated
  // The walk of the add stopped (Stop, or a failure) before the scanned tree
  // was stored whole; what it stored stays linked into the disc's tree.
  bool walkCut_ = false;
  int64_t Cut();  // the walk stops here: -1
};

// The process's engine, as the windows reach it.
extern TEngine* Engine;

}  // namespace qv
