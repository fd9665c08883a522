// Search: walks the stretch of a sorted name index that can hold the mask's
// literal prefix, tests each name against the mask once, and follows the
// references of matching names through the disc, category, size, date and
// folder-path filters.
#include <algorithm>
#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <thread>

#include "catalogue/Engine.h"
#include "catalogue/Masks.h"
#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Referenced.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"

namespace qv {

namespace {

// The literal prefix of a mask: what stands before the first wildcard or set.
std::string MaskKey(const std::string& mask) {
  return mask.substr(0, std::min(mask.size(), mask.find_first_of("#*?[")));
}

// A mask compiled on first use; a malformed one reports itself once.
class TLazyMask {
 public:
  explicit TLazyMask(const std::string& text) : text_(text) {}
  // The compiled mask; nullptr when it is malformed.
  const TMask* Compiled() {
    if (!mask_ && !bad_) {
      try {
        mask_.emplace(text_);
      } catch (const EMaskException&) {
        bad_ = true;
      }
    }
    return bad_ ? nullptr : &*mask_;
  }
  // False with malformed := true when the mask cannot be compiled.
  bool Matches(std::string_view name, bool& malformed) {
    malformed = false;
    if (!Compiled()) {
      malformed = true;
      return false;
    }
    try {
      return mask_->Matches(name);
    } catch (const EMaskException&) {
      malformed = true;
      return false;
    }
  }

