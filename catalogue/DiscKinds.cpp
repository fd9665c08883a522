// Category list storage: field 0 of the "xDiscKinds" record is an array of
// String values, one per category, in order.
#include "catalogue/DiscKinds.h"

#include "catalogue/EngineHost.h"
#include "catalogue/RecordFields.h"
#include "catalogue/Schema.h"
#include "classlib/SysUtils.h"
#include "storage/Base.h"

namespace qv {

namespace {
const char* const kDefaults[] = {"Other",  "Software", "Audio", "Video",  "Games",
                                 "Backup", "Files",    "Music", "Movies", "Photos"};
}

TDiscKinds::TDiscKinds(IEngineHost& host) : host_(host) {
  Reset();
}

TDiscKinds::~TDiscKinds() {
  if (IsAttached()) Close();
}

void TDiscKinds::Reset() {
  names_.assign(1, Item{kDefaults[0], 0});
}

void TDiscKinds::LoadDefaults() {
  Reset();
  for (std::size_t i = 1; i < std::size(kDefaults); ++i) names_.push_back(Item{kDefaults[i], 0});
}

std::string TDiscKinds::GetName(int32_t index) const {
  return InRange(index) ? names_[std::size_t(index)].name : "<ERROR>";
}

bool TDiscKinds::Rename(int32_t index, const std::string& name) {
  if (!InRange(index) || Refused()) return false;
  const std::string old = names_[std::size_t(index)].name;
  names_[std::size_t(index)].name = name;
  Changed({"Category \"" + old + "\" was not renamed to \"" + name + "\"",
           "Category \"" + old + "\" has been renamed to \"" + name + "\""});
  return true;
}

int32_t TDiscKinds::IndexOf(const std::string& name) const {
  for (int32_t i = 0; i < Count(); ++i)
    if (SameText(names_[std::size_t(i)].name, name)) return i;
  return -1;
}

bool TDiscKinds::Add(const std::string& name) {
  if (Refused()) return false;
  names_.push_back(Item{name, 0});
  Changed({"Category \"" + name + "\" was not added", "Category \"" + name + "\" has been added"});
  return true;
}

bool TDiscKinds::Delete(int32_t index) {
  if (!InRange(index) || Refused()) return false;
  const std::string name = names_[std::size_t(index)].name;
  names_.erase(names_.begin() + index);
  if (names_.empty()) Reset();
  if (Selected == index)
    Selected = -1;
  else if (Selected > index)
    --Selected;
  if (OnDelete) OnDelete(index);
  Changed({"Category \"" + name + "\" was not deleted", "Category \"" + name + "\" has been deleted"});
  return true;
}

// A catalogue open for reading only keeps its categories as stored: a change
// kept in memory would renumber discs on screen and be gone at the next open.
bool TDiscKinds::Refused() {
  if (!IsAttached()) return false;
  Base->FolderStillOurs();  // a folder lost since the last change is read-only from now on
  if (!Base->ReadOnly()) return false;
  host_.AddError(Base->RefusalText());
  return true;
}

void TDiscKinds::Changed(const TChangeText& change) {
  if (!IsAttached() || !Save()) return;
  if (OnChanged) {
    OnChanged(change);
  } else if (!Base->Flush()) {
    host_.AddError(Base->ShownError());
  }
}

int32_t TDiscKinds::GetDiscCount(int32_t index) const {
  return InRange(index) ? names_[std::size_t(index)].discs : 0;
}

void TDiscKinds::SetDiscCount(int32_t index, int32_t count) {
  if (InRange(index)) names_[std::size_t(index)].discs = count;
}

// Counts of categories that no longer exist are ignored rather than trusted.
void TDiscKinds::IncDiscCount(int32_t index) {
  if (InRange(index)) ++names_[std::size_t(index)].discs;
}

void TDiscKinds::DecDiscCount(int32_t index) {
  if (InRange(index)) --names_[std::size_t(index)].discs;
}

const TRecKind* TDiscKinds::FindKind(TXBase* base) {
  auto* kind = dynamic_cast<const TRecKind*>(base->Context().KindByName("xDiscKinds"));
  if (!kind) host_.AddError("Failed to retrieve categories type");
  return kind;
}

bool TDiscKinds::CreateNew(TXBase* base) {
  // Another catalogue (or this one emptied): its categories are not the
  // ones chosen before.
  Selected = -1;
  const TRecKind* kind = FindKind(base);
  if (!kind) return false;
  TXRecData* rec = base->NewData(kind);
  if (!rec) {
    host_.AddError(base->ShownError());
    return false;
  }
  KindsID = rec->ID;
  LoadDefaults();
  Base = base;
  // Written at once: a catalogue must never lack its categories record, even
  // when the session that made it never closes.
  if (!Save() || !Base->Flush()) {
    if (!Base->LastError.empty()) host_.AddError(Base->ShownError());
    return false;
  }
  return true;
}

bool TDiscKinds::Recreate(TXBase* base, const TRecKind* kind, int64_t damaged) {
  // A catalogue that holds no record at all lost nothing: its create or its
  // clear was cut short before its categories were written, and the
  // defaults are what it would have written.
  if (damaged >= 0 || base->GIndex().RecordCount() > 1)
    host_.AddWarning("Failed to retrieve categories descriptions; the default categories are used");
  if (base->ReadOnly()) {
    // A damaged catalogue gets no new record: the defaults serve this
    // session, and the stored record stays as it was found.
    LoadDefaults();
    Base = base;
    KindsID = -1;
    return true;
  }
  if (damaged >= 0) base->DeleteData(damaged);  // the next opening finds the new record first
  TXRecData* rec = base->NewData(kind);
  if (!rec) {
    host_.AddError(base->ShownError());
    return false;
  }
  KindsID = rec->ID;
  LoadDefaults();
  Base = base;
  return Save();  // written by the flush that ends the opening
}

bool TDiscKinds::Open(TXBase* base) {
  Selected = -1;
  const TRecKind* kind = FindKind(base);
  if (!kind) return false;
  int64_t found = -1;
  base->GIndex().ForEach([&](const TXGIndexRec& entry, int64_t id) {
    if (int32_t(entry.KindId) != kind->Id || entry.IsDeleted()) return true;
    found = id;
    return false;
  });
  // A missing or unreadable record costs the category names, never the
  // catalogue: the defaults take their place.
  if (found < 0) return Recreate(base, kind, -1);
  KindsID = found;
  Base = base;
  if (!LoadNames(false)) {
    Base = nullptr;
    return Recreate(base, kind, found);
  }
  return true;
}

bool TDiscKinds::Load() {
  return LoadNames(true);
}

bool TDiscKinds::LoadNames(bool report) {
  if (!IsAttached() || KindsID < 0) return false;
  TXRecData* rec = Base->GetData(KindsID);
  if (!rec) {
    if (report) host_.AddError(Base->ShownError());
    return false;
  }
  names_.clear();
  if (TXArrData* arr = rec::Arr(rec, fld::kNames)) {
    for (int i = 0; i < arr->Count(); ++i) {
      auto* v = dynamic_cast<TXValData*>(arr->GetItem(i));
      if (v && v->Tag() == kcString) names_.push_back(Item{v->IsEmpty() ? std::string() : v->GetText(), 0});
    }
  }
  if (names_.empty()) Reset();
  Base->Release(rec);
  return true;
}

bool TDiscKinds::Save() {
  if (!IsAttached()) return false;
  if (Base->ReadOnly()) return true;  // nothing to write: no change is taken while read-only
  if (KindsID < 0) return false;
  // Fetched without a pin: the record stays pooled for the next flush to write.
  TXRecData* rec = Base->FetchData(KindsID);
  if (!rec) {
    host_.AddError(Base->ShownError());
    return false;
  }
  TXArrData* arr = rec::Arr(rec, fld::kNames);
  // Names as stored are not stored again: a session that changed none
  // leaves the record, and with it the whole commit, alone.
  if (arr && !Stored(*arr)) {
    arr->Clear();
    for (auto& item : names_)
      if (auto* v = dynamic_cast<TXValData*>(arr->Add())) v->SetText(rec::FitString(item.name));
  }
  return arr != nullptr;
}

bool TDiscKinds::Stored(TXArrData& arr) const {
  if (arr.Count() != Count()) return false;
  for (int i = 0; i < arr.Count(); ++i) {
    auto* v = dynamic_cast<TXValData*>(arr.GetItem(i));
    if (!v || v->Tag() != kcString) return false;
    const std::string stored = v->IsEmpty() ? std::string() : v->GetText();
    if (stored != rec::FitString(names_[std::size_t(i)].name)) return false;
  }
  return true;
}

bool TDiscKinds::Close() {
  if (!IsAttached() || !Save()) return false;
  names_.clear();
  Base = nullptr;
  KindsID = -1;
  Selected = -1;
  return true;
}

}  // namespace qv
