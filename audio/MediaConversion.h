// Turning the user's audio file (WAV at any rate, WMA, and whatever else
// FFmpeg decodes) into the intermediate 8 kHz 16-bit mono WAV file the encoder
// reads. The conversion runs on a thread of its own as fast as it can decode;
// its owner starts it, polls it with a wait of at most a millisecond and ends
// it. Also the duration probe, which measures a file without decoding it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace plova {

namespace media {
// Results of MediaConversion::start.
constexpr int kStarted = 0;
constexpr int kStartFailed = -1;
// Results of MediaConversion::poll.
constexpr int kRunning = 1;
constexpr int kCompleted = 0;
constexpr int kFailed = -1;
}  // namespace media

class MediaConversion {
public:
    MediaConversion();
    ~MediaConversion();  // ends a running conversion
    MediaConversion(const MediaConversion&) = delete;
    MediaConversion& operator=(const MediaConversion&) = delete;

    // Opens `input`, finds its audio and a decoder for it, creates `output`
    // (which must not exist yet) and starts converting to `channels`,
    // `samplesPerSecond` and 16 bits. media::kStarted, or kStartFailed with
    // everything released: the input cannot be opened or holds no audio FFmpeg
    // can decode, the output cannot be created, or the thread cannot start.
    // A `maxSeconds` above 0 makes a stream that decodes to more than a second
    // beyond it fail, whatever length its headers claimed.
    int Start(const std::filesystem::path& input, const std::filesystem::path& output, std::uint16_t channels,
              std::uint32_t samplesPerSecond, std::uint16_t bitsPerSample, double maxSeconds = 0);
    // Waits at most 1 ms. kRunning; kCompleted once the output file is finished
    // (sizes patched, file closed); kFailed when decoding or writing failed.
    // A finished conversion is released.
    int Poll();
    // Stops a running conversion and releases everything (the output file is
    // closed as it stands). Harmless when nothing runs.
    void End();

    [[nodiscard]] bool Exists() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The playing time of the file's best audio stream in microseconds, as
// FFmpeg states it from the headers (whole numbers, so 601.0 s compares as
// exactly 601 s); nothing when the file cannot be opened, holds no audio
// stream FFmpeg can decode or states no duration.
std::optional<std::int64_t> ProbeAudioMicroseconds(const std::filesystem::path& file);

}  // namespace plova
