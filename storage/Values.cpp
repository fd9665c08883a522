// The simple value carrier, the value base class, simple, set and reference
// values, and the factories that make the value object of a kind.
#include "storage/Values.h"

#include <bit>
#include <cstring>
#include <new>

#include "platform/Exception.h"

namespace qv {

static_assert(sizeof(TXValData) <= kDataSlotSize && alignof(TXValData) <= 8);
static_assert(sizeof(TXSetData) <= kDataSlotSize && alignof(TXSetData) <= 8);
static_assert(sizeof(TXRefData) <= kDataSlotSize && alignof(TXRefData) <= 8);
static_assert(sizeof(TXArrData) <= kDataSlotSize && alignof(TXArrData) <= 8);

namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

bool IsIntCode(uint8_t code) {
  return (code >= kcBoolean && code <= kcInteger) || code == kcMoney || code == kcEnum;
}
bool IsFloatCode(uint8_t code) {
  return code == kcSingle || code == kcDouble || code == kcDateTime;
}
bool IsTextCode(uint8_t code) {
  return code == kcString || code == kcText;
}
bool IsWideCode(uint8_t code) {
  return code == kcUniString || code == kcUniText;
}

int64_t ReadInt(const uint8_t* p, uint8_t code) {
  int w = DataValueWidth(code);
  uint64_t v = 0;
  for (int i = 0; i < w; ++i) v |= uint64_t(p[i]) << (8 * i);
  if (code != kcBoolean && w < 8 && (v >> (8 * w - 1)) & 1) v |= ~uint64_t(0) << (8 * w);  // sign-extend
  return int64_t(v);
}

void WriteInt(uint8_t* p, uint8_t code, int64_t v) {
  int w = DataValueWidth(code);
  for (int i = 0; i < w; ++i) p[i] = uint8_t(uint64_t(v) >> (8 * i));
}

double ReadFloat(const uint8_t* p, uint8_t code) {
  if (code == kcSingle) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
  double d;
  std::memcpy(&d, p, 8);
  return d;
}

void WriteFloat(uint8_t* p, uint8_t code, double v) {
  if (code == kcSingle) {
    float f = float(v);
    std::memcpy(p, &f, 4);
  } else {
    std::memcpy(p, &v, 8);
  }
}

}  // namespace

// ---- TDataValue ----

int DataValueWidth(uint8_t code) {
  switch (code) {
    case kcBoolean:
    case kcInt8:
      return 1;
    case kcInt16:
      return 2;
    case kcInt32:
    case kcSingle:
    case kcEnum:
      return 4;
    case kcInt64:
    case kcInteger:
    case kcDouble:
    case kcMoney:
    case kcDateTime:
      return 8;
    case kcFloat:
      return 10;
    default:
      return 0;
  }
}

void InitDataValue(uint8_t code, TDataValue& value) {
  value.Tag = code;
  std::memset(value.Payload, 0, sizeof value.Payload);
  value.Text.clear();
  value.WideText.clear();
  value.Buffer.clear();
  value.BinarySize = 0;
  if (code == kcEnum) WriteInt(value.Payload, code, -1);  // no ordinal
}

int64_t TDataValue::GetInt() const {
  QV_ASSERT(IsIntCode(Tag));
  return ReadInt(Payload, Tag);
}

void TDataValue::SetInt(int64_t v) {
  QV_ASSERT(IsIntCode(Tag));
  WriteInt(Payload, Tag, v);
}

double TDataValue::GetFloat() const {
  QV_ASSERT(IsFloatCode(Tag));
  return ReadFloat(Payload, Tag);
}

void TDataValue::SetFloat(double v) {
  QV_ASSERT(IsFloatCode(Tag));
  WriteFloat(Payload, Tag, v);
}

void TDataValue::SetBinary(const void* data, std::size_t size) {
  QV_ASSERT(size <= 0x7FFFFFFF);
  const auto* p = static_cast<const uint8_t*>(data);
  Buffer.assign(p, p + size);
  BinarySize = int32_t(size);
}

// ---- TXData ----

bool TXData::Assign(const TXData& source) {
  return KindsCompatible(Kind, source.Kind) && !source.IsEmpty();
}

bool TXData::SaveToStream(TStream& stream) {
  QV_ASSERT(!IsEmpty());
  std::vector<uint8_t> bytes;
  TByteWriter out(bytes);
  // Encoded first, so a value that cannot be encoded writes nothing.
  bool ok = Encode(out) && stream.Write(bytes.data(), int64_t(bytes.size())) == int64_t(bytes.size());
  if (ok)
    ClearModified();
  else
    SetModified(true);
  return ok;
}

