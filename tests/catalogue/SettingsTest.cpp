// The settings store (sections, first-run keys, misuse) and the version
// information.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "Version.h"
#include "catalogue/Info.h"
#include "catalogue/Settings.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

using test::TempDir;

std::string Text(const std::string& path) {
  std::string data;
  ReadWholeFile(path, data);
  return data;
}

TEST(Settings, FirstRunAndBuildKeys) {
  TempDir dir;
  const std::string file = dir / "q.ini";
  std::string build;
  {
    TStorage s(file, true);
    EXPECT_TRUE(s.FirstRun);
    EXPECT_TRUE(s.NewBuild);
    build = s.Build;
    EXPECT_FALSE(FileExists(file));  // reading writes nothing
  }
  EXPECT_EQ(Text(file), "[GENERAL]\nBuild" + build + "=0\nFirst=0\n");
  TStorage again(file, true);
  EXPECT_FALSE(again.FirstRun);
  EXPECT_FALSE(again.NewBuild);
}

TEST(Settings, DefaultFileLiesInTheUserConfigFolder) {
  TempDir dir;
  ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
  {
    TStorage s("", true);
    EXPECT_EQ(s.FileName, "Quirvane.ini");
    EXPECT_EQ(s.SettingsFile(), dir / "Quirvane/Quirvane.ini");
    EXPECT_EQ(s.AppPath, AppPath());
  }
  EXPECT_TRUE(FileExists(dir / "Quirvane/Quirvane.ini"));  // the folder is made when needed

  ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  ::setenv("HOME", dir.Path().c_str(), 1);
  EXPECT_EQ(SettingsFolder(), dir / ".config/Quirvane/");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(DefaultDatabaseFolder(), dir / ".local/share/Quirvane/Bases/");
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  EXPECT_EQ(DefaultDatabaseFolder(), dir / "data/Quirvane/Bases/");
}

TEST(Settings, WritingASectionReplacesItWhole) {
  TempDir dir;
  TStorage s(dir / "q.ini", true);
  s.Open("MAINFORM", true);
  s.WriteInteger("CH", 120);
  s.WriteString("Base", "/data/bases/");
  s.WriteBool("Pass", true);
  s.Close();
  s.Open("OTHER", true);
  s.WriteString("Keep", "me");
  s.Close();

  s.Open("mainform", false);  // sections and keys ignore case
  EXPECT_EQ(s.ReadInteger("ch", 0), 120);
  EXPECT_EQ(s.ReadString("BASE", ""), "/data/bases/");
  EXPECT_TRUE(s.ReadBool("Pass", false));
  EXPECT_EQ(s.ReadString("Missing", "def"), "def");
  s.Close();

  s.Open("MAINFORM", true);
  s.WriteInteger("CH", 7);
  s.Close();
  s.Open("MAINFORM", false);
  EXPECT_EQ(s.ReadString("Base", "gone"), "gone");
  EXPECT_EQ(s.ReadInteger("CH", 0), 7);
  s.Close();
  s.Open("OTHER", false);
  EXPECT_EQ(s.ReadString("Keep", ""), "me");
  s.Close();
}

TEST(Settings, AKeptFileIsNeverWritten) {
  TempDir dir;
  const std::string file = dir / "q.ini";
  {
    TStorage owner(file, true);
    owner.Open("MAINFORM", true);
    owner.WriteString("Base", "/data/Test/");
    owner.Close();
  }
  const std::string before = Text(file);
  {
    TStorage turnedAway(file, true);
    turnedAway.KeepFile = true;
    turnedAway.Open("MAINFORM", true);
    turnedAway.WriteString("Base", "");
    turnedAway.Close();
    turnedAway.Open("DISCFORM", true);
    turnedAway.WriteInteger("C00", 5);
    turnedAway.Close();
  }
  EXPECT_EQ(Text(file), before);
}

TEST(Settings, MisuseIsAnAssertion) {
  TempDir dir;
  TStorage s(dir / "q.ini", true);
  EXPECT_FALSE(s.IsOpen());
  EXPECT_THROW(s.Close(), EAssertionFailed);
  EXPECT_THROW(s.ReadInteger("A", 0), EAssertionFailed);
  EXPECT_THROW(s.WriteString("A", "x"), EAssertionFailed);
  s.Open("A", false);
  EXPECT_TRUE(s.IsOpen());
  EXPECT_EQ(s.Section, "A");
  EXPECT_THROW(s.Open("B", false), EAssertionFailed);
  s.Close();
  EXPECT_EQ(s.Section, "");
}

TEST(Settings, DestroyingWithASectionOpenStillWritesGeneral) {
  TempDir dir;
  {
    TStorage s(dir / "q.ini", true);
    s.Open("LEFT", true);
    s.WriteInteger("V", 1);
  }
  TStorage again(dir / "q.ini", true);
  EXPECT_FALSE(again.FirstRun);
  again.Open("LEFT", false);
  EXPECT_EQ(again.ReadInteger("V", 0), 1);
  again.Close();
}

TEST(Info, SplitsTheFileVersion) {
  TInfo info;
  info.SetVersion("1.2.3.4", "Comments here");
  EXPECT_EQ(info.Major, "1");
  EXPECT_EQ(info.Minor, "2");
  EXPECT_EQ(info.Release, "3");
  EXPECT_EQ(info.Build, "4");
  EXPECT_EQ(info.VersionText(), "1.2.4 Comments here");
  info.SetVersion("5,6,7,8", "");  // "," separates when there is no "."
  EXPECT_EQ(info.Release, "7");
  EXPECT_EQ(info.Build, "8");
  info.SetVersion("5,6.7", "");  // else "." does
  EXPECT_EQ(info.Major, "5,6");
  info.SetVersion("1.2.3.4.5", "");
  EXPECT_EQ(info.Build, "4.5");  // the build part is the rest
  info.SetVersion("1.2", "");
  EXPECT_EQ(info.Minor, "2");
  EXPECT_EQ(info.Build, "");
  for (const char* none : {"", "12"}) {
    info.SetVersion(none, "c");
    EXPECT_EQ(info.Major, TInfo::kNotAvailable);
    EXPECT_EQ(info.Build, TInfo::kNotAvailable);
  }
}

TEST(Info, OnlyTheProgramFileHasAVersionBlock) {
  TInfo info;
  EXPECT_EQ(info.Major, std::to_string(QV_VERSION_MAJOR));
  EXPECT_EQ(info.Minor, std::to_string(QV_VERSION_MINOR));
  EXPECT_EQ(info.Build, std::to_string(QV_VERSION_PATCH));
  EXPECT_EQ(info.VersionText().substr(0, std::string(QV_VERSION_TEXT).size() + 1),
            std::string(QV_VERSION_TEXT) + " ");
  EXPECT_EQ(info.Title, "Quirvane");
  EXPECT_EQ(info.ExeFolder, ExtractFilePath(ProgramFile()));

  TempDir dir;
  WriteFileAtomic(dir / "other", "x");
  info.ReadVersion(dir / "other");
  for (auto* v : {&info.FileVersion, &info.Comments, &info.Major, &info.Minor, &info.Release, &info.Build})
    EXPECT_EQ(*v, "<info not available>");
}

TEST(Info, ProgramFacts) {
  EXPECT_EQ(AppName(), "Quirvane");
  ASSERT_FALSE(AppPath().empty());
  EXPECT_EQ(AppPath().back(), '/');
  EXPECT_TRUE(FileExists(ProgramFile()));
}

}  // namespace
}  // namespace qv
