// Columns and the header: defaults and clamps, positions across add, move and
// delete, index fix-ups, hit testing, and the binary stream (round trip,
// the oldest layout, and damaged input that must leave the header untouched).
#include <map>
#include <random>

#include "TreeTestSupport.h"
#include "classlib/Streams.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/DataTreeDragDrop.h"
#include "datatree/DataTreeImages.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"

namespace qv::test {
namespace {

using Header = TreeTest;

TDataTreeColumn* AddColumn(TBaseDataTree& t, const std::u16string& text, int width) {
  TDataTreeColumn* c = t.Header()->Columns()->Add();
  c->SetText(text);
  c->SetWidth(width);
  return c;
}

TEST_F(Header, DefaultsAndClamps) {
  auto tree = DetachedTree();
  TDTHeader* h = tree->Header();
  EXPECT_EQ(ToWord(h->Options()), 10);  // column resize and drag only
  EXPECT_EQ(h->Height(), 17);
  EXPECT_EQ(h->MainColumn(), -1);
  TDataTreeColumn* c = AddColumn(*tree, u"A", 50);
  EXPECT_EQ(ToWord(c->Options()), 255);
  EXPECT_EQ(h->MainColumn(), 0);
  c->SetMargin(-1);
  EXPECT_EQ(c->Margin(), 4);
  c->SetMaxWidth(5);
  EXPECT_EQ(c->MaxWidth(), 10);  // not below MinWidth
  EXPECT_EQ(c->Width(), 10);
  c->SetMaxWidth(20000);
  EXPECT_EQ(c->MaxWidth(), 20000);
  c->SetWidth(5);
  EXPECT_EQ(c->Width(), 10);
  AddColumn(*tree, u"B", 60);
  AddColumn(*tree, u"C", 70);
  h->SetSortColumn(7);
  EXPECT_EQ(h->SortColumn(), 2);
  h->SetSortColumn(-5);
  EXPECT_EQ(h->SortColumn(), -1);
  c->SetText(u"\u0416x");
  EXPECT_EQ(c->GetDisplayName(), "Column 0");
}

TEST_F(Header, PositionsFollowMovesAndDeletesFixIndexes) {
  auto tree = DetachedTree();
  TDataTreeColumns* cols = tree->Header()->Columns();
  for (int i = 0; i < 4; ++i) AddColumn(*tree, u"c", 10 * (i + 1));
  cols->Items(3)->SetPosition(0);
  EXPECT_EQ(cols->PositionToIndex(), (std::vector<int32_t>{3, 0, 1, 2}));
  EXPECT_EQ(cols->Items(0)->Left(), 40);
  EXPECT_EQ(cols->TotalWidth(), 100);
  tree->Header()->SetSortColumn(3);
  tree->Header()->SetMainColumn(3);
  cols->Delete(1);
  EXPECT_EQ(tree->Header()->SortColumn(), 2);
  EXPECT_EQ(tree->Header()->MainColumn(), 2);
  EXPECT_EQ(cols->PositionToIndex(), (std::vector<int32_t>{2, 0, 1}));
  tree->Header()->SetSortColumn(1);
  cols->Delete(1);
  EXPECT_EQ(tree->Header()->SortColumn(), -1);
  cols->Delete(1);
  cols->Delete(0);
  EXPECT_EQ(tree->Header()->MainColumn(), -1);  // stays within the columns
  EXPECT_EQ(cols->Count(), 0);
}

TEST_F(Header, HitTestWalksVisibleColumnsInScreenOrder) {
  auto tree = DetachedTree();
  TDataTreeColumns* cols = tree->Header()->Columns();
  AddColumn(*tree, u"a", 50);
  AddColumn(*tree, u"b", 30);
  AddColumn(*tree, u"c", 20);
  cols->Items(1)->SetOptions(cols->Items(1)->Options() - coVisible);
  EXPECT_EQ(cols->HitTestColumn(POINT{49, 1}, false), 0);
  EXPECT_EQ(cols->HitTestColumn(POINT{50, 1}, false), 2);
  EXPECT_EQ(cols->HitTestColumn(POINT{70, 1}, false), -2);
  EXPECT_EQ(cols->HitTestColumn(POINT{-1, 1}, false), -2);
  EXPECT_EQ(cols->GetNextVisibleColumn(0), 2);
  EXPECT_EQ(cols->GetPreviousVisibleColumn(2), 0);
  EXPECT_EQ(cols->GetFirstVisibleColumn(), 0);
  EXPECT_EQ(cols->GetLastVisibleColumn(), 2);
}

TEST_F(Header, AutoSizeColumnTakesTheFreeWidth) {
  auto tree = DetachedTree();
  tree->SetBounds(0, 0, 300, 100);
  AddColumn(*tree, u"a", 50);
  AddColumn(*tree, u"b", 60);
  AddColumn(*tree, u"c", 70);
  tree->Header()->SetAutoSizeIndex(2);
  tree->Header()->SetOptions(tree->Header()->Options() + hoAutoResize);
  EXPECT_EQ(tree->Header()->Columns()->Items(2)->Width(), 190);
  tree->Header()->Columns()->Items(2)->SetWidth(20);  // computed, not set
  EXPECT_EQ(tree->Header()->Columns()->Items(2)->Width(), 190);
}

std::vector<uint8_t> Save(TDTHeader* h) {
  TMemoryStream s;
  h->SaveToStream(s);
  std::vector<uint8_t> bytes(size_t(s.Size()));
  s.SetPosition(0);
  s.ReadBuffer(bytes.data(), int64_t(bytes.size()));
  return bytes;
}

void Load(TDTHeader* h, const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), int64_t(bytes.size()));
  s.SetPosition(0);
  h->LoadFromStream(s);
}

