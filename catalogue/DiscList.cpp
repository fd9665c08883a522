// The disc list: loading, saving and adding discs, and the estimate of a
// search's result count.
#include "catalogue/DiscList.h"

#include <algorithm>

#include "catalogue/Names.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"
#include "storage/Base.h"

namespace qv {

int32_t Percent(int64_t done, int64_t total) {
  if (total <= 0) return 100;
  double p = 100.0 * double(done) / double(total);
  return int32_t(std::clamp(p, 0.0, 100.0));
}

bool DiscTextFits(const WideString& text) {
  return Utf16ToUtf8(text).size() <= kMaxDiscTextBytes;
}

bool DiscTextsFit(const TDiscData& data, IEngineHost& host) {
  if (!DiscTextFits(data.Label)) {
    host.AddError("Disc label is longer than 255 bytes");
    return false;
  }
  if (!DiscTextFits(data.Location)) {
    host.AddError("Disc location is longer than 255 bytes");
    return false;
  }
  return true;
}

TDiscList::TDiscList(IEngineHost& host) : Categories(host), BrowseRoot(TFileData::CreateRoot()), host_(host) {
  Categories.OnDelete = [this](int32_t category) { RenumberAfterDelete(category); };
  Categories.OnChanged = [this](const TChangeText& change) { CategoriesChanged(change); };
}

// A category change reaches the disc at once, with the discs it renumbered.
// While an operation runs, its own final flush writes them instead: a flush
// now would free the records that operation holds.
void TDiscList::CategoriesChanged(const TChangeText& change) {
  if (!IsOpen() || !Base->Opened()) return;
  SaveAll();
  if ((EngineBusy && *EngineBusy) || Browsing) return;
  if (Base->Flush()) return;
  if (OnCommitFailed)
    OnCommitFailed(change, IndexedIds());
  else
    host_.AddError(Base->ShownError());
}

TDiscList::~TDiscList() {
  // The views may be gone by now: the browsed tree goes without a word to them.
  destroying_ = true;
  Clear();
}

bool TDiscList::InitCommon(TXBase* base, TXIndex* discIndex) {
  if (IsOpen()) Close();
  if (!base) {
    host_.AddFatal("[DiscList.Init] Database is not assigned");
    return false;
  }
  if (!discIndex) {
    host_.AddFatal("[DiscList.Init] Disc index is not assigned");
    return false;
  }
  DiscIndex = discIndex;
  DiscKind = dynamic_cast<const TRecKind*>(base->Context().KindByName("xDisc"));
  if (!DiscKind) {
    host_.AddFatal("[DiscList.Init] Failed to retrieve type \"Disc\"");
    return false;
  }
  return true;
}

bool TDiscList::InitNew(TXBase* base, TXIndex* discIndex) {
  if (!InitCommon(base, discIndex)) return false;
  Base = base;
  if (!Categories.CreateNew(base)) {
    Base = nullptr;
    return false;
  }
  return true;
}

bool TDiscList::InitOpened(TXBase* base, TXIndex* discIndex) {
  if (!InitCommon(base, discIndex)) return false;
  if (!Categories.Open(base)) return false;
  Base = base;
  LoadAll();
  if (!Base->Flush()) {
    host_.AddError(Base->ShownError());
    return false;
  }
  return true;
}

bool TDiscList::Close() {
  if (!IsOpen()) return false;
  Clear();
  if (!Categories.Close()) return false;
  Base = nullptr;
  DiscIndex = nullptr;
  DiscKind = nullptr;
  return true;
}

void TDiscList::Clear() {
  // The browser's views point into the browsed tree: they go first.
  if (!destroying_) host_.BrowserClear();
  BrowseRoot->ClearChildren();
  BrowsedID = -1;
  if (IsOpen()) {
    SaveAll();
    Base->Flush();
  }
  discs_.clear();
}

TDiscData TDiscList::GetDisc(int32_t index) const {
  QV_ASSERT(index >= 0 && index < Count());
  return discs_[std::size_t(index)]->Data;
}

const TDiscData& TDiscList::DiscAt(int32_t index) const {
  QV_ASSERT(index >= 0 && index < Count());
  return discs_[std::size_t(index)]->Data;
}

void TDiscList::SetDisc(int32_t index, const TDiscData& data) {
  QV_ASSERT(index >= 0 && index < Count());
  const bool renamed = discs_[std::size_t(index)]->Data.Label != data.Label;
  discs_[std::size_t(index)]->Data = data;
  discs_[std::size_t(index)]->Modified = true;
  if (renamed) KeepIndexOrder();
}

void TDiscList::SetCounts(int32_t index, int64_t files, int64_t folders) {
  if (index < 0 || index >= Count()) return;
  auto& d = *discs_[std::size_t(index)];
  d.Data.Files = files, d.Data.Folders = folders, d.Modified = true;
}

void TDiscList::SetRoot(int32_t index, int64_t root) {
  if (index < 0 || index >= Count()) return;
  discs_[std::size_t(index)]->Data.Root = root;
  discs_[std::size_t(index)]->Modified = true;
}

int32_t TDiscList::FindById(int64_t id, int32_t& index) const {
  auto it = std::lower_bound(discs_.begin(), discs_.end(), id,
                             [](const std::unique_ptr<TDiscRec>& d, int64_t v) { return d->Data.ID < v; });
  int32_t pos = int32_t(it - discs_.begin());
  if (it != discs_.end() && (*it)->Data.ID == id) {
    index = pos;
    return -1;
  }
  index = -1;
  return pos;
}

int32_t TDiscList::IndexOfId(int64_t id) const {
  int32_t index;
  FindById(id, index);
  return index;
}

int32_t TDiscList::FindByLabel(const WideString& label) const {
  std::string key = Utf16ToUtf8(label);
  for (int32_t i = 0; i < Count(); ++i)
    if (SameName(Utf16ToUtf8(discs_[std::size_t(i)]->Data.Label), key)) return i;
  return -1;
}

int32_t TDiscList::LoadDisc(int64_t id) {
  if (id < 0 || !IsOpen() || !Base->Opened()) return -1;
  TXRecData* rec = Base->GetData(id);
  if (!rec) {
    host_.AddError(Base->ShownError());
    return -1;
  }
  if (rec->IsDeleted()) {
    host_.AddError("Deleted disc [ID = " + IntToHex(uint64_t(id), 16) + "] loading has been attempted!");
    Base->Release(rec);
    return -1;
  }
  auto disc = std::make_unique<TDiscRec>();
  TDiscData& d = disc->Data;
  d.ID = id;
  d.Label = Utf8ToUtf16(rec::Str(rec, fld::dLabel));
  d.Category = int32_t(rec::Int(rec, fld::dCategory));
  d.Location = Utf8ToUtf16(rec::Str(rec, fld::dLocation));
  d.Files = rec::Int(rec, fld::dFiles);
  d.Folders = rec::Int(rec, fld::dFolders);
  d.Added = rec::Date(rec, fld::dAdded);
  d.Description = Utf8ToUtf16(rec::Str(rec, fld::dDescription));
  d.Root = rec::Ref(rec, fld::dRoot);
  Base->Release(rec);
  int32_t index;
  int32_t pos = FindById(id, index);
  if (index >= 0) {
    // A damaged disc index can list a disc twice; the second entry is dropped.
    host_.AddError("Disc [ID = " + IntToHex(uint64_t(id), 16) + "] is listed twice in the disc index");
    return -1;
  }
  Categories.IncDiscCount(d.Category);
  discs_.insert(discs_.begin() + pos, std::move(disc));
  return pos;
}

void TDiscList::WriteDisc(TXRecData* rec, const TDiscData& d) {
  rec::SetStr(rec, fld::dLabel, rec::FitString(Utf16ToUtf8(d.Label)));
  rec::SetInt(rec, fld::dCategory, d.Category);
  rec::SetStr(rec, fld::dLocation, rec::FitString(Utf16ToUtf8(d.Location)));
  rec::SetInt(rec, fld::dFiles, d.Files);
  rec::SetInt(rec, fld::dFolders, d.Folders);
  rec::SetDate(rec, fld::dAdded, d.Added);
  rec::SetStr(rec, fld::dDescription, Utf16ToUtf8(d.Description));
  rec::SetRef(rec, fld::dRoot, d.Root);
}

void TDiscList::SaveDisc(int32_t index) {
  if (index < 0 || index >= Count()) return;
  QV_ASSERT(IsOpen());
  TDiscRec& disc = *discs_[std::size_t(index)];
  if (!Base->Opened() || !disc.Modified) return;
  // Fetched without a pin: the record stays pooled until the next flush writes it.
  TXRecData* rec = Base->FetchData(disc.Data.ID);
  if (!rec) {
    host_.AddError(Base->ShownError());
    return;
  }
  WriteDisc(rec, disc.Data);
  disc.Modified = false;
}

void TDiscList::LoadAll() {
  if (DiscIndex) LoadIndexed();
}

void TDiscList::SaveAll() {
  for (int32_t i = 0; i < Count(); ++i) SaveDisc(i);
}

int32_t TDiscList::AddDisc(const TDiscData& data, bool* committed) {
  if (!IsOpen() || !Base->Opened()) return -1;
  if (FindByLabel(data.Label) >= 0) {
    host_.AddError("Disc labeled \"" + Utf16ToUtf8(data.Label) + "\" is already in the database");
    return -1;
  }
  TXRecData* rec = Base->NewData(DiscKind);
  if (!rec) {
    host_.AddError(Base->ShownError());
    return -1;
  }
  TDiscData d = data;
  d.Files = d.Folders = 0;
  d.Added = Now();
  d.Root = -1;
  WriteDisc(rec, d);
  int64_t id = rec->ID;
  if (!DiscIndex->Insert(rec, -1)) {
    // Without its index entry the disc would vanish at the next opening.
    host_.AddError("Failed to add disc \"" + Utf16ToUtf8(data.Label) + "\" to the disc index");
    Base->DeleteData(id);
    return -1;
  }
  int32_t pos = LoadDisc(id);
  const bool flushed = Base->Flush();
  if (committed)
    *committed = flushed;
  else if (!flushed)
    host_.AddError(Base->ShownError());
  return pos;
}

bool TDiscList::Reload(int32_t index) {
  if (index < 0 || index >= Count()) return false;
  const TDiscData d = discs_[std::size_t(index)]->Data;
  Categories.DecDiscCount(d.Category);
  discs_.erase(discs_.begin() + index);
  return LoadDisc(d.ID) >= 0;
}

void TDiscList::Unlist(int32_t index) {
  if (index < 0 || index >= Count()) return;
  const TDiscData d = discs_[std::size_t(index)]->Data;
  DropFromIndex(d.ID);
  Categories.DecDiscCount(d.Category);
  discs_.erase(discs_.begin() + index);
}

int64_t TDiscList::EstimateResults(const TSearchOpts& opts) const {
  int64_t total = 0;
  for (int32_t i = 0; i < Count(); ++i) {
    const TDiscData& d = discs_[std::size_t(i)]->Data;
    if (opts.Disc >= 0 ? i != opts.Disc : (opts.Category >= 0 && d.Category != opts.Category)) continue;
    if (!opts.FileMask.empty())
      total += d.Files;
    else if (!opts.FolderMask.empty())
      total += d.Folders;
  }
  return total;
}

void TDiscList::RenumberAfterDelete(int32_t category) {
  for (auto& disc : discs_) {
    int32_t& c = disc->Data.Category;
    if (c < category) continue;
    c = c > category ? c - 1 : 0;  // a disc of the deleted category falls back to the first
    disc->Modified = true;
  }
  for (int32_t k = 0; k < Categories.Count(); ++k) Categories.SetDiscCount(k, 0);
  for (auto& disc : discs_) Categories.IncDiscCount(disc->Data.Category);
}

}  // namespace qv
