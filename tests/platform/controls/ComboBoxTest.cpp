// The COMBOBOX class: dropping the list by mouse and keys, choosing or
// cancelling with the exact notification order, outside clicks, keyboard
// selection and search while closed, the children a subclasser finds, the
// height rule of the drop-down styles, and the owner-drawn field.
#include <algorithm>

#include "ListTestSupport.h"
#include "platform/gdi/SystemColors.h"

namespace qv::test {
namespace {

using ComboBoxTest = ListTest;
using Codes = std::vector<WORD>;

HWND ListOf(HWND combo) {
  COMBOBOXINFO info;
  EXPECT_TRUE(GetComboBoxInfo(combo, &info));
  return info.hwndList;
}

HWND FillFruit(HWND combo) {
  for (auto* s : {u"apple", u"banana", u"cherry", u"damson", u"elder"})
    SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(s));
  return combo;
}

TEST_F(ComboBoxTest, AClickDropsTheListAndAClickOnAnItemChoosesIt) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST));
  RECT wr;
  GetWindowRect(combo, &wr);
  EXPECT_EQ(wr.Height(), 21) << "the field's height, not the requested one";
  ClickAt(combo, 20, 10);
  EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  HWND list = ListOf(combo);
  EXPECT_TRUE(IsWindowVisible(list));
  RECT lr;
  GetWindowRect(list, &lr);
  EXPECT_EQ(lr.left, wr.left);
  EXPECT_EQ(lr.top, wr.bottom);
  EXPECT_EQ(GetFocus(), combo);
  EXPECT_EQ(ListLog().codes, (Codes{CBN_SETFOCUS, CBN_DROPDOWN}));
  ListLog().codes.clear();
  // Moving over the list tracks the row under the mouse; the release chooses it.
  int h = int(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  ClickAt(list, 10, 2 * h + 2);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(ListLog().codes, (Codes{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  char16_t buf[32] = {};
  GetWindowTextW(combo, buf, 32);
  EXPECT_EQ(std::u16string(buf), u"cherry");
  EXPECT_EQ(GetCapture(), nullptr);
}

// A parent that destroys the combo as soon as a choice is made.
LRESULT ClosingParent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COMMAND && HIWORD(w) == CBN_SELCHANGE) DestroyWindow(reinterpret_cast<HWND>(l));
  return DefWindowProcW(h, m, w, l);
}

TEST_F(ComboBoxTest, AComboDestroyedByItsChoiceIsLeftAlone) {
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&ClosingParent));
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST));
  ClickAt(combo, 20, 10);
  HWND list = ListOf(combo);
  ClickAt(list, 10, 30);
  EXPECT_FALSE(IsWindow(combo));
  EXPECT_FALSE(IsWindow(list));
  HWND second = FillFruit(NewCombo(CBS_DROPDOWN));
  SetFocus(second);
  Key(VK_DOWN);
  EXPECT_FALSE(IsWindow(second));
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&ListParentProc));
}

TEST_F(ComboBoxTest, APressDraggedIntoTheListChoosesOnRelease) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST));
  POINT down{20, 10};
  ClientToScreen(combo, &down);
  backend.MouseMove(down.x, down.y);
  backend.MouseDown();
  backend.Pump();
  HWND list = ListOf(combo);
  int h = int(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  POINT over{10, 3 * h + 2};
  ClientToScreen(list, &over);
  backend.MouseMove(over.x, over.y);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
}

TEST_F(ComboBoxTest, AClickOutsideClosesWithoutChoosing) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST));
  SendMessageW(combo, CB_SETCURSEL, 1, 0);
  ClickAt(combo, 20, 10);
  HWND list = ListOf(combo);
  int h = int(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  POINT over{10, 4 * h + 2};
  ClientToScreen(list, &over);
  backend.MouseMove(over.x, over.y);  // tracking moves the list's selection
  backend.Pump();
  ListLog().codes.clear();
  backend.Click(5, 300);
  backend.Pump();
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1) << "the earlier choice is back";
  EXPECT_EQ(ListLog().codes, (Codes{CBN_SELENDCANCEL, CBN_CLOSEUP}));
  // A click on the combo itself while dropped closes it too (and does not reopen it).
  ClickAt(combo, 20, 10);
  ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  ClickAt(combo, 20, 10);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
}

