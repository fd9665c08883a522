// AES-256 (FIPS-197) with 32-bit lookup tables, and its ECB use over streams
// and over plain buffers. Decryption uses the equivalent inverse cipher, whose
// schedule is the encryption schedule with InvMixColumns applied to round keys
// 1 to 13.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/Exception.h"

namespace qv {

class TStream;

class EAESError : public Exception {
 public:
  using Exception::Exception;
};

using TAESKey256 = std::array<uint8_t, 32>;
constexpr std::size_t AESBlockSize = 16;

// 15 round keys of four words each, for encryption or, after
// AESExpandDecryptionKey, for decryption.
struct TAESExpandedKey256 {
  uint32_t W[60] = {};
};

void AESExpandKey256(const TAESKey256& key, TAESExpandedKey256& expanded);
// Turns an expanded encryption key into the decryption schedule, in place.
void AESExpandDecryptionKey(TAESExpandedKey256& expanded);
// One 16-byte block; in and out may be the same buffer.
void AESEncryptBlock(const uint8_t* in, const TAESExpandedKey256& key, uint8_t* out);
void AESDecryptBlock(const uint8_t* in, const TAESExpandedKey256& key, uint8_t* out);

// Buffer variants for callers that keep a prepared schedule: length must be a
// multiple of 16 (assertion otherwise); in and out may be the same buffer.
// Deciphering uses the processor's AES instructions where it has them.
void AESEncryptECB(const uint8_t* in, uint8_t* out, std::size_t length, const TAESExpandedKey256& key);
void AESDecryptECB(const uint8_t* in, uint8_t* out, std::size_t length, const TAESExpandedKey256& key);

// Enciphers count bytes from the source's position (count 0: the whole source
// from position 0) into the destination, the last partial block zero-filled.
// Short reads and writes raise EReadError / EWriteError.
void EncryptAESStreamECB(TStream& source, int64_t count, const TAESKey256& key, TStream& destination);
// The inverse, with the same count rule; a count that is not a multiple of 16
// raises EAESError "Invalid buffer size for decryption" before anything is read.
void DecryptAESStreamECB(TStream& source, int64_t count, const TAESKey256& key, TStream& destination);

}  // namespace qv
