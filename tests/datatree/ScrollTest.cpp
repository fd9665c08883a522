// Scrolling the tree: the horizontal range of a tree without columns, the
// offsets and the scroll bars kept in step, the rows' pixels moved rather
// than painted again, what follows a move (hot node, hint, OnScroll),
// scrolling a node into view, and offsets of trees taller than an int.
#include <climits>
#include <functional>

#include "TreeTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Picture.h"
#include "datatree/DataTreeEditLink.h"
#include "datatree/DataTreeHintWindow.h"
#include "platform/Utf.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

const char16_t* const kWide = u"A row far wider than the narrow window of this tree, so it needs the bar";

class Scroll : public TreeTest {
 protected:
  // Rows "Row <index>", or the text a row was given as its user data.
  TDataStringTree* Rows(RECT r, uint32_t count) {
    TDataStringTree* t = NewTree(r);
    t->SetNodeDataSize(sizeof(void*));
    t->OnGetText = [](TBaseDataTree* tree, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
      const char16_t* own = *tree->GetNodeData<const char16_t*>(n);
      s = own ? std::u16string(own) : u"Row " + Utf8ToUtf16(std::to_string(n->Index));
    };
    t->SetRootNodeCount(count);
    Pump();
    return t;
  }
  static PDataNode Nth(TBaseDataTree* t, uint32_t index) {
    PDataNode n = t->GetFirstNoInit();
    while (n && index--) n = n->NextSibling;
    return n;
  }
  static bool BarShown(TBaseDataTree* t, int bar) {
    return (GetWindowLongPtrW(t->Handle(), GWL_STYLE) & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
  }
  static int BarPos(TBaseDataTree* t, int bar) {
    SCROLLINFO si{};
    si.fMask = SIF_POS;
    GetScrollInfo(t->Handle(), bar, &si);
    return si.nPos;
  }
  // The rightmost dark (text) pixel of the client band [top, bottom), or -1.
  int LastDark(TBaseDataTree* t, int top, int bottom) {
    Surface s = backend.Screenshot();
    POINT o = t->ClientToScreen(POINT{0, 0});
    int last = -1;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < t->ClientWidth(); ++x) {
        uint32_t p = s.At(o.x + x, o.y + y);
        if (PixelR(p) + PixelG(p) + PixelB(p) < 300) last = std::max(last, x);
      }
    return last;
  }
  static RECT UpdateRect(TBaseDataTree* t) {
    RECT r{};
    GetUpdateRect(t->Handle(), &r, FALSE);
    return r;
  }
};

// Without columns the content is as wide as the widest row of the whole
// tree: rows never painted count once their data exists, and the range
// narrows again when the widest row goes or is collapsed away.
TEST_F(Scroll, WithoutColumnsTheRangeIsTheWidestRowOfTheWholeTree) {
  TDataStringTree* t = Rows({0, 0, 200, 180}, 100);
  int width = t->ClientWidth();
  EXPECT_LT(t->RangeX(), width);
  EXPECT_FALSE(BarShown(t, SB_HORZ));
  // A row far below the painted ones, given its text as user data.
  PDataNode wide = t->AddChild(nullptr, const_cast<char16_t*>(kWide));
  Pump();
  ASSERT_TRUE(BarShown(t, SB_HORZ));
  int range = t->RangeX();
  EXPECT_GT(range, width);
  // Scrolled fully right, that row ends just inside the client area.
  t->ScrollIntoView(wide, false);
  t->SetOffsetX(INT_MIN);
  Pump();
  EXPECT_EQ(t->OffsetX(), width - range);
  EXPECT_EQ(BarPos(t, SB_HORZ), range - width);
  RECT r = t->GetDisplayRect(wide, NoColumn, false);
  int last = LastDark(t, r.top, r.bottom);
  EXPECT_GT(last, width - 3 * t->Margin() - 2 * t->TextMargin());
  EXPECT_LT(last, width);
  EXPECT_EQ(t->RangeX(), range);  // painting it found nothing wider
  // The widest row goes: the content fits again and the view returns.
  t->DeleteNode(wide);
  Pump();
  EXPECT_LT(t->RangeX(), width);
  EXPECT_EQ(t->OffsetX(), 0);
  EXPECT_FALSE(BarShown(t, SB_HORZ));
  // A wide child counts while its parent is expanded, with its indentation.
  PDataNode parent = Nth(t, 90);
  t->AddChild(parent, const_cast<char16_t*>(kWide));
  t->SetExpanded(parent, true);
  Pump();
  EXPECT_EQ(t->RangeX(), range + int(t->Indent()));
  t->SetExpanded(parent, false);
  Pump();
  EXPECT_LT(t->RangeX(), width);
  // Rows initialised by a walk of the application count without being painted.
  t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = n->Index == 60 ? kWide : u"Row";
  };
  int walked = 0;
  for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) ++walked;
  ASSERT_EQ(walked, 101);
  Pump();
  EXPECT_EQ(t->RangeX(), range);
  EXPECT_TRUE(BarShown(t, SB_HORZ));
  // Moved under a collapsed row, the widest row is out of view.
  PDataNode widest = Nth(t, 60);
  t->MoveTo(widest, Nth(t, 10), amAddChildLast, false);
  Pump();
  EXPECT_LT(t->RangeX(), width);
  t->SetExpanded(Nth(t, 10), true);
  Pump();
  EXPECT_EQ(t->RangeX(), range + int(t->Indent()));
}

