// The data tree demo program. With no arguments it opens on the desktop (X11);
// --screenshot FILE renders it headless into a PNG; --x11-selftest FILE shows
// it on the X display, waits until the server shows it and writes the
// window's pixels as the server has them into a PNG.
#include <cstdio>
#include <string>

#include "classlib/controls/Application.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/backend/X11Backend.h"
#include "platform/image/Png.h"
#include "platform/window/MessageQueue.h"

namespace {

using namespace qv;

int Screenshot(const std::string& path) {
  HeadlessBackend backend(SIZE{1000, 640});
  treedemo::TTreeDemoForm* form = treedemo::CreateTreeDemo();
  backend.Pump();
  bool saved = backend.SaveScreenshot(path);
  delete form;
  if (!saved) return std::fprintf(stderr, "qv_tree_demo: cannot write %s\n", path.c_str()), 1;
  return 0;
}

int SelfTest(X11Backend& backend, treedemo::TTreeDemoForm* form, const std::string& path) {
  HWND main = form->Handle();
  DWORD start = GetTickCount();
  while (!backend.IsOnScreen(main)) {
    if (GetTickCount() - start > 10000)
      return std::fprintf(stderr, "qv_tree_demo: the window was never shown\n"), 1;
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  Application->ProcessMessages();
  Surface shot;
  if (!backend.CaptureWindow(main, shot))
    return std::fprintf(stderr, "qv_tree_demo: cannot read the window\n"), 1;
  if (!WritePngFile(path, shot))
    return std::fprintf(stderr, "qv_tree_demo: cannot write %s\n", path.c_str()), 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if ((mode == "--screenshot" || mode == "--x11-selftest") && argc != 3) {
    std::fprintf(stderr, "usage: qv_tree_demo [--screenshot FILE | --x11-selftest FILE]\n");
    return 2;
  }
  if (mode == "--screenshot") return Screenshot(argv[2]);
  std::string error;
  auto backend = OpenX11Backend(&error);
  if (!backend) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
  treedemo::TTreeDemoForm* form = treedemo::CreateTreeDemo();
  int rc = 0;
  if (mode == "--x11-selftest")
    rc = SelfTest(static_cast<X11Backend&>(*backend), form, argv[2]);
  else
    Application->Run();
  delete form;
  return rc;
}
