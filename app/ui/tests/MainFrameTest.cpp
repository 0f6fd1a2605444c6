// The real main window, offscreen: its bar and menus, login against the
// simulated main unit, the idle timer, the exit dialog and the placement.
// Modal dialogs are answered through the frame's dialog runner and message
// boxes through the recording Prompt port, so nothing waits for a person.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "app/FtpMainUnitSession.h"
#include "app/ui/BreakAfterDisplay.h"
#include "app/ui/CEndChkDlg.h"
#include "app/ui/CLoginDlg.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CRecomDlg.h"
#include "app/ui/CommandBar.h"
#include "app/ui/IpAddressCtrl.h"
#include "lists/ui/ListWindowStatus.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

// A list window as far as the main window is concerned.
class FakeList final : public QWidget, public ListWindowStatus {
public:
    explicit FakeList(int number) : number_(number) {}
    [[nodiscard]] int ListNumber() const override { return number_; }
    [[nodiscard]] bool IsSystemResponseList() const override { return false; }
    [[nodiscard]] StatusCounts Counts() const override { return counts; }
    [[nodiscard]] std::int64_t CountFolderTotal() const override { return folderTotal; }
    StatusCounts counts;
    std::int64_t folderTotal = 0;

private:
    int number_;
};

class MainFrameTest : public ::testing::Test {
protected:
    testkit::TestPorts ports;
    testkit::TempFolder dir{"ui-frame"};
    fs::path ini = dir / "PLOVA.ini";
    testkit::SimUnit unit{dir / "unit", "qermo", "pass"};
    std::unique_ptr<CMainFrame> frame;
    QStringList dialogs;  // titles of the modal dialogs run, in order
    std::function<int(QDialog&)> answer;

    void TearDown() override {
        frame.reset();
        unit.Stop();
    }

    void startServer() {
        unit.MakeTopFolders();
        unit.Start();
    }

    void make() {
        CMainFrame::Options o;
        o.settingsFile = ini;
        if (unit.Port()) o.sessionFactory = FtpSessionFactory(unit.Port());
        frame = std::make_unique<CMainFrame>(o);
        frame->SetDialogRunner([this](QDialog& d) {
            dialogs << d.windowTitle();
            return answer ? answer(d) : int(QDialog::Rejected);
        });
        frame->show();
    }

    QPushButton* button(int id) { return frame->Bar()->Button(id); }

    // The items of an open popup menu by id.
    static std::map<int, QAction*> items(QMenu* menu) {
        std::map<int, QAction*> out;
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) out[a->data().toInt()] = a;
        return out;
    }

    // Opens the settings menu, reads one item's state, closes it again.
    bool settingsItemEnabled(int id) {
        frame->OnCommand(cmd::kSettingsMenu);
        EXPECT_NE(frame->SettingsMenu(), nullptr);
        const bool enabled = items(frame->SettingsMenu()).at(id)->isEnabled();
        frame->OnCommand(cmd::kSettingsMenu);
        return enabled;
    }

    // Logs in through the real login dialog: a wrong user name first, then the right one.
    void loginThroughDialog() {
        answer = [this](QDialog& d) -> int {
            auto* login = dynamic_cast<CLoginDlg*>(&d);
            if (!login) return QDialog::Rejected;
            login->AddressControl()->SetFields({127, 0, 0, 1});
            login->UserEdit()->setText(QStringLiteral("admin"));
            login->PasswordEdit()->setText(QStringLiteral("pass"));
            login->LoginButton()->click();
            EXPECT_EQ(login->result(), QDialog::Rejected);
            EXPECT_EQ(testkit::Utf8(ports.prompt.shown.back().text), "入力値エラーです。");
            login->UserEdit()->setText(QStringLiteral("qermo"));
            login->LoginButton()->click();
            return login->result();
        };
        frame->OnCommand(cmd::kLogin);
        answer = nullptr;
    }

    QMdiSubWindow* addList(int number, FakeList** view = nullptr) {
        auto* list = new FakeList(number);
        QMdiSubWindow* sub = frame->MdiArea()->addSubWindow(list);
        sub->setWindowTitle(QStringLiteral("list %1").arg(number));
        sub->show();
        if (view) *view = list;
        return sub;
    }
};

