// Rows copied in the real program stay on the desktop's clipboard after it
// ends, on an Xvfb server with a clipboard manager of the tests
// (tests/common/manager) as a desktop runs one: a search result copied with
// Ctrl+C (real key events), the program closed as the window manager closes
// it, and the row read with xclip from the manager. Skipped without Xvfb,
// xdotool or xclip.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "catalogue/Engine.h"
#include "tests/common/DndPeer.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <signal.h>
// clang-format on

#include <fstream>

namespace qv::test {
namespace {

constexpr std::chrono::milliseconds kPatience = 30000ms;
// The search view's entry rows (a place a found name lies in) are tinted so;
// a selected row in the focused view shows the classic scheme's highlight.
constexpr uint32_t kEntryRow = 0xE6FFD2;
constexpr uint32_t kHighlight = 0x0A246A;

// A catalogue named `name` in `folder` holding one disc, the files of `files`.
void MakeCatalogue(const std::string& folder, const std::string& name, const std::string& files) {
  RecordingHost host;
  host.folder = folder;
  TEngine engine(host, std::string(QV_BINARY_DIR) + "/app/");
  ASSERT_TRUE(engine.NewDatabase("", name));
  TScanOpts scan;
  scan.IncludeFiles = true;
  scan.Path = files;
  TDiscData disc;
  disc.Label = u"Kept";
  engine.AddDisc(scan, disc);
  ASSERT_EQ(engine.Discs->Count(), 1);
  ASSERT_TRUE(engine.CloseDatabase());
}

class CopyKept : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "xclip"})
      if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    server = std::make_unique<Xvfb>("1280x1024x24");
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    d = XOpenDisplay(server->Display().c_str());
    ASSERT_NE(d, nullptr);
  }
  void TearDown() override {
    if (program > 0) {
      kill(program, SIGKILL);
      Reap(program, 10000ms);
    }
    manager.reset();
    if (d) XCloseDisplay(d);
  }

  void StartManager() {
    manager =
        std::make_unique<TestClipboardManager>(QV_CLIPBOARD_MANAGER_PROGRAM, server->Display(), "multiple");
    ASSERT_TRUE(manager->Managing()) << "the manager did not start";
  }
  // The program on a catalogue of `folder` that it opens at its start; its main window.
  Window Launch(const std::string& folder) {
    const std::string bases = data.Path() + "Quirvane/Bases/";
    std::filesystem::create_directories(bases);
    MakeCatalogue(bases, "Kept", folder);
    std::filesystem::create_directories(config / "Quirvane");
    std::ofstream(config / "Quirvane/Quirvane.ini") << "[MAINFORM]\nBase=" << bases << "\nPass=0\n";
    program = StartProgram(QV_PROGRAM, server->Display().c_str(), {},
                           {{"XDG_CONFIG_HOME", config.Path()}, {"XDG_DATA_HOME", data.Path()}});
    return program > 0 ? WaitForClient(d, " Velmora Quirvane  - [ Kept ]", kPatience) : 0;
  }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> args{"key", "--delay", "40"};
    args.insert(args.end(), keys.begin(), keys.end());
    Xdo(server->Display(), args);
  }
  // The window's row (window coordinates) of the first pixel of `colour` in
  // column x, -1 while there is none.
  int RowOf(Window w, int x, uint32_t colour) {
    XWindowAttributes a{};
    Window child;
    int left = 0, top = 0;
    if (!XGetWindowAttributes(d, w, &a) ||
        !XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &left, &top, &child))
      return -1;
    std::vector<uint32_t> column = ReadPixels(d, DefaultRootWindow(d), left + x, top, 1, a.height);
    for (size_t y = 0; y < column.size(); ++y)
      if ((column[y] & 0xFFFFFF) == colour) return int(y);
    return -1;
  }
  std::string ReadClipboard() { return XclipRead(server->Display(), "clipboard", "UTF8_STRING"); }

  std::unique_ptr<Xvfb> server;
  ::Display* d = nullptr;
  TempDir config, data, files;
  std::unique_ptr<TestClipboardManager> manager;
  pid_t program = -1;
};

TEST_F(CopyKept, ASearchResultCopiedWithCtrlCIsPastedAfterTheProgramEnds) {
  const std::string disc = files.Path() + "disc";
  std::filesystem::create_directories(disc + "/docs");
  std::ofstream(disc + "/docs/r\u00e9sum\u00e9.txt") << "contents";
  StartManager();
  Window main = Launch(disc);
  ASSERT_NE(main, 0u) << "the program did not open its catalogue";

  // F7 opens the search page; "*.txt" in its file mask, Enter.
  Xdo(server->Display(), {"windowfocus", "--sync", std::to_string(main)});
  Keys({"F7"});
  Xdo(server->Display(), {"mousemove", "--window", std::to_string(main), "103", "117", "click", "1"});
  // No hint balloon over the rows: the pointer rests in a corner.
  Xdo(server->Display(), {"mousemove", "1279", "1023"});
  Keys({"End", "shift+Home"});
  Xdo(server->Display(), {"type", "--delay", "20", "*.txt"});
  Keys({"Return"});
  // The found name's one place: a click selects it (and focuses the view),
  // Ctrl+C copies it. On a busy machine the row shows before the search is
  // over, and a click then does not stay: the row is clicked until it shows
  // selected, each time at another place, so that no two clicks make a
  // double click (which opens the result in the browser).
  int row = -1;
  ASSERT_TRUE(WaitFor([&] { return (row = RowOf(main, 300, kEntryRow)) >= 0; }, kPatience))
      << "nothing found";
  auto selected = [&] { return RowOf(main, 300, kHighlight) == row; };
  int clicks = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        std::string x = std::to_string(300 + 40 * (clicks++ % 2));
        Xdo(server->Display(),
            {"mousemove", "--window", std::to_string(main), x, std::to_string(row + 4), "click", "1"});
        return WaitFor(selected, 2000ms);
      },
      kPatience))
      << "the row was not selected";
  Keys({"ctrl+c"});
  std::string copied;
  ASSERT_TRUE(WaitFor(
      [&] { return (copied = ReadClipboard()).find("docs/r\u00e9sum\u00e9.txt") != std::string::npos; },
      kPatience))
      << "the row was not copied: " << copied;

  AskToClose(d, main);
  EXPECT_EQ(Reap(program, kPatience), 0) << "the program did not end as asked";
  program = -1;
  ASSERT_TRUE(manager->AwaitLine("answered")) << "the manager was not given the copy";
  EXPECT_EQ(ReadClipboard(), copied);
}

}  // namespace
}  // namespace qv::test
