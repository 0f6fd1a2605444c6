// How good the decoded speech is, measured rather than assumed: the round
// trip through our encoder and decoder worker, and a second, independent
// G.729 decoder (FFmpeg's) on the same frames.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/VoiceDecoder.h"
#include "audio/WavFormat.h"
#include "audio/testing/AudioFiles.h"
#include "audio/testing/FileBytes.h"
#include "audio/testing/SpeechSignal.h"
#include "platform/testing/TempFolder.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;

constexpr std::size_t kFrames = 500;  // 5 seconds
// The codec delays its output by a few milliseconds; the best lag is searched up to 25 ms.
constexpr int kMaxCodecDelay = 200;

Samples decodeWithWorker(const TempFolder& dir, const Bytes& frames) {
    const fs::path in = dir / "speech.tmp", out = dir / "speech.wav";
    WriteBytes(in, frames);
    EXPECT_EQ(DecodeStart(in, out, 0), decoder::kStarted);
    std::uint8_t s;
    while ((s = DecodePoll()) == decoder::kWaitingForStart || s == decoder::kDecoding)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(s, decoder::kFinished);
    return ReadWavSamples(out);
}

// Each 16-bit word with its two bytes exchanged: what a byte-order slip would feed the decoder.
Bytes swapWordBytes(Bytes b) {
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) std::swap(b[i], b[i + 1]);
    return b;
}

// Each byte with its bits reversed: what a bit-order slip would feed the decoder.
Bytes reverseBits(Bytes b) {
    for (auto& x : b) {
        std::uint8_t r = 0;
        for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r | (((x >> i) & 1) << (7 - i)));
        x = r;
    }
    return b;
}

struct Match {
    int lag;
    double correlation;
    double segmentalSnr;
};

Match compare(const Samples& reference, const Samples& decoded) {
    const int lag = BestLag(reference, decoded, kMaxCodecDelay);
    return {lag, Correlation(reference, decoded, lag), SegmentalSnr(reference, decoded, lag)};
}

class CodecQuality : public ::testing::Test {
protected:
    TempFolder dir{"codec-quality"};
    Samples original = SynthesizeSpeech(kFrames);
    Bytes frames = EncodeSpeech(original);
};

TEST_F(CodecQuality, RoundTripComesBackCloseToTheOriginal) {
    // Measured here: lag 40 samples (the encoder's 5 ms look-ahead), correlation
    // 0.91, segmental SNR 7.3 dB; frames with their bytes or bits in the wrong
    // order give a correlation near 0.01. The floors sit well between.
    const Match m = compare(original, decodeWithWorker(dir, frames));
    EXPECT_LE(m.lag, 80);
    EXPECT_GE(m.correlation, 0.85);
    EXPECT_GE(m.segmentalSnr, 4.0);

    for (const auto& [name, damaged] : {std::pair{"bytes of each word swapped", swapWordBytes(frames)},
                                        std::pair{"bits of each byte reversed", reverseBits(frames)}}) {
        SCOPED_TRACE(name);
        const Match bad = compare(original, decodeWithWorker(dir, damaged));
        EXPECT_LT(bad.correlation, 0.3) << "the measure must tell a wrong bit order from the right one";
    }
}

TEST_F(CodecQuality, AnIndependentDecoderHearsTheSameSpeech) {
    if (!HaveFfmpegProgram(PLOVA_FFMPEG)) GTEST_SKIP() << kNoFfmpegProgram;
    const fs::path coded = dir / "frames.g729", raw = dir / "ffmpeg.raw";
    WriteBytes(coded, frames);
    const std::string command = std::string(PLOVA_FFMPEG) + " -nostdin -hide_banner -loglevel error -y -f g729 -i '" +
                                coded.string() + "' -f s16le -ar 8000 -ac 1 '" + raw.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Bytes rawBytes = ReadBytes(raw);
    Samples theirs(rawBytes.size() / 2);
    for (std::size_t i = 0; i < theirs.size(); ++i) theirs[i] = static_cast<std::int16_t>(GetLe16(&rawBytes[2 * i]));
    const Samples ours = decodeWithWorker(dir, frames);
    ASSERT_EQ(theirs.size(), ours.size());
    // Two conforming decoders differ only in rounding: measured correlation
    // 0.999 and segmental SNR 28.6 dB between them, with no lag. A frame
    // slipped or a parameter unpacked wrongly on either side breaks this.
    EXPECT_EQ(BestLag(ours, theirs, 160), 0);
    EXPECT_GE(Correlation(ours, theirs), 0.99);
    EXPECT_GE(SegmentalSnr(ours, theirs), 20.0);
    // And FFmpeg's decoder also understands our encoder: the original comes back.
    EXPECT_GE(compare(original, theirs).correlation, 0.85);
}

}  // namespace
