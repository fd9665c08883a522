// Typed values: the simple value carrier TDataValue, the value objects
// (TXValData, TXSetData, TXArrData, TXRefData) and the data record TXRecData
// with its sparse stream encoding.
//
// Memory: every value object fits a 32-byte slot; a record and all its field
// objects are one allocation; numbers cost no heap, texts only when non-empty;
// arrays of references keep bare IDs until an element object is asked for.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Streams.h"
#include "storage/ByteCodec.h"
#include "storage/Kinds.h"

namespace qv {

// One simple value as the callers see it. Payload holds a number in its first
// 1, 2, 4, 8 or 10 bytes (little-endian) depending on Tag.
struct TDataValue {
  uint8_t Tag = 0;
  uint8_t Payload[10] = {};
  std::string Text;             // String, Text
  std::u16string WideText;      // UniString, UniText
  std::vector<uint8_t> Buffer;  // Binary bytes (empty: no buffer)
  int32_t BinarySize = 0;       // Binary size field (may hold a number read without a buffer)

  // Integer codes (Boolean, Int8, Int16, Int32, Int64, Integer, Money, the
  // enumeration ordinal): sign-extended from the tag's width (Boolean unsigned).
  int64_t GetInt() const;
  void SetInt(int64_t v);
  // Single, Double, DateTime.
  double GetFloat() const;
  void SetFloat(double v);
  void SetBinary(const void* data, std::size_t size);
};

// Number of payload bytes of a code (0 for texts, Binary and codes without encoding).
int DataValueWidth(uint8_t code);
void InitDataValue(uint8_t code, TDataValue& value);

constexpr uint8_t kDeletedFlag = 2;

class TXData {
 public:
  explicit TXData(const TKind* kind) : Kind(kind) {}
  virtual ~TXData() = default;
  TXData(const TXData&) = delete;
  TXData& operator=(const TXData&) = delete;

  virtual bool IsEmpty() const { return empty_; }
  virtual void SetEmpty(bool value) { empty_ = value; }
  // Aggregates: their own flag or any part's.
  virtual bool IsModified() const { return modified_; }
  virtual void SetModified(bool value) { modified_ = value; }
  // True when the kinds are compatible and the source holds something.
  virtual bool Assign(const TXData& source);
  // Writes the value's own bytes. Writing an empty value is a contract
  // violation. Success clears Modified (deeply), failure sets it; a value that
  // cannot be encoded (a String over 255 bytes) fails and writes nothing.
  virtual bool SaveToStream(TStream& stream);
  // Reads the value; Empty and Modified := not success. Damaged input fails,
  // never raises, never allocates beyond the bytes left in the stream.
  virtual bool LoadFromStream(TStream& stream);
  virtual void MarkDeleted() { Flags |= kDeletedFlag; }
  bool IsDeleted() const { return (Flags & kDeletedFlag) != 0; }
  // Clears the Modified flag of this value and of every part of it.
  virtual void ClearModified() { modified_ = false; }

  // The encoding primitives behind SaveToStream/LoadFromStream. Encode changes
  // no flag; Decode counts the arrays it is nested in (depth).
  virtual bool Encode(TByteWriter& out) const = 0;
  virtual bool Decode(TByteReader& in, int depth) = 0;

  const TKind* Kind;
  uint8_t Flags = 0;

 protected:
  bool modified_ = false;
  bool empty_ = true;
};

class TXValData : public TXData {
 public:
  explicit TXValData(const TKind* kind);
  ~TXValData() override;

  bool Assign(const TXData& source) override;
  bool Encode(TByteWriter& out) const override;
  bool Decode(TByteReader& in, int depth) override;

  uint8_t Tag() const { return Kind->Code; }
  // A copy of the held value.
  TDataValue Value() const;
  // The tag must equal Tag(). Sets Modified, clears Empty.
  void SetValue(const TDataValue& value);

  // Direct access without a TDataValue; each setter sets Modified and clears
  // Empty. Using one of the wrong class for the tag is a contract violation.
  int64_t GetInt() const;
  void SetInt(int64_t v);
  double GetFloat() const;
  void SetFloat(double v);
  const uint8_t* Payload() const { return num_; }  // raw number bytes (Float: 10)
  void SetPayload(const uint8_t* bytes);           // DataValueWidth(Tag()) bytes
  const std::string& GetText() const;              // String, Text
  void SetText(std::string s);
  const std::u16string& GetWideText() const;  // UniString, UniText
  void SetWideText(std::u16string s);
  const std::vector<uint8_t>& GetBinary() const;  // Binary bytes (empty: no buffer)
  int32_t BinarySize() const;
  void SetBinary(const void* data, std::size_t size);

 private:
  struct BinaryBox;
  void FreeHeap();
  template <class S>
  const S& HeapText() const;
  template <class S>
  void SetHeapText(S s);
  void* HeapPtr() const;
  void SetHeapPtr(void* p);
  void Changed() { modified_ = true, empty_ = false; }
  bool DecodeText(TByteReader& in, bool shortLength);
  bool DecodeWide(TByteReader& in, bool shortLength);
  bool DecodeBinary(TByteReader& in);

