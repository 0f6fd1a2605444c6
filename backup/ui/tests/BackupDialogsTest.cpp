// The backup's dialogs offscreen, and the main window running a backup
// against the simulated main unit from its timer and from the exit dialog.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>

#include "app/BackupWatch.h"
#include "app/FtpMainUnitSession.h"
#include "app/ui/CEndChkDlg.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CommandBar.h"
#include "backup/ui/CABakUpChk1Dlg.h"
#include "backup/ui/CABakUpChk2Dlg.h"
#include "backup/ui/CABakUpSetDlg.h"
#include "backup/ui/CPrgAbackUpDlg.h"
#include "platform/IniFile.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "platform/ui/QtPorts.h"
#include "sim/testing/SimUnit.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;
using testkit::Utf8;

TEST(BackupDialogsTest, SettingsDialogShowsTheScheduleEnablesByFrequencyAndOkSchedules) {
    testkit::TestPorts io;  // 2026-12-07 (a Monday) 10:30
    SettingsRecord r;
    r.hindo = 2;
    r.youbi = 3;
    r.hi = 15;
    r.jikokuHH = 7;
    r.jikokuMM = 45;
    r.zenkaibi = u"202612020745";
    r.zenkaika = 2;
    r.yoteibi = u"202612090745";
    BackupFlags flags;
    RecordBackupSettings settings(flags, r);
    CABakUpSetDlg d(settings, nullptr);
    ASSERT_TRUE(d.Opened());
    // The last run and the next at a glance; the next follows the form.
    EXPECT_EQ(d.LastRun()->text(), QStringLiteral("前回のバックアップ: 2026/12/02 07:45  失敗または中止"));
    EXPECT_EQ(d.NextRun()->text(), QStringLiteral("次回のバックアップ: 2026/12/09 07:45"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("自動バックアップの設定"));
    EXPECT_EQ(d.FrequencyButtons()->checkedId(), 2);
    EXPECT_EQ(d.WeekdayList()->count(), 7);
    EXPECT_EQ(d.WeekdayList()->currentText(), QStringLiteral("水曜日"));
    EXPECT_EQ(d.DayList()->count(), 31);
    EXPECT_EQ(d.DayList()->currentText(), QStringLiteral("15"));
    EXPECT_EQ(d.TimePicker()->displayFormat(), QStringLiteral("HH:mm"));
    EXPECT_EQ(d.TimePicker()->time(), QTime(7, 45));
    EXPECT_TRUE(d.WeekdayList()->isEnabled());
    EXPECT_FALSE(d.DayList()->isEnabled());

    d.FrequencyButtons()->button(3)->click();
    EXPECT_FALSE(d.WeekdayList()->isEnabled());
    EXPECT_TRUE(d.DayList()->isEnabled());
    d.DayList()->setCurrentIndex(30);
    d.TimePicker()->setTime(QTime(23, 5));
    EXPECT_EQ(d.NextRun()->text(), QStringLiteral("次回のバックアップ: 2026/12/31 23:05"));
    d.OnOK();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(r.hindo, 3);
    EXPECT_EQ(r.hi, 31);
    EXPECT_EQ(r.jikokuHH, 23);
    EXPECT_EQ(r.jikokuMM, 5);
    EXPECT_EQ(r.yoteibi, u"202612312305");

    // "しない": nothing to pick, no next-due time.
    CABakUpSetDlg none(settings, nullptr);
    none.FrequencyButtons()->button(0)->click();
    EXPECT_FALSE(none.TimePicker()->isEnabled());
    EXPECT_EQ(none.NextRun()->text(), QStringLiteral("次回のバックアップ: 予定なし"));
    none.OnOK();
    EXPECT_EQ(r.hindo, 0);
    EXPECT_EQ(r.yoteibi, u"");

    // A time the picker cannot show: the dialog does not open.
    r.jikokuHH = 24;
    EXPECT_FALSE(CABakUpSetDlg(settings, nullptr).Opened());
}

TEST(BackupDialogsTest, BackupTimePromptAnswersAndTimesOutAfterTenMinutes) {
    testkit::TestPorts io;
    struct Case {
        const char* what;
        std::function<void(CABakUpChk1Dlg&)> act;
        bool accepted, confirmed, watch;
    } cases[] = {
        {"no", [](CABakUpChk1Dlg& d) { d.NoButton()->click(); }, false, true, true},
        {"escape", [](CABakUpChk1Dlg& d) { d.reject(); }, false, true, true},
        {"time-out", [](CABakUpChk1Dlg& d) { d.OnTimeout(); }, true, false, false},
    };
    for (const Case& c : cases) {
        BackupFlags flags;
        SettingsRecord r;
        r.hindo = 1;
        RecordBackupSettings settings(flags, r);
        CABakUpChk1Dlg d(settings);
        EXPECT_TRUE(flags.confirmed) << c.what;
        EXPECT_TRUE(d.TimeoutTimer().isActive());
        EXPECT_EQ(d.TimeoutTimer().interval(), 600000);
        c.act(d);
        EXPECT_FALSE(d.TimeoutTimer().isActive()) << c.what;
        EXPECT_EQ(flags.accepted, c.accepted) << c.what;
        EXPECT_EQ(flags.confirmed, c.confirmed) << c.what;
        EXPECT_EQ(flags.watch, c.watch) << c.what;
        EXPECT_EQ(!r.yoteibi.empty(), c.watch) << c.what;  // declining schedules the next one
    }
    CABakUpChk2Dlg start;
    EXPECT_EQ(start.windowTitle(), QStringLiteral("バックアップの確認"));
    start.NoButton()->click();
    EXPECT_EQ(start.result(), QDialog::Rejected);
}

TEST(BackupDialogsTest, ProgressWindowTakesRangeAndStepsAndOnlyItsButtonCancels) {
    testkit::TestPorts io;
    QtProgress progress;
    ScopedPorts scope(Ports{nullptr, &progress, nullptr, nullptr, nullptr, nullptr, nullptr});
    CPrgAbackUpDlg d;
    d.show();
    const WindowHandle w = progress.Find(u"バックアップ実行中");
    ASSERT_NE(w, 0u);
    progress.Send(w, 1128, 0, 0);
    EXPECT_EQ(d.Bar()->maximum(), 102);
    progress.Send(w, 1128, 3, 0);
    EXPECT_EQ(d.Bar()->maximum(), 5);
    for (int i = 0; i < 7; ++i) progress.Send(w, 1125, 0, 0);
    EXPECT_EQ(d.Bar()->value(), 5);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&d, &escape);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.close());
    EXPECT_FALSE(io.cancel.IsSet());
    d.CancelButton()->click();
    EXPECT_TRUE(io.cancel.IsSet());
}

