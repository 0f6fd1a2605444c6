#include "player/ui/SystemSoundSink.h"
#include "player/ui/WaveOutSoundSink.h"

namespace plova::ui {

std::unique_ptr<player::SoundSink> MakeSystemSoundSink() {
    return std::make_unique<WaveOutSoundSink>();
}

}  // namespace plova::ui
