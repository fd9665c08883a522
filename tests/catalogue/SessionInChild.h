// A session of the catalogue engine in a child process, for the tests that
// kill it or make its writes fail: the child's end cannot harm the test.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"
#include "tests/common/RecordingHost.h"

namespace qv::test {

// Opens the catalogue in folder with password in a child whose writes go
// through `faults`, the seam that fails or kills them, and runs body there.
// The child ends without closing anything body did not close. Its wait
// status: exit code 2 when the catalogue did not open, -1 when no child came.
inline int RunSessionInChild(const std::string& folder, const std::string& password,
                             const std::function<void(TEngine&, FaultInjector&)>& body) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    RecordingHost host;
    host.folder = folder;
    FaultInjector faults;
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    if (!engine.OpenDatabase(password)) ::_exit(2);
    body(engine, faults);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

}  // namespace qv::test
