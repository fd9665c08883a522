// Painting checked on pixels: rows, tree lines and buttons, check boxes,
// full-row selection colours, the header with its sort glyph, and the
// area below the last row.
#include "TreeTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/Messages.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

class Paint : public TreeTest {
 protected:
  TDataStringTree* MakeTree() {
    TDataStringTree* t = NewTree({0, 0, 300, 200});
    t->SetNodeDataSize(4);
    t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
      s = u"Row " + std::u16string(1, char16_t(u'A' + n->Index % 26)) + (c > 0 ? u" x" : u"");
    };
    return t;
  }
  static uint32_t Rgb(TColor c) {
    COLORREF v = COLORREF(ColorToRGB(c));
    return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
  }
  int CountDark(int x0, int y0, int x1, int y1) {
    int n = 0;
    Surface shot = backend.Screenshot();
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        uint32_t p = shot.At(x, y) & 0xFFFFFF;
        n += (p >> 16 & 255) < 100 && (p >> 8 & 255) < 100 && (p & 255) < 100;
      }
    return n;
  }
  int CountColor(int x0, int y0, int x1, int y1, uint32_t rgb) {
    int n = 0;
    Surface shot = backend.Screenshot();
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += (shot.At(x, y) & 0xFFFFFF) == rgb;
    return n;
  }
};

TEST_F(Paint, RowsButtonsLinesAndText) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(3);
  t->SetChildCount(t->GetFirst(), 2);
  Pump();
  if (getenv("QV_TREE_SHOT")) backend.SaveScreenshot(getenv("QV_TREE_SHOT"));
  // The first row has a button: its frame is in the tree-line colour.
  uint32_t line = Rgb(clBtnShadow);
  EXPECT_GT(CountColor(0, 0, 18, 18, line), 20);
  // Text is drawn in the font colour right of the indent.
  EXPECT_GT(CountDark(22, 0, 80, 18), 10);
  // Below the last row only the window colour.
  EXPECT_EQ(CountColor(0, 60, 300, 200, Rgb(clWindow)), 300 * 140);
  // Expanding shows the children: more text rows.
  t->SetExpanded(t->GetFirst(), true);
  Pump();
  EXPECT_GT(CountDark(40, 18, 100, 54), 20);
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Paint, SelectionCheckBoxesAndGridLines) {
  TDataStringTree* t = MakeTree();
  auto misc = t->TreeOptions()->MiscOptions();
  t->TreeOptions()->SetMiscOptions(misc + toCheckSupport);
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toShowHorzGridLines);
  t->SetRootNodeCount(4);
  for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) t->SetCheckType(n, ctCheckBox);
  t->SetCheckState(t->GetFirst(), csCheckedNormal);
  t->SetFocus();
  t->SetFocusedNode(t->GetFirstNoInit()->NextSibling);
  t->SetSelected(t->FocusedNode(), true);
  Pump();
  // The selected second row is filled with the highlight colour across the row.
  EXPECT_GT(CountColor(100, 19, 300, 35, Rgb(clHighlight)), 150 * 14);
  // The checked box shows a mark: dark pixels inside the box of row 1, none in row 3's.
  EXPECT_GT(CountDark(22, 2, 36, 16), 5);
  EXPECT_EQ(CountDark(22, 38, 36, 52), 0);
  // Horizontal grid lines: dotted, in the grid colour, on the last row of each node.
  EXPECT_GT(CountColor(100, 71, 300, 72, Rgb(clBtnFace)), 80);
}

