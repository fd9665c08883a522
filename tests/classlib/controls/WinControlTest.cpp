// Windowed controls: handles made parent first from CreateParams, z-order
// of child windows, alignment and anchors under parent resizes, and both
// ways of subclassing a control's window procedure.
#include <gtest/gtest.h>

#include <algorithm>

#include "ControlsTestSupport.h"

namespace qv::test {
namespace {

using WinControls = ControlsTest;

class StyledProbe : public Probe {
 public:
  using Probe::Probe;

 protected:
  void CreateParams(TCreateParams& Params) override {
    Probe::CreateParams(Params);
    Params.Style |= WS_BORDER;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
};

TEST_F(WinControls, HandlesAreMadeParentFirstAndFollowCreateParams) {
  std::vector<std::string> log;
  TForm* form = NewForm();
  auto* outer = new Probe(form, &log);
  outer->SetName("outer");
  outer->ControlStyle().Include(csAcceptsControls);
  outer->SetBounds(10, 10, 200, 100);
  outer->SetParent(form);
  auto* inner = new StyledProbe(form, &log);
  inner->SetName("inner");
  inner->SetBounds(5, 5, 50, 40);
  inner->SetParent(outer);
  EXPECT_FALSE(outer->HandleAllocated());  // nothing is made before it is needed

  HWND h = inner->Handle();  // asking the child makes the parents first
  EXPECT_EQ(log, (std::vector<std::string>{"create outer", "create inner"}));
  EXPECT_EQ(GetParent(h), outer->WindowHandle());
  EXPECT_TRUE(GetWindowLongPtr(h, GWL_STYLE) & WS_BORDER);
  EXPECT_TRUE(GetWindowLongPtr(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD);
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, outer->WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r, (RECT{5, 5, 55, 45}));

  // Text set before the window exists is in the window, and survives a new window.
  inner->SetCaption("héllo");
  inner->RecreateWnd();
  EXPECT_EQ(inner->Caption(), "héllo");
  HWND again = inner->Handle();
  EXPECT_EQ(std::count(log.begin(), log.end(), "create inner"), 2);
  EXPECT_EQ(TWinControl::FindControl(again), inner);
  EXPECT_EQ(TWinControl::FindControl(h), nullptr);  // the old handle is stale
}

TEST_F(WinControls, ChildWindowsStackInControlOrder) {
  TForm* form = NewForm();
  std::vector<Probe*> kids;
  for (int i = 0; i < 3; ++i) {
    kids.push_back(new Probe(form));
    kids.back()->SetBounds(10 * i, 0, 50, 50);
    kids.back()->SetParent(form);
  }
  form->Show();
  auto stack = [&] {
    std::vector<Probe*> out;  // top first
    for (HWND h = GetWindow(form->WindowHandle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      out.push_back(static_cast<Probe*>(TWinControl::FindControl(h)));
    return out;
  };
  EXPECT_EQ(stack(), (std::vector<Probe*>{kids[2], kids[1], kids[0]}));
  kids[0]->BringToFront();
  EXPECT_EQ(stack(), (std::vector<Probe*>{kids[0], kids[2], kids[1]}));
  kids[2]->SendToBack();
  EXPECT_EQ(stack(), (std::vector<Probe*>{kids[0], kids[1], kids[2]}));
  EXPECT_EQ(form->Controls(2), kids[0]);  // the list runs bottom to top
  // The window at a point is the topmost child there.
  EXPECT_EQ(WindowFromPoint(POINT{125, 110}), kids[0]->WindowHandle());
}

struct Layout {
  TForm* form;
  TControl *top, *bottom, *left, *right, *client;
};

TEST_F(WinControls, AlignedChildrenFillTheClientEdgeByEdge) {
  TForm* form = NewForm({0, 0, 400, 300});
  form->SetBorderWidth(2);
  auto make = [&](TAlign a, RECT r) {
    auto* c = new Probe(form);
    c->SetBoundsRect(r);
    c->SetAlign(a);
    c->SetParent(form);
    return c;
  };
  auto* top2 = make(alTop, {0, 50, 10, 70});  // placed lower: stacks under the first
  auto* top1 = make(alTop, {0, 0, 10, 30});
  auto* bottom = make(alBottom, {0, 0, 10, 25});
  auto* left = make(alLeft, {0, 0, 40, 10});
  auto* right = make(alRight, {0, 0, 60, 10});
  auto* client = make(alClient, {0, 0, 1, 1});
  auto check = [&](int w, int h) {
    int inner = w - 4;
    EXPECT_EQ(top1->BoundsRect(), (RECT{2, 2, 2 + inner, 32}));
    EXPECT_EQ(top2->BoundsRect(), (RECT{2, 32, 2 + inner, 52}));
    EXPECT_EQ(bottom->BoundsRect(), (RECT{2, h - 27, 2 + inner, h - 2}));
    EXPECT_EQ(left->BoundsRect(), (RECT{2, 52, 42, h - 27}));
    EXPECT_EQ(right->BoundsRect(), (RECT{w - 62, 52, w - 2, h - 27}));
    EXPECT_EQ(client->BoundsRect(), (RECT{42, 52, w - 62, h - 27}));
  };
  check(400, 300);
  form->Show();  // the windows keep the layout
  check(400, 300);
  form->SetBounds(0, 0, 500, 350);
  check(500, 350);
  // Hiding an aligned control gives its room to the others.
  top2->SetVisible(false);
  EXPECT_EQ(left->Top(), 32);
  EXPECT_EQ(client->Top(), 32);
}

TEST_F(WinControls, AnchorsKeepDistancesWhenTheParentResizes) {
  TForm* form = NewForm({0, 0, 400, 300});
  auto make = [&](TAnchors a) {
    auto* c = new Probe(form);
    c->SetBounds(10, 20, 100, 30);
    c->SetParent(form);
    c->SetAnchors(a);
    return c;
  };
  auto* fixed = make(kDefaultAnchors);
  auto* stretch = make({akLeft, akTop, akRight});
  auto* corner = make({akRight, akBottom});
  auto* full = make({akLeft, akTop, akRight, akBottom});
  form->Show();
  for (auto [w, h] : {std::pair{500, 360}, std::pair{450, 320}}) {
    form->SetBounds(0, 0, w, h);
    EXPECT_EQ(fixed->BoundsRect(), (RECT{10, 20, 110, 50}));
    EXPECT_EQ(stretch->BoundsRect(), (RECT{10, 20, w - 290, 50}));
    EXPECT_EQ(corner->BoundsRect(), (RECT{w - 390, h - 280, w - 290, h - 250}));
    EXPECT_EQ(full->BoundsRect(), (RECT{10, 20, w - 290, h - 250}));
  }
}

WNDPROC gOldProc = nullptr;
std::vector<std::string>* gLog = nullptr;
LRESULT Subclass(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER + 1) gLog->push_back("window procedure");
  if (m == WM_USER + 2) return 77;  // answered here: the object never sees it
  return CallWindowProcW(gOldProc, h, m, w, l);
}

TEST_F(WinControls, WindowProcReplacementAndHandleSubclassingBothSeeMessages) {
  std::vector<std::string> log;
  TForm* form = NewForm();
  auto* c = new Probe(form);
  c->SetParent(form);
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 1) log.push_back("WindowProc");
    if (m.Msg == WM_USER + 3) return void(m.Result = 5);
    old(m);
  };
  gLog = &log;
  gOldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtr(c->Handle(), GWLP_WNDPROC, LONG_PTR(&Subclass)));
  SendMessageW(c->WindowHandle(), WM_USER + 1, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"window procedure", "WindowProc"}));
  EXPECT_EQ(SendMessageW(c->WindowHandle(), WM_USER + 2, 0, 0), 77);
  EXPECT_EQ(SendMessageW(c->WindowHandle(), WM_USER + 3, 0, 0), 5);
  EXPECT_EQ(c->Perform(WM_USER + 3, 0, 0), 5);  // Perform runs WindowProc directly
  // Text messages through the whole chain reach the window's default procedure.
  c->SetText("abc");
  EXPECT_EQ(c->Text(), "abc");
  SetWindowLongPtr(c->WindowHandle(), GWLP_WNDPROC, LONG_PTR(gOldProc));
  c->WindowProc = old;
}

