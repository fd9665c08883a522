// More of the program end to end: a folder-only search with its colours and
// a reversible order, browsing a disc from its row and moving through its
// folders, and opening the file manager on a result from the browser and
// the search page with the folder the user names for the disc.
#include "MainTestSupport.h"
#include "app/dialogs/DiscDlg.h"
#include "app/frames/Browser.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"

namespace qv::test {
namespace {

class MoreScenario : public MainTest {
 protected:
  std::string Cell(TDataStringTree* t, PDataNode n, int column) { return Utf16ToUtf8(t->GetText(n, column)); }
  // Column 0 of the rows under parent (null: the top rows), in view order.
  std::vector<std::string> Texts(TDataStringTree* t, PDataNode parent) {
    std::vector<std::string> texts;
    for (PDataNode n = t->GetFirstChild(parent); n; n = t->GetNextSibling(n)) texts.push_back(Cell(t, n, 0));
    return texts;
  }
  PDataNode Top(TDataStringTree* t, const std::string& text) {
    for (PDataNode n = t->GetFirstChild(nullptr); n; n = t->GetNextSibling(n))
      if (Cell(t, n, 0) == text) return n;
    return nullptr;
  }
  void Search(const std::string& fileMask, const std::string& folderMask) {
    FileTree->FileEdit->SetText(fileMask);
    FileTree->FolderEdit->SetText(folderMask);
    ASSERT_TRUE(Enabled(MainForm->actSearch));
    MainForm->actSearch->Execute();
    Idle();
  }
  void SelectOnly(TDataStringTree* t, PDataNode n) {
    ASSERT_NE(n, nullptr);
    t->ClearSelection();
    t->SetSelected(n, true);
    t->SetFocusedNode(n);
  }
  void Enter(const std::string& row) {
    SelectOnly(Browser->FileView, Top(Browser->FileView, row));
    char16_t key = u'\r';
    Browser->FileViewKeyPress(Browser->FileView, key);
  }
  // Answers the next folder question with folder, keeping the prompt shown.
  void AnswerWhere(const std::string& folder) {
    backend.ModalAnswers.push_back([=, this](HWND) {
      prompts.push_back(PathDlg->Text());
      SelectFolder(PathDlg->Tree, folder);
      PathDlg->SetModalResult(mrOk);
    });
  }
  std::vector<std::string> prompts;
};

TEST_F(MoreScenario, AFolderOnlySearchShowsFolderGroupsAndASecondSizeClickReversesTheEntries) {
  StartWithCatalogue();
  std::string root = files.Path() + "subs/";
  MakeFile(root + "a/sub/x.dat", 10);
  MakeFile(root + "b/sub/x.dat", 2000);
  MakeFile(root + "c/sub/x.dat", 300);
  MakeFile(root + "c/sub/y.dat", 300);
  AnswerWizard("Subs", root);
  MainForm->actScan->Execute();
  Idle();
  MainForm->SetBounds(0, 0, 800, 600);

  Search("", "sub*");
  TDataStringTree* t = FileTree->Tree;
  EXPECT_EQ(Texts(t, nullptr), std::vector<std::string>{"sub"});
  PDataNode group = Top(t, "sub");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(Texts(t, group).size(), 3u);
  EXPECT_TRUE(ConsoleHas(" 0 file(s) and 1 folder(s) found")) << testing::PrintToString(ConsoleLines());

  backend.AdvanceClock(100);
  Pump();
  Surface shot = backend.Screenshot();
  int folderGroups = 0, fileGroups = 0;
  for (uint32_t px : shot.Pixels) {
    folderGroups += (px & 0xFFFFFF) == (PixelRGB(255, 230, 210) & 0xFFFFFF);
    fileGroups += (px & 0xFFFFFF) == (PixelRGB(210, 230, 255) & 0xFFFFFF);
  }
  EXPECT_GT(folderGroups, 400);
  EXPECT_EQ(fileGroups, 0);

  // " Size ": once, then again the other way round (the copies of a file
  // differ in size; folders have none).
  Search("x.dat", "*");
  group = Top(t, "x.dat");
  ASSERT_NE(group, nullptr);
  TDTHeader* h = t->Header();
  FileTree->TreeHeaderClick(h, 1, mbLeft, {}, 0, 0);
  std::vector<std::string> once = Texts(t, group);
  FileTree->TreeHeaderClick(h, 1, mbLeft, {}, 0, 0);
  std::vector<std::string> twice = Texts(t, group);
  std::reverse(twice.begin(), twice.end());
  EXPECT_EQ(once, twice);
  EXPECT_NE(once, Texts(t, group));
}

TEST_F(MoreScenario, ADiscRowOpensTheBrowserWhereUpStaysFirstAndEnterMovesThroughFolders) {
  StartWithCatalogue();
  AddFixtureDisc("Shelf disc");
  MakeFile(files.Path() + "disc/docs/a.txt", 7);
  SelectOnly(DiscTree->Tree, DiscTree->Tree->GetFirst());
  DiscTree->TreeDblClick(DiscTree->Tree);
  Idle();
  ASSERT_EQ(MainForm->PageControl->ActivePageIndex(), 2);
  TTreeNode* rootNode = Browser->FolderTree->Items()->GetFirstNode();
  ASSERT_NE(rootNode, nullptr);
  EXPECT_TRUE(rootNode->Expanded());
  TDataStringTree* v = Browser->FileView;
  // The root has nowhere to go up to.
  std::vector<std::string> top = Texts(v, nullptr);
  ASSERT_FALSE(top.empty());
  EXPECT_NE(top.front(), "..");
  EXPECT_EQ(std::vector<std::string>(top.begin(), top.begin() + 2),
            (std::vector<std::string>{"docs", "music"}));

  Enter("docs");
  ASSERT_NE(Browser->ShownFolder(), nullptr);
  EXPECT_EQ(Browser->ShownFolder()->Name, "docs");
  EXPECT_EQ(Texts(v, nullptr), (std::vector<std::string>{"..", "sub", "manual.txt"}));
  TDTHeader* h = v->Header();
  for (int column : {0, 0, 1, 1, 2, 2, 3, 3}) {
    Browser->FileViewHeaderClick(h, column, mbLeft, {}, 0, 0);
    std::vector<std::string> rows = Texts(v, nullptr);
    ASSERT_EQ(rows.size(), 3u) << column;
    EXPECT_EQ(rows[0], "..") << column;
    EXPECT_EQ(rows[1], "sub") << column;
  }
  Enter("..");
  EXPECT_EQ(Browser->ShownFolder(), MainForm->Engine->Discs->BrowseRoot.get());
  top = Texts(v, nullptr);
  EXPECT_NE(top.front(), "..");
  EXPECT_NE(std::find(top.begin(), top.end(), "docs"), top.end());
}

TEST_F(MoreScenario, TheFileManagerOpensWhereTheUserSaysTheDiscIs) {
  StartWithCatalogue();
  AddFixtureDisc("Shelf disc");
  SelectOnly(DiscTree->Tree, DiscTree->Tree->GetFirst());
  backend.ModalAnswers.push_back([&](HWND) {
    DiscDlg->StoreEdit->SetText("Shelf 3");
    DiscDlg->SetModalResult(mrOk);
  });
  MainForm->actEdit->Execute();
  Idle();
  std::string mount = files.Path() + "mount/";
  MakeFolder(mount);

  // The browser: a file that is not where the user says is reported.
  SelectOnly(DiscTree->Tree, DiscTree->Tree->GetFirst());
  MainForm->actBrowse->Execute();
  Idle();
  TDataStringTree* v = Browser->FileView;
  SelectOnly(v, Top(v, "readme.txt"));
  ASSERT_TRUE(Enabled(MainForm->actFileBEOpen));
  AnswerWhere(mount);
  MainForm->actFileBEOpen->Execute();
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0], "Select where the disc labeled \"Shelf disc\" [Shelf 3] is available and press OK");
  EXPECT_TRUE(ConsoleHas(" ERROR : File \"" + mount + "readme.txt\" is not found"))
      << testing::PrintToString(ConsoleLines());
  EXPECT_TRUE(backend.Opened.empty());
  // Once there, its folder opens.
  MakeFile(mount + "readme.txt", 1024);
  MakeFile(mount + "docs/manual.txt", 4096);
  MakeFolder(mount + "docs/sub");
  SelectOnly(v, Top(v, "readme.txt"));
  AnswerWhere(mount);
  MainForm->actFileBEOpen->Execute();
  EXPECT_EQ(backend.Opened, std::vector<std::string>{mount});

