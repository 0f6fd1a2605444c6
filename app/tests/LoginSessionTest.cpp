// The login dialog's checks, the session state and the idle timer, driven
// tick by tick without a window; and the exit sequence.
#include <gtest/gtest.h>

#include <deque>

#include "app/BackupHooks.h"
#include "app/ExitSequence.h"
#include "app/LoginCheck.h"
#include "app/SessionControl.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::Utf8;

LoginInput valid() {
    return LoginInput{u"192.168.1.10", u"qermo", u"pass", true};
}

TEST(LoginCheckTest, ChecksRunInOrderWithTheirMessages) {
    EXPECT_FALSE(CheckLoginInput(valid()).has_value());
    EXPECT_FALSE(CheckLoginInput({u"1.2.3.4", u"vantel", u"x", false}).has_value());

    // An empty address wins over everything else that is empty.
    EXPECT_EQ(CheckLoginInput({u"", u"", u"", false}), login::kNoAddress);
    EXPECT_EQ(CheckLoginInput({u"1.2.3.4", u"", u"", false}), login::kNoUser);
    EXPECT_EQ(CheckLoginInput({u"1.2.3.4", u"qermo", u"", false}), login::kNoPassword);
    EXPECT_EQ(CheckLoginInput({u"1.2.3.4", u"Qermo", u"x", false}), login::kBadInput);  // case matters
    EXPECT_EQ(CheckLoginInput({u"1.2.3.4", u"admin", u"x", false}), login::kBadInput);
}

TEST(LoginCheckTest, LowByteRules) {
    EXPECT_FALSE(HasLeadByteLowBits(u'\uFF51'));  // low byte 0x51
    EXPECT_FALSE(HasLeadByteLowBits(u'\u3042'));  // low byte 0x42
    EXPECT_TRUE(HasLeadByteLowBits(u'\u308C'));
    EXPECT_TRUE(HasLeadByteLowBits(u'\u008C'));
    for (char16_t c : {u'\u0081', u'\u009F', u'\u00E0', u'\u00FC'}) EXPECT_TRUE(HasLeadByteLowBits(c)) << int(c);
    for (char16_t c : {u'\u0080', u'\u00A0', u'\u00DF', u'\u00FD', u'a'}) EXPECT_FALSE(HasLeadByteLowBits(c)) << int(c);

    // U+FF51 passes rule 4 and fails rule 5; either failure is "入力値エラーです。".
    LoginInput in = valid();
    in.user = u"\uFF51ermo";
    EXPECT_EQ(CheckLoginInput(in), login::kBadInput);
    // A lead-byte character in the user name fails even before the name is compared.
    in.user = u"qermo\u308C";
    EXPECT_EQ(CheckLoginInput(in), login::kBadInput);
    // The password: U+3042 passes, a low byte of 0x8C fails.
    in = valid();
    in.password = u"\u3042\u3042";
    EXPECT_FALSE(CheckLoginInput(in).has_value());
    in.password = u"p\u4E8Cq";
    EXPECT_EQ(CheckLoginInput(in), login::kBadInput);
}

TEST(LoginCheckTest, AddressControlFields) {
    EXPECT_EQ(ComposeIpAddress({}), u"");
    EXPECT_EQ(ComposeIpAddress({192, 168, std::nullopt, 7}), u"192.168.0.7");
    const IpFields f = SplitIpAddress(u"10.0.255.1");
    EXPECT_EQ(f, (IpFields{10, 0, 255, 1}));
    EXPECT_EQ(SplitIpAddress(u""), IpFields{});
    EXPECT_EQ(SplitIpAddress(u"1.x.300"), (IpFields{1, std::nullopt, std::nullopt, std::nullopt}));
}

TEST(LoginCheckTest, RememberBoxDecidesWhatIsStored) {
    SettingsRecord r;
    StoreLoginInput(r, valid());
    EXPECT_EQ(r.check, 1);
    EXPECT_EQ(r.ip, u"192.168.1.10");
    EXPECT_EQ(r.password, u"pass");
    EXPECT_EQ(r.connection.user, u"qermo");
    EXPECT_TRUE(LoginDialogValues(r).remember);

    LoginInput forget = valid();
    forget.remember = false;
    forget.password = std::u16string(20, u'p');
    StoreLoginInput(r, forget);
    EXPECT_EQ(r.check, 0);
    EXPECT_TRUE(r.ip.empty() && r.user.empty() && r.password.empty());
    EXPECT_EQ(r.connection.address, u"192.168.1.10");
    EXPECT_EQ(r.connection.password.size(), 16u);
}

