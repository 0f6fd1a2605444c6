#include <gtest/gtest.h>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/CalendarTime.h"
#include "platform/File.h"
#include "platform/Ports.h"
#include "platform/SingleInstance.h"
#include "platform/Socket.h"
#include "platform/Text.h"
#include "platform/testing/HelperProcess.h"
#include "platform/testing/OpenHandles.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace fs = std::filesystem;
using namespace plova;

namespace {

// What another process is told when it asks for the one-instance lock.
std::string anotherInstance(const fs::path& folder) {
    testkit::HelperProcess other(testkit::PlatformTestHelper(), {"instance", "PLOVA-Kw", Utf8Of(folder)});
    return other.ReadLine().value_or("no answer");
}

}  // namespace

TEST(SingleInstance, SecondLockIsRefusedUntilTheFirstIsGone) {
    testkit::TempFolder dir("instance");
    testkit::TempFolder elsewhere("instance-other");
    {
        SingleInstanceLock first("PLOVA-Kw", dir.Path());
        ASSERT_TRUE(first.Acquired());
        // Another process is refused while the first holds the lock; another
        // folder's lock is another lock.
        EXPECT_EQ(anotherInstance(dir.Path()), "refused");
        EXPECT_EQ(anotherInstance(elsewhere.Path()), "acquired");
    }
    SingleInstanceLock again("PLOVA-Kw", dir.Path());
    EXPECT_TRUE(again.Acquired());

    // A holder that is killed leaves the lock free.
    testkit::HelperProcess holder(testkit::PlatformTestHelper(), {"instance", "PLOVA-Kw", Utf8Of(elsewhere.Path())});
    ASSERT_EQ(holder.ReadLine(), "acquired");
    EXPECT_FALSE(SingleInstanceLock("PLOVA-Kw", elsewhere.Path()).Acquired());
    holder.Kill();
    EXPECT_TRUE(SingleInstanceLock("PLOVA-Kw", elsewhere.Path()).Acquired());
}

// A process of this machine is running until it ends; a number that was
// never handed out is no process.
TEST(ProcessIds, ARunningProcessIsToldFromOneThatEnded) {
    EXPECT_TRUE(ProcessRunning(CurrentProcessId()));
    testkit::HelperProcess other(testkit::PlatformTestHelper(), {"pid"});
    ASSERT_TRUE(other.Started());
    const std::optional<long> pid = ParseWholeNumber(other.ReadLine().value_or(""), 1, 0x7fffffff);
    ASSERT_TRUE(pid);
    EXPECT_NE(*pid, CurrentProcessId());
    EXPECT_TRUE(ProcessRunning(*pid));
    other.CloseInput();
    EXPECT_EQ(other.Wait(), 0);
    EXPECT_FALSE(ProcessRunning(*pid));
    EXPECT_FALSE(ProcessRunning(0));
    EXPECT_FALSE(ProcessRunning(-5));
}

TEST(AppPaths, SettingsOptionWinsAndExecutableFolderEndsInSeparator) {
    testkit::TempFolder dir("settings-option");
    const fs::path x = dir / "x.ini", y = dir.Path() / fs::path(u8"設定 y.ini");
    EXPECT_EQ(SettingsPath({"prog", "--settings", Utf8Of(x)}), x);
    EXPECT_EQ(SettingsPath({"prog", "--settings=" + Utf8Of(y)}), y);
    const fs::path exe = ExecutableFolder();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.native().back(), fs::path::preferred_separator);
    EXPECT_TRUE(fs::is_directory(exe));
    EXPECT_TRUE(CanWriteIn(exe));
    EXPECT_TRUE(KeepsFilesBeside(exe)) << "a build folder is a portable program";
    EXPECT_FALSE(CanWriteIn(dir / "missing"));
}

// The scratch folder follows its environment variable, which tests move.
TEST(AppPaths, TheScratchFolderIsTheUsersOwnUnderItsVariable) {
    testkit::TempFolder base("scratch-base");
    const std::optional<fs::path> before = EnvironmentPath(kScratchBaseVariable);
    SetEnvironmentPath(kScratchBaseVariable, base.Path() / fs::path(u8"キャッシュ"));
    const fs::path scratch = ScratchFolder();
    SetEnvironmentPath(kScratchBaseVariable, before);
    EXPECT_EQ(EnvironmentPath(kScratchBaseVariable), before);
    ASSERT_FALSE(scratch.empty());
    EXPECT_EQ(scratch.parent_path().parent_path(), base.Path() / fs::path(u8"キャッシュ"));
    EXPECT_EQ(EntryType(scratch), fs::file_type::directory);
    if (testkit::kFilesHaveModes) {
        EXPECT_EQ(fs::status(scratch).permissions() & fs::perms::all, fs::perms::owner_all);
    }
}

