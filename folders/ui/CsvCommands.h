// Menu items 32795 (the list export) and 32796 (the extension-box-name
// import): the dialogs, their result messages and the lists reloaded after
// an import.
#pragma once

namespace plova::ui {

class FolderHost;

// The active list window to a CSV file; nothing without an active list.
void ExportActiveList(FolderHost& host);

// Extension box names from a CSV file into the open box folder.
void ImportExtensionBoxNames(FolderHost& host);

// Registers both with the main window.
void InstallCsvCommands(FolderHost& host);

}  // namespace plova::ui