TEST_F(MainFrameTest, OpensWithoutSettingsCentredWithTheWholeCommandBar) {
    make();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kwシリーズ 音声ファイル管理"));
    // 845 wide, or wider where the system's font needs more for the captions (Wine's).
    const int least = frame->minimumWidth();
    EXPECT_GE(least, 845);
    EXPECT_EQ(frame->minimumHeight(), 250);
    // Two thirds of the screen, centred, but never below the minimum size.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize size(std::max(least, screen.width() / 3 * 2), std::max(250, screen.height() / 3 * 2));
    EXPECT_EQ(frame->size(), size);
    EXPECT_NEAR(frame->geometry().center().y(), screen.center().y(), 3);

    // Eighteen buttons in the bar's order of ids, with their captions.
    ASSERT_EQ(frame->Bar()->Buttons().size(), 18u);
    for (const CommandCaption& c : kButtonCaptions)
        EXPECT_EQ(button(c.id)->text().toStdU16String(), std::u16string(c.caption));

    // At the minimum size and wider: 1005..1007 keep to the right edge, the
    // displays reach it, no two controls overlap and no caption is cut.
    for (int width : {least, std::max(least + 1, 1200)}) {
        frame->resize(width, 400);
        const int w = frame->Bar()->width();
        EXPECT_EQ(w, width);
        EXPECT_EQ(button(cmd::kVersion)->geometry(),
                  QRect(w - 105, button(cmd::kVersion)->y(), 100, button(cmd::kVersion)->height()));
        EXPECT_EQ(button(cmd::kWindowMenu)->x(), w - 208);
        EXPECT_EQ(button(cmd::kSettingsMenu)->x(), w - 311);
        EXPECT_EQ(frame->Bar()->FolderDisplay()->geometry().right() + 1, w - 5);
        EXPECT_EQ(frame->Bar()->BoxDisplay()->geometry().right() + 1, w - 5);
        std::vector<QWidget*> controls{frame->Bar()->FolderDisplay(), frame->Bar()->BoxDisplay()};
        for (const auto& [id, b] : frame->Bar()->Buttons()) {
            controls.push_back(b);
            EXPECT_GE(b->width(), b->sizeHint().width()) << id;
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            EXPECT_TRUE(frame->Bar()->rect().contains(controls[i]->geometry()));
            for (std::size_t j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[i]->objectName().toStdString() << " / " << controls[j]->objectName().toStdString();
        }
    }

    // No list window: an empty status bar, the list buttons grey, only the
    // arrangement items in the window menu with 32800 grey.
    frame->OnIdle();
    EXPECT_TRUE(frame->StatusText().isEmpty());
    for (int id : {cmd::kDownloadAll, cmd::kSelectDisplay, cmd::kShowAll, cmd::kUpload, cmd::kOpenBoxes})
        EXPECT_FALSE(button(id)->isEnabled()) << id;
    EXPECT_TRUE(button(cmd::kFolderChange)->isEnabled());
    frame->OnCommand(cmd::kWindowMenu);
    QMenu* menu = frame->WindowMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 4);
    EXPECT_FALSE(items(menu).at(cmd::kArrangeSideBySide)->isEnabled());
    EXPECT_TRUE(items(menu).at(cmd::kArrangeCascade)->isEnabled());
    frame->OnCommand(cmd::kWindowMenu);
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(MainFrameTest, SettingsMenuShowsItsRulesAndASecondPressClosesIt) {
    WriteProfileInt(ini, u"CONVERT", u"DOWNCONV", 1);
    make();
    frame->OnCommand(cmd::kSettingsMenu);
    QMenu* menu = frame->SettingsMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    // Below the left edge of its button.
    const QPushButton* b = button(cmd::kSettingsMenu);
    // (moved left only as far as the screen's edge asks)
    const QPoint below = b->mapToGlobal(QPoint(0, b->height()));
    EXPECT_EQ(menu->pos().y(), below.y());
    EXPECT_TRUE(menu->pos().x() == below.x() || menu->geometry().right() == menu->screen()->geometry().right());

    auto it = items(menu);
    ASSERT_EQ(it.size(), 16u);  // the settings menu with the player and the log
    for (const CommandCaption& c : kSettingsMenuItems)
        if (c.id) {
            EXPECT_EQ(it.at(c.id)->text().toStdU16String(), std::u16string(c.caption));
        }
    EXPECT_TRUE(it.at(cmd::kLogin)->isEnabled());
    EXPECT_FALSE(it.at(cmd::kLogout)->isEnabled());
    EXPECT_TRUE(it.at(cmd::kOperationLog)->isEnabled());  // the log is there with or without a folder
    EXPECT_TRUE(it.at(cmd::kToggleDownConv)->isChecked());
    EXPECT_FALSE(it.at(cmd::kToggleConvDel)->isChecked());
    for (int id : {cmd::kDisplayItems, cmd::kEditRecording, cmd::kExportList, cmd::kBackupSettings, cmd::kEditBoxNames,
                   cmd::kRenameBoxFolder})
        EXPECT_FALSE(it.at(id)->isEnabled()) << id;

    frame->OnCommand(cmd::kSettingsMenu);
    EXPECT_FALSE(menu->isVisible());

    // The toggles flip their keys; the check mark follows the next time.
    frame->OnCommand(cmd::kSettingsMenu);
    items(frame->SettingsMenu()).at(cmd::kToggleConvDel)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->Settings().convDel, 1);
    frame->OnCommand(cmd::kSettingsMenu);
    EXPECT_TRUE(items(frame->SettingsMenu()).at(cmd::kToggleConvDel)->isChecked());
    frame->OnCommand(cmd::kSettingsMenu);
}