TEST_F(Header, StreamRoundTripsEveryField) {
  auto a = DetachedTree();
  AddColumn(*a, u"Name", 120)->SetHint(u"the name");
  TDataTreeColumn* size = AddColumn(*a, u"Size", 60);
  size->SetAlignment(taRightJustify);
  size->Tag = 42;
  size->SetColor(0x123456);
  AddColumn(*a, u"\u00c9t\u00e9", 80)->SetPosition(0);
  a->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoShowSortGlyphs, hoDrag});
  a->Header()->SetSortColumn(1);
  a->Header()->SetSortDirection(sdDescending);
  a->Header()->SetMainColumn(2);
  a->Header()->SetHeight(21);
  a->Header()->Font()->SetName("Liberation Mono");
  std::vector<uint8_t> bytes = Save(a->Header());

  auto b = DetachedTree();
  int resized = -5;
  b->OnColumnResize = [&](TDTHeader*, TColumnIndex c) { resized = c; };
  Load(b->Header(), bytes);
  EXPECT_TRUE(b->Header()->Columns()->Equals(*a->Header()->Columns()));
  EXPECT_EQ(b->Header()->SortColumn(), 1);
  EXPECT_EQ(b->Header()->SortDirection(), sdDescending);
  EXPECT_EQ(b->Header()->MainColumn(), 2);
  EXPECT_EQ(b->Header()->Height(), 21);
  EXPECT_EQ(b->Header()->Options(), a->Header()->Options());
  EXPECT_EQ(b->Header()->Font()->Name(), "Liberation Mono");
  EXPECT_EQ(resized, -1);
  EXPECT_EQ(Save(b->Header()), bytes);
}

TEST_F(Header, OldestLayoutWithoutMarkerConvertsOptions) {
  // Count 1, one column of the first layout, then the header fields.
  std::vector<uint8_t> bytes;
  auto put = [&](int32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(uint32_t(v) >> (8 * i)));
  };
  put(1);
  put(1), bytes.push_back('X'), bytes.push_back(0);  // text
  put(0);                                            // hint
  for (int32_t v : {77, 10, 1000, 0, -1, 0, 4, 4, 0}) put(v);
  put(0xF7);  // old options: bits 4-7 move up by one
  put(0);     // position
  for (int32_t v : {-1, 0, 17, 10, 0, 0, -11}) put(v);
  put(0);  // font name length
  put(0), put(0);
  auto tree = DetachedTree();
  Load(tree->Header(), bytes);
  ASSERT_EQ(tree->Header()->Columns()->Count(), 1);
  TDataTreeColumn* c = tree->Header()->Columns()->Items(0);
  EXPECT_EQ(c->Text(), u"X");
  EXPECT_EQ(c->Width(), 77);
  EXPECT_EQ(ToWord(c->Options()), 0x1E7);
}

TEST_F(Header, DamagedStreamsRaiseAndLeaveTheHeaderUnchanged) {
  auto a = DetachedTree();
  AddColumn(*a, u"One", 40);
  AddColumn(*a, u"Two", 50);
  a->Header()->SetSortColumn(1);
  std::vector<uint8_t> good = Save(a->Header());
  auto target = DetachedTree();
  AddColumn(*target, u"Keep", 33);
  std::vector<uint8_t> before = Save(target->Header());
  std::mt19937 rng(5);
  int raised = 0;
  for (int round = 0; round < 600; ++round) {
    std::vector<uint8_t> bad = good;
    if (round % 3 == 0) {
      bad.resize(std::uniform_int_distribution<size_t>(0, good.size() - 1)(rng));
    } else {
      int flips = std::uniform_int_distribution<int>(1, 4)(rng);
      for (int i = 0; i < flips; ++i)
        bad[std::uniform_int_distribution<size_t>(0, bad.size() - 1)(rng)] = uint8_t(rng());
    }
    try {
      Load(target->Header(), bad);
      // Accepted: the result must be a consistent header.
      TDataTreeColumns* cols = target->Header()->Columns();
      std::vector<bool> seen(size_t(cols->Count()), false);
      for (int32_t p : cols->PositionToIndex()) {
        ASSERT_TRUE(p >= 0 && p < cols->Count());
        ASSERT_FALSE(seen[size_t(p)]);
        seen[size_t(p)] = true;
      }
      Load(target->Header(), before);
    } catch (const EDataTreeError&) {
      ++raised;
      ASSERT_EQ(Save(target->Header()), before) << "round " << round;
    }
  }
  EXPECT_GT(raised, 100);
  // Huge counts and lengths are refused before anything is allocated.
  std::vector<uint8_t> huge = good;
  huge[8] = 0xFF, huge[9] = 0xFF, huge[10] = 0xFF, huge[11] = 0x7F;
  EXPECT_THROW(Load(target->Header(), huge), EDataTreeError);
  EXPECT_EQ(Save(target->Header()), before);
}

