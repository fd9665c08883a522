// The gallery program under openbox on Xvfb while another program holds the
// CLIPBOARD and never answers (the slow owner, stopped with SIGSTOP as a hung
// program is): the name edit's context menu shows at once, and Ctrl+C in the
// edit takes the clipboard at once, the click typed right after it answered
// as promptly. All of it is seen from outside, as the user sees it: the
// server's owner of the clipboard, the popup's window, the check box's
// pixels; then xclip reads the new copy in each of its text types. A middle
// click or Ctrl+V in the edit, with the programs that hold PRIMARY and the
// CLIPBOARD stopped, holds up no click after it either. Skipped when Xvfb,
// openbox, xdotool or xclip is missing.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "demo/gallery/GalleryLayout.h"
#include "tests/common/DndPeer.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xatom.h>
#include <signal.h>
#include <unistd.h>
// clang-format on

#include <cstdio>
#include <fstream>

namespace qv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far below the 5 s a read of another program's clipboard may wait, far
// above what a loaded machine needs to answer a key or a click.
constexpr auto kPrompt = 2000ms;
constexpr COLORREF kHighlight = RGB(10, 36, 106);  // a selection's background

std::string Output(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    int s = pclose(p);
    if (status) *status = s;
  }
  return out;
}

class X11SilentOwner : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xclip"})
      if (!test::OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    server = std::make_unique<test::Xvfb>();
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    wm = std::make_unique<test::Openbox>(server->Display());
    ASSERT_TRUE(wm->Running()) << "openbox did not start";
    d = XOpenDisplay(server->Display().c_str());
    ASSERT_NE(d, nullptr);
    clipboard = XInternAtom(d, "CLIPBOARD", False);
  }
  void TearDown() override {
    if (gallery > 0) {
      kill(gallery, SIGKILL);
      test::Reap(gallery, 10000ms);
    }
    for (pid_t pid : {owner, primaryOwner}) {
      if (pid <= 0) continue;
      kill(pid, SIGKILL);  // also ends a stopped program
      test::Reap(pid, 10000ms);
    }
    if (d) XCloseDisplay(d);
    std::remove(ownerStatus.c_str());
    std::remove(primaryStatus.c_str());
  }

  // The slow owner takes the clipboard and is stopped: it answers nothing,
  // not even what types it offers.
  void StartHungOwner() {
    owner = test::StartProgram(QV_SLOW_OWNER_PROGRAM, server->Display().c_str(), {ownerStatus, "silent"});
    ASSERT_GT(owner, 0);
    ASSERT_TRUE(test::WaitFor([&] { return Said("owning"); }))
        << "the other program did not take the clipboard";
    ownerWindow = XGetSelectionOwner(d, clipboard);
    ASSERT_NE(ownerWindow, 0u);
    ASSERT_EQ(kill(owner, SIGSTOP), 0);
  }
  // The same for PRIMARY, from another program.
  void StartHungPrimaryOwner() {
    primaryOwner = test::StartProgram(QV_SLOW_OWNER_PROGRAM, server->Display().c_str(),
                                      {primaryStatus, "silent", "@PRIMARY"});
    ASSERT_GT(primaryOwner, 0);
    ASSERT_TRUE(test::WaitFor([&] { return Said("owning", primaryStatus); }))
        << "the other program did not take PRIMARY";
    ASSERT_EQ(kill(primaryOwner, SIGSTOP), 0);
  }
  bool Said(const char* line, const std::string& status = {}) {
    std::ifstream in(status.empty() ? ownerStatus : status);
    for (std::string l; std::getline(in, l);)
      if (l == line) return true;
    return false;
  }
  void StartGallery() {
    gallery = test::StartProgram(QV_GALLERY_PROGRAM, server->Display().c_str());
    ASSERT_GT(gallery, 0);
    window = test::WaitForClient(d, "Quirvane gallery");
    ASSERT_NE(window, 0u) << "the gallery did not show its window";
    XWindowAttributes a{};
    XGetWindowAttributes(d, window, &a);
    menuBar = a.height - gallery::kFormClient.cy;
    ASSERT_TRUE(test::WaitFor([&] { return !CheckBox().empty() && CheckBox() == CheckBox(); }));
  }
  // A point of the standard page (its coordinates) on the screen.
  POINT OnScreen(int x, int y) {
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(d, window, DefaultRootWindow(d), gallery::kSheetOrigin.x + x,
                          menuBar + gallery::kSheetOrigin.y + y, &rx, &ry, &child);
    return POINT{rx, ry};
  }
  POINT NameEdit() {
    const RECT& g = gallery::kTextGroup;
    const RECT& e = gallery::kNameEdit;
    return OnScreen(g.left + e.left + 20, g.top + (e.top + e.bottom) / 2);
  }
  POINT CheckBoxPoint() {
    const RECT& g = gallery::kChoiceGroup;
    const RECT& b = gallery::kCheckBox;
    return OnScreen(g.left + b.left + 7, g.top + (b.top + b.bottom) / 2);
  }
  // The pixels of a page rectangle (its coordinates, relative to a group).
  std::vector<uint32_t> Pixels(const RECT& group, const RECT& r) {
    return test::ReadPixels(d, window, gallery::kSheetOrigin.x + group.left + r.left,
                            menuBar + gallery::kSheetOrigin.y + group.top + r.top, r.right - r.left,
                            r.bottom - r.top);
  }
  // The check box's box, where a click shows at once (pressed, then toggled).
  std::vector<uint32_t> CheckBox() {
    const RECT& b = gallery::kCheckBox;
    return Pixels(gallery::kChoiceGroup, RECT{b.left, b.top, b.left + 16, b.bottom});
  }
  int Highlighted() {
    int n = 0;
    for (uint32_t p : Pixels(gallery::kTextGroup, gallery::kNameEdit))
      n += RGB(BYTE(p >> 16), BYTE(p >> 8), BYTE(p)) == kHighlight;
    return n;
  }
  size_t ViewablePopups() { return test::ViewablePopups(d).size(); }
  bool Xdo(const std::vector<std::string>& args) { return test::Xdo(server->Display(), args); }
  static std::string S(long v) { return std::to_string(v); }
  // Another program's read of the clipboard as `type`, through xclip.
  std::string ReadAs(const char* type, int& status) {
    return Output("DISPLAY=" + server->Display() + " timeout 30 xclip -o -selection clipboard -t '" + type +
                      "' 2>/dev/null",
                  &status);
  }

  std::unique_ptr<test::Xvfb> server;
  std::unique_ptr<test::Openbox> wm;
  Display* d = nullptr;
  Atom clipboard = 0;
  std::string ownerStatus = "/tmp/qv-silent-owner-" + std::to_string(getpid()) + ".txt";
  std::string primaryStatus = "/tmp/qv-silent-primary-" + std::to_string(getpid()) + ".txt";
  pid_t owner = -1, primaryOwner = -1, gallery = -1;
  Window ownerWindow = 0, window = 0;
  int menuBar = 0;
};