// A focused list whose focus rectangle the selection makes redundant
// (toHideFocusRect, full rows) still shows the focus with nothing selected:
// round the focused row, round the first row (where Down starts) when none
// is focused, round the client area when there is no row. Losing the focus
// or selecting the row takes it away.
TEST_F(Paint, WithNothingSelectedTheFocusStillShows) {
  TDataStringTree* t = MakeTree();
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toHideFocusRect);
  Pump();
  // The frame's lower edge, above the horizontal scroll bar when there is one.
  auto frameBottom = [&] { return t->ClientHeight() - 2; };
  auto frameDots = [&] {
    Pump();
    return CountDark(2, frameBottom(), 298, frameBottom() + 1);
  };
  // The right end of a row's top edge, where no text reaches.
  auto rowDots = [&](PDataNode n) {
    Pump();
    RECT r = t->GetDisplayRect(n, NoColumn, false);
    return CountDark(150, r.top, 290, r.top + 1);
  };
  // Another control to take the focus away.
  auto* other = new TDataStringTree(form);
  other->SetBounds(0, 0, 10, 10);
  other->SetParent(form);
  t->SetFocus();
  EXPECT_GT(frameDots(), 50) << "an empty focused list shows nothing";
  other->SetFocus();
  EXPECT_EQ(frameDots(), 0);
  t->SetFocus();
  t->SetRootNodeCount(3);
  EXPECT_EQ(frameDots(), 0) << "the frame stayed with rows";
  PDataNode first = t->GetFirst(), second = first->NextSibling;
  EXPECT_GT(rowDots(first), 30);
  t->SetFocusedNode(second);
  t->ClearSelection();
  EXPECT_GT(rowDots(second), 30);
  EXPECT_EQ(rowDots(first), 0);
  other->SetFocus();
  EXPECT_EQ(rowDots(second), 0);
  t->SetFocus();
  t->SetSelected(second, true);
  EXPECT_EQ(rowDots(second), 0) << "the selection shows the focus";
  t->ClearSelection();
  t->SetFocusedNode(nullptr);
  EXPECT_EQ(rowDots(second), 0);
  EXPECT_GT(rowDots(first), 30);
  // Down starts at the first row: it is focused and selected.
  SendMessage(t->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(t->FocusedNode(), first);
  EXPECT_TRUE(t->Selected(first));
  EXPECT_EQ(rowDots(first), 0);
  EXPECT_GT(CountColor(150, 2, 290, 16, Rgb(clHighlight)), 100);
  t->Clear();
  EXPECT_GT(frameDots(), 50) << "emptied";
  // Scrolled sideways (columns wider than the list), the frame stays put.
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(400);
  Pump();
  t->SetOffsetX(-100);
  EXPECT_EQ(t->OffsetX(), -100);
  EXPECT_GT(frameDots(), 50);
  EXPECT_GT(CountDark(1, 4, 2, frameBottom() - 2), 20) << "the frame's left side moved";
  EXPECT_EQ(CountDark(198, 4, 200, frameBottom() - 2), 0) << "the frame's left side moved";
}

TEST_F(Paint, TextSpansEmptyCellsAndRowsWithoutColumnsSetTheWidth) {
  TDataStringTree* t = NewTree({0, 0, 300, 200});
  t->SetNodeDataSize(4);
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex c, TVSTTextType, std::u16string& s) {
    s = c <= 0 ? u"A long text that needs room" : u"";
  };
  t->SetRootNodeCount(1);
  Pump();
  // Without columns the row's extent becomes the horizontal range.
  EXPECT_GT(t->RangeX(), 150);
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(70);
  Pump();
  int dark = CountDark(75, 0, 140, 18);
  EXPECT_EQ(dark, 0);  // clipped to its own cell
  t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() + toAutoSpanColumns);
  Pump();
  EXPECT_GT(CountDark(75, 0, 140, 18), 10);  // runs on over the empty second cell
}

TEST_F(Paint, BlendedSelectionMixesTheColours) {
  TDataStringTree* t = MakeTree();
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toUseBlendedSelection);
  t->SetRootNodeCount(2);
  t->SetFocus();
  t->SetSelected(t->GetFirst(), true);
  Pump();
  // Half of the highlight over white, away from the text.
  uint32_t p = PixelAt(250, 9);
  COLORREF h = COLORREF(ColorToRGB(clHighlight));
  EXPECT_NEAR(int(p >> 16 & 255), (GetRValue(h) * 128 + 255 * 128) / 256, 2);
  EXPECT_NEAR(int(p & 255), (GetBValue(h) * 128 + 255 * 128) / 256, 2);
  EXPECT_EQ(PixelAt(250, 27), Rgb(clWindow));
}

TEST_F(Paint, StaticTextFollowsAndMultiLineNodesMeasure) {
  TDataStringTree* t = NewTree({0, 0, 300, 200});
  t->SetNodeDataSize(4);
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType type, std::u16string& s) {
    s = type == ttStatic ? u"(static)" : u"Row";
  };
  t->SetRootNodeCount(1);
  Pump();
  EXPECT_EQ(CountDark(80, 0, 160, 18), 0);
  t->TreeOptions()->SetStringOptions(t->TreeOptions()->StringOptions() + toShowStaticText);
  Pump();
  EXPECT_GT(CountDark(60, 0, 160, 18), 10);
  // A long text wrapped into a narrow cell needs several lines.
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = u"one two three four five six seven eight nine ten eleven twelve";
  };
  t->Header()->Columns()->Add()->SetWidth(100);
  int h = t->ComputeNodeHeight(t->GetFirst(), 0);
  EXPECT_GE(h, 3 * t->TextHeight());
}

