// The tree view class: the row bookkeeping against a brute-force count,
// expansion with cancel and filling on demand, selection by mouse and
// keyboard with its notification order, label editing accepted and
// cancelled, check boxes, deletion from inside notifications, hit testing,
// custom draw order and a few pixels.
#include <random>

#include "ComCtlTestSupport.h"
#include "platform/comctl/TreeModel.h"
#include "platform/comctl/TreeView.h"
#include "platform/controls/SystemControls.h"

namespace qv::test {
namespace {

size_t TreeRecordSize(UINT code) {
  switch (code) {
    case TVN_SELCHANGINGW:
    case TVN_SELCHANGEDW:
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDEDW:
    case TVN_DELETEITEMW:
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGW:
      return sizeof(NMTREEVIEWW);
    case TVN_BEGINLABELEDITW:
    case TVN_ENDLABELEDITW:
    case TVN_GETDISPINFOW:
      return sizeof(NMTVDISPINFOW);
    case TVN_ITEMCHANGINGW:
    case TVN_ITEMCHANGEDW:
      return sizeof(NMTVITEMCHANGE);
    case TVN_KEYDOWN:
      return sizeof(NMTVKEYDOWN);
  }
  return sizeof(NMHDR);
}

class TreeView : public ComCtlTest {
 protected:
  void SetUp() override {
    ComCtlTest::SetUp();
    RecordSize() = TreeRecordSize;
  }
  HWND MakeTree(DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT) {
    tree = Make(WC_TREEVIEW, style, {10, 10, 310, 310});
    return tree;
  }
  HTREEITEM Add(HTREEITEM parentItem, const std::u16string& text, HTREEITEM after = TVI_LAST,
                int children = 0) {
    TVINSERTSTRUCTW ins;
    ins.hParent = parentItem;
    ins.hInsertAfter = after;
    ins.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    std::u16string copy = text;
    ins.item.pszText = copy.data();
    ins.item.cChildren = children;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, LPARAM(&ins)));
  }
  std::u16string TextOf(HTREEITEM h) {
    char16_t buffer[64] = {};
    TVITEMW it;
    it.mask = TVIF_TEXT;
    it.hItem = h;
    it.pszText = buffer;
    it.cchTextMax = 64;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, LPARAM(&it))) return u"<none>";
    return buffer;
  }
  HTREEITEM Next(UINT code, HTREEITEM h = nullptr) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, code, LPARAM(h)));
  }
  HTREEITEM Selected() { return Next(TVGN_CARET); }
  bool Expanded(HTREEITEM h) { return SendMessageW(tree, TVM_GETITEMSTATE, WPARAM(h), TVIS_EXPANDED) != 0; }
  // The screen point in the middle of an item's label.
  POINT LabelPoint(HTREEITEM h) {
    RECT r;
    *reinterpret_cast<HTREEITEM*>(&r) = h;
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, LPARAM(&r)));
    return POINT{10 + r.left + 6, 10 + (r.top + r.bottom) / 2};
  }
  int ItemHeight() { return int(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0)); }

  HWND tree = nullptr;
};

// The incremental row counts always equal a count made by walking the tree,
// and row numbers and items at rows agree, through random edits.
TEST(TreeModel, RowCountsFollowEveryInsertDeleteAndExpand) {
  tree::Model m;
  std::vector<tree::Item*> items;
  std::mt19937 rng(7);
  auto shownRows = [&] {
    int n = 0;
    for (tree::Item* i = m.Root()->first; i; i = tree::Model::NextShown(i)) ++n;
    return n;
  };
  for (int step = 0; step < 3000; ++step) {
    int op = int(rng() % 10);
    if (op < 5 || items.empty()) {
      tree::Item* parent = items.empty() || rng() % 4 == 0 ? m.Root() : items[rng() % items.size()];
      tree::Item* after = parent->childCount && rng() % 2 ? parent->first : nullptr;
      items.push_back(m.Insert(parent, after));
    } else if (op < 8) {
      tree::Item* i = items[rng() % items.size()];
      m.SetExpanded(i, !i->Expanded());
    } else {
      // Delete a leaf.
      size_t k = rng() % items.size();
      if (items[k]->first) continue;
      m.Erase(items[k]);
      items.erase(items.begin() + long(k));
    }
    if (step % 50 == 0) {
      int rows = shownRows();
      ASSERT_EQ(m.TotalRows(), rows) << "step " << step;
      int row = 0;
      for (tree::Item* i = m.Root()->first; i; i = tree::Model::NextShown(i), ++row) {
        ASSERT_EQ(tree::Model::RowOf(i), row);
        ASSERT_EQ(m.AtRow(row), i);
      }
      ASSERT_EQ(m.AtRow(rows), nullptr);
    }
  }
}

