// The headless benchmark programs' registry and main(): runs every registered
// figure (or those named on the command line) on a headless screen.
#include "FigureRegistry.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "classlib/controls/Application.h"
#include "platform/backend/HeadlessBackend.h"

namespace qv::bench {

namespace {
std::map<std::string, HeadlessFigure>& Figures() {
  static std::map<std::string, HeadlessFigure> figures;
  return figures;
}
}  // namespace

int AddFigure(const std::string& key, HeadlessFigure measure) {
  Figures()[key] = std::move(measure);
  return int(Figures().size());
}

double MedianOf(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double TimeMs(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double MedianOfRuns(int runs, const std::function<double()>& once) {
  if (const char* n = std::getenv("QV_BENCH_RUNS"); n && std::atoi(n) > 0) runs = std::atoi(n);
  once();
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(once());
  return MedianOf(times);
}

bool DropFileSystemCaches() {
  ::sync();
  std::FILE* f = std::fopen("/proc/sys/vm/drop_caches", "w");
  if (!f) return false;
  const bool written = std::fputs("3\n", f) >= 0;
  return std::fclose(f) == 0 && written;
}

}  // namespace qv::bench

int main(int argc, char** argv) {
  using namespace qv;
  HeadlessBackend backend(SIZE{1280, 1024});
  for (auto& [key, measure] : bench::Figures()) {
    bool wanted = argc < 2;
    for (int i = 1; i < argc; ++i) wanted |= key == argv[i];
    if (!wanted) continue;
    double value = measure(backend);
    std::printf("%s=%.2f\n", key.c_str(), value);
    std::fflush(stdout);
    if (Application) Application->ProcessMessages();
  }
  return 0;
}
