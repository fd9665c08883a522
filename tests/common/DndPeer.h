// The other side of the drag-and-drop tests: a window manager (openbox) on
// the test's X server, and a small GTK 3 program (dnd_peer.py beside this
// file) whose left half takes drops and logs what it is offered and what
// arrives, and whose right half drags text or files of its own; or, in its
// place, a Qt 6 program (qt_drop_target.py) that only takes drops, reads
// every text format offered and logs the same lines. Other tests start GTK 3
// programs of their own in Python the same way.
#pragma once
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace qv::test {

using namespace std::chrono_literals;

// Why the peer cannot run here (openbox, python3-gi or GTK 3 missing); empty when it can.
std::string PeerMissing();
// Why a GTK 3 program in Python cannot run here (python3-gi or GTK 3 missing); empty when it can.
std::string GtkMissing();
// Starts such a program, a script with its arguments, on the display; its pid, -1 when it could not.
pid_t StartGtkProgram(const std::string& script, const std::string& display, std::vector<std::string> args);
// Why the Qt drop target cannot run here (openbox or PyQt6 missing); empty when it can.
std::string QtTargetMissing();

// openbox on the display, until destroyed; Running() once it manages windows.
class Openbox {
 public:
  explicit Openbox(const std::string& display);
  ~Openbox();
  Openbox(const Openbox&) = delete;
  Openbox& operator=(const Openbox&) = delete;
  bool Running() const { return running_; }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
};

// The client window named `name`, managed or not, mapped; 0 while there is none.
Window FindClient(::Display* d, const char* name);
// Waits for that window up to `limit`; 0 when it did not come.
Window WaitForClient(::Display* d, const char* name, std::chrono::milliseconds limit = 30000ms);

class DndPeer {
 public:
  struct Options {
    std::string title = "qv dnd peer";
    int x = 620, y = 80, width = 380, height = 200;
    std::string dragText;
    std::string dragTextFile;  // a text too long for the command line
    std::vector<std::string> dragFiles;
    std::string want;      // the type asked for first when offered
    bool above = false;    // kept above other windows, even when they are clicked
    bool wantAll = false;  // a drop of text asks for every text type offered, in turn
    bool qt = false;       // the Qt 6 drop target instead of the GTK 3 peer
  };
  DndPeer(const std::string& display, Options options);
  ~DndPeer();
  DndPeer(const DndPeer&) = delete;
  DndPeer& operator=(const DndPeer&) = delete;

  // Waits until the window is shown and placed; false when it never is.
  bool Shown();
  // Root coordinates of the middle of the drop half and of the drag half.
  POINT DropPoint() const { return POINT{origin_.x + size_.cx / 4, origin_.y + size_.cy / 2}; }
  POINT DragPoint() const { return POINT{origin_.x + size_.cx * 3 / 4, origin_.y + size_.cy / 2}; }
  RECT Rect() const { return RECT{origin_.x, origin_.y, origin_.x + size_.cx, origin_.y + size_.cy}; }

  std::vector<std::string> Lines() const;
  // The first log line from index `from` on that starts with `prefix`, waited
  // for up to `limit`; empty when none came.
  std::string WaitLine(const std::string& prefix, size_t from = 0,
                       std::chrono::milliseconds limit = 60s) const;
  bool HasLine(const std::string& prefix, size_t from = 0) const;
  // How the next drop is finished: "ok", "fail" or "never".
  void SetFinish(const std::string& mode);
  // The bytes of the n-th arrival (from 1).
  std::string Arrival(int n) const;

 private:
  std::string display_, dir_, title_;
  pid_t pid_ = -1;
  ::Display* d_ = nullptr;
  POINT origin_{};
  SIZE size_{};
};

}  // namespace qv::test
