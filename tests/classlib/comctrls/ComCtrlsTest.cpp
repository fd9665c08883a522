// TTreeView, TListView and THeaderControl on a form: node and item objects
// following their window items (and freed with them), the events the forms
// rely on (change only on a real change, expansion veto, edited text, check
// changes from code, deletion), sorting, owner data and sections.
#include "../controls/ControlsTestSupport.h"
#include "classlib/comctrls/HeaderControl.h"
#include "classlib/comctrls/ListView.h"
#include "classlib/comctrls/TreeView.h"
#include "classlib/stdctrls/Button.h"

namespace qv::test {
namespace {

using ComCtrls = ControlsTest;

TTreeView* NewTree(TForm* form) {
  auto* tree = new TTreeView(form);
  tree->SetParent(form);
  tree->SetBounds(0, 0, 300, 280);
  return tree;
}

TEST_F(ComCtrls, TreeNodesFollowTheirItems) {
  TForm* form = NewForm();
  TTreeView* tree = NewTree(form);
  int data = 42;
  TTreeNode* a = tree->Items()->AddObject(nullptr, "a", &data);
  TTreeNode* b = tree->Items()->Add(a, "b");
  TTreeNode* b1 = tree->Items()->AddChild(b, "b1");
  TTreeNode* b0 = tree->Items()->AddChildFirst(b, "b0");
  TTreeNode* first = tree->Items()->Insert(a, "first");
  EXPECT_EQ(tree->Items()->Count(), 5);
  EXPECT_EQ(tree->Items()->GetFirstNode(), first);
  std::vector<std::string> order;
  for (int i = 0; i < tree->Items()->Count(); ++i) order.push_back(tree->Items()->Item(i)->Text());
  EXPECT_EQ(order, (std::vector<std::string>{"first", "a", "b", "b0", "b1"}));
  EXPECT_EQ(b1->Parent(), b);
  EXPECT_EQ(b1->Level(), 1);
  EXPECT_EQ(b1->Index(), 1);
  EXPECT_EQ(b1->AbsoluteIndex(), 4);
  EXPECT_EQ(b->Count(), 2);
  EXPECT_EQ(a->Data(), &data);
  EXPECT_TRUE(b->HasChildren());
  // Deleting a node deletes its subtree; each object is told about and freed.
  std::vector<std::string> deleted;
  tree->OnDeletion = [&](TObject*, TTreeNode* n) { deleted.push_back(n->Text()); };
  b->Delete();
  EXPECT_EQ(deleted, (std::vector<std::string>{"b0", "b1", "b"}));
  EXPECT_EQ(tree->Items()->Count(), 2);
  (void)b0;
  // A sorted tree places new nodes in order and re-sorts when switched on.
  tree->Items()->Add(nullptr, "C");
  tree->SetSortType(stText);
  tree->Items()->Add(nullptr, "b");
  order.clear();
  for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->getNextSibling()) order.push_back(n->Text());
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "C", "first"}));
  deleted.clear();
  tree->Items()->Clear();
  EXPECT_EQ(deleted.size(), 4u);
  EXPECT_EQ(tree->Items()->GetFirstNode(), nullptr);
}

