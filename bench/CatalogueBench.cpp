// Catalogue benchmark: adds a generated tree of 1,000,000 files (100,000 with
// --quick) to a new catalogue and searches it, against a bare walk of the same
// tree and against find(1). Prints one key=value line per figure.
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/NullHost.h"
#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"

namespace fs = std::filesystem;
using namespace qv;

namespace {

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Names as discs hold them: words from a vocabulary of a few thousand drawn
// with a Zipf-like skew (a few names are everywhere, most are rare), some
// numbered, some camera-style, and a handful of names found in every folder.
class NameMaker {
 public:
  explicit NameMaker(std::mt19937_64& rng) : rng_(rng) {
    static const char* const syllables[] = {"ar", "be", "co", "da", "el", "fi", "go", "ha", "in", "jo",
                                            "ka", "lu", "me", "no", "or", "pa", "qu", "ri", "so", "tu",
                                            "un", "ve", "wa", "xi", "yo", "ze", "st", "tr", "pl", "gr"};
    for (int i = 0; i < 4000; ++i) {
      std::string w;
      int n = 2 + int(rng_() % 3);
      for (int k = 0; k < n; ++k) w += syllables[rng_() % std::size(syllables)];
      words_.push_back(w);
    }
    // Familiar words at middling ranks, so that prefix searches are realistic.
    const char* const common[] = {"report", "index", "main", "readme", "config", "setup", "notes", "invoice"};
    for (std::size_t i = 0; i < std::size(common); ++i) words_[50 + i * 37] = common[i];
  }

  std::string Next() {
    static const char* const exts[] = {".txt", ".c",    ".h",   ".jpg", ".png",  ".mp3", ".doc",
                                       ".pdf", ".html", ".js",  ".py",  ".json", ".xml", ".zip",
                                       ".ini", ".avi",  ".cpp", ".md",  ".css",  ".log"};
    static const char* const everywhere[] = {"Thumbs.db", "desktop.ini", "index.html", "README", "Makefile"};
    uint64_t r = rng_() % 100;
    if (r < 4) return everywhere[rng_() % std::size(everywhere)];
    if (r < 14) return "IMG_" + std::to_string(1000 + rng_() % 9000) + ".JPG";
    std::string name = words_[Zipf()];
    if (rng_() % 3 == 0) name += "_" + std::to_string(rng_() % 200);
    return name + exts[rng_() % std::size(exts)];
  }

 private:
  // Rank with probability about 1/(rank+10).
  std::size_t Zipf() {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    double n = double(words_.size());
    double rank = std::exp(u(rng_) * std::log(n + 10)) - 10;
    return std::min(words_.size() - 1, std::size_t(std::max(rank, 0.0)));
  }

  std::mt19937_64& rng_;
  std::vector<std::string> words_;
};

bool MakeTree(const std::string& root, int files, int folders, uint64_t seed = 12345) {
  std::mt19937_64 rng(seed);
  fs::create_directories(root);
  NameMaker names(rng);
  std::vector<std::string> dirs{root};
  for (int i = 1; i < folders; ++i) {
    const std::string& parent = dirs[rng() % dirs.size()];
    std::string d = parent + "/" + (rng() % 3 ? "dir" : "src") + std::to_string(i % 997);
    if (mkdir(d.c_str(), 0755) != 0 && errno != EEXIST) return false;
    dirs.push_back(d);
  }
  std::lognormal_distribution<double> size(8.0, 2.5);
  for (int i = 0; i < files; ++i) {
    // A name drawn twice for one folder is drawn again, so that exactly
    // `files` files exist.
    int fd = -1;
    while (fd < 0) {
      std::string path = dirs[rng() % dirs.size()] + "/" + names.Next();
      fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
      if (fd < 0 && errno != EEXIST) return false;
    }
    if (ftruncate(fd, off_t(std::min(size(rng), 4e9))) != 0) {
    }
    close(fd);
  }
  return true;
}

int64_t Walk(const std::string& path) {
  int64_t count = 0;
  DIR* d = opendir(path.c_str());
  if (!d) return 0;
  int dfd = dirfd(d);
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    struct statx st;
    if (statx(dfd, e->d_name, AT_SYMLINK_NOFOLLOW, STATX_SIZE | STATX_MTIME | STATX_TYPE, &st) != 0) continue;
    ++count;
    if (S_ISDIR(st.stx_mode)) count += Walk(path + "/" + e->d_name);
  }
  closedir(d);
  return count;
}

