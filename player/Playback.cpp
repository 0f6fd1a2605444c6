#include "player/Playback.h"

#include <sonic.h>

#include <algorithm>
#include <cmath>

namespace plova::player {
namespace {
// What goes into the stretcher at a time.
constexpr std::size_t kFeedSamples = 1024;
}  // namespace

// The time-stretcher for speech at a speed other than 1.0: the pitch stays.
struct Playback::Stretch {
    sonicStream stream;
    bool flushed = false;
    Stretch(std::uint32_t rate, double speed) : stream(sonicCreateStream(static_cast<int>(rate), 1)) {
        sonicSetSpeed(stream, static_cast<float>(speed));
    }
    ~Stretch() { sonicDestroyStream(stream); }
    Stretch(const Stretch&) = delete;
    Stretch& operator=(const Stretch&) = delete;
};

Playback::Playback(Clip clip) : clip_(std::move(clip)) {}

Playback::~Playback() = default;

std::int64_t Playback::Position() const {
    const auto heard = static_cast<std::int64_t>(std::llround(static_cast<double>(produced_) * kSpeeds[speed_]));
    return std::min(clip_.Length(), base_ + heard);
}

void Playback::restart(std::int64_t from) {
    base_ = std::clamp<std::int64_t>(from, 0, clip_.Length());
    produced_ = 0;
    fed_ = base_;
    stretch_.reset();
    if (speed_ != kNormalSpeed && clip_.rate != 0) stretch_ = std::make_unique<Stretch>(clip_.rate, kSpeeds[speed_]);
}

void Playback::Seek(std::int64_t sample) {
    restart(sample);
}

void Playback::Skip(int seconds) {
    restart(Position() + static_cast<std::int64_t>(seconds) * clip_.rate);
}

void Playback::SetSpeed(int index) {
    const int speed = std::clamp(index, 0, static_cast<int>(kSpeeds.size()) - 1);
    if (speed == speed_) return;
    const std::int64_t at = Position();
    speed_ = speed;
    restart(at);
}

void Playback::SetVolume(int percent) {
    volume_ = std::clamp(percent, 0, kFullVolume);
}

std::size_t Playback::Render(std::span<std::int16_t> out) {
    std::size_t written = 0;
    if (!stretch_) {
        const std::int64_t from = base_ + produced_;
        written = static_cast<std::size_t>(
            std::clamp<std::int64_t>(clip_.Length() - from, 0, static_cast<std::int64_t>(out.size())));
        std::copy_n(clip_.samples.begin() + from, written, out.begin());
    } else {
        while (written < out.size()) {
            const int got = sonicReadShortFromStream(stretch_->stream, out.data() + written,
                                                     static_cast<int>(out.size() - written));
            written += static_cast<std::size_t>(std::max(got, 0));
            if (written == out.size()) break;
            if (fed_ < clip_.Length()) {
                const auto n = static_cast<int>(std::min<std::int64_t>(kFeedSamples, clip_.Length() - fed_));
                sonicWriteShortToStream(stretch_->stream, clip_.samples.data() + fed_, n);
                fed_ += n;
            } else if (!stretch_->flushed) {
                sonicFlushStream(stretch_->stream);
                stretch_->flushed = true;
            } else {
                break;
            }
        }
    }
    produced_ += static_cast<std::int64_t>(written);
    if (volume_ != kFullVolume)
        for (std::size_t i = 0; i < written; ++i) out[i] = static_cast<std::int16_t>(out[i] * volume_ / kFullVolume);
    return written;
}

}  // namespace plova::player
