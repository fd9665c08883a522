// The common-controls benchmark (bench/run common): figures register
// themselves from their own files (Common*Bench.cpp, picked up by the build)
// and the program prints one key=value line per figure, in key order.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qv {

class HeadlessBackend;

namespace bench {

// A figure measures with the backend installed on the calling thread and
// returns its value (milliseconds, by its key's convention).
using CommonFigure = std::function<double(HeadlessBackend& backend)>;
int AddCommonFigure(const std::string& key, CommonFigure measure);

double CommonMedian(std::vector<double> values);
// Milliseconds taken by `work`.
double CommonTimeMs(const std::function<void()>& work);

}  // namespace bench
}  // namespace qv
