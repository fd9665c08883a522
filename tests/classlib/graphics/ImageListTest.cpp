// TImageList: masked adding, transparent, disabled and overlay drawing, the
// handle API and change links.
#include <gtest/gtest.h>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"

namespace qv {
namespace {

// A strip of two 16x16 cells: a red square and a blue dot, on fuchsia.
void MakeStrip(TBitmap& strip) {
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(32, 16);
  TCanvas* c = strip.Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(RECT{0, 0, 32, 16});
  c->Brush()->SetColor(clRed);
  c->FillRect(RECT{4, 4, 12, 12});
  c->Brush()->SetColor(clBlue);
  c->FillRect(RECT{16 + 10, 10, 16 + 14, 14});
}

Surface Background() {
  TBitmap b(16, 16, pf24bit);
  b.Canvas()->Brush()->SetColor(clGreen);
  b.Canvas()->FillRect(RECT{0, 0, 16, 16});
  return b.ToSurface();
}

TEST(ImageList, MaskedDrawLeavesTransparentPixelsAlone) {
  TImageList list(nullptr);
  TBitmap strip;
  MakeStrip(strip);
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 2);

  TBitmap target(16, 16, pf24bit);
  target.FromSurface(Background(), false);
  list.Draw(target.Canvas(), 0, 0, 0);
  EXPECT_EQ(target.Canvas()->Pixels(5, 5), clRed);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      if (x < 4 || x >= 12 || y < 4 || y >= 12) {
        ASSERT_EQ(target.Canvas()->Pixels(x, y), clGreen);
      }
    }
}

TEST(ImageList, MaskBitmapAndOverlay) {
  TImageList list(nullptr);
  TBitmap strip, mask(32, 16, pf24bit);
  MakeStrip(strip);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(RECT{0, 0, 16, 16});  // first cell opaque, second clear but for the dot
  mask.Canvas()->FillRect(RECT{26, 10, 30, 14});
  list.Add(&strip, &mask);
  ASSERT_TRUE(list.Overlay(1, 0));

  TBitmap target(16, 16, pf24bit);
  target.FromSurface(Background(), false);
  list.DrawOverlay(target.Canvas(), 0, 0, 0, 0);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clFuchsia);  // opaque by the mask
  EXPECT_EQ(target.Canvas()->Pixels(5, 5), clRed);
  EXPECT_EQ(target.Canvas()->Pixels(11, 11), clBlue);  // the overlay's dot on top
  EXPECT_FALSE(list.Overlay(1, 15));
}

TEST(ImageList, DisabledAndBlendedLooksDifferFromNormal) {
  TImageList list(nullptr);
  TBitmap strip;
  MakeStrip(strip);
  list.AddMasked(&strip, clFuchsia);
  auto draw = [&](auto how) {
    TBitmap t(16, 16, pf24bit);
    t.FromSurface(Background(), false);
    how(t.Canvas());
    return t.ToSurface();
  };
  Surface normal = draw([&](TCanvas* c) { list.Draw(c, 0, 0, 0, true); });
  Surface disabled = draw([&](TCanvas* c) { list.Draw(c, 0, 0, 0, false); });
  Surface selected = draw([&](TCanvas* c) { list.Draw(c, 0, 0, 0, dsSelected, itImage); });
  EXPECT_NE(normal.Pixels, disabled.Pixels);
  EXPECT_NE(normal.Pixels, selected.Pixels);
  // Disabled: no red anywhere, and the background outside the shape stays.
  for (uint32_t p : disabled.Pixels) ASSERT_FALSE(PixelR(p) > 200 && PixelG(p) < 50);
  EXPECT_EQ(disabled.At(0, 0), normal.At(0, 0));
}

TEST(ImageList, HandleApiAndChangeLinks) {
  auto* list = new TImageList(nullptr, 20, 10);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(list->Handle(), &cx, &cy));
  EXPECT_EQ(cx, 20);
  EXPECT_EQ(cy, 10);

  TChangeLink link;
  int told = 0;
  link.OnChange = [&](TObject*) { ++told; };
  list->RegisterChanges(&link);
  TBitmap img(40, 10, pf24bit);
  list->BeginUpdate();
  list->AddMasked(&img, clFuchsia);
  list->Delete(0);
  list->EndUpdate();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(ImageList_GetImageCount(list->Handle()), 1);

  HIMAGELIST stale = list->Handle();
  delete list;
  EXPECT_EQ(link.Sender, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(stale), 0);
  EXPECT_FALSE(ImageList_Draw(stale, 0, nullptr, 0, 0, ILD_NORMAL));
}

// A list that wraps another's handle (as the shell's system list is shared)
// draws its images and takes its size, and leaves the handle alive when it
// goes or when a new size makes it an own list again; without ShareImages
// the handle is taken over and destroyed with the list.
TEST(ImageList, SharedHandleIsBorrowedNotDestroyed) {
  HIMAGELIST system = ImageList_Create(24, 24, ILC_COLOR32 | ILC_MASK, 4, 4);
  TBitmap img(48, 24, pf24bit);
  ImageList_Add(system, img.Handle(), nullptr);
  ASSERT_EQ(ImageList_GetImageCount(system), 2);

  int told = 0;
  TChangeLink link;
  link.OnChange = [&](TObject*) { ++told; };
  auto* shared = new TImageList(nullptr);
  shared->RegisterChanges(&link);
  shared->ShareImages = true;
  shared->SetHandle(system);
  EXPECT_EQ(told, 1);
  EXPECT_EQ(shared->Handle(), system);
  EXPECT_EQ(shared->Width(), 24);
  EXPECT_EQ(shared->Count(), 2);
  shared->SetSize(16, 16);  // an own, empty list; the borrowed one stays
  EXPECT_NE(shared->Handle(), system);
  EXPECT_EQ(shared->Count(), 0);
  EXPECT_EQ(ImageList_GetImageCount(system), 2);
  shared->SetHandle(system);
  delete shared;
  EXPECT_EQ(ImageList_GetImageCount(system), 2);

  auto* owner = new TImageList(nullptr);
  owner->SetHandle(system);
  delete owner;
  EXPECT_EQ(ImageList_GetImageCount(system), 0);
}

}  // namespace
}  // namespace qv