TEST_F(ComCtrls, TreeEventsFireAsTheFormsExpect) {
  TForm* form = NewForm();
  TTreeView* tree = NewTree(form);
  TTreeNode* a = tree->Items()->Add(nullptr, "a");
  TTreeNode* b = tree->Items()->Add(nullptr, "b");
  b->SetHasChildren(true);
  std::vector<std::string> log;
  tree->OnChange = [&](TObject*, TTreeNode* n) {
    log.push_back("change " + (n ? n->Text() : std::string("nil")));
  };
  bool allowExpand = false;
  tree->OnExpanding = [&](TObject*, TTreeNode* n, bool& allow) {
    log.push_back("expanding " + n->Text());
    allow = allowExpand;
    if (allow && !n->GetFirstChild()) tree->Items()->AddChild(n, "filled");
  };
  tree->OnExpanded = [&](TObject*, TTreeNode* n) { log.push_back("expanded " + n->Text()); };
  form->Show();
  Pump();
  tree->SetSelected(a);
  tree->SetSelected(a);  // no change, no event
  b->Expand(false);
  EXPECT_FALSE(b->Expanded());
  allowExpand = true;
  b->Expand(false);
  EXPECT_TRUE(b->Expanded());
  EXPECT_EQ(log, (std::vector<std::string>{"change a", "expanding b", "expanding b", "expanded b"}));
  EXPECT_EQ(b->GetFirstChild()->Text(), "filled");
  // Label editing through the editor: OnEdited may change the text.
  tree->OnEdited = [&](TObject*, TTreeNode*, std::string& s) { s += "!"; };
  ASSERT_TRUE(a->EditText());
  backend.TypeText(u"renamed");
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(a->Text(), "renamed!");
  // Read-only trees refuse editing.
  tree->SetReadOnly(true);
  EXPECT_FALSE(a->EditText());
  // A right click selects the node under the mouse when asked to.
  tree->RightClickSelect = true;
  RECT r = b->DisplayRect(true);
  POINT o = tree->ClientOrigin();
  log.clear();
  backend.Click(o.x + r.left + 3, o.y + r.top + 3, MouseButton::Right);
  Pump();
  EXPECT_EQ(tree->Selected(), b);
  EXPECT_EQ(log, (std::vector<std::string>{"change b"}));
  // Check boxes start unchecked and follow Checked.
  tree->SetCheckBoxes(true);
  EXPECT_FALSE(a->Checked());
  a->SetChecked(true);
  EXPECT_TRUE(a->Checked());
  // Clearing reports the selection going away.
  log.clear();
  tree->Items()->Clear();
  EXPECT_EQ(log, (std::vector<std::string>{"change nil"}));
}

// A tree whose nodes hold objects of their own, freed as the shell tree does.
TEST_F(ComCtrls, EnterAndEscEndALabelEditNotTheDialog) {
  TForm* form = NewForm();
  TTreeView* tree = NewTree(form);
  TTreeNode* a = tree->Items()->Add(nullptr, "a");
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetBounds(0, 290, 75, 25);
  ok->SetDefault(true);
  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetBounds(80, 290, 75, 25);
  cancel->SetCancel(true);
  int clicks = 0;
  ok->OnClick = cancel->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  tree->SetFocus();
  Pump();
  ASSERT_TRUE(a->EditText());
  backend.TypeText(u"kept");
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_FALSE(tree->IsEditing());
  EXPECT_EQ(a->Text(), "kept");
  ASSERT_TRUE(a->EditText());
  backend.TypeText(u"dropped");
  backend.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(tree->IsEditing());
  EXPECT_EQ(a->Text(), "kept");
  EXPECT_EQ(clicks, 0);
  // Not editing, the keys are the dialog's again.
  backend.KeyPress(VK_RETURN);
  backend.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(clicks, 2);
}

class OwningTree : public TTreeView {
 public:
  using TTreeView::TTreeView;
  int freed = 0;

 protected:
  void Delete(TTreeNode* Node) override {
    delete static_cast<std::string*>(Node->Data());
    Node->SetData(nullptr);
    ++freed;
    TTreeView::Delete(Node);
  }
};

TEST_F(ComCtrls, EveryDeletedNodeReachesTheDeleteOverride) {
  TForm* form = NewForm();
  auto* tree = new OwningTree(form);
  tree->SetParent(form);
  for (int i = 0; i < 3; ++i) {
    TTreeNode* n = tree->Items()->AddObject(nullptr, "n", new std::string("top"));
    tree->Items()->AddChildObject(n, "c", new std::string("child"));
  }
  tree->Items()->GetFirstNode()->Delete();
  EXPECT_EQ(tree->freed, 2);
  tree->Items()->Clear();  // no OnDeletion handler: the override still hears of each node
  EXPECT_EQ(tree->freed, 6);
}

TListView* NewList(TForm* form) {
  auto* list = new TListView(form);
  list->SetParent(form);
  list->SetBounds(0, 0, 380, 280);
  list->SetViewStyle(vsReport);
  for (const char* name : {"Name", "Size", "Type", "Date"}) {
    TListColumn* c = list->Columns()->Add();
    c->SetCaption(name);
    c->SetWidth(80);
  }
  return list;
}

