// The player's logic against real WAV files and the real time-stretcher:
// what reaches the sound device, at which speed and pitch, and where a seek
// lands.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "audio/testing/AudioFiles.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/TempFolder.h"
#include "player/PlayerSession.h"
#include "player/testing/RecordingSink.h"

namespace plova::player {
namespace {

namespace fs = std::filesystem;

std::vector<std::int16_t> tone(double hz, double seconds, std::uint32_t rate = 8000) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(10000 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
    return s;
}

std::string le(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// A RIFF/WAVE file: a "fmt " chunk of `fmtSize` bytes, the chunks in
// `between`, then "data" claiming `claimed` bytes (its real size when -1).
std::string wavBytes(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits, const std::string& data,
                     const std::string& between = {}, long long claimed = -1, std::uint32_t fmtSize = 16) {
    std::string fmt = le(tag, 2) + le(channels, 2) + le(8000, 4) + le(8000 * channels * bits / 8, 4) +
                      le(channels * bits / 8, 2) + le(bits, 2);
    if (fmtSize > 16) fmt += le(22, 2) + le(bits, 2) + le(0, 4) + le(1, 2) + std::string(14, '\0');
    fmt.resize(fmtSize);
    const std::string body = "WAVE" + ("fmt " + le(fmtSize, 4) + fmt) + between + "data" +
                             le(claimed < 0 ? static_cast<std::uint32_t>(data.size()) : claimed, 4) + data;
    return "RIFF" + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

std::string pcm16(const std::vector<std::int16_t>& s) {
    std::string out;
    for (std::int16_t v : s) out += le(static_cast<std::uint16_t>(v), 2);
    return out;
}

fs::path writeWav(const fs::path& path, const std::vector<std::int16_t>& samples) {
    testkit::WriteWav8k(path, samples);
    return path;
}

// Rising zero crossings a second.
double frequencyOf(std::span<const std::int16_t> s, std::uint32_t rate) {
    int rising = 0;
    for (std::size_t i = 1; i < s.size(); ++i) rising += s[i - 1] < 0 && s[i] >= 0;
    return rising * static_cast<double>(rate) / static_cast<double>(s.size());
}

TEST(PlayerClip, WavFilesAreReadAsTheirChunksSayOrRefused) {
    const std::vector<std::int16_t> s{0, 1000, -1000, 32767, -32768, 5};
    const std::string stereo = pcm16({100, 300, -100, -300, 7, 9});
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<std::vector<std::int16_t>> samples;
    } cases[] = {
        {"16-bit mono", wavBytes(1, 1, 16, pcm16(s)), s},
        {"8-bit mono", wavBytes(1, 1, 8, std::string{'\x80', '\xC0', '\x00'}),
         std::vector<std::int16_t>{0, 16384, -32768}},
        {"two channels are mixed", wavBytes(1, 2, 16, stereo), std::vector<std::int16_t>{200, -200, 8}},
        {"PCM behind a long fmt chunk", wavBytes(0xFFFE, 1, 16, pcm16(s), {}, -1, 40), s},
        {"an odd chunk before the data, padded", wavBytes(1, 1, 16, pcm16(s), "LIST" + le(3, 4) + "abc" + '\0'), s},
        {"data claiming more than the file holds", wavBytes(1, 1, 16, pcm16(s), {}, 1 << 30), s},
        {"a half sample at the end", wavBytes(1, 1, 16, pcm16(s) + "x"), s},
        {"IEEE float", wavBytes(3, 1, 32, std::string(8, '\0')), std::nullopt},
        {"A-law", wavBytes(6, 1, 8, "abc"), std::nullopt},
        {"24-bit", wavBytes(1, 1, 24, std::string(6, '\0')), std::nullopt},
        {"a fmt chunk cut short", wavBytes(1, 1, 16, pcm16(s)).substr(0, 30), std::nullopt},
        {"no data chunk", wavBytes(1, 1, 16, "").substr(0, 36), std::nullopt},
        {"not RIFF", "RIFX" + wavBytes(1, 1, 16, pcm16(s)).substr(4), std::nullopt},
        {"nothing", "", std::nullopt},
    };
    // The same from a file, which is read by its own path: the head first,
    // then the data straight into the samples.
    testkit::TempFolder dir{"player-clip"};
    for (const Case& c : cases) {
        testkit::WriteBytes(dir / "m.wav", c.bytes);
        for (const std::optional<Clip>& clip : {ClipOfWav(c.bytes), LoadClip(dir / "m.wav")}) {
            ASSERT_EQ(clip.has_value(), c.samples.has_value()) << c.what;
            if (clip) {
                EXPECT_EQ(clip->samples, *c.samples) << c.what;
                EXPECT_EQ(clip->rate, 8000u) << c.what;
            }
        }
    }
}

TEST(PlayerClip, PeaksCoverTheWholeClipAndTimesAreMinutesAndSeconds) {
    Clip clip{8000, {1, -5, 3, 9, -2, 4, 0}};
    const std::vector<Peak> three = Peaks(clip, 3);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].low, -5);
    EXPECT_EQ(three[0].high, 1);
    EXPECT_EQ(three[1].high, 9);
    EXPECT_EQ(three[2].low, -2);
    EXPECT_EQ(three[2].high, 4);
    // Wider than the clip: every column shows a sample.
    for (const Peak& p : Peaks(clip, 20)) EXPECT_LE(p.low, p.high);
    EXPECT_TRUE(Peaks(Clip{}, 20).empty());

