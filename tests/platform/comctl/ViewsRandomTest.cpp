// Random edits of a tree view and a list view through their messages,
// checked after every step against a plain model and against invariants of
// the windows themselves: the shown rows, the scroll bar, the rectangles
// hit testing finds, the selection and the texts.
#include <algorithm>
#include <map>
#include <random>

#include "ComCtlTestSupport.h"
#include "platform/comctl/ListView.h"
#include "platform/comctl/TreeView.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

using ViewsRandom = ComCtlTest;

struct ModelNode {
  HTREEITEM handle = nullptr;
  ModelNode* parent = nullptr;
  std::vector<std::unique_ptr<ModelNode>> children;
  bool expanded = false;
};

class TreeChecker {
 public:
  explicit TreeChecker(HWND tree) : tree_(tree) { root_.handle = TVI_ROOT; }

  HTREEITEM Next(UINT code, HTREEITEM h = nullptr) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, code, LPARAM(h)));
  }
  std::vector<ModelNode*> All() {
    std::vector<ModelNode*> out;
    Collect(&root_, out);
    return out;
  }
  void Insert(ModelNode* parent, bool first) {
    TVINSERTSTRUCTW ins;
    ins.hParent = parent->handle;
    ins.hInsertAfter = first ? TVI_FIRST : TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    std::u16string text = u"n" + std::u16string(1, char16_t(u'a' + counter_++ % 26));
    ins.item.pszText = text.data();
    auto h = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, LPARAM(&ins)));
    ASSERT_TRUE(h);
    auto node = std::make_unique<ModelNode>();
    node->handle = h;
    node->parent = parent;
    if (first)
      parent->children.insert(parent->children.begin(), std::move(node));
    else
      parent->children.push_back(std::move(node));
  }
  void Delete(ModelNode* n) {
    ASSERT_TRUE(SendMessageW(tree_, TVM_DELETEITEM, 0, LPARAM(n->handle)));
    auto& siblings = n->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(), [n](auto& c) { return c.get() == n; }));
  }
  void Toggle(ModelNode* n) {
    bool changed = SendMessageW(tree_, TVM_EXPAND, TVE_TOGGLE, LPARAM(n->handle)) != 0;
    if (changed) n->expanded = !n->expanded;
    // An item without children never expands.
    if (n->children.empty()) n->expanded = false;
  }
  // The rows the model shows, in order.
  std::vector<HTREEITEM> Shown() {
    std::vector<HTREEITEM> out;
    ShownBelow(&root_, out);
    return out;
  }
  void Check() {
    std::vector<HTREEITEM> shown = Shown();
    // The window's walk of shown items matches.
    std::vector<HTREEITEM> walk;
    for (HTREEITEM h = Next(TVGN_ROOT); h; h = Next(TVGN_NEXTVISIBLE, h)) walk.push_back(h);
    ASSERT_EQ(walk, shown);
    ASSERT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), LRESULT(All().size()));
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(tree_, SB_VERT, &si);
    int page = int(SendMessageW(tree_, TVM_GETVISIBLECOUNT, 0, 0));
    if (int(shown.size()) > page) {
      ASSERT_EQ(si.nMax, int(shown.size()) - 1);
      HTREEITEM top = Next(TVGN_FIRSTVISIBLE);
      auto at = std::find(shown.begin(), shown.end(), top);
      ASSERT_NE(at, shown.end());
      int topRow = int(at - shown.begin());
      ASSERT_EQ(si.nPos, topRow);
      ASSERT_LE(topRow + page, int(shown.size()));  // no empty rows at the bottom
      // Each row on the page is where hit testing finds it.
      int h = int(SendMessageW(tree_, TVM_GETITEMHEIGHT, 0, 0));
      for (int r = 0; r < page && topRow + r < int(shown.size()); ++r) {
        TVHITTESTINFO info;
        info.pt = POINT{200, r * h + h / 2};
        SendMessageW(tree_, TVM_HITTEST, 0, LPARAM(&info));
        ASSERT_EQ(info.hItem, shown[size_t(topRow + r)]);
      }
    }
    HTREEITEM sel = Next(TVGN_CARET);
    if (sel) {
      ASSERT_NE(std::find(shown.begin(), shown.end(), sel), shown.end());
    }
  }

  ModelNode root_;

 private:
  void Collect(ModelNode* n, std::vector<ModelNode*>& out) {
    for (auto& c : n->children) {
      out.push_back(c.get());
      Collect(c.get(), out);
    }
  }
  void ShownBelow(ModelNode* n, std::vector<HTREEITEM>& out) {
    for (auto& c : n->children) {
      out.push_back(c->handle);
      if (c->expanded) ShownBelow(c.get(), out);
    }
  }
  HWND tree_;
  int counter_ = 0;
};

TEST_F(ViewsRandom, TreeViewFollowsAModelThroughRandomEdits) {
  HWND tree = Make(WC_TREEVIEW, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, {0, 0, 300, 200});
  TreeChecker c(tree);
  std::mt19937 rng(11);
  for (int step = 0; step < 600; ++step) {
    std::vector<ModelNode*> all = c.All();
    int op = int(rng() % 12);
    if (op < 5 || all.empty()) {
      ModelNode* into = all.empty() || rng() % 3 == 0 ? &c.root_ : all[rng() % all.size()];
      c.Insert(into, rng() % 4 == 0);
    } else if (op < 8) {
      c.Toggle(all[rng() % all.size()]);
    } else if (op < 9) {
      c.Delete(all[rng() % all.size()]);
    } else if (op < 11) {
      ModelNode* n = all[rng() % all.size()];
      SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(n->handle));
      // Selecting expands the ancestors.
      for (ModelNode* p = n->parent; p && p != &c.root_; p = p->parent) p->expanded = true;
    } else {
      SendMessageW(tree, WM_VSCROLL, rng() % 2 ? SB_PAGEDOWN : SB_LINEUP, 0);
    }
    // Collapsing a parent of the selection moves the selection up; the model
    // does not track it, the check only asks that it stays shown.
    ASSERT_NO_FATAL_FAILURE(c.Check()) << "step " << step;
    if (step % 100 == 0) Pixel(10, 10);  // painting never trips over the edits
  }
}

