// The renderer at the end of a media conversion: it writes the intermediate
// WAV file the encoder reads. The 44-byte header goes first with the format
// of the connection and sizes for no data; samples are appended unchanged as
// they come; when the stream stops the two sizes are patched in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "audio/WavFormat.h"
#include "platform/File.h"

namespace plova {

class WaveRenderer {
public:
    WaveRenderer() = default;
    ~WaveRenderer();  // closes without patching
    WaveRenderer(const WaveRenderer&) = delete;
    WaveRenderer& operator=(const WaveRenderer&) = delete;

    // Creates `path`, which must not exist yet: whatever is there already (a
    // file, a link, a pipe) is refused, never opened. False when it cannot be
    // created.
    bool Create(const std::filesystem::path& path);
    // Writes the header: format tag 1 with the connection's channels, rate and
    // bits, RIFF size count + 36 and data size count (36 and 0 when fresh).
    bool BeginStream(std::uint16_t channels, std::uint32_t samplesPerSecond, std::uint16_t bitsPerSample);
    // Appends the bytes as they are and counts them. A failed write closes the file.
    bool Receive(const void* bytes, std::size_t length);
    // Writes RIFF size (count + 36) at offset 4 and data size (count) at
    // offset 40, then closes. False when either write or the close fails.
    bool EndStream();

    [[nodiscard]] std::uint32_t BytesWritten() const { return count_; }
    [[nodiscard]] bool IsOpen() const { return file_.IsOpen(); }

private:
    bool writeAt(std::uint64_t offset, const void* bytes, std::size_t length);
    void close();

    FileHandle file_;
    std::uint32_t count_ = 0;
    std::uint64_t end_ = 0;
};

}  // namespace plova
