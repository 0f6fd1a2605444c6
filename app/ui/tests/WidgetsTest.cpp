// The shell's own widgets: the IP address input, the displays that wrap at
// one character, the exit and connection-lost dialogs, the login dialog's
// fields.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/ui/BreakAfterDisplay.h"
#include "app/ui/CEndChkDlg.h"
#include "app/ui/CLoginDlg.h"
#include "app/ui/CRecomDlg.h"
#include "app/ui/IpAddressCtrl.h"
#include "platform/testing/TestPorts.h"

namespace plova::ui {
namespace {

class NoSession final : public MainUnitSession {
public:
    ftp::LoginResult Login(const std::u16string&, const std::u16string&, const std::u16string&) override {
        return ftp::LoginResult::ConnectFailed;
    }
    void Logout() override {}
    void Drain() override {}
    bool KeepAlive() override { return false; }
    [[nodiscard]] bool HasConnection() const override { return false; }
};

struct QuietHost final : SessionHost {
    void StartIdleTimer(int) override {}
    void StopIdleTimer() override {}
    ConnectionLostChoice ShowConnectionLost() override { return ConnectionLostChoice::Exit; }
    void BeginExit() override {}
    void Redraw() override {}
    [[nodiscard]] bool BackupRunning() const override { return false; }
    void StopBackupTimer() override {}
    void RestartBackupTimerIfArmed() override {}
    void CloseSettingsMenu() override {}
};

// Keys go where the focus is, as a person's typing does.
void type(const char* text) {
    for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
}

TEST(IpAddressCtrlTest, TypingMovesThroughTheFieldsLikeThePlatformControl) {
    IpAddressCtrl ip;
    ip.show();
    QApplication::setActiveWindow(&ip);
    EXPECT_TRUE(ip.IsBlank());
    ip.Field(0)->setFocus();
    // Three digits move on by themselves; a dot moves on after fewer.
    type("192168.1.20");
    EXPECT_EQ(ip.Fields(), (IpFields{192, 168, 1, 20}));
    EXPECT_FALSE(ip.IsBlank());

    // Backspace in an empty field goes back to the one before.
    ip.Field(3)->clear();
    ip.Field(3)->setFocus();
    QTest::keyClick(ip.Field(3), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), ip.Field(2));

    // A value above 255 becomes 255; letters are not taken.
    ip.Clear();
    ip.Field(1)->setFocus();
    QTest::keyClicks(ip.Field(1), QStringLiteral("3x00"));
    EXPECT_EQ(ip.Field(1)->text(), QStringLiteral("255"));
    EXPECT_EQ(ip.Fields(), (IpFields{std::nullopt, 255, std::nullopt, std::nullopt}));

    // A dot in an empty field stays where it is.
    ip.Clear();
    ip.Field(0)->setFocus();
    QTest::keyClick(ip.Field(0), Qt::Key_Period);
    EXPECT_EQ(QApplication::focusWidget(), ip.Field(0));
}

TEST(IpAddressCtrlTest, TabLeavesTheWholeControl) {
    QWidget form;
    auto* ip = new IpAddressCtrl(&form);
    auto* next = new QLineEdit(&form);
    form.show();
    QApplication::setActiveWindow(&form);
    ip->Field(1)->setFocus();
    QTest::keyClick(ip->Field(1), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
    QTest::keyClick(next, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), ip->Field(0));
}

TEST(BreakAfterDisplayTest, WrapsOnlyAfterTheChosenCharacter) {
    const QFontMetrics metrics(QApplication::font());
    const QString path = QStringLiteral(" /home/operator/voice-files/main-office/2026");
    const int narrow = metrics.horizontalAdvance(QStringLiteral(" /home/operator/voice-files/"));
    const QStringList lines = BreakAfterDisplay::WrapLines(path, QLatin1Char('/'), metrics, narrow);
    ASSERT_GT(lines.size(), 1);
    EXPECT_EQ(lines.join(QString()), path);
    for (int i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].endsWith(QLatin1Char('/'))) << lines[i].toStdString();
        EXPECT_LE(metrics.horizontalAdvance(lines[i]), narrow);
    }

    // Explicit breaks stay, and a name wider than a line is cut so nothing hides.
    const QStringList boxes = BreakAfterDisplay::WrapLines(QStringLiteral(" 留守録BOX：001,002\r\n 内線BOX：201"),
                                                           QLatin1Char(','), metrics, 2000);
    EXPECT_EQ(boxes, (QStringList{QStringLiteral(" 留守録BOX：001,002"), QStringLiteral(" 内線BOX：201")}));
    const QString longName(40, QLatin1Char('W'));
    const QStringList cut = BreakAfterDisplay::WrapLines(longName, QLatin1Char(','), metrics,
                                                         metrics.horizontalAdvance(QStringLiteral("WWWWW")));
    EXPECT_GT(cut.size(), 1);
    EXPECT_EQ(cut.join(QString()), longName);
}

