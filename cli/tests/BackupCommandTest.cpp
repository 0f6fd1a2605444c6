// plova-cli backup against the simulated main unit: the lock, the stored
// login, the settings file it updates, and its exit status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli/Command.h"
#include "cli/testing/BackupSettings.h"
#include "cli/testing/CliProcess.h"
#include "cli/testing/CliRun.h"
#include "link/CFtpMng.h"
#include "platform/AppPaths.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/SingleInstance.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"
#include "store/CFileMng.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

class BackupCommandTest : public ::testing::Test {
protected:
    testkit::TempFolder dir{"cli-backup"};
    fs::path settings = dir / "PLOVA.ini";
    fs::path root = dir / "root";
    testkit::SimUnit unit{dir / "unit", "qermo", "kw1234"};

    void SetUp() override {
        fs::create_directories(dir / "run");
        fs::create_directories(root);
        SetEnvironmentPath("XDG_RUNTIME_DIR", dir / "run");
        IniDocument ini = testkit::BackupSettings(u"qermo", u"kw1234");
        ini.Set(u"FOLDER", u"FOLDER", u"");
        ini.Set(u"FOLDER", u"NEXTFOLDER", std::u16string(root.u16string()) + u"/");
        ini.SetInt(u"FOLDER", u"CHANGE", 1);
        ini.Set(u"DISP", u"FOLDERNAME", u"箱");
        ini.SetInt(u"BACKUP", u"JIKOKUHH", 2);
        ASSERT_TRUE(ini.Save(settings));
    }
    void TearDown() override {
        SetEnvironmentPath("XDG_RUNTIME_DIR", std::nullopt);
        SetEnvironmentPath(ftp::kPortVariable, std::nullopt);
    }

    void serve(sim::Faults faults = {}) {
        ASSERT_NO_FATAL_FAILURE(unit.Seed());
        ASSERT_NO_FATAL_FAILURE(unit.Start(std::move(faults)));
        SetEnvironmentPath(ftp::kPortVariable, fs::path(std::to_string(unit.Port())));
    }

    testkit::CliOutcome run(Args args = {}) {
        if (args.empty()) args = {"--settings", Utf8Of(settings)};
        return testkit::RunCommandCaptured("backup", args);
    }
    std::u16string key(const char16_t* section, const char16_t* name) {
        return ReadProfileString(settings, section, name, u"(none)");
    }
};

TEST_F(BackupCommandTest, BacksUpIntoTheNextRootFolderAndRecordsTheResultOnly) {
    serve();
    const testkit::CliOutcome r = run();
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("plova-cli: backup: complete"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("messages on the main unit"), std::string::npos) << r.err;

    int months = 0;
    for (auto& e : fs::directory_iterator(root)) {
        // Beside the month folders only the hidden lock of the backups into the root.
        if (e.path().filename() == ".plova-backup.lock") continue;
        ASSERT_EQ(e.path().filename().string().rfind("BU_", 0), 0u) << e.path();
        EXPECT_EQ(ReadProfileString(e.path() / "backup_info.ini", u"BACKUPINF", u"YFLAG"), u"完了");
        ++months;
    }
    EXPECT_GE(months, 3);
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIKA"), u"1");
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIBI").size(), 12u);
    const std::u16string due = key(u"BACKUP", u"YOTEIBI");
    ASSERT_EQ(due.size(), 12u);
    EXPECT_EQ(due.substr(8), u"0200");
    EXPECT_GT(due, key(u"BACKUP", u"ZENKAIBI"));
    // The rest of the file is the window's: left as it was.
    EXPECT_EQ(key(u"FOLDER", u"FOLDER"), u"");
    EXPECT_EQ(key(u"FOLDER", u"CHANGE"), u"1");
    EXPECT_EQ(key(u"DISP", u"FOLDERNAME"), u"箱");
    EXPECT_EQ(key(u"LOGIN", u"PASS"), u"kw1234");
}

