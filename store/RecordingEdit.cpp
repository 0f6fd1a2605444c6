#include "store/RecordingEdit.h"

#include <system_error>
#include <vector>

#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FILESTS_INFO.h"
#include "store/FileOps.h"
#include "store/ResponseMessage.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

using infoedit::Result;

constexpr std::size_t kStampLength = 16;  // "YYYYMMDDhhmm_WWW"
constexpr std::size_t kKeptTail = 16;     // "_ANNN_0000.vmdat"

void tellInvalid() {
    ShowPrompt(std::u16string(infoedit::kInvalid), std::u16string(infoedit::kErrorCaption), Icon::Exclamation);
}

bool confirmed() {
    return ShowPrompt(std::u16string(infoedit::kConfirm), std::u16string(infoedit::kConfirmCaption), Icon::Question,
                      Buttons::YesNo) == Answer::Yes;
}

// The audio copies beside a voice-data file: the same stem with ".wav" or
// ".wma" in any case.
std::vector<fs::path> audioCopiesOf(const fs::path& voiceFile) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(voiceFile.parent_path(), ec)) {
        const fs::path& p = e.path();
        const std::string ext = store::LowerCaseExtension(p);
        if ((ext == ".wav" || ext == ".wma") && p.stem() == voiceFile.stem()) out.push_back(p);
    }
    return out;
}

// A rename that never replaces another file; one to its own name is done.
bool renameTo(const fs::path& from, const fs::path& to) {
    return from == to || RenameNoReplace(from, to);
}

}  // namespace

std::u16string DownloadKindText(std::uint8_t state) {
    switch (state) {
    case kInfoOnly: return u"録音情報のみ";
    case kPlayedOnMainUnit: return u"録音情報+音声ﾃﾞｰﾀ(主装置側で再生済)";
    case kUnplayedOnMainUnit: return u"録音情報+音声ﾃﾞｰﾀ(主装置側で未再生)";
    default: return u"録音情報+音声ﾃﾞｰﾀ(主装置側で消去済)";
    }
}

bool IsAcceptableEditText(std::u16string_view text, std::size_t maxBytes) {
    if (text.empty()) return true;
    return text.find(u',') == std::u16string_view::npos && Cp932Length(text) <= maxBytes;
}

std::u16string ThroughCodePage(std::u16string_view text) {
    return FromCp932(ToCp932(text));
}

std::u16string EditedResponseName(std::u16string_view oldName, const LocalTime& time) {
    if (oldName.size() != store::kResponseNameLength) return {};
    const std::u16string stamp = NewResponseMessageName(time, 0, u"").substr(0, kStampLength);
    return stamp + std::u16string(oldName.substr(oldName.size() - kKeptTail));
}

Result SaveBoxMessageEdit(const fs::path& file, const BoxMessageEdit& edit) {
    using namespace infoedit;
    if (!IsAcceptableEditText(edit.title, kTitleLimit) || !IsAcceptableEditText(edit.partyNumber, kPartyNumberLimit) ||
        !IsAcceptableEditText(edit.partyName, kPartyNameLimit) || !IsAcceptableEditText(edit.memo, kMemoLimit)) {
        tellInvalid();
        return Result::Invalid;
    }
    if (!confirmed()) return Result::Declined;
    oplog::Operation log("record-edit", store::BoxFolderOfMessage(file));
    FILESTS_INFO record;
    if (!CFileMng::ReadStatusRecord(file, record)) {
        log.Add(file, oplog::Outcome::Failed, "no readable status record");
        tellInvalid();
        return Result::WriteFailed;
    }
    record.title = ThroughCodePage(edit.title);
    record.partyNumber = ThroughCodePage(edit.partyNumber);
    record.partyName = ThroughCodePage(edit.partyName);
    record.memo = ThroughCodePage(edit.memo);
    record.isProtected = edit.isProtected ? 1 : 0;
    record.flag = edit.flag ? 1 : 0;
    if (CFileMng::WriteStatusRecord(record, file) != store::RecordWrite::Written) {
        log.Add(file, oplog::Outcome::Failed, "the status record could not be written");
        tellInvalid();
        return Result::WriteFailed;
    }
    log.Add(file, oplog::Outcome::Done, "title, party, memo, protection and flag written");
    return Result::Saved;
}

Result SaveResponseMessageEdit(const fs::path& file, const ResponseMessageEdit& edit, fs::path* renamed) {
    using namespace infoedit;
    if (renamed) *renamed = file;
    if (!IsAcceptableEditText(edit.name, kResponseNameLimit)) {
        tellInvalid();
        return Result::Invalid;
    }
    if (!confirmed()) return Result::Declined;
    oplog::Operation log("record-edit", store::BoxFolderOfMessage(file));
    FILESTS_INFO record;
    const std::u16string newName = EditedResponseName(NameText(file.filename()), CurrentPorts().clock->Now());
    if (newName.empty() || !CFileMng::ReadStatusRecord(file, record)) {
        log.Add(file, oplog::Outcome::Failed, "not a system response message with a readable status record");
        tellInvalid();
        return Result::WriteFailed;
    }
    record.partyName = ThroughCodePage(edit.name);
    record.flag = edit.flag ? 1 : 0;
    if (CFileMng::WriteStatusRecord(record, file) != store::RecordWrite::Written ||
        CFileMng::WriteNameAndDate(record, file) != store::RecordWrite::Written) {
        log.Add(file, oplog::Outcome::Failed, "the status record could not be written");
        tellInvalid();
        return Result::WriteFailed;
    }

    // The copies are looked up by the old name before the voice data takes its new one.
    const std::vector<fs::path> copies = audioCopiesOf(file);
    const fs::path target = file.parent_path() / ToUtf8(newName);
    bool ok = renameTo(file, target);
    if (ok && renamed) *renamed = target;
    if (ok) {
        fs::path stem = target;
        stem.replace_extension();
        for (const fs::path& copy : copies)
            ok = renameTo(copy, fs::path(stem.native() + copy.extension().native())) && ok;
    }
    if (!ok) {
        log.Add(file, oplog::Outcome::Failed, "name and flag written; renaming to " + ToUtf8(newName) + " failed");
        tellInvalid();
        return Result::RenameFailed;
    }
    log.Add(file, oplog::Outcome::Done, "name and flag written; renamed " + ToUtf8(newName));
    return Result::Saved;
}

}  // namespace plova
