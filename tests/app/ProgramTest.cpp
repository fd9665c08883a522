// The program body: its command line, and start-up and shutdown in order
// with the settings store made first and freed last.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../common/TempDir.h"
#include "AppTestSupport.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/forms/Images.h"
#include "catalogue/Settings.h"

namespace qv::test {
namespace {

TCommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "quirvane");
  return ParseCommandLine(int(args.size()), args.data());
}

TEST(CommandLine, AnswersHelpAndVersionAndRefusesTheRest) {
  EXPECT_EQ(Parse({}).Command, TCommand::Run);
  EXPECT_EQ(Parse({"--help"}).Command, TCommand::Help);
  EXPECT_EQ(Parse({"-h"}).Command, TCommand::Help);
  EXPECT_EQ(Parse({"--version"}).Command, TCommand::Version);
  TCommandLine bad = Parse({"--version", "--frobnicate", "--help"});
  EXPECT_EQ(bad.Command, TCommand::Refused);
  EXPECT_EQ(bad.Refused, "--frobnicate");
  EXPECT_EQ(Parse({"file.txt"}).Command, TCommand::Refused);
  EXPECT_EQ(VersionLine().rfind("Quirvane ", 0), 0u);
  EXPECT_NE(UsageText().find("--version"), std::string::npos);
}

class ProgramBody : public AppTest {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    oldConfig_ = old ? old : "";
    hadConfig_ = old != nullptr;
    ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
  }
  void TearDown() override {
    if (hadConfig_)
      ::setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    AppTest::TearDown();
  }
  TempDir config_;
  std::string oldConfig_;
  bool hadConfig_ = false;
};

TEST_F(ProgramBody, StartsAndStopsInOrder) {
  StartProgram();
  ASSERT_TRUE(Storage);
  EXPECT_EQ(Storage->SettingsFile(), config_.Path() + "Quirvane/Quirvane.ini");
  EXPECT_EQ(Application->Title, "Quirvane");

  CreateForms();
  ASSERT_TRUE(Images && FTypeDlg && DiscDlg && AboutForm);
  // The dialogs in the program's order, after the image module.
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i));
  std::vector<TCustomForm*> want = {FTypeDlg, DiscDlg, AboutForm};
  EXPECT_EQ(forms, want);
  EXPECT_EQ(Screen->DataModuleCount(), 1);
  EXPECT_EQ(AboutForm->VersionTxt->Caption(), Storage->VersionText);

  // Help from a dialog reaches the desktop.
  DiscDlg->Show();
  Pump();
  ClickOn(DiscDlg->HelpBtn);
  EXPECT_EQ(backend.Opened, (std::vector<std::string>{AppPath() + "help/a2_08_00.htm"}));

  // The about box stands in for the main window until that exists.
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  RunForms();
  EXPECT_FALSE(AboutForm->Visible());

  DestroyForms();
  EXPECT_EQ(Images, nullptr);
  EXPECT_EQ(FTypeDlg, nullptr);
  EXPECT_EQ(DiscDlg, nullptr);
  EXPECT_EQ(AboutForm, nullptr);
  EXPECT_EQ(Screen->FormCount(), 0);
  StopProgram();
  EXPECT_FALSE(Storage);

  // The store wrote its first-run keys on the way out.
  std::ifstream in(config_.Path() + "Quirvane/Quirvane.ini");
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("[GENERAL]"), std::string::npos);
  EXPECT_NE(s.str().find("First=0"), std::string::npos);
}

}  // namespace
}  // namespace qv::test