TEST_F(Paint, OwnerPaintsTheBackgroundAndTheLinePattern) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(2);
  t->OnPaintBackground = [](TBaseDataTree*, TCanvas* c, RECT r, bool& handled) {
    c->Brush()->SetColor(clYellow);
    c->FillRect(r);
    handled = true;
  };
  static const uint8_t solid[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  t->OnGetLineStyle = [](TBaseDataTree*, const uint8_t*& bits) { bits = solid; };
  t->SetLineStyle(lsCustomStyle);
  Pump();
  EXPECT_EQ(PixelAt(150, 150), Rgb(clYellow));
  // The vertical tree line of the first row runs solid below its button.
  int x = 9, lit = 0;
  for (int y = 14; y < 18; ++y) lit += PixelAt(x, y) == Rgb(clBtnShadow);
  EXPECT_EQ(lit, 4);
}

TEST_F(Paint, FixedColumnsStayWhenScrollingSideways) {
  TDataStringTree* t = MakeTree();
  TDataTreeColumns* cols = t->Header()->Columns();
  for (int i = 0; i < 4; ++i) cols->Add()->SetWidth(120);
  cols->Items(0)->SetOptions(cols->Items(0)->Options() + coFixed);
  cols->Items(0)->SetColor(clYellow);
  cols->Items(1)->SetColor(clAqua);
  t->SetRootNodeCount(3);
  Pump();
  t->SetOffsetX(-100);
  Pump();
  // The fixed yellow column is where it was; the aqua one slid under it.
  EXPECT_EQ(PixelAt(110, 50), Rgb(clYellow));
  EXPECT_EQ(PixelAt(125, 50), Rgb(clAqua));
  EXPECT_EQ(PixelAt(135, 50), Rgb(clAqua));  // column 1 ends at 240 - 100
  EXPECT_EQ(PixelAt(145, 50), Rgb(clWindow));
}

// The header keeps a fixed column where the rows keep it: the columns
// scrolled sideways pass under it, in the header as in the rows.
TEST_F(Paint, TheHeaderKeepsFixedColumnsWhereTheRowsKeepThem) {
  TDataStringTree* t = MakeTree();
  TDTHeader* h = t->Header();
  TDataTreeColumns* cols = h->Columns();
  const TColor faces[] = {clYellow, clAqua, clFuchsia, clLime};
  for (int i = 0; i < 4; ++i) {
    TDataTreeColumn* c = cols->Add();
    c->SetWidth(120);
    c->SetStyle(vsOwnerDraw);
    c->SetColor(faces[i]);
  }
  cols->Items(0)->SetOptions(cols->Items(0)->Options() + coFixed);
  h->SetOptions(h->Options() + hoVisible + hoOwnerDraw);
  t->OnHeaderDraw = [](TDTHeader*, TCanvas* c, TDataTreeColumn* col, const RECT& r, bool, bool,
                       TDTDropMarkMode) {
    c->Brush()->SetColor(col->Color());
    c->FillRect(r);
  };
  t->SetRootNodeCount(3);
  Pump();
  const int headerY = 8, rowY = h->Height() + 30;
  t->SetOffsetX(-100);
  Pump();
  // Left of 120 the fixed yellow column in both; beside it the aqua one,
  // which ends at 240 - 100; then the fuchsia one.
  for (int y : {headerY, rowY}) {
    SCOPED_TRACE(y);
    EXPECT_EQ(PixelAt(10, y), Rgb(clYellow));
    EXPECT_EQ(PixelAt(110, y), Rgb(clYellow));
    EXPECT_EQ(PixelAt(125, y), Rgb(clAqua));
  }
  EXPECT_EQ(PixelAt(135, headerY), Rgb(clAqua));
  EXPECT_EQ(PixelAt(145, headerY), Rgb(clFuchsia));
  // A click lands on the column painted under it.
  std::vector<TColumnIndex> clicked;
  t->OnHeaderClick = [&](TDTHeader*, TColumnIndex c, TMouseButton, TShiftState, int, int) {
    clicked.push_back(c);
  };
  for (int x : {110, 125, 150}) {
    backend.AdvanceClock(1000);
    backend.Click(x, headerY);
  }
  Pump();
  EXPECT_EQ(clicked, (std::vector<TColumnIndex>{0, 1, 2}));
  // Scrolled all the way, the last column lies beside the fixed one.
  t->SetOffsetX(-1000);
  Pump();
  EXPECT_EQ(PixelAt(60, headerY), Rgb(clYellow));
  EXPECT_EQ(PixelAt(290, headerY), Rgb(clLime));
}

