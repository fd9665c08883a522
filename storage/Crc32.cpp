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

// Tables for eight bytes a step: kSlices[k][n] is the checksum state of byte
// n followed by k zero bytes, so eight lookups replace eight dependent steps.
constexpr std::array<std::array<uint32_t, 256>, 8> MakeSlices() {
  std::array<std::array<uint32_t, 256>, 8> slices{};
  slices[0] = MakeTable();
  for (std::size_t k = 1; k < 8; ++k)
    for (std::size_t n = 0; n < 256; ++n)
      slices[k][n] = (slices[k - 1][n] >> 8) ^ slices[0][slices[k - 1][n] & 0xFF];
  return slices;
}

constexpr std::array<std::array<uint32_t, 256>, 8> kSlices = MakeSlices();

// Runs the table check while the program starts, as the unit's start-up did.
struct SelfTest {
  SelfTest() { QV_ASSERT(CRC32TableIsSound()); }
} selfTest;

}  // namespace

uint32_t CalcCRC32(const void* buffer, std::size_t length) {
  auto* p = static_cast<const uint8_t*>(buffer);
  uint32_t crc = 0xFFFFFFFF;
  for (; length >= 8; length -= 8, p += 8) {
    const uint32_t lo =
        crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    crc = kSlices[7][lo & 0xFF] ^ kSlices[6][(lo >> 8) & 0xFF] ^ kSlices[5][(lo >> 16) & 0xFF] ^
          kSlices[4][lo >> 24] ^ kSlices[3][p[4]] ^ kSlices[2][p[5]] ^ kSlices[1][p[6]] ^ kSlices[0][p[7]];
  }
  for (; length > 0; --length, ++p) crc = kTable[(crc ^ *p) & 0xFF] ^ (crc >> 8);
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
