// "cmake --install" to a prefix of one's own: the program with its schema and
// help pages in one folder, the command on the prefix's bin, and a desktop
// entry that starts that command and names an installed icon.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../common/TempDir.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

TEST(Install, PutsProgramDataEntryAndIconWhereADesktopLooks) {
  TempDir prefix;
  std::string root = prefix.Path() + "usr";
  std::string command = "cmake --install \"" QV_BINARY_DIR "\" --prefix \"" + root + "\" >/dev/null 2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;

  for (const char* file :
       {"lib/quirvane/quirvane", "lib/quirvane/Quirvane.ctx", "lib/quirvane/help/index.htm",
        "lib/quirvane/help/a2_04_00.htm", "share/icons/hicolor/48x48/apps/quirvane.png"})
    EXPECT_TRUE(fs::is_regular_file(root + "/" + file)) << file;
  // The command leads to the program beside its data, which it finds there.
  fs::path bin = root + "/bin/quirvane";
  ASSERT_TRUE(fs::is_symlink(bin));
  EXPECT_EQ(fs::canonical(bin), fs::canonical(root + "/lib/quirvane/quirvane"));

  std::ifstream in(root + "/share/applications/quirvane.desktop");
  std::stringstream entry;
  entry << in.rdbuf();
  EXPECT_NE(entry.str().find("\nExec=" + root + "/bin/quirvane\n"), std::string::npos) << entry.str();
  EXPECT_NE(entry.str().find("\nIcon=quirvane\n"), std::string::npos) << entry.str();
  EXPECT_NE(entry.str().find("\nStartupWMClass=Quirvane\n"), std::string::npos) << entry.str();

  // The installed program answers from its new place.
  status = std::system(("\"" + bin.string() + "\" --version >/dev/null 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace qv::test
