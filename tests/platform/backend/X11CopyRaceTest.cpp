// Ctrl+C in an edit in the very instant another program takes the CLIPBOARD,
// through a real X server (Xvfb, skipped when it or xdotool is missing). The
// other program is a second X client of the test's own, on a thread that
// spins until the edit handles the key and then claims at once: in half the
// rounds either claim may reach the server first, in the other half the
// other's comes first, its notice that we lost the older copy still unread
// when we claim. Whoever the server names as the owner afterwards, the
// clipboard works: when it is us, another program gets the types and the
// text of this very copy, and our own Ctrl+V pastes it.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <poll.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "tests/common/SelectionAnswer.h"
#include "tests/common/SelectionReader.h"
#include "tests/common/X11WindowTest.h"

namespace qv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The other program: claims the CLIPBOARD from a window of its own the
// moment it is told to. In between it
// answers every request for its clipboard at once, with nothing.
class Rival {
 public:
  explicit Rival(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
    if (!d_) return;
    w_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(d_, "CLIPBOARD", False);
    XSync(d_, False);
    thread_ = std::thread([this] { Run(); });
  }
  ~Rival() {
    quit_ = true;
    if (thread_.joinable()) thread_.join();
    if (d_) XCloseDisplay(d_);
  }
  bool Open() const { return d_ != nullptr; }
  Window Id() const { return w_; }
  // Spins from now on, to claim the moment Go() is called.
  void Arm() {
    go_ = false, claimed_ = false;
    armed_ = true;
  }
  void Go() { go_ = true; }
  bool Claimed() const { return claimed_; }

 private:
  void Run() {
    while (!quit_) {
      if (!armed_) {
        Serve();
        pollfd fd{ConnectionNumber(d_), POLLIN, 0};
        poll(&fd, 1, 1);  // short: an arming is not a message on the connection
        continue;
      }
      // Spins rather than sleeps: a wake-up would come far later than the claim it races.
      while (!go_ && !quit_) {
      }
      XSetSelectionOwner(d_, clipboard_, w_, CurrentTime);
      XSync(d_, False);
      armed_ = false;
      claimed_ = true;
    }
  }
  void Serve() {
    while (XPending(d_)) {
      XEvent ev;
      XNextEvent(d_, &ev);
      if (ev.type != SelectionRequest) continue;
      test::AnswerRequest(d_, ev.xselectionrequest, 0);  // refused
    }
  }

  Display* d_;
  Window w_ = 0;
  Atom clipboard_ = 0;
  std::atomic<bool> armed_{false}, go_{false}, claimed_{false}, quit_{false};
  std::thread thread_;
};

enum class Race { Plain, Free, TheirsFirst };

Rival* rival = nullptr;
WNDPROC editProc = nullptr;
std::atomic<Race> race{Race::Plain};     // of the next Ctrl+C
std::chrono::microseconds headStart{0};  // the rival's, in a free race
std::atomic<int> copies{0}, pastes{0};

// Ctrl+C tells the rival to claim, and starts the copy a few microseconds
// later, or once the rival's claim is through; both keys are counted once
// the edit is through with them.
LRESULT EditWatch(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m != WM_CHAR || (w != 0x03 && w != 0x16)) return CallWindowProcW(editProc, h, m, w, l);
  Race now = w == 0x03 ? race.exchange(Race::Plain) : Race::Plain;
  if (now != Race::Plain) rival->Go();
  // Spins: a sleep would last far longer than these few microseconds.
  for (auto start = Clock::now(), until = start + 10s; now != Race::Plain && Clock::now() < until;)
    if (now == Race::Free ? Clock::now() - start >= headStart : rival->Claimed()) break;
  LRESULT r = CallWindowProcW(editProc, h, m, w, l);
  ++(w == 0x03 ? copies : pastes);
  return r;
}

