// The level setting of the voice conversion: a signed gain in decibels that
// scales PCM samples before they are encoded or written to a WAV file.
#pragma once

#include <cstdint>
#include <span>

namespace plova {

// A settings value ("LEVELRVORWAV" and friends) as the level it means: its low
// 8 bits read as a signed number, so 250 means -6 and 256 means 0.
std::int8_t LevelFromSetting(int setting);

// 10^(level / 20); exactly 1 for level 0.
double LevelGain(std::int8_t level);

// Each sample becomes s·gain truncated toward zero, clamped to 16 bits.
// A gain of 1 leaves the samples untouched.
void ApplyLevel(std::span<std::int16_t> samples, double gain);

}  // namespace plova
