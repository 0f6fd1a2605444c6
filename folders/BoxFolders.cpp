#include "folders/BoxFolders.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "link/RemoteListing.h"
#include "oplog/OperationLog.h"
#include "platform/AppPaths.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/PortableNames.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

fs::path pathOf(std::u16string_view text) {
    return PathOfText(text);
}

// A box as the operations log names it: "rusuroku/0001".
std::string boxOf(const fs::path& box) {
    return Utf8Of(box.parent_path().filename()) + "/" + Utf8Of(box.filename());
}

// The box folder a box lies in.
fs::path boxFolderOf(const fs::path& box) {
    return box.parent_path().parent_path();
}

std::vector<BoxRow> readRows(const fs::path& kindFolder, BoxText text) {
    std::vector<BoxRow> rows;
    for (const fs::path& box : CFileMng::ListSubFolders(kindFolder)) {
        BoxRow row;
        row.folder = box;
        row.folderName = NameText(box.filename());
        row.text = text == BoxText::Name ? CFileMng::ReadBoxName(box) : row.folderName;
        rows.push_back(std::move(row));
    }
    return rows;
}

template <typename F>
bool allRows(const BoxLists& lists, F&& f) {
    for (const auto* list : {&lists.answering, &lists.extension})
        for (const BoxRow& row : *list)
            if (!f(row)) return false;
    return true;
}

}  // namespace

BoxLists ReadBoxLists(const fs::path& boxFolder, BoxText text) {
    BoxLists lists;
    lists.answering = readRows(boxFolder / pathOf(store::kAnsweringFolder), text);
    lists.extension = readRows(boxFolder / pathOf(store::kExtensionFolder), text);
    return lists;
}

namespace {
// What "inf.ini" can hold and give back unchanged.
bool isStorableBoxName(std::u16string_view name) {
    if (name.find(u',') != std::u16string_view::npos || HasControlCharacter(name)) return false;
    if (FromCp932(ToCp932(name)) != name) return false;
    return Cp932Length(name) <= boxes::kNameMaxBytes;
}
}  // namespace

bool IsValidBoxName(std::u16string_view name) {
    // A name may end up naming files on Windows: one it cannot hold is refused.
    return isStorableBoxName(name) && (name.empty() || IsPortableName(name));
}

bool IsValidBoxFolderName(std::u16string_view name) {
    const std::size_t bytes = Cp932Length(name);
    if (bytes < 1 || bytes > boxes::kFolderNameMaxBytes) return false;
    if (name.find_first_of(u"\\/:*?\"<>|") != std::u16string_view::npos) return false;
    return listing::IsSafeName(name) && IsPortableName(name);
}

BoxCheck CheckBoxNames(const BoxLists& lists) {
    // A name stored before, and not edited now, need only be one the file holds.
    const auto valid = [](const BoxRow& row) {
        return row.changed ? IsValidBoxName(row.text) : isStorableBoxName(row.text);
    };
    return allRows(lists, valid) ? BoxCheck::Ok : BoxCheck::BadInput;
}

int WriteBoxNames(const BoxLists& lists, const std::function<void(int)>& step) {
    int done = 0, failed = 0;
    const BoxRow* first = !lists.answering.empty()   ? &lists.answering.front()
                          : !lists.extension.empty() ? &lists.extension.front()
                                                     : nullptr;
    oplog::Operation log("box-name", first ? boxFolderOf(first->folder) : fs::path());
    allRows(lists, [&](const BoxRow& row) {
        const bool written = CFileMng::WriteBoxName(row.folder, row.text);
        if (!written) ++failed;
        // Only the names edited now change; the others are written as they were.
        if (row.changed || !written)
            log.Add(boxOf(row.folder), written ? oplog::Outcome::Done : oplog::Outcome::Failed,
                    "name \"" + ToUtf8(row.text) + "\"");
        if (step) step(++done);
        return true;
    });
    return failed;
}