TEST_F(Paint, HeaderShowsColumnsAndTheSortGlyph) {
  TDataStringTree* t = MakeTree();
  TDTHeader* h = t->Header();
  for (int i = 0; i < 3; ++i) {
    TDataTreeColumn* c = h->Columns()->Add();
    c->SetText(u"Col");
    c->SetWidth(90);
  }
  h->SetOptions(TDTHeaderOptions{hoVisible, hoShowSortGlyphs, hoColumnResize, hoDrag});
  h->SetSortColumn(1);
  t->SetRootNodeCount(2);
  Pump();
  uint32_t face = Rgb(clBtnFace);
  EXPECT_GT(CountColor(0, 0, 300, 17, face), 300 * 8);
  // The sort glyph sits at the right of column 1's button.
  EXPECT_GT(CountColor(150, 4, 180, 14, Rgb(clBtnShadow)), 8);
  EXPECT_EQ(CountColor(235, 4, 265, 14, Rgb(clBtnShadow)), 0);
  if (getenv("QV_TREE_SHOT2")) backend.SaveScreenshot(getenv("QV_TREE_SHOT2"));
  // A column picture from the header's images, left of the text.
  TBitmap strip(16, 16, pf24bit);
  strip.Canvas()->Brush()->SetColor(clLime);
  strip.Canvas()->FillRect(RECT{0, 0, 16, 16});
  TCustomImageList images(nullptr, 16, 16);
  images.AddMasked(&strip, clFuchsia);
  h->SetImages(&images);
  h->SetOptions(h->Options() + hoShowImages);
  h->Columns()->Items(2)->SetImageIndex(0);
  Pump();
  EXPECT_GT(CountColor(180, 0, 200, 17, Rgb(clLime)), 100);
  EXPECT_EQ(CountColor(0, 0, 90, 17, Rgb(clLime)), 0);
  h->SetImages(nullptr);
  // Rows start below the header, where the client area starts.
  EXPECT_GT(CountDark(0, 17, 90, 35), 10);
  EXPECT_EQ(t->ClientToScreen(POINT{0, 0}).y, t->Header()->Height());
  EXPECT_EQ(t->GetNodeAt(10, 5), t->GetFirstNoInit());
  EXPECT_EQ(t->GetNodeAt(10, 20), t->GetFirstNoInit()->NextSibling);
  EXPECT_EQ(t->GetNodeAt(10, -10), t->GetFirstNoInit());  // above the rows counts as the top
}

// A tree that reports a drag hovering below or above its drop target.
class DropTree : public TDataStringTree {
 public:
  using TDataStringTree::TDataStringTree;
  void SetDropTarget(PDataNode n) { dropTargetNode_ = n; }
  void SetDropMode(int Mode) { Xfer().lastDropMode = TDropMode(Mode); }
};

