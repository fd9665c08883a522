// The bars on a form: status bar panels, simple text and owner-drawn
// panels; tool buttons following their actions, clicking, checking in
// groups, dropping down their menus and giving their own hints; a cool bar
// holding a tool bar; a progress bar keeping its position.
#include "../controls/ControlsTestSupport.h"
#include "classlib/actions/ActnList.h"
#include "classlib/comctrls/CoolBar.h"
#include "classlib/comctrls/ProgressBar.h"
#include "classlib/comctrls/StatusBar.h"
#include "classlib/comctrls/ToolBar.h"
#include "classlib/controls/HintWindow.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/menus/Menus.h"
#include "platform/comctl/BarControls.h"
#include "platform/menus/Menus.h"

namespace qv::test {
namespace {

using Bars = ControlsTest;

void ClickIn(HeadlessBackend& b, TControl* c, int x, int y) {
  POINT p = c->ClientToScreen(POINT{x, y});
  b.Click(p.x, p.y);
}

TEST_F(Bars, StatusPanelsTextsAndOwnerDrawing) {
  TForm* f = NewForm();
  auto* bar = new TStatusBar(f);
  bar->SetParent(f);
  f->Show();
  Pump();
  EXPECT_EQ(bar->Align(), alBottom);  // without being asked
  EXPECT_EQ(bar->Top() + bar->Height(), f->ClientHeight());
  EXPECT_EQ(bar->Width(), f->ClientWidth());
  TStatusPanel* first = bar->Panels()->Add();
  first->SetWidth(120);
  first->SetText("Ready");
  TStatusPanel* second = bar->Panels()->Add();
  second->SetStyle(psOwnerDraw);
  bar->Panels()->Add()->SetText("Last");
  HWND h = bar->Handle();
  int edges[3];
  ASSERT_EQ(SendMessageW(h, SB_GETPARTS, 3, LPARAM(edges)), 3);
  EXPECT_EQ(edges[0], 120);
  EXPECT_EQ(edges[1], 170);  // a new panel is 50 wide
  EXPECT_EQ(edges[2], -1);   // the last one reaches the end
  char16_t text[32];
  SendMessageW(h, SB_GETTEXTW, 0, LPARAM(text));
  EXPECT_EQ(std::u16string(text), u"Ready");
  first->SetText("Busy");
  SendMessageW(h, SB_GETTEXTW, 0, LPARAM(text));
  EXPECT_EQ(std::u16string(text), u"Busy");
  // The owner-drawn panel is drawn by OnDrawPanel, with the bar's canvas.
  std::vector<int> drawn;
  bar->OnDrawPanel = [&](TStatusBar* sb, TStatusPanel* p, const RECT& r) {
    drawn.push_back(p->Index());
    sb->Canvas()->Brush()->SetColor(clRed);
    sb->Canvas()->FillRect(r);
  };
  bar->Invalidate();
  Pump();
  EXPECT_EQ(drawn, std::vector<int>{1});
  POINT mid = bar->ClientToScreen(POINT{145, bar->Height() / 2});
  EXPECT_EQ(PixelAt(mid.x, mid.y), Rgb(255, 0, 0));
  // Simple text stands in for the panels.
  bar->SetSimpleText("Scanning");
  bar->SetSimplePanel(true);
  EXPECT_TRUE(SendMessageW(h, SB_ISSIMPLE, 0, 0));
  SendMessageW(h, SB_GETTEXTW, SB_SIMPLEID, LPARAM(text));
  EXPECT_EQ(std::u16string(text), u"Scanning");
  // Panels removed, the window follows; a bar made later gets them all.
  delete bar->Panels()->Items(2);
  EXPECT_EQ(SendMessageW(h, SB_GETPARTS, 0, 0), 2);
  auto* later = new TStatusBar(f);
  later->Panels()->Add()->SetText("Kept");
  later->SetParent(f);
  SendMessageW(later->Handle(), SB_GETTEXTW, 0, LPARAM(text));
  EXPECT_EQ(std::u16string(text), u"Kept");
}

class ToolBars : public ControlsTest {
 protected:
  TToolButton* Button(TToolBar* bar, TToolButtonStyle style = tbsButton) {
    auto* b = new TToolButton(bar->Owner());
    b->SetStyle(style);
    b->SetParent(bar);
    return b;
  }
  TToolBar* NewBar(TForm* f) {
    auto* bar = new TToolBar(f);
    bar->SetParent(f);
    bar->SetFlat(true);
    return bar;
  }
};

TEST_F(ToolBars, ButtonsFollowActionsAndClick) {
  TForm* f = NewForm();
  auto* list = new TActionList(f);
  auto* open = new TAction(f);
  open->SetActionList(list);
  open->SetCaption("&Open");
  open->SetHint("Open a database|Opens an existing database");
  int runs = 0;
  open->OnExecute = [&](TObject*) { ++runs; };
  TToolBar* bar = NewBar(f);
  bar->SetShowHint(true);
  TToolButton* a = Button(bar);
  a->SetAction(open);
  TToolButton* sep = Button(bar, tbsSeparator);
  TToolButton* b = Button(bar);
  std::vector<std::string> log;
  b->OnClick = [&](TObject*) { log.push_back("b"); };
  f->Show();
  Pump();
  EXPECT_EQ(bar->ButtonCount(), 3);
  EXPECT_EQ(a->Hint(), "Open a database|Opens an existing database");
  EXPECT_EQ(sep->Index(), 1);
  // The button controls stand where the window put the buttons.
  EXPECT_EQ(a->Left(), 0);
  EXPECT_EQ(sep->Left(), a->Width());
  EXPECT_EQ(sep->Width(), 8);
  EXPECT_EQ(b->Left(), sep->Left() + 8);
  ClickIn(backend, b, 5, 5);
  ClickIn(backend, a, 5, 5);
  Pump();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(log, std::vector<std::string>{"b"});
  // A disabled action disables its button, which then takes no clicks.
  open->SetEnabled(false);
  EXPECT_FALSE(SendMessageW(bar->Handle(), TB_ISBUTTONENABLED, 1, 0));
  ClickIn(backend, a, 5, 5);
  Pump();
  EXPECT_EQ(runs, 1);
  // The mouse over a button shows that button's long hint as the application hint.
  POINT over = a->ClientToScreen(POINT{6, 6});
  backend.MouseMove(over.x, over.y);
  Pump();
  EXPECT_EQ(Application->Hint, "Opens an existing database");
  over = b->ClientToScreen(POINT{6, 6});
  b->SetHint("Second|Second button");
  backend.MouseMove(over.x, over.y);
  Pump();
  EXPECT_EQ(Application->Hint, "Second button");
  // After the pause the hint window shows the button's short hint, and
  // moving to the next button shows that one's hint.
  Application->CancelHint();
  over = a->ClientToScreen(POINT{8, 8});
  backend.MouseMove(over.x, over.y);
  Pump();
  backend.AdvanceClock(DWORD(Application->HintPause) + 10);
  Pump();
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(Application->HintWindow()->IsHintShowing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "Open a database");
  over = b->ClientToScreen(POINT{8, 8});
  backend.MouseMove(over.x, over.y);
  Pump();
  backend.AdvanceClock(DWORD(Application->HintPause) + 10);
  Pump();
  EXPECT_EQ(Application->HintWindow()->Caption(), "Second");
  Application->CancelHint();
  // The window draws the buttons (the button controls draw nothing over it):
  // the flat bar lights up the button under the mouse.
  POINT corner = b->ClientToScreen(POINT{0, 0});
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(PixelAt(corner.x + 5, corner.y), Rgb(GetRValue(light), GetGValue(light), GetBValue(light)));
  // A button freed leaves the bar.
  delete sep;
  EXPECT_EQ(bar->ButtonCount(), 2);
  EXPECT_EQ(SendMessageW(bar->Handle(), TB_BUTTONCOUNT, 0, 0), 2);
  EXPECT_EQ(b->Left(), a->Width());
}

TEST_F(ToolBars, CheckAndGroupButtonsKeepDown) {
  TForm* f = NewForm();
  TToolBar* bar = NewBar(f);
  TToolButton* check = Button(bar, tbsCheck);
  TToolButton* g1 = Button(bar, tbsCheck);
  TToolButton* g2 = Button(bar, tbsCheck);
  g1->SetGrouped(true);
  g2->SetGrouped(true);
  g2->AllowAllUp = true;
  std::vector<std::string> log;
  for (auto* b : {check, g1, g2})
    b->OnClick = [&, b](TObject*) {
      log.push_back(std::to_string(b->Index()) + (b->Down() ? " down" : " up"));
    };
  f->Show();
  Pump();
  ClickIn(backend, check, 5, 5);
  ClickIn(backend, g1, 5, 5);
  ClickIn(backend, g2, 5, 5);
  ClickIn(backend, g2, 5, 5);  // AllowAllUp lets it come up again
  ClickIn(backend, g1, 5, 5);
  ClickIn(backend, g1, 5, 5);  // without it, it stays down
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"0 down", "1 down", "2 down", "2 up", "1 down", "1 down"}));
  EXPECT_FALSE(g2->Down());
  // Down from code reaches the window and brings the group's other button up.
  g2->SetDown(true);
  EXPECT_FALSE(g1->Down());
  EXPECT_TRUE(SendMessageW(bar->Handle(), TB_ISBUTTONCHECKED, 3, 0));
  EXPECT_FALSE(SendMessageW(bar->Handle(), TB_ISBUTTONCHECKED, 2, 0));
}

