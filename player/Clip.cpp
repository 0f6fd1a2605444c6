#include "player/Clip.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/File.h"

namespace plova::player {
namespace {

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kExtensible = 0xFFFE;  // PCM behind a longer "fmt " chunk

std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t le16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

struct Format {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t bits = 0;
};

std::int16_t sampleAt(std::string_view data, std::size_t at, std::uint16_t bits) {
    if (bits == 8) return static_cast<std::int16_t>((static_cast<unsigned char>(data[at]) - 128) * 256);
    return static_cast<std::int16_t>(le16(data, at));
}

}  // namespace

std::optional<Clip> ClipOfWav(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") return std::nullopt;
    std::optional<Format> format;
    std::string_view data;
    bool haveData = false;
    // Chunks follow one another, each padded to an even length.
    for (std::size_t at = 12; at + 8 <= bytes.size() && !haveData;) {
        const std::string_view id = bytes.substr(at, 4);
        const std::uint64_t size = le32(bytes, at + 4);
        const std::size_t body = at + 8;
        const std::size_t room = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > room) return std::nullopt;
            format = Format{le16(bytes, body), le16(bytes, body + 2), le32(bytes, body + 4), le16(bytes, body + 14)};
            if (format->tag == kExtensible && size >= 26) format->tag = le16(bytes, body + 24);
        } else if (id == "data") {
            data = bytes.substr(body, static_cast<std::size_t>(std::min<std::uint64_t>(size, room)));
            haveData = true;
        }
        if (size + (size & 1) > room) break;
        at = body + static_cast<std::size_t>(size + (size & 1));
    }
    if (!format || !haveData || format->tag != kPcm) return std::nullopt;
    if (format->channels < 1 || format->channels > 2 || (format->bits != 8 && format->bits != 16)) return std::nullopt;
    if (format->rate < 1000 || format->rate > 192000) return std::nullopt;

    const std::size_t width = format->bits / 8u;
    const std::size_t frame = width * format->channels;
    Clip clip;
    clip.rate = format->rate;
    clip.samples.resize(data.size() / frame);
    if (frame == 2 && std::endian::native == std::endian::little) {
        // What the decoder writes: the samples as they lie.
        std::memcpy(clip.samples.data(), data.data(), clip.samples.size() * 2);
        return clip;
    }
    for (std::size_t i = 0; i < clip.samples.size(); ++i) {
        int sum = 0;
        for (std::size_t c = 0; c < format->channels; ++c) sum += sampleAt(data, i * frame + c * width, format->bits);
        clip.samples[i] = static_cast<std::int16_t>(sum / format->channels);
    }
    return clip;
}

std::optional<Clip> LoadClip(const std::filesystem::path& wav) {
    std::string bytes;
    if (ReadWholeFile(wav, bytes, kMaxWavBytes) != ReadResult::Ok) return std::nullopt;
    return ClipOfWav(bytes);
}

std::vector<Peak> Peaks(const Clip& clip, int columns) {
    std::vector<Peak> peaks;
    if (columns <= 0 || clip.samples.empty()) return peaks;
    peaks.resize(static_cast<std::size_t>(columns));
    const auto n = static_cast<std::int64_t>(clip.samples.size());
    for (int c = 0; c < columns; ++c) {
        // Each column covers [from, to), at least one sample.
        const std::int64_t from = std::min(n - 1, n * c / columns);
        const std::int64_t to = std::max(from + 1, n * (c + 1) / columns);
        const auto [low, high] = std::minmax_element(clip.samples.begin() + from, clip.samples.begin() + to);
        peaks[static_cast<std::size_t>(c)] = Peak{*low, *high};
    }
    return peaks;
}

std::u16string TimeText(std::int64_t position, std::int64_t length, std::uint32_t rate) {
    auto text = [rate](std::int64_t samples) {
        const std::int64_t seconds = rate == 0 ? 0 : std::max<std::int64_t>(samples, 0) / rate;
        const std::int64_t s = seconds % 60;
        std::string t = std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
        return std::u16string(t.begin(), t.end());
    };
    return text(position) + u" / " + text(length);
}

}  // namespace plova::player
