// The lock that keeps two runs off the same data, and the file rules that go
// with it: what is planted under a lock file's name, the permissions an
// atomic write takes, and a settings file kept as a link.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/HelperProcess.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& p) {
    std::string out;
    EXPECT_EQ(readWholeFile(p, out, 1 << 20), ReadResult::Ok) << p;
    return out;
}

// Another process that tries to take the box-folder lock of `folder`, and
// holds it until it is told to let go.
class OtherRun {
public:
    explicit OtherRun(const fs::path& folder)
        : process_(testkit::platformTestHelper(), {"lock", utf8Of(folder), std::string(kBoxFolderLockName)}) {}
    // "held", "busy" or "failed".
    std::string outcome() { return process_.readLine().value_or("no answer"); }
    testkit::HelperProcess& process() { return process_; }

private:
    testkit::HelperProcess process_;
};

TEST(FileLock, OneRunAtATimeAndAKilledRunReleasesIt) {
    testkit::TempFolder dir("lock");
    {
        FileLock first = lockFolder(dir.path(), kBoxFolderLockName);
        ASSERT_TRUE(first.held()) << first.reason();
        EXPECT_EQ(entryType(dir / std::string(kBoxFolderLockName)), fs::file_type::regular);
        // A second taker, in this process or another, is told the lock is busy.
        FileLock second = lockFolder(dir.path(), kBoxFolderLockName);
        EXPECT_EQ(second.state(), FileLock::State::Busy);
        EXPECT_EQ(second.reason(), "held by another run");
        EXPECT_EQ(OtherRun(dir.path()).outcome(), "busy");
        // Other lock names are other locks.
        EXPECT_TRUE(lockFolder(dir.path(), kBackupRootLockName).held());
    }
    EXPECT_EQ(OtherRun(dir.path()).outcome(), "held");

    // A run killed while it holds the lock leaves nothing locked.
    OtherRun holder(dir.path());
    ASSERT_EQ(holder.outcome(), "held");
    EXPECT_EQ(lockFolder(dir.path(), kBoxFolderLockName).state(), FileLock::State::Busy);
    holder.process().kill();
    EXPECT_TRUE(lockFolder(dir.path(), kBoxFolderLockName).held());
}

TEST(FileLock, WhatIsPlantedUnderTheNameIsNeitherFollowedNorWaitedOn) {
    testkit::TempFolder dir("lock-planted");
    const fs::path lockFile = dir / std::string(kBoxFolderLockName);
    const fs::path users = dir / "users-file.txt";
    struct Case {
        const char* what;
        std::function<bool()> plant;  // false: this system cannot make it
    } cases[] = {
        {"a folder", [&] { return fs::create_directory(lockFile); }},
        {"a link to a user's file", [&] { return testkit::makeSymlink(users, lockFile); }},
        {"a link to nowhere", [&] { return testkit::makeSymlink(dir / "nowhere", lockFile); }},
        {"a pipe", [&] { return testkit::makeFifo(lockFile); }},
    };
    for (const Case& c : cases) {
        removeFileOrLink(lockFile);
        removeFolderTree(lockFile);
        removeFileOrLink(dir / "nowhere");
        ASSERT_TRUE(writeFileAtomically(users, "keep"));
        if (!c.plant()) continue;  // links and pipes where the system has them
        auto taking = std::async(std::launch::async, [&] { return lockFolder(dir.path(), kBoxFolderLockName); });
        ASSERT_EQ(taking.wait_for(std::chrono::seconds(10)), std::future_status::ready) << c.what << ": it hangs";
        const FileLock lock = taking.get();
        EXPECT_EQ(lock.state(), FileLock::State::Failed) << c.what;
        EXPECT_EQ(lock.reason(), "not a regular file") << c.what;
        EXPECT_EQ(contentOf(users), "keep") << c.what;
        EXPECT_EQ(entryType(dir / "nowhere"), fs::file_type::not_found) << c.what;
    }
}