 private:
  std::string text_;
  std::optional<TMask> mask_;
  bool bad_ = false;
};

// Whether a stored file or folder refers back to the name that lists it.
bool CarriesName(TXRecData* entry, int64_t nameID, bool isFile) {
  return rec::Ref(entry, isFile ? int(fld::fiName) : int(fld::foName)) == nameID;
}

// What the search keeps of a stored file or folder. Disc, parent and date
// stand at the same field numbers in file and folder records.
TEntryFacts::Entry FactsOf(TXRecData* entry, bool isFile) {
  return {rec::Ref(entry, fld::fiDisc), rec::Ref(entry, fld::fiParent),
          isFile ? rec::Int(entry, fld::fiSize) : 0, rec::Date(entry, fld::fiDate)};
}

}  // namespace

struct TEngine::SearchState {
  const TSearchOpts& opts;
  TLazyMask fileMask;
  TLazyMask folderMask;
  TFileKindIndex kinds;  // the file-type table as the search began
  int64_t fileGroups = 0;
  int64_t folderGroups = 0;
  TNodeData group{}, entry{};  // rows, filled anew for each (their texts keep their room)
  // The names of the index walk, those that match, the one followed now, and
  // the end of those whose entries were read ahead.
  const std::vector<int64_t>* ids = nullptr;
  const std::vector<uint8_t>* hits = nullptr;
  std::size_t at = 0, fetched = 0;
  std::string path{};  // a folder path the cache does not hold
};

bool TEngine::NameAt(TXIndex* index, int64_t pos, std::string& name) {
  int64_t id = index->GetItem(int(pos));
  if (const std::string_view* cached = names_.Find(id)) {
    name.assign(*cached);
    return true;
  }
  TXRecData* rec = Base->FetchData(id);
  if (!rec) return false;
  name = rec::Str(rec, fld::nName);
  names_.Put(id, name);
  return true;
}

// The run of names that carry the mask's literal prefix, folded: all
// spellings of a name stand together in the index, so two binary searches on
// "orders before / carries / orders after the prefix" find the run exactly.
bool TEngine::GetIndexRange(const TSearchOpts& opts, bool isFile, int64_t& hi, int64_t& lo) {
  TXIndex* index = NameIndex(!isFile);
  const std::string key = MaskKey(isFile ? opts.FileMask : opts.FolderMask);
  lo = 0;
  hi = int64_t(index->Count()) - 1;
  if (hi <= 0 || key.empty()) return true;
  std::string name;
  bool failed = false;
  // The first position in [a, b) whose name's place relative to the prefix
  // is past `side` (-1: no longer before the run; 0: past the run).
  auto bound = [&](int64_t a, int64_t b, int side) {
    while (a < b && !failed) {
      int64_t mid = a + (b - a) / 2;
      if (!NameAt(index, mid, name))
        failed = true;
      else if (CompareNamePrefix(name, key) <= side)
        a = mid + 1;
      else
        b = mid;
    }
    return a;
  };
  lo = bound(0, index->Count(), -1);
  const bool lowerFailed = failed;
  if (!failed) hi = bound(lo, index->Count(), 0) - 1;
  if (failed) {
    // A name the binary search cannot read hides where the run lies: the
    // whole index is walked instead, and the mask still picks the names.
    ReportDamage(std::string(lowerFailed ? "Failed to search lower index" : "Failed to search upper index") +
                 " - " + Base->LastError);
    lo = 0;
    hi = int64_t(index->Count()) - 1;
  }
  SearchFlush();
  return true;
}

// Every name of the stretch is tested on its text alone, from memory and on
// several threads; then the matching names are followed one by one.
bool TEngine::WalkIndex(SearchState& s, bool isFile) {
  int64_t hi, lo;
  if (!GetIndexRange(s.opts, isFile, hi, lo)) return false;
  TXIndex* index = NameIndex(!isFile);
  std::vector<int64_t> ids;
  for (int64_t pos = lo; pos <= hi && pos < index->Count(); ++pos) ids.push_back(index->GetItem(int(pos)));
  if (ids.empty()) return true;
  const std::size_t ready = CacheNames(ids, isFile);
  const TMask* mask = (isFile ? s.fileMask : s.folderMask).Compiled();
  if (!mask) {
    Out().AddError(std::string(isFile ? "Invalid file mask \"" : "Invalid folder mask \"") +
                   (isFile ? s.opts.FileMask : s.opts.FolderMask) + "\" specified");
    Aborted = true;
  }
  std::vector<uint8_t> hits(ready, 0);
  if (mask) MatchNames(s, *mask, ids, isFile, hits);
  lastProgress_ = -1;
  s.ids = &ids;
  s.hits = &hits;
  s.fetched = 0;
  for (std::size_t i = 0; i < ids.size() && !Aborted; ++i) {
    if (i < ready && !hits[i]) continue;
    s.at = i;
    if (i >= ready) {
      // A name that could not be read is read again here, which reports it;
      // the walk goes on with the names it can read.
      std::string name;
      TXRecData* nameRec = nullptr;
      if (!ReadName(ids[i], isFile, name, nameRec)) continue;
      Base->Release(nameRec);
      if (!mask || !NamePasses(s, *mask, name, isFile)) continue;
    }
    bool pruned = false;
    FollowRefs(s, ids[i], isFile, pruned);
    ProgressOf(int64_t(i + 1), int64_t(ids.size()));
  }
  s.ids = nullptr;
  s.hits = nullptr;
  if (Aborted) Out().AddWarning("Searching interrupted");
  return true;
}

// The facts of the entries that the matching names from `from` on refer to,
// read in storage order: the entries of one name lie far apart, while
// records read in ID order share the storage's read windows. Only what reads
// cleanly is kept; anything else is read again, and reported, where the walk
// meets it. The names covered end before the result. The walk asks for this
// only when it meets an entry it does not know, so a walk over known entries
// costs nothing more.
std::size_t TEngine::ReadEntriesAhead(const std::vector<int64_t>& ids, const std::vector<uint8_t>& hits,
                                      std::size_t from, bool isFile) {
  constexpr std::size_t kAhead = 16384;
  if (from >= hits.size()) return ids.size();
  std::vector<std::pair<int64_t, int64_t>> wanted;  // entry, name
  std::vector<int64_t> refs;
  const int64_t records = Base->GIndex().RecordCount();
  std::size_t to = from;
  for (; to < hits.size() && wanted.size() < kAhead; ++to) {
    if (!hits[to] || !facts_.KnowsRefs(ids[to])) continue;
    facts_.Refs(ids[to], refs);
    TEntryFacts::Entry known;
    for (int64_t ref : refs)
      if (ref > 0 && ref < records && !facts_.FindEntry(ref, known)) wanted.emplace_back(ref, ids[to]);
  }
  std::sort(wanted.begin(), wanted.end());
  const TRecKind* kind = isFile ? FileRecKind : FolderRecKind;
  std::string damage;
  for (std::size_t k = 0; k < wanted.size() && !Aborted; ++k) {
    const auto [ref, name] = wanted[k];
    TXRecData* entry = GetReferenced(*Base, ref, kind, damage);
    if (!entry) continue;
    if (!entry->IsDeleted() && CarriesName(entry, name, isFile)) facts_.PutEntry(ref, FactsOf(entry, isFile));
    Base->Release(entry);
  }
  return to;
}

// Reads into the name cache every name of ids it does not hold yet; the
// count of names ready, stopping before the first one that cannot be read.
std::size_t TEngine::CacheNames(const std::vector<int64_t>& ids, bool isFile) {
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (names_.Find(ids[i])) continue;
    TXRecData* rec = Base->GetData(ids[i]);
    if (!rec) return i;
    const bool usable = !(isFile && rec->IsDeleted());
    if (usable) {
      names_.Put(ids[i], rec::StrRef(rec, fld::nName));
      std::vector<int64_t> refs;  // kept too: a matching name is not read twice
      NameRefs(ids[i], rec, refs);
    }
    Base->Release(rec);
    if (!usable || Aborted) return i;
  }
  return ids.size();
}

