// Events around the rows and the header: the header's mouse reports and a
// column dropped outside, the extended image event and its own list, menus
// per node (asked up the parents) from the right button, the menu key and
// Shift+F10, the help key, cursors, scroll bars shown and hidden, and wheel
// panning with its window and cursors.
#include "TreeTestSupport.h"
#include "classlib/controls/MenuBase.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

// A menu that only remembers where it was asked to pop up.
class RecordingMenu : public TMenuBase {
 public:
  using TMenuBase::TMenuBase;
  HMENU GetHandle() override { return nullptr; }
  bool IsShortCut(WORD, TShiftState) override { return false; }
  bool DispatchMenuMessage(TMessage&) override { return false; }
  bool ContextPopup(TControl*, POINT Screen) override {
    shown.push_back(Screen);
    return true;
  }
  std::vector<POINT> shown;
};

class HelpTree : public TDataStringTree {
 public:
  using TDataStringTree::TDataStringTree;
  std::vector<int> helps;

 protected:
  void InvokeHelp(int Context) override { helps.push_back(Context); }
};

class Events : public TreeTest {
 protected:
  // Two top-level nodes with three children each, the first one open.
  template <class T = TDataStringTree>
  T* MakeTree(RECT r = {0, 0, 300, 200}) {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBoundsRect(r);
    auto* t = new T(form);
    t->SetBorderStyle(bsNone);
    t->SetAlign(alClient);
    t->SetParent(form);
    t->SetNodeDataSize(4);
    t->OnInitNode = [](TBaseDataTree*, PDataNode parent, PDataNode, TDataNodeInitStates& s) {
      if (!parent) s.Include(ivsHasChildren);
    };
    t->OnInitChildren = [](TBaseDataTree*, PDataNode, uint32_t& n) { n = 3; };
    t->SetRootNodeCount(2);
    form->Show();
    t->SetExpanded(t->GetFirst(), true);
    t->SetFocus();
    Pump();
    return t;
  }
  void Key(UINT vk) {
    backend.KeyPress(vk);
    Pump();
  }
};

