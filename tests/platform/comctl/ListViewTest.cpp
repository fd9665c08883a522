// The list view class: report view with a header child, selection by mouse
// and keyboard with its notifications, check boxes, owner data asked only
// for shown rows, sorting by callback, label editing, hit testing and
// column clicks, the other views, and a few pixels.
#include "ComCtlTestSupport.h"
#include "platform/comctl/ListView.h"

namespace qv::test {
namespace {

size_t ListRecordSize(UINT code) {
  switch (code) {
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED:
    case LVN_INSERTITEM:
    case LVN_DELETEITEM:
    case LVN_DELETEALLITEMS:
    case LVN_COLUMNCLICK:
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG:
    case LVN_ITEMACTIVATE:
      return sizeof(NMLISTVIEW);
    case LVN_BEGINLABELEDITW:
    case LVN_ENDLABELEDITW:
    case LVN_GETDISPINFOW:
      return sizeof(NMLVDISPINFOW);
    case LVN_ODFINDITEMW:
      return sizeof(NMLVFINDITEMW);
    case LVN_KEYDOWN:
      return sizeof(NMLVKEYDOWN);
  }
  return sizeof(NMHDR);
}

class ListView : public ComCtlTest {
 protected:
  void SetUp() override {
    ComCtlTest::SetUp();
    RecordSize() = ListRecordSize;
  }
  HWND MakeList(DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS, DWORD ext = LVS_EX_FULLROWSELECT) {
    list = Make(WC_LISTVIEW, style, {0, 0, 400, 300});
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LPARAM(ext));
    for (const char16_t* name : {u"Name", u"Size", u"Type", u"Date"}) AddColumn(name, 80);
    return list;
  }
  void AddColumn(const char16_t* name, int width) {
    LVCOLUMNW c;
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = const_cast<char16_t*>(name);
    c.cx = width;
    SendMessageW(list, LVM_INSERTCOLUMNW, 99, LPARAM(&c));
  }
  int Add(const std::u16string& text, LPARAM param = 0, std::u16string sub = u"") {
    LVITEMW it;
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = 1 << 20;
    std::u16string copy = text;
    it.pszText = copy.data();
    it.lParam = param;
    int i = int(SendMessageW(list, LVM_INSERTITEMW, 0, LPARAM(&it)));
    if (!sub.empty()) {
      LVITEMW s;
      s.iSubItem = 1;
      s.pszText = sub.data();
      SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(i), LPARAM(&s));
    }
    return i;
  }
  std::u16string Text(int i, int sub = 0) {
    char16_t buffer[64] = {};
    LVITEMW it;
    it.iSubItem = sub;
    it.pszText = buffer;
    it.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), LPARAM(&it));
    return buffer;
  }
  std::vector<int> Selection() {
    std::vector<int> out;
    for (int i = -1; (i = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(i), LVNI_SELECTED))) >= 0;)
      out.push_back(i);
    return out;
  }
  int RowY(int i) {
    RECT r;
    r.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, WPARAM(i), LPARAM(&r));
    return (r.top + r.bottom) / 2;
  }
  void ClickWith(UINT vk, int x, int y) {
    backend.KeyDown(vk);
    backend.Click(x, y);
    backend.KeyUp(vk);
    backend.Pump();
  }

  HWND list = nullptr;
};

TEST_F(ListView, ReportViewHasAHeaderChildOfTheHeaderClass) {
  MakeList();
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_TRUE(header);
  char16_t name[96] = {};
  GetClassNameW(header, name, 96);
  EXPECT_EQ(std::u16string(name), u"SysHeader32");
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 4);
  int a = Add(u"alpha", 1, u"12");
  EXPECT_EQ(Text(a), u"alpha");
  EXPECT_EQ(Text(a, 1), u"12");
  EXPECT_EQ(Text(a, 3), u"");
  EXPECT_EQ(Last(LVN_INSERTITEM)->As<NMLISTVIEW>().iItem, a);
  // Rows start below the header.
  RECT hr;
  GetWindowRect(header, &hr);
  EXPECT_GE(RowY(0), hr.bottom - hr.top);
  // Clicking a column caption reports the column.
  Click(170, (hr.bottom - hr.top) / 2);
  ASSERT_TRUE(Last(LVN_COLUMNCLICK));
  EXPECT_EQ(Last(LVN_COLUMNCLICK)->As<NMLISTVIEW>().iSubItem, 2);
  // Resizing a column by its divider moves the sub-items.
  RECT before;
  before.top = 1;
  SendMessageW(list, LVM_GETSUBITEMRECT, 0, LPARAM(&before));
  backend.MouseMove(80, 5);
  backend.MouseDown();
  backend.MouseMove(100, 5);
  backend.MouseMove(120, 5);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 120);
  RECT after;
  after.top = 1;
  SendMessageW(list, LVM_GETSUBITEMRECT, 0, LPARAM(&after));
  EXPECT_EQ(after.left, before.left + 40);
}