TEST_F(ToolBars, DropDownButtonShowsItsMenuUnderItself) {
  TForm* f = NewForm();
  TToolBar* bar = NewBar(f);
  TToolButton* drop = Button(bar, tbsDropDown);
  auto* menu = new TPopupMenu(f);
  std::vector<std::string> log;
  for (const char* caption : {"One", "Two"}) {
    auto* item = new TMenuItem(f);
    item->SetCaption(caption);
    item->OnClick = [&log, caption](TObject*) { log.push_back(std::string("item ") + caption); };
    menu->Items()->Add(item);
  }
  menu->OnPopup = [&](TObject*) { log.push_back("popup"); };
  drop->SetDropdownMenu(menu);
  drop->OnClick = [&](TObject*) { log.push_back("click"); };
  f->Show();
  Pump();
  EXPECT_GT(drop->Width(), 23);  // room for the arrow
  POINT under = drop->ClientToScreen(POINT{0, drop->Height()});
  backend.WhenIdle([&] {
    HWND w = MenuWindowOf(menu->Handle());
    ASSERT_NE(w, nullptr);
    RECT wr;
    GetWindowRect(w, &wr);
    EXPECT_EQ(wr.left, under.x);
    EXPECT_EQ(wr.top, under.y);
    EXPECT_EQ(menu->PopupComponent(), drop);
    log.push_back("shown");
    RECT item;
    GetMenuItemRect(w, menu->Handle(), 1, &item);
    backend.Click((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  });
  ClickIn(backend, drop, drop->Width() - 5, 8);  // the arrow
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "shown", "item Two"}));
  log.clear();
  ClickIn(backend, drop, 5, 8);  // the face clicks
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"click"});
  // Without a menu the arrow clicks too; a freed menu is forgotten.
  delete menu;
  EXPECT_EQ(drop->DropdownMenu(), nullptr);
  log.clear();
  ClickIn(backend, drop, drop->Width() - 5, 8);
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"click"});
}