TEST_F(BackupCommandTest, RefusesWhatItCannotDo) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        Args args;
        int code;
        const char* says;
    } cases[] = {
        {"bad arguments", [] {}, {"--folder", "x"}, kUsage, "expects [--settings FILE]"},
        {"no settings file", [] {}, {"--settings", Utf8Of(dir / "none.ini")}, kFailed, "no settings file"},
        {"login not stored",
         [&] { WriteProfileInt(settings, u"LOGIN", u"CHECK", 0); },
         {},
         kFailed,
         "LOGIN CHECK is 0"},
        {"no root folder",
         [&] { WriteProfileText(settings, u"FOLDER", u"NEXTFOLDER", u""); },
         {},
         kFailed,
         "no root folder"},
    };
    for (const Case& c : cases) {
        SetUp();
        c.arrange();
        const testkit::CliOutcome r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.what;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.what << ": " << r.err;
        EXPECT_TRUE(fs::is_empty(root)) << c.what;
    }
}

// The window holds the lock beside its settings file; the window's
// one-instance lock is its own business.
TEST_F(BackupCommandTest, RefusesOnlyWhileAWindowRunsOnTheSameSettingsFile) {
    serve();
    {
        const FileLock window = LockBeside(settings);
        ASSERT_TRUE(window.Held());
        const testkit::CliOutcome r = run();
        EXPECT_EQ(r.code, kBusy);
        EXPECT_NE(r.err.find("the program is running on " + Utf8Of(settings)), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
        EXPECT_EQ(key(u"BACKUP", u"ZENKAIKA"), u"(none)");
        EXPECT_TRUE(fs::is_empty(root));

        // A settings file that is not there is said first, with its path,
        // whatever runs meanwhile.
        const fs::path none = dir / "none.ini";
        const FileLock held = LockBeside(none);
        SingleInstanceLock session("PLOVA-Kw");
        const testkit::CliOutcome missing = run({"--settings", Utf8Of(none)});
        EXPECT_EQ(missing.code, kFailed);
        EXPECT_NE(missing.err.find("no settings file at " + Utf8Of(none)), std::string::npos) << missing.err;
    }
    // A window on another settings file, and the one-instance lock of a
    // window in this session, leave this one free to run.
    const fs::path other = dir / "other.ini";
    fs::copy_file(settings, other);
    const FileLock window = LockBeside(other);
    SingleInstanceLock session("PLOVA-Kw");
    const testkit::CliOutcome r = run();
    EXPECT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIKA"), u"1");
}

// The settings file is the window's: the run writes its three keys into it
// as it finds it at the end, through a link and keeping it the owner's alone.
TEST_F(BackupCommandTest, TheSettingsFileKeepsEverythingItHeldItsModeAndItsLink) {
    if (!testkit::kFilesHaveModes) GTEST_SKIP() << "Windows files have no permission bits to keep";
    serve();
    // Kept as a link into another folder, readable by others for now.
    const fs::path real = dir / "dotfiles" / "PLOVA.ini";
    fs::create_directories(real.parent_path());
    fs::rename(settings, real);
    if (!testkit::MakeSymlink(real, settings)) GTEST_SKIP() << testkit::kNoSymlinks;
    fs::permissions(real, fs::perms(0644));
    ASSERT_EQ(run().code, kOk);
    EXPECT_TRUE(fs::is_symlink(settings));
    EXPECT_EQ(ReadProfileString(real, u"BACKUP", u"ZENKAIKA"), u"1");
    EXPECT_EQ(ReadProfileString(real, u"LOGIN", u"PASS"), u"kw1234");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0600));
}

