// bench/run controls [name...]: runs every registered controls figure (or
// only the named ones) on the headless backend.
#include <cstdio>
#include <cstring>

#include "bench/ControlsBench.h"
#include "platform/backend/HeadlessBackend.h"

int main(int argc, char** argv) {
  qv::HeadlessBackend backend{qv::SIZE{1280, 1024}};
  for (auto& figure : qv::bench::ControlsFigures()) {
    bool wanted = argc < 2;
    for (int i = 1; i < argc; ++i) wanted = wanted || figure.name == argv[i];
    if (wanted) figure.run();
  }
  std::fflush(stdout);
  return 0;
}
