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
#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <signal.h>
// clang-format on

#include <cstdio>
#include <fstream>

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
    manager = StartProgram(QV_CLIPBOARD_MANAGER_PROGRAM, server->Display().c_str(), {status, "multiple"});
    ASSERT_GT(manager, 0);
    ASSERT_TRUE(WaitFor([&] { return Said("managing"); })) << "the manager did not start";
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
    for (pid_t pid : {demo, manager})
      if (pid > 0) {
        kill(pid, SIGKILL);
        Reap(pid, 10000ms);
      }
    if (d) XCloseDisplay(d);
  }

  bool Said(const std::string& line) {
    std::ifstream in(status);
    for (std::string l; std::getline(in, l);)
      if (l == line) return true;
    return false;
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
  std::string ReadClipboard() {
    std::string out;
    std::string command = "DISPLAY=" + server->Display() +
                          " timeout 30 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null";
    if (FILE* p = popen(command.c_str(), "r")) {
      char buf[65536];
      for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
      pclose(p);
    }
    return out;
  }
  // The demo's copy as another program reads it, once it holds `part`.
  std::string Copied(const std::string& part) {
    std::string text;
    EXPECT_TRUE(WaitFor([&] { return (text = ReadClipboard()).find(part) != std::string::npos; }))
        << "not copied: " << text;
    return text;
  }
  // Closes the demo as the window manager asks a window to close; how long it took to end.
  Clock::duration Close() {
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, window, False, 0, &close);
    XFlush(d);
    auto start = Clock::now();
    EXPECT_EQ(Reap(demo, 60000ms), 0) << "the demo did not end as asked";
    demo = -1;
    return Clock::now() - start;
  }
  // The copy is the manager's now, whole.
  void ExpectKept(const std::string& copied) {
    ASSERT_TRUE(WaitFor([&] { return Said("answered"); })) << "the manager was not given the copy";
    EXPECT_EQ(ReadClipboard(), copied);
  }

  std::unique_ptr<Xvfb> server;
  ::Display* d = nullptr;
  Window window = 0;
  TempDir dir;
  std::string status = dir.Path() + "manager.txt";
  pid_t manager = -1, demo = -1;
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