class X11CopyRace : public test::X11WindowTest {
 protected:
  X11CopyRace() : X11WindowTest({"xdotool"}) {}
  void SetUp() override {
    // A few milliseconds between looks: the reads that other threads make end without a message.
    pumpStep = 2;
    X11WindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_NO_FATAL_FAILURE(
        ShowTop(u"QvX11CopyRace", DefWindowProcW, u"Copy race", RECT{50, 50, 350, 130}, true));
    source = MakeEdit(10), pasteInto = MakeEdit(44);
  }
  HWND MakeEdit(int y) {
    HWND e = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, y, 280, 24, top,
                             nullptr, nullptr, nullptr);
    editProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(e, GWLP_WNDPROC));
    SetWindowLongPtrW(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditWatch));
    return e;
  }
  std::u16string Text(HWND edit) {
    char16_t buf[256] = {};
    GetWindowTextW(edit, buf, 256);
    return buf;
  }
  // `key` typed into `edit`; runs the windows until the edit is through with it.
  bool Type(HWND edit, const char* key, std::atomic<int>& count) {
    SetFocus(edit);
    int before = count;
    return test::Xdo(server->Display(), {"key", key}) && PumpUntil([&] { return count > before; });
  }
  // The source edit's whole text copied with Ctrl+C.
  bool Copy(const std::u16string& text) {
    SetWindowTextW(source, text.c_str());
    SendMessageW(source, EM_SETSEL, 0, -1);
    return Type(source, "ctrl+c", copies);
  }
  // A read by another program while this thread keeps the windows answering.
  test::SelectionReader::Result Read(test::SelectionReader& reader, const char* type) {
    test::SelectionReader::Result r;
    std::atomic<bool> through{false};
    std::thread t([&] {
      r = reader.Read("CLIPBOARD", type);
      through = true;
    });
    PumpUntil([&] { return through.load(); });
    t.join();
    return r;
  }

  HWND source = nullptr, pasteInto = nullptr;
};

TEST_F(X11CopyRace, ACopyInTheInstantAnotherProgramCopiesIsServedWheneverWeEndAsTheOwner) {
  Rival other(server->Display());
  test::SelectionReader reader(server->Display());
  ASSERT_TRUE(other.Open() && reader.Open());
  rival = &other;
  Atom clipboard = XInternAtom(reader.Connection(), "CLIPBOARD", False);
  int ours = 0, theirs = 0;
  for (int round = 0; round < 40 && !HasFailure(); ++round) {
    // We hold an older copy when the race begins: the other's claim takes it from us.
    ASSERT_TRUE(Copy(u"older " + Utf8ToUtf16(std::to_string(round))));
    Window before = XGetSelectionOwner(reader.Connection(), clipboard);
    ASSERT_TRUE(before != 0 && before != other.Id());
    const std::u16string copy = u"copy " + Utf8ToUtf16(std::to_string(round));
    other.Arm();
    headStart = std::chrono::microseconds(round / 2 % 8 * 10);
    race = round % 2 ? Race::TheirsFirst : Race::Free;
    ASSERT_TRUE(Copy(copy));
    ASSERT_TRUE(PumpUntil([&] { return other.Claimed(); }));
    Window owner = XGetSelectionOwner(reader.Connection(), clipboard);
    if (owner == other.Id()) {
      ++theirs;
      continue;
    }
    ++ours;
    ASSERT_EQ(owner, before) << "round " << round;
    // The reads come after every notice the claims sent us.
    test::SelectionReader::Result types = Read(reader, "TARGETS");
    EXPECT_TRUE(types.whole && types.type == "ATOM") << "round " << round << ": " << types.failure;
    test::SelectionReader::Result text = Read(reader, "UTF8_STRING");
    EXPECT_TRUE(text.whole) << "round " << round << ": " << text.failure;
    EXPECT_EQ(text.bytes, Utf16ToUtf8(copy)) << "round " << round;
    SetWindowTextW(pasteInto, u"");
    ASSERT_TRUE(Type(pasteInto, "ctrl+v", pastes));
    EXPECT_EQ(Utf16ToUtf8(Text(pasteInto)), Utf16ToUtf8(copy)) << "round " << round << ": our own paste";
  }
  rival = nullptr;
  // Our claim came last in half the rounds at least.
  RecordProperty("theirs", theirs);
  if (!HasFailure()) {
    EXPECT_GE(ours, 20);
  }
}

}  // namespace
}  // namespace qv
