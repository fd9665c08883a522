// Known answers for the record checksum and AES-256, and the byte-count,
// padding and error rules of the stream cipher functions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/Streams.h"
#include "storage/Aes.h"
#include "storage/Crc32.h"

namespace qv {
namespace {

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2)
    out.push_back(uint8_t(std::stoi(text.substr(i, 2), nullptr, 16)));
  return out;
}

TAESKey256 Key(const std::string& hex) {
  TAESKey256 key{};
  auto bytes = Hex(hex);
  std::copy(bytes.begin(), bytes.end(), key.begin());
  return key;
}

TMemoryStream StreamOf(const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  s.Write(bytes.data(), int64_t(bytes.size()));
  return s;
}

std::vector<uint8_t> Contents(TMemoryStream& s) {
  return {s.Memory(), s.Memory() + s.Size()};
}

TEST(Crc32, KnownAnswersAreTheComplementOfTheUsualCrc) {
  EXPECT_EQ(CalcCRC32("", 0), 0xFFFFFFFFu);
  EXPECT_EQ(CalcCRC32("abc", 3), 0xCADBBE3Du);
  EXPECT_EQ(CalcCRC32("123456789", 9), ~0xCBF43926u);
  EXPECT_TRUE(CRC32TableIsSound());
}

// Every length and start offset around the eight-byte steps agrees with the
// checksum computed bit by bit.
TEST(Crc32, AnyLengthAndAlignmentMatchesTheBitwiseChecksum) {
  EXPECT_EQ(CalcCRC32("The quick brown fox jumps over the lazy dog", 43), ~0x414FA339u);
  std::vector<uint8_t> bytes(80);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 37 + 11);
  for (std::size_t start = 0; start < 8; ++start)
    for (std::size_t length = 0; start + length <= bytes.size(); ++length) {
      uint32_t crc = 0xFFFFFFFF;
      for (std::size_t i = start; i < start + length; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (0xEDB88320u ^ (crc >> 1)) : (crc >> 1);
      }
      ASSERT_EQ(CalcCRC32(bytes.data() + start, length), crc) << start << "+" << length;
    }
}

TEST(Crc32, StreamChecksumCoversTheWholeStreamWhateverItsPosition) {
  TMemoryStream s = StreamOf({'1', '2', '3', '4', '5', '6', '7', '8', '9'});
  s.SetPosition(4);
  EXPECT_EQ(StreamCRC32(s), ~0xCBF43926u);
  EXPECT_EQ(s.Position(), 4);
  TMemoryStream empty;
  EXPECT_EQ(StreamCRC32(empty), 0xFFFFFFFFu);
}

struct BlockVector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// FIPS-197 appendix C.3 and SP 800-38A F.1.5 (ECB-AES256).
const BlockVector kVectors[] = {
    {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "00112233445566778899aabbccddeeff",
     "8ea2b7ca516745bfeafc49904b496089"},
    {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "6bc1bee22e409f96e93d7e117393172a",
     "f3eed1bdb5d2a03c064b5a7e3db181f8"},
    {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "ae2d8a571e03ac9c9eb76fac45af8e51",
     "591ccb10d410ed26dc5ba74a31362870"},
    {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "30c81c46a35ce411e5fbc1191a0a52ef",
     "b6ed21b99ca6f4f9f153e7b1beafed1d"},
    {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "f69f2445df4f9b17ad2b417be66c3710",
     "23304b7a39f9f3ff067d8d8f9e24ecc7"},
};

TEST(Aes256, PublishedVectorsEncipherAndDecipher) {
  for (const auto& v : kVectors) {
    SCOPED_TRACE(v.plain);
    TAESExpandedKey256 enc, dec;
    AESExpandKey256(Key(v.key), enc);
    dec = enc;
    AESExpandDecryptionKey(dec);
    auto plain = Hex(v.plain), cipher = Hex(v.cipher);
    uint8_t out[16];
    AESEncryptBlock(plain.data(), enc, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 16), cipher);
    AESDecryptBlock(cipher.data(), dec, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 16), plain);
  }
}

