// Timing helpers shared by the benchmarks: wall time of one piece of work and
// the median of several rounds.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace plova::bench {

inline double Seconds(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace plova::bench
