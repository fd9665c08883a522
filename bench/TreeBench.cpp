// Data tree benchmark on the headless backend, a million nodes with a 16-byte
// user record each: creating them by count, initialising them all, resident
// bytes per node, the median full repaint of a 1280x800 tree with six columns
// in the middle of the tree, the End key, hit tests with the cache, sorting by
// text against std::stable_sort, the worker's validation, and FullExpand of
// 1,000 x 1,000; then the transfer figures and the wide move and rubber
// band figures. Prints one key=value line per figure.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "datatree/DataStringTree.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"

namespace qv {
void RunTreeTransferFigures();  // TreeTransferBench.cpp
void RunTreeMoveFigures();      // TreeMoveBench.cpp
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kNodes = 1000000;

struct Record {  // the 16-byte user record
  uint32_t id;
  uint32_t size;
  double date;
};
static_assert(sizeof(Record) == 16);

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

long ResidentBytes() {
  std::ifstream f("/proc/self/statm");
  long pages = 0, resident = 0;
  f >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

std::u16string Number(uint32_t n) {
  std::u16string s;
  do s.insert(s.begin(), char16_t('0' + n % 10));
  while (n /= 10);
  return s;
}

void Print(const char* key, double value) {
  std::printf("%s=%.3f\n", key, value);
}

bool WaitForCache(TBaseDataTree& t, HeadlessBackend& b) {
  for (int i = 0; i < 20000; ++i) {
    if (t.TreeStates().Contains(tsUseCache)) return true;
    b.Pump();
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  return false;
}

void Run() {
  HeadlessBackend backend{SIZE{1400, 900}};
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 1280, 800);
  auto* tree = new TDataStringTree(form);
  tree->SetBorderStyle(bsNone);
  tree->SetAlign(alClient);
  tree->SetParent(form);
  tree->SetNodeDataSize(sizeof(Record));
  TDTHeader* header = tree->Header();
  static const char16_t* titles[] = {u"Name", u"Size", u"Date", u"Disc", u"Folder", u"Kind"};
  for (const char16_t* title : titles) {
    TDataTreeColumn* c = header->Columns()->Add();
    c->SetText(title);
    c->SetWidth(210);
  }
  header->SetOptions(TDTHeaderOptions{hoVisible, hoColumnResize, hoDrag, hoShowSortGlyphs});
  tree->TreeOptions()->SetPaintOptions(tree->TreeOptions()->PaintOptions() + toShowHorzGridLines +
                                       toShowVertGridLines);
  form->Show();
  backend.Pump();

  // Names in random order, shared by the tree and the reference sort.
  std::vector<std::u16string> names(kNodes);
  std::mt19937 rng(1);
  for (uint32_t i = 0; i < kNodes; ++i) names[i] = u"File " + Number(rng() % 10000000u) + u".dat";
  tree->OnInitNode = [](TBaseDataTree* t, PDataNode, PDataNode n, TDataNodeInitStates&) {
    Record* r = t->GetNodeData<Record>(n);
    r->id = n->Index;
    r->size = n->Index * 7u;
    r->date = 45000.0 + n->Index % 365;
  };
  tree->OnGetText = [&names](TBaseDataTree* t, PDataNode n, TColumnIndex c, TVSTTextType, std::u16string& s) {
    const Record* r = t->GetNodeData<Record>(n);
    switch (c) {
      case 0:
        s = names[r->id];
        break;
      case 1:
        s = Number(r->size) + u" bytes";
        break;
      case 2:
        s = u"07/12/2026 12:00:00";
        break;
      case 3:
        s = u"Disc " + Number(r->id % 97);
        break;
      case 4:
        s = u"/home/user/folder " + Number(r->id % 1000);
        break;
      default:
        s = u"Document";
        break;
    }
  };

  long before = ResidentBytes();
  auto t0 = Clock::now();
  tree->SetRootNodeCount(kNodes);
  auto t1 = Clock::now();
  Print("set_count_ms", Ms(t0, t1));

  t0 = Clock::now();
  uint32_t count = 0;
  for (PDataNode n = tree->GetFirst(); n; n = tree->GetNext(n)) ++count;
  t1 = Clock::now();
  Print("init_all_ms", Ms(t0, t1));
  Print("node_bytes", double(ResidentBytes() - before) / count);

  WaitForCache(*tree, backend);
  // The middle of the tree.
  tree->SetOffsetY(-int(kNodes / 2) * int(tree->DefaultNodeHeight()));
  backend.Pump();
  std::vector<double> paints;
  for (int i = 0; i < 31; ++i) {
    InvalidateRect(tree->Handle(), nullptr, FALSE);
    t0 = Clock::now();
    UpdateWindow(tree->Handle());
    paints.push_back(Ms(t0, Clock::now()));
  }
  Print("repaint_ms", Median(paints));

  std::vector<double> hits;
  std::uniform_int_distribution<int> ys(0, int(kNodes) * 18 - 1);
  for (int batch = 0; batch < 21; ++batch) {
    t0 = Clock::now();
    for (int i = 0; i < 1000; ++i) {
      int top;
      tree->GetNodeAt(0, ys(rng), false, top);
    }
    hits.push_back(Ms(t0, Clock::now()));  // ms per 1000 = us per call
  }
  Print("hit_test_us", Median(hits));

  tree->SetOffsetY(0);
  tree->SetFocus();
  tree->SetFocusedNode(tree->GetFirst());
  backend.Pump();
  t0 = Clock::now();
  backend.KeyPress(VK_END);
  backend.Pump();
  t1 = Clock::now();
  Print("end_key_ms", Ms(t0, t1));

  backend.Pump();
  tree->InvalidateCache();
  t0 = Clock::now();
  tree->ValidateCache();
  WaitForCache(*tree, backend);
  t1 = Clock::now();
  Print("validate_ms", Ms(t0, t1));

  // Sorting by the name column against std::stable_sort of the same strings.
  std::vector<const std::u16string*> reference;
  reference.reserve(kNodes);
  for (PDataNode n = tree->GetFirstNoInit(); n; n = n->NextSibling)
    reference.push_back(&names[tree->GetNodeData<Record>(n)->id]);
  tree->OnCompareNodes = [&names](TBaseDataTree* t, PDataNode a, PDataNode b, TColumnIndex, int& r) {
    r = names[t->GetNodeData<Record>(a)->id].compare(names[t->GetNodeData<Record>(b)->id]);
  };
  t0 = Clock::now();
  tree->SortTree(0, sdAscending, false);
  t1 = Clock::now();
  double treeSort = Ms(t0, t1);
  t0 = Clock::now();
  std::stable_sort(reference.begin(), reference.end(),
                   [](const std::u16string* a, const std::u16string* b) { return b->compare(*a) > 0; });
  t1 = Clock::now();
  double stdSort = Ms(t0, t1);
  Print("sort_ratio", treeSort / stdSort);
  if (getenv("QV_BENCH_DETAIL")) std::printf("sort_tree_ms=%.1f sort_std_ms=%.1f\n", treeSort, stdSort);

  delete form;

  auto big = std::make_unique<TDataStringTree>(nullptr);
  big->SetNodeDataSize(sizeof(Record));
  big->SetRootNodeCount(1000);
  for (PDataNode n = big->GetFirstNoInit(); n; n = n->NextSibling) big->SetChildCount(n, 1000);
  t0 = Clock::now();
  big->FullExpand();
  t1 = Clock::now();
  Print("expand_all_ms", Ms(t0, t1));
}

}  // namespace
}  // namespace qv