TEST_F(Header, DoubleClicksReportAClickWithDoubleForEveryButton) {
  TDataStringTree* t = NewTree();
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible});
  t->SetRootNodeCount(3);
  Pump();
  std::vector<std::string> events;
  auto record = [&](const char* kind) {
    return [&events, kind](TDTHeader*, TColumnIndex c, TMouseButton b, TShiftState s, int, int) {
      events.push_back(std::string(kind) + std::to_string(c) + "/" + std::to_string(int(b)) +
                       (s.Contains(ssDouble) ? "d" : ""));
    };
  };
  t->OnHeaderClick = record("click");
  t->OnHeaderDblClick = record("dbl");
  int y = t->Header()->Height() / 2;
  for (UINT msg : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}) SendHeaderMouse(t, msg, 150, y);
  EXPECT_EQ(events, (std::vector<std::string>{"click1/0d", "dbl1/0d", "click1/1d", "dbl1/1d", "click1/2d",
                                              "dbl1/2d"}));
  // Double-click resizing without column resizing has no splitters: a click on the column there.
  events.clear();
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoDblClickResize});
  SendHeaderMouse(t, WM_LBUTTONDBLCLK, 100, y);
  Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"click1/0d", "dbl1/0d"}));
  EXPECT_EQ(t->Header()->Columns()->Items(0)->Width(), 100);
  // With both, on a splitter: the column fits its cells, no click.
  events.clear();
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoDblClickResize, hoColumnResize});
  SendHeaderMouse(t, WM_LBUTTONDBLCLK, 100, y);
  Pump();
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(t->Header()->Columns()->Items(0)->Width(),
            std::max(t->Header()->Columns()->Items(0)->MinWidth(), t->GetMaxColumnWidth(0)));
}

TEST_F(Header, ClicksCountOnClickableColumnsOnly) {
  TDataStringTree* t = NewTree();
  TDataTreeColumns* cols = t->Header()->Columns();
  for (int i = 0; i < 3; ++i) cols->Add()->SetWidth(100);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible});
  cols->Items(1)->SetOptions(cols->Items(1)->Options() - coAllowClick);
  cols->Items(2)->SetOptions(cols->Items(2)->Options() - coEnabled);
  Pump();
  std::vector<std::string> clicks;
  t->OnHeaderClick = [&](TDTHeader*, TColumnIndex c, TMouseButton b, TShiftState, int, int) {
    clicks.push_back(std::to_string(c) + "/" + std::to_string(int(b)));
  };
  int y = t->Header()->Height() / 2;
  auto release = [&](UINT up, int x) {
    cols->ClickIndex = 7;
    SendHeaderMouse(t, up, x, y);
  };
  // Right and middle releases count on any column that allows clicks, disabled or not.
  for (UINT up : {WM_RBUTTONUP, WM_MBUTTONUP}) {
    clicks.clear();
    release(up, 50);
    EXPECT_EQ(cols->ClickIndex, 0);
    release(up, 150);
    EXPECT_EQ(cols->ClickIndex, -1);
    release(up, 350);  // beyond the columns
    EXPECT_EQ(cols->ClickIndex, -1);
    release(up, 250);
    EXPECT_EQ(cols->ClickIndex, 2);
    std::string b = up == WM_RBUTTONUP ? "/1" : "/2";
    EXPECT_EQ(clicks, (std::vector<std::string>{"0" + b, "2" + b}));
  }
  // A left click needs the press on the same column, which must allow clicks and be enabled.
  clicks.clear();
  for (int x : {50, 150, 250}) {
    SendHeaderMouse(t, WM_LBUTTONDOWN, x, y);
    EXPECT_EQ(cols->DownIndex, x == 50 ? 0 : -1) << x;
    SendHeaderMouse(t, WM_LBUTTONUP, x, y);
    EXPECT_EQ(cols->DownIndex, -1);
  }
  SendHeaderMouse(t, WM_LBUTTONDOWN, 50, y);
  SendHeaderMouse(t, WM_LBUTTONUP, 150, y);
  EXPECT_EQ(clicks, (std::vector<std::string>{"0/0"}));
}

TEST_F(Header, PressOnTheHeaderCancelsAPendingEditAndScrolling) {
  TDataStringTree* t = NewTree();
  t->Header()->Columns()->Add()->SetWidth(200);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible});
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toEditable);
  t->SetRootNodeCount(3);
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) { s = u"row"; };
  t->SetFocus();
  PDataNode first = t->GetFirst();
  t->SetFocusedNode(first);
  t->SetSelected(first, true);
  Pump();
  RECT r = t->GetDisplayRect(first, 0, true);
  POINT label = t->ClientToScreen(POINT{r.left + 5, (r.top + r.bottom) / 2});
  POINT header = t->HeaderToScreen(POINT{100, t->Header()->Height() / 2});
  // A click on the selected row's text opens the editor after the edit delay ...
  backend.Click(label.x, label.y);
  Pump();
  ASSERT_TRUE(t->TreeStates().Contains(tsEditPending));
  backend.AdvanceClock(t->EditDelay + 50);
  Pump();
  EXPECT_TRUE(t->TreeStates().Contains(tsEditing));
  t->CancelEditNode();
  t->SetFocus();
  Pump();
  backend.AdvanceClock(1000);  // no double click with the next one
  // ... unless the header is pressed in the meantime.
  backend.Click(label.x, label.y);
  Pump();
  ASSERT_TRUE(t->TreeStates().Contains(tsEditPending));
  t->DoStateChange({tsScrollPending});
  backend.Click(header.x, header.y);
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsEditPending));
  EXPECT_FALSE(t->TreeStates().Contains(tsScrollPending));
  backend.AdvanceClock(t->EditDelay + 50);
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
}