TEST_F(MainFrameTest, LoginGreysTheLoginItemAndEnablesLogoutAndTheDownloads) {
    startServer();
    // A box folder under the root folder, open since the last run.
    fs::create_directories(dir / "root" / "office" / "rusuroku");
    fs::create_directories(dir / "root" / "office" / "naisen");
    WriteProfileText(ini, u"FOLDER", u"FOLDER", (dir / "root").u16string());
    WriteProfileText(ini, u"DISP", u"FOLDERNAME", u"office");
    make();
    EXPECT_EQ(frame->FolderDisplayText(), testkit::FolderDisplayOf(dir / "root" / "office"));
    frame->OnIdle();
    EXPECT_FALSE(button(cmd::kDownloadAll)->isEnabled());

    loginThroughDialog();
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("ログイン")});
    EXPECT_EQ(frame->Settings().loggedIn, 1);
    EXPECT_TRUE(frame->IdleTimer().isActive());
    EXPECT_EQ(frame->IdleTimer().interval(), 12000);
    frame->OnIdle();
    EXPECT_TRUE(button(cmd::kDownloadAll)->isEnabled());
    EXPECT_TRUE(button(cmd::kDownloadSelected)->isEnabled());
    // The status bar says where the user is.
    const auto pane = [&](const char* name) { return frame->findChild<QLabel*>(QLatin1String(name))->text(); };
    EXPECT_TRUE(pane("loginPane").startsWith(QStringLiteral("ログイン中: 127.0.0.1")))
        << pane("loginPane").toStdString();
    EXPECT_EQ(pane("boxFolderPane"), QStringLiteral("ﾎﾞｯｸｽﾌｫﾙﾀﾞ: office"));
    EXPECT_FALSE(settingsItemEnabled(cmd::kLogin));
    EXPECT_TRUE(settingsItemEnabled(cmd::kLogout));
    EXPECT_TRUE(settingsItemEnabled(cmd::kEditBoxNames));

    frame->OnCommand(cmd::kLogout);
    EXPECT_EQ(frame->Settings().loggedIn, 0);
    EXPECT_FALSE(frame->IdleTimer().isActive());
    EXPECT_TRUE(settingsItemEnabled(cmd::kLogin));
    EXPECT_FALSE(button(cmd::kDownloadAll)->isEnabled());
    frame->OnIdle();
    EXPECT_EQ(pane("loginPane"), QStringLiteral("未ログイン"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return unit.Server().SessionsOpen() == 0; }, 5000));
}

