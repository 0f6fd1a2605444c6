#include "player/ui/QtSoundSink.h"
#include "player/ui/SystemSoundSink.h"

namespace plova::ui {

std::unique_ptr<player::SoundSink> MakeSystemSoundSink() {
    return std::make_unique<QtSoundSink>();
}

}  // namespace plova::ui
