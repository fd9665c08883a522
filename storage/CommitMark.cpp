#include "storage/CommitMark.h"

#include <cstdio>
#include <cstring>

#include "storage/Crc32.h"

namespace qv {

namespace {

void PutBytes(uint8_t*& p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) *p++ = uint8_t(v >> (8 * i));
}

uint64_t TakeBytes(const uint8_t*& p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t(*p++) << (8 * i);
  return v;
}

std::string Body(const TCommitMark& m) {
  char text[160];
  int n = std::snprintf(text, sizeof text, "%lld:%08X:%lld:%016llX:%lld", static_cast<long long>(m.Entries),
                        unsigned(m.TailCrc), static_cast<long long>(m.DataSize),
                        static_cast<unsigned long long>(m.Stamp), static_cast<long long>(m.HighWater));
  if (m.Whole)
    std::snprintf(text + n, sizeof text - std::size_t(n), ":%016llX:%lld:%08X",
                  static_cast<unsigned long long>(m.IndexSum), static_cast<long long>(m.ChainId),
                  unsigned(m.ChainCheck));
  return text;
}

uint32_t Check(const std::string& body) {
  return CalcCRC32(reinterpret_cast<const uint8_t*>(body.data()), body.size());
}

}  // namespace

std::string TCommitMark::ToText() const {
  const std::string body = Body(*this);
  char check[16];
  std::snprintf(check, sizeof check, ":%08X", unsigned(Check(body)));
  return body + check;
}

bool TCommitMark::FromText(const std::string& text) {
  const std::size_t last = text.rfind(':');
  if (last == std::string::npos || text.size() - last != 9) return false;
  long long entries = 0, size = 0, high = 0, chain = 0;
  unsigned crc = 0, check = 0, chainCheck = 0;
  unsigned long long stamp = 0, sum = 0;
  int used = 0;
  TCommitMark m;
  // The whole mark, or an earlier version's five values.
  m.Whole = std::sscanf(text.c_str(), "%lld:%8X:%lld:%16llX:%lld:%16llX:%lld:%8X:%8X%n", &entries, &crc,
                        &size, &stamp, &high, &sum, &chain, &chainCheck, &check, &used) == 9 &&
            std::size_t(used) == text.size();
  if (!m.Whole) {
    used = 0;
    if (std::sscanf(text.c_str(), "%lld:%8X:%lld:%16llX:%lld:%8X%n", &entries, &crc, &size, &stamp, &high,
                    &check, &used) != 6 ||
        std::size_t(used) != text.size())
      return false;
  }
  if (m.Whole) {
    m.IndexSum = sum;
    m.ChainId = chain;
    m.ChainCheck = chainCheck;
  }
  m.Entries = entries;
  m.TailCrc = crc;
  m.DataSize = size;
  m.Stamp = stamp;
  m.HighWater = high;
  // Only the text this program writes passes: a changed digit fails the check.
  if (m.Entries < 1 || m.DataSize < 0 || m.HighWater < m.Entries || m.ChainId < 0 ||
      text.compare(0, last, Body(m)) != 0 || Check(Body(m)) != check)
    return false;
  *this = m;
  return true;
}

void TCommitMark::Put(uint8_t* p) const {
  PutBytes(p, uint64_t(Entries), 8);
  PutBytes(p, TailCrc, 4);
  PutBytes(p, uint64_t(DataSize), 8);
  PutBytes(p, Stamp, 8);
  PutBytes(p, uint64_t(HighWater), 8);
  PutBytes(p, Whole ? 1 : 0, 4);
  PutBytes(p, IndexSum, 8);
  PutBytes(p, uint64_t(ChainId), 8);
  PutBytes(p, ChainCheck, 4);
}

TCommitMark TCommitMark::Get(const uint8_t* p, bool whole) {
  TCommitMark m;
  m.Entries = int64_t(TakeBytes(p, 8));
  m.TailCrc = uint32_t(TakeBytes(p, 4));
  m.DataSize = int64_t(TakeBytes(p, 8));
  m.Stamp = TakeBytes(p, 8);
  m.HighWater = int64_t(TakeBytes(p, 8));
  if (!whole || TakeBytes(p, 4) != 1) return m;
  m.Whole = true;
  m.IndexSum = TakeBytes(p, 8);
  m.ChainId = int64_t(TakeBytes(p, 8));
  m.ChainCheck = uint32_t(TakeBytes(p, 4));
  return m;
}

}  // namespace qv
