// The LISTBOX class: sorted insertion against a sorted model, the three
// selection modes by keyboard and mouse with their notifications, type-ahead
// search, owner-drawn rows of variable height, scrolling, and the painted
// highlight and owner colours.
#include <algorithm>
#include <random>

#include "ListTestSupport.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

using ListBoxTest = ListTest;

std::u16string Fold(std::u16string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = char16_t(c + 32);
  return s;
}

std::vector<int> Selected(HWND lb) {
  int n = int(SendMessageW(lb, LB_GETSELCOUNT, 0, 0));
  std::vector<int> out(std::size_t(std::max(0, n)));
  SendMessageW(lb, LB_GETSELITEMS, WPARAM(out.size()), LPARAM(out.data()));
  return out;
}

TEST_F(ListBoxTest, SortedInsertionKeepsTheOrderOfAStableSort) {
  HWND lb = NewList(LBS_SORT | WS_VSCROLL);
  std::mt19937 rng(7);
  std::vector<std::u16string> added;
  const char16_t* alphabet = u"abcABCxyz Ü";
  // Long starts shared in either case send the comparison past its first
  // characters before it meets a difference of case or of letter.
  const char16_t* starts[] = {u"", u"", u"Shared start/", u"shared START/", u"Shared start/aBc"};
  for (int i = 0; i < 3000; ++i) {  // enough to split the item store into many chunks
    std::u16string s = starts[rng() % 5];
    for (int k = 0, n = int(rng() % 5); k <= n; ++k) s += alphabet[rng() % 11];
    LRESULT at = SendMessageW(lb, LB_ADDSTRING, 0, LPARAM(s.c_str()));
    ASSERT_GE(at, 0);
    ASSERT_EQ(Text(lb, int(at)), s) << "the answer is where the string went";
    added.push_back(s);
  }
  // Equal strings (ignoring case) keep their order of arrival.
  std::vector<std::u16string> model = added;
  std::stable_sort(model.begin(), model.end(), [](auto& a, auto& b) {
    std::u16string x = Fold(a), y = Fold(b);
    for (auto* s : {&x, &y})
      for (auto& c : *s)
        if (c == u'Ü') c = u'ü';
    return x < y;
  });
  ASSERT_EQ(SendMessageW(lb, LB_GETCOUNT, 0, 0), LRESULT(model.size()));
  for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(Text(lb, int(i)), model[i]) << i;
  // Deleting keeps the rest in order; inserting by position ignores the sort.
  SendMessageW(lb, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(Text(lb, 0), model[1]);
  Add(lb, u"zzzz-first", LB_INSERTSTRING);
  EXPECT_EQ(Text(lb, 0), u"zzzz-first");
  EXPECT_EQ(SendMessageW(lb, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(u"ZZZZ-FIRST")), 0);
  // Emptied, the list takes new strings in order again.
  SendMessageW(lb, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(lb, LB_GETCOUNT, 0, 0), 0);
  Add(lb, u"second");
  Add(lb, u"First");
  EXPECT_EQ(Text(lb, 0), u"First");
  EXPECT_EQ(Text(lb, 1), u"second");
}

TEST_F(ListBoxTest, SingleSelectionFollowsKeysAndNotifiesOnlyForTheUser) {
  HWND lb = NewList(LBS_NOTIFY);
  for (auto* s : {u"alpha", u"bravo", u"charlie", u"delta", u"echo"}) Add(lb, s);
  SetFocus(lb);
  backend.Pump();
  ListLog().codes.clear();
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR);
  Key(VK_DOWN);  // the first key selects the caret item
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 0);
  Key(VK_DOWN);
  Key(VK_END);
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 4);
  Key(VK_END);  // no change, no notification
  EXPECT_EQ(ListLog().codes, (std::vector<WORD>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));
  ListLog().codes.clear();
  EXPECT_EQ(SendMessageW(lb, LB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageW(lb, LB_GETSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageW(lb, LB_GETSEL, 4, 0), 0);
  EXPECT_TRUE(ListLog().codes.empty());
  EXPECT_EQ(SendMessageW(lb, LB_SETSEL, TRUE, 2), LB_ERR) << "no multiple selection here";
  // A click selects and a double click reports itself after the selection.
  RECT r;
  SendMessageW(lb, LB_GETITEMRECT, 3, LPARAM(&r));
  ClickAt(lb, 5, r.top + 2);
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 3);
  POINT p{5, r.top + 2};
  ClientToScreen(lb, &p);
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(ListLog().codes, (std::vector<WORD>{LBN_SELCHANGE, LBN_DBLCLK}));
}

