// Voice conversion of message files: a ".vmdat" into the WAV file beside it,
// and the quick format test of a WAV file the user offers for import.
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "audio/Level.h"
#include "audio/VoiceDecoder.h"
#include "audio/WavFormat.h"
#include "audio/WorkerPoll.h"
#include "platform/File.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/FileOps.h"
#include "store/RecordingBlock.h"

namespace plova {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::u16string_view kConvertingCaption = u"変換中";
constexpr std::u16string_view kDownloadingCaption = u"ダウンロード中";

constexpr std::u16string_view kWavExtension = u".wav";

constexpr int kStartAttempts = 3;
constexpr auto kRetryPause = 5ms;
constexpr std::intptr_t kBarStep = 1;
constexpr auto kPollPause = 2ms;
constexpr std::uint64_t kBytesPerSecondOfSpeech = 1000;

constexpr std::uint64_t kMaxSpeechBytes = store::kMaxConvertibleSpeechBytes;
static_assert(kMaxSpeechBytes == wav::kMaxDataBytes / 16);

constexpr std::uintmax_t kMaxImportWavBytes = 9'830'400;  // 614.4 s of 8 kHz 16-bit mono
constexpr std::size_t kHeaderProbeBytes = 128;

constexpr std::size_t kCopyChunk = std::size_t{64} * 1024;

using store::CollapseDoubledSeparators;
using store::RemoveFile;

fs::path withExtension(fs::path path, std::u16string_view extension) {
    return path.replace_extension(fs::path(std::u16string(extension)));
}

// The speech behind the record and block, copied into the temporary file
// `out`, which this closes. False when it cannot be written.
bool copySpeech(std::FILE* voice, FileHandle&& out) {
    FilePtr stream = StreamOf(std::move(out), "wb");
    if (!stream) return false;
    std::array<char, kCopyChunk> buffer;
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), voice);
        if (got != 0 && std::fwrite(buffer.data(), 1, got, stream.get()) != got) ok = false;
        if (!ok || got < buffer.size()) {
            if (std::ferror(voice)) ok = false;
            break;
        }
    }
    return std::fclose(stream.release()) == 0 && ok;
}

// Something the user put at the WAV file's name that is not an earlier WAV
// file: a link (to the message itself, perhaps), a pipe, a folder. It is
// neither written through nor replaced.
bool somethingElseAt(const fs::path& path) {
    const fs::file_type type = EntryType(path);
    // none and unknown: nothing could be told of the name.
    return type != fs::file_type::not_found && type != fs::file_type::regular && type != fs::file_type::none &&
           type != fs::file_type::unknown;
}

// The temporary files of one conversion, removed unless handed on.
struct ConversionFiles {
    std::optional<TempFile> speech;
    std::optional<TempFile> wav;
    ~ConversionFiles() {
        for (auto* t : {&speech, &wav}) {
            if (!*t) continue;
            std::error_code ec;
            fs::remove((*t)->path, ec);
        }
    }
};

// Whatever lies behind the first 1246 bytes would decode to some sound; only a
// file that carries the main unit's block is taken for a message.
bool hasBlockMagic(std::FILE* voice) {
    std::array<char, block::kMagicSize> magic{};
    return fseeko(voice, static_cast<off_t>(store::kBlockOffset + block::kMagicOffset), SEEK_SET) == 0 &&
           std::fread(magic.data(), 1, magic.size(), voice) == magic.size() &&
           std::string_view(magic.data(), magic.size()) == block::kMagic;
}

int startDecoder(const fs::path& tmp, const fs::path& wavPath, std::int8_t level) {
    int result = decoder::kBusy;
    for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
        result = DecodeStart(tmp, wavPath, level);
        if (result == decoder::kStarted || CancelRequested() || attempt == kStartAttempts) break;
        // A decoding left over from an earlier caller holds the decoder: stop it.
        DecodeAbort();
        std::this_thread::sleep_for(kRetryPause);
    }
    return result;
}

// Polls the decoder until it ends; 64 when the WAV file is complete.
std::uint8_t pollDecoder(WindowHandle window) {
    return PollWorker(window, {DecodePoll, DecodeAbort, decoder::kDecoding, kBarStep, kPollPause});
}

}  // namespace

