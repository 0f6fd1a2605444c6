#include <gtest/gtest.h>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/Ports.h"
#include "platform/SingleInstance.h"
#include "platform/Text.h"
#include "platform/testing/HelperProcess.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace fs = std::filesystem;
using namespace plova;

namespace {

// What another process is told when it asks for the one-instance lock.
std::string anotherInstance(const fs::path& folder) {
    testkit::HelperProcess other(testkit::platformTestHelper(), {"instance", "PLOVA-Kw", utf8Of(folder)});
    return other.readLine().value_or("no answer");
}

}  // namespace

TEST(SingleInstance, SecondLockIsRefusedUntilTheFirstIsGone) {
    testkit::TempFolder dir("instance");
    testkit::TempFolder elsewhere("instance-other");
    {
        SingleInstanceLock first("PLOVA-Kw", dir.path());
        ASSERT_TRUE(first.acquired());
        // Another process is refused while the first holds the lock; another
        // folder's lock is another lock.
        EXPECT_EQ(anotherInstance(dir.path()), "refused");
        EXPECT_EQ(anotherInstance(elsewhere.path()), "acquired");
    }
    SingleInstanceLock again("PLOVA-Kw", dir.path());
    EXPECT_TRUE(again.acquired());

    // A holder that is killed leaves the lock free.
    testkit::HelperProcess holder(testkit::platformTestHelper(), {"instance", "PLOVA-Kw", utf8Of(elsewhere.path())});
    ASSERT_EQ(holder.readLine(), "acquired");
    EXPECT_FALSE(SingleInstanceLock("PLOVA-Kw", elsewhere.path()).acquired());
    holder.kill();
    EXPECT_TRUE(SingleInstanceLock("PLOVA-Kw", elsewhere.path()).acquired());
}

// A process of this machine is running until it ends; a number that was
// never handed out is no process.
TEST(ProcessIds, ARunningProcessIsToldFromOneThatEnded) {
    EXPECT_TRUE(processRunning(currentProcessId()));
    testkit::HelperProcess other(testkit::platformTestHelper(), {"pid"});
    ASSERT_TRUE(other.started());
    const std::optional<long> pid = parseWholeNumber(other.readLine().value_or(""), 1, 0x7fffffff);
    ASSERT_TRUE(pid);
    EXPECT_NE(*pid, currentProcessId());
    EXPECT_TRUE(processRunning(*pid));
    other.closeInput();
    EXPECT_EQ(other.wait(), 0);
    EXPECT_FALSE(processRunning(*pid));
    EXPECT_FALSE(processRunning(0));
    EXPECT_FALSE(processRunning(-5));
}

TEST(AppPaths, SettingsOptionWinsAndExecutableFolderEndsInSeparator) {
    testkit::TempFolder dir("settings-option");
    const fs::path x = dir / "x.ini", y = dir.path() / fs::path(u8"設定 y.ini");
    EXPECT_EQ(settingsPath({"prog", "--settings", utf8Of(x)}), x);
    EXPECT_EQ(settingsPath({"prog", "--settings=" + utf8Of(y)}), y);
    const fs::path exe = executableFolder();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.native().back(), fs::path::preferred_separator);
    EXPECT_TRUE(fs::is_directory(exe));
    EXPECT_TRUE(canWriteIn(exe));
    EXPECT_TRUE(keepsFilesBeside(exe)) << "a build folder is a portable program";
    EXPECT_FALSE(canWriteIn(dir / "missing"));
}

// The scratch folder follows its environment variable, which tests move.
TEST(AppPaths, TheScratchFolderIsTheUsersOwnUnderItsVariable) {
    testkit::TempFolder base("scratch-base");
    const std::optional<fs::path> before = environmentPath(kScratchBaseVariable);
    setEnvironmentPath(kScratchBaseVariable, base.path() / fs::path(u8"キャッシュ"));
    const fs::path scratch = scratchFolder();
    setEnvironmentPath(kScratchBaseVariable, before);
    EXPECT_EQ(environmentPath(kScratchBaseVariable), before);
    ASSERT_FALSE(scratch.empty());
    EXPECT_EQ(scratch.parent_path().parent_path(), base.path() / fs::path(u8"キャッシュ"));
    EXPECT_EQ(entryType(scratch), fs::file_type::directory);
    if (testkit::kFilesHaveModes) {
        EXPECT_EQ(fs::status(scratch).permissions() & fs::perms::all, fs::perms::owner_all);
    }
}

