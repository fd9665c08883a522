// UI benchmark: the whole program on the headless display with the catalogue
// of the generated 1,000,000-file tree of bench/run catalogue (100,000 with
// --quick) reopened at start. Figures: start-up to the painted main window,
// a "*.txt" search to its painted results against the engine's own search
// time in the same run, a "*" search of every file to its painted grouped
// view, the median repaint after Page Down in that view, browsing the disc
// to its painted root, and the process's peak memory.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "NullHost.h"
#include "app/forms/MainForm.h"
#include "app/forms/Program.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "catalogue/Engine.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/MessageBox.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Handles every pending message, the paints included.
void PaintNow() {
  Application->ProcessMessages();
}

// The catalogue of the tree, made once and kept beside it.
bool CachedCatalogue(const std::string& tree, const std::string& db) {
  if (fs::exists(db + "/.complete")) return true;
  fs::remove_all(db);
  fs::create_directories(db);
  std::fprintf(stderr, "adding %s to a catalogue in %s ...\n", tree.c_str(), db.c_str());
  bench::NullHost host;
  host.folder = db;
  TEngine engine(host, QV_BENCH_APP_DIR);
  if (!engine.NewDatabase("", "Bench")) return false;
  TScanOpts scan;
  scan.IncludeFiles = true;
  scan.Path = tree;
  TDiscData disc;
  disc.Label = u"Bench";
  engine.AddDisc(scan, disc);
  if (!engine.CloseDatabase()) return false;
  std::ofstream(db + "/.complete") << "1";
  return true;
}

// Both sides of the "*.txt" ratio take the median of this many searches: the
// first one of each reads the catalogue cold, and a busy machine swings
// single runs of 50 ms by a third.
constexpr int kRatioRuns = 7;

double EngineSearchMs(const std::string& db, const char* mask) {
  bench::NullHost host;
  host.folder = db;
  TEngine engine(host, QV_BENCH_APP_DIR);
  if (!engine.OpenDatabase("")) return 0;
  TSearchOpts opts;
  opts.FileMask = mask;
  opts.FolderMask = "*";  // the search page's folder field as it starts
  std::vector<double> ms;
  for (int i = 0; i < kRatioRuns; ++i) {
    double t = NowMs();
    engine.Search(opts);
    ms.push_back(NowMs() - t);
  }
  engine.CloseDatabase();
  return Median(ms);
}

double ViewSearchMs(const char* mask, int runs) {
  FileTree->FileEdit->SetText(mask);
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    double t = NowMs();
    MainForm->actSearch->Execute();
    PaintNow();
    ms.push_back(NowMs() - t);
  }
  return Median(ms);
}

// Browses the first disc of the disc view to its painted root.
double BrowseMs() {
  MainForm->PageControl->SetActivePageIndex(0);
  PaintNow();
  TDataStringTree* discs = DiscTree->Tree;
  PDataNode first = discs->GetFirst();
  discs->SetSelected(first, true);
  discs->SetFocusedNode(first);
  PaintNow();
  const double t = NowMs();
  MainForm->actBrowse->Execute();
  PaintNow();
  return NowMs() - t;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  // QV_BENCH_SEARCH_RUNS=n repeats the "*.txt" search n times (for profiling).
  const char* runs = std::getenv("QV_BENCH_SEARCH_RUNS");
  // QV_BENCH_BROWSE_RUNS=n browses the disc n times right after start-up
  // and stops (for profiling the browse alone).
  const char* browseRuns = std::getenv("QV_BENCH_BROWSE_RUNS");
  const int files = quick ? 100000 : 1000000;
  const std::string cache = std::string(QV_BENCH_CACHE_DIR) + "/tree-v3-" + std::to_string(files);
  if (!fs::exists(cache + "/.complete")) {
    std::fprintf(stderr,
                 "bench/run ui: run \"bench/run catalogue%s\" first; it generates the tree under %s\n",
                 quick ? " --quick" : "", cache.c_str());
    return 1;
  }
  const std::string ui = std::string(QV_BENCH_CACHE_DIR) + "/ui-" + std::to_string(files);
  const std::string db = ui + "/db";
  if (!CachedCatalogue(cache + "/t", db)) return 1;

  // Settings that reopen the catalogue silently at start.
  fs::remove_all(ui + "/config");
  fs::create_directories(ui + "/config/Quirvane");
  std::ofstream(ui + "/config/Quirvane/Quirvane.ini")
      << "[GENERAL]\nFirst=0\n[MAINFORM]\nX=0\nY=0\nW=1024\nH=768\nBase=" << db << "/\nPass=0\n";
  setenv("XDG_CONFIG_HOME", (ui + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (ui + "/data").c_str(), 1);

  const double engineTxt = browseRuns ? 0 : EngineSearchMs(db, "*.txt");

  HeadlessBackend backend{SIZE{1280, 1024}};
  // The "*" search asks whether to list that many results: yes.
  SetMessageBoxHook([](const std::string&, const std::string&, UINT) { return IDYES; });
  TMainForm::SchemaFolder = QV_BENCH_APP_DIR;

  double t = NowMs();
  StartProgram();
  CreateForms();
  MainForm->Show();
  while (MainForm->FirstActivation) {
    Application->ProcessMessages();
  }
  PaintNow();
  const double startup = NowMs() - t;
  if (!MainForm->Engine->IsOpen()) {
    std::fprintf(stderr, "the catalogue did not reopen\n");
    return 1;
  }

  if (browseRuns) {
    std::vector<double> ms;
    for (int i = std::max(1, std::atoi(browseRuns)); i > 0; --i) {
      MainForm->Engine->Discs->BrowsedID = -1;  // browse the same disc again
      ms.push_back(BrowseMs());
    }
    std::printf("browse_ms=%.1f\n", Median(ms));
    std::fflush(stdout);
    std::_Exit(0);
  }
  const double txtView = ViewSearchMs("*.txt", runs ? std::max(1, std::atoi(runs)) : kRatioRuns);
  if (runs) {  // profiling the "*.txt" search alone
    std::printf("engine_txt_ms=%.1f\nview_txt_ms=%.1f\n", engineTxt, txtView);
    DestroyForms();  // closes the catalogue, so the next run opens it cleanly
    StopProgram();
    SetMessageBoxHook(nullptr);
    return 0;
  }
  const double allView = ViewSearchMs("*", 1);

  TDataStringTree* results = FileTree->Tree;
  results->SetFocus();
  results->SetFocusedNode(results->GetFirst());
  PaintNow();
  std::vector<double> scroll;
  const int top = results->OffsetY();
  for (int i = 0; i < 30; ++i) {
    double s = NowMs();
    backend.KeyPress(VK_NEXT);
    PaintNow();
    scroll.push_back(NowMs() - s);
  }
  if (results->OffsetY() == top) std::fprintf(stderr, "Page Down did not scroll the result view\n");

  const double browse = BrowseMs();

  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  DestroyForms();
  StopProgram();
  SetMessageBoxHook(nullptr);

  std::printf("startup_ms=%.1f\n", startup);
  std::printf("search_view_ratio=%.2f\n", engineTxt > 0 ? txtView / engineTxt : 0.0);
  std::printf("search_all_view_ms=%.1f\n", allView);
  std::printf("scroll_ms=%.2f\n", Median(scroll));
  std::printf("browse_ms=%.1f\n", browse);
  std::printf("peak_rss_mb=%.1f\n", double(ru.ru_maxrss) / 1024.0);
  std::fprintf(stderr, "engine *.txt search %.1f ms, view %.1f ms\n", engineTxt, txtView);
  return 0;
}