bool TXData::LoadFromStream(TStream& stream) {
  TByteReader in(stream);
  bool ok = Decode(in, 0);
  in.Finish();
  return ok;
}

// ---- TXValData ----

// A Binary value's heap part: the bytes, and the size field (which can hold a
// number read without a buffer).
struct TXValData::BinaryBox {
  int32_t size = 0;
  std::vector<uint8_t> bytes;
};

TXValData::TXValData(const TKind* kind) : TXData(kind) {
  QV_ASSERT(kind);
  std::memset(num_, 0, sizeof num_);
  if (kind->Code == kcEnum) WriteInt(num_, kcEnum, -1);
}

TXValData::~TXValData() {
  FreeHeap();
}

void* TXValData::HeapPtr() const {
  void* p;
  std::memcpy(&p, num_, sizeof p);
  return p;
}

void TXValData::SetHeapPtr(void* p) {
  std::memcpy(num_, &p, sizeof p);
}

void TXValData::FreeHeap() {
  void* p = HeapPtr();
  if (!p) return;
  uint8_t code = Tag();
  if (IsTextCode(code))
    delete static_cast<std::string*>(p);
  else if (IsWideCode(code))
    delete static_cast<std::u16string*>(p);
  else if (code == kcBinary)
    delete static_cast<BinaryBox*>(p);
  else
    return;  // a number: nothing on the heap
  SetHeapPtr(nullptr);
}

TDataValue TXValData::Value() const {
  TDataValue v;
  InitDataValue(Tag(), v);
  uint8_t code = Tag();
  if (IsTextCode(code)) {
    v.Text = GetText();
  } else if (IsWideCode(code)) {
    v.WideText = GetWideText();
  } else if (code == kcBinary) {
    v.Buffer = GetBinary();
    v.BinarySize = BinarySize();
  } else {
    std::memcpy(v.Payload, num_, std::size_t(DataValueWidth(code)));
  }
  return v;
}

void TXValData::SetValue(const TDataValue& value) {
  QV_ASSERT(value.Tag == Tag());
  uint8_t code = Tag();
  if (IsTextCode(code)) {
    SetText(value.Text);
  } else if (IsWideCode(code)) {
    SetWideText(value.WideText);
  } else if (code == kcBinary) {
    QV_ASSERT(value.BinarySize <= 0 || value.Buffer.size() >= std::size_t(value.BinarySize));
    SetBinary(value.Buffer.data(), value.BinarySize > 0 ? std::size_t(value.BinarySize) : 0);
    if (value.BinarySize < 0) {  // keep the number, without a buffer
      auto* box = new BinaryBox;
      box->size = value.BinarySize;
      FreeHeap();
      SetHeapPtr(box);
    }
  } else {
    std::memcpy(num_, value.Payload, std::size_t(DataValueWidth(code)));
  }
  Changed();
}

int64_t TXValData::GetInt() const {
  QV_ASSERT(IsIntCode(Tag()));
  return ReadInt(num_, Tag());
}

void TXValData::SetInt(int64_t v) {
  QV_ASSERT(IsIntCode(Tag()));
  WriteInt(num_, Tag(), v);
  Changed();
}

double TXValData::GetFloat() const {
  QV_ASSERT(IsFloatCode(Tag()));
  return ReadFloat(num_, Tag());
}

void TXValData::SetFloat(double v) {
  QV_ASSERT(IsFloatCode(Tag()));
  WriteFloat(num_, Tag(), v);
  Changed();
}

void TXValData::SetPayload(const uint8_t* bytes) {
  int w = DataValueWidth(Tag());
  QV_ASSERT(w > 0);
  std::memcpy(num_, bytes, std::size_t(w));
  Changed();
}

// Texts live on the heap only while they hold something.
template <class S>
const S& TXValData::HeapText() const {
  static const S empty;
  auto* p = static_cast<const S*>(HeapPtr());
  return p ? *p : empty;
}

template <class S>
void TXValData::SetHeapText(S s) {
  auto* p = static_cast<S*>(HeapPtr());
  if (s.empty())
    FreeHeap();
  else if (p)
    *p = std::move(s);
  else
    SetHeapPtr(new S(std::move(s)));
  Changed();
}

const std::string& TXValData::GetText() const {
  QV_ASSERT(IsTextCode(Tag()));
  return HeapText<std::string>();
}

void TXValData::SetText(std::string s) {
  QV_ASSERT(IsTextCode(Tag()));
  SetHeapText(std::move(s));
}

const std::u16string& TXValData::GetWideText() const {
  QV_ASSERT(IsWideCode(Tag()));
  return HeapText<std::u16string>();
}

