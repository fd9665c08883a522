// Helpers of the tests that run programs on an X server: Xvfb servers of
// their own on free display numbers, child programs started on a display or
// run with a time limit, the helper programs that write what they do to a
// status file (the slow clipboard owner, the clipboard manager), their
// windows found, read back and asked to close, xdotool input, xclip reads,
// and the pictures the programs' self-tests write.
#pragma once
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Surface.h"
#include "tests/common/TempDir.h"

namespace qv::test {

using namespace std::chrono_literals;

bool OnPath(const std::string& program);

// Waits for a child up to `limit`, then kills it; its exit status, -1 when killed.
int Reap(pid_t pid, std::chrono::milliseconds limit);

// An Xvfb server of our own on a free display number; always stopped. Tests
// running at the same moment start their servers one at a time (a lock file),
// and each takes the first number that holds no server's lock.
class Xvfb {
 public:
  // `screen` as Xvfb takes it: width x height x depth.
  explicit Xvfb(const std::string& screen = "1024x768x24");
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  const std::string& Display() const { return display_; }

 private:
  void Start(const std::string& display, const std::string& screen);

  pid_t pid_ = -1;
  std::string display_;
};

// Runs a program with up to three arguments; its exit code (-1 when it ran
// longer than `limit`) and its error output.
int RunProgram(const char* program, const char* display, const std::string& arg, const std::string& file,
               std::string& errors, const std::string& extra = "", std::chrono::milliseconds limit = 20000ms);

// Runs `program --x11-selftest <picture> [extra]` on the display and reads the
// picture it writes; false (with the reason in `errors`) when either fails.
bool SelfTestPicture(const char* program, const std::string& display, Surface& shot, std::string& errors,
                     const std::string& extra = "", std::chrono::milliseconds limit = 20000ms);

// Starts a program on the display (none: without DISPLAY) with its output
// discarded and the environment variables set; its pid, -1 when it could not.
pid_t StartProgram(const char* program, const char* display, const std::vector<std::string>& args = {},
                   const std::vector<std::pair<std::string, std::string>>& env = {});

// Runs xdotool on the display; true when it succeeded.
bool Xdo(const std::string& display, const std::vector<std::string>& args);

// What another program reads from a selection ("primary", "clipboard") as
// `type`, with xclip; empty when it got nothing within 30 s.
std::string XclipRead(const std::string& display, const std::string& selection, const std::string& type);

// A helper program of the tests that writes what it does as lines of a
// status file (the slow clipboard owner, the clipboard manager), started on
// the display with that file and `args`, and killed (also when stopped) at
// the latest when destroyed.
class StatusProgram {
 public:
  StatusProgram(const char* program, const std::string& display, std::vector<std::string> args);
  ~StatusProgram() { Kill(); }
  StatusProgram(const StatusProgram&) = delete;
  StatusProgram& operator=(const StatusProgram&) = delete;
  pid_t Pid() const { return pid_; }
  // How often it wrote this line.
  int Said(const std::string& line) const;
  // Waits until it wrote it, up to `limit`; whether it did.
  bool AwaitLine(const std::string& line, std::chrono::milliseconds limit = 30000ms) const;
  void Kill();

 private:
  TempDir dir_;
  const std::string status_ = dir_ / "status.txt";
  pid_t pid_ = -1;
};

// The clipboard manager of the tests (tests/common/manager), as a desktop
// runs one, in a mode ("multiple", "silent" ...); Managing() once it took
// the CLIPBOARD_MANAGER selection.
class TestClipboardManager : public StatusProgram {
 public:
  TestClipboardManager(const char* program, const std::string& display, const std::string& mode)
      : StatusProgram(program, display, {mode}) {}
  bool Managing() const { return AwaitLine("managing"); }
};

// Holds the X server for its lifetime: no other client runs meanwhile. A walk
// over other programs' windows needs it, as a window destroyed between the
// list and the look at it would be a BadWindow error, which ends the test.
class ServerHeld {
 public:
  explicit ServerHeld(::Display* d);
  ~ServerHeld();
  ServerHeld(const ServerHeld&) = delete;
  ServerHeld& operator=(const ServerHeld&) = delete;

 private:
  ::Display* d_;
};

// Asks a window to close as the window manager does (WM_DELETE_WINDOW).
void AskToClose(::Display* d, Window w);

// The viewable top-level window named `name`, 0 while there is none.
Window FindTop(::Display* d, const char* name);
// The viewable window of that name among parent's children, searched depth
// levels further down too (a window manager's frames hold the program's windows).
Window FindNamed(::Display* d, Window parent, const char* name, int depth);

// A window's property of 32-bit items (CARDINAL, ATOM ...) as Xlib gives
// them; empty when it is not set or of another type.
std::vector<long> WindowLongs(::Display* d, Window w, const char* property, Atom type = XA_CARDINAL);

// The top-level override-redirect windows on the screen (our popup menus
// and hints), bottom first.
std::vector<Window> ViewablePopups(::Display* d);

// Pixels of an area of a drawable as 0xRRGGBB, row by row; empty when it cannot be read.
std::vector<uint32_t> ReadPixels(::Display* d, Drawable from, int x, int y, int width, int height);

// Polls until done() holds or `limit` (generous: it bounds a failing test
// only) has passed; whether it held.
template <typename F>
bool WaitFor(F done, std::chrono::milliseconds limit = 30000ms) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

}  // namespace qv::test
