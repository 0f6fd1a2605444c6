// plova-cli records FOLDER: the status records of the messages of a box
// folder, a kind folder ("rusuroku", "naisen") or one box, one JSON object a line.
#include <system_error>
#include <vector>

#include "cli/Command.h"
#include "cli/RecordJson.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kName = "records";

bool named(const fs::path& folder, std::u16string_view name) {
    return TextOfPath(folder.filename()) == name;
}

bool isKindFolder(const fs::path& folder) {
    return named(folder, store::kAnsweringFolder) || named(folder, store::kExtensionFolder);
}

// The boxes whose messages FOLDER stands for, in the order a window lists
// them: a box folder's answering-machine boxes, its extension boxes and its
// "outou"; a kind folder's boxes; or the folder itself when it is a box (a
// folder of a kind folder, an "outou", or any folder that holds messages).
// Empty when it is none of these.
std::vector<fs::path> boxesOf(const fs::path& folder) {
    std::error_code ec;
    // Names are judged on the whole path ("." is a box when its parent is
    // "rusuroku"); the records keep the path as it was given.
    fs::path whole = fs::absolute(folder, ec).lexically_normal();
    if (!whole.has_filename()) whole = whole.parent_path();
    std::vector<fs::path> boxes;
    const auto addKind = [&](const fs::path& kind) {
        for (const fs::path& box : CFileMng::ListSubFolders(kind)) boxes.push_back(box);
    };
    if (CFileMng::IsBoxFolder(folder)) {
        addKind(folder / std::u16string(store::kAnsweringFolder));
        addKind(folder / std::u16string(store::kExtensionFolder));
        const fs::path outou = folder / std::u16string(store::kResponseFolder);
        if (fs::is_directory(outou, ec)) boxes.push_back(outou);
        return boxes;
    }
    if (isKindFolder(whole)) {
        addKind(folder);
        return boxes;
    }
    if (isKindFolder(whole.parent_path()) || named(whole, store::kResponseFolder) ||
        CFileMng::CountMessages(folder) > 0)
        boxes.push_back(folder);
    return boxes;
}

int runRecords(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return Fail(err, kName, "expects exactly one FOLDER", kUsage);
    const fs::path folder = PathFromUtf8(args[0]);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Fail(err, kName, "cannot read folder " + args[0]);
    const std::vector<fs::path> boxes = boxesOf(folder);
    if (boxes.empty()) return Fail(err, kName, args[0] + ": not a box folder, a rusuroku or naisen folder, or a box");
    for (const fs::path& box : boxes) {
        std::vector<FILESTS_INFO> records;
        if (!CFileMng::LoadFolderRecords(box, records)) return Fail(err, kName, "cannot read folder " + Utf8Of(box));
        for (const FILESTS_INFO& r : records) out << JsonLine(RecordJson(r)) << '\n';
    }
    return kOk;
}

}  // namespace

extern const Command recordsCommand;
const Command recordsCommand{"records", "FOLDER",
                             "print the status record of every valid message of a box folder (its boxes and outou), "
                             "of its rusuroku or naisen folder, or of one box, one JSON object a line",
                             runRecords};

}  // namespace plova::cli