TEST_F(ComCtrls, ListItemsFollowTheirRows) {
  TForm* form = NewForm();
  TListView* list = NewList(form);
  HWND h = list->Handle();
  EXPECT_EQ(
      SendMessageW(reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0), 4);
  for (int i = 0; i < 5; ++i) {
    TListItem* item = list->Items()->Add();
    item->SetCaption("file" + std::to_string(4 - i));
    item->SubItems()->Add(std::to_string(i * 10));
    item->SetData(reinterpret_cast<void*>(intptr_t(i)));
  }
  EXPECT_EQ(list->Items()->Count(), 5);
  char16_t buffer[32] = {};
  LVITEMW it;
  it.iSubItem = 1;
  it.pszText = buffer;
  it.cchTextMax = 32;
  SendMessageW(h, LVM_GETITEMTEXTW, 2, LPARAM(&it));
  EXPECT_EQ(std::u16string(buffer), u"20");
  // Sorting by caption moves the objects with their rows.
  list->SetSortType(stText);
  EXPECT_EQ(list->Items()->Item(0)->Caption(), "file0");
  EXPECT_EQ(list->Items()->Item(0)->SubItems()->Strings(0), "40");
  EXPECT_EQ(list->Items()->Item(4)->Index(), 4);
  // Custom order through OnCompare.
  list->OnCompare = [](TObject*, TListItem* a, TListItem* b, int, int& r) {
    r = a->Data() < b->Data() ? -1 : a->Data() > b->Data() ? 1 : 0;
  };
  list->AlphaSort();
  EXPECT_EQ(list->Items()->Item(0)->Caption(), "file4");
  // Deleting in the middle keeps indexes right.
  list->Items()->Delete(1);
  EXPECT_EQ(list->Items()->Item(1)->Caption(), "file2");
  EXPECT_EQ(list->Items()->Item(3)->Index(), 3);
  std::vector<std::string> deleted;
  list->OnDeletion = [&](TObject*, TListItem* i) { deleted.push_back(i->Caption()); };
  list->Items()->Clear();
  EXPECT_EQ(deleted.size(), 4u);
  EXPECT_EQ(list->Items()->Count(), 0);
  list->OnDeletion = nullptr;  // `deleted` goes before the list does
  // Texts reach the window whole, whatever their length and characters;
  // deleting a sub-item moves the later ones up and empties the last column.
  TListItem* wide = list->Items()->Add();
  wide->SetCaption("Gr\u00f6\u00dfe");
  wide->SubItems()->Add(std::string(100, 'x'));
  wide->SubItems()->Add("\u00e9t\u00e9");
  auto text = [&](int column) {
    char16_t cell[256] = {};
    LVITEMW get;
    get.iSubItem = column;
    get.pszText = cell;
    get.cchTextMax = 256;
    SendMessageW(h, LVM_GETITEMTEXTW, 0, LPARAM(&get));
    return std::u16string(cell);
  };
  EXPECT_EQ(text(0), u"Gr\u00f6\u00dfe");
  EXPECT_EQ(text(1), std::u16string(100, u'x'));
  EXPECT_EQ(text(2), u"\u00e9t\u00e9");
  wide->SubItems()->Delete(0);
  EXPECT_EQ(text(1), u"\u00e9t\u00e9");
  EXPECT_EQ(text(2), u"");
}

