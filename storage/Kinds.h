// Kinds of stored values: the sixteen simple kinds and the composite
// enumeration, set, array and record kinds, with their stream form and the
// structural comparisons used when one value is assigned to another.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Streams.h"

namespace qv {

// Kind codes (one byte).
constexpr uint8_t kcBoolean = 1;
constexpr uint8_t kcInt8 = 2;
constexpr uint8_t kcInt16 = 3;
constexpr uint8_t kcInt32 = 4;
constexpr uint8_t kcInt64 = 5;
constexpr uint8_t kcInteger = 6;
constexpr uint8_t kcSingle = 7;
constexpr uint8_t kcDouble = 8;
constexpr uint8_t kcFloat = 9;
constexpr uint8_t kcMoney = 10;
constexpr uint8_t kcDateTime = 11;
constexpr uint8_t kcString = 12;
constexpr uint8_t kcText = 13;
constexpr uint8_t kcUniString = 14;
constexpr uint8_t kcUniText = 15;
constexpr uint8_t kcBinary = 16;
constexpr uint8_t kcLastSimple = 30;  // 17..30: accepted by the registry, no value encoding
constexpr uint8_t kcScratch = 0x20;   // common part still to be read from a stream
constexpr uint8_t kcEnum = 0x21;
constexpr uint8_t kcSet = 0x22;
constexpr uint8_t kcArr = 0x23;
constexpr uint8_t kcRec = 0x24;
constexpr uint8_t kcLastComposite = 62;

inline bool IsSimpleCode(int code) {
  return code >= 1 && code <= kcLastSimple;
}
inline bool IsCompositeCode(int code) {
  return code > kcScratch && code <= kcLastComposite;
}

// Kind names compare with ASCII letters folded; every other byte exactly.
bool SameKindName(const std::string& a, const std::string& b);

class TKind {
 public:
  TKind(std::string name, int32_t id, uint8_t code) : Name(std::move(name)), Code(code), Id(id) {}
  virtual ~TKind() = default;
  TKind(const TKind&) = delete;
  TKind& operator=(const TKind&) = delete;

  // The common part: u32 code, u32 id, name string. Subclasses append their own part.
  virtual bool SaveToStream(TStream& stream) const;
  // Reads the common part only while Code is the scratch marker; otherwise reads
  // nothing (subclasses read their own part).
  virtual bool LoadFromStream(TStream& stream);

  std::string Name;
  uint8_t Code;
  int32_t Id;  // stored as u32; 0xFFFFFFFF reads back as -1
};

class TEnumKind : public TKind {
 public:
  TEnumKind(std::string name, int32_t id) : TKind(std::move(name), id, kcEnum) {}
  bool SaveToStream(TStream& stream) const override;
  bool LoadFromStream(TStream& stream) override;

  int Count() const { return int(Names.size()); }
  const std::string& GetName(int i) const;

  std::vector<std::string> Names;  // duplicates allowed
};

class TSetKind : public TKind {
 public:
  TSetKind(std::string name, int32_t id) : TKind(std::move(name), id, kcSet) {}
  bool SaveToStream(TStream& stream) const override;
  bool LoadFromStream(TStream& stream) override;
  void SetBaseKind(TEnumKind* kind);

  TEnumKind* BaseKind = nullptr;
  int32_t BaseId = -1;
};

class TArrKind : public TKind {
 public:
  // Chains of array element kinds longer than this are refused by the loader
  // (and values nested deeper fail to decode).
  static constexpr int kMaxNesting = 64;

  TArrKind(std::string name, int32_t id) : TKind(std::move(name), id, kcArr) {}
  bool SaveToStream(TStream& stream) const override;
  bool LoadFromStream(TStream& stream) override;
  void SetElemKind(TKind* kind);

  TKind* ElemKind = nullptr;
  int32_t ElemId = -1;
};

class TRecField {
 public:
  TRecField(std::string name, TKind* kind) : Name(std::move(name)) { SetKind(kind); }
  void SetKind(TKind* kind);

  std::string Name;
  TKind* Kind = nullptr;
  int32_t KindId = -1;
};

class TRecKind : public TKind {
 public:
  // Parent chains longer than this are refused (by the loader and by SetParent).
  static constexpr int kMaxParentDepth = 256;
  // Field numbers are u16 in the record encoding.
  static constexpr int kMaxFieldCount = 0xFFFF;

  TRecKind(std::string name, int32_t id) : TKind(std::move(name), id, kcRec) {}
  bool SaveToStream(TStream& stream) const override;
  bool LoadFromStream(TStream& stream) override;

  // Sets Parent and ParentId; a parent that would close a cycle or nest too deeply
  // is a contract violation.
  void SetParent(TRecKind* parent);
  // Appends an own field and returns it.
  TRecField* AddField(const std::string& name, TKind* kind);

  // Fields are numbered from 0, inherited ones first.
  int ParentFieldCount() const;
  int FieldCount() const;
  bool IsInherited(int i) const { return i < ParentFieldCount(); }
  TRecField* GetField(int i) const;

  TRecKind* Parent = nullptr;
  int32_t ParentId = -1;
  std::vector<std::unique_ptr<TRecField>> Fields;  // own fields
};

// Structural equality of kinds (record names are not compared). Terminates on
// self- and mutually-referential record kinds: a pair already under comparison
// counts as equal.
bool SameKind(const TKind* a, const TKind* b);
// Whether a value of kind b may be assigned to a value of kind a.
bool KindsCompatible(const TKind* a, const TKind* b);

}  // namespace qv
