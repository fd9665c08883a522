#include "storage/IndexJournal.h"

#include <climits>
#include <cstring>

#include "platform/Files.h"
#include "storage/Crc32.h"

namespace qv {

namespace {

// index.jnl, all little-endian:
//   8 bytes "QVJNL003", the database ID (16 bytes), the mark before and the
//   mark after (56 bytes each), u64 count r of rewritten entries, u32 checksum
//   of all that; then After.Entries - Before.Entries appended entries (16
//   bytes each), r times (u64 ID, committed entry, new entry), and a u32
//   checksum of everything before it. "QVJNL002", of the version before,
//   differs only in its marks (36 bytes each: the five values of a short mark).
const char kMagic[8] = {'Q', 'V', 'J', 'N', 'L', '0', '0', '3'};
const char kMagic2[8] = {'Q', 'V', 'J', 'N', 'L', '0', '0', '2'};
constexpr std::size_t HeadBytes(std::size_t markBytes) {
  return 8 + 16 + 2 * markBytes + 8;
}
constexpr std::size_t kHead = HeadBytes(TCommitMark::kBytes);
constexpr std::size_t kRewrite = 8 + 2 * GIndexRecordSize;
// The earlier layout: the database ID, the count the commit gives, the count
// n of rewritten entries, n times (ID, new entry), the checksum.
constexpr std::size_t kLegacyHead = 16 + 8 + 8;
constexpr std::size_t kLegacyItem = 8 + GIndexRecordSize;
constexpr int64_t kMaxEntries = INT32_MAX;

void PutU64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint64_t GetU64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= uint64_t(p[i]) << (8 * i);
  return v;
}
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t GetU32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(p[i]) << (8 * i);
  return v;
}

}  // namespace

bool TXGIndexJournal::Torn(const std::string& why) {
  State = TState::Torn;
  Problem = why;
  return false;
}

bool TXGIndexJournal::Damaged(const std::string& why) {
  State = TState::Damaged;
  Problem = why;
  return false;
}

TXGIndexJournal TXGIndexJournal::Read(const std::string& fileName, const TGUID& guid) {
  TXGIndexJournal journal;
  if (!FileExists(fileName)) return journal;
  std::string data;
  if (!ReadWholeFile(fileName, data)) {
    journal.Damaged("cannot be read");
    return journal;
  }
  const bool whole = data.size() >= sizeof kMagic && std::memcmp(data.data(), kMagic, sizeof kMagic) == 0;
  if (whole || (data.size() >= sizeof kMagic2 && std::memcmp(data.data(), kMagic2, sizeof kMagic2) == 0))
    journal.Parse(data, guid, whole);
  else if (data.size() < sizeof kMagic && (std::memcmp(data.data(), kMagic, data.size()) == 0 ||
                                           std::memcmp(data.data(), kMagic2, data.size()) == 0))
    journal.Torn("ends within its header");
  else
    journal.ParseLegacy(data, guid);
  return journal;
}

