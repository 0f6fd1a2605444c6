// What every window takes from the kit: a progress window gets the messages
// sent to it unpacked, and the OK/Cancel row closes its dialog as each button says.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"
#include "platform/ui/ProgressDlg.h"
#include "platform/ui/QtPorts.h"

namespace plova::ui {
namespace {

class Recorder final : public ProgressDlg {
public:
    std::vector<std::pair<int, long long>> got;
    QPushButton* cancel = makeCancelButton();
    void OnMessage(int message, long long wparam) override { got.emplace_back(message, wparam); }
};

TEST(WindowKitTest, AProgressWindowGetsItsMessagesAndCancelSetsTheFlag) {
    testkit::TestPorts ports;
    QtProgress progress;  // the desktop's own delivery, over the test's cancel flag
    Recorder window;
    window.setWindowTitle(QStringLiteral("変換中"));
    EXPECT_FALSE(window.isModal());
    window.show();
    const WindowHandle h = progress.Find(u"変換中");
    ASSERT_NE(h, 0u);
    progress.Send(h, msg::kBarRange, 12, 0);
    progress.Send(h, msg::kBarPosition, -1, 0);
    EXPECT_EQ(window.got, (std::vector<std::pair<int, long long>>{{msg::kBarRange, 12}, {msg::kBarPosition, -1}}));

    EXPECT_FALSE(ports.cancel.IsSet());
    QTest::mouseClick(window.cancel, Qt::LeftButton);
    EXPECT_TRUE(ports.cancel.IsSet());
}

TEST(WindowKitTest, OkRunsItsActionOrAcceptsAndCancelRejects) {
    for (const bool withAction : {false, true}) {
        for (const bool pressOk : {true, false}) {
            QDialog dialog;
            int ran = 0;
            const OkCancel buttons = withAction ? MakeOkCancel(dialog, [&] { ++ran; }) : MakeOkCancel(dialog);
            EXPECT_TRUE(buttons.ok->isDefault());
            EXPECT_EQ(buttons.ok->text(), QStringLiteral("OK"));
            EXPECT_EQ(buttons.cancel->text(), QStringLiteral("キャンセル"));
            dialog.show();
            QTest::mouseClick(pressOk ? buttons.ok : buttons.cancel, Qt::LeftButton);
            const bool accepted = pressOk && !withAction;
            EXPECT_EQ(dialog.result(), accepted ? QDialog::Accepted : QDialog::Rejected) << withAction << pressOk;
            // An action of its own decides whether the dialog closes.
            EXPECT_EQ(dialog.isVisible(), pressOk && withAction) << withAction << pressOk;
            EXPECT_EQ(ran, pressOk && withAction ? 1 : 0);
        }
    }
}

// The standard file dialog speaks Japanese under an English locale too.
TEST(WindowKitTest, QtsOwnDialogsAreJapaneseWhateverTheLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(LoadQtJapanese());
    EXPECT_TRUE(LoadQtJapanese());  // a second call adds nothing
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    EXPECT_EQ(lookIn->text(), QStringLiteral("アドレス:"));  // "Look in:" in English
    QLocale::setDefault(QLocale::system());
}

// A path shown in a window and read back from it names the same file: a
// Japanese name on every system, and on Linux a name that is not UTF-8 (a
// folder copied from a Windows share keeps its CP932 bytes).
TEST(WindowKitTest, APathShownInAWindowNamesTheSameFileAgain) {
    namespace fs = std::filesystem;
    testkit::TempFolder temp("window-paths");
    std::vector<fs::path> names = {PathOfText(u"plain"), PathOfText(u"ボックス保存先"),
                                   PathOfText(u"音声 メッセージ（１）.wav")};
#ifndef _WIN32
    names.emplace_back("\x83\x7b\x83\x62\x83\x4e\x83\x58");  // "ボックス" in CP932
#endif
    for (const fs::path& name : names) {
        const fs::path path = temp.Path() / name;
        testkit::WriteBytes(path, "x");
        const fs::path back = PathOfQs(QsOfPath(path));
        EXPECT_EQ(back, path) << Utf8Of(name);
        EXPECT_TRUE(fs::is_regular_file(back)) << Utf8Of(name);
    }
    EXPECT_EQ(QsOfPath(PathOfText(u"ボックス保存先")), QStringLiteral("ボックス保存先"));
}

}  // namespace
}  // namespace plova::ui
