// The disc page: the category tree and the disc rows the engine fills, the
// category filter, the reversed-natural sort, row colours, the double
// clicks and the widths kept in the settings.
#include "FramesFixture.h"
#include "app/frames/FrameSupport.h"

namespace qv::test {
namespace {

class DiscViewTest : public FramesTest {
 protected:
  // Three discs: "Alpha" (Other, 3 files, 1 folder), "beta" (Audio, 1 file),
  // "Gamma" (Other, empty).
  void AddThreeDiscs() {
    MakeFile(dir / "alpha/a.txt", 10);
    MakeFile(dir / "alpha/b.txt", 20);
    MakeFile(dir / "alpha/sub/c.txt", 30);
    MakeFile(dir / "beta/d.txt", 40);
    MakeFolder(dir / "gamma");
    AddDisc("Alpha", dir / "alpha", 0, "Shelf 1");
    AddDisc("beta", dir / "beta", 2, "Shelf 2");
    AddDisc("Gamma", dir / "gamma", 0);
  }
  std::vector<std::string> CategoryTexts() {
    std::vector<std::string> out;
    for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      out.push_back(n->Text());
    return out;
  }
  TTreeNode* CategoryNode(const std::string& text) {
    for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      if (n->Text() == text) return n;
    return nullptr;
  }
  std::vector<std::string> Labels() { return Column(DiscTree->Tree, 0); }
  void ClickHeader(int column) {
    TDTHeader* h = DiscTree->Tree->Header();
    DiscTree->TreeHeaderClick(h, column, mbLeft, {}, 0, 0);
  }
};

TEST_F(DiscViewTest, CategoriesAreListedAlphabeticallyWithTheirDiscCounts) {
  CreateDatabase();
  AddThreeDiscs();
  const std::vector<std::string> expected = {
      " All Categories ", " Audio  (1) ", " Backup  (0) ", " Files  (0) ",    " Games  (0) ", " Movies  (0) ",
      " Music  (0) ",     " Other  (2) ", " Photos  (0) ", " Software  (0) ", " Video  (0) "};
  EXPECT_EQ(CategoryTexts(), expected);
  TTreeNode* root = DiscTree->CatTree->Items()->GetFirstNode();
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(DiscTree->CatTree->Selected(), root);
  EXPECT_EQ(root->ImageIndex(), 0);
  EXPECT_EQ(root->SelectedIndex(), 1);
  EXPECT_EQ(CategoryNode(" Audio  (1) ")->ImageIndex(), 2);
  EXPECT_EQ(CategoryNode(" Audio  (1) ")->SelectedIndex(), 3);
  // The root never collapses.
  root->Collapse(false);
  EXPECT_TRUE(root->Expanded());
  // With no catalogue open no category is offered, here or on the search page.
  ASSERT_TRUE(engine->CloseDatabase());
  engine->RefreshViews(true);
  EXPECT_EQ(CategoryTexts(), std::vector<std::string>{" All Categories "});
  EXPECT_EQ(FileTree->CatsCombo->Items()->Count(), 1);
}

TEST_F(DiscViewTest, ChoosingACategoryListsOnlyItsDiscs) {
  CreateDatabase();
  AddThreeDiscs();
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
  DiscTree->CatTree->SetSelected(CategoryNode(" Other  (2) "));
  EXPECT_EQ(engine->Discs->Categories.Selected, 0);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "Gamma"}));
  EXPECT_EQ(DiscTree->SelectedCategory(), 0);
  DiscTree->CatTree->SetSelected(CategoryNode(" Audio  (1) "));
  EXPECT_EQ(Labels(), (std::vector<std::string>{"beta"}));
  // A refill keeps the choice, which lives in the engine.
  engine->RefreshViews(true);
  EXPECT_EQ(DiscTree->CatTree->Selected()->Text(), " Audio  (1) ");
  EXPECT_EQ(Labels(), (std::vector<std::string>{"beta"}));
  DiscTree->CatTree->SetSelected(DiscTree->CatTree->Items()->GetFirstNode());
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
  EXPECT_EQ(DiscTree->SelectedCategory(), -1);
}

TEST_F(DiscViewTest, ACategoryClickDuringALongOperationKeepsTheViews) {
  CreateDatabase();
  AddThreeDiscs();
  engine->Busy = true;
  DiscTree->CatTree->SetSelected(CategoryNode(" Audio  (1) "));
  engine->Busy = false;
  EXPECT_EQ(engine->Discs->Categories.Selected, -1);
  EXPECT_EQ(DiscTree->CatTree->Selected(), DiscTree->CatTree->Items()->GetFirstNode());
  EXPECT_EQ(Labels().size(), 3u);
}

TEST_F(DiscViewTest, RowsShowEveryColumnOfTheDisc) {
  CreateDatabase();
  TDiscData d;
  d.ID = 77;
  d.Label = u"Holiday";
  d.Category = 2;
  d.Location = u"Box";
  d.Files = 1234567;
  d.Folders = 1024;
  d.Added = EncodeDate(2024, 3, 9) + EncodeTime(14, 5, 6, 0);
  d.Description = u"first line\r\nsecond\tline";
  DiscTree->Clear();
  DiscTree->AddDisc(d);
  DiscTree->Sort();
  PDataNode n = DiscTree->Tree->GetFirst();
  const std::vector<std::string> expected = {"Holiday", "Audio",      "Box",      "1 234 567",
                                             "1 024",   "09/03/2024", "14:05:06", "first line second line"};
  for (int c = 0; c < 8; ++c) EXPECT_EQ(Cell(DiscTree->Tree, n, c), expected[std::size_t(c)]) << c;
  d.Category = 99;
  DiscTree->AddDisc(d);
  EXPECT_EQ(Cell(DiscTree->Tree, DiscTree->Tree->GetLast(), 1), "<ERROR>");
  EXPECT_EQ(TDiscTree::OneLine(u"a\r\nb\nc\td"), u"a bc d");
}

