// AES-256 built from the definitions of FIPS-197: the S-box is the affine map
// of the inverse in GF(2^8), and the round tables fold SubBytes, ShiftRows and
// (Inv)MixColumns into four 256-word lookups per column. All tables are made at
// compile time. State columns are held as big-endian words (row 0 in the top byte).
#include "storage/Aes.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "classlib/Streams.h"

namespace qv {
namespace {

// --- GF(2^8) arithmetic modulo x^8 + x^4 + x^3 + x + 1 ----------------------

constexpr uint8_t XTime(uint8_t a) {
  return uint8_t((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
}

constexpr uint8_t GMul(uint8_t a, uint8_t b) {
  uint8_t r = 0;
  while (b) {
    if (b & 1) r ^= a;
    a = XTime(a);
    b >>= 1;
  }
  return r;
}

constexpr uint8_t GInverse(uint8_t a) {  // a^254; 0 maps to 0
  uint8_t r = 1;
  for (int i = 0; i < 254; ++i) r = GMul(r, a);
  return a ? r : 0;
}

constexpr uint8_t Rotl8(uint8_t v, int n) {
  return uint8_t((v << n) | (v >> (8 - n)));
}

struct SBoxes {
  uint8_t Forward[256] = {};
  uint8_t Inverse[256] = {};
};

constexpr SBoxes MakeSBoxes() {
  SBoxes s;
  for (int x = 0; x < 256; ++x) {
    uint8_t b = GInverse(uint8_t(x));
    uint8_t v = uint8_t(b ^ Rotl8(b, 1) ^ Rotl8(b, 2) ^ Rotl8(b, 3) ^ Rotl8(b, 4) ^ 0x63);
    s.Forward[x] = v;
    s.Inverse[v] = uint8_t(x);
  }
  return s;
}

constexpr SBoxes kS = MakeSBoxes();

constexpr uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  return uint32_t(b0) << 24 | uint32_t(b1) << 16 | uint32_t(b2) << 8 | b3;
}
constexpr uint32_t Ror8(uint32_t w) {
  return (w >> 8) | (w << 24);
}

struct RoundTables {
  uint32_t T[4][256] = {};
};

// Te0[x] is the column MixColumns makes of S(x) in row 0: (2s, s, s, 3s);
// Te1..Te3 are its rotations for rows 1 to 3.
constexpr RoundTables MakeEncryptionTables() {
  RoundTables t;
  for (int x = 0; x < 256; ++x) {
    uint8_t s = kS.Forward[x];
    uint32_t w = Word(GMul(s, 2), s, s, GMul(s, 3));
    for (int r = 0; r < 4; ++r, w = Ror8(w)) t.T[r][x] = w;
  }
  return t;
}

// Td0[x] is InvMixColumns of InvS(x) in row 0: (14s, 9s, 13s, 11s).
constexpr RoundTables MakeDecryptionTables() {
  RoundTables t;
  for (int x = 0; x < 256; ++x) {
    uint8_t s = kS.Inverse[x];
    uint32_t w = Word(GMul(s, 14), GMul(s, 9), GMul(s, 13), GMul(s, 11));
    for (int r = 0; r < 4; ++r, w = Ror8(w)) t.T[r][x] = w;
  }
  return t;
}

constexpr RoundTables kTe = MakeEncryptionTables();
constexpr RoundTables kTd = MakeDecryptionTables();

constexpr int kRounds = 14;

inline uint32_t Load(const uint8_t* p) {
  return Word(p[0], p[1], p[2], p[3]);
}
inline void Store(uint32_t w, uint8_t* p) {
  p[0] = uint8_t(w >> 24);
  p[1] = uint8_t(w >> 16);
  p[2] = uint8_t(w >> 8);
  p[3] = uint8_t(w);
}
inline uint8_t B(uint32_t w, int row) {
  return uint8_t(w >> (24 - 8 * row));
}

uint32_t SubWord(uint32_t w) {
  return Word(kS.Forward[B(w, 0)], kS.Forward[B(w, 1)], kS.Forward[B(w, 2)], kS.Forward[B(w, 3)]);
}

uint32_t InvMixColumn(uint32_t w) {
  uint8_t a0 = B(w, 0), a1 = B(w, 1), a2 = B(w, 2), a3 = B(w, 3);
  return Word(GMul(a0, 14) ^ GMul(a1, 11) ^ GMul(a2, 13) ^ GMul(a3, 9),
              GMul(a0, 9) ^ GMul(a1, 14) ^ GMul(a2, 11) ^ GMul(a3, 13),
              GMul(a0, 13) ^ GMul(a1, 9) ^ GMul(a2, 14) ^ GMul(a3, 11),
              GMul(a0, 11) ^ GMul(a1, 13) ^ GMul(a2, 9) ^ GMul(a3, 14));
}

void EncryptBlockWords(const uint8_t* in, const uint32_t* rk, uint8_t* out) {
  uint32_t s0 = Load(in) ^ rk[0], s1 = Load(in + 4) ^ rk[1];
  uint32_t s2 = Load(in + 8) ^ rk[2], s3 = Load(in + 12) ^ rk[3];
  const auto& T = kTe.T;
  for (int round = 1; round < kRounds; ++round) {
    rk += 4;
    uint32_t t0 = T[0][B(s0, 0)] ^ T[1][B(s1, 1)] ^ T[2][B(s2, 2)] ^ T[3][B(s3, 3)] ^ rk[0];
    uint32_t t1 = T[0][B(s1, 0)] ^ T[1][B(s2, 1)] ^ T[2][B(s3, 2)] ^ T[3][B(s0, 3)] ^ rk[1];
    uint32_t t2 = T[0][B(s2, 0)] ^ T[1][B(s3, 1)] ^ T[2][B(s0, 2)] ^ T[3][B(s1, 3)] ^ rk[2];
    uint32_t t3 = T[0][B(s3, 0)] ^ T[1][B(s0, 1)] ^ T[2][B(s1, 2)] ^ T[3][B(s2, 3)] ^ rk[3];
    s0 = t0, s1 = t1, s2 = t2, s3 = t3;
  }
  rk += 4;  // the last round has no MixColumns
  const uint8_t* S = kS.Forward;
  Store(Word(S[B(s0, 0)], S[B(s1, 1)], S[B(s2, 2)], S[B(s3, 3)]) ^ rk[0], out);
  Store(Word(S[B(s1, 0)], S[B(s2, 1)], S[B(s3, 2)], S[B(s0, 3)]) ^ rk[1], out + 4);
  Store(Word(S[B(s2, 0)], S[B(s3, 1)], S[B(s0, 2)], S[B(s1, 3)]) ^ rk[2], out + 8);
  Store(Word(S[B(s3, 0)], S[B(s0, 1)], S[B(s1, 2)], S[B(s2, 3)]) ^ rk[3], out + 12);
}

// The equivalent inverse cipher walks the round keys from the last to the first.
void DecryptBlockWords(const uint8_t* in, const uint32_t* w, uint8_t* out) {
  const uint32_t* rk = w + 4 * kRounds;
  uint32_t s0 = Load(in) ^ rk[0], s1 = Load(in + 4) ^ rk[1];
  uint32_t s2 = Load(in + 8) ^ rk[2], s3 = Load(in + 12) ^ rk[3];
  const auto& T = kTd.T;
  for (int round = 1; round < kRounds; ++round) {
    rk -= 4;
    uint32_t t0 = T[0][B(s0, 0)] ^ T[1][B(s3, 1)] ^ T[2][B(s2, 2)] ^ T[3][B(s1, 3)] ^ rk[0];
    uint32_t t1 = T[0][B(s1, 0)] ^ T[1][B(s0, 1)] ^ T[2][B(s3, 2)] ^ T[3][B(s2, 3)] ^ rk[1];
    uint32_t t2 = T[0][B(s2, 0)] ^ T[1][B(s1, 1)] ^ T[2][B(s0, 2)] ^ T[3][B(s3, 3)] ^ rk[2];
    uint32_t t3 = T[0][B(s3, 0)] ^ T[1][B(s2, 1)] ^ T[2][B(s1, 2)] ^ T[3][B(s0, 3)] ^ rk[3];
    s0 = t0, s1 = t1, s2 = t2, s3 = t3;
  }
  rk -= 4;
  const uint8_t* S = kS.Inverse;
  Store(Word(S[B(s0, 0)], S[B(s3, 1)], S[B(s2, 2)], S[B(s1, 3)]) ^ rk[0], out);
  Store(Word(S[B(s1, 0)], S[B(s0, 1)], S[B(s3, 2)], S[B(s2, 3)]) ^ rk[1], out + 4);
  Store(Word(S[B(s2, 0)], S[B(s1, 1)], S[B(s0, 2)], S[B(s3, 3)]) ^ rk[2], out + 8);
  Store(Word(S[B(s3, 0)], S[B(s2, 1)], S[B(s1, 2)], S[B(s0, 3)]) ^ rk[3], out + 12);
}

#if defined(__x86_64__)
// Deciphering with the processor's AES instructions, whose inverse rounds
// are those of the equivalent inverse cipher: the same schedule, its words
// laid out as the state's bytes. Four blocks at a time keep the units busy.
__attribute__((target("aes,ssse3"))) void DecryptECBInstructions(const uint8_t* in, uint8_t* out,
                                                                 std::size_t length, const uint32_t* w) {
  // Each word's bytes reversed: word i of a round key becomes state column i.
  const __m128i swap = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
  __m128i k[kRounds + 1];
  for (int r = 0; r <= kRounds; ++r)
    k[r] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 4 * r)), swap);
  std::size_t i = 0;
  for (; i + 4 * AESBlockSize <= length; i += 4 * AESBlockSize) {
    __m128i b[4];
    for (int j = 0; j < 4; ++j)
      b[j] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 16 * j)), k[kRounds]);
    for (int r = kRounds - 1; r >= 1; --r)
      for (int j = 0; j < 4; ++j) b[j] = _mm_aesdec_si128(b[j], k[r]);
    for (int j = 0; j < 4; ++j)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16 * j), _mm_aesdeclast_si128(b[j], k[0]));
  }
  for (; i < length; i += AESBlockSize) {
    __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)), k[kRounds]);
    for (int r = kRounds - 1; r >= 1; --r) b = _mm_aesdec_si128(b, k[r]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_aesdeclast_si128(b, k[0]));
  }
}

