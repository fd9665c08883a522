// The context: a named registry of kinds (the built-in simple kinds first,
// then user kinds), written to and read from the context stream.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/Kinds.h"

namespace qv {

class TContext {
 public:
  explicit TContext(std::string name = std::string());
  TContext(const TContext&) = delete;
  TContext& operator=(const TContext&) = delete;

  // Drops every kind, NextId := 64, registers the 16 built-ins, clears LastError.
  void Reset();

  int Count() const { return int(kinds_.size()); }
  TKind* GetKind(int i) const;
  int IndexOfName(const std::string& name) const;
  TKind* KindByName(const std::string& name) const;
  int IndexOfId(int32_t id) const;
  TKind* KindById(int32_t id) const;  // nullptr for id < 1
  bool IsNameFree(const std::string& name) const;
  // Composite code: the next fresh id; simple code: the code; otherwise 0.
  int32_t NewId(uint8_t code);

  // Each returns nullptr when the name is empty or taken. An id < 0 asks for a
  // fresh one; an explicit id is used unchanged.
  TKind* AddSimple(const std::string& name, uint8_t code);
  TEnumKind* AddEnum(const std::string& name, int32_t id = -1);
  TRecKind* AddRec(const std::string& name, int32_t id = -1, TRecKind* parent = nullptr);
  TArrKind* AddArr(const std::string& name, TKind* elemKind, int32_t id = -1);
  TSetKind* AddSet(const std::string& name, TEnumKind* baseKind, int32_t id = -1);

  bool SaveToStream(TStream& stream);
  // Damaged input never raises: the load fails with LastError (or without a
  // text for a plain short read).
  bool LoadFromStream(TStream& stream);
  bool SaveToFile(const std::string& fileName);
  bool LoadFromFile(const std::string& fileName);
  // Copies the source through its stream form; False when the source cannot be
  // written (its LastError says why) or read back.
  bool Assign(TContext& source);
  // Turns stored ids into references; False with LastError on a bad reference.
  bool ResolveKinds();

  std::string Name;
  std::string LastError;
  int32_t NextId = 64;
  int32_t BuiltInCount = 0;

 private:
  template <class K>
  K* AddComposite(const std::string& name, int32_t id, uint8_t code);
  bool LoadKinds(TStream& stream);
  bool ResolveSet(TSetKind* set);
  bool ResolveArr(TArrKind* arr);
  bool ResolveRec(TRecKind* rec);
  bool CheckNesting();
  bool Fail(std::string text);

  std::vector<std::unique_ptr<TKind>> kinds_;
};

}  // namespace qv
