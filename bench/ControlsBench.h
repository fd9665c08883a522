// The controls benchmark is made of several sources: each registers its
// figures here and the one main runs them in turn, printing key=value lines.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qv::bench {

struct ControlsFigure {
  std::string name;
  std::function<void()> run;  // prints its own key=value lines
};

inline std::vector<ControlsFigure>& ControlsFigures() {
  static std::vector<ControlsFigure> figures;
  return figures;
}

struct RegisterControlsFigure {
  RegisterControlsFigure(std::string name, std::function<void()> run) {
    ControlsFigures().push_back({std::move(name), std::move(run)});
  }
};

}  // namespace qv::bench
