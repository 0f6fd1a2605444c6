#include "player/ui/WaveOutSoundSink.h"

namespace plova::ui {
namespace {
// A quarter of a block: a block is refilled well before the ring runs dry.
constexpr int kFeedMilliseconds = 1000 / static_cast<int>(SoundOutput::kBlocksPerSecond) / 4;
}  // namespace

WaveOutSoundSink::WaveOutSoundSink() {
    timer_.setInterval(kFeedMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &WaveOutSoundSink::feed);
}

WaveOutSoundSink::~WaveOutSoundSink() {
    Stop();
}

bool WaveOutSoundSink::Start(std::uint32_t rate, Source source) {
    Stop();
    output_ = SoundOutput::Open(rate);
    if (!output_) return false;
    source_ = std::move(source);
    feed();  // the first samples go to the device before this returns
    timer_.start();
    return true;
}

void WaveOutSoundSink::Pause() {
    if (output_) output_->Pause();
}

void WaveOutSoundSink::Resume() {
    if (output_) output_->Resume();
}

void WaveOutSoundSink::Stop() {
    timer_.stop();
    output_.reset();
    source_ = nullptr;
}

void WaveOutSoundSink::feed() {
    if (!output_ || !source_) return;
    // At the end the player renders nothing; the timer asks again, as a seek
    // back or play from the start gives it more.
    for (std::span<std::int16_t> block = output_->FreeBlock(); !block.empty(); block = output_->FreeBlock()) {
        const std::size_t rendered = source_(block);
        if (rendered == 0) return;
        if (!output_->Queue(rendered)) {
            Stop();  // the device has gone away
            return;
        }
    }
}

}  // namespace plova::ui
