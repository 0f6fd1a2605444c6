#include "player/Clip.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "audio/WavFormat.h"
#include "platform/File.h"

namespace plova::player {
namespace {

constexpr std::uint16_t kExtensible = 0xFFFE;  // PCM behind a longer "fmt " chunk

// The little-endian fields of the WAV layout, at `at` in `b`.
const std::uint8_t* bytesAt(std::string_view b, std::size_t at) {
    return reinterpret_cast<const std::uint8_t*>(b.data() + at);
}
std::uint32_t le32(std::string_view b, std::size_t at) {
    return GetLe32(bytesAt(b, at));
}
std::uint16_t le16(std::string_view b, std::size_t at) {
    return GetLe16(bytesAt(b, at));
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

// Where a WAV file's samples lie, and in which form.
struct Layout {
    Format format;
    std::uint64_t dataAt = 0;
    std::uint64_t dataBytes = 0;
};

// The layout read from `head`, the first bytes of a file `fileSize` bytes
// long: the chunks up to "data" must lie in the head; the data chunk runs on
// to its stated size or the file's end, whichever comes first.
std::optional<Layout> layoutOf(std::string_view head, std::uint64_t fileSize) {
    if (head.size() < 12 || head.substr(0, 4) != "RIFF" || head.substr(8, 4) != "WAVE") return std::nullopt;
    std::optional<Format> format;
    // Chunks follow one another, each padded to an even length.
    for (std::size_t at = 12; at + 8 <= head.size();) {
        const std::string_view id = head.substr(at, 4);
        const std::uint64_t size = le32(head, at + 4);
        const std::size_t body = at + 8;
        const std::size_t room = head.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > room) return std::nullopt;
            format = Format{le16(head, body), le16(head, body + 2), le32(head, body + 4), le16(head, body + 14)};
            if (format->tag == kExtensible && size >= 26) format->tag = le16(head, body + 24);
        } else if (id == "data") {
            if (!format) return std::nullopt;
            return Layout{*format, body, std::min<std::uint64_t>(size, fileSize - body)};
        }
        if (size + (size & 1) > room) break;
        at = body + static_cast<std::size_t>(size + (size & 1));
    }
    return std::nullopt;
}

bool playable(const Format& f) {
    return f.tag == wav::kFormatPcm && f.channels >= 1 && f.channels <= 2 && (f.bits == 8 || f.bits == 16) &&
           f.rate >= 1000 && f.rate <= 192000;
}

// What the decoder writes, 16-bit samples of one channel, can be taken as
// they lie.
bool takenAsTheyLie(const Format& f) {
    return f.bits == 16 && f.channels == 1 && std::endian::native == std::endian::little;
}

Clip clipOf(const Format& format, std::string_view data) {
    const std::size_t width = format.bits / 8u;
    const std::size_t frame = width * format.channels;
    Clip clip;
    clip.rate = format.rate;
    clip.samples.resize(data.size() / frame);
    if (takenAsTheyLie(format)) {
        std::memcpy(clip.samples.data(), data.data(), clip.samples.size() * 2);
        return clip;
    }
    for (std::size_t i = 0; i < clip.samples.size(); ++i) {
        int sum = 0;
        for (std::size_t c = 0; c < format.channels; ++c) sum += sampleAt(data, i * frame + c * width, format.bits);
        clip.samples[i] = static_cast<std::int16_t>(sum / format.channels);
    }
    return clip;
}

// Reads `size` bytes from `offset` into `out`: how many there were (fewer
// when the file ended first), nothing on a read error.
std::optional<std::size_t> readInto(const FileHandle& file, std::uint64_t offset, char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::optional<std::size_t> n = file.ReadAt(offset + done, out + done, size - done);
        if (!n) return std::nullopt;
        if (*n == 0) break;
        done += *n;
    }
    return done;
}

// The head a WAV file's chunks up to "data" must fit in.
constexpr std::size_t kHeadBytes = std::size_t{64} * 1024;

}  // namespace

std::optional<Clip> ClipOfWav(std::string_view bytes) {
    const std::optional<Layout> layout = layoutOf(bytes, bytes.size());
    if (!layout || !playable(layout->format)) return std::nullopt;
    return clipOf(layout->format,
                  bytes.substr(static_cast<std::size_t>(layout->dataAt), static_cast<std::size_t>(layout->dataBytes)));
}

std::optional<Clip> LoadClip(const std::filesystem::path& wav) {
    const FileHandle file = OpenRegularFile(wav, Access::Read);
    if (!file) return std::nullopt;
    const std::optional<std::uint64_t> size = file.Size();
    if (!size || *size > kMaxWavBytes) return std::nullopt;
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(*size, kHeadBytes)), '\0');
    const std::optional<std::size_t> headRead = readInto(file, 0, head.data(), head.size());
    if (!headRead) return std::nullopt;
    head.resize(*headRead);
    const std::optional<Layout> layout = layoutOf(head, *size);
    if (!layout || !playable(layout->format)) return std::nullopt;
    const auto dataBytes = static_cast<std::size_t>(layout->dataBytes);
    if (takenAsTheyLie(layout->format)) {
        // Straight into the samples: one buffer for the whole message.
        Clip clip;
        clip.rate = layout->format.rate;
        clip.samples.resize(dataBytes / 2);
        const std::optional<std::size_t> got =
            readInto(file, layout->dataAt, reinterpret_cast<char*>(clip.samples.data()), clip.samples.size() * 2);
        if (!got) return std::nullopt;
        clip.samples.resize(*got / 2);
        return clip;
    }
    std::string data(dataBytes, '\0');
    const std::optional<std::size_t> got = readInto(file, layout->dataAt, data.data(), data.size());
    if (!got) return std::nullopt;
    data.resize(*got);
    return clipOf(layout->format, data);
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
