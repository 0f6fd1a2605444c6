// A message's sound as the player holds it: the whole WAV file read at once
// and let go of, as one channel of 16-bit samples, and what the window draws
// and says of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plova::player {

// The longest WAV file the player takes whole: hours of a message's sound,
// far below what would strain the machine.
constexpr std::uint64_t kMaxWavBytes = std::uint64_t{512} << 20;

struct Clip {
    std::uint32_t rate = 0;  // samples per second
    std::vector<std::int16_t> samples;

    [[nodiscard]] std::int64_t Length() const { return static_cast<std::int64_t>(samples.size()); }
};

// The samples of a RIFF/WAVE file's bytes: PCM of 8 or 16 bits in one or
// two channels (two are mixed into one). Nothing for anything else, or for a
// file whose chunks do not hold together. A data chunk that claims more than
// the file holds is taken up to the file's end.
std::optional<Clip> ClipOfWav(std::string_view bytes);

// The WAV file read whole and closed before this returns.
std::optional<Clip> LoadClip(const std::filesystem::path& wav);

// The lowest and highest sample of each of `columns` equal stretches of the
// clip, for a waveform `columns` pixels wide. A clip shorter than the width
// gives each sample its columns.
struct Peak {
    std::int16_t low = 0;
    std::int16_t high = 0;
};
std::vector<Peak> Peaks(const Clip& clip, int columns);

// "m:ss / m:ss": where playing stands and how long the clip is, in whole
// seconds (minutes grow past 59).
std::u16string TimeText(std::int64_t position, std::int64_t length, std::uint32_t rate);

}  // namespace plova::player
