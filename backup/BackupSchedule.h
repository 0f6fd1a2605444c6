// The automatic backup's calendar: when the next backup is due, whether one
// is due now, and what the settings dialog may show. Plain values here; the
// main window's settings record and flags meet these rules in app/.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Ports.h"

namespace plova::backup {

// "HINDO".
constexpr int kNever = 0;
constexpr int kDaily = 1;
constexpr int kWeekly = 2;
constexpr int kMonthly = 3;

constexpr int kPromptTimeoutMs = 600000;  // the backup-time prompt starts the run by itself after 10 minutes

// "HINDO", "YOUBI", "HI", "JIKOKUHH", "JIKOKUMM"; also what the settings
// dialog shows and changes.
struct Schedule {
    int frequency = kNever;  // kNever .. kMonthly
    int weekday = 0;         // 0 = Sunday .. 6 = Saturday
    int day = 1;             // 1..31
    int hour = 0;
    int minute = 0;
    [[nodiscard]] bool WeekdayEnabled() const { return frequency == kWeekly; }
    [[nodiscard]] bool DayEnabled() const { return frequency == kMonthly; }
    [[nodiscard]] bool TimeEnabled() const { return frequency >= kDaily && frequency <= kMonthly; }
};

// "ZENKAIKA": how the last run ended.
constexpr int kRunCompleted = 1;
constexpr int kRunFailed = 2;  // failed or cancelled

// The last run and the next, as the settings keep them.
struct RunHistory {
    std::u16string lastEnd;  // "ZENKAIBI": "YYYYMMDDhhmm", empty before the first run
    int lastResult = 0;      // "ZENKAIKA": kRunCompleted, kRunFailed, 0 before the first run
    std::u16string nextDue;  // "YOTEIBI", empty when nothing is scheduled
};

// "YYYYMMDDhhmm" ("%04d%02d%02d%02d%02d").
std::u16string TimeStamp(const LocalTime& t);
// A stamp as people read it, "2026/12/10 03:00"; empty when `stamp` is not one.
std::u16string StampText(std::u16string_view stamp);

// The settings dialog's lines on the last run ("ZENKAIBI", "ZENKAIKA") and
// on the next ("YOTEIBI", or what the form being edited would make it).
std::u16string LastRunText(std::u16string_view lastEnd, int lastResult);
std::u16string NextRunText(std::u16string_view nextDue);
// What the start says of a run that failed or was cancelled, ended at `lastEnd`.
std::u16string FailedRunNotice(std::u16string_view lastEnd);

// Days of a month of the Gregorian calendar.
int DaysInMonth(int year, int month);
// The date `days` days after (before, when negative) the given one, with its weekday.
LocalTime AddDays(const LocalTime& date, int days);

// The next time the schedule names, from `now` on, as "YYYYMMDDhhmm"; empty
// when the frequency is none (or not one of the three).
std::u16string NextDueStamp(const Schedule& schedule, const LocalTime& now);

// Due when a root folder is set, a frequency is chosen, the next-due time
// (empty counts) is not later than now, and nobody is logged in.
bool IsDue(std::u16string_view rootFolder, int frequency, std::u16string_view nextDue, bool loggedIn,
           const LocalTime& now);

// The settings dialog's view of the stored values: an unknown frequency
// shows as none, a weekday or day outside its list as its nearest entry.
// Nothing when the hour is above 23 or the minute above 59: the dialog does
// not open on them.
std::optional<Schedule> ScheduleToShow(const Schedule& stored);

}  // namespace plova::backup
