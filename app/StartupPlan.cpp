#include "app/StartupPlan.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "folders/BoxFolders.h"
#include "platform/Text.h"

namespace plova {

bool ApplyStartupFolder(SettingsRecord& r) {
    if (r.change == 1) r.folder = r.nextFolder;
    if (r.init == 1 && r.nextFolderName != r.folderNames[0]) {
        // The specified folder is not the one the saved windows show.
        r.folderName = r.nextFolderName;
        return false;
    }
    return true;
}

std::filesystem::path OpenBoxFolderPath(const SettingsRecord& r) {
    return PathOfText(WithTrailingSeparator(r.folder) + r.folderName);
}

void ForgetMissingFolder(SettingsRecord& r) {
    r.folder.clear();
    r.folderName.clear();
    for (auto& d : r.disp) d.clear();
    r.num = 0;
}

RestorePlan PlanListRestore(const SettingsRecord& r, const IniDocument& ini, bool restoreCondition) {
    RestorePlan plan;
    if (!restoreCondition || r.change == 1 || r.num <= 0) return plan;

    // Never more windows than slots, and never a window for an empty slot: a
    // hand-edited NUM must not open lists that show nothing.
    int count = 0;
    while (count < std::min(r.num, settings::kListSlots) && !r.disp[count].empty()) ++count;

    std::array<int, 4> stacking{};  // stacking position 1..4 → list number
    for (int i = 1; i <= count; ++i) {
        const StoredListWindow stored = ReadListWindowSection(ini, i);
        if (stored.zOrder >= 1 && stored.zOrder <= 4) stacking[stored.zOrder - 1] = i;
        ListWindowToOpen w;
        w.listNumber = i;
        w.rect = stored.rect;
        w.maximised = stored.showCmd == placement::kShowMaximized;
        const bool hasRect = stored.rect.left != placement::kAbsent && stored.rect.top != placement::kAbsent &&
                             stored.rect.right != placement::kAbsent && stored.rect.bottom != placement::kAbsent;
        w.applyRect = !w.maximised && hasRect;
        plan.maximiseChildren = plan.maximiseChildren || w.maximised;
        plan.windows.push_back(w);
    }
    for (int position = 4; position >= 1; --position) {
        const int list = stacking[position - 1];
        if (list >= 1 && list <= count) plan.activationOrder.push_back(list);
    }
    return plan;
}

StartupDecision DecideStartup(SettingsRecord& r, const IniDocument& ini, bool restoreCondition) {
    StartupDecision d;
    // What imports killed part way left in the scratch folder goes, whatever folder opens.
    SweepStaleScratchFiles();
    std::error_code ec;
    // Without a root folder there is no box folder (an empty root must not
    // resolve against the current or the file system's root folder).
    const bool exists = !r.folder.empty() && std::filesystem::is_directory(OpenBoxFolderPath(r), ec);
    if (!exists) {
        ForgetMissingFolder(r);
        d.folderForgotten = true;
        return d;
    }
    SweepStaleTempFiles(OpenBoxFolderPath(r));
    d.restore = PlanListRestore(r, ini, restoreCondition);
    r.change = 0;
    d.recountStatus = true;
    return d;
}

}  // namespace plova
