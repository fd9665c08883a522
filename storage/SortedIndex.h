// TXIndex: the data IDs of all records of one record kind, in the order of a
// comparison that the caller supplies, searched by binary search over records
// fetched through the database. Saved as "<kind id hex>-<number hex>.idx":
// 8-byte records, record 0 = (u32 kind id, u32 index number), then the IDs.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/IdSequence.h"

namespace qv {

class TXBase;
class TXRecData;
class TRecKind;

// Above 0 when key sorts after item, 0 when equal, below 0 when key sorts
// before item.
using TXCompareFunc = std::function<int(TXRecData* Item, TXRecData* Key)>;

constexpr uint32_t MaxIndexNumber = 0xFFF;  // three hex digits in the file name

class TXIndex {
 public:
  // The index file of a kind and number in the database's folder; empty for a
  // number above MaxIndexNumber, which has no file name.
  static std::string FileName(const TXBase& database, const TRecKind* kind, uint32_t number);

  TXIndex(TXBase& database, uint32_t number, TXCompareFunc compare, const TRecKind* kind);
  // Saves first when loaded and changed.
  ~TXIndex();
  TXIndex(const TXIndex&) = delete;
  TXIndex& operator=(const TXIndex&) = delete;

  void Clear();  // removes every entry; Loaded unchanged
  // Reads the file. False (Loaded False) when it is missing, damaged, of
  // another kind or number, or lists an ID that is no entry of the kind.
  bool Load();
  // Writes the file through a temporary file (fsync, rename) when the entries
  // changed since the last save or load; false with LastError on failure.
  bool Save();
  bool Init();  // empty and loaded; false when the database folder is missing
  bool Open();  // Load when the file exists, else Init

  // Binary search: -1 with index >= 0 when found, -1 with index -1 when a
  // probed record could not be fetched, else the position where key belongs.
  int Find(TXRecData* key, int& index);
  int IndexOf(TXRecData* key);
  // position < 0 searches first (nothing is inserted when the key is found or
  // a probe failed); a position of 0 or more is used as it stands.
  bool Insert(TXRecData* record, int position);
  bool Remove(TXRecData* key);

  int Count() const { return items_.Count(); }
  int64_t GetItem(int i) const;  // contract: 0 <= i < Count
  // Replaces the entries with IDs already in index order (a rebuild).
  void Assign(const std::vector<int64_t>& ids);
  // Drops the index's state so that destroying it writes nothing.
  void Discard();

  uint32_t Number() const { return number_; }
  const TRecKind* Kind() const { return kind_; }
  TXBase& Base() const { return base_; }
  const TXCompareFunc& Compare() const { return compare_; }
  const std::string& FileName() const { return fileName_; }
  bool Loaded() const { return loaded_; }
  bool Changed() const { return changed_; }
  // Checksum of the file's bytes as last saved or read by Load (also when
  // their IDs did not fit the global index); 0 before either.
  uint32_t FileChecksum() const { return fileChecksum_; }
  const std::string& LastError() const { return lastError_; }

 private:
  bool ValidIds(const std::vector<int64_t>& ids) const;

  TXBase& base_;
  uint32_t number_;
  TXCompareFunc compare_;
  const TRecKind* kind_;
  std::string fileName_;
  TIdSequence items_;
  bool loaded_ = false;
  bool changed_ = false;  // entries differ from the file
  uint32_t fileChecksum_ = 0;
  std::string lastError_;
};

}  // namespace qv