TEST_F(DiscViewTest, HeaderClicksSortNaturallyFirstThenReverse) {
  CreateDatabase();
  AddThreeDiscs();
  // The initial order: column 0 "descending", which is labels A to Z.
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
  ClickHeader(3);  // Files: fewest first
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Gamma", "beta", "Alpha"}));
  ClickHeader(3);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
  ClickHeader(2);  // Location: empty first, then by text
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Gamma", "Alpha", "beta"}));
  ClickHeader(0);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
  ClickHeader(0);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Gamma", "beta", "Alpha"}));
  // A refill keeps the order the header shows.
  engine->RefreshViews(false);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Gamma", "beta", "Alpha"}));
}

TEST_F(DiscViewTest, RowsAlternateTheirBackgroundAndTheLabelIsBold) {
  CreateDatabase();
  AddThreeDiscs();
  ShowPage(DiscTree);
  TDataStringTree* tree = DiscTree->Tree;
  PDataNode first = tree->GetFirst();
  PDataNode second = tree->GetNext(first);
  RECT r1 = RowRect(tree, first), r2 = RowRect(tree, second);
  // A point in the location column, right of its text.
  TDataTreeColumn* loc = tree->Header()->Columns()->Items(2);
  int x = loc->Left() + loc->Width() - 6;
  POINT p1 = ScreenOf(tree, x, (r1.top + r1.bottom) / 2), p2 = ScreenOf(tree, x, (r2.top + r2.bottom) / 2);
  tree->ClearSelection();
  tree->SetFocusedNode(nullptr);
  EXPECT_EQ(Pixel(p1.x, p1.y), 0xFFF5E6u);
  EXPECT_EQ(Pixel(p2.x, p2.y), 0xFFFFFFu);
  // Bold: the label "Alpha" darkens more pixels than the same text in the
  // location column.
  TDiscData* d = RowOf<TDiscData>(tree, first);
  d->Location = d->Label;
  tree->RepaintNode(first);
  auto dark = [&](int column) {
    RECT c = tree->GetDisplayRect(first, column, false);
    POINT a = ScreenOf(tree, c.left, c.top), b = ScreenOf(tree, c.right, c.bottom);
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int row = a.y; row < b.y; ++row)
      for (int col = a.x; col < b.x; ++col) n += (shot.At(col, row) & 0xFF) < 0x80;
    return n;
  };
  Pump();
  EXPECT_GT(dark(0), dark(2) + 3);
  EXPECT_GT(dark(2), 10);
}

TEST_F(DiscViewTest, DoubleClicksRunTheMainWindowsActionsOnlyWhenEnabled) {
  CreateDatabase();
  AddThreeDiscs();
  auto* actions = new TActionList(form);
  auto* browse = new TAction(actions);
  browse->SetActionList(actions);
  bool enabled = false;
  int runs = 0;
  browse->OnUpdate = [&](TObject*) { browse->SetEnabled(enabled); };
  browse->OnExecute = [&](TObject*) { ++runs; };
  DiscTree->BrowseAction = browse;
  DiscTree->CatEditAction = browse;
  DiscTree->TreeDblClick(DiscTree->Tree);
  DiscTree->CatTreeDblClick(DiscTree->CatTree);
  EXPECT_EQ(runs, 0);
  enabled = true;
  ShowPage(DiscTree);
  RECT r = RowRect(DiscTree->Tree, DiscTree->Tree->GetFirst());
  ClickAt(DiscTree->Tree, 20, (r.top + r.bottom) / 2, true);
  EXPECT_EQ(runs, 1);
  DiscTree->CatTreeDblClick(DiscTree->CatTree);
  EXPECT_EQ(runs, 2);
}

TEST_F(DiscViewTest, WidthsSurviveTheNextStart) {
  DiscTree->CatTree->SetWidth(170);
  DiscTree->Tree->Header()->Columns()->Items(7)->SetWidth(301);
  delete DiscTree;
  DiscTree = nullptr;
  Storage->Open("DISCFORM", false);
  EXPECT_EQ(Storage->ReadInteger("CatWidth", 0), 170);
  EXPECT_EQ(Storage->ReadInteger("C07", 0), 301);
  EXPECT_EQ(Storage->ReadInteger("C00", 0), 128);
  Storage->Close();
  DiscTree = new TDiscTree(form);
  DiscTree->SetParent(form);
  EXPECT_EQ(DiscTree->CatTree->Width(), 170);
  EXPECT_EQ(DiscTree->Tree->Header()->Columns()->Items(7)->Width(), 301);
  EXPECT_EQ(DiscTree->Tree->Header()->Columns()->Items(3)->Width(), 64);
}

}  // namespace
}  // namespace qv::test
