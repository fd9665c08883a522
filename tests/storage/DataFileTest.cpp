// The data file: header bytes, chain layouts of appended and rewritten records
// checked byte by byte, a random model of rewrites, damaged files that must
// fail cleanly, injected write failures, locking and positions beyond 2 GiB.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "classlib/Streams.h"
#include "classlib/SysUtils.h"
#include "platform/BinaryFile.h"
#include "platform/DateTime.h"
#include "platform/FaultInjector.h"
#include "platform/Files.h"
#include "storage/Crc32.h"
#include "storage/DataFile.h"
#include "storage/Users.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

class TestOwner : public IDataFileOwner {
 public:
  TestOwner() : user("quirvane") {
    id.D1 = 0x01020304;
    id.D2 = 0x0506;
    id.D3 = 0x0708;
    for (int i = 0; i < 8; ++i) id.D4[i] = uint8_t(0x10 + i);
    user.SetPassword("secret", MasterRights, "");
  }
  const TGUID& DatabaseID() const override { return id; }
  const TXUser* LoggedInUser() const override { return &user; }
  FileHooks& Hooks() const override { return faults; }

  TGUID id;
  TXUser user;
  mutable FaultInjector faults;
};

const TXFileOptions kEnciphered{TXFileOption::foEnciphered};
constexpr uint32_t kKind = 0x41;

std::string ReadAll(const std::string& path) {
  std::string data;
  EXPECT_TRUE(ReadWholeFile(path, data));
  return data;
}

void PatchFile(const std::string& path, int64_t at, const void* bytes, std::size_t n) {
  BinaryFile f;
  ASSERT_TRUE(f.Open(path, BinaryFile::Mode::ReadWrite));
  ASSERT_TRUE(f.WriteAt(at, bytes, n));
}

void PatchTag(const std::string& path, int64_t at, const TXTag& tag) {
  uint8_t raw[XTagSize];
  tag.ToBytes(raw);
  PatchFile(path, at, raw, sizeof raw);
}

TXTag TagAt(const std::string& data, int64_t at) {
  return TXTag::FromBytes(reinterpret_cast<const uint8_t*>(data.data() + at));
}

TMemoryStream Encoding(std::size_t n, uint8_t seed) {
  TMemoryStream s;
  for (std::size_t i = 0; i < n; ++i) {
    uint8_t b = uint8_t(seed + i * 13);
    s.Write(&b, 1);
  }
  return s;
}

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override { path = dir / "storage.vlm"; }

  std::unique_ptr<TXFile> Created(TXFileOptions options = kEnciphered) {
    auto f = std::make_unique<TXFile>(path, &owner);
    EXPECT_TRUE(f->CreateFile(options)) << f->LastError();
    return f;
  }

  int64_t Write(TXFile& f, std::size_t n, uint8_t seed, int64_t position = -1) {
    TMemoryStream s = Encoding(n, seed);
    int64_t at = f.WriteData(kKind, s, position);
    EXPECT_GE(at, 0) << f.LastError();
    return at;
  }

  // Reads the record back and compares it with the padded encoding.
  void ExpectRecord(TXFile& f, int64_t at, std::size_t n, uint8_t seed) {
    TMemoryStream got;
    uint32_t kind = 0;
    ASSERT_TRUE(f.ReadRecord(kind, got, at)) << f.LastError();
    EXPECT_EQ(kind, kKind);
    TMemoryStream want = Encoding(n, seed);
    want.SetSize((want.Size() + 15) / 16 * 16);
    ASSERT_EQ(got.Size(), want.Size());
    EXPECT_EQ(0, std::memcmp(got.Memory(), want.Memory(), std::size_t(want.Size())));
  }

  std::string ReadFailure(TXFile& f, int64_t at) {
    TMemoryStream got;
    uint32_t kind = 0;
    EXPECT_FALSE(f.ReadRecord(kind, got, at));
    return f.LastError();
  }

  test::TempDir dir;
  std::string path;
  TestOwner owner;
  FaultInjector& faults = owner.faults;  // the data files opened for owner write through it
};

