// The media conversion into the intermediate WAV file and the encoder worker
// that reads it: formats FFmpeg brings in, the renderer's header, block and
// frame arithmetic, the duration limit and the one-at-a-time rule.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "audio/G729Codec.h"
#include "audio/MediaConversion.h"
#include "audio/VoiceEncoder.h"
#include "audio/WavFormat.h"
#include "audio/WaveRenderer.h"
#include "audio/testing/AudioFiles.h"
#include "audio/testing/FileBytes.h"
#include "audio/testing/SpeechSignal.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

using Samples = std::vector<std::int16_t>;
using Bytes = std::vector<std::uint8_t>;

int convertAndWait(const fs::path& input, const fs::path& output) {
    MediaConversion conversion;
    if (conversion.Start(input, output, 1, 8000, 16) != media::kStarted) return media::kStartFailed;
    int result;
    while ((result = conversion.Poll()) == media::kRunning) {}
    return result;
}

std::uint8_t waitForEncoder() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::uint8_t s;
    while ((s = EncodePoll()) == encoder::kEncoding || s == encoder::kWaitingForStart) {
        if (std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return s;
}

class AudioImport : public ::testing::Test {
protected:
    void TearDown() override {
        while (EncodeAbort() == encoder::kWaitingForStart) std::this_thread::yield();
        EXPECT_EQ(EncodeStatus(), encoder::kIdle);
    }

    fs::path speechWav(const std::string& name, std::size_t frames) {
        const fs::path p = dir / name;
        WriteWav8k(p, SynthesizeSpeech(frames));
        return p;
    }

    TempFolder dir{"audio-import"};
    fs::path intermediate = dir / "intermediate.wav";
};

TEST_F(AudioImport, EveryFormFFmpegDecodesBecomes8kHzMonoWithSizesPatched) {
    if (!HaveFfmpegProgram(PLOVA_FFMPEG)) GTEST_SKIP() << kNoFfmpegProgram;
    const Samples original = SynthesizeSpeech(200);  // 2 s
    const fs::path source = dir / "source.wav";
    WriteWav8k(source, original);
    struct Case {
        const char* name;
        const char* options;
    };
    const Case cases[] = {
        {"stereo44k.wav", "-ar 44100 -ac 2"},
        {"speech.wma", "-ar 44100 -ac 2 -c:a wmav2 -b:a 128k"},
        {"speech.mp3", "-ar 44100 -ac 1 -c:a libmp3lame -b:a 128k"},
        {"speech.flac", "-ar 22050 -ac 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path input = dir / c.name;
        ASSERT_TRUE(FfmpegConvert(PLOVA_FFMPEG, source, c.options, input));
        fs::remove(intermediate);
        ASSERT_EQ(convertAndWait(input, intermediate), media::kCompleted);
        const auto format = ReadWavFormat(intermediate);
        ASSERT_TRUE(format && format->IsCodecFormat());
        const Bytes bytes = ReadBytes(intermediate);
        ASSERT_GE(bytes.size(), wav::kHeaderBytes);
        const std::uint32_t data = GetLe32(&bytes[wav::kDataSizeAt]);
        EXPECT_EQ(data, bytes.size() - wav::kHeaderBytes);
        EXPECT_EQ(GetLe32(&bytes[wav::kRiffSizeAt]), data + 36);
        // The length survives within what the lossy codecs pad at the ends.
        EXPECT_NEAR(data / 2.0, static_cast<double>(original.size()), 8000 * 0.1);
        const Samples back = ReadWavSamples(intermediate);
        EXPECT_GE(AlignedCorrelation(original, back, 2000), 0.9);
    }
}

TEST_F(AudioImport, WhatIsNotAudioDoesNotStart) {
    if (!HaveFfmpegProgram(PLOVA_FFMPEG)) GTEST_SKIP() << kNoFfmpegProgram;
    const fs::path text = dir / "notes.wav";
    WriteBytes(text, Bytes(5000, 'x'));
    const fs::path video = dir / "picture.mp4";
    const std::string command = std::string(PLOVA_FFMPEG) +
                                " -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=duration=1:size=64x64 "
                                "-c:v mpeg4 '" +
                                video.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const fs::path& input : {text, video, dir / "missing.wav"}) {
        SCOPED_TRACE(input.filename().string());
        MediaConversion conversion;
        EXPECT_EQ(conversion.Start(input, intermediate, 1, 8000, 16), media::kStartFailed);
        EXPECT_FALSE(ProbeAudioMicroseconds(input).has_value());
    }
}

TEST_F(AudioImport, TheRendererWritesTheHeaderFirstAndPatchesTheSizesAtTheEnd) {
    WaveRenderer renderer;
    ASSERT_TRUE(renderer.Create(intermediate));
    ASSERT_TRUE(renderer.BeginStream(1, 8000, 16));
    const auto fresh = MakeWavHeader(0);
    EXPECT_EQ(ReadBytes(intermediate), Bytes(fresh.begin(), fresh.end()));
    const Samples samples(1000, 7);
    ASSERT_TRUE(renderer.Receive(samples.data(), 600));
    ASSERT_TRUE(renderer.Receive(samples.data(), 1400));
    ASSERT_TRUE(renderer.EndStream());
    const Bytes bytes = ReadBytes(intermediate);
    ASSERT_EQ(bytes.size(), 44u + 2000u);
    const auto patched = MakeWavHeader(2000);
    EXPECT_TRUE(std::equal(patched.begin(), patched.end(), bytes.begin()));

    // Whatever is already under the name is refused at once, never opened:
    // a file (a hard link to the user's among them), a link, a pipe.
    const fs::path elsewhere = dir / "elsewhere";
    WriteBytes(elsewhere, Bytes{1, 2, 3});
    // (Links and pipes only where the system makes them.)
    const std::function<bool(const fs::path&)> plant[] = {
        [&](const fs::path& p) { return MakeSymlink(elsewhere, p); },
        [&](const fs::path& p) { return MakeHardLink(elsewhere, p); },
        [](const fs::path& p) { return MakeFifo(p); },
    };
    for (const auto& put : plant) {
        fs::remove(intermediate);
        if (!put(intermediate)) continue;
        EXPECT_FALSE(renderer.Create(intermediate));
        EXPECT_EQ(ReadBytes(elsewhere), (Bytes{1, 2, 3}));
    }
}

// A file name is a file name: one that reads as an FFmpeg URL is the file of
// that name, never the files it would name (on Windows, which cannot hold
// such a name, nothing at all).
TEST_F(AudioImport, AFileNameIsNeverTakenForAnotherProtocol) {
    const fs::path folder = dir / "names";
    fs::create_directories(folder);
    WriteWav8k(folder / "a.wav", SynthesizeSpeech(100));               // 1 s
    WriteWav8k(folder / "concat:a.wav|a.wav", SynthesizeSpeech(300));  // 3 s
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    const auto micros = ProbeAudioMicroseconds("concat:a.wav|a.wav");
    const int converted = convertAndWait("concat:a.wav|a.wav", intermediate);
    fs::current_path(before);
    if (!fs::exists(folder / "concat:a.wav|a.wav")) {
        // Windows holds no such name: there is nothing to read, and the two
        // files the URL would name are not read either.
        EXPECT_FALSE(micros.has_value());
        EXPECT_NE(converted, media::kCompleted);
        return;
    }
    ASSERT_TRUE(micros.has_value());
    EXPECT_NEAR(static_cast<double>(*micros), 3e6, 1e5);
    ASSERT_EQ(converted, media::kCompleted);
    EXPECT_NEAR(static_cast<double>(ReadWavSamples(intermediate).size()), 3 * 8000, 800);
}

// Samples in, bytes out: whole blocks give 200 bytes each; the last block is
// ⌈n/80⌉ frames written in 4-byte units; an empty read only ends the run.
TEST_F(AudioImport, FrameCountsAndTheTwoByteFill) {
    struct Case {
        std::size_t samples;
        std::size_t bytes;
    };
    const Case cases[] = {{3200, 400}, {1601, 212}, {80, 12}, {160, 20}, {1, 12}};
    const Samples speech = SynthesizeSpeech(40);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        const fs::path input = dir / "in.wav";
        const Samples pcm(speech.begin(), speech.begin() + static_cast<std::ptrdiff_t>(c.samples));
        WriteWav8k(input, pcm);
        const fs::path output = dir / "out.g729";
        ASSERT_EQ(EncodeStart(input, output, 0, 601, intermediate), encoder::kStarted);
        ASSERT_EQ(waitForEncoder(), encoder::kFinished);
        const Bytes coded = ReadBytes(output);
        ASSERT_EQ(coded.size(), c.bytes);
        EXPECT_FALSE(fs::exists(intermediate)) << "the intermediate file goes when the worker ends";

        // The frames are the codec's, from samples padded with zeros to whole frames.
        Samples padded = pcm;
        padded.resize((pcm.size() + kFrameSamples - 1) / kFrameSamples * kFrameSamples, 0);
        const Bytes expected = EncodeSpeech(padded);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), coded.begin()));
        for (std::size_t i = expected.size(); i < coded.size(); ++i) EXPECT_EQ(coded[i], 0) << i;
    }
}

