// Folder compare benchmark: a generated tree in which thousands of files share
// a name (__init__.py, Makefile, index.html, README ...) is added to a
// catalogue and compared with it; then it is added once more and compared
// with the catalogue that holds it twice. Each compare is set against the
// first add. The compare with the catalogue holding it twice also runs with
// the search page's result view attached (headless), with its peak memory.
// --tree DIR does the same for a folder of this machine (/usr/share, /usr);
// --files N generates N files instead of 60,000; --catalogue FOLDER only makes
// a catalogue there that holds the tree twice, for timing the program's own
// compare. Prints key=value lines.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/ViewsHost.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "platform/backend/HeadlessBackend.h"

namespace fs = std::filesystem;

namespace qv {
namespace {

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The process's peak memory from now on: the kernel forgets the peak so far.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}
double PeakMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return -1;
}

void Touch(const std::string& path, int64_t size, time_t mtime) {
  int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (size > 0 && ::ftruncate(fd, off_t(size)) != 0) {
  }
  ::close(fd);
  struct timeval tv[2] = {{mtime, 0}, {mtime, 0}};
  ::utimes(path.c_str(), tv);
}

// Folders nested a few deep. Nine in ten hold an __init__.py, a third of them
// empty and of one of 50 days (as a package manager leaves them), one in three
// each a Makefile, an index.html and a README; the rest of the files have
// names of their own, now and then met again in another folder.
bool MakeTree(const std::string& root, int files, int folders) {
  std::mt19937_64 rng(4711);
  fs::create_directories(root);
  std::vector<std::string> dirs{root};
  for (int i = 1; i < folders; ++i) {
    std::string d = dirs[rng() % dirs.size()] + "/pkg" + std::to_string(i);
    if (::mkdir(d.c_str(), 0755) != 0) return false;
    dirs.push_back(d);
  }
  std::lognormal_distribution<double> size(7.0, 2.0);
  const time_t base = 1600000000;
  auto day = [&] { return base + time_t(rng() % 50) * 86400; };
  int made = 0;
  for (const std::string& d : dirs) {
    if (rng() % 10 < 9) {
      const bool empty = rng() % 3 == 0;
      Touch(d + "/__init__.py", empty ? 0 : int64_t(size(rng)),
            empty ? day() : base + time_t(rng() % 10000000));
      ++made;
    }
    for (const char* name : {"Makefile", "index.html", "README"})
      if (rng() % 3 == 0) {
        Touch(d + "/" + name, int64_t(size(rng)), day());
        ++made;
      }
  }
  while (made < files) {
    const std::string& d = dirs[rng() % dirs.size()];
    const std::string name = "mod" + std::to_string(rng() % uint64_t(files / 2)) + ".py";
    if (fs::exists(d + "/" + name)) continue;
    Touch(d + "/" + name, int64_t(size(rng)), base + time_t(rng() % 10000000));
    ++made;
  }
  return true;
}

std::string CachedTree(int files) {
  const std::string cache = std::string(QV_BENCH_CACHE_DIR) + "/compare-v2-" + std::to_string(files);
  if (!fs::exists(cache + "/.complete")) {
    fs::remove_all(cache);
    std::fprintf(stderr, "generating %d files under %s ...\n", files, cache.c_str());
    if (!MakeTree(cache + "/t", files, std::max(1, files / 10))) return std::string();
    std::ofstream(cache + "/.complete") << "1";
  }
  return cache + "/t";
}

// The count of files of the name most files have.
int64_t LargestNameGroup(const std::string& root) {
  std::map<std::string, int64_t> counts;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) break;
    if (it->is_regular_file(ec) && !it->is_symlink(ec)) ++counts[it->path().filename().string()];
  }
  int64_t most = 0;
  for (auto& [name, n] : counts) most = std::max(most, n);
  return most;
}

struct CompareRun {
  double seconds = 0;
  int64_t rows = 0, reported = 0;
  double peakMb = 0;
};

// The median of `runs` compares of root (a single one when the first takes
// longer than 20 s), with the peak memory of the last.
CompareRun TimeCompare(TEngine& engine, bench::ViewsHost& host, const std::string& root, int runs) {
  TSearchOpts all;
  all.FileMask = "*";
  std::vector<double> times;
  CompareRun r;
  for (int i = 0; i < runs; ++i) {
    ResetPeak();
    const double t = Seconds();
    if (!engine.CompareFolder(root, all)) std::fprintf(stderr, "the compare failed\n");
    if (host.views) Application->ProcessMessages();
    times.push_back(Seconds() - t);
    r.peakMb = PeakMb();
    if (times.back() > 20) break;
  }
  std::sort(times.begin(), times.end());
  r.seconds = times[times.size() / 2];
  r.rows = host.rows;
  r.reported = host.reportLines;
  return r;
}

