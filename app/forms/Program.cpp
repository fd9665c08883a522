// The program body: the settings store first, then the application, the help
// opener and the forms in the program's order; the main window is the first
// form, so it is the main form. Shutdown runs in reverse.
#include "app/forms/Program.h"

#include "Version.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/PathDlg.h"
#include "app/dialogs/SettsForm.h"
#include "app/forms/Images.h"
#include "app/forms/MainForm.h"
#include "app/forms/MainTexts.h"
#include "catalogue/Help.h"
#include "catalogue/Info.h"
#include "catalogue/Settings.h"
#include "classlib/controls/Application.h"
#include "classlib/dialogs/Dialogs.h"
#include "platform/shell/ShellApi.h"
#include "skin/forms/skDialogs.h"

namespace qv {

TCommandLine ParseCommandLine(int argc, const char* const* argv) {
  TCommandLine line;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      line.Command = TCommand::Help;
    } else if (a == "--version") {
      line.Command = TCommand::Version;
    } else {
      line.Command = TCommand::Refused;
      line.Refused = a;
      return line;
    }
  }
  return line;
}

std::string UsageText() {
  return "Usage: quirvane [--help | --version]\n"
         "Quirvane catalogues discs and folders so they can be searched and browsed\n"
         "without the disc at hand. It needs a graphical display.\n"
         "  --help     show this text and exit\n"
         "  --version  show the version and exit\n";
}

std::string VersionLine() {
  return std::string(kAppTitle) + " " + QV_VERSION_TEXT;
}

void StartProgram() {
  Storage = std::make_unique<TStorage>("", true);
  Application->Initialize();
  Application->Title = kAppTitle;
  UseSkinnedForms();  // skin errors (a hint window without drawing resources) show the skinned box
  if (HHAutoLoad) LoadHtmlHelp();
  InstallHelpOpener();
}

void InstallHelpOpener() {
  SetHelpOpener([](const std::string& page) {
    return reinterpret_cast<intptr_t>(ShellExecuteUtf8(nullptr, "open", page, "", SW_SHOWNORMAL)) > 32;
  });
}

void CreateForms() {
  // The image module is made before the windows that draw its lists; it is
  // no form, so the main window, made next, is still the main form.
  Application->CreateForm(Images);
  Application->CreateForm(MainForm);
  Application->CreateForm(DiscWiz);
  Application->CreateForm(SettsForm);
  Application->CreateForm(FTypeDlg);
  Application->CreateForm(DiscDlg);
  Application->CreateForm(AboutForm);
  Application->CreateForm(BaseDlg);
  Application->CreateForm(PathDlg);
}

int RunForms() {
  // Without its schema the catalogue can do nothing: one clear box, and the
  // program ends before its window shows.
  if (!MainForm || !MainForm->EngineUsable()) {
    namespace T = texts::mainform;
    MessageDlg(T::NoSchema + AppPath() + T::NoSchemaEnd, mtError, TMsgDlgButtons{mbOK}, 0);
    return 1;
  }
  Application->Run();
  return 0;
}

namespace {
template <class F>
void Free(F*& form) {
  delete form;
  form = nullptr;
}
}  // namespace

void DestroyForms() {
  // Reverse order of creation; the pointers the program uses are cleared.
  Free(PathDlg);
  Free(BaseDlg);
  Free(AboutForm);
  Free(DiscDlg);
  Free(FTypeDlg);
  Free(SettsForm);
  Free(DiscWiz);
  Free(MainForm);
  Free(Images);
  Application->ProcessMessages();
}

void StopProgram() {
  SetHelpOpener(nullptr);
  UnloadHtmlHelp();
  Storage.reset();
}

}  // namespace qv
