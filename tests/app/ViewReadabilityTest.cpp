// What the views show must be readable: a selected row is painted as a
// selection under its highlight text, dates and times are never cut at the
// default font, the browser's folder tree is sorted by name, and the lists
// that name file types follow a changed type table.
#include <unistd.h>

#include "FramesFixture.h"
#include "platform/gdi/SystemColors.h"

namespace qv::test {
namespace {

class ViewReadabilityTest : public FramesTest {
 protected:
  void SetUp() override {
    FramesTest::SetUp();
    CreateDatabase();
    // Folders made in an order that is not their name order.
    MakeFile(dir / "disc/zeta/z.txt", 5, 1600000000);
    MakeFile(dir / "disc/Mid/m.txt", 5, 1600000000);
    MakeFile(dir / "disc/alpha/a.txt", 1024, 1600000000);
    MakeFile(dir / "disc/a.doc", 5, 1600000000);
    AddDisc("Alpha", dir / "disc", 0, "Shelf 3");
  }
  // 0xRRGGBB of a colour, as Pixel gives it.
  static uint32_t Rgb(TColor c) {
    uint32_t v = uint32_t(ColorToRGB(c));
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  }
  // The background of a row, right of the text of column.
  uint32_t Background(TDataStringTree* tree, PDataNode n, int column) {
    RECT r = RowRect(tree, n);
    TDataTreeColumn* c = tree->Header()->Columns()->Items(column);
    POINT p = ScreenOf(tree, c->Left() + c->Width() - 4, (r.top + r.bottom) / 2);
    return Pixel(p.x, p.y);
  }
  void Search(const std::string& fileMask) {
    FileTree->FileEdit->SetText(fileMask);
    FileTree->FolderEdit->SetText("");
    TSearchOpts opts;
    FileTree->GetSearchOpts(opts);
    engine->Search(opts);
  }
  // The columns of tree whose text had to be cut when painted.
  std::vector<TColumnIndex> CutColumns(TDataStringTree* tree) {
    std::vector<TColumnIndex> cut;
    tree->OnShortenString = [&](TBaseDataTree*, TCanvas*, PDataNode, TColumnIndex column,
                                const std::u16string&, int, bool, std::u16string&,
                                bool&) { cut.push_back(column); };
    tree->Invalidate();
    Pump();
    tree->OnShortenString = nullptr;
    return cut;
  }
};

TEST_F(ViewReadabilityTest, ASelectedResultOrDiscRowIsPaintedAsTheSelection) {
  ShowPage(FileTree);
  Search("a.txt");
  TDataStringTree* tree = FileTree->Tree;
  PDataNode group = tree->GetFirst();
  PDataNode entry = tree->GetFirstChild(group);
  ASSERT_TRUE(entry);
  tree->ClearSelection();
  tree->SetSelected(entry, true);
  tree->SetFocusedNode(entry);
  tree->SetFocus();
  EXPECT_EQ(Background(tree, entry, 4), Rgb(clHighlight));
  EXPECT_EQ(Background(tree, group, 4), 0xD2E6FFu);  // the other rows keep their colours
  // Without the focus: the unfocused selection colour, and still not the row colour.
  FileTree->FileEdit->SetFocus();
  EXPECT_EQ(Background(tree, entry, 4), Rgb(tree->Colors()->Get(TDTColors::UnfocusedSelectionColor)));

  ShowPage(DiscTree);
  TDataStringTree* discs = DiscTree->Tree;
  PDataNode disc = discs->GetFirst();
  discs->ClearSelection();
  discs->SetSelected(disc, true);
  discs->SetFocus();
  EXPECT_EQ(Background(discs, disc, 2), Rgb(clHighlight));
  discs->ClearSelection();
  EXPECT_EQ(Background(discs, disc, 2), 0xFFF5E6u);
}

TEST_F(ViewReadabilityTest, DatesTimesSizesAndTypesFitTheirColumnsAtTheDefaultFont) {
  // A 5 GB file (sparse) and the type with the widest default name.
  MakeFile(dir / "big/huge.bin", 1, 1600000000);
  ASSERT_EQ(::truncate((dir / "big/huge.bin").c_str(), 5000000000LL), 0);
  MakeFile(dir / "big/old.tmp", 5, 1600000000);
  MakeFile(dir / "big/a.txt", 5, 1600000000);
  AddDisc("Big", dir / "big");
  ShowPage(DiscTree);
  EXPECT_EQ(CutColumns(DiscTree->Tree), std::vector<TColumnIndex>{});
  ShowPage(FileTree);
  Search("*.*");
  FileTree->Tree->FullExpand();
  EXPECT_EQ(CutColumns(FileTree->Tree), std::vector<TColumnIndex>{});
  ShowPage(Browser);
  Browser->BrowseDisc(engine->Discs->FindByLabel(u"Big"));
  ASSERT_GT(Browser->FileView->RootNodeCount(), 0u);
  std::vector<TColumnIndex> cut = CutColumns(Browser->FileView);
  EXPECT_EQ(std::count(cut.begin(), cut.end(), 1), 0) << "the type is cut";
  EXPECT_EQ(std::count(cut.begin(), cut.end(), 2), 0) << "the size is cut";
  EXPECT_EQ(std::count(cut.begin(), cut.end(), 3), 0) << "the date is cut";
  EXPECT_EQ(std::count(cut.begin(), cut.end(), 4), 0) << "the time is cut";
  // A width the user chose stays his: only the design width is widened.
  EXPECT_EQ(Browser->FileView->Header()->Columns()->Items(0)->Width(), 128);
}

TEST_F(ViewReadabilityTest, TheBrowsersFolderTreeIsSortedByName) {
  ShowPage(Browser);
  Browser->BrowseDisc(engine->Discs->FindByLabel(u"Alpha"));
  TTreeNode* root = Browser->FolderTree->Items()->GetFirstNode();
  ASSERT_TRUE(root);
  std::vector<std::string> names;
  for (TTreeNode* n = root->GetFirstChild(); n; n = n->getNextSibling()) names.push_back(n->Text());
  EXPECT_EQ(names, (std::vector<std::string>{" alpha ", " Mid ", " zeta "}));
  EXPECT_TRUE(root->Expanded());
}

TEST_F(ViewReadabilityTest, FileTypeListsFollowAChangedTable) {
  // " Document " chosen, then the first type deleted and one added.
  const int documents = [&] {
    for (int i = 0; i < engine->FileKinds->Count(); ++i)
      if (engine->FileKinds->GetItem(i).Name == "Document") return i;
    return -1;
  }();
  ASSERT_GT(documents, 0);
  FileTree->SelectFileType(documents);
  ShowPage(Browser);
  Browser->BrowseDisc(engine->Discs->FindByLabel(u"Alpha"));
  PDataNode doc = nullptr;
  for (PDataNode n = Browser->FileView->GetFirst(); n; n = Browser->FileView->GetNext(n))
    if (Cell(Browser->FileView, n, 0) == "a.doc") doc = n;
  ASSERT_TRUE(doc);
  EXPECT_EQ(Cell(Browser->FileView, doc, 1), "Document");

  TFileKinds changed;
  changed.Assign(*engine->FileKinds);
  changed.Delete(0);
  changed.Add("Ebooks", "epub", true);
  changed.GetItem(documents - 1).Name = "Papers";
  engine->SetFileKinds(changed);
  FileTree->FillFileCombo();
  Browser->FileKindsChanged();

  // Every entry names the type its object points at.
  TStrings* items = FileTree->FileCombo->Items();
  ASSERT_EQ(items->Count(), changed.Count() + 1);
  for (int i = 0; i < items->Count(); ++i) {
    intptr_t object = reinterpret_cast<intptr_t>(items->Objects(i));
    if (object > 0) {
      EXPECT_EQ(items->Strings(i), " " + changed.GetItem(int32_t(object - 1)).Name + " ");
    }
  }
  // The chosen type was renamed: nothing of the old choice is kept.
  EXPECT_EQ(FileTree->SelectedFileType(), -1);
  EXPECT_EQ(Cell(Browser->FileView, doc, 1), "Papers");
}

TEST_F(ViewReadabilityTest, AChosenFileTypeStaysChosenWhenOthersMove) {
  const int video = [&] {
    for (int i = 0; i < engine->FileKinds->Count(); ++i)
      if (engine->FileKinds->GetItem(i).Name == "Video") return i;
    return -1;
  }();
  ASSERT_GT(video, 0);
  FileTree->SelectFileType(video);
  TFileKinds changed;
  changed.Assign(*engine->FileKinds);
  changed.Delete(0);
  engine->SetFileKinds(changed);
  FileTree->FillFileCombo();
  EXPECT_EQ(FileTree->SelectedFileType(), video - 1);
  TSearchOpts opts;
  FileTree->GetSearchOpts(opts);
  EXPECT_EQ(engine->FileKinds->GetItem(opts.FileType).Name, "Video");
}

}  // namespace
}  // namespace qv::test