TEST(Aes256, BufferVariantsMatchTheStreamFunctionsInPlace) {
  TAESKey256 key = Key("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  std::vector<uint8_t> plain(160);
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = uint8_t(i * 7 + 3);
  TMemoryStream src = StreamOf(plain), viaStream;
  EncryptAESStreamECB(src, 0, key, viaStream);

  TAESExpandedKey256 enc, dec;
  AESExpandKey256(key, enc);
  dec = enc;
  AESExpandDecryptionKey(dec);
  std::vector<uint8_t> buf = plain;
  AESEncryptECB(buf.data(), buf.data(), buf.size(), enc);
  EXPECT_EQ(buf, Contents(viaStream));
  AESDecryptECB(buf.data(), buf.data(), buf.size(), dec);
  EXPECT_EQ(buf, plain);
}

// Deciphering a buffer may take another route than single blocks (the
// processor's instructions, several blocks at once): every key and length
// gives the same bytes.
TEST(Aes256, BufferDecipheringMatchesSingleBlocksForAnyKeyAndLength) {
  uint32_t seed = 12345;
  auto next = [&seed] { return uint8_t((seed = seed * 1103515245u + 12345u) >> 16); };
  for (int round = 0; round < 8; ++round) {
    TAESKey256 key;
    for (auto& b : key) b = next();
    TAESExpandedKey256 dec;
    AESExpandKey256(key, dec);
    AESExpandDecryptionKey(dec);
    for (std::size_t blocks : {1u, 3u, 4u, 5u, 9u}) {
      std::vector<uint8_t> data(blocks * AESBlockSize);
      for (auto& b : data) b = next();
      std::vector<uint8_t> expected(data.size());
      for (std::size_t i = 0; i < data.size(); i += AESBlockSize)
        AESDecryptBlock(&data[i], dec, &expected[i]);
      AESDecryptECB(data.data(), data.data(), data.size(), dec);
      EXPECT_EQ(data, expected) << round << " " << blocks;
    }
  }
}

TEST(AesStreams, CountZeroRewindsAndTheLastBlockIsZeroFilled) {
  TAESKey256 key = Key("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  TMemoryStream one = StreamOf({0x5A}), enc, dec;
  one.SetPosition(1);
  EncryptAESStreamECB(one, 0, key, enc);
  ASSERT_EQ(enc.Size(), 16);
  enc.SetPosition(0);
  DecryptAESStreamECB(enc, 0, key, dec);
  std::vector<uint8_t> expect(16, 0);
  expect[0] = 0x5A;
  EXPECT_EQ(Contents(dec), expect);
}

TEST(AesStreams, ACountIsCutToWhatRemainsAfterThePosition) {
  TAESKey256 key = Key("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  TMemoryStream six = StreamOf({1, 2, 3, 4, 5, 6}), enc, dec;
  six.SetPosition(3);
  EncryptAESStreamECB(six, 5, key, enc);
  ASSERT_EQ(enc.Size(), 16);
  DecryptAESStreamECB(enc, 0, key, dec);
  std::vector<uint8_t> expect(16, 0);
  expect[0] = 4, expect[1] = 5, expect[2] = 6;
  EXPECT_EQ(Contents(dec), expect);

  TMemoryStream nothing;
  six.SetPosition(6);
  EncryptAESStreamECB(six, 4, key, nothing);
  EXPECT_EQ(nothing.Size(), 0);
}

TEST(AesStreams, RoundTripsEverySizeUpToAHundred) {
  TAESKey256 key = Key("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  for (int n = 0; n <= 100; ++n) {
    std::vector<uint8_t> plain(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) plain[std::size_t(i)] = uint8_t(n + i * 31);
    TMemoryStream src = StreamOf(plain), enc, dec;
    EncryptAESStreamECB(src, 0, key, enc);
    ASSERT_EQ(enc.Size(), (n + 15) / 16 * 16) << n;
    DecryptAESStreamECB(enc, 0, key, dec);
    plain.resize(std::size_t(dec.Size()), 0);
    EXPECT_EQ(Contents(dec), plain) << n;
  }
}

TEST(AesStreams, DecryptingAPartialBlockRaisesAndWritesNothing) {
  TAESKey256 key{};
  TMemoryStream src = StreamOf(std::vector<uint8_t>(20, 7)), dest;
  try {
    DecryptAESStreamECB(src, 0, key, dest);
    FAIL() << "no exception";
  } catch (const EAESError& e) {
    EXPECT_EQ(e.Message, "Invalid buffer size for decryption");
  }
  EXPECT_EQ(dest.Size(), 0);
}

// A stream that accepts only a few bytes, to see the cipher's write errors.
class ShortStream : public TMemoryStream {
 public:
  explicit ShortStream(int64_t room) : room_(room) {}
  int64_t Write(const void* buffer, int64_t count) override {
    count = std::min(count, room_);
    room_ -= count;
    return TMemoryStream::Write(buffer, count);
  }

 private:
  int64_t room_;
};

TEST(AesStreams, ShortWritesRaiseAndKeepTheBlocksWritten) {
  TAESKey256 key{};
  TMemoryStream src = StreamOf(std::vector<uint8_t>(48, 1));
  ShortStream dest(40);
  EXPECT_THROW(EncryptAESStreamECB(src, 0, key, dest), EWriteError);
  EXPECT_EQ(dest.Size(), 40);
}

}  // namespace
}  // namespace qv
