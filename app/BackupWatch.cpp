#include "app/BackupWatch.h"

#include <filesystem>

#include "platform/Text.h"

namespace plova {

backup::Schedule ScheduleOf(const SettingsRecord& r) {
    return backup::Schedule{r.hindo, r.youbi, r.hi, r.jikokuHH, r.jikokuMM};
}

void SetSchedule(SettingsRecord& r, const backup::Schedule& s) {
    r.hindo = s.frequency;
    r.youbi = s.weekday;
    r.hi = s.day;
    r.jikokuHH = s.hour;
    r.jikokuMM = s.minute;
}

void ComputeNextDue(SettingsRecord& record, const LocalTime& now) {
    record.yoteibi = backup::NextDueStamp(ScheduleOf(record), now);
}

bool IsBackupDue(const SettingsRecord& r, const LocalTime& now) {
    return backup::IsDue(r.folder, r.hindo, r.yoteibi, r.loggedIn == 1, now);
}

std::optional<backup::Schedule> OpenScheduleForm(const SettingsRecord& record) {
    return backup::ScheduleToShow(ScheduleOf(record));
}

void ApplyScheduleForm(SettingsRecord& record, const backup::Schedule& form, const LocalTime& now) {
    SetSchedule(record, form);
    ComputeNextDue(record, now);
}

backup::RunHistory RunHistoryOf(const SettingsRecord& record) {
    return {record.zenkaibi, record.zenkaika, record.yoteibi};
}

std::optional<std::u16string> TakeFailedBackupNotice(SettingsRecord& record) {
    if (record.zenkaika != backup::kRunFailed || record.zenkaibi.empty() || record.noticedBackup == record.zenkaibi)
        return std::nullopt;
    record.noticedBackup = record.zenkaibi;
    return backup::FailedRunNotice(record.zenkaibi);
}

void OnBackupTimePromptOpened(BackupFlags& flags) {
    flags.confirmed = true;
}

void OnBackupTimePromptEnded(BackupFlags& flags, SettingsRecord& record, BackupTimeAnswer answer,
                             const LocalTime& now) {
    switch (answer) {
    case BackupTimeAnswer::Yes: flags.accepted = true; break;
    case BackupTimeAnswer::No:
        // This occurrence is skipped; the next one is watched for.
        flags.watch = true;
        flags.accepted = false;
        ComputeNextDue(record, now);
        break;
    case BackupTimeAnswer::TimedOut:
        // Nobody answered: the run starts, but shows no messages to an empty desk.
        flags.accepted = true;
        flags.confirmed = false;
        break;
    }
}

std::optional<backup::Schedule> RecordBackupSettings::OpenScheduleForm() const {
    return plova::OpenScheduleForm(record_);
}

void RecordBackupSettings::ApplyScheduleForm(const backup::Schedule& form, const LocalTime& now) {
    plova::ApplyScheduleForm(record_, form, now);
}

backup::RunHistory RecordBackupSettings::History() const {
    return RunHistoryOf(record_);
}

void RecordBackupSettings::BackupTimePromptOpened() {
    OnBackupTimePromptOpened(flags_);
}

void RecordBackupSettings::BackupTimePromptEnded(BackupTimeAnswer answer, const LocalTime& now) {
    OnBackupTimePromptEnded(flags_, record_, answer, now);
}

backup::RunSettings RunSettingsOf(const SettingsRecord& r) {
    backup::RunSettings s;
    s.root = PathOfText(r.folder);
    s.address = r.ip;
    s.user = r.user;
    s.password = r.password;
    s.retryCount = r.retryCount;
    s.retryWait = r.retryWait;
    s.convert = r.downConv == 1;
    s.level = r.levelRvOrWav;
    s.loggedIn = r.loggedIn == 1;
    return s;
}

BackupHooks MakeBackupHooks(backup::BackupRunHost& host, const BackupFlags& flags, backup::RunOptions options) {
    BackupHooks h;
    h.isDue = IsBackupDue;
    h.computeNextDue = ComputeNextDue;
    h.run = [&host, &flags, options](SettingsRecord& record) {
        const backup::BackupMonths months =
            backup::MonthsOfRun(PathOfText(record.folder), record.zenkaibi, CurrentPorts().clock->Now());
        backup::RunSettings settings = RunSettingsOf(record);
        if (!settings.loggedIn) record.connection = ConnectionRecord{record.ip, record.user, record.password};
        backup::RunOptions o = options;
        o.confirmed = flags.confirmed;
        const bool ok = backup::RunBackup(host, settings, months, o) == backup::RunResult::Ok;
        record.loggedIn = 0;
        return ok;
    };
    return h;
}

// ------------------------------------------------------------ BackupWatch

BackupWatch::BackupWatch(BackupFlags& flags, SettingsRecord& record, const BackupHooks& hooks,
                         std::function<void()> showBackupTimePrompt)
    : flags_(flags), record_(record), hooks_(hooks), prompt_(std::move(showBackupTimePrompt)) {}

bool BackupWatch::dueNow() const {
    return hooks_.isDue && hooks_.isDue(record_, CurrentPorts().clock->Now());
}

void BackupWatch::OnBackupTimer() {
    if (flags_.running || !dueNow()) return;
    if (prompt_) prompt_();
    RunPendingBackup(flags_, record_, hooks_);
}

bool BackupWatch::DueBreak() {
    if (!flags_.watch || flags_.running || !dueNow()) return false;
    if (prompt_) prompt_();
    if (!flags_.accepted) return false;
    flags_.pending = true;
    return true;
}

void BackupWatch::RunPendingIfSet() {
    if (!flags_.pending) return;
    flags_.pending = false;
    RunPendingBackup(flags_, record_, hooks_);
}

}  // namespace plova
