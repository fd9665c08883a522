// The demo programs' shared main(): the backend start-up (X11, or headless
// for --screenshot) and the X11 self test that reads the form back.
#include "demo/DemoMain.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "classlib/controls/Application.h"
#include "platform/FatalSignals.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/backend/X11Backend.h"
#include "platform/image/Png.h"
#include "platform/window/MessageQueue.h"

namespace qv::demo {

namespace {

int Screenshot(const DemoProgram& program, const std::string& path, int page) {
  HeadlessBackend backend(program.HeadlessScreen);
  TForm* form = program.Create(page);
  backend.Pump();
  if (program.Settle) {
    program.Settle();
    backend.Pump();
  }
  bool saved = backend.SaveScreenshot(path);
  delete form;
  if (!saved) return std::fprintf(stderr, "%s: cannot write %s\n", program.Name, path.c_str()), 1;
  return 0;
}

bool AllOnScreen(X11Backend& backend, const std::vector<HWND>& windows) {
  for (HWND w : windows)
    if (!backend.IsOnScreen(w)) return false;
  return true;
}

int SelfTest(const DemoProgram& program, X11Backend& backend, TForm* form, const std::string& path) {
  HWND main = form->Handle();
  std::vector<HWND> windows = program.MustShow ? program.MustShow(form) : std::vector<HWND>{main};
  DWORD start = GetTickCount();
  while (!AllOnScreen(backend, windows)) {
    if (GetTickCount() - start > 10000)
      return std::fprintf(stderr, "%s: the window was never shown\n", program.Name), 1;
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  if (program.Settle) program.Settle();
  // The exposure has been turned into a repaint: let it reach the server.
  Application->ProcessMessages();
  Surface shot;
  if (!backend.CaptureWindow(main, shot))
    return std::fprintf(stderr, "%s: cannot read the window\n", program.Name), 1;
  if (!WritePngFile(path, shot))
    return std::fprintf(stderr, "%s: cannot write %s\n", program.Name, path.c_str()), 1;
  return 0;
}

}  // namespace

int RunDemoProgram(int argc, char** argv, const DemoProgram& program) {
  ReportFatalSignals();
  std::string mode = argc > 1 ? argv[1] : "";
  bool fileMode = mode == "--screenshot" || mode == "--x11-selftest";
  if (fileMode && argc != 3 && !(program.TakesPage && argc == 4)) {
    const char* page = program.TakesPage ? " [PAGE]" : "";
    std::fprintf(stderr, "usage: %s [--screenshot FILE%s | --x11-selftest FILE%s]\n", program.Name, page,
                 page);
    return 2;
  }
  int page = fileMode && argc == 4 ? std::atoi(argv[3]) : 0;
  if (mode == "--screenshot") return Screenshot(program, argv[2], page);
  std::string error;
  auto backend = OpenX11Backend(&error);
  if (!backend) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
  TForm* form = program.Create(page);
  int rc = 0;
  if (mode == "--x11-selftest")
    rc = SelfTest(program, static_cast<X11Backend&>(*backend), form, argv[2]);
  else
    Application->Run();
  // The windows go before the display they are shown on.
  delete form;
  return rc;
}

}  // namespace qv::demo