bool store::ConvertToWav(const fs::path& voiceFile, int levelSetting) {
    const fs::path voicePath = CollapseDoubledSeparators(voiceFile);
    // Only a ".vmdat" has a ".wav" of its own; any other name would have the
    // decoder replace the voice-data file itself.
    if (!EqualsIgnoreCase(voicePath.extension().u16string(), store::kVmdat)) return false;
    const fs::path wavPath = withExtension(voicePath, kWavExtension);
    if (somethingElseAt(wavPath)) return false;
    const fs::path folder = voicePath.has_parent_path() ? voicePath.parent_path() : fs::path(".");

    // The bare speech and the WAV file being written live under fresh hidden
    // names of their own, created exclusively: nothing already in the folder is
    // opened for writing, two conversions of one message never share a file,
    // and only a complete WAV file ever appears under the ".wav" name.
    ConversionFiles temps;
    std::uint64_t speechBytes = 0;
    WindowHandle window = 0;
    {
        FilePtr voice = OpenFileStream(voicePath, Access::Read);
        if (!voice || std::fseek(voice.get(), 0, SEEK_END) != 0) return false;
        const long long length = ftello(voice.get());
        if (length < 0 || static_cast<std::uint64_t>(length) < store::kMinMessageFileSize) return false;
        speechBytes = static_cast<std::uint64_t>(length) - store::kMinMessageFileSize;
        if (speechBytes > kMaxSpeechBytes || !hasBlockMagic(voice.get())) return false;
        if (fseeko(voice.get(), static_cast<off_t>(store::kMinMessageFileSize), SEEK_SET) != 0) return false;

        Progress& progress = *CurrentPorts().progress;
        window = progress.Find(std::u16string(kConvertingCaption));
        if (window == 0) window = progress.Find(std::u16string(kDownloadingCaption));
        progress.Post(window, msg::kBarRange, static_cast<std::intptr_t>(speechBytes / kBytesPerSecondOfSpeech), 0);

        temps.speech = CreateTempFile(folder);
        if (!temps.speech || !copySpeech(voice.get(), std::move(temps.speech->handle))) return false;
        temps.wav = CreateTempFile(folder);
        // The finished WAV file gets the permissions of any new file.
        if (!temps.wav || !temps.wav->handle.SetPermissions(UsualFileMode())) return false;
        temps.wav->handle.Close();
    }

    const bool started =
        startDecoder(temps.speech->path, temps.wav->path, LevelFromSetting(levelSetting)) == decoder::kStarted;
    const std::uint8_t last = started ? pollDecoder(window) : decoder::kIdle;
    const bool complete = !CancelRequested() && started && last == decoder::kFinished;
    if (complete && !somethingElseAt(wavPath) && RenameReplacing(temps.wav->path, wavPath)) {
        temps.wav.reset();
        return true;
    }
    // A failed conversion leaves no WAV file, not even an earlier one that
    // would now pass for its result; anything but a plain file stays.
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(wavPath, ec))) fs::remove(wavPath, ec);
    return false;
}

bool store::CheckWavFormat(const fs::path& wavFile) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(wavFile, ec);
    if (ec || size > kMaxImportWavBytes) return false;
    FilePtr f = OpenFileStream(wavFile, Access::Read);
    if (!f) return false;
    std::array<std::uint8_t, kHeaderProbeBytes> head{};
    const std::size_t got = std::fread(head.data(), 1, head.size(), f.get());
    if (got < wav::kBitsPerSampleAt + 2) return false;
    // The fields at their canonical offsets, whatever chunks the file really has.
    WavFormat stated;
    stated.formatTag = GetLe16(&head[wav::kFormatTagAt]);
    stated.channels = GetLe16(&head[wav::kChannelsAt]);
    stated.samplesPerSecond = GetLe32(&head[wav::kSampleRateAt]);
    stated.bitsPerSample = GetLe16(&head[wav::kBitsPerSampleAt]);
    return stated.IsCodecFormat();
}

}  // namespace plova