// Four rows filling a borderless 300 x 200 form, not shown yet.
DropTree* NewDropTree(TForm*& form) {
  form = new TForm(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBoundsRect(RECT{0, 0, 300, 200});
  auto* t = new DropTree(form);
  t->SetBorderStyle(bsNone);
  t->SetAlign(alClient);
  t->SetParent(form);
  t->SetRootNodeCount(4);
  return t;
}

TEST_F(Paint, PrintClientDrawsWhatTheScreenShows) {
  TDataStringTree* t = MakeTree();
  t->Header()->Columns()->Add()->SetWidth(120);
  t->Header()->Columns()->Add()->SetWidth(120);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible});
  t->SetRootNodeCount(30);
  t->SetSelected(t->GetFirst()->NextSibling, true);
  t->SetOffsetY(-20);
  Pump();
  TBitmap copy(300, 200, pf32bit);
  SendMessageW(t->Handle(), WM_PRINTCLIENT, WPARAM(copy.Canvas()->Handle()), PRF_CLIENT);
  Surface shot = backend.Screenshot();
  int differ = 0;  // over the client area (the header and the scroll bar are the frame's)
  POINT o = t->ClientToScreen(POINT{0, 0});
  for (int y = 0; y < t->ClientHeight(); ++y)
    for (int x = 0; x < t->ClientWidth(); ++x)
      differ += Rgb(copy.Canvas()->Pixels(x, y)) != (shot.At(o.x + x, o.y + y) & 0xFFFFFF);
  EXPECT_EQ(differ, 0);
  // An invisible tree is left out when the caller asks for visible ones only.
  t->SetVisible(false);
  TBitmap blank(300, 200, pf32bit);
  blank.Canvas()->Brush()->SetColor(clLime);
  blank.Canvas()->FillRect(RECT{0, 0, 300, 200});
  SendMessageW(t->Handle(), WM_PRINTCLIENT, WPARAM(blank.Canvas()->Handle()), PRF_CLIENT | PRF_CHECKVISIBLE);
  EXPECT_EQ(Rgb(blank.Canvas()->Pixels(150, 100)), Rgb(clLime));
}

TEST_F(Paint, DropMarkFollowsTheDropModeOfTheTargetRow) {
  auto* t = NewDropTree(form);
  // The highlight of a drop on the node in other colours than the mark's.
  t->Colors()->Set(TDTColors::DropTargetColor, TColor(0x808080));
  t->Colors()->Set(TDTColors::DropTargetBorderColor, TColor(0x808080));
  form->Show();
  Pump();
  uint32_t mark = Rgb(clHighlight);
  t->SetDropTarget(t->GetFirst()->NextSibling);  // the row from 18 to 36
  for (int mode : {1, 2, 3}) {
    t->SetDropMode(mode);
    t->Invalidate();
    Pump();
    int top = CountColor(0, 18, 300, 21, mark), bottom = CountColor(0, 33, 300, 36, mark);
    EXPECT_EQ(top > 100, mode == 1) << mode;
    EXPECT_EQ(bottom > 100, mode == 3) << mode;
  }
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - toShowDropmark);
  Pump();
  EXPECT_EQ(CountColor(0, 18, 300, 36, mark), 0);
}

TEST_F(Paint, ANodeDroppedOnIsHighlightedInTheDropColours) {
  auto* t = NewDropTree(form);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - toShowDropmark);
  t->Colors()->Set(TDTColors::DropTargetColor, TColor(0x0000FF));        // red
  t->Colors()->Set(TDTColors::DropTargetBorderColor, TColor(0x00FF00));  // green
  form->Show();
  Pump();
  PDataNode second = t->GetFirst()->NextSibling;  // the row from 18 to 36
  t->SetDropTarget(second);
  auto show = [&](int mode) {
    t->SetDropMode(mode);
    t->Invalidate();
    Pump();
  };
  show(dmOnNode);
  EXPECT_GT(CountColor(0, 18, 300, 36, 0xFF0000), 100);
  EXPECT_GT(CountColor(0, 18, 300, 36, 0x00FF00), 20);
  EXPECT_EQ(CountColor(0, 0, 300, 18, 0xFF0000), 0);
  show(dmAbove);  // not on the node, and not selected: no highlight
  EXPECT_EQ(CountColor(0, 18, 300, 36, 0xFF0000), 0);
  t->SetSelected(second, true);  // a selected target keeps the drop colours
  show(dmAbove);
  EXPECT_GT(CountColor(0, 18, 300, 36, 0xFF0000), 100);
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  show(dmOnNode);
  EXPECT_GT(CountColor(0, 18, 300, 36, 0xFF0000), 250 * 10);
  // Blended: the drop colour washed over the row at the selection blend factor.
  t->SetSelected(second, false);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toUseBlendedSelection);
  show(dmOnNode);
  EXPECT_EQ(CountColor(0, 18, 300, 36, 0xFF0000), 0);
  EXPECT_GT(CountColor(0, 18, 300, 36, 0xFF7F7F), 250 * 10);
}

