// The skin demo program. With no arguments it opens on the desktop (X11)
// with its controls and its skinned windows; --screenshot FILE [PAGE]
// renders one of them headless into a PNG (page 0 the controls, 1 the
// skinned windows); --x11-selftest FILE [PAGE] shows it on the X display,
// waits until it is shown and writes its pixels as the server has them.
#include "classlib/controls/Application.h"
#include "demo/DemoMain.h"
#include "demo/skin/SkinDemoForm.h"
#include "demo/skin/SkinDemoFrames.h"
#include "skin/forms/skDialogs.h"

int main(int argc, char** argv) {
  using namespace qv;
  demo::DemoProgram program;
  program.Name = "qv_skin_demo";
  program.HeadlessScreen = SIZE{1040, 720};
  program.TakesPage = true;
  const bool desktop = argc == 1;
  program.Create = [desktop](int page) -> TForm* {
    UseSkinnedForms();  // before the first skin manager: its menus are skinned too
    demo::TSkinDemoFrames::SkinDirectory = "../skins";  // build/skins beside build/demo/skin
    if (page == 1) {
      // The MDI frame must be the main form for its children.
      demo::TSkinDemoFrames* frames = nullptr;
      Application->CreateForm(frames);
      frames->Show();
      frames->OpenChildren();
      frames->UseSkin("Dusk");
      return frames;
    }
    auto* form = new demo::TSkinDemoForm(nullptr, "../skins");
    form->Show();
    if (desktop) {
      demo::TSkinDemoFrames* frames = nullptr;
      Application->CreateForm(frames);
      frames->SetLeft(form->Left() + 80), frames->SetTop(form->Top() + 80);
      frames->Show();
      frames->OpenChildren();
    }
    return form;
  };
  return demo::RunDemoProgram(argc, argv, program);
}
