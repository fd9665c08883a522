// Helpers of the tests that run programs on an X server: Xvfb servers of
// their own on free display numbers, and child programs run with a time
// limit, their exit code and error output collected.
#pragma once
// clang-format off
#include <sys/file.h>
#include <X11/Xlib.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace qv::test {

using namespace std::chrono_literals;

inline bool OnPath(const std::string& program) {
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

// Waits for a child up to `limit`, then kills it; its exit status, -1 when killed.
inline int Reap(pid_t pid, std::chrono::milliseconds limit) {
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

// An Xvfb server of our own on a free display number; always stopped. Tests
// running at the same moment start their servers one at a time (a lock file),
// and each takes the first number that holds no server's lock.
class Xvfb {
 public:
  Xvfb() {
    int lock = open("/tmp/qv-test-xvfb.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (lock >= 0) flock(lock, LOCK_EX);
    for (int n = 100; n < 1000 && display_.empty(); ++n) {
      if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
      Start(":" + std::to_string(n));
    }
    if (lock >= 0) close(lock);  // also lets go of the lock
  }
  ~Xvfb() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    Reap(pid_, 5000ms);
  }
  const std::string& Display() const { return display_; }

 private:
  // Starts a server on the display and waits until it takes clients; gives
  // up (and stops it) when it exits first, which means the number was taken.
  // -noreset: a server that resets when its last client leaves would refuse
  // the connection that follows the readiness probe.
  void Start(const std::string& display) {
    pid_ = fork();
    if (pid_ == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1), dup2(null, 2);
      execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
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

  pid_t pid_ = -1;
  std::string display_;
};

// Runs a program with up to three arguments; its exit code (-1 when it ran
// longer than `limit`) and its error output.
inline int RunProgram(const char* program, const char* display, const std::string& arg,
                      const std::string& file, std::string& errors, const std::string& extra = "",
                      std::chrono::milliseconds limit = 20000ms) {
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

}  // namespace qv::test
