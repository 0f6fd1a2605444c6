#include "app/FolderSettings.h"

#include <algorithm>

#include "link/RemoteListing.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova {
namespace fs = std::filesystem;

namespace {
constexpr char16_t kSeparator = static_cast<char16_t>(fs::path::preferred_separator);
}

bool CanSpecifyStartupFolder(const SettingsRecord& r) {
    return !r.folder.empty() && !CFileMng::ListSubFolders(PathOfText(r.folder)).empty();
}

std::u16string SpecifiedFolderText(const SettingsRecord& r) {
    return r.nextFolder + r.nextFolderName;
}

bool ApplyStartupFolderChoice(SettingsRecord& r, bool specified, std::u16string_view text) {
    if (!specified) {
        r.change = 0;
        r.init = 0;
        r.nextFolder.clear();
        r.nextFolderName.clear();
        return true;
    }
    const std::size_t at = text.rfind(kSeparator);
    if (at == std::u16string_view::npos || at + 1 == text.size()) return false;
    const std::u16string root(text.substr(0, at + 1));
    const std::u16string name(text.substr(at + 1));
    // The text may be typed: it must name one folder by its full path.
    if (!listing::IsSafeName(name) || !PathOfText(root).is_absolute()) return false;
    // A first choice always counts as a change; so does another
    // folder, whether it differs in its name or only in its root.
    r.change = (r.init == 0 || name != r.nextFolderName || root != r.nextFolder) ? 1 : 0;
    r.init = 1;
    r.nextFolder = root;
    r.nextFolderName = name;
    return true;
}

void FollowFolderRename(SettingsRecord& r, std::u16string_view root, std::u16string_view oldName,
                        std::u16string_view newName) {
    const std::u16string rootWithSeparator = WithTrailingSeparator(root);
    if (WithTrailingSeparator(r.folder) == rootWithSeparator) {
        if (r.folderName == oldName) r.folderName = newName;
        for (auto& slot : r.folderNames)
            if (slot == oldName) slot = newName;
    }
    if (r.nextFolder == rootWithSeparator && r.nextFolderName == oldName) r.nextFolderName = newName;
}

namespace {

std::vector<int> listsWhere(const SettingsRecord& r, int openListCount, std::u16string_view root,
                            std::u16string_view name, bool sameFolder) {
    // The slots keep folder names only: every list is under the root folder.
    const bool sameRoot = WithTrailingSeparator(r.folder) == WithTrailingSeparator(root);
    std::vector<int> lists;
    for (int n = 1; n <= std::min(openListCount, settings::kListSlots); ++n) {
        const bool shows = sameRoot && r.folderNames[static_cast<std::size_t>(n - 1)] == name;
        if (shows == sameFolder) lists.push_back(n);
    }
    return lists;
}

}  // namespace

std::vector<int> ListsOfFolder(const SettingsRecord& r, int openListCount, std::u16string_view root,
                               std::u16string_view name) {
    return listsWhere(r, openListCount, root, name, true);
}

std::vector<int> ListsOfOtherFolders(const SettingsRecord& r, int openListCount, std::u16string_view root,
                                     std::u16string_view name) {
    return listsWhere(r, openListCount, root, name, false);
}

void ChooseOpenFolder(SettingsRecord& r, std::u16string_view name, int openListCount) {
    r.folderName = name;
    if (openListCount >= 0 && openListCount < settings::kListSlots)
        r.folderNames[static_cast<std::size_t>(openListCount)] = name;
}

}  // namespace plova