double Add(TEngine& engine, const std::string& root, const char16_t* label) {
  TScanOpts scan;
  scan.Path = root;
  TDiscData disc;
  disc.Label = label;
  const double t = Seconds();
  engine.AddDisc(scan, disc);
  return Seconds() - t;
}

// A catalogue in folder that holds root twice, left for the program: its
// compare of root can then be timed by hand.
int MakeCatalogue(const std::string& root, const std::string& folder) {
  bench::NullHost host;
  host.folder = folder;
  fs::create_directories(folder);
  TEngine engine(host, QV_BENCH_APP_DIR);
  if (!engine.NewDatabase("", "Compare")) return 1;
  std::printf("add_s=%.3f\n", Add(engine, root, u"Once"));
  std::printf("add_again_s=%.3f\n", Add(engine, root, u"Twice"));
  return engine.CloseDatabase() && host.errors.empty() ? 0 : 1;
}

int Run(const std::string& root) {
  HeadlessBackend backend{SIZE{1280, 800}};
  const std::string temp = fs::temp_directory_path() / ("qv-compare-bench-" + std::to_string(getpid()));
  fs::create_directories(temp);
  Storage = std::make_unique<TStorage>(temp + "/Quirvane.ini", true);
  bench::ViewsHost host;
  host.folder = temp + "/db/";
  TForm* form = bench::MakeViewsForm();
  form->Show();
  backend.Pump();
  const int64_t largest = LargestNameGroup(root);
  CompareRun once, twice, shown;
  double add = 0, addAgain = 0;
  int64_t files = 0;
  {
    TEngine engine(host, QV_BENCH_APP_DIR);
    Engine = &engine;
    engine.MessageIntervalMs = 15;
    if (!engine.NewDatabase("", "Bench")) return 1;
    LargestNameGroup(root);  // the tree in the kernel's caches for the add, as for the compares
    add = Add(engine, root, u"Once");
    files = engine.Discs->GetDisc(0).Files;
    once = TimeCompare(engine, host, root, 3);
    addAgain = Add(engine, root, u"Twice");
    twice = TimeCompare(engine, host, root, 3);
    host.views = true;
    shown = TimeCompare(engine, host, root, 1);
    host.views = false;
    FileTree->Clear();
    engine.CloseDatabase();
    Engine = nullptr;
  }
  delete form;
  Storage.reset();
  fs::remove_all(temp);
  std::printf("files=%lld\n", static_cast<long long>(files));
  std::printf("largest_name_group=%lld\n", static_cast<long long>(largest));
  std::printf("add_s=%.3f\n", add);
  std::printf("compare_once_s=%.3f\n", once.seconds);
  std::printf("compare_once_ratio=%.2f\n", once.seconds / add);
  std::printf("compare_once_rows=%lld\n", static_cast<long long>(once.rows));
  std::printf("add_again_s=%.3f\n", addAgain);
  std::printf("compare_twice_s=%.3f\n", twice.seconds);
  std::printf("compare_twice_ratio=%.2f\n", twice.seconds / add);
  std::printf("compare_twice_rows=%lld\n", static_cast<long long>(twice.rows));
  std::printf("compare_twice_peak_mb=%.1f\n", twice.peakMb);
  std::printf("compare_twice_view_s=%.3f\n", shown.seconds);
  std::printf("compare_twice_view_peak_mb=%.1f\n", shown.peakMb);
  std::fprintf(stderr, "%lld files not stored once, %lld twice; %zu errors\n",
               static_cast<long long>(once.reported), static_cast<long long>(twice.reported),
               host.errors.size());
  return 0;
}

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
  std::string root, catalogue;
  int files = 60000;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--tree") == 0) root = argv[i + 1];
    if (std::strcmp(argv[i], "--files") == 0) files = std::max(100, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--catalogue") == 0) catalogue = argv[i + 1];
  }
  if (root.empty()) root = qv::CachedTree(files);
  if (root.empty()) return 1;
  return catalogue.empty() ? qv::Run(root) : qv::MakeCatalogue(root, catalogue);
}
