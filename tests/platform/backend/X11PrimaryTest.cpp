// The primary selection through a real X server (Xvfb; skipped without it,
// xdotool or xclip): edits of this process, driven by real X input, against
// other programs. A selection made by mouse or keys, or by Select All from
// the edit's menu, is read by xclip, a large one in pieces; a middle click
// inserts what xclip holds, or our own selection without asking the server;
// a PRIMARY owner that never answers (the slow owner, stopped) is waited for
// no longer than a paste waits, and nothing is inserted, with the window
// answering meanwhile, also when another program takes PRIMARY meanwhile
// and a middle click reads that one's text. Another program's CLIPBOARD
// stays as it was throughout. gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <signal.h>
#include <unistd.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "platform/ole/PasteText.h"
#include "tests/common/X11WindowTest.h"

namespace qv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kClipboardText = "another program's copy";

std::atomic<bool> middleHandled{false};
std::atomic<bool> pasteEnded{false};  // another program's text came, or its read ended without
Clock::duration middleTook{};
WNDPROC editProc = nullptr;

// Times the edit's handling of a middle click, and notes the end of the read it starts.
LRESULT EditWatch(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PASTETEXT) pasteEnded = true;
  if (m != WM_MBUTTONDOWN) return CallWindowProcW(editProc, h, m, w, l);
  auto start = Clock::now();
  LRESULT r = CallWindowProcW(editProc, h, m, w, l);
  middleTook = Clock::now() - start;
  middleHandled = true;
  return r;
}

class X11Primary : public test::X11WindowTest {
 protected:
  X11Primary() : X11WindowTest({"xdotool", "xclip"}) {}
  void SetUp() override {
    X11WindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    desktop = XOpenDisplay(server->Display().c_str());
    ASSERT_TRUE(desktop);
    // Another program holds the CLIPBOARD; nothing here may change that.
    clipboardOwner = StartXclip("clipboard", kClipboardText);
    ASSERT_TRUE(test::WaitFor([&] { return (clipboardWindow = Owner("CLIPBOARD")) != 0; }));
    ASSERT_NO_FATAL_FAILURE(ShowTop(u"STATIC", nullptr, u"Primary", RECT{50, 50, 450, 210}, true));
    line = CreateWindowExW(0, u"EDIT", u"alpha beta g\u00e4mma", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10,
                           10, 380, 24, top, nullptr, nullptr, nullptr);
    memo = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 10, 40, 380,
                           110, top, nullptr, nullptr, nullptr);
    editProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(line, GWLP_WNDPROC));
    SetWindowLongPtrW(line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditWatch));
    middleHandled = pasteEnded = false;
  }
  void TearDown() override {
    X11WindowTest::TearDown();
    for (pid_t pid : {clipboardOwner, primaryOwner}) {
      if (pid <= 0) continue;
      kill(pid, SIGKILL);  // also ends a stopped program
      test::Reap(pid, 10000ms);
    }
    if (desktop) XCloseDisplay(desktop);
    for (const std::string& file : files) std::remove(file.c_str());
  }
  // The CLIPBOARD is another program's still, with its text.
  void ExpectClipboardUntouched() {
    EXPECT_EQ(Owner("CLIPBOARD"), clipboardWindow);
    EXPECT_EQ(Read("clipboard", "UTF8_STRING"), kClipboardText);
  }

  // xclip holding a selection with `text`, in the foreground so that it can be killed.
  pid_t StartXclip(const char* selection, const std::string& text) {
    std::string file = "/tmp/qv-primary-" + std::to_string(getpid()) + "-" + std::to_string(files.size());
    std::ofstream(file) << text;
    files.push_back(file);
    return test::StartProgram("xclip", server->Display().c_str(), {"-quiet", "-selection", selection, file});
  }
  Window Owner(const char* selection) {
    return XGetSelectionOwner(desktop, XInternAtom(desktop, selection, False));
  }
  // Another program's read of a selection, while our windows run to answer it.
  std::string Read(const char* selection, const char* type) {
    std::string out;
    std::atomic<bool> done{false};
    std::thread reader([&] {
      out = test::XclipRead(server->Display(), selection, type);
      done = true;
    });
    PumpUntil([&] { return done.load(); });
    reader.join();
    return out;
  }
  bool Xdo(const std::vector<std::string>& args) { return test::Xdo(server->Display(), args); }
  // The caret position `pos` of an edit on the screen, half a line down, as xdotool arguments.
  static std::vector<std::string> At(HWND e, int pos) {
    LRESULT p = SendMessageW(e, EM_POSFROMCHAR, WPARAM(pos), 0);
    POINT pt{short(LOWORD(p)), short(HIWORD(p)) + 6};
    ClientToScreen(e, &pt);
    return {"mousemove", std::to_string(pt.x), std::to_string(pt.y)};
  }
  static std::vector<std::string> Then(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
  static std::u16string TextOf(HWND h) {
    std::u16string s(size_t(GetWindowTextLengthW(h)) + 1, u'\0');
    s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
    return s;
  }
  static std::pair<int, int> Sel(HWND e) {
    DWORD a = 0, b = 0;
    SendMessageW(e, EM_GETSEL, WPARAM(&a), LPARAM(&b));
    return {int(a), int(b)};
  }

  Display* desktop = nullptr;
  pid_t clipboardOwner = -1, primaryOwner = -1;
  Window clipboardWindow = 0;
  std::vector<std::string> files;
  HWND line = nullptr, memo = nullptr;
};

