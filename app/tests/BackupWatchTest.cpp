// The main window's backup rules on its settings record and flags: the
// prompts' effect, and timer 2, timer 10 and the pending run.
#include <gtest/gtest.h>

#include "app/BackupWatch.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {

using backup::kDaily;

LocalTime at(int y, int mo, int d, int h, int mi) {
    return backup::AddDays(LocalTime{y, mo, d, 0, h, mi, 0, 0}, 0);
}

SettingsRecord schedule(int hindo, int hh, int mm) {
    SettingsRecord r;
    r.folder = u"/backups/";
    SetSchedule(r, backup::Schedule{hindo, 0, 1, hh, mm});
    return r;
}

TEST(BackupWatchTest, PromptsSetTheFlags) {
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
}

class BackupWatchRunTest : public ::testing::Test {
protected:
    BackupWatchRunTest() {
        record = schedule(kDaily, 10, 0);
        record.yoteibi = u"202612070000";
        hooks.isDue = IsBackupDue;
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
            OnBackupTimePromptEnded(flags, record, answer, io.clock.Now());
        });
    }
    testkit::TestPorts io;
    SettingsRecord record;
    BackupHooks hooks;
    BackupFlags flags{true, false, false, false, false};
    int runs = 0, prompts = 0;
    bool runSucceeds = true;
};

TEST_F(BackupWatchRunTest, UnansweredPromptRunsQuietlyAndAFailureKeepsWatching) {
    runSucceeds = false;
    watch(BackupTimeAnswer::TimedOut).OnBackupTimer();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(record.zenkaika, 2);
    EXPECT_TRUE(flags.watch);
    EXPECT_FALSE(flags.accepted);
    EXPECT_TRUE(io.prompt.shown.empty());
}

TEST_F(BackupWatchRunTest, DialogTickAbandonsTheDialogOnlyForAnAcceptedBackup) {
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

// A run that failed or was cancelled is reported at the next start, once;
// the mark of it goes into the settings file with the rest.
TEST(BackupWatchTest, AFailedRunIsReportedAtOneStartOnly) {
    SettingsRecord r;
    EXPECT_FALSE(TakeFailedBackupNotice(r));  // no run yet
    r.zenkaibi = u"202612100300";
    r.zenkaika = backup::kRunCompleted;
    EXPECT_FALSE(TakeFailedBackupNotice(r));
    r.zenkaika = backup::kRunFailed;
    const auto notice = TakeFailedBackupNotice(r);
    ASSERT_TRUE(notice);
    EXPECT_NE(notice->find(u"2026/12/10 03:00"), std::u16string::npos);
    EXPECT_FALSE(TakeFailedBackupNotice(r));

    IniDocument ini;
    WriteAllSettings(ini, r);
    SettingsRecord next;
    ReadAllSettings(ini, next);
    EXPECT_FALSE(TakeFailedBackupNotice(next));  // the next start knows it was said
    next.zenkaibi = u"202612110300";             // the next run fails too
    EXPECT_TRUE(TakeFailedBackupNotice(next));
}

TEST(BackupWatchTest, SettingsDialogStoresTheScheduleAndItsNextDueTime) {
    SettingsRecord r = schedule(kDaily, 10, 0);
    ApplyScheduleForm(r, backup::Schedule{backup::kMonthly, 0, 31, 10, 0}, at(2028, 2, 15, 10, 0));
    EXPECT_EQ(r.hindo, backup::kMonthly);
    EXPECT_EQ(r.hi, 31);
    EXPECT_EQ(r.yoteibi, u"202802291000");
    EXPECT_EQ(OpenScheduleForm(r)->day, 31);
    ApplyScheduleForm(r, backup::Schedule{}, at(2028, 2, 15, 10, 0));
    EXPECT_EQ(r.yoteibi, u"");
    EXPECT_FALSE(IsBackupDue(r, at(2028, 2, 15, 10, 0)));
}

}  // namespace
}  // namespace plova
