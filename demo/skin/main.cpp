// The skin demo program. With no arguments it opens on the desktop (X11)
// with its controls and its skinned windows; --screenshot FILE [PAGE]
// renders one of them headless into a PNG (page 0 the controls, 1 the
// skinned windows); --x11-selftest FILE [PAGE] shows it on the X display,
// waits until it is shown and writes its pixels as the server has them.
// A skin name after PAGE ("Harbour", "Dusk") puts that skin on the page.
#include <string>

#include "classlib/controls/Application.h"
#include "demo/DemoMain.h"
#include "demo/skin/SkinDemoForm.h"
#include "demo/skin/SkinDemoFrames.h"
#include "skin/forms/skDialogs.h"

int main(int argc, char** argv) {
  using namespace qv;
  // The page's skin: Harbour on the controls, Dusk on the windows, unless named.
  std::string skin;
  if (argc == 5 && std::string(argv[1]).rfind("--", 0) == 0) skin = argv[4], argc = 4;
  demo::DemoProgram program;
  program.Name = "qv_skin_demo";
  program.HeadlessScreen = SIZE{1040, 720};
  program.TakesPage = true;
  const bool desktop = argc == 1;
  program.Create = [desktop, skin](int page) -> TForm* {
    UseSkinnedForms();  // before the first skin manager: its menus are skinned too
    demo::TSkinDemoFrames::SkinDirectory = "../skins";  // build/skins beside build/demo/skin
    if (page == 1) {
      // The MDI frame must be the main form for its children.
      demo::TSkinDemoFrames* frames = nullptr;
      Application->CreateForm(frames);
      frames->Show();
      frames->OpenChildren();
      frames->UseSkin(skin.empty() ? "Dusk" : skin);
      return frames;
    }
    auto* form = new demo::TSkinDemoForm(nullptr, "../skins");
    if (!skin.empty()) form->ChooseSkin(skin);
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
