// The controls benchmark (bench/run controls): figures register themselves
// from their own files (Controls*Bench.cpp, picked up by the build) through
// the shared headless figure registry.
#pragma once
#include "FigureRegistry.h"

namespace qv::bench {

using ControlsFigure = HeadlessFigure;
inline int AddControlsFigure(const std::string& key, ControlsFigure measure) {
  return AddFigure(key, std::move(measure));
}

}  // namespace qv::bench
