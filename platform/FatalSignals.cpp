#include "platform/FatalSignals.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace qv {
namespace {

constexpr int kEnding[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,  SIGFPE,
                           SIGSEGV, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU, SIGXFSZ, SIGSYS};

// The lines are made beforehand: a signal handler may only write them.
char lines[NSIG][160];
size_t lengths[NSIG];
// A stack of its own, so that the line is written even when the program's
// stack has run over.
alignas(16) char handlerStack[64 * 1024];

void Report(int sig) {
  if (sig > 0 && sig < NSIG && lengths[sig]) {
    ssize_t written = write(STDERR_FILENO, lines[sig], lengths[sig]);
    (void)written;
  }
  // SA_RESETHAND has given the signal its default back: raised again (or,
  // for a fault, met again on return) it ends the program.
  raise(sig);
}

void Ignore(int) {}

bool Untaken(int sig) {
  struct sigaction now {};
  return sigaction(sig, nullptr, &now) == 0 && !(now.sa_flags & SA_SIGINFO) && now.sa_handler == SIG_DFL;
}

}  // namespace

void ReportFatalSignals() {
  stack_t alt{};
  alt.ss_sp = handlerStack;
  alt.ss_size = sizeof handlerStack;
  bool altStack = sigaltstack(&alt, nullptr) == 0;
  for (int sig : kEnding) {
    if (!Untaken(sig)) continue;
    const char* abbrev = sigabbrev_np(sig);
    int n = std::snprintf(lines[sig], sizeof lines[sig], "%s: ended by signal SIG%s (%s)\n",
                          program_invocation_short_name, abbrev ? abbrev : "?", strsignal(sig));
    lengths[sig] = n > 0 ? std::min(size_t(n), sizeof lines[sig] - 1) : 0;
    struct sigaction action {};
    action.sa_handler = Report;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER | (altStack ? SA_ONSTACK : 0);
    sigaction(sig, &action, nullptr);
  }
  if (Untaken(SIGPIPE)) {
    // A handler, not SIG_IGN: programs we start get the default back.
    struct sigaction action {};
    action.sa_handler = Ignore;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
  }
}

}  // namespace qv