// The run never saves over a settings file it cannot read by the time it
// ends (it grew past what a settings file can be): it is left exactly as it is.
TEST_F(BackupCommandTest, ASettingsFileThatCannotBeReadAtTheEndIsLeftAsItIs) {
    serve();
    testkit::ScriptedPump pump;
    ScopedPorts scope(Ports{nullptr, nullptr, &pump, nullptr, nullptr, nullptr, nullptr});
    std::uintmax_t grown = 0;
    pump.Every([&] {
        if (grown != 0) return;
        std::ofstream(settings, std::ios::app | std::ios::binary) << std::string(kMaxProfileBytes, ';');
        grown = fs::file_size(settings);
    });
    WriteProfileInt(settings, u"BACKUP", u"ZENKAIKA", 7);
    const testkit::CliOutcome r = run();
    EXPECT_EQ(r.code, kFailed);
    EXPECT_NE(r.err.find("the result could not be written"), std::string::npos) << r.err;
    ASSERT_NE(grown, 0u);
    EXPECT_EQ(fs::file_size(settings), grown);
    std::string head;
    ASSERT_TRUE(ReadRange(settings, 0, 64, head));
    EXPECT_EQ(head.rfind("[LOGIN]", 0), 0u) << head;
}

// Two backups into one root folder at once, from two settings files: the
// second is refused and the first leaves every file whole.
TEST_F(BackupCommandTest, TwoBackupsAtOnceTheSecondRefusedEveryFileWhole) {
    sim::Faults slow;
    slow.stallMillis = 150;
    serve(slow);
    const fs::path other = dir / "other.ini";
    fs::copy_file(settings, other);
    testkit::CliProcess first({"backup", "--settings", Utf8Of(settings)}, dir / "first.out");
    ASSERT_TRUE(first.WaitFor("messages on the main unit")) << first.Output();
    const testkit::CliOutcome second = run({"--settings", Utf8Of(other)});
    EXPECT_EQ(second.code, kBusy) << second.err;
    EXPECT_NE(second.err.find("another backup is running into the root folder"), std::string::npos) << second.err;
    EXPECT_EQ(ReadProfileString(other, u"BACKUP", u"ZENKAIKA", u"(none)"), u"(none)");

    ASSERT_EQ(first.Wait(), kOk) << first.Output();
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string ext = e.path().extension().string();
        EXPECT_TRUE(ext != ".dl_dat" && ext != ".dl_inf") << e.path();
        if (ext != ".vmdat" && ext != ".vminf") continue;
        ++files;
        const fs::path box = e.path().parent_path();
        const fs::path remote = box.filename() == "outou"
                                    ? unit.Disk() / "outou" / e.path().filename()
                                    : unit.Disk() / box.parent_path().filename() / box.filename() / e.path().filename();
        EXPECT_EQ(fs::file_size(e.path()), fs::file_size(remote) + 990) << e.path();
        EXPECT_TRUE(CFileMng::IsValidMessageFile(e.path())) << e.path();
    }
    EXPECT_GT(files, 0);
}

TEST_F(BackupCommandTest, AFailedRunExitsNonZeroAndRecordsTheFailure) {
    // Nothing listens on the port: two login attempts, about seven seconds apart.
    const std::string port = std::to_string(testkit::SimUnit::DeadPort());
    SetEnvironmentPath(ftp::kPortVariable, fs::path(port));
    const testkit::CliOutcome r = run();
    EXPECT_EQ(r.code, kFailed);
    EXPECT_NE(r.err.find("通信エラーが発生しました。"), std::string::npos) << r.err;
    // The retry is said as it begins to wait, and the failure names its cause.
    EXPECT_NE(r.err.find("plova-cli: backup: logging in failed (connection refused at 127.0.0.1:" + port +
                         "); retry 1 of 1 in 10 s"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("plova-cli: backup: cannot log in to the main unit with the stored values: connection "
                         "refused at 127.0.0.1:" +
                         port),
              std::string::npos)
        << r.err;
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIKA"), u"2");
    EXPECT_EQ(key(u"BACKUP", u"YOTEIBI").size(), 12u);
    for (auto& e : fs::directory_iterator(root))
        if (e.is_directory()) {
            EXPECT_EQ(ReadProfileString(e.path() / "backup_info.ini", u"BACKUPINF", u"YFLAG"), u"未完");
        }
}

}  // namespace
}  // namespace plova::cli