TEST_F(ComCtrls, AListViewMadeAnewKeepsItsRows) {
  TForm* form = NewForm();
  TListView* list = NewList(form);
  for (int i = 0; i < 3; ++i) {
    TListItem* item = list->Items()->Add();
    item->SetCaption("row" + std::to_string(i));
    item->SubItems()->Add(std::to_string(i));
  }
  auto* data = NewList(form);
  data->SetOwnerData(true);
  data->Items()->SetCount(1000);
  for (TListView* l : {list, data}) l->SetBorderStyle(bsNone);  // the windows are made anew
  EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(list->Items()->Item(2)->Caption(), "row2");
  char16_t text[16] = {};
  LVITEMW it;
  it.iSubItem = 1;
  it.pszText = text;
  it.cchTextMax = 16;
  SendMessageW(list->Handle(), LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(std::u16string(text), u"2");
  EXPECT_EQ(data->Items()->Count(), 1000);
}

// The form's border style makes every window on it anew; the tree keeps its
// node objects, their order, states and data, and tells nobody of a change.
TEST_F(ComCtrls, ATreeViewMadeAnewKeepsItsNodes) {
  TForm* form = NewForm();
  TTreeView* tree = NewTree(form);
  tree->SetCheckBoxes(true);
  int data = 7;
  TTreeNode* a = tree->Items()->AddObject(nullptr, "a", &data);
  TTreeNode* b = tree->Items()->Add(nullptr, "b");
  TTreeNode* b0 = tree->Items()->AddChild(b, "b0");
  TTreeNode* b1 = tree->Items()->AddChild(b, "b1");
  TTreeNodeFields lazy;
  lazy.HasChildren = 1;  // a folder not read yet
  TTreeNode* c = tree->Items()->AddChildObject(nullptr, "c", lazy);
  TTreeNode* d = tree->Items()->AddChild(c, "unread");
  d->Delete();
  b->Expand(false);
  b1->SetChecked(true);
  b0->SetOverlayIndex(1);
  tree->SetSelected(b1);
  form->Show();
  Pump();
  int events = 0;
  tree->OnDeletion = [&](TObject*, TTreeNode*) { ++events; };
  tree->OnChange = [&](TObject*, TTreeNode*) { ++events; };
  tree->OnAddition = [&](TObject*, TTreeNode*) { ++events; };
  const HWND before = tree->Handle();
  form->SetBorderStyle(bsSingle);
  Pump();
  ASSERT_TRUE(tree->HandleAllocated());
  EXPECT_NE(tree->Handle(), before);
  EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETCOUNT, 0, 0), 5);
  std::vector<TTreeNode*> order;
  for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNext()) order.push_back(n);
  EXPECT_EQ(order, (std::vector<TTreeNode*>{a, b, b0, b1, c}));
  EXPECT_EQ(a->Data(), &data);
  EXPECT_EQ(b1->Parent(), b);
  EXPECT_EQ(b1->Text(), "b1");
  EXPECT_TRUE(b->Expanded());
  EXPECT_TRUE(b1->Checked());
  EXPECT_FALSE(b0->Checked());
  EXPECT_EQ(b0->StateIndex(), 1);
  EXPECT_EQ(SendMessageW(tree->Handle(), TVM_GETITEMSTATE, WPARAM(b0->ItemId()), TVIS_OVERLAYMASK), 2 << 8);
  EXPECT_TRUE(c->HasChildren());
  EXPECT_EQ(c->Count(), 0);
  EXPECT_FALSE(a->HasChildren());
  EXPECT_EQ(tree->Selected(), b1);
  EXPECT_EQ(events, 0);
  // The rows are painted: the selected row in the selection colour.
  tree->SetFocus();
  Pump();
  const RECT r = b1->DisplayRect(true);
  const Surface shot = backend.Screenshot();
  int marked = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      POINT s = tree->ClientToScreen(POINT{x, y});
      marked += (shot.At(s.x, s.y) & 0xFFFFFF) == Rgb(10, 36, 106);  // the highlight colour
    }
  EXPECT_GT(marked, (r.right - r.left) * (r.bottom - r.top) / 3);
  // Nodes still waiting for a window are counted, cleared and freed as ever.
  tree->SetParent(nullptr);
  EXPECT_FALSE(tree->HandleAllocated());
  EXPECT_EQ(tree->Items()->Count(), 5);
  EXPECT_EQ(tree->Items()->GetFirstNode(), a);
  tree->Items()->Clear();
  EXPECT_EQ(events, 5);
  EXPECT_EQ(tree->Items()->Count(), 0);
  delete tree;
}

