#include "download/FolderRename.h"

#include <system_error>

#include "link/RemoteListing.h"
#include "platform/Text.h"
#include "store/FileOps.h"

namespace plova {
namespace fs = std::filesystem;

FolderRename RenameFolder(const fs::path& folder, std::u16string_view newName) {
    if (newName.empty() || !listing::IsSafeName(newName)) return FolderRename::BadInput;
    const fs::path target = folder.parent_path() / fs::path(toUtf8(newName));
    std::error_code ec;
    if (fs::is_directory(target, ec)) return FolderRename::Duplicate;
    // Never over a file or folder of that name.
    if (!store::RenameNoReplace(folder, target)) return FolderRename::BadInput;
    return FolderRename::Ok;
}

}  // namespace plova
