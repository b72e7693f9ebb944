#pragma once
// Wall-clock timing shared by the benchmark programs: the best of several runs,
// so one slow run on a busy machine does not decide the figure.
#include <algorithm>
#include <chrono>

namespace kestro::bench {

template <typename F>
double BestOf(int runs, F&& f) {
  using Clock = std::chrono::steady_clock;
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace kestro::bench
