// In-place editing through the string tree's editor: accepting, cancelling,
// losing the focus, the editor's placement, text beyond the basic plane, and
// a tree destroyed while its editor is open.
#include "TreeTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "datatree/DataTreeEditLink.h"
#include "platform/window/Input.h"

namespace qv::test {
namespace {

class Edit : public TreeTest {
 protected:
  TDataStringTree* Editable() {
    TDataStringTree* t = NewTree();
    t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toEditable);
    t->SetRootNodeCount(3);
    t->OnGetText = [this](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
      s = texts[n->Index];
    };
    t->OnNewText = [this](TBaseDataTree*, PDataNode n, TColumnIndex, const std::u16string& s) {
      texts[n->Index] = s;
      ++newTexts;
    };
    t->OnEdited = [this](TBaseDataTree*, PDataNode, TColumnIndex) { ++edited; };
    t->OnEditCancelled = [this](TBaseDataTree*, TColumnIndex) { ++cancelled; };
    t->SetFocus();
    Pump();
    return t;
  }
  TDTEdit* Editor(TBaseDataTree* t) {
    auto* link = dynamic_cast<TStringEditLink*>(t->EditLink());
    return link ? link->Edit() : nullptr;
  }
  std::u16string texts[3] = {u"alpha", u"beta", u"gamma"};
  int newTexts = 0, edited = 0, cancelled = 0;
};

TEST_F(Edit, EnterStoresAChangedTextAndEscapeKeepsTheOld) {
  TDataStringTree* t = Editable();
  PDataNode n = t->GetFirst();
  ASSERT_TRUE(t->EditNode(n, NoColumn));
  EXPECT_TRUE(t->EditNode(t->GetLast(nullptr), NoColumn));  // already editing: nothing moves
  EXPECT_EQ(t->FocusedNode(), n);
  TDTEdit* e = Editor(t);
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->Visible());
  EXPECT_EQ(e->WideText(), u"alpha");
  // Enter without a change stores nothing.
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(newTexts, 0);
  EXPECT_EQ(edited, 1);
  // A new text, beyond the basic plane, reaches the owner whole.
  ASSERT_TRUE(t->EditNode(n, NoColumn));
  Pump();
  backend.TypeText(u"\u00E9t\u00E9 \U0001F600");
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(texts[0], u"\u00E9t\u00E9 \U0001F600");
  EXPECT_EQ(newTexts, 1);
  EXPECT_TRUE(t->Focused());
  // Escape drops the typing.
  ASSERT_TRUE(t->EditNode(t->GetNext(n), NoColumn));
  Pump();
  backend.TypeText(u"xyz");
  backend.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(texts[1], u"beta");
  EXPECT_EQ(cancelled, 1);
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  Pump();  // the finished editors are freed
}

TEST_F(Edit, LosingTheFocusAcceptsOrCancelsByOption) {
  TDataStringTree* t = Editable();
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(0, 250, 100, 20);
  other->SetAlign(alBottom);
  Pump();
  ASSERT_TRUE(t->EditNode(t->GetFirst(), NoColumn));
  Pump();
  backend.TypeText(u"kept");
  Pump();
  other->SetFocus();
  Pump();
  EXPECT_EQ(texts[0], u"kept");
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));

  auto* options = t->StringTreeOptions();
  options->SetStringOptions(options->StringOptions() - toAutoAcceptEditChange);
  ASSERT_TRUE(t->EditNode(t->GetFirst(), NoColumn));
  Pump();
  backend.TypeText(u"dropped");
  Pump();
  other->SetFocus();
  Pump();
  EXPECT_EQ(texts[0], u"kept");
  EXPECT_EQ(cancelled, 1);
}

