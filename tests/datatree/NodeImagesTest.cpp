// Node images checked on pixels: overlays from the owner's overlay index, the
// faded look of ghosted, cut and selected nodes (and when the tree's focus
// matters), the greyed look of disabled nodes and trees, and the background
// picture that stays in place while the rows scroll.
#include "TransferTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/graphics/Picture.h"
#include "platform/gdi/SystemColors.h"

namespace qv::test {
namespace {

uint32_t Rgb(TColor c) {
  COLORREF v = COLORREF(ColorToRGB(c));
  return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
}

// Half of a, half of b, per channel.
uint32_t Half(uint32_t a, uint32_t b) {
  uint32_t r = 0;
  for (int shift : {0, 8, 16}) r |= (((a >> shift & 255) + (b >> shift & 255)) / 2) << shift;
  return r;
}

bool Near(uint32_t a, uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(int(a >> shift & 255) - int(b >> shift & 255)) > 2) return false;
  return true;
}

class NodeImages : public TransferTest {
 protected:
  // Pixels near `rgb` where row `row` shows its image (right of the tree lines).
  int CountIn(int row, uint32_t rgb) {
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int y = row * 18; y < row * 18 + 18; ++y)
      for (int x = 20; x < 40; ++x) n += Near(shot.At(x, y) & 0xFFFFFF, rgb);
    return n;
  }
  // A 16 x 16 cell in fuchsia (transparent) with a filled rectangle.
  void AddCell(TCustomImageList& list, RECT r, TColor c) {
    TBitmap cell(16, 16, pf24bit);
    cell.Canvas()->Brush()->SetColor(clFuchsia);
    cell.Canvas()->FillRect(RECT{0, 0, 16, 16});
    cell.Canvas()->Brush()->SetColor(c);
    cell.Canvas()->FillRect(r);
    list.AddMasked(&cell, clFuchsia);
  }
};

TEST_F(NodeImages, OverlaysAndTheGhostedCutSelectedAndDisabledLooks) {
  TDataStringTree* t = NewTree({0, 0, 300, 300});
  t->ClipboardFormats()->Add("Data Tree Data");
  // Somewhere else for the focus to go.
  auto* other = new TDataStringTree(form);
  other->SetBounds(0, 280, 50, 20);
  other->SetParent(form);
  // 0: a blue square in the middle; 1: a red corner (overlay 0); 2-15: empty;
  // 16: a green corner on the other side, drawn over the image as index 16.
  TCustomImageList list(nullptr, 16, 16);
  AddCell(list, RECT{3, 3, 13, 13}, TColor(0xFF0000));
  AddCell(list, RECT{0, 0, 3, 3}, TColor(0x0000FF));
  for (int i = 2; i < 16; ++i) AddCell(list, RECT{}, clFuchsia);
  AddCell(list, RECT{13, 13, 16, 16}, TColor(0x00FF00));
  list.Overlay(1, 0);
  t->SetImages(&list);
  enum Row { Plain, Overlay, OverlayImage, Ghosted, Cut, Selected, Disabled, Count };
  t->SetRootNodeCount(Count);
  t->OnGetImageIndex = [](TBaseDataTree*, PDataNode n, TDTImageKind kind, TColumnIndex, bool& ghosted,
                          int& index) {
    if (kind == ikOverlay) {
      index = n->Index == Overlay || n->Index == Disabled ? 0 : n->Index == OverlayImage ? 16 : -1;
      return;
    }
    if (kind == ikState) return;
    index = 0;
    ghosted = n->Index == Ghosted;
  };
  std::vector<PDataNode> rows;
  for (PDataNode n = t->GetFirst(); n; n = t->GetNextSibling(n)) rows.push_back(n);
  t->SetSelected(rows[Cut], true);
  t->CutToClipboard();
  t->ClearSelection();
  t->SetSelected(rows[Selected], true);
  t->SetDisabled(rows[Disabled], true);
  t->SetFocus();
  Pump();
  const uint32_t blue = 0x0000FF, red = 0xFF0000, green = 0x00FF00, white = Rgb(t->Color());
  const uint32_t faded = Half(blue, white), highlighted = Half(blue, Rgb(clHighlight));
  const uint32_t shadow = Rgb(clBtnShadow);
  EXPECT_EQ(CountIn(Plain, blue), 100);
  EXPECT_EQ(CountIn(Plain, red) + CountIn(Plain, green), 0);
  EXPECT_EQ(CountIn(Overlay, blue), 100);
  EXPECT_EQ(CountIn(Overlay, red), 9);
  EXPECT_EQ(CountIn(OverlayImage, green), 9);
  EXPECT_EQ(CountIn(OverlayImage, red), 0);
  EXPECT_EQ(CountIn(Ghosted, faded), 100);
  EXPECT_EQ(CountIn(Cut, faded), 100);
  EXPECT_EQ(CountIn(Selected, highlighted), 100);
  // Disabled: the embossed shape, the overlay's corner included, and no colour.
  EXPECT_EQ(CountIn(Disabled, blue) + CountIn(Disabled, red), 0);
  EXPECT_EQ(CountIn(Disabled, shadow), 109);

  // Without the focus only ghostly images stay faded when the tree asks for it.
  other->SetFocus();
  Pump();
  ASSERT_FALSE(t->Focused());
  EXPECT_EQ(CountIn(Ghosted, blue), 100);
  EXPECT_EQ(CountIn(Cut, blue), 100);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toGhostedIfUnfocused);
  Pump();
  EXPECT_EQ(CountIn(Ghosted, faded), 100);
  EXPECT_EQ(CountIn(Cut, faded), 100);
  // Blended images switched off: every enabled image in its own colours.
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - toUseBlendedImages);
  Pump();
  for (int row : {Ghosted, Cut, Selected}) EXPECT_EQ(CountIn(row, blue), 100) << row;
  // A disabled tree greys every image.
  t->SetEnabled(false);
  Pump();
  for (int row = Plain; row < Count; ++row) EXPECT_EQ(CountIn(row, blue), 0) << row;
  EXPECT_EQ(CountIn(Plain, shadow), 100);
  t->SetImages(nullptr);
}