TEST_F(TreeView, InsertsInOrderAndNavigates) {
  MakeTree();
  HTREEITEM b = Add(TVI_ROOT, u"b");
  HTREEITEM a = Add(TVI_ROOT, u"a", TVI_FIRST);
  HTREEITEM c = Add(TVI_ROOT, u"C", TVI_SORT);
  HTREEITEM child = Add(b, u"child");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Next(TVGN_ROOT), a);
  EXPECT_EQ(Next(TVGN_NEXT, a), b);
  EXPECT_EQ(Next(TVGN_NEXT, b), c);
  EXPECT_EQ(Next(TVGN_CHILD, b), child);
  EXPECT_EQ(Next(TVGN_PARENT, child), b);
  // Collapsed: the child is not among the shown items.
  EXPECT_EQ(Next(TVGN_NEXTVISIBLE, b), c);
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(b));
  EXPECT_EQ(Next(TVGN_NEXTVISIBLE, b), child);
  EXPECT_EQ(Next(TVGN_LASTVISIBLE), c);
  // Sorting the children by text.
  HTREEITEM z = Add(b, u"zeta", TVI_FIRST);
  SendMessageW(tree, TVM_SORTCHILDREN, 0, LPARAM(b));
  EXPECT_EQ(Next(TVGN_CHILD, b), child);
  EXPECT_EQ(Next(TVGN_NEXT, child), z);
  // A deleted item's handle is refused, not followed.
  SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(z));
  EXPECT_EQ(TextOf(z), u"<none>");
  EXPECT_EQ(Next(TVGN_NEXT, z), nullptr);
  EXPECT_FALSE(SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(z)));
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 4);
}

TEST_F(TreeView, ExpandingCanBeRefusedOrFilledOnDemand) {
  MakeTree();
  HTREEITEM folder = Add(TVI_ROOT, u"folder", TVI_LAST, 1);  // a button before any child exists
  HTREEITEM empty = Add(TVI_ROOT, u"empty", TVI_LAST, 1);
  bool refuse = true;
  Answer() = [&](NMHDR* h) -> LRESULT {
    if (h->code != TVN_ITEMEXPANDINGW) return 0;
    auto* nm = reinterpret_cast<NMTREEVIEWW*>(h);
    if (refuse) return 1;
    if (nm->itemNew.hItem == folder && nm->action == TVE_EXPAND && !Next(TVGN_CHILD, folder)) {
      Add(folder, u"one");
      Add(folder, u"two");
    }
    return 0;
  };
  EXPECT_FALSE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(folder)));
  EXPECT_FALSE(Expanded(folder));
  EXPECT_EQ(Codes(), (std::vector<UINT>{TVN_ITEMEXPANDINGW}));
  refuse = false;
  Notices().clear();
  // Clicking the button expands: the parent fills the folder while asked.
  RECT r;
  *reinterpret_cast<HTREEITEM*>(&r) = folder;
  SendMessageW(tree, TVM_GETITEMRECT, FALSE, LPARAM(&r));
  int indent = int(SendMessageW(tree, TVM_GETINDENT, 0, 0));
  Click(10 + indent / 2, 10 + (r.top + r.bottom) / 2);
  EXPECT_TRUE(Expanded(folder));
  EXPECT_EQ(CodesAmong({TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}),
            (std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}));
  EXPECT_EQ(TextOf(Next(TVGN_NEXTVISIBLE, folder)), u"one");
  // Expanding a folder that stays empty shows nothing more.
  EXPECT_FALSE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(empty)));
  EXPECT_FALSE(Expanded(empty));
  // Collapsing moves a selection inside to the collapsed item.
  HTREEITEM two = Next(TVGN_NEXT, Next(TVGN_CHILD, folder));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(two));
  SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, LPARAM(folder));
  EXPECT_EQ(Selected(), folder);
}