TEST_F(ComboBoxTest, TheDroppedListsScrollBarScrollsWithoutClosing) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST));
  for (int i = 0; i < 20; ++i) SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(u"z more"));
  SetWindowPos(combo, nullptr, 0, 0, 150, 21 + 4 * 13 + 2, SWP_NOMOVE | SWP_NOZORDER);
  ClickAt(combo, 20, 10);
  HWND list = ListOf(combo);
  ASSERT_TRUE(IsWindowVisible(list));
  RECT wr;
  GetWindowRect(list, &wr);
  // The down arrow at the bottom of the bar.
  backend.Click(wr.right - 5, wr.bottom - 5);
  backend.Pump();
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(combo, CB_GETTOPINDEX, 0, 0), 1);
  EXPECT_EQ(GetCapture(), list) << "the list keeps tracking the mouse";
  backend.Click(5, 300);
  backend.Pump();
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
}

// Scroll-bar styles are for the dropped list; the field shows no scroll bar.
TEST_F(ComboBoxTest, ScrollBarStylesGoToTheListNotTheField) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST | WS_VSCROLL | WS_HSCROLL));
  EXPECT_FALSE(GetWindowLongPtrW(combo, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
  RECT wr, cr;
  GetWindowRect(combo, &wr);
  GetClientRect(combo, &cr);
  EXPECT_EQ(cr.Width(), wr.Width());
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  EXPECT_EQ(info.rcButton.right, wr.Width() - 2);  // the drop button sits at the right edge
}

TEST_F(ComboBoxTest, KeysDropChooseAndCancel) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST));
  SetFocus(combo);
  backend.Pump();
  ListLog().codes.clear();
  // Closed: arrows change the selection at once.
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(ListLog().codes, (Codes{CBN_SELCHANGE, CBN_SELCHANGE}));
  ListLog().codes.clear();
  Key(VK_F4);
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(ListLog().codes,
            (Codes{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  ListLog().codes.clear();
  // Alt+Down drops, Escape puts the earlier choice back.
  backend.KeyDown(VK_MENU);
  Key(VK_DOWN);
  backend.KeyUp(VK_MENU);
  backend.Pump();
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  Key(VK_HOME);
  Key(VK_ESCAPE);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(ListLog().codes, (Codes{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  // Typing searches the items while closed.
  Type(u"e");
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 4);
  Type(u"A");
  backend.AdvanceClock(1500);
  Type(u"b");
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  // Losing the focus closes a dropped list.
  Key(VK_F4);
  SetFocus(parent);
  backend.Pump();
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
}

TEST_F(ComboBoxTest, ProgrammaticChangesDoNotNotify) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST | CBS_SORT));
  SendMessageW(combo, CB_INSERTSTRING, 0, LPARAM(u"zebra"));
  SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(u"Blackberry"));
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(u"blackberry")), 3);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 3, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_SETITEMDATA, 3, 42), TRUE);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 3, 0), 42);
  EXPECT_EQ(SendMessageW(combo, WM_SETTEXT, 0, LPARAM(u"CHERRY")), TRUE) << "selects the item with that text";
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 4);
  EXPECT_EQ(SendMessageW(combo, WM_SETTEXT, 0, LPARAM(u"kiwi")), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 0, 0), 5);
  EXPECT_EQ(Text(combo, 0, CB_GETLBTEXT), u"zebra");
  SendMessageW(combo, CB_DELETESTRING, 4, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(ListLog().codes, (Codes{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST_F(ComboBoxTest, SubclassersFindTheChildrenAndTheButton) {
  HWND combo = NewCombo(CBS_DROPDOWNLIST, RECT{200, 10, 350, 200});
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  EXPECT_EQ(info.hwndCombo, combo);
  EXPECT_EQ(info.hwndItem, combo);
  EXPECT_TRUE(IsWindow(info.hwndList));
  EXPECT_FALSE(IsWindowVisible(info.hwndList));
  RECT client;
  GetClientRect(combo, &client);
  EXPECT_EQ(info.rcButton.right, client.right - 2);
  EXPECT_EQ(info.rcButton.Width(), 16);
  EXPECT_EQ(info.rcItem.right, info.rcButton.left);
  COMBOBOXINFO viaMessage;
  EXPECT_TRUE(SendMessageW(combo, CB_GETCOMBOBOXINFO, 0, LPARAM(&viaMessage)));
  EXPECT_EQ(viaMessage.hwndList, info.hwndList);
  HWND plain = NewList(0);
  EXPECT_FALSE(GetComboBoxInfo(plain, &info));
  // A taller request sets the dropped list's height; the field keeps its own.
  FillFruit(combo);
  for (int i = 0; i < 20; ++i) SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(u"more"));
  SetWindowPos(combo, nullptr, 0, 0, 150, 21 + 3 * 13 + 2, SWP_NOMOVE | SWP_NOZORDER);
  RECT wr;
  GetWindowRect(combo, &wr);
  EXPECT_EQ(wr.Height(), 21);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  RECT lr;
  GetWindowRect(info.hwndList, &lr);
  EXPECT_EQ(lr.Height(), 3 * 13 + 2);
  // The dropped-control rectangle is the field and the list together.
  RECT dr;
  SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, LPARAM(&dr));
  EXPECT_EQ(dr.Height(), 21 + 3 * 13 + 2);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  DestroyWindow(combo);
  EXPECT_FALSE(IsWindow(info.hwndList)) << "the popup list goes with its combo";
}

TEST_F(ComboBoxTest, OwnerDrawnComboDrawsItsFieldAndRowsThroughTheParent) {
  ListLog().measure = [](MEASUREITEMSTRUCT& m) { m.itemHeight = 18; };
  HWND combo = NewCombo(CBS_OWNERDRAWFIXED | CBS_DROPDOWN);
  ASSERT_GE(ListLog().measured.size(), 2u);
  EXPECT_EQ(ListLog().measured[0].CtlType, ODT_COMBOBOX);
  EXPECT_EQ(ListLog().measured[0].itemID, UINT(-1)) << "the field first";
  EXPECT_EQ(ListLog().measured[1].CtlID, 9u);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0), 18);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), 18);
  COMBOBOXINFO info;
  GetComboBoxInfo(combo, &info);
  EXPECT_EQ(info.hwndItem, combo) << "owner-drawn styles have no edit";
  for (int i = 0; i < 3; ++i) SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(u"x"));
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  ListLog().drawn.clear();
  backend.Pump();
  ASSERT_FALSE(ListLog().drawn.empty());
  auto& field = ListLog().drawn.back();
  EXPECT_EQ(field.CtlType, ODT_COMBOBOX);
  EXPECT_EQ(field.hwndItem, combo);
  EXPECT_EQ(field.itemID, 2u);
  EXPECT_TRUE(field.itemState & ODS_COMBOBOXEDIT);
  ListLog().drawn.clear();
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  backend.Pump();
  int rows = 0;
  for (auto& d : ListLog().drawn)
    if (!(d.itemState & ODS_COMBOBOXEDIT)) {
      ++rows;
      EXPECT_EQ(d.CtlType, ODT_COMBOBOX);
      EXPECT_EQ(d.hwndItem, combo);
      EXPECT_EQ(d.rcItem.Height(), 18);
    }
  EXPECT_EQ(rows, 3);
}