TEST(FileLock, ALockFileRemovedByItsHolderIsNeverHeldTwice) {
    testkit::TempFolder dir("lock-removed");
    FileLock first = lockFolder(dir.path(), kBoxFolderLockName);
    ASSERT_TRUE(first.held());
    first.releaseAndRemove();
    EXPECT_FALSE(first.held());
    EXPECT_EQ(entryType(dir / std::string(kBoxFolderLockName)), fs::file_type::not_found);
    FileLock next = lockFolder(dir.path(), kBoxFolderLockName);
    EXPECT_TRUE(next.held());
    EXPECT_EQ(lockFolder(dir.path(), kBoxFolderLockName).state(), FileLock::State::Busy);
    // The lock beside a settings file is a lock of its own.
    EXPECT_TRUE(lockBeside(dir / "PLOVA.ini").held());
    EXPECT_EQ(entryType(dir / ".PLOVA.ini.lock"), fs::file_type::regular);
}

TEST(AtomicFile, PermissionsComeFromTheProgramsRuleNeverFromALinksTarget) {
    if (!testkit::kFilesHaveModes) GTEST_SKIP() << "Windows files have no permission bits";
    testkit::TempFolder dir("atomic-perms");
    const fs::path target = dir / "backup_info.ini";
    const fs::path users = dir / "users.ini";
    const auto usual = fs::perms(usualFileMode());
    struct Case {
        const char* what;
        std::function<void()> plant;
        fs::perms expected;
    } cases[] = {
        {"a link to /dev/zero", [&] { ASSERT_TRUE(testkit::makeSymlink("/dev/zero", target)); }, usual},
        {"a link to a user's open file",
         [&] {
             ASSERT_TRUE(writeFileAtomically(users, "x"));
             fs::permissions(users, fs::perms(0666));
             ASSERT_TRUE(testkit::makeSymlink(users, target));
         },
         usual},
        {"a file of its own",
         [&] {
             ASSERT_TRUE(writeFileAtomically(target, "old"));
             fs::permissions(target, fs::perms(0640));
         },
         fs::perms(0640)},
    };
    for (const Case& c : cases) {
        removeFileOrLink(target);
        removeFileOrLink(users);
        c.plant();
        ASSERT_TRUE(writeFileAtomically(target, "[BACKUPINF]\r\n")) << c.what;
        EXPECT_EQ(entryType(target), fs::file_type::regular) << c.what;
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, c.expected) << c.what;
        if (fs::exists(users)) {
            EXPECT_EQ(contentOf(users), "x") << c.what;
        }
    }
}

TEST(AppPaths, ASettingsFileKeptAsALinkIsUsedAtItsTarget) {
    testkit::TempFolder dir("settings-link");
    const fs::path real = dir / "dotfiles" / "PLOVA.ini";
    fs::create_directories(real.parent_path());
    ASSERT_TRUE(writeFileAtomically(real, "[LOGIN]\r\n"));
    // A file that is no link is used where it is.
    EXPECT_EQ(settingsPath({"prog", "--settings", utf8Of(real)}), real);
    if (!testkit::makeSymlink(real, dir / "PLOVA.ini")) GTEST_SKIP() << testkit::kNoSymlinks;
    const fs::path used = settingsPath({"prog", "--settings", utf8Of(dir / "PLOVA.ini")});
    EXPECT_EQ(used, fs::canonical(real));
}

TEST(IniFile, AnUnreadableFileIsNeverOfferedForUpdate) {
    testkit::TempFolder dir("ini-update");
    const fs::path file = dir / "PLOVA.ini";
    EXPECT_TRUE(loadForUpdate(file).has_value()) << "a missing file starts empty";
    fs::create_directory(file);
    EXPECT_FALSE(loadForUpdate(file).has_value());
    removeFolderTree(file);
    if (!testkit::makeFifo(file)) GTEST_SKIP() << testkit::kNoFifos;
    EXPECT_FALSE(loadForUpdate(file).has_value());
}

}  // namespace
}  // namespace plova