TEST_F(X11Primary, ASelectionMadeByMouseOrKeysIsWhatOtherProgramsReadAsPrimary) {
  ASSERT_TRUE(Xdo(Then(Then(At(line, 6), {"mousedown", "1"}), Then(At(line, 10), {"mouseup", "1"}))));
  ASSERT_TRUE(PumpUntil([&] { return Sel(line) == std::make_pair(6, 10) && GetCapture() == nullptr; }));
  EXPECT_EQ(Read("primary", "UTF8_STRING"), "beta");
  ASSERT_TRUE(Xdo({"key", "shift+End"}));
  ASSERT_TRUE(PumpUntil([&] { return Sel(line) == std::make_pair(6, 16); }));
  EXPECT_EQ(Read("primary", "UTF8_STRING"), "beta g\xc3\xa4mma");
  EXPECT_EQ(Read("primary", "STRING"), "beta g\xe4mma");

  // Selected whole, a large text goes in pieces.
  std::string big;
  for (int i = 0; big.size() < 1500000; ++i) big += "row " + std::to_string(i) + " of a long text\n";
  SetWindowTextW(memo, Utf8ToUtf16(big).c_str());
  ASSERT_TRUE(Xdo(Then(At(memo, 0), {"click", "1", "key", "ctrl+a"})));
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == memo && Sel(memo).second == int(big.size()); }));
  std::string read = Read("primary", "UTF8_STRING");
  EXPECT_EQ(read.size(), big.size());
  EXPECT_TRUE(read == big) << "the large selection came in wrong";
  // Going to the start empties the selection, and the primary selection stays.
  ASSERT_TRUE(Xdo({"key", "ctrl+Home"}));
  ASSERT_TRUE(PumpUntil([&] { return Sel(memo) == std::make_pair(0, 0); }));
  EXPECT_EQ(Read("primary", "UTF8_STRING").size(), big.size());
  ExpectClipboardUntouched();
}

TEST_F(X11Primary, AMiddleClickInsertsAnotherProgramsPrimaryAndOurOwnWithoutAskingForIt) {
  primaryOwner = StartXclip("primary", "from elsewhere ");
  ASSERT_TRUE(test::WaitFor([&] { return Owner("PRIMARY") != 0; }));
  ASSERT_TRUE(Xdo(Then(At(line, 6), {"click", "2"})));
  ASSERT_TRUE(PumpUntil([&] { return pasteEnded.load(); }));
  EXPECT_EQ(TextOf(line), u"alpha from elsewhere beta g\u00e4mma");
  EXPECT_EQ(Sel(line), std::make_pair(21, 21));

  // Our own selection: a double click takes the word, and the other program lets PRIMARY go.
  ASSERT_TRUE(Xdo(Then(At(line, 28), {"click", "--repeat", "2", "1"})));
  ASSERT_TRUE(PumpUntil([&] { return Sel(line) == std::make_pair(26, 31) && GetCapture() == nullptr; }));
  EXPECT_NE(test::Reap(primaryOwner, 30000ms), -1) << "xclip kept PRIMARY";
  primaryOwner = -1;
  // Asking the server would put the text in a property of the window holding PRIMARY for us.
  Window ours = Owner("PRIMARY");
  ASSERT_NE(ours, 0u);
  XSelectInput(desktop, ours, PropertyChangeMask);
  XSync(desktop, False);
  ASSERT_TRUE(Xdo(Then(At(memo, 0), {"click", "2"})));
  ASSERT_TRUE(PumpUntil([&] { return TextOf(memo) == u"g\u00e4mma"; }));
  XSync(desktop, False);
  XEvent ev;
  EXPECT_FALSE(XCheckWindowEvent(desktop, ours, PropertyChangeMask, &ev))
      << "our own selection was asked for";
  ExpectClipboardUntouched();
}

