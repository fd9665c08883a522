// Scrolling containers: ranges that follow the children, positions that move
// them, scroll messages, the wheel and ScrollInView; and the keyboard's dialog
// keys: arrows moving the focus, Space clicking a focused button.
#include "ControlsTestSupport.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

class Scrolling : public ControlsTest {
 protected:
  // A 200 x 100 scroll box (no border) on a shown form, with a child at (20, 30) of 50 x 40.
  TScrollBox* MakeBox(TForm*& form, Probe*& child) {
    form = NewForm({100, 100, 500, 400});
    auto* box = new TScrollBox(form);
    box->SetBounds(10, 10, 200, 100);
    box->SetParent(form);
    child = new Probe(box);
    child->SetBounds(20, 30, 50, 40);
    child->SetParent(box);
    form->Show();
    Pump();
    return box;
  }
};

TEST_F(Scrolling, RangesFollowTheChildrenAndBarsShowWhenNeeded) {
  TForm* form;
  Probe* child;
  TScrollBox* box = MakeBox(form, child);
  EXPECT_TRUE(box->AutoScroll());
  EXPECT_EQ(box->HorzScrollBar()->Range(), 70);
  EXPECT_EQ(box->VertScrollBar()->Range(), 70);
  EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->ClientHeight(), 100);
  // A child below the bottom edge brings the vertical bar, which narrows the client area.
  child->SetTop(150);
  Pump();
  EXPECT_EQ(box->VertScrollBar()->Range(), 190);
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->ClientWidth(), 200 - GetSystemMetrics(SM_CXVSCROLL));
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(box->Handle(), SB_VERT, &si));
  EXPECT_EQ(si.nMax, 189);
  EXPECT_EQ(si.nPage, 100u);
  // Positions are clamped to what can be scrolled, and move the children.
  box->VertScrollBar()->SetPosition(500);
  EXPECT_EQ(box->VertScrollBar()->Position(), 90);
  EXPECT_EQ(child->Top(), 60);
  EXPECT_EQ(box->VertScrollBar()->Range(), 190);  // the range is measured unscrolled
  // When the child comes back into view the bar goes and the children return.
  child->SetTop(-60);  // 30 unscrolled
  Pump();
  EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->VertScrollBar()->Position(), 0);
  EXPECT_EQ(child->Top(), 30);
  // A hidden bar never shows; without AutoScroll the range is the program's.
  box->SetAutoScroll(false);
  box->HorzScrollBar()->SetRange(1000);
  EXPECT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
  box->HorzScrollBar()->SetVisible(false);
  EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
}

TEST_F(Scrolling, MessagesWheelAndScrollInView) {
  TForm* form;
  Probe* child;
  TScrollBox* box = MakeBox(form, child);
  child->SetTop(300);  // range 340 in a 100 high client
  Pump();
  TControlScrollBar* v = box->VertScrollBar();
  v->Increment = 10;
  box->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(v->Position(), 10);
  box->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(v->Position(), 110);
  box->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 42), 0);
  EXPECT_EQ(v->Position(), 42);
  box->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(v->Position(), 240);
  box->Perform(WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(v->Position(), 0);
  EXPECT_EQ(child->Top(), 300);
  // One notch down scrolls the wheel lines times the increment.
  box->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
  EXPECT_EQ(v->Position(), Mouse->WheelScrollLines() * 10);
  bool asked = false;
  box->OnMouseWheel = [&](TObject*, TShiftState, int, POINT, bool& handled) { asked = handled = true; };
  box->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
  EXPECT_TRUE(asked);
  EXPECT_EQ(v->Position(), Mouse->WheelScrollLines() * 10);  // the handler took it
  // ScrollInView: the least scroll that shows the whole child.
  box->ScrollInView(child);
  EXPECT_EQ(v->Position(), 240);
  EXPECT_EQ(child->Top() + child->Height(), box->ClientHeight());
  auto* top = new Probe(box);
  top->SetBounds(0, -200, 10, 10);  // 40 unscrolled
  top->SetParent(box);
  box->ScrollInView(top);
  EXPECT_EQ(top->Top(), 0);
  EXPECT_EQ(v->Position(), 40);
}

TEST_F(Scrolling, ArrowsMoveTheFocusUnlessTheControlWantsThem) {
  TForm* form = NewForm({100, 100, 400, 300});
  std::vector<Probe*> fields;
  for (int i = 0; i < 3; ++i) {
    auto* p = new Probe(form);
    p->SetBounds(10, 10 + 40 * i, 80, 30);
    p->SetParent(form);
    fields.push_back(p);
  }
  fields[1]->SetTabStop(false);  // arrows visit controls that Tab skips
  form->Show();
  fields[0]->SetFocus();
  Pump();
  backend.KeyPress(VK_DOWN);
  Pump();
  EXPECT_TRUE(fields[1]->Focused());
  backend.KeyPress(VK_RIGHT);
  Pump();
  EXPECT_TRUE(fields[2]->Focused());
  backend.KeyPress(VK_UP);
  backend.KeyPress(VK_LEFT);
  Pump();
  EXPECT_TRUE(fields[0]->Focused());
  // A control that asks for arrows gets them as keys.
  std::vector<WORD> keys;
  fields[0]->WindowProc = [&, old = fields[0]->WindowProc](TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) return void(m.Result = DLGC_WANTARROWS);
    old(m);
  };
  fields[0]->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { keys.push_back(k); };
  backend.KeyPress(VK_DOWN);
  Pump();
  EXPECT_TRUE(fields[0]->Focused());
  EXPECT_EQ(keys, (std::vector<WORD>{VK_DOWN}));
}

TEST_F(Scrolling, SpaceClicksTheFocusedButtonOnRelease) {
  TForm* form = NewForm({100, 100, 400, 300});
  auto* button = new TButtonControl(form);
  button->SetParent(form);
  auto* field = new Probe(form);
  field->SetBounds(0, 50, 50, 20);
  field->SetParent(form);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  button->SetFocus();
  Pump();
  backend.KeyDown(VK_SPACE);
  Pump();
  EXPECT_EQ(clicks, 0);
  backend.KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(clicks, 1);
  // Space pressed elsewhere and released on the button does not click it.
  field->SetFocus();
  Pump();
  backend.KeyDown(VK_SPACE);
  Pump();
  button->SetFocus();
  Pump();
  backend.KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace qv::test
