// Which box folder the program opens: the start-up folder setting (INIT,
// NEXTFOLDER, NEXTFOLDERNAME, CHANGE), the change of the open box folder
// during a run and the names the record keeps for renamed box folders.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/SettingsRecord.h"
#include "download/FolderRename.h"
#include "folders/FolderList.h"

namespace plova {

// "起動時に指定のフォルダを開く" can be chosen: the root folder is set and
// holds at least one sub-folder.
bool CanSpecifyStartupFolder(const SettingsRecord& record);

// The text edit 1037 starts with: NEXTFOLDER followed by NEXTFOLDERNAME.
std::u16string SpecifiedFolderText(const SettingsRecord& record);

// "OK" of the start-up folder dialog. With `specified` false the last
// folder is reopened at start-up; else `text` (a full box-folder path) is
// split at its last separator into NEXTFOLDER (with the separator) and
// NEXTFOLDERNAME. CHANGE becomes 1 when the choice is new or names
// another folder. False, with the record untouched, when `text` names no
// folder by its full path (empty, no separator, nothing after the last one,
// a relative path, or a last part that is no plain folder name).
bool ApplyStartupFolderChoice(SettingsRecord& record, bool specified, std::u16string_view text);

// A box folder under `root` was renamed: the names the record keeps for it
// (the open folder, the list slots, the start-up folder) follow.
void FollowFolderRename(SettingsRecord& record, std::u16string_view root, std::u16string_view oldName,
                        std::u16string_view newName);

// "フォルダ変更" with box folder `name` chosen: it becomes the open box folder
// and the box folder of the next list window (list-window count + 1).
void ChooseOpenFolder(SettingsRecord& record, std::u16string_view name, int openListCount);

// The open lists (list numbers 1..openListCount) that show box folder `name`
// under `root`, and those that show any other. The open box folder is the
// one the lists show: a command that opens another folder closes the lists
// of every other, and never those of the folder it opens.
std::vector<int> ListsOfFolder(const SettingsRecord& record, int openListCount, std::u16string_view root,
                               std::u16string_view name);
std::vector<int> ListsOfOtherFolders(const SettingsRecord& record, int openListCount, std::u16string_view root,
                                     std::u16string_view name);

}  // namespace plova