void TXValData::SetWideText(std::u16string s) {
  QV_ASSERT(IsWideCode(Tag()));
  SetHeapText(std::move(s));
}

const std::vector<uint8_t>& TXValData::GetBinary() const {
  static const std::vector<uint8_t> empty;
  QV_ASSERT(Tag() == kcBinary);
  auto* box = static_cast<const BinaryBox*>(HeapPtr());
  return box ? box->bytes : empty;
}

int32_t TXValData::BinarySize() const {
  QV_ASSERT(Tag() == kcBinary);
  auto* box = static_cast<const BinaryBox*>(HeapPtr());
  return box ? box->size : 0;
}

void TXValData::SetBinary(const void* data, std::size_t size) {
  QV_ASSERT(Tag() == kcBinary && size <= 0x7FFFFFFF);
  FreeHeap();
  if (size > 0) {
    auto* box = new BinaryBox;
    const auto* p = static_cast<const uint8_t*>(data);
    box->bytes.assign(p, p + size);
    box->size = int32_t(size);
    SetHeapPtr(box);
  }
  Changed();
}

bool TXValData::Assign(const TXData& source) {
  auto* src = dynamic_cast<const TXValData*>(&source);
  QV_ASSERT(src);
  bool r = TXData::Assign(source);
  empty_ = true;
  modified_ = false;
  if (r) SetValue(src->Value());
  return r;
}

bool TXValData::Encode(TByteWriter& out) const {
  uint8_t code = Tag();
  switch (code) {
    case kcString:
    case kcText: {
      const std::string& s = GetText();
      // A String's length is one byte: a longer one is refused, never cut.
      if (code == kcString ? s.size() > 0xFF : s.size() > 0x7FFFFFFF) return false;
      code == kcString ? out.U8(uint8_t(s.size())) : out.U32(uint32_t(s.size()));
      out.Bytes(s.data(), s.size());
      return true;
    }
    case kcUniString:
    case kcUniText: {
      const std::u16string& s = GetWideText();
      if (code == kcUniString ? s.size() > 0xFF : s.size() > 0x3FFFFFFF) return false;
      code == kcUniString ? out.U8(uint8_t(s.size())) : out.U32(uint32_t(s.size()));
      if (kLittleEndian) {
        out.Bytes(s.data(), 2 * s.size());
      } else {
        for (char16_t c : s) out.U16(uint16_t(c));
      }
      return true;
    }
    case kcBinary: {
      // A value without a buffer is written as size 0 (read back: empty).
      const std::vector<uint8_t>& b = GetBinary();
      out.U32(uint32_t(b.size()));
      out.Bytes(b.data(), b.size());
      return true;
    }
    default: {
      int w = DataValueWidth(code);
      QV_ASSERT(w > 0);  // a code without an encoding (17..30)
      out.Bytes(num_, std::size_t(w));
      return true;
    }
  }
}

// The length of a text: u8 for String and UniString, u32 for Text and UniText
// (a negative u32 length reads as empty).
static bool ReadTextLength(TByteReader& in, bool shortLength, int64_t& len) {
  if (shortLength) {
    uint8_t n;
    if (!in.U8(n)) return false;
    len = n;
  } else {
    uint32_t n;
    if (!in.U32(n)) return false;
    len = int32_t(n);
  }
  return true;
}

bool TXValData::DecodeText(TByteReader& in, bool shortLength) {
  int64_t len;
  if (!ReadTextLength(in, shortLength, len)) return false;
  FreeHeap();
  if (len <= 0) return true;
  if (in.Remaining() < uint64_t(len)) return false;
  auto s = std::make_unique<std::string>(std::size_t(len), '\0');
  if (!in.Bytes(s->data(), s->size())) return false;
  SetHeapPtr(s.release());
  return true;
}

bool TXValData::DecodeWide(TByteReader& in, bool shortLength) {
  int64_t len;
  if (!ReadTextLength(in, shortLength, len)) return false;
  FreeHeap();
  if (len <= 0) return true;
  if (in.Remaining() / 2 < uint64_t(len)) return false;
  auto s = std::make_unique<std::u16string>(std::size_t(len), u'\0');
  if (kLittleEndian) {
    if (!in.Bytes(s->data(), 2 * s->size())) return false;
  } else {
    for (char16_t& c : *s) {
      uint16_t u;
      if (!in.U16(u)) return false;
      c = char16_t(u);
    }
  }
  SetHeapPtr(s.release());
  return true;
}

