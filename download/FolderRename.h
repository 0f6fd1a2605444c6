// A new name for a box folder, as the folder download's and the folder
// change's rename dialogs give one: a plain name beside the old one, never
// over a file or folder already there.
#pragma once

#include <filesystem>
#include <string_view>

namespace plova {

namespace folders {
constexpr std::u16string_view kRenameCaption = u"フォルダ名称変更";
constexpr int kRenameMaxChars = 256;
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kBadInput = u"入力値エラーです。";
constexpr std::u16string_view kDuplicate = u"フォルダ名が重複しています。";
}  // namespace folders

enum class [[nodiscard]] FolderRename{Ok, BadInput, Duplicate};

// Renames `folder` to `newName` beside it: an empty, unsafe or too long name
// (over kRenameMaxChars UTF-16 units, as the edit counts them), or a refused
// rename, is BadInput; a name already there as a folder is Duplicate, the
// folder's own name included.
FolderRename RenameFolder(const std::filesystem::path& folder, std::u16string_view newName);

// What the rename dialog shows for a result: nothing for Ok, so the dialog
// closes; otherwise the message, and the dialog stays open with the input.
std::u16string_view RenameRefusal(FolderRename result);

}  // namespace plova
