// The skin demo program. With no arguments it opens on the desktop (X11);
// --screenshot FILE renders it headless into a PNG; --x11-selftest FILE shows
// it on the X display, waits until it is shown and writes its pixels as the
// server has them into a PNG.
#include "demo/DemoMain.h"
#include "demo/skin/SkinDemoForm.h"

int main(int argc, char** argv) {
  using namespace qv;
  demo::DemoProgram program;
  program.Name = "qv_skin_demo";
  program.HeadlessScreen = SIZE{1040, 720};
  program.Create = [](int) -> TForm* {
    auto* form = new demo::TSkinDemoForm(nullptr, "../skins");  // build/skins beside build/demo/skin
    form->Show();
    return form;
  };
  return demo::RunDemoProgram(argc, argv, program);
}