bool TEngine::NamePasses(const SearchState& s, const TMask& mask, std::string_view name, bool isFile) const {
  if (isFile && s.opts.FileType >= 0 && s.kinds.IndexOf(NameExt(name)) != s.opts.FileType) return false;
  return mask.Matches(name);
}

// hits[i] := the name of ids[i] passes the type filter and the mask; the
// names are in the cache and nothing changes them meanwhile.
void TEngine::MatchNames(SearchState& s, const TMask& mask, const std::vector<int64_t>& ids, bool isFile,
                         std::vector<uint8_t>& hits) {
  auto match = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) hits[i] = NamePasses(s, mask, *names_.Find(ids[i]), isFile);
  };
  const std::size_t n = hits.size();
  const std::size_t kPerThread = std::size_t(std::max(1, NamesPerThread));
  std::size_t threads = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), 8);
  threads = std::min(threads, (n + kPerThread - 1) / kPerThread);
  if (threads <= 1) {
    match(0, n);
    return;
  }
  std::vector<std::thread> workers;
  const std::size_t chunk = (n + threads - 1) / threads;
  for (std::size_t t = 1; t < threads; ++t)
    workers.emplace_back(match, std::min(n, t * chunk), std::min(n, (t + 1) * chunk));
  match(0, std::min(n, chunk));
  for (auto& w : workers) w.join();
}

bool TEngine::Search(const TSearchOpts& opts) {
  // A refused call leaves a pending Stop of the running operation alone.
  if (Refused()) return false;
  Aborted = false;
  BusyScope busy(*this);
  if (!IsOpen()) return false;
  host_.FileTreeClear();
  host_.FileTreeSortFollows();
  host_.ClearConsole();
  warnedMissingDisc_ = false;
  damageShown_ = false;
  SearchState s{opts, TLazyMask(opts.FileMask), TLazyMask(opts.FolderMask), TFileKindIndex(*FileKinds)};
  const int64_t estimate = Discs->EstimateResults(opts);
  // The folder mask names what is found only when no file mask is given;
  // beside a file mask it merely filters the files' folders, and "*" (the
  // view's starting value) then filters nothing and finds nothing more.
  const bool fullMask =
      opts.FileMask == "*" || opts.FileMask == "*.*" || (opts.FileMask.empty() && opts.FolderMask == "*");
  if (fullMask && estimate > 1000 &&
      !host_.AskYesNo("Searching with these file and folder masks could deliver up to " +
                      std::to_string(estimate) +
                      " results!\n\rDo you still want to continue with the search?"))
    return false;
  if (estimate == 0) {
    host_.AddWarning("Selected search options will deliver no results");
    return false;
  }
  // The view fills while the walk goes on: the walk runs on a worker and
  // this thread adds its rows as they come.
  if (!WalkOnWorker([&] { return SearchWalk(s); })) return false;
  host_.AddInfo(std::to_string(s.fileGroups) + " file(s) and " + std::to_string(s.folderGroups) +
                " folder(s) found");
  host_.FileTreeSort();
  return true;
}

bool TEngine::SearchWalk(SearchState& s) {
  const TSearchOpts& opts = s.opts;
  if (!opts.FolderMask.empty() && opts.FileMask.empty()) {
    Out().AddInfo("Searching for folders ...");
    Progress(0);
    if (!WalkIndex(s, false)) return false;
  }
  if (!opts.FileMask.empty() && !Aborted) {
    Out().AddInfo("Searching for files ...");
    Progress(0);
    if (!WalkIndex(s, true)) return false;
  }
  SearchFlush();
  return true;
}

