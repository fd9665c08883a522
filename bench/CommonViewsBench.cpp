// Tree view and list view figures: treeview_add_ms adds 100,000 nodes under
// 1,000 parents and paints; treeview_expand_ms expands all of them and
// paints; listview_fill_ms fills a report view with 100,000 rows of 4
// columns and paints (median of nine runs after a first one); listview_scroll_ms is the median repaint after
// a one-page scroll of that list.
#include <cstdio>
#include <string>

#include "CommonBench.h"
#include "classlib/comctrls/ListView.h"
#include "classlib/comctrls/TreeView.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::bench {
namespace {

struct ViewForm {
  TForm* form = new TForm(nullptr);
  ViewForm() {
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 640, 480);
  }
  void Show() {
    form->Show();
    Application->ProcessMessages();
  }
  ~ViewForm() { delete form; }
};

TTreeView* NewTree(ViewForm& f) {
  auto* tree = new TTreeView(f.form);
  tree->SetParent(f.form);
  tree->SetAlign(alClient);
  f.Show();
  return tree;
}

void FillTree(TTreeView* tree) {
  tree->Items()->BeginUpdate();
  for (int p = 0; p < 1000; ++p) {
    TTreeNode* parent = tree->Items()->AddChild(nullptr, "Folder " + std::to_string(p));
    for (int c = 0; c < 100; ++c) tree->Items()->AddChild(parent, "File " + std::to_string(c) + ".txt");
  }
  tree->Items()->EndUpdate();
  UpdateWindow(tree->Handle());
}

double TreeAdd() {
  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    ViewForm f;
    TTreeView* tree = NewTree(f);
    times.push_back(CommonTimeMs([&] { FillTree(tree); }));
    if (tree->Items()->Count() != 101000) std::fprintf(stderr, "treeview_add_ms: wrong count\n");
  }
  return CommonMedian(times);
}

double TreeExpand() {
  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    ViewForm f;
    TTreeView* tree = NewTree(f);
    FillTree(tree);
    times.push_back(CommonTimeMs([&] {
      tree->FullExpand();
      UpdateWindow(tree->Handle());
    }));
    if (!tree->Items()->GetFirstNode()->getNextSibling()->Expanded())
      std::fprintf(stderr, "treeview_expand_ms: not expanded\n");
  }
  return CommonMedian(times);
}

TListView* NewList(ViewForm& f) {
  auto* list = new TListView(f.form);
  list->SetParent(f.form);
  list->SetAlign(alClient);
  list->SetViewStyle(vsReport);
  for (const char* name : {"Name", "Size", "Type", "Modified"}) {
    TListColumn* c = list->Columns()->Add();
    c->SetCaption(name);
    c->SetWidth(140);
  }
  f.Show();
  return list;
}

void FillList(TListView* list) {
  list->Items()->BeginUpdate();
  for (int i = 0; i < 100000; ++i) {
    TListItem* item = list->Items()->Add();
    item->SetCaption("Document " + std::to_string(i) + ".txt");
    item->SubItems()->Add(std::to_string(i * 37 % 100000));
    item->SubItems()->Add("Text file");
    item->SubItems()->Add("07/12/2026 12:00");
  }
  list->Items()->EndUpdate();
  UpdateWindow(list->Handle());
}

double ListFill() {
  return MedianOfRuns(9, [] {
    ViewForm f;
    TListView* list = NewList(f);
    return CommonTimeMs([&] { FillList(list); });
  });
}

double ListScroll() {
  ViewForm f;
  TListView* list = NewList(f);
  FillList(list);
  HWND h = list->Handle();
  int paints = 0;
  list->WindowProc = [&paints, old = list->WindowProc](TMessage& m) {
    paints += m.Msg == WM_PAINT;
    old(m);
  };
  std::vector<double> times;
  for (int i = 0; i < 41; ++i)
    times.push_back(CommonTimeMs([&] {
      SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
      UpdateWindow(h);
    }));
  if (paints < 41 || SendMessageW(h, LVM_GETTOPINDEX, 0, 0) < 41 * 10)
    std::fprintf(stderr, "listview_scroll_ms: the list did not scroll and repaint\n");
  return CommonMedian(times);
}

const int registered = AddCommonFigure("treeview_add_ms", [](HeadlessBackend&) { return TreeAdd(); }) +
                       AddCommonFigure("treeview_expand_ms", [](HeadlessBackend&) { return TreeExpand(); }) +
                       AddCommonFigure("listview_fill_ms", [](HeadlessBackend&) { return ListFill(); }) +
                       AddCommonFigure("listview_scroll_ms", [](HeadlessBackend&) { return ListScroll(); });

}  // namespace
}  // namespace qv::bench