TEST_F(Edit, TheEditorCoversTheCellAtLeastThirtyPixelsWideAndGrowsWithTheText) {
  TDataStringTree* t = Editable();
  texts[0] = u"i";
  ASSERT_TRUE(t->EditNode(t->GetFirst(), NoColumn));
  TDTEdit* e = Editor(t);
  ASSERT_NE(e, nullptr);
  RECT cell = t->GetDisplayRect(t->GetFirst(), NoColumn, true, true);
  EXPECT_EQ(e->Left(), cell.left);
  EXPECT_EQ(e->Width(), 30);
  Pump();
  backend.TypeText(u"a much longer text than before");
  Pump();
  EXPECT_GT(e->Width(), 100);
  EXPECT_LE(e->Left() + e->Width(), t->ClientWidth());
  // The editor follows its row when the row changes height.
  int height = e->Height();
  t->SetNodeHeight(t->GetFirst(), 40);
  EXPECT_GT(e->Height(), height);
  // A new main column ends the edit, dropping the text.
  t->Header()->Columns()->Add();
  t->Header()->Columns()->Add();
  t->Header()->SetMainColumn(1);
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(texts[0], u"i");
  t->Header()->Columns()->Clear();
  // Read-only trees and refusals start no edit.
  t->OnEditing = [](TBaseDataTree*, PDataNode, TColumnIndex, bool& allowed) { allowed = false; };
  EXPECT_FALSE(t->EditNode(t->GetFirst(), NoColumn));
  t->OnEditing = nullptr;
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toReadOnly);
  EXPECT_FALSE(t->EditNode(t->GetFirst(), NoColumn));
}

// An edit brings its cell into view sideways unless the owner keeps the view still.
TEST_F(Edit, AnEditScrollsItsCellIntoViewUnlessToldNot) {
  TDataStringTree* t = Editable();
  for (int i = 0; i < 3; ++i) t->Header()->Columns()->Add()->SetWidth(300);
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  Pump();
  t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() + toDisableAutoscrollOnEdit +
                                   toDisableAutoscrollOnFocus);
  t->SetFocusedColumn(2);
  ASSERT_EQ(t->OffsetX(), 0);
  ASSERT_TRUE(t->EditNode(t->GetFirst(), 2));
  EXPECT_EQ(t->OffsetX(), 0);
  t->CancelEditNode();
  t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() - toDisableAutoscrollOnEdit);
  ASSERT_TRUE(t->EditNode(t->GetFirst(), 2));
  EXPECT_LT(t->OffsetX(), 0);
  RECT cell = t->GetDisplayRect(t->GetFirst(), 2, false);
  EXPECT_GE(cell.left, 0);
  t->CancelEditNode();
}

TEST_F(Edit, F2StartsAnEditAndATreeMayGoWhileItsEditorIsOpen) {
  TDataStringTree* t = Editable();
  t->SetFocusedNode(t->GetFirst());
  backend.KeyPress(VK_F2);
  Pump();
  ASSERT_TRUE(t->TreeStates().Contains(tsEditing));
  backend.TypeText(u"unsaved");
  IDTEditLink* link = t->EditLink();
  link->AddRef();  // someone else still holds the link when the tree goes
  delete form;
  form = nullptr;
  Pump();
  EXPECT_EQ(link->GetBounds().right, 0);  // the link finds its editor gone
  EXPECT_FALSE(link->EndEdit());
  link->Release();
  Pump();
}

TEST_F(Edit, F2AndEscapeReachTheTreeThroughItsKeyHandlers) {
  TDataStringTree* t = Editable();
  t->SetFocusedNode(t->GetFirst());
  bool veto = true;
  t->OnKeyAction = [&](TBaseDataTree*, WORD&, TShiftState&, bool& doDefault) { doDefault = !veto; };
  auto key = [&](WPARAM vk) {
    SendMessage(t->Handle(), WM_KEYDOWN, vk, 0);
    Pump();
  };
  key(VK_F2);
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  veto = false;
  key(VK_F2);
  ASSERT_TRUE(t->TreeStates().Contains(tsEditing));
  veto = true;
  key(VK_ESCAPE);
  EXPECT_TRUE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(cancelled, 0);
  veto = false;
  key(VK_ESCAPE);
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(cancelled, 1);
  // A key taken away by OnKeyDown does nothing either.
  t->OnKeyDown = [](TObject*, WORD& k, TShiftState) {
    if (k == VK_F2) k = 0;
  };
  key(VK_F2);
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  t->OnKeyDown = nullptr;
  // With a modifier F2 is no edit key.
  backend.KeyDown(VK_SHIFT);
  Pump();
  key(VK_F2);
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
}