TEST_F(TreeView, SelectionByMouseAndKeyboardNotifiesInOrder) {
  MakeTree();
  HTREEITEM a = Add(TVI_ROOT, u"alpha");
  HTREEITEM b = Add(TVI_ROOT, u"beta");
  HTREEITEM b1 = Add(b, u"beta one");
  Click(LabelPoint(a).x, LabelPoint(a).y);
  EXPECT_EQ(GetFocus(), tree);
  EXPECT_EQ(Selected(), a);
  ASSERT_EQ(CodesAmong({TVN_SELCHANGINGW, TVN_SELCHANGEDW}),
            (std::vector<UINT>{TVN_SELCHANGINGW, TVN_SELCHANGEDW}));
  auto& changed = Last(TVN_SELCHANGEDW)->As<NMTREEVIEWW>();
  EXPECT_EQ(changed.action, TVC_BYMOUSE);
  EXPECT_EQ(changed.itemNew.hItem, a);
  EXPECT_EQ(changed.itemOld.hItem, nullptr);
  Notices().clear();
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), b);
  EXPECT_EQ(Last(TVN_SELCHANGEDW)->As<NMTREEVIEWW>().action, TVC_BYKEYBOARD);
  EXPECT_EQ(Last(TVN_SELCHANGEDW)->As<NMTREEVIEWW>().itemOld.hItem, a);
  Key(VK_RIGHT);  // expands
  EXPECT_TRUE(Expanded(b));
  Key(VK_RIGHT);  // into the first child
  EXPECT_EQ(Selected(), b1);
  Key(VK_LEFT);  // to the parent
  EXPECT_EQ(Selected(), b);
  Key(VK_HOME);
  EXPECT_EQ(Selected(), a);
  Key(VK_END);
  EXPECT_EQ(Selected(), b1);
  // Type-ahead finds by prefix, ignoring case.
  Type(u"AL");
  EXPECT_EQ(Selected(), a);
  // A refused change keeps the selection.
  Answer() = [](NMHDR* h) -> LRESULT { return h->code == TVN_SELCHANGINGW; };
  Notices().clear();
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), a);
  EXPECT_EQ(CodesAmong({TVN_SELCHANGINGW, TVN_SELCHANGEDW}), (std::vector<UINT>{TVN_SELCHANGINGW}));
}

// Type-ahead reads a label as it shows: blanks that pad its start are passed
// over, unless what is typed starts with a blank itself.
TEST_F(TreeView, TypedLettersFindLabelsPaddedWithBlanks) {
  MakeTree();
  HTREEITEM all = Add(TVI_ROOT, u" All ");
  HTREEITEM music = Add(all, u"  Music (3) ");
  HTREEITEM movies = Add(all, u" Movies (0) ");
  HTREEITEM maps = Add(all, u"Maps");
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(all));
  SetFocus(tree);
  Type(u"mo");
  EXPECT_EQ(Selected(), movies);
  backend.AdvanceClock(1500);
  Type(u"m");  // the next one past the selection
  EXPECT_EQ(Selected(), maps);
  backend.AdvanceClock(1500);
  Type(u"m");
  EXPECT_EQ(Selected(), music);
  backend.AdvanceClock(1500);
  Type(u"a");
  EXPECT_EQ(Selected(), all);
  backend.AdvanceClock(1500);
  Type(u" m");  // a blank typed first: the text as it stands
  EXPECT_EQ(Selected(), movies);
}

