#include "store/ResponseMessage.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "audio/MediaConversion.h"
#include "audio/WavFormat.h"
#include "oplog/OperationLog.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "store/AudioImport.h"
#include "store/Conversion.h"
#include "store/FileOps.h"
#include "store/RecordingBlock.h"

namespace plova {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::u16string_view kWav = u".wav";
constexpr std::u16string_view kWma = u".wma";
constexpr std::u16string_view kConvertedExtension = u".WAV";
constexpr std::size_t kReplacedChars = 3;  // "WAV" of "X.WAV" gives way to "vmdat"
constexpr std::u16string_view kVoiceDataTail = u"vmdat";
constexpr int kOpeningPumps = 102;  // the progress dialog gets this many messages to paint itself
constexpr auto kConversionPause = 1ms;
// Far beyond 601 s of coded speech (1000 bytes a second): anything longer is not ours.
constexpr std::uintmax_t kMaxSpeechBytes = 16u << 20;
constexpr std::size_t kCopyChunk = std::size_t{64} * 1024;

std::u16string upper(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}

std::string threeDigits(int number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return digits;
}

bool readSpeech(const fs::path& file, std::string& speech) {
    return ReadWholeFile(file, speech, kMaxSpeechBytes, Links::Refuse) == ReadResult::Ok;
}

bool isWavOrWma(std::u16string_view extension) {
    return EqualsIgnoreCase(extension, kWav) || EqualsIgnoreCase(extension, kWma);
}

// The source as an 8 kHz 16-bit mono WAV file at `copy`, converted while the
// progress window stays live. False (nothing left at `copy`) when it fails or
// is cancelled.
bool convertSource(const fs::path& source, const fs::path& copy) {
    MediaConversion conversion;
    bool ok = conversion.Start(source, copy, wav::kChannels, wav::kSampleRate, wav::kBitsPerSample,
                               response::kMaxImportSeconds) == media::kStarted;
    while (ok) {
        PumpOne();
        if (CancelRequested()) {
            ok = false;
            break;
        }
        const int polled = conversion.Poll();
        if (polled == media::kCompleted) break;
        if (polled == media::kFailed) ok = false;
        if (polled == media::kRunning) std::this_thread::sleep_for(kConversionPause);
    }
    conversion.End();
    if (!ok) store::RemoveFile(copy);
    return ok;
}

// The source's bytes into `copy`, a file this import has just made, which
// this closes. The copy becomes the message's audio file: it gets the
// permissions of any new file. False (nothing left at `copy`) when it fails.
bool copySource(const fs::path& source, TempFile& copy) {
    const FileHandle in = OpenRegularFile(source, Access::Read);
    std::vector<char> chunk(kCopyChunk);
    bool ok = in.IsOpen() && copy.handle.SetPermissions(UsualFileMode());
    for (std::uint64_t at = 0; ok;) {
        const std::optional<std::size_t> got = in.ReadAt(at, chunk.data(), chunk.size());
        if (!got) ok = false;
        if (!ok || *got == 0) break;
        ok = copy.handle.WriteAll(chunk.data(), *got);
        at += *got;
    }
    ok = copy.handle.CloseChecked() && ok;
    if (!ok) store::RemoveFile(copy.path);
    return ok;
}

// A passing name for the audio copy in `folder`: a temporary name of its
// own, nobody can guess, ending in the copy's name (so the voice-data file
// made beside it has a passing name too). Made here when `create` is set;
// else left for the conversion, which makes it exclusively. Empty when none.
fs::path makeStagedCopy(const fs::path& folder, std::u16string_view name, std::optional<TempFile>& made, bool create) {
    const std::string tail = "-" + ToUtf8(name);
    if (!create) return NewTempPath(folder, tail);
    made = CreateTempFile(folder, tail);
    return made ? made->path : fs::path();
}

// Free room for a file of `size` bytes in whole 4 KiB units, one more than it fills.
bool hasRoomFor(const fs::path& folder, std::uintmax_t size) {
    return CurrentPorts().disk->FreeBytes(folder) >= (size / response::kSpaceUnit + 1) * response::kSpaceUnit;
}

bool passesWindowFormatCheck(const fs::path& source, std::u16string_view extension) {
    if (EqualsIgnoreCase(extension, kWav)) return store::CheckWavFormat(source);
    if (EqualsIgnoreCase(extension, kWma)) return store::CheckAudioLength(source);
    return false;
}

AddResult fail(AddMessageWindow& window, AddResult result, bool tell) {
    window.Close();
    if (tell && !CancelRequested())
        ShowPrompt(std::u16string(response::kUnsupported), std::u16string(response::kErrorCaption), Icon::Exclamation);
    return CancelRequested() ? AddResult::Cancelled : result;
}

}  // namespace