void TXGIndexJournal::Parse(const std::string& data, const TGUID& guid, bool whole) {
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  const std::size_t markBytes = whole ? TCommitMark::kBytes : TCommitMark::kShortBytes;
  const std::size_t head = HeadBytes(markBytes);
  if (data.size() < head + 4) return void(Torn("ends within its header"));
  if (GetU32(p + head) != CalcCRC32(p, head)) return void(Damaged("has a header that fails its checksum"));
  if (!(TGUID::FromBytes(p + 8) == guid)) return void(Damaged("belongs to another database"));
  Before = TCommitMark::Get(p + 24, whole);
  After = TCommitMark::Get(p + 24 + markBytes, whole);
  const uint64_t rewrites = GetU64(p + head - 8);
  if (Before.Entries < 1 || After.Entries < Before.Entries || After.Entries > kMaxEntries ||
      rewrites > uint64_t(kMaxEntries))
    return void(Damaged("has a header with impossible counts"));
  const std::size_t appended = std::size_t(After.Entries - Before.Entries);
  const std::size_t size = head + 4 + appended * GIndexRecordSize + std::size_t(rewrites) * kRewrite + 4;
  if (data.size() < size) return void(Torn("is shorter than its header says"));
  // Bytes past the length it gives (a torn append after it) are not its own.
  if (GetU32(p + size - 4) != CalcCRC32(p, size - 4)) return void(Damaged("fails its checksum"));
  const uint8_t* at = p + head + 4;
  for (std::size_t i = 0; i < appended; ++i, at += GIndexRecordSize) Appended.push_back(GetGIndexEntry(at));
  for (uint64_t i = 0; i < rewrites; ++i, at += kRewrite) {
    TRewrite r{int64_t(GetU64(at)), GetGIndexEntry(at + 8), GetGIndexEntry(at + 8 + GIndexRecordSize)};
    if (r.Id < 1 || r.Id >= Before.Entries || (!Rewrites.empty() && r.Id <= Rewrites.back().Id))
      return void(Damaged("rewrites an entry it cannot"));
    Rewrites.push_back(r);
  }
  State = TState::Whole;
}

void TXGIndexJournal::ParseLegacy(const std::string& data, const TGUID& guid) {
  Legacy = true;
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  if (data.size() < kLegacyHead + 4) return void(Torn("ends within its header"));
  const uint64_t count = GetU64(p + 16), n = GetU64(p + 24);
  if (n > uint64_t(kMaxEntries) || count > uint64_t(kMaxEntries))
    return void(Damaged("has a header with impossible counts"));
  const std::size_t size = kLegacyHead + std::size_t(n) * kLegacyItem + 4;
  if (data.size() < size) return void(Torn("is shorter than its header says"));
  if (GetU32(p + size - 4) != CalcCRC32(p, size - 4)) return void(Damaged("fails its checksum"));
  if (!(TGUID::FromBytes(p) == guid)) return void(Damaged("belongs to another database"));
  After.Entries = int64_t(count);
  for (uint64_t i = 0; i < n; ++i) {
    const uint8_t* item = p + kLegacyHead + std::size_t(i) * kLegacyItem;
    TRewrite r{int64_t(GetU64(item)), TXGIndexRec{}, GetGIndexEntry(item + 8)};
    if (r.Id < 1 || r.Id >= After.Entries) return void(Damaged("rewrites an entry it cannot"));
    Rewrites.push_back(r);
  }
  State = TState::Whole;
}

std::vector<uint8_t> TXGIndexJournal::Encode(const TGUID& guid, const TCommitMark& before,
                                             const TCommitMark& after, const TXGIndexRec* appended,
                                             const std::vector<TRewrite>& rewrites) {
  const std::size_t nAppended = std::size_t(after.Entries - before.Entries);
  std::vector<uint8_t> buf(kHead + 4 + nAppended * GIndexRecordSize + rewrites.size() * kRewrite + 4);
  uint8_t* p = buf.data();
  std::memcpy(p, kMagic, sizeof kMagic);
  const auto id = guid.ToBytes();
  std::memcpy(p + 8, id.data(), id.size());
  before.Put(p + 24);
  after.Put(p + 24 + TCommitMark::kBytes);
  PutU64(p + kHead - 8, rewrites.size());
  PutU32(p + kHead, CalcCRC32(p, kHead));
  uint8_t* at = p + kHead + 4;
  for (std::size_t i = 0; i < nAppended; ++i, at += GIndexRecordSize) PutGIndexEntry(at, appended[i]);
  for (const TRewrite& r : rewrites) {
    PutU64(at, uint64_t(r.Id));
    PutGIndexEntry(at + 8, r.Old);
    PutGIndexEntry(at + 8 + GIndexRecordSize, r.New);
    at += kRewrite;
  }
  PutU32(at, CalcCRC32(p, buf.size() - 4));
  return buf;
}

}  // namespace qv
