// The one WAV layout this program writes and reads: RIFF/WAVE with a 16-byte
// "fmt " chunk followed directly by the "data" chunk, 44 bytes of header in
// all. Also the two ways into an existing file: the chunk search (two bytes at
// a time, as every reader and writer here finds "fmt " and "data") and the
// header probe that reads the format behind the first "fmt ".
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/File.h"

namespace plova {

namespace wav {
constexpr std::size_t kHeaderBytes = 44;
constexpr std::uint32_t kRiffSizeOverData = 36;  // RIFF size = 36 + data size
constexpr std::uint32_t kFmtChunkSize = 16;
constexpr std::uint16_t kFormatPcm = 1;

// The format of every WAV file the decoder writes: 8000 Hz, 16-bit, mono.
constexpr std::uint16_t kChannels = 1;
constexpr std::uint32_t kSampleRate = 8000;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
constexpr std::uint32_t kBytesPerSecond = kSampleRate * kBlockAlign;

// Canonical offsets of the header fields.
constexpr std::size_t kRiffSizeAt = 4;
constexpr std::size_t kFormatTagAt = 20;
constexpr std::size_t kChannelsAt = 22;
constexpr std::size_t kSampleRateAt = 24;
constexpr std::size_t kBitsPerSampleAt = 34;
constexpr std::size_t kDataSizeAt = 40;

// The largest data size a 32-bit RIFF size can describe.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - kRiffSizeOverData;

using ChunkId = std::array<char, 4>;
constexpr ChunkId kRiff{'R', 'I', 'F', 'F'};
constexpr ChunkId kWave{'W', 'A', 'V', 'E'};
constexpr ChunkId kFmt{'f', 'm', 't', ' '};
constexpr ChunkId kData{'d', 'a', 't', 'a'};
}  // namespace wav

// The 20 bytes behind a "fmt " identifier: its chunk size and the PCM format.
struct WavFormat {
    std::uint32_t chunkSize = wav::kFmtChunkSize;
    std::uint16_t formatTag = wav::kFormatPcm;
    std::uint16_t channels = wav::kChannels;
    std::uint32_t samplesPerSecond = wav::kSampleRate;
    std::uint32_t bytesPerSecond = wav::kBytesPerSecond;
    std::uint16_t blockAlign = wav::kBlockAlign;
    std::uint16_t bitsPerSample = wav::kBitsPerSample;

    // PCM, 1 channel, 8000 samples per second, 16 bits: what the codec takes.
    [[nodiscard]] bool IsCodecFormat() const {
        return formatTag == wav::kFormatPcm && channels == wav::kChannels && samplesPerSecond == wav::kSampleRate &&
               bitsPerSample == wav::kBitsPerSample;
    }
};

// The 44-byte header for `dataBytes` bytes of samples in `format` (block
// align and bytes per second are derived from channels and bits, as the
// header always states them).
std::array<std::uint8_t, wav::kHeaderBytes> MakeWavHeader(std::uint32_t dataBytes,
                                                          const WavFormat& format = WavFormat{});

// Little-endian fields, whatever the host.
void PutLe16(std::uint8_t* at, std::uint16_t v);
void PutLe32(std::uint8_t* at, std::uint32_t v);
std::uint16_t GetLe16(const std::uint8_t* at);
std::uint32_t GetLe32(const std::uint8_t* at);

// Reads on from the current position two bytes at a time and stops just past
// the first place where the last four bytes read equal `id` (before the first
// pair, two zero bytes count as read). The identifier is therefore found only
// at an even distance from where the search began, and wherever it occurs,
// chunk boundaries or not. False when fewer than two bytes remain.
bool FindChunk(std::FILE* file, const wav::ChunkId& id);

// The header probe: the 20 bytes after the first "fmt " of the file. Nothing
// when the file cannot be opened, has no "fmt " or ends before the 20 bytes.
std::optional<WavFormat> ReadWavFormat(const std::filesystem::path& path);

}  // namespace plova
