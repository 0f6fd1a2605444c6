#include "lists/MessageDeletion.h"

#include <algorithm>
#include <system_error>
#include <type_traits>

#include "link/CFtpMng.h"
#include "oplog/OperationLog.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBoxFieldFromEnd = 16;  // the box field starts 16 characters before the name's end
constexpr std::size_t kBoxFieldChars = 4;
constexpr std::u16string_view kRemoteAnswering = u"/rusuroku/";
constexpr std::u16string_view kRemoteExtension = u"/naisen/";
constexpr std::u16string_view kRemoteResponses = u"/outou/";

enum class Ext { Exact, AnyCase };
struct Companion {
    const char* extension;
    Ext match;
};
// The files of one message, in the order they go.
constexpr Companion kBoxCompanions[] = {{".wav", Ext::AnyCase}, {".vmdat", Ext::Exact}, {".vminf", Ext::Exact}};
constexpr Companion kResponseCompanions[] = {
    {".wav", Ext::AnyCase}, {".vmdat", Ext::Exact}, {".wma", Ext::AnyCase}, {".vminf", Ext::Exact}};

fs::path pathOf(std::u16string_view s) {
    return PathOfText(s);
}

bool isVoiceData(const fs::path& file) {
    return file.extension() == ".vmdat";
}

// A file of that name, not a folder, not a link.
bool isPlainFile(const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() == fs::file_type::regular;
}

bool isRealFolder(const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() == fs::file_type::directory;
}

// A name as the system holds it: bytes on Linux, UTF-16 units on Windows.
bool hasControlCharacter(const fs::path::string_type& name) {
    return std::any_of(name.begin(), name.end(), [](fs::path::value_type c) {
        const auto u = static_cast<std::make_unsigned_t<fs::path::value_type>>(c);
        return u < 0x20 || u == 0x7F;
    });
}

fs::path withExtension(const fs::path& file, const char* extension) {
    fs::path p = file;
    p.replace_extension(extension);
    return p;
}

// The files beside `file` with its stem and `extension`, in name order; with
// Ext::AnyCase the extension's case does not matter (an imported message's
// own audio copy is named ".WAV" or ".WMA").
std::vector<fs::path> filesOf(const fs::path& file, const Companion& companion) {
    if (companion.match == Ext::Exact) return {withExtension(file, companion.extension)};
    return store::CompanionFiles(file, companion.extension);
}

class Run {
public:
    Run(const DeletionRequest& request, CFtpMng* ftp, DeletionView& view)
        : request_(request), ftp_(ftp), view_(view), log_("delete", request.boxFolder, kindText(request.kind)) {}

    DeletionResult Go();

private:
    // Each returns false when the run is to stop.
    bool pcPhase();
    bool mainUnitPhase();
    bool pcRow(const FILESTS_INFO& row);
    bool mainUnitRow(const FILESTS_INFO& row);
    void removeFiles(const fs::path& file, const Companion* begin, const Companion* end);
    // Asks the main unit; false on a communication failure.
    bool askMainUnit(const std::u16string& remotePath, const fs::path& file);
    // False when the file is there but its record could not be marked.
    bool markDeletedOnMainUnit(const fs::path& file);
    void step();
    // What became of a row, for the operations log.
    void note(const fs::path& file, oplog::Outcome outcome, std::string why) {
        log_.Add(file, outcome, std::move(why));
    }
    static std::string kindText(int kind) {
        return kind == del::kKindMainUnit ? "on the main unit"
               : kind == del::kKindBoth   ? "on the main unit and this PC"
                                          : "on this PC";
    }

    const DeletionRequest& request_;
    CFtpMng* ftp_;
    DeletionView& view_;
    DeletionResult result_;
    DeletionFlags& flags_ = result_.flags;
    oplog::Operation log_;
};

void Run::step() {
    view_.Advance();
    PumpOne();
}

void Run::removeFiles(const fs::path& file, const Companion* begin, const Companion* end) {
    const int before = flags_.deleted;
    bool failed = false;
    for (const Companion* c = begin; c != end; ++c) {
        for (const fs::path& p : filesOf(file, *c)) {
            std::error_code ec;
            const fs::file_type type = fs::symlink_status(p, ec).type();
            if (type == fs::file_type::not_found || type == fs::file_type::directory) continue;
            if (!fs::remove(p, ec)) {
                failed = true;
                continue;
            }
            ++flags_.deleted;
            step();
        }
    }
    if (failed)
        note(file, oplog::Outcome::Failed, "a file on this PC could not be removed");
    else if (flags_.deleted > before)
        note(file, oplog::Outcome::Done, "deleted on this PC");
}

