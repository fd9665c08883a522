// The primary selection through a real X server (Xvfb; skipped without it,
// xdotool or xclip): edits of this process, driven by real X input, against
// other programs. A selection made by mouse or keys is read by xclip, a
// large one in pieces; a middle click inserts what xclip holds, or our own
// selection without asking the server; a PRIMARY owner that never answers
// (the slow owner, stopped) is waited for no longer than a paste waits, and
// nothing is inserted, with the window answering meanwhile. Another
// program's CLIPBOARD stays as it was throughout.
// gtest first: Xlib's macros (None, Bool) clash with its names.
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

#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/controls/SystemControls.h"
#include "platform/ole/PasteText.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "tests/common/XvfbSupport.h"

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

class X11Primary : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "xclip"})
      if (!test::OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    server = std::make_unique<test::Xvfb>();
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    setenv("DISPLAY", server->Display().c_str(), 1);
    desktop = XOpenDisplay(server->Display().c_str());
    ASSERT_TRUE(desktop);
    // Another program holds the CLIPBOARD; nothing here may change that.
    clipboardOwner = StartXclip("clipboard", kClipboardText);
    ASSERT_TRUE(test::WaitFor([&] { return (clipboardWindow = Owner("CLIPBOARD")) != 0; }));
    std::string error;
    backend = OpenX11Backend(&error);
    ASSERT_TRUE(backend) << error;
    RegisterSystemControls();
    top = CreateWindowExW(0, u"STATIC", u"Primary", WS_POPUP | WS_VISIBLE, 50, 50, 400, 160, nullptr, nullptr,
                          nullptr, nullptr);
    line = CreateWindowExW(0, u"EDIT", u"alpha beta g\u00e4mma", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10,
                           10, 380, 24, top, nullptr, nullptr, nullptr);
    memo = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 10, 40, 380,
                           110, top, nullptr, nullptr, nullptr);
    editProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(line, GWLP_WNDPROC));
    SetWindowLongPtrW(line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditWatch));
    ASSERT_TRUE(PumpUntil([&] { return static_cast<X11Backend&>(*backend).IsOnScreen(top); }));
    ASSERT_TRUE(test::Xdo(server->Display(), {"search", "--name", "^Primary$", "windowfocus", "--sync"}));
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == top; }));
    middleHandled = pasteEnded = false;
  }
  void TearDown() override {
    if (top) DestroyWindow(top);
    backend.reset();
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
    std::string command = "DISPLAY=" + server->Display() + " timeout 30 xclip -o -selection " + selection +
                          " -t " + type + " 2>/dev/null";
    std::string out;
    std::atomic<bool> done{false};
    std::thread reader([&] {
      if (FILE* p = popen(command.c_str(), "r")) {
        char buf[65536];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
      }
      done = true;
    });
    PumpUntil([&] { return done.load(); });
    reader.join();
    return out;
  }
  template <typename F>
  bool PumpUntil(F done, DWORD limit = 60000) {
    DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > limit) return false;
      ProcessPendingMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
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

  std::unique_ptr<test::Xvfb> server;
  std::unique_ptr<Backend> backend;
  Display* desktop = nullptr;
  pid_t clipboardOwner = -1, primaryOwner = -1;
  Window clipboardWindow = 0;
  std::vector<std::string> files;
  HWND top = nullptr, line = nullptr, memo = nullptr;
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

TEST_F(X11Primary, AStoppedPrimaryOwnerHoldsNothingUpAndNothingIsInserted) {
  std::string status = "/tmp/qv-primary-owner-" + std::to_string(getpid()) + ".txt";
  files.push_back(status);
  primaryOwner =
      test::StartProgram(QV_SLOW_OWNER_PROGRAM, server->Display().c_str(), {status, "silent", "@PRIMARY"});
  ASSERT_GT(primaryOwner, 0);
  ASSERT_TRUE(test::WaitFor([&] {
    std::ifstream in(status);
    std::string said;
    return std::getline(in, said) && said == "owning";
  }));
  ASSERT_EQ(kill(primaryOwner, SIGSTOP), 0);
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

}  // namespace
}  // namespace qv
