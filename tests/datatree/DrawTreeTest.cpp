// The owner-drawn tree: its owner gives each node's width, paints its
// content, and measures and paints its hints; without handlers nothing is
// drawn and no hint shows.
#include "TreeTestSupport.h"
#include "classlib/controls/ControlMessages.h"
#include "classlib/graphics/Canvas.h"
#include "datatree/DataDrawTree.h"
#include "datatree/DataTreeHintWindow.h"
#include "platform/gdi/Gdi.h"

namespace qv::test {
namespace {

class DrawTree : public TreeTest {
 protected:
  TCustomDataDrawTree* MakeTree() {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBoundsRect(RECT{0, 0, 300, 200});
    auto* t = new TCustomDataDrawTree(form);
    t->SetBorderStyle(bsNone);
    t->SetAlign(alClient);
    t->SetParent(form);
    t->SetRootNodeCount(3);
    t->SetShowHint(true);
    t->HintMode = hmHint;
    form->Show();
    t->SetFocus();
    Pump();
    return t;
  }
};

TEST_F(DrawTree, TheOwnerGivesWidthsAndPaintsTheContent) {
  TCustomDataDrawTree* t = MakeTree();
  PDataNode second = t->GetFirst()->NextSibling;
  RECT before = t->GetDisplayRect(second, NoColumn, true);
  t->OnGetNodeWidth = [](TBaseDataTree*, TCanvas* c, PDataNode n, TColumnIndex, int& w) {
    EXPECT_NE(c, nullptr);  // the tree's canvas when none is given
    w += int(n->Index) * 40;
  };
  int painted = 0;
  t->OnDrawNode = [&](TBaseDataTree*, const TDTCellPaintInfo& info) {
    ++painted;
    RECT r = info.ContentRect;
    r.right = std::min<int>(r.right, r.left + info.NodeWidth);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRect(info.DC, &r, red);
    DeleteObject(red);
  };
  RECT after = t->GetDisplayRect(second, NoColumn, true);
  EXPECT_EQ((after.right - after.left) - (before.right - before.left), 40);
  t->Invalidate();
  Pump();
  EXPECT_GE(painted, 3);
  EXPECT_EQ(PixelAt(after.left + 20, (after.top + after.bottom) / 2), 0xFF0000u);
}

TEST_F(DrawTree, TheOwnerMeasuresAndPaintsTheHints) {
  TCustomDataDrawTree* t = MakeTree();
  RECT label = t->GetDisplayRect(t->GetFirst(), NoColumn, true);
  POINT over{label.left + 1, (label.top + label.bottom) / 2};
  THintInfo info;
  EXPECT_EQ(AskHint(t, over, info), 1);  // nothing measured: no hint
  t->OnGetHintSize = [](TBaseDataTree*, PDataNode, TColumnIndex, RECT& r) { r = RECT{0, 0, 60, 24}; };
  int drawn = 0;
  t->OnDrawHint = [&](TBaseDataTree*, TCanvas*, PDataNode n, const RECT& r, TColumnIndex) {
    ++drawn;
    EXPECT_EQ(n, t->GetFirst());
    EXPECT_EQ(r.right - r.left, 60);
  };
  t->Perform(CM_MOUSELEAVE, 0, 0);
  ASSERT_EQ(AskHint(t, over, info), 0);
  std::unique_ptr<THintWindow> window(info.HintWindowClass(nullptr));
  RECT r = window->CalcHintRect(800, info.HintStr, info.HintData);
  EXPECT_EQ(r.right - r.left, 60);
  EXPECT_EQ(r.bottom - r.top, 24);
  window->ActivateHint(RECT{10, 10, 70, 34}, info.HintStr);
  Pump();
  backend.AdvanceClock(1000);
  Pump();
  EXPECT_GE(drawn, 1);
  window.reset();
  t->OnDrawHint = nullptr;
}

}  // namespace
}  // namespace qv::test
