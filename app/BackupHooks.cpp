#include "app/BackupHooks.h"

#include "platform/Text.h"

namespace plova {
namespace {

constexpr std::u16string_view kCompletedText = u"バックアップが完了しました。";
constexpr std::u16string_view kCompletedCaption = u"バックアップ完了";

}  // namespace

BackupHooks NoBackupYet() {
    BackupHooks h;
    h.isDue = [](const SettingsRecord&, const LocalTime&) { return false; };
    h.run = [](SettingsRecord&) { return false; };
    h.computeNextDue = [](SettingsRecord&, const LocalTime&) {};
    return h;
}

void RecordBackupResult(SettingsRecord& record, bool success, const LocalTime& now) {
    record.zenkaika = success ? backup::kRunCompleted : backup::kRunFailed;
    record.zenkaibi = TimeStamp(now);
}

void RunPendingBackup(BackupFlags& flags, SettingsRecord& record, const BackupHooks& backup) {
    if (!flags.accepted) return;
    flags.running = true;
    const bool ok = backup.run && backup.run(record);
    flags.running = false;
    flags.accepted = false;
    if (!ok) flags.watch = true;
    const LocalTime now = CurrentPorts().clock->Now();
    RecordBackupResult(record, ok, now);
    if (ok && flags.confirmed)
        ShowPrompt(std::u16string(kCompletedText), std::u16string(kCompletedCaption), Icon::Information);
    if (backup.computeNextDue) backup.computeNextDue(record, now);
}

bool StartupBackupSteps(BackupFlags& flags, SettingsRecord& record, const BackupHooks& backup,
                        const std::function<bool()>& askRunNow) {
    flags.running = false;
    flags.watch = true;
    if (backup.isDue && backup.isDue(record, CurrentPorts().clock->Now())) {
        if (askRunNow && askRunNow()) {
            flags.accepted = true;
            flags.confirmed = true;
            RunPendingBackup(flags, record, backup);
        } else {
            flags.watch = false;
            flags.accepted = false;
        }
    }
    return flags.watch;
}

}  // namespace plova
