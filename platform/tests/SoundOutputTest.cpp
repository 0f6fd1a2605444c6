// The system's sound output (Windows): the ring of blocks goes to the device
// in turn, and each block comes back free once it has been played.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/SoundOutput.h"

namespace plova {
namespace {

bool waitUntilDrained(const SoundOutput& out, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!out.Drained() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return out.Drained();
}

TEST(SoundOutput, BlocksArePlayedInTurnAndAPauseHoldsThem) {
    EXPECT_EQ(SoundOutput::Open(0), nullptr);
    const std::unique_ptr<SoundOutput> out = SoundOutput::Open(8000);
    if (!out) GTEST_SKIP() << "no sound device takes 8 kHz sound here";
    EXPECT_TRUE(out->Drained());
    EXPECT_FALSE(out->Queue(0));
    EXPECT_FALSE(out->Queue(8000 / SoundOutput::kBlocksPerSecond + 1));  // more than a block

    // The whole ring is free at first; then every block waits its turn.
    for (std::size_t i = 0; i < SoundOutput::kBlocks; ++i) {
        const std::span<std::int16_t> block = out->FreeBlock();
        ASSERT_EQ(block.size(), 8000 / SoundOutput::kBlocksPerSecond) << i;
        std::fill(block.begin(), block.end(), std::int16_t{0});
        ASSERT_TRUE(out->Queue(block.size())) << i;
    }
    EXPECT_TRUE(out->FreeBlock().empty());
    // A fifth of a second of sound: played well within two seconds.
    EXPECT_TRUE(waitUntilDrained(*out, std::chrono::seconds(2)));
    EXPECT_FALSE(out->FreeBlock().empty());

    // Paused, a queued block stays queued until the device goes on.
    out->Pause();
    ASSERT_TRUE(out->Queue(out->FreeBlock().size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(out->Drained());
    out->Resume();
    EXPECT_TRUE(waitUntilDrained(*out, std::chrono::seconds(2)));
}

}  // namespace
}  // namespace plova