TEST(BreakAfterDisplayTest, ShowsAScrollBarExactlyWhenMoreThanOneLine) {
    BreakAfterDisplay display(QLatin1Char(','));
    display.resize(200, 24);
    display.show();
    display.SetDisplayText(QStringLiteral(" 留守録BOX：001"));
    EXPECT_EQ(display.ShownLineCount(), 1);
    EXPECT_EQ(display.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    display.SetDisplayText(QStringLiteral(" 留守録BOX：001,002,003,004,005,006,007,008,009,010,011,012"));
    EXPECT_GT(display.ShownLineCount(), 1);
    EXPECT_EQ(display.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(display.DisplayText(), QStringLiteral(" 留守録BOX：001,002,003,004,005,006,007,008,009,010,011,012"));

    // Wider, the same text fits on one line again.
    display.resize(2000, 24);
    EXPECT_EQ(display.ShownLineCount(), 1);
    EXPECT_EQ(display.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST(EndChkDlgTest, BackupButtonFollowsTheRulesAndEachButtonAnswers) {
    {
        CEndChkDlg hidden(EndCheckButtons{false, true});
        EXPECT_EQ(hidden.windowTitle(), QStringLiteral("終了確認"));
        EXPECT_TRUE(hidden.BackupButton()->isHidden());
        EXPECT_EQ(hidden.YesButton()->text(), QStringLiteral("はい(&Y)"));
        EXPECT_EQ(hidden.NoButton()->text(), QStringLiteral("いいえ(&N)"));
    }
    CEndChkDlg disabled(EndCheckButtons{true, false});
    EXPECT_FALSE(disabled.BackupButton()->isHidden());
    EXPECT_FALSE(disabled.BackupButton()->isEnabled());
    EXPECT_EQ(disabled.BackupButton()->text(), QStringLiteral("ﾊﾞｯｸｱｯﾌﾟを実行して終了"));

    const std::pair<QPushButton* (CEndChkDlg::*)() const, EndCheckChoice> cases[] = {
        {&CEndChkDlg::BackupButton, EndCheckChoice::BackupAndExit},
        {&CEndChkDlg::YesButton, EndCheckChoice::Exit},
        {&CEndChkDlg::NoButton, EndCheckChoice::Cancel},
    };
    for (const auto& [button, choice] : cases) {
        CEndChkDlg dialog(EndCheckButtons{true, true});
        dialog.show();
        (dialog.*button)()->click();
        EXPECT_EQ(dialog.Choice(), choice);
        EXPECT_EQ(dialog.result(), choice == EndCheckChoice::Cancel ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(RecomDlgTest, OnlyItsTwoButtonsEndIt) {
    CRecomDlg dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Kwシリーズ音声ファイル管理"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    dialog.ReconnectButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Choice(), ConnectionLostChoice::Reconnect);
    EXPECT_EQ(dialog.ReconnectButton()->text(), QStringLiteral("再接続"));
    EXPECT_EQ(dialog.ExitButton()->text(), QStringLiteral("終了"));
}

TEST(LoginDlgTest, OpensWithTheRememberedValuesAndKeepsTypedValuesOnFailure) {
    testkit::TestPorts ports;
    CPLOVADoc doc;
    doc.settings.ip = u"10.0.0.5";
    doc.settings.user = u"qermo";
    doc.settings.password = u"secret";
    doc.settings.check = 1;
    QuietHost host;
    SessionControl session(doc, host, [](IdleTimerControl&) { return std::make_unique<NoSession>(); });
    CLoginDlg dialog(session, doc.settings, nullptr);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ログイン"));
    EXPECT_EQ(dialog.AddressControl()->Fields(), (IpFields{10, 0, 0, 5}));
    EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("qermo"));
    EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.UserEdit()->maxLength(), 16);
    EXPECT_EQ(dialog.PasswordEdit()->maxLength(), 16);
    EXPECT_TRUE(dialog.RememberBox()->isChecked());
    EXPECT_TRUE(dialog.LoginButton()->isDefault());

    // A blank address is reported first; the dialog stays open with what was typed.
    dialog.show();
    dialog.AddressControl()->Clear();
    dialog.UserEdit()->clear();
    dialog.LoginButton()->click();
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"ＩＰアドレスを入力してください。");
    EXPECT_EQ(ports.prompt.shown[0].caption, u"エラー");
    EXPECT_EQ(ports.prompt.shown[0].icon, Icon::Exclamation);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.UserEdit()->text().isEmpty());

    // A unit that cannot be reached: the connection message, still open, not logged in.
    dialog.AddressControl()->SetFields({10, 0, 0, 6});
    dialog.UserEdit()->setText(QStringLiteral("vantel"));
    dialog.LoginButton()->click();
    ASSERT_EQ(ports.prompt.shown.size(), 2u);
    EXPECT_EQ(ports.prompt.shown[1].text, u"接続に失敗しました。");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(doc.settings.loggedIn, 0);
    EXPECT_EQ(doc.settings.connection.address, u"10.0.0.6");
}

}  // namespace
}  // namespace plova::ui

namespace plova::ui {
namespace {

struct Watch final : DialogBackupWatch {
    bool armed = true;
    bool cancel = false;
    int ticks = 0;
    [[nodiscard]] bool BackupWatchArmed() const override { return armed; }
    bool OnDialogBackupTick() override {
        ++ticks;
        return cancel;
    }
};

TEST(LoginDlgTest, RunsTheDialogBackupTimerAndGivesWayToADueBackup) {
    testkit::TestPorts ports;
    CPLOVADoc doc;
    QuietHost host;
    SessionControl session(doc, host, [](IdleTimerControl&) { return std::make_unique<NoSession>(); });
    Watch watch;
    CLoginDlg dialog(session, doc.settings, &watch);
    dialog.show();
    EXPECT_TRUE(dialog.DialogBackupTimerActive());

    // Not due: the timer goes on. A failed press restarts it too.
    dialog.OnDialogBackupTimer();
    EXPECT_TRUE(dialog.DialogBackupTimerActive());
    dialog.LoginButton()->click();
    EXPECT_TRUE(dialog.DialogBackupTimerActive());

    // Due and accepted: the dialog is cancelled and its timer stops.
    watch.cancel = true;
    dialog.OnDialogBackupTimer();
    EXPECT_EQ(watch.ticks, 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.DialogBackupTimerActive());

    // Without a backup watch there is no timer.
    watch.armed = false;
    CLoginDlg quiet(session, doc.settings, &watch);
    quiet.show();
    EXPECT_FALSE(quiet.DialogBackupTimerActive());
}

}  // namespace
}  // namespace plova::ui
