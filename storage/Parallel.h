// Runs a loop over [0, n) on a few threads: each thread takes one contiguous
// part, so the parts never share an element, and all have finished when the
// call returns. Small loops stay on the calling thread.
#pragma once
#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace qv {

template <class Fn>
void ParallelFor(std::size_t n, std::size_t minPerThread, Fn fn) {
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t threads = std::min<std::size_t>({4, cores, n / std::max<std::size_t>(minPerThread, 1)});
  if (threads <= 1) {
    fn(std::size_t(0), n);
    return;
  }
  std::vector<std::thread> workers;
  workers.reserve(threads - 1);
  const std::size_t part = (n + threads - 1) / threads;
  for (std::size_t t = 1; t < threads; ++t) {
    const std::size_t begin = std::min(n, t * part), end = std::min(n, begin + part);
    workers.emplace_back([&fn, begin, end] { fn(begin, end); });
  }
  fn(std::size_t(0), std::min(n, part));
  for (auto& w : workers) w.join();
}

}  // namespace qv
