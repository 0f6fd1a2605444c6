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
    EXPECT_EQ(ReadWholeFile(p, out, 1 << 20), ReadResult::Ok) << p;
    return out;
}

// Another process that tries to take the box-folder lock of `folder`, and
// holds it until it is told to let go.
class OtherRun {
public:
    explicit OtherRun(const fs::path& folder)
        : process_(testkit::PlatformTestHelper(), {"lock", Utf8Of(folder), std::string(kBoxFolderLockName)}) {}
    // "held", "busy" or "failed".
    std::string Outcome() { return process_.ReadLine().value_or("no answer"); }
    testkit::HelperProcess& Process() { return process_; }

private:
    testkit::HelperProcess process_;
};

TEST(FileLock, OneRunAtATimeAndAKilledRunReleasesIt) {
    testkit::TempFolder dir("lock");
    {
        FileLock first = LockFolder(dir.Path(), kBoxFolderLockName);
        ASSERT_TRUE(first.Held()) << first.Reason();
        EXPECT_EQ(EntryType(dir / std::string(kBoxFolderLockName)), fs::file_type::regular);
        // A second taker, in this process or another, is told the lock is busy.
        FileLock second = LockFolder(dir.Path(), kBoxFolderLockName);
        EXPECT_EQ(second.LockState(), FileLock::State::Busy);
        EXPECT_EQ(second.Reason(), "held by another run");
        EXPECT_EQ(OtherRun(dir.Path()).Outcome(), "busy");
        // Other lock names are other locks.
        EXPECT_TRUE(LockFolder(dir.Path(), kBackupRootLockName).Held());
    }
    EXPECT_EQ(OtherRun(dir.Path()).Outcome(), "held");

    // A run killed while it holds the lock leaves nothing locked.
    OtherRun holder(dir.Path());
    ASSERT_EQ(holder.Outcome(), "held");
    EXPECT_EQ(LockFolder(dir.Path(), kBoxFolderLockName).LockState(), FileLock::State::Busy);
    holder.Process().Kill();
    EXPECT_TRUE(LockFolder(dir.Path(), kBoxFolderLockName).Held());
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
        {"a link to a user's file", [&] { return testkit::MakeSymlink(users, lockFile); }},
        {"a link to nowhere", [&] { return testkit::MakeSymlink(dir / "nowhere", lockFile); }},
        {"a pipe", [&] { return testkit::MakeFifo(lockFile); }},
    };
    for (const Case& c : cases) {
        RemoveFileOrLink(lockFile);
        RemoveFolderTree(lockFile);
        RemoveFileOrLink(dir / "nowhere");
        ASSERT_TRUE(WriteFileAtomically(users, "keep"));
        if (!c.plant()) continue;  // links and pipes where the system has them
        auto taking = std::async(std::launch::async, [&] { return LockFolder(dir.Path(), kBoxFolderLockName); });
        ASSERT_EQ(taking.wait_for(std::chrono::seconds(10)), std::future_status::ready) << c.what << ": it hangs";
        const FileLock lock = taking.get();
        EXPECT_EQ(lock.LockState(), FileLock::State::Failed) << c.what;
        EXPECT_EQ(lock.Reason(), "not a regular file") << c.what;
        EXPECT_EQ(contentOf(users), "keep") << c.what;
        EXPECT_EQ(EntryType(dir / "nowhere"), fs::file_type::not_found) << c.what;
    }
}

TEST(FileLock, ALockFileRemovedByItsHolderIsNeverHeldTwice) {
    testkit::TempFolder dir("lock-removed");
    FileLock first = LockFolder(dir.Path(), kBoxFolderLockName);
    ASSERT_TRUE(first.Held());
    first.ReleaseAndRemove();
    EXPECT_FALSE(first.Held());
    EXPECT_EQ(EntryType(dir / std::string(kBoxFolderLockName)), fs::file_type::not_found);
    FileLock next = LockFolder(dir.Path(), kBoxFolderLockName);
    EXPECT_TRUE(next.Held());
    EXPECT_EQ(LockFolder(dir.Path(), kBoxFolderLockName).LockState(), FileLock::State::Busy);
    // The lock beside a settings file is a lock of its own.
    EXPECT_TRUE(LockBeside(dir / "PLOVA.ini").Held());
    EXPECT_EQ(EntryType(dir / ".PLOVA.ini.lock"), fs::file_type::regular);
}

TEST(AtomicFile, PermissionsComeFromTheProgramsRuleNeverFromALinksTarget) {
    if (!testkit::kFilesHaveModes) GTEST_SKIP() << "Windows files have no permission bits";
    testkit::TempFolder dir("atomic-perms");
    const fs::path target = dir / "backup_info.ini";
    const fs::path users = dir / "users.ini";
    const auto usual = fs::perms(UsualFileMode());
    struct Case {
        const char* what;
        std::function<void()> plant;
        fs::perms expected;
    } cases[] = {
        {"a link to /dev/zero", [&] { ASSERT_TRUE(testkit::MakeSymlink("/dev/zero", target)); }, usual},
        {"a link to a user's open file",
         [&] {
             ASSERT_TRUE(WriteFileAtomically(users, "x"));
             fs::permissions(users, fs::perms(0666));
             ASSERT_TRUE(testkit::MakeSymlink(users, target));
         },
         usual},
        {"a file of its own",
         [&] {
             ASSERT_TRUE(WriteFileAtomically(target, "old"));
             fs::permissions(target, fs::perms(0640));
         },
         fs::perms(0640)},
    };
    for (const Case& c : cases) {
        RemoveFileOrLink(target);
        RemoveFileOrLink(users);
        c.plant();
        ASSERT_TRUE(WriteFileAtomically(target, "[BACKUPINF]\r\n")) << c.what;
        EXPECT_EQ(EntryType(target), fs::file_type::regular) << c.what;
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
    ASSERT_TRUE(WriteFileAtomically(real, "[LOGIN]\r\n"));
    // A file that is no link is used where it is.
    EXPECT_EQ(SettingsPath({"prog", "--settings", Utf8Of(real)}), real);
    if (!testkit::MakeSymlink(real, dir / "PLOVA.ini")) GTEST_SKIP() << testkit::kNoSymlinks;
    const fs::path used = SettingsPath({"prog", "--settings", Utf8Of(dir / "PLOVA.ini")});
    EXPECT_EQ(used, fs::canonical(real));
}

TEST(IniFile, AnUnreadableFileIsNeverOfferedForUpdate) {
    testkit::TempFolder dir("ini-update");
    const fs::path file = dir / "PLOVA.ini";
    EXPECT_TRUE(LoadForUpdate(file).has_value()) << "a missing file starts empty";
    fs::create_directory(file);
    EXPECT_FALSE(LoadForUpdate(file).has_value());
    RemoveFolderTree(file);
    if (!testkit::MakeFifo(file)) GTEST_SKIP() << testkit::kNoFifos;
    EXPECT_FALSE(LoadForUpdate(file).has_value());
}

}  // namespace
}  // namespace plova
