// Runs of other processes: the receiving files of a run still going are
// left alone, and a download killed at any moment leaves no torn message.
// They fork and kill child processes: Linux only.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "download/tests/DownloadBoxFixture.h"
#include "store/CFileMng.h"

namespace plova::dltest {
namespace {

// Receiving files carry the process of their run: the sweep at the start of
// a procedure takes only those whose run is gone, or that nobody has written
// to for an hour.
TEST_F(DownloadBoxTest, TheSweepLeavesTheReceivingFilesOfARunStillGoing) {
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const fs::path mine = DownloadMng::ReceivingName(file(1, ".vmdat"));
    EXPECT_EQ(mine.filename().string(), MessageName("0001", 1, "") + "." + std::to_string(::getpid()) + ".dl_dat");
    const auto receiving = [&](const std::string& run) {
        return local / (MessageName("0001", 7, "") + run + ".dl_inf");
    };
    struct Case {
        fs::path file;
        bool stays;
    } cases[] = {
        {receiving(".1"), true},  // a process that runs (the first one always does)
        {receiving("." + std::to_string(gone)), false},
        {mine, false},           // this process: what it left is no run's any more
        {receiving(""), false},  // named before runs were named
    };
    for (const Case& c : cases) std::ofstream(c.file) << "part";
    const fs::path idle = local / (MessageName("0001", 8, "") + ".1.dl_dat");
    std::ofstream(idle) << "part";
    fs::last_write_time(idle, fs::file_time_type::clock::now() - std::chrono::hours(2));

    DownloadMng::SweepReceivingFiles(local);
    for (const Case& c : cases) EXPECT_EQ(fs::exists(c.file), c.stays) << c.file;
    EXPECT_FALSE(fs::exists(idle));
}

TEST_F(DownloadBoxTest, AKilledDownloadLeavesNoTornMessage) {
    for (int n = 4; n <= 12; ++n) PutMessage(RemoteBox("rusuroku", "0001"), "0001", n, 60'000);
    std::mt19937 random(20261208);
    for (int round = 0; round < 8; ++round) {
        const int delayMicros = std::uniform_int_distribution<int>(2'000, 60'000)(random);
        SCOPED_TRACE(delayMicros);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CFtpMng client;
            if (client.Login(u"127.0.0.1", u"admin", u"admin", unit.Port()) != ftp::LoginResult::Ok) ::_exit(2);
            DownloadMng d(client);
            int h = 0;
            int l = 0;
            (void)d.DownloadBox(u"/rusuroku/0001", local, h, l);  // killed before it ends
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        // Only complete message files; the receiving files of the killed run
        // are the next run's to sweep away.
        for (const std::string& rel : FilesUnder(local)) {
            const fs::path p = local / rel;
            if (p.extension() != ".vmdat" && p.extension() != ".vminf") continue;
            EXPECT_EQ(fs::file_size(p), store::kBlockOffset + fs::file_size(RemoteBox("rusuroku", "0001") / rel))
                << rel;
        }
    }
    DownloadMng& d = Downloader();
    ASSERT_EQ(box(d), DownloadResult::Ok);
    EXPECT_TRUE(NoTornMessages());
}

}  // namespace
}  // namespace plova::dltest
