// The main window over a catalogue whose open could not write its first
// record (a leftover folder stands where the description's new copy goes):
// a category add, rename or delete, and a disc's properties, asked for
// before the window has caught up with the read-only state, are refused on
// the console, and the category list and the disc row on screen stay as they
// were, as does the catalogue at the next open. And one whose folder was
// moved aside and replaced by a copy while it was open.
#include <filesystem>
#include <fstream>
#include <map>

#include "MainTestSupport.h"
#include "app/dialogs/DiscDlg.h"
#include "app/frames/DiscTree.h"

namespace qv::test {
namespace {

const char* const kRefused = " ERROR : The database cannot be written and is opened for reading only";

class ReadOnlyChanges : public MainTest {
 protected:
  std::vector<std::string> CategoryTexts() {
    std::vector<std::string> texts;
    for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      texts.push_back(n->Text());
    return texts;
  }
  // Every cell of the disc list, row by row, as shown.
  std::vector<std::string> DiscCells() {
    std::vector<std::string> cells;
    TDataStringTree* t = DiscTree->Tree;
    const int columns = t->Header()->Columns()->Count();
    for (PDataNode n = t->GetFirstChild(nullptr); n; n = t->GetNextSibling(n))
      for (int c = 0; c < columns; ++c) cells.push_back(Utf16ToUtf8(t->GetText(n, c)));
    return cells;
  }
  // -1: the root, all categories.
  void SelectCategory(int index) {
    for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      if (index < 0 ? !n->Parent() : n->Parent() && int(reinterpret_cast<intptr_t>(n->Data())) == index) {
        DiscTree->CatTree->SetSelected(n);
        return;
      }
    FAIL() << "no node of category " << index;
  }
  // As a menu item or a button pressed before the window has caught up
  // with the state would run it.
  static void Run(TAction* action) { action->OnExecute(action); }
  int Refusals() {
    int n = 0;
    for (const std::string& l : ConsoleLines()) n += l.find(kRefused) != std::string::npos;
    return n;
  }
  std::string Blocker() const { return DatabaseFolder() + "Test/xbase.vlm.tmp"; }
};

TEST_F(ReadOnlyChanges, CategoryAndDiscChangesAreRefusedAndTheScreenStays) {
  StartWithCatalogue();
  AddFixtureDisc();
  Stop();
  std::filesystem::create_directory(Blocker());
  Start();
  TMainForm* f = MainForm;
  ASSERT_TRUE(f->Engine->IsOpen());
  ASSERT_TRUE(f->Engine->Base->ReadOnly());
  ASSERT_TRUE(ConsoleHas("The database cannot be written (failed to write the database description"))
      << testing::PrintToString(ConsoleLines());
  DiscTree->Tree->SetFocus();
  backend.KeyPress(VK_HOME);
  Pump();
  ASSERT_NE(DiscTree->FirstSelectedDisc(), nullptr);
  const std::vector<std::string> categories = CategoryTexts(), discs = DiscCells();
  const int discCategory = f->Engine->Discs->GetDisc(0).Category;
  const int empty = discCategory == 1 ? 2 : 1;

  backend.ModalAnswers.push_back([](HWND) {
    DiscDlg->StoreEdit->SetText("Shelf 9");
    DiscDlg->Info->SetText("moved");
    DiscDlg->SetModalResult(mrOk);
  });
  Run(f->actEdit);
  Idle();
  EXPECT_EQ(DiscCells(), discs);
  auto typed = [this](const char16_t* text) {
    backend.ModalAnswers.push_back([this, text](HWND) {
      backend.TypeText(text);
      backend.KeyPress(VK_RETURN);
    });
  };
  typed(u"Tapes");
  Run(f->actCatAdd);
  SelectCategory(empty);
  typed(u"Cassettes");
  Run(f->actCatEdit);
  SelectCategory(empty);
  boxAnswers = {IDYES};
  Run(f->actCatDel);
  SelectCategory(-1);
  Idle();

  EXPECT_EQ(Refusals(), 4) << testing::PrintToString(ConsoleLines());
  EXPECT_EQ(backend.ModalAnswers.size(), 3u) << "a dialog came up";
  backend.ModalAnswers.clear();
  EXPECT_EQ(CategoryTexts(), categories);
  EXPECT_EQ(DiscCells(), discs);
  EXPECT_EQ(f->Engine->Discs->GetDisc(0).Category, discCategory);

  // The next open, which can write, finds the list as it was.
  Stop();
  std::filesystem::remove(Blocker());
  Start();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  ASSERT_FALSE(MainForm->Engine->Base->ReadOnly());
  EXPECT_EQ(CategoryTexts(), categories);
  EXPECT_EQ(DiscCells(), discs);
}

// Each file of a folder with its bytes.
std::map<std::string, std::string> FilesOf(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// The user moves the catalogue's folder aside and puts a copy in its place
// while the program has it open (the advice after damage): the add goes on
// into the folder the program holds, saying once where that folder is now;
// the program ends without a failure; the copy is left exactly as it was,
// and the folder moved aside holds the add.
TEST_F(ReadOnlyChanges, AFolderReplacedByACopyWhileOpenIsLeftAsItWas) {
  StartWithCatalogue();
  AddFixtureDisc("Kept disc");
  Stop();
  const std::string folder = DatabaseFolder() + "Test";
  const std::string aside = folder + ".aside";
  const std::string copy = files.Path() + "copy";
  std::filesystem::copy(folder, copy);
  const auto copied = FilesOf(copy);

  Start();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  std::filesystem::rename(folder, aside);
  std::filesystem::copy(copy, folder);
  AnswerWizard("After the move", MakeFixture());
  Run(MainForm->actScan);
  Idle();
  backend.ModalAnswers.clear();
  const std::string moved = " WARNING : The folder of database \"Test\" was moved to \"" + aside +
                            "\" while it was open; this session's changes are there";
  EXPECT_TRUE(ConsoleHas(moved)) << testing::PrintToString(ConsoleLines());
  EXPECT_FALSE(ConsoleHas(" ERROR : ")) << testing::PrintToString(ConsoleLines());
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 2);
  Stop();
  for (const BoxRecord& b : boxes) EXPECT_EQ(b.Text.find("Failed to close"), std::string::npos) << b.Text;
  EXPECT_EQ(FilesOf(folder), copied);

  Start();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_FALSE(MainForm->Engine->Base->ReadOnly());
  EXPECT_FALSE(ConsoleHas(" ERROR : ") || ConsoleHas(" WARNING : "))
      << testing::PrintToString(ConsoleLines());
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 1);
  Stop();

  // The folder moved aside opens whole, with the add made after the move.
  std::filesystem::remove_all(folder);
  std::filesystem::rename(aside, folder);
  Start();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_FALSE(MainForm->Engine->Base->ReadOnly());
  EXPECT_FALSE(ConsoleHas(" ERROR : ") || ConsoleHas(" WARNING : "))
      << testing::PrintToString(ConsoleLines());
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 2);
}

}  // namespace
}  // namespace qv::test