TEST_F(Header, HotColumnStaysHotWhileTheMouseRestsOnTheHeader) {
  TDataStringTree* t = NewTree();
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoHotTrack});
  Pump();
  TDataTreeColumns* cols = t->Header()->Columns();
  int y = t->Header()->Height() / 2;
  SendHeaderMouse(t, WM_MOUSEMOVE, 150, y);
  EXPECT_EQ(cols->HoverIndex, 1);
  POINT onHeader = t->HeaderToScreen(POINT{150, y});
  SetCursorPos(onHeader.x, onHeader.y);
  for (int tick = 0; tick < 3; ++tick) SendMessage(t->Handle(), WM_TIMER, HeaderTimer, 0);
  EXPECT_EQ(cols->HoverIndex, 1);
  // A pressed column the mouse no longer rests on is stale: both are forgotten.
  cols->DownIndex = 0;
  SendMessage(t->Handle(), WM_TIMER, HeaderTimer, 0);
  EXPECT_EQ(cols->HoverIndex, -1);
  EXPECT_EQ(cols->DownIndex, -1);
  // The mouse left the header (into the rows): the hot column is cleared.
  SendHeaderMouse(t, WM_MOUSEMOVE, 150, y);
  cols->ClickIndex = 1;
  POINT below = t->HeaderToScreen(POINT{150, 200});
  SetCursorPos(below.x, below.y);
  SendMessage(t->Handle(), WM_TIMER, HeaderTimer, 0);
  EXPECT_EQ(cols->HoverIndex, -1);
  EXPECT_EQ(cols->ClickIndex, -1);
}

TEST_F(Header, SplitterZoneRunsFromTwoInsideToFourOutsideTheRightEdge) {
  TDataStringTree* t = NewTree();
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoColumnResize});
  Pump();
  TDTHeader* h = t->Header();
  int y = h->Height() / 2;
  EXPECT_EQ(h->DetermineSplitterIndex(POINT{97, y}), -1);
  EXPECT_EQ(h->DetermineSplitterIndex(POINT{98, y}), 0);
  EXPECT_EQ(h->DetermineSplitterIndex(POINT{104, y}), 0);
  EXPECT_EQ(h->DetermineSplitterIndex(POINT{105, y}), -1);
  EXPECT_EQ(h->DetermineSplitterIndex(POINT{203, y}), 1);
  // Overlapping zones: the later column wins, and a fixed-width one gives no splitter.
  h->Columns()->Items(1)->SetMinWidth(0);
  h->Columns()->Items(1)->SetWidth(4);
  EXPECT_EQ(h->DetermineSplitterIndex(POINT{102, y}), 1);
  h->Columns()->Items(1)->SetOptions(h->Columns()->Items(1)->Options() - coResizable);
  EXPECT_EQ(h->DetermineSplitterIndex(POINT{102, y}), -1);
  // Pressing inside the zone tracks the column's width, with no hot button.
  h->Columns()->HoverIndex = 0;
  SendHeaderMouse(t, WM_LBUTTONDOWN, 98, y);
  EXPECT_TRUE(h->MouseState().Tracking());
  EXPECT_EQ(h->Columns()->HoverIndex, -1);
  SendHeaderMouse(t, WM_MOUSEMOVE, 60, y);
  SendHeaderMouse(t, WM_LBUTTONUP, 60, y);
  EXPECT_EQ(h->Columns()->Items(0)->Width(), 60);
}

TEST_F(Header, DraggedColumnImageFollowsTheMouseOnTheHeaderLineWhenRestricted) {
  TDataStringTree* t = NewTree();
  for (int i = 0; i < 3; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  TDTHeader* h = t->Header();
  int y = h->Height() / 2;
  for (bool restricted : {true, false}) {
    SCOPED_TRACE(restricted);
    TDTHeaderOptions o{hoVisible, hoDrag};
    if (restricted) o.Include(hoRestrictDrag);
    h->SetOptions(o);
    Pump();
    SendHeaderMouse(t, WM_LBUTTONDOWN, 150, y);
    SendHeaderMouse(t, WM_MOUSEMOVE, 170, y);
    ASSERT_TRUE(h->MouseState().Dragging());
    ASSERT_NE(h->DragImage(), nullptr);
    EXPECT_EQ(h->Columns()->DragIndex, 1);
    EXPECT_EQ(h->Columns()->DownIndex, -1);
    // The image is the dragged column's button, moved with the mouse.
    EXPECT_EQ(h->DragImage()->Size().cx, 100);
    EXPECT_EQ(h->DragImage()->Size().cy, t->HeaderRect().bottom - t->HeaderRect().top);
    POINT start = t->HeaderToScreen(POINT{100 + 20, 0});
    EXPECT_EQ(h->DragImage()->Origin().x, start.x);
    EXPECT_EQ(h->DragImage()->Origin().y, start.y);
    SendHeaderMouse(t, WM_MOUSEMOVE, 200, y + 30);
    EXPECT_EQ(h->DragImage()->Origin().x, start.x + 30);
    EXPECT_EQ(h->DragImage()->Origin().y, restricted ? start.y : start.y + 30);
    // Esc cancels: the image goes, the column stays where it was.
    SendMessage(t->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(h->DragImage()->Active());
    EXPECT_EQ(h->Columns()->Items(1)->Position(), 1u);
  }
}

TEST_F(Header, DropMarkFollowsTheTargetColumnAndItsHalf) {
  TDataStringTree* t = NewTree();
  TDataTreeColumns* cols = t->Header()->Columns();
  for (int i = 0; i < 3; ++i) {
    TDataTreeColumn* c = cols->Add();
    c->SetWidth(100);
    c->SetStyle(vsOwnerDraw);
  }
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoDrag, hoOwnerDraw});
  // The drop mark of each column as the header last painted it.
  std::map<TColumnIndex, TDTDropMarkMode> shown;
  t->OnHeaderDraw = [&](TDTHeader*, TCanvas*, TDataTreeColumn* c, const RECT&, bool, bool,
                        TDTDropMarkMode m) { shown[c->Index()] = m; };
  Pump();
  int y = t->Header()->Height() / 2;
  auto moveTo = [&](int x) {
    shown.clear();
    SendHeaderMouse(t, WM_MOUSEMOVE, x, y);
    Pump();
  };
  SendHeaderMouse(t, WM_LBUTTONDOWN, 50, y);
  moveTo(70);
  ASSERT_TRUE(t->Header()->MouseState().Dragging());
  moveTo(180);  // the right half of the column at position 1
  EXPECT_EQ(cols->DropTarget, 1);
  EXPECT_EQ(shown[1], dmmRight);
  EXPECT_EQ(shown[0], dmmNone);  // never on the dragged column
  moveTo(280);                   // another column, the same half
  EXPECT_EQ(cols->DropTarget, 2);
  EXPECT_EQ(shown[2], dmmRight);
  EXPECT_EQ(shown[1], dmmNone);
  moveTo(220);  // the other half
  EXPECT_EQ(shown[2], dmmLeft);
  moveTo(230);  // nothing changed, nothing painted
  EXPECT_TRUE(shown.empty());
  moveTo(350);  // beyond the columns the last target stays
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(cols->DropTarget, 2);
  SendHeaderMouse(t, WM_LBUTTONUP, 350, y);
  EXPECT_EQ(cols->PositionToIndex(), (std::vector<int32_t>{1, 0, 2}));  // before the column at 2
}