TEST(LoginCheckTest, LoginResultMessages) {
    EXPECT_EQ(LoginFailureMessage(ftp::LoginResult::Ok), u"");
    EXPECT_EQ(LoginFailureMessage(ftp::LoginResult::ConnectFailed), u"接続に失敗しました。");
    EXPECT_EQ(LoginFailureMessage(ftp::LoginResult::Refused), u"ログインに失敗しました。");
    EXPECT_EQ(LoginFailureMessage(ftp::LoginResult::UnsupportedModel),
              u"この主装置には対応しておりません。\r\n対応しているアプリケーションをご使用ください。");
}

// A session whose answers the test scripts.
struct ScriptedUnit {
    ftp::LoginResult loginResult = ftp::LoginResult::Ok;
    bool alive = true;
    int logins = 0, logouts = 0, drains = 0, probes = 0, sessionsMade = 0;
    std::u16string lastHost, lastUser, lastPassword;
};

class ScriptedSession final : public MainUnitSession {
public:
    explicit ScriptedSession(ScriptedUnit& unit) : unit_(unit) { ++unit_.sessionsMade; }
    ftp::LoginResult Login(const std::u16string& host, const std::u16string& user,
                           const std::u16string& password) override {
        ++unit_.logins;
        unit_.lastHost = host, unit_.lastUser = user, unit_.lastPassword = password;
        connected_ = unit_.loginResult == ftp::LoginResult::Ok;
        return unit_.loginResult;
    }
    void Logout() override {
        ++unit_.logouts;
        connected_ = false;
    }
    void Drain() override { ++unit_.drains; }
    bool KeepAlive() override {
        ++unit_.probes;
        return unit_.alive;
    }
    [[nodiscard]] bool HasConnection() const override { return connected_; }

private:
    ScriptedUnit& unit_;
    bool connected_ = false;
};

struct RecordingHost final : SessionHost {
    bool timerOn = false;
    int timerStarts = 0, lostDialogs = 0, exits = 0, redraws = 0, backupStops = 0, backupRestarts = 0, menuCloses = 0;
    int lastPeriod = 0;
    bool backupRunning = false;
    std::deque<ConnectionLostChoice> choices;

    void StartIdleTimer(int ms) override { timerOn = true, lastPeriod = ms, ++timerStarts; }
    void StopIdleTimer() override { timerOn = false; }
    ConnectionLostChoice ShowConnectionLost() override {
        ++lostDialogs;
        if (choices.empty()) return ConnectionLostChoice::Exit;
        const auto c = choices.front();
        choices.pop_front();
        return c;
    }
    void BeginExit() override { ++exits; }
    void Redraw() override { ++redraws; }
    [[nodiscard]] bool BackupRunning() const override { return backupRunning; }
    void StopBackupTimer() override { ++backupStops; }
    void RestartBackupTimerIfArmed() override { ++backupRestarts; }
    void CloseSettingsMenu() override { ++menuCloses; }
};

class SessionControlTest : public ::testing::Test {
protected:
    testkit::TestPorts ports;
    ScriptedUnit unit;
    RecordingHost host;
    CPLOVADoc doc;
    SessionControl control{doc, host, [this](IdleTimerControl&) { return std::make_unique<ScriptedSession>(unit); }};

    void loginOk() {
        ASSERT_EQ(control.PressLogin(valid()), LoginPress::LoggedIn);
        control.AfterLoginDialog(true);
    }
    // Ticks only while the window's timer runs, as a real timer does.
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i)
            if (host.timerOn) control.OnIdleTick();
    }
    [[nodiscard]] std::vector<std::u16string> messages() const {
        std::vector<std::u16string> m;
        for (const auto& s : ports.prompt.shown) m.push_back(s.text);
        return m;
    }
};

TEST_F(SessionControlTest, LoginStartsTheIdleTimer) {
    loginOk();
    EXPECT_TRUE(control.LoggedIn());
    EXPECT_TRUE(host.timerOn);
    EXPECT_EQ(host.lastPeriod, 12000);
    EXPECT_EQ(control.IdleTicks(), 0);
    EXPECT_EQ(unit.lastHost, u"192.168.1.10");
    EXPECT_EQ(unit.lastUser, u"qermo");
    EXPECT_TRUE(ports.prompt.shown.empty());
}

