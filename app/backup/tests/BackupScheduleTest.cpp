#include <gtest/gtest.h>

#include "app/backup/BackupSchedule.h"
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

SettingsRecord schedule(int hindo, int hh, int mm, int youbi = 0, int hi = 1) {
    SettingsRecord r;
    r.folder = u"/backups/";
    r.hindo = hindo;
    r.jikokuHH = hh;
    r.jikokuMM = mm;
    r.youbi = youbi;
    r.hi = hi;
    return r;
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
        SettingsRecord record;
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
    for (Case& c : cases) {
        ComputeNextDue(c.record, c.now);
        EXPECT_EQ(testkit::utf8(c.record.yoteibi), testkit::utf8(c.due)) << c.what;
    }
}

TEST(BackupScheduleTest, DueTest) {
    const LocalTime now = at(2026, 4, 15, 10, 0);
    auto due = [&](auto change) {
        SettingsRecord r = schedule(kDaily, 10, 0);
        r.yoteibi = u"202604151000";
        change(r);
        return IsDue(r, now);
    };
    EXPECT_TRUE(due([](SettingsRecord&) {}));
    EXPECT_TRUE(due([](SettingsRecord& r) { r.yoteibi = u"202604140000"; }));
    EXPECT_TRUE(due([](SettingsRecord& r) { r.yoteibi.clear(); }));
    EXPECT_FALSE(due([](SettingsRecord& r) { r.yoteibi = u"202604151001"; }));
    EXPECT_FALSE(due([](SettingsRecord& r) { r.folder.clear(); }));
    EXPECT_FALSE(due([](SettingsRecord& r) { r.hindo = kNever; }));
    EXPECT_FALSE(due([](SettingsRecord& r) { r.loggedIn = 1; }));

    // With no frequency the next-due time is empty, and still never due.
    SettingsRecord never = schedule(kNever, 10, 0);
    ComputeNextDue(never, now);
    EXPECT_FALSE(IsDue(never, now));
}

TEST(BackupScheduleTest, PromptsSetTheFlags) {
    const LocalTime now = at(2026, 4, 15, 10, 0);
    struct Case {
        BackupTimeAnswer answer;
        bool accepted, confirmed, watch;
        bool rescheduled;
    } cases[] = {
        {BackupTimeAnswer::Yes, true, true, false, false},
        {BackupTimeAnswer::No, false, true, true, true},
        {BackupTimeAnswer::TimedOut, true, false, false, false},
    };
    for (const Case& c : cases) {
        BackupFlags flags;
        SettingsRecord r = schedule(kDaily, 10, 0);
        r.yoteibi = u"202604151000";
        OnBackupTimePromptOpened(flags);
        OnBackupTimePromptEnded(flags, r, c.answer, now);
        EXPECT_EQ(flags.accepted, c.accepted);
        EXPECT_EQ(flags.confirmed, c.confirmed);
        EXPECT_EQ(flags.watch, c.watch);
        EXPECT_EQ(r.yoteibi == u"202604161000", c.rescheduled);
    }
    BackupFlags yes{true, false, false, false, false};
    OnStartupPromptEnded(yes, true);
    EXPECT_TRUE(yes.accepted && yes.confirmed && yes.watch);
    BackupFlags no{true, true, false, false, false};
    OnStartupPromptEnded(no, false);
    EXPECT_FALSE(no.accepted || no.watch);
}

class BackupWatchTest : public ::testing::Test {
protected:
    BackupWatchTest() {
        record = schedule(kDaily, 10, 0);
        record.yoteibi = u"202612070000";
        hooks.isDue = IsDue;
        hooks.computeNextDue = ComputeNextDue;
        hooks.run = [this](SettingsRecord&) {
            ++runs;
            return runSucceeds;
        };
    }
    BackupWatch watch(BackupTimeAnswer answer) {
        return BackupWatch(flags, record, hooks, [this, answer] {
            ++prompts;
            OnBackupTimePromptOpened(flags);
            OnBackupTimePromptEnded(flags, record, answer, io.clock.now());
        });
    }
    testkit::TestPorts io;
    SettingsRecord record;
    BackupHooks hooks;
    BackupFlags flags{true, false, false, false, false};
    int runs = 0, prompts = 0;
    bool runSucceeds = true;
};

