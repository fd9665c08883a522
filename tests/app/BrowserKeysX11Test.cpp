// The browser page from the keyboard in the real program under openbox on an
// Xvfb server, with real X key events (skipped when Xvfb, openbox or xdotool
// is missing): a folder added as a disc and opened from the Discs page by
// keys (Discs, Browse), then Tab and Shift+Tab through the category tree, the
// folder tree and the file list, each showing the focus, a folder chosen with
// the arrows and a file selected, read back as the file list copies it.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
#include <signal.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/DndPeer.h"
#include "tests/common/SelectionReader.h"
#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"

namespace qv::test {
namespace {

constexpr std::chrono::milliseconds kPatience = 30000ms;
// The classic scheme's highlight: a selection in a focused view, and only there.
constexpr uint32_t kHighlight = 0x0A246A;
// The tint of the disc list's first row.
constexpr uint32_t kDiscRow = 0xFFF5E6;

enum Pane { kCategories, kFolders, kFiles };
const char* const kPaneNames[] = {"the category tree", "the folder tree", "the file list"};

class BrowserKeys {
 public:
  explicit BrowserKeys(const std::string& display) : display_(display) {}
  ~BrowserKeys() {
    if (d_) XCloseDisplay(d_);
    if (program_ > 0) {
      kill(program_, SIGTERM);
      Reap(program_, 10000ms);
    }
  }
  bool Open() { return (d_ = XOpenDisplay(display_.c_str())) != nullptr; }
  void Launch(const TempDir& config, const TempDir& data) {
    program_ = StartProgram(QV_PROGRAM, display_.c_str(), {},
                            {{"XDG_CONFIG_HOME", config.Path()}, {"XDG_DATA_HOME", data.Path()}});
  }
  Window Wait(const char* title) { return program_ > 0 ? WaitForClient(d_, title, kPatience) : 0; }
  bool Gone(const char* title) {
    return WaitFor([&] { return FindClient(d_, title) == 0; }, kPatience);
  }
  void Focus(Window w) { Xdo(display_, {"windowfocus", "--sync", std::to_string(w)}); }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> args{"key", "--delay", "40"};
    args.insert(args.end(), keys.begin(), keys.end());
    Xdo(display_, args);
  }
  void Type(const std::string& text) { Xdo(display_, {"type", "--delay", "20", text}); }

  // The main window's pixels as 0xRRGGBB, row by row, and its width.
  std::vector<uint32_t> Pixels(Window main, int& width) {
    XWindowAttributes a{}, root{};
    Window child;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(d_, main, &a) || !XGetWindowAttributes(d_, DefaultRootWindow(d_), &root) ||
        !XTranslateCoordinates(d_, main, DefaultRootWindow(d_), 0, 0, &x, &y, &child) || x < 0 || y < 0)
      return {};
    width = std::min(a.width, root.width - x);
    return ReadPixels(d_, DefaultRootWindow(d_), x, y, width, std::min(a.height, root.height - y));
  }
  int Count(Window main, uint32_t colour) {
    int width = 0, n = 0;
    for (uint32_t p : Pixels(main, width)) n += (p & 0xFFFFFF) == colour;
    return n;
  }
  // How many highlight pixels each pane of the page shows in the main
  // window: the design's widths (201 and 217 pixels at 96 dpi) part them.
  std::array<int, 3> Highlights(Window main) {
    std::array<int, 3> n{};
    int width = 0;
    std::vector<uint32_t> px = Pixels(main, width);
    for (size_t i = 0; i < px.size(); ++i)
      if ((px[i] & 0xFFFFFF) == kHighlight) {
        const int at = int(i % size_t(width));
        ++n[at < 170 ? kCategories : at < 330 ? kFolders : kFiles];
      }
    return n;
  }
  // Waits until only `pane` shows the focused highlight; false (with what
  // was seen) when that does not come.
  bool FocusShownIn(Window main, Pane pane, std::string& seen) {
    std::array<int, 3> n{};
    bool ok = WaitFor(
        [&] {
          n = Highlights(main);
          return n[pane] > 40 && n[(pane + 1) % 3] == 0 && n[(pane + 2) % 3] == 0;
        },
        kPatience);
    seen = "highlight pixels: " + std::to_string(n[0]) + " in the category tree, " + std::to_string(n[1]) +
           " in the folder tree, " + std::to_string(n[2]) + " in the file list";
    return ok;
  }

 private:
  std::string display_;
  ::Display* d_ = nullptr;
  pid_t program_ = -1;
};

void Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TEST(BrowserKeysOnTheDesktop, TabGoesRoundThePageAndTheArrowsChooseAFolderAndAFile) {
  for (const char* tool : {"Xvfb", "openbox", "xdotool"})
    if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
  Xvfb server("1280x1024x24");
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  Openbox wm(server.Display());
  ASSERT_TRUE(wm.Running()) << "openbox did not start";
  BrowserKeys ui(server.Display());
  ASSERT_TRUE(ui.Open());
  // No hint balloon over the page: the pointer rests in a corner.
  Xdo(server.Display(), {"mousemove", "1279", "1023"});
  TempDir config, data, files;
  const std::string disc = files.Path() + "disc";
  for (const char* f :
       {"/readme.txt", "/docs/manual.txt", "/docs/sub/deep.txt", "/music/song.mp3", "/music/cover.png"}) {
    std::filesystem::create_directories(std::filesystem::path(disc + f).parent_path());
    std::ofstream(disc + f) << "contents";
  }
  ui.Launch(config, data);

  Window dialog = ui.Wait(" New database");
  ASSERT_NE(dialog, 0u) << "the program did not start";
  ui.Focus(dialog);
  ui.Type("Keys");
  ui.Keys({"Return"});
  Window main = ui.Wait(" Velmora Quirvane  - [ Keys ]");
  ASSERT_NE(main, 0u) << "no catalogue was made";

  // F9: the wizard, the folder chosen in its tree by typed names (as the
  // first session's test does), then Start.
  ui.Focus(main);
  ui.Keys({"F9"});
  Window wizard = ui.Wait("Adding disc");
  ASSERT_NE(wizard, 0u) << "no wizard";
  ui.Focus(wizard);
  ui.Type("Fixture");
  ui.Keys({"Return", "space", "Tab", "Home", "Right"});
  std::stringstream path(disc);
  for (std::string part; std::getline(path, part, '/');) {
    if (part.empty()) continue;
    ui.Keys({"Right"});
    Pause(2500);  // past the tree's type-ahead pause: a new search
    ui.Type(part);
  }
  Pause(300);
  ui.Keys({"Return"});
  Pause(300);
  ui.Keys({"Return"});
  ASSERT_TRUE(ui.Gone("Adding disc")) << "the wizard stayed";

  // The Discs page, once it lists the new disc (a tinted row): the category
  // tree has the focus; Tab to the disc list, Down selects the disc there,
  // and Discs, Browse opens it.
  ui.Focus(main);
  std::string seen;
  ASSERT_TRUE(WaitFor([&] { return ui.Count(main, kDiscRow) > 1000; }, kPatience)) << "no disc listed";
  ASSERT_TRUE(ui.FocusShownIn(main, kCategories, seen)) << "the Discs page: " << seen;
  ui.Keys({"Tab", "Down"});
  ASSERT_TRUE(WaitFor([&] { return ui.Highlights(main)[2] > 1000; }, kPatience)) << "no disc row selected";
  // The menu's loop reads the mnemonic after the keys that open it.
  ui.Keys({"alt+d", "b"});

  // The browser page: the focus is on its first control, the category tree
  // with the browsed disc selected; Tab goes round, Shift+Tab back.
  EXPECT_TRUE(ui.FocusShownIn(main, kCategories, seen)) << "after Browse: " << seen;
  const Pane forward[] = {kFolders, kFiles, kCategories, kFolders};
  for (Pane p : forward) {
    ui.Keys({"Tab"});
    EXPECT_TRUE(ui.FocusShownIn(main, p, seen)) << "Tab to " << kPaneNames[p] << ": " << seen;
  }
  const Pane backward[] = {kCategories, kFiles, kFolders};
  for (Pane p : backward) {
    ui.Keys({"shift+Tab"});
    EXPECT_TRUE(ui.FocusShownIn(main, p, seen)) << "Shift+Tab to " << kPaneNames[p] << ": " << seen;
  }

  // In the folder tree (the disc's root selected): Down to "docs", Down to
  // "music"; Tab to the file list (".." first), Down past "cover.png" to
  // "song.mp3"; Ctrl+C copies the selected rows under the column titles.
  ui.Keys({"Down", "Down", "Tab"});
  EXPECT_TRUE(ui.FocusShownIn(main, kFiles, seen)) << "Tab to the file list: " << seen;
  ui.Keys({"Down", "Down", "ctrl+c"});
  SelectionReader reader(server.Display());
  ASSERT_TRUE(reader.Open());
  std::vector<std::string> lines;
  EXPECT_TRUE(WaitFor(
      [&] {
        std::stringstream copied(reader.Read("CLIPBOARD", "UTF8_STRING").bytes);
        lines.clear();
        for (std::string line; std::getline(copied, line);) lines.push_back(line);
        return lines.size() == 2 && lines[1].rfind("song.mp3\tAudio\t", 0) == 0;
      },
      kPatience))
      << "copied: " << (lines.empty() ? "nothing" : lines.back()) << " (" << lines.size() << " lines)";
}

}  // namespace
}  // namespace qv::test
