// The player's window offscreen, with the recording sink as its device: the
// waveform is drawn, a click seeks, the keys do what they say.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>
#include "audio/testing/AudioFiles.h"
#include "platform/testing/TempFolder.h"
#include "player/testing/RecordingSink.h"
#include "player/ui/CPlayerWnd.h"
#include "player/ui/WaveformView.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

fs::path toneWav(const fs::path& path, double seconds) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * 8000));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(12000 * std::sin(static_cast<double>(i) * 0.2));
    testkit::WriteWav8k(path, samples);
    return path;
}

class PlayerWindow : public ::testing::Test {
protected:
    testkit::TempFolder dir{"player-window"};
    player::RecordingSink sink;
    CPlayerWnd window{sink};
    const PlayerTexts texts{u"0012 営業部", u"0312345678 山田", u"2026/12/07 14:05", u"見積の件"};

    void open(double seconds = 30.0) {
        ASSERT_EQ(window.Play(toneWav(dir / "m.wav", seconds), texts, player::kNormalSpeed, 80),
                  player::Opened::Playing);
        window.resize(600, 300);
        QTest::qWait(10);
    }
};

TEST_F(PlayerWindow, TheWaveformIsDrawnAndAClickSeeks) {
    open();
    WaveformView* wave = window.Waveform();
    const QImage image = wave->grab().toImage();
    const QRgb background = image.pixel(0, 0) == image.pixel(image.width() - 1, 0) ? image.pixel(0, 0) : 0;
    int drawn = 0;
    for (int x = 0; x < image.width(); x += 3) drawn += image.pixel(x, image.height() / 2 - 10) != background;
    EXPECT_GT(drawn, image.width() / 6) << "the waveform is blank";

    QTest::mouseClick(wave, Qt::LeftButton, {}, QPoint(wave->width() / 2, wave->height() / 2));
    EXPECT_NEAR(static_cast<double>(window.Session().Now().position), 120000.0, 240000.0 / wave->width() + 1);
    EXPECT_EQ(window.TimeLabel()->text(), QString::fromUtf16(u"0:15 / 0:30"));
    EXPECT_EQ(window.findChild<QLabel*>()->text(), QString::fromUtf16(u"0012 営業部"));
}

TEST_F(PlayerWindow, TheKeysPlayPauseSkipAndMoveToTheNeighbours) {
    open();
    int neighbour = 0;
    window.onNeighbour = [&](int step) { neighbour += step; };
    std::pair<int, int> remembered{-1, -1};
    window.onPreferences = [&](int speed, int volume) { remembered = {speed, volume}; };

    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_TRUE(sink.paused);
    EXPECT_EQ(window.PlayButton()->text(), QString::fromUtf16(u"再生"));
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(sink.paused);
    EXPECT_EQ(window.PlayButton()->text(), QString::fromUtf16(u"一時停止"));

    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(window.Session().Now().position, 40000);
    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_EQ(window.Session().Now().position, 0);
    QTest::keyClick(&window, Qt::Key_End);
    EXPECT_EQ(window.Session().Now().position, 240000);
    QTest::keyClick(&window, Qt::Key_Home);
    EXPECT_EQ(window.Session().Now().position, 0);

    QTest::keyClick(&window, Qt::Key_PageDown);
    QTest::keyClick(&window, Qt::Key_PageDown);
    QTest::keyClick(&window, Qt::Key_PageUp);
    EXPECT_EQ(neighbour, 1);

    window.SpeedBox()->activated(5);
    EXPECT_EQ(remembered, std::make_pair(5, 80));
    EXPECT_EQ(window.Session().Now().speed, 5);
}

}  // namespace
}  // namespace plova::ui
