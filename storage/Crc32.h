// The record checksum: CRC-32 over the reflected polynomial 0xEDB88320,
// started at 0xFFFFFFFF and never inverted at the end, so the value is the
// bitwise complement of the usual CRC-32 of the same bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qv {

class TMemoryStream;

// Checksum of length bytes; 0xFFFFFFFF for none.
uint32_t CalcCRC32(const void* buffer, std::size_t length);
// CalcCRC32 over the whole contents of the stream, whatever its position.
uint32_t StreamCRC32(TMemoryStream& stream);

// The start-up check of the table: the complement of CalcCRC32 over its 1024
// bytes (little-endian entries) must be 0x6FCF9E13. The unit runs it when the
// program starts and raises an assertion failure when it does not hold.
bool CRC32TableIsSound();

}  // namespace qv