TEST_F(ComCtrls, ListViewHearsOfItsHeaderByClassName) {
  TForm* form = NewForm();
  auto* list = new TListView(form);
  list->SetParent(form);
  std::vector<std::u16string> created;
  list->WindowProc = [&created, list, old = list->WindowProc](TMessage& m) {
    if (m.Msg == WM_PARENTNOTIFY && LOWORD(m.WParam) == WM_CREATE) {
      char16_t name[96] = {};
      GetClassNameW(reinterpret_cast<HWND>(m.LParam), name, 96);
      created.push_back(name);
    }
    old(m);
  };
  list->Handle();
  list->SetViewStyle(vsReport);  // the header comes with the report view
  EXPECT_EQ(created, (std::vector<std::u16string>{u"SysHeader32"}));
  list->SetViewStyle(vsList);
  list->SetViewStyle(vsReport);  // the same header is shown again
  EXPECT_EQ(created.size(), 1u);
  list->WindowProc = [list](TMessage& m) { list->WndProc(m); };  // drops the capture of `created`
}

TEST_F(ComCtrls, ListCheckAndSelectionEvents) {
  TForm* form = NewForm();
  TListView* list = NewList(form);
  list->SetCheckboxes(true);
  list->SetRowSelect(true);
  for (int i = 0; i < 3; ++i) list->Items()->Add()->SetCaption("row" + std::to_string(i));
  std::vector<std::string> log;
  list->OnChange = [&](TObject*, TListItem* i, TItemChange c) {
    if (c == ctState) log.push_back("state " + i->Caption());
  };
  list->OnSelectItem = [&](TObject*, TListItem* i, bool s) {
    log.push_back((s ? "select " : "unselect ") + i->Caption());
  };
  form->Show();
  Pump();
  // A check change from code fires the change event.
  list->Items()->Item(1)->SetChecked(true);
  EXPECT_TRUE(list->Items()->Item(1)->Checked());
  EXPECT_EQ(log, (std::vector<std::string>{"state row1"}));
  log.clear();
  RECT r = list->Items()->Item(2)->DisplayRect(LVIR_LABEL);
  POINT o = list->ClientOrigin();
  backend.Click(o.x + r.left + 5, o.y + (r.top + r.bottom) / 2);
  Pump();
  EXPECT_EQ(list->Selected(), list->Items()->Item(2));
  EXPECT_EQ(log.back(), "state row2");
  EXPECT_NE(std::find(log.begin(), log.end(), "select row2"), log.end());
  EXPECT_EQ(list->ItemIndex(), 2);
  list->SetItemIndex(0);
  EXPECT_EQ(list->SelCount(), 1);
  EXPECT_TRUE(list->Items()->Item(0)->Selected());
  // Column clicks name the column.
  TListColumn* clicked = nullptr;
  list->OnColumnClick = [&](TObject*, TListColumn* c) { clicked = c; };
  backend.Click(o.x + 170, o.y + 5);
  Pump();
  ASSERT_TRUE(clicked);
  EXPECT_EQ(clicked->Caption(), "Type");
}