// Any part of the tree painted on its own looks as that part of the whole
// does: dotted lines keep their phase, a full-row highlight its extent and the
// drop mark its ends (the drag image repaints parts of rows this way).
TEST_F(Paint, APartPaintsAsThatPartOfTheWhole) {
  auto* t = NewDropTree(form);
  t->SetChildCount(t->GetFirst(), 2);
  t->SetExpanded(t->GetFirst(), true);
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  t->Colors()->Set(TDTColors::DropTargetColor, TColor(0x0000FF));
  t->Colors()->Set(TDTColors::DropTargetBorderColor, TColor(0x00FF00));
  t->Colors()->Set(TDTColors::DropMarkColor, TColor(0xFF0000));
  form->Show();
  Pump();
  const int w = t->ClientWidth(), h = 6 * 18;
  auto paint = [&](RECT window) {
    auto bmp = std::make_unique<TBitmap>(w, h, pf32bit);
    bmp->Canvas()->Brush()->SetColor(clLime);
    bmp->Canvas()->FillRect(RECT{0, 0, w, h});
    t->PaintTree(bmp->Canvas()->Handle(), window, POINT{window.left, window.top},
                 TPaintTreeFlags{ptBackground, ptFocusRect, ptSelection, ptDropMark, ptGridLines});
    return bmp;
  };
  for (int mode : {2, 3}) {  // on the node (the highlight), below it (the mark)
    t->SetDropTarget(t->GetFirst()->FirstChild);
    t->SetDropMode(mode);
    auto whole = paint(RECT{0, 0, w, h});
    for (RECT part : {RECT{1, 3, 97, 50}, RECT{33, 18, 151, 41}, RECT{5, 20, w - 3, 36}}) {
      auto piece = paint(part);
      int differ = 0;
      for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x)
          differ += piece->Canvas()->Pixels(x, y) != whole->Canvas()->Pixels(x, y);
      EXPECT_EQ(differ, 0) << mode << " " << part.left << "," << part.top;
    }
  }
}

TEST_F(Paint, SelectedOnlyPaintsTheSelectedSubtreesWhole) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(3);
  t->SetChildCount(t->GetFirst(), 2);
  t->SetExpanded(t->GetFirst(), true);
  t->SetSelected(t->GetFirst(), true);
  Pump();
  TBitmap image(300, 5 * 18, pf32bit);
  RECT all{0, 0, 300, 5 * 18};
  image.Canvas()->Brush()->SetColor(TColor(0xFFFFFF));
  image.Canvas()->FillRect(all);
  HDC dc = image.Canvas()->Handle();
  t->PaintTree(dc, all, POINT{0, 0}, TPaintTreeFlags{ptSelection, ptSelectedOnly});
  auto painted = [&](int row) {
    int n = 0;
    for (int y = row * 18; y < row * 18 + 18; ++y)
      for (int x = 0; x < 300; ++x) n += (image.Canvas()->Pixels(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
  };
  EXPECT_GT(painted(0), 50);  // the selected node
  EXPECT_GT(painted(1), 20);  // its children go with it
  EXPECT_GT(painted(2), 20);
  EXPECT_EQ(painted(3), 0);  // unselected rows stay out
  EXPECT_EQ(painted(4), 0);
}

TEST_F(Paint, ColumnColoursRunOnBelowTheLastRow) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(2);
  auto* yellow = t->Header()->Columns()->Add();
  yellow->SetWidth(100);
  yellow->SetColor(TColor(0x00FFFF));
  auto* parent = t->Header()->Columns()->Add();
  parent->SetWidth(80);
  parent->SetColor(TColor(0xFF0000));
  parent->SetOptions(parent->Options() + coParentColor);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible});
  Pump();
  int below = 2 * 18 + t->Header()->Height() + 10;
  EXPECT_EQ(CountColor(0, below, 100, below + 20, 0xFFFF00), 100 * 20);
  EXPECT_EQ(CountColor(100, below, 300, below + 20, Rgb(clWindow)), 200 * 20);
}