TEST_F(MainFrameTest, AStoppedMainUnitBringsUpTheConnectionLostDialogOnce) {
    startServer();
    make();
    frame->SetIdleTimerIntervalForTesting(5);
    loginThroughDialog();
    ASSERT_EQ(frame->Settings().loggedIn, 1);

    int lost = 0;
    answer = [&](QDialog& d) -> int {
        auto* recom = dynamic_cast<CRecomDlg*>(&d);
        if (!recom) return QDialog::Rejected;
        ++lost;
        recom->ReconnectButton()->click();  // the unit is still down: the reconnection fails
        return recom->result();
    };
    unit.Stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost > 0; }, 10000));
    QTest::qWait(200);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(dialogs.last(), QStringLiteral("Kwシリーズ音声ファイル管理"));
    EXPECT_EQ(frame->Settings().loggedIn, 0);
    EXPECT_FALSE(frame->IdleTimer().isActive());
    EXPECT_EQ(testkit::Utf8(ports.prompt.shown.back().text), "接続に失敗しました。");
    EXPECT_TRUE(settingsItemEnabled(cmd::kLogin));
}

TEST_F(MainFrameTest, LogsOutByItselfOnTheHundredthIdleTick) {
    startServer();
    make();
    frame->SetIdleTimerIntervalForTesting(1);
    loginThroughDialog();
    ASSERT_EQ(frame->Settings().loggedIn, 1);
    int ticks = 0, loggedOutAt = 0;
    QObject::connect(&frame->IdleTimer(), &QTimer::timeout, frame.get(), [&] {
        ++ticks;
        if (!loggedOutAt && frame->Settings().loggedIn == 0) loggedOutAt = ticks;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return loggedOutAt > 0; }, 30000));
    EXPECT_EQ(loggedOutAt, 100);
    EXPECT_FALSE(frame->IdleTimer().isActive());
    EXPECT_TRUE(dialogs.size() == 1) << "no connection-lost dialog on the way";
    EXPECT_TRUE(settingsItemEnabled(cmd::kLogin));
}

TEST_F(MainFrameTest, ExitDialogFollowsTheBackupSettingsAndOnlyYesWritesTheFile) {
    make();
    std::vector<EndCheckButtons> seen;
    EndCheckChoice press = EndCheckChoice::Cancel;
    answer = [&](QDialog& d) -> int {
        auto* end = dynamic_cast<CEndChkDlg*>(&d);
        if (!end) return QDialog::Rejected;
        seen.push_back({!end->BackupButton()->isHidden(), end->BackupButton()->isEnabled()});
        (press == EndCheckChoice::Exit ? end->YesButton() : end->NoButton())->click();
        return end->result();
    };
    // No backup schedule: the backup button is hidden. "いいえ" keeps the program.
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(fs::exists(ini));

    // A schedule without a root folder: shown but grey; with one: usable.
    frame->Settings().hindo = 1;
    frame->close();
    frame->Settings().folder = (dir / "root").u16string();
    frame->close();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[0].backupVisible);
    EXPECT_TRUE(seen[1].backupVisible);
    EXPECT_FALSE(seen[1].backupEnabled);
    EXPECT_TRUE(seen[2].backupEnabled);
    EXPECT_EQ(dialogs, QStringList(3, QStringLiteral("終了確認")));
    EXPECT_FALSE(fs::exists(ini));

    // "はい" ends the program and writes the settings once.
    press = EndCheckChoice::Exit;
    frame->Settings().check = 1;
    frame->Settings().ip = u"192.168.0.10";
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(ReadProfileString(ini, u"LOGIN", u"IP"), u"192.168.0.10");
    EXPECT_EQ(ReadProfileInt(ini, u"BACKUP", u"HINDO", -1), 1);
}

