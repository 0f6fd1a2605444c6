// The operations log in its window: every entry a row, newest last, chosen
// by the same filters as plova-cli log; a filter that is no filter is said so.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "oplog/ui/COperationLogDlg.h"
#include "platform/testing/TempFolder.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {

oplog::Entry entry(const char* time, const char* operation, const char* message) {
    oplog::Entry e;
    e.time = time;
    e.by = oplog::FrontEnd::Cli;
    e.pcUser = "alice";
    e.unitUser = "admin";
    e.unitAddress = "192.168.1.10";
    e.boxFolder = "/data/営業部";
    e.operation = operation;
    e.messages = {{message, oplog::Outcome::Failed, "in use on the main unit"}};
    e.result = oplog::Result::Failed;
    return e;
}

QString cell(QTableWidget* t, int row, int column) {
    return t->item(row, column) ? t->item(row, column)->text() : QString();
}

TEST(OperationLogDlg, ListsTheLogAndChoosesAsTheCommandLineDoes) {
    testkit::TempFolder folder("oplog-dlg");
    const oplog::Journal journal(folder.Path());
    ASSERT_TRUE(journal.Append(entry("2026-11-30T09:00:00+09:00", "delete", "202611300900_MON_0001_00001.vmdat")));
    ASSERT_TRUE(journal.Append(entry("2026-12-01T10:00:00+09:00", "copy", "202612011000_TUE_0001_00002.vmdat")));
    ASSERT_TRUE(journal.Append(entry("2026-12-02T11:00:00+09:00", "delete", "202612021100_WED_A005_00003.vmdat")));

    COperationLogDlg dialog(journal);
    QTableWidget* table = dialog.Table();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(cell(table, 0, 0), QStringLiteral("2026-11-30 09:00:00 +09:00"));
    EXPECT_EQ(cell(table, 0, 1), QStringLiteral("delete"));
    EXPECT_EQ(cell(table, 0, 2), QStringLiteral("failed"));
    EXPECT_EQ(cell(table, 0, 3), QStringLiteral("alice (plova-cli)"));
    EXPECT_EQ(cell(table, 0, 4), QStringLiteral("admin@192.168.1.10"));
    EXPECT_EQ(cell(table, 0, 5), QString::fromUtf8("/data/営業部"));
    EXPECT_TRUE(cell(table, 0, 7).contains(QStringLiteral("in use on the main unit")));
    EXPECT_TRUE(dialog.Status()->text().startsWith(QStringLiteral("3")));

    struct Case {
        const char* since;
        const char* until;
        const char* operation;
        const char* message;
        std::vector<int> days;  // the day of each row shown
    };
    const Case cases[] = {
        {"2026-12-01", "", "", "", {1, 2}}, {"", "2026-12-01", "", "", {30, 1}}, {"", "", "delete", "", {30, 2}},
        {"", "", "delete", "a005", {2}},    {"2026-12-02", "", "copy", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.since) + "|" + c.until + "|" + c.operation + "|" + c.message);
        dialog.SinceField()->setText(QString::fromUtf8(c.since));
        dialog.UntilField()->setText(QString::fromUtf8(c.until));
        dialog.OperationField()->setCurrentIndex(
            *c.operation ? dialog.OperationField()->findData(QString::fromUtf8(c.operation)) : 0);
        dialog.MessageField()->setText(QString::fromUtf8(c.message));
        dialog.Show();
        ASSERT_EQ(table->rowCount(), static_cast<int>(c.days.size()));
        for (int row = 0; row < table->rowCount(); ++row)
            EXPECT_EQ(cell(table, row, 0).mid(8, 2).toInt(), c.days[static_cast<std::size_t>(row)]);
    }

    // A day that is none: nothing listed, and the reason shown.
    dialog.SinceField()->setText(QStringLiteral("2026-02-30"));
    dialog.Show();
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(dialog.Status()->text(), Qs(oplogdlg::kBadFilter));
}

}  // namespace
}  // namespace plova::ui
