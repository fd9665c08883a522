// Data tree figures for many rows at once: 5,000 selected rows spread over a
// 300,000-row list cut and pasted behind its last row (the move within one
// tree), and a rubber band dragged row by row over 10,000 rows of which
// 5,000 were selected before.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "datatree/DataStringTree.h"
#include "datatree/DataTreeClipboard.h"
#include "platform/ole/OleClipboard.h"

namespace qv {

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point a) {
  return std::chrono::duration<double, std::milli>(Clock::now() - a).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::u16string Digits(uint32_t n) {
  std::u16string s;
  do s.insert(s.begin(), char16_t('0' + n % 10));
  while (n /= 10);
  return s;
}

// The rubber band's entry points, as the mouse handling drives them.
struct BandTree : TDataStringTree {
  using TBaseDataTree::DoStateChange;
  using TBaseDataTree::HandleDrawSelection;
  using TBaseDataTree::StartDrawSelection;
  using TDataStringTree::TDataStringTree;
};

void Named(TDataStringTree& t) {
  t.SetNodeDataSize(16);
  t.OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = u"File " + Digits(n->Index) + u".dat";
  };
}

double MoveWide() {
  constexpr uint32_t kRows = 300000, kMoved = 5000;
  auto t = std::make_unique<TDataStringTree>(nullptr);
  Named(*t);
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  t->ClipboardFormats()->Add("Data Tree Data");
  t->SetRootNodeCount(kRows);
  uint32_t i = 0;
  for (PDataNode n = t->GetFirst(); n; n = t->GetNextSibling(n), ++i)
    if (i % (kRows / kMoved) == 0) t->SetSelected(n, true);
  PDataNode last = t->RootNode()->LastChild;
  t->SetSelected(last, false);
  auto t0 = Clock::now();
  t->CutToClipboard();
  t->SetFocusedNode(last);
  t->DefaultPasteMode = amInsertAfter;
  bool pasted = t->PasteFromClipboard();
  double ms = Since(t0);
  // The moved rows follow the old last row, in their order.
  if (!pasted || t->RootNodeCount() != kRows || t->RootNode()->LastChild->Index != kRows - 1)
    std::fprintf(stderr, "move_wide: the paste went wrong\n");
  OleSetClipboard(nullptr);
  return ms;
}

double RubberBand() {
  constexpr int kRows = 10000;
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 1280, 800);
  auto* t = new BandTree(form);
  t->SetBorderStyle(bsNone);
  t->SetAlign(alClient);
  t->SetParent(form);
  Named(*t);
  t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + toMultiSelect);
  t->SetRootNodeCount(2 * kRows);
  int i = 0;
  for (PDataNode n = t->GetFirst(); n && i < kRows; n = t->GetNextSibling(n), ++i)
    if (i % 2 == 1) t->SetSelected(n, true);
  form->Show();
  // The worker reports a finished cache to the tree's window (queued again
  // now that it has one); the states change while this thread handles messages.
  t->ValidateCache();
  for (int wait = 0; wait < 20000 && !t->TreeStates().Contains(tsUseCache); ++wait) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  const int h = int(t->DefaultNodeHeight());
  auto t0 = Clock::now();
  POINT start{2, 1};
  t->StartDrawSelection(start, false);
  t->DoStateChange({tsDrawSelecting});  // past the drag threshold, as the mouse handling does
  RECT band{start.x, start.y, start.x, start.y};
  for (int row = 0; row < kRows; ++row) {
    RECT next{start.x, start.y, 600, row * h + h / 2};
    t->HandleDrawSelection(band, next);
    band = next;
  }
  double ms = Since(t0);
  if (t->SelectionCount() != kRows) std::fprintf(stderr, "rubber_band: %d selected\n", t->SelectionCount());
  delete form;
  return ms;
}

}  // namespace

void RunTreeMoveFigures() {
  OleInitialize(nullptr);
  std::vector<double> moves, bands;
  for (int run = 0; run < 5; ++run) moves.push_back(MoveWide());
  for (int run = 0; run < 5; ++run) bands.push_back(RubberBand());
  std::printf("move_wide_ms=%.3f\n", Median(moves));
  std::printf("rubber_band_ms=%.3f\n", Median(bands));
  OleUninitialize();
}

}  // namespace qv
