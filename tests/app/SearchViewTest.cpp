// The search page: the combos and their objects, the rules that enable
// Search, the criteria handed to the engine, the grouped results with their
// colours and sort, and opening a result's folder in the file manager.
#include "FramesFixture.h"
#include "app/frames/FrameSupport.h"
#include "datatree/DataTreeClipboard.h"
#include "platform/Exception.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/DataTransfer.h"
#include "platform/ole/GlobalMemory.h"

namespace qv::test {
namespace {

class SearchViewTest : public FramesTest {
 protected:
  // "Alpha" (Other, at "Shelf 3"): a.txt (1 024 bytes, older), sub/a.txt
  // (3 000 bytes, newer), sub/b.txt, notes.doc. "1st disc" (Audio): x.txt.
  void AddDiscs() {
    MakeFile(dir / "alpha/a.txt", 1024, 1500000000);
    MakeFile(dir / "alpha/sub/a.txt", 3000, 1600000000);
    MakeFile(dir / "alpha/sub/b.txt", 10, 1550000000);
    MakeFile(dir / "alpha/notes.doc", 5);
    MakeFile(dir / "first/x.txt", 7);
    AddDisc("Alpha", dir / "alpha", 0, "Shelf 3");
    AddDisc("1st disc", dir / "first", 2);
  }
  void Search(const std::string& fileMask, const std::string& folderMask = "") {
    FileTree->FileEdit->SetText(fileMask);
    FileTree->FolderEdit->SetText(folderMask);
    TSearchOpts opts;
    FileTree->GetSearchOpts(opts);
    engine->Search(opts);
  }
  static std::vector<std::string> Entries(TComboBox* combo) {
    std::vector<std::string> out;
    for (int i = 0; i < combo->Items()->Count(); ++i)
      out.push_back(combo->Items()->Strings(i) + "=" +
                    std::to_string(reinterpret_cast<intptr_t>(combo->Items()->Objects(i))));
    std::sort(out.begin(), out.end());
    return out;
  }
  static std::string Chosen(TComboBox* combo) {
    int i = combo->ItemIndex();
    return i < 0 ? std::string() : combo->Items()->Strings(i);
  }
  PDataNode Group(const std::string& name) {
    for (PDataNode n = FileTree->Tree->GetFirstChild(FileTree->Tree->RootNode()); n;
         n = FileTree->Tree->GetNextSibling(n))
      if (Cell(FileTree->Tree, n, 0) == name) return n;
    return nullptr;
  }
  TAction* NewAction(bool& enabled, int& runs) {
    auto* list = new TActionList(form);
    auto* a = new TAction(list);
    a->SetActionList(list);
    a->OnUpdate = [a, &enabled](TObject*) { a->SetEnabled(enabled); };
    a->OnExecute = [&runs](TObject*) { ++runs; };
    return a;
  }
};

TEST_F(SearchViewTest, TheEveryEntriesAreChosenByTheirObjectWhereverTheySort) {
  CreateDatabase();
  AddDiscs();
  EXPECT_EQ(Entries(FileTree->DiscCombo),
            (std::vector<std::string>{" 1st disc =2", " < Every Disc > =0", " Alpha =1"}));
  // " 1st disc " sorts before " < Every Disc > ", yet "every disc" is chosen.
  EXPECT_EQ(FileTree->DiscCombo->Items()->Strings(0), " 1st disc ");
  EXPECT_EQ(Chosen(FileTree->DiscCombo), " < Every Disc > ");
  EXPECT_EQ(FileTree->SelectedDisc(), -1);
  EXPECT_EQ(FileTree->SelectedCategory(), -1);
  EXPECT_EQ(Chosen(FileTree->CatsCombo), " < Every Category > ");
  EXPECT_EQ(FileTree->CatsCombo->Items()->Count(), 11);
  EXPECT_EQ(Chosen(FileTree->FileCombo), " < Any Type > ");
  EXPECT_EQ(FileTree->FileCombo->Items()->Count(), engine->FileKinds->Count() + 1);
  FileTree->SelectFileType(2);
  EXPECT_EQ(Chosen(FileTree->FileCombo), " " + engine->FileKinds->GetItem(2).Name + " ");
  EXPECT_EQ(FileTree->SelectedFileType(), 2);
}

TEST_F(SearchViewTest, ACategoryChoiceRefillsTheDiscCombo) {
  CreateDatabase();
  AddDiscs();
  FileTree->SelectDisc(0);
  FileTree->SelectCategory(2);  // Audio
  FileTree->CatsComboChange(FileTree->CatsCombo);
  EXPECT_EQ(Entries(FileTree->DiscCombo), (std::vector<std::string>{" 1st disc =2", " < Every Disc > =0"}));
  EXPECT_EQ(FileTree->SelectedDisc(), -1);
  // The disc view's category is the search's starting category.
  engine->Discs->Categories.Selected = 0;
  engine->RefreshViews(true);
  EXPECT_EQ(FileTree->SelectedCategory(), 0);
  EXPECT_EQ(Entries(FileTree->DiscCombo), (std::vector<std::string>{" < Every Disc > =0", " Alpha =1"}));
}

TEST_F(SearchViewTest, SearchIsEnabledOnlyForCriteriaThatCanMatch) {
  EXPECT_FALSE(FileTree->CanSearch());  // no database
  CreateDatabase();
  AddDiscs();
  EXPECT_TRUE(FileTree->CanSearch());
  FileTree->FileEdit->SetText("");
  EXPECT_TRUE(FileTree->CanSearch());
  FileTree->FolderEdit->SetText("");
  EXPECT_FALSE(FileTree->CanSearch());
  FileTree->FileEdit->SetText("*.txt");

  FileTree->chkSMin->SetChecked(true);
  FileTree->SMinEdit->SetValue(2048);
  EXPECT_TRUE(FileTree->CanSearch());  // one limit only
  FileTree->chkSMax->SetChecked(true);
  EXPECT_FALSE(FileTree->CanSearch());  // 2048 > 1024
  FileTree->SMaxEdit->SetValue(2048);
  EXPECT_TRUE(FileTree->CanSearch());

  FileTree->chkDMin->SetChecked(true);
  FileTree->chkDMax->SetChecked(true);
  FileTree->MinDate->SetDate(EncodeDate(2024, 5, 2) + 0.75);
  FileTree->MaxDate->SetDate(EncodeDate(2024, 5, 1));
  EXPECT_FALSE(FileTree->CanSearch());
  FileTree->MaxDate->SetDate(EncodeDate(2024, 5, 2) + 0.25);
  EXPECT_TRUE(FileTree->CanSearch());
  TSearchOpts o;
  FileTree->GetSearchOpts(o);
  EXPECT_EQ(o.FileMask, "*.txt");
  EXPECT_TRUE(o.MinSizeOn && o.MaxSizeOn && o.MinDateOn && o.MaxDateOn);
  EXPECT_EQ(o.MinSize, 2048);
  EXPECT_EQ(o.MaxSize, 2048);
  // Both limits are that day at midnight.
  EXPECT_EQ(o.MinDate, EncodeDate(2024, 5, 2));
  EXPECT_EQ(o.MaxDate, EncodeDate(2024, 5, 2));

  // A category without discs cannot match.
  FileTree->SelectCategory(3);  // Video
  EXPECT_FALSE(FileTree->CanSearch());
  FileTree->SelectCategory(2);
  EXPECT_TRUE(FileTree->CanSearch());
}

TEST_F(SearchViewTest, LimitBoxesSwitchTheirEditors) {
  ShowPage(FileTree);
  EXPECT_FALSE(FileTree->SMinEdit->Enabled());
  EXPECT_FALSE(FileTree->MaxDate->Enabled());
  ClickOn(FileTree->chkSMin);
  ClickOn(FileTree->chkDMax);
  EXPECT_TRUE(FileTree->SMinEdit->Enabled());
  EXPECT_FALSE(FileTree->SMaxEdit->Enabled());
  EXPECT_FALSE(FileTree->MinDate->Enabled());
  EXPECT_TRUE(FileTree->MaxDate->Enabled());
  ClickOn(FileTree->chkSMin);
  EXPECT_FALSE(FileTree->SMinEdit->Enabled());
  // Unreadable numbers count as the minimum.
  FileTree->SMaxEdit->SetText("lots");
  TSearchOpts o;
  FileTree->GetSearchOpts(o);
  EXPECT_EQ(o.MaxSize, 0);
}

TEST_F(SearchViewTest, ResultsAreNameGroupsWithOneEntryPerPlace) {
  CreateDatabase();
  AddDiscs();
  Search("*.txt");
  EXPECT_TRUE(HasLine(" 3 file(s) and 0 folder(s) found"));
  TDataStringTree* tree = FileTree->Tree;
  EXPECT_EQ(Column(tree, 0), (std::vector<std::string>{"a.txt", "b.txt", "x.txt"}));
  PDataNode a = Group("a.txt");
  ASSERT_TRUE(a);
  EXPECT_TRUE(tree->Expanded(a));
  for (int c = 1; c < 6; ++c) EXPECT_EQ(Cell(tree, a, c), "") << c;
  // Entries newest first: the initial sort is the time column.
  EXPECT_EQ(Column(tree, 0, a), (std::vector<std::string>{"/sub/", "/"}));
  PDataNode root = tree->GetLastChild(a);
  EXPECT_EQ(Cell(tree, root, 1), "1 024");
  EXPECT_EQ(Cell(tree, root, 2), FormatDate(UnixToLocalDateTime(1500000000)));
  EXPECT_EQ(Cell(tree, root, 3), FormatTime(UnixToLocalDateTime(1500000000)));
  EXPECT_EQ(Cell(tree, root, 4), "Alpha");
  EXPECT_EQ(Cell(tree, root, 5), "Shelf 3");
  tree->SetSelected(root, true);
  EXPECT_TRUE(FileTree->EntrySelected());
  TNodeData entry;
  std::string name;
  ASSERT_TRUE(FileTree->SelectedEntry(entry, name));
  EXPECT_EQ(name, "a.txt");
  EXPECT_EQ(entry.Path, u"/");
  tree->ClearSelection();
  tree->SetSelected(a, true);
  EXPECT_FALSE(FileTree->EntrySelected());
}

TEST_F(SearchViewTest, ACopiedEntryCarriesItsWholePathUnderTheHeader) {
  CreateDatabase();
  AddDiscs();
  Search("*.txt");
  TDataStringTree* tree = FileTree->Tree;
  PDataNode a = Group("a.txt");
  ASSERT_TRUE(a);
  PDataNode newer = tree->GetFirstChild(a);  // /sub/a.txt
  tree->ClearSelection();
  tree->SetSelected(newer, true);
  // As a drag hands it to another program: the selected rows as text.
  auto text = [&] {
    FORMATETC f{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM m{};
    if (tree->RenderOLEData(f, m, false) != S_OK) return std::string("(refused)");
    std::string out = Utf16ToUtf8(static_cast<const char16_t*>(GlobalLock(m.hGlobal)));
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);
    return out;
  };
  const std::string date = FormatDate(UnixToLocalDateTime(1600000000));
  const std::string time = FormatTime(UnixToLocalDateTime(1600000000));
  EXPECT_EQ(text(),
            " Name / Path \t Size \t Date \t Time \t Disc \t Location \r\n"
            "/sub/a.txt\t3 000\t" +
                date + "\t" + time + "\tAlpha\tShelf 3\r\n");
  // A group row: its name alone.
  tree->SetSelected(a, true);
  EXPECT_EQ(text().substr(text().find("\r\n")), "\r\na.txt\t\t\t\t\t\r\n");
  // Copied to the clipboard where the tree offers text: the same rows.
  tree->ClipboardFormats()->Add("Unicode text");
  tree->ClearSelection();
  tree->SetSelected(newer, true);
  tree->CopyToClipboard();
  EXPECT_NE(Utf16ToUtf8(backend.Clipboard).find("\r\n/sub/a.txt\t3 000\t"), std::string::npos)
      << Utf16ToUtf8(backend.Clipboard);
}

TEST_F(SearchViewTest, HeaderClicksSortTheEntriesOfEachGroup) {
  CreateDatabase();
  AddDiscs();
  Search("*.txt");
  TDataStringTree* tree = FileTree->Tree;
  TDTHeader* h = tree->Header();
  FileTree->TreeHeaderClick(h, 1, mbLeft, {}, 0, 0);  // Size: smallest first
  EXPECT_EQ(Column(tree, 1, Group("a.txt")), (std::vector<std::string>{"1 024", "3 000"}));
  EXPECT_EQ(Column(tree, 0), (std::vector<std::string>{"a.txt", "b.txt", "x.txt"}));
  FileTree->TreeHeaderClick(h, 1, mbLeft, {}, 0, 0);
  EXPECT_EQ(Column(tree, 1, Group("a.txt")), (std::vector<std::string>{"3 000", "1 024"}));
  FileTree->TreeHeaderClick(h, 0, mbLeft, {}, 0, 0);  // names A to Z, paths A to Z
  EXPECT_EQ(Column(tree, 0, Group("a.txt")), (std::vector<std::string>{"/", "/sub/"}));
  FileTree->TreeHeaderClick(h, 0, mbLeft, {}, 0, 0);
  EXPECT_EQ(Column(tree, 0), (std::vector<std::string>{"x.txt", "b.txt", "a.txt"}));
}

TEST_F(SearchViewTest, GroupsAndEntriesHaveTheirColoursAndGroupsAreBold) {
  CreateDatabase();
  AddDiscs();
  ShowPage(FileTree);
  Search("a.txt");
  TDataStringTree* tree = FileTree->Tree;
  tree->ClearSelection();
  tree->SetFocusedNode(nullptr);
  PDataNode group = tree->GetFirst();
  PDataNode entry = tree->GetFirstChild(group);
  auto background = [&](PDataNode n) {
    RECT r = RowRect(tree, n);
    TDataTreeColumn* loc = tree->Header()->Columns()->Items(4);
    POINT p = ScreenOf(tree, loc->Left() + loc->Width() - 4, (r.top + r.bottom) / 2);
    return Pixel(p.x, p.y);
  };
  EXPECT_EQ(background(group), 0xD2E6FFu);
  EXPECT_EQ(background(entry), 0xE6FFD2u);
  Search("", "sub*");
  EXPECT_TRUE(HasLine(" 0 file(s) and 1 folder(s) found"));
  tree->ClearSelection();
  EXPECT_EQ(Column(tree, 0), std::vector<std::string>{"sub"});
  EXPECT_EQ(background(tree->GetFirst()), 0xFFE6D2u);
  EXPECT_EQ(Cell(tree, tree->GetFirstChild(tree->GetFirst()), 1), "");  // folders show no size
}

TEST_F(SearchViewTest, AnEntryWithoutGroupIsRefused) {
  TNodeData entry;
  entry.Kind = nkFile;
  EXPECT_THROW(FileTree->AddNode(entry, nullptr), EAssertionFailed);
  EXPECT_EQ(FileTree->Tree->TotalCount(), 0u);
}

class SearchExploreTest : public SearchViewTest {
 protected:
  void SetUp() override {
    SearchViewTest::SetUp();
    CreateDatabase();
    AddDiscs();
    FileTree->OnChooseFolder = [this](const std::string& prompt, std::string& folder) {
      prompts.push_back(prompt);
      folder = chosen;
      return !chosen.empty();
    };
  }
  void SelectEntry(const std::string& group, int index) {
    TDataStringTree* tree = FileTree->Tree;
    PDataNode n = tree->GetFirstChild(Group(group));
    while (index-- > 0) n = tree->GetNextSibling(n);
    tree->ClearSelection();
    tree->SetSelected(n, true);
  }
  std::vector<std::string> prompts;
  std::string chosen;
};

TEST_F(SearchExploreTest, TheStoredFolderIsOpenedBelowTheChosenOne) {
  Search("a.txt");
  SelectEntry("a.txt", 0);  // /sub/a.txt
  MakeFile(dir / "mount/sub/a.txt");
  chosen = dir / "mount/";
  FileTree->OpenInExplorer();
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0], "Select where the disc labeled \"Alpha\"[Shelf 3] is available and press OK");
  EXPECT_EQ(backend.Opened, std::vector<std::string>{dir / "mount/sub/"});
  // A disc kept in the root of the file system: the root adds nothing.
  EXPECT_EQ(JoinStoredPath("/", "/sub/"), "/sub/");
  EXPECT_EQ(JoinStoredPath("/media/cd", "/"), "/media/cd/");
  // Cancelled: nothing opens.
  chosen.clear();
  FileTree->OpenInExplorer();
  EXPECT_EQ(backend.Opened.size(), 1u);
}