TEST_F(Events, HeaderReportsPressesMovesAndAColumnDroppedOutside) {
  TDataStringTree* t = MakeTree();
  TDTHeader* h = t->Header();
  for (int i = 0; i < 3; ++i) h->Columns()->Add()->SetWidth(80);
  h->SetOptions(TDTHeaderOptions{hoVisible, hoColumnResize, hoDrag});
  std::vector<std::string> log;
  t->OnHeaderMouseDown = [&](TDTHeader* s, TMouseButton b, TShiftState, int x, int) {
    EXPECT_EQ(s, h);
    log.push_back("down" + std::to_string(int(b)) + "@" + std::to_string(x));
  };
  t->OnHeaderMouseUp = [&](TDTHeader*, TMouseButton b, TShiftState, int, int) {
    log.push_back("up" + std::to_string(int(b)));
  };
  int moves = 0;
  t->OnHeaderMouseMove = [&](TDTHeader*, TShiftState, int, int) { ++moves; };
  std::vector<std::pair<TColumnIndex, POINT>> out;
  t->OnHeaderDraggedOut = [&](TDTHeader*, TColumnIndex c, POINT p) { out.push_back({c, p}); };
  Pump();
  backend.MouseMove(100, 8);
  Pump();
  EXPECT_GT(moves, 0);
  backend.Click(100, 8, MouseButton::Right);
  backend.Click(100, 8);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"down1@100", "up1", "down0@100", "up0"}));
  // A column dragged below the tree leaves its place to the owner.
  backend.MouseMove(200, 8);
  backend.MouseDown();
  backend.MouseMove(190, 8);
  backend.MouseMove(190, 250);
  backend.MouseUp();
  Pump();
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].first, 2);
  EXPECT_EQ(out[0].second.y, 250);
  EXPECT_EQ(h->Columns()->PositionToIndex(), (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(Events, ColumnDropsInsideTheTreeWindowMoveAndAllOthersGoOut) {
  TDataStringTree* t = MakeTree();
  t->SetBorderStyle(bsSingle);
  TDTHeader* h = t->Header();
  for (int i = 0; i < 3; ++i) h->Columns()->Add()->SetWidth(80);
  h->SetOptions(TDTHeaderOptions{hoVisible, hoDrag});
  std::vector<std::pair<TColumnIndex, POINT>> out;
  t->OnHeaderDraggedOut = [&](TDTHeader*, TColumnIndex c, POINT p) { out.push_back({c, p}); };
  std::vector<std::pair<TColumnIndex, int>> moved;
  t->OnHeaderDragged = [&](TDTHeader*, TColumnIndex c, int old) { moved.push_back({c, old}); };
  std::vector<TColumnIndex> asked;
  t->OnHeaderDragging = [&](TDTHeader*, TColumnIndex c, bool&) { asked.push_back(c); };
  // A column that takes no clicks is never pressed, yet it can be dragged.
  h->Columns()->Items(0)->SetOptions(h->Columns()->Items(0)->Options() - coAllowClick);
  Pump();
  auto drag = [&](POINT from, std::vector<POINT> path) {
    SendHeaderMouse(t, WM_LBUTTONDOWN, from.x, from.y);
    for (POINT p : path) SendHeaderMouse(t, WM_MOUSEMOVE, p.x, p.y);
    SendHeaderMouse(t, WM_LBUTTONUP, path.back().x, path.back().y);
    Pump();
  };
  // Back onto itself: the column goes to the owner, as when it leaves the tree.
  drag(POINT{200, 8}, {POINT{210, 8}, POINT{220, 8}});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].first, 2);
  EXPECT_EQ(out[0].second.x, t->ClientToScreen(POINT{220, 8}).x);
  EXPECT_TRUE(moved.empty());
  // Released on the tree's border, outside the client area but inside the
  // window, over the right half of the column at position 2: it moves there.
  RECT window;
  GetWindowRect(t->Handle(), &window);
  POINT border{230, h->Height() + t->ClientHeight()};  // header coordinates
  ASSERT_LT(t->HeaderToScreen(border).y, window.bottom);
  drag(POINT{40, 8}, {POINT{60, 8}, POINT{230, 8}, border});
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(asked, (std::vector<TColumnIndex>{2, 0}));
  EXPECT_EQ(moved, (std::vector<std::pair<TColumnIndex, int>>{{0, 0}}));
  EXPECT_EQ(h->Columns()->PositionToIndex(), (std::vector<int32_t>{1, 2, 0}));
}

TEST_F(Events, ExtendedImageEventAloneIsAskedAndItsListIsDrawn) {
  TDataStringTree* t = MakeTree();
  TBitmap red(16, 16, pf24bit);
  red.Canvas()->Brush()->SetColor(TColor(0x0000FF));
  red.Canvas()->FillRect(RECT{0, 0, 16, 16});
  TCustomImageList own(nullptr, 16, 16);
  own.Add(&red, nullptr);
  int plain = 0;
  t->OnGetImageIndex = [&](TBaseDataTree*, PDataNode, TDTImageKind, TColumnIndex, bool&, int& i) {
    ++plain;
    i = 0;
  };
  t->OnGetImageIndexEx = [&](TBaseDataTree*, PDataNode, TDTImageKind k, TColumnIndex, bool&, int& i,
                             TCustomImageList*& list) {
    if (k == ikNormal || k == ikSelected) i = 0, list = &own;
  };
  t->Invalidate();
  Pump();
  EXPECT_EQ(plain, 0);
  // The tree has no Images of its own, yet the handler's list is drawn:
  // the first row's picture after the root level's indent and the margin.
  int y = 9, x = int(t->Indent()) + t->Margin() + 8;
  EXPECT_EQ(PixelAt(x, y), 0xFF0000u);
}

