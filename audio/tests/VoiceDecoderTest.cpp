#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/G729Codec.h"
#include "audio/Level.h"
#include "audio/VoiceDecoder.h"
#include "audio/WavFormat.h"
#include "audio/testing/FileBytes.h"
#include "audio/testing/SpeechSignal.h"
#include "platform/testing/FileSizeLimit.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;

// Coded speech from our encoder; none of its frames has a zero 16-bit word,
// so every frame decodes as a good one.
const Bytes& speechSample() {
    static const Bytes frames = [] {
        Bytes f = EncodeSpeech(SynthesizeSpeech(300));
        for (std::size_t i = 0; i < f.size(); i += 2)
            if (f[i] == 0 && f[i + 1] == 0) ADD_FAILURE() << "fixture frame " << i / 10 << " has a zero word";
        return f;
    }();
    return frames;
}

Bytes speechBytes(std::size_t n) {
    Bytes b(speechSample().data(), speechSample().data() + std::min(n, speechSample().size()));
    b.resize(n, 0);
    return b;
}

struct Outcome {
    std::uint8_t raw = 0;     // the status the worker ended in
    std::uint8_t polled = 0;  // what DecodePoll reported
    Bytes wav;
    Samples pcm;
    [[nodiscard]] const Samples& DecodedSamples() const { return pcm; }
};

class VoiceDecoder : public ::testing::Test {
protected:
    void TearDown() override {
        // Whatever a test left running is stopped, so the next one finds the decoder idle.
        while (DecodeAbort() == decoder::kWaitingForStart) std::this_thread::yield();
        EXPECT_EQ(DecodeStatus(), decoder::kIdle);
    }

    static std::uint8_t waitUntilSettled() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::uint8_t s;
        while ((s = DecodeStatus()) == decoder::kWaitingForStart || s == decoder::kDecoding) {
            if (std::chrono::steady_clock::now() > deadline) return s;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return s;
    }

    Outcome decode(const Bytes& speech, std::int8_t level = 0) {
        WriteBytes(in, speech);
        Outcome o;
        EXPECT_EQ(DecodeStart(in, out, level), decoder::kStarted);
        o.raw = waitUntilSettled();
        o.polled = DecodePoll();
        EXPECT_EQ(DecodeStatus(), decoder::kIdle) << "a final poll stops the worker";
        o.wav = ReadBytes(out);
        o.pcm = ReadWavSamples(out);
        return o;
    }

    TempFolder dir{"decoder-test"};
    fs::path in = dir / "speech.tmp";
    fs::path out = dir / "speech.wav";
};

TEST_F(VoiceDecoder, WholeBlocksDecodeFortyFramesEachAndTheEmptyReadFinishes) {
    for (std::size_t k : {1, 2, 3}) {
        SCOPED_TRACE(k);
        const auto o = decode(speechBytes(400 * k));
        EXPECT_EQ(o.raw, decoder::kFinished);
        EXPECT_EQ(o.polled, decoder::kFinished);
        ASSERT_EQ(o.wav.size(), 44 + 40 * k * 160);
        EXPECT_EQ(GetLe32(&o.wav[40]), 40 * k * 160);
        EXPECT_EQ(GetLe32(&o.wav[4]), 40 * k * 160 + 36);
    }
}

TEST_F(VoiceDecoder, OutputIsTheCodecOutputSampleForSample) {
    const Bytes speech = speechBytes(3000);
    const auto o = decode(speech);
    ASSERT_EQ(o.raw, decoder::kFinished);
    EXPECT_EQ(o.DecodedSamples(), DecodeFramesDirectly(speech));
    // A second run starts from a reset codec: the same input gives the same file.
    EXPECT_EQ(decode(speech).wav, o.wav);
}

TEST_F(VoiceDecoder, FinalPartialBlocksDecodeTheirWholeFrames) {
    for (std::size_t head : {0, 400, 800}) {
        for (std::size_t tail : {100, 200, 300}) {
            SCOPED_TRACE(head + tail);
            const auto o = decode(speechBytes(head + tail));
            EXPECT_EQ(o.raw, decoder::kFinished);
            EXPECT_EQ(o.DecodedSamples().size(), (head + tail) / 10 * 80);
            EXPECT_EQ(GetLe32(&o.wav[40]), (head + tail) / 10 * 160);
        }
    }
}

TEST_F(VoiceDecoder, OneSecondOfSpeechMakesA16044ByteFile) {
    const auto o = decode(speechBytes(1000));
    EXPECT_EQ(o.raw, decoder::kFinished);
    ASSERT_EQ(o.wav.size(), 16044u);
    EXPECT_EQ(GetLe32(&o.wav[4]), 16036u);
    EXPECT_EQ(GetLe32(&o.wav[40]), 16000u);
}