TEST_F(SearchExploreTest, AMissingFileIsReportedOnTheConsole) {
  Search("a.txt");
  SelectEntry("a.txt", 1);  // /a.txt
  MakeFolder(dir / "empty");
  chosen = dir / "empty";
  FileTree->OpenInExplorer();
  EXPECT_TRUE(HasLine(" ERROR : File \"" + dir / "empty/a.txt\" is not found")) << ConsoleLines().back();
  EXPECT_TRUE(backend.Opened.empty());
  // A disc without location has no bracket in the question.
  Search("x.txt");
  SelectEntry("x.txt", 0);
  FileTree->OpenInExplorer();
  EXPECT_EQ(prompts.back(), "Select where the disc labeled \"1st disc\" is available and press OK");
}

TEST_F(SearchExploreTest, AFolderEntryOpensTheFolderItself) {
  Search("", "sub");
  SelectEntry("sub", 0);
  chosen = dir / "mount";
  FileTree->OpenInExplorer();
  EXPECT_TRUE(HasLine(" ERROR : Folder \"" + dir / "mount/sub\" is not found"));
  MakeFolder(dir / "mount/sub");
  FileTree->OpenInExplorer();
  EXPECT_EQ(backend.Opened, std::vector<std::string>{dir / "mount/sub"});
}

