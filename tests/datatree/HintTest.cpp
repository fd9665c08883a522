// Hints of the tree: which hint the tree asks for where (tooltips only for
// clipped cells, header column hints, none over the cell being edited), the
// hint window's size and placement, and an animation whose window goes.
#include "TreeTestSupport.h"
#include "classlib/controls/ControlMessages.h"
#include "datatree/DataTreeHintWindow.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

class Hints : public TreeTest {
 protected:
  TDataStringTree* Texts(RECT r = {0, 0, 200, 200}) {
    TDataStringTree* t = NewTree(r);
    t->SetShowHint(true);
    t->SetRootNodeCount(3);
    t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
      s = n->Index == 1 ? u"a text far too long to fit into the narrow window of this tree" : u"short";
    };
    t->SetFocus();
    Pump();
    return t;
  }
  POINT In(TBaseDataTree* t, int index) {
    PDataNode n = t->GetFirst();
    while (index--) n = t->GetNext(n);
    RECT r = t->GetDisplayRect(n, NoColumn, true);
    return POINT{r.left + 3, (r.top + r.bottom) / 2};
  }
};

TEST_F(Hints, TooltipsOnlyForClippedCells) {
  TDataStringTree* t = Texts();
  t->HintMode = hmTooltip;
  THintInfo info;
  EXPECT_EQ(AskHint(t, In(t, 0), info), 1);  // fits
  ASSERT_EQ(AskHint(t, In(t, 1), info), 0);
  RECT text = t->GetDisplayRect(t->GetNext(t->GetFirst()), NoColumn, true, true);
  EXPECT_EQ(info.CursorRect.right, text.right);
  EXPECT_EQ(info.HintPos.x, t->ClientToScreen(POINT{text.left, text.top}).x);
  EXPECT_TRUE(info.HintWindowClass);
  EXPECT_TRUE(t->TreeStates().Contains(tsHint));
  // Within the same cell the hint is not rebuilt.
  POINT p = In(t, 1);
  EXPECT_EQ(AskHint(t, POINT{p.x + 2, p.y}, info), 1);
  // The hint window shows the full text where the cell is.
  AskHint(t, In(t, 0), info);
  ASSERT_EQ(AskHint(t, In(t, 1), info), 0);
  std::unique_ptr<THintWindow> window(info.HintWindowClass(nullptr));
  RECT r = window->CalcHintRect(800, info.HintStr, info.HintData);
  EXPECT_GT(r.right - r.left, t->ClientWidth());
  EXPECT_EQ(r.left, -1);
  // Nothing over the node being edited.
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toEditable);
  ASSERT_TRUE(t->EditNode(t->GetNext(t->GetFirst()), NoColumn));
  AskHint(t, In(t, 0), info);
  EXPECT_EQ(AskHint(t, In(t, 1), info), 1);
  t->CancelEditNode();
}

// Leaving the tree: the next hint is built even for the same place, a
// pending auto scroll stops, and nothing stays hot or pressed.
TEST_F(Hints, LeavingTheTreeForgetsTheHintPlaceAndWhatIsHotOrPressed) {
  TDataStringTree* t = Texts();
  t->HintMode = hmTooltip;
  THintInfo info;
  ASSERT_EQ(AskHint(t, In(t, 1), info), 0);
  ASSERT_EQ(AskHint(t, In(t, 1), info), 1);  // the same place: nothing new
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toHotTrack);
  RECT label = t->GetDisplayRect(t->GetFirst(), NoColumn, true, true);
  POINT over = t->ClientToScreen(POINT{label.left + 3, (label.top + label.bottom) / 2});
  backend.MouseMove(over.x, over.y);
  Pump();
  ASSERT_EQ(t->HotNode(), t->GetFirst());
  t->DoStateChange({tsScrollPending});
  SetTimer(t->Handle(), 4, 50, nullptr);
  t->Header()->Columns()->Add()->SetWidth(100);
  t->Header()->Columns()->HoverIndex = 0;
  t->Header()->Columns()->DownIndex = 0;
  std::vector<PDataNode> hot;
  t->OnHotChange = [&](TBaseDataTree*, PDataNode, PDataNode n) { hot.push_back(n); };
  t->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(t->TreeStates().Contains(tsHint));
  EXPECT_EQ(t->LastHintRect(), RECT{});
  EXPECT_FALSE(t->TreeStates().Contains(tsScrollPending));
  EXPECT_FALSE(KillTimer(t->Handle(), 4));
  EXPECT_EQ(t->HotNode(), nullptr);
  EXPECT_EQ(hot, std::vector<PDataNode>{nullptr});
  EXPECT_EQ(t->Header()->Columns()->HoverIndex, -1);
  EXPECT_EQ(t->Header()->Columns()->DownIndex, -1);
  t->Header()->Columns()->Clear();
  EXPECT_EQ(AskHint(t, In(t, 1), info), 0);
}

