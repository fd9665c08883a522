// The browser page: the disc tree, browsing a disc into the folder tree and
// the file rows (".." first, folders above files in every order), moving
// through folders, locating a search result, the file manager, and a
// browser that never outlives the browsed tree it points into.
#include "FramesFixture.h"
#include "app/frames/FrameSupport.h"

namespace qv::test {
namespace {

class BrowserViewTest : public FramesTest {
 protected:
  // "Alpha" (Other, "Shelf 1"): zeta.txt, Alpha.doc, pics/pics (a file
  // named like its folder), pics/a.png, docs/inner.txt. "Empty" (Audio).
  void SetUp() override {
    FramesTest::SetUp();
    CreateDatabase();
    MakeFile(dir / "alpha/zeta.txt", 5, 1500000000);
    MakeFile(dir / "alpha/Alpha.doc", 2000, 1600000000);
    MakeFile(dir / "alpha/pics/pics", 1);
    MakeFile(dir / "alpha/pics/a.png", 300);
    MakeFile(dir / "alpha/docs/inner.txt", 40);
    MakeFolder(dir / "empty");
    AddDisc("Alpha", dir / "alpha", 0, "Shelf 1");
    AddDisc("Empty", dir / "empty", 2);
    ShowPage(Browser);
  }
  TTreeNode* DiscNode(const std::string& text) {
    for (TTreeNode* n = Browser->DiscTree->Items()->GetFirstNode(); n; n = n->GetNext())
      if (n->Text() == text) return n;
    return nullptr;
  }
  TFileData* Child(TFileData* folder, const std::string& name) {
    for (int i = 0; i < folder->Count(); ++i)
      if (folder->GetChild(i)->Name == name) return folder->GetChild(i);
    return nullptr;
  }
  std::vector<std::string> Names() { return Column(Browser->FileView, 0); }
  PDataNode Row(const std::string& name) {
    TDataStringTree* v = Browser->FileView;
    for (PDataNode n = v->GetFirst(); n; n = v->GetNext(n))
      if (Cell(v, n, 0) == name) return n;
    return nullptr;
  }
  void SelectRow(const std::string& name) {
    Browser->FileView->ClearSelection();
    Browser->FileView->SetSelected(Row(name), true);
  }
  std::string Selected() {
    PDataNode n = Browser->FileView->GetFirstSelected();
    return n ? Cell(Browser->FileView, n, 0) : "";
  }
  void Enter(const std::string& name) {
    SelectRow(name);
    char16_t key = u'\r';
    Browser->FileViewKeyPress(Browser->FileView, key);
    EXPECT_EQ(key, 0);
  }
  void BrowseAlpha() {
    Browser->BrowseDisc(engine->Discs->FindByLabel(u"Alpha"));
    ASSERT_GE(engine->Discs->BrowsedID, 0);
  }
};

TEST_F(BrowserViewTest, TheDiscTreeHoldsCategoriesWithTheirDiscs) {
  TTreeNodes* items = Browser->DiscTree->Items();
  std::vector<std::string> tops;
  for (TTreeNode* n = items->GetFirstNode(); n; n = n->getNextSibling()) tops.push_back(n->Text());
  EXPECT_EQ(tops.front(), "Audio");
  EXPECT_EQ(tops.back(), "Video");
  EXPECT_TRUE(std::is_sorted(tops.begin(), tops.end()));
  TTreeNode* alpha = DiscNode(" Alpha ");
  TTreeNode* empty = DiscNode(" Empty ");
  ASSERT_TRUE(alpha && empty);
  EXPECT_EQ(alpha->Parent()->Text(), "Other");
  EXPECT_EQ(empty->Parent()->Text(), "Audio");
  EXPECT_EQ(alpha->ImageIndex(), 2);
  EXPECT_EQ(empty->ImageIndex(), 6);
  TTreeNode* other = alpha->Parent();
  other->Expand(false);
  EXPECT_EQ(other->ImageIndex(), 1);
  other->Collapse(false);
  EXPECT_EQ(other->ImageIndex(), 0);
  // A disc without files loads nothing.
  Browser->DiscTree->SetSelected(empty);
  Browser->DiscTreeDblClick(Browser->DiscTree);
  EXPECT_EQ(Browser->FolderTree->Items()->Count(), 0);
  Browser->SelectDisc(engine->Discs->FindByLabel(u"Alpha"));
  EXPECT_EQ(Browser->DiscTree->Selected(), alpha);
  Browser->DiscTreeDblClick(Browser->DiscTree);
  EXPECT_EQ(engine->Discs->BrowsedID, engine->Discs->GetDisc(engine->Discs->FindByLabel(u"Alpha")).ID);
}

TEST_F(BrowserViewTest, TheRootShowsFoldersAboveFilesWithoutUpRow) {
  BrowseAlpha();
  TTreeNode* root = Browser->FolderTree->Items()->GetFirstNode();
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Text(), " Alpha ");
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(root->Count(), 2);
  EXPECT_EQ(Browser->FolderTree->Selected(), root);
  EXPECT_EQ(Names(), (std::vector<std::string>{"docs", "pics", "Alpha.doc", "zeta.txt"}));
  // The first row is selected and focused before the sort moves it.
  EXPECT_EQ(Browser->FileView->SelectionCount(), 1);
  EXPECT_EQ(Browser->FileView->FocusedNode(), Browser->FileView->GetFirstSelected());
  // The root never collapses.
  root->Collapse(false);
  EXPECT_TRUE(root->Expanded());
  PDataNode doc = Row("Alpha.doc");
  EXPECT_EQ(Cell(Browser->FileView, doc, 1), engine->FileKinds->KindName("doc"));
  EXPECT_EQ(Cell(Browser->FileView, doc, 2), "2 000");
  EXPECT_EQ(Cell(Browser->FileView, doc, 3), FormatDate(UnixToLocalDateTime(1600000000)));
  EXPECT_EQ(Cell(Browser->FileView, doc, 4), FormatTime(UnixToLocalDateTime(1600000000)));
  EXPECT_EQ(Cell(Browser->FileView, Row("docs"), 1), "File Folder");
  bool ghosted = false;
  EXPECT_EQ(Browser->FileView->DoGetImageIndex(doc, ikNormal, 0, ghosted), 5);
  EXPECT_EQ(Browser->FileView->DoGetImageIndex(Row("docs"), ikSelected, 0, ghosted), 3);
  EXPECT_EQ(Browser->FileView->DoGetImageIndex(doc, ikNormal, 1, ghosted), -1);
}

TEST_F(BrowserViewTest, UpStaysFirstAndFoldersAboveFilesAfterEveryHeaderClick) {
  MakeFile(dir / "alpha2/sub/z.txt", 1);
  MakeFile(dir / "alpha2/sub/deeper/y.txt", 1);
  MakeFile(dir / "alpha2/sub/b.txt", 900);
  MakeFile(dir / "alpha2/sub/A.md", 50);
  MakeFolder(dir / "alpha2/sub/Cfolder");
  AddDisc("Two", dir / "alpha2", 0);
  Browser->BrowseDisc(engine->Discs->FindByLabel(u"Two"));
  Browser->ShowFolder(Child(engine->Discs->BrowseRoot.get(), "sub"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"..", "Cfolder", "deeper", "A.md", "b.txt", "z.txt"}));
  EXPECT_EQ(Cell(Browser->FileView, Row(".."), 1), "");
  EXPECT_EQ(Cell(Browser->FileView, Row(".."), 2), "");
  bool ghosted = false;
  EXPECT_EQ(Browser->FileView->DoGetImageIndex(Row(".."), ikNormal, 0, ghosted), 7);
  TDTHeader* h = Browser->FileView->Header();
  for (int column : {0, 0, 2, 2, 1, 3, 3, 4}) {
    Browser->FileViewHeaderClick(h, column, mbLeft, {}, 0, 0);
    std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[0], "..") << column;
    std::vector<std::string> folders(names.begin() + 1, names.begin() + 3);
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"Cfolder", "deeper"})) << column;
  }
  // Size, first click: smallest file first.
  Browser->FileViewHeaderClick(h, 2, mbLeft, {}, 0, 0);
  if (h->SortDirection() != sdDescending) Browser->FileViewHeaderClick(h, 2, mbLeft, {}, 0, 0);
  std::vector<std::string> names = Names();
  EXPECT_EQ(std::vector<std::string>(names.begin() + 3, names.end()),
            (std::vector<std::string>{"z.txt", "A.md", "b.txt"}));
}

