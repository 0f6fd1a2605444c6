// The lock that keeps two runs off the same data, and the file rules that go
// with it: what is planted under a lock file's name, the permissions an
// atomic write takes, and a settings file kept as a link.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& p) {
    std::string out;
    EXPECT_EQ(readWholeFile(p, out, 1 << 20), ReadResult::Ok) << p;
    return out;
}

// Whether another process can take the lock now.
bool anotherProcessGets(const fs::path& folder) {
    const pid_t child = fork();
    if (child == 0) _exit(lockFolder(folder, kBoxFolderLockName).held() ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileLock, OneRunAtATimeAndAKilledRunReleasesIt) {
    testkit::TempFolder dir("lock");
    {
        FileLock first = lockFolder(dir.path(), kBoxFolderLockName);
        ASSERT_TRUE(first.held()) << first.reason();
        EXPECT_TRUE(fs::is_regular_file(dir / std::string(kBoxFolderLockName)));
        // A second taker, in this process or another, is told the lock is busy.
        FileLock second = lockFolder(dir.path(), kBoxFolderLockName);
        EXPECT_EQ(second.state(), FileLock::State::Busy);
        EXPECT_FALSE(anotherProcessGets(dir.path()));
        // Other lock names are other locks.
        EXPECT_TRUE(lockFolder(dir.path(), kBackupRootLockName).held());
    }
    EXPECT_TRUE(anotherProcessGets(dir.path()));

    // A run killed while it holds the lock leaves nothing locked.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        FileLock held = lockFolder(dir.path(), kBoxFolderLockName);
        const char c = held.held() ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_EQ(lockFolder(dir.path(), kBoxFolderLockName).state(), FileLock::State::Busy);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_TRUE(lockFolder(dir.path(), kBoxFolderLockName).held());
}

TEST(FileLock, WhatIsPlantedUnderTheNameIsNeitherFollowedNorWaitedOn) {
    testkit::TempFolder dir("lock-planted");
    const fs::path lockFile = dir / std::string(kBoxFolderLockName);
    const fs::path users = dir / "users-file.txt";
    struct Case {
        const char* what;
        std::function<void()> plant;
    } cases[] = {
        {"a link to a user's file", [&] { fs::create_symlink(users, lockFile); }},
        {"a link to nowhere", [&] { fs::create_symlink(dir / "nowhere", lockFile); }},
        {"a pipe", [&] { ASSERT_EQ(mkfifo(lockFile.c_str(), 0600), 0); }},
        {"a folder", [&] { fs::create_directory(lockFile); }},
    };
    for (const Case& c : cases) {
        fs::remove_all(lockFile);
        fs::remove(dir / "nowhere");
        ASSERT_TRUE(writeFileAtomically(users, "keep"));
        ::chmod(users.c_str(), 0640);
        c.plant();
        auto taking = std::async(std::launch::async, [&] { return lockFolder(dir.path(), kBoxFolderLockName); });
        ASSERT_EQ(taking.wait_for(std::chrono::seconds(10)), std::future_status::ready) << c.what << ": it hangs";
        const FileLock lock = taking.get();
        EXPECT_EQ(lock.state(), FileLock::State::Failed) << c.what;
        EXPECT_FALSE(lock.reason().empty()) << c.what;
        EXPECT_EQ(contentOf(users), "keep") << c.what;
        EXPECT_EQ(fs::status(users).permissions() & fs::perms::all, fs::perms(0640)) << c.what;
        EXPECT_FALSE(fs::exists(dir / "nowhere")) << c.what;
    }
}

TEST(FileLock, ALockFileRemovedByItsHolderIsNeverHeldTwice) {
    testkit::TempFolder dir("lock-removed");
    FileLock first = lockFolder(dir.path(), kBoxFolderLockName);
    ASSERT_TRUE(first.held());
    first.releaseAndRemove();
    EXPECT_FALSE(first.held());
    EXPECT_FALSE(fs::exists(dir / std::string(kBoxFolderLockName)));
    FileLock next = lockFolder(dir.path(), kBoxFolderLockName);
    EXPECT_TRUE(next.held());
    EXPECT_EQ(lockFolder(dir.path(), kBoxFolderLockName).state(), FileLock::State::Busy);
}

TEST(AtomicFile, PermissionsComeFromTheProgramsRuleNeverFromALinksTarget) {
    testkit::TempFolder dir("atomic-perms");
    const fs::path target = dir / "backup_info.ini";
    const fs::path users = dir / "users.ini";
    const auto usual = fs::perms(usualFileMode());
    struct Case {
        const char* what;
        std::function<void()> plant;
        fs::perms expected;
    } cases[] = {
        {"a link to /dev/zero", [&] { fs::create_symlink("/dev/zero", target); }, usual},
        {"a link to a user's open file",
         [&] {
             ASSERT_TRUE(writeFileAtomically(users, "x"));
             fs::permissions(users, fs::perms(0666));
             fs::create_symlink(users, target);
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
        fs::remove(target);
        fs::remove(users);
        c.plant();
        ASSERT_TRUE(writeFileAtomically(target, "[BACKUPINF]\r\n")) << c.what;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << c.what;
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
    fs::create_symlink(real, dir / "PLOVA.ini");
    const fs::path used = settingsPath({"prog", "--settings", (dir / "PLOVA.ini").string()});
    EXPECT_EQ(used, fs::canonical(real));
    // A file that is no link is used where it is.
    EXPECT_EQ(settingsPath({"prog", "--settings", real.string()}), real);
}

TEST(IniFile, AnUnreadableFileIsNeverOfferedForUpdate) {
    testkit::TempFolder dir("ini-update");
    const fs::path file = dir / "PLOVA.ini";
    EXPECT_TRUE(loadForUpdate(file).has_value()) << "a missing file starts empty";
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    EXPECT_FALSE(loadForUpdate(file).has_value());
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_FALSE(loadForUpdate(file).has_value());
}

}  // namespace
}  // namespace plova
