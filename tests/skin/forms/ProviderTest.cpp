// The form skin provider: transparent while no skin is active, the skinned
// frame on the screen (title, border, caption buttons, the region cut from
// the border's corners), the apply-then-remove round trip leaving the form
// exactly as it was, switching skins, and the destructor's remove path.
#include <vector>

#include "FramesSkin.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/skMessages.h"

namespace qv::test {
namespace {

using Provider = FormsTest;

TEST_F(Provider, UnskinnedFormSeesEveryMessage) {
  std::vector<UINT> seen;
  TWndMethod own = form->WindowProc;
  form->WindowProc = [&](TMessage& M) {
    seen.push_back(M.Msg);
    own(M);
  };
  form->SetAutoScroll(true);
  AddProvider();
  EXPECT_FALSE(form->AutoScroll());
  Show();
  seen.clear();
  HWND h = form->WindowHandle();
  SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(100, 100));
  SendMessage(h, WM_NCPAINT, 0, 0);
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  auto has = [&](UINT m) { return std::find(seen.begin(), seen.end(), m) != seen.end(); };
  EXPECT_TRUE(has(WM_NCHITTEST));
  EXPECT_TRUE(has(WM_NCPAINT));
  EXPECT_TRUE(has(WM_PAINT));
  // The query of command 7 is answered by the provider and never reaches the form.
  seen.clear();
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
  form->WindowProc(q);
  EXPECT_EQ(q.LParam, 1);
  EXPECT_TRUE(seen.empty());
  // Freed, the provider gives the form its own procedure back.
  delete provider;
  seen.clear();
  SendMessage(h, WM_NCHITTEST, 0, 0);
  EXPECT_TRUE(has(WM_NCHITTEST));
}

TEST_F(Provider, WithoutAFormItStaysInert) {
  TComponent owner(nullptr);
  TSkinProvider p(&owner);
  EXPECT_EQ(p.Form(), nullptr);
  p.PrepareForm();
  TMessage m{WM_NCPAINT, 0, 0, 0};
  p.SkinProviderWndProc(m);  // nothing to pass it to, nothing happens
  SUCCEED();
}

TEST_F(Provider, SkinnedFramePaintsTitleBorderAndButtons) {
  AddProvider();
  Show();
  LoadSkin();
  ASSERT_TRUE(provider->Skinned());
  EXPECT_TRUE(form->BorderIcons().Empty());  // the skin draws the buttons
  const int cap = provider->CaptionHeight(), bh = provider->SysBorderHeight();
  // The title band in its active colour, the border strip below it.
  EXPECT_EQ(WinAt(form->Width() / 2, (cap + bh) / 2 + 3), kTitleActive);
  EXPECT_TRUE(Near(WinAt(1, form->Height() / 2), kFrameActive));
  // The close button sits rightmost, then maximise, then minimise.
  const RECT close = provider->ButtonRect(1), max = provider->ButtonRect(2), min = provider->ButtonRect(3);
  EXPECT_EQ(close.Width(), 16);
  EXPECT_EQ(close.right, form->Width() - provider->SysBorderWidth() - 1);
  EXPECT_EQ(WinAt(close.left + 4, close.top + 4), kClose[0]);
  EXPECT_EQ(WinAt(max.left + 4, max.top + 4), kMax[0]);
  EXPECT_EQ(WinAt(min.left + 4, min.top + 4), kMin[0]);
  // The border's see-through corner pixel lies outside the window.
  EXPECT_FALSE(provider->TransparentRects().empty());
  const uint32_t desk = At(form->Left() - 5, form->Top() - 5);
  EXPECT_EQ(WinAt(0, 0), desk);
  EXPECT_EQ(WinAt(form->Width() - 1, form->Height() - 1), desk);
  EXPECT_NE(WinAt(1, 1), desk);
}

TEST_F(Provider, AnInactiveFormShowsTheInactiveTitle) {
  AddProvider();
  Show();
  LoadSkin();
  const int y = (provider->CaptionHeight() + provider->SysBorderHeight()) / 2 + 3;
  EXPECT_EQ(WinAt(form->Width() / 2, y), kTitleActive);
  TForm other(nullptr);
  other.SetBounds(400, 300, 100, 80);
  other.Show();
  backend.Pump();
  EXPECT_FALSE(provider->FormActive());
  EXPECT_EQ(WinAt(form->Width() / 2, y), kTitle);
  // Inactive, the caption buttons are half blended over the title.
  const RECT close = provider->ButtonRect(1);
  EXPECT_NE(WinAt(close.left + 4, close.top + 4), kClose[0]);
  SetActiveWindow(form->WindowHandle());
  backend.Pump();
  EXPECT_EQ(WinAt(form->Width() / 2, y), kTitleActive);
  EXPECT_EQ(WinAt(close.left + 4, close.top + 4), kClose[0]);
}

TEST_F(Provider, ApplyThenRemoveLeavesTheFormAsItWas) {
  form->SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
  auto* button = new TForm(form);  // any child window will do
  (void)button;
  AddProvider();
  Show();
  const Surface before = backend.Screenshot();
  const TBorderIcons icons = form->BorderIcons();
  const TColor colour = form->Color();
  LoadSkin();
  EXPECT_NE(backend.Screenshot().At(form->Left() + 50, form->Top() + 8),
            before.At(form->Left() + 50, form->Top() + 8));
  manager->SetActive(false);
  backend.Pump();
  EXPECT_FALSE(provider->Skinned());
  EXPECT_EQ(form->BorderIcons(), icons);
  EXPECT_EQ(form->Color(), colour);
  EXPECT_FALSE(WindowHasOwnFrame(form->WindowHandle()));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(form->WindowHandle(), rgn), ERROR);  // no region any more
  DeleteObject(rgn);
  const Surface after = backend.Screenshot();
  int differ = 0;
  for (int y = 0; y < before.Height; ++y)
    for (int x = 0; x < before.Width; ++x)
      differ += (before.At(x, y) & 0xFFFFFF) != (after.At(x, y) & 0xFFFFFF);
  EXPECT_EQ(differ, 0);
}

