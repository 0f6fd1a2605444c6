#include "folders/FolderList.h"

#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova {
namespace fs = std::filesystem;

std::u16string FolderRow::PathCell() const {
    return (empty ? u"*" : u" ") + NameText(folder);
}

std::vector<FolderRow> ListBoxFolders(std::u16string_view root) {
    std::vector<FolderRow> rows;
    if (root.empty()) return rows;
    for (const fs::path& sub : CFileMng::ListSubFolders(PathOfText(root))) {
        if (!CFileMng::IsBoxFolder(sub)) continue;
        rows.push_back({sub, NameText(sub.filename()), CFileMng::HasMessages(sub) != store::BoxContents::HasMessages});
    }
    return rows;
}

}  // namespace plova