TEST_F(SessionControlTest, FailedChecksAndLoginsKeepTheDialogOpenWithTheirMessage) {
    LoginInput noUser = valid();
    noUser.user.clear();
    EXPECT_EQ(control.PressLogin(noUser), LoginPress::StayOpen);
    EXPECT_EQ(unit.logins, 0);  // no attempt with bad input
    // The values were stored all the same.
    EXPECT_EQ(doc.settings.connection.address, u"192.168.1.10");

    for (ftp::LoginResult result :
         {ftp::LoginResult::ConnectFailed, ftp::LoginResult::Refused, ftp::LoginResult::UnsupportedModel}) {
        unit.loginResult = result;
        EXPECT_EQ(control.PressLogin(valid()), LoginPress::StayOpen);
        EXPECT_FALSE(control.LoggedIn());
    }
    EXPECT_EQ(messages(), (std::vector<std::u16string>{
                              std::u16string(login::kNoUser), std::u16string(login::kConnectFailed),
                              std::u16string(login::kLoginRefused), std::u16string(login::kUnsupportedUnit)}));
    for (const auto& s : ports.prompt.shown) {
        EXPECT_EQ(s.caption, u"エラー");
        EXPECT_EQ(s.icon, Icon::Exclamation);
    }
    control.AfterLoginDialog(false);
    EXPECT_FALSE(host.timerOn);
}

TEST_F(SessionControlTest, EachTickProbesWhileConnectedAndLogsOutAtTheHundredth) {
    loginOk();
    tick(99);
    EXPECT_EQ(unit.probes, 99);
    EXPECT_EQ(unit.drains, 99);
    EXPECT_TRUE(control.LoggedIn());
    EXPECT_EQ(control.IdleTicks(), 99);
    tick();
    EXPECT_FALSE(control.LoggedIn());
    EXPECT_FALSE(host.timerOn);
    EXPECT_EQ(control.IdleTicks(), 0);
    EXPECT_EQ(unit.logouts, 1);
    EXPECT_EQ(host.backupStops, 1);  // the logout command's frame
    EXPECT_EQ(host.backupRestarts, 1);
    EXPECT_EQ(host.menuCloses, 1);
    EXPECT_EQ(host.lostDialogs, 0);
    tick(5);
    EXPECT_EQ(unit.probes, 100);
}

TEST_F(SessionControlTest, ATransferRestartsTheCount) {
    loginOk();
    tick(60);
    control.StopIdleTimer();  // a transfer runs
    tick(10);
    EXPECT_EQ(unit.probes, 60);
    control.RestartIdleTimer();  // and ends
    tick(99);
    EXPECT_TRUE(control.LoggedIn());
    tick();
    EXPECT_FALSE(control.LoggedIn());
}

TEST_F(SessionControlTest, NoProbeWhileABackupRuns) {
    loginOk();
    host.backupRunning = true;
    unit.alive = false;
    tick(3);
    EXPECT_EQ(unit.probes, 0);
    EXPECT_EQ(control.IdleTicks(), 3);
    EXPECT_TRUE(control.LoggedIn());
}

TEST_F(SessionControlTest, LostConnectionShowsTheDialogOnceAndExitEndsTheProgram) {
    loginOk();
    tick(4);
    unit.alive = false;
    host.choices = {ConnectionLostChoice::Exit};
    tick(20);
    EXPECT_EQ(host.lostDialogs, 1);
    EXPECT_EQ(host.exits, 1);
    EXPECT_FALSE(control.LoggedIn());
    EXPECT_FALSE(host.timerOn);
    EXPECT_EQ(control.IdleTicks(), 0);
}

// "終了" whose exit is then cancelled leaves the program running, logged out,
// with the dead session: a command that restarts timer 1 must not probe it
// and bring the dialog up a second time.
TEST_F(SessionControlTest, AfterACancelledExitTheDeadSessionIsNotProbedAgain) {
    loginOk();
    unit.alive = false;
    host.choices = {ConnectionLostChoice::Exit};
    tick();
    ASSERT_EQ(host.lostDialogs, 1);
    ASSERT_EQ(host.exits, 1);  // the exit dialog was answered "いいえ"
    const int probes = unit.probes;
    control.StopIdleTimer();  // a command that talks to the main unit runs
    control.RestartIdleTimer();
    tick(5);
    EXPECT_EQ(host.lostDialogs, 1);
    EXPECT_EQ(unit.probes, probes);
    EXPECT_FALSE(control.LoggedIn());
    // A new login probes again.
    loginOk();
    unit.alive = true;
    tick();
    EXPECT_EQ(unit.probes, probes + 1);
}