bool Run::pcRow(const FILESTS_INFO& row) {
    const fs::path file = row.Path();
    if (request_.responseList && file.empty()) return true;  // a number without a message
    if (row.isProtected == 1) {
        flags_.noneOrProtected = true;
        note(file, oplog::Outcome::Skipped, "protected");
        return true;
    }
    if (!PlaceInBoxFolder(request_.boxFolder, file, request_.responseList)) {
        flags_.noneOrProtected = true;
        note(file, oplog::Outcome::Skipped, "not a message of this box folder");
        return true;
    }
    const bool downloaded = isVoiceData(file) && isPlainFile(file);
    if (request_.responseList) {
        if (!downloaded) {
            note(file, oplog::Outcome::Skipped, "not on this PC");
            return true;
        }
        removeFiles(file, std::begin(kResponseCompanions), std::end(kResponseCompanions));
    } else if (downloaded || request_.kind == del::kKindPc) {
        removeFiles(file, std::begin(kBoxCompanions), std::end(kBoxCompanions));
    } else {
        flags_.notDownloaded = true;
        note(file, oplog::Outcome::Skipped, "voice data not downloaded");
        return true;
    }
    return !(request_.kind == del::kKindPc && view_.BackupDue());
}

bool Run::pcPhase() {
    for (const FILESTS_INFO& row : request_.rows) {
        if (!pcRow(row)) return false;
    }
    return true;
}

bool Run::markDeletedOnMainUnit(const fs::path& file) {
    if (!isPlainFile(file)) return true;
    // The record as the file holds it now, not the row's copy, which a build
    // may have changed (a response row is shown as played).
    FILESTS_INFO record;
    if (!CFileMng::ReadStatusRecord(file, record)) return false;
    record.downloadState = kDeletedOnMainUnit;
    return CFileMng::WriteStatusRecord(record, file) == store::RecordWrite::Written;
}

bool Run::askMainUnit(const std::u16string& remotePath, const fs::path& file) {
    const ftp::DeleteOutcome answer =
        ftp_ != nullptr ? ftp_->Delete(remotePath, request_.boxFolder).outcome : ftp::DeleteOutcome::Failed;
    switch (answer) {
    case ftp::DeleteOutcome::InUse:
        flags_.inUse = true;
        note(file, oplog::Outcome::Failed, "in use on the main unit");
        break;
    case ftp::DeleteOutcome::Unavailable:
        flags_.noneOrProtected = true;
        note(file, oplog::Outcome::Skipped, "not on the main unit, or protected there");
        break;
    case ftp::DeleteOutcome::Deleted:
        ++flags_.deleted;
        // The deletion stands; the list would go on showing the message as on
        // the main unit, so the summary must say the mark is missing.
        if (request_.kind == del::kKindMainUnit && !markDeletedOnMainUnit(file)) flags_.unmarked = true;
        note(file, oplog::Outcome::Done,
             flags_.unmarked ? "deleted on the main unit; the PC's copy could not be marked so"
                             : "deleted on the main unit");
        break;
    case ftp::DeleteOutcome::Refused:
    case ftp::DeleteOutcome::Failed: note(file, oplog::Outcome::Failed, "communication error"); return false;
    }
    step();
    return true;
}