TEST_F(TreeView, LabelEditingAcceptsAndCancels) {
  MakeTree(TVS_HASBUTTONS | TVS_EDITLABELS);
  HTREEITEM a = Add(TVI_ROOT, u"alpha");
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(a));
  SetFocus(tree);
  bool accept = true;
  Answer() = [&](NMHDR* h) -> LRESULT { return h->code == TVN_ENDLABELEDITW && accept; };
  Notices().clear();
  Key(VK_F2);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0));
  ASSERT_TRUE(edit);
  EXPECT_EQ(GetFocus(), edit);
  Type(u"omega");  // replaces the selected text
  Key(VK_RETURN);
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_EQ(TextOf(a), u"omega");
  EXPECT_EQ(GetFocus(), tree);
  EXPECT_EQ(CodesAmong({TVN_BEGINLABELEDITW, TVN_ENDLABELEDITW}),
            (std::vector<UINT>{TVN_BEGINLABELEDITW, TVN_ENDLABELEDITW}));
  // Escape ends without text; the label stays.
  Notices().clear();
  HWND edit2 = reinterpret_cast<HWND>(SendMessageW(tree, TVM_EDITLABELW, 0, LPARAM(a)));
  ASSERT_TRUE(edit2);
  Type(u"lost");
  Key(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(edit2));
  EXPECT_EQ(TextOf(a), u"omega");
  EXPECT_EQ(Last(TVN_ENDLABELEDITW)->As<NMTVDISPINFOW>().item.pszText, nullptr);
  // The parent refusing the new text keeps the old one.
  accept = false;
  SendMessageW(tree, TVM_EDITLABELW, 0, LPARAM(a));
  Type(u"refused");
  Key(VK_RETURN);
  EXPECT_EQ(TextOf(a), u"omega");
  // The parent may refuse to start editing.
  Answer() = [](NMHDR* h) -> LRESULT { return h->code == TVN_BEGINLABELEDITW; };
  EXPECT_EQ(SendMessageW(tree, TVM_EDITLABELW, 0, LPARAM(a)), 0);
  // Losing the focus ends the edit and keeps the text.
  Answer() = [](NMHDR* h) -> LRESULT { return h->code == TVN_ENDLABELEDITW; };
  SendMessageW(tree, TVM_EDITLABELW, 0, LPARAM(a));
  Type(u"kept");
  SetFocus(parent);
  backend.Pump();
  EXPECT_EQ(TextOf(a), u"kept");
  EXPECT_FALSE(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0));
}

TEST_F(TreeView, TheEditedOrSelectedItemMayBeDeletedFromItsNotification) {
  MakeTree(TVS_HASBUTTONS | TVS_EDITLABELS);
  HTREEITEM p = Add(TVI_ROOT, u"parent");
  HTREEITEM a = Add(p, u"a");
  HTREEITEM b = Add(p, u"b");
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(p));
  // End of editing rebuilds the parent: the edited item disappears meanwhile.
  Answer() = [&](NMHDR* h) -> LRESULT {
    if (h->code == TVN_ENDLABELEDITW) {
      SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(a));
      Add(p, u"rebuilt");
      return 1;
    }
    return 0;
  };
  SendMessageW(tree, TVM_EDITLABELW, 0, LPARAM(a));
  Type(u"x");
  Key(VK_RETURN);
  EXPECT_EQ(TextOf(Next(TVGN_CHILD, p)), u"b");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 3);
  // Selection change deletes the newly selected item's sibling and itself.
  Answer() = [&](NMHDR* h) -> LRESULT {
    if (h->code == TVN_SELCHANGEDW) SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(b));
    return 0;
  };
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(b));
  EXPECT_NE(Selected(), b);
  Answer() = nullptr;
  // Deleting everything ends with no selection and one deletion notice per item.
  Notices().clear();
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(p));
  SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
  EXPECT_EQ(Selected(), nullptr);
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0);
  int deletions = 0;
  for (auto& n : Notices()) deletions += n.code == TVN_DELETEITEMW;
  EXPECT_EQ(deletions, 2);
  EXPECT_EQ(Last(TVN_SELCHANGEDW)->As<NMTREEVIEWW>().itemNew.hItem, nullptr);
  Pixel(20, 20);  // paints without the deleted items
  // A deletion notice that deletes the parent of the item being deleted, or
  // the item again, changes nothing until the first deletion is done.
  HTREEITEM q = Add(TVI_ROOT, u"q");
  HTREEITEM q1 = Add(q, u"q1");
  Add(q1, u"q11");
  Answer() = [&](NMHDR* h) -> LRESULT {
    if (h->code == TVN_DELETEITEMW) {
      SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(q));
      SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(q1));
    }
    return 0;
  };
  EXPECT_TRUE(SendMessageW(tree, TVM_DELETEITEM, 0, LPARAM(q1)));
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(Next(TVGN_ROOT), q);
  Pixel(20, 20);
}