TEST_F(ListView, SelectionByMouseAndKeyboard) {
  MakeList();
  for (int i = 0; i < 10; ++i) Add(u"item " + std::u16string(1, char16_t(u'0' + i)));
  Notices().clear();
  Click(40, RowY(2));
  EXPECT_EQ(Selection(), (std::vector<int>{2}));
  EXPECT_EQ(GetFocus(), list);
  // Selecting notifies the change before and after it.
  std::vector<UINT> codes = CodesAmong({LVN_ITEMCHANGING, LVN_ITEMCHANGED});
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes[0], LVN_ITEMCHANGING);
  EXPECT_EQ(codes[1], LVN_ITEMCHANGED);
  ClickWith(VK_CONTROL, 40, RowY(5));
  EXPECT_EQ(Selection(), (std::vector<int>{2, 5}));
  ClickWith(VK_SHIFT, 40, RowY(7));
  EXPECT_EQ(Selection(), (std::vector<int>{5, 6, 7}));
  Click(40, RowY(1));
  EXPECT_EQ(Selection(), (std::vector<int>{1}));
  Key(VK_DOWN);
  EXPECT_EQ(Selection(), (std::vector<int>{2}));
  Key(VK_DOWN, true);
  Key(VK_DOWN, true);
  EXPECT_EQ(Selection(), (std::vector<int>{2, 3, 4}));
  Key(VK_END);
  EXPECT_EQ(Selection(), (std::vector<int>{9}));
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), 9);
  // Type-ahead.
  Type(u"ITEM 4");
  EXPECT_EQ(Selection(), (std::vector<int>{4}));
  // A refused change keeps the selection.
  Answer() = [](NMHDR* h) -> LRESULT {
    auto* nm = reinterpret_cast<NMLISTVIEW*>(h);
    return h->code == LVN_ITEMCHANGING && (nm->uNewState & LVIS_SELECTED) && nm->iItem == 0;
  };
  Key(VK_HOME);
  EXPECT_EQ(Selection(), (std::vector<int>{}));  // 4 let go, 0 refused
  // A single-selection list keeps one.
  Answer() = nullptr;
  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SINGLESEL);
  ClickWith(VK_CONTROL, 40, RowY(3));
  ClickWith(VK_CONTROL, 40, RowY(6));
  EXPECT_EQ(Selection(), (std::vector<int>{6}));
  // Clicking empty space clears the selection.
  Click(40, 280);
  EXPECT_EQ(Selection(), (std::vector<int>{}));
}