    EXPECT_EQ(TimeText(0, std::int64_t{8000} * 600, 8000), u"0:00 / 10:00");
    EXPECT_EQ(TimeText(std::int64_t{8000} * 65 + 7999, std::int64_t{8000} * 3600, 8000), u"1:05 / 60:00");
}

class PlayerSessionTest : public ::testing::Test {
protected:
    testkit::TempFolder dir{"player"};
    RecordingSink sink;
    PlayerSession session{sink};
};

TEST_F(PlayerSessionTest, AtNormalSpeedTheDeviceGetsTheFilesSamplesAndTheFileIsLetGo) {
    const std::vector<std::int16_t> samples = tone(300, 3.0);
    const fs::path wav = writeWav(dir / "a.wav", samples);
    ASSERT_EQ(session.Open(wav, kNormalSpeed, kFullVolume), Opened::Playing);
    // Nothing holds the file: it can go while the message plays.
    EXPECT_TRUE(fs::remove(wav));
    EXPECT_EQ(sink.rate, 8000u);
    EXPECT_EQ(sink.Drain(), samples);
    EXPECT_FALSE(session.Now().playing);

    // At half volume every sample is halved.
    ASSERT_EQ(session.Open(writeWav(dir / "b.wav", samples), kNormalSpeed, 50), Opened::Playing);
    const std::vector<std::int16_t> half = sink.Drain();
    ASSERT_EQ(half.size(), samples.size());
    for (std::size_t i = 0; i < half.size(); i += 97) EXPECT_EQ(half[i], samples[i] / 2) << i;
}

TEST_F(PlayerSessionTest, AtTwiceTheSpeedAToneLastsHalfAsLongAtItsOwnPitch) {
    const fs::path wav = writeWav(dir / "tone.wav", tone(440, 10.0));
    for (const int speed : {5, 0}) {  // 2.0, then 0.5
        ASSERT_EQ(session.Open(wav, speed, kFullVolume), Opened::Playing);
        const std::vector<std::int16_t> out = sink.Drain();
        const double seconds = static_cast<double>(out.size()) / 8000.0;
        EXPECT_NEAR(seconds, 10.0 / kSpeeds[speed], 10.0 / kSpeeds[speed] * 0.02) << kSpeeds[speed];
        // Away from the ends, where the stretcher starts and stops.
        const std::span<const std::int16_t> middle(out.data() + out.size() / 4, out.size() / 2);
        EXPECT_NEAR(frequencyOf(middle, 8000), 440.0, 440.0 * 0.02) << kSpeeds[speed];
    }
}

TEST_F(PlayerSessionTest, SeeksSkipsAndSpeedChangesLandWhereAsked) {
    std::vector<std::int16_t> ramp(std::size_t{8000} * 20);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::int16_t>(i % 30000);
    ASSERT_EQ(session.Open(writeWav(dir / "ramp.wav", ramp), kNormalSpeed, kFullVolume), Opened::Playing);

    session.SeekToShare(0.25);
    EXPECT_EQ(session.Now().position, 40000);
    EXPECT_EQ(sink.Pull(1).front(), ramp[40000]);
    sink.Pull(7999);
    EXPECT_EQ(session.Now().position, 48000);

    session.Do(Action::Back);
    EXPECT_EQ(session.Now().position, 8000);
    session.Do(Action::Back);
    EXPECT_EQ(session.Now().position, 0);
    session.Do(Action::ToEnd);
    EXPECT_EQ(session.Now().position, 160000);
    EXPECT_TRUE(sink.Pull(10).empty());
    session.Do(Action::ToStart);
    session.Do(Action::Forward);
    EXPECT_EQ(session.Now().position, 40000);

    // A speed change keeps the place; at 2.0 a second of output is two of the message.
    session.SetSpeed(5);
    EXPECT_EQ(session.Now().position, 40000);
    sink.Pull(8000);
    EXPECT_NEAR(static_cast<double>(session.Now().position), 56000.0, 160.0);
    session.Do(Action::Slower);
    EXPECT_EQ(session.Now().speed, 4);
}

TEST_F(PlayerSessionTest, PauseHoldsThePlaceAndPlayAtTheEndStartsAgain) {
    const std::vector<std::int16_t> samples = tone(200, 1.0);
    ASSERT_EQ(session.Open(writeWav(dir / "p.wav", samples), kNormalSpeed, kFullVolume), Opened::Playing);
    sink.Pull(4000);
    session.Do(Action::TogglePlay);
    EXPECT_TRUE(sink.paused);
    EXPECT_FALSE(session.Now().playing);
    EXPECT_TRUE(sink.Pull(100).empty());
    EXPECT_EQ(session.Now().position, 4000);
    session.Do(Action::TogglePlay);
    EXPECT_FALSE(sink.paused);
    EXPECT_EQ(sink.Drain().size(), 4000u);

    session.Do(Action::TogglePlay);
    EXPECT_EQ(sink.starts, 2);
    EXPECT_EQ(sink.Drain(), samples);
}

TEST_F(PlayerSessionTest, WithoutADeviceOrAReadableFileNothingPlays) {
    const fs::path wav = writeWav(dir / "n.wav", tone(200, 1.0));
    sink.device = false;
    EXPECT_EQ(session.Open(wav, kNormalSpeed, kFullVolume), Opened::NoDevice);
    EXPECT_FALSE(session.Now().playing);
    EXPECT_TRUE(fs::remove(wav));

    sink.device = true;
    testkit::WriteBytes(dir / "float.wav", wavBytes(3, 1, 32, std::string(64, '\0')));
    EXPECT_EQ(session.Open(dir / "float.wav", kNormalSpeed, kFullVolume), Opened::Unreadable);
    EXPECT_EQ(session.Open(dir / "missing.wav", kNormalSpeed, kFullVolume), Opened::Unreadable);
    EXPECT_EQ(sink.starts, 0);
}

}  // namespace
}  // namespace plova::player
