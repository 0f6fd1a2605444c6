#include <gtest/gtest.h>

#include "backup/BackupSchedule.h"
#include "platform/Text.h"
#include "platform/testing/TestPorts.h"

namespace plova::backup {
namespace {

LocalTime at(int y, int mo, int d, int h, int mi) {
    LocalTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.dayOfWeek = AddDays(t, 0).dayOfWeek;
    return t;
}

Schedule schedule(int frequency, int hh, int mm, int weekday = 0, int day = 1) {
    return Schedule{frequency, weekday, day, hh, mm};
}

TEST(BackupScheduleTest, DaysAndWeekdaysFollowTheGregorianCalendar) {
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 2), 28);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 4), 30);
    EXPECT_EQ(DaysInMonth(2026, 12), 31);
    // 2026-04-15 is a Wednesday; across a year end and a leap day.
    EXPECT_EQ(at(2026, 4, 15, 0, 0).dayOfWeek, 3);
    const LocalTime newYear = AddDays(at(2026, 12, 31, 9, 5), 1);
    EXPECT_EQ(TimeStamp(newYear), u"202701010905");
    EXPECT_EQ(newYear.dayOfWeek, 5);
    EXPECT_EQ(TimeStamp(AddDays(at(2024, 2, 28, 0, 0), 1)), u"202402290000");
    EXPECT_EQ(TimeStamp(AddDays(at(2024, 3, 1, 0, 0), -1)), u"202402290000");
}