TEST_F(BrowserViewTest, EnterAndDoubleClicksMoveThroughFolders) {
  BrowseAlpha();
  Enter("pics");
  EXPECT_EQ(Browser->ShownFolder()->Name, "pics");
  EXPECT_EQ(Browser->FolderTree->Selected()->Text(), " pics ");
  EXPECT_EQ(Names().front(), "..");
  Enter("..");
  EXPECT_EQ(Browser->ShownFolder(), engine->Discs->BrowseRoot.get());
  EXPECT_EQ(Names().front(), "docs");
  // A double click on a folder row goes in as well.
  SelectRow("docs");
  RECT r = RowRect(Browser->FileView, Row("docs"));
  ClickAt(Browser->FileView, 30, (r.top + r.bottom) / 2, true);
  EXPECT_EQ(Browser->ShownFolder()->Name, "docs");
  EXPECT_EQ(Names(), (std::vector<std::string>{"..", "inner.txt"}));
  // The folder tree follows the selection too.
  Browser->FolderTree->SetSelected(Browser->FolderTree->Items()->GetFirstNode());
  EXPECT_EQ(Browser->ShownFolder(), engine->Discs->BrowseRoot.get());
}

TEST_F(BrowserViewTest, FileRowsOpenTheFileManagerByEnterAndTheActionByDoubleClick) {
  BrowseAlpha();
  std::vector<std::string> prompts;
  std::string chosen = dir / "mount/";
  Browser->OnChooseFolder = [&](const std::string& prompt, std::string& folder) {
    prompts.push_back(prompt);
    folder = chosen;
    return true;
  };
  auto* list = new TActionList(form);
  auto* action = new TAction(list);
  action->SetActionList(list);
  int runs = 0;
  action->OnUpdate = [action](TObject*) { action->SetEnabled(Browser->EntrySelected()); };
  action->OnExecute = [&](TObject*) { ++runs, Browser->OpenInExplorer(nullptr); };
  Browser->FileBEOpenAction = action;

  Enter("zeta.txt");  // straight to the file manager; the file is not there
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0], "Select where the disc labeled \"Alpha\" [Shelf 1] is available and press OK");
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(HasLine(" ERROR : File \"" + dir / "mount/zeta.txt\" is not found"));
  MakeFile(dir / "mount/zeta.txt");
  SelectRow("zeta.txt");
  Browser->FileViewDblClick(Browser->FileView);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(backend.Opened, std::vector<std::string>{dir / "mount/"});
  // A folder row opens the folder itself, which must exist.
  Browser->OpenInExplorer(Child(engine->Discs->BrowseRoot.get(), "pics"));
  EXPECT_TRUE(HasLine(" ERROR : Folder \"" + dir / "mount/pics\" is not found"));
  MakeFile(dir / "mount/pics/pics");
  Browser->OpenInExplorer(Child(Child(engine->Discs->BrowseRoot.get(), "pics"), "pics"));
  EXPECT_EQ(backend.Opened.back(), dir / "mount/pics/");
  // The ".." row is no entry.
  Enter("pics");
  SelectRow("..");
  EXPECT_FALSE(Browser->EntrySelected());
  SelectRow("a.png");
  EXPECT_TRUE(Browser->EntrySelected());
}