TEST_F(Events, NodeMenusAreAskedUpTheParentsAndOpenAtTheFocusedCell) {
  TDataStringTree* t = MakeTree();
  PDataNode first = t->GetFirst(), child = t->GetFirstChild(first);
  RecordingMenu menu(nullptr);
  std::vector<PDataNode> asked;
  PDataNode menuFor = nullptr;
  t->OnGetPopupMenu = [&](TBaseDataTree*, PDataNode n, TColumnIndex, POINT, bool&, TMenuBase*& m) {
    asked.push_back(n);
    if (n == menuFor) m = &menu;
  };
  // Nobody gives a menu: the node and each parent are asked, the hidden root never.
  t->SetFocusedNode(child);
  Key(VK_APPS);
  EXPECT_EQ(asked, (TNodeArray{child, first}));
  EXPECT_TRUE(menu.shown.empty());
  // The parent's menu serves the child; the key-up brings no second menu.
  menuFor = first;
  asked.clear();
  Key(VK_APPS);
  ASSERT_EQ(menu.shown.size(), 1u);
  RECT r = t->GetDisplayRect(child, NoColumn, true);
  POINT at = t->ClientToScreen(POINT{0, (r.top + r.bottom) / 2});
  EXPECT_EQ(menu.shown[0].y, at.y);
  EXPECT_GE(menu.shown[0].x, t->ClientToScreen(POINT{r.left, 0}).x);
  // Shift+F10 does the same.
  backend.KeyDown(VK_SHIFT);
  backend.KeyPress(VK_F10);
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(menu.shown.size(), 2u);
  // The right button over a row asks for that row's menu.
  asked.clear();
  backend.Click(60, 18 + 9, MouseButton::Right);
  Pump();
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0], child);
  EXPECT_EQ(menu.shown.size(), 3u);
}

TEST_F(Events, HelpKeyAsksTheNodesThenTheControls) {
  auto* t = MakeTree<HelpTree>();
  PDataNode first = t->GetFirst(), child = t->GetFirstChild(first);
  t->SetFocusedNode(child);
  Key(VK_F1);
  EXPECT_TRUE(t->helps.empty());  // without a handler F1 does nothing
  std::vector<PDataNode> asked;
  int parentContext = 42;
  t->OnGetHelpContext = [&](TBaseDataTree*, PDataNode n, TColumnIndex c, int& h) {
    EXPECT_EQ(c, 0);
    asked.push_back(n);
    if (n == first) h = parentContext;
  };
  Key(VK_F1);
  EXPECT_EQ(asked, (TNodeArray{child, first}));
  EXPECT_EQ(t->helps, (std::vector<int>{42}));
  // No node knows: the tree, then its parents.
  parentContext = 0;
  form->HelpContext = 7;
  Key(VK_F1);
  t->HelpContext = 5;
  Key(VK_F1);
  EXPECT_EQ(t->helps, (std::vector<int>{42, 7, 5}));
}

TEST_F(Events, CursorsAreAskedOverRowsAndTheHeader) {
  TDataStringTree* t = MakeTree();
  TDTHeader* h = t->Header();
  h->Columns()->Add()->SetWidth(100);
  h->SetOptions(TDTHeaderOptions{hoVisible, hoColumnResize});
  HCURSOR split = nullptr;
  t->OnGetHeaderCursor = [&](TDTHeader*, HCURSOR& c) { split = c; };
  t->OnGetCursor = [](TBaseDataTree*, TCursor& c) { c = crHandPoint; };
  Pump();
  backend.MouseMove(50, 40);
  Pump();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  backend.MouseMove(100, 8);  // the column's right edge
  Pump();
  EXPECT_EQ(split, LoadCursorW(nullptr, IDC_SIZEWE));
  EXPECT_EQ(GetCursor(), split);
}

TEST_F(Events, ScrollBarsShownAndHiddenAreReported) {
  TDataStringTree* t = MakeTree();
  std::vector<std::pair<int, bool>> shown;
  t->OnShowScrollbar = [&](TBaseDataTree*, int bar, bool show) { shown.push_back({bar, show}); };
  t->SetRootNodeCount(100);
  Pump();
  t->SetRootNodeCount(2);
  Pump();
  EXPECT_EQ(shown, (std::vector<std::pair<int, bool>>{{SB_VERT, true}, {SB_VERT, false}}));
}

