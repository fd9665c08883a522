// The general routines: words, the small section reader, percent sums,
// strict and lenient number reading and folder names.
#include <gtest/gtest.h>

#include "platform/Exception.h"
#include "skin/skUtils.h"

namespace qv {
namespace {

TEST(SkinUtils, WordsAndStrings) {
  EXPECT_EQ(WordCount("a//b\\c", "/\\"), 3);
  EXPECT_EQ(ExtractWord(2, "a//b\\c", "/\\"), "b");
  EXPECT_EQ(WordPosition(3, "a//b\\c", "/\\"), 6);
  EXPECT_EQ(WordPosition(4, "a//b\\c", "/\\"), 0);
  EXPECT_EQ(ExtractWord(9, "a b", " "), "");
  EXPECT_EQ(MakeStr('x', 3), "xxx");
  EXPECT_EQ(MakeStr('x', 0), "");
  EXPECT_EQ(DelChars("a b c", ' '), "abc");
  EXPECT_TRUE(IsEmptyStr("", " "));
  EXPECT_TRUE(IsEmptyStr("  ", " "));
  EXPECT_FALSE(IsEmptyStr(" a", " "));
}

TEST(SkinUtils, NumbersAndRectangles) {
  EXPECT_EQ(Limit255(300), 255);
  EXPECT_EQ(Limit255(-4), 0);
  EXPECT_EQ(SumPercent(50, 20), 60);
  EXPECT_EQ(SumPercent(1, 50), 50);  // 50.5 rounds to even
  EXPECT_TRUE(RectInRect(RECT{0, 0, 10, 10}, RECT{0, 0, 11, 11}));
  EXPECT_FALSE(RectInRect(RECT{0, 0, 10, 10}, RECT{0, 0, 12, 11}));
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_THROW(StrToInt("12a"), EConvertError);
  EXPECT_THROW(StrToInt("99999999999"), EConvertError);
  EXPECT_EQ(IniStrToInt("0x10", 7), 16);
  EXPECT_EQ(IniStrToInt("zz", 7), 7);
  EXPECT_DOUBLE_EQ(StrToFloatDot("1.5", 0), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloatDot("1,5", -1), -1);
}

TEST(SkinUtils, SectionsReader) {
  TSkSections s;
  StringsToSections({"ignored", "[A]", "; comment", "", "K=v=w", "N=0x1F", "M=017", "H=0x", "[B]", "K=2"}, s);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(ReadSectionValue(s, "A", "d", "K"), "v=w");
  EXPECT_EQ(ReadSectionValue(s, "A", "d", "Z"), "d");
  EXPECT_EQ(ReadSectionInt(s, "A", -1, "N"), 31);
  EXPECT_EQ(ReadSectionInt(s, "A", -1, "M"), 17);
  EXPECT_EQ(ReadSectionInt(s, "A", -1, "H"), -1);
  EXPECT_EQ(ReadSectionInt(s, "B", -1, "K"), 2);
}

TEST(SkinUtils, FolderNamesEndInASlash) {
  EXPECT_EQ(NormalizeDir(""), "");
  EXPECT_EQ(NormalizeDir("/data/"), "/data/");
  EXPECT_EQ(NormalizeDir("/data\\"), "/data/");
  EXPECT_EQ(NormalizeDir("skins"), "skins/");
}

}  // namespace
}  // namespace qv

#include "classlib/graphics/Icon.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/gdi/Icons.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

TEST(SkinUtils, ShellIconsOnlyForFilesThatExist) {
  HeadlessBackend backend{SIZE{64, 64}};
  test::TempDir dir;
  const std::string file = dir / "a.txt";
  std::FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_TRUE(f);
  std::fclose(f);
  UINT asked = 99;
  ShellIconSource = [&](const std::string&, UINT flags) {
    asked = flags;
    return CreateIconFromPixels(Surface(16, 16, 0xFF336699u));
  };
  EXPECT_EQ(GetShellIcon(dir / "missing.txt", 0), nullptr);
  auto icon = GetShellIcon(file, 1);
  ASSERT_TRUE(icon);
  EXPECT_EQ(asked, 1u);
  EXPECT_EQ(icon->Width(), 16);
  ShellIconSource = nullptr;
  EXPECT_EQ(GetShellIcon(file, 0), nullptr);
}

}  // namespace
}  // namespace qv