double TimeFind(const std::string& root) {
  double t = Seconds();
  pid_t pid;
  const char* argv[] = {"find", root.c_str(), "-name", "*.txt", nullptr};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  if (posix_spawnp(&pid, "find", &fa, nullptr, const_cast<char* const*>(argv), environ) != 0) return 0;
  int status;
  waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&fa);
  return Seconds() - t;
}

int64_t FolderBytes(const std::string& path) {
  int64_t total = 0;
  for (auto& e : fs::directory_iterator(path))
    if (e.is_regular_file()) total += int64_t(e.file_size());
  return total;
}

// The median of three runs, so that one stall of the system does not decide.
double TimeSearch(TEngine& engine, const TSearchOpts& opts) {
  double ms[3];
  for (double& m : ms) {
    double t = Seconds();
    if (!engine.Search(opts)) std::fprintf(stderr, "search failed\n");
    m = (Seconds() - t) * 1000.0;
  }
  std::sort(std::begin(ms), std::end(ms));
  return ms[1];
}

// The same 10,000-file tree added 50 times under different labels: the
// catalogue's size against 50 times what the first add cost, and the time.
struct Readd {
  double growth = 0;
  double seconds = 0;
};

// A generated tree kept under the cache folder; its path, or "" on failure.
// Seconds of an open of the closed catalogue, and of one that finds the
// free space again from the index (its free.vlm lost, as to a crash or a
// copy put back); -1 for an open that failed.
std::pair<double, double> TimeOpens(TEngine& engine, const std::string& db) {
  auto timeOpen = [&] {
    double start = Seconds();
    if (!engine.OpenDatabase("")) return -1.0;
    double seconds = Seconds() - start;
    engine.CloseDatabase();
    return seconds;
  };
  double open = timeOpen();
  fs::remove(db + "/free.vlm");
  return {open, timeOpen()};
}

std::string CachedTree(const std::string& cache, int files, int folders, uint64_t seed) {
  if (!fs::exists(cache + "/.complete")) {
    fs::remove_all(cache);
    std::fprintf(stderr, "generating %d files under %s ...\n", files, cache.c_str());
    if (!MakeTree(cache + "/t", files, folders, seed)) return std::string();
    std::FILE* mark = std::fopen((cache + "/.complete").c_str(), "w");
    if (mark) std::fclose(mark);
  }
  return cache + "/t";
}

Readd MeasureReadd(const std::string& cacheRoot) {
  const std::string cache = cacheRoot + "/tree-v3-10000";
  if (CachedTree(cache, 10000, 300, 12345).empty()) return {};
  const std::string db = cache + "/db";
  fs::remove_all(db);
  bench::NullHost host;
  host.folder = db;
  TEngine engine(host, QV_BENCH_APP_DIR);
  if (!engine.NewDatabase("", "Readd")) return {};
  const int64_t empty = FolderBytes(db);
  TScanOpts scan;
  scan.Path = cache + "/t";
  int64_t first = 0;
  double t = Seconds();
  for (int i = 1; i <= 50; ++i) {
    TDiscData disc;
    std::string label = "Readd " + std::to_string(i);
    disc.Label = WideString(label.begin(), label.end());
    engine.AddDisc(scan, disc);
    if (i == 1) first = FolderBytes(db) - empty;
  }
  Readd r;
  r.seconds = Seconds() - t;
  r.growth = double(FolderBytes(db)) / (50.0 * double(first > 0 ? first : 1));
  engine.CloseDatabase();
  fs::remove_all(db);
  return r;
}

// 200 small adds (a tree of 20 files) to one catalogue, one after another:
// what a change costs besides its records (the files looked at, the syncs).
double MeasureSmallAdds(const std::string& cacheRoot) {
  const std::string cache = cacheRoot + "/tree-v3-20";
  if (CachedTree(cache, 20, 3, 12345).empty()) return -1;
  const std::string db = cache + "/db";
  fs::remove_all(db);
  bench::NullHost host;
  host.folder = db;
  TEngine engine(host, QV_BENCH_APP_DIR);
  if (!engine.NewDatabase("", "Small")) return -1;
  TScanOpts scan;
  scan.Path = cache + "/t";
  const double t = Seconds();
  for (int i = 1; i <= 200; ++i) {
    TDiscData disc;
    std::string label = "Small " + std::to_string(i);
    disc.Label = WideString(label.begin(), label.end());
    engine.AddDisc(scan, disc);
  }
  const double seconds = Seconds() - t;
  engine.CloseDatabase();
  fs::remove_all(db);
  return seconds;
}

