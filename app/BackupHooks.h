// The automatic backup as the application shell calls it: the flags the main
// window keeps, and the entry points of the schedule and the run. The
// program's own come from MakeBackupHooks() (BackupWatch.h); NoBackupYet()
// gives entry points that never find a backup due, fail a requested run and
// leave YOTEIBI alone, for windows that are not to back up (most tests).
#pragma once

#include <functional>
#include <string>

#include "app/SettingsRecord.h"
#include "backup/BackupSchedule.h"
#include "platform/Ports.h"

namespace plova {

struct BackupFlags {
    bool watch = false;      // armed: the backup timers run
    bool accepted = false;   // the run is to start now
    bool confirmed = false;  // a person agreed, so the run shows its messages
    bool pending = false;    // became due while a modal dialog was open
    bool running = false;    // a run is in progress
};

struct BackupHooks {
    // Due test of the schedule.
    std::function<bool(const SettingsRecord&, const LocalTime& now)> isDue;
    // Backup folder names, base month and the run itself; true on success.
    std::function<bool(SettingsRecord&)> run;
    // Next-due time into YOTEIBI.
    std::function<void(SettingsRecord&, const LocalTime& now)> computeNextDue;
};

// Entry points for as long as the backup is not built.
BackupHooks NoBackupYet();

// "YYYYMMDDhhmm".
using backup::TimeStamp;

// Records a run's result: ZENKAIKA 1 (success) or 2, ZENKAIBI the current time.
void RecordBackupResult(SettingsRecord& record, bool success, const LocalTime& now);

// The pending run: only when `accepted` is set. Runs the backup with the
// running flag set; a failure re-arms the watch and records 2, a success
// records 1 and, when a person agreed to the run, shows
// "バックアップが完了しました。". Then ZENKAIBI is the current time and the next-due
// time is computed. `accepted` is cleared either way, so a finished run is
// never started a second time.
void RunPendingBackup(BackupFlags& flags, SettingsRecord& record, const BackupHooks& backup);

// Start-up after the list windows: clears the running flag, arms the watch;
// when the backup is overdue asks `askRunNow` (the start-up prompt): yes runs
// it at once as the pending run,
// no disarms the watch for the rest of the run. Returns whether the backup
// timer is to be started (the watch is armed).
bool StartupBackupSteps(BackupFlags& flags, SettingsRecord& record, const BackupHooks& backup,
                        const std::function<bool()>& askRunNow);

}  // namespace plova