TEST_F(BrowserViewTest, AFileNamedLikeItsFolderIsFoundNotTheUpRow) {
  BrowseAlpha();
  Browser->ShowFolder(Child(engine->Discs->BrowseRoot.get(), "pics"));
  EXPECT_EQ(Names().front(), "..");
  ASSERT_TRUE(Browser->SelectFile("pics"));
  EXPECT_EQ(Selected(), "pics");
  EXPECT_EQ(Browser->FileView->FocusedNode(), Row("pics"));
  EXPECT_NE(Browser->FileView->FocusedNode(), Row(".."));
  EXPECT_TRUE(Browser->SelectFile("A.PNG"));  // any letter case
  EXPECT_EQ(Selected(), "a.png");
  EXPECT_FALSE(Browser->SelectFile("missing"));
}

TEST_F(BrowserViewTest, ASearchResultIsLocatedInTheBrowser) {
  FileTree->FileEdit->SetText("inner.txt");
  TSearchOpts opts;
  FileTree->GetSearchOpts(opts);
  ASSERT_TRUE(engine->Search(opts));
  FileTree->Tree->SetSelected(FileTree->Tree->GetFirstChild(FileTree->Tree->GetFirst()), true);
  TNodeData entry;
  std::string name;
  ASSERT_TRUE(FileTree->SelectedEntry(entry, name));
  ASSERT_TRUE(engine->LocateInBrowser(name, entry));
  EXPECT_EQ(Browser->DiscTree->Selected()->Text(), " Alpha ");
  EXPECT_EQ(Browser->FolderTree->Selected()->Text(), " docs ");
  EXPECT_EQ(Selected(), "inner.txt");
  EXPECT_EQ(form->ActiveControl(), Browser->FileView);
}

