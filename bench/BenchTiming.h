// Timing helpers shared by the benchmarks: wall time of one piece of work and
// the median of several rounds.
#pragma once

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <vector>

namespace plova::bench {

inline double Seconds(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Resident memory of the process now, in MB (Linux: 0 where /proc is not).
inline double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace plova::bench
