// The settings-menu commands that keep the box folders on the PC side (box
// names, new boxes, box folder names, the start-up folder, WAV deletion)
// and button 1008, the change of the open box folder.
#pragma once

#include <string_view>

namespace plova::ui {

class FolderHost;

// Registers the handlers of 1008, 32786, 32788, 32792, 32793 and 32794 with
// the main window.
void InstallBoxCommands(FolderHost& host);

}  // namespace plova::ui