TEST_F(ViewsRandom, ListViewFollowsAModelThroughRandomEdits) {
  HWND list = Make(WC_LISTVIEW, LVS_REPORT, {0, 0, 300, 200});
  LVCOLUMNW col;
  col.mask = LVCF_WIDTH;
  col.cx = 100;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, LPARAM(&col));
  SendMessageW(list, LVM_INSERTCOLUMNW, 1, LPARAM(&col));
  struct Row {
    std::u16string text, sub;
    bool selected = false;
  };
  std::vector<Row> model;
  std::mt19937 rng(5);
  int counter = 0;
  auto text = [&](int i) {
    char16_t buffer[32] = {};
    LVITEMW it;
    it.pszText = buffer;
    it.cchTextMax = 32;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), LPARAM(&it));
    return std::u16string(buffer);
  };
  for (int step = 0; step < 800; ++step) {
    int op = int(rng() % 10);
    int n = int(model.size());
    if (op < 4 || n == 0) {
      int at = int(rng() % (n + 1));
      Row r;
      r.text = u"row" + std::u16string(1, char16_t(u'A' + counter++ % 26));
      r.sub = u"s" + r.text;
      LVITEMW it;
      it.mask = LVIF_TEXT;
      it.iItem = at;
      it.pszText = r.text.data();
      ASSERT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, LPARAM(&it)), at);
      LVITEMW s;
      s.iSubItem = 1;
      s.pszText = r.sub.data();
      SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(at), LPARAM(&s));
      model.insert(model.begin() + at, r);
    } else if (op < 6) {
      int at = int(rng() % n);
      ASSERT_TRUE(SendMessageW(list, LVM_DELETEITEM, WPARAM(at), 0));
      model.erase(model.begin() + at);
    } else if (op < 9) {
      int at = int(rng() % n);
      bool on = rng() % 2;
      LVITEMW it;
      it.state = on ? LVIS_SELECTED : 0;
      it.stateMask = LVIS_SELECTED;
      SendMessageW(list, LVM_SETITEMSTATE, WPARAM(at), LPARAM(&it));
      model[size_t(at)].selected = on;
    } else {
      SendMessageW(list, WM_VSCROLL, rng() % 2 ? SB_PAGEDOWN : SB_PAGEUP, 0);
    }
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), LRESULT(model.size()));
    std::vector<int> want, got;
    for (int i = 0; i < int(model.size()); ++i)
      if (model[size_t(i)].selected) want.push_back(i);
    for (int i = -1; (i = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(i), LVNI_SELECTED))) >= 0;)
      got.push_back(i);
    ASSERT_EQ(got, want) << "step " << step;
    ASSERT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), LRESULT(want.size()));
    if (!model.empty()) {
      int i = int(rng() % model.size());
      ASSERT_EQ(text(i), model[size_t(i)].text);
      int top = int(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
      ASSERT_LE(top, std::max(0, int(model.size()) - 1));
      // The top row is where hit testing finds it.
      RECT r;
      r.left = LVIR_BOUNDS;
      SendMessageW(list, LVM_GETITEMRECT, WPARAM(top), LPARAM(&r));
      LVHITTESTINFO info;
      info.pt = POINT{10, (r.top + r.bottom) / 2};
      ASSERT_EQ(SendMessageW(list, LVM_HITTEST, 0, LPARAM(&info)), top);
    }
    if (step % 100 == 0) Pixel(10, 30);
  }
}

TEST_F(ViewsRandom, HeaderOrderFollowsRandomMoves) {
  HWND header = Make(WC_HEADER, HDS_BUTTONS | HDS_DRAGDROP, {0, 0, 500, 20});
  for (int i = 0; i < 5; ++i) {
    HDITEMW it;
    it.mask = HDI_WIDTH;
    it.cxy = 60 + 10 * i;
    SendMessageW(header, HDM_INSERTITEMW, WPARAM(i), LPARAM(&it));
  }
  std::vector<int> model{0, 1, 2, 3, 4};
  std::mt19937 rng(3);
  for (int step = 0; step < 50; ++step) {
    int item = int(rng() % 5), to = int(rng() % 5);
    HDITEMW it;
    it.mask = HDI_ORDER;
    it.iOrder = to;
    SendMessageW(header, HDM_SETITEMW, WPARAM(item), LPARAM(&it));
    model.erase(std::find(model.begin(), model.end(), item));
    model.insert(model.begin() + to, item);
    std::vector<int> got(5);
    SendMessageW(header, HDM_GETORDERARRAY, 5, LPARAM(got.data()));
    ASSERT_EQ(got, model);
    // Rectangles follow the order without gaps.
    int x = 0;
    for (int pos = 0; pos < 5; ++pos) {
      RECT r;
      SendMessageW(header, HDM_GETITEMRECT, WPARAM(model[size_t(pos)]), LPARAM(&r));
      ASSERT_EQ(r.left, x);
      x = r.right;
      ASSERT_EQ(SendMessageW(header, HDM_ORDERTOINDEX, WPARAM(pos), 0), model[size_t(pos)]);
    }
  }
}

}  // namespace
}  // namespace qv::test