bool TXValData::DecodeBinary(TByteReader& in) {
  FreeHeap();
  uint32_t n;
  if (!in.U32(n)) return false;
  int32_t size = int32_t(n);
  if (size == 0) return true;
  if (size > 0 && in.Remaining() < uint64_t(size)) return false;
  auto box = std::make_unique<BinaryBox>();
  box->size = size;
  if (size > 0) {
    box->bytes.resize(std::size_t(size));
    if (!in.Bytes(box->bytes.data(), box->bytes.size())) return false;
  }
  SetHeapPtr(box.release());
  return true;
}

bool TXValData::Decode(TByteReader& in, int) {
  uint8_t code = Tag();
  bool ok;
  switch (code) {
    case kcString:
    case kcText:
      ok = DecodeText(in, code == kcString);
      break;
    case kcUniString:
    case kcUniText:
      ok = DecodeWide(in, code == kcUniString);
      break;
    case kcBinary:
      ok = DecodeBinary(in);
      break;
    default: {
      int w = DataValueWidth(code);
      ok = w > 0 && in.Bytes(num_, std::size_t(w));
    }
  }
  empty_ = modified_ = !ok;
  return ok;
}

// ---- TXSetData ----

TXSetData::TXSetData(const TKind* kind) : TXData(kind) {
  auto* set = dynamic_cast<const TSetKind*>(kind);
  QV_ASSERT(set);
  if (set->BaseKind && set->BaseKind->Count() > 0) {
    count_ = uint32_t(set->BaseKind->Count());
    items_ = new uint8_t[count_]();
  }
}

TXSetData::~TXSetData() {
  delete[] items_;
}

uint8_t TXSetData::GetItem(int i) const {
  QV_ASSERT(i >= 0 && uint32_t(i) < count_);
  return items_[i];
}

void TXSetData::SetItem(int i, bool value) {
  QV_ASSERT(i >= 0 && uint32_t(i) < count_);
  items_[i] = value ? 1 : 0;
  modified_ = true;
  empty_ = false;
}

bool TXSetData::Assign(const TXData& source) {
  auto* src = dynamic_cast<const TXSetData*>(&source);
  QV_ASSERT(src);
  if (!TXData::Assign(source)) return false;
  QV_ASSERT(src->count_ == count_);
  if (count_) std::memcpy(items_, src->items_, count_);
  modified_ = true;
  empty_ = false;
  return true;
}

bool TXSetData::Encode(TByteWriter& out) const {
  out.U32(count_);
  out.Bytes(items_, count_);
  return true;
}

bool TXSetData::Decode(TByteReader& in, int) {
  uint32_t n;
  bool ok = in.U32(n) && n == count_ && in.Bytes(items_, n);
  empty_ = modified_ = !ok;
  return ok;
}

// ---- TXRefData ----

TXRefData::TXRefData(const TKind* kind, int64_t id) : TXData(kind), refId_(id) {
  empty_ = id < 0;
}

void TXRefData::SetRefID(int64_t id) {
  if (id == refId_) return;
  refId_ = id;
  empty_ = id < 0;
  modified_ = true;
}

bool TXRefData::Assign(const TXData& source) {
  auto* src = dynamic_cast<const TXRefData*>(&source);
  if (!TXData::Assign(source) || !src) return false;
  refId_ = src->refId_;
  modified_ = true;
  empty_ = refId_ < 0;
  return true;
}

bool TXRefData::Encode(TByteWriter& out) const {
  out.U64(uint64_t(refId_));
  return true;
}

bool TXRefData::Decode(TByteReader& in, int) {
  uint64_t v;
  bool ok = in.U64(v);
  if (ok) refId_ = int64_t(v);
  empty_ = modified_ = !ok;
  return ok;
}

// ---- factories ----

std::unique_ptr<TXData> CreateDataValue(const TKind* kind) {
  QV_ASSERT(kind);
  switch (kind->Code) {
    case kcSet:
      return std::make_unique<TXSetData>(kind);
    case kcArr:
      return std::make_unique<TXArrData>(kind);
    case kcRec:
      return std::make_unique<TXRefData>(kind, -1);
    default:
      return std::make_unique<TXValData>(kind);
  }
}

TXData* ConstructDataValue(const TKind* kind, void* slot) {
  QV_ASSERT(kind);
  TXData* v;
  switch (kind->Code) {
    case kcSet:
      v = new (slot) TXSetData(kind);
      break;
    case kcArr:
      v = new (slot) TXArrData(kind);
      break;
    case kcRec:
      v = new (slot) TXRefData(kind, -1);
      break;
    default:
      v = new (slot) TXValData(kind);
      break;
  }
  // Slots are found again from their address, so the base must sit at its start.
  QV_ASSERT(static_cast<void*>(v) == slot);
  return v;
}

}  // namespace qv
