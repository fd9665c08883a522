// A forked process for the tests of two programs on one catalogue: a pipe
// each way, so that it says where it is (one byte) and waits there until the
// parent lets it on.
#pragma once
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace qv::test {

class Child {
 public:
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {up_[0], up_[1], down_[0], down_[1]})
      if (fd >= 0) ::close(fd);
  }

  void Start(const std::function<void(Child&)>& body) {
    ::signal(SIGPIPE, SIG_IGN);  // a child that ended is let on all the same
    if (::pipe(up_) != 0 || ::pipe(down_) != 0) return;
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(up_[0]);
      ::close(down_[1]);
      body(*this);
      ::_exit(0);
    }
    ::close(up_[1]);
    ::close(down_[0]);
    up_[1] = down_[0] = -1;
  }

  // In the child.
  void Say(char c) { (void)!::write(up_[1], &c, 1); }
  void Await() {
    char c;
    (void)!::read(down_[0], &c, 1);
  }
  void Hold() {
    Say('h');
    Await();
  }

  // In the parent: the next byte the child says, 0 once it has ended, 'T'
  // when it says nothing for two minutes (it is then killed).
  char Next() {
    pollfd p{up_[0], POLLIN, 0};
    if (::poll(&p, 1, 120000) != 1) {
      ::kill(pid_, SIGKILL);
      return 'T';
    }
    char c;
    return ::read(up_[0], &c, 1) == 1 ? c : 0;
  }
  void Go() {
    const char c = 'g';
    (void)!::write(down_[1], &c, 1);
  }
  // Lets it on wherever it waits, and waits for its end; true when it ended
  // on its own.
  bool Finish() {
    for (char c = 'g'; c != 0 && c != 'T'; c = Next()) Go();
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  // Waits for the end of a child that says nothing, however long it runs.
  bool Join() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  pid_t pid_ = -1;
  int up_[2] = {-1, -1};
  int down_[2] = {-1, -1};
};

// The other process runs to its end, or with `stay` to where it says it
// stays open ('o'); then the held one is let on from where it was held
// (`at`: 'h', or 0 when it had ended), and both are waited for. True when
// both ended on their own.
inline bool EndHeldAfter(Child& held, char at, Child& other, bool stay) {
  if (stay)
    other.Next();  // open and staying, or ended
  else if (!other.Finish())
    return false;
  if (at == 'h') held.Go();
  const bool heldEnded = held.Finish();
  return other.Finish() && heldEnded;
}

}  // namespace qv::test
