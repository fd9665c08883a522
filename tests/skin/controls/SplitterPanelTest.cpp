// The skinned splitter and panels: resizing by mouse within the limits,
// hints off only while a drag runs (nested presses and lost captures
// included), collapsed neighbours snapped back, the plain look without a
// skin, a panel's own painting, the drag bar and the grip.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skSplitter.h"
#include "skin/skinManager.h"
#include "tests/skin/TestSkins.h"

namespace qv::test {
namespace {

class Splitters : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->ShowHint = true;
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 300);
    left = new TPanel(form);
    left->SetParent(form);
    left->SetAlign(alLeft);
    left->SetWidth(100);
    splitter = new TSkSplitter(form);
    splitter->SetParent(form);
    splitter->SetAlign(alLeft);
    splitter->SetLeft(100);
    splitter->AutoSnap = false;
    rest = new TPanel(form);
    rest->SetParent(form);
    rest->SetAlign(alClient);
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ShowHint = true;
    Application->ProcessMessages();
  }
  // Presses on the splitter and moves by Dx; the release is left to the caller.
  void PressAndMove(int dx) {
    const POINT p = splitter->ClientToScreen(POINT{3, 50});
    backend.MouseMove(p.x, p.y);
    backend.MouseDown();
    backend.Pump();
    backend.MouseMove(p.x + dx, p.y);
    backend.Pump();
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
  TPanel *left = nullptr, *rest = nullptr;
  TSkSplitter* splitter = nullptr;
};

TEST_F(Splitters, DragResizesTheNeighbourWithHintsOffMeanwhile) {
  EXPECT_EQ(splitter->Width(), 6);
  PressAndMove(50);
  EXPECT_TRUE(splitter->Dragging());
  EXPECT_FALSE(Application->ShowHint);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(left->Width(), 150);
  EXPECT_FALSE(splitter->Dragging());
  EXPECT_TRUE(Application->ShowHint);
  // Hints that were off stay off.
  Application->ShowHint = false;
  PressAndMove(-20);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(left->Width(), 130);
  EXPECT_FALSE(Application->ShowHint);
}

TEST_F(Splitters, MinSizeLimitsTheDrag) {
  PressAndMove(-200);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(left->Width(), splitter->MinSize());
}

TEST_F(Splitters, NestedPressAndLostCaptureBringHintsBack) {
  PressAndMove(10);
  // A second press before the release must not save "off" as the setting.
  backend.MouseDown(MouseButton::Right);
  backend.MouseUp(MouseButton::Right);
  backend.Pump();
  splitter->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 50));
  backend.MouseUp();
  backend.Pump();
  EXPECT_TRUE(Application->ShowHint);
  // A drag cancelled in the middle (the capture taken away) ends it.
  PressAndMove(10);
  ASSERT_FALSE(Application->ShowHint);
  splitter->Perform(WM_CANCELMODE, 0, 0);
  backend.MouseUp();
  backend.Pump();
  EXPECT_TRUE(Application->ShowHint);
  EXPECT_FALSE(splitter->Dragging());
}

TEST_F(Splitters, AutoSnapMovesCollapsedNeighboursOnlyForTopAndLeft) {
  auto* collapsed = new TPanel(form);
  collapsed->SetParent(form);
  collapsed->SetBounds(200, 0, 0, 40);
  splitter->AutoSnap = true;
  splitter->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 50));
  splitter->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 50));
  EXPECT_EQ(collapsed->Left(), splitter->Left());
  auto* bottom = new TSkSplitter(form);
  bottom->SetParent(form);
  bottom->SetAlign(alBottom);
  auto* flat = new TPanel(form);
  flat->SetParent(form);
  flat->SetBounds(220, 30, 50, 0);
  bottom->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 2));
  bottom->Perform(WM_LBUTTONUP, 0, MAKELPARAM(50, 2));
  EXPECT_EQ(flat->Top(), 30);
  EXPECT_TRUE(Application->ShowHint);
}

TEST_F(Splitters, UnskinnedPaintsAsThePlainSplitter) {
  auto* plain = new TSplitter(form);
  plain->SetParent(form);
  plain->SetAlign(alRight);
  plain->SetWidth(6);
  backend.Pump();
  const Surface shot = backend.Screenshot();
  for (int y = 0; y < 300; y += 7)
    for (int x = 0; x < 6; ++x) {
      const POINT a = plain->ClientToScreen(POINT{x, y}), b = splitter->ClientToScreen(POINT{x, y});
      ASSERT_EQ(shot.At(a.x, a.y), shot.At(b.x, b.y)) << x << "," << y;
    }
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
  splitter->WindowProc(q);
  EXPECT_EQ(q.LParam, 1);
  EXPECT_EQ(splitter->SkinData()->SkinSection(), "SPLITTER");
}

class Panels : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(20, 20, 400, 300);
  }
  void TearDown() override {
    delete form;
    manager.reset();
    Application->ProcessMessages();
  }
  template <class P>
  P* Add(int x, int y, const std::string& caption) {
    auto* p = new P(form);
    p->SetParent(form);
    p->SetBounds(x, y, 100, 60);
    p->SetCaption(caption);
    return p;
  }
  uint32_t At(const Surface& s, TControl* c, int x, int y) {
    const POINT p = c->ClientToScreen(POINT{x, y});
    return s.At(p.x, p.y) & 0xFFFFFF;
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TForm* form = nullptr;
  TempDir dir;
  std::unique_ptr<TSkinManager> manager;
};