TEST_F(DataFileTest, FreshFileIsExactlyTheHeader) {
  double before = Now();
  auto f = Created();
  EXPECT_EQ(f->Size(), 32);
  std::string data = ReadAll(path);
  ASSERT_EQ(data.size(), 32u);
  const uint8_t start[] = {0xBA, 0xBE, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(0, std::memcmp(data.data(), start, sizeof start));
  double stamp;
  std::memcpy(&stamp, data.data() + 8, 8);
  EXPECT_GE(stamp, before - 1.0 / 86400);
  EXPECT_LE(stamp, Now() + 1.0 / 86400);
  auto guid = owner.id.ToBytes();
  EXPECT_EQ(0, std::memcmp(data.data() + 16, guid.data(), 16));
  EXPECT_TRUE(f->OptionSet().Contains(TXFileOption::foEnciphered));
}

TEST_F(DataFileTest, AppendedRecordIsOneDataTagItsBlocksAndTheEndTag) {
  auto f = Created();
  TMemoryStream s = Encoding(2, 0x61);
  ASSERT_EQ(f->WriteData(kKind, s, -1), 32);
  EXPECT_EQ(s.Size(), 16);  // the caller's stream got the zero fill
  EXPECT_EQ(f->Size(), 32 + 34);
  uint32_t crc = StreamCRC32(s);

  std::string data = ReadAll(path);
  ASSERT_EQ(data.size(), 66u);
  TXTag tag = TagAt(data, 32);
  EXPECT_EQ(tag.Type, ttData);
  EXPECT_EQ(tag.Length(), 16);
  TXTag end = TagAt(data, 32 + 9 + 16);
  EXPECT_EQ(end.Type, ttEnd);
  EXPECT_EQ(end.KindId(), kKind);
  EXPECT_EQ(end.Checksum(), crc);
  // The chunk holds the padded encoding enciphered under the user's key.
  uint8_t plain[16];
  AESDecryptBlock(reinterpret_cast<const uint8_t*>(data.data() + 41), owner.user.DecryptionSchedule(), plain);
  EXPECT_EQ(0, std::memcmp(plain, s.Memory(), 16));
  ExpectRecord(*f, 32, 2, 0x61);
}

TEST_F(DataFileTest, PlainFilesStoreTheEncodingUnchanged) {
  auto f = Created(TXFileOptions{});
  TMemoryStream s = Encoding(5, 1);
  ASSERT_EQ(f->WriteData(kKind, s, -1), 32);
  EXPECT_EQ(f->Size(), 32 + 9 + 5 + 9);
  std::string data = ReadAll(path);
  EXPECT_EQ(0, std::memcmp(data.data() + 41, s.Memory(), 5));
  TMemoryStream got;
  uint32_t kind;
  ASSERT_TRUE(f->ReadRecord(kind, got, 32));
  EXPECT_EQ(got.Size(), 5);
}

TEST_F(DataFileTest, RewriteOfTheSameLengthChangesOnlyChunkAndEndTag) {
  auto f = Created();
  int64_t a = Write(*f, 40, 1), b = Write(*f, 20, 2);
  std::string before = ReadAll(path);
  ASSERT_EQ(Write(*f, 33, 9, a), a);
  std::string after = ReadAll(path);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (i < std::size_t(a) + 9 || i >= std::size_t(a) + 9 + 48 + 9) {
      EXPECT_EQ(before[i], after[i]) << i;
    }
  }
  ExpectRecord(*f, a, 33, 9);
  ExpectRecord(*f, b, 20, 2);
}