bool Run::mainUnitRow(const FILESTS_INFO& row) {
    const fs::path file = row.Path();
    if (request_.responseList && file.empty()) return true;
    // A row the PC phase passed over is in the log already.
    const bool told = request_.kind == del::kKindBoth;
    if (row.isProtected == 1) {
        flags_.noneOrProtected = true;
        if (!told) note(file, oplog::Outcome::Skipped, "protected");
        return true;
    }
    const std::optional<MessagePlace> place = PlaceInBoxFolder(request_.boxFolder, file, request_.responseList);
    if (!place) {
        flags_.noneOrProtected = true;
        if (!told) note(file, oplog::Outcome::Skipped, "not a message of this box folder");
        return true;
    }
    if (request_.responseList) {
        if (!isVoiceData(file)) return true;
        std::u16string remote(kRemoteResponses);
        remote += NameText(file.filename());
        return askMainUnit(remote, file);
    }
    if (!isVoiceData(file)) {
        flags_.notDownloaded = true;
        if (!told) note(file, oplog::Outcome::Skipped, "voice data not downloaded");
        return true;
    }
    const fs::path info = withExtension(file, ".vminf");
    if (!isPlainFile(file)) {
        // With both kinds the local files of a message deleted in the PC
        // phase are gone; only a remaining ".vminf" says it was never downloaded.
        if (request_.kind == del::kKindMainUnit || isPlainFile(info)) {
            flags_.notDownloaded = true;
            if (!told) note(file, oplog::Outcome::Skipped, "voice data not downloaded");
            return true;
        }
    }
    const std::u16string infoName = NameText(info.filename());
    if (BoxOfMessageName(infoName) != place->box) {
        // A message copied here from another box: the main unit keeps it under that box.
        flags_.noneOrProtected = true;
        note(file, oplog::Outcome::Skipped, "copied from another box: the main unit keeps it there");
        return true;
    }
    std::u16string remote(place->extension ? kRemoteExtension : kRemoteAnswering);
    remote += place->box;
    remote += u'/';
    remote += infoName;
    return askMainUnit(remote, file);
}

bool Run::mainUnitPhase() {
    for (const FILESTS_INFO& row : request_.rows) {
        if (!mainUnitRow(row)) return false;
    }
    return true;
}

DeletionResult Run::Go() {
    const int selected = static_cast<int>(request_.rows.size());
    if (selected == 0) {
        ShowPrompt(std::u16string(del::kNotSelected), std::u16string(del::kErrorCaption), Icon::Exclamation);
        result_.end = DeletionEnd::NothingSelected;
        log_.Drop();
        return result_;
    }
    const int perRow = request_.kind == del::kKindBoth ? del::kStepsPerRowBoth : del::kStepsPerRow;
    view_.OpenProgress(selected * perRow);

    if (request_.kind != del::kKindMainUnit && !pcPhase()) {
        view_.CloseProgress();
        result_.end = DeletionEnd::BackupRequested;
        log_.SetDetail(kindText(request_.kind) + "; stopped for a backup that fell due");
        log_.Finish();
        return result_;
    }
    if (request_.kind != del::kKindPc && !mainUnitPhase()) {
        view_.CloseProgress();
        ShowPrompt(std::u16string(del::kCommError), std::u16string(del::kErrorCaption), Icon::Exclamation);
        view_.Logout();
        result_.end = DeletionEnd::CommError;
        log_.Finish(log_.HasMessages() ? oplog::Result::Partial : oplog::Result::Failed);
        return result_;
    }
    view_.CloseProgress();
    result_.shown = ChooseDeletionSummary(flags_, selected, request_.responseList,
                                          selected == 1 ? request_.rows.front().Path() : fs::path());
    log_.Finish();
    for (const SummaryMessage& m : result_.shown) ShowPrompt(m.text, m.caption, m.icon);
    return result_;
}

}  // namespace

// ------------------------------------------------------------- summary

namespace {

SummaryMessage successMessage() {
    return {u"音声メッセージの消去が正常に完了しました。", std::u16string(del::kDoneCaption), Icon::Information};
}

std::vector<SummaryMessage> summaryOfDeletions(const DeletionFlags& flags, int selected, bool responseList,
                                               const fs::path& singleRow) {
    const std::u16string done(del::kDoneCaption);
    const std::u16string error(del::kErrorCaption);
    const SummaryMessage success = successMessage();
    const std::u16string noneOrProtected = u"音声メッセージがありません。\nまたは｢保護｣に設定されています。";
    const std::u16string notDownloaded = u"音声ファイルがダウンロードされて\nいません。";
    const bool notDownloadedFlag = flags.notDownloaded && !responseList;

    if (selected == 1) {
        if (flags.inUse) {
            std::u16string text;
            if (responseList) {
                text = u"音声メッセージは\n使用中のため消去できません。";
            } else {
                const bool extension = singleRow.parent_path().parent_path().filename() == pathOf(u"naisen");
                text = extension ? u"内線BOX" : u"留守録BOX";
                text += NameText(singleRow.parent_path().filename());
                text += u"の音声メッセージは\n使用中のため消去できません。";
            }
            return {{text, error, Icon::Exclamation}};
        }
        if (notDownloadedFlag) return {{notDownloaded, error, Icon::Exclamation}};
        if (flags.noneOrProtected) return {{noneOrProtected, error, Icon::Exclamation}};
        return {success};
    }

    if (!flags.inUse && !notDownloadedFlag && !flags.noneOrProtected) return {success};
    std::vector<SummaryMessage> shown;
    if (flags.deleted == 0) {
        if (flags.inUse) shown.push_back({u"音声メッセージは使用中のため\n消去できません。", error, Icon::Exclamation});
        if (notDownloadedFlag) shown.push_back({notDownloaded, error, Icon::Exclamation});
        if (flags.noneOrProtected) shown.push_back({noneOrProtected, error, Icon::Exclamation});
        return shown;
    }
    const std::u16string partial = u"一部の音声メッセージが消去できませんでした。\n";
    if (flags.inUse) shown.push_back({partial + u"(音声メッセージ使用中)。", done, Icon::Information});
    if (notDownloadedFlag) shown.push_back({partial + u"(音声ファイル未ダウンロード)。", done, Icon::Information});
    if (flags.noneOrProtected)
        shown.push_back({partial + u"(音声メッセージなし または｢保護｣)。", done, Icon::Information});
    return shown;
}

}  // namespace