// The re-adds and the small adds alone, each the median of `runs`.
int RunAdds(int runs) {
  std::vector<double> readd, small;
  for (int i = 0; i < runs; ++i) {
    readd.push_back(MeasureReadd(QV_BENCH_CACHE_DIR).seconds);
    small.push_back(MeasureSmallAdds(QV_BENCH_CACHE_DIR));
  }
  std::sort(readd.begin(), readd.end());
  std::sort(small.begin(), small.end());
  std::printf("readd_s=%.3f\n", readd[readd.size() / 2]);
  std::printf("small_adds_s=%.3f\n", small[small.size() / 2]);
  return 0;
}

// A disc that fills up while an add of the generated tree writes its records
// (the file layer fails every write from the add's first record on), then a
// search and the close of that session: both as quick as in any other
// session, since the session writes nothing more.
struct FullAdd {
  double searchMs = -1;
  double closeMs = -1;
};

FullAdd MeasureFullAdd(const std::string& cache) {
  const std::string db = cache + "/full-db";
  fs::remove_all(db);
  bench::NullHost host;
  host.folder = db;
  FaultInjector faults;
  FullAdd r;
  {
    TEngine engine(host, QV_BENCH_APP_DIR, faults);
    if (!engine.NewDatabase("", "Full")) return {};
    TScanOpts scan;
    TDiscData disc;
    // A disc stored first, for the search to find.
    scan.Path = CachedTree(std::string(QV_BENCH_CACHE_DIR) + "/tree-v3-10000", 10000, 300, 12345);
    disc.Label = u"Stored";
    engine.AddDisc(scan, disc);
    scan.Path = cache + "/t";
    // The writes of listing a disc without its files: the add below gets
    // that far and no further.
    TScanOpts none;
    none.IncludeFiles = false;
    disc.Label = u"Empty";
    faults.FailWritesFrom(int64_t(1) << 40);
    engine.AddDisc(none, disc);
    const int64_t listing = faults.WriteCount();
    faults.Reset();
    faults.FailWritesFrom(listing + 1);
    disc.Label = u"Full";
    engine.AddDisc(scan, disc);
    TSearchOpts prefix;
    prefix.FileMask = "report*";
    r.searchMs = TimeSearch(engine, prefix);
    const double t = Seconds();
    engine.CloseDatabase();
    r.closeMs = (Seconds() - t) * 1000.0;
  }
  fs::remove_all(db);
  return r;
}

// The finalize of an add, from "Finalizing database" to the add's end, on a
// real file system of its own: a tmpfs of a few megabytes that the add fills
// (every write past it fails as a full disc fails, after writing what fits)
// beside one with room. The longest pause is the longest stretch without a
// progress report, at which the window lets its messages run. Each case runs
// in a child with a mount namespace of its own; without the right to mount
// the figures are -1.
struct Finalize {
  double finalizeS = -1;
  double addS = -1;
  double pauseMs = -1;  // during the finalize
  double closeMs = -1;
  bool stored = false;
};

class FinalizeHost : public bench::NullHost {
 public:
  void AddInfo(const std::string& t) override {
    if (t == "Finalizing database") finalizing = Seconds();
    NullHost::AddInfo(t);
  }
  void Beat() {
    const double now = Seconds();
    if (finalizing > 0) longest = std::max(longest, now - std::max(last, finalizing));
    last = now;
  }
  void ProcessMessages() override { Beat(); }
  double finalizing = 0, last = 0, longest = 0;
};

Finalize MeasureFinalize(const std::string& tree, const std::string& mnt, int megabytes) {
  fs::create_directories(mnt);
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const std::string size = "size=" + std::to_string(megabytes) + "m";
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", mnt.c_str(), "tmpfs", 0, size.c_str()) != 0)
      _exit(77);
    FinalizeHost host;
    host.folder = mnt + "/db";
    Finalize r;
    {
      TEngine engine(host, QV_BENCH_APP_DIR);
      engine.MessageIntervalMs = 15;
      engine.SetProgressHandler([&host](int32_t) { host.Beat(); });
      if (!engine.NewDatabase("", "Finalize")) _exit(1);
      TScanOpts scan;
      scan.Path = tree;
      TDiscData disc;
      disc.Label = u"Finalize";
      const double t = Seconds();
      engine.AddDisc(scan, disc);
      const double end = Seconds();
      host.Beat();
      r.addS = end - t;
      r.finalizeS = host.finalizing > 0 ? end - host.finalizing : -1;
      r.pauseMs = host.longest * 1000.0;
      r.stored = engine.Discs->FindByLabel(u"Finalize") >= 0 && engine.Discs->GetDisc(0).Files > 0;
      const double c = Seconds();
      engine.CloseDatabase();
      r.closeMs = (Seconds() - c) * 1000.0;
    }
    if (write(fds[1], &r, sizeof r) != ssize_t(sizeof r)) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  Finalize r;
  if (child < 0 || read(fds[0], &r, sizeof r) != ssize_t(sizeof r)) r = {};
  close(fds[0]);
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
    std::fprintf(stderr, "no right to mount a tmpfs here\n");
  return r;
}