// A windowless control hears of its new bounds by the messages a window gets:
// WM_WINDOWPOSCHANGED with the new place, then WM_MOVE and WM_SIZE for what
// changed, and already holds the new bounds when they arrive.
TEST_F(WinControls, GraphicControlsHearOfTheirNewBoundsByMessage) {
  TForm* form = NewForm();
  auto* g = new TGraphicControl(form);
  g->SetParent(form);
  g->SetBounds(10, 10, 40, 20);
  std::vector<std::string> log;
  TWndMethod old = g->WindowProc;
  g->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_WINDOWPOSCHANGED) {
      auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
      ASSERT_NE(wp, nullptr);
      log.push_back("pos " + std::to_string(wp->x) + "," + std::to_string(wp->y) + " " +
                    std::to_string(wp->cx) + "x" + std::to_string(wp->cy) +
                    (wp->flags & SWP_NOMOVE ? " nomove" : "") + (wp->flags & SWP_NOSIZE ? " nosize" : ""));
    } else if (m.Msg == WM_MOVE) {
      log.push_back("move " + std::to_string(GET_X_LPARAM(m.LParam)) + "," +
                    std::to_string(GET_Y_LPARAM(m.LParam)));
    } else if (m.Msg == WM_SIZE) {
      EXPECT_EQ(g->Width(), LOWORD(m.LParam));
      log.push_back("size " + std::to_string(LOWORD(m.LParam)) + "x" + std::to_string(HIWORD(m.LParam)));
    }
    old(m);
  };
  g->SetBounds(15, 12, 40, 20);
  EXPECT_EQ(log, (std::vector<std::string>{"pos 15,12 40x20 nosize", "move 15,12"}));
  log.clear();
  g->SetWidth(60);
  EXPECT_EQ(log, (std::vector<std::string>{"pos 15,12 60x20 nomove", "size 60x20"}));
  log.clear();
  g->SetBounds(15, 12, 60, 20);  // no change, no message
  g->SetBounds(0, 0, 5, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"pos 0,0 5x5", "move 0,0", "size 5x5"}));
  // A control freed by its size handler is not touched again.
  g->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_WINDOWPOSCHANGED) return delete g;
    old(m);
  };
  g->SetBounds(1, 1, 9, 9);
  EXPECT_EQ(form->ControlCount(), 0);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Bevels belong to the frame: each cut bevel takes BevelWidth pixels off the
