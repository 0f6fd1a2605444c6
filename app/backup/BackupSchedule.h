// The automatic backup's schedule: when the next backup is due, whether one
// is due now, and what the prompts and the timers do with the main window's
// backup flags. No window here: the dialogs and the timers of app/backup/ui
// and app/ui call these rules and show what they decide.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/BackupHooks.h"
#include "app/SettingsRecord.h"
#include "platform/Ports.h"

namespace plova::backup {

// "HINDO".
constexpr int kNever = 0;
constexpr int kDaily = 1;
constexpr int kWeekly = 2;
constexpr int kMonthly = 3;

// Prompt time-out and the two timers.
constexpr int kPromptTimeoutMs = 600000;  // the backup-time prompt starts the run by itself after 10 minutes

// Days of a month of the Gregorian calendar.
int DaysInMonth(int year, int month);
// The date `days` days after (before, when negative) the given one, with its weekday.
LocalTime AddDays(const LocalTime& date, int days);

// The next time the schedule names, from `now` on, as "YYYYMMDDhhmm"; empty
// when the frequency is none (or not one of the three).
std::u16string NextDueStamp(const SettingsRecord& record, const LocalTime& now);
// The same into "YOTEIBI".
void ComputeNextDue(SettingsRecord& record, const LocalTime& now);

// A root folder is set, a frequency is chosen, "YOTEIBI" (empty counts) is not
// later than now, and nobody is logged in to the main unit.
bool IsDue(const SettingsRecord& record, const LocalTime& now);

// The backup-time prompt: how it ended.
enum class BackupTimeAnswer { Yes, No, TimedOut };
// When it opens: a person is there to agree, so the run will show its messages.
void OnBackupTimePromptOpened(BackupFlags& flags);
// "はい(&Y)" runs now; "いいえ(&N)" skips this occurrence and keeps watching;
// the time-out runs now, quietly.
void OnBackupTimePromptEnded(BackupFlags& flags, SettingsRecord& record, BackupTimeAnswer answer,
                             const LocalTime& now);
// The start-up prompt (no time-out): yes runs now with messages; no leaves
// the schedule off until the program ends.
void OnStartupPromptEnded(BackupFlags& flags, bool yes);

// What the backup settings dialog shows and changes.
struct ScheduleForm {
    int frequency = kNever;  // kNever .. kMonthly
    int weekday = 0;         // selection of the weekday list, 0 = Sunday
    int day = 1;             // 1..31
    int hour = 0;
    int minute = 0;
    bool weekdayEnabled() const { return frequency == kWeekly; }
    bool dayEnabled() const { return frequency == kMonthly; }
    bool timeEnabled() const { return frequency >= kDaily && frequency <= kMonthly; }
};
// The form from the settings: an unknown frequency shows as none, a weekday
// or day outside its list as its nearest entry. Nothing when the stored hour
// is above 23 or the minute above 59: the dialog does not open on them.
std::optional<ScheduleForm> OpenScheduleForm(const SettingsRecord& record);
// "OK": the form into the settings and the next-due time computed.
void ApplyScheduleForm(SettingsRecord& record, const ScheduleForm& form, const LocalTime& now);

// The main window's backup watch: timer 2, the dialogs' timer 10 and the
// checks that long operations make between their steps all come here.
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
    bool DueNow() const;
    BackupFlags& flags_;
    SettingsRecord& record_;
    const BackupHooks& hooks_;
    std::function<void()> prompt_;
};

}  // namespace plova::backup
