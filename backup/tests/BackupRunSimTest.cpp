// The backup run over the real FTP client against the simulated main unit on
// loopback: month folders, records, retries, cancel, disk space.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <thread>

#include "backup/BackupRun.h"
#include "backup/BackupSchedule.h"
#include "backup/tests/BackupRunFixture.h"
#include "download/DownloadMng.h"
#include "link/CFtpMng.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"
#include "store/CFileMng.h"

namespace plova::backup {
namespace {

TEST_F(BackupRunSimTest, FetchesTheMonthsDueIntoTheirFoldersAndRecordsThemComplete) {
    seed();
    unit.Start();
    ASSERT_EQ(run(true), RunResult::Ok);

    int older = 0, fetched = 0;
    for (const sim::SeededMessage& m : seeded.boxMessages) {
        for (const fs::path& remote : {m.voiceFile, m.infoFile}) {
            const auto target = backedUpPath(remote);
            if (!target) {
                ++older;
                const std::string name = remote.filename().string();
                for (auto& f : fs::recursive_directory_iterator(local.Path()))
                    EXPECT_NE(f.path().filename().string(), name) << "an older message was fetched";
                continue;
            }
            ++fetched;
            ASSERT_TRUE(fs::exists(*target)) << *target;
            EXPECT_TRUE(CFileMng::HasStatusRecord(*target)) << *target;
            EXPECT_EQ(fs::file_size(*target), fs::file_size(remote) + 990) << *target;
        }
    }
    EXPECT_GT(older, 0) << "the seed should hold messages older than the base month";
    EXPECT_GT(fetched, 0);
    for (const sim::SeededMessage& m : seeded.responseMessages)
        EXPECT_TRUE(fs::exists(local / "BU_202604" / "outou" / m.voiceFile.filename().string()));

    for (const char* month : {"BU_202602", "BU_202603", "BU_202604"}) {
        EXPECT_EQ(flag(month), u"完了") << month;
        EXPECT_EQ(flag(month, u"SFLAG"), u"完了") << month;
        EXPECT_EQ(flag(month, u"KANRYOUBI"), u"2026/04/20 10:00") << month;
    }
    EXPECT_FALSE(fs::exists(local / "BU_202601"));

    // Logged out, window back, progress stepped once per message with its range.
    EXPECT_FALSE(record.loggedIn);
    EXPECT_FALSE(host->ftp.HasSession());
    EXPECT_TRUE(host->windowEnabled);
    EXPECT_FALSE(host->progressOpen);
    EXPECT_EQ(host->idleResets, 1);
    // The bar counts the messages on the main unit; a response message is one file.
    const auto ranges = io.progress.Of(kProgressRange);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].wparam, static_cast<std::intptr_t>(seeded.boxMessages.size() + seeded.responseMessages.size()));
    EXPECT_TRUE(io.prompt.shown.empty());
}