// A node deleted while a hint of the tree shows takes the hint with it,
// whichever node the hint shows; without a hint the application's stays.
TEST_F(Hints, DeletingANodeCancelsTheHintThatShows) {
  TDataStringTree* t = Texts({0, 0, 300, 200});
  t->HintMode = hmTooltip;
  t->HintAnimation = hatNone;
  t->SetHint("tree");
  Pump();
  Application->CancelHint();
  POINT clipped = t->ClientToScreen(In(t, 1));
  backend.MouseMove(clipped.x, clipped.y + 300);
  backend.MouseMove(clipped.x, clipped.y);
  Pump();
  backend.AdvanceClock(20);
  Pump();
  THintWindow* shown = Application->HintWindow();
  ASSERT_TRUE(shown && shown->IsHintShowing());
  ASSERT_TRUE(t->TreeStates().Contains(tsHint));
  t->DeleteNode(t->GetLast());
  EXPECT_FALSE(shown->IsHintShowing());
  EXPECT_FALSE(t->TreeStates().Contains(tsHint));
}

TEST_F(Hints, HeaderColumnsShowTheirOwnHints) {
  TDataStringTree* t = Texts({0, 0, 300, 200});
  auto* c0 = t->Header()->Columns()->Add();
  c0->SetWidth(100);
  auto* c1 = t->Header()->Columns()->Add();
  c1->SetWidth(100);
  c1->SetHint(u"sizes");
  t->Header()->SetOptions(t->Header()->Options() + hoVisible + hoShowHint);
  Pump();
  int y = -t->Header()->Height() / 2;  // the header lies above the client area
  THintInfo info;
  EXPECT_EQ(AskHint(t, POINT{50, y}, info), 1);
  ASSERT_EQ(AskHint(t, POINT{150, y}, info), 0);
  auto* data = static_cast<TDTHintData*>(info.HintData);
  EXPECT_EQ(data->DefaultHint, u"sizes");
  EXPECT_EQ(info.CursorRect.left, 100);
  // The plain hint: the text plus 6 pixels in height, twice the margin plus 2 in width.
  TDataTreeHintWindow window(nullptr);
  RECT r = window.CalcHintRectFor(400, data);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Screen->HintFont()->Handle());
  SIZE s{};
  GetTextExtentPoint32W(dc, u"sizes", 5, &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(r.right, s.cx + 2 * t->TextMargin() + 2);
  EXPECT_GE(r.bottom, 6 + s.cy - 2);
  // Partly beyond the right edge of the desktop: moved left to end there.
  window.ActivateHint(RECT{790, 10, 790 + r.right, 10 + r.bottom}, "");
  EXPECT_EQ(window.Left() + window.Width(), 800);
  ShowWindow(window.Handle(), SW_HIDE);
  // Other modes over the tree area: the control's hint.
  t->SetHint("tree|long");
  t->HintMode = hmDefault;
  ASSERT_EQ(AskHint(t, POINT{50, 20}, info), 0);
  EXPECT_EQ(info.HintStr, "tree");
  EXPECT_FALSE(info.HintWindowClass);
}

