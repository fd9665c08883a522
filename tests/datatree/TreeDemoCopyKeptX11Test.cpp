// Rows the tree demo copied stay on the desktop's clipboard after it ends,
// on an Xvfb server with a clipboard manager of the tests
// (tests/common/manager), as a desktop runs one: the demo program copies
// from a tree's menu with real clicks and keys (xdotool), is closed as the
// window manager closes it, and xclip then reads the rows from the manager.
// The large tree's rows, and the basket's, whose names the form keeps
// (renamed in place): both are rendered as the trees go. Skipped without
// Xvfb, xdotool or xclip.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "demo/tree/TreeDemoForm.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <signal.h>
// clang-format on

namespace qv::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kHeader = "Name\tSize\tType\tModified\tDisc\tFolder\r\n";
// Window coordinates of rows: the tree's under its 17-pixel header, the
// basket's in the bottom 140 pixels, 18 pixels each (inside a 2-pixel frame).
constexpr int kNameX = 60;
int TreeRow(int index) {
  return 28 + 18 * index;
}
int BasketRow(int index) {
  return treedemo::kClient.cy - 140 + 11 + 18 * index;
}

class TreeDemoCopyKept : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "xclip"})
      if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    server = std::make_unique<Xvfb>();
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    d = XOpenDisplay(server->Display().c_str());
    ASSERT_NE(d, nullptr);
    manager =
        std::make_unique<TestClipboardManager>(QV_CLIPBOARD_MANAGER_PROGRAM, server->Display(), "multiple");
    ASSERT_TRUE(manager->Managing()) << "the manager did not start";
    demo = StartProgram(QV_TREE_DEMO_PROGRAM, server->Display().c_str());
    ASSERT_GT(demo, 0);
    ASSERT_TRUE(WaitFor([&] { return (window = FindTop(d, "Quirvane data tree demo")) != 0; }, 60s))
        << "the demo did not show its window";
    // Drawn once its header shows in button face; the keyboard goes to it.
    ASSERT_TRUE(WaitFor([&] {
      std::vector<uint32_t> header = ReadPixels(d, window, 100, 5, 1, 1);
      return !header.empty() && header[0] == 0xD4D0C8;
    }));
    Xdo(server->Display(), {"windowfocus", "--sync", std::to_string(window)});
  }
  void TearDown() override {
    if (demo > 0) {
      kill(demo, SIGKILL);
      Reap(demo, 10000ms);
    }
    manager.reset();
    if (d) XCloseDisplay(d);
  }

  void Click(int y, const char* button = "1", const char* modifier = nullptr) {
    std::vector<std::string> args{"mousemove", "--window", std::to_string(window), std::to_string(kNameX),
                                  std::to_string(y)};
    if (modifier) args.insert(args.end(), {"keydown", modifier});
    args.insert(args.end(), {"click", button});
    if (modifier) args.insert(args.end(), {"keyup", modifier});
    ASSERT_TRUE(Xdo(server->Display(), args));
  }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> args{"key", "--delay", "40"};
    args.insert(args.end(), keys.begin(), keys.end());
    ASSERT_TRUE(Xdo(server->Display(), args));
  }
  // A command of the tree's menu at row y: a right click, the command's letter once the menu is up.
  void Menu(int y, const char* letter) {
    Click(y, "3");
    ASSERT_TRUE(WaitFor([&] { return !ViewablePopups(d).empty(); })) << "no menu";
    Keys({letter});
    ASSERT_TRUE(WaitFor([&] { return ViewablePopups(d).empty(); })) << "the menu stayed";
  }
  std::string ReadClipboard() { return XclipRead(server->Display(), "clipboard", "UTF8_STRING"); }
  // The demo's copy as another program reads it, once it holds `part`.
  std::string Copied(const std::string& part) {
    std::string text;
    EXPECT_TRUE(WaitFor([&] { return (text = ReadClipboard()).find(part) != std::string::npos; }))
        << "not copied: " << text;
    return text;
  }
  // Closes the demo as the window manager asks a window to close; how long it took to end.
  Clock::duration Close() {
    AskToClose(d, window);
    auto start = Clock::now();
    EXPECT_EQ(Reap(demo, 60000ms), 0) << "the demo did not end as asked";
    demo = -1;
    return Clock::now() - start;
  }
  // The copy is the manager's now, whole.
  void ExpectKept(const std::string& copied) {
    ASSERT_TRUE(manager->AwaitLine("answered")) << "the manager was not given the copy";
    EXPECT_EQ(ReadClipboard(), copied);
  }

  std::unique_ptr<Xvfb> server;
  ::Display* d = nullptr;
  Window window = 0;
  std::unique_ptr<TestClipboardManager> manager;
  pid_t demo = -1;
};

TEST_F(TreeDemoCopyKept, TheTreesCopiedRowsArePastedAfterTheDemoEnds) {
  Click(TreeRow(1));
  Click(TreeRow(3), "1", "shift");
  Menu(TreeRow(2), "c");
  std::string copied = Copied("File 3.dat");
  EXPECT_EQ(copied.rfind(kHeader, 0), 0u) << copied;
  EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 4) << copied;
  auto took = Close();
  RecordProperty("close_ms", int(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  ExpectKept(copied);
}

TEST_F(TreeDemoCopyKept, TheBasketsRenamedRowsArePastedAfterTheDemoEnds) {
  // Three rows copied into the basket; its first renamed in place (F2), then all copied.
  Click(TreeRow(1));
  Click(TreeRow(3), "1", "shift");
  Menu(TreeRow(2), "c");
  Copied("File 3.dat");
  Menu(BasketRow(5), "p");
  Click(BasketRow(0));
  Keys({"F2"});
  Xdo(server->Display(), {"type", "--delay", "20", "kept name"});
  Keys({"Return", "Home", "shift+End"});
  Menu(BasketRow(1), "c");
  std::string copied = Copied("kept name\r\nFile 2.dat");
  EXPECT_NE(copied.find("File 3.dat"), std::string::npos) << copied;
  Close();
  ExpectKept(copied);
}

}  // namespace
}  // namespace qv::test
