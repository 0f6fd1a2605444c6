#include "download/FolderRename.h"

#include <system_error>

#include "link/RemoteListing.h"
#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/PortableNames.h"
#include "platform/Text.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

FolderRename RenameFolder(const fs::path& folder, std::u16string_view newName) {
    if (newName.empty() || newName.size() > static_cast<std::size_t>(folders::kRenameMaxChars) ||
        !listing::IsSafeName(newName) || !IsPortableName(newName))
        return FolderRename::BadInput;
    const fs::path target = folder.parent_path() / PathOfText(newName);
    std::error_code ec;
    // "a" as "A" where the system folds case is the folder itself, not a twin.
    const bool caseOfItself = target.filename() != folder.filename() && fs::equivalent(target, folder, ec);
    if (fs::is_directory(target, ec) && !caseOfItself) return FolderRename::Duplicate;
    // A folder Windows would take for the new name is taken on both systems.
    const auto twin = EntryOfPortableName(folder.parent_path(), newName, folder.filename());
    if (twin) return twin->type == fs::file_type::directory ? FolderRename::Duplicate : FolderRename::BadInput;
    // Never over a file or folder of that name.
    oplog::Operation log("rename", folder.parent_path(), "box folder");
    if (!RenameNoReplace(folder, target)) {
        log.Add(folder, oplog::Outcome::Failed, "cannot be renamed " + ToUtf8(newName));
        return FolderRename::BadInput;
    }
    log.Add(folder, oplog::Outcome::Done, "now " + ToUtf8(newName));
    return FolderRename::Ok;
}

std::u16string_view RenameRefusal(FolderRename result) {
    switch (result) {
    case FolderRename::Ok: return {};
    case FolderRename::Duplicate: return folders::kDuplicate;
    case FolderRename::BadInput: return folders::kBadInput;
    }
    return folders::kBadInput;
}

}  // namespace plova
