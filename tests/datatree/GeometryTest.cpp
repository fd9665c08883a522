// Geometry: the node at a pixel and a node's rectangle agree with a plain
// walk, with and without the position cache, over a large tree with
// varying heights; scrolling arithmetic and scrolling into view.
#include <random>

#include "TreeTestSupport.h"
#include "datatree/DataDrawTree.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

using Geometry = TreeTest;

struct Row {
  PDataNode node;
  int top, height;
};

std::vector<Row> Rows(TBaseDataTree& t) {
  std::vector<Row> rows;
  int top = 0;
  for (PDataNode n = t.GetFirstVisibleNoInit(); n; n = t.GetNextVisibleNoInit(n)) {
    rows.push_back({n, top, n->NodeHeight});
    top += n->NodeHeight;
  }
  return rows;
}

TEST_F(Geometry, NodeAtAgreesWithAndWithoutThePositionCache) {
  auto t = DetachedTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(3000);
  std::mt19937 rng(3);
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling) {
    if (rng() % 7 == 0) {
      t->SetChildCount(n, rng() % 5 + 1);
      if (rng() % 2) t->SetExpanded(n, true);
    }
    if (rng() % 5 == 0) t->SetNodeHeight(n, 10 + rng() % 30);
  }
  ASSERT_TRUE(TreeInvariantsHold(*t));
  std::vector<Row> rows = Rows(*t);
  ASSERT_GT(rows.size(), 2000u);
  for (bool cached : {false, true}) {
    if (cached) {
      t->InterruptValidation();  // the worker may be walking this tree already
      ASSERT_TRUE(t->ValidateCacheNow(nullptr));
      ASSERT_TRUE(t->TreeStates().Contains(tsUseCache));
      EXPECT_GE(t->PositionCacheSize(), rows.size() / 2000);
    } else {
      t->InvalidateCache();
    }
    for (int i = 0; i < 400; ++i) {
      const Row& r = rows[rng() % rows.size()];
      int y = r.top + int(rng() % uint32_t(r.height));
      int top = -1;
      ASSERT_EQ(t->GetNodeAt(0, y, false, top), r.node) << "y " << y << (cached ? " cached" : "");
      ASSERT_EQ(top, r.top);
      if (cached) {
        PDataNode entry = t->FindInPositionCache(r.node, top);
        ASSERT_NE(entry, nullptr);
        ASSERT_LE(top, r.top);
        ASSERT_LE(t->CompareNodePositions(entry, r.node), 0);
      }
      RECT d = t->GetDisplayRect(r.node, NoColumn, false);
      ASSERT_EQ(d.top, r.top);
      ASSERT_EQ(d.bottom, r.top + r.height);
    }
    int top;
    EXPECT_EQ(t->GetNodeAt(0, rows.back().top + rows.back().height + 5, false, top), nullptr);
    EXPECT_EQ(t->GetNodeAt(0, -20, false, top), rows.front().node);
  }
  // A node inside a collapsed parent has an empty rectangle.
  for (PDataNode n = t->GetFirstNoInit(); n; n = n->NextSibling)
    if (n->ChildCount && !n->Has(vsExpanded)) {
      RECT d = t->GetDisplayRect(n->FirstChild, NoColumn, false);
      EXPECT_EQ(d.bottom - d.top, 0);
      break;
    }
}

