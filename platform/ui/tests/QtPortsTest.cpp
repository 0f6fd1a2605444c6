// The desktop adapters of the ports: message boxes as asked, progress
// windows found by caption and driven with message numbers, the player
// started through the desktop's opener.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "platform/testing/FileBytes.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/ui/QtPorts.h"

namespace plova::ui {
namespace {

class ProgressWindow final : public QDialog {
public:
    struct Got {
        int message;
        std::intptr_t wparam, lparam;
    };
    std::vector<Got> got;

protected:
    void customEvent(QEvent* e) override {
        if (e->type() == WindowMessageEvent::EventType()) {
            const auto* m = static_cast<WindowMessageEvent*>(e);
            got.push_back({m->Message(), m->Wparam(), m->Lparam()});
        }
    }
};

TEST(QtPortsTest, ProgressFindsVisibleWindowsByCaptionAndDeliversMessages) {
    QtProgress progress;
    auto window = std::make_unique<ProgressWindow>();
    window->setWindowTitle(QStringLiteral("ダウンロード中"));
    EXPECT_EQ(progress.Find(u"ダウンロード中"), 0u) << "a hidden window is not found";
    window->show();
    const WindowHandle h = progress.Find(u"ダウンロード中");
    ASSERT_NE(h, 0u);
    EXPECT_EQ(progress.Find(u"ダウンロード中"), h);
    EXPECT_EQ(progress.Find(u"ダウンロード"), 0u);

    progress.Send(h, msg::kBarRange, 0, 40);
    ASSERT_EQ(window->got.size(), 1u);
    EXPECT_EQ(window->got[0].message, msg::kBarRange);
    EXPECT_EQ(window->got[0].lparam, 40);

    // A post waits for the event loop.
    progress.Post(h, msg::kBarPosition, 7, 0);
    EXPECT_EQ(window->got.size(), 1u);
    QCoreApplication::processEvents();
    ASSERT_EQ(window->got.size(), 2u);
    EXPECT_EQ(window->got[1].wparam, 7);

    // A window that has gone since it was found takes nothing, and the zero handle nothing either.
    window.reset();
    progress.Send(h, msg::kBarPosition, 1, 0);
    progress.Post(h, msg::kBarPosition, 1, 0);
    progress.Send(0, msg::kBarPosition, 1, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(progress.Window(h), nullptr);
}

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

TEST(QtPortsTest, PromptShowsExactlyWhatItIsAskedAndReturnsThePressedButton) {
    QtPrompt prompt;
    auto seen = std::make_shared<SeenBox>();
    auto watch = [&](const QString& press) {
        QTimer::singleShot(0, [seen, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            *seen = {};
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            for (QAbstractButton* b : box->buttons()) seen->buttons << b->text();
            if (box->defaultButton()) seen->defaultButton = box->defaultButton()->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press) b->click();
        });
    };

    watch(QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(prompt.Show(u"アップロードを開始します。\nよろしいですか？", u"アップロードの確認", Icon::Question,
                          Buttons::YesNo),
              Answer::No);
    EXPECT_EQ(seen->title, QStringLiteral("アップロードの確認"));
    EXPECT_EQ(seen->text, QStringLiteral("アップロードを開始します。\nよろしいですか？"));
    EXPECT_EQ(seen->icon, QMessageBox::Question);
    EXPECT_EQ(seen->buttons.size(), 2);
    EXPECT_TRUE(seen->buttons.contains(QStringLiteral("はい(&Y)")));
    EXPECT_EQ(seen->defaultButton, QStringLiteral("はい(&Y)"));

    // Windows line ends become plain ones; the stop icon is the critical one.
    watch(QStringLiteral("OK"));
    EXPECT_EQ(prompt.Show(u"この主装置には対応しておりません。\r\n対応しているアプリケーションをご使用ください。",
                          u"エラー", Icon::Stop, Buttons::Ok),
              Answer::Ok);
    EXPECT_EQ(seen->text,
              QStringLiteral("この主装置には対応しておりません。\n対応しているアプリケーションをご使用ください。"));
    EXPECT_EQ(seen->icon, QMessageBox::Critical);
    EXPECT_EQ(seen->buttons, QStringList{QStringLiteral("OK")});

    watch(QStringLiteral("キャンセル"));
    EXPECT_EQ(prompt.Show(u"x", u"y", Icon::Exclamation, Buttons::RetryCancel), Answer::Cancel);
    EXPECT_EQ(seen->icon, QMessageBox::Warning);
    EXPECT_TRUE(seen->buttons.contains(QStringLiteral("再試行(&R)")));
}

TEST(QtPortsTest, InstallingThemReplacesTheQuietAdaptersForTheirLifetime) {
    Prompt* before = CurrentPorts().prompt;
    {
        QtPorts installed;
        EXPECT_EQ(CurrentPorts().prompt, &installed.prompt);
        EXPECT_EQ(CurrentPorts().progress, &installed.progress);
        EXPECT_EQ(CurrentPorts().pump, &installed.pump);
        EXPECT_EQ(CurrentPorts().shell, &installed.shell);
    }
    EXPECT_EQ(CurrentPorts().prompt, before);
}

// The desktop's registry says whether any program takes WAV files; the
// opener is started only when it may find one.
TEST(QtPortsTest, TheShellStartsTheDesktopsOpenerUnlessNoProgramTakesTheFile) {
    // Shell scripts on PATH stand in for the Linux desktop's programs.
    if (!testkit::kFilesHaveModes) GTEST_SKIP() << "Windows opens a file through its shell, not xdg-open";
    testkit::TempFolder dir{"ui-shell"};
    const std::filesystem::path wav = dir / "m.wav";
    testkit::WriteBytes(wav, "RIFF");
    const std::filesystem::path asked = dir / "asked";
    const QByteArray savedPath = qgetenv("PATH");
    struct Case {
        const char* name;
        const char* registry;  // the body of xdg-mime; null: there is none
        bool started;
    } const cases[] = {
        {"a program is registered for WAV files", "[ \"$2\" = filetype ] && echo audio/x-wav || echo player.desktop",
         true},
        {"no program takes WAV files", "[ \"$2\" = filetype ] && echo audio/x-wav || echo", false},
        {"the registry cannot tell", "exit 1", true},
        {"no registry at all", nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path bin = dir / c.name;
        std::filesystem::create_directories(bin);
        const auto script = [&](const char* name, const std::string& body) {
            testkit::WriteBytes(bin / name, "#!/bin/sh\n" + body + "\n");
            std::filesystem::permissions(bin / name, std::filesystem::perms::owner_all);
        };
        // Written aside and renamed, so the file appears only with its content.
        script("xdg-open", "printf '%s' \"$1\" > '" + asked.string() + ".part' && /bin/mv '" + asked.string() +
                               ".part' '" + asked.string() + "'");
        if (c.registry) script("xdg-mime", c.registry);
        qputenv("PATH", QByteArray::fromStdString(bin.string()));
        std::filesystem::remove(asked);
        EXPECT_EQ(QtShell().Open(wav), c.started);
        // The opener runs on its own; give it time to write down what it was asked.
        for (int i = 0; i < 100 && c.started && !std::filesystem::exists(asked); ++i) QTest::qWait(50);
        if (c.started) {
            EXPECT_EQ(testkit::ReadFileBytes(asked), wav.string());
        } else {
            QTest::qWait(200);
            EXPECT_FALSE(std::filesystem::exists(asked));
        }
    }
    qputenv("PATH", savedPath);
}

}  // namespace
}  // namespace plova::ui