TEST_F(ListView, CheckBoxesToggleAndNotify) {
  MakeList(LVS_REPORT, LVS_EX_CHECKBOXES);
  int a = Add(u"alpha");
  auto checked = [&] {
    return (SendMessageW(list, LVM_GETITEMSTATE, WPARAM(a), LVIS_STATEIMAGEMASK) >> 12) == 2;
  };
  EXPECT_FALSE(checked());
  Notices().clear();
  Click(10, RowY(a));  // the box
  EXPECT_TRUE(checked());
  auto& nm = Last(LVN_ITEMCHANGED)->As<NMLISTVIEW>();
  EXPECT_EQ(nm.uNewState & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
  EXPECT_EQ(nm.uOldState & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
  EXPECT_EQ(Selection(), (std::vector<int>{}));  // the box does not select
  SendMessageW(list, LVM_SETITEMSTATE, WPARAM(a), [] {
    static LVITEMW it;
    it.state = LVIS_FOCUSED | LVIS_SELECTED;
    it.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    return LPARAM(&it);
  }());
  SetFocus(list);
  Key(VK_SPACE);
  EXPECT_FALSE(checked());
  // A change from code notifies too.
  Notices().clear();
  LVITEMW it;
  it.state = INDEXTOSTATEIMAGEMASK(2);
  it.stateMask = LVIS_STATEIMAGEMASK;
  SendMessageW(list, LVM_SETITEMSTATE, WPARAM(a), LPARAM(&it));
  EXPECT_TRUE(checked());
  EXPECT_EQ(CodesAmong({LVN_ITEMCHANGING, LVN_ITEMCHANGED}),
            (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));
}

TEST_F(ListView, OwnerDataAsksOnlyForShownRows) {
  MakeList(LVS_REPORT | LVS_OWNERDATA);
  int asked = 0, maxRow = -1;
  Answer() = [&](NMHDR* h) -> LRESULT {
    if (h->code == LVN_GETDISPINFOW) {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(h);
      ++asked;
      maxRow = std::max(maxRow, di->item.iItem);
      if (di->item.mask & LVIF_TEXT) {
        std::u16string t = u"row " + std::u16string(1, char16_t(u'a' + di->item.iItem % 26)) + u" " +
                           std::u16string(1, char16_t(u'0' + di->item.iSubItem));
        comctl::CopyText(t, di->item.pszText, di->item.cchTextMax);
      }
    }
    if (h->code == LVN_ODFINDITEMW) {
      auto* f = reinterpret_cast<NMLVFINDITEMW*>(h);
      return f->lvfi.psz && f->lvfi.psz[0] == u'r' ? 12345 : -1;
    }
    return 0;
  };
  SendMessageW(list, LVM_SETITEMCOUNT, 100000, 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 100000);
  Pixel(5, 5);
  EXPECT_GT(asked, 0);
  EXPECT_LT(maxRow, 40);
  EXPECT_EQ(Text(77, 2), u"row z 2");
  // Type-ahead asks the parent to find.
  SetFocus(list);
  Type(u"r");
  EXPECT_TRUE(Last(LVN_ODFINDITEMW));
  EXPECT_EQ(Selection(), (std::vector<int>{12345}));
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0) + SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0), 12346);
  // Paging far down asks only for the rows then shown.
  maxRow = -1;
  asked = 0;
  SendMessageW(list, WM_VSCROLL, SB_BOTTOM, 0);
  Pixel(5, 5);
  EXPECT_LT(asked, 200);
  EXPECT_EQ(maxRow, 99999);
  // Shrinking the count drops the selection beyond it.
  SendMessageW(list, LVM_SETITEMCOUNT, 10, 0);
  EXPECT_EQ(Selection(), (std::vector<int>{}));
}

TEST_F(ListView, OwnerDataSelectionFollowsClicksAfterTheCountChanges) {
  MakeList(LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS);
  Answer() = [](NMHDR* h) -> LRESULT {
    if (h->code == LVN_GETDISPINFOW) {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(h);
      if (di->item.mask & LVIF_TEXT) comctl::CopyText(u"row", di->item.pszText, di->item.cchTextMax);
    }
    return 0;
  };
  SendMessageW(list, LVM_SETITEMCOUNT, 10, 0);
  Click(40, RowY(2));
  EXPECT_EQ(Selection(), (std::vector<int>{2}));
  // Growing keeps the row selected; a click elsewhere moves the selection.
  SendMessageW(list, LVM_SETITEMCOUNT, 20, 0);
  EXPECT_EQ(Selection(), (std::vector<int>{2}));
  Click(40, RowY(5));
  EXPECT_EQ(Selection(), (std::vector<int>{5}));
  // Shrinking below the selection and growing again brings back nothing.
  SendMessageW(list, LVM_SETITEMCOUNT, 4, 0);
  EXPECT_EQ(Selection(), (std::vector<int>{}));
  SendMessageW(list, LVM_SETITEMCOUNT, 12, 0);
  EXPECT_EQ(Selection(), (std::vector<int>{}));
  Click(40, RowY(3));
  Click(40, RowY(1));
  EXPECT_EQ(Selection(), (std::vector<int>{1}));
  // The keyboard after a change of count moves the one selection too.
  SendMessageW(list, LVM_SETITEMCOUNT, 30, 0);
  Key(VK_DOWN);
  EXPECT_EQ(Selection(), (std::vector<int>{2}));
  ClickWith(VK_SHIFT, 40, RowY(4));
  SendMessageW(list, LVM_SETITEMCOUNT, 5, 0);
  Click(40, RowY(0));
  EXPECT_EQ(Selection(), (std::vector<int>{0}));
  for (int i = 1; i < 5; ++i)
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, WPARAM(i), LVIS_SELECTED), 0) << i;
}

