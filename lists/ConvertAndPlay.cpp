#include "lists/ConvertAndPlay.h"

#include <optional>
#include <string>
#include <system_error>

#include "platform/File.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

using namespace convert;

void showError(std::u16string_view text) {
    ShowPrompt(std::u16string(text), std::u16string(kErrorCaption), Icon::Exclamation);
}

void showDone(std::u16string_view text) {
    ShowPrompt(std::u16string(text), std::u16string(kDoneCaption), Icon::Information);
}

// Only the recording information is on the disk.
bool isInfoOnlyPath(const fs::path& p) {
    return EqualsIgnoreCase(p.extension().u16string(), store::kVminf);
}

bool isPlainFile(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

// The size of the voice-data file, or nothing when it cannot be opened.
std::optional<std::uint64_t> openedSize(const fs::path& p) {
    if (p.empty()) return std::nullopt;
    const FileHandle file = OpenRegularFile(p, Access::Read);
    if (!file) return std::nullopt;
    return file.Size();
}

bool enoughSpaceFor(const fs::path& p, std::uint64_t fileBytes) {
    return CurrentPorts().disk->FreeBytes(p) >= store::SpaceToConvertToWav(fileBytes);
}

void post(int message, std::intptr_t wparam) {
    Progress& progress = *CurrentPorts().progress;
    progress.Post(progress.Find(std::u16string(kDialogCaption)), message, wparam, 0);
}

// What the rows turned out to be.
struct Marks {
    bool notDownloaded = false;
    bool erased = false;
    bool outOfSpace = false;
    bool failed = false;
    [[nodiscard]] bool Any() const { return notDownloaded || erased || outOfSpace || failed; }
};

Marks preScan(const std::vector<FILESTS_INFO>& rows) {
    Marks marks;
    for (const FILESTS_INFO& r : rows) {
        const fs::path p = r.Path();
        const bool exists = isPlainFile(p);
        if (exists && r.downloadState == kInfoOnly)
            marks.notDownloaded = true;
        else if (exists && !isInfoOnlyPath(p))
            continue;
        else if (!p.empty())
            // A row of the response list without a message has no path at
            // all; any other missing or information-only file has lost its
            // voice data.
            marks.erased = true;
    }
    return marks;
}

void showResults(const Marks& marks, int converted) {
    if (converted == 0) {
        if (marks.notDownloaded) showError(kNotDownloaded);
        if (marks.erased) showError(kErased);
        if (marks.outOfSpace) showError(kNoSpace);
        if (marks.failed) showError(kFailed);
    } else {
        if (marks.notDownloaded || marks.erased) showDone(kSomeNoSource);
        if (marks.outOfSpace) showDone(kSomeNoSpace);
        if (marks.failed) showDone(kSomeFailed);
    }
    if (!marks.Any()) showDone(kAllDone);
}

// A single message is checked before the window opens; false when it is not
// to be converted (its error has been shown, if it has one).
bool singleMessageConvertible(const FILESTS_INFO& row, const Marks& marks, ConvertEnd& end) {
    end = ConvertEnd::Refused;
    if (marks.notDownloaded) {
        showError(kNotDownloaded);
        return false;
    }
    if (marks.erased) {
        showError(kErased);
        return false;
    }
    const fs::path p = row.Path();
    if (p.empty()) {
        end = ConvertEnd::Nothing;
        return false;
    }
    const std::optional<std::uint64_t> size = openedSize(p);
    if (!size) {
        // There, but not readable: saying nothing would look like success.
        showError(kFailed);
        return false;
    }
    if (!enoughSpaceFor(p, *size)) {
        showError(kNoSpace);
        return false;
    }
    return true;
}

// Keeps the main window disabled for the life of a command.
class DisabledMainWindow {
public:
    explicit DisabledMainWindow(ConversionHost& host) : host_(host) { host_.EnableMainWindow(false); }
    ~DisabledMainWindow() { host_.EnableMainWindow(true); }
    DisabledMainWindow(const DisabledMainWindow&) = delete;
    DisabledMainWindow& operator=(const DisabledMainWindow&) = delete;

private:
    ConversionHost& host_;
};

}  // namespace

fs::path WavFileOf(const fs::path& messageFile) {
    for (const fs::path& wav : store::WavFilesOf(messageFile))
        if (isPlainFile(wav)) return wav;
    fs::path wav = messageFile;
    return wav.replace_extension(".wav");
}

bool WavFileExists(const fs::path& messageFile) {
    return isPlainFile(WavFileOf(messageFile));
}