std::u16string NewResponseMessageName(const LocalTime& t, int number, std::u16string_view extension) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d_%s_A%03d_0000", t.year, t.month, t.day, t.hour, t.minute,
                  kWeekdays[std::clamp(t.dayOfWeek, 0, 6)], number);
    return upper(FromUtf8(stamp) + std::u16string(extension));
}

fs::path VoiceDataPathOf(const fs::path& audioCopy) {
    std::u16string name = audioCopy.filename().u16string();
    name.resize(name.size() > kReplacedChars ? name.size() - kReplacedChars : 0);
    return audioCopy.parent_path() / (name + std::u16string(kVoiceDataTail));
}

std::u16string OverwriteQuestion(int number) {
    return u"メッセージ" + FromUtf8(threeDigits(number)) + u"は既に存在します。\n上書きしますか？";
}

bool ConfirmOverwrite(int number) {
    return ShowPrompt(OverwriteQuestion(number), std::u16string(response::kOverwriteCaption), Icon::Exclamation,
                      Buttons::YesNo) == Answer::Yes;
}

store::RecordWrite WrapResponseMessage(const fs::path& voiceFile, int number, const LocalTime& time) {
    std::string speech;
    if (!readSpeech(voiceFile, speech)) return store::RecordWrite::Failed;
    // Whole tenths only: a partial 100 ms at the end, the encoder's 2-byte fill
    // among it, is dropped.
    const std::uint64_t tenths = speech.size() / response::kBytesPerTenth;
    speech.resize(static_cast<std::size_t>(tenths * response::kBytesPerTenth));

    RecordingBlock fields;
    fields.dateText = MakeBlockDate(time);
    fields.recordingTenths = static_cast<std::uint32_t>(tenths);
    fields.boxNumber = static_cast<std::uint16_t>(number);
    fields.boxDigits = threeDigits(number);
    const BlockBytes blockBytes = BuildBlock(fields);

    FILESTS_INFO record;
    record.boxNumber = FromUtf8(threeDigits(number));
    record.recordingTime = CFileMng::FormatRecordingTime(static_cast<std::uint32_t>(tenths));
    const StatusRecordBytes recordBytes = record.ToBytes();

    AtomicFile out(voiceFile);
    const bool ok = out.Write(recordBytes.data(), recordBytes.size()) &&
                    out.Write(blockBytes.data(), blockBytes.size()) && out.Write(speech) && out.Commit();
    return ok ? store::RecordWrite::Written : store::RecordWrite::Failed;
}

