// The tool bar class: clicks (released inside only), check and group
// buttons toggling before the parent hears the click, drop-down buttons
// with and without split arrows, disabled and hidden buttons, wrapping, hot
// tracking and the looks on pixels.
#include "BarTestSupport.h"

namespace qv::test {
namespace {

using ToolBar = BarTest;

TBBUTTON Btn(int id, BYTE style = BTNS_BUTTON, const char16_t* text = nullptr, int image = -1) {
  TBBUTTON b;
  b.idCommand = id;
  b.fsStyle = style;
  b.iString = text;
  b.iBitmap = image;
  return b;
}

HWND MakeBar(BarTest& t, DWORD style, std::vector<TBBUTTON> buttons, RECT r = {0, 0, 400, 30}) {
  HWND bar =
      CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | CCS_NODIVIDER | style, r.left, r.top,
                      r.Width(), r.Height(), t.parent_(), reinterpret_cast<HMENU>(9), nullptr, nullptr);
  SendMessageW(bar, TB_ADDBUTTONSW, buttons.size(), LPARAM(buttons.data()));
  t.backend_().Pump();
  return bar;
}

RECT ItemRect(HWND bar, int index) {
  RECT r;
  SendMessageW(bar, TB_GETITEMRECT, WPARAM(index), LPARAM(&r));
  return r;
}

void ClickItem(BarTest& t, HWND bar, int index, int dx = 0) {
  RECT r = ItemRect(bar, index);
  POINT p{(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2};
  ClientToScreen(bar, &p);
  t.backend_().Click(p.x, p.y);
  t.backend_().Pump();
}

TEST_F(ToolBar, ButtonsClickCheckAndGroup) {
  HWND bar =
      MakeBar(*this, TBSTYLE_FLAT,
              {Btn(1), Btn(0, BTNS_SEP), Btn(2, BTNS_CHECK), Btn(3, BTNS_CHECKGROUP), Btn(4, BTNS_CHECKGROUP),
               Btn(5, BTNS_CHECKGROUP), Btn(0, BTNS_SEP), Btn(6, BTNS_CHECKGROUP)});
  EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 8);
  // Uniform buttons side by side; separators are narrow.
  EXPECT_EQ(ItemRect(bar, 0).Width(), 23);
  EXPECT_EQ(ItemRect(bar, 1).Width(), 8);
  EXPECT_EQ(ItemRect(bar, 2).left, ItemRect(bar, 1).right);
  ClickItem(*this, bar, 0);
  ClickItem(*this, bar, 1);  // a separator does nothing
  ClickItem(*this, bar, 2);
  EXPECT_TRUE(SendMessageW(bar, TB_ISBUTTONCHECKED, 2, 0));
  ClickItem(*this, bar, 2);
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONCHECKED, 2, 0));
  ClickItem(*this, bar, 3);
  ClickItem(*this, bar, 4);
  ClickItem(*this, bar, 4);  // a checked group button stays checked
  ClickItem(*this, bar, 7);  // another group after the separator
  std::vector<int> checked;
  for (int id = 2; id <= 6; ++id)
    checked.push_back(int(SendMessageW(bar, TB_ISBUTTONCHECKED, WPARAM(id), 0)));
  EXPECT_EQ(checked, (std::vector<int>{0, 0, 1, 0, 1}));
  EXPECT_EQ(Without(TakeLog(), "hot"),
            (std::vector<std::string>{"command 1", "command 2", "command 2", "command 3", "command 4",
                                      "command 4", "command 6"}));
  // Pressed, dragged off and released outside: no click.
  RECT r = ItemRect(bar, 0);
  backend.MouseMove(r.left + 5, r.top + 5);
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(SendMessageW(bar, WM_CAPTURECHANGED, 0, 0), 0);  // losing the capture lets go too
  backend.MouseMove(300, 100);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(Without(TakeLog(), "hot"), std::vector<std::string>{});
  // Disabled and hidden buttons take no clicks; hiding closes the gap.
  SendMessageW(bar, TB_ENABLEBUTTON, 1, FALSE);
  ClickItem(*this, bar, 0);
  int left = ItemRect(bar, 2).left;
  SendMessageW(bar, TB_HIDEBUTTON, 1, TRUE);
  EXPECT_LT(ItemRect(bar, 2).left, left);
  EXPECT_EQ(Without(TakeLog(), "hot"), std::vector<std::string>{});
  EXPECT_EQ(SendMessageW(bar, TB_GETSTATE, 1, 0), LRESULT(TBSTATE_HIDDEN));
}

