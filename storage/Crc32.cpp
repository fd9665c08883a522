// The checksum table is built at compile time from the polynomial and checked
// once when the program starts.
#include "storage/Crc32.h"

#include <array>

#include "classlib/Streams.h"
#include "platform/Exception.h"

namespace qv {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320;  // reflected form of 0x04C11DB7

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (kPolynomial ^ (c >> 1)) : (c >> 1);
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

// Runs the table check while the program starts, as the unit's start-up did.
struct SelfTest {
  SelfTest() { QV_ASSERT(CRC32TableIsSound()); }
} selfTest;

}  // namespace

uint32_t CalcCRC32(const void* buffer, std::size_t length) {
  auto* p = static_cast<const uint8_t*>(buffer);
  uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < length; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

uint32_t StreamCRC32(TMemoryStream& stream) {
  return CalcCRC32(stream.Memory(), std::size_t(stream.Size()));
}

bool CRC32TableIsSound() {
  uint8_t bytes[1024];
  for (std::size_t i = 0; i < 256; ++i)
    for (std::size_t b = 0; b < 4; ++b) bytes[i * 4 + b] = uint8_t(kTable[i] >> (8 * b));
  return ~CalcCRC32(bytes, sizeof bytes) == 0x6FCF9E13u;
}

}  // namespace qv