TEST_F(Paint, BelowTheLastRowTheGridFollowsTheRowsAndTheBandGoesOn) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(2);
  for (int w : {100, 80}) t->Header()->Columns()->Add()->SetWidth(w);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible});
  t->Colors()->Set(TDTColors::GridLineColor, clRed);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toShowVertGridLines +
                                    toFullVertGridLines);
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  Pump();
  const int rowsEnd = 2 * 18 + t->Header()->Height(), below = rowsEnd + 10;
  auto lineAt = [&](int x) { return CountColor(x, below, x + 1, below + 20, Rgb(clRed)) > 5; };
  auto lastRight = [&] {
    TDataTreeColumn* last = t->Header()->Columns()->Items(1);
    return last->Left() + last->Width() - 1;
  };
  // A band drawn in the empty space below the rows shows there.
  const RECT area{101, below, 178, below + 60};
  const int areaPixels = (area.right - area.left) * (area.bottom - area.top);
  EXPECT_EQ(CountColor(area.left, area.top, area.right, area.bottom, Rgb(clWindow)), areaPixels);
  backend.MouseMove(area.left + 10, area.top + 10);
  backend.MouseDown();
  backend.MouseMove(area.right - 10, area.bottom - 10);
  Pump();
  ASSERT_TRUE(t->TreeStates().Contains(tsDrawSelecting));
  EXPECT_LT(CountColor(area.left, area.top, area.right, area.bottom, Rgb(clWindow)),
            areaPixels - 60);  // at least its dotted frame
  backend.MouseUp();
  Pump();
  EXPECT_EQ(CountColor(area.left, area.top, area.right, area.bottom, Rgb(clWindow)), areaPixels);
  EXPECT_TRUE(lineAt(99));
  EXPECT_TRUE(lineAt(lastRight()));
  // The auto-sized last column has no line of its own, in the rows or below.
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoAutoResize});
  Pump();
  int right = lastRight();
  EXPECT_FALSE(lineAt(right));
  EXPECT_EQ(CountColor(right, rowsEnd - 36, right + 1, rowsEnd, Rgb(clRed)), 0);
  EXPECT_TRUE(lineAt(t->Header()->Columns()->Items(0)->Width() - 1));
}

TEST_F(Paint, DisablingTheTreeRedrawsItsTextsInTheDisabledColour) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(2);
  t->Colors()->Set(TDTColors::DisabledColor, clRed);
  Pump();
  RECT text = t->GetDisplayRect(t->GetFirst(), NoColumn, true);
  auto red = [&] {  // the text's pixels are shaded: reddish ones count
    int n = 0;
    Surface shot = backend.Screenshot();
    for (int y = text.top; y < text.bottom; ++y)
      for (int x = text.left; x < text.right; ++x) {
        uint32_t p = shot.At(x, y);
        n += (p >> 16 & 255) > 150 && (p >> 8 & 255) < 120 && (p & 255) < 120;
      }
    return n;
  };
  EXPECT_EQ(red(), 0);
  t->SetEnabled(false);
  Pump();
  EXPECT_GT(red(), 10);
  t->SetEnabled(true);
  Pump();
  EXPECT_EQ(red(), 0);
  // The message alone asks for the whole window to be drawn again.
  RECT dirty{};
  ASSERT_FALSE(GetUpdateRect(t->Handle(), &dirty, FALSE));
  SendMessage(t->Handle(), WM_ENABLE, TRUE, 0);
  ASSERT_TRUE(GetUpdateRect(t->Handle(), &dirty, FALSE));
  EXPECT_EQ(dirty, t->ClientRect());
  Pump();
}

TEST_F(Paint, BandsMarkTheLevelsInTheGridColour) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(2);
  t->SetChildCount(t->GetFirst(), 2);
  t->SetExpanded(t->GetFirst(), true);
  t->Colors()->Set(TDTColors::GridLineColor, clRed);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toShowHorzGridLines);
  Pump();
  int indent = int(t->Indent());
  // Normal lines: the grid lines run the full width, nothing red goes down.
  EXPECT_GT(CountColor(0, 35, indent, 36, Rgb(clRed)), 4);
  EXPECT_EQ(CountColor(indent, 18, indent + 1, 35, Rgb(clRed)), 0);
  t->SetLineMode(lmBands);
  Pump();
  // Rows 1 and 2 are the children: their band's left edge runs down at x = Indent.
  EXPECT_GT(CountColor(indent, 18, indent + 1, 54, Rgb(clRed)), 12);
  // The last child closes its band along the bottom of its row.
  EXPECT_GT(CountColor(indent, 53, 2 * indent, 54, Rgb(clRed)), 6);
  // A child row's grid line starts after its indentation.
  EXPECT_EQ(CountColor(0, 35, indent, 36, Rgb(clRed)), 0);
  EXPECT_GT(CountColor(2 * indent, 35, 100, 36, Rgb(clRed)), 20);
}