const bool kHasAesInstructions = __builtin_cpu_supports("aes");
#endif

// The byte count rule of both stream functions; a negative count (or a source
// positioned past its end) moves nothing.
int64_t StreamCount(TStream& source, int64_t count) {
  if (count != 0) return std::max<int64_t>(0, std::min(count, source.Size() - source.Position()));
  source.SetPosition(0);
  return source.Size();
}

}  // namespace

void AESExpandKey256(const TAESKey256& key, TAESExpandedKey256& expanded) {
  uint32_t* w = expanded.W;
  for (int i = 0; i < 8; ++i) w[i] = Load(key.data() + 4 * i);
  uint8_t rcon = 1;
  for (int i = 8; i < 60; ++i) {
    uint32_t temp = w[i - 1];
    if (i % 8 == 0) {
      temp = SubWord((temp << 8) | (temp >> 24)) ^ (uint32_t(rcon) << 24);
      rcon = XTime(rcon);
    } else if (i % 8 == 4) {
      temp = SubWord(temp);
    }
    w[i] = w[i - 8] ^ temp;
  }
}

void AESExpandDecryptionKey(TAESExpandedKey256& expanded) {
  for (int i = 4; i < 4 * kRounds; ++i) expanded.W[i] = InvMixColumn(expanded.W[i]);
}

