// The settings-menu commands that keep the box folders on the PC side (box
// names, new boxes, box folder names, the start-up folder, WAV deletion)
// and button 1008, the change of the open box folder.
#pragma once

#include <string_view>

namespace plova::ui {

class CMainFrame;

// Box folder `oldName` under `root` now bears `newName`: the names the
// settings keep for it (the open folder, the list slots, the start-up
// folder) follow, and so do the folder field and the open lists, which are
// read again from it.
void FollowBoxFolderRename(CMainFrame& frame, std::u16string_view root, std::u16string_view oldName,
                           std::u16string_view newName);

// Box folder `name` under `root` is to be the open one: the list windows of
// every other folder close (those of this folder stay).
void CloseListsOfOtherFolders(CMainFrame& frame, std::u16string_view root, std::u16string_view name);

// Registers the handlers of 1008, 32786, 32788, 32792, 32793 and 32794 with
// the main window.
void InstallBoxCommands(CMainFrame& frame);

}  // namespace plova::ui