TEST_F(Edit, UpAndDownReachingTheTreeEndTheEditBeforeMoving) {
  TDataStringTree* t = Editable();
  PDataNode n = t->GetFirst();
  ASSERT_TRUE(t->EditNode(n, NoColumn));
  Pump();
  backend.TypeText(u"x");
  Pump();
  SendMessage(t->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(edited, 1);
  EXPECT_EQ(texts[0], u"x");
  EXPECT_EQ(t->FocusedNode(), n->NextSibling);
  ASSERT_TRUE(t->EditNode(t->FocusedNode(), NoColumn));
  Pump();
  SendMessage(t->Handle(), WM_KEYDOWN, VK_UP, 0);
  Pump();
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(t->FocusedNode(), n);
}

// An editor that can refuse to stop, as one holding an invalid entry does.
class StubbornLink : public ComObject<IDTEditLink> {
 public:
  bool refuse = true;
  bool BeginEdit() override { return true; }
  bool CancelEdit() override { return !refuse; }
  bool EndEdit() override { return !refuse; }
  bool PrepareEdit(TBaseDataTree*, PDataNode, TColumnIndex) override { return true; }
  RECT GetBounds() override { return RECT{}; }
  void ProcessMessage(TMessage&) override {}
  void SetBounds(RECT) override {}
};

// Under the editor the tree paints neither the edited cell's text nor its
// selection; the row's other cells and the other rows are painted as ever.
TEST_F(Edit, TheCellBeingEditedIsPaintedWithoutItsTextAndSelection) {
  TDataStringTree* t = Editable();
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(150);
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  PDataNode first = t->GetFirst(), second = first->NextSibling;
  t->SetSelected(first, true);
  t->SetSelected(second, true);
  t->SetFocusedNode(first);
  Pump();
  TBitmap image(300, 2 * 18, pf32bit);
  auto count = [&](int row, int column, auto match) {
    int n = 0;
    for (int y = row * 18; y < row * 18 + 18; ++y)
      for (int x = column * 150; x < column * 150 + 150; ++x) n += match(image.Canvas()->Pixels(x, y));
    return n;
  };
  // The editor has the focus meanwhile: either selection colour counts.
  auto lit = [&](TColor c) {
    c = ColorToRGB(c);
    return c == ColorToRGB(t->Colors()->Get(TDTColors::FocusedSelectionColor)) ||
           c == ColorToRGB(t->Colors()->Get(TDTColors::UnfocusedSelectionColor));
  };
  auto ink = [&](TColor c) {
    c = ColorToRGB(c);
    return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) < 200;
  };
  auto paint = [&] {
    image.Canvas()->Brush()->SetColor(clWhite);
    image.Canvas()->FillRect(RECT{0, 0, 300, 36});
    t->PaintTree(image.Canvas()->Handle(), RECT{0, 0, 300, 36}, POINT{0, 0},
                 TPaintTreeFlags{ptBackground, ptFocusRect, ptSelection, ptColumnColor});
  };
  paint();
  ASSERT_GT(count(0, 0, lit), 20);
  ASSERT_GT(count(0, 1, ink), 5);
  ASSERT_TRUE(t->EditNode(first, 0));
  paint();
  EXPECT_EQ(count(0, 0, lit), 0);
  EXPECT_EQ(count(0, 0, ink), 0);
  EXPECT_GT(count(0, 1, ink), 5);
  EXPECT_GT(count(1, 0, lit), 20);  // another selected row keeps its highlight
  t->CancelEditNode();
  paint();
  EXPECT_GT(count(0, 0, lit), 20);
}

