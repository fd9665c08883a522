// Draw and string grids: keyboard movement (then Click) that OnSelectCell
// may refuse, clicks and Shift ranges, fixed cells never current, sizes and
// cell geometry, scrolling to keep the current cell in view, the calendar
// layout (7 x 7, no lines, no scroll bars) drawn by OnDrawCell with its
// states, and the string grid's default text.
#include "../controls/ControlsTestSupport.h"
#include "classlib/comctrls/Grids.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"

namespace qv::test {
namespace {

using Grids = ControlsTest;

TDrawGrid* Calendar(TForm* f) {
  auto* g = new TDrawGrid(f);
  g->SetParent(f);
  g->SetColCount(7);
  g->SetRowCount(7);
  g->SetFixedCols(0);
  g->SetFixedRows(1);
  g->SetDefaultColWidth(20);
  g->SetDefaultRowHeight(16);
  g->SetOptions(TGridOptions{});
  g->SetScrollBars(ssNone);
  g->SetBorderStyle(bsNone);
  g->SetBounds(10, 10, 140, 112);
  return g;
}

TEST_F(Grids, KeysMoveTheCurrentCellUnlessRefusedAndThenClick) {
  TForm* f = NewForm();
  TDrawGrid* g = Calendar(f);
  std::vector<std::string> log;
  g->OnSelectCell = [&](TObject*, int c, int r, bool& can) {
    log.push_back("select " + std::to_string(c) + "," + std::to_string(r));
    can = !(c == 3 && r == 2);  // one refused cell
  };
  g->OnClick = [&](TObject*) {
    log.push_back("click " + std::to_string(g->Col()) + "," + std::to_string(g->Row()));
  };
  f->Show();
  g->SetFocus();
  Pump();
  EXPECT_EQ(g->Col(), 0);  // no fixed column: the current cell starts in the first one
  EXPECT_EQ(g->Row(), 1);
  backend.KeyPress(VK_RIGHT);
  backend.KeyPress(VK_RIGHT);
  backend.KeyPress(VK_DOWN);   // to 2,2
  backend.KeyPress(VK_RIGHT);  // 3,2 refused
  backend.KeyPress(VK_UP);
  backend.KeyPress(VK_UP);  // the fixed row is never current
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"select 1,1", "click 1,1", "select 2,1", "click 2,1", "select 2,2",
                                           "click 2,2", "select 3,2", "select 2,1", "click 2,1"}));
  EXPECT_EQ(g->Col(), 2);
  EXPECT_EQ(g->Row(), 1);
  log.clear();
  backend.KeyPress(VK_END);
  backend.KeyDown(VK_CONTROL);
  backend.KeyPress(VK_END);
  backend.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(g->Col(), 6);
  EXPECT_EQ(g->Row(), 6);
  backend.KeyPress(VK_PRIOR);
  Pump();
  EXPECT_EQ(g->Row(), 1);
  // Setting the cell from code asks SelectCell but does not click.
  log.clear();
  g->SetCol(4);
  EXPECT_EQ(log, std::vector<std::string>{"select 4,1"});
  g->SetRow(0);  // fixed: ignored
  EXPECT_EQ(g->Row(), 1);
}

