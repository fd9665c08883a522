// The folder-choice dialog over real temporary folders: the chosen folder in
// and out, OK only on an existing folder, the prompt widening the dialog,
// and the modal answers.
#include <filesystem>

#include "../common/TempDir.h"
#include "AppTestSupport.h"
#include "app/dialogs/PathDlg.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class PathDlgTest : public AppTest {
 protected:
  PathDlgTest() {
    fs::create_directories(dir / "discs/one");
    fs::create_directories(dir / "discs/two");
    dlg = new TPathDlg(nullptr);
  }
  bool OkOffered() {
    dlg->actOK->Update();
    return dlg->actOK->Enabled();
  }
  std::string Folder(const std::string& rel) { return dir / rel; }

  TempDir dir;
  TPathDlg* dlg;
};

TEST_F(PathDlgTest, ChosenFolderInAndOutAndOkOnlyOnAFolder) {
  EXPECT_EQ(dlg->Caption(), " Browse");
  EXPECT_EQ(dlg->BorderStyle(), bsSizeToolWin);
  EXPECT_EQ(dlg->Position, poScreenCenter);
  EXPECT_TRUE(dlg->OKBtn->Default());
  EXPECT_TRUE(dlg->CancelBtn->Cancel());
  EXPECT_FALSE(dlg->Tree->AutoRefresh());

  dlg->SetPath(Folder("discs/two"));
  EXPECT_EQ(dlg->Path(), Folder("discs/two"));
  EXPECT_TRUE(OkOffered());
  // An empty value changes nothing.
  dlg->SetPath("");
  EXPECT_EQ(dlg->Path(), Folder("discs/two"));
  // A folder made after the tree read its parent is found all the same.
  fs::create_directories(Folder("discs/two/later/deeper"));
  dlg->SetPath(Folder("discs/two/later/deeper"));
  EXPECT_EQ(dlg->Path(), Folder("discs/two/later/deeper"));
  // The computer node is no folder: OK is refused there.
  dlg->Tree->SetSelected(dlg->Tree->Items()->GetFirstNode());
  EXPECT_FALSE(OkOffered());
  dlg->actOK->Execute();
  EXPECT_EQ(dlg->ModalResult(), mrNone);
  // A folder removed while selected is no longer offered.
  dlg->SetPath(Folder("discs/one"));
  fs::remove(Folder("discs/one"));
  EXPECT_FALSE(OkOffered());
}

TEST_F(PathDlgTest, ExecuteAnswersOkOnlyWithOk) {
  dlg->SetPath(Folder("discs"));
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  EXPECT_TRUE(dlg->Execute());
  EXPECT_EQ(dlg->Path(), Folder("discs"));
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  EXPECT_FALSE(dlg->Execute());
  // Enter on a folder that vanished leaves the dialog up.
  fs::create_directories(Folder("gone"));
  dlg->SetPath(Folder("gone"));
  fs::remove(Folder("gone"));
  backend.ModalAnswers.push_back([&](HWND) {
    backend.KeyPress(VK_RETURN);
    backend.WhenIdle([&] {
      EXPECT_TRUE(dlg->Visible());
      backend.KeyPress(VK_ESCAPE);
    });
  });
  EXPECT_FALSE(dlg->Execute());
}

TEST_F(PathDlgTest, LongPromptWidensTheDialogShortOneDoesNot) {
  const int width = dlg->Width();
  dlg->SetText("Select a folder");
  EXPECT_EQ(dlg->Text(), "Select a folder");
  EXPECT_EQ(dlg->Width(), width);
  const std::string prompt =
      "Select where the disc labeled \"A rather long disc label for a test\" [Shelf 3, second box from the "
      "left] "
      "is available and press OK";
  dlg->SetText(prompt);
  EXPECT_EQ(dlg->Text(), prompt);
  EXPECT_GT(dlg->LabelTxt->Width() + 32, width);
  EXPECT_EQ(dlg->Width(), dlg->LabelTxt->Width() + 32);
  // The tree follows the new width.
  EXPECT_GT(dlg->Tree->Width(), width - 32);
}

TEST_F(PathDlgTest, NeverSmallerThanItsMinimum) {
  dlg->SetBounds(dlg->Left(), dlg->Top(), 100, 100);
  EXPECT_EQ(dlg->Width(), 320);
  EXPECT_EQ(dlg->Height(), 240);
  // The buttons stay inside.
  EXPECT_LE(dlg->OKBtn->Left() + dlg->OKBtn->Width(), dlg->ClientWidth());
  EXPECT_LE(dlg->CancelBtn->Top() + dlg->CancelBtn->Height(), dlg->ClientHeight());
}

}  // namespace
}  // namespace qv::test