TEST_F(DataFileTest, ShorterRewriteEndsInsideTheOldChunk) {
  auto f = Created();
  int64_t a = Write(*f, 48, 1);
  Write(*f, 16, 2);
  int64_t size = f->Size();
  ASSERT_EQ(Write(*f, 10, 3, a), a);
  EXPECT_EQ(f->Size(), size);
  std::string data = ReadAll(path);
  EXPECT_EQ(TagAt(data, a).Length(), 16);
  EXPECT_EQ(TagAt(data, a + 25).Type, ttEnd);
  // 48 - 16 - 9 = 23 dead bytes of the old chunk, then the old end tag.
  EXPECT_EQ(TagAt(data, a + 9 + 48).Type, ttEnd);
  ExpectRecord(*f, a, 10, 3);
}

TEST_F(DataFileTest, LongerRewriteJumpsToTheOldEndOfFile) {
  auto f = Created();
  int64_t a = Write(*f, 16, 1);
  Write(*f, 16, 2);
  int64_t oldSize = f->Size();
  ASSERT_EQ(Write(*f, 40, 3, a), a);
  std::string data = ReadAll(path);
  EXPECT_EQ(TagAt(data, a).Length(), 16);
  TXTag jump = TagAt(data, a + 9 + 16);
  EXPECT_EQ(jump.Type, ttJump);
  EXPECT_EQ(jump.Target(), oldSize);
  EXPECT_EQ(TagAt(data, oldSize).Length(), 32);
  EXPECT_EQ(TagAt(data, oldSize + 9 + 32).Type, ttEnd);
  EXPECT_EQ(f->Size(), oldSize + 9 + 32 + 9);
  ExpectRecord(*f, a, 40, 3);
}

TEST_F(DataFileTest, RepeatedGrowthKeepsTheFirstPosition) {
  auto f = Created();
  int64_t a = Write(*f, 10, 0);
  for (int i = 1; i <= 10; ++i) {
    Write(*f, 5, uint8_t(100 + i));  // a neighbour so that each growth makes a new fragment
    ASSERT_EQ(Write(*f, std::size_t(10 + 16 * i), uint8_t(i), a), a);
    ExpectRecord(*f, a, std::size_t(10 + 16 * i), uint8_t(i));
  }
}

// Random rewrites of a few records, each read back and compared with the last
// version written; the file is also reopened at the end.
TEST_F(DataFileTest, RandomRewritesAgreeWithAModel) {
  auto f = Created();
  std::mt19937 rng(7);
  struct Version {
    int64_t at;
    std::size_t n;
    uint8_t seed;
  };
  std::vector<Version> records;
  for (int step = 0; step < 400; ++step) {
    std::size_t n = 1 + rng() % 120;
    auto seed = uint8_t(rng());
    if (records.empty() || rng() % 4 == 0) {
      records.push_back({Write(*f, n, seed), n, seed});
    } else {
      auto& r = records[rng() % records.size()];
      ASSERT_EQ(Write(*f, n, seed, r.at), r.at);
      r.n = n, r.seed = seed;
    }
    auto& check = records[rng() % records.size()];
    ExpectRecord(*f, check.at, check.n, check.seed);
  }
  ASSERT_TRUE(f->Close(true));
  ASSERT_TRUE(f->Open()) << f->LastError();
  for (const auto& r : records) ExpectRecord(*f, r.at, r.n, r.seed);
}

TEST_F(DataFileTest, FlippedByteReportsBothChecksums) {
  auto f = Created();
  int64_t a = Write(*f, 30, 5);
  std::string data = ReadAll(path);
  uint32_t stored = TagAt(data, a + 9 + 32).Checksum();
  uint8_t chunk[32];
  std::memcpy(chunk, data.data() + a + 9, 32);
  chunk[20] ^= 0x04;
  PatchFile(path, a + 9, chunk, sizeof chunk);
  AESDecryptECB(chunk, chunk, sizeof chunk, owner.user.DecryptionSchedule());
  uint32_t computed = CalcCRC32(chunk, sizeof chunk);
  EXPECT_EQ(ReadFailure(*f, a),
            "Data corrupted [" + IntToHex(computed, 8) + "<>" + IntToHex(stored, 8) + "]");
}