TEST_F(MainFrameTest, PlacementIsRestoredOntoTheScreenAndSavedAtExit) {
    // Stored partly left of and above the screen: moved to 1,1 with its size.
    WriteProfileInt(ini, u"Window", u"Left", -300);
    WriteProfileInt(ini, u"Window", u"Top", -50);
    WriteProfileInt(ini, u"Window", u"Right", 600);
    WriteProfileInt(ini, u"Window", u"Bottom", 400);
    ASSERT_GE(QGuiApplication::primaryScreen()->geometry().width(), 600);
    make();
    const int least = frame->minimumWidth();  // wider than 845 only where the font needs it
    EXPECT_EQ(frame->geometry(), QRect(1, 1, std::max(900, least), 450));

    frame->setGeometry(5, 6, 880, 300);
    answer = [](QDialog& d) -> int {
        if (auto* end = dynamic_cast<CEndChkDlg*>(&d)) end->YesButton()->click();
        return d.result();
    };
    ASSERT_TRUE(frame->close());
    EXPECT_EQ(ReadProfileInt(ini, u"Window", u"Left", 0), 5);
    EXPECT_EQ(ReadProfileInt(ini, u"Window", u"Top", 0), 6);
    EXPECT_EQ(ReadProfileInt(ini, u"Window", u"Right", 0), 5 + std::max(880, least));
    EXPECT_EQ(ReadProfileInt(ini, u"Window", u"Bottom", 0), 306);
    // The four list-window sections are always written.
    EXPECT_EQ(ReadProfileInt(ini, u"Window4", u"ZOrder", 0), 4);
}

TEST_F(MainFrameTest, ListWindowsDriveTheStatusBarTheWindowMenuAndTheArrangement) {
    WriteProfileText(ini, u"FOLDER", u"FOLDER", (dir / "root").u16string());
    WriteProfileInt(ini, u"DISP", u"NUM", 3);
    WriteProfileText(ini, u"DISP", u"DISP1", u"留守録BOX：001,002");
    WriteProfileText(ini, u"DISP", u"DISP2", u"内線BOX：201");
    WriteProfileText(ini, u"DISP", u"DISP3", u"留守録BOX：003,  内線BOX：20?2");
    for (int n = 1; n <= 3; ++n) WriteProfileText(ini, u"DISP", u"FOLDERNAME" + FromUtf8(std::to_string(n)), u"office");
    make();
    frame->resize(1000, 700);

    FakeList* second = nullptr;
    QMdiSubWindow* w1 = addList(1);
    QMdiSubWindow* w2 = addList(2, &second);
    QMdiSubWindow* w3 = addList(3);
    frame->SetOpenListCount(3);
    second->counts = {false, 0, 100000, 5, 3, 2};
    second->folderTotal = 99999;
    frame->MdiArea()->setActiveSubWindow(w2);
    frame->RefreshStatusBar(true);
    frame->PublishListEnableFlags(ListEnableFlags{true, false, false, false, false, false, true});
    frame->OnIdle();

    EXPECT_EQ(frame->StatusText(),
              QStringLiteral("件数: ﾌｫﾙﾀﾞﾄｰﾀﾙ 99999  ﾎﾞｯｸｽﾄｰﾀﾙ +++++  一覧表ﾄｰﾀﾙ 5  未再生 3  再生済 2"));
    EXPECT_EQ(frame->BoxDisplayText(), u" 内線BOX：201");
    EXPECT_EQ(frame->FolderDisplayText(), testkit::FolderDisplayOf(dir / "root" / "office"));
    EXPECT_EQ(frame->minimumHeight(), 260);
    EXPECT_TRUE(button(cmd::kSelectDisplay)->isEnabled());
    EXPECT_TRUE(button(cmd::kConvert)->isEnabled());
    EXPECT_FALSE(button(cmd::kUpload)->isEnabled()) << "not logged in";

    // The window menu lists the three windows, the active one checked.
    frame->OnCommand(cmd::kWindowMenu);
    auto menu = items(frame->WindowMenu());
    ASSERT_EQ(menu.size(), 7u);
    EXPECT_TRUE(menu.at(cmd::kArrangeSideBySide)->isEnabled());
    EXPECT_EQ(menu.at(10003)->text(), QStringLiteral("留守録BOX：003,  内線BOX：20,2"));
    EXPECT_TRUE(menu.at(10002)->isChecked());
    EXPECT_FALSE(menu.at(10001)->isChecked());
    menu.at(10001)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->MdiArea()->currentSubWindow(), w1);
    EXPECT_EQ(frame->BoxDisplayText(), u" 留守録BOX：001,002");

    // Three windows side by side: the active one on the left half, the next
    // two in the right quarters above the bottom strip.
    frame->OnCommand(cmd::kArrangeSideBySide);
    const QRect client = frame->MdiArea()->viewport()->rect();
    const int half = client.width() / 2;
    const int quarter = (client.height() - 150) / 2;
    EXPECT_EQ(w1->geometry(), QRect(0, 0, half, client.height() - 150));
    const std::vector<QMdiSubWindow*> order = frame->ListWindowsFromActive();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[1]->geometry(), QRect(half, 0, client.width() - half, quarter));
    EXPECT_EQ(order[2]->geometry(), QRect(half, quarter, client.width() - half, client.height() - 150 - quarter));

    // With the last list window gone, the status bar empties and the flags clear.
    frame->MdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    frame->SetOpenListCount(0);
    frame->OnIdle();
    EXPECT_TRUE(frame->StatusText().isEmpty());
    EXPECT_FALSE(button(cmd::kConvert)->isEnabled());
    EXPECT_FALSE(button(cmd::kSelectDisplay)->isEnabled());
    EXPECT_EQ(frame->minimumHeight(), 250);
    (void)w3;
}

