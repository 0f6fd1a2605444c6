#include "player/PlayerSession.h"

#include <algorithm>
#include <cmath>

namespace plova::player {

PlayerSession::~PlayerSession() {
    sink_.Stop();
}

Opened PlayerSession::Open(const std::filesystem::path& wav, int speed, int volume) {
    sink_.Stop();
    std::optional<Clip> clip = LoadClip(wav);
    {
        const std::lock_guard lock(mutex_);
        started_ = false;
        paused_ = false;
        if (!clip) return Opened::Unreadable;
        playback_ = std::make_unique<Playback>(std::move(*clip));
        playback_->SetSpeed(speed);
        playback_->SetVolume(volume);
    }
    play();
    return started_ ? Opened::Playing : Opened::NoDevice;
}

void PlayerSession::play() {
    std::uint32_t rate = 0;
    {
        const std::lock_guard lock(mutex_);
        if (!playback_) return;
        rate = playback_->Sound().rate;
    }
    const bool started = sink_.Start(rate, [this](std::span<std::int16_t> out) { return Pull(out); });
    const std::lock_guard lock(mutex_);
    started_ = started;
    paused_ = false;
}

void PlayerSession::Do(Action action) {
    std::unique_lock lock(mutex_);
    if (!playback_) return;
    Playback& p = *playback_;
    switch (action) {
    case Action::TogglePlay:
        if (p.AtEnd() || !started_) {
            // The sink went quiet at the end (or never started): again from the top.
            if (p.AtEnd()) p.ToStart();
            lock.unlock();
            play();
        } else if (paused_) {
            paused_ = false;
            sink_.Resume();
        } else {
            paused_ = true;
            sink_.Pause();
        }
        return;
    case Action::Back: p.Skip(-kSkipSeconds); return;
    case Action::Forward: p.Skip(kSkipSeconds); return;
    case Action::ToStart: p.ToStart(); return;
    case Action::ToEnd: p.ToEnd(); return;
    case Action::Slower: p.SetSpeed(p.Speed() - 1); return;
    case Action::Faster: p.SetSpeed(p.Speed() + 1); return;
    case Action::Previous:
    case Action::Next: return;
    }
}

void PlayerSession::SeekToShare(double share) {
    const std::lock_guard lock(mutex_);
    if (!playback_) return;
    const double s = std::clamp(share, 0.0, 1.0);
    playback_->Seek(static_cast<std::int64_t>(std::llround(s * static_cast<double>(playback_->Sound().Length()))));
}

void PlayerSession::SetSpeed(int index) {
    const std::lock_guard lock(mutex_);
    if (playback_) playback_->SetSpeed(index);
}

void PlayerSession::SetVolume(int percent) {
    const std::lock_guard lock(mutex_);
    if (playback_) playback_->SetVolume(percent);
}

void PlayerSession::Stop() {
    sink_.Stop();
    const std::lock_guard lock(mutex_);
    started_ = false;
    paused_ = false;
}

PlayerSession::State PlayerSession::Now() const {
    const std::lock_guard lock(mutex_);
    State s;
    if (!playback_) return s;
    s.loaded = true;
    s.position = playback_->Position();
    s.length = playback_->Sound().Length();
    s.rate = playback_->Sound().rate;
    s.playing = started_ && !paused_ && !playback_->AtEnd();
    s.speed = playback_->Speed();
    s.volume = playback_->Volume();
    return s;
}

const Clip* PlayerSession::Sound() const {
    const std::lock_guard lock(mutex_);
    return playback_ ? &playback_->Sound() : nullptr;
}

std::size_t PlayerSession::Pull(std::span<std::int16_t> out) {
    const std::lock_guard lock(mutex_);
    if (!playback_ || paused_) return 0;
    return playback_->Render(out);
}

}  // namespace plova::player