TEST_F(DataFileTest, ReadingOutsideRecordsFails) {
  auto f = Created();
  Write(*f, 4, 1);
  EXPECT_EQ(ReadFailure(*f, 0), "File reading failure");  // 0xBA is no tag type
  EXPECT_EQ(ReadFailure(*f, f->Size()), "Bad reading position \"0000000000000042\"");
  EXPECT_EQ(ReadFailure(*f, -1), "Bad reading position \"FFFFFFFFFFFFFFFF\"");
  TMemoryStream s;
  uint32_t kind, crc;
  EXPECT_FALSE(f->ReadChain(s, kind, crc, 0));
  EXPECT_EQ(f->LastError(), "Unknown data tag encountered \"BA\"");
}

TEST_F(DataFileTest, ClosedFileRefusesEverything) {
  TXFile f(path, &owner);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(f.Size(), -1);
  TMemoryStream s = Encoding(3, 1);
  EXPECT_EQ(f.WriteData(kKind, s, -1), -1);
  EXPECT_EQ(f.LastError(), "Data file is not opened");
  EXPECT_EQ(ReadFailure(f, 32), "Data file is not opened");
  EXPECT_FALSE(f.Close(true));
  EXPECT_FALSE(f.Sync());
}

TEST_F(DataFileTest, HeaderChecksAtOpen) {
  { Created(); }
  TXFile f(path, &owner);
  ASSERT_TRUE(f.Open()) << f.LastError();
  f.Close(false);

  const uint16_t version = 7;
  PatchFile(path, 2, &version, 2);
  ASSERT_TRUE(f.Open()) << "the version is not examined";
  f.Close(true);
  EXPECT_EQ(ReadAll(path)[2], 7) << "written back as read";

  TestOwner other;
  other.id.D1 = 99;
  TXFile foreign(path, &other);
  EXPECT_FALSE(foreign.Open());
  EXPECT_EQ(foreign.LastError(), "Bad database ID");
  EXPECT_FALSE(foreign.IsOpen());

  const uint8_t bad[] = {0xBA, 0xBF};
  PatchFile(path, 0, bad, 2);
  EXPECT_FALSE(f.Open());
  EXPECT_EQ(f.LastError(), "Bad data file signature");
  EXPECT_FALSE(f.IsOpen());

  ASSERT_TRUE(WriteFileAtomic(path, std::string(31, '\0')));
  EXPECT_FALSE(f.Open());
  EXPECT_EQ(f.LastError(), "Failed to read data file header");
}

TEST_F(DataFileTest, CloseRewritesTheHeaderWithTheOpeningTimeAndUnknownOptionBits) {
  { Created(); }
  const uint32_t options = 0x0101;
  PatchFile(path, 4, &options, 4);
  const double old = 1000.5;
  PatchFile(path, 8, &old, 8);
  TXFile f(path, &owner);
  ASSERT_TRUE(f.Open());
  EXPECT_TRUE(f.OptionSet().Contains(TXFileOption::foEnciphered));
  ASSERT_TRUE(f.Close(true));
  std::string data = ReadAll(path);
  uint32_t bits;
  double stamp;
  std::memcpy(&bits, data.data() + 4, 4);
  std::memcpy(&stamp, data.data() + 8, 8);
  EXPECT_EQ(bits, options);
  EXPECT_GT(stamp, Now() - 1.0);

  ASSERT_TRUE(f.Open());
  PatchFile(path, 8, &old, 8);
  ASSERT_TRUE(f.Close(false));
  std::memcpy(&stamp, ReadAll(path).data() + 8, 8);
  EXPECT_EQ(stamp, old);
}

