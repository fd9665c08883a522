// Stream helpers of the kind unit and the GUID maker.
#include "storage/StreamStrings.h"

#include <time.h>

#include <algorithm>

namespace qv {

int64_t StreamRemaining(TStream& stream) {
  return std::max<int64_t>(0, stream.Size() - stream.Position());
}

bool WriteStreamU32(TStream& stream, uint32_t value) {
  uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
  return stream.Write(b, 4) == 4;
}

bool ReadStreamU32(TStream& stream, uint32_t& value) {
  uint8_t b[4];
  if (stream.Read(b, 4) != 4) return false;
  value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  return true;
}

bool ReadStreamId(TStream& stream, int32_t& id) {
  uint32_t v;
  if (!ReadStreamU32(stream, v)) return false;
  id = int32_t(v);
  return true;
}

bool WriteStreamString(TStream& stream, const std::string& s) {
  if (!WriteStreamU32(stream, uint32_t(s.size()))) return false;
  // One write for all bytes: the bytes on the stream are the same as byte by byte.
  return s.empty() || stream.Write(s.data(), int64_t(s.size())) == int64_t(s.size());
}

bool ReadStreamString(TStream& stream, std::string& s) {
  s.clear();
  uint32_t raw;
  if (!ReadStreamU32(stream, raw)) return false;
  int32_t len = int32_t(raw);
  if (len <= 0) return true;
  if (len > StreamRemaining(stream)) return false;
  s.resize(std::size_t(len));
  if (stream.Read(s.data(), len) != len) {
    s.clear();
    return false;
  }
  return true;
}

namespace {

// The run-time library's generator: 32-bit state, one linear congruential step per call.
struct TLcg {
  uint32_t state;
  uint32_t Next() { return state = state * 134775813u + 1u; }
};

uint32_t ClockSeed() {
  timespec ts{};
  if (clock_gettime(CLOCK_MONOTONIC, &ts) == 0)
    return uint32_t(uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec));
  return uint32_t(uint64_t(time(nullptr)) * 1000u);
}

}  // namespace

void MakeGUID(TGUID& guid) {
  if (CreateGUID(guid)) return;
  TLcg rng{ClockSeed()};
  guid.D1 = rng.Next();
  uint32_t s = rng.Next();
  guid.D2 = uint16_t(s);
  guid.D3 = uint16_t(s >> 16);
  std::fill(std::begin(guid.D4), std::end(guid.D4), uint8_t(0));
}

}  // namespace qv
