// Playing one clip: where it stands, seeking and skipping, the speed (the
// pitch kept, for speech) and the volume, and the samples to hear next. No
// sound device here: the window's sink pulls what Render gives.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "player/Clip.h"

namespace plova::player {

// The speeds offered, slowest first, and the one that plays as recorded.
constexpr std::array<double, 6> kSpeeds{0.5, 0.75, 1.0, 1.25, 1.5, 2.0};
constexpr int kNormalSpeed = 2;
constexpr int kSkipSeconds = 5;
constexpr int kFullVolume = 100;

class Playback {
public:
    explicit Playback(Clip clip);
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    [[nodiscard]] const Clip& Sound() const { return clip_; }
    // The sample of the clip heard next.
    [[nodiscard]] std::int64_t Position() const;
    [[nodiscard]] bool AtEnd() const { return Position() >= clip_.Length(); }

    // To `sample`, kept within the clip.
    void Seek(std::int64_t sample);
    // `seconds` on (or back, when negative) from where it stands.
    void Skip(int seconds);
    void ToStart() { Seek(0); }
    void ToEnd() { Seek(clip_.Length()); }

    // An index into kSpeeds (kept within it).
    void SetSpeed(int index);
    [[nodiscard]] int Speed() const { return speed_; }
    // 0 to kFullVolume.
    void SetVolume(int percent);
    [[nodiscard]] int Volume() const { return volume_; }

    // Fills `out` with what is heard next, at the clip's rate; the number of
    // samples written, fewer than asked only at the end, 0 once there.
    std::size_t Render(std::span<std::int16_t> out);

private:
    struct Stretch;
    void restart(std::int64_t from);

    Clip clip_;
    int speed_ = kNormalSpeed;
    int volume_ = kFullVolume;
    std::int64_t base_ = 0;             // where the clip stood when the speed or place last changed
    std::int64_t produced_ = 0;         // samples rendered since
    std::int64_t fed_ = 0;              // clip samples given to the stretcher
    std::unique_ptr<Stretch> stretch_;  // only when the speed is not 1.0
};

}  // namespace plova::player
