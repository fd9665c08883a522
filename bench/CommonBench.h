// The common-controls benchmark (bench/run common): figures register
// themselves from their own files (Common*Bench.cpp, picked up by the build)
// through the shared headless figure registry.
#pragma once
#include "FigureRegistry.h"

namespace qv::bench {

using CommonFigure = HeadlessFigure;
inline int AddCommonFigure(const std::string& key, CommonFigure measure) {
  return AddFigure(key, std::move(measure));
}
inline double CommonMedian(std::vector<double> values) {
  return MedianOf(std::move(values));
}
inline double CommonTimeMs(const std::function<void()>& work) {
  return TimeMs(work);
}

}  // namespace qv::bench
