// The main window's views on the headless backend, fed as the engine feeds
// them: a million search entries in name groups added one by one (the
// message loop running every 15 ms), sorted and painted; Page Down in that
// view; and a browsed disc of a million files in 30,000 folders filled into
// the folder tree and shown at its root. The rows are made beforehand, so
// the figures are the views' own cost. With --tree FOLDER the folder is added
// to a catalogue and searched and browsed through the real engine, the views
// attached or not: the views' share of each operation (--no-browse after the
// folder leaves the browsing out). Prints one key=value
// line per figure.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/frames/Browser.h"
#include "app/frames/Console.h"
#include "app/frames/FileTree.h"
#include "bench/ViewsHost.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "classlib/controls/Application.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"

namespace qv {
namespace {

using Clock = std::chrono::steady_clock;
int kEntries = 1000000;  // --rows N for a smaller run
constexpr int kFolders = 30000;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}
void Print(const char* key, double value) {
  std::printf("%s=%.1f\n", key, value);
}

// The median repaint after Page Down in the result view, from its first row.
double MedianPageDown(HeadlessBackend& backend) {
  TDataStringTree* tree = FileTree->Tree;
  tree->SetFocus();
  tree->SetFocusedNode(tree->GetFirst());
  backend.Pump();
  std::vector<double> pages;
  for (int i = 0; i < 31; ++i) {
    auto a = Clock::now();
    backend.KeyPress(VK_NEXT);
    backend.Pump();
    pages.push_back(Ms(a, Clock::now()));
  }
  std::sort(pages.begin(), pages.end());
  return pages[pages.size() / 2];
}

// Name groups of 1 to 13 entries, as a search of every file finds them.
std::vector<TNodeData> MakeRows(std::mt19937& rng) {
  std::vector<TNodeData> rows;
  rows.reserve(kEntries + kEntries / 5);
  int entries = 0, group = 0;
  while (entries < kEntries) {
    TNodeData g;
    g.Kind = nkFileGroup;
    g.ID = group;
    std::string name = "name_" + std::to_string(group++) + ".txt";
    g.Name = Utf8ToUtf16(name);
    g.StoredName = name;
    rows.push_back(g);
    int n = std::min(1 + int(rng() % 13), kEntries - entries);
    for (int i = 0; i < n; ++i, ++entries) {
      TNodeData e;
      e.Kind = nkFile;
      e.ID = entries;
      e.Disc = u"Bench";
      // 30,000 folders, as the generated catalogue has.
      uint32_t folder = rng() % 30000;
      std::string path = "/dir" + std::to_string(folder % 997) + "/src" + std::to_string(folder / 997) + "/";
      e.Path = Utf8ToUtf16(path);
      e.StoredPath = path;
      e.Size = int64_t(rng() % 5000000);
      e.Date = 40000 + double(rng() % 5000000) / 1000.0;
      rows.push_back(std::move(e));
    }
  }
  return rows;
}

void SearchView(HeadlessBackend& backend, TForm* form) {
  std::mt19937 rng(7);
  std::vector<TNodeData> rows = MakeRows(rng);
  FileTree->SetParent(form);
  form->Show();
  backend.Pump();
  auto t0 = Clock::now();
  auto lastPump = t0;
  FileTree->Clear();
  Console->Clear();
  PDataNode group = nullptr;
  for (const TNodeData& r : rows) {
    if (r.Kind == nkFileGroup) {
      if (group) FileTree->Expand(group);
      group = FileTree->AddNode(r, nullptr);
    } else {
      FileTree->AddNode(r, group);
    }
    auto now = Clock::now();
    if (Ms(lastPump, now) >= 15) {
      lastPump = now;
      Application->ProcessMessages();
    }
  }
  if (group) FileTree->Expand(group);
  auto t1 = Clock::now();
  FileTree->Sort();
  auto t2 = Clock::now();
  Application->ProcessMessages();
  UpdateWindow(form->Handle());
  auto t3 = Clock::now();
  Print("search_add_ms", Ms(t0, t1));
  Print("search_add_ns_per_row", Ms(t0, t1) * 1e6 / double(rows.size()));
  Print("search_sort_ms", Ms(t1, t2));
  Print("search_paint_ms", Ms(t2, t3));
  Print("search_view_ms", Ms(t0, t3));

  Print("page_down_ms", MedianPageDown(backend));
  auto c0 = Clock::now();
  FileTree->Clear();
  Print("search_clear_ms", Ms(c0, Clock::now()));
  FileTree->SetParent(nullptr);
}

// A disc of kEntries files in kFolders folders, filled as the engine fills
// the browser: every folder into the folder tree, the root expanded and shown.
void BrowserView(HeadlessBackend& backend, TForm* form) {
  std::mt19937 rng(11);
  auto root = TFileData::CreateRoot();
  root->Name = "Bench";
  std::vector<TFileData*> folders{root.get()};
  for (int i = 1; i < kFolders; ++i)
    folders.push_back(
        folders[rng() % folders.size()]->AddNew(TFileData::kFolder, 40000, 0, "dir" + std::to_string(i)));
  for (int i = 0; i < kEntries; ++i)
    folders[rng() % folders.size()]->AddNew(TFileData::kFile, 40000 + i % 1000, i % 100000,
                                            "file" + std::to_string(i) + ".txt");
  Browser->SetParent(form);
  form->Show();
  backend.Pump();
  auto t0 = Clock::now();
  Browser->Clear();
  struct Fill {
    static void Run(TFileData* node, TTreeNode* parent) {
      bool isRoot = node->Kind == TFileData::kRoot;
      TTreeNode* item = Browser->AddFolderNode(parent, Utf8ToUtf16(" " + node->Name + " "), node,
                                               isRoot ? 2 : 3, isRoot ? 2 : 3);
      for (int i = 0; i < node->Count(); ++i)
        if (node->GetChild(i)->Kind == TFileData::kFolder) Run(node->GetChild(i), item);
      if (isRoot) Browser->ExpandFolderNode(item);
    }
  };
  Fill::Run(root.get(), nullptr);
  auto t1 = Clock::now();
  Browser->ShowFolder(root.get());
  Application->ProcessMessages();
  UpdateWindow(form->Handle());
  auto t2 = Clock::now();
  Print("browse_fill_ms", Ms(t0, t1));
  Print("browse_show_ms", Ms(t1, t2));
  Print("browse_view_ms", Ms(t0, t2));
  Browser->Clear();
  Browser->SetParent(nullptr);
}

using SwitchHost = bench::ViewsHost;

double Median3(const std::function<double()>& f) {
  double v[3] = {f(), f(), f()};
  std::sort(v, v + 3);
  return v[1];
}

// The real engine over a catalogue of one folder.
void RunTree(const std::string& folder, bool browse) {
  HeadlessBackend backend{SIZE{1280, 800}};
  const std::string temp =
      std::filesystem::temp_directory_path() / ("qv-frames-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(temp);
  Storage = std::make_unique<TStorage>(temp + "/Quirvane.ini", true);
  SwitchHost host;
  host.folder = temp + "/db/";
  TForm* form = bench::MakeViewsForm();
  Browser = new TBrowser(form);
  Browser->SetAlign(alClient);
  form->Show();
  backend.Pump();
  {
    TEngine engine(host, QV_BENCH_APP_DIR);
    Engine = &engine;
    engine.MessageIntervalMs = 15;
    engine.NewDatabase("", "Bench");
    TScanOpts scan;
    scan.Path = folder;
    TDiscData disc;
    disc.Label = u"Bench";
    engine.AddDisc(scan, disc);
    auto search = [&](const char* mask, bool views) {
      host.views = views;
      auto t0 = Clock::now();
      FileTree->FileEdit->SetText(mask);
      FileTree->FolderEdit->SetText("");
      TSearchOpts opts;
      FileTree->GetSearchOpts(opts);
      engine.Search(opts);
      if (views) {
        Application->ProcessMessages();
        UpdateWindow(form->Handle());
      }
      return Ms(t0, Clock::now());
    };
    double alone = Median3([&] { return search("*.txt", false); });
    double shown = Median3([&] { return search("*.txt", true); });
    Print("txt_engine_ms", alone);
    Print("txt_view_ms", shown);
    std::printf("search_view_ratio=%.2f\n", shown / alone);
    Print("all_engine_ms", Median3([&] { return search("*", false); }));
    Print("search_all_view_ms", Median3([&] { return search("*", true); }));
    Print("scroll_ms", MedianPageDown(backend));
    FileTree->Clear();
    FileTree->SetParent(nullptr);
    if (browse) {
      Browser->SetParent(form);
      backend.Pump();
      host.views = false;
      auto t0 = Clock::now();
      engine.Browse(0);
      Print("browse_engine_ms", Ms(t0, Clock::now()));
      engine.Discs->BrowsedID = -1;
      host.views = true;
      t0 = Clock::now();
      engine.Browse(0);
      Application->ProcessMessages();
      UpdateWindow(form->Handle());
      Print("browse_ms", Ms(t0, Clock::now()));
    }
    engine.CloseDatabase();
    Engine = nullptr;
  }
  delete form;
  Storage.reset();
  std::filesystem::remove_all(temp);
}

void Run() {
  HeadlessBackend backend{SIZE{1280, 800}};
  const std::string temp =
      std::filesystem::temp_directory_path() / ("qv-frames-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(temp);
  Storage = std::make_unique<TStorage>(temp + "/Quirvane.ini", true);
  bench::NullHost host;
  host.folder = temp + "/db/";
  TEngine engine(host, QV_BENCH_APP_DIR);
  Engine = &engine;
  if (!engine.NewDatabase("", "Bench")) std::fprintf(stderr, "no database\n");
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 1280, 800);
  Console = new TConsole(form);
  Console->SetAlign(alBottom);
  Console->SetHeight(105);
  Console->SetParent(form);
  FileTree = new TFileTree(form);
  FileTree->SetAlign(alClient);
  Browser = new TBrowser(form);
  Browser->SetAlign(alClient);
  SearchView(backend, form);
  BrowserView(backend, form);
  delete form;
  engine.CloseDatabase();
  Engine = nullptr;
  Storage.reset();
  std::filesystem::remove_all(temp);
}

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--tree") {
    // --tree DIR --no-browse: the searches only.
    qv::RunTree(argv[2], !(argc > 3 && std::string(argv[3]) == "--no-browse"));
    return 0;
  }
  if (argc > 2 && std::string(argv[1]) == "--rows") qv::kEntries = std::atoi(argv[2]);
  qv::Run();
  return 0;
}
