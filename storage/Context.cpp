// The kind registry and the context stream.
#include "storage/Context.h"

#include <algorithm>

#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/StreamStrings.h"

namespace qv {

namespace {

const char* const kBuiltInNames[] = {"Boolean", "Int8",      "Int16",   "Int32", "Int64",    "Integer",
                                     "Single",  "Double",    "Float",   "Money", "DateTime", "String",
                                     "Text",    "UniString", "UniText", "Binary"};

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

}  // namespace

TContext::TContext(std::string name) : Name(std::move(name)) {
  Reset();
}

void TContext::Reset() {
  kinds_.clear();
  NextId = 64;
  uint8_t code = kcBoolean;
  for (const char* name : kBuiltInNames) AddSimple(name, code++);
  BuiltInCount = Count();
  LastError.clear();
}

TKind* TContext::GetKind(int i) const {
  QV_ASSERT(i >= 0 && i < Count());
  return kinds_[std::size_t(i)].get();
}

int TContext::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameKindName(kinds_[std::size_t(i)]->Name, name)) return i;
  return -1;
}

TKind* TContext::KindByName(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? nullptr : kinds_[std::size_t(i)].get();
}

int TContext::IndexOfId(int32_t id) const {
  for (int i = 0; i < Count(); ++i)
    if (kinds_[std::size_t(i)]->Id == id) return i;
  return -1;
}

TKind* TContext::KindById(int32_t id) const {
  if (id < 1) return nullptr;
  int i = IndexOfId(id);
  return i < 0 ? nullptr : kinds_[std::size_t(i)].get();
}

bool TContext::IsNameFree(const std::string& name) const {
  return !name.empty() && IndexOfName(name) < 0;
}

int32_t TContext::NewId(uint8_t code) {
  if (IsCompositeCode(code)) return ++NextId;
  if (IsSimpleCode(code)) return code;
  return 0;
}

TKind* TContext::AddSimple(const std::string& name, uint8_t code) {
  if (!IsSimpleCode(code) || !IsNameFree(name)) return nullptr;
  if (TKind* existing = KindById(code)) return existing;
  kinds_.push_back(std::make_unique<TKind>(name, code, code));
  return kinds_.back().get();
}

template <class K>
K* TContext::AddComposite(const std::string& name, int32_t id, uint8_t code) {
  if (!IsNameFree(name)) return nullptr;
  if (id < 0) id = NewId(code);
  auto kind = std::make_unique<K>(name, id);
  K* raw = kind.get();
  kinds_.push_back(std::move(kind));
  return raw;
}

TEnumKind* TContext::AddEnum(const std::string& name, int32_t id) {
  return AddComposite<TEnumKind>(name, id, kcEnum);
}

TRecKind* TContext::AddRec(const std::string& name, int32_t id, TRecKind* parent) {
  TRecKind* k = AddComposite<TRecKind>(name, id, kcRec);
  if (k && parent) k->SetParent(parent);
  return k;
}

TArrKind* TContext::AddArr(const std::string& name, TKind* elemKind, int32_t id) {
  TArrKind* k = AddComposite<TArrKind>(name, id, kcArr);
  if (k) k->SetElemKind(elemKind);
  return k;
}

TSetKind* TContext::AddSet(const std::string& name, TEnumKind* baseKind, int32_t id) {
  TSetKind* k = AddComposite<TSetKind>(name, id, kcSet);
  if (k) k->SetBaseKind(baseKind);
  return k;
}

bool TContext::Fail(std::string text) {
  LastError = std::move(text);
  return false;
}

// ---- stream ----

bool TContext::SaveToStream(TStream& stream) {
  LastError.clear();
  if (Name.empty()) return Fail("Context has no name");
  if (!WriteStreamString(stream, Name) || !WriteStreamU32(stream, uint32_t(Count() - BuiltInCount)))
    return false;
  for (int i = BuiltInCount; i < Count(); ++i)
    if (!kinds_[std::size_t(i)]->SaveToStream(stream)) return false;
  return true;
}

bool TContext::LoadFromStream(TStream& stream) {
  Reset();
  std::string name;
  bool ok = ReadStreamString(stream, name);
  Name = name;
  ok = ok && LoadKinds(stream) && ResolveKinds();
  if (!ok) {
    // A half-read context would hand out kinds with dangling references: keep
    // only the built-ins (and the reason).
    std::string reason = LastError;
    Reset();
    LastError = reason;
    return false;
  }
  // Fresh ids must not repeat the stored ones.
  for (int i = BuiltInCount; i < Count(); ++i) NextId = std::max(NextId, kinds_[std::size_t(i)]->Id);
  return true;
}

bool TContext::LoadKinds(TStream& stream) {
  uint32_t count;
  if (!ReadStreamU32(stream, count)) return false;
  for (uint32_t n = 0; n < count; ++n) {
    TKind scratch(std::string(), -1, kcScratch);
    if (!scratch.LoadFromStream(stream)) return false;
    TKind* kind = nullptr;
    switch (scratch.Code) {
      case kcEnum:
        kind = AddEnum(scratch.Name, scratch.Id);
        break;
      case kcSet:
        kind = AddSet(scratch.Name, nullptr, scratch.Id);
        break;
      case kcArr:
        kind = AddArr(scratch.Name, nullptr, scratch.Id);
        break;
      case kcRec:
        kind = AddRec(scratch.Name, scratch.Id, nullptr);
        break;
      default:
        return Fail("Bad data kind " + IntToStr(scratch.Code) + " encountered while reassembling");
    }
    if (!kind) {
      if (scratch.Name.empty()) return Fail("A stored kind has no name");
      return Fail("Kind name " + Quoted(scratch.Name) + " is stored twice");
    }
    if (!kind->LoadFromStream(stream)) return false;
  }
  return true;
}

