// The window manager and the GTK peer of the drag-and-drop tests (see DndPeer.h).
#include "tests/common/DndPeer.h"

// clang-format off
#include <X11/Xatom.h>
// clang-format on
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/common/XvfbSupport.h"

namespace qv::test {
namespace {

const char* const kPython = "/usr/bin/python3";  // Debian's, which has the GTK bindings

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

Window FindIn(::Display* d, Window w, const char* name, int depth) {
  char* n = nullptr;
  XWindowAttributes a;
  bool match = XFetchName(d, w, &n) && n && std::string(n) == name && XGetWindowAttributes(d, w, &a) &&
               a.map_state == IsViewable;
  if (n) XFree(n);
  if (match) return w;
  if (depth == 0) return 0;
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &count))
    for (unsigned i = 0; i < count && !found; ++i) found = FindIn(d, children[i], name, depth - 1);
  if (children) XFree(children);
  return found;
}

}  // namespace

std::string GtkMissing() {
  if (access(kPython, X_OK) != 0) return "python3 is not installed";
  std::string probe = std::string(kPython) +
                      " -c \"import gi; gi.require_version('Gtk', '3.0'); from gi.repository import Gtk\""
                      " >/dev/null 2>&1";
  if (std::system(probe.c_str()) != 0) return "python3-gi with GTK 3 is not installed";
  return {};
}

std::string PeerMissing() {
  if (!OnPath("openbox")) return "openbox is not installed";
  return GtkMissing();
}

pid_t StartGtkProgram(const std::string& script, const std::string& display, std::vector<std::string> args) {
  args.insert(args.begin(), script);
  return StartProgram(kPython, display.c_str(), args);
}

std::string QtTargetMissing() {
  if (!OnPath("openbox")) return "openbox is not installed";
  if (access(kPython, X_OK) != 0) return "python3 is not installed";
  std::string probe = std::string(kPython) + " -c \"from PyQt6 import QtWidgets\" >/dev/null 2>&1";
  if (std::system(probe.c_str()) != 0) return "python3-pyqt6 is not installed";
  return {};
}

Openbox::Openbox(const std::string& display) {
  pid_ = StartProgram("openbox", display.c_str(), {"--sm-disable"});
  ::Display* d = XOpenDisplay(display.c_str());
  if (!d || pid_ <= 0) {
    if (d) XCloseDisplay(d);
    return;
  }
  Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
  running_ = WaitFor([&] {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                       &data);
    if (data) XFree(data);
    return count == 1;
  });
  XCloseDisplay(d);
}

Openbox::~Openbox() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  Reap(pid_, 5000ms);
}

Window FindClient(::Display* d, const char* name) {
  ServerHeld held(d);
  return FindIn(d, DefaultRootWindow(d), name, 3);
}

Window WaitForClient(::Display* d, const char* name, std::chrono::milliseconds limit) {
  Window w = 0;
  WaitFor([&] { return (w = FindClient(d, name)) != 0; }, limit);
  return w;
}

DndPeer::DndPeer(const std::string& display, Options options) : display_(display), title_(options.title) {
  char pattern[] = "/tmp/qv-dnd-peer-XXXXXX";
  if (!mkdtemp(pattern)) return;
  dir_ = pattern;
  std::vector<std::string> args{options.qt ? QV_QT_DROP_SCRIPT : QV_DND_PEER_SCRIPT,
                                "--log",
                                dir_ + "/log",
                                "--out",
                                dir_,
                                "--title",
                                options.title,
                                "--x",
                                std::to_string(options.x),
                                "--y",
                                std::to_string(options.y),
                                "--width",
                                std::to_string(options.width),
                                "--height",
                                std::to_string(options.height)};
  if (!options.dragText.empty()) args.insert(args.end(), {"--drag-text", options.dragText});
  if (!options.dragTextFile.empty()) args.insert(args.end(), {"--drag-text-file", options.dragTextFile});
  if (!options.want.empty()) args.insert(args.end(), {"--want", options.want});
  if (options.above) args.push_back("--above");
  if (options.wantAll) args.push_back("--want-all");
  if (!options.dragFiles.empty()) {
    args.push_back("--drag-files");
    args.insert(args.end(), options.dragFiles.begin(), options.dragFiles.end());
  }
  pid_ = StartProgram(kPython, display.c_str(), args,
                      {{"NO_AT_BRIDGE", "1"}, {"GDK_BACKEND", "x11"}, {"QT_QPA_PLATFORM", "xcb"}});
  d_ = XOpenDisplay(display.c_str());
}

DndPeer::~DndPeer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    Reap(pid_, 5000ms);
  }
  if (d_) XCloseDisplay(d_);
  if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

bool DndPeer::Shown() {
  if (!d_ || pid_ <= 0 || WaitLine("shown").empty()) return false;
  Window w = 0;
  if (!WaitFor([&] { return (w = FindClient(d_, title_.c_str())) != 0; })) return false;
  // Placed by the window manager once mapped: the same place twice in a row.
  POINT last{-1, -1};
  return WaitFor([&] {
    ServerHeld held(d_);
    XWindowAttributes a;
    Window child;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(d_, w, &a) ||
        !XTranslateCoordinates(d_, w, DefaultRootWindow(d_), 0, 0, &x, &y, &child))
      return false;
    POINT now{x, y};
    bool settled = now == last;
    last = now;
    origin_ = now;
    size_ = SIZE{a.width, a.height};
    return settled;
  });
}

std::vector<std::string> DndPeer::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(dir_ + "/log"));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool DndPeer::HasLine(const std::string& prefix, size_t from) const {
  std::vector<std::string> lines = Lines();
  for (size_t i = from; i < lines.size(); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return true;
  return false;
}

std::string DndPeer::WaitLine(const std::string& prefix, size_t from, std::chrono::milliseconds limit) const {
  std::string found;
  WaitFor(
      [&] {
        std::vector<std::string> lines = Lines();
        for (size_t i = from; i < lines.size(); ++i)
          if (lines[i].rfind(prefix, 0) == 0) return found = lines[i], true;
        return false;
      },
      limit);
  return found;
}

void DndPeer::SetFinish(const std::string& mode) {
  std::ofstream(dir_ + "/finish") << mode;
}

std::string DndPeer::Arrival(int n) const {
  return ReadFile(dir_ + "/arrival-" + std::to_string(n) + ".bin");
}

}  // namespace qv::test
