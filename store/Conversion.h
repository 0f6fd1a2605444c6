// Conversion of a message's coded speech into the WAV file beside it, and the
// quick format test of a WAV file the user offers for import. Both run on the
// caller's thread; the conversion drives the decoder's worker and the
// progress window until the worker ends or the user cancels.
#pragma once

#include <cstdint>
#include <filesystem>

namespace plova::store {

// The most speech ConvertToWav takes: every 10 bytes become 160 bytes of
// samples, which the WAV file's 32-bit sizes must still describe.
constexpr std::uint64_t kMaxConvertibleSpeechBytes = (0xFFFFFFFFull - 36) / 16;

// Free bytes that converting `voiceBytes` of voice data to WAV needs: the WAV
// file is 16 times as large, counted in whole 4096-byte clusters with one to spare.
constexpr std::uint64_t SpaceToConvertToWav(std::uint64_t voiceBytes) {
    constexpr std::uint64_t kSpeechBytesPerCluster = 256;
    constexpr std::uint64_t kClusterBytes = 4096;
    return (voiceBytes / kSpeechBytesPerCluster + 1) * kClusterBytes;
}

// Decodes a voice-data file into the WAV file beside it (".vmdat" becomes
// ".wav"), with the bare speech and the growing WAV file under hidden
// temporary names beside it meanwhile; the WAV file takes its name only
// when complete. A link, pipe or folder at the ".wav" name fails the
// conversion and is left as it is. Drives the progress window "変換中" (else "ダウンロード中") and stops when the
// cancel flag is set. `levelSetting` is the "LEVELRVORWAV" value of section
// "CODEC" as the settings hold it; its low 8 bits are the gain in decibels.
// True when a complete WAV file now exists; false otherwise (also after a
// cancel: the caller tells the two apart by the cancel flag), with no
// temporary file and no ".wav" file left behind. The voice-data file is
// only read.
[[nodiscard]] bool ConvertToWav(const std::filesystem::path& voiceFile, int levelSetting);

// The file opens, is at most 9,830,400 bytes long and its header states
// PCM, 1 channel, 8000 Hz and 16 bits at the usual fixed offsets.
[[nodiscard]] bool CheckWavFormat(const std::filesystem::path& wavFile);

}  // namespace plova::store