  // Numbers live here; for texts and Binary the first 8 bytes hold the heap
  // pointer (null while empty).
  uint8_t num_[10];
};

class TXSetData : public TXData {
 public:
  explicit TXSetData(const TKind* kind);
  ~TXSetData() override;

  bool Assign(const TXData& source) override;
  bool Encode(TByteWriter& out) const override;
  bool Decode(TByteReader& in, int depth) override;

  int ItemCount() const { return int(count_); }
  uint8_t GetItem(int i) const;
  // Sets item i to 1 or 0; sets Modified, clears Empty.
  void SetItem(int i, bool value);

 private:
  uint32_t count_ = 0;
  uint8_t* items_ = nullptr;
};

class TXRefData : public TXData {
 public:
  explicit TXRefData(const TKind* kind, int64_t id = -1);

  bool Assign(const TXData& source) override;
  bool Encode(TByteWriter& out) const override;
  bool Decode(TByteReader& in, int depth) override;

  int64_t RefID() const { return refId_; }
  // Nothing when equal; else RefID := id, Empty := id < 0, Modified := True.
  void SetRefID(int64_t id);

 private:
  int64_t refId_;
};

class TXArrData : public TXData {
 public:
  // Arrays nested deeper than this fail to decode.
  static constexpr int kMaxNesting = TArrKind::kMaxNesting;

  explicit TXArrData(const TKind* kind);
  ~TXArrData() override;

  bool IsEmpty() const override;
  bool IsModified() const override;
  bool Assign(const TXData& source) override;
  void MarkDeleted() override;
  void ClearModified() override;
  bool Encode(TByteWriter& out) const override;
  bool Decode(TByteReader& in, int depth) override;

  const TArrKind* ArrKind() const { return static_cast<const TArrKind*>(Kind); }
  int Count() const;
  // Element i (contract: 0 <= i < Count). The object stays valid until Clear;
  // on a reference array the first call turns the bare IDs into objects.
  TXData* GetItem(int i);
  // Appends a new element of the element kind; Modified := True.
  TXData* Add();
  // Drops every element; Empty and Modified := True.
  void Clear();
  // Drops the elements from position count on; Modified := True when any went.
  void Truncate(int count);

  // Reference arrays (the element kind is a record kind) keep bare IDs.
  bool HoldsRefs() const;
  int64_t GetRef(int i) const;
  void AddRef(int64_t id);

 private:
  struct Store;
  Store& Ensure();
  void MakeObjects();

  std::unique_ptr<Store> store_;  // null while the array never held elements
};

class TXRecData final : public TXData {
 public:
  // A record of the kind with one empty field value per field (inherited first),
  // in a single allocation.
  static std::unique_ptr<TXRecData> Create(const TRecKind* kind, int64_t position, int64_t id);
  ~TXRecData() override;
  static void operator delete(void* p) { ::operator delete(p); }

  bool IsEmpty() const override { return false; }
  bool IsModified() const override;
  bool Assign(const TXData& source) override;
  // Writes the record encoding (u16 count, then u16 number and value of every
  // non-empty field). Unlike the value classes it leaves every Modified flag as
  // it was: the database clears them with ClearModified once the record's chain
  // and index entry are written. Fails, writing nothing, when a field cannot be
  // encoded.
  bool SaveToStream(TStream& stream) override;
  // Reads the record encoding into a freshly created record; trailing bytes are
  // left unread. Modified := False on success.
  bool LoadFromStream(TStream& stream) override;
  void MarkDeleted() override;
  // Clears the record's and every field's (and array element's) Modified flag.
  // The database calls it after a successful write of the record.
  void ClearModified() override;
  bool Encode(TByteWriter& out) const override;
  bool Decode(TByteReader& in, int depth) override;

  // Fast paths: append the encoding to a byte vector; decode from a buffer.
  bool EncodeTo(std::vector<uint8_t>& out) const;
  bool DecodeFrom(const uint8_t* data, std::size_t size);

  const TRecKind* RecKind() const { return static_cast<const TRecKind*>(Kind); }
  int FieldCount() const { return int(count_); }
  TXData* GetField(int i) const;  // contract: 0 <= i < FieldCount
  // The field as the given value class, or nullptr when it is of another class.
  template <class T>
  T* FieldAs(int i) const {
    return dynamic_cast<T*>(GetField(i));
  }

  int64_t ID;
  int64_t Position;  // -1: never written
  int32_t Pins = 0;  // GetData pins, Release unpins (kept by the database)
  // Bytes of the record's chain at Position, kept by the database to reuse
  // the space: above 0 for a chain it wrote, below 0 (negated) for one it
  // read, 0 when unknown (never written, or stored in several pieces).
  int32_t ChainBytes = 0;

 private:
  TXRecData(const TRecKind* kind, int64_t position, int64_t id, uint32_t count);
  TXData* Slot(uint32_t i) const;

  uint32_t count_;
};

// The value object for a kind: set -> TXSetData, array -> TXArrData, record ->
// TXRefData (a reference, never an embedded record), anything else -> TXValData.
std::unique_ptr<TXData> CreateDataValue(const TKind* kind);

// Every value class fits this slot; records and arrays construct their parts in
// place with ConstructDataValue.
constexpr std::size_t kDataSlotSize = 32;
TXData* ConstructDataValue(const TKind* kind, void* slot);

}  // namespace qv
