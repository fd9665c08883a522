// Kinds: stream form of each kind class, record field numbering, and the
// structural comparisons.
#include "storage/Kinds.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "platform/Exception.h"
#include "storage/StreamStrings.h"

namespace qv {

namespace {

char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Strings in the stream take at least their u32 length.
constexpr int64_t kMinStringBytes = 4;

}  // namespace

bool SameKindName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// ---- TKind ----

bool TKind::SaveToStream(TStream& stream) const {
  return WriteStreamU32(stream, Code) && WriteStreamU32(stream, uint32_t(Id)) &&
         WriteStreamString(stream, Name);
}

bool TKind::LoadFromStream(TStream& stream) {
  if (Code != kcScratch) return true;
  uint32_t code;
  if (!ReadStreamU32(stream, code)) return false;
  Code = uint8_t(code);
  return ReadStreamId(stream, Id) && ReadStreamString(stream, Name);
}

// ---- TEnumKind ----

const std::string& TEnumKind::GetName(int i) const {
  QV_ASSERT(i >= 0 && i < Count());
  return Names[std::size_t(i)];
}

bool TEnumKind::SaveToStream(TStream& stream) const {
  if (!TKind::SaveToStream(stream) || !WriteStreamU32(stream, uint32_t(Names.size()))) return false;
  for (const auto& n : Names)
    if (!WriteStreamString(stream, n)) return false;
  return true;
}

bool TEnumKind::LoadFromStream(TStream& stream) {
  Names.clear();
  int32_t count;
  if (!ReadStreamId(stream, count) || count <= 0) return false;
  if (count > StreamRemaining(stream) / kMinStringBytes) return false;
  Names.reserve(std::size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    std::string s;
    if (!ReadStreamString(stream, s)) return false;
    Names.push_back(std::move(s));
  }
  return true;
}

// ---- TSetKind / TArrKind ----

void TSetKind::SetBaseKind(TEnumKind* kind) {
  BaseKind = kind;
  BaseId = kind ? kind->Id : -1;
}

bool TSetKind::SaveToStream(TStream& stream) const {
  return TKind::SaveToStream(stream) && WriteStreamU32(stream, uint32_t(BaseId));
}

bool TSetKind::LoadFromStream(TStream& stream) {
  BaseKind = nullptr;
  return ReadStreamId(stream, BaseId);
}

void TArrKind::SetElemKind(TKind* kind) {
  ElemKind = kind;
  ElemId = kind ? kind->Id : -1;
}

bool TArrKind::SaveToStream(TStream& stream) const {
  return TKind::SaveToStream(stream) && WriteStreamU32(stream, uint32_t(ElemId));
}

bool TArrKind::LoadFromStream(TStream& stream) {
  ElemKind = nullptr;
  return ReadStreamId(stream, ElemId);
}

// ---- TRecField / TRecKind ----

void TRecField::SetKind(TKind* kind) {
  Kind = kind;
  KindId = kind ? kind->Id : -1;
}

void TRecKind::SetParent(TRecKind* parent) {
  int depth = 1;
  for (const TRecKind* p = parent; p; p = p->Parent, ++depth) {
    QV_ASSERT(p != this);                 // would close a cycle
    QV_ASSERT(depth <= kMaxParentDepth);  // would nest too deeply
  }
  Parent = parent;
  ParentId = parent ? parent->Id : -1;
}

TRecField* TRecKind::AddField(const std::string& name, TKind* kind) {
  Fields.push_back(std::make_unique<TRecField>(name, kind));
  return Fields.back().get();
}

int TRecKind::ParentFieldCount() const {
  // Iterative, and bounded: the loader and SetParent keep chains acyclic and short.
  int n = 0, depth = 0;
  for (const TRecKind* p = Parent; p; p = p->Parent) {
    QV_ASSERT(++depth <= kMaxParentDepth);
    n += int(p->Fields.size());
  }
  return n;
}

int TRecKind::FieldCount() const {
  return ParentFieldCount() + int(Fields.size());
}

TRecField* TRecKind::GetField(int i) const {
  QV_ASSERT(i >= 0 && i < FieldCount());
  const TRecKind* k = this;
  for (;;) {
    int inherited = k->ParentFieldCount();
    if (i >= inherited) return k->Fields[std::size_t(i - inherited)].get();
    k = k->Parent;
  }
}

bool TRecKind::SaveToStream(TStream& stream) const {
  if (!TKind::SaveToStream(stream) || !WriteStreamU32(stream, uint32_t(ParentId)) ||
      !WriteStreamU32(stream, uint32_t(Fields.size())))
    return false;
  for (const auto& f : Fields)
    if (!WriteStreamU32(stream, uint32_t(f->KindId)) || !WriteStreamString(stream, f->Name)) return false;
  return true;
}

bool TRecKind::LoadFromStream(TStream& stream) {
  Parent = nullptr;
  Fields.clear();
  int32_t count;
  if (!ReadStreamId(stream, ParentId) || !ReadStreamId(stream, count)) return false;
  if (count <= 0) return true;
  // Each field takes at least a kind id and a string length.
  if (count > kMaxFieldCount || count > StreamRemaining(stream) / (4 + kMinStringBytes)) return false;
  Fields.reserve(std::size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    int32_t kindId;
    std::string name;
    if (!ReadStreamId(stream, kindId) || !ReadStreamString(stream, name)) return false;
    auto f = std::make_unique<TRecField>(std::move(name), nullptr);
    f->KindId = kindId;
    Fields.push_back(std::move(f));
  }
  return true;
}

// ---- comparisons ----

bool SameKind(const TKind* a, const TKind* b) {
  // A worklist over pairs instead of recursion: cyclic kinds terminate (a pair
  // seen before counts as equal) and deep ones cannot exhaust the stack.
  using Pair = std::pair<const TKind*, const TKind*>;
  std::vector<Pair> work{{a, b}};
  std::set<Pair> seen;
  while (!work.empty()) {
    auto [x, y] = work.back();
    work.pop_back();
    if (x == y) continue;
    if (!x || !y || x->Code != y->Code) return false;
    if (!seen.insert({x, y}).second) continue;
    switch (x->Code) {
      case kcEnum: {
        auto* ex = static_cast<const TEnumKind*>(x);
        auto* ey = static_cast<const TEnumKind*>(y);
        if (ex->Count() != ey->Count()) return false;
        for (int i = 0; i < ex->Count(); ++i)
          if (!SameKindName(ex->Names[std::size_t(i)], ey->Names[std::size_t(i)])) return false;
        break;
      }
      case kcSet:
        work.push_back(
            {static_cast<const TSetKind*>(x)->BaseKind, static_cast<const TSetKind*>(y)->BaseKind});
        break;
      case kcArr:
        work.push_back(
            {static_cast<const TArrKind*>(x)->ElemKind, static_cast<const TArrKind*>(y)->ElemKind});
        break;
      case kcRec: {
        auto* rx = static_cast<const TRecKind*>(x);
        auto* ry = static_cast<const TRecKind*>(y);
        int n = rx->FieldCount();
        if (n != ry->FieldCount()) return false;
        for (int i = 0; i < n; ++i) {
          const TRecField* fx = rx->GetField(i);
          const TRecField* fy = ry->GetField(i);
          if (!SameKindName(fx->Name, fy->Name)) return false;
          work.push_back({fx->Kind, fy->Kind});
        }
        break;
      }
      default:
        if (!SameKindName(x->Name, y->Name)) return false;
    }
  }
  return true;
}

namespace {

// KindsCompatible recurses only through array elements and record parents; a
// pair met again while under comparison counts as compatible, finished pairs
// are remembered, and the depth is bounded.
class TCompatibility {
 public:
  bool Check(const TKind* a, const TKind* b, int depth) {
    if (!a || !b) return a == b;
    if (depth > kMaxDepth) return false;
    auto key = std::make_pair(a, b);
    auto it = state_.find(key);
    if (it != state_.end()) return it->second != State::No;
    state_[key] = State::Open;
    bool r = Compute(a, b, depth);
    state_[key] = r ? State::Yes : State::No;
    return r;
  }

 private:
  enum class State { Open, Yes, No };
  static constexpr int kMaxDepth = 1024;

  bool Compute(const TKind* a, const TKind* b, int depth) {
    if (a->Code != b->Code) return false;
    switch (a->Code) {
      case kcEnum:
      case kcSet:
        return SameKind(a, b);
      case kcArr:
        return Check(static_cast<const TArrKind*>(a)->ElemKind, static_cast<const TArrKind*>(b)->ElemKind,
                     depth + 1);
      case kcRec: {
        if (SameKind(a, b)) return true;
        auto* ra = static_cast<const TRecKind*>(a);
        auto* rb = static_cast<const TRecKind*>(b);
        if (ra->Parent && Check(ra->Parent, b, depth + 1)) return true;
        return rb->Parent && Check(a, rb->Parent, depth + 1);
      }
      default:
        return true;
    }
  }

  std::map<std::pair<const TKind*, const TKind*>, State> state_;
};

}  // namespace

bool KindsCompatible(const TKind* a, const TKind* b) {
  if (a == b) return a != nullptr;
  TCompatibility c;
  return c.Check(a, b, 0);
}

}  // namespace qv