TEST_F(Grids, OwnerDrawnCellsGetTheirStatesAndRectangles) {
  TForm* f = NewForm();
  TDrawGrid* g = Calendar(f);
  std::map<std::pair<int, int>, TGridDrawState> states;
  std::map<std::pair<int, int>, RECT> rects;
  g->OnDrawCell = [&](TObject*, int c, int r, const RECT& rect, TGridDrawState s) {
    states[{c, r}] = s;
    rects[{c, r}] = rect;
    if (s.Contains(gdSelected)) {
      g->Canvas()->Brush()->SetColor(clRed);
      g->Canvas()->FillRect(rect);
    }
  };
  f->Show();
  g->SetCol(3);
  g->SetRow(4);
  g->SetFocus();
  Pump();
  EXPECT_EQ(states.size(), 49u);
  EXPECT_EQ(states[std::pair(0, 0)], TGridDrawState{gdFixed});
  EXPECT_EQ(states[std::pair(3, 4)], (TGridDrawState{gdSelected, gdFocused}));
  EXPECT_TRUE(states[std::pair(2, 4)].Empty());
  // Without lines the cells touch; the rectangles match CellRect.
  EXPECT_EQ(rects[std::pair(1, 1)].left, 20);
  EXPECT_EQ(rects[std::pair(1, 1)].top, 16);
  RECT cr = g->CellRect(3, 4);
  EXPECT_EQ(cr, (RECT{60, 64, 80, 80}));
  int c = -2, r = -2;
  g->MouseToCell(65, 70, c, r);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(r, 4);
  g->MouseToCell(300, 70, c, r);
  EXPECT_EQ(c, -1);
  // The owner's drawing shows; the default fill leaves a plain cell in the window colour.
  POINT in = g->ClientToScreen(POINT{70, 72});
  EXPECT_EQ(PixelAt(in.x, in.y), Rgb(255, 0, 0));
  POINT plain = g->ClientToScreen(POINT{30, 40});
  EXPECT_EQ(PixelAt(plain.x, plain.y), Rgb(255, 255, 255));
  // A click picks the cell under the mouse, then fires Click; a fixed cell is not picked.
  int clicks = 0;
  g->OnClick = [&](TObject*) { ++clicks; };
  POINT at = g->ClientToScreen(POINT{125, 100});
  backend.Click(at.x, at.y);
  at = g->ClientToScreen(POINT{45, 5});
  backend.Click(at.x, at.y);
  Pump();
  EXPECT_EQ(g->Col(), 6);
  EXPECT_EQ(g->Row(), 6);
  EXPECT_EQ(clicks, 2);
}

TEST_F(Grids, StringGridTextRangesSizesAndScrolling) {
  TForm* f = NewForm();
  auto* g = new TStringGrid(f);
  g->SetParent(f);
  g->SetBounds(0, 0, 300, 200);
  g->SetColCount(6);
  g->SetRowCount(40);
  g->SetCells(0, 0, "Name");
  g->SetCells(1, 3, "Disc 3");
  g->SetColWidths(1, 100);
  f->Show();
  g->SetFocus();
  Pump();
  EXPECT_EQ(g->Cells(1, 3), "Disc 3");
  EXPECT_EQ(g->Cells(5, 30), "");
  EXPECT_EQ(g->CellRect(2, 1).left, 64 + 1 + 100 + 1);  // widths plus the one-pixel lines
  // The default drawing writes the text in its cell.
  RECT r = g->CellRect(1, 3);
  POINT o = g->ClientToScreen(POINT{0, 0});
  Surface shot = backend.Screenshot();
  int dark = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) dark += (shot.At(o.x + x, o.y + y) & 0xFF) < 0x60;
  EXPECT_GT(dark, 10);
  // Shift extends the selection from the anchor.
  backend.KeyDown(VK_SHIFT);
  backend.KeyPress(VK_DOWN);
  backend.KeyPress(VK_RIGHT);
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 2}));
  backend.KeyPress(VK_DOWN);
  Pump();
  EXPECT_EQ(g->Selection(), (TGridRect{2, 3, 2, 3}));
  // Moving below the window scrolls; the fixed row stays on top.
  int visible = g->VisibleRowCount();
  EXPECT_GT(visible, 3);
  for (int i = 0; i < 20; ++i) backend.KeyPress(VK_DOWN);
  Pump();
  EXPECT_EQ(g->Row(), 23);
  EXPECT_GT(g->TopRow(), 1);
  RECT cur = g->CellRect(2, 23);
  EXPECT_GT(cur.bottom, cur.top);
  EXPECT_LE(cur.bottom, g->ClientHeight());
  EXPECT_EQ(g->CellRect(2, 0).top, 0);
  EXPECT_EQ(g->CellRect(2, 1).bottom, 0);  // scrolled away
  // Whole rows selected; a double click reaches OnDblClick.
  g->SetOptions(g->Options() + goRowSelect);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 23, 5, 23}));
  int doubles = 0;
  g->OnDblClick = [&](TObject*) { ++doubles; };
  RECT cell = g->CellRect(1, 23);
  POINT p = g->ClientToScreen(POINT{cell.left + 3, cell.top + 3});
  backend.Click(p.x, p.y);
  backend.Click(p.x, p.y);
  Pump();
  EXPECT_EQ(doubles, 1);
  // Fewer rows bring the current cell along.
  g->SetRowCount(10);
  EXPECT_EQ(g->Row(), 9);
  EXPECT_LE(g->TopRow(), 9);
}

}  // namespace
}  // namespace qv::test