TEST_F(SearchViewTest, EnterInAMaskAndDoubleClicksRunTheirActions) {
  bool enabled = false;
  int runs = 0;
  TAction* action = NewAction(enabled, runs);
  FileTree->SearchAction = action;
  FileTree->FileBOpenAction = action;
  char16_t key = u'\r';
  FileTree->MaskKeyPress(FileTree->FileEdit, key);
  EXPECT_EQ(key, u'\r');  // not swallowed while Search is disabled
  FileTree->TreeDblClick(FileTree->Tree);
  EXPECT_EQ(runs, 0);
  enabled = true;
  ShowPage(FileTree);
  FileTree->FileEdit->SetFocus();
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(runs, 1);
  key = u'a';
  FileTree->MaskKeyPress(FileTree->FolderEdit, key);
  EXPECT_EQ(key, u'a');
  FileTree->TreeDblClick(FileTree->Tree);
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST_F(SearchViewTest, RowsAddedOneByOneArePaintedInBatchesNotPerRow) {
  ShowPage(FileTree);
  TDataStringTree* tree = FileTree->Tree;
  FileTree->Clear();
  TNodeData group;
  group.Kind = nkFileGroup;
  group.Name = u"found.txt";
  PDataNode g = FileTree->AddNode(group, nullptr);
  TNodeData entry;
  entry.Kind = nkFile;
  entry.Path = u"/a/";
  entry.Disc = u"D";
  for (int i = 0; i < 50; ++i) FileTree->AddNode(entry, g);
  FileTree->Expand(g);
  // The message loop runs between rows, as inside a search: nothing is
  // repainted yet.
  Pump();
  EXPECT_GT(tree->UpdateCount(), 0u);
  RECT r = tree->GetDisplayRect(g, NoColumn, false);
  POINT p = ScreenOf(tree, 600, (r.top + r.bottom) / 2);
  EXPECT_NE(Pixel(p.x, p.y), 0xD2E6FFu);
  // A fifth of a second later the rows so far are shown.
  backend.AdvanceClock(TRowBatch::kBatchMs);
  Pump();
  EXPECT_EQ(tree->UpdateCount(), 0u);
  EXPECT_EQ(Pixel(p.x, p.y), 0xD2E6FFu);
  EXPECT_EQ(tree->TotalCount(), 51u);
  // Sorting ends a batch at once.
  FileTree->AddNode(entry, g);
  EXPECT_GT(tree->UpdateCount(), 0u);
  FileTree->Sort();
  EXPECT_EQ(tree->UpdateCount(), 0u);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Groups sorted as the engine completes them end in the order of one sort at
// the end, also when entries come late to a group or the sort column changes
// on the way; without a sort to follow (a folder compare) rows keep their order.
TEST_F(SearchViewTest, GroupsSortedAsTheyCompleteEndAsOneFinalSortWould) {
  TDataStringTree* tree = FileTree->Tree;
  auto ids = [&] {
    std::vector<int64_t> out;
    for (PDataNode n = tree->GetFirst(); n; n = tree->GetNext(n)) {
      TNodeData d;
      EXPECT_TRUE(FileTree->RowData(n, d));
      out.push_back(d.ID);
    }
    return out;
  };
  // early: sort as groups complete; late: an entry for the first group at the
  // end; turn: the sort column changes half way.
  auto fill = [&](bool early, bool late, bool turn) {
    FileTree->Clear();
    if (early) FileTree->SortFollows();
    PDataNode first = nullptr;
    TNodeData entry;
    entry.Kind = nkFile;
    entry.Disc = u"D";
    for (int g = 0; g < 40; ++g) {
      if (turn && g == 20) FileTree->TreeHeaderClick(tree->Header(), 1, mbLeft, {}, 0, 0);
      TNodeData group;
      group.Kind = nkFileGroup;
      group.ID = g;
      group.StoredName = "n" + std::to_string(g);
      PDataNode node = FileTree->AddNode(group, nullptr);
      if (g == 3) first = node;
      for (int e = 0; e < g % 5; ++e) {
        entry.ID = 1000 + g * 10 + e;
        entry.Date = 40000 + double((g * 7 + e * 13) % 11) / 86400;
        entry.Size = (e * 31 + g) % 7;
        entry.StoredPath = "/p" + std::to_string((e * 5 + g) % 3) + "/";
        FileTree->AddNode(entry, node);
      }
      FileTree->Expand(node);
    }
    if (late) {
      entry.ID = 999;
      entry.Date = 39000;
      FileTree->AddNode(entry, first);
    }
  };
  for (bool late : {false, true})
    for (bool turn : {false, true}) {
      tree->Header()->SetSortColumn(3);
      tree->Header()->SetSortDirection(sdAscending);
      fill(false, late, turn);
      const std::vector<int64_t> unsorted = ids();
      FileTree->Sort();
      const std::vector<int64_t> sorted = ids();
      tree->Header()->SetSortColumn(3);
      tree->Header()->SetSortDirection(sdAscending);
      fill(true, late, turn);
      FileTree->Sort();
      EXPECT_EQ(ids(), sorted) << late << turn;
      if (!turn) {
        EXPECT_NE(unsorted, sorted);
      }
    }
  // Without a sort to follow, expanding a group leaves its entries as added.
  tree->Header()->SetSortColumn(3);
  fill(false, false, false);
  std::vector<int64_t> added = ids();
  std::vector<int64_t> inOrder;
  for (int g = 0; g < 40; ++g) {
    inOrder.push_back(g);
    for (int e = 0; e < g % 5; ++e) inOrder.push_back(1000 + g * 10 + e);
  }
  EXPECT_EQ(added, inOrder);
}

}  // namespace
}  // namespace qv::test