TEST_F(Edit, ARunningEditEndsBeforeFocusAndSortAndIsCancelledBeforeResetAndAdd) {
  TDataStringTree* t = Editable();
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) { s = u"n"; };
  for (int i = 0; i < 2; ++i) t->Header()->Columns()->Add()->SetWidth(100);
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  ComPtr<StubbornLink> link = ComPtr<StubbornLink>::Adopt(new StubbornLink);
  t->OnCreateEditor = [&](TBaseDataTree*, PDataNode, TColumnIndex, ComPtr<IDTEditLink>& l) {
    l = ComPtr<IDTEditLink>(link.Get());
  };
  t->OnCompareNodes = [](TBaseDataTree*, PDataNode a, PDataNode b, TColumnIndex, int& r) {
    r = int(a->Index) - int(b->Index);
  };
  PDataNode first = t->GetFirst(), second = first->NextSibling, third = second->NextSibling;
  t->SetChildCount(second, 2);
  auto order = [&] { return std::vector<PDataNode>{t->GetFirst(), t->GetFirst()->NextSibling}; };
  ASSERT_TRUE(t->EditNode(first, 0));
  // Refused: the focus (even set to the edited node) and the order stay; a
  // new focused column is asked to cancel the edit and stored all the same.
  t->SetFocusedNode(third);
  EXPECT_EQ(t->FocusedNode(), first);
  t->SetFocusedNode(first);
  t->SetFocusedColumn(1);
  EXPECT_EQ(t->FocusedColumn(), 1);
  EXPECT_TRUE(t->TreeStates().Contains(tsEditing));
  t->SetFocusedColumn(0);
  EXPECT_EQ(t->FocusedColumn(), 0);
  t->Sort(nullptr, 0, sdDescending, false);
  EXPECT_EQ(order(), (std::vector<PDataNode>{first, second}));
  EXPECT_EQ(edited, 0);
  // Reset and add only ask the editor to cancel, and go on either way.
  t->ResetNode(second);
  EXPECT_EQ(t->ChildCount(second), 0u);
  PDataNode added = t->AddChild(nullptr);
  EXPECT_EQ(added, t->GetLast());
  EXPECT_EQ(t->RootNodeCount(), 4u);
  EXPECT_TRUE(t->TreeStates().Contains(tsEditing));
  EXPECT_TRUE(TreeInvariantsHold(*t));
  // A focused node that goes away loses the focus even so.
  t->DeleteNode(first);
  EXPECT_EQ(t->FocusedNode(), nullptr);
  EXPECT_TRUE(TreeInvariantsHold(*t));
  // Allowed: each ends (focus, sort) or cancels (column, reset, add) the edit first.
  link->refuse = false;
  t->SetFocusedNode(third);
  EXPECT_EQ(t->FocusedNode(), third);
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(edited, 1);
  ASSERT_TRUE(t->EditNode(third, 0));
  t->SetFocusedNode(third);  // the same node: the edit ends all the same
  EXPECT_FALSE(t->TreeStates().Contains(tsEditing));
  EXPECT_EQ(edited, 2);
  ASSERT_TRUE(t->EditNode(third, 0));
  t->SetFocusedColumn(1);
  EXPECT_EQ(t->FocusedColumn(), 1);
  EXPECT_EQ(cancelled, 1);
  ASSERT_TRUE(t->EditNode(third, 1));
  t->Sort(nullptr, 0, sdDescending, false);
  EXPECT_EQ(t->GetFirst(), added);
  EXPECT_EQ(edited, 3);
  ASSERT_TRUE(t->EditNode(third, 1));
  t->SetChildCount(second, 2);
  t->ResetNode(second);
  EXPECT_EQ(t->ChildCount(second), 0u);
  EXPECT_EQ(cancelled, 2);
  ASSERT_TRUE(t->EditNode(third, 1));
  EXPECT_NE(t->AddChild(nullptr), nullptr);
  EXPECT_EQ(cancelled, 3);
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

TEST_F(Edit, ReinitNodeAsksAgainButKeepsSelectionAndUserStates) {
  TDataStringTree* t = Editable();
  t->TreeOptions()->SetSelectionOptions({toMultiSelect});
  std::vector<PDataNode> inits;
  t->OnInitNode = [&](TBaseDataTree*, PDataNode, PDataNode n, TDataNodeInitStates&) { inits.push_back(n); };
  PDataNode first = t->GetFirst();
  t->SetChildCount(first, 2);
  t->SetExpanded(first, true);
  t->SetSelected(first, true);
  t->SetSelected(first->NextSibling, true);
  t->SetDisabled(first, true);
  inits.clear();
  t->ReinitNode(first, true);
  EXPECT_EQ(inits, (TNodeArray{first, first->FirstChild, first->LastChild}));
  EXPECT_TRUE(t->Selected(first));
  EXPECT_TRUE(t->Expanded(first));
  EXPECT_TRUE(t->Disabled(first));
  EXPECT_EQ(t->SelectionCount(), 2);
  EXPECT_EQ(t->GetSortedSelection(false).size(), 2u);
  // Nil stands for the whole tree: recursively every node is asked again.
  inits.clear();
  t->ReinitNode(nullptr, false);
  EXPECT_TRUE(inits.empty());
  t->ReinitNode(nullptr, true);
  EXPECT_EQ(inits, (TNodeArray{first, first->FirstChild, first->LastChild, first->NextSibling,
                               first->NextSibling->NextSibling}));
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

}  // namespace
}  // namespace qv::test