// While the worker walks, what it changes (the storage and its pool, the
// name, fact and path caches) is left to it, and what both threads read (the
// disc list, the file types) nobody changes: this thread only plays its steps
// and lets the message loop run, where every operation of the engine is
// refused as busy. The storage's progress reaches the feed too.
bool TEngine::WalkOnWorker(const std::function<bool()>& walk) {
  THostFeed feed(std::size_t(std::max(WalkAheadBatches, 1)));
  walkFeed_ = &feed;
  decltype(TXBase::OnProgress) baseProgress = Base->OnProgress;
  Base->OnProgress = [&feed](int32_t p) { feed.Progress(p); };
  bool ok = false;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      ok = walk();
    } catch (...) {
      failure = std::current_exception();
    }
    feed.Close();
  });
  // Joins the worker on every way out, a failing host call included.
  struct Joining {
    TEngine& e;
    THostFeed& feed;
    std::thread& worker;
    decltype(TXBase::OnProgress) baseProgress;
    ~Joining() {
      if (worker.joinable()) {
        e.Aborted = true;
        feed.Cancel();
        worker.join();
      }
      e.walkFeed_ = nullptr;
      e.Base->OnProgress = baseProgress;
    }
  } joining{*this, feed, worker, baseProgress};
  const int slice = std::max(MessageIntervalMs, 1);
  auto lastPump = std::chrono::steady_clock::now();
  for (;;) {
    const THostFeed::TPlay played = feed.Play(host_, progress_, slice);
    if (played == THostFeed::TPlay::Ended) break;
    const auto now = std::chrono::steady_clock::now();
    if (played == THostFeed::TPlay::Waited ||
        now - lastPump >= std::chrono::milliseconds(MessageIntervalMs)) {
      lastPump = now;
      host_.ProcessMessages();
    }
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
  return ok;
}

bool TEngine::AcceptsEntry(const TSearchOpts& opts, const TDiscData& disc, int32_t discPos, double date,
                           int64_t size, bool isFile) const {
  if (opts.Disc >= 0 && opts.Disc != discPos) return false;
  if (opts.Category >= 0 && opts.Category != disc.Category) return false;
  if (opts.MinDateOn && date < opts.MinDate) return false;
  if (opts.MaxDateOn && !WithinMaxDay(date, opts.MaxDate)) return false;
  if (isFile && opts.MinSizeOn && size < opts.MinSize) return false;
  if (isFile && opts.MaxSizeOn && size > opts.MaxSize) return false;
  return true;
}

void TEngine::FillEntryRow(TNodeData& row, const TDiscData& disc, int64_t id, uint8_t kind,
                           const std::string& path, int64_t size, double date) {
  row.ID = id;
  row.Kind = kind;
  if (row.Disc != disc.Label) row.Disc = disc.Label;
  if (row.Location != disc.Location) row.Location = disc.Location;
  if (Out().FileTreeShowsStoredTexts())
    row.Path.clear();
  else
    row.Path = Utf8ToUtf16(path);
  row.StoredPath = path;
  row.Size = size;
  row.Date = date;
}

// The disc position of a reference, or -1 after one warning per search: a
// reference to a disc that is gone is skipped and the walk goes on.
int32_t TEngine::DiscOf(int64_t discID, const char* text) {
  int32_t pos = Discs->IndexOfId(discID);
  if (pos < 0 && !warnedMissingDisc_) {
    warnedMissingDisc_ = true;
    Out().AddWarning(text);
  }
  return pos;
}

// The name record of a name, read into nameRec (pinned; the caller releases
// it), with its name.
bool TEngine::ReadName(int64_t nameID, bool isFile, std::string& name, TXRecData*& nameRec) {
  nameRec = Base->GetData(nameID);
  if (!nameRec) {
    ReportDamage((isFile ? "Retrieving file - " : "Retrieving folder name - ") + Base->LastError);
    return false;
  }
  if (isFile && nameRec->IsDeleted()) {
    Base->Release(nameRec);
    Out().AddFatal("Deleted file [ID = " + IntToHex(uint64_t(nameID), 16) + "] is being accessed");
    return false;
  }
  name = rec::Str(nameRec, fld::nName);
  if (!names_.Find(nameID)) names_.Put(nameID, name);
  return true;
}

