#include "link/ResponseUpload.h"

#include <algorithm>

#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova {

namespace {

namespace fs = std::filesystem;

// Sends one message and marks it; what UploadResponseMessage does besides logging.
UploadOutcome sendOne(CFtpMng& ftp, FILESTS_INFO& record);

// Far beyond the longest message the main unit keeps (601 s is 0.6 MB).
constexpr std::uint64_t kMaxMessageBytes = 16u << 20;

// The main unit's part of a message file: everything behind our status record.
bool readMainUnitPart(const fs::path& file, std::string& bytes) {
    if (ReadWholeFile(file, bytes, kMaxMessageBytes) != ReadResult::Ok || bytes.size() < store::kBlockOffset)
        return false;
    bytes.erase(0, store::kBlockOffset);
    return true;
}

void showError(std::u16string_view text) {
    ShowPrompt(std::u16string(text), std::u16string(upload::kErrorCaption), Icon::Exclamation);
}

}  // namespace

bool IsUploadableMessage(const fs::path& file) {
    std::string head;
    if (!ReadRange(file, 0, store::kMinMessageFileSize, head) || head.size() != store::kMinMessageFileSize)
        return false;
    const FILESTS_INFO record = FILESTS_INFO::FromBytes(std::string_view(head).substr(0, filests::kSize));
    BlockBytes block{};
    std::copy(head.begin() + store::kBlockOffset, head.end(), block.begin());
    const fs::path asStored = fs::path(std::u16string(store::kResponseFolder)) / file.filename();
    return CFileMng::IsValidMessage(asStored, record, block);
}

namespace {

// Every row in list order until the end, a cancel or a communication error
// (false). The idle timer stays stopped from the first file to the last, and
// runs again before any logout.
bool sendAll(CFtpMng& ftp, std::vector<FILESTS_INFO>& selected, WindowHandle progress, UploadTally& tally,
             oplog::Operation& log) {
    CFtpMng::TransferScope scope(ftp);
    int handled = 0;
    for (FILESTS_INFO& record : selected) {
        if (CancelRequested()) return true;
        switch (UploadResponseMessage(ftp, record, &log)) {
        case UploadOutcome::Skipped: continue;
        case UploadOutcome::Missing: ++tally.refused; continue;
        case UploadOutcome::Accepted: ++tally.accepted; break;
        case UploadOutcome::Unmarked: ++tally.unmarked; break;
        case UploadOutcome::Refused: ++tally.refused; break;
        case UploadOutcome::Cancelled: return true;
        case UploadOutcome::CommunicationError: return false;
        }
        CurrentPorts().progress->Post(progress, msg::kBarPosition, ++handled, 0);
    }
    return true;
}

}  // namespace

UploadOutcome UploadResponseMessage(CFtpMng& ftp, FILESTS_INFO& record, oplog::Operation* log) {
    const UploadOutcome outcome = sendOne(ftp, record);
    if (log == nullptr || outcome == UploadOutcome::Skipped) return outcome;
    const fs::path file = record.Path();
    switch (outcome) {
    case UploadOutcome::Accepted: log->Add(file, oplog::Outcome::Done, "sent to the main unit"); break;
    case UploadOutcome::Unmarked:
        log->Add(file, oplog::Outcome::Done, "sent to the main unit; its upload mark could not be written");
        break;
    case UploadOutcome::Refused: log->Add(file, oplog::Outcome::Failed, "refused by the main unit"); break;
    case UploadOutcome::Missing: log->Add(file, oplog::Outcome::Failed, "not a message file, or gone"); break;
    case UploadOutcome::CommunicationError: log->Add(file, oplog::Outcome::Failed, "communication error"); break;
    case UploadOutcome::Cancelled: log->Add(file, oplog::Outcome::Skipped, "cancelled"); break;
    case UploadOutcome::Skipped: break;
    }
    return outcome;
}

namespace {

UploadOutcome sendOne(CFtpMng& ftp, FILESTS_INFO& record) {
    if (record.filePath.empty()) return UploadOutcome::Skipped;
    const fs::path file = record.Path();
    // Only a message file is sent: anything else under its name would reach
    // the main unit as a message of garbage.
    if (!IsUploadableMessage(file)) return UploadOutcome::Missing;
    std::string bytes;
    if (!readMainUnitPart(file, bytes)) return UploadOutcome::Missing;

    const ftp::StoreOutcome result = ftp.Store(bytes.data(), bytes.size(), file.filename().u16string()).outcome;
    const bool stored = result == ftp::StoreOutcome::Stored;
    record.played = stored ? 1 : 0;
    const store::RecordWrite marked = CFileMng::WriteStatusRecord(record, file);
    // A mark left unwritten after a failed attempt says nothing false; after
    // a stored one the list would still show the message as not uploaded, so
    // the run must not end in the all-done message.
    if (stored) return marked == store::RecordWrite::Written ? UploadOutcome::Accepted : UploadOutcome::Unmarked;
    if (CancelRequested()) return UploadOutcome::Cancelled;
    if (result == ftp::StoreOutcome::NotTaken) return UploadOutcome::Refused;
    return UploadOutcome::CommunicationError;
}

}  // namespace

std::optional<ClosingMessage> UploadClosingMessage(const UploadTally& t) {
    const ClosingMessage done{std::u16string(upload::kDoneText), std::u16string(upload::kDoneCaption),
                              Icon::Information};
    const ClosingMessage refused{std::u16string(upload::kRefusedText), std::u16string(upload::kErrorCaption),
                                 Icon::Exclamation};
    const ClosingMessage partly{std::u16string(upload::kPartlyRefusedText), std::u16string(upload::kErrorCaption),
                                Icon::Exclamation};
    const ClosingMessage unmarked{std::u16string(upload::kUnmarkedText), std::u16string(upload::kErrorCaption),
                                  Icon::Exclamation};
    if (t.selected == 1) {
        if (t.accepted == 1) return done;
        if (t.unmarked == 1) return unmarked;
        if (t.refused == 1) return refused;
        return std::nullopt;  // its record named no file
    }
    if (t.refused == 0) return t.unmarked == 0 ? done : unmarked;
    return t.accepted + t.unmarked == 0 ? refused : partly;
}

UploadRun UploadSelected(CFtpMng& ftp, std::vector<FILESTS_INFO>& selected, UploadWindow& window) {
    if (selected.empty()) {
        showError(upload::kNotSelected);
        return UploadRun::NothingSelected;
    }
    CurrentPorts().cancel->Clear();
    const WindowHandle progress = window.OpenProgress(static_cast<int>(selected.size()));
    UploadTally tally;
    tally.selected = static_cast<int>(selected.size());
    oplog::Operation log("upload", store::BoxFolderOfMessage(selected.front().Path()));
    if (!sendAll(ftp, selected, progress, tally, log)) {
        window.CloseProgress();
        showError(upload::kCommunicationError);
        ftp.Logout();
        window.LoggedOut();
        window.Finish(false);
        return UploadRun::CommunicationFailed;
    }
    CurrentPorts().progress->Post(progress, msg::kBarPosition, tally.selected, 0);
    window.CloseProgress();
    const bool cancelled = CancelRequested();
    if (cancelled) log.Finish(oplog::Result::Cancelled);
    if (!cancelled) {
        if (const auto message = UploadClosingMessage(tally))
            ShowPrompt(message->text, message->caption, message->icon);
    }
    window.Finish(true);
    return cancelled ? UploadRun::Cancelled : UploadRun::Done;
}

}  // namespace plova
