// The tree's overridable queries and small services: the classes it makes its
// columns and hint windows of, internal room in every node, the keyboard's
// shift state, whether the tree can take the focus, and the animated resize
// of a column.
#include <cstring>

#include "TreeTestSupport.h"
#include "datatree/DataTreeHintWindow.h"
#include "platform/window/Input.h"
#include "platform/window/Window.h"

namespace qv::test {
namespace {

using Interfaces = TreeTest;

struct OwnColumn : TDataTreeColumn {
  using TDataTreeColumn::TDataTreeColumn;
};
struct OwnHintWindow : TDataTreeHintWindow {
  using TDataTreeHintWindow::TDataTreeHintWindow;
};
class OwnClassesTree : public TDataStringTree {
 public:
  using TDataStringTree::TDataStringTree;
  TColumnClass GetColumnClass() override {
    return [](TDataTreeColumns* c) { return new OwnColumn(c); };
  }
  std::function<THintWindow*(TComponent*)> GetHintWindowClass() override {
    return [](TComponent* o) -> THintWindow* { return new OwnHintWindow(o); };
  }
};

TEST_F(Interfaces, ColumnsAndHintWindowsAreMadeOfTheClassesTheTreeNames) {
  TDataStringTree* plain = NewTree({0, 0, 200, 200});
  EXPECT_NE(dynamic_cast<TDTHeader*>(plain->Header()), nullptr);
  auto* t = new OwnClassesTree(form);
  t->SetParent(form);
  t->SetBounds(0, 0, 120, 100);
  t->SetShowHint(true);
  t->HintMode = hmTooltip;
  t->SetRootNodeCount(1);
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = u"a text far wider than this small tree";
  };
  EXPECT_NE(dynamic_cast<OwnColumn*>(t->Header()->Columns()->Add()), nullptr);
  // Columns copied from another tree are made of this tree's class too.
  plain->Header()->Columns()->Add();
  plain->Header()->Columns()->Add();
  t->Header()->Columns()->Assign(plain->Header()->Columns());
  ASSERT_EQ(t->Header()->Columns()->Count(), 2);
  EXPECT_NE(dynamic_cast<OwnColumn*>(t->Header()->Columns()->Items(1)), nullptr);
  t->Header()->Columns()->Clear();
  t->SetFocus();
  Pump();
  RECT r = t->GetDisplayRect(t->GetFirst(), NoColumn, true);
  THintInfo info;
  ASSERT_EQ(AskHint(t, POINT{r.left + 30, (r.top + r.bottom) / 2}, info), 0);
  std::unique_ptr<THintWindow> window(info.HintWindowClass(nullptr));
  EXPECT_NE(dynamic_cast<OwnHintWindow*>(window.get()), nullptr);
}

// Each reservation lies behind the last, rounded up to whole 4-byte units;
// the user data moves behind all of them and none overlaps another.
TEST_F(Interfaces, InternalRoomIsReservedBeforeAnyNodeAndKeepsApartFromUserData) {
  auto t = DetachedTree();
  const uint32_t first = t->AllocateInternalDataArea(3);
  const uint32_t second = t->AllocateInternalDataArea(8);
  EXPECT_GE(first, uint32_t(sizeof(TDataNode)));
  EXPECT_EQ(second, first + 4);
  t->SetNodeDataSize(sizeof(uint64_t));
  t->SetRootNodeCount(2);
  EXPECT_GE(t->UserDataOffset(), second + 8u);
  for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) {
    auto* bytes = reinterpret_cast<uint8_t*>(n);
    std::memset(bytes + first, 0xAA, 3);
    std::memset(bytes + second, 0xBB, 8);
    *t->GetNodeData<uint64_t>(n) = 0x1122334455667788ull;
  }
  for (PDataNode n = t->GetFirst(); n; n = t->GetNext(n)) {
    auto* bytes = reinterpret_cast<uint8_t*>(n);
    EXPECT_EQ(bytes[first + 2], 0xAA);
    EXPECT_EQ(bytes[second + 7], 0xBB);
    EXPECT_EQ(*t->GetNodeData<uint64_t>(n), 0x1122334455667788ull);
  }
  EXPECT_ANY_THROW(t->AllocateInternalDataArea(4));  // nodes exist now
}

TEST_F(Interfaces, ShiftStateAndFocusFollowTheKeyboardAndTheForm) {
  TDataStringTree* t = NewTree();
  EXPECT_TRUE(TDTHeader::GetShiftState().Empty());
  backend.KeyDown(VK_SHIFT);
  backend.KeyDown(VK_MENU);
  Pump();
  TShiftState held = TDTHeader::GetShiftState();
  EXPECT_TRUE(held.Contains(ssShift) && held.Contains(ssAlt) && !held.Contains(ssCtrl));
  backend.KeyUp(VK_MENU);
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_TRUE(t->CanFocus());
  form->SetEnabled(false);
  EXPECT_FALSE(t->CanFocus());
  form->SetEnabled(true);
  form->Hide();
  EXPECT_FALSE(t->CanFocus());
}

// The animated resize ends at the exact width within the column's limits,
// and what the screen shows then is what a full repaint shows.
TEST_F(Interfaces, AnimatedResizeEndsAtTheClampedWidthWithNothingStaleOnScreen) {
  TDataStringTree* t = NewTree({0, 0, 400, 200});
  t->SetRootNodeCount(6);
  TDTHeader* h = t->Header();
  for (int i = 0; i < 3; ++i) h->Columns()->Add()->SetWidth(90);
  h->SetOptions(h->Options() + hoVisible);
  TDataTreeColumn* c = h->Columns()->Items(0);
  c->SetMaxWidth(200);
  Pump();
  auto screen = [&] {
    Pump();
    Surface s = backend.Screenshot();
    std::vector<uint32_t> px;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 400; ++x) px.push_back(s.At(x, y));
    return px;
  };
  for (int width : {170, 60, 500, 10}) {
    h->AnimatedResize(0, width);
    EXPECT_EQ(c->Width(), std::clamp(width, int(c->MinWidth()), 200));
    std::vector<uint32_t> shown = screen();
    t->Invalidate();
    EXPECT_EQ(shown, screen()) << width;
  }
}

}  // namespace
}  // namespace qv::test
