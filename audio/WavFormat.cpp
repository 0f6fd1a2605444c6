#include "audio/WavFormat.h"

#include <cstring>

namespace plova {

void PutLe16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t GetLe16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t GetLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::array<std::uint8_t, wav::kHeaderBytes> MakeWavHeader(std::uint32_t dataBytes, const WavFormat& format) {
    std::array<std::uint8_t, wav::kHeaderBytes> h{};
    const auto id = [&](std::size_t at, const wav::ChunkId& c) { std::memcpy(h.data() + at, c.data(), 4); };
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(format.channels * format.bitsPerSample / 8);
    id(0, wav::kRiff);
    PutLe32(&h[wav::kRiffSizeAt], wav::kRiffSizeOverData + dataBytes);
    id(8, wav::kWave);
    id(12, wav::kFmt);
    PutLe32(&h[16], wav::kFmtChunkSize);
    PutLe16(&h[wav::kFormatTagAt], format.formatTag);
    PutLe16(&h[wav::kChannelsAt], format.channels);
    PutLe32(&h[wav::kSampleRateAt], format.samplesPerSecond);
    PutLe32(&h[28], blockAlign * format.samplesPerSecond);
    PutLe16(&h[32], blockAlign);
    PutLe16(&h[wav::kBitsPerSampleAt], format.bitsPerSample);
    id(36, wav::kData);
    PutLe32(&h[wav::kDataSizeAt], dataBytes);
    return h;
}

bool FindChunk(std::FILE* file, const wav::ChunkId& id) {
    char last[4] = {0, 0, 0, 0};
    for (;;) {
        const int a = std::getc(file);
        if (a == EOF) return false;
        const int b = std::getc(file);
        if (b == EOF) return false;
        last[0] = last[2];
        last[1] = last[3];
        last[2] = static_cast<char>(a);
        last[3] = static_cast<char>(b);
        if (std::memcmp(last, id.data(), 4) == 0) return true;
    }
}

std::optional<WavFormat> ReadWavFormat(const std::filesystem::path& path) {
    FilePtr f = OpenFileStream(path, Access::Read);
    if (!f || !FindChunk(f.get(), wav::kFmt)) return std::nullopt;
    std::uint8_t b[20];
    if (std::fread(b, 1, sizeof b, f.get()) != sizeof b) return std::nullopt;
    WavFormat fmt;
    fmt.chunkSize = GetLe32(b);
    fmt.formatTag = GetLe16(b + 4);
    fmt.channels = GetLe16(b + 6);
    fmt.samplesPerSecond = GetLe32(b + 8);
    fmt.bytesPerSecond = GetLe32(b + 12);
    fmt.blockAlign = GetLe16(b + 16);
    fmt.bitsPerSample = GetLe16(b + 18);
    return fmt;
}

}  // namespace plova
