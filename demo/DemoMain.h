// The start-up every demo program shares: on the desktop (X11) by default,
// headless into a PNG with --screenshot FILE, or shown on the X display and
// read back from the server into a PNG with --x11-selftest FILE.
#pragma once
#include <functional>
#include <vector>

#include "classlib/controls/Forms.h"

namespace qv::demo {

struct DemoProgram {
  const char* Name = "";   // in messages and the usage line
  SIZE HeadlessScreen{};   // the screen --screenshot renders on
  bool TakesPage = false;  // a PAGE argument may follow FILE
  // Makes the form and shows it (on `page`, for programs that take one).
  std::function<TForm*(int page)> Create;
  // The windows the self test waits for; the form's own when empty.
  std::function<std::vector<HWND>(TForm* form)> MustShow;
  // Runs once the form has been painted, before the picture is taken.
  std::function<void()> Settle;
};

// The program's main(): its exit code (2 on a wrong command line).
int RunDemoProgram(int argc, char** argv, const DemoProgram& program);

}  // namespace qv::demo