TEST_F(Provider, SwitchingSkinsRepaintsTheFrame) {
  AddProvider();
  Show();
  LoadSkin("Frames");
  EXPECT_TRUE(Near(WinAt(1, form->Height() / 2), kFrameActive));
  LoadSkin("Plain");
  EXPECT_TRUE(Near(WinAt(1, form->Height() / 2), 0x202020u));
  LoadSkin("Frames");
  EXPECT_TRUE(Near(WinAt(1, form->Height() / 2), kFrameActive));
}

TEST_F(Provider, FreedWhileSkinnedGivesTheFormBack) {
  AddProvider();
  Show();
  LoadSkin();
  ASSERT_TRUE(form->BorderIcons().Empty());
  delete provider;
  backend.Pump();
  EXPECT_EQ(form->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize, biMaximize}));
  EXPECT_FALSE(WindowHasOwnFrame(form->WindowHandle()));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(form->WindowHandle(), rgn), ERROR);
  DeleteObject(rgn);
}

TEST_F(Provider, SkinnedAnswersNeverReachTheForm) {
  std::vector<UINT> seen;
  TWndMethod own = form->WindowProc;
  form->WindowProc = [&](TMessage& M) {
    seen.push_back(M.Msg);
    own(M);
  };
  AddProvider();
  Show();
  LoadSkin();
  seen.clear();
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_GETPROVIDER), 0, 0};
  form->WindowProc(q);
  EXPECT_EQ(q.Result, reinterpret_cast<LRESULT>(provider));
  // The background query answers the section's hot colour.
  SharedBgColor = clFuchsia;
  TMessage bg{SM_SKINCMD, MakeSkinWParam(AC_GETBG), 0, 0};
  form->WindowProc(bg);
  EXPECT_EQ(SharedBgColor, TColor(0x484848));
  // A colour change without a custom colour stays with the provider.
  form->SetColor(clRed);
  auto has = [&](UINT m) { return std::find(seen.begin(), seen.end(), m) != seen.end(); };
  EXPECT_FALSE(has(SM_SKINCMD));
  EXPECT_FALSE(has(CM_COLORCHANGED));
}

TEST_F(Provider, AFormMayDeclineTheRegion) {
  TWndMethod own = form->WindowProc;
  form->WindowProc = [&](TMessage& M) {
    if (M.Msg == CM_NOREGION && M.WParam == kNoRegionAnswer) {
      M.Result = LRESULT(kNoRegionAnswer);
      return;
    }
    own(M);
  };
  AddProvider();
  Show();
  LoadSkin();
  ASSERT_TRUE(provider->Skinned());
  EXPECT_FALSE(provider->TransparentRects().empty());
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(form->WindowHandle(), rgn), ERROR);
  DeleteObject(rgn);
}

}  // namespace
}  // namespace qv::test
