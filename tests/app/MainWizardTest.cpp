// Adding a disc and editing file types from the main window: the wizard works
// on the window's catalogue and its F1 opens its own page, a cancelled wizard
// adds nothing, a disc added without scanning is empty, and a file type added
// in the settings reaches the engine, the wizard and the next start.
#include "MainTestSupport.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/SettsForm.h"
#include "catalogue/Info.h"

namespace qv::test {

void QueueWizardAnswer(HeadlessBackend& backend, const std::string& label, const std::string& folder) {
  backend.ModalAnswers.push_back([=](HWND) {
    DiscWiz->LabelEdit->SetText(label);
    DiscWiz->chkScan->SetChecked(!folder.empty());
    if (!folder.empty()) SelectFolder(DiscWiz->PathTree, folder);
    DiscWiz->SetModalResult(mrOk);
  });
}

namespace {

using MainWizard = MainTest;

TEST_F(MainWizard, CancelAddsNothingAndAnAddWithoutScanningIsEmpty) {
  StartWithCatalogue();
  TEngine* engine = MainForm->Engine.get();
  TEngine* seen = nullptr;
  backend.ModalAnswers.push_back([&](HWND) {
    seen = DiscWiz->Engine;
    DiscWiz->LabelEdit->SetText("Never");
    backend.KeyPress(VK_ESCAPE);
  });
  MainForm->actScan->Execute();
  EXPECT_EQ(seen, engine);
  EXPECT_EQ(engine->Discs->Count(), 0);

  // F1 in the wizard opens the wizard's page, not the main window's.
  backend.Opened.clear();
  backend.ModalAnswers.push_back([&](HWND) {
    backend.KeyPress(VK_F1);
    backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
  });
  MainForm->actScan->Execute();
  EXPECT_EQ(backend.Opened, (std::vector<std::string>{AppPath() + "help/a2_04_00.htm"}));
  EXPECT_EQ(engine->Discs->Count(), 0);
  EXPECT_TRUE(Enabled(MainForm->actScan));

  QueueWizardAnswer(backend, "Empty box", "");
  MainForm->actScan->Execute();
  ASSERT_EQ(engine->Discs->Count(), 1);
  TDiscData d = engine->Discs->GetDisc(0);
  EXPECT_EQ(d.Label, u"Empty box");
  EXPECT_EQ(d.Files, 0);
  EXPECT_EQ(d.Folders, 0);
  // With nothing on it the disc cannot be browsed.
  EXPECT_FALSE(MainForm->actAbort->Enabled());
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST_F(MainWizard, ANewFileTypeReachesTheCatalogueTheWizardAndTheNextStart) {
  StartWithCatalogue();
  TFileKinds& kinds = *MainForm->Engine->FileKinds;
  int before = kinds.Count();
  // Cancel drops what was changed.
  backend.ModalAnswers.push_back([&](HWND) {
    backend.ModalAnswers.push_front([&](HWND) {
      FTypeDlg->SetTypeName("Ebooks");
      FTypeDlg->SetExts("EPUB MOBI");
      FTypeDlg->SetModalResult(mrOk);
    });
    SettsForm->actAdd->Execute();
    SettsForm->SetModalResult(mrCancel);
  });
  MainForm->actSettings->Execute();
  EXPECT_EQ(kinds.Count(), before);

  backend.ModalAnswers.push_back([&](HWND) {
    backend.ModalAnswers.push_front([&](HWND) {
      FTypeDlg->SetTypeName("Ebooks");
      FTypeDlg->SetExts("EPUB MOBI");
      FTypeDlg->SetModalResult(mrOk);
    });
    SettsForm->actAdd->Execute();
    SettsForm->SetModalResult(mrOk);
  });
  MainForm->actSettings->Execute();
  ASSERT_EQ(kinds.Count(), before + 1);
  EXPECT_EQ(kinds.KindName("epub"), "Ebooks");
  EXPECT_EQ(kinds.GetItem(before).Exts, "epub mobi");

  // The wizard lists it.
  bool listed = false;
  backend.ModalAnswers.push_back([&](HWND) {
    for (int i = 0; i < DiscWiz->FileList->Items()->Count(); ++i)
      listed |= DiscWiz->FileList->Items()->Item(i)->Caption() == "Ebooks";
    DiscWiz->SetModalResult(mrCancel);
  });
  MainForm->actScan->Execute();
  EXPECT_TRUE(listed);

  Stop();
  EXPECT_NE(SettingsText().find("Count=" + std::to_string(before + 1)), std::string::npos) << SettingsText();
  Start();
  EXPECT_EQ(MainForm->Engine->FileKinds->KindName("mobi"), "Ebooks");
}

}  // namespace
}  // namespace qv::test
