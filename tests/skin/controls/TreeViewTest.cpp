// The skinned tree view: pixel for pixel the plain tree without a skin; with
// the test skin a frame of the skin's own, skinned scroll bars only when the
// tree scrolls and is large enough, and the plain look back when the skin goes.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/ScrollBar.h"
#include "skin/controls/skTreeView.h"
#include "skin/skinManager.h"
#include "tests/skin/SkinTestSupport.h"
#include "tests/skin/SkinnedFormTest.h"
#include "tests/skin/TestSkins.h"

namespace qv::test {
namespace {

class SkTrees : public SkinnedFormTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 500, 400);
    form->SetColor(clBtnFace);
  }
  template <class T>
  T* Add(int x, int y, int w, int h, int items) {
    auto* t = new T(form);
    t->SetParent(form);
    t->SetBounds(x, y, w, h);
    TTreeNode* top = t->Items()->Add(nullptr, "Discs");
    for (int i = 0; i < items; ++i) t->Items()->AddChild(top, "Disc " + std::to_string(i));
    top->Expand(false);
    return t;
  }
  void UseTestSkin() {
    root = MakeTestSkins(dir);
    LoadSkin("TestSkin");
  }
};

TEST_F(SkTrees, UnskinnedPaintsEveryPixelAsThePlainTree) {
  auto* plain = Add<TTreeView>(10, 10, 150, 120, 20);
  auto* skinned = Add<TSkTreeView>(200, 10, 150, 120, 20);
  // Neither shows the focus (a focused tree marks its first item): a third tree holds it.
  auto* focusHolder = Add<TTreeView>(400, 300, 20, 20, 0);
  form->Show();
  focusHolder->SetFocus();
  backend.Pump();
  EXPECT_EQ(skinned->BorderStyle(), bsSingle);
  EXPECT_EQ(skinned->VertBar(), nullptr);
  const Surface shot = backend.Screenshot();
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 150; ++x) ASSERT_EQ(At(shot, plain, x, y), At(shot, skinned, x, y)) << x << "," << y;
  EXPECT_EQ(skinned->SkinData()->SkinSection(), "EDIT");
}

TEST_F(SkTrees, SkinnedFrameBarsAndRemoval) {
  auto* t = Add<TSkTreeView>(10, 10, 150, 120, 30);
  auto* tiny = Add<TSkTreeView>(200, 10, 14, 60, 30);
  auto* few = Add<TSkTreeView>(250, 10, 150, 120, 1);
  form->Show();
  backend.Pump();
  UseTestSkin();
  backend.Pump();
  t->UpdateScrollBars();
  tiny->UpdateScrollBars();
  backend.Pump();
  ASSERT_TRUE(t->SkinData()->Skinned(true));
  EXPECT_EQ(t->BorderStyle(), bsNone);
  // The client area sits 3 pixels inside the skin's frame.
  EXPECT_EQ(few->ClientWidth(), 150 - 6);
  EXPECT_EQ(few->ClientHeight(), 120 - 6);
  Surface shot = backend.Screenshot();
  // The border image's pixels name their place: the idle state at x 0, the focused one at 60.
  TSkTreeView* focused = t->Focused() ? t : few->Focused() ? few : tiny;
  TSkTreeView* idle = focused == few ? t : few;
  EXPECT_EQ(At(shot, focused, 0, 0), Coded(60, 0, 50) & 0xFFFFFF);
  EXPECT_EQ(At(shot, focused, 1, 1), Coded(61, 1, 50) & 0xFFFFFF);
  EXPECT_EQ(At(shot, idle, 0, 0), Coded(0, 0, 50) & 0xFFFFFF);
  EXPECT_EQ(At(shot, idle, 2, 2), Coded(2, 2, 50) & 0xFFFFFF);
  // A long list gets a skinned vertical bar over the right frame; short or tiny trees none.
  ASSERT_NE(t->VertBar(), nullptr);
  EXPECT_TRUE(t->VertBar()->Visible());
  EXPECT_EQ(t->VertBar()->Left() + t->VertBar()->Width(), t->Left() + t->Width() - 3);
  EXPECT_EQ(t->VertBar()->Top(), t->Top() + 3);
  // Its slider takes the tree's share of the track: a page of 30 rows.
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(t->Handle(), SB_VERT, &si));
  EXPECT_EQ(t->VertBar()->Max(), si.nMax - int(si.nPage) + 1);
  EXPECT_EQ(t->VertBar()->PageSize(), int(si.nPage));
  const double share = double(si.nPage) / (si.nMax - si.nMin + 1);
  ASSERT_GT(t->VertBar()->TrackLength() * share, 15);
  EXPECT_NEAR(t->VertBar()->SliderSize(), t->VertBar()->TrackLength() * share, 1.0);
  EXPECT_TRUE(few->VertBar() == nullptr || !few->VertBar()->Visible());
  EXPECT_EQ(tiny->VertBar(), nullptr);
  // Without the skin: the stored border, no skinned bars, the plain window colours.
  manager->SetActive(false);
  backend.Pump();
  EXPECT_EQ(t->BorderStyle(), bsSingle);
  EXPECT_EQ(t->VertBar(), nullptr);
  EXPECT_EQ(t->Color(), clWindow);
}

TEST_F(SkTrees, CustomColourSurvivesSkinChanges) {
  auto* t = Add<TSkTreeView>(10, 10, 150, 120, 3);
  t->SetColor(clYellow);
  t->SkinData()->SetCustomColor(true);
  UseTestSkin();
  form->Show();
  backend.Pump();
  EXPECT_EQ(t->Color(), clYellow);
  manager->SetActive(false);
  backend.Pump();
  EXPECT_EQ(t->Color(), clYellow);
}

// A window made anew (the form's border style changes) shows the same
// skinned tree: its rows, pixel for pixel, and its skinned bar.
TEST_F(SkTrees, AWindowMadeAnewKeepsTheNodes) {
  auto* t = Add<TSkTreeView>(10, 10, 150, 120, 30);
  t->SetTabStop(false);  // the focus look stays out of the comparison
  TTreeNode* top = t->Items()->GetFirstNode();
  form->Show();
  backend.Pump();
  UseTestSkin();
  t->UpdateScrollBars();
  backend.Pump();
  ASSERT_NE(t->VertBar(), nullptr);
  auto rows = [&] {
    backend.Pump();
    const Surface shot = backend.Screenshot();
    std::vector<uint32_t> r;
    for (int y = 0; y < t->ClientHeight(); ++y)
      for (int x = 0; x < t->ClientWidth(); ++x) {
        const POINT p = t->ClientToScreen(POINT{x, y});
        r.push_back(shot.At(p.x, p.y) & 0xFFFFFF);
      }
    return r;
  };
  const std::vector<uint32_t> before = rows();
  const HWND old = t->Handle();
  form->SetBorderStyle(bsSingle);
  backend.Pump();
  ASSERT_TRUE(t->HandleAllocated());
  EXPECT_NE(t->Handle(), old);
  EXPECT_EQ(t->Items()->Count(), 31);
  EXPECT_EQ(t->Items()->GetFirstNode(), top);
  EXPECT_TRUE(top->Expanded());
  EXPECT_EQ(rows(), before);
  ASSERT_NE(t->VertBar(), nullptr);
  EXPECT_TRUE(t->VertBar()->Visible());
}

}  // namespace
}  // namespace qv::test
