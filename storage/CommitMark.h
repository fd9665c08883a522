// The commit point of a database: what its last commit made of index.vlm and
// storage.vlm. Every commit writes it into xbase.vlm ([ENGINE] Commit=...),
// and the journal of a commit names the mark it was written against and the
// one it gives, so that an open can tell the files our own commits left from
// files another writer changed since (or put back from another copy), and
// never shortens a file on the word of a number alone.
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
  // Whole: the mark names the whole committed index and a chain of the data
  // file (earlier versions wrote the five values above only). The values
  // below are 0 when it does not.
  bool Whole = false;
  uint64_t IndexSum = 0;    // TXGIndex::EntrySum of every entry below Entries
  int64_t ChainId = 0;      // a live record whose chain a commit wrote (0: none)
  uint32_t ChainCheck = 0;  // TXFile::ChainCheck of that record's chain

  bool operator==(const TCommitMark& other) const = default;

  // "Entries:TailCrc:DataSize:Stamp:HighWater[:IndexSum:ChainId:ChainCheck]:Check",
  // the check being a checksum of the rest, so that a changed digit is seen.
  std::string ToText() const;
  // False (mark unchanged) for a text that is not one, or fails its check.
  bool FromText(const std::string& text);

  // In a journal: the five values (an earlier journal holds only those), then
  // u32 1 when Whole (else 0), IndexSum, ChainId and ChainCheck.
  static constexpr std::size_t kShortBytes = 8 + 4 + 8 + 8 + 8;
  static constexpr std::size_t kBytes = kShortBytes + 4 + 8 + 8 + 4;
  void Put(uint8_t* p) const;
  static TCommitMark Get(const uint8_t* p, bool whole);
};

}  // namespace qv
