// The player's sound on Windows: the sink pulls from the player as the
// device plays, not while it is paused, and not after Stop.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>

#include "player/ui/WaveOutSoundSink.h"

namespace plova::ui {
namespace {

TEST(WaveOutSink, PullsAsTheDevicePlaysAndNotWhilePausedOrStopped) {
    WaveOutSoundSink sink;
    std::size_t pulled = 0;
    auto silence = [&pulled](std::span<std::int16_t> s) {
        std::fill(s.begin(), s.end(), std::int16_t{0});
        pulled += s.size();
        return s.size();
    };
    if (!sink.Start(8000, silence)) GTEST_SKIP() << "no sound device takes 8 kHz sound here";
    // The whole ring before Start returns: the first samples are with the device.
    const std::size_t ring = SoundOutput::kBlocks * (8000 / SoundOutput::kBlocksPerSecond);
    EXPECT_EQ(pulled, ring);
    // Half a second later about half a second more has been asked for.
    QTest::qWait(500);
    EXPECT_GE(pulled, ring + 2000);
    EXPECT_LE(pulled, ring + 8000);

    sink.Pause();
    QTest::qWait(100);
    const std::size_t held = pulled;
    QTest::qWait(300);
    EXPECT_EQ(pulled, held);
    sink.Resume();
    QTest::qWait(300);
    EXPECT_GT(pulled, held);

    sink.Stop();
    const std::size_t stopped = pulled;
    QTest::qWait(200);
    EXPECT_EQ(pulled, stopped);
}

}  // namespace
}  // namespace plova::ui
