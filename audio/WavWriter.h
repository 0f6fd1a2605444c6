// The streaming WAV writer: begin a file with an empty 44-byte header, append
// samples as they are decoded, and finish by patching the two sizes. One file
// at a time per writer. Every step returns 0 on success, non-zero on failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "audio/WavFormat.h"

namespace plova {

class WavWriter {
public:
    // The decoder drives the writer through one call with a mode.
    enum Mode : std::uint8_t {
        kBeginAppend = 0,  // begin `path`, then append
        kAppend = 1,
        kFinish = 255,  // append (often nothing), then finish
    };

    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates the file (replacing the content of a regular file of that name;
    // a link, a pipe or a file with a second name is refused), writes the
    // header with RIFF size 36 and data size 0 and stands just behind the
    // "data" size.
    int Begin(const std::filesystem::path& path);
    // Writes the samples little-endian at the end. A failure closes the file
    // (and the later finish fails too; the header keeps 36 and 0).
    int Append(std::span<const std::int16_t> samples);
    // Appends, then writes RIFF size = 2·count + 36 and data size = 2·count
    // and closes. Fails when no file is open.
    int Finish(std::span<const std::int16_t> samples = {});
    int Write(std::uint8_t mode, const std::filesystem::path& path, std::span<const std::int16_t> samples);

    // Closes the file as it stands, without patching the sizes.
    void Abandon();

    [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
    [[nodiscard]] std::uint32_t SampleCount() const { return count_; }

private:
    std::filesystem::path path_;
    std::unique_ptr<char[]> buffer_;  // before file_: the stream uses it until it is closed
    FilePtr file_;
    std::uint32_t count_ = 0;
};

}  // namespace plova