// Each way of making the window again keeps the range in step with the rows,
// whether a change was still waiting to be measured when the old window went
// or came after it.
TEST_F(Scroll, TheRangeFollowsTheRowsAfterTheWindowIsMadeAgain) {
  TDataStringTree* t = Rows({0, 0, 200, 180}, 20);
  int width = t->ClientWidth();
  auto* other = new TForm(nullptr);
  other->SetBorderStyle(bsNone);
  other->SetBoundsRect(RECT{0, 0, 200, 180});
  other->Show();
  std::function<void()> remake[] = {
      [&] {
        t->ScrollBarOptions()->SetScrollBars(t->ScrollBarOptions()->ScrollBars() == ssBoth ? ssVertical
                                                                                           : ssBoth);
      },
      [&] {
        TDTMiscOptions o = t->TreeOptions()->MiscOptions();
        t->TreeOptions()->SetMiscOptions(o.Contains(toFullRepaintOnResize) ? o - toFullRepaintOnResize
                                                                           : o + toFullRepaintOnResize);
      },
      [&] { t->SetParent(t->Parent() == form ? static_cast<TWinControl*>(other) : form); },
  };
  for (auto& again : remake) {
    HWND before = t->Handle();
    PDataNode wide = t->AddChild(nullptr, const_cast<char16_t*>(kWide));
    again();  // the request for the new row was posted to the old window
    ASSERT_NE(t->Handle(), before);
    Pump();
    EXPECT_GT(t->RangeX(), width);
    t->SetOffsetX(INT_MIN);
    EXPECT_LT(t->OffsetX(), 0);
    t->DeleteNode(wide);
    Pump();
    EXPECT_LT(t->RangeX(), width);
    EXPECT_EQ(t->OffsetX(), 0);
  }
}

