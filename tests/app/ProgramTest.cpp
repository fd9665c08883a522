// The program body: its command line, and start-up and shutdown in order
// with the settings store made first and freed last.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../common/TempDir.h"
#include "AppTestSupport.h"
#include "EnvScope.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/PathDlg.h"
#include "app/dialogs/SettsForm.h"
#include "app/forms/Images.h"
#include "app/forms/MainForm.h"
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
  TempDir data;
  EnvScope dataHome("XDG_DATA_HOME", data.Path());
  TMainForm::SchemaFolder = std::string(QV_BINARY_DIR) + "/app/";
  StartProgram();
  ASSERT_TRUE(Storage);
  EXPECT_EQ(Storage->SettingsFile(), config_.Path() + "Quirvane/Quirvane.ini");
  EXPECT_EQ(Application->Title, "Quirvane");

  CreateForms();
  ASSERT_TRUE(Images && MainForm && DiscWiz && SettsForm && FTypeDlg && DiscDlg && AboutForm && BaseDlg &&
              PathDlg);
  // The forms in the program's order; the first is the main form.
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i));
  std::vector<TCustomForm*> want = {MainForm, DiscWiz,   SettsForm, FTypeDlg,
                                    DiscDlg,  AboutForm, BaseDlg,   PathDlg};
  EXPECT_EQ(forms, want);
  EXPECT_EQ(Application->MainForm(), MainForm);
  EXPECT_EQ(Screen->DataModuleCount(), 1);
  EXPECT_EQ(AboutForm->VersionTxt->Caption(), Storage->VersionText);
  // Nothing is made before a dialog asks for it.
  EXPECT_FALSE(std::filesystem::exists(data.Path() + "Quirvane"));

  // The main window shows; its first activation offers a new catalogue;
  // cancelled, the window stays until it is closed. The message loop ends
  // the application for good, so it runs in a child process.
  EXPECT_EXIT(
      {
        std::string firstDialog;
        backend.ModalAnswers.push_back([&](HWND) {
          firstDialog = BaseDlg->Caption();
          backend.KeyPress(VK_ESCAPE);
          backend.WhenIdle([&] { MainForm->Close(); });
        });
        int code = RunForms();
        std::_Exit(code != 0 ? 3 : firstDialog != " New database" ? 4 : 0);
      },
      ::testing::ExitedWithCode(0), "");

  DestroyForms();
  EXPECT_EQ(Images, nullptr);
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_EQ(BaseDlg, nullptr);
  EXPECT_EQ(Screen->FormCount(), 0);
  StopProgram();
  EXPECT_FALSE(Storage);
  TMainForm::SchemaFolder.clear();

  // The store wrote its first-run keys and the main window its section.
  std::ifstream in(config_.Path() + "Quirvane/Quirvane.ini");
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("[GENERAL]"), std::string::npos);
  EXPECT_NE(s.str().find("First=0"), std::string::npos);
  EXPECT_NE(s.str().find("[MAINFORM]"), std::string::npos);
}

}  // namespace
}  // namespace qv::test