TEST_F(BackupRunSimTest, OnlyAWholeMessageInItsMonthFolderIsLeftAsItIs) {
    seed();
    unit.Start();
    ASSERT_EQ(run(), RunResult::Ok);

    std::vector<std::pair<fs::path, fs::path>> files;  // backed up, on the main unit
    for (const auto& m : seeded.boxMessages)
        if (auto p = backedUpPath(m.voiceFile)) files.emplace_back(*p, m.voiceFile);
    ASSERT_GE(files.size(), 6u);
    // A whole file stays as it is, down to a mark in its record's memo area.
    const fs::path whole = files[0].first;
    {
        std::fstream f(whole, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(900);
        f << "MARK";
    }
    // Everything else under a message's name is fetched again.
    { std::ofstream(files[1].first, std::ios::app) << "MARK"; }             // longer than listed
    fs::resize_file(files[2].first, fs::file_size(files[2].first) - 1000);  // shorter, a run killed half way
    fs::remove(files[3].first);
    {
        // A record zeroed by a second run, the block still behind it.
        std::fstream f(files[4].first, std::ios::in | std::ios::out | std::ios::binary);
        f << std::string(990, '\0');
    }
    // Only the block: a run killed before the record was written.
    { std::ofstream(files[5].first, std::ios::binary | std::ios::trunc) << "Kw-TX Voice-data"; }
    // The months must be fetched again to look at them at all.
    MarkMonths(local.Path(), MonthsOfRun(local.Path(), u"", kNow), kStatusIncomplete, kNow);
    zenkaibi.clear();

    ASSERT_EQ(run(), RunResult::Ok);
    std::string marked;
    ASSERT_TRUE(ReadRange(whole, 900, 4, marked));
    EXPECT_EQ(marked, "MARK");
    for (std::size_t i = 1; i < 6; ++i) {
        EXPECT_EQ(fs::file_size(files[i].first), fs::file_size(files[i].second) + 990) << files[i].first;
        EXPECT_TRUE(CFileMng::IsValidMessageFile(files[i].first)) << files[i].first;
    }
    EXPECT_EQ(flag("BU_202602"), u"完了");
}

TEST_F(BackupRunSimTest, AFileOfAnotherLengthThanListedIsNeverKeptNorTheMonthComplete) {
    seed();
    // The main unit says 226 after too little or too much.
    for (const std::int64_t change : {-1000, 1000}) {
        sim::Faults wrong;
        wrong.retrLengthChange = change;
        unit.Start(wrong);
        zenkaibi.clear();
        EXPECT_EQ(run(), RunResult::CommError) << change;
        for (auto& f : fs::recursive_directory_iterator(local.Path())) {
            const std::string ext = f.path().extension().string();
            EXPECT_TRUE(ext != ".vmdat" && ext != ".vminf" && ext != ".dl_dat" && ext != ".dl_inf") << f.path();
        }
        for (const char* month : {"BU_202602", "BU_202603", "BU_202604"}) EXPECT_EQ(flag(month), u"未完") << month;
        // Tried again after the wait, as any failure of the main unit.
        EXPECT_EQ(host->loginsAt.size(), 2u);
    }
    // A sound main unit later: everything arrives whole.
    unit.Server().SetFaults({});
    ASSERT_EQ(run(), RunResult::Ok);
    for (const auto& m : seeded.boxMessages)
        for (const fs::path& remote : {m.voiceFile, m.infoFile})
            if (auto target = backedUpPath(remote)) {
                EXPECT_EQ(fs::file_size(*target), fs::file_size(remote) + 990);
            }
    EXPECT_EQ(flag("BU_202602"), u"完了");
}

TEST_F(BackupRunSimTest, AFileTooShortForAMessageIsSkippedAndTheRunGoesOn) {
    seed();
    // A message of this month in box 0001 whose files stop after 100 bytes.
    const std::string stem = "202604150930_003_0001_00099";
    for (const char* ext : {".vmdat", ".vminf"})
        std::ofstream(unitDisk / "rusuroku" / "0001" / (stem + ext), std::ios::binary) << std::string(100, 'K');
    unit.Start();
    ASSERT_EQ(run(true), RunResult::Ok);
    EXPECT_TRUE(io.prompt.shown.empty());
    EXPECT_EQ(host->loginsAt.size(), 1u);
    // Every other file is backed up; of the short one nothing stays.
    int backedUp = 0;
    for (const auto& m : seeded.boxMessages)
        for (const fs::path& remote : {m.voiceFile, m.infoFile})
            if (auto target = backedUpPath(remote)) {
                EXPECT_TRUE(CFileMng::IsValidMessageFile(*target)) << *target;
                ++backedUp;
            }
    EXPECT_GT(backedUp, 0);
    for (auto& f : fs::recursive_directory_iterator(local.Path())) {
        EXPECT_EQ(f.path().filename().string().find(stem), std::string::npos) << f.path();
    }
    for (const sim::SeededMessage& m : seeded.responseMessages)
        EXPECT_TRUE(fs::exists(local / "BU_202604" / "outou" / m.voiceFile.filename().string()));
    EXPECT_EQ(flag("BU_202604"), u"完了");
}

TEST_F(BackupRunSimTest, ALocalProblemIsSaidWithItsPathAndNotTriedAgain) {
    seed();
    const auto firstBackedUp = [this] {
        for (const auto& m : seeded.boxMessages)
            if (auto p = backedUpPath(m.voiceFile)) return *p;
        return fs::path();
    };
    struct Case {
        const char* what;
        std::function<fs::path()> plant;  // the path the run must name; empty where it cannot be made
        std::size_t logins;
    } cases[] = {
        {"a file where a month folder should be",
         [&] {
             std::ofstream(local / "BU_202603") << "x";
             return local / "BU_202603";
         },
         0},
        {"a folder at a month's record",
         [&] {
             fs::create_directories(local / "BU_202604" / "backup_info.ini");
             return local / "BU_202604" / "backup_info.ini";
         },
         0},
        {"a folder at a message's name",
         [&] {
             fs::create_directories(firstBackedUp());
             return firstBackedUp();
         },
         1},
        {"a pipe at a message's receiving name",
         [&] {
             const fs::path receiving = DownloadMng::ReceivingName(firstBackedUp());
             fs::create_directories(receiving.parent_path());
             return testkit::MakeFifo(receiving) ? receiving : fs::path();  // none on Windows
         },
         1},
    };
    unit.Start();
    for (const Case& c : cases) {
        std::vector<fs::path> left;
        for (auto& e : fs::directory_iterator(local.Path())) left.push_back(e.path());
        for (const fs::path& p : left) fs::remove_all(p);
        io.prompt.shown.clear();
        const fs::path named = c.plant();
        if (named.empty()) continue;
        LocalProblem problem;
        host = std::make_unique<Host>(unit.Port(), slept);
        host->io = &io;
        RunOptions o;
        o.sleep = [this](int ms) { slept += ms; };
        // Not confirmed: what the user must mend is said all the same.
        EXPECT_EQ(RunBackup(*host, record, MonthsOfRun(local.Path(), u"", kNow), o, &problem), RunResult::WriteFailed)
            << c.what;
        EXPECT_EQ(problem.path, named) << c.what;
        EXPECT_EQ(host->loginsAt.size(), c.logins) << c.what;
        ASSERT_EQ(io.prompt.shown.size(), 1u) << c.what;
        EXPECT_EQ(io.prompt.shown[0].text, u"バックアップ先に書き込めません。\n" + FromUtf8(named.string())) << c.what;
        EXPECT_FALSE(record.loggedIn) << c.what;
        EXPECT_TRUE(host->windowEnabled) << c.what;
        EXPECT_NE(flag("BU_202602"), u"完了") << c.what;
    }
}

TEST_F(BackupRunSimTest, AMissingRootFolderIsNeverMadeAndABusyOneNeverShared) {
    seed();
    unit.Start();
    // A backup disk that is not mounted.
    record.root = local / "disk";
    LocalProblem problem;
    host = std::make_unique<Host>(unit.Port(), slept);
    host->io = &io;
    EXPECT_EQ(RunBackup(*host, record, MonthsOfRun(record.root, u"", kNow), {}, &problem), RunResult::NoRootFolder);
    EXPECT_FALSE(fs::exists(record.root));
    EXPECT_EQ(problem.path, record.root);
    EXPECT_TRUE(host->loginsAt.empty());
    ASSERT_EQ(io.prompt.shown.size(), 1u);
    EXPECT_EQ(io.prompt.shown[0].text.find(u"バックアップ先のルートフォルダがありません。"), 0u);

    // Another run backing up into the root folder: this one does nothing.
    record.root = local.Path();
    io.prompt.shown.clear();
    const FileLock other = LockFolder(local.Path(), kBackupRootLockName);
    ASSERT_TRUE(other.Held());
    EXPECT_EQ(run(true), RunResult::Busy);
    EXPECT_TRUE(host->loginsAt.empty());
    ASSERT_EQ(io.prompt.shown.size(), 1u);
    EXPECT_EQ(io.prompt.shown[0].text.find(u"別のバックアップがこのフォルダで実行中です。"), 0u);
    for (auto& e : fs::directory_iterator(local.Path()))
        EXPECT_EQ(e.path().filename().string(), ".plova-backup.lock") << e.path();
}

TEST_F(BackupRunSimTest, WithConversionEveryVoiceFileGetsItsWavEvenWhenAlreadyBackedUp) {
    seed();
    unit.Start();
    record.convert = true;
    ASSERT_EQ(run(), RunResult::Ok);
    std::vector<fs::path> voices;
    for (auto& f : fs::recursive_directory_iterator(local.Path()))
        if (f.path().extension() == ".vmdat") voices.push_back(f.path());
    ASSERT_FALSE(voices.empty());
    for (const fs::path& v : voices) EXPECT_TRUE(fs::exists(fs::path(v).replace_extension(".wav"))) << v;

    // A WAV file gone since: made again from the voice file already here.
    fs::remove(fs::path(voices[0]).replace_extension(".wav"));
    MarkMonths(local.Path(), MonthsOfRun(local.Path(), u"", kNow), kStatusIncomplete, kNow);
    zenkaibi.clear();
    const auto written = fs::last_write_time(voices[0]);
    ASSERT_EQ(run(), RunResult::Ok);
    EXPECT_TRUE(fs::exists(fs::path(voices[0]).replace_extension(".wav")));
    EXPECT_EQ(fs::last_write_time(voices[0]), written);
}

TEST_F(BackupRunSimTest, AMainUnitWithoutMessagesEndsAtOnceLoggedOut) {
    emptyUnit();
    unit.Start();
    ASSERT_EQ(run(true), RunResult::Ok);
    EXPECT_FALSE(record.loggedIn);
    EXPECT_FALSE(host->ftp.HasSession());
    EXPECT_TRUE(io.progress.Of(kProgressRange).empty());
    EXPECT_TRUE(host->windowEnabled);
    EXPECT_EQ(flag("BU_202604"), u"完了");
    EXPECT_EQ(host->loginsAt.size(), 1u);
    // The session goes on the server's side too.
    for (int i = 0; i < 200 && unit.Server().SessionsOpen() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(unit.Server().SessionsOpen(), 0);
}

TEST_F(BackupRunSimTest, ADeadMainUnitIsTriedAgainAfterTheWaitThenReported) {
    struct Case {
        bool confirmed;
        std::size_t messages;
    } cases[] = {{false, 0}, {true, 1}};
    for (const Case& c : cases) {
        io.prompt.shown.clear();
        slept = 0;
        ASSERT_EQ(run(c.confirmed), RunResult::LoginFailed);
        // RETRYCNT 1: two attempts; RETRYWAIT 10000: 666 steps of 10 ms between them.
        ASSERT_EQ(host->loginsAt.size(), 2u);
        EXPECT_EQ(host->loginsAt[1] - host->loginsAt[0], 6660);
        ASSERT_EQ(io.prompt.shown.size(), c.messages);
        if (c.messages) {
            EXPECT_EQ(io.prompt.shown[0].text, u"通信エラーが発生しました。");
            EXPECT_EQ(io.prompt.shown[0].caption, u"エラー");
            EXPECT_EQ(io.prompt.shown[0].icon, Icon::Exclamation);
        }
        EXPECT_FALSE(record.loggedIn);
        EXPECT_TRUE(host->windowEnabled);
        EXPECT_FALSE(host->progressOpen);
        EXPECT_EQ(flag("BU_202602"), u"未完");
        EXPECT_EQ(flag("BU_202604", u"SFLAG"), u"未完");
    }
}

TEST_F(BackupRunSimTest, CancelDuringTheWaitOrTheTransferEndsTheRunIncomplete) {
    // During the wait after a failed login.
    io.pump.At(1001 + 100, [this] { io.cancel.Set(); });
    ASSERT_EQ(run(true), RunResult::Cancelled);
    EXPECT_EQ(host->loginsAt.size(), 1u);
    EXPECT_TRUE(io.prompt.shown.empty());
    EXPECT_EQ(flag("BU_202604"), u"未完");

    // During the transfer: after the first voice file has arrived.
    seed();
    unit.Start();
    testkit::ScriptedPump pump;
    ScopedPorts scope(Ports{nullptr, nullptr, &pump, nullptr, nullptr, nullptr, nullptr});
    pump.Every([this, n = 0]() mutable {
        if (++n % 50 != 0 || io.cancel.IsSet()) return;
        for (auto& f : fs::recursive_directory_iterator(local.Path()))
            if (f.path().extension() == ".vmdat" && CFileMng::HasStatusRecord(f.path())) {
                io.cancel.Set();
                return;
            }
    });
    ASSERT_EQ(run(true), RunResult::Cancelled);
    EXPECT_TRUE(io.prompt.shown.empty());
    EXPECT_FALSE(record.loggedIn);
    EXPECT_FALSE(host->ftp.HasSession());
    int voiceFiles = 0;
    for (auto& f : fs::recursive_directory_iterator(local.Path())) voiceFiles += f.path().extension() == ".vmdat";
    EXPECT_LT(voiceFiles, static_cast<int>(seeded.boxMessages.size()));
    EXPECT_EQ(flag("BU_202602"), u"未完");
    EXPECT_EQ(flag("BU_202604"), u"未完");
}

TEST_F(BackupRunSimTest, TooLittleDiskSpaceStopsBeforeWritingAndIsAlwaysReported) {
    seed();
    unit.Start();
    io.disk.Set(4095);
    ASSERT_EQ(run(false), RunResult::NoSpace);
    ASSERT_EQ(io.prompt.shown.size(), 1u);
    EXPECT_EQ(io.prompt.shown[0].text, u"ＰＣのメモリ不足です。");
    EXPECT_EQ(io.prompt.shown[0].icon, Icon::Exclamation);
    for (auto& f : fs::recursive_directory_iterator(local.Path())) {
        EXPECT_NE(f.path().extension(), ".vmdat");
        EXPECT_NE(f.path().extension(), ".vminf");
    }
    // Not retried: a full disk does not empty itself.
    EXPECT_EQ(host->loginsAt.size(), 1u);
    EXPECT_EQ(flag("BU_202603"), u"未完");
}

}  // namespace
}  // namespace plova::backup
