// Polling for a condition that another thread or process brings about.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace plova::testkit {

// Polls `condition` every few milliseconds until it holds or `limit` passes.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace plova::testkit