// The tree paints its header into any device context; these tests hand it a memory bitmap.
struct HeaderPainter : TBaseDataTree {
  static void Paint(TBaseDataTree* Tree, HDC DC, RECT R) { (Tree->*(&HeaderPainter::PaintHeader))(DC, R); }
};

class MemoryBitmap {
 public:
  MemoryBitmap(int W, int H) : dc_(CreateCompatibleDC(nullptr)), bmp_(CreateBitmap(W, H, 1, 32, nullptr)) {
    old_ = SelectObject(dc_, bmp_);
  }
  ~MemoryBitmap() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;
  HDC DC() const { return dc_; }
  COLORREF At(int X, int Y) const { return GetPixel(dc_, X, Y); }

 private:
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_ = nullptr;
};

// Where the pixels that pass a test lie in a rectangle of the bitmap (empty when none).
template <class Test>
RECT PixelsWhere(const MemoryBitmap& Bmp, RECT Area, Test Pass) {
  RECT found{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int y = Area.top; y < Area.bottom; ++y)
    for (int x = Area.left; x < Area.right; ++x)
      if (Pass(Bmp.At(x, y)))
        found = RECT{std::min<LONG>(found.left, x), std::min<LONG>(found.top, y),
                     std::max<LONG>(found.right, x + 1), std::max<LONG>(found.bottom, y + 1)};
  return found.left > found.right ? RECT{} : found;
}
RECT PixelsOf(const MemoryBitmap& Bmp, RECT Area, COLORREF Color) {
  return PixelsWhere(Bmp, Area, [Color](COLORREF c) { return c == Color; });
}
bool Has(const RECT& R) {
  return R.right > R.left;
}

TEST_F(Header, EdgeStylesFrameButtonsAtRestPressedAndHot) {
  TDataStringTree* t = NewTree();
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  TDTHeader* h = t->Header();
  Pump();
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_3DLIGHT),
                 hilite = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                 dark = GetSysColor(COLOR_3DDKSHADOW);
  // Per style: the left, inner left, right and inner right columns of pixels
  // of a button at rest (first button), pressed (second) and, for plates, hot.
  struct Case {
    TDTHeaderStyle style;
    COLORREF rest[4], pressed[4];
  };
  for (const Case& k : {Case{hsThickButtons, {hilite, light, dark, shadow}, {shadow, face, shadow, face}},
                        Case{hsFlatButtons, {hilite, face, shadow, face}, {shadow, face, hilite, face}},
                        Case{hsPlates, {light, face, shadow, face}, {shadow, face, hilite, face}}}) {
    SCOPED_TRACE(int(k.style));
    h->SetStyle(k.style);
    // A background of another colour: the buttons' faces are their own.
    h->SetBackground(clWhite);
    for (TDTHeaderOptions o :
         {TDTHeaderOptions{hoVisible, hoHotTrack}, TDTHeaderOptions{hoVisible, hoHotTrack, hoAutoResize}}) {
      h->SetOptions(o);
      h->Columns()->Items(1)->SetWidth(100);  // auto-sized: it takes the rest of the width
      h->Columns()->DownIndex = 1;
      h->Columns()->HoverIndex = -1;
      int bottom = h->Height(), end = 100 + h->Columns()->Items(1)->Width();
      MemoryBitmap bmp(400, bottom);
      HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 400, bottom});
      int y = bottom / 2;
      EXPECT_EQ(bmp.At(50, y), face);
      EXPECT_EQ(bmp.At(150, y), face);
      int rest[4] = {0, 1, 99, 98}, pressed[4] = {100, 101, end - 1, end - 2};
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bmp.At(rest[i], y), k.rest[i]) << i;
        // The last button closes with its right border too: the tree has no bevel of its own.
        EXPECT_EQ(bmp.At(pressed[i], y), k.pressed[i]) << i;
      }
      // A hot button: raised, not soft, for plates only; no strip along the bottom in any style.
      h->Columns()->DownIndex = -1;
      h->Columns()->HoverIndex = 0;
      HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 400, bottom});
      EXPECT_EQ(bmp.At(0, y), k.style == hsPlates ? hilite : k.rest[0]);
      EXPECT_EQ(bmp.At(99, y), k.rest[2]);
      EXPECT_EQ(bmp.At(50, bottom - 3), face);
      EXPECT_EQ(bmp.At(50, bottom - 2), k.style == hsThickButtons ? shadow : face);
    }
  }
}

