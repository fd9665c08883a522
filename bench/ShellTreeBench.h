// Shared by the shell benchmarks: the cache folder and trees made once there.
#pragma once
#include <cstdio>
#include <filesystem>
#include <string>

namespace qv {

inline std::string BenchCacheDir() {
  return QV_BENCH_CACHE_DIR;
}

// Makes a tree once: Make(root) fills it, a mark file says it is complete.
template <class F>
std::string Cached(const std::string& dir, F Make) {
  namespace fs = std::filesystem;
  if (!fs::exists(dir + "/.complete")) {
    fs::remove_all(dir);
    std::fprintf(stderr, "generating %s ...\n", dir.c_str());
    fs::create_directories(dir + "/t");
    Make(dir + "/t");
    std::fclose(std::fopen((dir + "/.complete").c_str(), "w"));
  }
  return dir + "/t";
}

}  // namespace qv
