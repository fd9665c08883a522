// Shell list and skinned list figures of bench/run shelltree: a folder of
// 10,000 entries shown in the shell list view in report view and painted, and
// the median time of a page scroll of a skinned list view of 100,000 rows
// with the repaint it causes.
#include <string>
#include <vector>

#include "FigureRegistry.h"
#include "ShellTreeBench.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "skin/controls/skListView.h"
#include "skin/controls/skShellListView.h"
#include "skin/skinManager.h"

namespace qv {
namespace {

// A folder of 10,000 files.
std::string FilesFolder() {
  return Cached(BenchCacheDir() + "/shelllist-files", [](const std::string& t) {
    char name[32];
    for (int i = 0; i < 10000; ++i) {
      std::snprintf(name, sizeof name, "/file%05d.txt", i);
      std::fclose(std::fopen((t + name).c_str(), "w"));
    }
  });
}

TForm* MakeForm() {
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 1024, 768);
  return form;
}

void Paint(TWinControl* c) {
  RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

double MeasureShellList(HeadlessBackend& backend) {
  const std::string folder = FilesFolder();
  std::vector<double> runs;
  for (int i = 0; i < 3; ++i) {
    TForm* form = MakeForm();
    auto* list = new TSkShellListView(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 1024, 768);
    list->SetViewStyle(vsReport);
    form->Show();
    backend.Pump();
    runs.push_back(bench::TimeMs([&] {
      list->SetRoot(folder);
      Paint(list);
    }));
    if (list->FolderCount() != 10000) runs.back() = -1;
    delete form;
    Application->ProcessMessages();
  }
  return bench::MedianOf(runs);
}

double MeasureSkinnedScroll(HeadlessBackend& backend) {
  TForm* form = MakeForm();
  auto* skins = new TSkinManager(form);
  skins->AfterConstruction();
  skins->SetSkinDirectory(QV_BENCH_SKINS_DIR);
  auto* list = new TSkListView(form);
  list->SetParent(form);
  list->SetBounds(0, 0, 1024, 768);
  list->SetViewStyle(vsReport);
  for (const char* c : {"Name", "Size", "Modified"}) {
    TListColumn* col = list->Columns()->Add();
    col->SetCaption(c);
    col->SetWidth(200);
  }
  list->SetOwnerData(true);
  list->OnData = [](TObject*, TListItem* Item) {
    Item->SetCaption("Row " + std::to_string(Item->Index()));
    Item->SubItems()->Add(std::to_string(Item->Index() * 512));
    Item->SubItems()->Add("07/12/2026 14:00:00");
  };
  list->Items()->SetCount(100000);
  form->Show();
  skins->SetSkinName("Harbour");
  backend.Pump();
  list->SetFocus();
  list->UpdateScrollBars();
  Paint(list);
  std::vector<double> runs;
  if (!list->SkinData()->Skinned(true) || !list->VertBar()) return -1;
  for (int i = 0; i < 21; ++i)
    runs.push_back(bench::TimeMs([&] {
      list->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
      UpdateWindow(list->Handle());
      if (list->VertBar()) UpdateWindow(list->VertBar()->Handle());
    }));
  const bool moved = list->TopItem() && list->TopItem()->Index() > 0 &&
                     list->VertBar()->Position() == list->TopItem()->Index();
  delete form;
  Application->ProcessMessages();
  return moved ? bench::MedianOf(runs) : -1;
}

const int registered[] = {
    bench::AddFigure("shell_listview_ms", MeasureShellList),
    bench::AddFigure("skinned_scroll_ms", MeasureSkinnedScroll),
};

}  // namespace
}  // namespace qv