TEST_F(BackupWatchTest, TimerRunsAnAcceptedBackupAndSchedulesTheNext) {
    watch(BackupTimeAnswer::Yes).OnBackupTimer();
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(record.zenkaika, 1);
    EXPECT_EQ(record.zenkaibi, u"202612071030");
    EXPECT_EQ(record.yoteibi, u"202612081000");
    ASSERT_EQ(io.prompt.shown.size(), 1u);
    EXPECT_EQ(io.prompt.shown[0].text, u"バックアップが完了しました。");

    // Not due any more: the next tick does nothing.
    watch(BackupTimeAnswer::Yes).OnBackupTimer();
    EXPECT_EQ(prompts, 1);
}

TEST_F(BackupWatchTest, UnansweredPromptRunsQuietlyAndAFailureKeepsWatching) {
    runSucceeds = false;
    watch(BackupTimeAnswer::TimedOut).OnBackupTimer();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(record.zenkaika, 2);
    EXPECT_TRUE(flags.watch);
    EXPECT_FALSE(flags.accepted);
    EXPECT_TRUE(io.prompt.shown.empty());
}

TEST_F(BackupWatchTest, DialogTickAbandonsTheDialogOnlyForAnAcceptedBackup) {
    EXPECT_FALSE(watch(BackupTimeAnswer::No).DueBreak());
    EXPECT_FALSE(flags.pending);
    EXPECT_EQ(record.yoteibi, u"202612081000");  // declined: this occurrence is skipped

    record.yoteibi = u"202612070000";
    BackupWatch yes = watch(BackupTimeAnswer::Yes);
    EXPECT_TRUE(yes.DueBreak());
    EXPECT_TRUE(flags.pending);
    EXPECT_EQ(runs, 0);  // the command runs it once its dialog has gone
    yes.RunPendingIfSet();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(flags.pending);
    yes.RunPendingIfSet();
    EXPECT_EQ(runs, 1);

    // Declined at start-up: the watch is off and nothing interrupts a dialog.
    record.yoteibi = u"202612070000";
    flags.watch = false;
    EXPECT_FALSE(watch(BackupTimeAnswer::Yes).DueBreak());
    EXPECT_EQ(prompts, 2);
}

}  // namespace
}  // namespace plova::backup

namespace plova::backup {
namespace {

TEST(BackupScheduleTest, SettingsFormOpensOnStoredValuesAndOkSchedules) {
    SettingsRecord r = schedule(kWeekly, 23, 59, 6, 31);
    auto f = OpenScheduleForm(r);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frequency, kWeekly);
    EXPECT_TRUE(f->weekdayEnabled());
    EXPECT_FALSE(f->dayEnabled());
    EXPECT_TRUE(f->timeEnabled());
    EXPECT_EQ(f->weekday, 6);
    EXPECT_EQ(f->day, 31);

    // Hand-edited values: an unknown frequency is none, lists keep to their entries.
    SettingsRecord odd = schedule(9, 0, 0, 12, 40);
    f = OpenScheduleForm(odd);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frequency, kNever);
    EXPECT_FALSE(f->timeEnabled() || f->weekdayEnabled() || f->dayEnabled());
    EXPECT_EQ(f->weekday, 6);
    EXPECT_EQ(f->day, 31);

    EXPECT_FALSE(OpenScheduleForm(schedule(kDaily, 24, 0)));
    EXPECT_FALSE(OpenScheduleForm(schedule(kDaily, 10, 60)));

    ScheduleForm monthly{kMonthly, 0, 31, 10, 0};
    ApplyScheduleForm(r, monthly, at(2028, 2, 15, 10, 0));
    EXPECT_EQ(r.hindo, kMonthly);
    EXPECT_EQ(r.hi, 31);
    EXPECT_EQ(r.yoteibi, u"202802291000");
    ApplyScheduleForm(r, ScheduleForm{}, at(2028, 2, 15, 10, 0));
    EXPECT_EQ(r.yoteibi, u"");
}

}  // namespace
}  // namespace plova::backup
