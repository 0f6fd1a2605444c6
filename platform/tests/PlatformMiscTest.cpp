#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/Ports.h"
#include "platform/SingleInstance.h"
#include "platform/testing/TestPorts.h"

namespace fs = std::filesystem;
using namespace plova;

TEST(SingleInstance, SecondLockIsRefusedUntilTheFirstIsGone) {
    const fs::path dir = fs::temp_directory_path() / ("lock-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        SingleInstanceLock first("PLOVA-Kw", dir);
        ASSERT_TRUE(first.acquired());
        // Another process is refused while the first holds the lock.
        const pid_t child = fork();
        if (child == 0) {
            SingleInstanceLock second("PLOVA-Kw", dir);
            _exit(second.acquired() ? 1 : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SingleInstanceLock again("PLOVA-Kw", dir);
    EXPECT_TRUE(again.acquired());
    fs::remove_all(dir);
}

TEST(AppPaths, SettingsOptionWinsAndExecutableFolderEndsInSeparator) {
    EXPECT_EQ(settingsPath({"prog", "--settings", "/tmp/x.ini"}), fs::path("/tmp/x.ini"));
    EXPECT_EQ(settingsPath({"prog", "--settings=/tmp/y.ini"}), fs::path("/tmp/y.ini"));
    const std::string exe = executableFolder().string();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.back(), '/');
    EXPECT_TRUE(fs::is_directory(exe));
}

TEST(AtomicFile, FailureLeavesTheOriginalAlone) {
    const fs::path dir = fs::temp_directory_path() / ("atomic-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path target = dir / "m.vmdat";
    ASSERT_TRUE(writeFileAtomically(target, "original"));
    {
        AtomicFile f(target);
        ASSERT_TRUE(f.write("half"));
        // dropped without commit
    }
    std::ifstream in(target);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "original");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
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