TEST_F(MainFrameTest, StartUpReopensTheListWindowsAndStacksThemAsTheyWere) {
    fs::create_directories(dir / "root" / "office");
    WriteProfileText(ini, u"FOLDER", u"FOLDER", (dir / "root").u16string());
    WriteProfileText(ini, u"DISP", u"FOLDERNAME", u"office");
    WriteProfileInt(ini, u"DISP", u"NUM", 3);
    for (int n = 1; n <= 3; ++n) {
        const std::u16string number = FromUtf8(std::to_string(n));
        WriteProfileText(ini, u"DISP", u"DISP" + number, u"留守録BOX：00" + number);
        WriteProfileText(ini, u"DISP", u"FOLDERNAME" + number, u"office");
    }
    WriteProfileInt(ini, u"FOLDER", u"CHANGE", 0);
    const int zOrder[] = {2, 1, 3};
    for (int n = 1; n <= 3; ++n) {
        const std::u16string section = u"Window" + FromUtf8(std::to_string(n));
        WriteProfileInt(ini, section, u"Left", 10 * n);
        WriteProfileInt(ini, section, u"Top", 20 * n);
        WriteProfileInt(ini, section, u"Right", 10 * n + 300);
        WriteProfileInt(ini, section, u"Bottom", 20 * n + 200);
        WriteProfileInt(ini, section, u"showCmd", 1);
        WriteProfileInt(ini, section, u"ZOrder", zOrder[n - 1]);
    }
    make();
    frame->resize(1000, 700);
    std::vector<int> countAtOpen;
    frame->SetListWindowOpener([&](int number) {
        countAtOpen.push_back(frame->OpenListCount());
        auto* list = new FakeList(number);
        list->folderTotal = 42;
        QMdiSubWindow* sub = frame->MdiArea()->addSubWindow(list);
        sub->show();
        return sub;
    });
    frame->ApplyStartup();

    EXPECT_EQ(countAtOpen, (std::vector<int>{1, 2, 3}));
    ASSERT_NE(frame->ActiveListStatus(), nullptr);
    EXPECT_EQ(frame->ActiveListStatus()->ListNumber(), 2);
    const auto stack = frame->ListWindowsFromActive();
    ASSERT_EQ(stack.size(), 3u);
    EXPECT_EQ(ListWindowStatusOf(stack[1])->ListNumber(), 1);
    EXPECT_EQ(ListWindowStatusOf(stack[2])->ListNumber(), 3);
    EXPECT_EQ(stack[2]->geometry(), QRect(30, 60, 300, 200));
    EXPECT_TRUE(frame->StatusText().startsWith(QStringLiteral("件数: ﾌｫﾙﾀﾞﾄｰﾀﾙ 42 ")));
    EXPECT_EQ(frame->BoxDisplayText(), u" 留守録BOX：002");
    EXPECT_TRUE(frame->updatesEnabled());
}