TEST_F(SessionControlTest, ReconnectUsesTheConnectionRecordAndAFreshSession) {
    LoginInput forget = valid();
    forget.remember = false;  // stored values cleared; the connection record keeps them
    ASSERT_EQ(control.PressLogin(forget), LoginPress::LoggedIn);
    control.AfterLoginDialog(true);
    tick(30);
    unit.alive = false;
    host.choices = {ConnectionLostChoice::Reconnect};
    const int before = unit.sessionsMade;
    tick();
    // The probe failed; the dialog asked; the reconnection logged in again.
    EXPECT_EQ(host.lostDialogs, 1);
    EXPECT_EQ(unit.sessionsMade, before + 1);
    EXPECT_EQ(unit.lastUser, u"qermo");
    EXPECT_EQ(unit.lastPassword, u"pass");
    EXPECT_TRUE(control.LoggedIn());
    EXPECT_TRUE(host.timerOn);
    EXPECT_EQ(control.IdleTicks(), 0);
    EXPECT_TRUE(doc.settings.ip.empty());
}

TEST_F(SessionControlTest, FailedReconnectStaysLoggedOutWithTheMessage) {
    loginOk();
    unit.alive = false;
    unit.loginResult = ftp::LoginResult::ConnectFailed;
    host.choices = {ConnectionLostChoice::Reconnect};
    tick(10);
    EXPECT_EQ(host.lostDialogs, 1);
    EXPECT_FALSE(control.LoggedIn());
    EXPECT_FALSE(host.timerOn);
    EXPECT_EQ(host.exits, 0);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, login::kConnectFailed);
    EXPECT_EQ(ports.prompt.shown[0].caption, u"エラー");
    EXPECT_EQ(ports.prompt.shown[0].icon, Icon::Exclamation);
}

TEST_F(SessionControlTest, LogoutWhileLoggedOutOnlyRedraws) {
    const int redraws = host.redraws;
    control.Logout();
    EXPECT_EQ(unit.logouts, 0);
    EXPECT_EQ(host.redraws, redraws + 1);
    loginOk();
    control.Logout();
    EXPECT_EQ(unit.logouts, 1);
    EXPECT_FALSE(control.LoggedIn());
    EXPECT_FALSE(host.timerOn);
}

// A tick that arrives while a probe pumps messages is not a second probe.
TEST_F(SessionControlTest, NestedTicksAreIgnored) {
    struct PumpingSession final : MainUnitSession {
        ScriptedUnit& unit;
        explicit PumpingSession(ScriptedUnit& u) : unit(u) {}
        ftp::LoginResult Login(const std::u16string&, const std::u16string&, const std::u16string&) override {
            return ftp::LoginResult::Ok;
        }
        void Logout() override {}
        void Drain() override { PumpOne(); }
        bool KeepAlive() override {
            ++unit.probes;
            PumpOne();
            return true;
        }
        [[nodiscard]] bool HasConnection() const override { return true; }
    };
    SessionControl pumping(doc, host, [this](IdleTimerControl&) { return std::make_unique<PumpingSession>(unit); });
    doc.settings.loggedIn = 1;
    pumping.RestartIdleTimer();
    const int probes = unit.probes;
    ports.pump.Every([&] { pumping.OnIdleTick(); });
    pumping.OnIdleTick();
    EXPECT_EQ(unit.probes, probes + 1);
    EXPECT_EQ(pumping.IdleTicks(), 1);
}

// ------------------------------------------------------------------ exit

struct RecordingExitHost final : ExitHost {
    EndCheckChoice choice = EndCheckChoice::Exit;
    EndCheckButtons shownButtons;
    int backupStops = 0, backupStarts = 0, wavDeletes = 0;
    PlacementSave placement = PlanPlacementSave({3, 4, 900, 700}, {{1, {10, 10, 200, 200}, 1}});

    void StopBackupTimer() override { ++backupStops; }
    void StartBackupTimer() override { ++backupStarts; }
    EndCheckChoice ShowEndCheck(const EndCheckButtons& b) override {
        shownButtons = b;
        return choice;
    }
    PlacementSave CollectPlacement() override { return placement; }
    void DeleteQueuedWavFiles() override { ++wavDeletes; }
};

class ExitTest : public ::testing::Test {
protected:
    testkit::TestPorts ports;
    testkit::TempFolder dir{"exit"};
    fs::path file = dir / "PLOVA.ini";
    RecordingExitHost host;
    CPLOVADoc doc;
    BackupFlags flags;
    int runs = 0, nextDue = 0;
    bool runSucceeds = true;
    BackupHooks backup{
        [](const SettingsRecord&, const LocalTime&) { return false; },
        [this](SettingsRecord&) { return ++runs, runSucceeds; },
        [this](SettingsRecord& r, const LocalTime&) { ++nextDue, r.yoteibi = u"202612080000"; },
    };
};

