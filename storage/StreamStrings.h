// Small stream helpers of the kind unit: little-endian u32 values, the
// length-prefixed string, and the 16-byte GUID maker.
#pragma once
#include <cstdint>
#include <string>

#include "classlib/Streams.h"
#include "platform/Guid.h"

namespace qv {

// Bytes between the position and the end of the stream (never negative).
int64_t StreamRemaining(TStream& stream);

bool WriteStreamU32(TStream& stream, uint32_t value);
bool ReadStreamU32(TStream& stream, uint32_t& value);
// A stored u32 read as a signed id: 0xFFFFFFFF is -1.
bool ReadStreamId(TStream& stream, int32_t& id);

// u32 length, then the bytes; False on a short write.
bool WriteStreamString(TStream& stream, const std::string& s);
// s := empty; u32 length (as signed: 0 or less is the empty string); then the
// bytes. A length beyond the bytes left in the stream fails without allocating.
bool ReadStreamString(TStream& stream, std::string& s);

// A new GUID from the operating system; when that fails, from the clock-seeded
// 32-bit linear congruential generator (Data4 then stays zero).
void MakeGUID(TGUID& guid);

}  // namespace qv