// Three different 1,000,000-file trees added to one catalogue: the third
// add's time against the first's, and the process's peak memory.
int RunScale() {
  const std::string root = QV_BENCH_CACHE_DIR;
  std::string trees[3];
  for (int i = 0; i < 3; ++i) {
    const std::string name = i == 0 ? "/tree-v3-1000000" : "/tree-v3-1000000-seed" + std::to_string(i + 1);
    trees[i] = CachedTree(root + name, 1000000, 30000, i == 0 ? 12345 : uint64_t(i + 1));
    if (trees[i].empty()) return 1;
  }
  const std::string db = root + "/scale-db";
  fs::remove_all(db);
  bench::NullHost host;
  host.folder = db;
  TEngine engine(host, QV_BENCH_APP_DIR);
  engine.MessageIntervalMs = 15;
  if (!engine.NewDatabase("", "Scale")) return 1;
  double seconds[3];
  for (int i = 0; i < 3; ++i) {
    Walk(trees[i]);  // the tree in the caches, as for the first measurement
    TScanOpts scan;
    scan.Path = trees[i];
    TDiscData disc;
    disc.Label = u"Scale " + std::u16string(1, char16_t(u'1' + i));
    double t = Seconds();
    engine.AddDisc(scan, disc);
    seconds[i] = Seconds() - t;
  }
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  engine.CloseDatabase();
  int64_t bytes = FolderBytes(db);
  fs::remove_all(db);
  std::printf("first_add_s=%.3f\n", seconds[0]);
  std::printf("second_add_s=%.3f\n", seconds[1]);
  std::printf("third_add_s=%.3f\n", seconds[2]);
  std::printf("third_add_ratio=%.2f\n", seconds[2] / seconds[0]);
  std::printf("third_add_rss_mb=%.1f\n", double(ru.ru_maxrss) / 1024.0);
  std::printf("scale_db_bytes_per_file=%.1f\n", double(bytes) / 3e6);
  std::fprintf(stderr, "%zu errors\n", host.errors.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--scale") == 0) return RunScale();
  if (argc > 1 && std::strcmp(argv[1], "--adds") == 0) return RunAdds(argc > 2 ? std::atoi(argv[2]) : 5);
  if (argc > 1 && std::strcmp(argv[1], "--small-adds") == 0) {
    std::printf("small_adds_s=%.3f\n", MeasureSmallAdds(QV_BENCH_CACHE_DIR));
    return 0;
  }
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const int files = quick ? 100000 : 1000000;
  const int folders = quick ? 3000 : 30000;
  const std::string cache = std::string(QV_BENCH_CACHE_DIR) + "/tree-v3-" + std::to_string(files);
  if (!fs::exists(cache + "/.complete")) {
    fs::remove_all(cache);
    // Trees of the earlier generator held fewer files than asked for.
    fs::remove_all(std::string(QV_BENCH_CACHE_DIR) + "/tree-v2-" + std::to_string(files));
    std::fprintf(stderr, "generating %d files under %s ...\n", files, cache.c_str());
    if (!MakeTree(cache + "/t", files, folders)) return 1;
    std::FILE* mark = std::fopen((cache + "/.complete").c_str(), "w");
    if (mark) std::fclose(mark);
  }
  const std::string tree = cache + "/t";
  if (argc > 2 && std::strcmp(argv[2], "--finalize-only") == 0) {
    // The finalize figures alone, for a quick look at them.
    const Finalize onFull = MeasureFinalize(tree, cache + "/mnt", 3);
    const Finalize withRoom = MeasureFinalize(tree, cache + "/mnt", 512);
    std::printf("tmpfs_add_s=%.3f\nfinalize_s=%.3f\nfinalize_pause_ms=%.1f\n", withRoom.addS,
                withRoom.finalizeS, withRoom.pauseMs);
    std::printf(
        "full_disc_add_s=%.3f\nfull_disc_finalize_s=%.3f\nfull_disc_finalize_pause_ms=%.1f\n"
        "full_disc_close_ms=%.1f\n",
        onFull.addS, onFull.finalizeS, onFull.pauseMs, onFull.closeMs);
    return 0;
  }
  Walk(tree);  // warm the caches for every measurement alike
  double t = Seconds();
  int64_t walked = Walk(tree);
  double walk = Seconds() - t;

  const std::string db = cache + "/db";
  fs::remove_all(db);
  bench::NullHost host;
  host.folder = db;
  host.timeLines = std::getenv("QV_BENCH_VERBOSE") != nullptr;
  TEngine engine(host, QV_BENCH_APP_DIR);
  engine.MessageIntervalMs = 15;
  if (!engine.NewDatabase("", "Bench")) return 1;
  TScanOpts scan;
  scan.Path = tree;
  TDiscData disc;
  disc.Label = u"Bench";
  t = Seconds();
  engine.AddDisc(scan, disc);
  double add = Seconds() - t;
  int64_t stored = engine.Discs->GetDisc(0).Files;

  TSearchOpts prefix;
  prefix.FileMask = "report*";
  TSearchOpts suffix;
  suffix.FileMask = "*.txt";
  TSearchOpts large;
  large.FileMask = "*";
  large.MinSizeOn = true;
  large.MinSize = 1000000;  // lognormal(8, 2.5) sizes: about 1% lie above this
  double prefixMs = TimeSearch(engine, prefix);
  int64_t prefixRows = host.rows;
  double suffixMs = TimeSearch(engine, suffix);
  double largeMs = TimeSearch(engine, large);
  int64_t largeRows = host.rows;
  TimeFind(tree);
  double find = TimeFind(tree);
  t = Seconds();
  engine.CloseDatabase();
  const double closeMs = (Seconds() - t) * 1000.0;
  int64_t bytes = FolderBytes(db);
  const auto [open, openFreeLost] = TimeOpens(engine, db);
  fs::remove_all(db);

  const Readd readd = MeasureReadd(QV_BENCH_CACHE_DIR);

  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  // After the peak is read: this add keeps the records it cannot write.
  const FullAdd full = MeasureFullAdd(cache);
  // The same tree on a 3 MB file system that it fills, and on one with room.
  const Finalize onFull = MeasureFinalize(tree, cache + "/mnt", 3);
  const Finalize withRoom = MeasureFinalize(tree, cache + "/mnt", quick ? 512 : 2048);
  if (onFull.stored || !withRoom.stored)
    std::fprintf(stderr, "the add on the full disc was stored, or the one with room was not\n");
  if (stored != files)
    std::fprintf(stderr,
                 "stored %lld of the %d files generated; see the console lines with QV_BENCH_VERBOSE=1\n",
                 static_cast<long long>(stored), files);
  std::printf("files=%lld\n", static_cast<long long>(stored));
  std::printf("walk_s=%.3f\n", walk);
  std::printf("add_s=%.3f\n", add);
  std::printf("add_ratio=%.2f\n", add / walk);
  std::printf("search_prefix_ms=%.1f\n", prefixMs);
  std::printf("search_suffix_ms=%.1f\n", suffixMs);
  std::printf("search_all_size_ms=%.1f\n", largeMs);
  std::printf("find_ratio=%.2f\n", suffixMs / 1000.0 / find);
  std::printf("db_bytes_per_file=%.1f\n", double(bytes) / double(stored ? stored : 1));
  std::printf("peak_rss_mb=%.1f\n", double(ru.ru_maxrss) / 1024.0);
  std::printf("open_s=%.3f\n", open);
  std::printf("open_free_lost_s=%.3f\n", openFreeLost);
  std::printf("readd_growth=%.2f\n", readd.growth);
  std::printf("readd_s=%.3f\n", readd.seconds);
  std::printf("close_ms=%.1f\n", closeMs);
  std::printf("full_add_search_ms=%.1f\n", full.searchMs);
  std::printf("full_add_close_ms=%.1f\n", full.closeMs);
  std::printf("tmpfs_add_s=%.3f\n", withRoom.addS);
  std::printf("finalize_s=%.3f\n", withRoom.finalizeS);
  std::printf("finalize_pause_ms=%.1f\n", withRoom.pauseMs);
  std::printf("full_disc_add_s=%.3f\n", onFull.addS);
  std::printf("full_disc_finalize_s=%.3f\n", onFull.finalizeS);
  std::printf("full_disc_finalize_pause_ms=%.1f\n", onFull.pauseMs);
  std::printf("full_disc_close_ms=%.1f\n", onFull.closeMs);
  std::fprintf(stderr, "walked %lld entries; rows: %lld prefix, %lld size; find %.3f s; %zu errors\n",
               static_cast<long long>(walked), static_cast<long long>(prefixRows),
               static_cast<long long>(largeRows), find, host.errors.size());
  return 0;
}