// Opens the window parameters to the test.
class ParamsTree : public TDataStringTree {
 public:
  using TDataStringTree::TDataStringTree;
  TCreateParams Params() {
    TCreateParams p;
    CreateParams(p);
    return p;
  }
};

TEST_F(Events, TheWindowAsksForTheScrollBarsItIsSetToShow) {
  ParamsTree t(nullptr);
  auto style = [&](TScrollStyle bars) {
    t.ScrollBarOptions()->SetScrollBars(bars);
    return t.Params().Style & (WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
  };
  const DWORD clip = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  EXPECT_EQ(style(ssBoth), clip | WS_HSCROLL | WS_VSCROLL);
  EXPECT_EQ(style(ssVertical), clip | WS_VSCROLL);
  EXPECT_EQ(style(ssHorizontal), clip | WS_HSCROLL);
  EXPECT_EQ(style(ssNone), clip);
}

TEST_F(Events, PanningShowsItsWindowAndPointsWhereTheViewMoves) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(200);  // only a vertical range
  Pump();
  backend.MouseMove(100, 100);
  backend.MouseDown(MouseButton::Middle);
  Pump();
  HWND w = t->PanningWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w));
  RECT wr;
  GetWindowRect(w, &wr);
  POINT anchor = t->ClientToScreen(POINT{100, 100});
  EXPECT_EQ(wr.left, anchor.x - 16);
  EXPECT_EQ(wr.right - wr.left, 32);
  EXPECT_EQ(GetCursor(), PanningCursor(psMoveNS));
  backend.MouseUp(MouseButton::Middle);  // released without moving: panning goes on
  backend.MouseMove(100, 130);
  Pump();
  EXPECT_EQ(GetCursor(), PanningCursor(psMoveS));
  backend.Click(100, 130);  // the next press ends it
  Pump();
  EXPECT_EQ(t->PanningWindow(), nullptr);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(Events, SystemColourChangeRedrawsTheSharedCheckImagesInPlace) {
  TDataStringTree* t = MakeTree();
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  t->SetCheckType(t->GetFirst(), ctCheckBox);
  Pump();
  TCustomImageList* before = t->CheckImages();
  ASSERT_NE(before, nullptr);
  SendMessageW(t->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  t->Repaint();
  Pump();
  // Every tree keeps pointing at the same list, now drawn again, not grown.
  EXPECT_EQ(t->CheckImages(), before);
  EXPECT_EQ(before->Count(), 25);
  int x = int(t->Indent()) + t->Margin() + 1;  // the check box's frame
  EXPECT_NE(PixelAt(x, 9), 0xFFFFFFu);
}

TEST(PanningShape, DeadZoneThenTheDirectionOfTheMouse) {
  EXPECT_EQ(ChoosePanningShape(3, -5, true, true), psMoveAll);
  EXPECT_EQ(ChoosePanningShape(3, -5, false, true), psMoveNS);
  EXPECT_EQ(ChoosePanningShape(3, -5, true, false), psMoveEW);
  EXPECT_EQ(ChoosePanningShape(2, -30, true, true), psMoveN);
  EXPECT_EQ(ChoosePanningShape(-30, 8, true, true), psMoveW);
  EXPECT_EQ(ChoosePanningShape(20, 20, true, true), psMoveSE);
  EXPECT_EQ(ChoosePanningShape(-20, -20, true, true), psMoveNW);
  EXPECT_EQ(ChoosePanningShape(-20, -20, false, true), psMoveN);
  EXPECT_EQ(ChoosePanningShape(20, -20, true, false), psMoveE);
  // Each shape is a cursor of its own, made once.
  EXPECT_NE(PanningCursor(psMoveN), PanningCursor(psMoveS));
  EXPECT_EQ(PanningCursor(psMoveN), PanningCursor(psMoveN));
}

}  // namespace
}  // namespace qv::test
