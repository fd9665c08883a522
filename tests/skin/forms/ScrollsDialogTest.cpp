// The skinned form's own scroll bars (shown past the page plus four pixels,
// children moving against the scroll and coming back when the skin goes) and
// the skinned message box (its layout from the font, its buttons, the error
// path of the skin engine showing it).
#include "FramesSkin.h"
#include "classlib/controls/Screen.h"
#include "classlib/stdctrls/Panel.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "skin/controls/skBitBtn.h"
#include "skin/controls/skLabel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/skUtils.h"

namespace qv::test {
namespace {

class Scrolls : public FormsTest {
 protected:
  TPanel* child = nullptr;
  void Build(int childBottom) {
    form->SetBorderStyle(bsNone);
    form->SetAutoScroll(true);
    child = new TPanel(form);
    child->SetParent(form);
    child->SetBounds(10, 0, 50, 10);
    AddProvider();
    Show();
    child->SetBounds(10, childBottom - 40, 50, 40);
    LoadSkin();
    provider->UpdateScrolls();
    backend.Pump();
  }
};

TEST_F(Scrolls, ABarShowsOnlyPastThePageAndFourPixels) {
  Build(0);
  const int page = form->ClientHeight() - 4;
  // Extent = bottom + 2: exactly page + 4 shows nothing, page + 5 a bar.
  child->SetTop(page + 2 - 40);
  provider->UpdateScrolls();
  EXPECT_EQ(provider->ScrollV(), nullptr);
  child->SetTop(page + 3 - 40);
  provider->UpdateScrolls();
  ASSERT_NE(provider->ScrollV(), nullptr);
  EXPECT_EQ(provider->ScrollH(), nullptr);
  EXPECT_EQ(provider->ScrollV()->Left() + provider->ScrollV()->Width(), form->ClientWidth());
}

TEST_F(Scrolls, ChildrenMoveAgainstTheScrollAndComeBackWithoutTheSkin) {
  Build(600);
  TSkScrollBar* bar = provider->ScrollV();
  ASSERT_NE(bar, nullptr);
  const int top = child->Top();
  bar->SetPosition(50);  // the bar reports the change to the provider
  EXPECT_EQ(child->Top(), top - 50);
  EXPECT_EQ(provider->ScrollPosV(), 50);
  bar->SetPosition(30);
  EXPECT_EQ(child->Top(), top - 30);
  manager->SetActive(false);
  backend.Pump();
  EXPECT_EQ(child->Top(), top);
  EXPECT_EQ(provider->ScrollV(), nullptr);
  EXPECT_EQ(provider->ScrollPosV(), 0);
}

TEST_F(Scrolls, FormsWithoutAutoScrollNeverGetBars) {
  form->SetBorderStyle(bsNone);
  child = new TPanel(form);
  child->SetParent(form);
  child->SetBounds(10, 900, 50, 40);
  AddProvider();
  Show();
  LoadSkin();
  provider->UpdateScrolls();
  EXPECT_EQ(provider->ScrollV(), nullptr);
}

class MessageBox : public FormsTest {
 protected:
  std::unique_ptr<TSkMessageForm> box;
  template <class T>
  T* Part(const char* name) {
    return dynamic_cast<T*>(box->FindComponent(name));
  }
  SIZE Ave() {
    HDC dc = GetDC(nullptr);
    TCanvas c;
    c.SetHandle(dc);
    c.SetFont(box->Font());
    SIZE s = GetAveCharSize(&c);
    c.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    return s;
  }
};

TEST_F(MessageBox, ErrorBoxWithOk) {
  box.reset(skCreateMessageDialog("", "Something failed.", mtError, TMsgDlgButtons{mbOK}));
  EXPECT_EQ(box->Caption(), "Error");
  EXPECT_EQ(box->BorderStyle(), bsDialog);
  ASSERT_NE(Part<TControl>("Image"), nullptr);
  auto* ok = Part<TSkBitBtn>("OK");
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->Default());
  EXPECT_TRUE(ok->Cancel());  // cancel falls back to OK
  EXPECT_EQ(ok->ModalResult, mrOk);
  EXPECT_EQ(box->SkinProvider->SkinData()->SkinSection(), "DIALOG");
  EXPECT_FALSE(box->SkinProvider->MakeSkinMenu);
  // A one-line message: the text area is as high as the icon.
  const SIZE ave = Ave();
  const int vertMargin = (12 * ave.cy + 4) / 8, vertSpacing = (10 * ave.cy + 4) / 8;
  EXPECT_EQ(ok->Top(), vertMargin + 32 + vertSpacing);
  auto* text = Part<TControl>("Message");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Left(), Part<TControl>("Image")->Left() + 32 + (10 * ave.cx + 2) / 4);
  // The button row is centred.
  EXPECT_LE(std::abs(ok->Left() - (box->ClientWidth() - ok->Left() - ok->Width())), 1);
}

TEST_F(MessageBox, LongTextWrapsAtHalfTheScreenAndButtonsShareTheWidestWidth) {
  std::string msg;
  for (int i = 0; i < 60; ++i) msg += "wrapping words ";
  MessageButtonWidth(mbYesToAll) = 0;
  box.reset(skCreateMessageDialog("Ask", msg, mtConfirmation, TMsgDlgButtons{mbYes, mbNo, mbYesToAll}));
  EXPECT_EQ(box->Caption(), "Ask");
  auto* text = Part<TControl>("Message");
  EXPECT_LE(text->Width(), GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_GT(text->Height(), 3 * Ave().cy);
  auto *yes = Part<TSkBitBtn>("Yes"), *no = Part<TSkBitBtn>("No"), *all = Part<TSkBitBtn>("YesToAll");
  ASSERT_TRUE(yes && no && all);
  EXPECT_EQ(yes->Width(), no->Width());
  EXPECT_EQ(yes->Width(), std::max(MessageButtonWidth(mbYesToAll), (50 * Ave().cx + 2) / 4));
  EXPECT_GT(MessageButtonWidth(mbYesToAll), 0);  // measured once and kept
  EXPECT_TRUE(yes->Default());
  EXPECT_TRUE(no->Cancel());
  EXPECT_LT(yes->Left(), no->Left());
  EXPECT_LT(no->Left(), all->Left());
}

TEST_F(MessageBox, CustomTypeTakesTheTitleAndNoIcon) {
  box.reset(skCreateMessageDialog("", "Plain words", mtCustom, TMsgDlgButtons{mbRetry, mbCancel}));
  EXPECT_EQ(box->Caption(), Application->Title);
  EXPECT_EQ(Part<TControl>("Image"), nullptr);
  EXPECT_TRUE(Part<TSkBitBtn>("Retry")->Default());
  EXPECT_TRUE(Part<TSkBitBtn>("Cancel")->Cancel());
}

TEST_F(MessageBox, SkinEngineErrorsShowTheSkinnedBox) {
  std::string caption, text;
  backend.WhenIdle([&] {
    auto* shown = dynamic_cast<TSkMessageForm*>(Screen->ActiveForm());
    if (!shown) return;
    caption = shown->Caption();
    if (auto* l = dynamic_cast<TControl*>(shown->FindComponent("Message"))) text = l->Caption();
    shown->SetModalResult(mrOk);
  });
  ShowError("The skin cannot be read");
  EXPECT_EQ(caption, "Error");
  EXPECT_EQ(text, "The skin cannot be read");
}

}  // namespace
}  // namespace qv::test