TEST_F(BrowserViewTest, ClosingTheDatabaseEmptiesTheBrowserFirst) {
  BrowseAlpha();
  Browser->ShowFolder(Child(engine->Discs->BrowseRoot.get(), "pics"));
  Pump();
  ASSERT_TRUE(engine->CloseDatabase());
  EXPECT_EQ(Browser->FolderTree->Items()->Count(), 0);
  EXPECT_EQ(Browser->FileView->TotalCount(), 0u);
  EXPECT_EQ(Browser->ShownFolder(), nullptr);
  EXPECT_FALSE(Browser->EntrySelected());
  Pump();  // repaints read nothing freed
  // Another database later: the browser shows nothing of the old one.
  host.folder = dir / "db2/";
  ASSERT_TRUE(engine->NewDatabase("", "Other"));
  EXPECT_EQ(Browser->FolderTree->Items()->Count(), 0);
  Pump();
}

TEST_F(BrowserViewTest, ClearingTheDatabaseEmptiesTheBrowser) {
  BrowseAlpha();
  host.answers = {true};
  ASSERT_TRUE(engine->ClearDatabase());
  EXPECT_EQ(Browser->FolderTree->Items()->Count(), 0);
  EXPECT_EQ(Browser->FileView->TotalCount(), 0u);
  Pump();
}

TEST_F(BrowserViewTest, AnEngineOutlivingTheViewsLeavesThemAlone) {
  // The main window frees its views before the engine; the host forwards to
  // the view globals, so a late call would reach freed views.
  BrowseAlpha();
  FreeViews();
  EXPECT_EQ(Browser, nullptr);
  engine.reset();
  Engine = nullptr;
}

TEST_F(BrowserViewTest, WidthsSurviveTheNextStart) {
  Browser->DiscTree->SetWidth(150);
  Browser->FolderTree->SetWidth(260);
  Browser->FileView->Header()->Columns()->Items(4)->SetWidth(99);
  // Untouched: the design width, or wider where its texts need it.
  const int sizeWidth = Browser->FileView->Header()->Columns()->Items(2)->Width();
  EXPECT_GE(sizeWidth, 80);
  delete Browser;
  Storage->Open("BROWSER", false);
  EXPECT_EQ(Storage->ReadInteger("DiscWidth", 0), 150);
  EXPECT_EQ(Storage->ReadInteger("FoldWidth", 0), 260);
  EXPECT_EQ(Storage->ReadInteger("C04", 0), 99);
  EXPECT_EQ(Storage->ReadInteger("C02", 0), sizeWidth);
  Storage->Close();
  Browser = new TBrowser(form);
  Browser->SetParent(form);
  EXPECT_EQ(Browser->DiscTree->Width(), 150);
  EXPECT_EQ(Browser->FolderTree->Width(), 260);
  EXPECT_EQ(Browser->FileView->Header()->Columns()->Items(4)->Width(), 99);
}

}  // namespace
}  // namespace qv::test
