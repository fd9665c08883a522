// Array values. An array of references keeps bare IDs (8 bytes each) until an
// element object is asked for; other arrays keep their element objects in
// 32-byte slots allocated in chunks, so no element costs its own allocation.
#include <bit>
#include <deque>
#include <new>

#include "platform/Exception.h"
#include "storage/Values.h"

namespace qv {

namespace {

struct alignas(8) TSlot {
  unsigned char bytes[kDataSlotSize];
};

TXData* InSlot(const TSlot& s) {
  return std::launder(reinterpret_cast<TXData*>(const_cast<unsigned char*>(s.bytes)));
}

// The fewest bytes an element of the kind takes in a stream (0: cannot be decoded).
uint64_t MinEncodedSize(const TKind* kind) {
  if (!kind) return 0;
  switch (kind->Code) {
    case kcString:
    case kcUniString:
      return 1;
    case kcText:
    case kcUniText:
    case kcBinary:
    case kcSet:
    case kcArr:
      return 4;
    case kcRec:
      return 8;
    default:
      return uint64_t(DataValueWidth(kind->Code));
  }
}

}  // namespace

struct TXArrData::Store {
  std::vector<int64_t> refs;  // bare IDs while `slots` is null
  // Element objects at stable addresses; made only when needed (a deque
  // allocates even when empty).
  std::unique_ptr<std::deque<TSlot>> slots;

