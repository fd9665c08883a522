// The data tree demo program. With no arguments it opens on the desktop (X11);
// --screenshot FILE renders it headless into a PNG; --x11-selftest FILE shows
// it on the X display, waits until the server shows it and writes the
// window's pixels as the server has them into a PNG.
#include "demo/DemoMain.h"
#include "demo/tree/TreeDemoForm.h"

int main(int argc, char** argv) {
  using namespace qv;
  demo::DemoProgram program;
  program.Name = "qv_tree_demo";
  program.HeadlessScreen = SIZE{1000, 640};
  program.Create = [](int) -> TForm* { return treedemo::CreateTreeDemo(); };
  return demo::RunDemoProgram(argc, argv, program);
}