TEST_F(ListBoxTest, TypedPrefixSearchesAndARepeatedLetterCycles) {
  HWND lb = NewList(0);
  for (auto* s : {u"apple", u"Banana", u"blueberry", u"bramble", u"cherry"}) Add(lb, s);
  SetFocus(lb);
  Type(u"b");
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 1);
  Type(u"r");  // "br" within the pause
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 3);
  backend.AdvanceClock(1500);
  Type(u"b");  // a new search from the next item
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 1);
  Type(u"b");
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 2);
  Type(u"b");
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 3);
  Type(u"b");
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 1) << "wraps to the first b";
  backend.AdvanceClock(1500);
  Type(u"q");  // nothing begins with q: the selection stays
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 1, LPARAM(u"B")), 2);
  EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, WPARAM(-1), LPARAM(u"x")), LB_ERR);
}

// Items padded with blanks (as some lists pad their names) are found by the
// letters they show; typed text that starts with a blank is taken as it is.
TEST_F(ListBoxTest, TypedPrefixPassesOverBlanksThatPadAnItem) {
  HWND lb = NewList(0);
  for (auto* s : {u" All ", u"  Music ", u" Movies ", u"Maps"}) Add(lb, s);
  SetFocus(lb);
  Type(u"mo");
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 2);
  backend.AdvanceClock(1500);
  Type(u"m");
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 3);
  Type(u"m");  // the same letter again: the next item it begins, round to the first
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 1);
  backend.AdvanceClock(1500);
  Type(u" m");
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 2);
  // The search messages compare the text as it stands.
  EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, WPARAM(-1), LPARAM(u"mu")), LB_ERR);
}

TEST_F(ListBoxTest, ExtendedSelectionByShiftAndControl) {
  HWND lb = NewList(LBS_EXTENDEDSEL | LBS_NOTIFY);
  for (int i = 0; i < 8; ++i) Add(lb, u"item " + std::u16string(1, char16_t('0' + i)));
  RECT r1, r4, r6;
  SendMessageW(lb, LB_GETITEMRECT, 1, LPARAM(&r1));
  SendMessageW(lb, LB_GETITEMRECT, 4, LPARAM(&r4));
  SendMessageW(lb, LB_GETITEMRECT, 6, LPARAM(&r6));
  ClickAt(lb, 5, r1.top + 1);
  EXPECT_EQ(Selected(lb), (std::vector<int>{1}));
  backend.KeyDown(VK_SHIFT);
  ClickAt(lb, 5, r4.top + 1);
  backend.KeyUp(VK_SHIFT);
  EXPECT_EQ(Selected(lb), (std::vector<int>{1, 2, 3, 4}));
  backend.KeyDown(VK_CONTROL);
  ClickAt(lb, 5, r6.top + 1);
  ClickAt(lb, 5, r1.top + 1);
  backend.KeyUp(VK_CONTROL);
  backend.Pump();
  EXPECT_EQ(Selected(lb), (std::vector<int>{2, 3, 4, 6}));
  // Shift+Down from the caret extends from the anchor (item 1 now).
  backend.KeyDown(VK_SHIFT);
  Key(VK_DOWN);
  backend.KeyUp(VK_SHIFT);
  backend.Pump();
  EXPECT_EQ(Selected(lb), (std::vector<int>{1, 2}));
  // A plain click drags a new range.
  POINT a{5, r4.top + 1}, b{5, r6.top + 1};
  ClientToScreen(lb, &a), ClientToScreen(lb, &b);
  backend.MouseMove(a.x, a.y);
  backend.MouseDown();
  backend.MouseMove(b.x, b.y);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(Selected(lb), (std::vector<int>{4, 5, 6}));
  SendMessageW(lb, LB_SETSEL, FALSE, -1);
  EXPECT_TRUE(Selected(lb).empty());
  SendMessageW(lb, LB_SELITEMRANGEEX, 2, 3);
  EXPECT_EQ(Selected(lb), (std::vector<int>{2, 3}));
}