ConvertSummary ConvertSelected(const std::vector<FILESTS_INFO>& rows, int levelSetting, ConversionHost& host) {
    ConvertSummary summary;
    if (rows.empty()) return summary;
    DisabledMainWindow disabled(host);
    CurrentPorts().cancel->Clear();
    const int total = static_cast<int>(rows.size());
    Marks marks = preScan(rows);
    if (total == 1 && !singleMessageConvertible(rows.front(), marks, summary.end)) return summary;

    host.OpenConvertDialog(total);
    for (const FILESTS_INFO& r : rows) {
        if (CancelRequested()) break;
        const fs::path p = r.Path();
        if (r.downloadState == kInfoOnly || isInfoOnlyPath(p) || !isPlainFile(p)) {
            // Nothing to convert: the pre-scan has noted why, unless the file
            // went while the window was busy.
            if (!p.empty() && !isPlainFile(p)) marks.erased = true;
            post(msg::kBarPosition, kBarFull);
            post(msg::kNextItem, 0);
            PumpOne();
            continue;
        }
        if (WavFileExists(p)) {
            // Converted before; the counter still moves on to the next message.
            post(msg::kNextItem, 0);
            post(msg::kBarPosition, kBarFull);
        } else {
            post(msg::kNextItem, 0);
            post(msg::kBarPosition, 0);
            PumpOne();
            const std::optional<std::uint64_t> size = openedSize(p);
            if (!size) {
                marks.failed = true;
                continue;
            }
            if (!enoughSpaceFor(p, *size)) {
                marks.outOfSpace = true;
                break;
            }
            if (!store::ConvertToWav(p, levelSetting)) {
                if (CancelRequested()) break;
                marks.failed = true;
                continue;
            }
            ++summary.converted;
            post(msg::kBarPosition, kBarFull);
        }
        if (host.BackupBreaksIn()) {
            host.CloseConvertDialog();
            summary.end = ConvertEnd::ForBackup;
            return summary;
        }
        PumpOne();
    }
    host.CloseConvertDialog();
    if (CancelRequested()) {
        summary.end = ConvertEnd::Cancelled;
    } else {
        // A failed conversion is marked, so no mark also means the last one worked.
        showResults(marks, summary.converted);
        summary.end = ConvertEnd::Completed;
    }
    host.ActivateMainWindow();
    return summary;
}

PlayResult PlayCurrent(const FILESTS_INFO& record, const PlaySettings& settings, ConversionHost& host) {
    const fs::path p = record.Path();
    CurrentPorts().cancel->Clear();
    if (isInfoOnlyPath(p)) {
        showError(kNotDownloadedOneLine);
        return PlayResult::NotPlayed;
    }
    if (p.empty()) return PlayResult::NoFile;

    if (!WavFileExists(p)) {
        if (!isPlainFile(p)) {
            showError(kErased);
            return PlayResult::NotPlayed;
        }
        const std::optional<std::uint64_t> size = openedSize(p);
        if (!size) return PlayResult::NotPlayed;
        if (!enoughSpaceFor(p, *size)) {
            showError(kNoSpace);
            return PlayResult::NotPlayed;
        }
        bool converted = false;
        {
            DisabledMainWindow disabled(host);
            host.OpenConvertDialog(1);
            post(msg::kNextItem, 0);
            for (int i = 0; i < kPlayOpeningPumps; ++i) PumpOne();
            converted = store::ConvertToWav(p, settings.levelSetting);
            host.CloseConvertDialog();
        }
        if (!converted) {
            // A cancel was the user's own doing; a failure is said.
            if (!CancelRequested()) showError(kFailed);
            return PlayResult::NotPlayed;
        }
    }

    const fs::path wav = WavFileOf(p);
    host.ActivateMainWindow();
    const ConversionHost::InsidePlay inside =
        settings.builtIn ? host.PlayInside(wav, record) : ConversionHost::InsidePlay::Unreadable;
    if (inside == ConversionHost::InsidePlay::NoDevice) {
        showError(kNoSoundDevice);
        return PlayResult::NotPlayed;
    }
    // The desktop's player, by choice or for a WAV file ours does not read.
    if (inside == ConversionHost::InsidePlay::Unreadable && !CurrentPorts().shell->Open(wav)) {
        showError(kNoPlayer);
        return PlayResult::NotPlayed;
    }
    if (settings.deleteAfter) host.QueueWavForDeletion(wav);
    if (settings.responseList) return PlayResult::Played;
    // Only the played mark changes on disk: the rest of the file's record
    // stays as it is there, whatever the list shows. The message is playing
    // whether or not the mark can be written; the list, read again from the
    // file, then goes on showing it unplayed, which is the truth on disk.
    FILESTS_INFO onDisk;
    if (!CFileMng::ReadStatusRecord(p, onDisk)) return PlayResult::Unmarked;
    onDisk.played = 1;
    return CFileMng::WriteStatusRecord(onDisk, p) == store::RecordWrite::Written ? PlayResult::Played
                                                                                 : PlayResult::Unmarked;
}

std::optional<int> NeighbourRow(int current, int step, int rows) {
    const int row = current + step;
    if (current < 0 || row < 0 || row >= rows) return std::nullopt;
    return row;
}

void DeleteListedWavFiles(const std::vector<fs::path>& files, const std::function<void(int done)>& advance) {
    int done = 0;
    for (const fs::path& file : files) {
        store::RemoveFile(file);
        if (advance) advance(++done);
    }
}

}  // namespace plova
