// The data tree demo: built headless and checked on pixels and by input (a
// million rows, header sorting, End, check boxes), and the demo program on a
// real X server (Xvfb), read back from the server.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "TreeTestSupport.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/image/Png.h"
#include "platform/window/Input.h"

namespace qv::test {
namespace {

using namespace std::chrono_literals;
using treedemo::TRowData;

class TreeDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    form = treedemo::CreateTreeDemo();
    tree = form->Tree;
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  int Dark(const Surface& s, RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        uint32_t p = s.At(x, y);
        n += PixelR(p) + PixelG(p) + PixelB(p) < 300;
      }
    return n;
  }
  POINT Screen(int x, int y) { return tree->ClientToScreen(POINT{x, y}); }

  HeadlessBackend backend{SIZE{1000, 700}};
  treedemo::TTreeDemoForm* form = nullptr;
  TDataStringTree* tree = nullptr;
};

TEST_F(TreeDemo, AMillionRowsOfWhichOnlyTheShownAreInitialised) {
  EXPECT_EQ(tree->RootNodeCount(), treedemo::kRows);
  int initialised = 0;
  for (PDataNode n = tree->GetFirstNoInit(); n; n = n->NextSibling) initialised += n->Has(vsInitialized);
  EXPECT_GT(initialised, 20);
  EXPECT_LT(initialised, 60);
  Surface shot = backend.Screenshot();
  // Header texts, row texts in every column, and the folder picture of row 0.
  POINT h = Screen(0, 0);
  EXPECT_GT(Dark(shot, RECT{h.x + 2, h.y + 2, h.x + 60, h.y + 15}), 10);
  POINT r = Screen(0, tree->HeaderRect().bottom);
  for (int x : {70, 250, 330, 420, 560, 650})
    EXPECT_GT(Dark(shot, RECT{r.x + x, r.y + 20, r.x + x + 60, r.y + 34}), 5) << x;
  int folder = 0;
  for (int y = r.y; y < r.y + 18; ++y)
    for (int x = r.x + 40; x < r.x + 60; ++x)
      folder += (shot.At(x, y) & 0xFFFFFF) == (PixelRGB(0xF5, 0xC2, 0x4C) & 0xFFFFFF);
  EXPECT_GT(folder, 50);
}

TEST_F(TreeDemo, HeaderClicksSortAndEndReachesTheLastRow) {
  tree->SetRootNodeCount(30000);  // sorting initialises every row: keep it quick
  // Size column: first click ascending, second descending.
  int left, right;
  tree->Header()->Columns()->GetColumnBounds(1, left, right);
  POINT p = Screen(left + 20, 8);
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(tree->Header()->SortColumn(), 1);
  EXPECT_EQ(tree->Header()->SortDirection(), sdAscending);
  uint32_t last = 0;
  int checked = 0;
  for (PDataNode n = tree->GetFirstNoInit(); n && checked < 50; n = n->NextSibling, ++checked) {
    uint32_t size = tree->GetNodeData<TRowData>(n)->Size;
    EXPECT_GE(size, last);
    last = size;
  }
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(tree->Header()->SortDirection(), sdDescending);
  tree->SetFocus();
  backend.KeyPress(VK_END);
  backend.Pump();
  EXPECT_EQ(tree->FocusedNode(), tree->GetLastVisible());
  RECT rr = tree->GetDisplayRect(tree->FocusedNode(), NoColumn, false);
  EXPECT_LE(rr.bottom, tree->ClientHeight());
  EXPECT_GT(rr.bottom, tree->ClientHeight() - 18);
  EXPECT_TRUE(TreeInvariantsHold(*tree));
}

TEST_F(TreeDemo, SpaceChecksAFolderAndItsFiles) {
  tree->SetFocus();
  tree->SetFocusedNode(tree->GetFirst());
  tree->SetExpanded(tree->GetFirst(), true);
  backend.KeyPress(VK_SPACE);
  backend.Pump();
  EXPECT_EQ(tree->CheckState(tree->GetFirst()), csCheckedNormal);
  for (PDataNode c = tree->GetFirstChild(tree->GetFirst()); c; c = c->NextSibling)
    EXPECT_EQ(tree->CheckState(c), csCheckedNormal);
  backend.KeyPress(VK_DOWN);
  backend.KeyPress(VK_SPACE);
  backend.Pump();
  EXPECT_EQ(tree->CheckState(tree->GetFirst()), csMixedNormal);
}

bool OnPath(const char* program) {
  std::string dirs = getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

int Reap(pid_t pid, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(10ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs Xvfb on the first free display number (servers start one at a time).
pid_t StartXvfb(std::string& display) {
  int lock = open("/tmp/qv-test-xvfb.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
  if (lock >= 0) flock(lock, LOCK_EX);
  pid_t server = -1;
  for (int n = 100; n < 1000 && server < 0; ++n) {
    std::string d = ":" + std::to_string(n);
    if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
    pid_t pid = fork();
    if (pid == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1), dup2(null, 2);
      execlp("Xvfb", "Xvfb", d.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    // Ready when its socket exists; gone when the number was taken.
    for (int i = 0; i < 200; ++i) {
      int status;
      if (waitpid(pid, &status, WNOHANG) == pid) break;
      if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))) {
        server = pid;
        display = d;
        break;
      }
      std::this_thread::sleep_for(50ms);
    }
    if (server < 0 && kill(pid, 0) == 0) {
      kill(pid, SIGTERM);
      Reap(pid, 5000ms);
    }
  }
  if (lock >= 0) close(lock);
  return server;
}

TEST(TreeDemoX11, WindowReadBackFromTheServer) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  std::string display;
  pid_t server = StartXvfb(display);
  ASSERT_GT(server, 0) << "Xvfb did not start";
  auto png = std::filesystem::temp_directory_path() / ("qv_tree_demo_" + std::to_string(getpid()) + ".png");
  pid_t demo = fork();
  if (demo == 0) {
    setenv("DISPLAY", display.c_str(), 1);
    execl(QV_TREE_DEMO_PROGRAM, QV_TREE_DEMO_PROGRAM, "--x11-selftest", png.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int rc = Reap(demo, 30000ms);
  kill(server, SIGTERM);
  Reap(server, 5000ms);
  ASSERT_EQ(rc, 0);
  Surface shot;
  ASSERT_TRUE(LoadPngFile(png.string(), shot));
  std::filesystem::remove(png);
  ASSERT_EQ(shot.Width, treedemo::kClient.cx);
  ASSERT_EQ(shot.Height, treedemo::kClient.cy);
  // The header in button face, and text in the first rows.
  EXPECT_EQ(shot.At(100, 5) & 0xFFFFFF, PixelRGB(212, 208, 200) & 0xFFFFFF);
  int dark = 0;
  for (int y = 20; y < 60; ++y)
    for (int x = 100; x < 200; ++x) {
      uint32_t p = shot.At(x, y);
      dark += PixelR(p) + PixelG(p) + PixelB(p) < 300;
    }
  EXPECT_GT(dark, 30);
}

}  // namespace
}  // namespace qv::test
