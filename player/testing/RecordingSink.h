// The player's sound device for tests: it records what it is given, and
// pulls on the test's command rather than in real time.
#pragma once

#include <vector>

#include "player/PlayerSession.h"

namespace plova::player {

class RecordingSink final : public SoundSink {
public:
    bool device = true;  // false: no device takes the sound
    int starts = 0;
    bool paused = false;
    bool running = false;
    std::uint32_t rate = 0;

    bool Start(std::uint32_t r, Source s) override {
        if (!device) return false;
        ++starts;
        rate = r;
        source_ = std::move(s);
        running = true;
        paused = false;
        return true;
    }
    void Pause() override { paused = true; }
    void Resume() override { paused = false; }
    void Stop() override {
        running = false;
        source_ = nullptr;
    }

    // Up to `n` samples pulled as a device would, `chunk` at a time.
    std::vector<std::int16_t> Pull(std::size_t n, std::size_t chunk = 800) {
        std::vector<std::int16_t> got;
        std::vector<std::int16_t> buffer(chunk);
        while (source_ && got.size() < n) {
            const std::size_t k = source_(std::span(buffer.data(), std::min(chunk, n - got.size())));
            if (k == 0) break;
            got.insert(got.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(k));
        }
        return got;
    }
    // Everything to the end.
    std::vector<std::int16_t> Drain() { return Pull(SIZE_MAX); }

private:
    Source source_;
};

}  // namespace plova::player
