// TListBox: items kept before the window exists and across re-creation,
// the click event only for the user's selection, multiple selection, and
// owner drawing through OnMeasureItem and OnDrawItem.
#include "classlib/graphics/Brush.h"
#include "classlib/stdctrls/ListBox.h"
#include "platform/controls/ListBox.h"
#include "tests/classlib/controls/ControlsTestSupport.h"

namespace qv::test {
namespace {

using TListBoxTest = ControlsTest;

TObject* Tag(intptr_t v) {
  return reinterpret_cast<TObject*>(v);
}

TEST_F(TListBoxTest, ItemsWaitForTheWindowAndSurviveItsRecreation) {
  TForm* form = NewForm();
  auto* list = new TListBox(form);
  list->SetSorted(true);
  list->Items()->AddObject("pear", Tag(3));
  list->Items()->AddObject("Apple", Tag(1));
  list->Items()->AddObject("fig", Tag(2));
  list->SetItemIndex(1);
  EXPECT_FALSE(list->HandleAllocated());
  list->SetBounds(10, 10, 120, 100);
  list->SetParent(form);
  form->Show();
  Pump();
  ASSERT_TRUE(list->HandleAllocated());
  EXPECT_EQ(list->Items()->ToVector(), (std::vector<std::string>{"Apple", "fig", "pear"}));
  EXPECT_EQ(list->Items()->Objects(2), Tag(3));
  EXPECT_EQ(list->ItemIndex(), 1);
  // A style change makes a new window; items, objects and selection go along.
  list->SetMultiSelect(true);
  Pump();
  EXPECT_TRUE(GetWindowLongPtrW(list->Handle(), GWL_STYLE) & LBS_EXTENDEDSEL);
  EXPECT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Items()->Objects(0), Tag(1));
  EXPECT_EQ(list->Items()->IndexOf("FIG"), 1);
  EXPECT_THROW(list->Items()->Strings(3), EListError);
  EXPECT_THROW(list->Items()->Objects(-1), EListError);
}

TEST_F(TListBoxTest, ClickFiresForTheUsersSelectionOnly) {
  TForm* form = NewForm();
  auto* list = new TListBox(form);
  list->SetBounds(10, 10, 120, 100);
  list->SetParent(form);
  for (auto* s : {"one", "two", "three"}) list->Items()->Add(s);
  int clicks = 0, doubles = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  list->OnDblClick = [&](TObject*) { ++doubles; };
  form->Show();
  Pump();
  list->SetItemIndex(2);
  EXPECT_EQ(clicks, 0);
  RECT r = list->ItemRect(0);
  POINT p = list->ClientToScreen(POINT{5, r.top + 2});
  backend.Click(p.x, p.y);
  Pump();
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(clicks, 1) << "one click, from the selection change";
  backend.Click(p.x, p.y);
  Pump();
  EXPECT_EQ(doubles, 1);
  backend.KeyPress(VK_DOWN);
  Pump();
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(clicks, 2);
  backend.TypeText(u"th");  // type-ahead reaches the window through the form
  Pump();
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(list->ItemAtPos(POINT{5, r.top + 2}, true), 0);
  EXPECT_EQ(list->ItemAtPos(POINT{5, 95}, true), -1);
  EXPECT_EQ(list->ItemAtPos(POINT{5, 95}, false), 3);
}

TEST_F(TListBoxTest, MultipleSelectionAndDeletingTheSelected) {
  TForm* form = NewForm();
  auto* list = new TListBox(form);
  list->SetMultiSelect(true);
  list->SetParent(form);
  for (auto* s : {"a", "b", "c", "d", "e"}) list->Items()->Add(s);
  list->SetSelected(1, true);
  list->SetSelected(3, true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(3));
  list->DeleteSelected();
  EXPECT_EQ(list->Items()->ToVector(), (std::vector<std::string>{"a", "c", "e"}));
  list->SelectAll();
  EXPECT_EQ(list->SelCount(), 3);
  list->ClearSelection();
  EXPECT_EQ(list->SelCount(), 0);
  EXPECT_THROW(list->SetSelected(7, true), EListError);
}

TEST_F(TListBoxTest, OwnerDrawnRowsAreMeasuredAndPaintedByTheEvents) {
  TForm* form = NewForm();
  auto* list = new TListBox(form);
  list->SetStyle(lbOwnerDrawVariable);
  list->SetBounds(10, 10, 120, 100);
  std::vector<int> measured;
  list->OnMeasureItem = [&](TWinControl*, int index, int& height) {
    measured.push_back(index);
    height = 20 + index;
  };
  std::vector<std::pair<int, bool>> drawn;
  list->OnDrawItem = [&](TWinControl* c, int index, const RECT& r, TOwnerDrawState state) {
    drawn.push_back({index, state.Contains(odSelected)});
    auto* canvas = static_cast<TListBox*>(c)->Canvas();
    canvas->Brush()->SetColor(state.Contains(odSelected) ? clRed : clLime);
    canvas->FillRect(r);
  };
  list->SetParent(form);
  for (auto* s : {"one", "two", "three"}) list->Items()->Add(s);
  list->SetItemIndex(1);
  form->Show();
  Pump();
  EXPECT_EQ(measured, (std::vector<int>{0, 1, 2})) << "when the window takes the items";
  ASSERT_GE(drawn.size(), 3u);
  EXPECT_TRUE(std::count(drawn.begin(), drawn.end(), std::pair<int, bool>{1, true}));
  EXPECT_EQ(list->ItemRect(1).Height(), 21);
  POINT row1 = list->ClientToScreen(POINT{60, 20 + 10});
  POINT row2 = list->ClientToScreen(POINT{60, 20 + 21 + 10});
  EXPECT_EQ(PixelAt(row1.x, row1.y), Rgb(255, 0, 0));
  EXPECT_EQ(PixelAt(row2.x, row2.y), Rgb(0, 255, 0));
}

}  // namespace
}  // namespace qv::test
