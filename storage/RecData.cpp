// Data records: one allocation holds the record and all its field objects
// (one 32-byte slot per field, right after the record); the sparse encoding.
#include <new>

#include "platform/Exception.h"
#include "storage/Values.h"

namespace qv {

// The field slots start right after the record and must stay 8-aligned.
static_assert(sizeof(TXRecData) % 8 == 0);

std::unique_ptr<TXRecData> TXRecData::Create(const TRecKind* kind, int64_t position, int64_t id) {
  QV_ASSERT(kind);
  int n = kind->FieldCount();
  QV_ASSERT(n <= TRecKind::kMaxFieldCount);  // field numbers are u16 in the encoding
  void* mem = ::operator new(sizeof(TXRecData) + std::size_t(n) * kDataSlotSize);
  try {
    return std::unique_ptr<TXRecData>(new (mem) TXRecData(kind, position, id, uint32_t(n)));
  } catch (...) {
    ::operator delete(mem);
    throw;
  }
}

TXRecData::TXRecData(const TRecKind* kind, int64_t position, int64_t id, uint32_t count)
    : TXData(kind), ID(id), Position(position), count_(0) {
  auto* base = reinterpret_cast<unsigned char*>(this) + sizeof(TXRecData);
  try {
    for (; count_ < count; ++count_)
      ConstructDataValue(kind->GetField(int(count_))->Kind, base + count_ * kDataSlotSize);
  } catch (...) {
    while (count_ > 0) Slot(--count_)->~TXData();
    throw;
  }
}

TXRecData::~TXRecData() {
  while (count_ > 0) Slot(--count_)->~TXData();
}

TXData* TXRecData::Slot(uint32_t i) const {
  auto* base = reinterpret_cast<const unsigned char*>(this) + sizeof(TXRecData);
  return std::launder(reinterpret_cast<TXData*>(const_cast<unsigned char*>(base) + i * kDataSlotSize));
}

TXData* TXRecData::GetField(int i) const {
  QV_ASSERT(i >= 0 && uint32_t(i) < count_);
  return Slot(uint32_t(i));
}

bool TXRecData::IsModified() const {
  if (modified_) return true;
  for (uint32_t i = 0; i < count_; ++i)
    if (Slot(i)->IsModified()) return true;
  return false;
}

void TXRecData::ClearModified() {
  modified_ = false;
  for (uint32_t i = 0; i < count_; ++i) Slot(i)->ClearModified();
}

void TXRecData::MarkDeleted() {
  TXData::MarkDeleted();
  for (uint32_t i = 0; i < count_; ++i) Slot(i)->MarkDeleted();
}

bool TXRecData::Assign(const TXData& source) {
  auto* src = dynamic_cast<const TXRecData*>(&source);
  QV_ASSERT(src);
  if (!TXData::Assign(source)) return false;
  QV_ASSERT(src->count_ == count_);
  for (uint32_t i = 0; i < count_; ++i) {
    const TXData* f = src->Slot(i);
    if (!f->IsEmpty() && !Slot(i)->Assign(*f)) return false;
  }
  empty_ = false;
  modified_ = true;
  return true;
}

bool TXRecData::Encode(TByteWriter& out) const {
  uint16_t n = 0;
  for (uint32_t i = 0; i < count_; ++i)
    if (!Slot(i)->IsEmpty()) ++n;
  out.U16(n);
  for (uint32_t i = 0; i < count_ && n > 0; ++i) {
    const TXData* f = Slot(i);
    if (f->IsEmpty()) continue;
    out.U16(uint16_t(i));
    if (!f->Encode(out)) return false;
    --n;
  }
  return true;
}

bool TXRecData::Decode(TByteReader& in, int depth) {
  uint16_t n;
  if (!in.U16(n) || n > count_) return false;
  empty_ = n == 0;
  int prev = -1;
  for (uint16_t k = 0; k < n; ++k) {
    uint16_t f;
    if (!in.U16(f) || f >= count_ || int(f) <= prev) return false;
    if (!Slot(f)->Decode(in, depth)) return false;
    prev = f;
  }
  modified_ = false;
  return true;
}

bool TXRecData::SaveToStream(TStream& stream) {
  std::vector<uint8_t> bytes;
  if (!EncodeTo(bytes)) return false;
  return stream.Write(bytes.data(), int64_t(bytes.size())) == int64_t(bytes.size());
}

bool TXRecData::LoadFromStream(TStream& stream) {
  return TXData::LoadFromStream(stream);
}

bool TXRecData::EncodeTo(std::vector<uint8_t>& out) const {
  std::size_t start = out.size();
  TByteWriter w(out);
  if (Encode(w)) return true;
  out.resize(start);
  return false;
}

bool TXRecData::DecodeFrom(const uint8_t* data, std::size_t size) {
  TByteReader in(data, size);
  return Decode(in, 0);
}

}  // namespace qv
