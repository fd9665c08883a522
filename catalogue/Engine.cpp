// The engine's life cycle: loading the schema, creating, opening and closing
// a catalogue database, the busy protocol, progress and the views refresh.
#include "catalogue/Engine.h"

#include <chrono>

#include "catalogue/Info.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "catalogue/Settings.h"
#include "platform/Files.h"

namespace qv {

TEngine* Engine = nullptr;

namespace {
const char* const kLogin = "quirvane";

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

TEngine::TEngine(IEngineHost& host, const std::string& appFolder, FileHooks& baseFiles) : host_(host) {
  AppFolder = IncludeTrailingPathDelimiter(appFolder.empty() ? AppPath() : appFolder);
  Context = std::make_unique<TContext>();
  std::string error;
  if (!Context->LoadFromFile(AppFolder + kContextFileName)) {
    host_.AddFatal("Failed to load database context");
  } else if (!CheckCatalogueSchema(*Context, error)) {
    host_.AddFatal("Failed to load database context");
    host_.AddFatal(error);
  } else {
    usable_ = true;
  }
  Base = std::make_unique<TXBase>(baseFiles);
  Discs = std::make_unique<TDiscList>(host_);
  Discs->EngineBusy = &Busy;
  Discs->OnCommitFailed = [this](const TChangeText& change, const std::vector<int64_t>& indexed) {
    ChangeFailed(change, indexed);
  };
  Base->OnMark = [this](int64_t first, int64_t end, bool atOpen) { NoteAddCommitted(first, end, atOpen); };
  Base->RecordKeys = {kAddingKey, kPartialKey};
  FileKinds = std::make_unique<TFileKinds>();
  if (Storage) {
    if (!FileKinds->Load()) host_.AddError("Failed to load file types");
  } else {
    FileKinds->LoadDefaults();
  }
  Scanner = std::make_unique<TFilist>(FileKinds.get());
  Scanner->OnProcessMessages = [this] { host_.ProcessMessages(); };
  Scanner->OnError = [this](const std::string& text) { host_.AddError(text); };
  Scanner->OnWarning = [this](const std::string& text) { host_.AddWarning(text); };
  Engine = this;
}

TEngine::~TEngine() {
  if (Base) Base->OnMark = nullptr;  // the database's close may commit, and this engine is going
  ForgetDatabase();
  Scanner.reset();
  if (Storage) FileKinds->Save();
  FileKinds.reset();
  Discs.reset();
  Base.reset();
  Context.reset();
  if (Engine == this) Engine = nullptr;
}

// The busy protocol: a long operation started while another runs (or while a
// disc is being browsed) returns at once.
bool TEngine::Refused() {
  return !usable_ || Busy || Discs->Browsing;
}

bool TEngine::RefusedLoudly() {
  if (!Refused()) return false;
  if (usable_) host_.AddWarning("Another operation is running; please wait until it ends");
  return true;
}

bool TEngine::RefusedReadOnly(bool damageAllowed) {
  if (!IsOpen()) return false;
  // A folder lost since the last change is read-only from now on; one moved
  // is said where it went, once, and the change goes on there.
  Base->FolderStillOurs();
  SayFolderMoved();
  if (!(damageAllowed ? Base->OpensReadOnly() : Base->ReadOnly())) return false;
  host_.AddError(Base->RefusalText());
  return true;
}

TXIndex* TEngine::MakeIndex(const char* kind, bool created) {
  auto compare = [this](TXRecData* item, TXRecData* key) { return CompareNames(item, key); };
  TXIndex* index = created ? Base->CreateIndex(kind, 0, compare) : Base->OpenIndex(kind, 0, compare);
  if (!index) host_.AddError(Base->ShownError());
  return index;
}

// Everything a new or opened database needs besides the storage engine's own
// open; any failure closes the database again, so a half-ready catalogue is
// never reported as open.
bool TEngine::PrepareDatabase(bool created) {
  std::string error;
  if (!CheckCatalogueSchema(Base->Context(), error)) {
    host_.AddError(error);
    return false;
  }
  ForgetDatabase();
  TXIndex* discIndex = MakeIndex("xDisc", created);
  FolderNameIndex = discIndex ? MakeIndex("xFolderName", created) : nullptr;
  FileNameIndex = FolderNameIndex ? MakeIndex("xFileName", created) : nullptr;
  if (!FileNameIndex || !KeepNameOrder(created, discIndex)) return false;
  TContext& ctx = Base->Context();
  FolderRecKind = dynamic_cast<const TRecKind*>(ctx.KindByName("xFolder"));
  FileRecKind = dynamic_cast<const TRecKind*>(ctx.KindByName("xFile"));
  FolderNameRecKind = dynamic_cast<const TRecKind*>(ctx.KindByName("xFolderName"));
  FileNameRecKind = dynamic_cast<const TRecKind*>(ctx.KindByName("xFileName"));
  namesKnown_[0] = namesKnown_[1] = created;  // the name indexes start empty
  return created ? Discs->InitNew(Base.get(), discIndex) : Discs->InitOpened(Base.get(), discIndex);
}

// The name indexes are stored in the order of our name comparison, which
// depends on the Unicode data of the build. xbase.vlm records that order; an
// index of another order (or of a catalogue that recorded none) is sorted
// again as it stands, merging nothing, before anything searches it.
bool TEngine::KeepNameOrder(bool created, TXIndex* discIndex) {
  static const char* const kKey = "Collation";
  const std::string tag = NameOrderTag();
  if (!created && Base->ReadEngineKey(kKey) == tag) return true;
  if (!created) {
    for (TXIndex* index : {discIndex, FolderNameIndex, FileNameIndex}) {
      if (!Base->Rebuild(index)) {
        host_.AddError(Base->LastError.empty() ? "Failed to rebuild index" : Base->LastError);
        return false;
      }
    }
    host_.AddInfo("Name indexes have been sorted again for the name order \"" + tag + "\"");
  }
  // The indexes reach their files before the tag says they are in order;
  // a read-only catalogue sorts them again at every open instead.
  if (Base->ReadOnly()) return true;
  if (!Base->Flush() || !Base->WriteEngineKey(kKey, tag)) host_.AddError(Base->ShownError());
  return true;
}

void TEngine::AbandonDatabase() {
  if (Discs->IsOpen()) Discs->Close();
  if (!Base->Close()) Base->Reset();
  ForgetDatabase();
}

// Drops the caches of names and paths (record IDs start again after a wipe).
void TEngine::ForgetNames() {
  names_.Clear();
  paths_.Clear();
  folders_.Clear();
  facts_.Clear();
  interned_[0].clear();
  interned_[1].clear();
  namesKnown_[0] = namesKnown_[1] = false;
  hashShared_[0] = hashShared_[1] = false;
  newNames_[0].clear();
  newNames_[1].clear();
}

// Drops what points into the database's indexes and context.
void TEngine::ForgetDatabase() {
  FolderNameIndex = FileNameIndex = nullptr;
  ForgetNames();
  folderKey_.reset();
  fileKey_.reset();
}

bool TEngine::NewDatabase(const std::string& password, const std::string& name) {
  if (RefusedLoudly()) return false;
  BusyScope busy(*this);
  if (IsOpen()) CloseOpenDatabase();
  // The name is in the create's first write of xbase.vlm, so that a create
  // cut short never leaves a catalogue without it (unless a database left
  // open is closed first, whose description must keep its own).
  if (!Base->Opened()) Base->Name = name;
  if (!Base->CreateNew(host_.DatabaseFolder(), kLogin, *Context, password)) {
    host_.AddError(Base->ShownError());
    return false;
  }
  if (Base->Name != name) {
    Base->Name = name;
    Base->WriteDescription();
  }
  if (!PrepareDatabase(true)) {
    AbandonDatabase();
    return false;
  }
  RefreshViews(true);
  host_.AddInfo("New database \"" + name + "\" has been created");
  return true;
}

bool TEngine::OpenDatabase(const std::string& password) {
  if (RefusedLoudly()) return false;
  BusyScope busy(*this);
  if (IsOpen()) CloseOpenDatabase();
  if (!Base->Open(host_.DatabaseFolder(), kLogin, password)) {
    host_.AddError(Base->ShownError());
    return false;
  }
  if (!PrepareDatabase(false)) {
    AbandonDatabase();
    return false;
  }
  // What the open found left by an earlier session, and settled; then damage
  // as an error, media that cannot be written merely said.
  // An add that never ended is said in one line, which takes in the open's
  // note that the last change was not stored (its bytes past the commit
  // given back, or its last commit's journal torn). A commit finished from
  // its journal was then the add's first, which stored the entry that goes
  // (or, read-only, that is left out of the list).
  const TUnendedAdd unended = JudgeUnendedAdd();
  const bool goes = unended.Verdict == TUnendedAdd::TVerdict::NotStored ||
                    unended.Verdict == TUnendedAdd::TVerdict::Removed;
  const int notStored = goes ? Base->NotStoredNote() : -1;
  const int finished = goes ? Base->FinishedNote() : -1;
  for (std::size_t i = 0; i < Base->OpenNotes().size(); ++i)
    if (int(i) != notStored && int(i) != finished) host_.AddWarning(Base->OpenNotes()[i]);
  SettleUnendedAdd(unended);
  if (!Base->DamageText().empty())
    host_.AddError(Base->ReadOnlyText());
  else if (Base->ReadOnly())
    host_.AddWarning(Base->ReadOnlyText());
  SayPartialDiscs();
  RefreshViews(true);
  host_.AddInfo("Database \"" + Base->Name + "\" has been loaded");
  return true;
}

bool TEngine::CloseOpenDatabase() {
  if (!Discs->Close()) return false;
  bool ok = Base->Close();
  if (ok) ForgetDatabase();
  // Said once the session has ended, whatever a refused change said before.
  if (ok) SayFolderAtClose(Base->LossTold());
  return ok;
}

void TEngine::SayFolderMoved() {
  if (Base->FolderLoss() != TXBase::TFolderLoss::None) return;
  std::string note = Base->MovedNote();
  if (!note.empty()) host_.AddWarning(note);
}

void TEngine::SayLossAdvice() {
  if (!Base) return;
  const std::string advice = Base->TakeLossAdvice();
  if (!advice.empty()) host_.AddWarning(advice);
  // A folder moved while the operation ran is said at its end, not only at
  // the next change.
  if (IsOpen()) SayFolderMoved();
}

void TEngine::SayWhyReadOnly() {
  if (Base->FolderLoss() == TXBase::TFolderLoss::None) host_.AddWarning(Base->ReadOnlyText());
}

void TEngine::SayFolderAtClose(bool known) {
  const std::string name = "\"" + Base->Name + "\"";
  if (known) return;  // the refusal or failure that met it said why
  // What to do about it says what happened too.
  const std::string advice = Base->TakeLossAdvice();
  if (!advice.empty()) {
    host_.AddWarning(advice);
    return;
  }
  switch (Base->FolderLoss()) {
    case TXBase::TFolderLoss::Removed:
      host_.AddWarning("The folder of database " + name +
                       " was removed while it was open; nothing more of this session was written");
      return;
    case TXBase::TFolderLoss::Unreachable:
      host_.AddWarning("The folder of database " + name +
                       " can no longer be reached (its file system was unmounted while it was open); nothing "
                       "more of this session was written");
      return;
    case TXBase::TFolderLoss::FilesChanged:
      host_.AddWarning("The files of database " + name +
                       " were changed by another program while it was open; nothing more of this session "
                       "was written");
      return;
    case TXBase::TFolderLoss::None:
      break;
  }
  std::string note = Base->MovedNote(true);
  if (!note.empty()) host_.AddWarning(note);
}

bool TEngine::CloseDatabase() {
  if (RefusedLoudly()) return false;
  BusyScope busy(*this);
  return CloseOpenDatabase();
}

bool TEngine::DatabaseExists(const std::string& folder) {
  return !folder.empty() && FileExists(IncludeTrailingPathDelimiter(folder) + "xbase.vlm");
}

void TEngine::SetProgressHandler(TProgressHandler handler) {
  progress_ = handler;
  Base->OnProgress = handler;
  Scanner->OnProgress = handler;
}

void TEngine::Abort() {
  Aborted = true;
  Scanner->Abort();
}

void TEngine::SetFileKinds(const TFileKinds& source) {
  FileKinds->Assign(source);
}

void TEngine::RefreshViews(bool full) {
  host_.FileTreeClear();
  host_.DiscTreeClear();
  for (int32_t i = 0; i < Discs->Count(); ++i) {
    TDiscData d = Discs->GetDisc(i);
    int32_t sel = Discs->Categories.Selected;
    if (sel == -1 || sel == d.Category) host_.DiscTreeAddDisc(d);
  }
  host_.DiscTreeSort();
  if (full) host_.DiscTreeFillCategories();
  host_.BrowserFillDiscTree();
  host_.FileTreeFillCombos(full);
}

int TEngine::CompareNames(TXRecData* entry, TXRecData* key) {
  return CompareStoredNames(rec::StrRef(key, fld::nName), rec::StrRef(entry, fld::nName));
}

void TEngine::Progress(int32_t percent) {
  if (walkFeed_)
    walkFeed_->Progress(percent);
  else if (progress_)
    progress_(percent);
}

void TEngine::ProgressOf(int64_t done, int64_t total) {
  int32_t p = Percent(done, total);
  if (p != lastProgress_) {
    lastProgress_ = p;
    Progress(p);
  }
}

// The message loop runs at most every 15 ms: the windows stay live and Stop
// is seen at once, without paying for a loop pass per stored entry.
void TEngine::LetMessagesRun() {
  if (walkFeed_) return;  // a walk on a worker: the thread that plays it pumps
  int64_t now = NowMs();
  if (lastPumpMs_ >= 0 && now - lastPumpMs_ < MessageIntervalMs) return;
  lastPumpMs_ = now;
  host_.ProcessMessages();
}

}  // namespace qv
