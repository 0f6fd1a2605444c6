// The box folders under the root folder, as the folder lists of the start-up
// folder and folder change dialogs show them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plova {

namespace folders {
constexpr std::u16string_view kStartupCaption = u"起動時のフォルダ指定";
constexpr std::u16string_view kChangeCaption = u"フォルダ変更";
constexpr std::u16string_view kNameHeader = u"フォルダ名";
constexpr std::u16string_view kPathHeader = u"パス名";
constexpr int kNameWidth = 100;
constexpr int kPathWidth = 400;
}  // namespace folders

// One box folder under the root folder, as the folder lists show it.
struct FolderRow {
    std::filesystem::path folder;
    std::u16string name;
    // Its boxes hold no message yet: the path cell starts with "*".
    bool empty = false;
    // The "パス名" cell: "*" or a blank, then the full path.
    [[nodiscard]] std::u16string PathCell() const;
};

// The sub-folders of `root` that pass the box-folder test, in the store's
// order; none when `root` is empty.
std::vector<FolderRow> ListBoxFolders(std::u16string_view root);

}  // namespace plova
