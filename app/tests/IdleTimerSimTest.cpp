// The login and the idle timer over the real FTP client against the
// simulated main unit on loopback.
#include <gtest/gtest.h>

#include "app/FtpMainUnitSession.h"
#include "app/SessionControl.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"

namespace plova {
namespace {

struct Host final : SessionHost {
    bool timerOn = false;
    int lostDialogs = 0, exits = 0;
    ConnectionLostChoice choice = ConnectionLostChoice::Exit;
    std::function<void()> beforeChoice;

    void StartIdleTimer(int) override { timerOn = true; }
    void StopIdleTimer() override { timerOn = false; }
    ConnectionLostChoice ShowConnectionLost() override {
        ++lostDialogs;
        if (beforeChoice) beforeChoice();
        return choice;
    }
    void BeginExit() override { ++exits; }
    void Redraw() override {}
    [[nodiscard]] bool BackupRunning() const override { return false; }
    void StopBackupTimer() override {}
    void RestartBackupTimerIfArmed() override {}
    void CloseSettingsMenu() override {}
};

class IdleTimerSimTest : public ::testing::Test {
protected:
    testkit::TestPorts ports;
    testkit::TempFolder disk{"idle-sim"};
    testkit::SimUnit unit{disk.Path(), "qermo", "pass"};
    Host host;
    CPLOVADoc doc;
    std::unique_ptr<SessionControl> control;

    void SetUp() override {
        unit.MakeTopFolders();
        unit.Start();
        control = std::make_unique<SessionControl>(doc, host, FtpSessionFactory(unit.Port()));
    }

    void tick(int n = 1) {
        for (int i = 0; i < n; ++i)
            if (host.timerOn) control->OnIdleTick();
    }

    LoginPress login(std::u16string password = u"pass") {
        const LoginPress p = control->PressLogin({u"127.0.0.1", u"qermo", password, true});
        if (p == LoginPress::LoggedIn) control->AfterLoginDialog(true);
        return p;
    }
};

TEST_F(IdleTimerSimTest, ProbesKeepTheSessionAndAStoppedUnitIsNoticedOnce) {
    ASSERT_EQ(login(), LoginPress::LoggedIn);
    ASSERT_NE(control->Session().Ftp(), nullptr);
    tick(3);
    EXPECT_TRUE(control->LoggedIn());
    EXPECT_EQ(control->IdleTicks(), 3);
    EXPECT_EQ(unit.Server().SessionsOpen(), 1);

    unit.Stop();
    tick(5);
    EXPECT_EQ(host.lostDialogs, 1);
    EXPECT_EQ(host.exits, 1);
    EXPECT_FALSE(control->LoggedIn());
    EXPECT_FALSE(host.timerOn);
}

TEST_F(IdleTimerSimTest, ReconnectAfterTheUnitIsBack) {
    ASSERT_EQ(login(), LoginPress::LoggedIn);
    unit.Stop();
    host.choice = ConnectionLostChoice::Reconnect;
    host.beforeChoice = [&] { unit.Start({}, unit.Port()); };
    tick();
    EXPECT_EQ(host.lostDialogs, 1);
    EXPECT_TRUE(control->LoggedIn());
    EXPECT_TRUE(host.timerOn);
    EXPECT_TRUE(ports.prompt.shown.empty());
    tick(2);
    EXPECT_TRUE(control->LoggedIn());
    // The old connection is gone, only the new one is open.
    EXPECT_EQ(unit.Server().SessionsOpen(), 1);
    control->Logout();
    EXPECT_FALSE(control->LoggedIn());
}

TEST_F(IdleTimerSimTest, LoginFailuresShowTheirMessages) {
    EXPECT_EQ(login(u"wrong"), LoginPress::StayOpen);
    sim::Faults other;
    other.greetingModel = "Other-9";
    unit.Server().SetFaults(other);
    EXPECT_EQ(login(), LoginPress::StayOpen);
    unit.Stop();
    EXPECT_EQ(login(), LoginPress::StayOpen);
    ASSERT_EQ(ports.prompt.shown.size(), 3u);
    EXPECT_EQ(ports.prompt.shown[0].text, login::kLoginRefused);
    EXPECT_EQ(ports.prompt.shown[1].text, login::kUnsupportedUnit);
    EXPECT_EQ(ports.prompt.shown[2].text, login::kConnectFailed);
    EXPECT_FALSE(control->LoggedIn());
    EXPECT_FALSE(host.timerOn);
}

TEST_F(IdleTimerSimTest, HundredIdleTicksLogOut) {
    ASSERT_EQ(login(), LoginPress::LoggedIn);
    tick(99);
    EXPECT_TRUE(control->LoggedIn());
    tick();
    EXPECT_FALSE(control->LoggedIn());
    EXPECT_FALSE(control->Session().HasConnection());
    EXPECT_EQ(host.lostDialogs, 0);
}

}  // namespace
}  // namespace plova