TEST_F(Panels, UnskinnedPaintsAsThePlainPanelThenOnPaint) {
  auto* plain = Add<TPanel>(10, 10, "Caption");
  auto* own = Add<TSkPanel>(150, 10, "Caption");
  int calls = 0;
  own->OnPaint = [&](TObject* s, TCanvas* c) {
    EXPECT_EQ(s, own);
    ++calls;
    c->Brush()->SetColor(clRed);
    c->FillRect(RECT{0, 0, 4, 4});
  };
  form->Show();
  backend.Pump();
  EXPECT_GE(calls, 1);
  const Surface shot = backend.Screenshot();
  EXPECT_EQ(At(shot, own, 1, 1), PixelRGB(255, 0, 0) & 0xFFFFFF);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      if (x < 4 && y < 4) continue;
      ASSERT_EQ(At(shot, plain, x, y), At(shot, own, x, y)) << x << "," << y;
    }
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
  own->WindowProc(q);
  EXPECT_EQ(q.LParam, 1);
}

TEST_F(Panels, SkinnedPanelPaintsItsSection) {
  manager = std::make_unique<TSkinManager>(nullptr);
  manager->SetSkinDirectory(MakeTestSkins(dir));
  manager->SetSkinName("TestSkin");
  manager->SetCommonSections({"[PANEL]", "COLOR=255"});
  auto* p = Add<TSkPanel>(10, 10, "");
  form->Show();
  backend.Pump();
  ASSERT_TRUE(p->SkinData()->Skinned(true));
  const Surface shot = backend.Screenshot();
  EXPECT_EQ(At(shot, p, 50, 30), PixelRGB(255, 0, 0) & 0xFFFFFF);
  // The skin removed: the plain panel face again.
  manager->SetActive(false);
  backend.Pump();
  EXPECT_EQ(At(backend.Screenshot(), p, 50, 30), PixelRGB(212, 208, 200) & 0xFFFFFF);
}

TEST_F(Panels, DragBarMovesItsFormOnTheLeftButtonOnly) {
  auto* bar = new TSkDragBar(form);
  bar->SetParent(form);
  bar->DraggedControl = form;
  form->Show();
  backend.Pump();
  EXPECT_EQ(bar->Height(), 20);
  EXPECT_EQ(bar->Align(), alTop);
  const POINT p = bar->ClientToScreen(POINT{50, 10});
  backend.MouseMove(p.x, p.y);
  backend.MouseDown(MouseButton::Right);
  backend.MouseMove(p.x + 30, p.y + 20);
  backend.MouseUp(MouseButton::Right);
  backend.Pump();
  EXPECT_EQ(form->Left(), 20);
  backend.MouseMove(p.x, p.y);
  backend.Pump();
  backend.WhenIdle([&] {
    backend.MouseMove(p.x + 30, p.y + 20);
    backend.WhenIdle([&] { backend.MouseUp(); });
  });
  backend.MouseDown();
  backend.Pump();
  EXPECT_EQ(form->Left(), 50);
  EXPECT_EQ(form->Top(), 40);
}

TEST_F(Panels, GripWithoutACacheLooksLikeAPlainPanel) {
  auto* grip = new TSkGrip(form);
  grip->SetParent(form);
  grip->SetLeft(200);
  auto* linked = Add<TSkPanel>(10, 10, "");
  grip->LinkedControl = linked;
  EXPECT_EQ(grip->Width(), 20);
  EXPECT_EQ(grip->SkinData()->SkinSection(), "CHECKBOX");
  form->Show();
  backend.Pump();
  EXPECT_EQ(At(backend.Screenshot(), grip, 10, 10), PixelRGB(212, 208, 200) & 0xFFFFFF);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

TEST_F(Splitters, SkinnedSplitterPaintsItsSection) {
  TempDir dir;
  auto manager = std::make_unique<TSkinManager>(nullptr);
  manager->SetSkinDirectory(MakeTestSkins(dir));
  manager->SetSkinName("TestSkin");
  manager->SetCommonSections({"[SPLITTER]", "COLOR=255"});
  backend.Pump();
  ASSERT_TRUE(splitter->SkinData()->Skinned(true));
  const POINT p = splitter->ClientToScreen(POINT{3, 100});
  EXPECT_EQ(backend.Screenshot().At(p.x, p.y) & 0xFFFFFF, PixelRGB(255, 0, 0) & 0xFFFFFF);
  // Skinned or not, a drag still turns hints off and back on.
  PressAndMove(20);
  EXPECT_FALSE(Application->ShowHint);
  backend.MouseUp();
  backend.Pump();
  EXPECT_TRUE(Application->ShowHint);
  EXPECT_EQ(left->Width(), 120);
  manager.reset();
  backend.Pump();
}

}  // namespace
}  // namespace qv::test