// The whole program's backup, as a user meets it.
class FrameBackupTest : public ::testing::Test {
protected:
    testkit::TestPorts io;
    testkit::TempFolder dir{"ui-backup"};
    fs::path ini = dir / "PLOVA.ini";
    fs::path root = dir / "root";
    testkit::SimUnit unit{dir / "unit", "qermo", "kw1234"};
    std::unique_ptr<CMainFrame> frame;
    std::function<int(QDialog&)> answer;
    QStringList dialogs;

    void SetUp() override {
        LocalTime now = io.clock.Now();
        sim::SeedOptions seed;
        seed.now = now;
        ASSERT_NO_FATAL_FAILURE(unit.Seed(seed));
        ASSERT_NO_FATAL_FAILURE(unit.Start());
        fs::create_directories(root);
        IniDocument s;
        s.Set(u"LOGIN", u"IP", u"127.0.0.1");
        s.Set(u"LOGIN", u"USER", u"qermo");
        s.Set(u"LOGIN", u"PASS", u"kw1234");
        s.SetInt(u"LOGIN", u"CHECK", 1);
        s.Set(u"FOLDER", u"FOLDER", root.u16string());
        s.SetInt(u"BACKUP", u"HINDO", 1);
        s.SetInt(u"BACKUP", u"JIKOKUHH", 10);
        s.Set(u"BACKUP", u"YOTEIBI", u"202612071000");
        ASSERT_TRUE(s.Save(ini));

        CMainFrame::Options fo;
        fo.settingsFile = ini;
        fo.sessionFactory = FtpSessionFactory(unit.Port());
        fo.builtInBackup = true;
        frame = std::make_unique<CMainFrame>(fo);
        frame->SetDialogRunner([this](QDialog& d) {
            dialogs << d.windowTitle();
            return answer ? answer(d) : int(QDialog::Rejected);
        });
        frame->show();
    }
    void TearDown() override {
        frame.reset();
        unit.Stop();
    }
    void expectCompleteMonths() {
        int months = 0;
        for (auto& e : fs::directory_iterator(root)) {
            // Beside the month folders only the hidden lock of the backups into the root.
            if (e.path().filename() == ".plova-backup.lock") continue;
            EXPECT_EQ(e.path().filename().string().rfind("BU_2026", 0), 0u) << e.path();
            EXPECT_EQ(ReadProfileString(e.path() / "backup_info.ini", u"BACKUPINF", u"YFLAG"), u"完了");
            ++months;
        }
        EXPECT_EQ(months, 3);
    }
};