TEST_F(X11SilentOwner, CtrlCInAnEditAndItsMenuNeverWaitForAHungClipboardOwner) {
  StartHungOwner();
  StartGallery();
  if (HasFatalFailure()) return;
  POINT edit = NameEdit(), box = CheckBoxPoint();

  // The edit's menu shows at once, though the other program never says what it holds.
  size_t popups = ViewablePopups();
  auto pressed = Clock::now();
  ASSERT_TRUE(Xdo({"mousemove", S(edit.x), S(edit.y), "click", "3"}));
  ASSERT_TRUE(test::WaitFor([&] { return ViewablePopups() > popups; })) << "no menu came";
  auto menuShown = Clock::now() - pressed;
  RecordProperty("menu_ms", int(std::chrono::duration_cast<std::chrono::milliseconds>(menuShown).count()));
  EXPECT_LT(menuShown, kPrompt) << "the menu waited for the other program";
  ASSERT_TRUE(Xdo({"key", "Escape"}));
  ASSERT_TRUE(test::WaitFor([&] { return ViewablePopups() == popups; })) << "the menu stayed";

  // The edit's whole text selected, as the edit shows it.
  ASSERT_TRUE(Xdo({"mousemove", S(edit.x), S(edit.y), "click", "1", "key", "ctrl+a"}));
  ASSERT_TRUE(test::WaitFor([&] { return Highlighted() > 20; })) << "the text was not selected";
  ASSERT_EQ(XGetSelectionOwner(d, clipboard), ownerWindow);

  // Ctrl+C and a click on the check box right after it: both are answered at once.
  std::vector<uint32_t> unclicked = CheckBox();
  auto typed = Clock::now();
  ASSERT_TRUE(Xdo({"key", "ctrl+c", "mousemove", S(box.x), S(box.y), "click", "1"}));
  Clock::time_point owned{}, clicked{};
  ASSERT_TRUE(test::WaitFor([&] {
    Window now = XGetSelectionOwner(d, clipboard);
    if (owned == Clock::time_point{} && now != ownerWindow && now != 0) owned = Clock::now();
    if (clicked == Clock::time_point{} && CheckBox() != unclicked) clicked = Clock::now();
    return owned != Clock::time_point{} && clicked != Clock::time_point{};
  })) << "the copy or the click never came through";
  RecordProperty("owned_ms",
                 int(std::chrono::duration_cast<std::chrono::milliseconds>(owned - typed).count()));
  RecordProperty("clicked_ms",
                 int(std::chrono::duration_cast<std::chrono::milliseconds>(clicked - typed).count()));
  EXPECT_LT(owned - typed, kPrompt) << "the copy waited for the other program";
  EXPECT_LT(clicked - typed, kPrompt) << "the click waited behind the copy";

  // Another program reads the new copy, in each type the clipboard offers for text.
  int status = -1;
  std::string types = ReadAs("TARGETS", status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(types.find("text/plain;charset=utf-8"), std::string::npos) << types;
  for (const char* type : {"UTF8_STRING", "text/plain;charset=utf-8", "STRING"}) {
    EXPECT_EQ(ReadAs(type, status), "Quirvane") << type;
    EXPECT_EQ(status, 0) << type;
  }
}

// A middle click, and Ctrl+V, in the name edit while the programs that hold
// PRIMARY and the CLIPBOARD are stopped: the click on the check box right
// after each is answered at once, the paste still on its way.
TEST_F(X11SilentOwner, APasteFromAHungOwnerHoldsUpNothingTheUserDoesNext) {
  StartHungOwner();
  StartHungPrimaryOwner();
  StartGallery();
  if (HasFatalFailure()) return;
  POINT edit = NameEdit(), box = CheckBoxPoint();
  ASSERT_TRUE(Xdo({"mousemove", S(edit.x), S(edit.y), "click", "1"}));
  struct Paste {
    const char* name;
    std::vector<std::string> keys;
  };
  for (const Paste& paste :
       {Paste{"middle_click", {"mousemove", S(edit.x), S(edit.y), "click", "2"}},
        Paste{"ctrl_v", {"mousemove", S(edit.x), S(edit.y), "click", "1", "key", "ctrl+v"}}}) {
    std::vector<uint32_t> before = CheckBox();
    std::vector<std::string> keys = paste.keys;
    for (const std::string& k :
         {std::string("mousemove"), S(box.x), S(box.y), std::string("click"), std::string("1")})
      keys.push_back(k);
    auto start = Clock::now();
    ASSERT_TRUE(Xdo(keys));
    ASSERT_TRUE(test::WaitFor([&] { return CheckBox() != before; }))
        << paste.name << ": the click never came through";
    auto took = Clock::now() - start;
    RecordProperty(std::string(paste.name) + "_then_click_ms",
                   int(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    EXPECT_LT(took, kPrompt) << paste.name << ": the click waited for the other program";
  }
}

}  // namespace
}  // namespace qv