TEST_F(Header, CaptionsAreHotInTheHotColourAndEmbossedWhenDisabled) {
  TDataStringTree* t = NewTree();
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  TDTHeader* h = t->Header();
  h->SetOptions(TDTHeaderOptions{hoVisible, hoHotTrack});
  h->SetStyle(hsFlatButtons);
  h->Columns()->Items(0)->SetText(u"HILL");
  h->Columns()->Items(1)->SetText(u"HILL");
  const TColor hot = TColor(0x0000C0);  // dark red
  t->Colors()->Set(TDTColors::HeaderHotColor, hot);
  Pump();
  const COLORREF black = COLORREF(ColorToRGB(h->Font()->Color())), red = COLORREF(ColorToRGB(hot)),
                 shadow = GetSysColor(COLOR_BTNSHADOW);
  int bottom = h->Height();
  MemoryBitmap bmp(200, bottom);
  RECT first{2, 2, 98, bottom - 2}, second{102, 2, 198, bottom - 2};
  h->Columns()->HoverIndex = 0;
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 200, bottom});
  EXPECT_TRUE(Has(PixelsOf(bmp, first, red)));
  EXPECT_FALSE(Has(PixelsOf(bmp, first, black)));
  EXPECT_TRUE(Has(PixelsOf(bmp, second, black)));
  EXPECT_FALSE(Has(PixelsOf(bmp, second, red)));
  // Without hot tracking nothing is hot.
  h->SetOptions(TDTHeaderOptions{hoVisible});
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 200, bottom});
  EXPECT_TRUE(Has(PixelsOf(bmp, first, black)));
  EXPECT_FALSE(Has(PixelsOf(bmp, first, red)));
  // Disabled: the text in the shadow colour over a highlight one pixel down and right.
  h->Columns()->Items(1)->SetOptions(h->Columns()->Items(1)->Options() - coEnabled);
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 200, bottom});
  EXPECT_FALSE(Has(PixelsOf(bmp, second, black)));
  // Smoothed edges: clearly lighter or darker than the face is the highlight or the shadow.
  auto beyond = [face = GetSysColor(COLOR_BTNFACE)](COLORREF c, int by) {
    return by * (int(GetRValue(c)) - int(GetRValue(face))) > 0x18 &&
           by * (int(GetGValue(c)) - int(GetGValue(face))) > 0x18 &&
           by * (int(GetBValue(c)) - int(GetBValue(face))) > 0x18;
  };
  RECT light = PixelsWhere(bmp, second, [&](COLORREF c) { return beyond(c, 1); });
  RECT dark = PixelsWhere(bmp, second, [&](COLORREF c) { return beyond(c, -1); });
  ASSERT_TRUE(Has(dark));
  EXPECT_TRUE(Has(PixelsOf(bmp, second, shadow)));
  OffsetRect(&dark, 1, 1);
  EXPECT_EQ(light, dark);
}

TEST_F(Header, XPStyleButtonsAtRestHotAndPressed) {
  TDataStringTree* t = NewTree();
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  TDTHeader* h = t->Header();
  h->SetOptions(TDTHeaderOptions{hoVisible, hoHotTrack});
  h->SetStyle(hsXPStyle);
  Pump();
  int bottom = h->Height();
  MemoryBitmap bmp(300, bottom);
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 300, bottom});
  // At rest: the face, three shaded bottom lines, and a splitter between the buttons only.
  EXPECT_EQ(bmp.At(50, 5), COLORREF(0xDBEAEB));
  EXPECT_EQ(bmp.At(250, 5), COLORREF(0xDBEAEB));  // the background beyond the columns
  EXPECT_EQ(bmp.At(50, bottom - 3), COLORREF(0xCFDEE0));
  EXPECT_EQ(bmp.At(50, bottom - 2), COLORREF(0xC3D2D5));
  EXPECT_EQ(bmp.At(50, bottom - 1), COLORREF(0xB8C7CB));
  EXPECT_EQ(bmp.At(98, 5), COLORREF(0xB2C5C7));
  EXPECT_EQ(bmp.At(99, 5), COLORREF(0xFFFFFF));
  EXPECT_EQ(bmp.At(98, 2), COLORREF(0xDBEAEB));           // the splitter starts 3 below the top
  EXPECT_EQ(bmp.At(98, bottom - 5), COLORREF(0xDBEAEB));  // and ends 5 above the bottom
  EXPECT_EQ(bmp.At(198, 5), COLORREF(0xB2C5C7));          // the last button's right border too
  // Hot and pressed.
  h->Columns()->HoverIndex = 1;
  h->Columns()->DownIndex = 0;
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 300, bottom});
  EXPECT_EQ(bmp.At(150, 5), COLORREF(0xF3F8FA));
  EXPECT_EQ(bmp.At(50, 5), COLORREF(0xD8DFDE));
  EXPECT_EQ(bmp.At(0, 5), COLORREF(0x97A5A5));
  EXPECT_EQ(bmp.At(50, bottom - 1), COLORREF(0x97A5A5));
  EXPECT_EQ(bmp.At(99, 5), COLORREF(0x97A5A5));
  EXPECT_EQ(bmp.At(98, 5), COLORREF(0xD8DFDE));  // no splitter on a pressed button
}

