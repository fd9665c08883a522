// TIcon's handle: made lazily from the pixels, dropped when they change,
// adopted and released; image lists taking and giving icons through handles.
#include <gtest/gtest.h>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Icon.h"
#include "classlib/graphics/ImageList.h"
#include "platform/gdi/Gdi.h"

namespace qv {
namespace {

// 16 x 16: a clear left half and an opaque red right half.
Surface HalfRed() {
  Surface s(16, 16, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 8; x < 16; ++x) s.Set(x, y, 0xFFFF0000);
  return s;
}

TEST(IconHandle, FollowsThePixels) {
  TIcon icon;
  EXPECT_EQ(icon.Handle(), nullptr);  // nothing to make a handle of
  icon.SetPixels(HalfRed());
  EXPECT_FALSE(icon.HandleAllocated());
  HICON h = icon.Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(icon.Handle(), h);
  Surface back;
  ASSERT_TRUE(IconPixels(h, back));
  EXPECT_EQ(back.Pixels, HalfRed().Pixels);
  // New pixels drop the old handle, which is then stale.
  icon.SetPixels(Surface(4, 4, 0xFF00FF00));
  EXPECT_FALSE(icon.HandleAllocated());
  EXPECT_FALSE(DestroyIcon(h));
  int w = 0, ht = 0;
  ASSERT_TRUE(IconSize(icon.Handle(), w, ht));
  EXPECT_EQ(w, 4);
  // Released handles belong to the caller and survive the icon.
  HICON released;
  {
    TIcon other;
    other.SetPixels(HalfRed());
    released = other.ReleaseHandle();
    EXPECT_FALSE(other.HandleAllocated());
    EXPECT_FALSE(other.Empty());
  }
  TBitmap target(16, 16, pf32bit);
  target.Canvas()->Brush()->SetColor(clBlue);
  target.Canvas()->FillRect(RECT{0, 0, 16, 16});
  EXPECT_TRUE(DrawIconEx(target.Canvas()->Handle(), 0, 0, released, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(target.Canvas()->Pixels(2, 2), clBlue);
  EXPECT_EQ(target.Canvas()->Pixels(12, 2), clRed);
  EXPECT_TRUE(DestroyIcon(released));
}

TEST(IconHandle, SetHandleAdoptsAndRejectsUnknownHandles) {
  TIcon icon;
  HICON h = CreateIconFromPixels(HalfRed());
  int changes = 0;
  icon.OnChange = [&](TObject*) { ++changes; };
  icon.SetHandle(h);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(icon.Handle(), h);
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Pixels().At(12, 3), 0xFFFF0000u);
  EXPECT_THROW(icon.SetHandle(reinterpret_cast<HICON>(uintptr_t(32512))), EInvalidGraphic);
  EXPECT_EQ(icon.Handle(), h);  // unchanged after the failed call
}

TEST(IconHandle, ImageListsTradeIconsThroughHandles) {
  TImageList list(nullptr);
  TIcon in;
  in.SetPixels(HalfRed());
  EXPECT_EQ(list.AddIcon(&in), 0);
  EXPECT_EQ(list.AddIcon(&in), 1);
  TIcon out;
  ASSERT_TRUE(list.GetIcon(1, &out));
  EXPECT_TRUE(out.HandleAllocated());
  EXPECT_EQ(out.Pixels().Pixels, HalfRed().Pixels);
  EXPECT_FALSE(list.GetIcon(5, &out));
  // A larger icon is cropped to the cell; the handle API appends with -1.
  HICON big = CreateIconFromPixels(Surface(20, 20, 0xFF0000FF));
  EXPECT_EQ(ImageList_ReplaceIcon(list.Handle(), -1, big), 2);
  EXPECT_EQ(ImageList_ReplaceIcon(list.Handle(), 0, big), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list.Handle(), 9, big), -1);
  DestroyIcon(big);
  HICON first = ImageList_GetIcon(list.Handle(), 0, ILD_NORMAL);
  int w = 0, h = 0;
  ASSERT_TRUE(IconSize(first, w, h));
  EXPECT_EQ(w, 16);
  Surface px;
  IconPixels(first, px);
  EXPECT_EQ(px.At(0, 0), 0xFF0000FFu);
  DestroyIcon(first);
  EXPECT_EQ(list.Count(), 3);
}

}  // namespace
}  // namespace qv
