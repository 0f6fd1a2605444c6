// The sound output the player uses in the program: Qt Multimedia's on Linux,
// the system's own waveOut on Windows (one source each, picked at build time).
#pragma once

#include <memory>

#include "player/PlayerSession.h"

namespace plova::ui {

std::unique_ptr<player::SoundSink> MakeSystemSoundSink();

}  // namespace plova::ui