bool TContext::ResolveKinds() {
  for (int i = BuiltInCount; i < Count(); ++i) {
    TKind* k = kinds_[std::size_t(i)].get();
    bool ok = true;
    switch (k->Code) {
      case kcEnum:
        break;
      case kcSet:
        ok = ResolveSet(static_cast<TSetKind*>(k));
        break;
      case kcArr:
        ok = ResolveArr(static_cast<TArrKind*>(k));
        break;
      case kcRec:
        ok = ResolveRec(static_cast<TRecKind*>(k));
        break;
      default:
        return Fail("Bad data kind " + IntToStr(k->Code) + " encountered while reassembling");
    }
    if (!ok) return false;
  }
  return CheckNesting();
}

namespace {

// The kind an id stands for, or nullptr with the reason in `error`.
TKind* Referenced(const TContext& ctx, const TKind* from, int32_t id, std::string& error) {
  TKind* k = id > 0 ? ctx.KindById(id) : nullptr;
  if (!k)
    error = "Kind " + Quoted(from->Name) + " refers to " + (id > 0 ? "the missing" : "an invalid") +
            " kind ID " + IntToStr(id);
  return k;
}

}  // namespace

bool TContext::ResolveSet(TSetKind* set) {
  if (set->BaseKind) return true;  // already resolved (a context built in memory)
  std::string error;
  TKind* base = Referenced(*this, set, set->BaseId, error);
  if (!base) return Fail(error);
  auto* e = dynamic_cast<TEnumKind*>(base);
  if (!e)
    return Fail("Set kind " + Quoted(set->Name) + " is based on " + Quoted(base->Name) +
                ", which is not an enumeration");
  set->BaseKind = e;
  return true;
}

bool TContext::ResolveArr(TArrKind* arr) {
  if (arr->ElemKind) return true;
  std::string error;
  arr->ElemKind = Referenced(*this, arr, arr->ElemId, error);
  return arr->ElemKind ? true : Fail(error);
}

bool TContext::ResolveRec(TRecKind* rec) {
  std::string error;
  if (!rec->Parent && rec->ParentId > 0) {
    TKind* p = Referenced(*this, rec, rec->ParentId, error);
    if (!p) return Fail(error);
    auto* parent = dynamic_cast<TRecKind*>(p);
    if (!parent)
      return Fail("Record kind " + Quoted(rec->Name) + " inherits from " + Quoted(p->Name) +
                  ", which is not a record kind");
    // Parents are set in list order, so a cycle shows when its last link is made.
    int depth = 1;
    for (const TRecKind* a = parent; a; a = a->Parent, ++depth) {
      if (a == rec) return Fail("Record kind " + Quoted(rec->Name) + " inherits from itself");
      if (depth > TRecKind::kMaxParentDepth)
        return Fail("Record kind " + Quoted(rec->Name) + " nests too deeply");
    }
    rec->Parent = parent;
  }
  for (auto& f : rec->Fields) {
    if (f->Kind) continue;
    f->Kind = Referenced(*this, rec, f->KindId, error);
    if (!f->Kind) return Fail(error);
  }
  return true;
}

bool TContext::CheckNesting() {
  // Checked once every link is made: later parents lengthen earlier chains.
  for (int i = BuiltInCount; i < Count(); ++i) {
    TKind* k = kinds_[std::size_t(i)].get();
    if (auto* rec = dynamic_cast<TRecKind*>(k)) {
      int depth = 0, fields = int(rec->Fields.size());
      for (const TRecKind* p = rec->Parent; p; p = p->Parent) {
        if (++depth > TRecKind::kMaxParentDepth)
          return Fail("Record kind " + Quoted(rec->Name) + " nests too deeply");
        fields += int(p->Fields.size());
      }
      if (fields > TRecKind::kMaxFieldCount)
        return Fail("Record kind " + Quoted(rec->Name) + " has too many fields");
    }
    int depth = 0;
    for (const TKind* e = k; e && e->Code == kcArr; e = static_cast<const TArrKind*>(e)->ElemKind)
      if (++depth > TArrKind::kMaxNesting) return Fail("Array kind " + Quoted(k->Name) + " nests too deeply");
  }
  return true;
}

bool TContext::SaveToFile(const std::string& fileName) {
  try {
    TFileStream f(fileName, fmCreate);
    return SaveToStream(f);
  } catch (const EStreamError& e) {
    return Fail(e.Message);
  }
}

bool TContext::LoadFromFile(const std::string& fileName) {
  if (!FileExists(fileName)) return Fail("File " + Quoted(fileName) + " not found");
  TMemoryStream m;
  try {
    m.LoadFromFile(fileName);
  } catch (const EStreamError& e) {
    return Fail(e.Message);
  }
  return LoadFromStream(m);
}

bool TContext::Assign(TContext& source) {
  TMemoryStream m;
  if (!source.SaveToStream(m)) return false;
  m.SetPosition(0);
  return LoadFromStream(m);
}

}  // namespace qv
