#include "app/ExitSequence.h"

#include <algorithm>

namespace plova {
namespace {

constexpr std::u16string_view kSaveFailed = u"設定ファイルを保存できませんでした。";
constexpr std::u16string_view kErrorCaption = u"エラー";

}  // namespace

EndCheckButtons EndCheckButtonStates(const SettingsRecord& record) {
    return EndCheckButtons{record.hindo != 0, !record.folder.empty()};
}

bool RunExitSequence(ExitHost& host, CPLOVADoc& doc, BackupFlags& flags, const BackupHooks& backup,
                     const std::filesystem::path& settingsFile, int openListCount) {
    SettingsRecord& r = doc.settings;
    host.StopBackupTimer();

    flags.accepted = false;
    const EndCheckButtons buttons = EndCheckButtonStates(r);
    const EndCheckChoice choice = host.ShowEndCheck(buttons);
    if (choice == EndCheckChoice::Cancel) {
        if (flags.watch) host.StartBackupTimer();
        return false;
    }
    // A hidden or disabled button cannot have been pressed.
    flags.accepted = choice == EndCheckChoice::BackupAndExit && buttons.backupVisible && buttons.backupEnabled;

    if (flags.accepted) {
        // No message either way: the program ends whatever the result.
        flags.confirmed = false;
        flags.running = true;
        const bool ok = backup.run && backup.run(r);
        flags.running = false;
        const LocalTime now = CurrentPorts().clock->Now();
        if (!ok) {
            flags.accepted = false;
            flags.watch = true;
        } else if (backup.computeNextDue) {
            backup.computeNextDue(r, now);
        }
        RecordBackupResult(r, ok, now);
    }

    r.num = std::clamp(openListCount, 0, settings::kListSlots);
    const PlacementSave placement = host.CollectPlacement();
    if (!doc.WriteAllSettings(settingsFile, &placement))
        ShowPrompt(std::u16string(kSaveFailed), std::u16string(kErrorCaption), Icon::Exclamation);
    host.DeleteQueuedWavFiles();
    return true;
}

}  // namespace plova