TEST(EndCheckTest, BackupButtonRules) {
    SettingsRecord r;
    EXPECT_FALSE(EndCheckButtonStates(r).backupVisible);
    r.hindo = 2;
    EXPECT_TRUE(EndCheckButtonStates(r).backupVisible);
    EXPECT_FALSE(EndCheckButtonStates(r).backupEnabled);
    r.folder = u"/data/";
    EXPECT_TRUE(EndCheckButtonStates(r).backupEnabled);
}

TEST_F(ExitTest, CancelGoesOnAndWritesNothing) {
    host.choice = EndCheckChoice::Cancel;
    flags.watch = true;
    EXPECT_FALSE(RunExitSequence(host, doc, flags, backup, file, 1));
    EXPECT_EQ(host.backupStops, 1);
    EXPECT_EQ(host.backupStarts, 1);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(host.wavDeletes, 0);
}

TEST_F(ExitTest, ExitWritesSettingsAndPlacementOnce) {
    doc.settings.num = 4;  // opened four lists during the run, two are still open
    doc.settings.user = u"qermo";
    doc.settings.check = 1;
    EXPECT_TRUE(RunExitSequence(host, doc, flags, backup, file, 2));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(host.wavDeletes, 1);
    const IniDocument ini = IniDocument::Load(file);
    EXPECT_EQ(ini.GetInt(u"DISP", u"NUM", -1), 2);
    EXPECT_EQ(ini.GetString(u"LOGIN", u"USER"), u"qermo");
    EXPECT_EQ(ini.GetInt(u"Window", u"Left", 0), 3);
    EXPECT_EQ(ini.GetInt(u"Window1", u"Right", 0), 200);
    EXPECT_EQ(ini.GetInt(u"Window4", u"ZOrder", 0), 4);
}

TEST_F(ExitTest, BackupBeforeExitRecordsItsResult) {
    doc.settings.hindo = 1;
    doc.settings.folder = u"/data/";
    host.choice = EndCheckChoice::BackupAndExit;
    EXPECT_TRUE(RunExitSequence(host, doc, flags, backup, file, 0));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(nextDue, 1);
    EXPECT_FALSE(flags.running);
    EXPECT_TRUE(ports.prompt.shown.empty());  // no message at exit
    IniDocument ini = IniDocument::Load(file);
    EXPECT_EQ(ini.GetInt(u"BACKUP", u"ZENKAIKA", 0), 1);
    EXPECT_EQ(ini.GetString(u"BACKUP", u"ZENKAIBI"), u"202612071030");
    EXPECT_EQ(ini.GetString(u"BACKUP", u"YOTEIBI"), u"202612080000");

    runSucceeds = false;
    EXPECT_TRUE(RunExitSequence(host, doc, flags, backup, file, 0));
    EXPECT_EQ(nextDue, 1);  // only a success recomputes the next-due time
    EXPECT_TRUE(flags.watch);
    EXPECT_FALSE(flags.accepted);
    EXPECT_EQ(IniDocument::Load(file).GetInt(u"BACKUP", u"ZENKAIKA", 0), 2);
}

TEST_F(ExitTest, DisabledBackupButtonCannotRunABackup) {
    doc.settings.hindo = 1;  // but no root folder: the button is disabled
    host.choice = EndCheckChoice::BackupAndExit;
    EXPECT_TRUE(RunExitSequence(host, doc, flags, backup, file, 0));
    EXPECT_FALSE(host.shownButtons.backupEnabled);
    EXPECT_EQ(runs, 0);
}

TEST_F(ExitTest, StartupBackupSteps) {
    backup.isDue = [](const SettingsRecord&, const LocalTime&) { return true; };
    EXPECT_TRUE(StartupBackupSteps(flags, doc.settings, backup, [] { return true; }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(doc.settings.zenkaika, 1);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"バックアップが完了しました。");
    EXPECT_EQ(ports.prompt.shown[0].caption, u"バックアップ完了");

    BackupFlags declined;
    EXPECT_FALSE(StartupBackupSteps(declined, doc.settings, backup, [] { return false; }));
    EXPECT_FALSE(declined.watch);
    EXPECT_EQ(runs, 1);

    BackupFlags notDue;
    EXPECT_TRUE(StartupBackupSteps(notDue, doc.settings, NoBackupYet(), [] { return true; }));
    EXPECT_TRUE(notDue.watch);
}

}  // namespace
}  // namespace plova