TEST_F(Header, ContentsAreLaidOutAsBlocksWithinTheMargins) {
  TDataStringTree* t = NewTree();
  TDataTreeColumn* c = t->Header()->Columns()->Add();
  c->SetWidth(200);
  c->SetText(u"Files");
  TCustomImageList images(nullptr, 16, 16);
  t->Header()->SetImages(&images);
  MemoryBitmap bmp(10, 10);
  SelectObject(bmp.DC(), t->Header()->Font()->Handle());
  SIZE extent{};
  GetTextExtentPoint32W(bmp.DC(), reinterpret_cast<const WCHAR*>(u"Files"), 5, &extent);
  int tw = extent.cx + 2, th = extent.cy;
  RECT client{10, 20, 210, 80};  // 200 wide, 60 high
  RECT text{};
  POINT sort{}, glyph{};
  // Centred, glyph left: glyph, spacing and text centred as one block; the sort glyph beyond it.
  c->SetAlignment(taCenter);
  c->LayoutHeaderContents(bmp.DC(), client, true, true, text, sort, glyph);
  int block = 16 + 4 + tw;
  EXPECT_EQ(glyph.x, 10 + (200 - block) / 2);
  EXPECT_EQ(text.left, glyph.x + 16 + 4);
  EXPECT_EQ(sort.x, glyph.x + block + 4);
  EXPECT_EQ(glyph.y, 20 + (60 - 16) / 2);
  EXPECT_EQ(text.top, 20 + (60 - th) / 2);
  EXPECT_EQ(sort.y, 20 + (60 - UtilityList()->Height()) / 2);
  // Glyph on top: glyph, spacing and text centred vertically as a block.
  c->SetLayout(blGlyphTop);
  c->LayoutHeaderContents(bmp.DC(), client, false, true, text, sort, glyph);
  EXPECT_EQ(glyph.y, 20 + (60 - (16 + 4 + th)) / 2);
  EXPECT_EQ(text.top, glyph.y + 16 + 4);
  EXPECT_EQ(glyph.x, 10 + (200 - 16) / 2);
  EXPECT_EQ(text.left, 10 + (200 - tw) / 2);
  c->SetLayout(blGlyphBottom);
  c->LayoutHeaderContents(bmp.DC(), client, false, true, text, sort, glyph);
  EXPECT_EQ(text.top, 20 + (60 - (16 + 4 + th)) / 2);
  EXPECT_EQ(glyph.y, text.top + th + 4);
  // Right-aligned: the sort glyph first from the right margin, then the text.
  c->SetLayout(blGlyphLeft);
  c->SetAlignment(taRightJustify);
  c->LayoutHeaderContents(bmp.DC(), client, true, false, text, sort, glyph);
  EXPECT_EQ(sort.x, 10 + 200 - 4 - UtilityList()->Width());
  EXPECT_EQ(text.right, sort.x - 4);
  // Only a sort glyph: centred both ways.
  c->SetText(u"");
  c->LayoutHeaderContents(bmp.DC(), client, true, false, text, sort, glyph);
  EXPECT_EQ(sort.x, 10 + (200 - UtilityList()->Width()) / 2);
  // A text too wide for a narrow button is cut at the margin before the sort glyph.
  c->SetText(u"A caption far wider than the button");
  c->SetAlignment(taLeftJustify);
  c->LayoutHeaderContents(bmp.DC(), RECT{0, 0, 60, 17}, true, false, text, sort, glyph);
  EXPECT_EQ(sort.x, 60 - 4 - UtilityList()->Width());
  EXPECT_EQ(text.left, 4);
  EXPECT_EQ(text.right, sort.x - 4);
  t->Header()->SetImages(nullptr);
}

// Whether utility image Index paints pixel (X, Y) (over white and over black alike).
bool UtilityOpaque(int Index, int X, int Y) {
  MemoryBitmap white(16, 16), black(16, 16);
  PatBlt(white.DC(), 0, 0, 16, 16, WHITENESS);
  PatBlt(black.DC(), 0, 0, 16, 16, BLACKNESS);
  ImageList_Draw(UtilityList()->Handle(), Index, white.DC(), 0, 0, ILD_TRANSPARENT);
  ImageList_Draw(UtilityList()->Handle(), Index, black.DC(), 0, 0, ILD_TRANSPARENT);
  return white.At(X, Y) == black.At(X, Y);
}
int OpaqueInRow(int Index, int Y) {
  int n = 0;
  for (int x = 0; x < 16; ++x) n += UtilityOpaque(Index, x, Y);
  return n;
}

TEST_F(Header, UtilityGlyphsAreDropMarksSortArrowsAndHotStripPieces) {
  TCustomImageList* list = UtilityList();
  ASSERT_EQ(list->Count(), 9);
  EXPECT_EQ(list->Width(), 16);
  EXPECT_EQ(list->Height(), 16);
  // Drop marks: a bar along the left (0) or right (1) edge, the far side clear.
  for (int y = 0; y < 16; ++y) {
    EXPECT_TRUE(UtilityOpaque(0, 0, y) && UtilityOpaque(1, 15, y)) << y;
    EXPECT_FALSE(UtilityOpaque(0, 15, y) || UtilityOpaque(1, 0, y)) << y;
  }
  // Sort glyphs: descending (2, 4) widest on top, ascending (3, 5) at the bottom.
  for (int index : {2, 3, 4, 5}) {
    int top = -1, bottom = -1;
    for (int y = 0; y < 16; ++y)
      if (OpaqueInRow(index, y) > 0) bottom = y, top = top < 0 ? y : top;
    ASSERT_GE(top, 0) << index;
    bool ascending = index % 2 == 1;
    EXPECT_EQ(OpaqueInRow(index, top) < OpaqueInRow(index, bottom), ascending) << index;
  }
  // Hot strip pieces: only the 3 bottom rows; the middle fills them, the ends
  // leave their outer corner.
  for (int index : {6, 7, 8}) {
    for (int y = 0; y < 13; ++y) EXPECT_EQ(OpaqueInRow(index, y), 0) << index << "," << y;
    EXPECT_GT(OpaqueInRow(index, 14), 12) << index;
  }
  EXPECT_EQ(OpaqueInRow(7, 13), 16);
  EXPECT_TRUE(!UtilityOpaque(6, 0, 13) && UtilityOpaque(6, 15, 13));
  EXPECT_TRUE(UtilityOpaque(8, 0, 13) && !UtilityOpaque(8, 15, 13));
}