TEST_F(ComboBoxTest, PaintsTheFocusedChoiceHighlightedAndTheButton) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWNLIST));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  backend.Pump();
  COMBOBOXINFO info;
  GetComboBoxInfo(combo, &info);
  uint32_t window = Pixel(GetSysColor(COLOR_WINDOW));
  int midY = (info.rcItem.top + info.rcItem.bottom) / 2;
  EXPECT_EQ(PixelAt(combo, info.rcItem.right - 4, midY), window);
  SetFocus(combo);
  backend.Pump();
  EXPECT_EQ(PixelAt(combo, info.rcItem.right - 4, midY), Pixel(GetSysColor(COLOR_HIGHLIGHT)));
  // The button face, with a dark arrow in its middle.
  EXPECT_EQ(PixelAt(combo, info.rcButton.left + 3, info.rcButton.top + 3), Pixel(GetSysColor(COLOR_BTNFACE)));
  int cx = (info.rcButton.left + info.rcButton.right) / 2,
      cy = (info.rcButton.top + info.rcButton.bottom) / 2;
  bool arrow = false;
  for (int dx = -3; dx <= 3; ++dx)
    for (int dy = -2; dy <= 2; ++dy) arrow = arrow || PixelAt(combo, cx + dx, cy + dy) == 0;
  EXPECT_TRUE(arrow);
}

