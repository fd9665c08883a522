// The X server helpers of the smoke tests (see XvfbSupport.h).
#include "tests/common/XvfbSupport.h"

// clang-format off
#include <X11/Xutil.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/image/Png.h"

namespace qv::test {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

int Reap(pid_t pid, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(10ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---- Xvfb ----

Xvfb::Xvfb(const std::string& screen) {
  int lock = open("/tmp/qv-test-xvfb.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
  if (lock >= 0) flock(lock, LOCK_EX);
  for (int n = 100; n < 1000 && display_.empty(); ++n) {
    if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
    Start(":" + std::to_string(n), screen);
  }
  if (lock >= 0) close(lock);  // also lets go of the lock
}

Xvfb::~Xvfb() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  Reap(pid_, 5000ms);
}

// Starts a server on the display and waits until it takes clients; gives up
// (and stops it) when it exits first, which means the number was taken.
// -noreset: a server that resets when its last client leaves would refuse
// the connection that follows the readiness probe.
void Xvfb::Start(const std::string& display, const std::string& screen) {
  pid_ = fork();
  if (pid_ == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1), dup2(null, 2);
    execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid_ < 0) return;
  for (int i = 0; i < 600; ++i) {
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    if (::Display* d = XOpenDisplay(display.c_str())) {
      XCloseDisplay(d);
      display_ = display;
      return;
    }
    std::this_thread::sleep_for(50ms);
  }
  kill(pid_, SIGTERM);
  Reap(pid_, 5000ms);
  pid_ = -1;
}

// ---- programs ----

int RunProgram(const char* program, const char* display, const std::string& arg, const std::string& file,
               std::string& errors, const std::string& extra, std::chrono::milliseconds limit) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], 2);
    if (display)
      setenv("DISPLAY", display, 1);
    else
      unsetenv("DISPLAY");
    execl(program, program, arg.empty() ? nullptr : arg.c_str(), file.c_str(),
          extra.empty() ? nullptr : extra.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  int rc = Reap(pid, limit);
  char buf[512];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) errors.append(buf, size_t(n));
  close(fds[0]);
  return rc;
}

bool SelfTestPicture(const char* program, const std::string& display, Surface& shot, std::string& errors,
                     const std::string& extra, std::chrono::milliseconds limit) {
  static int taken = 0;  // one test program may take several pictures
  auto png = std::filesystem::temp_directory_path() /
             ("qv_selftest_" + std::to_string(getpid()) + "_" + std::to_string(taken++) + ".png");
  int rc = RunProgram(program, display.c_str(), "--x11-selftest", png.string(), errors, extra, limit);
  if (rc != 0) {
    errors += "\nthe self-test ended with " + std::to_string(rc);
    std::filesystem::remove(png);
    return false;
  }
  std::string error;
  bool read = LoadPngFile(png.string(), shot, &error);
  std::filesystem::remove(png);
  if (!read) errors += "\nthe picture cannot be read: " + error;
  return read;
}

// Spawned, not forked: a fork of a test holding a million rows copies its
// page tables and leaves every page it writes afterwards to fault once, a
// pause of the windows that no user's input causes (xdotool runs for every
// pointer step of a drag).
pid_t StartProgram(const char* program, const char* display, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env) {
  std::vector<char*> argv{const_cast<char*>(program)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // The environment as it is, with DISPLAY and `env` set (or DISPLAY taken away).
  std::vector<std::string> vars;
  auto overridden = [&](const std::string& entry) {
    if (entry.rfind("DISPLAY=", 0) == 0) return true;
    for (const auto& [name, value] : env)
      if (entry.rfind(name + "=", 0) == 0) return true;
    return false;
  };
  for (char** e = environ; *e; ++e)
    if (!overridden(*e)) vars.push_back(*e);
  if (display) vars.push_back(std::string("DISPLAY=") + display);
  for (const auto& [name, value] : env) vars.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& v : vars) envp.push_back(v.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawnp(&pid, program, &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

bool Xdo(const std::string& display, const std::vector<std::string>& args) {
  pid_t pid = StartProgram("xdotool", display.c_str(), args);
  return pid > 0 && Reap(pid, 10000ms) == 0;
}

std::string XclipRead(const std::string& display, const std::string& selection, const std::string& type) {
  std::string out;
  std::string command = "DISPLAY=" + display + " timeout 30 xclip -o -selection " + selection + " -t '" +
                        type + "' 2>/dev/null";
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

StatusProgram::StatusProgram(const char* program, const std::string& display, std::vector<std::string> args) {
  args.insert(args.begin(), status_);
  pid_ = StartProgram(program, display.c_str(), args);
}

int StatusProgram::Said(const std::string& line) const {
  std::ifstream in(status_);
  int n = 0;
  for (std::string l; std::getline(in, l);) n += l == line;
  return n;
}

bool StatusProgram::AwaitLine(const std::string& line, std::chrono::milliseconds limit) const {
  return pid_ > 0 && WaitFor([&] { return Said(line) > 0; }, limit);
}

void StatusProgram::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Reap(pid_, 10000ms);
  }
  pid_ = -1;
}

// ---- windows ----

void AskToClose(::Display* d, Window w) {
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = w;
  close.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  XSendEvent(d, w, False, 0, &close);
  XFlush(d);
}

ServerHeld::ServerHeld(::Display* d) : d_(d) {
  XGrabServer(d_);
}

ServerHeld::~ServerHeld() {
  XUngrabServer(d_);
  XSync(d_, False);
}

Window FindNamed(::Display* d, Window parent, const char* name, int depth) {
  Window root, up, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* n = nullptr;
    XWindowAttributes a;
    if (XFetchName(d, children[i], &n) && n && std::string(n) == name &&
        XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
      found = children[i];
    if (n) XFree(n);
    if (!found && depth > 0) found = FindNamed(d, children[i], name, depth - 1);
  }
  if (children) XFree(children);
  return found;
}

Window FindTop(::Display* d, const char* name) {
  ServerHeld held(d);
  return FindNamed(d, DefaultRootWindow(d), name, 0);
}

std::vector<long> WindowLongs(::Display* d, Window w, const char* property, Atom type) {
  Atom got = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (XGetWindowProperty(d, w, XInternAtom(d, property, False), 0, 1024, False, type, &got, &format, &count,
                         &after, &data) == Success &&
      data && format == 32)
    out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  if (data) XFree(data);
  return out;
}

std::vector<Window> ViewablePopups(::Display* d) {
  ServerHeld held(d);  // the program may close a popup while we look
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  std::vector<Window> out;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return out;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable)
      out.push_back(children[i]);
  }
  if (children) XFree(children);
  return out;
}

std::vector<uint32_t> ReadPixels(::Display* d, Drawable from, int x, int y, int width, int height) {
  std::vector<uint32_t> out;
  if (width <= 0 || height <= 0) return out;
  XImage* image = XGetImage(d, from, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
  if (!image) return out;
  out.reserve(size_t(width) * size_t(height));
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c) out.push_back(uint32_t(XGetPixel(image, c, r)) & 0xFFFFFF);
  XDestroyImage(image);
  return out;
}

}  // namespace qv::test
