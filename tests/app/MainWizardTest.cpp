// Adding a disc from the main window: the wizard works on the window's
// catalogue, a cancelled wizard adds nothing, and a disc added without
// scanning has no files or folders.
#include "MainTestSupport.h"
#include "app/dialogs/DiscWiz.h"

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
