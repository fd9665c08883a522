// A small file system of a test's own, to fill up: a tmpfs mounted in a
// mount namespace that only a child process sees, so nothing outside the
// test is touched and the mount goes with the child. Needs the right to
// mount (root); without it the caller skips.
#pragma once
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace qv::test {

// The child's status when it could not mount.
constexpr int kCannotMount = 77;

// Runs body in a child process with a tmpfs of kb kilobytes on mountPoint;
// the child's exit code is body's. The result: that code, kCannotMount, or
// -1 when the child did not exit normally.
inline int RunOnSmallDisc(const std::string& mountPoint, int kb, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    const std::string size = "size=" + std::to_string(kb) + "k";
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, size.c_str()) != 0)
      ::_exit(kCannotMount);
    const int code = body();
    std::fflush(nullptr);
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace qv::test
