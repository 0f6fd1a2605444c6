// What the active list window shows: the display items (menu 32790), which
// rebuild every open box list, and the select display (button 1010) with the
// criteria dialog of the list's kind.
#pragma once

namespace plova::ui {

class ListCommandHost;

// "録音情報一覧の表示項目の追加と消去...": the dialog, and after its OK the
// open box lists with the new columns.
void RunDisplayItems(ListCommandHost& host);

// "選択表示": the criteria dialog of the active list, then its select display.
void RunSelectDisplay(ListCommandHost& host);

// Registers both with the main window.
void InstallListDisplayCommands(ListCommandHost& host);

}  // namespace plova::ui
