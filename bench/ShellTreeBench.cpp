// Shell folder tree benchmark on the headless backend, over folder trees kept
// under the cache folder: expanding a folder of 10,000 sub-folders (painted;
// it depends on the file system's caches: expand_ms is the median of seven
// runs with the folders in the caches, expand_cold_ms of five runs each right
// after the kernel's caches were emptied, which needs root, -1 otherwise),
// SetPath to a folder 12 levels deep in a tree of 100,000 folders, and the
// median delay from a file created in a watched folder to the change handler
// on the user-interface thread. Figures of bench/run shelltree.
#include "ShellTreeBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "FigureRegistry.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Paint.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A folder "wide" with 10,000 sub-folders.
std::string WideTree(const std::string& cache) {
  return Cached(cache + "/shelltree-wide", [](const std::string& t) {
    char name[32];
    for (int i = 0; i < 10000; ++i) {
      std::snprintf(name, sizeof name, "/wide/f%05d", i);
      fs::create_directories(t + name);
    }
  });
}

// The folder 12 levels deep: four levels through the full tree, eight more.
std::string DeepTarget(const std::string& root) {
  std::string path = root + "/d0/d0/d0/d0";
  for (int depth = 0; depth < 8; ++depth) path += "/c" + std::to_string(depth);
  return path;
}

// 100,000 folders: ten per level down to four levels (11,110 folders), the
// rest spread as leaves below them, and one chain to the deep target.
std::string DeepTree(const std::string& cache) {
  return Cached(cache + "/shelltree-deep", [](const std::string& t) {
    int made = 0;
    char name[16];
    std::vector<std::string> level{t};
    for (int depth = 0; depth < 4 && made < 100000; ++depth) {
      std::vector<std::string> next;
      for (const auto& p : level)
        for (int i = 0; i < 10; ++i) {
          std::snprintf(name, sizeof name, "/d%d", i);
          next.push_back(p + name);
          fs::create_directories(next.back());
          ++made;
        }
      level.swap(next);
    }
    for (size_t i = 0; made < 100000 - 8; ++i) {
      std::snprintf(name, sizeof name, "/l%zu", i / level.size());
      fs::create_directories(level[i % level.size()] + name);
      ++made;
    }
    fs::create_directories(DeepTarget(t));
  });
}

struct Harness {
  explicit Harness(HeadlessBackend& b) : backend(b) {}
  HeadlessBackend& backend;
  TForm* form = nullptr;
  TSkShellTreeView* tree = nullptr;
  void Make(const std::string& root) {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 1280, 800);
    tree = new TSkShellTreeView(form);
    tree->SetParent(form);
    tree->SetBounds(0, 0, 1280, 800);
    tree->SetRoot(root);
    form->Show();
    Pump();
  }
  void Pump() {
    backend.Pump();
    Application->ProcessMessages();
  }
  void Paint() {
    InvalidateRect(tree->Handle(), nullptr, FALSE);
    UpdateWindow(tree->Handle());
  }
  ~Harness() {
    delete form;
    Application->ProcessMessages();
  }
};

TTreeNode* Child(TTreeNode* n, const std::string& text) {
  for (TTreeNode* c = n->GetFirstChild(); c; c = c->getNextSibling())
    if (c->Text() == text) return c;
  return nullptr;
}

// Expanding the wide folder: reading, adding 10,000 nodes and painting.
double MeasureExpand(HeadlessBackend& backend, const std::string& root, bool cold) {
  bool failed = false;
  const double ms = bench::MedianOfRuns(cold ? 5 : 7, [&] {
    Harness h(backend);
    h.Make(root);
    TTreeNode* wide = Child(h.tree->Items()->GetFirstNode(), "wide");
    if (!wide || (cold && !bench::DropFileSystemCaches())) {
      failed = true;
      return -1.0;
    }
    const auto a = Clock::now();
    wide->Expand(false);
    h.Paint();
    const auto b = Clock::now();
    failed = failed || wide->Count() != 10000;
    return Ms(a, b);
  });
  return failed ? -1 : ms;
}

// SetPath 12 levels deep on a fresh tree (nothing below the root filled yet).
double MeasureSetPath(HeadlessBackend& backend, const std::string& root) {
  const std::string target = DeepTarget(root);
  std::vector<double> runs;
  for (int i = 0; i < 3; ++i) {
    Harness h(backend);
    h.Make(root);
    const auto a = Clock::now();
    h.tree->SetPath(target);
    h.Paint();
    const auto b = Clock::now();
    if (h.tree->GetPath() != target) return -1;
    runs.push_back(Ms(a, b));
  }
  return Median(runs);
}

// File created in a watched folder to OnChange on this thread, 21 times.
double MeasureNotify(HeadlessBackend& backend, const std::string& cache) {
  const std::string watched = cache + "/shelltree-watch";
  fs::remove_all(watched);
  fs::create_directories(watched);
  Harness h(backend);
  TSkShellChangeNotifier n(nullptr);
  Clock::time_point seen;
  int calls = 0;
  n.SetWatchSubTree(false);
  n.SetRoot(watched);
  n.SetOnChange([&] {
    seen = Clock::now();
    ++calls;
  });
  auto pumpUntil = [&](auto done) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (!done()) {
      if (Clock::now() > end) return false;
      h.Pump();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  };
  if (!pumpUntil([&] { return n.Watching(); })) return -1;
  std::vector<double> runs;
  for (int i = 0; i < 21; ++i) {
    const int before = calls;
    const std::string file = watched + "/f" + std::to_string(i);
    const auto a = Clock::now();
    std::fclose(std::fopen(file.c_str(), "w"));
    if (!pumpUntil([&] { return calls > before; })) return -1;
    runs.push_back(Ms(a, seen));
    // Let the watch settle (renewed after each change) before the next file.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pumpUntil([&] { return n.Watching(); });
    h.Pump();
  }
  n.SetOnChange(nullptr);
  fs::remove_all(watched);
  return Median(runs);
}

const int registered[] = {
    bench::AddFigure("expand_ms",
                     [](HeadlessBackend& b) { return MeasureExpand(b, WideTree(BenchCacheDir()), false); }),
    bench::AddFigure("expand_cold_ms",
                     [](HeadlessBackend& b) { return MeasureExpand(b, WideTree(BenchCacheDir()), true); }),
    bench::AddFigure("set_path_ms",
                     [](HeadlessBackend& b) { return MeasureSetPath(b, DeepTree(BenchCacheDir())); }),
    bench::AddFigure("notify_ms", [](HeadlessBackend& b) { return MeasureNotify(b, BenchCacheDir()); }),
};

}  // namespace
}  // namespace qv
