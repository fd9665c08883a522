// A row's layout read back from a memory bitmap: the expand button inside
// its level's indent, the check box after the margin, the node's picture
// after the check and the text after the picture; a deeper row moves right by
// one indent; the selection highlight stays behind the text while the full
// row is highlighted under full-row select.
#include "TreeTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "platform/gdi/SystemColors.h"

namespace qv::test {
namespace {

class RowPainter : public TreeTest {
 protected:
  static uint32_t Rgb(TColor c) {
    COLORREF v = COLORREF(ColorToRGB(c));
    return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
  }
  // The tree's rows 0..Rows painted into a memory bitmap.
  void PaintRows(TBaseDataTree* t, int Rows) {
    bitmap = std::make_unique<TBitmap>(300, Rows * 18, pf32bit);
    t->PaintTree(bitmap->Canvas()->Handle(), RECT{0, 0, 300, Rows * 18}, POINT{0, 0},
                 TPaintTreeFlags{ptBackground, ptColumnColor, ptFocusRect, ptSelection, ptGridLines});
  }
  uint32_t At(int x, int y) { return Rgb(bitmap->Canvas()->Pixels(x, y)); }
  // The first and one past the last x of Rgb on line Y of row Row (its
  // middle by default) between From and To, or {-1, -1}.
  std::pair<int, int> Run(int Row, uint32_t rgb, int From = 0, int To = 300, int Y = 9) {
    int y = Row * 18 + Y, first = -1, last = -1;
    for (int x = From; x < To; ++x)
      if (At(x, y) == rgb) {
        if (first < 0) first = x;
        last = x + 1;
      }
    return {first, last};
  }
  // The first column from From on with a pixel Painted says is painted.
  template <class F>
  int First(int Row, int From, F Painted) {
    for (int x = From; x < 300; ++x)
      for (int y = Row * 18; y < Row * 18 + 18; ++y)
        if (Painted(At(x, y))) return x;
    return -1;
  }
  int FirstDark(int Row, int From) {
    return First(Row, From,
                 [](uint32_t p) { return (p >> 16 & 255) < 100 && (p >> 8 & 255) < 100 && (p & 255) < 100; });
  }
  std::unique_ptr<TBitmap> bitmap;
};

TEST_F(RowPainter, ButtonCheckPictureAndTextFollowEachOtherPerLevel) {
  TDataStringTree* t = NewTree({0, 0, 300, 200});
  t->SetNodeDataSize(4);
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) { s = u"Wx"; };
  TBitmap lime(16, 16, pf24bit);
  lime.Canvas()->Brush()->SetColor(clLime);
  lime.Canvas()->FillRect(RECT{0, 0, 16, 16});
  TCustomImageList images(nullptr, 16, 16);
  images.Add(&lime, nullptr);
  t->SetImages(&images);
  t->OnGetImageIndex = [](TBaseDataTree*, PDataNode, TDTImageKind k, TColumnIndex, bool&, int& i) {
    if (k == ikNormal || k == ikSelected) i = 0;
  };
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  t->SetRootNodeCount(1);
  PDataNode root = t->GetFirst();
  t->SetChildCount(root, 1);
  t->SetExpanded(root, true);
  PDataNode child = t->GetFirst()->FirstChild;
  for (PDataNode n : {root, child}) t->SetCheckType(n, ctCheckBox);
  ASSERT_TRUE(t->CheckImages());
  const int indent = int(t->Indent()), check = t->CheckImages()->Width();
  PaintRows(t, 2);

  // The root's button, 9 pixels square, is centred in its indent step (read
  // along its top edge: on the middle line the tree line runs on).
  const int buttonLeft = (indent - 9) / 2;
  EXPECT_EQ(Run(0, Rgb(clBtnShadow), 0, indent, 9 - 4), std::make_pair(buttonLeft, buttonLeft + 9));
  for (int level : {0, 1}) {
    int picture = indent * (level + 1) + t->Margin() + check + 2;
    EXPECT_EQ(Run(level, Rgb(clLime)), std::make_pair(picture, picture + 16)) << "level " << level;
    // The check box lies after the indent and the margin, before the picture;
    // the text starts after the picture.
    uint32_t window = Rgb(clWindow);
    int box = First(level, indent * (level + 1), [&](uint32_t p) { return p != window; });
    EXPECT_GE(box, indent * (level + 1) + t->Margin()) << "level " << level;
    EXPECT_LT(box, indent * (level + 1) + t->Margin() + check / 2) << "level " << level;
    EXPECT_GE(FirstDark(level, picture + 16), picture + 16 + 2);
  }

  // Selected without full-row select: the highlight starts after the picture.
  uint32_t highlight = Rgb(clHighlight);
  t->SetSelected(child, true);
  PaintRows(t, 2);
  auto sel = Run(1, highlight);
  EXPECT_GE(sel.first, indent * 2 + t->Margin() + check + 2 + 16 + 2);
  EXPECT_GT(sel.second, sel.first + 2 * t->TextMargin());
  EXPECT_EQ(Run(0, highlight).first, -1);
  // Full-row select: the highlight runs from the row's left edge.
  t->TreeOptions()->SetSelectionOptions({toFullRowSelect});
  PaintRows(t, 2);
  EXPECT_EQ(Run(1, highlight).first, 0);
  EXPECT_EQ(Run(1, highlight).second, 300);
}

}  // namespace
}  // namespace qv::test
