// The program body. The forms still to come are marked where they go, so the
// order stays the one the program needs: the first form made is the main form.
#include "app/forms/Program.h"

#include "Version.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/forms/Images.h"
#include "catalogue/Help.h"
#include "catalogue/Info.h"
#include "catalogue/Settings.h"
#include "classlib/controls/Application.h"
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
  // MainForm (TMainForm) comes first here, once the main window exists.
  Application->CreateForm(Images);
  // DiscWiz (TDiscWiz), then SettsForm (TSettsForm), come here.
  Application->CreateForm(FTypeDlg);
  Application->CreateForm(DiscDlg);
  Application->CreateForm(AboutForm);
  // BaseDlg (TBaseDlg), then PathDlg (TPathDlg), come here.
}

void RunForms() {
  // No main window yet: the about box stands in for it. With MainForm made
  // first in CreateForms, this becomes Application->Run().
  AboutForm->ShowModal();
}

void DestroyForms() {
  // Reverse order of creation; the pointers the program uses are cleared.
  delete AboutForm;
  AboutForm = nullptr;
  delete DiscDlg;
  DiscDlg = nullptr;
  delete FTypeDlg;
  FTypeDlg = nullptr;
  delete Images;
  Images = nullptr;
  Application->ProcessMessages();
}

void StopProgram() {
  SetHelpOpener(nullptr);
  UnloadHtmlHelp();
  Storage.reset();
}

}  // namespace qv
