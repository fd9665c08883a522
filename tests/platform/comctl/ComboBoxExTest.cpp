// The extended combo box: items with images and indents drawn in the
// dropped list (indented) and in the field (not), CBEM_* item records,
// the child's notifications coming out as its own, and the editable
// style's edit child.
#include "BarTestSupport.h"
#include "platform/comctl/ComboBoxEx.h"
#include "platform/controls/ComboBox.h"
#include "platform/gdi/ImageListApi.h"

namespace qv::test {
namespace {

using ComboBoxEx = BarTest;

HIMAGELIST RedAndBlue() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32, 2, 2);
  Surface strip(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) strip.Set(x, y, x < 16 ? 0xFFFF0000 : 0xFF0000FF);
  ImageList_AddSurface(list, strip);
  return list;
}

void Add(HWND cb, const char16_t* text, int image, int indent) {
  COMBOBOXEXITEMW item;
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_INDENT | CBEIF_LPARAM;
  item.pszText = text;
  item.iImage = image;
  item.iIndent = indent;
  item.lParam = indent * 100;
  SendMessageW(cb, CBEM_INSERTITEMW, 0, LPARAM(&item));
}

TEST_F(ComboBoxEx, ItemsDrawTheirImagesIndentedInTheList) {
  HIMAGELIST images = RedAndBlue();
  HWND cb = Make(WC_COMBOBOXEXW, CBS_DROPDOWNLIST, {10, 10, 210, 160}, 12);
  SendMessageW(cb, CBEM_SETIMAGELIST, 0, LPARAM(images));
  Add(cb, u"Computer", 0, 0);
  Add(cb, u"Home", 1, 2);
  EXPECT_EQ(SendMessageW(cb, CB_GETCOUNT, 0, 0), 2);
  RECT r;
  GetWindowRect(cb, &r);
  EXPECT_LT(r.Height(), 40);  // as high as the closed field
  char16_t buf[16];
  COMBOBOXEXITEMW item;
  item.mask = CBEIF_TEXT;
  item.iItem = 1;
  item.buffer = buf;
  item.cchTextMax = 16;
  ASSERT_TRUE(SendMessageW(cb, CBEM_GETITEMW, 0, LPARAM(&item)));
  EXPECT_EQ(std::u16string(buf), u"Home");
  EXPECT_EQ(item.iIndent, 2);
  EXPECT_EQ(item.lParam, 200);
  EXPECT_EQ(SendMessageW(cb, CBEM_GETEDITCONTROL, 0, 0), 0);  // the list style has no edit
  // Chosen from code: the field shows the image, not indented.
  SendMessageW(cb, CB_SETCURSEL, 1, 0);
  backend.Pump();
  EXPECT_GT(CountColour({10, 10, 40, r.Height() + 10}, PixelRGB(0, 0, 255) & 0xFFFFFF), 100);
  // Dropped: each row's image moves right by its indent.
  SendMessageW(cb, CB_SHOWDROPDOWN, TRUE, 0);
  backend.Pump();
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(HWND(SendMessageW(cb, CBEM_GETCOMBOCONTROL, 0, 0)), &info));
  RECT list;
  GetWindowRect(info.hwndList, &list);
  Surface shot = backend.Screenshot();
  auto firstOf = [&](uint32_t colour) {
    for (int y = list.top; y < list.bottom; ++y)
      for (int x = list.left; x < list.right; ++x)
        if ((shot.At(x, y) & 0xFFFFFF) == colour) return POINT{x - list.left, y - list.top};
    return POINT{-1, -1};
  };
  POINT red = firstOf(PixelRGB(255, 0, 0) & 0xFFFFFF), blue = firstOf(PixelRGB(0, 0, 255) & 0xFFFFFF);
  ASSERT_GE(red.x, 0);
  ASSERT_GE(blue.x, 0);
  EXPECT_EQ(blue.x - red.x, 2 * kComboExIndent);
  EXPECT_GT(blue.y, red.y);
  SendMessageW(cb, CB_SHOWDROPDOWN, FALSE, 0);
  // Deleting and resetting keep the records and the list together.
  SendMessageW(cb, CBEM_DELETEITEM, 0, 0);
  item.iItem = 0;
  ASSERT_TRUE(SendMessageW(cb, CBEM_GETITEMW, 0, LPARAM(&item)));
  EXPECT_EQ(std::u16string(buf), u"Home");
  EXPECT_EQ(SendMessageW(cb, CBEM_DELETEITEM, 5, 0), CB_ERR);
  SendMessageW(cb, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(cb, CB_GETCOUNT, 0, 0), 0);
  EXPECT_FALSE(SendMessageW(cb, CBEM_GETITEMW, 0, LPARAM(&item)));
  DestroyWindow(cb);
  ImageList_Destroy(images);
}

TEST_F(ComboBoxEx, EditableStyleKeepsItsEditAndNotifiesAsItself) {
  HWND cb = Make(WC_COMBOBOXEXW, CBS_DROPDOWN, {10, 10, 210, 160}, 12);
  Add(cb, u"First", -1, 0);
  Add(cb, u"Second", -1, 1);
  HWND edit = HWND(SendMessageW(cb, CBEM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetFocus(edit);
  backend.TypeText(u"Se");
  backend.Pump();
  EXPECT_TRUE(SendMessageW(cb, CBEM_HASEDITCHANGED, 0, 0));
  EXPECT_FALSE(SendMessageW(cb, CBEM_HASEDITCHANGED, 0, 0));
  // The child's notifications reach the parent with the extended combo's id.
  auto log = TakeLog();
  EXPECT_FALSE(log.empty());
  for (auto& l : log) EXPECT_EQ(l, "command 12");
  SendMessageW(cb, CB_SETCURSEL, 1, 0);
  char16_t text[16];
  GetWindowTextW(cb, text, 16);
  EXPECT_EQ(std::u16string(text), u"Second");
}

}  // namespace
}  // namespace qv::test