int CALLBACK_Descending(LPARAM a, LPARAM b, LPARAM data) {
  return int(data) * (a < b ? 1 : a > b ? -1 : 0);
}

TEST_F(ListView, SortsByCallbackAndKeepsStates) {
  MakeList();
  for (int i = 0; i < 5; ++i) Add(u"n" + std::u16string(1, char16_t(u'0' + i)), i);
  Click(40, RowY(1));  // "n1"
  SendMessageW(list, LVM_SORTITEMS, 1, LPARAM(CALLBACK_Descending));
  std::vector<std::u16string> texts;
  for (int i = 0; i < 5; ++i) texts.push_back(Text(i));
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"n4", u"n3", u"n2", u"n1", u"n0"}));
  EXPECT_EQ(Selection(), (std::vector<int>{3}));
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), 3);
  // Finding by data and by text.
  LVFINDINFOW f;
  f.flags = LVFI_PARAM;
  f.lParam = 2;
  EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, WPARAM(-1), LPARAM(&f)), 2);
  f.flags = LVFI_STRING;
  f.psz = u"N0";
  EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, WPARAM(-1), LPARAM(&f)), 4);
  f.flags = LVFI_PARTIAL | LVFI_STRING;
  f.psz = u"n";
  EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, 4, LPARAM(&f)), -1);
  f.flags |= LVFI_WRAP;
  EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, 4, LPARAM(&f)), 0);
  // A sorted list places new items in order.
  HWND sorted = Make(WC_LISTVIEW, LVS_LIST | LVS_SORTASCENDING, {0, 0, 200, 100}, 8);
  std::swap(list, sorted);
  Add(u"beta");
  Add(u"Alpha");
  Add(u"gamma");
  EXPECT_EQ(Text(0), u"Alpha");
  EXPECT_EQ(Text(2), u"gamma");
}