namespace {

AddResult addMessage(const AddMessageRequest& request, AddMessageWindow& window, fs::path* created) {
    CurrentPorts().cancel->Clear();
    const fs::path target = request.boxFolder / fs::path(std::u16string(store::kResponseFolder));
    std::error_code ec;
    if (fs::is_directory(request.boxFolder, ec) && !fs::exists(target, ec)) fs::create_directory(target, ec);

    // The chosen file: a regular file that opens (a pipe would hang the window).
    const FileHandle opened = OpenRegularFile(request.source, Access::Read);
    const std::optional<std::uint64_t> measured = opened ? opened.Size() : std::nullopt;
    if (!measured) return AddResult::NotOpened;
    const std::uintmax_t size = *measured;
    if (!hasRoomFor(target, size)) {
        ShowPrompt(std::u16string(response::kNoRoom), std::u16string(response::kErrorCaption), Icon::Exclamation);
        return AddResult::NoSpace;
    }
    const std::u16string sourceExtension = request.source.extension().u16string();
    const bool keepsSource = isWavOrWma(sourceExtension);
    // What passes the format check takes its path as it always has; any other
    // audio only when asked for. Asked for, audio longer than the encoder
    // takes is said so before anything is copied, whatever its format.
    const bool checkedFormat = keepsSource && passesWindowFormatCheck(request.source, sourceExtension);
    store::AudioCheck check = checkedFormat ? store::AudioCheck::Accepted : store::AudioCheck::NotAudio;
    if (request.anyAudio) {
        const store::AudioCheck any = store::CheckImportableAudio(request.source);
        if (any == store::AudioCheck::TooLong || !checkedFormat) check = any;
    }
    if (check != store::AudioCheck::Accepted) {
        const std::u16string_view why =
            check == store::AudioCheck::TooLong ? response::kTooLong : response::kUnsupported;
        ShowPrompt(std::u16string(why), std::u16string(response::kErrorCaption), Icon::Exclamation);
        return AddResult::RefusedFormat;
    }

    window.Open(size);
    for (int i = 0; i < kOpeningPumps; ++i) PumpOne();

    const LocalTime now = CurrentPorts().clock->Now();
    const std::u16string extension = keepsSource ? sourceExtension : std::u16string(kConvertedExtension);
    const std::u16string name = NewResponseMessageName(now, request.number, extension);
    const fs::path finalCopy = target / name;
    const fs::path finalVoice = VoiceDataPathOf(finalCopy);
    // Passing names: an older message of the same number and minute keeps its
    // files until the new ones are complete. Temporary names nobody can guess,
    // made exclusively, so nothing planted in the folder is written through,
    // and what a killed import leaves is swept at the next start.
    std::optional<TempFile> made;
    const fs::path stagedCopy = makeStagedCopy(target, name, made, keepsSource);
    const fs::path stagedVoice = VoiceDataPathOf(stagedCopy);

    const bool copied = !stagedCopy.empty() &&
                        (keepsSource ? copySource(request.source, *made) : convertSource(request.source, stagedCopy));
    if (!copied) return fail(window, AddResult::ImportFailed, true);

    window.Converting();
    // A converted source is no longer a WAV file of the user's: it takes the level of every other import.
    store::ImportLevels levels = request.levels;
    if (!keepsSource || !EqualsIgnoreCase(sourceExtension, kWav)) levels.wavSetting = levels.wmaSetting;
    if (!store::ImportAudio(stagedCopy, keepsSource ? sourceExtension : std::u16string(kWav), levels,
                            request.intermediate)) {
        store::RemoveFile(stagedVoice);
        return fail(window, AddResult::ImportFailed, true);
    }

    const auto discardStaged = [&] {
        store::RemoveFile(stagedVoice);
        store::RemoveFile(stagedCopy);
    };
    if (WrapResponseMessage(stagedVoice, request.number, now) != store::RecordWrite::Written) {
        discardStaged();
        return fail(window, AddResult::WrapFailed, false);
    }
    // The message first: once it is in place the new message exists, and a copy
    // that cannot follow only costs its WAV file, which Convert makes again.
    fs::rename(stagedVoice, finalVoice, ec);
    if (ec) {
        discardStaged();
        return fail(window, AddResult::WrapFailed, false);
    }
    fs::rename(stagedCopy, finalCopy, ec);
    const bool copyPlaced = !ec;
    if (!copyPlaced) store::RemoveFile(stagedCopy);

    if (!request.oldPath.empty()) {
        const fs::path old = store::CollapseDoubledSeparators(request.oldPath);
        if (old != finalVoice) store::RemoveMessageAndAudioCopies(old);
    }
    // A message of the same number made in the same minute had this very name:
    // an audio copy of its other kind would pass for the new message's.
    store::RemoveAudioCopies(finalVoice, copyPlaced ? finalCopy : fs::path());
    window.Close();
    ShowPrompt(std::u16string(response::kDoneText), std::u16string(response::kDoneCaption), Icon::Information);
    if (created) *created = finalVoice;
    return AddResult::Added;
}

std::string addResultText(AddResult result) {
    switch (result) {
    case AddResult::Added: return {};
    case AddResult::NotOpened: return "the audio file cannot be opened";
    case AddResult::NoSpace: return "not enough free disk space";
    case AddResult::RefusedFormat: return "not audio the program takes, or too long";
    case AddResult::ImportFailed: return "the audio could not be converted";
    case AddResult::WrapFailed: return "the message file could not be written";
    case AddResult::Cancelled: return "cancelled";
    }
    return "not added";
}

}  // namespace

AddResult AddResponseMessage(const AddMessageRequest& request, AddMessageWindow& window, fs::path* created) {
    fs::path made;
    const AddResult result = addMessage(request, window, &made);
    if (created && result == AddResult::Added) *created = made;
    oplog::Operation log("response-add", request.boxFolder,
                         "message " + std::to_string(request.number) + " from " + Utf8Of(request.source.filename()));
    if (result == AddResult::Added) {
        log.Add(made, oplog::Outcome::Done,
                request.oldPath.empty() ? std::string() : "replaces " + Utf8Of(request.oldPath.filename()));
    } else if (CancelRequested()) {
        log.Finish(oplog::Result::Cancelled);
    } else {
        log.Add(request.source, oplog::Outcome::Failed, addResultText(result));
    }
    return result;
}

}  // namespace plova