TEST_F(TreeView, CheckBoxesToggleByMouseAndSpace) {
  MakeTree(TVS_HASBUTTONS | TVS_CHECKBOXES);
  HTREEITEM a = Add(TVI_ROOT, u"alpha");
  auto checked = [&] {
    return (SendMessageW(tree, TVM_GETITEMSTATE, WPARAM(a), TVIS_STATEIMAGEMASK) >> 12) == 2;
  };
  POINT p = LabelPoint(a);
  RECT r;
  *reinterpret_cast<HTREEITEM*>(&r) = a;
  SendMessageW(tree, TVM_GETITEMRECT, TRUE, LPARAM(&r));
  Click(10 + r.left - 8, p.y);  // the box left of the label
  EXPECT_TRUE(checked());
  EXPECT_EQ(CodesAmong({TVN_ITEMCHANGINGW, TVN_ITEMCHANGEDW}),
            (std::vector<UINT>{TVN_ITEMCHANGINGW, TVN_ITEMCHANGEDW}));
  EXPECT_EQ(Last(TVN_ITEMCHANGEDW)->As<NMTVITEMCHANGE>().uStateNew >> 12, 2u);
  // The check box is painted with its tick (dark pixels inside the box).
  EXPECT_GT(CountColour({10 + r.left - 14, p.y - 4, 10 + r.left - 2, p.y + 4}, 0), 3);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(a));
  Key(VK_SPACE);
  EXPECT_FALSE(checked());
  // A refused change keeps the box.
  Answer() = [](NMHDR* h) -> LRESULT { return h->code == TVN_ITEMCHANGINGW; };
  Key(VK_SPACE);
  EXPECT_FALSE(checked());
}

TEST_F(TreeView, HitTestingFindsTheParts) {
  MakeTree(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
  HTREEITEM a = Add(TVI_ROOT, u"alpha", TVI_LAST, 1);
  int h = ItemHeight();
  int indent = int(SendMessageW(tree, TVM_GETINDENT, 0, 0));
  auto hit = [&](int x, int y) {
    TVHITTESTINFO info;
    info.pt = POINT{x, y};
    SendMessageW(tree, TVM_HITTEST, 0, LPARAM(&info));
    return std::make_pair(info.flags, info.hItem);
  };
  EXPECT_EQ(hit(indent / 2, h / 2), std::make_pair(TVHT_ONITEMBUTTON, a));
  EXPECT_EQ(hit(indent + 8, h / 2), std::make_pair(TVHT_ONITEMLABEL, a));
  EXPECT_EQ(hit(280, h / 2), std::make_pair(TVHT_ONITEMRIGHT, a));
  EXPECT_EQ(hit(20, h * 3).first, TVHT_NOWHERE);
  EXPECT_EQ(hit(20, -3).first, TVHT_ABOVE);
  EXPECT_EQ(hit(20, 400).first, TVHT_BELOW);
}

TEST_F(TreeView, CustomDrawComesInPaintingOrder) {
  MakeTree();
  Add(TVI_ROOT, u"one");
  Add(TVI_ROOT, u"two");
  std::vector<DWORD> stages;
  Answer() = [&](NMHDR* h) -> LRESULT {
    if (h->code != NM_CUSTOMDRAW) return 0;
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(h);
    stages.push_back(cd->nmcd.dwDrawStage);
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      cd->clrText = RGB(255, 0, 0);  // the parent's colour is used
      return CDRF_NOTIFYPOSTPAINT;
    }
    return CDRF_DODEFAULT;
  };
  InvalidateRect(tree, nullptr, TRUE);
  EXPECT_GT(CountReddish({10, 10, 200, 50}), 10);
  EXPECT_EQ(stages, (std::vector<DWORD>{CDDS_PREPAINT, CDDS_ITEMPREPAINT, CDDS_ITEMPOSTPAINT,
                                        CDDS_ITEMPREPAINT, CDDS_ITEMPOSTPAINT, CDDS_POSTPAINT}));
}

