// The start-up decisions about the box folder and the list windows of the
// last run, as data: the main window applies the plan (opening list windows,
// stacking them) and the settings record is updated here.
#pragma once

#include <filesystem>
#include <vector>

#include "app/SettingsRecord.h"
#include "app/WindowPlacement.h"
#include "platform/IniFile.h"

namespace plova {

// At the main window's creation: with CHANGE 1 the root folder becomes
// NEXTFOLDER; with INIT 1 and a NEXTFOLDERNAME other than the folder of list
// window 1, that name becomes the open box folder and the windows of the last
// run are not restored. Returns the restore-windows condition.
bool ApplyStartupFolder(SettingsRecord& record);

// Root folder (with a trailing separator) followed by the open box folder.
std::filesystem::path OpenBoxFolderPath(const SettingsRecord& record);

// A stored box folder that no longer exists is forgotten: FOLDER,
// FOLDERNAME and DISP1..4 cleared, NUM 0; CHANGE keeps its value.
void ForgetMissingFolder(SettingsRecord& record);

// One list window to reopen, in opening order; it becomes list window
// `listNumber`.
struct ListWindowToOpen {
    int listNumber = 0;
    Rect rect;               // its stored normal rectangle
    bool applyRect = true;   // false when stored maximised or without a rectangle
    bool maximised = false;  // stored maximised: set the maximised-children flag before opening it
};

struct RestorePlan {
    std::vector<ListWindowToOpen> windows;
    bool maximiseChildren = false;  // some window was stored maximised
    // List numbers to activate one after the other (stacking positions 4, 3,
    // 2, 1), so the window stored with ZOrder 1 ends on top and active.
    std::vector<int> activationOrder;
};

// The list windows of the last run, from the "Window"i sections. Empty unless
// the restore condition holds, CHANGE is not 1 and NUM is above 0. At most
// four windows, and never a window for an empty list slot.
RestorePlan PlanListRestore(const SettingsRecord& record, const IniDocument& ini, bool restoreCondition);

// Start-up with the settings read and the restore condition known.
struct StartupDecision {
    bool folderForgotten = false;  // the UI empties the folder and box displays
    RestorePlan restore;           // windows to open when the folder exists
    bool recountStatus = false;    // refresh the status bar with a recount
};

// Checks the open box folder on disk: a missing one is forgotten; an existing
// one loses what killed writes left in its boxes (SweepStaleTempFiles), gets
// its restore plan, and CHANGE becomes 0.
StartupDecision DecideStartup(SettingsRecord& record, const IniDocument& ini, bool restoreCondition);

}  // namespace plova