  Store() = default;
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;
  ~Store() {
    if (slots)
      for (TSlot& s : *slots) InSlot(s)->~TXData();
  }
  bool Objects() const { return slots != nullptr; }
  std::size_t Count() const { return slots ? slots->size() : refs.size(); }
  TXData* At(std::size_t i) const { return InSlot((*slots)[i]); }
  TXData* Append(const TKind* kind) {
    slots->emplace_back();
    try {
      return ConstructDataValue(kind, slots->back().bytes);
    } catch (...) {
      slots->pop_back();
      throw;
    }
  }
};

TXArrData::TXArrData(const TKind* kind) : TXData(kind) {
  QV_ASSERT(dynamic_cast<const TArrKind*>(kind));
}

TXArrData::~TXArrData() = default;

bool TXArrData::HoldsRefs() const {
  const TKind* e = ArrKind()->ElemKind;
  return e && e->Code == kcRec;
}

TXArrData::Store& TXArrData::Ensure() {
  if (!store_) {
    store_ = std::make_unique<Store>();
    if (!HoldsRefs()) store_->slots = std::make_unique<std::deque<TSlot>>();
  }
  return *store_;
}

void TXArrData::MakeObjects() {
  Store& s = Ensure();
  if (s.Objects()) return;
  std::vector<int64_t> refs = std::move(s.refs);
  s.refs.clear();
  s.slots = std::make_unique<std::deque<TSlot>>();
  for (int64_t id : refs) {
    auto* r = static_cast<TXRefData*>(s.Append(ArrKind()->ElemKind));
    r->SetRefID(id);
    r->SetModified(false);  // a change to the array is carried by its own flag
    if (IsDeleted()) r->MarkDeleted();
  }
}

int TXArrData::Count() const {
  return store_ ? int(store_->Count()) : 0;
}

TXData* TXArrData::GetItem(int i) {
  QV_ASSERT(i >= 0 && i < Count());
  MakeObjects();
  return store_->At(std::size_t(i));
}

TXData* TXArrData::Add() {
  QV_ASSERT(ArrKind()->ElemKind);
  MakeObjects();
  TXData* e = store_->Append(ArrKind()->ElemKind);
  modified_ = true;
  return e;
}

void TXArrData::Clear() {
  store_.reset();
  empty_ = true;
  modified_ = true;
}

void TXArrData::Truncate(int count) {
  if (count < 0 || count >= Count()) return;
  Store& s = *store_;
  if (!s.Objects()) {
    s.refs.resize(std::size_t(count));
  } else {
    while (s.slots->size() > std::size_t(count)) {
      InSlot(s.slots->back())->~TXData();
      s.slots->pop_back();
    }
  }
  modified_ = true;
}

int64_t TXArrData::GetRef(int i) const {
  QV_ASSERT(HoldsRefs() && i >= 0 && i < Count());
  if (!store_->Objects()) return store_->refs[std::size_t(i)];
  return static_cast<const TXRefData*>(store_->At(std::size_t(i)))->RefID();
}

void TXArrData::AddRef(int64_t id) {
  QV_ASSERT(HoldsRefs());
  Store& s = Ensure();
  if (s.Objects())
    static_cast<TXRefData*>(s.Append(ArrKind()->ElemKind))->SetRefID(id);
  else
    s.refs.push_back(id);
  modified_ = true;
}

bool TXArrData::IsEmpty() const {
  if (!store_) return true;
  if (!store_->Objects()) {
    for (int64_t id : store_->refs)
      if (id >= 0) return false;
    return true;
  }
  for (std::size_t i = 0; i < store_->Count(); ++i)
    if (!store_->At(i)->IsEmpty()) return false;
  return true;
}

bool TXArrData::IsModified() const {
  // The own flag counts too: a cleared array must be written back.
  if (modified_) return true;
  if (store_ && store_->Objects())
    for (std::size_t i = 0; i < store_->Count(); ++i)
      if (store_->At(i)->IsModified()) return true;
  return false;
}

void TXArrData::ClearModified() {
  modified_ = false;
  if (store_ && store_->Objects())
    for (std::size_t i = 0; i < store_->Count(); ++i) store_->At(i)->ClearModified();
}

void TXArrData::MarkDeleted() {
  TXData::MarkDeleted();
  if (store_ && store_->Objects())
    for (std::size_t i = 0; i < store_->Count(); ++i) store_->At(i)->MarkDeleted();
  modified_ = true;
}

bool TXArrData::Assign(const TXData& source) {
  auto* src = dynamic_cast<const TXArrData*>(&source);
  QV_ASSERT(src);
  if (!TXData::Assign(source)) return false;
  Clear();
  int n = src->Count();
  bool bare = src->store_ && !src->store_->Objects();
  for (int i = 0; i < n; ++i) {
    if (bare) {
      // As adding an element and assigning it: an empty source element fails.
      int64_t id = src->store_->refs[std::size_t(i)];
      AddRef(id < 0 ? -1 : id);
      if (id < 0) return false;
    } else if (!Add()->Assign(*src->store_->At(std::size_t(i)))) {
      return false;
    }
  }
  return true;
}

bool TXArrData::Encode(TByteWriter& out) const {
  out.U32(uint32_t(Count()));
  if (!store_) return true;
  if (!store_->Objects()) {
    if constexpr (std::endian::native == std::endian::little) {
      out.Bytes(store_->refs.data(), 8 * store_->refs.size());
    } else {
      for (int64_t id : store_->refs) out.U64(uint64_t(id));
    }
    return true;
  }
  for (std::size_t i = 0; i < store_->Count(); ++i)
    if (!store_->At(i)->Encode(out)) return false;
  return true;
}

bool TXArrData::Decode(TByteReader& in, int depth) {
  store_.reset();
  empty_ = modified_ = true;
  uint32_t n;
  if (depth >= kMaxNesting || !in.U32(n)) return false;
  const TKind* elem = ArrKind()->ElemKind;
  uint64_t minSize = MinEncodedSize(elem);
  if (n > 0 && (minSize == 0 || in.Remaining() / minSize < n)) return false;
  Store& s = Ensure();
  if (!s.Objects()) {
    s.refs.resize(n);
    if constexpr (std::endian::native == std::endian::little) {
      if (!in.Bytes(s.refs.data(), 8 * std::size_t(n))) return false;
    } else {
      for (int64_t& id : s.refs) {
        uint64_t v;
        if (!in.U64(v)) return false;
        id = int64_t(v);
      }
    }
  } else {
    for (uint32_t i = 0; i < n; ++i)
      if (!s.Append(elem)->Decode(in, depth + 1)) return false;
  }
  empty_ = modified_ = false;
  return true;
}

}  // namespace qv