void AESEncryptBlock(const uint8_t* in, const TAESExpandedKey256& key, uint8_t* out) {
  EncryptBlockWords(in, key.W, out);
}

void AESDecryptBlock(const uint8_t* in, const TAESExpandedKey256& key, uint8_t* out) {
  DecryptBlockWords(in, key.W, out);
}

void AESEncryptECB(const uint8_t* in, uint8_t* out, std::size_t length, const TAESExpandedKey256& key) {
  QV_ASSERT(length % AESBlockSize == 0);
  for (std::size_t i = 0; i < length; i += AESBlockSize) EncryptBlockWords(in + i, key.W, out + i);
}

void AESDecryptECB(const uint8_t* in, uint8_t* out, std::size_t length, const TAESExpandedKey256& key) {
  QV_ASSERT(length % AESBlockSize == 0);
#if defined(__x86_64__)
  if (kHasAesInstructions && length >= AESBlockSize) return DecryptECBInstructions(in, out, length, key.W);
#endif
  for (std::size_t i = 0; i < length; i += AESBlockSize) DecryptBlockWords(in + i, key.W, out + i);
}

void EncryptAESStreamECB(TStream& source, int64_t count, const TAESKey256& key, TStream& destination) {
  TAESExpandedKey256 schedule;
  AESExpandKey256(key, schedule);
  count = StreamCount(source, count);
  uint8_t block[AESBlockSize];
  while (count >= int64_t(AESBlockSize)) {
    source.ReadBuffer(block, AESBlockSize);
    EncryptBlockWords(block, schedule.W, block);
    destination.WriteBuffer(block, AESBlockSize);
    count -= AESBlockSize;
  }
  if (count > 0) {
    std::fill(std::begin(block), std::end(block), uint8_t(0));
    source.ReadBuffer(block, count);
    EncryptBlockWords(block, schedule.W, block);
    destination.WriteBuffer(block, AESBlockSize);
  }
}

void DecryptAESStreamECB(TStream& source, int64_t count, const TAESKey256& key, TStream& destination) {
  TAESExpandedKey256 schedule;
  AESExpandKey256(key, schedule);
  AESExpandDecryptionKey(schedule);
  count = StreamCount(source, count);
  if (count % int64_t(AESBlockSize) != 0) throw EAESError("Invalid buffer size for decryption");
  uint8_t block[AESBlockSize];
  for (; count > 0; count -= AESBlockSize) {
    source.ReadBuffer(block, AESBlockSize);
    DecryptBlockWords(block, schedule.W, block);
    destination.WriteBuffer(block, AESBlockSize);
  }
}

}  // namespace qv
