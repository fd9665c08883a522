// The category list of a catalogue: names in order with the number of loaded
// discs in each, kept in the database's single "xDiscKinds" record.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv {

class IEngineHost;
class TXBase;
class TRecKind;
class TXArrData;

// How the console tells of a change, when its commit fails: not stored, or
// stored with what follows its commit point not written.
struct TChangeText {
  std::string notStored;  // "Disc \"A\" was not deleted"
  std::string stored;     // "Disc \"A\" has been deleted"
};

class TDiscKinds {
 public:
  explicit TDiscKinds(IEngineHost& host);
  ~TDiscKinds();
  TDiscKinds(const TDiscKinds&) = delete;
  TDiscKinds& operator=(const TDiscKinds&) = delete;

  void Reset();         // the single category "Other"
  void LoadDefaults();  // the ten default categories
  int32_t Count() const { return int32_t(names_.size()); }
  std::string GetName(int32_t index) const;  // "<ERROR>" when out of range
  // Add, Rename and Delete are refused, with the console's line, while the
  // attached catalogue is open for reading only; false when refused or out
  // of range. A change taken whose commit then fails is undone by the
  // engine, which says so.
  bool Rename(int32_t index, const std::string& name);
  int32_t IndexOf(const std::string& name) const;  // case-insensitive, -1 when none
  bool Add(const std::string& name);
  // Removes a category; later categories move down by one and OnDelete lets
  // the disc list renumber its discs to match.
  bool Delete(int32_t index);
  // Add, Rename and Delete of an attached list write the names into the
  // record and then call OnChanged (or flush the database when none is set),
  // so that a change survives a session that never closes.
  int32_t GetDiscCount(int32_t index) const;
  void SetDiscCount(int32_t index, int32_t count);
  void IncDiscCount(int32_t index);
  void DecDiscCount(int32_t index);

  bool CreateNew(TXBase* base);
  bool Open(TXBase* base);
  bool Load();
  // The names as stored, with no disc counted.
  bool LoadNames(bool report);
  bool Save();
  bool Close();
  bool IsAttached() const { return Base != nullptr; }

  // The category shown in the disc view; -1 = all. Back to -1 whenever
  // the list is made, opened or closed.
  int32_t Selected = -1;
  TXBase* Base = nullptr;
  int64_t KindsID = -1;
  std::function<void(int32_t)> OnDelete;
  std::function<void(const TChangeText&)> OnChanged;

 private:
  struct Item {
    std::string name;
    int32_t discs = 0;
  };
  bool InRange(int32_t index) const { return index >= 0 && index < Count(); }
  bool Refused();
  // The record's names are the list's, in order.
  bool Stored(TXArrData& names) const;
  const TRecKind* FindKind(TXBase* base);
  void Changed(const TChangeText& change);
  // The ten default categories in a record of their own, after the stored
  // one was found missing or unreadable.
  bool Recreate(TXBase* base, const TRecKind* kind, int64_t damaged);

  IEngineHost& host_;
  std::vector<Item> names_;
};

}  // namespace qv