TEST_F(VoiceDecoder, OneToThreeStrayBytesAreIgnored) {
    const auto clean = decode(speechBytes(1000));
    for (std::size_t stray : {1, 2, 3}) {
        SCOPED_TRACE(stray);
        Bytes speech = speechBytes(1000);
        speech.insert(speech.end(), stray, 0x5A);
        const auto o = decode(speech);
        EXPECT_EQ(o.raw, decoder::kFinished);
        EXPECT_EQ(o.wav, clean.wav);
    }
}

TEST_F(VoiceDecoder, AFinalBlockOfFourToEightBytesIsABadLength) {
    for (std::size_t head : {0, 400}) {
        for (std::size_t tail = 4; tail <= 8; ++tail) {
            SCOPED_TRACE(head + tail);
            const auto o = decode(speechBytes(head + tail));
            EXPECT_EQ(o.raw, decoder::kBadLength);
            EXPECT_EQ(o.polled, decoder::kFailed);
        }
    }
    // Nothing decoded at all: the output is the empty file the start made.
    EXPECT_TRUE(decode(speechBytes(6)).wav.empty());
}

TEST_F(VoiceDecoder, PaddedOddFrameCountsDecodeEveryFrame) {
    // Encoder output with an odd number of frames ends in 2 zero bytes.
    for (std::size_t frames : {1, 3, 5, 41}) {
        SCOPED_TRACE(frames);
        Bytes speech = speechBytes(frames * 10);
        speech.insert(speech.end(), 2, 0);
        const auto o = decode(speech);
        EXPECT_EQ(o.raw, decoder::kFinished);
        EXPECT_EQ(o.DecodedSamples().size(), frames * 80);
    }
}

TEST_F(VoiceDecoder, NoSpeechAtAllFailsBecauseNothingWasBegun) {
    const auto o = decode({});
    EXPECT_EQ(o.raw, decoder::kWriteFailed);
    EXPECT_EQ(o.polled, decoder::kFailed);
}

TEST_F(VoiceDecoder, AFrameWithAZeroWordIsConcealedAsErased) {
    Bytes speech = speechBytes(600);
    speech[30 * 10 + 4] = 0;  // word 2 of frame 30
    speech[30 * 10 + 5] = 0;
    // Zero bytes that never make a whole zero word do not count.
    speech[31 * 10 + 0] = 0;
    speech[31 * 10 + 3] = 0;
    if (speech[31 * 10 + 1] == 0) speech[31 * 10 + 1] = 1;
    if (speech[31 * 10 + 2] == 0) speech[31 * 10 + 2] = 1;

    const auto reference = [&](bool eraseFrame30) {
        G729Decoder dec;
        Samples pcm(std::size_t{60} * 80);
        for (std::size_t f = 0; f < 60; ++f)
            dec.Decode(std::span<const std::uint8_t, 10>(&speech[f * 10], 10), eraseFrame30 && f == 30,
                       std::span<std::int16_t, 80>(&pcm[f * 80], 80));
        return pcm;
    };
    const auto o = decode(speech);
    ASSERT_EQ(o.raw, decoder::kFinished);
    EXPECT_EQ(o.DecodedSamples(), reference(true));
    EXPECT_NE(o.DecodedSamples(), reference(false)) << "erasing must make a difference for this test to mean anything";
}

TEST_F(VoiceDecoder, TheLevelScalesEverySample) {
    const Bytes speech = speechBytes(2000);
    const Samples plain = DecodeFramesDirectly(speech);
    for (std::int8_t level : {std::int8_t{-6}, std::int8_t{6}, std::int8_t{20}}) {
        SCOPED_TRACE(int{level});
        const auto o = decode(speech, level);
        ASSERT_EQ(o.raw, decoder::kFinished);
        Samples expected = plain;
        ApplyLevel(expected, LevelGain(level));
        EXPECT_EQ(o.DecodedSamples(), expected);
        EXPECT_NE(o.DecodedSamples(), plain);
    }
}

TEST_F(VoiceDecoder, OnlyOneDecodingAtATime) {
    const Bytes speech = speechBytes(speechSample().size());
    WriteBytes(in, speech);
    ASSERT_EQ(DecodeStart(in, out, 0), decoder::kStarted);
    EXPECT_EQ(DecodeStart(in, dir / "other.wav", 0), decoder::kBusy);
    EXPECT_FALSE(fs::exists(dir / "other.wav")) << "a refused start touches nothing";

    // An abort while the start is pending leaves the worker alone.
    std::uint8_t r;
    while ((r = DecodeAbort()) == decoder::kWaitingForStart) std::this_thread::yield();
    EXPECT_EQ(r, decoder::kAborted);
    EXPECT_EQ(DecodeStatus(), decoder::kIdle);

    // The decoder is free again and decodes the same input in full.
    const auto o = decode(speech);
    EXPECT_EQ(o.raw, decoder::kFinished);
    EXPECT_EQ(o.DecodedSamples().size(), speechSample().size() * 8);
}

