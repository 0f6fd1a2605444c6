// Settings-menu entry 32791 "録音情報を編集する..." (and a double click on a
// row): the recording information of the active list's current message.
#pragma once

namespace plova::ui {

class ListCommandHost;

// Registers the handler of 32791 with the main window.
void InstallInfoEditCommands(ListCommandHost& host);

}  // namespace plova::ui
