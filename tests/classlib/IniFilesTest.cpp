// The ini dialect: lookups, quoting, erasing, and keeping what it does not touch.
#include <gtest/gtest.h>

#include "classlib/IniFiles.h"
#include "platform/Files.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

TEST(IniFiles, ReadsTheWindowsDialect) {
  test::TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir / "a.ini",
                              "; comment\r\n[General]\r\n  Name =  \"  quoted  \" \r\nCount=12\r\n"
                              "bad\r\n[Other]\r\nx=1\r\n[general]\r\nName=shadowed\r\n"));
  TMemIniFile ini(dir / "a.ini");
  EXPECT_EQ(ini.ReadString("GENERAL", "name", ""), "  quoted  ");
  EXPECT_EQ(ini.ReadInteger("general", "COUNT", 0), 12);
  EXPECT_EQ(ini.ReadInteger("general", "missing", -3), -3);
  EXPECT_EQ(ini.ReadString("nosuch", "x", "def"), "def");
  EXPECT_TRUE(ini.ValueExists("OTHER", "X"));
  EXPECT_EQ(ini.ReadSection("General"), (std::vector<std::string>{"Name", "Count"}));
}

TEST(IniFiles, WritesKeepOtherSectionsAndLines) {
  test::TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir / "b.ini", "[Keep]\n; note\nk=v\n\n[Erase]\na=1\n"));
  {
    TIniFile ini(dir / "b.ini");
    ini.EraseSection("ERASE");
    ini.WriteString("New", "Key", "value");
    ini.WriteBool("Keep", "Flag", true);
    ini.WriteString("keep", "K", "w");
  }
  std::string data;
  ASSERT_TRUE(ReadWholeFile(dir / "b.ini", data));
  EXPECT_EQ(data, "[Keep]\n; note\nk=w\nFlag=1\n\n[New]\nKey=value\n");
  TMemIniFile again(dir / "b.ini");
  EXPECT_TRUE(again.ReadBool("KEEP", "flag", false));
  EXPECT_FALSE(again.SectionExists("Erase"));
}

TEST(IniFiles, FailedWriteIsReported) {
  test::TempDir dir;
  TMemIniFile ini(dir / "no/such/folder/c.ini");
  ini.WriteString("S", "k", "v");
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_TRUE(ini.Modified());
}

}  // namespace
}  // namespace qv