// Damaged chains end the read with a failure, and a rewrite over them fails
// without writing wildly; the record can then be appended anew.
TEST_F(DataFileTest, DamagedChainsTerminate) {
  struct Damage {
    const char* what;
    std::function<void(int64_t a, int64_t size)> apply;
    const char* chainError;
  } damages[] = {
      {"negative length", [&](int64_t a, int64_t) { PatchTag(path, a, TXTag::Data(-16)); },
       "Failed to read data"},
      {"length past the end", [&](int64_t a, int64_t) { PatchTag(path, a, TXTag::Data(1 << 20)); },
       "Failed to read data"},
      {"jump to itself", [&](int64_t a, int64_t) { PatchTag(path, a, TXTag::Jump(a)); },
       "Failed to read data tag"},
      {"jump cycle through a chunk", [&](int64_t a, int64_t) { PatchTag(path, a + 9 + 32, TXTag::Jump(a)); },
       "Failed to read data"},
      {"jump past the end", [&](int64_t a, int64_t size) { PatchTag(path, a, TXTag::Jump(size + 100)); },
       "Failed to set position \"00000000000000B6\""},
      {"negative jump", [&](int64_t a, int64_t) { PatchTag(path, a, TXTag::Jump(-9)); },
       "Failed to set position \"FFFFFFFFFFFFFFF7\""},
      {"unknown tag",
       [&](int64_t a, int64_t) {
         PatchTag(path, a + 9 + 32, TXTag{7, {}});
       },
       "Unknown data tag encountered \"07\""},
  };
  for (const auto& d : damages) {
    SCOPED_TRACE(d.what);
    auto f = Created();
    int64_t a = Write(*f, 32, 1);
    d.apply(a, f->Size());
    TMemoryStream s;
    uint32_t kind, crc;
    EXPECT_FALSE(f->ReadChain(s, kind, crc, a));
    EXPECT_EQ(f->LastError(), d.chainError);
    EXPECT_EQ(ReadFailure(*f, a), "File reading failure");

    int64_t size = f->Size();
    TMemoryStream bigger = Encoding(200, 2);
    int64_t at = f->WriteData(kKind, bigger, a);
    if (at < 0) {
      EXPECT_LE(f->Size(), size) << "a failed rewrite does not grow the file";
      at = Write(*f, 200, 2);
    }
    ExpectRecord(*f, at, 200, 2);
    f->Close(false);
  }
}

TEST_F(DataFileTest, ChainOfAnOddLengthFailsInsteadOfRaising) {
  auto f = Created();
  int64_t a = Write(*f, 16, 1);
  PatchTag(path, a, TXTag::Data(15));
  PatchTag(path, a + 9 + 15, TXTag::End(kKind, 0));
  EXPECT_EQ(ReadFailure(*f, a), "File reading failure");
}

TEST_F(DataFileTest, FailedWritesReportTheirStep) {
  auto f = Created();
  int64_t a = Write(*f, 16, 1);
  int64_t size = f->Size();

  faults.FailOnlyWrite(1);
  TMemoryStream s = Encoding(8, 2);
  EXPECT_EQ(f->WriteData(kKind, s, -1), -1);
  EXPECT_EQ(f->LastError(), "Failed to write record data: No space left on device");
  EXPECT_EQ(f->Size(), size);

  faults.Reset();
  faults.FailOnlyWrite(1);
  s = Encoding(8, 2);
  EXPECT_EQ(f->WriteData(kKind, s, a), -1);
  EXPECT_EQ(f->LastError(), "Failed to write data: No space left on device");
  ExpectRecord(*f, a, 16, 1);

  faults.Reset();
  faults.FailOnlyWrite(1);
  s = Encoding(40, 3);
  EXPECT_EQ(f->WriteData(kKind, s, a), -1);  // the first chunk fails
  EXPECT_EQ(f->LastError(), "Failed to write data: No space left on device");

  faults.Reset();
  faults.FailOnlyWrite(2);
  s = Encoding(40, 3);
  EXPECT_EQ(f->WriteData(kKind, s, a), -1);
  EXPECT_EQ(f->LastError(), "Failed to write jump tag: No space left on device");

  faults.Reset();
  faults.FailOnlyWrite(3);
  s = Encoding(40, 3);
  EXPECT_EQ(f->WriteData(kKind, s, a), -1);
  EXPECT_EQ(f->LastError(), "Failed to write beginning tag: No space left on device");
  EXPECT_EQ(ReadFailure(*f, a), "File reading failure") << "the jump leads past the end";

  faults.Reset();
  EXPECT_EQ(Write(*f, 40, 4), size);  // appended anew where the failed tail would have gone
  ExpectRecord(*f, size, 40, 4);

  faults.FailWritesFrom(1);
  EXPECT_FALSE(f->Sync());
  EXPECT_FALSE(f->LastError().empty());
  EXPECT_FALSE(f->Close(true));
  EXPECT_EQ(f->LastError(), "Failed to write data file header: No space left on device");
  EXPECT_FALSE(f->IsOpen());
}