TEST_F(ToolBar, DropDownsNotifyWhileShownPressed) {
  HWND bar = MakeBar(*this, TBSTYLE_FLAT,
                     {Btn(1, BTNS_DROPDOWN), Btn(2, BTNS_WHOLEDROPDOWN), Btn(3, BTNS_DROPDOWN)});
  // Without split arrows the whole button drops down.
  bool pressedDuring = false;
  BarNotifyAnswer() = [&](NMHDR* n) -> LRESULT {
    if (n->code == TBN_DROPDOWN) {
      auto* tb = reinterpret_cast<NMTOOLBARW*>(n);
      EXPECT_EQ(tb->rcButton.left, ItemRect(bar, SendMessageW(bar, TB_COMMANDTOINDEX, tb->iItem, 0)).left);
      // The button looks pressed while its menu shows.
      pressedDuring = CountColour(ItemRect(bar, 0), Sys(COLOR_BTNSHADOW)) > 0 || tb->iItem != 1;
    }
    return TBDDRET_DEFAULT;
  };
  ClickItem(*this, bar, 0);
  EXPECT_TRUE(pressedDuring);
  EXPECT_EQ(Without(TakeLog(), "hot"), (std::vector<std::string>{"dropdown 1"}));
  // With split arrows: the face clicks, the arrow drops down; a whole drop-down always drops down.
  SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  EXPECT_EQ(ItemRect(bar, 0).Width(), 23 + 14);
  ClickItem(*this, bar, 0, -8);
  ClickItem(*this, bar, 0, 14);
  ClickItem(*this, bar, 1, -8);
  EXPECT_EQ(Without(TakeLog(), "hot"), (std::vector<std::string>{"command 1", "dropdown 1", "dropdown 2"}));
  // A parent may ask for a click after the drop-down.
  BarNotifyAnswer() = [](NMHDR*) -> LRESULT { return TBDDRET_TREATPRESSED; };
  ClickItem(*this, bar, 2, 14);
  EXPECT_EQ(Without(TakeLog(), "hot"), (std::vector<std::string>{"dropdown 3", "command 3"}));
  // A button deleted from inside its own drop-down does not bring the bar down.
  BarNotifyAnswer() = [&](NMHDR*) -> LRESULT {
    SendMessageW(bar, TB_DELETEBUTTON, 2, 0);
    return TBDDRET_TREATPRESSED;
  };
  ClickItem(*this, bar, 2, 14);
  EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 2);
}

TEST_F(ToolBar, HotTrackingWrappingAndCaptions) {
  std::vector<TBBUTTON> many;
  for (int i = 1; i <= 12; ++i) many.push_back(Btn(i));
  HWND bar = MakeBar(*this, TBSTYLE_FLAT | TBSTYLE_WRAPABLE, many, {0, 0, 100, 90});
  EXPECT_EQ(SendMessageW(bar, TB_GETROWS, 0, 0), 3);  // four 23-pixel buttons fit in 100
  EXPECT_EQ(ItemRect(bar, 4).left, 0);
  EXPECT_EQ(ItemRect(bar, 4).top, ItemRect(bar, 0).bottom);
  SIZE max;
  SendMessageW(bar, TB_GETMAXSIZE, 0, LPARAM(&max));
  EXPECT_EQ(max.cy, 3 * 22);
  // The mouse lights up the button under it, and leaving puts it out.
  RECT r = ItemRect(bar, 1);
  backend.MouseMove(r.left + 5, r.top + 5);
  backend.Pump();
  EXPECT_EQ(SendMessageW(bar, TB_GETHOTITEM, 0, 0), 1);
  EXPECT_GT(CountColour(r, Sys(COLOR_BTNHIGHLIGHT)), 10);
  backend.MouseMove(300, 200);
  backend.Pump();
  EXPECT_EQ(SendMessageW(bar, TB_GETHOTITEM, 0, 0), -1);
  EXPECT_EQ(CountColour(r, Sys(COLOR_BTNHIGHLIGHT)), 0);
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"hot 2", "hot 0"}));
  // Captions make every button tall enough for image and text.
  HWND captions =
      MakeBar(*this, TBSTYLE_FLAT, {Btn(1, 0, u"Open"), Btn(2, 0, u"A longer caption")}, {0, 100, 400, 150});
  EXPECT_GT(ItemRect(captions, 0).Height(), 30);
  EXPECT_EQ(ItemRect(captions, 0).Width(), ItemRect(captions, 1).Width());
  RECT second = ItemRect(captions, 1);
  OffsetRect(&second, 0, 100);
  EXPECT_GT(CountDark(second), 0);
  char16_t text[32];
  EXPECT_EQ(SendMessageW(captions, TB_GETBUTTONTEXTW, 2, LPARAM(text)), 16);
  EXPECT_EQ(std::u16string(text), u"A longer caption");
}

}  // namespace
}  // namespace qv::test
