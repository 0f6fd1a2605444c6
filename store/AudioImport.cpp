// Import of the user's audio into coded speech: the length check of a WMA
// file and the encoding of an audio copy, driven from the window's thread.
#include <chrono>
#include <system_error>

#include "audio/Level.h"
#include "audio/MediaConversion.h"
#include "audio/VoiceEncoder.h"
#include "audio/WorkerPoll.h"
#include "platform/File.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/AudioImport.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"
#include "store/ResponseMessage.h"

namespace plova {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::u16string_view kWav = u".wav";
constexpr std::u16string_view kWma = u".wma";
constexpr std::size_t kExtensionChars = 3;
constexpr std::intptr_t kBarStep = 4;
constexpr auto kPollPause = 1ms;
constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr double kMicrosPerSecond = 1e6;
constexpr std::int64_t kLengthUnitMillis = 100;
constexpr std::int64_t kMaxLengthUnits = 6000;  // 600.0 s in tenths

// Polls the encoder until it ends; 64 when all coded speech is written.
std::uint8_t pollEncoder(WindowHandle window) {
    return PollWorker(window, {EncodePoll, EncodeAbort, encoder::kEncoding, kBarStep, kPollPause});
}

}  // namespace

bool store::IsAudioLengthAccepted(std::int64_t millis) {
    return millis / kLengthUnitMillis <= kMaxLengthUnits;
}

bool store::CheckAudioLength(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return false;
    const auto micros = ProbeAudioMicroseconds(file);
    if (!micros) return false;
    return IsAudioLengthAccepted(*micros / kMicrosPerMilli);
}

store::AudioCheck store::CheckImportableAudio(const fs::path& file) {
    if (!OpenRegularFile(file, Access::Read)) return AudioCheck::Unreadable;
    const auto micros = ProbeAudioMicroseconds(file);
    if (!micros) return AudioCheck::NotAudio;
    if (static_cast<double>(*micros) / kMicrosPerSecond > response::kMaxImportSeconds) return AudioCheck::TooLong;
    return AudioCheck::Accepted;
}

bool store::ImportAudio(const fs::path& audioFile, std::u16string_view extension, const store::ImportLevels& levels,
                        const fs::path& intermediate) {
    int setting = 0;
    if (EqualsIgnoreCase(extension, kWav))
        setting = levels.wavSetting;
    else if (EqualsIgnoreCase(extension, kWma))
        setting = levels.wmaSetting;
    else
        return false;
    // The coded speech takes the copy's name with "vmdat" for its last three
    // characters: a name of three characters or less has no such companion.
    if (audioFile.filename().native().size() <= kExtensionChars) return false;
    const fs::path output = VoiceDataPathOf(audioFile);
    const WindowHandle window = CurrentPorts().progress->Find(std::u16string(response::kImportingCaption));

    const bool started = EncodeStart(audioFile, output, LevelFromSetting(setting), response::kMaxImportSeconds,
                                     intermediate) == encoder::kStarted;
    const std::uint8_t last = started ? pollEncoder(window) : encoder::kIdle;
    if (CancelRequested() || !started || last != encoder::kFinished) {
        store::RemoveFile(output);
        store::RemoveFile(audioFile);
        return false;
    }
    return true;
}

}  // namespace plova