TEST(AppPaths, TheArgumentsComeAsUtf8) {
    char program[] = "prog";
    char* argv[] = {program, nullptr};
    const std::vector<std::string> args = commandLineArguments(1, argv);
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(optionValue({"prog", "--settings", "a.ini"}, "--settings"), "a.ini");
    EXPECT_EQ(optionValue({"prog", "--settings=b.ini"}, "--settings"), "b.ini");
    EXPECT_EQ(optionValue({"prog", "--settings"}, "--settings"), std::nullopt);
}

TEST(AtomicFile, FailureLeavesTheOriginalAlone) {
    testkit::TempFolder dir("atomic");
    const fs::path target = dir / "m.vmdat";
    ASSERT_TRUE(writeFileAtomically(target, "original"));
    {
        AtomicFile f(target);
        ASSERT_TRUE(f.write("half"));
        // dropped without commit
    }
    std::string content;
    ASSERT_EQ(readWholeFile(target, content, 100), ReadResult::Ok);
    EXPECT_EQ(content, "original");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // Many small writes come out whole, in order.
    {
        AtomicFile f(target);
        for (int i = 0; i < 20000; ++i) ASSERT_TRUE(f.write(std::to_string(i % 10)));
        ASSERT_TRUE(f.commit());
        EXPECT_FALSE(f.commit()) << "a file is committed once";
    }
    ASSERT_EQ(readWholeFile(target, content, 1 << 20), ReadResult::Ok);
    ASSERT_EQ(content.size(), 20000u);
    EXPECT_EQ(content.substr(19990), "0123456789");

    // A target in a folder that is not there: nothing is written anywhere.
    AtomicFile nowhere(dir / "missing" / "x.ini");
    EXPECT_FALSE(nowhere.ok());
    EXPECT_FALSE(nowhere.write("x"));
    EXPECT_FALSE(nowhere.commit());
}

// A settings file with the password is its owner's alone, and stays so
// when it is written again.
TEST(AtomicFile, AnOwnerOnlyFileIsTheOwnersAlone) {
    testkit::TempFolder dir("owner-only");
    if (!testkit::keepsAccessRules(dir.path())) GTEST_SKIP() << testkit::kNoAccessRules;
    const fs::path file = dir / "PLOVA.ini";
    ASSERT_TRUE(writeFileAtomically(file, "[LOGIN]\r\nPASS=secret\r\n", NewFileMode::OwnerOnly));
    EXPECT_TRUE(testkit::ownerOnly(file));
    ASSERT_TRUE(writeFileAtomically(file, "[LOGIN]\r\nPASS=other\r\n", NewFileMode::OwnerOnly));
    EXPECT_TRUE(testkit::ownerOnly(file));
    // An ordinary write keeps the file's own rules.
    ASSERT_TRUE(writeFileAtomically(file, "[LOGIN]\r\nPASS=third\r\n"));
    EXPECT_TRUE(testkit::ownerOnly(file));
    ASSERT_TRUE(writeFileAtomically(dir / "plain.ini", "x"));
    EXPECT_FALSE(testkit::ownerOnly(dir / "plain.ini"));
}

TEST(Ports, ScopedPortsInstallAndRestore) {
    Prompt* before = ports().prompt;
    {
        testkit::TestPorts t;
        t.prompt.queue(Answer::No);
        EXPECT_EQ(prompt(u"よろしいですか？", u"削除の確認", Icon::Question, Buttons::YesNo), Answer::No);
        EXPECT_EQ(prompt(u"x", u"y", Icon::Question, Buttons::YesNo), Answer::Yes);
        ASSERT_EQ(t.prompt.shown.size(), 2u);
        EXPECT_EQ(t.prompt.shown[0].caption, u"削除の確認");
        t.pump.at(2, [&] { t.cancel.set(); });
        pumpOne();
        EXPECT_FALSE(cancelRequested());
        pumpOne();
        EXPECT_TRUE(cancelRequested());
        t.clock.advanceMinutes(60 * 24 * 25);  // into the next year
        EXPECT_EQ(ports().clock->now().year, 2027);
        EXPECT_EQ(ports().clock->now().month, 1);
    }
    EXPECT_EQ(ports().prompt, before);
}

// The system's own clock and disk, through the default adapters.
TEST(Ports, TheSystemClockAndDiskAnswer) {
    const LocalTime now = SystemClock().now();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.dayOfWeek >= 0 && now.dayOfWeek <= 6);
    testkit::TempFolder dir("disk");
    SystemDiskSpace disk;
    const std::uint64_t free = disk.freeBytes(dir.path());
    EXPECT_GT(free, 0u);
    // A target that is not there yet is asked of the nearest folder that is.
    EXPECT_GT(disk.freeBytes(dir / "box" / "rusuroku" / "0001"), 0u);
    ASSERT_TRUE(writeFileAtomically(dir / "file", "x"));
    EXPECT_GT(disk.freeBytes(dir / "file"), 0u);
}
