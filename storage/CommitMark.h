// The commit point of a database: what its last commit made of index.vlm and
// storage.vlm. Every commit writes it into xbase.vlm ([ENGINE] Commit=...),
// and the journal of a commit names the mark it was written against and the
// one it gives, so that an open can tell the files our own commits left from
// files another writer changed since, and never shortens a file on the word
// of a number alone.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qv {

struct TCommitMark {
  int64_t Entries = 0;    // index.vlm's entries, record 0 included
  uint32_t TailCrc = 0;   // checksum of the last entries (TXGIndex::TailChecksum)
  int64_t DataSize = 0;   // storage.vlm's size (0: unknown)
  uint64_t Stamp = 0;     // storage.vlm's header time stamp (raw bits) when it was made
  int64_t HighWater = 0;  // the highest entry count ever committed: IDs below it were issued

  bool operator==(const TCommitMark& other) const = default;

  // "Entries:TailCrc:DataSize:Stamp:HighWater:Check", the check being a
  // checksum of the rest, so that a changed digit is seen.
  std::string ToText() const;
  // False (mark unchanged) for a text that is not one, or fails its check.
  bool FromText(const std::string& text);

  static constexpr std::size_t kBytes = 8 + 4 + 8 + 8 + 8;
  void Put(uint8_t* p) const;
  static TCommitMark Get(const uint8_t* p);
};

}  // namespace qv