std::vector<SummaryMessage> ChooseDeletionSummary(const DeletionFlags& flags, int selected, bool responseList,
                                                  const fs::path& singleRow) {
    std::vector<SummaryMessage> shown = summaryOfDeletions(flags, selected, responseList, singleRow);
    if (!flags.unmarked) return shown;
    // Never "done" over a record that still says otherwise.
    std::erase(shown, successMessage());
    shown.push_back({std::u16string(del::kUnmarked), std::u16string(del::kErrorCaption), Icon::Exclamation});
    return shown;
}

// --------------------------------------------------------------- places

std::optional<MessagePlace> PlaceInBoxFolder(const fs::path& boxFolder, const fs::path& file, bool responseList) {
    if (file.empty() || boxFolder.empty()) return std::nullopt;
    for (const fs::path& part : file) {
        if (part == ".." || part == ".") return std::nullopt;
    }
    fs::path base = boxFolder.lexically_normal();
    if (base.filename().empty()) base = base.parent_path();
    const fs::path relative = file.lexically_normal().lexically_relative(base);
    std::vector<fs::path> parts(relative.begin(), relative.end());
    const std::size_t depth = responseList ? 2 : 3;
    if (parts.size() != depth) return std::nullopt;
    for (const fs::path& part : parts) {
        if (part.empty() || part == ".." || part == "." || hasControlCharacter(part.native())) return std::nullopt;
    }
    const fs::path& name = parts.back();
    if (name.extension() != ".vmdat" && name.extension() != ".vminf") return std::nullopt;

    MessagePlace place;
    if (responseList) {
        if (parts[0] != pathOf(store::kResponseFolder)) return std::nullopt;
    } else if (parts[0] == pathOf(store::kExtensionFolder)) {
        place.extension = true;
    } else if (parts[0] != pathOf(store::kAnsweringFolder)) {
        return std::nullopt;
    }
    // No link on the way: not the kind folder, not the box, not the file.
    fs::path folder = base / parts[0];
    if (!isRealFolder(folder)) return std::nullopt;
    if (!responseList) {
        folder /= parts[1];
        if (!isRealFolder(folder)) return std::nullopt;
        place.box = NameText(parts[1]);
    }
    std::error_code ec;
    const fs::file_type type = fs::symlink_status(folder / name, ec).type();
    if (type != fs::file_type::regular && type != fs::file_type::not_found) return std::nullopt;
    return place;
}

std::u16string BoxOfMessageName(std::u16string_view vminfName) {
    if (vminfName.size() < kBoxFieldFromEnd) return {};
    std::u16string box(vminfName.substr(vminfName.size() - kBoxFieldFromEnd, kBoxFieldChars));
    if (!box.empty() && box.front() == u'R') box.erase(0, 1);
    std::replace(box.begin(), box.end(), u'_', u' ');
    while (!box.empty() && box.back() == u' ') box.pop_back();
    return box;
}

// ------------------------------------------------------------ procedure

DeletionResult DeleteMessages(const DeletionRequest& request, CFtpMng* ftp, DeletionView& view) {
    return Run(request, ftp, view).Go();
}

}  // namespace plova