TEST_F(ComboBoxTest, TheEditableStyleTypesInItsEditAndTakesItemsIntoIt) {
  HWND combo = FillFruit(NewCombo(CBS_DROPDOWN | CBS_AUTOHSCROLL));
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  ASSERT_NE(info.hwndItem, combo);
  char16_t cls[16] = {};
  GetClassNameW(info.hwndItem, cls, 16);
  EXPECT_EQ(std::u16string(cls), u"EDIT");
  SetFocus(combo);
  backend.Pump();
  EXPECT_EQ(GetFocus(), info.hwndItem) << "the edit takes the combo's focus";
  ListLog().codes.clear();
  Type(u"ch");
  char16_t buf[32] = {};
  GetWindowTextW(combo, buf, 32);
  EXPECT_EQ(std::u16string(buf), u"ch");
  EXPECT_EQ(std::count(ListLog().codes.begin(), ListLog().codes.end(), CBN_EDITCHANGE), 2);
  ListLog().codes.clear();
  // Down from free text starts at the item it begins, and shows it in the edit.
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  GetWindowTextW(combo, buf, 32);
  EXPECT_EQ(std::u16string(buf), u"cherry");
  Key(VK_DOWN);
  GetWindowTextW(combo, buf, 32);
  EXPECT_EQ(std::u16string(buf), u"damson");
  EXPECT_EQ(ListLog().codes, (Codes{CBN_SELCHANGE, CBN_SELCHANGE})) << "no edit change for a chosen item";
  // F4 in the edit drops the list on the item the text names.
  SetWindowTextW(combo, u"Banana");
  Key(VK_F4);
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(info.hwndList, LB_GETCURSEL, 0, 0), 1);
  Key(VK_ESCAPE);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  // A click on the button drops it; a click in the edit does not.
  ClickAt(combo, info.rcItem.left + 5, 10);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  ClickAt(combo, info.rcButton.left + 4, 10);
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(SendMessageW(combo, CB_LIMITTEXT, 3, 0), TRUE);
  SetFocus(parent);
  backend.Pump();
  EXPECT_EQ(ListLog().codes.back(), CBN_KILLFOCUS);
}

TEST_F(ComboBoxTest, TheSimpleStyleShowsItsListBelowTheEdit) {
  HWND combo = FillFruit(NewCombo(CBS_SIMPLE, RECT{200, 10, 350, 150}));
  COMBOBOXINFO info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  EXPECT_TRUE(IsWindowVisible(info.hwndList));
  EXPECT_EQ(GetParent(info.hwndList), combo);
  RECT wr, lr;
  GetWindowRect(combo, &wr);
  GetWindowRect(info.hwndList, &lr);
  EXPECT_EQ(wr.Height(), 140) << "a simple combo keeps its height";
  EXPECT_EQ(lr.bottom, wr.bottom);
  SetFocus(combo);
  Key(VK_DOWN);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  int h = int(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  ClickAt(info.hwndList, 10, 3 * h + 2);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  char16_t buf[32] = {};
  GetWindowTextW(combo, buf, 32);
  EXPECT_EQ(std::u16string(buf), u"damson");
}

}  // namespace
}  // namespace qv::test
