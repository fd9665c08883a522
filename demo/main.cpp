// The demo program. With no arguments it opens on the desktop (X11) and runs
// the application's loop; --screenshot FILE renders it headless into a PNG;
// --x11-selftest FILE shows it on the X display, waits until the server has
// shown it (and its popup), and writes the form's pixels as the server has them.
#include "demo/DemoForm.h"
#include "demo/DemoMain.h"

int main(int argc, char** argv) {
  using namespace qv;
  demo::DemoProgram program;
  program.Name = "qv_demo";
  program.HeadlessScreen = SIZE{800, 600};
  program.Create = [](int) -> TForm* { return demo::CreateDemo(); };
  program.MustShow = [](TForm* form) {
    return std::vector<HWND>{form->Handle(), static_cast<demo::TDemoForm*>(form)->Popup->Handle()};
  };
  return demo::RunDemoProgram(argc, argv, program);
}