TEST_F(FrameBackupTest, DueBackupAskedOnTheTimerRunsAndSaysSo) {
    bool progressSeen = false;
    io.pump.Every([&] { progressSeen = progressSeen || frame->BackupProgress() != nullptr; });
    answer = [](QDialog& d) {
        auto* ask = dynamic_cast<CABakUpChk1Dlg*>(&d);
        if (ask) ask->YesButton()->click();
        return d.result();
    };
    frame->OnBackupTimer();
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("バックアップの確認")});
    EXPECT_TRUE(progressSeen);
    EXPECT_EQ(frame->BackupProgress(), nullptr);
    EXPECT_TRUE(frame->Bar()->isEnabled());
    expectCompleteMonths();
    ASSERT_EQ(io.prompt.shown.size(), 1u);
    EXPECT_EQ(io.prompt.shown[0].text, u"バックアップが完了しました。");
    EXPECT_EQ(io.prompt.shown[0].caption, u"バックアップ完了");
    EXPECT_EQ(frame->Settings().zenkaika, 1);
    EXPECT_EQ(frame->Settings().yoteibi, u"202612081000");
    EXPECT_EQ(frame->Settings().loggedIn, 0);
}

TEST_F(FrameBackupTest, ExitDialogsBackupButtonRunsItQuietlyAndRecordsIt) {
    answer = [](QDialog& d) {
        if (auto* end = dynamic_cast<CEndChkDlg*>(&d)) end->BackupButton()->click();
        return d.result();
    };
    EXPECT_TRUE(frame->close());
    expectCompleteMonths();
    EXPECT_TRUE(io.prompt.shown.empty());
    EXPECT_EQ(ReadProfileInt(ini, u"BACKUP", u"ZENKAIKA", 0), 1);
    EXPECT_EQ(ReadProfileString(ini, u"BACKUP", u"ZENKAIBI"), u"202612071030");
}

TEST_F(FrameBackupTest, SettingsCommandOpensTheDialogOnlyWithARootFolder) {
    answer = [](QDialog& d) {
        auto* set = dynamic_cast<CABakUpSetDlg*>(&d);
        if (!set) return int(QDialog::Rejected);
        set->FrequencyButtons()->button(2)->click();
        set->OnOK();
        return set->result();
    };
    frame->OnCommand(cmd::kBackupSettings);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("自動バックアップの設定")});
    EXPECT_EQ(frame->Settings().hindo, 2);
    frame->Settings().folder.clear();
    frame->OnCommand(cmd::kBackupSettings);
    EXPECT_EQ(dialogs.size(), 1);
}

}  // namespace
}  // namespace plova::ui