// A hint window freed by a message handled inside its own fade: the
// animation stops without touching it.
TDataTreeHintWindow* doomed = nullptr;
LRESULT FreeHintProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER + 7) {
    delete doomed;
    doomed = nullptr;
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

TEST_F(Hints, AFadeStopsWhenItsWindowGoes) {
  TDataStringTree* t = Texts();
  t->HintMode = hmHint;
  t->SetHint("plain");
  t->HintAnimation = hatFade;
  t->SetAnimationDuration(40);
  THintInfo info;
  ASSERT_EQ(AskHint(t, In(t, 0), info), 0);
  WNDCLASSEXW wc;
  wc.lpfnWndProc = FreeHintProc;
  wc.lpszClassName = u"QvHintKiller";
  RegisterClassExW(&wc);
  HWND killer =
      CreateWindowExW(0, u"QvHintKiller", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  doomed = new TDataTreeHintWindow(nullptr);
  RECT r = doomed->CalcHintRectFor(300, static_cast<TDTHintData*>(info.HintData));
  OffsetRect(&r, 50, 50);
  PostMessageW(killer, WM_USER + 7, 0, 0);
  doomed->ActivateHint(r, "");
  EXPECT_EQ(doomed, nullptr);
  EXPECT_FALSE(t->TreeStates().Contains(tsInAnimation));
  DestroyWindow(killer);
  UnregisterClassW(u"QvHintKiller", nullptr);
  // A fade that runs to its end paints the hint over the copy of the screen.
  TDataTreeHintWindow window(nullptr);
  r = window.CalcHintRectFor(300, static_cast<TDTHintData*>(info.HintData));
  OffsetRect(&r, 50, 50);
  window.ActivateHint(r, "");
  EXPECT_GT(window.StepsRun(), 1);
  EXPECT_FALSE(t->TreeStates().Contains(tsInAnimation));
  Pump();
  EXPECT_EQ(PixelAt(51, 51), uint32_t(ColorToRGB(clInfoBk)) >> 16 |
                                 (uint32_t(ColorToRGB(clInfoBk)) & 0xFF00) |
                                 (uint32_t(ColorToRGB(clInfoBk)) & 0xFF) << 16);
  // The tree goes while its hint shows: the window paints nothing of it.
  TDataTreeHintWindow orphan(nullptr);
  t->HintAnimation = hatNone;
  r = orphan.CalcHintRectFor(300, static_cast<TDTHintData*>(info.HintData));
  OffsetRect(&r, 50, 120);
  orphan.ActivateHint(r, "");
  Pump();
  delete form;
  form = nullptr;
  InvalidateRect(orphan.Handle(), nullptr, FALSE);
  UpdateWindow(orphan.Handle());
  orphan.AnimationStep(1, 1);
  ShowWindow(window.Handle(), SW_HIDE);
}

// Tooltips show at once; header hints too once no tree hint window is left.
// Over a visible tree hint, frame mouse moves and keys leave it, a click ends it.
TEST_F(Hints, TooltipsSkipThePauseAndKeysLeaveTheHint) {
  TDataStringTree* t = Texts({0, 0, 300, 200});
  t->HintMode = hmTooltip;
  t->HintAnimation = hatNone;
  t->SetHint("tree");
  Pump();
  Application->CancelHint();  // as if the mouse came from elsewhere
  // Through the application: the clipped cell's tooltip shows almost at once.
  POINT clipped = t->ClientToScreen(In(t, 1));
  backend.MouseMove(clipped.x, clipped.y);
  Pump();
  backend.AdvanceClock(20);
  Pump();
  THintWindow* shown = Application->HintWindow();
  ASSERT_TRUE(shown && shown->IsHintShowing());
  ASSERT_TRUE(dynamic_cast<TDataTreeHintWindow*>(shown));
  MSG m{};
  m.hwnd = t->Handle();
  for (UINT keep : {UINT(WM_NCMOUSEMOVE), UINT(WM_KEYDOWN), UINT(WM_KEYUP), UINT(WM_CHAR)}) {
    m.message = keep;
    EXPECT_FALSE(shown->IsHintMsg(m)) << keep;
  }
  m.message = WM_LBUTTONDOWN;
  EXPECT_TRUE(shown->IsHintMsg(m));
  PostMessageW(t->Handle(), WM_KEYUP, VK_SHIFT, 0);
  Pump();
  EXPECT_TRUE(shown->IsHintShowing());
  THintWindow plain(nullptr);
  m.message = WM_KEYDOWN;
  EXPECT_TRUE(plain.IsHintMsg(m));
  PostMessageW(t->Handle(), WM_RBUTTONDOWN, 0, LPARAM(0x50005));
  Pump();
  EXPECT_FALSE(shown->IsHintShowing());
  // A hidden tree hint window answers as any hint window.
  EXPECT_TRUE(shown->IsHintMsg(m));

  // The pause the tree asks for: none for tooltips, none over the header once
  // no tree hint window is left, the application's elsewhere.
  t->Header()->Columns()->Add()->SetWidth(250);
  t->Header()->SetOptions(t->Header()->Options() + hoVisible + hoShowHint);
  Pump();
  auto pauseAt = [&](POINT client) {
    POINT s = t->ClientToScreen(client);
    backend.MouseMove(s.x, s.y);
    int pause = 500;
    t->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
    return pause;
  };
  POINT header{50, -t->Header()->Height() / 2}, rows = In(t, 0);
  EXPECT_EQ(pauseAt(rows), 0);
  t->HintMode = hmDefault;
  Application->ResetHintWindow();  // the last tree hint window goes
  EXPECT_EQ(pauseAt(header), 0);
  EXPECT_EQ(pauseAt(rows), 500);
  TDataTreeHintWindow live(nullptr);
  EXPECT_EQ(pauseAt(header), 500);
}

}  // namespace
}  // namespace qv::test