TEST_F(Paint, OwnerDrawsWholeColumnsOrTheElementsItAsksFor) {
  TDataStringTree* t = MakeTree();
  TDTHeader* h = t->Header();
  for (int i = 0; i < 2; ++i) {
    TDataTreeColumn* c = h->Columns()->Add();
    c->SetText(u"Col");
    c->SetWidth(100);
  }
  h->Columns()->Items(1)->SetStyle(vsOwnerDraw);
  h->SetOptions(TDTHeaderOptions{hoVisible, hoOwnerDraw});
  std::vector<TColumnIndex> drawn;
  t->OnHeaderDraw = [&](TDTHeader*, TCanvas* c, TDataTreeColumn* col, RECT r, bool, bool, TDTDropMarkMode) {
    drawn.push_back(col->Index());
    c->Brush()->SetColor(clLime);
    c->FillRect(r);
  };
  Pump();
  EXPECT_EQ(drawn, (std::vector<TColumnIndex>{1}));  // only the owner-drawn column
  EXPECT_GT(CountColor(100, 0, 200, 17, Rgb(clLime)), 1500);
  EXPECT_EQ(CountColor(0, 0, 100, 17, Rgb(clLime)), 0);
  // The advanced way: the owner paints every background, the tree the rest.
  std::vector<TDataTreeColumn*> asked;
  t->OnHeaderDrawQueryElements = [&](TDTHeader*, THeaderPaintInfo& info, THeaderPaintElements& e) {
    asked.push_back(info.Column);
    e.Include(hpeBackground);
  };
  t->OnAdvancedHeaderDraw = [&](TDTHeader*, THeaderPaintInfo& info, const THeaderPaintElements& e) {
    EXPECT_TRUE(e.Contains(hpeBackground));
    info.TargetCanvas->Brush()->SetColor(clYellow);
    info.TargetCanvas->FillRect(info.PaintRectangle);
  };
  drawn.clear();
  t->Invalidate();
  Pump();
  EXPECT_TRUE(drawn.empty());
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0], nullptr);  // the header's background first
  EXPECT_GT(CountColor(0, 0, 300, 17, Rgb(clYellow)), 3000);
  EXPECT_GT(CountDark(0, 0, 200, 17), 10);  // the texts are still the tree's
}

TEST_F(Paint, RightToLeftRowsStartAtTheRightEdge) {
  TDataStringTree* t = MakeTree();
  t->SetRootNodeCount(3);
  t->SetChildCount(t->GetFirst(), 2);
  t->SetBiDiMode(bdRightToLeft);
  Pump();
  EXPECT_TRUE(GetWindowLongPtrW(t->Handle(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
  int w = t->ClientWidth();
  // The first row's button and text sit at the right; its left half is empty.
  uint32_t line = Rgb(clBtnShadow);
  EXPECT_GT(CountColor(w - 18, 0, w, 18, line), 20);
  EXPECT_EQ(CountColor(0, 0, 18, 18, line), 0);
  EXPECT_GT(CountDark(w - 80, 0, w - 22, 18), 10);
  EXPECT_EQ(CountDark(0, 0, w / 2, 18), 0);
  // Hit tests mirror with it: the button on the right, empty space on the left.
  THitInfo hit;
  t->GetHitTestInfoAt(w - 9, 9, true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(hpOnItemButton));
  t->GetHitTestInfoAt(w - 40, 9, true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(hpOnItemLabel));
  t->GetHitTestInfoAt(10, 9, true, hit);
  EXPECT_TRUE(hit.HitPositions.Contains(hpOnItemLeft));
  RECT text = t->GetDisplayRect(t->GetFirst(), NoColumn, true);
  EXPECT_EQ(text.right, w - int(t->Indent()) - t->Margin());
  // A click on the button opens the node; its children are indented from the right.
  backend.Click(w - 9, 9);
  Pump();
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  EXPECT_GT(CountDark(w - 100, 18, w - 40, 36), 10);
  // Columns follow the tree's mode unless they have their own.
  TDataTreeColumn* follows = t->Header()->Columns()->Add();
  TDataTreeColumn* own = t->Header()->Columns()->Add();
  own->SetBiDiMode(bdRightToLeftNoAlign);
  t->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(follows->BiDiMode(), bdLeftToRight);
  t->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(follows->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(own->BiDiMode(), bdRightToLeftNoAlign);
}

}  // namespace
}  // namespace qv::test
