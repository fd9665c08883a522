// The tab control (selection by mouse and arrow keys with a refusable
// TCN_SELCHANGING, the display area), the up-down (steps, wrapping, a
// refused step, its buddy's text and arrow keys) and the rebar placing a
// band's child.
#include "BarTestSupport.h"
#include "platform/controls/ControlPaint.h"

namespace qv::test {
namespace {

using TabControl = BarTest;
using UpDown = BarTest;
using Rebar = BarTest;

void AddTab(HWND tabs, const char16_t* text) {
  TCITEMW item;
  item.mask = TCIF_TEXT;
  item.pszText = text;
  SendMessageW(tabs, TCM_INSERTITEMW, WPARAM(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)), LPARAM(&item));
}

TEST_F(TabControl, MouseAndArrowKeysSelectUnlessTheParentRefuses) {
  HWND tabs = Make(WC_TABCONTROLW, WS_TABSTOP, {10, 10, 310, 210});
  for (auto* t : {u"Discs", u"Search", u"Browser"}) AddTab(tabs, t);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
  RECT second;
  SendMessageW(tabs, TCM_GETITEMRECT, 1, LPARAM(&second));
  EXPECT_GT(second.left, 10);
  Click(10 + second.left + 5, 10 + second.top + 5);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(GetFocus(), tabs);
  backend.KeyPress(VK_RIGHT);
  backend.Pump();
  backend.KeyPress(VK_RIGHT);  // already the last
  backend.Pump();
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"changing", "change", "changing", "change"}));
  // Refused: the selection stays.
  BarNotifyAnswer() = [](NMHDR* n) -> LRESULT { return n->code == TCN_SELCHANGING; };
  backend.KeyPress(VK_LEFT);
  backend.Pump();
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"changing"}));
  // Setting it from code does not notify.
  EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 5, 0), -1);
  EXPECT_EQ(TakeLog(), std::vector<std::string>{});
  // The display area lies below the tabs, and the conversion goes both ways.
  RECT r{0, 0, 300, 200};
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, LPARAM(&r));
  EXPECT_GT(r.top, second.bottom);
  EXPECT_LT(r.right, 300);
  SendMessageW(tabs, TCM_ADJUSTRECT, TRUE, LPARAM(&r));
  EXPECT_EQ(r, (RECT{0, 0, 300, 200}));
  // Deleting the selected last tab selects the one before.
  SendMessageW(tabs, TCM_SETCURSEL, 2, 0);
  SendMessageW(tabs, TCM_DELETEITEM, 2, 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  char16_t buf[16];
  TCITEMW item;
  item.mask = TCIF_TEXT;
  item.buffer = buf;
  item.cchTextMax = 4;
  SendMessageW(tabs, TCM_GETITEMW, 1, LPARAM(&item));
  EXPECT_EQ(std::u16string(buf), u"Sea");  // cut to the buffer
}

TEST_F(UpDown, StepsWithinRangeAndKeepsTheBuddyText) {
  HWND edit = Make(u"EDIT", WS_BORDER, {10, 10, 110, 32}, 3);
  HWND ud = Make(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, {0, 0, 16, 22}, 4);
  SendMessageW(ud, UDM_SETRANGE32, 0, 3);
  SendMessageW(ud, UDM_SETBUDDY, WPARAM(edit), 0);
  EXPECT_EQ(SendMessageW(ud, UDM_GETBUDDY, 0, 0), LRESULT(edit));
  // The arrows moved to the buddy's right edge, which gave up the room.
  RECT er, ur;
  GetWindowRect(edit, &er);
  GetWindowRect(ud, &ur);
  EXPECT_EQ(er.right, ur.left);
  EXPECT_EQ(ur.right, 110);
  EXPECT_EQ(ctl::WindowText(edit), u"0");
  Click(ur.left + 8, ur.top + 4);  // the up arrow
  Click(ur.left + 8, ur.top + 4);
  EXPECT_EQ(ctl::WindowText(edit), u"2");
  EXPECT_EQ(Without(TakeLog(), "command"),
            (std::vector<std::string>{"delta", "scroll 1", "delta", "scroll 2"}));
  // The arrow keys in the buddy step it too, and the end stops it.
  SetFocus(edit);
  backend.KeyPress(VK_UP);
  backend.KeyPress(VK_UP);
  backend.Pump();
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 3);
  // A number typed into the buddy is where the next step starts.
  SetWindowTextW(edit, u"1");
  Click(ur.left + 8, ur.bottom - 4);
  EXPECT_EQ(ctl::WindowText(edit), u"0");
  // Wrapping, and a step the parent refuses.
  SetWindowLongPtrW(ud, GWL_STYLE, GetWindowLongPtrW(ud, GWL_STYLE) | UDS_WRAP);
  Click(ur.left + 8, ur.bottom - 4);
  EXPECT_EQ(ctl::WindowText(edit), u"3");
  BarNotifyAnswer() = [](NMHDR* n) -> LRESULT { return n->code == UDN_DELTAPOS; };
  TakeLog();
  Click(ur.left + 8, ur.top + 4);
  EXPECT_EQ(ctl::WindowText(edit), u"3");
  EXPECT_EQ(Without(TakeLog(), "command"), (std::vector<std::string>{"delta"}));
  // The buddy may go first.
  DestroyWindow(edit);
  EXPECT_EQ(SendMessageW(ud, UDM_GETBUDDY, 0, 0), 0);
  SendMessageW(ud, UDM_SETPOS32, 0, 2);
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 2);
}

TEST_F(UpDown, HeldArrowRepeatsAfterAPause) {
  HWND ud = Make(UPDOWN_CLASSW, 0, {10, 10, 26, 32}, 4);
  SendMessageW(ud, UDM_SETRANGE32, 0, 100);
  backend.MouseMove(18, 12);
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 1);
  backend.AdvanceClock(399);
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 1);
  backend.AdvanceClock(1);
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 2);
  backend.AdvanceClock(300);
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 5);
  // Off the arrow it pauses; released it stops.
  backend.MouseMove(18, 28);
  backend.Pump();
  backend.AdvanceClock(300);
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 5);
  backend.MouseMove(18, 12);
  backend.MouseUp();
  backend.Pump();
  backend.AdvanceClock(1000);
  EXPECT_EQ(SendMessageW(ud, UDM_GETPOS32, 0, 0), 5);
}

TEST_F(Rebar, BandsHoldTheirChildrenAndTheBarFitsItsRows) {
  HWND rebar = Make(REBARCLASSNAMEW, RBS_BANDBORDERS, {0, 0, 400, 10});
  HWND child = Make(u"STATIC", 0, {0, 0, 150, 26}, 5);
  REBARBANDINFOW band;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE;
  band.hwndChild = child;
  band.cyMinChild = 26;
  band.cxMinChild = 150;
  SendMessageW(rebar, RB_INSERTBANDW, WPARAM(-1), LPARAM(&band));
  EXPECT_EQ(GetParent(child), rebar);
  EXPECT_EQ(SendMessageW(rebar, RB_GETBARHEIGHT, 0, 0), 30 + 2);
  RECT r;
  GetClientRect(rebar, &r);
  EXPECT_EQ(r.bottom, 32);
  // The only band of its row stretches its child to the end; a gripper comes first.
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right, 398);
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"height"}));
  band.fMask = RBBIM_STYLE;
  band.fStyle = RBBS_BREAK;
  SendMessageW(rebar, RB_INSERTBANDW, WPARAM(-1), LPARAM(&band));
  EXPECT_EQ(SendMessageW(rebar, RB_GETROWCOUNT, 0, 0), 2);
}

}  // namespace
}  // namespace qv::test