TEST_F(VoiceDecoder, AFinishedWorkerIsStoppedByAnAbortToo) {
    WriteBytes(in, speechBytes(1000));
    ASSERT_EQ(DecodeStart(in, out, 0), decoder::kStarted);
    ASSERT_EQ(waitUntilSettled(), decoder::kFinished);
    EXPECT_EQ(DecodeAbort(), decoder::kAborted);
    EXPECT_EQ(DecodeStatus(), decoder::kIdle);
    EXPECT_EQ(DecodeAbort(), decoder::kIdle);
    EXPECT_EQ(DecodePoll(), decoder::kIdle);
}

TEST_F(VoiceDecoder, StartFailsCleanlyOnFilesItCannotUse) {
    WriteBytes(out, Bytes(100, 1));
    EXPECT_EQ(DecodeStart(dir / "missing.tmp", out, 0), decoder::kCannotOpenFiles);
    EXPECT_EQ(ReadBytes(out).size(), 100u) << "the output is not touched when the input is missing";
    WriteBytes(in, speechBytes(1000));
    EXPECT_EQ(DecodeStart(in, dir / "no-folder" / "x.wav", 0), decoder::kCannotOpenFiles);
    EXPECT_EQ(DecodeStatus(), decoder::kIdle);
    // An output name that is a link is not written through, not even to empty it.
    // (Where links or pipes cannot be made, those cases are left out.)
    const auto linked = dir / "linked.wav";
    if (MakeSymlink(in, linked)) {
        EXPECT_EQ(DecodeStart(in, linked, 0), decoder::kCannotOpenFiles);
        EXPECT_EQ(ReadBytes(in).size(), 1000u);
    }
    // An input that is a pipe is refused without waiting for a writer.
    const auto pipe = dir / "pipe.tmp";
    if (MakeFifo(pipe)) {
        EXPECT_EQ(DecodeStart(pipe, out, 0), decoder::kCannotOpenFiles);
        EXPECT_EQ(DecodeStatus(), decoder::kIdle);
    }
    EXPECT_EQ(decode(speechBytes(1000)).raw, decoder::kFinished);
}

TEST_F(VoiceDecoder, AFailedWriteEndsWithStatus95) {
    if (!FileSizeLimit::kAvailable) GTEST_SKIP() << kNoFileSizeLimit;
    WriteBytes(in, speechBytes(2000));
    FileSizeLimit limit(20000);  // the WAV file needs 32044 bytes
    ASSERT_EQ(DecodeStart(in, out, 0), decoder::kStarted);
    EXPECT_EQ(waitUntilSettled(), decoder::kWriteFailed);
    EXPECT_EQ(DecodePoll(), decoder::kFailed);
}

// ------------------------------------------------------------------ level

TEST(Level, SettingsUseTheirLowEightBitsAsASignedNumber) {
    EXPECT_EQ(LevelFromSetting(0), 0);
    EXPECT_EQ(LevelFromSetting(6), 6);
    EXPECT_EQ(LevelFromSetting(-6), -6);
    EXPECT_EQ(LevelFromSetting(250), -6);
    EXPECT_EQ(LevelFromSetting(256), 0);
    EXPECT_EQ(LevelFromSetting(127), 127);
    EXPECT_EQ(LevelFromSetting(128), -128);
}

TEST(Level, ExamplesTruncateTowardZeroAndClamp) {
    Samples s{20000, -20000, 1000, -1000, 1001, -1001, 1, -1, 32767, -32768};
    Samples zero = s;
    ApplyLevel(zero, LevelGain(0));
    EXPECT_EQ(zero, s);

    Samples up = s;
    ApplyLevel(up, LevelGain(6));
    EXPECT_NEAR(LevelGain(6), 1.995, 0.001);
    EXPECT_EQ(up, (Samples{32767, -32768, 1995, -1995, 1997, -1997, 1, -1, 32767, -32768}));

    Samples down = s;
    ApplyLevel(down, LevelGain(-6));
    EXPECT_EQ(down, (Samples{10023, -10023, 501, -501, 501, -501, 0, 0, 16422, -16422}));

    Samples mute = s;
    ApplyLevel(mute, LevelGain(-128));
    EXPECT_EQ(mute, Samples(s.size(), 0));
    Samples loud = s;
    ApplyLevel(loud, LevelGain(127));
    EXPECT_EQ(loud, (Samples{32767, -32768, 32767, -32768, 32767, -32768, 32767, -32768, 32767, -32768}));
}

}  // namespace
