// The player's sound through Qt Multimedia: a QAudioSink on the default
// output device, pulling from the player as the device needs samples.
#pragma once

#include <QIODevice>
#include <memory>

#include "player/PlayerSession.h"

class QAudioSink;

namespace plova::ui {

class QtSoundSink final : public player::SoundSink {
public:
    QtSoundSink();
    ~QtSoundSink() override;
    QtSoundSink(const QtSoundSink&) = delete;
    QtSoundSink& operator=(const QtSoundSink&) = delete;

    bool Start(std::uint32_t rate, Source source) override;
    void Pause() override;
    void Resume() override;
    void Stop() override;

private:
    class Pull;
    std::unique_ptr<Pull> pull_;
    std::unique_ptr<QAudioSink> sink_;
};

}  // namespace plova::ui