TEST_F(Geometry, ScrollingClampsAndBringsNodesIntoView) {
  TDataStringTree* t = NewTree({0, 0, 200, 180});
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(100);
  Pump();
  int rows = t->ClientHeight();
  t->SetOffsetY(-100000);
  EXPECT_EQ(t->OffsetY(), rows - 100 * 18);
  t->SetOffsetY(50);
  EXPECT_EQ(t->OffsetY(), 0);
  PDataNode last = t->GetLastNoInit();
  t->ScrollIntoView(last, false);
  RECT r = t->GetDisplayRect(last, NoColumn, false);
  EXPECT_EQ(r.bottom, rows);
  t->SetTopNode(t->GetFirstNoInit()->NextSibling);
  EXPECT_EQ(t->OffsetY(), -18);
  EXPECT_EQ(t->TopNode(), t->GetFirstNoInit()->NextSibling);
  // End from the top paints the last node at the bottom.
  t->SetFocus();
  t->SetOffsetY(0);
  backend.KeyPress(0x23);  // End
  Pump();
  EXPECT_EQ(t->FocusedNode(), last);
  EXPECT_EQ(t->GetDisplayRect(last, NoColumn, false).bottom, rows);
  // The mouse wheel scrolls three rows.
  t->SetOffsetY(0);
  backend.MouseMove(50, 50);
  backend.Wheel(-120);
  Pump();
  EXPECT_EQ(t->OffsetY(), -3 * 18);
  // An indent of 0 does not divide by zero when scrolling sideways.
  t->SetIndent(0);
  backend.KeyDown(0x11);
  backend.Wheel(-120);
  backend.KeyUp(0x11);
  Pump();
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST_F(Geometry, WheelPanningFollowsTheMouseFromTheAnchor) {
  TDataStringTree* t = NewTree({0, 0, 200, 180});
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(100);
  Pump();
  backend.MouseMove(50, 50);
  backend.MouseDown(MouseButton::Middle);
  backend.MouseUp(MouseButton::Middle);  // released without moving: panning goes on
  Pump();
  EXPECT_TRUE(t->TreeStates().Contains(tsWheelScrolling));
  backend.MouseMove(50, 80);  // 30 pixels below the anchor: 22 per tick
  Pump();
  backend.AdvanceClock(100);
  Pump();
  EXPECT_LE(t->OffsetY(), -22 * 4);
  int y = t->OffsetY();
  backend.MouseMove(50, 55);  // inside the dead zone: no movement
  Pump();
  backend.AdvanceClock(100);
  Pump();
  EXPECT_EQ(t->OffsetY(), y);
  backend.Click(50, 55);  // the next press ends panning
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsWheelScrolling) || t->TreeStates().Contains(tsWheelPanning));
}

TEST_F(Geometry, RubberBandScrollsNearTheEdgeAfterTheDelay) {
  TDataStringTree* t = NewTree({0, 0, 200, 180});
  t->SetNodeDataSize(4);
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() + toAutoScroll);
  t->SetRootNodeCount(100);
  Pump();
  backend.MouseMove(180, 5);
  backend.MouseDown();
  backend.MouseMove(20, 60);
  Pump();
  EXPECT_TRUE(t->TreeStates().Contains(tsDrawSelecting));
  int selected = t->SelectionCount();
  EXPECT_GE(selected, 3);
  backend.MouseMove(20, 175);  // in the bottom margin
  Pump();
  EXPECT_EQ(t->OffsetY(), 0);  // not before the delay
  backend.AdvanceClock(1200);
  Pump();
  EXPECT_LT(t->OffsetY(), 0);
  EXPECT_GT(t->SelectionCount(), selected);
  backend.MouseUp();
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsScrolling) || t->TreeStates().Contains(tsDrawSelecting));
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Geometry, HitZonesSplitTheIndentTheMarginAndReportCells) {
  TDataStringTree* t = NewTree();
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex c, TVSTTextType, std::u16string& s) {
    s = c == 1 ? u"other" : u"text";
  };
  t->SetRootNodeCount(2);
  PDataNode top = t->GetFirst();
  t->SetChildCount(top, 1);
  t->SetExpanded(top, true);
  const int indent = int(t->Indent()), h = int(t->DefaultNodeHeight());
  auto at = [&](int x, int row) {
    THitInfo hit;
    t->GetHitTestInfoAt(x, row * h + h / 2, true, hit);
    return hit.HitPositions;
  };
  // The button's box is the button alone; a leaf's levels are indentation.
  auto p = at(indent / 2, 0);
  EXPECT_TRUE(p.Contains(hpOnItemButton));
  EXPECT_FALSE(p.Contains(hpOnItemIndent));
  p = at(indent + indent / 2, 1);
  EXPECT_TRUE(p.Contains(hpOnItemIndent));
  EXPECT_FALSE(p.Contains(hpOnItemButton));
  // The margin belongs to the label, or to the check box when there is one.
  EXPECT_TRUE(at(indent + 1, 0).Contains(hpOnItemLabel));
  EXPECT_FALSE(at(indent + 1, 0).Contains(hpOnItemLeft));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  t->SetCheckType(top, ctCheckBox);
  EXPECT_TRUE(at(indent + 1, 0).Contains(hpOnItemCheckbox));
  // In a report the other columns are plain cells.
  t->Header()->Columns()->Add()->SetWidth(150);
  t->Header()->Columns()->Add()->SetWidth(150);
  EXPECT_TRUE(at(150 + 10, 0).Contains(hpOnItemLabel));
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toReportMode);
  p = at(150 + 10, 0);
  EXPECT_TRUE(p.Contains(hpOnItem));
  EXPECT_FALSE(p.Contains(hpOnItemLabel));
  EXPECT_TRUE(at(indent + 30, 1).Contains(hpOnItemLabel));  // the main column still has parts
}

