// Adding a disc: the disc record, the scan, and the depth-first walk that
// turns the scanned tree into folder and file records with shared names.
#include <algorithm>
#include <chrono>

#include "catalogue/Engine.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "catalogue/TextUtils.h"

namespace qv {

namespace {
// The disc of an add whose scan was interrupted stays in the list, empty: the
// line tells why it is there, once its last commit has made it so.
const char* const kKeptEmpty = "Scanning process interrupted; the disc was kept empty";

int64_t WallMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

void TEngine::AddDisc(const TScanOpts& scanOpts, const TDiscData& data) {
  // A refused call leaves a pending Stop of the running operation alone.
  if (Refused()) return;
  Aborted = false;
  BusyScope busy(*this);
  lastProgress_ = -1;
  Progress(0);
  if (data.Label.empty()) {
    host_.AddError("Disc label must be specified");
    return;
  }
  if (!DiscTextsFit(data, host_)) return;
  if (!IsOpen()) {
    host_.AddError("Database has not been opened");
    return;
  }
  if (RefusedReadOnly()) return;
  // xbase.vlm records that the add is under way before anything of it is
  // written; the add's last commit ends that, or, should it never come (the
  // disc full, the session cut short), the next writable open, which takes
  // the disc's empty entry out. A disc full already refuses the add here.
  if (Discs->FindByLabel(data.Label) < 0 && !NoteAdding(data.Label)) {
    host_.AddError("Disc \"" + Utf16ToUtf8(data.Label) + "\" was not stored: " + FailureReason());
    StopWriting(true);
    RefreshViews(true);
    SayWhyReadOnly();
    return;
  }
  struct Ending {
    TEngine& e;
    ~Ending() { e.EndAdding(); }
  } ending{*this};
  bool listed = true;
  int32_t discIndex = Discs->AddDisc(data, &listed);
  if (discIndex < 0) {
    // Its record was never stored (or is deleted): the note goes at once.
    EndAdding();
    Base->WriteDescription();
    return;
  }
  std::vector<int64_t> merged[2];
  if (!listed || !NoteFirstCommit(discIndex)) {
    // Whether or not its first commit happened, the open that next writes
    // takes its empty entry out: it is not stored.
    NotStored(discIndex, merged);
    return;
  }
  TAddEnd end;
  end.Start = WallMs();
  FilesCount = FoldersCount = 0;
  // The name records met stay pinned while the add runs, and no longer.
  struct Unpinning {
    TEngine& e;
    ~Unpinning() { e.UnpinAddNames(); }
  } unpinning{*this};
  Scanner->Reset();
  // The names new to the catalogue that this add put in the name indexes.
  if (scanOpts.IncludeFiles) {
    host_.AddInfo("Scanning \"" + Utf16ToUtf8(data.Label) + "\" [" + scanOpts.Path + "] ...");
    // The walk runs on the scanner's worker while this thread stores what it
    // found so far, in the walk's order, so the records and their IDs are
    // those of storing the finished tree. An interrupted scan takes back what
    // was stored: the disc stays with no root and zero counts.
    TScanFeed feed(std::size_t(std::max(ScanAheadEntries, 1)));
    if (!Scanner->StartFeed(scanOpts, feed)) {
      end.KeptEmpty = true;  // the disc stays as its first commit stored it
    } else {
      feed_ = &feed;
      scanEnded_ = scanQuiet_ = walkCut_ = false;
      const bool added = AddFolder(Scanner->Root(), discIndex, -1) >= 0 && !walkCut_;
      if (!added && !Aborted) {
        scanQuiet_ = true;  // storing failed and said so: the walk is of no use
        Scanner->Abort();
      }
      const bool scanned = EndScan();
      feed_ = nullptr;
      if (!scanned && !scanQuiet_) {
        DropAdded(discIndex);
        end.KeptEmpty = true;
      } else {
        merged[0] = newNames_[0];
        merged[1] = newNames_[1];
        MergeNewNames();
        UnpinAddNames();    // before the flush, which then frees them
        finished_.clear();  // what was not written ahead goes with the final flush
        end.SayAdded = added && scanned && !Aborted;
      }
    }
  } else {
    end.WithoutFiles = true;
  }
  end.ScannedFiles = Scanner->FileCount;
  end.ScannedFolders = Scanner->FolderCount;
  Scanner->Reset();
  CommitAdd(discIndex, merged, end);
}

// The add's last commit. The disc's record is written by it whatever changed,
// so that an open finishing this commit from its journal finds the record
// rewritten since the first commit, and knows the add ended.
void TEngine::CommitAdd(int32_t discIndex, const std::vector<int64_t> (&merged)[2], const TAddEnd& end) {
  if (Base->ReadOnly()) {
    // Storing met damage (a record it had to read could not be): nothing
    // more is written, and the add ends with the damage, not with "Done".
    NotStored(discIndex, merged);
    return;
  }
  const TDiscData disc = Discs->GetDisc(discIndex);
  Discs->SetCounts(discIndex, FilesCount, FoldersCount);
  // The counts and the root reach the disc's record with this flush, so the
  // disc is complete on disk even if the program never closes normally;
  // the note that its add is under way goes with them.
  Discs->SaveDisc(discIndex);
  EndAdding();
  host_.StopAvailable(false);  // the flush runs to its end
  // An interrupted scan ends with its warning: the disc stays as it was.
  if (!end.KeptEmpty) host_.AddInfo("Finalizing database");
  const bool flushed = Base->Flush();
  host_.StopAvailable(true);
  // A flush that met damage on its way writes no more and commits nothing.
  if ((!flushed || Base->ReadOnly()) && !CommitHappened()) {
    NotStored(discIndex, merged);
    return;
  }
  // Said once the disc is on disk: an add whose commit failed added nothing,
  // and kept nothing empty.
  if (end.KeptEmpty) host_.AddWarning(kKeptEmpty);
  if (end.SayAdded)
    host_.AddInfo(std::to_string(end.ScannedFiles) + " file(s) and " + std::to_string(end.ScannedFolders) +
                  " folder(s) were added to the database");
  else if (!end.WithoutFiles && !end.KeptEmpty && Discs->DiscAt(discIndex).Root >= 0)
    NotePartial(discIndex);
  // "Include disc files" is off by default after a restart: a disc stored
  // with no files is said to be so, not only "Done".
  if (end.WithoutFiles)
    host_.AddInfo("Disc \"" + Utf16ToUtf8(disc.Label) +
                  "\" was added without its files (\"Include disc files\" was off)");
  if (!flushed) {
    // The commit is on disk (its journal); what followed it failed. The next
    // open finishes it; meanwhile nothing is written again and again.
    host_.AddError("Disc \"" + Utf16ToUtf8(disc.Label) + "\" has been added, but " + NotWrittenAfterCommit());
    StopWriting(false);
    RefreshViews(true);
    SayWhyReadOnly();
    return;
  }
  RefreshViews(true);
  if (!end.KeptEmpty) host_.AddInfo("Done in " + FormatElapsed(WallMs() - end.Start));
  Progress(0);
}

bool TEngine::EndScan() {
  if (scanEnded_) return scanOk_;
  scanEnded_ = true;
  scanOk_ = Scanner->EndFeed();
  // An interrupted scan is said with the add's end (CommitAdd).
  if (scanQuiet_ || !scanOk_) return scanOk_;
  if (!Aborted) {
    host_.AddInfo("Found " + std::to_string(Scanner->FileCount) + " file(s) and " +
                  std::to_string(Scanner->FolderCount) + " folders(s)");
    host_.AddInfo("Adding files and folders to the database ...");
    Progress(0);
    lastProgress_ = -1;
  }
  return scanOk_;
}

TFileData* TEngine::NextChild(TFileData* node, int32_t& index) {
  if (feed_) return FedChild();
  return index < node->Count() ? node->GetChild(index++) : nullptr;
}

// The next entry of the feed; while none is there the message loop runs, so
// that Stop is seen.
TFileData* TEngine::FedChild() {
  for (;;) {
    TFileData* node = nullptr;
    const TScanFeed::TTake got = feed_->Take(node, std::max(MessageIntervalMs, 1));
    if (!scanEnded_ && feed_->Closed()) EndScan();
    if (got == TScanFeed::TTake::Entry) return node;
    if (got == TScanFeed::TTake::Ended) return nullptr;
    LetMessagesRun();
  }
}

// Until the scan ends, progress counts what was found, as the scan's own did.
void TEngine::StoreProgress() {
  if (!feed_ || scanEnded_) {
    ProgressOf(FilesCount + FoldersCount, Scanner->TotalCount);
    return;
  }
  const int32_t p = int32_t(feed_->Count() / 500);
  if (p != lastProgress_) {
    lastProgress_ = p;
    Progress(p);
  }
}

TXRecData* TEngine::NameKey(const std::string& name, bool folder) {
  auto& key = folder ? folderKey_ : fileKey_;
  if (!key) key = TXRecData::Create(folder ? FolderNameRecKind : FileNameRecKind, -1, -1);
  rec::SetStr(key.get(), fld::nName, name);
  return key.get();
}

// Every spelling of a name has a record of its own: the file system tells
// "README" from "readme". Names met before resolve through a hash of their
// bytes, verified against the record, so a repeated name costs no index
// search; a new name (or a hash collision) goes through the index, unless
// every name of the index is known by its hash.
// A name new to the catalogue joins its index when the add ends
// (MergeNewNames), all at once; until then it is found through the hash, or,
// should another name share its hash, among the add's new names.
TXRecData* TEngine::InternName(const std::string& name, bool folder) {
  const uint64_t hash = ExactHash(name);
  TInternTable& met = addNames_[folder ? 1 : 0];
  if (TXRecData* rec = met.Find(hash, name)) return rec;
  TXRecData* rec = LookUpName(name, folder, hash);
  if (rec) {
    Base->Pin(rec);
    met.Put(hash, rec);
  }
  return rec;
}

void TEngine::UnpinAddNames() {
  for (TInternTable& met : addNames_) {
    met.ForEach([this](TXRecData* rec) { Base->Unpin(rec); });
    met.Clear();
  }
}

TXRecData* TEngine::LookUpName(const std::string& name, bool folder, uint64_t hash) {
  auto& interned = interned_[folder ? 1 : 0];
  const TRecKind* kind = folder ? FolderNameRecKind : FileNameRecKind;
  auto known = interned.find(hash);
  if (known != interned.end()) {
    TXRecData* rec = Base->FetchData(known->second);
    if (rec && rec->Kind == kind && !rec->IsDeleted() && rec::StrRef(rec, fld::nName) == name) return rec;
    for (int64_t id : newNames_[folder ? 1 : 0]) {
      const std::string_view* cached = names_.Find(id);
      if (cached && *cached == name) return Base->FetchData(id);
    }
  }
  TXIndex* index = NameIndex(folder);
  int found = -1;
  const bool unknown = known == interned.end();
  // A hash no name of the index has: the name is new, and no search is needed
  // (the new name joins the index when the add ends).
  int pos = unknown && namesKnown_[folder ? 1 : 0] ? index->Count() : FindName(index, name, found);
  TXRecData* rec = nullptr;
  if (pos >= 0) {
    rec = Base->NewData(kind);
    if (rec) {
      rec::SetStr(rec, fld::nName, name);
      newNames_[folder ? 1 : 0].push_back(rec->ID);
      names_.Put(rec->ID, name);
    }
  } else if (found >= 0) {
    // Left unpinned in the pool: the final flush writes the grown reference list.
    rec = Base->FetchData(index->GetItem(found));
    if (rec) names_.Put(rec->ID, name);
  }
  if (!rec) {
    SayStoringFailed();
    return nullptr;
  }
  if (!unknown && interned[hash] != rec->ID) hashShared_[folder ? 1 : 0] = true;
  interned[hash] = rec->ID;
  return rec;
}

// The binary search of a name index by the exact spelling, probing the names
// through the name cache: a probe reads a record only the first time its name
// is met, so lookups in a large catalogue do not go to the disc. The result is
// that of TXIndex::Find.
int TEngine::FindName(TXIndex* index, const std::string& name, int& found) {
  found = -1;
  int lo = 0, hi = index->Count() - 1;
  std::string probe;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    int c;
    if (const std::string_view* cached = names_.Find(index->GetItem(mid)))
      c = CompareStoredNames(name, *cached);
    else if (NameAt(index, mid, probe))
      c = CompareStoredNames(name, probe);
    else
      return -1;
    if (c > 0) {
      lo = mid + 1;
    } else if (c == 0) {
      found = mid;
      return -1;
    } else {
      hi = mid - 1;
    }
  }
  return lo;
}

void TEngine::NoteEntry(TXRecData* name, int64_t id, const TEntryFacts::Entry& entry) {
  facts_.PutEntry(id, entry);
  if (facts_.KnowsRefs(name->ID)) {
    facts_.AddRef(name->ID, id);
    return;
  }
  // The first reference of this name in the session: the record, which now
  // lists this one too, gives the whole list.
  std::vector<int64_t> refs(std::size_t(rec::RefCount(name, fld::nRefs)));
  for (std::size_t i = 0; i < refs.size(); ++i) refs[i] = rec::RefAt(name, fld::nRefs, int(i));
  facts_.PutRefs(name->ID, refs);
}

// A folder whose walk is cut short (Stop, or a failed storing call) still
// returns its ID, and its parent links it: everything an add keeps is in the
// disc's tree, so the browsed tree matches the counts and deleting the disc
// deletes it all. walkCut_ tells the callers to go no further.
int64_t TEngine::AddFolder(TFileData* node, int32_t discIndex, int64_t parentRef) {
  LetMessagesRun();
  if (Aborted) return Cut();
  TXRecData* name = nullptr;
  if (node->Kind == TFileData::kFolder) {
    name = InternName(node->Name, true);
    if (!name) return Cut();
  }
  TXRecData* rec = Base->NewData(FolderRecKind);
  if (!rec) {
    SayStoringFailed();
    return Cut();
  }
  const int64_t discID = Discs->GetDisc(discIndex).ID;
  const int64_t id = rec->ID;
  rec::SetRef(rec, fld::foDisc, discID);
  if (name) rec::SetRef(rec, fld::foName, name->ID);
  rec::SetRef(rec, fld::foParent, parentRef);
  rec::SetDate(rec, fld::foDate, node->Date);
  folders_.Put(id, {parentRef, name ? name->ID : -1});
  if (name) {
    rec::AddRef(name, fld::nRefs, id);
    NoteEntry(name, id, {discID, parentRef, 0, node->Date});
    ++FoldersCount;
    StoreProgress();
  } else {
    QV_ASSERT(node->Kind == TFileData::kRoot);
    Discs->SetRoot(discIndex, id);
  }
  for (int32_t i = 0;;) {
    TFileData* child = NextChild(node, i);
    if (!child) break;
    bool isFile = child->Kind == TFileData::kFile;
    int64_t childID = isFile ? AddFile(child, discID, id) : AddFolder(child, discIndex, id);
    if (childID >= 0) rec::AddRef(rec, isFile ? fld::foFiles : fld::foFolders, childID);
    // The rest of the walk is not stored; a cut sub-folder's nodes may still
    // be the scan's, and this record stays pooled for the final flush.
    if (walkCut_) return id;
    // The scanned subtree is stored: its nodes make room for the records to come.
    if (!isFile) child->ClearChildren();
  }
  Finished(rec);
  return id;
}

// A folder lost is said with the add's end, in the line that names the disc.
void TEngine::SayStoringFailed() {
  if (Base->FolderLoss() == TXBase::TFolderLoss::None) host_.AddError(Base->ShownError());
}

int64_t TEngine::Cut() {
  walkCut_ = true;
  return -1;
}

// A batch of finished records is written and leaves the pool. A write that
// fails (a full disc) ends the walk: the records it kept pooled go to the
// final flush, which fails at its first write and says why, so that the add
// ends as soon as the disc is found full rather than after the whole scan.
void TEngine::Finished(TXRecData* rec) {
  finished_.push_back(rec);
  if (finished_.size() < std::size_t(std::max(WriteAheadRecords, 1))) return;
  if (!Base->WriteAhead(finished_)) walkCut_ = true;
  finished_.clear();
}

int64_t TEngine::AddFile(TFileData* node, int64_t discID, int64_t parentRef) {
  TXRecData* name = InternName(node->Name, false);
  if (!name) return Cut();
  TXRecData* rec = Base->NewData(FileRecKind);
  if (!rec) {
    SayStoringFailed();
    return Cut();
  }
  rec::SetRef(rec, fld::fiDisc, discID);
  rec::SetRef(rec, fld::fiName, name->ID);
  rec::SetRef(rec, fld::fiParent, parentRef);
  rec::SetDate(rec, fld::fiDate, node->Date);
  rec::SetInt(rec, fld::fiSize, node->Size);
  rec::AddRef(name, fld::nRefs, rec->ID);
  NoteEntry(name, rec->ID, {discID, parentRef, node->Size, node->Date});
  ++FilesCount;
  StoreProgress();
  const int64_t id = rec->ID;
  Finished(rec);
  return id;
}

}  // namespace qv
