// The player's sound through the system's own output (platform/SoundOutput),
// fed on the window's thread: a timer fills each block the device has played
// with what the player renders next, as Qt's sink pulls it.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "platform/SoundOutput.h"
#include "player/PlayerSession.h"

namespace plova::ui {

class WaveOutSoundSink final : public QObject, public player::SoundSink {
public:
    WaveOutSoundSink();
    ~WaveOutSoundSink() override;
    WaveOutSoundSink(const WaveOutSoundSink&) = delete;
    WaveOutSoundSink& operator=(const WaveOutSoundSink&) = delete;

    bool Start(std::uint32_t rate, Source source) override;
    void Pause() override;
    void Resume() override;
    void Stop() override;

private:
    // Fills and queues every block the device is done with.
    void feed();

    QTimer timer_;
    Source source_;
    std::unique_ptr<SoundOutput> output_;
};

}  // namespace plova::ui