// The offsets stay between the far end of the content and 0, the bars show
// what the offsets are, and the offsets follow the bars' input.
TEST_F(Scroll, OffsetsStayInTheContentAndTheBarsFollowThem) {
  TDataStringTree* t = Rows({0, 0, 200, 180}, 100);
  PDataNode wide = t->AddChild(nullptr, const_cast<char16_t*>(kWide));
  Pump();
  int width = t->ClientWidth(), range = t->RangeX();
  ASSERT_GT(range, width + 40);
  t->SetOffsetX(-100000);
  EXPECT_EQ(t->OffsetX(), width - range);
  t->SetOffsetX(50);
  EXPECT_EQ(t->OffsetX(), 0);
  // Bar input: a line is HorizontalIncrement, a page the client width.
  SendMessageW(t->Handle(), WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(t->OffsetX(), -20);
  EXPECT_EQ(BarPos(t, SB_HORZ), 20);
  SendMessageW(t->Handle(), WM_HSCROLL, SB_LINELEFT, 0);
  SendMessageW(t->Handle(), WM_HSCROLL, SB_LINELEFT, 0);
  EXPECT_EQ(t->OffsetX(), 0);
  SendMessageW(t->Handle(), WM_HSCROLL, SB_PAGERIGHT, 0);
  EXPECT_EQ(t->OffsetX(), std::max(-width, width - range));
  SendMessageW(t->Handle(), WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(t->OffsetX(), width - range);
  SendMessageW(t->Handle(), WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(t->OffsetX(), 0);
  SendMessageW(t->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(t->OffsetY(), t->ClientHeight() - t->RangeY());
  EXPECT_EQ(BarPos(t, SB_VERT), -t->OffsetY());
  // Without a horizontal bar the offset still keeps to the content.
  t->SetOffsetX(-30);
  t->ScrollBarOptions()->SetScrollBars(ssVertical);
  Pump();
  EXPECT_FALSE(BarShown(t, SB_HORZ));
  EXPECT_EQ(t->OffsetX(), -30);
  t->SetOffsetX(-100000);
  EXPECT_EQ(t->OffsetX(), t->ClientWidth() - range);
  // Content narrower than the client keeps the offset at 0; a bar that is
  // always visible stays, with nothing to scroll.
  t->ScrollBarOptions()->SetScrollBars(ssBoth);
  t->ScrollBarOptions()->SetAlwaysVisible(true);
  t->DeleteNode(wide);
  Pump();
  EXPECT_EQ(t->OffsetX(), 0);
  EXPECT_TRUE(BarShown(t, SB_HORZ));
  t->SetOffsetX(-10);
  EXPECT_EQ(t->OffsetX(), 0);
  // Growing the window brings the bottom rows down with it.
  t->SetOffsetY(INT_MIN);
  int bottom = t->OffsetY();
  form->SetBoundsRect(RECT{0, 0, 200, 280});
  Pump();
  EXPECT_EQ(t->OffsetY(), bottom + 100);
  EXPECT_EQ(BarPos(t, SB_VERT), -t->OffsetY());
}

// A window made narrower than the widest row gets a horizontal bar; the
// room it takes makes the rows overflow, so the vertical bar shows as well.
TEST_F(Scroll, ABarThatTakesRoomOnResizeBringsTheOtherBar) {
  TDataStringTree* t = Rows({0, 0, 700, 170}, 8);
  t->AddChild(nullptr, const_cast<char16_t*>(kWide));
  Pump();
  ASSERT_FALSE(BarShown(t, SB_HORZ));
  ASSERT_FALSE(BarShown(t, SB_VERT));
  form->SetBoundsRect(RECT{0, 0, 300, 170});
  EXPECT_TRUE(BarShown(t, SB_HORZ));
  EXPECT_TRUE(BarShown(t, SB_VERT));
  t->SetOffsetY(INT_MIN);
  EXPECT_EQ(t->OffsetY(), t->ClientHeight() - 9 * 18);
  EXPECT_EQ(BarPos(t, SB_VERT), -t->OffsetY());
  // Wide again: both go.
  form->SetBoundsRect(RECT{0, 0, 700, 170});
  Pump();
  EXPECT_FALSE(BarShown(t, SB_HORZ));
  EXPECT_FALSE(BarShown(t, SB_VERT));
  EXPECT_EQ(t->OffsetY(), 0);
}

// A move scrolls the pixels of the rows: what stays in view is not painted
// again, only the uncovered strip is; the result equals a full repaint.
// The header stays where it is and fixed columns do not move sideways.
TEST_F(Scroll, AMoveScrollsThePixelsAndPaintsOnlyWhatItUncovers) {
  TDataStringTree* t = Rows({0, 0, 300, 200}, 100);
  int w = t->ClientWidth(), h = t->ClientHeight();
  POINT o = t->ClientToScreen(POINT{0, 0});
  Surface before = backend.Screenshot();
  t->SetOffsetY(-36);
  RECT dirty = UpdateRect(t);
  EXPECT_EQ(dirty.top, h - 36);
  EXPECT_EQ(dirty.bottom, h);
  EXPECT_EQ(dirty.left, 0);
  Surface moved = backend.Screenshot();
  int same = 0;
  for (int y = 0; y < h - 36; y += 3)
    for (int x = 0; x < w; x += 3) same += moved.At(o.x + x, o.y + y) == before.At(o.x + x, o.y + y + 36);
  EXPECT_EQ(same, ((h - 36 + 2) / 3) * ((w + 2) / 3));
  Pump();
  Surface scrolled = backend.Screenshot();
  InvalidateRect(t->Handle(), nullptr, FALSE);
  Pump();
  EXPECT_TRUE(scrolled.Pixels == backend.Screenshot().Pixels);

  // With a header and a fixed first column.
  TDataTreeColumns* cols = t->Header()->Columns();
  for (int i = 0; i < 4; ++i) cols->Add()->SetWidth(120);
  cols->Items(0)->SetOptions(cols->Items(0)->Options() + coFixed);
  Pump();
  int noHeader = t->ClientHeight();
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  Pump();
  // The header sits above the client area, which starts at the first row.
  int header = t->Header()->Height();
  EXPECT_EQ(t->ClientHeight(), noHeader - header);
  h = t->ClientHeight();
  POINT onHeader = t->ClientToScreen(POINT{0, -header});
  o = t->ClientToScreen(POINT{0, 0});
  int top = 0;
  t->SetTopNode(Nth(t, 7));
  EXPECT_EQ(t->GetDisplayRect(Nth(t, 7), NoColumn, false).top, top);
  EXPECT_EQ(t->TopNode(), Nth(t, 7));
  Pump();
  before = backend.Screenshot();
  t->SetOffsetY(t->OffsetY() - 18);
  dirty = UpdateRect(t);
  EXPECT_EQ(dirty.top, h - 18);
  moved = backend.Screenshot();
  for (int x = 0; x < w; x += 7)  // the header is not touched
    ASSERT_EQ(moved.At(onHeader.x + x, onHeader.y + 3), before.At(onHeader.x + x, onHeader.y + 3)) << x;
  Pump();
  before = backend.Screenshot();
  t->SetOffsetX(-40);
  // The header is painted again, and the strip the columns uncover at the right.
  dirty = UpdateRect(t);
  EXPECT_EQ(dirty.top, 0);
  EXPECT_EQ(dirty.right, w);
  moved = backend.Screenshot();
  for (int y = top; y < h; y += 5) {
    ASSERT_EQ(moved.At(o.x + 60, o.y + y), before.At(o.x + 60, o.y + y)) << y;    // fixed
    ASSERT_EQ(moved.At(o.x + 130, o.y + y), before.At(o.x + 170, o.y + y)) << y;  // moved left
  }
  Pump();
  scrolled = backend.Screenshot();
  InvalidateRect(t->Handle(), nullptr, FALSE);
  Pump();
  EXPECT_TRUE(scrolled.Pixels == backend.Screenshot().Pixels);
}

// Child windows (an editor over a cell) move with the rows. Over a tiled
// background picture nothing is moved: the children move, all is painted.
TEST_F(Scroll, ChildWindowsMoveWithTheRowsAndABackgroundIsPaintedAgain) {
  TDataStringTree* t = Rows({0, 0, 300, 200}, 100);
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toEditable);
  t->SetFocus();
  PDataNode n = Nth(t, 4);
  ASSERT_TRUE(t->EditNode(n, NoColumn));
  Pump();
  auto* link = dynamic_cast<TStringEditLink*>(t->EditLink());
  ASSERT_TRUE(link && link->Edit());
  HWND edit = link->Edit()->Handle();
  auto top = [&] {
    RECT r;
    GetWindowRect(edit, &r);
    return r.top;
  };
  int before = top();
  t->SetOffsetY(-36);
  EXPECT_EQ(top(), before - 36);
  t->SetOffsetY(0);
  EXPECT_EQ(top(), before);

  TBitmap* tile = t->Background()->Bitmap();
  tile->SetSize(8, 8);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toShowBackground);
  Pump();
  t->SetOffsetY(-18);
  RECT dirty = UpdateRect(t);
  EXPECT_EQ(dirty.top, 0);
  EXPECT_EQ(dirty.bottom, t->ClientHeight());
  EXPECT_EQ(top(), before - 18);
}

// After a move the hot node is the one now under the mouse, a showing hint
// goes, and OnScroll reports the deltas that were applied.
TEST_F(Scroll, AfterAMoveTheHotNodeIsFoundAgainAndOnScrollReportsTheDeltas) {
  TDataStringTree* t = Rows({0, 0, 200, 180}, 100);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toHotTrack);
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toFullRowSelect);
  std::vector<std::pair<PDataNode, PDataNode>> hot;
  std::vector<POINT> scrolls;
  t->OnHotChange = [&](TBaseDataTree*, PDataNode a, PDataNode b) { hot.push_back({a, b}); };
  t->OnScroll = [&](TBaseDataTree*, int dx, int dy) { scrolls.push_back(POINT{dx, dy}); };
  POINT p = t->ClientToScreen(POINT{50, 45});
  backend.MouseMove(p.x, p.y);
  Pump();
  ASSERT_EQ(t->HotNode(), Nth(t, 2));
  hot.clear();
  t->SetOffsetY(-18);
  EXPECT_EQ(t->HotNode(), Nth(t, 3));
  ASSERT_EQ(hot.size(), 1u);
  EXPECT_EQ(hot[0].first, Nth(t, 2));
  EXPECT_EQ(hot[0].second, Nth(t, 3));
  ASSERT_EQ(scrolls.size(), 1u);
  EXPECT_EQ(scrolls[0].x, 0);
  EXPECT_EQ(scrolls[0].y, -18);
  // Nothing moves, nothing is reported; a request past the end reports the
  // part that was applied.
  t->SetOffsetY(-18);
  t->SetOffsetX(-5);
  EXPECT_EQ(scrolls.size(), 1u);
  t->SetOffsetY(20);
  ASSERT_EQ(scrolls.size(), 2u);
  EXPECT_EQ(scrolls[1].y, 18);
  EXPECT_EQ(t->HotNode(), Nth(t, 2));

  // A tooltip showing over a clipped cell goes when the view moves.
  t->MoveTo(t->AddChild(nullptr, const_cast<char16_t*>(kWide)), Nth(t, 1), amInsertBefore, false);
  t->SetShowHint(true);
  t->SetHint("tree");
  t->HintMode = hmTooltip;
  t->HintAnimation = hatNone;
  t->SetFocus();
  Pump();
  Application->CancelHint();
  RECT cell = t->GetDisplayRect(Nth(t, 1), NoColumn, true);
  POINT in = t->ClientToScreen(POINT{cell.left + 3, (cell.top + cell.bottom) / 2});
  backend.MouseMove(in.x, in.y);
  Pump();
  backend.AdvanceClock(20);
  Pump();
  THintWindow* shown = Application->HintWindow();
  ASSERT_TRUE(shown && shown->IsHintShowing());
  t->SetOffsetX(-30);
  EXPECT_FALSE(shown->IsHintShowing());
}