TEST_F(TreeView, SelectionIsHighlightedWhileFocusedAndGreyWithShowSelAlways) {
  MakeTree(TVS_HASBUTTONS | TVS_SHOWSELALWAYS);
  HTREEITEM a = Add(TVI_ROOT, u"alpha");
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(a));
  SetFocus(tree);
  POINT p = LabelPoint(a);
  EXPECT_GT(CountColour({p.x - 6, p.y - 5, p.x + 30, p.y + 5}, Sys(COLOR_HIGHLIGHT)), 50);
  SetFocus(parent);
  EXPECT_EQ(CountColour({p.x - 6, p.y - 5, p.x + 30, p.y + 5}, Sys(COLOR_HIGHLIGHT)), 0);
  EXPECT_GT(CountColour({p.x - 6, p.y - 5, p.x + 30, p.y + 5}, Sys(COLOR_BTNFACE)), 50);
}

// A focused tree with nothing selected marks the item the keys start from
// (the first, which Down selects), and one without items its client area:
// the focus never goes unseen. Losing the focus takes the marks away.
TEST_F(TreeView, TheFocusShowsWithNothingSelectedAndWithNoItems) {
  MakeTree(TVS_HASBUTTONS | TVS_SHOWSELALWAYS);
  auto labelTop = [&](HTREEITEM h) {
    RECT r;
    *reinterpret_cast<HTREEITEM*>(&r) = h;
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, LPARAM(&r)));
    return RECT{10 + r.left, 10 + r.top, 10 + r.right, 10 + r.top + 1};
  };
  auto dotsOn = [&](RECT line) { return CountColour(line, 0x000000); };
  const RECT clientBottom{12, 308, 300, 309};  // the frame's lower edge
  SetFocus(tree);
  EXPECT_GT(dotsOn(clientBottom), 20) << "an empty focused tree shows nothing";
  SetFocus(parent);
  EXPECT_EQ(dotsOn(clientBottom), 0);
  HTREEITEM a = Add(TVI_ROOT, u"alpha");
  HTREEITEM b = Add(TVI_ROOT, u"beta");
  SetFocus(tree);
  EXPECT_EQ(dotsOn(clientBottom), 0) << "the frame stays with items";
  EXPECT_GT(dotsOn(labelTop(a)), 5);
  EXPECT_EQ(dotsOn(labelTop(b)), 0);
  SetFocus(parent);
  EXPECT_EQ(dotsOn(labelTop(a)), 0);
  SetFocus(tree);
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), a);
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), b);
  EXPECT_EQ(dotsOn(labelTop(a)), 0) << "the mark stayed on the first item";
  EXPECT_GT(CountColour(labelTop(b), Sys(COLOR_HIGHLIGHT)) + dotsOn(labelTop(b)), 5);
}

TEST_F(TreeView, DraggingAnItemAnnouncesTheDrag) {
  MakeTree();
  HTREEITEM a = Add(TVI_ROOT, u"alpha");
  POINT p = LabelPoint(a);
  backend.MouseMove(p.x, p.y);
  backend.MouseDown();
  backend.MouseMove(p.x + 20, p.y + 20);
  backend.MouseUp();
  backend.Pump();
  ASSERT_TRUE(Last(TVN_BEGINDRAGW));
  EXPECT_EQ(Last(TVN_BEGINDRAGW)->As<NMTREEVIEWW>().itemNew.hItem, a);
}