  // The search page: its prompt has no blank before the location, and the
  // stored path is joined to the chosen folder.
  Search("manual.txt", "*");
  TDataStringTree* t = FileTree->Tree;
  PDataNode group = Top(t, "manual.txt");
  ASSERT_NE(group, nullptr);
  SelectOnly(t, t->GetFirstChild(group));
  ASSERT_TRUE(Enabled(MainForm->actFileEOpen));
  AnswerWhere(mount);
  MainForm->actFileEOpen->Execute();
  ASSERT_EQ(prompts.size(), 3u);
  EXPECT_EQ(prompts[2], "Select where the disc labeled \"Shelf disc\"[Shelf 3] is available and press OK");
  ASSERT_EQ(backend.Opened.size(), 2u);
  EXPECT_EQ(backend.Opened[1], mount + "docs/");

  // A folder entry opens the folder itself.
  Search("", "sub");
  group = Top(t, "sub");
  ASSERT_NE(group, nullptr);
  SelectOnly(t, t->GetFirstChild(group));
  AnswerWhere(mount);
  MainForm->actFileEOpen->Execute();
  ASSERT_EQ(backend.Opened.size(), 3u);
  EXPECT_EQ(backend.Opened[2].rfind(mount + "docs/sub", 0), 0u) << backend.Opened[2];
}

}  // namespace
}  // namespace qv::test
