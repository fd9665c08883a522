// Digit-grouped numbers, elapsed times and the help viewer.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "catalogue/Help.h"
#include "catalogue/Info.h"
#include "catalogue/TextUtils.h"
#include "platform/Files.h"
#include "tests/common/TempDir.h"

namespace qv {
namespace {

using test::TempDir;

TEST(IntToStrSep, GroupsOfThreeFromTheRight) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1 000"},
      {123456, "123 456"},
      {12345678, "12 345 678"},
      {-1234, "-1 234"},
      {INT64_MAX, "9 223 372 036 854 775 807"},
      {INT64_MIN, "-9 223 372 036 854 775 808"},
  };
  for (auto& [v, text] : cases) EXPECT_EQ(IntToStrSep(' ', v), text) << v;
  EXPECT_EQ(IntToStrSep('.', 1000000), "1.000.000");
}

TEST(FormatElapsed, Table) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0s"},
      {5, "0s"},      // 0.5 hundredths: to the even 0
      {15, "0.02s"},  // 1.5 hundredths: to the even 2
      {25, "0.02s"},
      {100, "0.1s"},
      {999, "1s"},
      {1234, "1.23s"},
      {59995, "60s"},  // 99.5 hundredths: to the even 100
      {59985, "59.98s"},
      {60000, "1m 0s"},
      {65000, "1m 5s"},
      {3600000, "1h 0m 0s"},
      {3723450, "1h 2m 3.45s"},
      {90061010, "25h 1m 1.01s"},
      {-5000, "0s"},  // a clock set back
  };
  for (auto& [ms, text] : cases) EXPECT_EQ(FormatElapsed(ms), text) << ms;
}

TEST(Help, PagesLieInTheHelpFolder) {
  EXPECT_EQ(HelpPagePath("a2_04_00.htm"), AppPath() + "help/a2_04_00.htm");
  EXPECT_EQ(HelpPagePath(""), AppPath() + "help/index.htm");
  EXPECT_FALSE(ShowHelp("no_such_topic.htm"));
  EXPECT_FALSE(ShowHelp("../../etc/passwd"));
}

TEST(Help, ViewerIsStartedWithThePage) {
  TempDir dir;
  const std::string viewer = dir / "xdg-open";
  const std::string marker = dir / "opened";
  WriteFileAtomic(viewer, "#!/bin/sh\nprintf '%s' \"$1\" > '" + marker + ".tmp' && mv '" + marker +
                              ".tmp' '" + marker + "'\n");
  ::chmod(viewer.c_str(), 0755);
  WriteFileAtomic(dir / "page.htm", "<html></html>");

  ::setenv("PATH", "/nonexistent", 1);
  UnloadHtmlHelp();
  EXPECT_EQ(GetHHCtrlPath(), "");
  EXPECT_FALSE(OpenHelpPage(dir / "page.htm"));  // no viewer: nothing happens

  ::setenv("PATH", (dir.Path() + ":/bin:/usr/bin").c_str(), 1);
  EXPECT_FALSE(OpenHelpPage(dir / "page.htm")) << "the viewer is looked up once, until unloaded";
  UnloadHtmlHelp();
  LoadHtmlHelp();
  EXPECT_EQ(GetHHCtrlPath(), viewer);
  EXPECT_FALSE(OpenHelpPage(dir / "missing.htm"));
  ASSERT_TRUE(OpenHelpPage(dir / "page.htm"));
  std::string opened;
  for (int i = 0; i < 3000 && !ReadWholeFile(marker, opened); ++i) ::usleep(10000);  // up to 30 s
  EXPECT_EQ(opened, dir / "page.htm");
  UnloadHtmlHelp();
}

}  // namespace
}  // namespace qv
