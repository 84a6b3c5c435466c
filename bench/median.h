#pragma once

// The median wall time of `runs` runs of `work`, in milliseconds: the
// figure the ratio harnesses report, robust against a run disturbed by
// other work on the machine.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace rv::bench {

inline double MedianMs(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace rv::bench