TEST(AppPaths, TheArgumentsComeAsUtf8) {
    char program[] = "prog";
    char* argv[] = {program, nullptr};
    const std::vector<std::string> args = CommandLineArguments(1, argv);
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(OptionValue({"prog", "--settings", "a.ini"}, "--settings"), "a.ini");
    EXPECT_EQ(OptionValue({"prog", "--settings=b.ini"}, "--settings"), "b.ini");
    EXPECT_EQ(OptionValue({"prog", "--settings"}, "--settings"), std::nullopt);
}

TEST(AtomicFile, FailureLeavesTheOriginalAlone) {
    testkit::TempFolder dir("atomic");
    const fs::path target = dir / "m.vmdat";
    ASSERT_TRUE(WriteFileAtomically(target, "original"));
    {
        AtomicFile f(target);
        ASSERT_TRUE(f.Write("half"));
        // dropped without commit
    }
    std::string content;
    ASSERT_EQ(ReadWholeFile(target, content, 100), ReadResult::Ok);
    EXPECT_EQ(content, "original");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // Many small writes come out whole, in order.
    {
        AtomicFile f(target);
        for (int i = 0; i < 20000; ++i) ASSERT_TRUE(f.Write(std::to_string(i % 10)));
        ASSERT_TRUE(f.Commit());
        EXPECT_FALSE(f.Commit()) << "a file is committed once";
    }
    ASSERT_EQ(ReadWholeFile(target, content, 1 << 20), ReadResult::Ok);
    ASSERT_EQ(content.size(), 20000u);
    EXPECT_EQ(content.substr(19990), "0123456789");

    // A target in a folder that is not there: nothing is written anywhere.
    AtomicFile nowhere(dir / "missing" / "x.ini");
    EXPECT_FALSE(nowhere.Ok());
    EXPECT_FALSE(nowhere.Write("x"));
    EXPECT_FALSE(nowhere.Commit());
}

// A settings file with the password is its owner's alone, and stays so
// when it is written again.
TEST(AtomicFile, AnOwnerOnlyFileIsTheOwnersAlone) {
    testkit::TempFolder dir("owner-only");
    if (!testkit::KeepsAccessRules(dir.Path())) GTEST_SKIP() << testkit::kNoAccessRules;
    const fs::path file = dir / "PLOVA.ini";
    ASSERT_TRUE(WriteFileAtomically(file, "[LOGIN]\r\nPASS=secret\r\n", NewFileMode::OwnerOnly));
    EXPECT_TRUE(testkit::OwnerOnly(file));
    ASSERT_TRUE(WriteFileAtomically(file, "[LOGIN]\r\nPASS=other\r\n", NewFileMode::OwnerOnly));
    EXPECT_TRUE(testkit::OwnerOnly(file));
    // An ordinary write keeps the file's own rules.
    ASSERT_TRUE(WriteFileAtomically(file, "[LOGIN]\r\nPASS=third\r\n"));
    EXPECT_TRUE(testkit::OwnerOnly(file));
    ASSERT_TRUE(WriteFileAtomically(dir / "plain.ini", "x"));
    EXPECT_FALSE(testkit::OwnerOnly(dir / "plain.ini"));
}

TEST(Ports, ScopedPortsInstallAndRestore) {
    Prompt* before = CurrentPorts().prompt;
    {
        testkit::TestPorts t;
        t.prompt.Queue(Answer::No);
        EXPECT_EQ(ShowPrompt(u"よろしいですか？", u"削除の確認", Icon::Question, Buttons::YesNo), Answer::No);
        EXPECT_EQ(ShowPrompt(u"x", u"y", Icon::Question, Buttons::YesNo), Answer::Yes);
        ASSERT_EQ(t.prompt.shown.size(), 2u);
        EXPECT_EQ(t.prompt.shown[0].caption, u"削除の確認");
        t.pump.At(2, [&] { t.cancel.Set(); });
        PumpOne();
        EXPECT_FALSE(CancelRequested());
        PumpOne();
        EXPECT_TRUE(CancelRequested());
        t.clock.AdvanceMinutes(60 * 24 * 25);  // into the next year
        EXPECT_EQ(CurrentPorts().clock->Now().year, 2027);
        EXPECT_EQ(CurrentPorts().clock->Now().month, 1);
    }
    EXPECT_EQ(CurrentPorts().prompt, before);
}