TEST_F(ListBoxTest, MultipleSelectionTogglesByClickAndSpace) {
  HWND lb = NewList(LBS_MULTIPLESEL | LBS_NOTIFY);
  for (auto* s : {u"one", u"two", u"three", u"four"}) Add(lb, s);
  RECT r;
  SendMessageW(lb, LB_GETITEMRECT, 2, LPARAM(&r));
  ClickAt(lb, 5, r.top + 1);
  EXPECT_EQ(Selected(lb), (std::vector<int>{2}));
  Key(VK_DOWN);  // moves the caret only
  EXPECT_EQ(Selected(lb), (std::vector<int>{2}));
  EXPECT_EQ(SendMessageW(lb, LB_GETCARETINDEX, 0, 0), 3);
  Key(VK_SPACE);
  EXPECT_EQ(Selected(lb), (std::vector<int>{2, 3}));
  ClickAt(lb, 5, r.top + 1);
  EXPECT_EQ(Selected(lb), (std::vector<int>{3}));
  EXPECT_EQ(std::count(ListLog().codes.begin(), ListLog().codes.end(), LBN_SELCHANGE), 3);
}

TEST_F(ListBoxTest, OwnerDrawnVariableRowsAreMeasuredAndDrawn) {
  ListLog().measure = [](MEASUREITEMSTRUCT& m) { m.itemHeight = 10 + UINT(m.itemData) * 5; };
  HWND lb = NewList(LBS_OWNERDRAWVARIABLE, RECT{10, 10, 150, 80});
  for (int i = 0; i < 6; ++i) SendMessageW(lb, LB_ADDSTRING, 0, LPARAM(i));
  ASSERT_EQ(ListLog().measured.size(), 6u);
  EXPECT_EQ(ListLog().measured[2].CtlType, ODT_LISTBOX);
  EXPECT_EQ(ListLog().measured[2].CtlID, 7u);
  EXPECT_EQ(ListLog().measured[2].itemData, 2u);
  RECT r2, r3;
  SendMessageW(lb, LB_GETITEMRECT, 2, LPARAM(&r2));
  SendMessageW(lb, LB_GETITEMRECT, 3, LPARAM(&r3));
  EXPECT_EQ(r2.top, 10 + 15);
  EXPECT_EQ(r2.Height(), 20);
  EXPECT_EQ(r3.top, r2.bottom);
  SendMessageW(lb, LB_SETCURSEL, 1, 0);
  ListLog().drawn.clear();
  InvalidateRect(lb, nullptr, TRUE);
  backend.Pump();
  // Only the rows that show are drawn: 10 + 15 + 20 + 25 > 70.
  ASSERT_EQ(ListLog().drawn.size(), 4u);
  for (auto& d : ListLog().drawn) {
    EXPECT_EQ(d.CtlType, ODT_LISTBOX);
    EXPECT_EQ(d.hwndItem, lb);
    EXPECT_EQ(d.itemData, ULONG_PTR(d.itemID));
    EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, d.itemID == 1);
  }
  EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, WPARAM(-1), 4), 4) << "without strings the data is found";
  // End scrolls so that the last row shows whole.
  SetFocus(lb);
  Key(VK_END);
  RECT last;
  SendMessageW(lb, LB_GETITEMRECT, 5, LPARAM(&last));
  RECT client;
  GetClientRect(lb, &client);
  EXPECT_LE(last.bottom, client.bottom);
  EXPECT_GE(last.top, 0);
}

TEST_F(ListBoxTest, SortedOwnerDataIsComparedByTheOwner) {
  ListLog().compare = [](const COMPAREITEMSTRUCT& c) {
    return c.itemData1 < c.itemData2 ? -1 : c.itemData1 > c.itemData2 ? 1 : 0;
  };
  HWND lb = NewList(LBS_OWNERDRAWFIXED | LBS_SORT);
  for (int v : {30, 10, 20, 15}) SendMessageW(lb, LB_ADDSTRING, 0, LPARAM(v));
  std::vector<LRESULT> data;
  for (int i = 0; i < 4; ++i) data.push_back(SendMessageW(lb, LB_GETITEMDATA, WPARAM(i), 0));
  EXPECT_EQ(data, (std::vector<LRESULT>{10, 15, 20, 30}));
  ASSERT_FALSE(ListLog().measured.empty());
  EXPECT_EQ(ListLog().measured[0].itemID, 0u) << "a fixed height is measured once, at creation";
}