// Whether a record is marked deleted, from the global index; false when
// the ID is no record at all (reading the record then reports it).
bool TEngine::IsDeletedID(int64_t id) const {
  TXGIndexRec entry;
  return Base->GIndex().ReadEntry(entry, id) && entry.IsDeleted();
}

void TEngine::NameRefs(int64_t nameID, TXRecData* nameRec, std::vector<int64_t>& refs) {
  if (!nameRec) {
    facts_.Refs(nameID, refs);
    return;
  }
  refs.resize(std::size_t(rec::RefCount(nameRec, fld::nRefs)));
  for (std::size_t i = 0; i < refs.size(); ++i) refs[i] = rec::RefAt(nameRec, fld::nRefs, int(i));
  if (!nameRec->IsDeleted() && (nameRec->Kind == FileNameRecKind || nameRec->Kind == FolderNameRecKind))
    facts_.PutRefs(nameID, refs);
}

// The stored files or folders of a matching name, through the filters, as a
// group row with one entry row each. What the facts table knows is not read
// again. A name whose every reference is deleted is pruned from its index.
bool TEngine::FollowRefs(SearchState& s, int64_t nameID, bool isFile, bool& pruned) {
  const TSearchOpts& opts = s.opts;
  TXRecData* nameRec = nullptr;
  std::string name;
  if (!facts_.KnowsRefs(nameID) || IsDeletedID(nameID)) {
    if (!ReadName(nameID, isFile, name, nameRec)) return false;
  } else {
    name.assign(*names_.Find(nameID));
  }
  std::vector<int64_t> refs;
  NameRefs(nameID, nameRec, refs);
  const TRecKind* entryKind = isFile ? FileRecKind : FolderRecKind;
  ViewNode group = nullptr;
  std::size_t deleted = 0;
  for (int64_t ref : refs) {
    TEntryFacts::Entry facts;
    bool isDeleted;
    // An entry not met before: it and the entries of the names that follow
    // are read ahead together, unless that was done from here on already.
    bool factsKnown = facts_.FindEntry(ref, facts);
    if (!factsKnown && s.ids && s.at >= s.fetched) {
      s.fetched = ReadEntriesAhead(*s.ids, *s.hits, s.at, isFile);
      factsKnown = facts_.FindEntry(ref, facts);
    }
    if (factsKnown) {
      isDeleted = IsDeletedID(ref);
    } else {
      std::string damage;
      TXRecData* entry = GetReferenced(*Base, ref, entryKind, damage);
      if (!entry) {  // reported, and the walk goes on with the rest
        ReportDamage((isFile ? "Retrieving file data - " : "Retrieving folder data - ") + damage);
        continue;
      }
      isDeleted = entry->IsDeleted();
      if (!isDeleted && !CarriesName(entry, nameID, isFile)) {
        ReportDamage("Damaged database: " + std::string(isFile ? "file \"" : "folder \"") +
                     IntToHex(uint64_t(ref), 16) + "\" does not carry the name that refers to it");
        Base->Release(entry);
        continue;
      }
      facts = FactsOf(entry, isFile);
      if (!isDeleted) facts_.PutEntry(ref, facts);
      Base->Release(entry);
    }
    if (isDeleted) {
      ++deleted;
      continue;
    }
    int32_t discPos = DiscOf(facts.disc, "Deleted disc reference encountered!");
    if (discPos < 0) continue;
    const TDiscData& disc = Discs->DiscAt(discPos);
    if (!AcceptsEntry(opts, disc, discPos, facts.date, facts.size, isFile)) continue;
    // The path as the cache holds it: most entries share a folder met before.
    const std::string* known = facts.parent < 0 ? nullptr : paths_.Find(facts.parent);
    if (!known) {
      s.path = GetFolderPath(facts.parent);
      known = &s.path;
    }
    const std::string& path = *known;
    if (isFile && !opts.FolderMask.empty() && path != "/") {
      bool malformed;
      bool match = s.folderMask.Matches(path, malformed);
      if (malformed) {
        Out().AddError("Invalid folder mask \"" + opts.FolderMask + "\" specified");
        Aborted = true;
        break;
      }
      if (!match) continue;
    }
    if (!group) {
      TNodeData& g = s.group;
      g.ID = nameID;
      g.Kind = isFile ? nkFileGroup : nkFolderGroup;
      if (Out().FileTreeShowsStoredTexts())
        g.Name.clear();
      else
        g.Name = Utf8ToUtf16(name);
      g.StoredName = name;
      group = Out().FileTreeAddNode(g, nullptr);
      ++(isFile ? s.fileGroups : s.folderGroups);
    }
    FillEntryRow(s.entry, disc, ref, isFile ? nkFile : nkFolder, path, facts.size, facts.date);
    Out().FileTreeAddNode(s.entry, group);
  }
  if (group) {
    Out().FileTreeExpand(group);
  } else if (deleted == refs.size()) {
    if (!nameRec) nameRec = Base->GetData(nameID);
    if (nameRec) pruned = PruneName(nameRec);
  }
  if (nameRec) Base->Release(nameRec);
  return true;
}