// The system's own clock and disk, through the default adapters.
TEST(Ports, TheSystemClockAndDiskAnswer) {
    const LocalTime now = SystemClock().Now();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.dayOfWeek >= 0 && now.dayOfWeek <= 6);
    testkit::TempFolder dir("disk");
    SystemDiskSpace disk;
    const std::uint64_t free = disk.FreeBytes(dir.Path());
    EXPECT_GT(free, 0u);
    // A target that is not there yet is asked of the nearest folder that is.
    EXPECT_GT(disk.FreeBytes(dir / "box" / "rusuroku" / "0001"), 0u);
    ASSERT_TRUE(WriteFileAtomically(dir / "file", "x"));
    EXPECT_GT(disk.FreeBytes(dir / "file"), 0u);
}

// Universal calendar fields name one moment whatever the local time zone,
// fields past their range carried over, and back again.
TEST(CalendarTime, UniversalFieldsNameOneMomentEverywhere) {
    struct Row {
        int year, month, day, hour, minute;
        std::time_t moment;
    };
    const Row rows[] = {
        {1970, 1, 1, 0, 0, 0},
        {2000, 2, 29, 12, 30, 951827400},
        {2026, 12, 7, 14, 5, 1796652300},
        {2026, 12, 32, 0, 0, 1798761600},  // the 32nd of December is New Year's Day
        {2038, 1, 19, 3, 15, 2147483700},  // past 32 bits of seconds
    };
    for (const Row& r : rows) {
        std::tm tm{};
        tm.tm_year = r.year - 1900;
        tm.tm_mon = r.month - 1;
        tm.tm_mday = r.day;
        tm.tm_hour = r.hour;
        tm.tm_min = r.minute;
        tm.tm_isdst = -1;
        EXPECT_EQ(MomentOfUniversalTime(tm), r.moment) << r.year << "-" << r.month << "-" << r.day;
        const std::tm back = UniversalCalendarTime(r.moment);
        EXPECT_EQ(MomentOfUniversalTime(back), r.moment);
    }
}

// The leak checks of the link tests count open files and sockets: each one
// open shows in the count and is gone from it once closed.
TEST(OpenHandles, CountFilesAndSocketsWhileTheyAreOpen) {
    testkit::TempFolder dir("handles");
    ASSERT_TRUE(WriteFileAtomically(dir / "file", "x"));
    const int before = testkit::OpenHandles();
    ASSERT_GE(before, 0);
    {
        FileHandle file = OpenRegularFile(dir / "file", Access::Read);
        ASSERT_TRUE(file);
        EXPECT_EQ(testkit::OpenHandles(), before + 1) << "a file";
        net::Socket socket = net::OpenStream();
        ASSERT_TRUE(socket.IsOpen());
        EXPECT_EQ(testkit::OpenHandles(), before + 2) << "and a socket";
    }
    EXPECT_EQ(testkit::OpenHandles(), before);
}

// A file held against changes can be read, but neither replaced nor removed,
// where the system holds files that way.
TEST(ReadOnlyHold, TheHeldFileIsReadButNeitherReplacedNorRemoved) {
    testkit::TempFolder dir("hold");
    ASSERT_TRUE(WriteFileAtomically(dir / "file", "before"));
    testkit::ReadOnlyHold held(dir / "file");
    if (!held.Holds()) GTEST_SKIP() << "open files are replaced and removed here";
    std::string read;
    EXPECT_EQ(ReadWholeFile(dir / "file", read, 100), ReadResult::Ok);
    EXPECT_EQ(read, "before");
    EXPECT_FALSE(WriteFileAtomically(dir / "file", "after"));
    EXPECT_FALSE(RemoveFileOrLink(dir / "file"));
    EXPECT_TRUE(fs::exists(dir / "file"));
}