BoxCheck MakeBoxFolder(const fs::path& boxFolder, bool answering, std::u16string_view name) {
    // Without an open box folder a relative path would land in the working folder.
    if (boxFolder.empty() || !IsValidBoxFolderName(name)) return BoxCheck::BadInput;
    const fs::path box =
        boxFolder / pathOf(answering ? store::kAnsweringFolder : store::kExtensionFolder) / pathOf(name);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(box, ec)) || EntryOfPortableName(box.parent_path(), name))
        return BoxCheck::Duplicate;
    fs::create_directories(box.parent_path(), ec);
    // The last step alone: a folder that appeared meanwhile is not taken over.
    oplog::Operation log("box-folder", boxFolder, "made");
    if (ec || !fs::create_directory(box, ec) || ec) {
        log.Add(boxOf(box), oplog::Outcome::Failed, "cannot be made");
        return BoxCheck::BadInput;
    }
    // A new folder has no "inf.ini", so no NAME either: MAKE alone marks it
    // as the user's, and every download leaves it alone.
    CFileMng::WriteMake(box, u"1");
    log.Add(boxOf(box), oplog::Outcome::Done);
    static_assert(store::kMakeByCommand == 1);
    return BoxCheck::Ok;
}

bool IsRenamed(const BoxRow& row) {
    return row.changed && row.text != row.folderName;
}

BoxCheck CheckBoxFolderRenames(const BoxLists& lists) {
    std::vector<fs::path> taken;
    // Two new names Windows takes for one are one name, as is a new name and
    // a folder already there (other than the box's own: "a1" may become "A1").
    const auto takenBefore = [&](const fs::path& target) {
        return std::any_of(taken.begin(), taken.end(), [&](const fs::path& t) {
            return t.parent_path() == target.parent_path() &&
                   IsSamePortableName(NameText(t.filename()), NameText(target.filename()));
        });
    };
    BoxCheck result = BoxCheck::Ok;
    allRows(lists, [&](const BoxRow& row) {
        if (!IsRenamed(row)) return true;
        if (!IsValidBoxFolderName(row.text)) {
            result = BoxCheck::BadInput;
            return false;
        }
        const fs::path target = row.folder.parent_path() / pathOf(row.text);
        std::error_code ec;
        const bool itself = fs::equivalent(target, row.folder, ec);  // "a1" as "A1" where case is folded
        if ((!itself && fs::exists(fs::symlink_status(target, ec))) || takenBefore(target) ||
            EntryOfPortableName(target.parent_path(), row.text, row.folder.filename())) {
            result = BoxCheck::Duplicate;
            return false;
        }
        taken.push_back(target);
        return true;
    });
    return result;
}

BoxFolderRenames RenameBoxFolders(const BoxLists& lists) {
    BoxFolderRenames result;
    std::optional<oplog::Operation> log;
    for (const bool answering : {true, false})
        for (const BoxRow& row : answering ? lists.answering : lists.extension) {
            if (!IsRenamed(row)) continue;
            if (!log) log.emplace("box-folder", boxFolderOf(row.folder), "renamed");
            const fs::path target = row.folder.parent_path() / pathOf(row.text);
            // Never over something that appeared since the check.
            if (RenameNoReplace(row.folder, target)) {
                result.renamed.push_back({answering, row.folderName, row.text});
                log->Add(boxOf(row.folder), oplog::Outcome::Done, "now " + ToUtf8(row.text));
            } else {
                result.kept.push_back(row.folder);
                log->Add(boxOf(row.folder), oplog::Outcome::Failed, "cannot be renamed " + ToUtf8(row.text));
            }
        }
    return result;
}

int SweepStaleScratchFiles() {
    const fs::path scratch = ScratchFolder();
    return scratch.empty() ? 0 : RemoveStaleTempFiles(scratch, kStaleTempAge);
}

int SweepStaleTempFiles(const fs::path& boxFolder) {
    int removed = RemoveStaleTempFiles(boxFolder / pathOf(store::kResponseFolder), kStaleTempAge);
    for (std::u16string_view kind : {store::kAnsweringFolder, store::kExtensionFolder}) {
        std::error_code ec;
        for (fs::directory_iterator it(boxFolder / pathOf(kind), ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code e;
            // A link in place of a box is not followed: nothing outside the box folder is touched.
            if (fs::symlink_status(it->path(), e).type() == fs::file_type::directory)
                removed += RemoveStaleTempFiles(it->path(), kStaleTempAge);
        }
    }
    return removed;
}

}  // namespace plova
