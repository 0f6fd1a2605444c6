// The sequential WAV reader: finds the "data" chunk and then reads samples to
// the end of the file. The data chunk's size is not trusted: whatever follows
// the "data" identifier is read as samples, up to the end of the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "audio/WavFormat.h"

namespace plova {

class WavReader {
public:
    WavReader() = default;
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // False when the file cannot be opened or has no "data" identifier.
    bool Open(const std::filesystem::path& path);
    // Reads up to buffer.size() samples; the number read, 0 at the end, or -1
    // on a read error (the file is then closed).
    long Read(std::span<std::int16_t> buffer);
    void Close() { file_.reset(); }
    [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }

private:
    FilePtr file_;
};

}  // namespace plova
