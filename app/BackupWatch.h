// The automatic backup as the main window holds it: its settings record and
// backup flags meet the schedule and the run of backup/ here. The prompts
// change the flags through these functions, and timer 2, the dialogs' timer
// 10 and the checks between the steps of long operations all go through
// BackupWatch, so the rule "due, then the prompt, then the run or a pending
// run" lives in one place.
#pragma once

#include <functional>
#include <optional>

#include "app/BackupHooks.h"
#include "app/SettingsRecord.h"
#include "backup/BackupRun.h"
#include "backup/BackupSchedule.h"
#include "backup/BackupSettingsHost.h"

namespace plova {

// The schedule's keys of the record, and back.
backup::Schedule ScheduleOf(const SettingsRecord& record);
void SetSchedule(SettingsRecord& record, const backup::Schedule& schedule);

// The next-due time into "YOTEIBI".
void ComputeNextDue(SettingsRecord& record, const LocalTime& now);
// The due test on the record.
bool IsBackupDue(const SettingsRecord& record, const LocalTime& now);

// The settings dialog: what it shows (nothing when it must not open), and
// "OK" (the schedule stored, the next-due time computed).
std::optional<backup::Schedule> OpenScheduleForm(const SettingsRecord& record);
void ApplyScheduleForm(SettingsRecord& record, const backup::Schedule& form, const LocalTime& now);

// The last run and the next, as the settings dialog shows them.
backup::RunHistory RunHistoryOf(const SettingsRecord& record);

// At start: the notice of the last run when it failed or was cancelled and
// no start has reported it yet (it is marked reported); nothing otherwise.
std::optional<std::u16string> TakeFailedBackupNotice(SettingsRecord& record);

// The backup-time prompt. When it opens: a person is there to agree, so the run will show its messages.
void OnBackupTimePromptOpened(BackupFlags& flags);
// "はい(&Y)" runs now; "いいえ(&N)" skips this occurrence and keeps watching;
// the time-out runs now, quietly.
void OnBackupTimePromptEnded(BackupFlags& flags, SettingsRecord& record, BackupTimeAnswer answer, const LocalTime& now);

// The backup's dialogs on the main window's settings record and flags, by
// the functions above.
class RecordBackupSettings final : public backup::SettingsHost {
public:
    RecordBackupSettings(BackupFlags& flags, SettingsRecord& record) : flags_(flags), record_(record) {}
    [[nodiscard]] std::optional<backup::Schedule> OpenScheduleForm() const override;
    void ApplyScheduleForm(const backup::Schedule& form, const LocalTime& now) override;
    void BackupTimePromptOpened() override;
    void BackupTimePromptEnded(BackupTimeAnswer answer, const LocalTime& now) override;
    [[nodiscard]] backup::RunHistory History() const override;

private:
    BackupFlags& flags_;
    SettingsRecord& record_;
};

// The run's settings: the stored login, the root folder, the retries and the
// conversion.
backup::RunSettings RunSettingsOf(const SettingsRecord& record);

// The entry points of the program's own backup: the due test, the next-due
// computation, and a run with the month folders and base month computed just
// before it, showing its messages when `flags.confirmed` is set. The run
// logs in with the stored values (they become the connection record) and
// always ends logged out.
BackupHooks MakeBackupHooks(backup::BackupRunHost& host, const BackupFlags& flags, backup::RunOptions options = {});

class BackupWatch {
public:
    // `showBackupTimePrompt` shows the backup-time prompt modally; the prompt
    // sets the flags through OnBackupTimePromptOpened/Ended.
    BackupWatch(BackupFlags& flags, SettingsRecord& record, const BackupHooks& hooks,
                std::function<void()> showBackupTimePrompt);

    // One tick of timer 2 (the caller stops it before and restarts it after
    // while the watch is armed): when due, the prompt and then the pending run.
    void OnBackupTimer();

    // One tick of a modal dialog's timer 10, or a check between two steps of
    // a long operation: when the backup is due and the prompt ends with the
    // run accepted, the backup becomes pending and the caller abandons its
    // dialog or operation (true); the command that ran it then calls
    // RunPendingIfSet(). False while the watch is not armed.
    bool DueBreak();

    // After a command's dialog or operation: the pending run, when one is pending.
    void RunPendingIfSet();

private:
    [[nodiscard]] bool dueNow() const;
    BackupFlags& flags_;
    SettingsRecord& record_;
    const BackupHooks& hooks_;
    std::function<void()> prompt_;
};

}  // namespace plova
