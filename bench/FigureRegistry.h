// The registry behind the headless benchmark programs (bench/run common,
// bench/run controls): figures register themselves from their own files and
// the program prints one key=value line per figure, in key order.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qv {

class HeadlessBackend;

namespace bench {

// A figure measures with the backend installed on the calling thread and
// returns its value (milliseconds, by its key's convention).
using HeadlessFigure = std::function<double(HeadlessBackend& backend)>;
int AddFigure(const std::string& key, HeadlessFigure measure);

double MedianOf(std::vector<double> values);
// Milliseconds taken by `work`.
double TimeMs(const std::function<void()>& work);
// The median of `runs` measurements after one that is not counted (it pays
// for first-use costs: page faults of fresh memory, lazily built tables, the
// file system's caches). QV_BENCH_RUNS=n overrides the count.
double MedianOfRuns(int runs, const std::function<double()>& once);
// Empties the kernel's page, directory and inode caches, so that the next
// file system access reads the disc; false when not permitted (needs root).
bool DropFileSystemCaches();

}  // namespace bench
}  // namespace qv
