// The tree's non-client area: the header above the client area, the border,
// bevels and BorderWidth ring around it; client coordinates start at the
// first row, and the header answers as part of the frame.
#include "TreeTestSupport.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

RECT ClientRectOf(TBaseDataTree* t) {
  RECT r{};
  GetClientRect(t->Handle(), &r);
  return r;
}

LRESULT HitAt(TBaseDataTree* t, POINT screen) {
  return SendMessage(t->Handle(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
}

// A borderless 300 x 200 tree with a 17-pixel header and two columns.
struct NonClient : TreeTest {
  TDataStringTree* Make() {
    TDataStringTree* t = NewTree(RECT{0, 0, 300, 200});
    t->Header()->SetHeight(17);
    for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
    t->Header()->SetOptions(t->Header()->Options() + hoVisible);
    t->SetRootNodeCount(5);
    Pump();
    return t;
  }
  static uint32_t Rgb(TColor c) {
    COLORREF v = COLORREF(ColorToRGB(c));
    return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
  }
};

TEST_F(NonClient, TheHeaderTakesItsHeightOffTheClientAreaAndAnswersAsABorder) {
  TDataStringTree* t = Make();
  // A 200-high window: the rows get 183 and start at 0.
  EXPECT_EQ(ClientRectOf(t).bottom, 183);
  EXPECT_EQ(t->ClientHeight(), 183);
  EXPECT_EQ(t->GetDisplayRect(t->GetFirst(), NoColumn, false).top, 0);
  EXPECT_EQ(t->HeaderRect().top, 0);
  EXPECT_EQ(t->HeaderRect().bottom, 17);
  EXPECT_EQ(t->HeaderRect().right, 300);
  POINT origin = t->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(HitAt(t, POINT{origin.x + 50, origin.y - 8}), HTBORDER);
  EXPECT_EQ(HitAt(t, POINT{origin.x + 50, origin.y + 8}), HTCLIENT);
  // The rows' hit test and mouse events count from the first row.
  THitInfo hit;
  t->GetHitTestInfoAt(10, 5, true, hit);
  EXPECT_EQ(hit.HitNode, t->GetFirst());
  t->GetHitTestInfoAt(10, -5, true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(hpAbove));
  std::vector<int> downs;
  t->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int y) { downs.push_back(y); };
  std::vector<int> headerDowns;
  t->OnHeaderMouseDown = [&](TDTHeader*, TMouseButton, TShiftState, int, int y) { headerDowns.push_back(y); };
  backend.Click(origin.x + 150, origin.y + 4);
  backend.AdvanceClock(1000);
  backend.Click(origin.x + 150, origin.y - 13);  // 4 pixels into the header
  Pump();
  EXPECT_EQ(downs, (std::vector<int>{4}));
  EXPECT_EQ(headerDowns, (std::vector<int>{4}));
  // Hidden, the header gives its height back; a new height is taken at once.
  t->Header()->SetOptions(t->Header()->Options() - hoVisible);
  EXPECT_EQ(t->ClientHeight(), 200);
  EXPECT_EQ(t->HeaderRect().bottom - t->HeaderRect().top, 0);
  EXPECT_EQ(HitAt(t, origin), HTCLIENT);
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  t->Header()->SetHeight(30);
  EXPECT_EQ(t->ClientHeight(), 170);
  EXPECT_EQ(t->ClientToScreen(POINT{0, 0}).y, t->HeaderToScreen(POINT{0, 30}).y);
}

TEST_F(NonClient, BorderBevelsAndRingLieBetweenTheWindowEdgeAndTheHeader) {
  TDataStringTree* t = Make();
  t->Colors()->Set(TDTColors::BorderColor, clLime);
  t->SetBorderStyle(bsSingle);  // a 2-pixel client edge
  t->SetBorderWidth(3);
  t->SetBevelKind(bkFlat);
  t->SetBevelEdges(TBevelEdges{beLeft, beTop});  // inner and outer: 2 pixels on each
  Pump();
  RECT h = t->HeaderRect();
  EXPECT_EQ(h.left, 2 + 3 + 2);
  EXPECT_EQ(h.top, 2 + 3 + 2);
  EXPECT_EQ(h.bottom, h.top + 17);
  RECT w;
  GetWindowRect(t->Handle(), &w);
  POINT c = t->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(c.x - w.left, 7);
  EXPECT_EQ(c.y - w.top, 7 + 17);
  EXPECT_EQ(t->ClientWidth(), 300 - 7 - 5);  // no bevel on the right
  // The ring in the border colour, the flat bevel's outer line in the shadow
  // colour outside it, and the header inside it.
  EXPECT_EQ(PixelAt(w.left + 2, w.top + 100), Rgb(clBtnShadow));
  for (int x : {w.left + 4, w.left + 6, w.right - 3}) EXPECT_EQ(PixelAt(x, w.top + 100), Rgb(clLime)) << x;
  EXPECT_EQ(PixelAt(w.left + 150, w.top + 5), Rgb(clLime));
  EXPECT_EQ(PixelAt(w.left + 150, w.bottom - 3), Rgb(clLime));
  EXPECT_NE(PixelAt(w.left + 150, w.top + 7 + 8), Rgb(clLime));
  // A click in the header lands on its columns as before.
  TColumnIndex clicked = -1;
  t->OnHeaderClick = [&](TDTHeader*, TColumnIndex col, TMouseButton, TShiftState, int, int) {
    clicked = col;
  };
  POINT p = t->HeaderToScreen(POINT{150, 8});
  backend.Click(p.x, p.y);
  Pump();
  EXPECT_EQ(clicked, 1);
}

// Right to left, the vertical bar lies at the left, beside the rows but under
// the header: the header's buttons stay over their columns' cells.
TEST_F(NonClient, AHeaderOverALeftBarKeepsItsButtonsOverTheirColumns) {
  TDataStringTree* t = Make();
  t->SetBiDiMode(bdRightToLeft);
  t->SetRootNodeCount(100);
  TDataTreeColumn* c1 = t->Header()->Columns()->Items(1);
  c1->SetStyle(vsOwnerDraw);
  t->Header()->SetOptions(t->Header()->Options() + hoOwnerDraw);
  t->OnHeaderDraw = [](TDTHeader*, TCanvas* c, TDataTreeColumn*, const RECT& r, bool, bool, TDTDropMarkMode) {
    c->Brush()->SetColor(clLime);
    c->FillRect(r);
  };
  Pump();
  ASSERT_TRUE(GetWindowLongPtrW(t->Handle(), GWL_STYLE) & WS_VSCROLL);
  RECT w;
  GetWindowRect(t->Handle(), &w);
  ASSERT_GT(t->ClientToScreen(POINT{0, 0}).x, w.left);  // the bar is at the left
  int left, right;
  t->Header()->Columns()->GetColumnBounds(1, left, right);
  POINT in = t->HeaderToScreen(POINT{left + 1, 8}), before = t->HeaderToScreen(POINT{left - 1, 8});
  EXPECT_EQ(PixelAt(in.x, in.y), Rgb(clLime));
  EXPECT_NE(PixelAt(before.x, before.y), Rgb(clLime));
  TColumnIndex clicked = -1;
  t->OnHeaderClick = [&](TDTHeader*, TColumnIndex col, TMouseButton, TShiftState, int, int) {
    clicked = col;
  };
  POINT middle = t->HeaderToScreen(POINT{left + 50, 8});  // off the splitter zones
  backend.Click(middle.x, middle.y);
  Pump();
  EXPECT_EQ(clicked, 1);
}

// A press anywhere on the header, whichever button and whatever it starts
// (a click, a column drag, a resize), takes the focus from the control that
// had it, after the header has told of the press.
TEST_F(NonClient, APressOnTheHeaderTakesTheFocus) {
  TDataStringTree* t = Make();
  t->SetAlign(alNone);
  t->SetBounds(0, 0, 300, 200);
  auto* other = new TDataStringTree(form);
  other->SetParent(form);
  other->SetBounds(320, 0, 60, 100);
  Pump();
  std::vector<std::string> seen;
  t->OnHeaderMouseDown = [&](TDTHeader*, TMouseButton, TShiftState, int, int) {
    seen.push_back(t->Focused() ? "down, focused" : "down");
  };
  t->OnEnter = [&](TObject*) { seen.push_back("enter"); };
  struct Press {
    int x;
    MouseButton button;
  };
  for (Press p : {Press{50, MouseButton::Left}, Press{101, MouseButton::Left}, Press{150, MouseButton::Right},
                  Press{150, MouseButton::Middle}}) {
    SCOPED_TRACE(p.x);
    other->SetFocus();
    Pump();
    ASSERT_TRUE(other->Focused());
    seen.clear();
    backend.AdvanceClock(1000);  // no double click
    const POINT s = t->HeaderToScreen(POINT{p.x, 8});
    backend.Click(s.x, s.y, p.button);
    Pump();
    EXPECT_TRUE(t->Focused());
    EXPECT_EQ(seen, (std::vector<std::string>{"down", "enter"}));
  }
  // A tree that cannot take the focus leaves it where it is.
  other->SetFocus();
  t->SetEnabled(false);
  const POINT s = t->HeaderToScreen(POINT{50, 8});
  backend.AdvanceClock(1000);
  backend.Click(s.x, s.y);
  Pump();
  EXPECT_TRUE(other->Focused());
}

// OnHeaderMouseMove tells of every move over the non-client area: the
// header, the BorderWidth ring and the scroll bar, not of moves over the rows.
TEST_F(NonClient, EveryNonClientMoveIsToldToTheHeaderEvent) {
  TDataStringTree* t = Make();
  t->SetBorderWidth(4);
  t->SetRootNodeCount(100);  // a vertical scroll bar
  Pump();
  ASSERT_TRUE(GetWindowLongPtrW(t->Handle(), GWL_STYLE) & WS_VSCROLL);
  std::vector<POINT> moves;
  t->OnHeaderMouseMove = [&](TDTHeader*, TShiftState, int x, int y) { moves.push_back(POINT{x, y}); };
  const POINT rows = t->ClientToScreen(POINT{40, 60});
  backend.MouseMove(rows.x, rows.y);
  Pump();
  EXPECT_TRUE(moves.empty());
  const POINT header = t->HeaderToScreen(POINT{40, 8});
  const POINT bar = t->ClientToScreen(POINT{t->ClientWidth() + 5, 60});
  RECT w;
  GetWindowRect(t->Handle(), &w);
  const POINT ring{w.left + 1, rows.y};
  for (POINT p : {header, ring, bar}) backend.MouseMove(p.x, p.y);
  Pump();
  ASSERT_EQ(moves.size(), 3u);
  // In header coordinates: client x, client y plus the header's height.
  EXPECT_EQ(moves[0].x, 40);
  EXPECT_EQ(moves[0].y, 8);
  EXPECT_EQ(moves[1].x, -3);
  EXPECT_EQ(moves[1].y, 60 + 17);
  EXPECT_EQ(moves[2].x, t->ClientWidth() + 5);
  EXPECT_EQ(moves[2].y, 60 + 17);
}

}  // namespace
}  // namespace qv::test