TEST_F(ListBoxTest, ScrollingKeepsTheCaretInView) {
  HWND lb = NewList(WS_VSCROLL, RECT{10, 10, 150, 110});
  for (int i = 0; i < 100; ++i) Add(lb, u"row " + std::u16string(1, char16_t('A' + i % 26)), LB_INSERTSTRING);
  int h = int(SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0));
  RECT client;
  GetClientRect(lb, &client);
  int page = client.bottom / h;
  SetFocus(lb);
  Key(VK_NEXT);
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), page - 1);
  Key(VK_NEXT);
  EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 2 * page - 2);
  EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), page - 1);
  Key(VK_END);
  EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), 100 - page);
  SendMessageW(lb, LB_SETTOPINDEX, 99, 0);
  EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), 100 - page) << "never scrolled past the last page";
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(lb, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 99);
  EXPECT_EQ(si.nPos, 100 - page);
  EXPECT_EQ(int(si.nPage), page);
  SendMessageW(lb, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), 100 - 2 * page);
  LRESULT hit = SendMessageW(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, h + 1));
  EXPECT_EQ(LOWORD(uintptr_t(hit)), 100 - 2 * page + 1);
  EXPECT_EQ(HIWORD(uintptr_t(hit)), 0);
}

// The parent may destroy a list from inside its notifications.
LRESULT DestroyingParent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COMMAND && l && IsWindow(reinterpret_cast<HWND>(l))) DestroyWindow(reinterpret_cast<HWND>(l));
  return DefWindowProcW(h, m, w, l);
}

TEST_F(ListBoxTest, AListDestroyedByItsOwnNotificationIsLeftAlone) {
  HWND host = CreateWindowExW(0, u"QvListParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr,
                              nullptr, nullptr, nullptr);
  SetWindowLongPtrW(host, GWLP_WNDPROC, LONG_PTR(&DestroyingParent));
  for (DWORD style : {DWORD(0), DWORD(LBS_EXTENDEDSEL), DWORD(LBS_MULTIPLESEL)}) {
    HWND lb = CreateWindowExW(0, u"LISTBOX", u"", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | style, 10, 10, 100,
                              100, host, nullptr, nullptr, nullptr);
    Add(lb, u"one");
    Add(lb, u"two");
    ClickAt(lb, 5, 3);  // the focus notification already destroys it
    EXPECT_FALSE(IsWindow(lb));
  }
  HWND lb = CreateWindowExW(0, u"LISTBOX", u"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, host, nullptr,
                            nullptr, nullptr);
  Add(lb, u"one");
  SetFocus(lb);  // LBN_SETFOCUS destroys it
  backend.Pump();
  EXPECT_FALSE(IsWindow(lb));
  DestroyWindow(host);
}

TEST_F(ListBoxTest, PaintsTheHighlightAndTheOwnersColours) {
  HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
  ListLog().listBrush = yellow;
  HWND lb = NewList(0, RECT{10, 10, 150, 110});
  for (auto* s : {u"one", u"two", u"three"}) Add(lb, s);
  SendMessageW(lb, LB_SETCURSEL, 1, 0);
  backend.Pump();
  int h = int(SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(PixelAt(lb, 100, h + h / 2), Pixel(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(PixelAt(lb, 100, h / 2), 0xFFFF00u);
  EXPECT_EQ(PixelAt(lb, 100, 90), 0xFFFF00u) << "below the rows";
  // Some text is drawn in the row's left part.
  bool ink = false;
  for (int x = 2; x < 40 && !ink; ++x)
    for (int y = 0; y < h; ++y) ink = ink || PixelAt(lb, x, y) != 0xFFFF00u;
  EXPECT_TRUE(ink);
  DestroyWindow(lb);
  DeleteObject(yellow);
}

}  // namespace
}  // namespace qv::test
