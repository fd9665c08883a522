// The add-disc wizard as a user goes through it from the main window: a label
// taken in another letter case is marked and blocks the way on, an add
// without scanning has two steps and stores an empty disc, and the file
// filters of the last step decide what the scan keeps.
#include "MainTestSupport.h"
#include "app/dialogs/DiscWiz.h"
#include "catalogue/Info.h"

namespace qv::test {
namespace {

class WizardScenario : public MainTest {
 protected:
  bool NextEnabled() {
    DiscWiz->UpdateActions();
    return DiscWiz->actNext->Enabled();
  }
  // The step text and the Next caption after each Next, up to the closing one.
  void GoThrough(std::vector<std::string>& seen) {
    for (int guard = 0; guard < 4 && DiscWiz->ModalResult() == mrNone; ++guard) {
      seen.push_back(DiscWiz->StepTxt->Caption() + " / " + DiscWiz->actNext->Caption());
      ASSERT_TRUE(NextEnabled()) << seen.back();
      DiscWiz->actNext->Execute();
    }
  }
  void CheckType(const std::string& name, bool checked) {
    TListItems* items = DiscWiz->FileList->Items();
    for (int i = 0; i < items->Count(); ++i)
      if (items->Item(i)->Caption() == name) {
        items->Item(i)->SetChecked(checked);
        return;
      }
    ADD_FAILURE() << "no file type " << name;
  }
  bool TypeChecked(const std::string& name) {
    TListItems* items = DiscWiz->FileList->Items();
    for (int i = 0; i < items->Count(); ++i)
      if (items->Item(i)->Caption() == name) return items->Item(i)->Checked();
    return false;
  }
  TDiscData Disc(const std::string& label) {
    int index = MainForm->Engine->Discs->FindByLabel(Utf8ToUtf16(label));
    EXPECT_GE(index, 0) << label;
    return index >= 0 ? MainForm->Engine->Discs->GetDisc(index) : TDiscData{};
  }
};

TEST_F(WizardScenario, ATakenLabelBlocksTheWayAndAnAddWithoutScanningTakesTwoSteps) {
  StartWithCatalogue();
  AddFixtureDisc("Shelf disc");
  std::vector<std::string> steps;
  TColor taken = clWindow, free = kInvalidLabelColor;
  bool nextOnTaken = true;
  backend.ModalAnswers.push_back([&](HWND) {
    DiscWiz->LabelEdit->SetText("SHELF DISC");
    taken = DiscWiz->LabelEdit->Color();
    nextOnTaken = NextEnabled();
    DiscWiz->actNext->Execute();  // refused: still the first step
    EXPECT_EQ(DiscWiz->PageIndex(), 0);
    DiscWiz->LabelEdit->SetText("Second disc");
    free = DiscWiz->LabelEdit->Color();
    DiscWiz->chkScan->SetChecked(false);
    GoThrough(steps);
  });
  MainForm->actScan->Execute();
  EXPECT_EQ(taken, kInvalidLabelColor);
  EXPECT_FALSE(nextOnTaken);
  EXPECT_EQ(free, clWindow);
  EXPECT_EQ(steps, (std::vector<std::string>{"Step 1 out of 2 / Next  >", "Step 2 out of 2 / Add"}));
  ASSERT_EQ(MainForm->Engine->Discs->Count(), 2);
  TDiscData empty = Disc("Second disc");
  EXPECT_EQ(empty.Files, 0);
  EXPECT_EQ(empty.Folders, 0);
}

TEST_F(WizardScenario, TheLastStepsFiltersDecideWhatTheScanKeeps) {
  StartWithCatalogue();
  std::string root = files.Path() + "temp/";
  MakeFile(root + "keep.txt", 10);
  MakeFile(root + "work.tmp", 20);
  MakeFile(root + "sub/old.bak", 30);
  MakeFile(root + "sub/song.mp3", 40);

  std::vector<std::string> steps;
  bool temporaryOffered = true;
  backend.ModalAnswers.push_back([&](HWND) {
    DiscWiz->LabelEdit->SetText("Filtered");
    DiscWiz->chkScan->SetChecked(true);
    SelectFolder(DiscWiz->PathTree, root);
    DiscWiz->actNext->Execute();
    DiscWiz->actNext->Execute();
    ASSERT_EQ(DiscWiz->PageIndex(), 2);
    DiscWiz->chkAllFiles->SetChecked(false);
    EXPECT_TRUE(DiscWiz->FileList->Visible());
    CheckType("Temporary", false);
    temporaryOffered = TypeChecked("Temporary");
    DiscWiz->SetPage(0);
    GoThrough(steps);
  });
  MainForm->actScan->Execute();
  EXPECT_FALSE(temporaryOffered);
  EXPECT_EQ(steps, (std::vector<std::string>{"Step 1 out of 3 / Next  >", "Step 2 out of 3 / Next  >",
                                             "Step 3 out of 3 / Start"}));
  TDiscData filtered = Disc("Filtered");
  EXPECT_EQ(filtered.Files, 2) << "keep.txt and song.mp3 only";
  EXPECT_EQ(filtered.Folders, 1);

  // Folders only: the folders are stored, no file.
  backend.ModalAnswers.push_back([&](HWND) {
    DiscWiz->LabelEdit->SetText("Folders");
    DiscWiz->chkScan->SetChecked(true);
    SelectFolder(DiscWiz->PathTree, root);
    DiscWiz->chkAllFiles->SetChecked(true);
    DiscWiz->chkFolders->SetChecked(true);
    EXPECT_FALSE(DiscWiz->chkAllFiles->Enabled());
    DiscWiz->SetModalResult(mrOk);
  });
  MainForm->actScan->Execute();
  TDiscData folders = Disc("Folders");
  EXPECT_EQ(folders.Files, 0);
  EXPECT_EQ(folders.Folders, 1);
}

}  // namespace
}  // namespace qv::test
