// Random input on a shown tree: keys, clicks, double clicks, drags, wheel
// turns and header clicks mixed with structure changes. After every step the
// node store's invariants hold and the selection names live selected nodes.
#include <random>

#include "TreeTestSupport.h"
#include "platform/window/Input.h"

namespace qv::test {
namespace {

using InputFuzz = TreeTest;

TEST_F(InputFuzz, RandomInputKeepsTheTreeConsistent) {
  TDataStringTree* t = NewTree({0, 0, 320, 240});
  t->SetNodeDataSize(4);
  t->TreeOptions()->SetSelectionOptions({toMultiSelect, toExtendedFocus});
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport + toGridExtensions);
  t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() + toAutoScroll + toAutoSpanColumns);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toHotTrack);
  t->SetIncrementalSearch(isAll);
  t->OnInitNode = [](TBaseDataTree* tree, PDataNode, PDataNode n, TDataNodeInitStates& s) {
    if (n->Index % 3 == 0 && tree->GetNodeLevel(n) < 3) s.Include(ivsHasChildren);
    n->CheckType = n->Index % 2 ? ctCheckBox : ctTriStateCheckBox;
  };
  t->OnInitChildren = [](TBaseDataTree*, PDataNode n, uint32_t& c) { c = n->Index % 5 + 1; };
  t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
    s = c == 1 ? u"" : std::u16string(1, char16_t(u'a' + n->Index % 5)) + u"node";
  };
  t->OnCompareNodes = [](TBaseDataTree*, PDataNode a, PDataNode b, TColumnIndex, int& r) {
    r = int(a->Index % 4) - int(b->Index % 4);
  };
  for (int i = 0; i < 3; ++i) t->Header()->Columns()->Add()->SetWidth(90);
  t->Header()->SetOptions(TDTHeaderOptions{hoVisible, hoColumnResize, hoDrag, hoShowSortGlyphs});
  t->OnHeaderClick = [](TDTHeader* h, TColumnIndex c, TMouseButton, TShiftState, int, int) {
    h->SetSortColumn(c);
    h->Treeview()->SortTree(c, h->SortDirection());
  };
  t->SetRootNodeCount(40);
  t->SetFocus();
  Pump();
  const UINT keys[] = {VK_UP,    VK_DOWN,   VK_LEFT, VK_RIGHT,    VK_HOME,     VK_END,
                       VK_PRIOR, VK_NEXT,   VK_ADD,  VK_SUBTRACT, VK_MULTIPLY, VK_DIVIDE,
                       VK_SPACE, VK_ESCAPE, VK_BACK, 'A',         'B',         VK_TAB};
  std::mt19937 rng(getenv("QV_FUZZ_SEED") ? unsigned(atoi(getenv("QV_FUZZ_SEED"))) : 2024u);
  auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
  for (int step = 0; step < 500; ++step) {
    switch (pick(10)) {
      case 0:
      case 1:
      case 2: {
        bool shift = pick(4) == 0, ctrl = pick(5) == 0;
        if (shift) backend.KeyDown(VK_SHIFT);
        if (ctrl) backend.KeyDown(VK_CONTROL);
        UINT k = keys[pick(int(std::size(keys)))];
        backend.KeyPress(k);
        if (k == 'A' || k == 'B') backend.TypeText(std::u16string(1, char16_t(k + 32)));
        if (ctrl) backend.KeyUp(VK_CONTROL);
        if (shift) backend.KeyUp(VK_SHIFT);
        break;
      }
      case 3:
      case 4:
        backend.Click(pick(320), pick(240), pick(4) == 0 ? MouseButton::Right : MouseButton::Left);
        break;
      case 5: {
        // Inside the client area: a press on a scroll bar runs its own modal loop.
        int x = pick(290), y = pick(210);
        backend.MouseMove(x, y);
        backend.MouseDown();
        backend.MouseMove(pick(290), pick(210));
        backend.AdvanceClock(uint32_t(pick(1500)));
        backend.MouseUp();
        break;
      }
      case 6:
        backend.MouseMove(pick(320), pick(240));
        backend.Wheel(pick(2) ? 120 : -120);
        break;
      case 7: {
        PDataNode n = t->GetFirstNoInit();
        for (int i = pick(30); i > 0 && n; --i) n = t->GetNextNoInit(n);
        if (!n) break;
        switch (pick(4)) {
          case 0:
            t->DeleteNode(n);
            break;
          case 1:
            t->SetChildCount(n, uint32_t(pick(4)));
            break;
          case 2:
            t->AddChild(n);
            break;
          default:
            t->SetNodeHeight(n, uint32_t(10 + pick(20)));
            break;
        }
        break;
      }
      case 8:
        backend.AdvanceClock(uint32_t(pick(2000)));
        break;
      default:
        backend.Click(pick(280), 8);
        break;  // the header
    }
    Pump();
    ASSERT_TRUE(TreeInvariantsHold(*t)) << "step " << step;
    int selected = 0;
    for (PDataNode n = t->GetFirstNoInit(); n; n = t->GetNextNoInit(n)) selected += n->Has(vsSelected);
    ASSERT_EQ(selected, t->SelectionCount()) << "step " << step;
    if (t->RootNodeCount() < 5) t->SetRootNodeCount(40);
  }
}

}  // namespace
}  // namespace qv::test