TEST_F(MainFrameTest, EveryCommandRunsInsideTheTimerFrameAndAPendingBackupFollowsItsDialog) {
    int runs = 0;
    CMainFrame::Options o;
    o.settingsFile = ini;
    o.backup.isDue = [](const SettingsRecord&, const LocalTime&) { return true; };
    o.backup.run = [&](SettingsRecord&) { return ++runs, true; };
    o.backup.computeNextDue = [](SettingsRecord&, const LocalTime&) {};
    o.sessionFactory = [](IdleTimerControl& t) { return std::make_unique<FtpMainUnitSession>(&t, 1); };
    frame = std::make_unique<CMainFrame>(o);
    frame->SetBackupPrompts([&] { frame->Backup().accepted = true; }, [] { return false; });
    frame->Backup().watch = true;
    frame->Session().RestartIdleTimer();  // as after a login
    ASSERT_TRUE(frame->IdleTimer().isActive());

    bool idleDuring = true, backupDuring = true, cancelDialog = false;
    frame->SetCommandHandler(cmd::kConvert, trait::kModalDialog | trait::kMainUnit, [&] {
        idleDuring = frame->IdleTimer().isActive();
        backupDuring = frame->BackupTimer().isActive();
        // The dialog's backup timer fires while it is open.
        cancelDialog = frame->OnDialogBackupTick();
        EXPECT_EQ(runs, 0);
    });
    frame->OnCommand(cmd::kConvert);
    EXPECT_FALSE(idleDuring);
    EXPECT_FALSE(backupDuring);
    EXPECT_TRUE(cancelDialog);
    EXPECT_EQ(runs, 1) << "the backup that fell due runs after the dialog";
    EXPECT_FALSE(frame->Backup().pending);
    EXPECT_TRUE(frame->IdleTimer().isActive());
    EXPECT_EQ(frame->Session().IdleTicks(), 0);
    EXPECT_TRUE(frame->BackupTimer().isActive());
    EXPECT_EQ(frame->BackupTimer().interval(), 5000);
    EXPECT_EQ(frame->Settings().zenkaika, 1);

    // A command with no list window to act on does nothing, inside the same frame.
    frame->OnCommand(cmd::kErase);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(frame->BackupTimer().isActive());
}

TEST_F(MainFrameTest, UploadAsksFirstAndRunsOnlyOnYes) {
    make();
    int uploads = 0;
    frame->SetCommandHandler(cmd::kUpload, trait::kMainUnit, [&] { ++uploads; });

    ports.prompt.Queue(Answer::No);
    frame->OnCommand(cmd::kUpload);
    EXPECT_EQ(uploads, 0);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(testkit::Utf8(ports.prompt.shown[0].text), "アップロードを開始します。\nよろしいですか？");
    EXPECT_EQ(testkit::Utf8(ports.prompt.shown[0].caption), "アップロードの確認");
    EXPECT_EQ(ports.prompt.shown[0].icon, Icon::Question);
    EXPECT_EQ(ports.prompt.shown[0].buttons, Buttons::YesNo);

    ports.prompt.Queue(Answer::Yes);
    frame->OnCommand(cmd::kUpload);
    EXPECT_EQ(uploads, 1);
    EXPECT_EQ(ports.prompt.shown.size(), 2u);
}

}  // namespace
}  // namespace plova::ui