// Select All from the edit's own menu is the user's selection as well:
// another program reads it as PRIMARY, which it takes from the program that
// held it; a program's own selection of the whole text left PRIMARY there.
TEST_F(X11Primary, SelectAllFromTheEditsMenuIsWhatOtherProgramsReadAsPrimary) {
  primaryOwner = StartXclip("primary", "from elsewhere");
  Window theirs = 0;
  ASSERT_TRUE(test::WaitFor([&] { return (theirs = Owner("PRIMARY")) != 0; }));
  SetFocus(line);
  SendMessageW(line, EM_SETSEL, 0, -1);
  SendMessageW(line, EM_SETSEL, 3, 3);
  EXPECT_EQ(Owner("PRIMARY"), theirs) << "a program's selection took PRIMARY";
  // A right click, then the item's letter once the menu is on the screen (from
  // another thread, while this one runs the menu).
  std::string failure;
  std::atomic<bool> through{false};
  std::thread user([&] {
    Display* look = XOpenDisplay(server->Display().c_str());
    if (!Xdo(Then(At(line, 3), {"click", "3"})))
      failure = "xdotool failed";
    else if (!test::WaitFor([&] { return !test::ViewablePopups(look).empty(); }))
      failure = "no menu came";
    else if (!Xdo({"key", "a"}))
      failure = "xdotool failed";
    if (!failure.empty()) Xdo({"key", "Escape"});  // a menu left up would hold the test
    XCloseDisplay(look);
    through = true;
  });
  bool selected = PumpUntil([&] { return through && Sel(line) == std::make_pair(0, 16); });
  user.join();
  ASSERT_EQ(failure, "");
  ASSERT_TRUE(selected) << "Select All did not select the text";
  EXPECT_NE(test::Reap(primaryOwner, 30000ms), -1) << "xclip kept PRIMARY";
  primaryOwner = -1;
  EXPECT_EQ(Read("primary", "UTF8_STRING"), "alpha beta g\xc3\xa4mma");
  ExpectClipboardUntouched();
}

TEST_F(X11Primary, AStoppedPrimaryOwnerHoldsNothingUpAndNothingIsInserted) {
  test::StatusProgram owner(QV_SLOW_OWNER_PROGRAM, server->Display(), {"silent", "@PRIMARY"});
  ASSERT_TRUE(owner.AwaitLine("owning"));
  ASSERT_EQ(kill(owner.Pid(), SIGSTOP), 0);
  ASSERT_TRUE(Xdo(Then(At(line, 6), {"click", "2"})));
  ASSERT_TRUE(PumpUntil([&] { return middleHandled.load(); }));
  RecordProperty("middle_click_ms",
                 int(std::chrono::duration_cast<std::chrono::milliseconds>(middleTook).count()));
  // The click is over at once; the read gives a silent owner 5 s, and brings nothing.
  EXPECT_LT(middleTook, 1s);
  ASSERT_TRUE(PumpUntil([&] { return pasteEnded.load(); }, 30000));
  EXPECT_EQ(TextOf(line), u"alpha beta g\u00e4mma");
  ExpectClipboardUntouched();
}

// A middle click while PRIMARY's owner is stopped leaves its read waiting;
// another program takes PRIMARY offering STRING alone, and a middle click in
// the other edit gets that program's text at once: the refusals of the
// types it does not offer are its own read's, never the waiting one's,
// which still brings nothing in the end.
TEST_F(X11Primary, ANewOwnersTextComesAtOnceWhileAReadOfAStoppedOwnerWaits) {
  test::StatusProgram stopped(QV_SLOW_OWNER_PROGRAM, server->Display(), {"silent", "@PRIMARY"});
  ASSERT_TRUE(stopped.AwaitLine("owning"));
  ASSERT_EQ(kill(stopped.Pid(), SIGSTOP), 0);
  ASSERT_TRUE(Xdo(Then(At(line, 6), {"click", "2"})));
  ASSERT_TRUE(PumpUntil([&] { return middleHandled.load(); }));
  test::StatusProgram next(QV_SLOW_OWNER_PROGRAM, server->Display(),
                           {"all", "@PRIMARY", "STRING", "from the next owner"});
  ASSERT_TRUE(next.AwaitLine("owning"));
  auto clicked = Clock::now();
  ASSERT_TRUE(Xdo(Then(At(memo, 0), {"click", "2"})));
  ASSERT_TRUE(PumpUntil([&] { return TextOf(memo) == u"from the next owner" || pasteEnded; }, 30000));
  auto took = Clock::now() - clicked;
  RecordProperty("second_middle_click_ms",
                 int(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  EXPECT_EQ(TextOf(memo), u"from the next owner");
  EXPECT_LT(took, 2s) << "the new owner's text waited for the stopped owner's read";
  EXPECT_GE(next.Said("refused"), 1) << "the new owner was never refused a type";
  ASSERT_TRUE(PumpUntil([&] { return pasteEnded.load(); }, 30000));
  EXPECT_EQ(TextOf(line), u"alpha beta g\u00e4mma");
  ExpectClipboardUntouched();
}

}  // namespace
}  // namespace qv
