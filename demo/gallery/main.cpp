// The gallery program. With no arguments it opens on the desktop (X11) and
// runs the application's loop; --screenshot FILE renders it headless into a
// PNG (showing page PAGE, counted from 0, when given); --x11-selftest FILE shows it on the X display, waits
// until the server has shown it, and writes the form's pixels as the server has them.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "classlib/controls/Application.h"
#include "demo/gallery/GalleryForm.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/backend/X11Backend.h"
#include "platform/image/Png.h"
#include "platform/window/MessageQueue.h"

namespace {

using namespace qv;

int Screenshot(const std::string& path, int page) {
  HeadlessBackend backend(SIZE{680, 560});
  gallery::TGalleryForm* form = gallery::CreateGallery();
  if (page > 0 && page < form->Pages->PageCount()) form->Pages->SetActivePageIndex(page);
  backend.Pump();
  // The actions take their state in the first idle pass, as on the desktop.
  Application->DoActionIdle();
  backend.Pump();
  bool saved = backend.SaveScreenshot(path);
  delete form;
  if (!saved) return std::fprintf(stderr, "qv_gallery: cannot write %s\n", path.c_str()), 1;
  return 0;
}

int SelfTest(X11Backend& backend, gallery::TGalleryForm* form, const std::string& path, int page) {
  if (page > 0 && page < form->Pages->PageCount()) form->Pages->SetActivePageIndex(page);
  HWND main = form->Handle();
  DWORD start = GetTickCount();
  while (!backend.IsOnScreen(main)) {
    if (GetTickCount() - start > 10000)
      return std::fprintf(stderr, "qv_gallery: the window was never shown\n"), 1;
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  Application->DoActionIdle();
  // The exposure has been turned into a repaint: let it reach the server.
  Application->ProcessMessages();
  Surface shot;
  if (!backend.CaptureWindow(main, shot))
    return std::fprintf(stderr, "qv_gallery: cannot read the window\n"), 1;
  if (!WritePngFile(path, shot))
    return std::fprintf(stderr, "qv_gallery: cannot write %s\n", path.c_str()), 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if ((mode == "--screenshot" || mode == "--x11-selftest") && argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: qv_gallery [--screenshot FILE [PAGE] | --x11-selftest FILE [PAGE]]\n");
    return 2;
  }
  int page = argc == 4 ? std::atoi(argv[3]) : 0;
  if (mode == "--screenshot") return Screenshot(argv[2], page);
  std::string error;
  auto backend = OpenX11Backend(&error);
  if (!backend) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
  gallery::TGalleryForm* form = gallery::CreateGallery();
  int rc = 0;
  if (mode == "--x11-selftest")
    rc = SelfTest(static_cast<X11Backend&>(*backend), form, argv[2], page);
  else
    Application->Run();
  // The windows go before the display they are shown on.
  delete form;
  return rc;
}
