// TComboBoxEx: items with images and indents, choosing one in the dropped
// list fires OnSelect then OnChange, setting ItemIndex from code fires
// nothing, and items changed later reach the window.
#include "../controls/ControlsTestSupport.h"
#include "classlib/comctrls/ComboBoxEx.h"
#include "classlib/graphics/ImageList.h"
#include "platform/comctl/ComboBoxEx.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"

namespace qv::test {
namespace {

using ComboEx = ControlsTest;

TEST_F(ComboEx, ChoosingAnItemFiresSelectThenChange) {
  TForm* f = NewForm();
  auto* images = new TImageList(f);
  auto* combo = new TComboBoxEx(f);
  combo->SetParent(f);
  combo->SetBounds(10, 10, 200, 22);
  combo->SetStyle(csExDropDownList);
  combo->SetImages(images);
  combo->ItemsEx()->AddItem("Computer", 0, 0, -1, 0, nullptr);
  combo->ItemsEx()->AddItem("/", 1, 1, -1, 1, nullptr);
  combo->ItemsEx()->AddItem("home", 2, 2, -1, 2, nullptr);
  combo->SetItemIndex(1);  // before the window: it shows the choice when made
  std::vector<std::string> log;
  combo->OnSelect = [&](TObject*) { log.push_back("select " + std::to_string(combo->ItemIndex())); };
  combo->OnChange = [&](TObject*) { log.push_back("change"); };
  f->Show();
  Pump();
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(combo->ItemIndex(), 1);
  COMBOBOXEXITEMW rec;
  rec.iItem = 2;
  SendMessageW(combo->Handle(), CBEM_GETITEMW, 0, LPARAM(&rec));
  EXPECT_EQ(rec.iIndent, 2);
  EXPECT_EQ(rec.iImage, 2);
  combo->SetItemIndex(0);
  EXPECT_TRUE(log.empty());
  // Dropped from code, then a click on the last row.
  combo->SetDroppedDown(true);
  Pump();
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(HWND(SendMessageW(combo->Handle(), CBEM_GETCOMBOCONTROL, 0, 0)), &info));
  RECT row;
  SendMessageW(info.hwndList, LB_GETITEMRECT, 2, LPARAM(&row));
  POINT at{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
  ClientToScreen(info.hwndList, &at);
  backend.Click(at.x, at.y);
  Pump();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"select 2", "change"}));
  // A caption changed later reaches the window; the choice stays.
  combo->ItemsEx()->Items(2)->SetCaption("Home");
  EXPECT_EQ(combo->ItemIndex(), 2);
  char16_t buf[16];
  rec.mask = CBEIF_TEXT;
  rec.buffer = buf;
  rec.cchTextMax = 16;
  SendMessageW(combo->Handle(), CBEM_GETITEMW, 0, LPARAM(&rec));
  EXPECT_EQ(std::u16string(buf), u"Home");
  delete combo->ItemsEx()->Items(0);
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
}

}  // namespace
}  // namespace qv::test