TEST_F(DataFileTest, FailedHeaderWriteLeavesTheFileClosed) {
  faults.FailWritesFrom(1);
  TXFile f(path, &owner);
  EXPECT_FALSE(f.CreateFile(kEnciphered));
  EXPECT_EQ(f.LastError(), "Failed to write data file header: No space left on device");
  EXPECT_FALSE(f.IsOpen());
}

TEST_F(DataFileTest, PlatformFailuresAreReportedNotRaised) {
  TXFile missingFolder(dir / "no/such/storage.vlm", &owner);
  EXPECT_FALSE(missingFolder.CreateFile(kEnciphered));
  EXPECT_EQ(missingFolder.LastError().rfind(
                "Failed to create data file \"" + dir / "no/such/storage.vlm" + "\": ", 0),
            0u)
      << missingFolder.LastError();
  TXFile missingFile(path, &owner);
  EXPECT_FALSE(missingFile.Open());
  EXPECT_EQ(missingFile.LastError().rfind("Failed to open data file \"" + path + "\": ", 0), 0u);
  TXFile folder(dir.Path(), &owner);
  EXPECT_FALSE(folder.Open());
  if (geteuid() != 0) {
    { Created(); }
    ASSERT_EQ(0, ::chmod(path.c_str(), 0444));
    TXFile readOnly(path, &owner);
    EXPECT_FALSE(readOnly.Open());
    EXPECT_EQ(readOnly.LastError().rfind("Failed to open data file", 0), 0u);
  }
}

TEST_F(DataFileTest, ASecondOpeningFindsTheDatabaseInUse) {
  auto first = Created();
  Write(*first, 20, 1);
  int64_t size = first->Size();

  TXFile second(path, &owner);
  EXPECT_FALSE(second.Open());
  EXPECT_EQ(second.LastError(), "Database is in use");
  EXPECT_FALSE(second.CreateFile(kEnciphered));
  EXPECT_EQ(second.LastError(), "Database is in use");
  EXPECT_EQ(FileSizeOf(path), size) << "a refused creation truncates nothing";

  first->Close(true);
  EXPECT_TRUE(second.Open()) << second.LastError();
  ExpectRecord(second, 32, 20, 1);
}

TEST_F(DataFileTest, PositionsBeyondTwoGibibytes) {
  auto f = Created();
  const int64_t far = (int64_t(3) << 30) + 5;
  if (Write(*f, 24, 1, far) != far) GTEST_SKIP() << "no sparse files here: " << f->LastError();
  int64_t next = Write(*f, 16, 2);
  EXPECT_EQ(next, far + 9 + 32 + 9);
  ASSERT_EQ(Write(*f, 70, 3, far), far);  // grows past the neighbour
  ExpectRecord(*f, far, 70, 3);
  ExpectRecord(*f, next, 16, 2);
  TMemoryStream s = Encoding(3, 1);
  EXPECT_FALSE(f->WriteRecord(s, kKind, -32, 0));
  EXPECT_EQ(f->LastError(), "Failed to set position \"FFFFFFFFFFFFFFE0\"");
}

}  // namespace
}  // namespace qv
