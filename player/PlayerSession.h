// The player's decisions, apart from its window: the message opened, play
// and pause, seeking, skipping, speed and volume, what the keys do, and the
// samples the sound device pulls. The device sits behind SoundSink, so tests
// see exactly what it is given.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "player/Playback.h"

namespace plova::player {

// Our own texts.
constexpr std::u16string_view kNoDevice = u"音声を出力できる装置がありません。";
constexpr std::u16string_view kCaption = u"再生";

// Where the sound goes.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // What the sink pulls: fills the span, returns how many samples it wrote
    // (0 at the end).
    using Source = std::function<std::size_t(std::span<std::int16_t>)>;
    // Starts (or starts again) pulling 16-bit samples of one channel at
    // `rate` from `source`; false when no device takes them.
    virtual bool Start(std::uint32_t rate, Source source) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;
};

// What a key or a button asks for.
enum class Action { TogglePlay, Back, Forward, ToStart, ToEnd, Previous, Next, Slower, Faster };

enum class Opened {
    Playing,     // the sound has started
    Unreadable,  // not a WAV file the player reads: nothing changed
    NoDevice,    // read, but no device takes the sound
};

class PlayerSession {
public:
    explicit PlayerSession(SoundSink& sink) : sink_(sink) {}
    ~PlayerSession();
    PlayerSession(const PlayerSession&) = delete;
    PlayerSession& operator=(const PlayerSession&) = delete;

    // Reads `wav` whole (the file is closed again at once) and plays it from
    // the start at `speed` (an index into kSpeeds) and `volume`. What played
    // before stops, whatever the outcome.
    Opened Open(const std::filesystem::path& wav, int speed, int volume);

    // Play and pause; at the end, play starts from the beginning. Previous
    // and Next are the caller's to carry out: they do nothing here.
    void Do(Action action);
    // To a point given as a share of the whole (a click on the waveform).
    void SeekToShare(double share);
    void SetSpeed(int index);
    void SetVolume(int percent);
    // Silence until the next Open or play; the place is kept.
    void Stop();

    struct State {
        bool loaded = false;
        bool playing = false;
        std::int64_t position = 0;
        std::int64_t length = 0;
        std::uint32_t rate = 0;
        int speed = kNormalSpeed;
        int volume = kFullVolume;
    };
    [[nodiscard]] State Now() const;
    // The clip opened (null before the first Open).
    [[nodiscard]] const Clip* Sound() const;

    // What the sink pulls.
    std::size_t Pull(std::span<std::int16_t> out);

private:
    void play();

    SoundSink& sink_;
    mutable std::mutex mutex_;
    std::unique_ptr<Playback> playback_;
    bool started_ = false;
    bool paused_ = false;
};

}  // namespace plova::player