TEST_F(ToolBars, NarrowBarsWrapAndGrow) {
  TForm* f = NewForm();
  TToolBar* bar = NewBar(f);
  bar->SetAutoSize(true);
  for (int i = 0; i < 6; ++i) Button(bar);
  f->Show();
  Pump();
  EXPECT_EQ(bar->Height(), 22);
  bar->SetAlign(alNone);
  bar->SetWidth(70);  // three buttons to a row
  Pump();
  EXPECT_EQ(bar->RowCount(), 2);
  EXPECT_EQ(bar->Height(), 44);
  EXPECT_EQ(bar->Buttons(3)->Left(), 0);
  EXPECT_EQ(bar->Buttons(3)->Top(), 22);
  // A wrap forced after a button starts a new row there.
  bar->SetWidth(300);
  bar->Buttons(0)->SetWrap(true);
  Pump();
  EXPECT_EQ(bar->Buttons(1)->Top(), 22);
  EXPECT_EQ(bar->Height(), 44);
}

TEST_F(ToolBars, CoolBarHoldsAToolBarAndFitsItsHeight) {
  TForm* f = NewForm();
  auto* cool = new TCoolBar(f);
  cool->SetParent(f);
  cool->SetAutoSize(true);
  auto* bar = new TToolBar(f);
  bar->SetAutoSize(true);
  bar->SetParent(cool);
  for (int i = 0; i < 3; ++i) {
    auto* b = new TToolButton(f);
    b->SetParent(bar);
  }
  f->Show();
  Pump();
  ASSERT_EQ(cool->Bands()->Count(), 1);
  EXPECT_EQ(cool->Bands()->Items(0)->Control(), bar);
  EXPECT_EQ(bar->Height(), 22);  // one row of buttons
  EXPECT_EQ(bar->Left(), 10);    // after the band's gripper
  EXPECT_EQ(bar->Width(), cool->ClientWidth() - 12);
  EXPECT_EQ(cool->Height(), 25 + 4 + 2);  // one row: the band's least height, margins and border
  // The bar's buttons still click inside the band.
  int clicks = 0;
  bar->Buttons(2)->OnClick = [&](TObject*) { ++clicks; };
  ClickIn(backend, bar->Buttons(2), 5, 5);
  Pump();
  EXPECT_EQ(clicks, 1);
  // A control taken off the bar takes its band along.
  bar->SetParent(f);
  EXPECT_EQ(cool->Bands()->Count(), 0);
}

TEST_F(Bars, ProgressBarKeepsItsPositionInRange) {
  TForm* f = NewForm();
  auto* gauge = new TProgressBar(f);
  gauge->SetPosition(150);
  EXPECT_EQ(gauge->Position(), 100);
  gauge->SetPosition(40);
  gauge->SetParent(f);
  gauge->SetBounds(10, 10, 200, 14);
  gauge->SetSmooth(true);
  f->Show();
  Pump();
  EXPECT_EQ(SendMessageW(gauge->Handle(), PBM_GETPOS, 0, 0), 40);
  gauge->SetMax(20);
  EXPECT_EQ(gauge->Position(), 20);
  gauge->SetMax(100);
  gauge->SetPosition(50);
  gauge->StepIt();
  EXPECT_EQ(gauge->Position(), 60);
  Pump();
  COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
  POINT in = gauge->ClientToScreen(POINT{20, 7});
  POINT out = gauge->ClientToScreen(POINT{180, 7});
  EXPECT_EQ(PixelAt(in.x, in.y), Rgb(GetRValue(hl), GetGValue(hl), GetBValue(hl)));
  EXPECT_NE(PixelAt(out.x, out.y), Rgb(GetRValue(hl), GetGValue(hl), GetBValue(hl)));
}

}  // namespace
}  // namespace qv::test