// ScrollIntoView answers whether the view moved: vertically for a node out of
// view or centred on request, sideways (centring the node, or beside the
// fixed columns) when asked to.
TEST_F(Scroll, ScrollIntoViewMovesAndAnswersAsTheCasesSay) {
  TDataStringTree* t = Rows({0, 0, 200, 182}, 100);
  int h = t->ClientHeight(), w = t->ClientWidth();
  EXPECT_FALSE(t->ScrollIntoView(nullptr, false));
  EXPECT_FALSE(t->ScrollIntoView(t->RootNode(), true));
  // In view already: nothing moves.
  EXPECT_FALSE(t->ScrollIntoView(Nth(t, 2), false, true));
  EXPECT_EQ(t->OffsetY(), 0);
  // Below: its bottom lands on the client's bottom.
  EXPECT_TRUE(t->ScrollIntoView(Nth(t, 40), false));
  EXPECT_EQ(t->GetDisplayRect(Nth(t, 40), NoColumn, false).bottom, h);
  // Above: its top lands on the client's top.
  EXPECT_TRUE(t->ScrollIntoView(Nth(t, 10), false));
  EXPECT_EQ(t->GetDisplayRect(Nth(t, 10), NoColumn, false).top, 0);
  // Centred, also when it is in view: its bottom goes to the middle.
  EXPECT_TRUE(t->ScrollIntoView(Nth(t, 12), true));
  EXPECT_EQ(t->GetDisplayRect(Nth(t, 12), NoColumn, false).bottom, h / 2);
  // Inside collapsed parents: they are expanded first (and do not scroll
  // on their own here).
  t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() - toAutoScrollOnExpand);
  PDataNode parent = Nth(t, 60);
  t->SetChildCount(parent, 3);
  PDataNode child = parent->LastChild;
  t->SetChildCount(child, 2);
  EXPECT_TRUE(t->ScrollIntoView(child->FirstChild, false));
  EXPECT_TRUE(t->Expanded(parent));
  EXPECT_TRUE(t->Expanded(child));
  EXPECT_EQ(t->GetDisplayRect(child->FirstChild, NoColumn, false).bottom, h);

  // Sideways: a row out of view to the right is centred.
  PDataNode wide = t->AddChild(nullptr, const_cast<char16_t*>(kWide));
  t->MoveTo(wide, Nth(t, 5), amInsertAfter, false);
  Pump();
  t->SetOffsetY(0);
  t->SetOffsetX(INT_MIN);
  Pump();
  ASSERT_LT(t->OffsetX(), -60);
  RECT r = t->GetDisplayRect(Nth(t, 2), NoColumn, true);
  ASSERT_LT(r.left, 0);
  EXPECT_TRUE(t->ScrollIntoView(Nth(t, 2), false, true));
  EXPECT_EQ(t->OffsetX(), 0);  // its centre would lie left of the content: clamped
  // The wide row itself is centred (its text is wider than the client).
  t->SetOffsetX(0);
  EXPECT_TRUE(t->ScrollIntoView(wide, false, true));
  r = t->GetDisplayRect(wide, NoColumn, true);
  EXPECT_LE(std::abs((r.left + r.right) / 2 - w / 2), 1);
  // Not asked to go sideways: in view vertically answers false.
  EXPECT_FALSE(t->ScrollIntoView(wide, false));
  // A horizontal bar about to appear (none shown yet, content wider than the
  // client) takes its height from the rows.
  t->ScrollBarOptions()->SetScrollBars(ssVertical);
  Pump();
  t->SetOffsetXY(POINT{0, 0});
  ASSERT_FALSE(BarShown(t, SB_HORZ));
  EXPECT_TRUE(t->ScrollIntoView(Nth(t, 30), false));
  EXPECT_EQ(t->GetDisplayRect(Nth(t, 30), NoColumn, false).bottom, h - GetSystemMetrics(SM_CYHSCROLL));

  // With fixed columns the focused cell goes beside them.
  TDataTreeColumns* cols = t->Header()->Columns();
  for (int i = 0; i < 4; ++i) cols->Add()->SetWidth(120);
  cols->Items(0)->SetOptions(cols->Items(0)->Options() + coFixed);
  t->ScrollBarOptions()->SetScrollBars(ssBoth);
  Pump();
  t->SetFocusedColumn(3);
  t->SetOffsetXY(POINT{0, 0});
  EXPECT_TRUE(t->ScrollIntoView(Nth(t, 1), false, true));
  RECT text = t->GetDisplayRect(Nth(t, 1), 3, true);
  EXPECT_LE(std::abs(text.left - 120), 1);
  EXPECT_FALSE(t->ScrollIntoView(Nth(t, 1), false, true));
}

