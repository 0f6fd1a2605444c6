// A backup run killed half way leaves its months open for the next run. It
// forks and kills a child process: Linux only.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "backup/tests/BackupRunFixture.h"

namespace plova::backup {
namespace {

TEST_F(BackupRunSimTest, ARunKilledHalfWayLeavesItsMonthsOpenAndTheNextRunFetchesThem) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The child is forked while the simulator's threads allocate; under the
    // sanitizers it can inherit their allocator's lock and never run.
    GTEST_SKIP() << "a fork beside running threads deadlocks the sanitizers' allocator";
#endif
    seed();
    sim::Faults slow;
    slow.stallMillis = 100;
    unit.Start(slow);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        (void)run();  // killed before it ends
        _exit(0);
    }
    // Killed once the first voice file is in.
    bool started = false;
    for (int i = 0; i < 3000 && !started; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::error_code ec;
        for (auto& f : fs::recursive_directory_iterator(local.Path(), ec))
            if (f.path().extension() == ".vmdat" && CFileMng::HasStatusRecord(f.path())) started = true;
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(started);
    ASSERT_TRUE(WIFSIGNALED(status));

    for (const char* month : {"BU_202602", "BU_202603", "BU_202604"}) {
        if (fs::exists(local / month)) {
            EXPECT_EQ(flag(month), u"未完") << month;
        }
    }
    EXPECT_EQ(MonthsOfRun(local.Path(), TimeStamp(kNow), kNow).baseMonth, u"202602");

    unit.Server().SetFaults({});
    zenkaibi = TimeStamp(kNow);
    ASSERT_EQ(run(), RunResult::Ok);
    for (const auto& m : seeded.boxMessages)
        for (const fs::path& remote : {m.voiceFile, m.infoFile})
            if (auto target = backedUpPath(remote)) {
                EXPECT_TRUE(CFileMng::HasStatusRecord(*target)) << *target;
            }
    EXPECT_EQ(flag("BU_202602"), u"完了");
}

}  // namespace
}  // namespace plova::backup
