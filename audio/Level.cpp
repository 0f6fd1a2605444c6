#include "audio/Level.h"

#include <algorithm>
#include <cmath>

namespace plova {

std::int8_t LevelFromSetting(int setting) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(static_cast<unsigned>(setting) & 0xFFu));
}

double LevelGain(std::int8_t level) {
    return std::pow(10.0, level / 20.0);
}

void ApplyLevel(std::span<std::int16_t> samples, double gain) {
    if (gain == 1.0) return;
    for (auto& s : samples) {
        // Clamp before converting: the product can exceed any integer type at +127 dB.
        const double v = std::clamp(std::trunc(s * gain), -32768.0, 32767.0);
        s = static_cast<std::int16_t>(v);
    }
}

}  // namespace plova