// The path text of a folder: "/" for a disc's root, else each folder name
// from the root down, each followed by "/". Links and names come from the
// caches where they are known, else from the records (which fills the caches).
std::string TEngine::GetFolderPath(int64_t ref) {
  if (ref < 0) return "/";
  if (const std::string* cached = paths_.Find(ref)) return *cached;
  std::vector<std::string> names;  // from the folder up towards the root
  std::string head = "/";
  // A damaged index could make the parents run in a circle: no sound path
  // is longer than there are records.
  int64_t steps = Base->GIndex().RecordCount();
  for (int64_t cur = ref; cur >= 0;) {
    if (--steps < 0) {
      head = "<Parent-Error> ";
      ReportDamage("Damaged database: the parents of folder \"" + IntToHex(uint64_t(ref), 16) +
                   "\" form a circle");
      break;
    }
    if (const std::string* cached = paths_.Find(cur)) {
      head = *cached;
      break;
    }
    TFolderLinks::Link link;
    if (const TFolderLinks::Link* known = folders_.Find(cur)) {
      link = *known;
    } else {
      std::string damage;
      TXRecData* folder = GetLiveReferenced(*Base, cur, FolderRecKind, damage);
      if (!folder) {
        head = "<Parent-Error> " + damage;
        ReportDamage(damage);
        break;
      }
      link = {rec::Ref(folder, fld::foParent), rec::Ref(folder, fld::foName)};
      Base->Release(folder);
      folders_.Put(cur, link);
    }
    if (link.name < 0) break;  // the disc's root
    if (const std::string_view* cached = names_.Find(link.name)) {
      names.emplace_back(*cached);
    } else {
      std::string damage;
      TXRecData* nameRec = GetLiveReferenced(*Base, link.name, FolderNameRecKind, damage);
      if (!nameRec) {
        head = "<Name-Error> " + damage;
        ReportDamage(damage);
        break;
      }
      names.push_back(rec::Str(nameRec, fld::nName));
      Base->Release(nameRec);
      names_.Put(link.name, names.back());
    }
    cur = link.parent;
  }
  std::string path = head;
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += *it + "/";
  if (head.size() && head.back() == '/') paths_.Put(ref, path);
  return path;
}

// Damage met by a search or a compare: the first is reported, with a word
// that the database turned read-only when it did; the rest of the walk
// reads what it can without a line for every record that shares the damage.
void TEngine::ReportDamage(const std::string& line) {
  if (damageShown_) return;
  damageShown_ = true;
  const bool said = line.find("open for reading only") != std::string::npos;
  Out().AddError(
      (Base->ReadOnly() && !said ? line + "; the database is damaged and now open for reading only" : line) +
      Base->WayOut());
}

bool TEngine::PruneName(TXRecData* nameRec) {
  if (nameRec->IsDeleted()) return false;
  TXIndex* index = nameRec->Kind == FileNameRecKind ? FileNameIndex : FolderNameIndex;
  index->Remove(nameRec);
  names_.Forget(nameRec->ID);
  facts_.ForgetRefs(nameRec->ID);
  const int kind = nameRec->Kind == FileNameRecKind ? 0 : 1;
  interned_[kind].erase(ExactHash(rec::StrRef(nameRec, fld::nName)));
  if (hashShared_[kind]) namesKnown_[kind] = false;
  return Base->DeleteData(nameRec->ID);
}

}  // namespace qv
