// Start-up of the application object: one instance per user, the settings
// file, the main window as the last run left it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/ui/CPLOVAApp.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/SingleInstance.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

class CPLOVAAppTest : public ::testing::Test {
protected:
    testkit::TestPorts ports;
    testkit::TempFolder dir{"ui-app"};
    fs::path ini = dir / "PLOVA.ini";
    int argc = 1;
    char name[6] = "plova";
    char* argv[2] = {name, nullptr};

    std::unique_ptr<CPLOVAApp> makeApp() {
        auto app = std::make_unique<CPLOVAApp>(argc, argv);
        app->SetLockFolder(dir.Path());
        CMainFrame::Options o;
        o.settingsFile = ini;
        app->SetFrameOptions(o);
        return app;
    }
};

TEST_F(CPLOVAAppTest, ASecondInstanceSaysSoAndLeavesTheFirstAndTheSettingsAlone) {
    SingleInstanceLock first(appinfo::kMutexName, dir.Path());
    ASSERT_TRUE(first.Acquired());

    auto app = makeApp();
    EXPECT_FALSE(app->InitInstance());
    EXPECT_EQ(app->MainFrame(), nullptr);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"Kwシリーズ音声ファイル管理は既に起動しています。");
    EXPECT_EQ(ports.prompt.shown[0].caption, u"エラー");
    EXPECT_EQ(ports.prompt.shown[0].icon, Icon::Stop);
    EXPECT_FALSE(fs::exists(ini));
    // The first instance still holds its lock.
    SingleInstanceLock third(appinfo::kMutexName, dir.Path());
    EXPECT_FALSE(third.Acquired());
}

TEST_F(CPLOVAAppTest, StartsWithDefaultsForgetsAMissingFolderAndReleasesTheLockAtExit) {
    WriteProfileText(ini, u"FOLDER", u"FOLDER", (dir / "gone").u16string());
    WriteProfileText(ini, u"DISP", u"FOLDERNAME", u"office");
    WriteProfileInt(ini, u"DISP", u"NUM", 2);
    WriteProfileText(ini, u"DISP", u"DISP1", u"留守録BOX：001");

    auto app = makeApp();
    ASSERT_TRUE(app->InitInstance());
    CMainFrame* frame = app->MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kwシリーズ 音声ファイル管理"));
    EXPECT_GE(frame->width(), 845);
    // Its icon, though no icon theme here has it: the one built into the program.
    EXPECT_FALSE(frame->windowIcon().isNull());
    EXPECT_FALSE(frame->windowIcon().pixmap(32).isNull());
    // The stored folder no longer exists: forgotten, both displays empty.
    EXPECT_TRUE(frame->Settings().folder.empty());
    EXPECT_EQ(frame->Settings().num, 0);
    EXPECT_TRUE(frame->Settings().disp[0].empty());
    EXPECT_TRUE(frame->FolderDisplayText().empty());
    EXPECT_TRUE(frame->BoxDisplayText().empty());
    EXPECT_EQ(frame->Settings().retryCount, 3);
    EXPECT_EQ(frame->Settings().retryWait, 60000);
    // The backup watch is armed and its timer runs.
    EXPECT_TRUE(frame->Backup().watch);
    EXPECT_TRUE(frame->BackupTimer().isActive());

    SingleInstanceLock meanwhile(appinfo::kMutexName, dir.Path());
    EXPECT_FALSE(meanwhile.Acquired());
    app->ExitInstance();
    SingleInstanceLock after(appinfo::kMutexName, dir.Path());
    EXPECT_TRUE(after.Acquired());
}

// A user who clicked the icon twice finds the window: after the message the
// second start brings the running window forward, minimised or not.
TEST_F(CPLOVAAppTest, ASecondStartBringsTheRunningWindowForward) {
    auto first = makeApp();
    ASSERT_TRUE(first->InitInstance());
    CMainFrame* frame = first->MainFrame();
    frame->showMinimized();
    ASSERT_TRUE(frame->isMinimized());

    auto second = makeApp();
    EXPECT_FALSE(second->InitInstance());
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, appinfo::kAlreadyRunning);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isMinimized(); }, 5000));
    EXPECT_TRUE(frame->isVisible());

    // Gone with the first instance; the next one serves it again.
    first->ExitInstance();
    first.reset();
    auto next = makeApp();
    ASSERT_TRUE(next->InitInstance());
    next->MainFrame()->showMinimized();
    auto another = makeApp();
    EXPECT_FALSE(another->InitInstance());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !next->MainFrame()->isMinimized(); }, 5000));
}

// The window holds the lock beside its settings file for as long as it runs,
// so that plova-cli backup from cron leaves that file alone; a backup of
// that file already running keeps the window from starting over it.
TEST_F(CPLOVAAppTest, TheSettingsFileIsTheWindowsWhileItRuns) {
    {
        const FileLock backup = LockBeside(ini);
        ASSERT_TRUE(backup.Held());
        auto app = makeApp();
        EXPECT_FALSE(app->InitInstance());
        ASSERT_EQ(ports.prompt.shown.size(), 1u);
        EXPECT_EQ(ports.prompt.shown[0].text, appinfo::kSettingsBusy);
        EXPECT_FALSE(fs::exists(ini));
    }
    // Nothing of the refused start stays locked.
    SingleInstanceLock free(appinfo::kMutexName, dir.Path());
    EXPECT_TRUE(free.Acquired());
}

TEST_F(CPLOVAAppTest, ARunningWindowHoldsItsSettingsFileAndNoOther) {
    auto app = makeApp();
    ASSERT_TRUE(app->InitInstance());
    EXPECT_EQ(LockBeside(ini).LockState(), FileLock::State::Busy);
    EXPECT_TRUE(LockBeside(dir / "other.ini").Held());
    app->ExitInstance();
    EXPECT_TRUE(LockBeside(ini).Held());
}

}  // namespace
}  // namespace plova::ui