// A node's width is its content plus a text margin on either side, in both
// trees: the text's rectangle, the label's hit zone, the widest cell and the
// point where the context-menu key opens a menu all take it as it is.
TEST_F(Geometry, ANodeWidthHoldsTheContentAndBothTextMargins) {
  NewTree();
  auto* draw = new TCustomDataDrawTree(form);
  draw->SetBoundsRect(RECT{0, 0, 400, 150});
  draw->SetParent(form);
  draw->OnGetNodeWidth = [](TBaseDataTree*, TCanvas*, PDataNode, TColumnIndex, int& w) { w += 40; };
  auto* text = new TDataStringTree(form);
  text->SetBoundsRect(RECT{0, 150, 400, 300});
  text->SetParent(form);
  text->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = u"Some text";
  };
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, text->Font()->Handle());
  SIZE extent{};
  GetTextExtentPoint32W(dc, u"Some text", 9, &extent);
  SelectObject(dc, old);
  DeleteDC(dc);
  Pump();
  for (auto [t, content] : {std::pair<TBaseDataTree*, int>{draw, 40}, {text, int(extent.cx)}}) {
    SCOPED_TRACE(t == draw ? "owner-drawn" : "string");
    t->SetRootNodeCount(2);
    PDataNode n = t->GetFirst();
    const int width = content + 2 * t->TextMargin();
    // Shown with its root button: one indentation step, then the margin.
    const int left = int(t->Indent()) + t->Margin();
    EXPECT_EQ(t->DoGetNodeWidth(n, NoColumn), width);
    RECT r = t->GetDisplayRect(n, NoColumn, true);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.right - r.left, width);
    THitInfo hit;
    int y = (r.top + r.bottom) / 2;
    t->GetHitTestInfoAt(left + width - 1, y, true, hit);
    EXPECT_TRUE(hit.HitPositions.Contains(hpOnItemLabel));
    t->GetHitTestInfoAt(left + width, y, true, hit);
    EXPECT_TRUE(hit.HitPositions.Contains(hpOnItemRight));
    EXPECT_EQ(t->GetMaxColumnWidth(t->Header()->MainColumn()), left + width);
    std::vector<POINT> asked;
    t->OnGetPopupMenu = [&](TBaseDataTree*, PDataNode, TColumnIndex, POINT p, bool&, TMenuBase*&) {
      asked.push_back(p);
    };
    t->SetFocus();
    t->SetFocusedNode(n);
    backend.KeyPress(VK_APPS);
    Pump();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked[0].x, left + width / 2);
    EXPECT_EQ(asked[0].y, y);
    t->OnGetPopupMenu = nullptr;
  }
}

TEST_F(Geometry, TheWidestCellCountsTheVerticalGridLine) {
  TDataStringTree* t = NewTree();
  t->Header()->Columns()->Add()->SetWidth(100);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - toShowVertGridLines);
  EXPECT_EQ(t->GetMaxColumnWidth(0), 0);
  t->SetRootNodeCount(3);
  int plain = t->GetMaxColumnWidth(0);
  EXPECT_GT(plain, 0);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toShowVertGridLines);
  EXPECT_EQ(t->GetMaxColumnWidth(0), plain + 1);
  t->Clear();
  EXPECT_EQ(t->GetMaxColumnWidth(0), 1);
}

TEST_F(Geometry, AThumbPositionTracksUntilTheScrollEnds) {
  TDataStringTree* t = NewTree();
  t->SetRootNodeCount(200);
  Pump();
  SendMessage(t->Handle(), WM_VSCROLL, SB_THUMBPOSITION, 0);
  EXPECT_TRUE(t->TreeStates().Contains(tsThumbTracking));
  SendMessage(t->Handle(), WM_VSCROLL, SB_ENDSCROLL, 0);
  EXPECT_FALSE(t->TreeStates().Contains(tsThumbTracking));
  SCROLLINFO si{};
  si.fMask = SIF_ALL;
  GetScrollInfo(t->Handle(), SB_VERT, &si);
  EXPECT_GT(si.nMax, 200 * int(t->DefaultNodeHeight()) / 2);
  EXPECT_EQ(si.nPos, -t->OffsetY());
}

}  // namespace
}  // namespace qv::test
