// Memory and file streams, and the raising buffer calls.
#include <gtest/gtest.h>

#include "classlib/Streams.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

TEST(Streams, MemoryStreamReadWriteSeek) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(m.Size(), 5);
  m.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 4);
  EXPECT_EQ(std::string(buf, 4), "ello");
  EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);
  m.Seek(-2, TSeekOrigin::soEnd);
  m.WriteBuffer("LOW", 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(m.Memory()), std::size_t(m.Size())), "helLOW");
}

TEST(Streams, FileStreamErrorsAndCopy) {
  test::TempDir dir;
  EXPECT_THROW(TFileStream(dir / "missing", fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream(dir / "no/dir/x", fmCreate), EFCreateError);
  {
    TFileStream f(dir / "f", fmCreate);
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    m.SetPosition(4);
    EXPECT_EQ(f.CopyFrom(m, 0), 6);  // 0 copies the whole source from the start
  }
  TFileStream r(dir / "f", fmOpenRead);
  EXPECT_EQ(r.Size(), 6);
  EXPECT_EQ(r.Write("x", 1), 0);  // read-only
  EXPECT_THROW(r.WriteBuffer("x", 1), EWriteError);
  TMemoryStream back;
  back.LoadFromStream(r);
  EXPECT_EQ(back.Size(), 6);
}

}  // namespace
}  // namespace qv
