// The two "フォルダ名称変更" dialogs, offscreen: the folder change dialog's and
// the folder download's give a box folder a new name by one rule.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "download/ui/CFolderNmChg.h"
#include "folders/ui/CFolderNmChg1.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova::ui {
namespace {
namespace fs = std::filesystem;

template <typename Dialog>
class FolderRenameDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "root/box/rusuroku");
        fs::create_directories(dir / "root/taken");
    }
    testkit::TestPorts ports;
    testkit::TempFolder dir{"ui-folder-rename"};
};

using Dialogs = ::testing::Types<CFolderNmChg, CFolderNmChg1>;
TYPED_TEST_SUITE(FolderRenameDialogsTest, Dialogs);

TYPED_TEST(FolderRenameDialogsTest, RefusesAndStaysOpenUntilTheFolderIsRenamed) {
    const fs::path root = this->dir / "root";
    TypeParam dialog(QStringLiteral("box"), root / "box", nullptr, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("フォルダ名称変更"));
    QLineEdit& edit = *dialog.NameEdit();
    EXPECT_EQ(edit.text(), QStringLiteral("box"));
    auto* ok = dialog.template findChild<QPushButton*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(ok, nullptr);
    ASSERT_EQ(ok->text(), QStringLiteral("OK"));

    // At most 256 characters go into the edit.
    edit.setText(QString(300, QLatin1Char('n')));
    EXPECT_EQ(edit.text().size(), 256);

    struct Refused {
        QString typed;
        std::u16string message;
    };
    const Refused refused[] = {
        {QString(), u"入力値エラーです。"},
        {QStringLiteral("taken"), u"フォルダ名が重複しています。"},
        {QStringLiteral("box"), u"フォルダ名が重複しています。"},
        {QStringLiteral("a/b"), u"入力値エラーです。"},
    };
    for (const Refused& r : refused) {
        this->ports.prompt.shown.clear();
        edit.setText(r.typed);
        QTest::mouseClick(ok, Qt::LeftButton);
        ASSERT_EQ(this->ports.prompt.shown.size(), 1u) << r.typed.toStdString();
        const auto& shown = this->ports.prompt.shown.front();
        EXPECT_EQ(shown.text, r.message) << r.typed.toStdString();
        EXPECT_EQ(shown.caption, u"エラー");
        EXPECT_EQ(shown.icon, Icon::Exclamation);
        EXPECT_TRUE(dialog.isVisible()) << r.typed.toStdString();
        EXPECT_EQ(edit.text(), r.typed);
        EXPECT_TRUE(dialog.NewName().isEmpty());
    }
    EXPECT_TRUE(fs::is_directory(root / "box/rusuroku"));

    this->ports.prompt.shown.clear();
    edit.setText(QStringLiteral("支店"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(this->ports.prompt.shown.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.NewName(), QStringLiteral("支店"));
    EXPECT_TRUE(fs::is_directory(root / u"支店/rusuroku"));
    EXPECT_FALSE(fs::exists(root / "box"));
}

}  // namespace
}  // namespace plova::ui
