// What the active list window shows: the display items (menu 32790), which
// rebuild every open box list, and the select display (button 1010) with the
// criteria dialog of the list's kind, and the current message's folder
// opened in the file manager.
#pragma once

namespace plova::ui {

class ListCommandHost;

// "録音情報一覧の表示項目の追加と消去...": the dialog, and after its OK the
// open box lists with the new columns.
void RunDisplayItems(ListCommandHost& host);

// "選択表示": the criteria dialog of the active list, then its select display.
void RunSelectDisplay(ListCommandHost& host);

// "フォルダを開く" of the rows' menu: the folder of the active list's current
// message (or of its boxes) in the desktop's file manager.
void RunOpenMessageFolder(ListCommandHost& host);

// Registers them with the main window.
void InstallListDisplayCommands(ListCommandHost& host);

}  // namespace plova::ui