TEST_F(NodeImages, AStaticBackgroundStaysWhileTheRowsScroll) {
  TDataStringTree* t = NewTree({0, 0, 300, 200});
  t->SetRootNodeCount(30);
  // A 40 x 30 picture: red, with a fuchsia (transparent) left half.
  TBitmap* bmp = t->Background()->Bitmap();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(40, 30);
  bmp->Canvas()->Brush()->SetColor(clRed);
  bmp->Canvas()->FillRect(RECT{0, 0, 40, 30});
  t->SetBackgroundOffsetX(200);
  t->SetBackgroundOffsetY(25);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toShowBackground + toStaticBackground);
  Pump();
  auto count = [&](RECT r, uint32_t rgb) {
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += (shot.At(x, y) & 0xFFFFFF) == rgb;
    return n;
  };
  const RECT at{200, 25, 240, 55};
  EXPECT_EQ(count(at, 0xFF0000), 40 * 30);
  EXPECT_EQ(count(RECT{0, 0, 280, 200}, 0xFF0000), 40 * 30);  // once, not tiled
  t->SetOffsetY(-37);
  Pump();
  EXPECT_EQ(count(at, 0xFF0000), 40 * 30);
  EXPECT_EQ(count(RECT{0, 0, 280, 200}, 0xFF0000), 40 * 30);
  // Below the last row too.
  t->SetRootNodeCount(2);
  Pump();
  EXPECT_EQ(count(at, 0xFF0000), 40 * 30);
  // A transparent picture keeps the tree's colour where it is transparent.
  bmp->Canvas()->Brush()->SetColor(clFuchsia);
  bmp->Canvas()->FillRect(RECT{0, 0, 20, 30});
  bmp->SetTransparentColor(clFuchsia);
  bmp->SetTransparent(true);
  t->Invalidate();
  Pump();
  EXPECT_EQ(count(at, 0xFF0000), 20 * 30);
  EXPECT_EQ(count(at, Rgb(t->Color())), 20 * 30);
  // Tiled, the picture repeats over the rows.
  t->SetRootNodeCount(30);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - toStaticBackground);
  bmp->SetTransparent(false);
  Pump();
  EXPECT_GT(count(RECT{0, 0, 280, 200}, 0xFF0000), 10 * 20 * 30);
}

}  // namespace
}  // namespace qv::test
