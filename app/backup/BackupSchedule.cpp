#include "app/backup/BackupSchedule.h"

#include <algorithm>

namespace plova::backup {
namespace {

constexpr int kDaysPerWeek = 7;

// Days since 1970-01-01 of a Gregorian date, and back.
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalTime CivilFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    LocalTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    // 1970-01-01 was a Thursday.
    t.dayOfWeek = static_cast<int>(((z - 719468) % kDaysPerWeek + kDaysPerWeek + 4) % kDaysPerWeek);
    return t;
}

LocalTime At(LocalTime day, int hour, int minute) {
    day.hour = hour;
    day.minute = minute;
    day.second = 0;
    day.millisecond = 0;
    return day;
}

}  // namespace

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

LocalTime AddDays(const LocalTime& date, int days) {
    LocalTime t = CivilFromDays(DaysFromCivil(date.year, date.month, date.day) + days);
    t.hour = date.hour;
    t.minute = date.minute;
    t.second = date.second;
    t.millisecond = date.millisecond;
    return t;
}

std::u16string NextDueStamp(const SettingsRecord& r, const LocalTime& now) {
    const int nowHM = now.hour * 100 + now.minute;
    const int setHM = r.jikokuHH * 100 + r.jikokuMM;
    // The weekday is worked out from the date: the clock's own field is not
    // needed, and a wrong one must not move the backup.
    const LocalTime today = AddDays(now, 0);
    switch (r.hindo) {
    case kDaily:
        return TimeStamp(At(nowHM >= setHM ? AddDays(today, 1) : today, r.jikokuHH, r.jikokuMM));
    case kWeekly: {
        int offset = 0;
        if (!(today.dayOfWeek == r.youbi && nowHM < setHM)) {
            offset = r.youbi - today.dayOfWeek;
            if (offset <= 0) offset += kDaysPerWeek;
        }
        return TimeStamp(At(AddDays(today, offset), r.jikokuHH, r.jikokuMM));
    }
    case kMonthly: {
        // A day outside 1..31 in a hand-edited file would name no date at all.
        const int hi = std::clamp(r.hi, 1, 31);
        const int target = std::min(hi, DaysInMonth(today.year, today.month));
        LocalTime due = today;
        if (target == today.day && nowHM < setHM) {
            // today
        } else if (target > today.day) {
            due.day = target;
        } else {
            due.month = today.month == 12 ? 1 : today.month + 1;
            due.year = today.month == 12 ? today.year + 1 : today.year;
            due.day = std::min(hi, DaysInMonth(due.year, due.month));
        }
        return TimeStamp(At(AddDays(due, 0), r.jikokuHH, r.jikokuMM));
    }
    default:
        return {};
    }
}

void ComputeNextDue(SettingsRecord& record, const LocalTime& now) { record.yoteibi = NextDueStamp(record, now); }

bool IsDue(const SettingsRecord& r, const LocalTime& now) {
    return !r.folder.empty() && r.hindo != kNever && r.yoteibi <= TimeStamp(now) && r.loggedIn != 1;
}

void OnBackupTimePromptOpened(BackupFlags& flags) { flags.confirmed = true; }

void OnBackupTimePromptEnded(BackupFlags& flags, SettingsRecord& record, BackupTimeAnswer answer,
                             const LocalTime& now) {
    switch (answer) {
    case BackupTimeAnswer::Yes:
        flags.accepted = true;
        break;
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

void OnStartupPromptEnded(BackupFlags& flags, bool yes) {
    if (yes) {
        flags.accepted = true;
        flags.confirmed = true;
    } else {
        flags.watch = false;
        flags.accepted = false;
    }
}

std::optional<ScheduleForm> OpenScheduleForm(const SettingsRecord& r) {
    if (r.jikokuHH > 23 || r.jikokuMM > 59) return std::nullopt;
    ScheduleForm f;
    f.frequency = r.hindo >= kDaily && r.hindo <= kMonthly ? r.hindo : kNever;
    f.weekday = std::clamp(r.youbi, 0, kDaysPerWeek - 1);
    f.day = std::clamp(r.hi, 1, 31);
    f.hour = std::max(r.jikokuHH, 0);
    f.minute = std::max(r.jikokuMM, 0);
    return f;
}

void ApplyScheduleForm(SettingsRecord& r, const ScheduleForm& f, const LocalTime& now) {
    r.hindo = f.frequency;
    r.jikokuHH = f.hour;
    r.jikokuMM = f.minute;
    r.youbi = f.weekday;
    r.hi = f.day;
    ComputeNextDue(r, now);
}

// ------------------------------------------------------------ BackupWatch

BackupWatch::BackupWatch(BackupFlags& flags, SettingsRecord& record, const BackupHooks& hooks,
                         std::function<void()> showBackupTimePrompt)
    : flags_(flags), record_(record), hooks_(hooks), prompt_(std::move(showBackupTimePrompt)) {}

bool BackupWatch::DueNow() const { return hooks_.isDue && hooks_.isDue(record_, ports().clock->now()); }

void BackupWatch::OnBackupTimer() {
    if (flags_.running || !DueNow()) return;
    if (prompt_) prompt_();
    RunPendingBackup(flags_, record_, hooks_);
}

bool BackupWatch::DueBreak() {
    if (!flags_.watch || flags_.running || !DueNow()) return false;
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

}  // namespace plova::backup
