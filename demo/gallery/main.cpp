// The gallery program. With no arguments it opens on the desktop (X11) and
// runs the application's loop; --screenshot FILE renders it headless into a
// PNG (showing page PAGE, counted from 0, when given); --x11-selftest FILE
// shows it on the X display, waits until the server has shown it, and writes
// the form's pixels as the server has them.
#include "classlib/controls/Application.h"
#include "demo/DemoMain.h"
#include "demo/gallery/GalleryForm.h"

int main(int argc, char** argv) {
  using namespace qv;
  demo::DemoProgram program;
  program.Name = "qv_gallery";
  program.HeadlessScreen = SIZE{680, 560};
  program.TakesPage = true;
  program.Create = [](int page) -> TForm* {
    gallery::TGalleryForm* form = gallery::CreateGallery();
    if (page > 0 && page < form->Pages->PageCount()) form->Pages->SetActivePageIndex(page);
    return form;
  };
  // The actions take their state in the first idle pass, as on the desktop.
  program.Settle = [] { Application->DoActionIdle(); };
  return demo::RunDemoProgram(argc, argv, program);
}
