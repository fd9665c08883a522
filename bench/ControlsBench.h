// The controls benchmark (bench/run controls): figures register themselves
// from their own files (Controls*Bench.cpp, picked up by the build) and the
// program prints one key=value line per figure, in key order.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qv {

class HeadlessBackend;

namespace bench {

// A figure measures with the backend installed on the calling thread and
// returns its value (milliseconds, by its key's convention).
using ControlsFigure = std::function<double(HeadlessBackend& backend)>;
int AddControlsFigure(const std::string& key, ControlsFigure measure);

double MedianOf(std::vector<double> values);
// Milliseconds taken by `work`.
double TimeMs(const std::function<void()>& work);

}  // namespace bench
}  // namespace qv