TEST_F(ListView, LabelEditingAcceptsAndCancels) {
  MakeList(LVS_REPORT | LVS_EDITLABELS);
  int a = Add(u"alpha");
  Answer() = [](NMHDR* h) -> LRESULT { return h->code == LVN_ENDLABELEDITW; };
  Click(40, RowY(a));
  Key(VK_F2);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
  ASSERT_TRUE(edit);
  Type(u"omega");
  Key(VK_RETURN);
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_EQ(Text(a), u"omega");
  EXPECT_EQ(CodesAmong({LVN_BEGINLABELEDITW, LVN_ENDLABELEDITW}),
            (std::vector<UINT>{LVN_BEGINLABELEDITW, LVN_ENDLABELEDITW}));
  SendMessageW(list, LVM_EDITLABELW, WPARAM(a), 0);
  Type(u"lost");
  Key(VK_ESCAPE);
  EXPECT_EQ(Text(a), u"omega");
  EXPECT_EQ(Last(LVN_ENDLABELEDITW)->As<NMLVDISPINFOW>().item.pszText, nullptr);
  // A slow second click on the selected label starts editing.
  backend.AdvanceClock(600);
  Click(40, RowY(a));
  backend.AdvanceClock(600);
  EXPECT_TRUE(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
  // A deletion notice cannot delete rows under the one being deleted.
  Add(u"second");
  Answer() = [&](NMHDR* h) -> LRESULT {
    if (h->code == LVN_DELETEITEM) SendMessageW(list, LVM_DELETEITEM, 0, 0);
    return h->code == LVN_ENDLABELEDITW;
  };
  SendMessageW(list, LVM_DELETEITEM, 1, 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(Text(0), u"omega");
  Answer() = nullptr;
  // Deleting the edited item while editing ends the edit quietly.
  SendMessageW(list, LVM_DELETEITEM, WPARAM(a), 0);
  EXPECT_FALSE(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListView, OtherViewsPlaceAndHitTheirItems) {
  MakeList(LVS_LIST);
  for (int i = 0; i < 40; ++i) Add(u"file " + std::u16string(1, char16_t(u'a' + i % 26)));
  for (DWORD view : {LV_VIEW_LIST, LV_VIEW_SMALLICON, LV_VIEW_ICON, LV_VIEW_DETAILS}) {
    SendMessageW(list, LVM_SETVIEW, view, 0);
    for (int i : {0, 7, 21}) {
      RECT r;
      r.left = LVIR_LABEL;
      ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, WPARAM(i), LPARAM(&r)));
      LVHITTESTINFO info;
      info.pt = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      if (info.pt.y < 0 || info.pt.y >= 300) continue;
      EXPECT_EQ(SendMessageW(list, LVM_HITTEST, 0, LPARAM(&info)), i) << "view " << view;
      EXPECT_EQ(info.flags, LVHT_ONITEMLABEL) << "view " << view;
    }
  }
  // The header shows only in report view.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_TRUE(IsWindowVisible(header));
  SendMessageW(list, LVM_SETVIEW, LV_VIEW_LIST, 0);
  EXPECT_FALSE(IsWindowVisible(header));
}

TEST_F(ListView, DragsStartWithEitherButton) {
  MakeList();
  Add(u"alpha");
  Add(u"beta");
  int y = RowY(1);
  backend.MouseMove(40, y);
  backend.MouseDown();
  backend.MouseMove(80, y + 40);
  backend.MouseUp();
  backend.Pump();
  ASSERT_TRUE(Last(LVN_BEGINDRAG));
  EXPECT_EQ(Last(LVN_BEGINDRAG)->As<NMLISTVIEW>().iItem, 1);
  backend.AdvanceClock(1000);
  backend.MouseMove(40, RowY(0));
  backend.MouseDown(MouseButton::Right);
  backend.MouseMove(80, RowY(0) + 40);
  backend.MouseUp(MouseButton::Right);
  backend.Pump();
  ASSERT_TRUE(Last(LVN_BEGINRDRAG));
  EXPECT_EQ(Last(LVN_BEGINRDRAG)->As<NMLISTVIEW>().iItem, 0);
  EXPECT_FALSE(Last(NM_RCLICK));  // a drag is not a click
  backend.AdvanceClock(1000);
  backend.Click(40, RowY(0), MouseButton::Right);
  backend.Pump();
  EXPECT_TRUE(Last(NM_RCLICK));
}

TEST_F(ListView, SelectedRowIsHighlightedAcrossTheRow) {
  MakeList();
  Add(u"alpha", 0, u"1");
  Add(u"beta", 0, u"2");
  Click(40, RowY(1));
  int y = RowY(1);
  EXPECT_GT(CountColour({200, y - 3, 300, y + 3}, Sys(COLOR_HIGHLIGHT)), 300);
  EXPECT_EQ(CountColour({200, RowY(0) - 3, 300, RowY(0) + 3}, Sys(COLOR_HIGHLIGHT)), 0);
  // Unfocused with show-selection-always: the grey selection.
  SetFocus(parent);
  EXPECT_GT(CountColour({200, y - 3, 300, y + 3}, Sys(COLOR_BTNFACE)), 300);
}

// Type-ahead in a list of its own texts passes over blanks that pad an
// item's start, unless what is typed starts with a blank itself.
TEST_F(ListView, TypedLettersFindItemsPaddedWithBlanks) {
  MakeList();
  for (const char16_t* t : {u" All ", u"  Music ", u" Movies ", u"Maps"}) Add(t);
  SetFocus(list);
  Type(u"mo");
  EXPECT_EQ(Selection(), (std::vector<int>{2}));
  backend.AdvanceClock(1500);
  Type(u"m");
  EXPECT_EQ(Selection(), (std::vector<int>{3}));
  backend.AdvanceClock(1500);
  Type(u"m");
  EXPECT_EQ(Selection(), (std::vector<int>{1}));
  backend.AdvanceClock(1500);
  Type(u" m");
  EXPECT_EQ(Selection(), (std::vector<int>{2}));
}

}  // namespace
}  // namespace qv::test
