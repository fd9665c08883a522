// Fixture of the main window's tests: the program body started for real on a
// headless screen, with settings and catalogues in temporary folders, every
// message box recorded and answered from a script, and helpers that answer
// the dialogs the flows open.
#pragma once
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../common/TempDir.h"
#include "../common/TreeMaker.h"
#include "AppTestSupport.h"
#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/PathDlg.h"
#include "app/forms/Images.h"
#include "app/forms/MainForm.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "classlib/controls/MessageBox.h"
#include "platform/Utf.h"
#include "skin/controls/skShellTreeView.h"

namespace qv::test {

// Queues the answer to the next add-disc wizard: the label and, when folder
// is set, the folder to scan (defined with the wizard's own tests: the
// wizard's list view and the data tree name a state alike, so no unit
// includes both).
void QueueWizardAnswer(HeadlessBackend& backend, const std::string& label, const std::string& folder);
// The console's lines (defined with the scenarios, which include the frames).
std::vector<std::string> ConsoleLinesNow();

struct BoxRecord {
  std::string Text, Caption;
  UINT Flags;
};

class MainTest : public AppTest {
 protected:
  MainTest() = default;
  explicit MainTest(SIZE screen) : AppTest(screen) {}
  void SetUp() override {
    AppTest::SetUp();
    Keep("XDG_CONFIG_HOME", config.Path());
    Keep("XDG_DATA_HOME", data.Path());
    TMainForm::SchemaFolder = std::string(QV_BINARY_DIR) + "/app/";
    SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT flags) {
      boxes.push_back({text, caption, flags});
      if (boxAnswers.empty()) return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
      int answer = boxAnswers.front();
      boxAnswers.pop_front();
      return answer;
    });
  }
  void TearDown() override {
    Stop();
    SetMessageBoxHook(nullptr);
    TMainForm::SchemaFolder.clear();
    for (auto& [name, value] : saved_) {
      if (value.second)
        ::setenv(name.c_str(), value.first.c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
    AppTest::TearDown();
  }

  // Starts the program body; with show, the main window shows and its first
  // activation runs (answer its dialog before).
  void Start(bool show = true) {
    StartProgram();
    CreateForms();
    started_ = true;
    if (show) {
      // The pointer rests where no window of the program lies: left by an
      // earlier test over a button, it would show that button's hint in
      // the status bar in place of what the test looks for.
      SIZE screen = backend.ScreenSize();
      backend.MouseMove(screen.cx - 1, screen.cy - 1);
      MainForm->Show();
      Pump();
      Idle();
    }
  }
  // Frees the forms and the settings store, as the program ends.
  void Stop() {
    if (!started_) return;
    started_ = false;
    DestroyForms();
    StopProgram();
  }
  void Restart(bool show = true) {
    Stop();
    Start(show);
  }
  // One idle pass: the actions follow the state.
  void Idle() {
    Pump();
    for (TCustomForm* f : {static_cast<TCustomForm*>(MainForm)})
      if (f) f->UpdateActions();
  }
  bool Enabled(TAction* a) {
    Idle();
    return a->Enabled();
  }

  std::string DatabaseFolder() const { return data.Path() + "Quirvane/Bases/"; }

  // Answers the next database dialog: New (name, password) in a new folder
  // `sub` of the catalogue folder, or Open of the folder `sub`.
  void AnswerNew(const std::string& name, const std::string& password = "", const std::string& sub = "Test") {
    MakeFolder(DatabaseFolder() + sub);
    backend.ModalAnswers.push_back([=, this](HWND) {
      SelectFolder(BaseDlg->PathTree, DatabaseFolder() + sub);
      BaseDlg->NameEdit->SetText(name);
      BaseDlg->PassEdit->SetText(password);
      dialogCaptions.push_back(BaseDlg->Caption());
      // OK as the user presses it: offered once the dialog has looked at the folder.
      backend.WhenIdle([] { BaseDlg->actOK->Execute(); });
    });
  }
  void AnswerOpen(const std::string& password, const std::string& sub = "Test") {
    backend.ModalAnswers.push_back([=, this](HWND) {
      SelectFolder(BaseDlg->PathTree, DatabaseFolder() + sub);
      BaseDlg->PassEdit->SetText(password);
      dialogCaptions.push_back(BaseDlg->Caption());
      backend.WhenIdle([this] {
        shownName = BaseDlg->NameEdit->Text();
        BaseDlg->actOK->Execute();
      });
    });
  }
  void AnswerCancel() {
    backend.ModalAnswers.push_back([this](HWND) {
      if (TCustomForm* f = Screen->ActiveForm()) {
        dialogCaptions.push_back(f->Caption());
        f->SetModalResult(mrCancel);
      }
    });
  }
  // Answers the next add-disc wizard with a label and, when folder is set,
  // a folder to scan.
  void AnswerWizard(const std::string& label, const std::string& folder) {
    QueueWizardAnswer(backend, label, folder);
  }
  void AnswerPath(const std::string& folder) {
    backend.ModalAnswers.push_back([=](HWND) {
      SelectFolder(PathDlg->Tree, folder);
      PathDlg->SetModalResult(mrOk);
    });
  }

  // A fresh program with a new catalogue "Test".
  void StartWithCatalogue(const std::string& password = "") {
    AnswerNew("Test", password);
    Start();
    ASSERT_TRUE(MainForm->Engine->IsOpen());
  }

  // Three folders, seven visible files (four of them ".txt") and a hidden one.
  std::string MakeFixture() {
    std::string root = files.Path() + "disc/";
    MakeFile(root + "readme.txt", 1024);
    MakeFile(root + "notes.txt", 10);
    MakeFile(root + "photo.jpg", 2048);
    MakeFile(root + "docs/manual.txt", 4096);
    MakeFile(root + "docs/sub/deep.txt", 1);
    MakeFile(root + "music/song.mp3", 3000);
    MakeFile(root + "music/cover.png", 300);
    MakeFile(root + ".hidden.txt", 5);
    return root;
  }
  void AddFixtureDisc(const std::string& label = "Shelf disc") {
    std::string root = MakeFixture();
    AnswerWizard(label, root);
    MainForm->actScan->Execute();
    Idle();
  }

  std::vector<std::string> ConsoleLines() const { return ConsoleLinesNow(); }
  bool ConsoleHas(const std::string& part) const {
    for (const std::string& l : ConsoleLines())
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  std::string SettingsText() const {
    std::ifstream in(config.Path() + "Quirvane/Quirvane.ini");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TempDir config, data, files;
  std::vector<BoxRecord> boxes;
  std::deque<int> boxAnswers;
  std::vector<std::string> dialogCaptions;
  std::string shownName;

 private:
  void Keep(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.push_back({name, {old ? old : "", old != nullptr}});
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  std::vector<std::pair<std::string, std::pair<std::string, bool>>> saved_;
  bool started_ = false;
};

}  // namespace qv::test
