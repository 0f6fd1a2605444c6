#include "folders/WavDeletion.h"

#include <optional>
#include <system_error>

#include "link/RemoteListing.h"
#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

// `name` below `parent`, when it is a real folder there (not a link).
std::optional<fs::path> ownFolder(const fs::path& parent, std::u16string_view name) {
    if (!listing::IsSafeName(name)) return std::nullopt;
    fs::path folder = parent / PathOfText(name);
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(folder, ec))) return std::nullopt;
    return folder;
}

std::vector<std::u16string> boxesWithAudio(const fs::path& boxFolder, std::u16string_view kind) {
    std::vector<std::u16string> out;
    const auto kindFolder = ownFolder(boxFolder, kind);
    if (!kindFolder) return out;
    for (const fs::path& box : CFileMng::ListSubFolders(*kindFolder)) {
        const std::u16string number = NameText(box.filename());
        if (ownFolder(*kindFolder, number) && CFileMng::HasAudioFiles(box)) out.push_back(number);
    }
    return out;
}

// The audio copies of a folder go, each told to the log as it went or stayed.
void deleteAudioOf(const fs::path& folder, oplog::Operation& log) {
    std::vector<fs::path> before;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string extension = store::LowerCaseExtension(e.path());
        if ((extension == ".wav" || extension == ".wma") && EntryType(e.path()) == fs::file_type::regular)
            before.push_back(e.path());
    }
    CFileMng::DeleteAudioFiles(folder);
    for (const fs::path& file : before)
        log.Add(file, store::SomethingAt(file) ? oplog::Outcome::Failed : oplog::Outcome::Done,
                Utf8Of(folder.parent_path().filename() / folder.filename()));
}

void deleteIn(const fs::path& boxFolder, std::u16string_view kind, const std::vector<std::u16string>& boxes,
              oplog::Operation& log) {
    const auto kindFolder = ownFolder(boxFolder, kind);
    if (!kindFolder) return;
    for (const std::u16string& number : boxes)
        if (const auto box = ownFolder(*kindFolder, number)) deleteAudioOf(*box, log);
}

}  // namespace

AudioBoxes FindAudioBoxes(const fs::path& boxFolder) {
    AudioBoxes found;
    found.answering = boxesWithAudio(boxFolder, store::kAnsweringFolder);
    found.extension = boxesWithAudio(boxFolder, store::kExtensionFolder);
    const auto responses = ownFolder(boxFolder, store::kResponseFolder);
    found.responses = responses && CFileMng::HasAudioFiles(*responses);
    return found;
}

WavDeletionResult DeleteWavFiles(const fs::path& boxFolder, const WavDeletion& request,
                                 const std::function<void(int)>& step) {
    const auto report = [&step](int position) {
        if (step) step(position);
    };
    oplog::Operation log("wav-delete", boxFolder);
    if (request.responses) {
        report(wavdel::kProgressRange);
        if (const auto responses = ownFolder(boxFolder, store::kResponseFolder)) deleteAudioOf(*responses, log);
        report(wavdel::kProgressRange);
        return WavDeletionResult::Done;
    }
    if (request.answering.empty() && request.extension.empty()) return WavDeletionResult::NoBoxChosen;
    deleteIn(boxFolder, store::kAnsweringFolder, request.answering, log);
    report(1);
    deleteIn(boxFolder, store::kExtensionFolder, request.extension, log);
    report(wavdel::kProgressRange);
    return WavDeletionResult::Done;
}

}  // namespace plova