// named edges of the client area, with or without a window, and is drawn there.
TEST_F(WinControls, BevelsTakeTheirEdgesOffTheClientAreaAndAreDrawnInTheFrame) {
  TForm* form = NewForm();
  auto* p = new Probe(form);
  p->SetBounds(10, 10, 100, 60);
  p->OnPaintProbe = [](TCanvas* c) {
    c->Brush()->SetColor(clWhite);
    c->FillRect(RECT{0, 0, 200, 200});
  };
  p->SetBevelWidth(2);
  p->SetBevelKind(bkFlat);
  p->SetBevelEdges(TBevelEdges{beLeft, beBottom});
  EXPECT_EQ(p->ClientWidth(), 96);  // no window yet
  EXPECT_EQ(p->ClientHeight(), 56);
  p->SetParent(form);
  form->Show();
  Application->ProcessMessages();
  RECT client;
  GetClientRect(p->Handle(), &client);
  EXPECT_EQ(client, (RECT{0, 0, 96, 56}));
  EXPECT_EQ(p->ClientToScreen(POINT{0, 0}).x, 110 + 4);
  EXPECT_EQ(p->ClientToScreen(POINT{0, 0}).y, 110);
  // Flat: the outer bevel in the shadow colour, the inner one in the face colour.
  auto px = [](TColor c) {
    COLORREF v = COLORREF(ColorToRGB(c));
    return Rgb(GetRValue(v), GetGValue(v), GetBValue(v));
  };
  for (int x : {110, 111}) EXPECT_EQ(PixelAt(x, 130), px(clBtnShadow)) << x;
  for (int x : {112, 113}) EXPECT_EQ(PixelAt(x, 130), px(clBtnFace)) << x;
  EXPECT_EQ(PixelAt(114, 130), px(clWhite));
  EXPECT_EQ(PixelAt(150, 169), px(clBtnShadow));
  EXPECT_EQ(PixelAt(150, 110), px(clWhite));  // no bevel at the top
  // A bevel that is not cut takes nothing; without a kind there are no bevels.
  p->SetBevelInner(bvNone);
  GetClientRect(p->Handle(), &client);
  EXPECT_EQ(client, (RECT{0, 0, 98, 58}));
  p->SetBevelKind(bkNone);
  GetClientRect(p->Handle(), &client);
  EXPECT_EQ(client, (RECT{0, 0, 100, 60}));
  Application->ProcessMessages();
  EXPECT_EQ(PixelAt(110, 130), px(clWhite));
}

}  // namespace
}  // namespace qv::test