TEST_F(AudioImport, TheDurationLimitTakesEqualAndRefusesLonger) {
    struct Case {
        std::size_t samples;
        int start;
    };
    const Case cases[] = {{std::size_t{601} * 8000, encoder::kStarted},
                          {std::size_t{601} * 8000 + 800, encoder::kTooLong}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        const fs::path input = dir / "long.wav";
        WriteWav8k(input, Samples(c.samples, 0));
        const fs::path output = dir / "long.g729";
        EXPECT_EQ(EncodeStart(input, output, 0, 601, intermediate), c.start);
        if (c.start == encoder::kStarted) {
            EXPECT_EQ(EncodeStart(input, dir / "second.g729", 0, 601, intermediate), encoder::kBusy);
            // A stop before the worker has taken its start waits for the start.
            while (EncodeAbort() == encoder::kWaitingForStart) std::this_thread::yield();
        } else {
            EXPECT_EQ(EncodeStatus(), encoder::kIdle);
        }
        EXPECT_FALSE(fs::exists(intermediate));
    }
}

TEST_F(AudioImport, StartRefusals) {
    const fs::path speech = speechWav("speech.wav", 20);
    const fs::path text = dir / "text.wav";
    WriteBytes(text, Bytes(3000, 'x'));
    EXPECT_EQ(EncodeStart(dir / "missing.wav", dir / "a.g729", 0, 601, intermediate), encoder::kCannotOpenFiles);
    EXPECT_EQ(EncodeStart(speech, dir / "no" / "such" / "a.g729", 0, 601, intermediate), encoder::kCannotOpenFiles);
    EXPECT_EQ(EncodeStart(text, dir / "a.g729", 0, 601, intermediate), encoder::kNoDuration);
    EXPECT_EQ(EncodeStatus(), encoder::kIdle);
}

TEST_F(AudioImport, AbortStopsTheWorkerAndRemovesTheIntermediateFile) {
    const fs::path input = speechWav("speech.wav", 30000);  // 300 s
    ASSERT_EQ(EncodeStart(input, dir / "out.g729", 0, 601, intermediate), encoder::kStarted);
    while (EncodeStatus() == encoder::kWaitingForStart) std::this_thread::yield();
    EXPECT_EQ(EncodeAbort(), encoder::kAborted);
    EXPECT_EQ(EncodeStatus(), encoder::kIdle);
    EXPECT_FALSE(fs::exists(intermediate));
}

}  // namespace
