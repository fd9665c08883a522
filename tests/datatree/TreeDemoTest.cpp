// The data tree demo built headless and checked on pixels and by input (a
// million rows, header sorting, End, check boxes).
#include <filesystem>
#include <fstream>

#include "TreeTestSupport.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/image/Png.h"
#include "platform/ole/OleClipboard.h"
#include "platform/window/Input.h"

namespace qv::test {
namespace {

using treedemo::TRowData;

class TreeDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    form = treedemo::CreateTreeDemo();
    tree = form->Tree;
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  int Dark(const Surface& s, RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        uint32_t p = s.At(x, y);
        n += PixelR(p) + PixelG(p) + PixelB(p) < 300;
      }
    return n;
  }
  POINT Screen(int x, int y) { return tree->ClientToScreen(POINT{x, y}); }

  HeadlessBackend backend{SIZE{1000, 700}};
  treedemo::TTreeDemoForm* form = nullptr;
  TDataStringTree* tree = nullptr;
};

TEST_F(TreeDemo, AMillionRowsOfWhichOnlyTheShownAreInitialised) {
  EXPECT_EQ(tree->RootNodeCount(), treedemo::kRows);
  int initialised = 0;
  for (PDataNode n = tree->GetFirstNoInit(); n; n = n->NextSibling) initialised += n->Has(vsInitialized);
  EXPECT_GT(initialised, 20);
  EXPECT_LT(initialised, 60);
  Surface shot = backend.Screenshot();
  // Header texts, row texts in every column, and the folder picture of row 0.
  POINT h = tree->HeaderToScreen(POINT{0, 0});
  EXPECT_GT(Dark(shot, RECT{h.x + 2, h.y + 2, h.x + 60, h.y + 15}), 10);
  POINT r = Screen(0, 0);
  for (int x : {70, 250, 330, 420, 560, 650})
    EXPECT_GT(Dark(shot, RECT{r.x + x, r.y + 20, r.x + x + 60, r.y + 34}), 5) << x;
  int folder = 0;
  for (int y = r.y; y < r.y + 18; ++y)
    for (int x = r.x + 40; x < r.x + 60; ++x)
      folder += (shot.At(x, y) & 0xFFFFFF) == (PixelRGB(0xF5, 0xC2, 0x4C) & 0xFFFFFF);
  EXPECT_GT(folder, 50);
}

TEST_F(TreeDemo, HeaderClicksSortAndEndReachesTheLastRow) {
  tree->SetRootNodeCount(30000);  // sorting initialises every row: keep it quick
  // Size column: first click ascending, second descending.
  int left, right;
  tree->Header()->Columns()->GetColumnBounds(1, left, right);
  POINT p = tree->HeaderToScreen(POINT{left + 20, 8});
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(tree->Header()->SortColumn(), 1);
  EXPECT_EQ(tree->Header()->SortDirection(), sdAscending);
  uint32_t last = 0;
  int checked = 0;
  for (PDataNode n = tree->GetFirstNoInit(); n && checked < 50; n = n->NextSibling, ++checked) {
    uint32_t size = tree->GetNodeData<TRowData>(n)->Size;
    EXPECT_GE(size, last);
    last = size;
  }
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(tree->Header()->SortDirection(), sdDescending);
  tree->SetFocus();
  backend.KeyPress(VK_END);
  backend.Pump();
  EXPECT_EQ(tree->FocusedNode(), tree->GetLastVisible());
  RECT rr = tree->GetDisplayRect(tree->FocusedNode(), NoColumn, false);
  EXPECT_LE(rr.bottom, tree->ClientHeight());
  EXPECT_GT(rr.bottom, tree->ClientHeight() - 18);
  EXPECT_TRUE(TreeInvariantsHold(*tree));
}

TEST_F(TreeDemo, SpaceChecksAFolderAndItsFiles) {
  tree->SetFocus();
  tree->SetFocusedNode(tree->GetFirst());
  tree->SetExpanded(tree->GetFirst(), true);
  backend.KeyPress(VK_SPACE);
  backend.Pump();
  EXPECT_EQ(tree->CheckState(tree->GetFirst()), csCheckedNormal);
  for (PDataNode c = tree->GetFirstChild(tree->GetFirst()); c; c = c->NextSibling)
    EXPECT_EQ(tree->CheckState(c), csCheckedNormal);
  backend.KeyPress(VK_DOWN);
  backend.KeyPress(VK_SPACE);
  backend.Pump();
  EXPECT_EQ(tree->CheckState(tree->GetFirst()), csMixedNormal);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// The basket: rows copied and pasted, dragged over, renamed in place, exported.
TEST_F(TreeDemo, BasketTakesPastedAndDraggedRowsEditsAndExports) {
  OleInitialize(nullptr);
  TDataStringTree* basket = form->Basket;
  tree->SetFocus();
  tree->SetSelected(tree->GetFirst()->NextSibling, true);
  tree->CopyToClipboard();
  basket->SetFocusedNode(nullptr);
  EXPECT_TRUE(basket->PasteFromClipboard());
  ASSERT_EQ(basket->RootNodeCount(), 1u);
  EXPECT_EQ(basket->GetText(basket->GetFirst(), NoColumn), u"File 1.dat");
  // Renamed in place.
  ASSERT_TRUE(basket->EditNode(basket->GetFirst(), NoColumn));
  backend.Pump();
  backend.TypeText(u"renamed \u00FC");
  backend.KeyPress(VK_RETURN);
  backend.Pump();
  EXPECT_EQ(basket->GetText(basket->GetFirst(), NoColumn), u"renamed \u00FC");
  // A folder dragged from the tree lands with its files.
  backend.AdvanceClock(2000);
  RECT r = tree->GetDisplayRect(tree->GetFirst(), 0, true);
  POINT from = tree->ClientToScreen(POINT{r.left + 5, (r.top + r.bottom) / 2});
  POINT to = basket->ClientToScreen(POINT{40, basket->ClientHeight() - 10});
  backend.MouseMove(from.x, from.y);
  backend.MouseDown();
  backend.Pump();
  backend.WhenIdle([&] { backend.MouseMove(to.x, to.y); });
  backend.WhenIdle([&] { backend.MouseMove(to.x + 3, to.y); });
  backend.WhenIdle([&] { backend.MouseUp(); });
  backend.MouseMove(from.x + 15, from.y);
  backend.Pump();
  EXPECT_EQ(basket->RootNodeCount(), 2u);
  EXPECT_EQ(basket->TotalCount(), 7u);
  EXPECT_EQ(tree->RootNodeCount(), treedemo::kRows);
  EXPECT_TRUE(TreeInvariantsHold(*basket));
  // Exports of the basket's rows.
  auto folder = std::filesystem::temp_directory_path() / ("qv_tree_export_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  basket->ClearSelection();
  std::string html = form->ExportRows(basket, treedemo::ekHtml, folder.string());
  std::string csv = form->ExportRows(basket, treedemo::ekCsv, folder.string());
  ASSERT_FALSE(html.empty());
  std::ifstream in(csv);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "renamed \xC3\xBC\r");
  EXPECT_GT(std::filesystem::file_size(html), 100u);
  std::filesystem::remove_all(folder);
  OleSetClipboard(nullptr);
  OleUninitialize();
}

}  // namespace
}  // namespace qv::test