TEST_F(ComCtrls, CustomDrawEventsColourItemsThroughTheCanvas) {
  TForm* form = NewForm();
  TListView* list = NewList(form);
  list->Items()->Add()->SetCaption("WWWWWWWW");
  list->Items()->Add()->SetCaption("WWWWWWWW");
  bool whole = false;
  list->OnCustomDraw = [&](TCustomListView*, const RECT&, bool& defaultDraw) { whole = defaultDraw; };
  list->OnCustomDrawItem = [](TCustomListView* sender, TListItem* item, TCustomDrawState, bool&) {
    if (item->Index() == 1) sender->Canvas()->Font()->SetColor(clRed);
  };
  TTreeView* tree = NewTree(form);
  tree->SetBounds(0, 150, 300, 100);
  tree->Items()->Add(nullptr, "WWWWWWWW");
  tree->OnCustomDrawItem = [](TCustomTreeView* sender, TTreeNode*, TCustomDrawState, bool&) {
    sender->Canvas()->Font()->SetColor(clRed);
  };
  form->Show();
  Pump();
  EXPECT_TRUE(whole);
  auto reddish = [&](RECT r) {
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        uint32_t p = shot.At(x, y);
        n += ((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90;
      }
    return n;
  };
  POINT o = list->ClientOrigin();
  RECT first = list->Items()->Item(0)->DisplayRect(LVIR_BOUNDS),
       second = list->Items()->Item(1)->DisplayRect(LVIR_BOUNDS);
  OffsetRect(&first, o.x, o.y);
  OffsetRect(&second, o.x, o.y);
  EXPECT_EQ(reddish(first), 0);
  EXPECT_GT(reddish(second), 20);
  POINT t = tree->ClientOrigin();
  EXPECT_GT(reddish({t.x, t.y, t.x + 200, t.y + 20}), 20);
}

TEST_F(ComCtrls, OwnerDataListAsksForRows) {
  TForm* form = NewForm();
  TListView* list = NewList(form);
  list->SetOwnerData(true);
  int asked = 0;
  list->OnData = [&](TObject*, TListItem* item) {
    ++asked;
    item->SetCaption("row " + std::to_string(item->Index()));
    item->SubItems()->Add("sub");
  };
  list->OnDataFind = [&](TObject*, TItemFind, const std::string& s, POINT, void*, int, TSearchDirection, bool,
                         int& index) { index = s == "7" ? 7 : -1; };
  list->Items()->SetCount(50000);
  form->Show();
  Pump();
  EXPECT_GT(asked, 0);
  EXPECT_LT(asked, 200);
  EXPECT_EQ(list->Items()->Count(), 50000);
  EXPECT_EQ(list->Items()->Item(123)->Caption(), "row 123");
  list->SetFocus();
  backend.TypeText(u"7");
  Pump();
  EXPECT_EQ(list->ItemIndex(), 7);
}

TEST_F(ComCtrls, OwnerDataSelectingARowLetsTheEarlierOneGo) {
  TForm* form = NewForm();
  TListView* list = NewList(form);
  list->SetOwnerData(true);
  list->OnData = [](TObject*, TListItem* item) { item->SetCaption("row " + std::to_string(item->Index())); };
  int changes = 0;
  list->OnChange = [&](TObject*, TListItem*, TItemChange) { ++changes; };
  list->Items()->SetCount(10);
  form->Show();
  Pump();
  auto selection = [&] {
    std::vector<int> rows;
    for (int i = 0; i < list->Items()->Count(); ++i)
      if (SendMessageW(list->Handle(), LVM_GETITEMSTATE, WPARAM(i), LVIS_SELECTED)) rows.push_back(i);
    return rows;
  };
  list->SetItemIndex(2);
  EXPECT_EQ(selection(), (std::vector<int>{2}));
  // The shared row object is re-aimed by the notices of letting row 2 go.
  list->SetItemIndex(5);
  EXPECT_EQ(selection(), (std::vector<int>{5}));
  EXPECT_EQ(list->ItemFocused()->Index(), 5);
  list->Items()->SetCount(20);
  list->SetSelected(list->Items()->Item(14));
  EXPECT_EQ(selection(), (std::vector<int>{14}));
  EXPECT_GE(list->TopItem()->Index() + list->VisibleRowCount(), 14);
  list->SetSelected(nullptr);
  EXPECT_EQ(selection(), (std::vector<int>{}));
  EXPECT_GT(changes, 0);
}

TEST_F(ComCtrls, HeaderSectionsResizeAndClick) {
  TForm* form = NewForm();
  auto* header = new THeaderControl(form);
  header->SetParent(form);
  for (const char* name : {"One", "Two"}) {
    THeaderSection* s = header->Sections()->Add();
    s->SetText(name);
    s->SetWidth(100);
  }
  header->Sections()->Items(0)->MaxWidth = 130;
  std::vector<std::string> log;
  header->OnSectionClick = [&](THeaderControl*, THeaderSection* s) { log.push_back("click " + s->Text()); };
  header->OnSectionResize = [&](THeaderControl*, THeaderSection* s) { log.push_back("resize " + s->Text()); };
  form->Show();
  Pump();
  POINT o = header->ClientOrigin();
  backend.Click(o.x + 150, o.y + 5);
  backend.MouseMove(o.x + 100, o.y + 5);
  backend.MouseDown();
  backend.MouseMove(o.x + 120, o.y + 5);
  backend.MouseMove(o.x + 160, o.y + 5);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(log.front(), "click Two");
  EXPECT_EQ(log.back(), "resize One");
  EXPECT_EQ(header->Sections()->Items(0)->Width(), 130);  // held at its maximum
  EXPECT_EQ(header->Sections()->Items(1)->Left(), 130);
}

}  // namespace
}  // namespace qv::test