TEST_F(TreeView, RightButtonClicksOrDrags) {
  MakeTree();
  HTREEITEM a = Add(TVI_ROOT, u"alpha");
  POINT p = LabelPoint(a);
  backend.Click(p.x, p.y, MouseButton::Right);
  backend.Pump();
  EXPECT_TRUE(Last(NM_RCLICK));
  EXPECT_FALSE(Last(TVN_BEGINRDRAGW));
  Notices().clear();
  backend.MouseMove(p.x, p.y);
  backend.MouseDown(MouseButton::Right);
  backend.MouseMove(p.x + 30, p.y + 30);
  backend.MouseUp(MouseButton::Right);
  backend.Pump();
  ASSERT_TRUE(Last(TVN_BEGINRDRAGW));
  EXPECT_EQ(Last(TVN_BEGINRDRAGW)->As<NMTREEVIEWW>().itemNew.hItem, a);
  EXPECT_FALSE(Last(NM_RCLICK));  // a drag is not a click
  EXPECT_EQ(Next(TVGN_DROPHILITE), nullptr);
}

TEST_F(TreeView, HotTrackingUnderlinesTheLabelUnderTheMouse) {
  MakeTree(TVS_HASBUTTONS | TVS_TRACKSELECT);
  HTREEITEM a = Add(TVI_ROOT, u"alpha beta gamma");
  RECT r;
  *reinterpret_cast<HTREEITEM*>(&r) = a;
  SendMessageW(tree, TVM_GETITEMRECT, TRUE, LPARAM(&r));
  OffsetRect(&r, 10, 10);
  uint32_t ink = Sys(COLOR_WINDOWTEXT);
  auto longestInkRow = [&] {
    backend.Pump();
    Surface shot = backend.Screenshot();
    int best = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      int n = 0;
      for (int x = r.left; x < r.right; ++x) n += (shot.At(x, y) & 0xFFFFFF) == ink;
      best = std::max(best, n);
    }
    return best;
  };
  int plain = longestInkRow();
  backend.MouseMove((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  backend.Pump();
  int hot = longestInkRow();
  EXPECT_GT(hot, plain + 20);   // a full underline row
  backend.MouseMove(300, 300);  // off the tree: the hot item goes
  backend.Pump();
  EXPECT_EQ(longestInkRow(), plain);
}

TEST_F(TreeView, ANewFontRemeasuresHiddenLabelsToo) {
  MakeTree();
  HTREEITEM top = Add(TVI_ROOT, u"same text");
  HTREEITEM child = Add(top, u"same text");
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(top));
  Pixel(0, 0);  // measured with the default font
  SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, LPARAM(top));
  HFONT big = CreateFontW(-24, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
  SendMessageW(tree, WM_SETFONT, WPARAM(big), TRUE);
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(top));
  auto width = [&](HTREEITEM h) {
    RECT r;
    *reinterpret_cast<HTREEITEM*>(&r) = h;
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, LPARAM(&r));
    return r.right - r.left;
  };
  EXPECT_EQ(width(child), width(top));
  EXPECT_GT(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0), 24);
  DestroyWindow(tree);
  DeleteObject(big);
}

TEST_F(TreeView, ScrollsAPageAndKeepsTheSelectionInView) {
  MakeTree();
  for (int i = 0; i < 100; ++i) Add(TVI_ROOT, u"item " + std::u16string(1, char16_t(u'0' + i % 10)));
  HTREEITEM first = Next(TVGN_ROOT);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(first));
  SetFocus(tree);
  Key(VK_NEXT);
  int page = int(SendMessageW(tree, TVM_GETVISIBLECOUNT, 0, 0));
  HTREEITEM sel = Selected();
  HTREEITEM walk = first;
  for (int i = 1; i < page; ++i) walk = Next(TVGN_NEXT, walk);
  EXPECT_EQ(sel, walk);
  Key(VK_END);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(tree, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 99);
  EXPECT_EQ(si.nPos, 100 - int(si.nPage));
  EXPECT_EQ(Next(TVGN_LASTVISIBLE), Selected());
  SendMessageW(tree, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), first);
}

}  // namespace
}  // namespace qv::test