int main() {
  if (getenv("QV_BENCH_EXPAND_ONLY")) {
    qv::HeadlessBackend backend{qv::SIZE{800, 600}};
    for (int i = 0; i < 3; ++i) {
      auto big = std::make_unique<qv::TDataStringTree>(nullptr);
      big->SetNodeDataSize(16);
      big->SetRootNodeCount(1000);
      for (qv::PDataNode n = big->GetFirstNoInit(); n; n = n->NextSibling) big->SetChildCount(n, 1000);
      auto t0 = qv::Clock::now();
      big->FullExpand();
      std::printf("expand_all_ms=%.3f\n", qv::Ms(t0, qv::Clock::now()));
    }
    return 0;
  }
  if (getenv("QV_BENCH_COUNT_ONLY")) {
    qv::HeadlessBackend backend{qv::SIZE{800, 600}};
    for (int i = 0; i < 4; ++i) {
      auto t = std::make_unique<qv::TDataStringTree>(nullptr);
      t->SetNodeDataSize(16);
      auto t0 = qv::Clock::now();
      t->SetRootNodeCount(qv::kNodes);
      std::printf("set_count_ms=%.3f\n", qv::Ms(t0, qv::Clock::now()));
    }
    return 0;
  }
  if (getenv("QV_BENCH_TRANSFER_ONLY")) {
    qv::HeadlessBackend backend{qv::SIZE{800, 600}};
    qv::RunTreeTransferFigures();
    return 0;
  }
  if (getenv("QV_BENCH_MOVE_ONLY")) {
    qv::HeadlessBackend backend{qv::SIZE{1400, 900}};
    qv::RunTreeMoveFigures();
    return 0;
  }
  qv::Run();
  {
    qv::HeadlessBackend backend{qv::SIZE{800, 600}};
    qv::RunTreeTransferFigures();
  }
  {
    qv::HeadlessBackend backend{qv::SIZE{1400, 900}};
    qv::RunTreeMoveFigures();
  }
  return 0;
}