TEST_F(Header, HotStripSortGlyphAndDropMarkComeFromTheUtilityGlyphs) {
  TDataStringTree* t = NewTree();
  TDTHeader* h = t->Header();
  for (int w : {100, 30, 100}) h->Columns()->Add()->SetWidth(w);
  h->SetOptions(TDTHeaderOptions{hoVisible, hoHotTrack, hoDrag, hoShowSortGlyphs});
  h->SetStyle(hsXPStyle);
  Pump();
  int bottom = h->Height();
  MemoryBitmap bmp(300, bottom), piece(16, 16);
  auto utility = [&](int Index, int X, int Y) {
    PatBlt(piece.DC(), 0, 0, 16, 16, WHITENESS);
    ImageList_Draw(UtilityList()->Handle(), Index, piece.DC(), 0, 0, ILD_TRANSPARENT);
    return piece.At(X, Y);
  };
  // What a hot button shows where the glyph is drawn: the glyph, or the hover face.
  auto hot = [&](int Index, int X, int Y) {
    return UtilityOpaque(Index, X, Y) ? utility(Index, X, Y) : COLORREF(0xF3F8FA);
  };
  // A wide hot button: the left end, the middle tiled, the right end.
  h->Columns()->HoverIndex = 0;
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 300, bottom});
  for (int r = 1; r <= 3; ++r) {
    int y = bottom - r;
    EXPECT_EQ(bmp.At(0, y), hot(6, 0, 16 - r)) << r;
    EXPECT_EQ(bmp.At(15, y), hot(6, 15, 16 - r)) << r;
    for (int x = 16; x < 84; ++x) ASSERT_EQ(bmp.At(x, y), hot(7, x % 16, 16 - r)) << x;
    EXPECT_EQ(bmp.At(99, y), hot(8, 15, 16 - r)) << r;
  }
  EXPECT_EQ(bmp.At(50, bottom - 4), COLORREF(0xF3F8FA));  // the hover face above the strip
  // A narrow one: the right end, its left half covered by the left end.
  h->Columns()->HoverIndex = 1;
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 300, bottom});
  EXPECT_EQ(bmp.At(100, bottom - 1), hot(6, 0, 15));
  EXPECT_EQ(bmp.At(114, bottom - 3), hot(6, 14, 13));
  EXPECT_EQ(bmp.At(129, bottom - 3), hot(8, 15, 13));
  EXPECT_EQ(bmp.At(116, bottom - 1), hot(8, 2, 15));
  h->Columns()->HoverIndex = -1;

  // The sort glyph: ascending and descending differ only in the glyph's square.
  h->SetSortColumn(2);
  h->SetSortDirection(sdAscending);
  MemoryBitmap other(300, bottom);
  HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 300, bottom});
  h->SetSortDirection(sdDescending);
  HeaderPainter::Paint(t, other.DC(), RECT{0, 0, 300, bottom});
  RECT diff{300, bottom, -1, -1};
  for (int y = 0; y < bottom; ++y)
    for (int x = 0; x < 300; ++x)
      if (bmp.At(x, y) != other.At(x, y)) {
        diff.left = std::min<int>(diff.left, x), diff.right = std::max<int>(diff.right, x);
        diff.top = std::min<int>(diff.top, y), diff.bottom = std::max<int>(diff.bottom, y);
      }
  ASSERT_GE(diff.right, 0);
  EXPECT_GE(diff.left, 130);  // in the sort column only, within one glyph's square
  EXPECT_LT(diff.right - diff.left, 16);
  EXPECT_LT(diff.bottom - diff.top, 16);
  auto dark = [&](const MemoryBitmap& b, int y) {
    int n = 0;
    for (int x = int(diff.left); x <= diff.right; ++x) n += b.At(x, y) != COLORREF(0xDBEAEB);
    return n;
  };
  EXPECT_GT(dark(bmp, diff.bottom), dark(bmp, diff.top));      // ascending points up
  EXPECT_GT(dark(other, diff.top), dark(other, diff.bottom));  // descending points down
  h->SetSortColumn(NoColumn);

  // Dragging column 0 over column 2: the drop mark at its left or right edge.
  int y = bottom / 2;
  SendHeaderMouse(t, WM_LBUTTONDOWN, 50, y);
  SendHeaderMouse(t, WM_MOUSEMOVE, 70, y);
  ASSERT_TRUE(h->MouseState().Dragging());
  int top = (bottom - 16) / 2;
  for (bool before : {true, false}) {
    SendHeaderMouse(t, WM_MOUSEMOVE, before ? 140 : 220, y);
    ASSERT_EQ(h->Columns()->DropTarget, 2);
    ASSERT_EQ(h->Columns()->DropBefore, before);
    HeaderPainter::Paint(t, bmp.DC(), RECT{0, 0, 300, bottom});
    int left = before ? 130 : 230 - 16;
    for (int dy = 0; dy < 16; ++dy)
      for (int dx : {0, 1, 14, 15})
        if (UtilityOpaque(before ? 0 : 1, dx, dy)) {
          ASSERT_EQ(bmp.At(left + dx, top + dy), utility(before ? 0 : 1, dx, dy)) << dx << "," << dy;
        }
  }
  SendMessage(t->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
}

}  // namespace
}  // namespace qv::test
