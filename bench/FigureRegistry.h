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

// Cold figures: with QV_BENCH_COLD=1 and root rights, drops the kernel's
// directory-entry and inode caches (and the pages they hold) so that the next
// listing reads the disc. False (and one line on stderr) when it cannot: the
// cold figure is then reported as -1. It slows every program on the machine
// for a moment, hence opt-in.
bool DropFileCaches();

}  // namespace bench
}  // namespace qv