TEST(BackupScheduleTest, NextDueTime) {
    struct Case {
        const char* what;
        Schedule schedule;
        LocalTime now;
        std::u16string due;
    } cases[] = {
        {"daily at 10:00, computed at 10:00", schedule(kDaily, 10, 0), at(2026, 4, 15, 10, 0), u"202604161000"},
        {"daily at 10:00, computed at 09:59", schedule(kDaily, 10, 0), at(2026, 4, 15, 9, 59), u"202604151000"},
        {"daily after the time on the last day of the year", schedule(kDaily, 0, 30), at(2026, 12, 31, 23, 0),
         u"202701010030"},
        {"daily after the time on 28 February of a leap year", schedule(kDaily, 8, 0), at(2028, 2, 28, 9, 0),
         u"202802290800"},
        {"weekly Wednesday, a Wednesday before the time", schedule(kWeekly, 10, 0, 3), at(2026, 4, 15, 9, 0),
         u"202604151000"},
        {"weekly Wednesday, a Wednesday after the time", schedule(kWeekly, 10, 0, 3), at(2026, 4, 15, 11, 0),
         u"202604221000"},
        {"weekly Wednesday, computed on a Thursday", schedule(kWeekly, 10, 0, 3), at(2026, 4, 16, 9, 0),
         u"202604221000"},
        {"weekly Sunday, computed on a Saturday at year end", schedule(kWeekly, 6, 15, 0), at(2026, 12, 26, 7, 0),
         u"202612270615"},
        {"monthly 31st, computed on 10 April", schedule(kMonthly, 10, 0, 0, 31), at(2026, 4, 10, 12, 0),
         u"202604301000"},
        {"monthly 31st, 30 April after the time", schedule(kMonthly, 10, 0, 0, 31), at(2026, 4, 30, 11, 0),
         u"202605311000"},
        {"monthly 31st, 30 April before the time", schedule(kMonthly, 10, 0, 0, 31), at(2026, 4, 30, 9, 0),
         u"202604301000"},
        {"monthly 31st, 15 February of a leap year", schedule(kMonthly, 10, 0, 0, 31), at(2028, 2, 15, 10, 0),
         u"202802291000"},
        {"monthly 31st, 15 February of a common year", schedule(kMonthly, 10, 0, 0, 31), at(2026, 2, 15, 10, 0),
         u"202602281000"},
        {"monthly 30th, 31 January after the day", schedule(kMonthly, 10, 0, 0, 30), at(2026, 1, 31, 10, 0),
         u"202602281000"},
        {"monthly 5th, December after the day", schedule(kMonthly, 23, 59, 0, 5), at(2026, 12, 20, 0, 0),
         u"202701052359"},
        {"monthly, a day of 0 in the file counts as the 1st", schedule(kMonthly, 1, 0, 0, 0), at(2026, 4, 10, 0, 0),
         u"202605010100"},
        {"no frequency", schedule(kNever, 10, 0), at(2026, 4, 15, 9, 0), u""},
        {"an unknown frequency", schedule(7, 10, 0), at(2026, 4, 15, 9, 0), u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(testkit::Utf8(NextDueStamp(c.schedule, c.now)), testkit::Utf8(c.due)) << c.what;
}

// The settings dialog's and the start's texts of the last run and the next:
// a stamp that is not one (cut, letters, hand-edited) reads as none.
TEST(BackupScheduleTest, LastAndNextRunTexts) {
    struct Case {
        std::u16string stamp;
        int result;
        std::u16string last, next;
    };
    for (const Case& c : {
             Case{u"202612100300", kRunCompleted, u"前回のバックアップ: 2026/12/10 03:00  完了",
                  u"次回のバックアップ: 2026/12/10 03:00"},
             Case{u"202612100300", kRunFailed, u"前回のバックアップ: 2026/12/10 03:00  失敗または中止",
                  u"次回のバックアップ: 2026/12/10 03:00"},
             Case{u"202612100300", 0, u"前回のバックアップ: なし", u"次回のバックアップ: 2026/12/10 03:00"},
             Case{u"", kRunCompleted, u"前回のバックアップ: なし", u"次回のバックアップ: 予定なし"},
             Case{u"20261210030", kRunCompleted, u"前回のバックアップ: なし", u"次回のバックアップ: 予定なし"},
             Case{u"2026121003x0", kRunFailed, u"前回のバックアップ: なし", u"次回のバックアップ: 予定なし"},
         }) {
        EXPECT_EQ(LastRunText(c.stamp, c.result), c.last) << testkit::Utf8(c.stamp);
        EXPECT_EQ(NextRunText(c.stamp), c.next) << testkit::Utf8(c.stamp);
    }
    EXPECT_EQ(FailedRunNotice(u"202612100300"),
              u"前回の自動バックアップ（2026/12/10 03:00）は完了していません。失敗したか、中止されました。");
    EXPECT_EQ(FailedRunNotice(u"?"), u"前回の自動バックアップは完了していません。失敗したか、中止されました。");
}

TEST(BackupScheduleTest, DueTest) {
    const LocalTime now = at(2026, 4, 15, 10, 0);
    EXPECT_TRUE(IsDue(u"/b/", kDaily, u"202604151000", false, now));
    EXPECT_TRUE(IsDue(u"/b/", kDaily, u"202604140000", false, now));
    EXPECT_TRUE(IsDue(u"/b/", kMonthly, u"", false, now));
    EXPECT_FALSE(IsDue(u"/b/", kDaily, u"202604151001", false, now));
    EXPECT_FALSE(IsDue(u"", kDaily, u"202604151000", false, now));
    EXPECT_FALSE(IsDue(u"/b/", kNever, u"", false, now));
    EXPECT_FALSE(IsDue(u"/b/", kDaily, u"202604151000", true, now));
}

TEST(BackupScheduleTest, SettingsDialogShowsStoredValuesWithinItsLists) {
    auto f = ScheduleToShow(schedule(kWeekly, 23, 59, 6, 31));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frequency, kWeekly);
    EXPECT_TRUE(f->WeekdayEnabled());
    EXPECT_FALSE(f->DayEnabled());
    EXPECT_TRUE(f->TimeEnabled());
    EXPECT_EQ(f->weekday, 6);
    EXPECT_EQ(f->day, 31);

    // Hand-edited values: an unknown frequency is none, lists keep to their entries.
    f = ScheduleToShow(schedule(9, 0, 0, 12, 40));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frequency, kNever);
    EXPECT_FALSE(f->TimeEnabled() || f->WeekdayEnabled() || f->DayEnabled());
    EXPECT_EQ(f->weekday, 6);
    EXPECT_EQ(f->day, 31);

    EXPECT_FALSE(ScheduleToShow(schedule(kDaily, 24, 0)));
    EXPECT_FALSE(ScheduleToShow(schedule(kDaily, 10, 60)));
}

}  // namespace
}  // namespace plova::backup
