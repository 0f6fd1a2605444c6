#include "backup/BackupSchedule.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/Text.h"

namespace plova::backup {
namespace {

constexpr std::size_t kStampLength = 12;  // "YYYYMMDDhhmm"

constexpr int kDaysPerWeek = 7;

// Days since 1970-01-01 of a Gregorian date, and back.
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalTime civilFromDays(long z) {
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

LocalTime at(LocalTime day, int hour, int minute) {
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
    LocalTime t = civilFromDays(daysFromCivil(date.year, date.month, date.day) + days);
    t.hour = date.hour;
    t.minute = date.minute;
    t.second = date.second;
    t.millisecond = date.millisecond;
    return t;
}

std::u16string TimeStamp(const LocalTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute);
    // Twelve digits, as the settings keep them, whatever the clock says.
    return FromUtf8(std::string(buf).substr(0, 12));
}

std::u16string StampText(std::u16string_view stamp) {
    if (stamp.size() != kStampLength ||
        !std::all_of(stamp.begin(), stamp.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
        return {};
    std::u16string text;
    text.append(stamp.substr(0, 4)).append(u"/").append(stamp.substr(4, 2)).append(u"/").append(stamp.substr(6, 2));
    text.append(u" ").append(stamp.substr(8, 2)).append(u":").append(stamp.substr(10, 2));
    return text;
}

std::u16string LastRunText(std::u16string_view lastEnd, int lastResult) {
    const std::u16string when = StampText(lastEnd);
    if (when.empty() || (lastResult != kRunCompleted && lastResult != kRunFailed)) return u"前回のバックアップ: なし";
    return u"前回のバックアップ: " + when + (lastResult == kRunCompleted ? u"  完了" : u"  失敗または中止");
}

std::u16string NextRunText(std::u16string_view nextDue) {
    const std::u16string when = StampText(nextDue);
    return u"次回のバックアップ: " + (when.empty() ? std::u16string(u"予定なし") : when);
}

std::u16string FailedRunNotice(std::u16string_view lastEnd) {
    std::u16string when = StampText(lastEnd);
    if (!when.empty()) when = u"（" + when + u"）";
    return u"前回の自動バックアップ" + when + u"は完了していません。失敗したか、中止されました。";
}

std::u16string NextDueStamp(const Schedule& r, const LocalTime& now) {
    const int nowHM = now.hour * 100 + now.minute;
    const int setHM = r.hour * 100 + r.minute;
    // The weekday is worked out from the date: the clock's own field is not
    // needed, and a wrong one must not move the backup.
    const LocalTime today = AddDays(now, 0);
    switch (r.frequency) {
    case kDaily: return TimeStamp(at(nowHM >= setHM ? AddDays(today, 1) : today, r.hour, r.minute));
    case kWeekly: {
        int offset = 0;
        if (!(today.dayOfWeek == r.weekday && nowHM < setHM)) {
            offset = r.weekday - today.dayOfWeek;
            if (offset <= 0) offset += kDaysPerWeek;
        }
        return TimeStamp(at(AddDays(today, offset), r.hour, r.minute));
    }
    case kMonthly: {
        // A day outside 1..31 in a hand-edited file would name no date at all.
        const int hi = std::clamp(r.day, 1, 31);
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
        return TimeStamp(at(AddDays(due, 0), r.hour, r.minute));
    }
    default: return {};
    }
}

bool IsDue(std::u16string_view rootFolder, int frequency, std::u16string_view nextDue, bool loggedIn,
           const LocalTime& now) {
    return !rootFolder.empty() && frequency != kNever && nextDue <= TimeStamp(now) && !loggedIn;
}

std::optional<Schedule> ScheduleToShow(const Schedule& r) {
    if (r.hour > 23 || r.minute > 59) return std::nullopt;
    Schedule f;
    f.frequency = r.frequency >= kDaily && r.frequency <= kMonthly ? r.frequency : kNever;
    f.weekday = std::clamp(r.weekday, 0, kDaysPerWeek - 1);
    f.day = std::clamp(r.day, 1, 31);
    f.hour = std::max(r.hour, 0);
    f.minute = std::max(r.minute, 0);
    return f;
}

}  // namespace plova::backup
