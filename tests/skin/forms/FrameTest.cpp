// The skinned frame's geometry and mouse: hit codes per border style and
// title buttons, hot and pressed caption buttons on the screen, a click on
// close, the system menu's rules and skin list, snapping to the work area,
// and the outline frame drag with its end on a lost capture.
#include "FramesSkin.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "skin/forms/skSystemMenu.h"
#include "skin/skControlTree.h"

namespace qv::test {
namespace {

class Frame : public FormsTest {
 protected:
  void SkinnedForm(TBorderStyle Style = bsSizeable) {
    form->SetBorderStyle(Style);
    AddProvider();
    Show();
    LoadSkin();
  }
  LRESULT Hit(int wx, int wy) {
    return SendMessage(form->WindowHandle(), WM_NCHITTEST, 0,
                       MAKELPARAM(form->Left() + wx, form->Top() + wy));
  }
  POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
};

TEST_F(Frame, HitCodesOfASizeableForm) {
  SkinnedForm();
  const POINT close = Centre(provider->ButtonRect(1)), max = Centre(provider->ButtonRect(2)),
              min = Centre(provider->ButtonRect(3));
  EXPECT_EQ(Hit(close.x, close.y), HTCLOSE);
  EXPECT_EQ(Hit(max.x, max.y), HTMAXBUTTON);
  EXPECT_EQ(Hit(min.x, min.y), HTMINBUTTON);
  const RECT icon = provider->IconRect();
  ASSERT_GT(icon.Width(), 0);
  EXPECT_EQ(Hit(icon.left + 1, close.y), HTSYSMENU);
  EXPECT_EQ(Hit(form->Width() / 2, close.y), HTCAPTION);
  EXPECT_EQ(Hit(form->Width() / 2, form->Height() / 2), HTCLIENT);
  EXPECT_EQ(Hit(1, form->Height() / 2), HTLEFT);
  EXPECT_EQ(Hit(form->Width() - 1, form->Height() - 1), HTBOTTOMRIGHT);
}

// Maximised, the form answers only inside (2, 2, width - 4, height - 4) of its
// window: two pixels at the left and top, four at the right and bottom.
TEST_F(Frame, MaximisedFormAnswersOnlyInsideItsEdges) {
  SkinnedForm();
  form->SetWindowState(wsMaximized);
  backend.Pump();
  RECT wr;
  GetWindowRect(form->WindowHandle(), &wr);
  const int w = wr.Width(), h = wr.Height();
  auto hit = [&](int x, int y) {
    return SendMessage(form->WindowHandle(), WM_NCHITTEST, 0, MAKELPARAM(wr.left + x, wr.top + y));
  };
  for (int x : {0, 1, w - 4, w - 3, w - 1}) EXPECT_EQ(hit(x, h / 2), HTSKINOUTSIDE) << x;
  for (int y : {0, 1, h - 4, h - 1}) EXPECT_EQ(hit(w / 2, y), HTSKINOUTSIDE) << y;
  for (int x : {2, w - 5}) EXPECT_NE(hit(x, h / 2), HTSKINOUTSIDE) << x;
  EXPECT_NE(hit(w / 2, h - 5), HTSKINOUTSIDE);
  EXPECT_EQ(hit(w / 2, h / 2), HTCLIENT);
  form->SetWindowState(wsNormal);
  backend.Pump();
  EXPECT_EQ(Hit(1, form->Height() / 2), HTLEFT);  // restored, the edges size the form again
}

TEST_F(Frame, DialogsHaveOnlyCloseAndToolWindowsFallBackToPlainButtons) {
  SkinnedForm(bsDialog);
  EXPECT_EQ(provider->SysButtonCount(), 1);
  const POINT second = Centre(provider->ButtonRect(2));
  EXPECT_EQ(Hit(second.x, second.y), HTCAPTION);
  EXPECT_EQ(provider->IconSize(false), 0);  // dialogs show no icon
  // A tool window has the small caption and no "S" glyphs in this skin: 21 x 21 buttons.
  form->SetBorderStyle(bsToolWindow);
  provider->UpdateIconsIndexes();
  EXPECT_EQ(provider->CaptionHeight(), GetSystemMetrics(SM_CYSMCAPTION));
  EXPECT_EQ(provider->ButtonWidth(), 21);
  EXPECT_EQ(provider->ButtonHeight(), 21);
}

TEST_F(Frame, IconFollowsTheCaptionHeightUnlessSetByTheTitleIcon) {
  SkinnedForm();
  const int cap = provider->CaptionHeight();
  const int expected = cap < 9 ? 0 : cap <= 16 ? 8 : cap <= 27 ? 16 : 32;
  EXPECT_EQ(provider->IconSize(false), expected);
  provider->TitleIcon()->Width = 12;
  provider->TitleIcon()->Height = 10;
  EXPECT_EQ(provider->IconRect().Width(), 12);
  EXPECT_EQ(provider->IconRect().Height(), 10);
  provider->SetShowAppIcon(false);
  EXPECT_EQ(provider->IconSize(false), 0);
}

TEST_F(Frame, TitleButtonsTakePlacesLeftOfTheSystemButtons) {
  TSkTitleButton* b = nullptr;
  AddProvider();
  b = provider->TitleButtons()->Add();
  EXPECT_EQ(b->DisplayName(), "TSkTitleButton");
  int downs = 0, ups = 0;
  b->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  b->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  Show();
  LoadSkin();
  const POINT at = Centre(provider->ButtonRect(provider->SysButtonCount() + 1));
  EXPECT_EQ(Hit(at.x, at.y), HTTITLEBUTTON);
  backend.Click(form->Left() + at.x, form->Top() + at.y);
  backend.Pump();
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  b->Enabled = false;
  EXPECT_EQ(Hit(at.x, at.y), HTCAPTION);
  backend.Click(form->Left() + at.x, form->Top() + at.y);
  backend.Pump();
  EXPECT_EQ(downs, 1);  // a disabled button is never pressed
}

TEST_F(Frame, ButtonsLightUpWhenHotAndPressedAndCloseCloses) {
  SkinnedForm();
  const RECT close = provider->ButtonRect(1);
  const int x = form->Left() + close.left + 4, y = form->Top() + close.top + 4;
  backend.MouseMove(x, y);
  backend.Pump();
  EXPECT_EQ(At(x, y), kClose[1]);
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(At(x, y), kClose[2]);
  bool closed = false;
  form->OnClose = [&](TObject*, TCloseAction& A) {
    closed = true;
    A = caHide;
  };
  backend.MouseUp();
  backend.Pump();
  EXPECT_TRUE(closed);
}

TEST_F(Frame, SystemMenuRules) {
  SkinnedForm(bsDialog);
  TSkSystemMenu* menu = provider->SystemMenu();
  ASSERT_NE(menu, nullptr);
  menu->UpdateItems();
  EXPECT_FALSE(menu->ItemRestore->Visible());
  EXPECT_TRUE(menu->ItemMove->Visible());
  EXPECT_FALSE(menu->ItemSize->Visible());
  EXPECT_FALSE(menu->ItemMinimize->Visible());
  EXPECT_FALSE(menu->ItemMaximize->Visible());
  EXPECT_TRUE(menu->ItemClose->Visible());
  EXPECT_EQ(menu->ItemClose->ShortCut(), TShortCut(0x8073));
  form->SetBorderStyle(bsSizeable);
  form->SetWindowState(wsMaximized);
  backend.Pump();
  menu->UpdateItems();
  EXPECT_TRUE(menu->ItemRestore->Enabled());
  EXPECT_FALSE(menu->ItemMaximize->Enabled());
  EXPECT_FALSE(menu->ItemMove->Enabled());
  EXPECT_TRUE(menu->ItemSize->Enabled());
}

TEST_F(Frame, SkinListIsMadeOnceWithTheCurrentSkinChecked) {
  SkinnedForm();
  TSkSystemMenu* menu = provider->SystemMenu();
  for (int i = 0; i < 2; ++i) {
    // What dropping the menu does before it shows: the old list goes, a new one comes.
    if (menu->Items()->Count() > 0 && menu->Items()->Items(0)->Name() == "SkinSelectItem") {
      delete menu->Items()->Items(0);
      menu->Items()->Delete(0);
    }
    menu->MakeSkinItems();
  }
  ASSERT_EQ(menu->Items()->Items(0)->Name(), "SkinSelectItem");
  TMenuItem* list = menu->Items()->Items(0);
  EXPECT_EQ(list->Caption(), "Available skins");
  ASSERT_EQ(list->Count(), 2);  // Frames and Plain, once each
  EXPECT_EQ(list->Items(0)->Caption(), "Frames");
  EXPECT_TRUE(list->Items(0)->Checked());
  EXPECT_FALSE(list->Items(1)->Checked());
  EXPECT_EQ(menu->Items()->Count(), 8 + 1);  // the list and its line, six commands, a line
  list->Items(1)->Click();
  EXPECT_EQ(manager->SkinName(), "Plain");
}

TEST_F(Frame, MovedFormsSnapToTheWorkAreaWithinTheBuffer) {
  SkinnedForm();
  provider->ScreenSnap = true;
  RECT wa;
  GetWorkArea(wa);
  int x = wa.right - form->Width() - 9, y = 100;
  provider->SnapPosition(x, y, form->Width(), form->Height());
  EXPECT_EQ(x, wa.right - form->Width());
  x = wa.right - form->Width() - 10;
  provider->SnapPosition(x, y, form->Width(), form->Height());
  EXPECT_EQ(x, wa.right - form->Width() - 10);
  // Through the window manager: a move near the left edge lands on it.
  form->SetBounds(wa.left + 7, 100, form->Width(), form->Height());
  backend.Pump();
  EXPECT_EQ(form->Left(), wa.left);
}

TEST_F(Frame, OutlineDragMovesOnceAndEndsCleanlyWhenCaptureIsLost) {
  SkinnedForm();
  provider->ResizeMode = rmBorder;
  const Surface before = backend.Screenshot();
  const int x = form->Left() + form->Width() / 2, y = form->Top() + 8;
  const int left = form->Left(), top = form->Top();
  backend.MouseMove(x, y);
  backend.MouseDown();
  backend.Pump();
  ASSERT_TRUE(provider->FrameDragActive());
  backend.MouseMove(x + 30, y + 20);
  backend.Pump();
  EXPECT_EQ(form->Left(), left);  // only the outline follows
  const RECT outline = provider->FrameDragRect();
  EXPECT_EQ(outline.left, left + 30);
  backend.MouseUp();
  backend.Pump();
  EXPECT_FALSE(provider->FrameDragActive());
  EXPECT_EQ(form->Left(), left + 30);
  EXPECT_EQ(form->Top(), top + 20);
  // A second drag loses the capture half way: no move, nothing left on the screen.
  form->SetBounds(left, top, form->Width(), form->Height());
  backend.AdvanceClock(1000);  // not a double click
  backend.Pump();
  backend.MouseMove(x, y);
  backend.MouseDown();
  backend.Pump();
  ASSERT_TRUE(provider->FrameDragActive());
  backend.MouseMove(x + 40, y + 40);
  backend.Pump();
  ReleaseCapture();
  backend.Pump();
  EXPECT_FALSE(provider->FrameDragActive());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(form->Left(), left);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(form->Left(), left);
  const Surface after = backend.Screenshot();
  int differ = 0;
  for (int yy = 0; yy < before.Height; ++yy)
    for (int xx = 0; xx < before.Width; ++xx)
      differ += (before.At(xx, yy) & 0xFFFFFF) != (after.At(xx, yy) & 0xFFFFFF);
  EXPECT_EQ(differ, 0);
}

TEST_F(Frame, OutlineSizingKeepsTheMinimumSize) {
  SkinnedForm();
  provider->ResizeMode = rmBorder;
  form->Constraints().MinWidth = 200;
  form->Constraints().MinHeight = 150;
  const int x = form->Left() + form->Width() - 3,
            y = form->Top() + form->Height() - 3;  // inside the cut corner
  const int left = form->Left(), top = form->Top();
  backend.MouseMove(x, y);
  backend.MouseDown();
  backend.Pump();
  ASSERT_TRUE(provider->FrameDragActive());
  backend.MouseMove(x - 5, y - 5);  // the first move sets where sizing starts
  backend.MouseMove(x - 400, y - 300);
  backend.Pump();
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(form->Left(), left);
  EXPECT_EQ(form->Top(), top);
  EXPECT_EQ(form->Width(), 200);
  EXPECT_EQ(form->Height(), 150);
}

TEST_F(Frame, SettingsRepaintTheFrameOnlyWhenTheyChange) {
  SkinnedForm();
  int paints = 0;
  TWndMethod skinned = form->WindowProc;
  form->WindowProc = [&](TMessage& M) {
    paints += M.Msg == WM_NCPAINT;
    skinned(M);
  };
  provider->SetCaptionAlignment(taCenter);
  EXPECT_EQ(paints, 1);
  provider->SetCaptionAlignment(taCenter);
  EXPECT_EQ(paints, 1);
  form->WindowProc = skinned;
}

}  // namespace
}  // namespace qv::test
