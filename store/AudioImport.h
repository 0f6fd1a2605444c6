// Import of the user's audio into coded speech: the length check of an audio
// file and the encoding of an audio copy, which drives the encoder's worker
// and the progress window from the caller's thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace plova::store {

// The level settings of an import ("LEVELRVWAVOR" and "LEVELRVWMAOR" of
// section "CODEC", as the settings hold them; the low 8 bits are decibels).
struct ImportLevels {
    int wavSetting = 0;
    int wmaSetting = 0;
};

// Encodes an audio copy made in the system-response folder into the coded
// speech beside it (its last three characters replaced by "vmdat"),
// driving the progress window "取り込み中" and stopping when the cancel
// flag is set. `extension` picks the level: ".wav" the WAV setting, ".wma"
// the other, compared without regard to case; any other fails at once.
// The playing time may be at most 601 s. False on failure or a cancel,
// with both the coded speech and the audio copy deleted. `intermediate` names
// the intermediate WAV file (empty: "wave_tmp.wav" in the scratch folder).
[[nodiscard]] bool ImportAudio(const std::filesystem::path& audioFile, std::u16string_view extension,
                               const ImportLevels& levels, const std::filesystem::path& intermediate = {});

// Whether a file can be imported as any audio: it can be read, FFmpeg finds
// audio in it, and it plays for at most as long as the encoder takes.
enum class [[nodiscard]] AudioCheck{Accepted, Unreadable, NotAudio, TooLong};
AudioCheck CheckImportableAudio(const std::filesystem::path& file);

// The file's playing time is below 600.1 s; false when longer or when it
// cannot be measured.
[[nodiscard]] bool CheckAudioLength(const std::filesystem::path& file);

// The rule of CheckAudioLength on a length in milliseconds: ⌊ms ÷ 100⌋ ≤ 6000.
[[nodiscard]] bool IsAudioLengthAccepted(std::int64_t millis);

}  // namespace plova::store