// A tree taller than an int: the vertical range stops at the int's end and
// no step of the bar, the wheel or the keys wraps the offset.
TEST_F(Scroll, OffsetsOfATreeTallerThanAnIntNeverWrap) {
  TDataStringTree* t = Rows({0, 0, 200, 180}, 0);
  t->SetDefaultNodeHeight(0xFFFF);
  t->SetRootNodeCount(40000);
  Pump();
  int rows = t->ClientHeight();
  ASSERT_EQ(t->RangeY(), INT_MAX);
  auto inRange = [&] {
    return t->OffsetY() <= 0 && int64_t(t->OffsetY()) >= int64_t(rows) - t->RangeY() &&
           BarPos(t, SB_VERT) == -t->OffsetY();
  };
  for (int code : {SB_BOTTOM, SB_PAGEDOWN, SB_LINEDOWN, SB_PAGEUP, SB_BOTTOM, SB_LINEDOWN}) {
    SendMessageW(t->Handle(), WM_VSCROLL, WPARAM(code), 0);
    ASSERT_TRUE(inRange()) << code << " " << t->OffsetY();
  }
  EXPECT_EQ(t->OffsetY(), rows - INT_MAX);
  t->SetFocus();
  for (UINT key : {UINT(VK_NEXT), UINT(VK_DOWN)}) {
    backend.KeyDown(VK_CONTROL);
    backend.KeyPress(key);
    backend.KeyUp(VK_CONTROL);
    Pump();
    ASSERT_TRUE(inRange()) << key;
  }
  POINT p = t->ClientToScreen(POINT{50, 50});
  backend.MouseMove(p.x, p.y);
  backend.Wheel(-120 * 100);
  Pump();
  EXPECT_TRUE(inRange());
  EXPECT_TRUE(t->ScrollIntoView(t->GetLastNoInit(), false));
  EXPECT_TRUE(inRange());
  t->SetOffsetY(INT_MIN);
  EXPECT_TRUE(inRange());
}

}  // namespace
}  // namespace qv::test
