#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "audio/Level.h"
#include "audio/VoiceDecoder.h"
#include "audio/WavFormat.h"
#include "audio/WavWriter.h"
#include "audio/testing/SpeechSignal.h"
#include "platform/File.h"
#include "platform/testing/FileSizeLimit.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TestPorts.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

using Samples = std::vector<std::int16_t>;

const std::string& codedSpeech() {
    static const std::string frames = [] {
        const auto f = EncodeSpeech(SynthesizeSpeech(3000));  // 30 seconds
        return std::string(f.begin(), f.end());
    }();
    return frames;
}

std::string head() {
    return BytesOf(SampleRecord().ToBytes()) + BytesOf(BuildBlock(SampleBlock()));
}

Samples decoded(const std::string& speech) {
    return DecodeFramesDirectly(std::span(reinterpret_cast<const std::uint8_t*>(speech.data()), speech.size()));
}

class ConvertToWav : public ::testing::Test {
protected:
    // Writes a message file with `speechBytes` bytes of coded speech; returns its content.
    std::string makeVoiceFile(std::size_t speechBytes) {
        const std::string content = head() + codedSpeech().substr(0, speechBytes);
        WriteBytes(voice, content);
        return content;
    }

    void expectNothingLeftBehind() {
        EXPECT_FALSE(fs::exists(wav)) << "a WAV file is left behind";
        EXPECT_FALSE(fs::exists(tmp)) << "the .tmp file is left behind";
        expectNoTemporaryFiles();
        EXPECT_EQ(DecodeStatus(), decoder::kIdle);
    }

    void expectNoTemporaryFiles() {
        for (const auto& e : fs::directory_iterator(dir.Path()))
            EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path() << " is left behind";
    }

    TestPorts ports;
    TempFolder dir{"convert"};
    fs::path voice = dir / "202612071405_001_0012_00001.vmdat";
    fs::path wav = dir / "202612071405_001_0012_00001.wav";
    fs::path tmp = dir / "202612071405_001_0012_00001.tmp";
};

TEST_F(ConvertToWav, OneSecondOfSpeechBecomesA16044ByteWavBesideIt) {
    const WindowHandle window = ports.progress.Open(u"変換中");
    const std::string content = makeVoiceFile(1000);
    ASSERT_TRUE(store::ConvertToWav(voice, 0));

    const std::string wavBytes = ReadFileBytes(wav);
    ASSERT_EQ(wavBytes.size(), 16044u);
    EXPECT_EQ(ReadWavSamples(wav), decoded(codedSpeech().substr(0, 1000)));
    EXPECT_FALSE(fs::exists(tmp));
    EXPECT_EQ(ReadFileBytes(voice), content) << "the voice-data file is never changed";

    // The bar's range is the speech length in whole seconds, then the bar moves once per poll.
    const auto range = ports.progress.Of(msg::kBarRange);
    ASSERT_EQ(range.size(), 1u);
    EXPECT_EQ(range[0].window, window);
    EXPECT_EQ(range[0].wparam, 1);
    EXPECT_TRUE(range[0].posted);
    const auto bar = ports.progress.Of(msg::kBarPosition);
    ASSERT_FALSE(bar.empty());
    for (std::size_t i = 0; i < bar.size(); ++i) EXPECT_EQ(bar[i].wparam, static_cast<std::intptr_t>(i + 1));
    EXPECT_EQ(ports.pump.steps, static_cast<long>(bar.size())) << "one dispatch per poll";
}

TEST_F(ConvertToWav, TheDownloadWindowServesWhenNoConversionWindowIsOpen) {
    const WindowHandle download = ports.progress.Open(u"ダウンロード中");
    makeVoiceFile(12345);
    ASSERT_TRUE(store::ConvertToWav(voice, 0));
    const auto range = ports.progress.Of(msg::kBarRange);
    ASSERT_EQ(range.size(), 1u);
    EXPECT_EQ(range[0].window, download);
    EXPECT_EQ(range[0].wparam, 12);

    // With both open, the conversion window is the one.
    const WindowHandle convert = ports.progress.Open(u"変換中");
    ports.progress.sent.clear();
    ASSERT_TRUE(store::ConvertToWav(voice, 0));
    EXPECT_EQ(ports.progress.Of(msg::kBarRange).at(0).window, convert);
}

TEST_F(ConvertToWav, TheLevelIsTheLowByteOfTheSetting) {
    makeVoiceFile(4000);
    Samples expected = decoded(codedSpeech().substr(0, 4000));
    ApplyLevel(expected, LevelGain(-6));
    ASSERT_TRUE(store::ConvertToWav(voice, 250));  // 250 is -6 dB
    EXPECT_EQ(ReadWavSamples(wav), expected);
    ASSERT_TRUE(store::ConvertToWav(voice, 256));  // 256 is 0 dB
    EXPECT_EQ(ReadWavSamples(wav), decoded(codedSpeech().substr(0, 4000)));
}

TEST_F(ConvertToWav, FilesWithoutSpeechConvertToNothing) {
    ports.progress.Open(u"変換中");
    WriteBytes(voice, head().substr(0, 1245));
    EXPECT_FALSE(store::ConvertToWav(voice, 0));
    EXPECT_TRUE(ports.progress.sent.empty()) << "too short: given up before the progress window is told anything";
    expectNothingLeftBehind();

    WriteBytes(voice, head());  // exactly 1246 bytes: the decoder finishes a file it never began
    EXPECT_FALSE(store::ConvertToWav(voice, 0));
    expectNothingLeftBehind();
    EXPECT_EQ(ReadFileBytes(voice), head());
}

TEST_F(ConvertToWav, BadSpeechLengthsFailWithNoWavLeft) {
    for (std::size_t speech : {406, 804}) {
        SCOPED_TRACE(speech);
        const std::string content = makeVoiceFile(speech);  // a final block of 6 or 4 bytes
        EXPECT_FALSE(store::ConvertToWav(voice, 0));
        expectNothingLeftBehind();
        EXPECT_EQ(ReadFileBytes(voice), content);
    }
    // Cut inside a frame, but still whole frames in the last block: the stray bytes go.
    makeVoiceFile(1003);
    EXPECT_TRUE(store::ConvertToWav(voice, 0));
    EXPECT_EQ(ReadFileBytes(wav).size(), 16044u);
}

TEST_F(ConvertToWav, UntrustedFilesFailCleanly) {
    // Random bytes from start to end: no block magic, so not a message.
    std::string noise(20000, '\0');
    std::uint32_t x = 99;
    for (auto& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    WriteBytes(voice, noise);
    EXPECT_FALSE(store::ConvertToWav(voice, 0));
    expectNothingLeftBehind();
    EXPECT_EQ(ReadFileBytes(voice), noise);

    // Far larger than any WAV file could describe (a sparse file: no disk used).
    makeVoiceFile(1000);
    fs::resize_file(voice, std::uintmax_t{5} << 30);
    EXPECT_FALSE(store::ConvertToWav(voice, 0));
    expectNothingLeftBehind();
    EXPECT_EQ(fs::file_size(voice), std::uintmax_t{5} << 30);

    EXPECT_FALSE(store::ConvertToWav(dir / "missing.vmdat", 0));
    fs::create_directory(dir / "folder.vmdat");
    EXPECT_FALSE(store::ConvertToWav(dir / "folder.vmdat", 0));

    // A pipe under a message's name is refused at once instead of waiting for a writer.
    const fs::path pipe = dir / "202612071405_001_0012_00009.vmdat";
    if (!MakeFifo(pipe)) GTEST_SKIP() << kNoFifos;
    EXPECT_FALSE(store::ConvertToWav(pipe, 0));
    EXPECT_FALSE(fs::exists(dir / "202612071405_001_0012_00009.wav"));
}

TEST_F(ConvertToWav, OnlyVoiceDataNamesAreConverted) {
    // Any other name would make the decoder's output the input file itself.
    const fs::path info = dir / "202612071405_001_0012_00001.vminf";
    const std::string content = head() + codedSpeech().substr(0, 1000);
    WriteBytes(info, content);
    EXPECT_FALSE(store::ConvertToWav(info, 0));
    EXPECT_EQ(ReadFileBytes(info), content);
    EXPECT_FALSE(fs::exists(wav));

    // Doubled separators count as one.
    makeVoiceFile(1000);
    EXPECT_TRUE(store::ConvertToWav(fs::path(dir.Path().string() + "//" + voice.filename().string()), 0));
    EXPECT_TRUE(fs::exists(wav));
}

TEST_F(ConvertToWav, AStaleWavIsReplaced) {
    WriteBytes(wav, std::string(50000, 'x'));
    WriteBytes(tmp, std::string(7, 'y'));
    makeVoiceFile(2000);
    ASSERT_TRUE(store::ConvertToWav(voice, 0));
    EXPECT_EQ(fs::file_size(wav), 44u + 32000u);
    EXPECT_EQ(ReadFileBytes(tmp), std::string(7, 'y')) << "a file of the user's under the .tmp name is no scratch file";
    expectNoTemporaryFiles();
}

// Whatever the user put beside the message under the names a conversion could
// use: nothing is written through, nothing hangs, nothing is destroyed.
TEST_F(ConvertToWav, WhatStandsBesideTheMessageIsNeverWrittenThroughOrReplaced) {
    const fs::path outside = dir / "p.txt";
    struct Case {
        const char* what;
        fs::path at;
        std::function<bool(const fs::path&)> make;  // false where this system cannot make it
        int result;                                 // a link, pipe or folder at the WAV name fails the conversion
    };
    const auto linkTo = [](fs::path target) { return [target](const fs::path& p) { return MakeSymlink(target, p); }; };
    const auto fifo = [](const fs::path& p) { return MakeFifo(p); };
    const auto plain = [](const fs::path& p) {
        WriteBytes(p, "mine");
        return true;
    };
    const auto hardLink = [this](const fs::path& p) { return MakeHardLink(voice, p); };
    const Case cases[] = {
        {"a link to another file at .wav", wav, linkTo(outside), 0},
        {"a link to the message at .wav", wav, linkTo(voice.filename()), 0},
        {"a pipe at .wav", wav, fifo, 0},
        {"a folder at .wav", wav, [](const fs::path& p) { return fs::create_directory(p); }, 0},
        {"a second name of the message at .wav", wav, hardLink, 1},
        {"a link to another file at .tmp", tmp, linkTo(outside), 1},
        {"a link to the message at .tmp", tmp, linkTo(voice.filename()), 1},
        {"a pipe at .tmp", tmp, fifo, 1},
        {"a file of the user's at .tmp", tmp, plain, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(outside, "keep me");
        const std::string content = makeVoiceFile(2000);
        if (!c.make(c.at)) continue;  // no links or pipes here (Windows under Wine)
        const std::string standing = fs::is_regular_file(fs::symlink_status(c.at)) ? ReadFileBytes(c.at) : "";
        const fs::file_type kind = fs::symlink_status(c.at).type();

        auto run = std::async(std::launch::async, [&] { return store::ConvertToWav(voice, 0); });
        ASSERT_EQ(run.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the conversion hangs";
        EXPECT_EQ(run.get(), c.result);

        EXPECT_EQ(ReadFileBytes(voice), content) << "the message is changed";
        EXPECT_EQ(ReadFileBytes(outside), "keep me") << "a file outside is written through a link";
        if (c.at == tmp || c.result == 0) {
            EXPECT_EQ(fs::symlink_status(c.at).type(), kind) << "what stands there is replaced";
            if (kind == fs::file_type::regular) {
                EXPECT_EQ(ReadFileBytes(c.at), standing);
            }
        }
        if (c.result == 1) {
            EXPECT_EQ(fs::file_size(wav), 44u + 32000u);
        }
        expectNoTemporaryFiles();
        EXPECT_EQ(DecodeStatus(), decoder::kIdle);
        std::error_code ec;
        fs::remove_all(wav, ec);
        fs::remove_all(tmp, ec);
    }
}

TEST_F(ConvertToWav, ABusyDecoderIsStoppedAndTheStartRetried) {
    const fs::path otherIn = dir / "other.tmp", otherOut = dir / "other.wav";
    WriteBytes(otherIn, codedSpeech());
    ASSERT_EQ(DecodeStart(otherIn, otherOut, 0), decoder::kStarted);
    // A worker that has not yet taken its start request cannot be aborted, so
    // on a loaded machine the three attempts could all fall in that moment.
    // Wait until the other decoding is under way: that is the busy decoder
    // this case is about.
    for (int i = 0; i < 5000 && DecodeStatus() == decoder::kWaitingForStart; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_NE(DecodeStatus(), decoder::kWaitingForStart);

    makeVoiceFile(3000);
    ASSERT_TRUE(store::ConvertToWav(voice, 0));
    EXPECT_EQ(ReadWavSamples(wav), decoded(codedSpeech().substr(0, 3000)));
    EXPECT_EQ(DecodeStatus(), decoder::kIdle);
    EXPECT_EQ(DecodePoll(), decoder::kIdle) << "the earlier decoding was stopped, not left running";
}

TEST_F(ConvertToWav, CancelDuringDecodingLeavesNoWavAndNoTmp) {
    const std::string content = makeVoiceFile(codedSpeech().size());
    std::uint8_t statusAtCancel = 0;
    ports.pump.At(1, [&] {
        statusAtCancel = DecodeStatus();
        ports.cancel.Set();
    });
    EXPECT_FALSE(store::ConvertToWav(voice, 0));
    EXPECT_TRUE(statusAtCancel == decoder::kWaitingForStart || statusAtCancel == decoder::kDecoding)
        << int{statusAtCancel};
    expectNothingLeftBehind();
    EXPECT_EQ(ReadFileBytes(voice), content);

    // A cancel already standing before the call stops it the same way.
    EXPECT_FALSE(store::ConvertToWav(voice, 0));
    expectNothingLeftBehind();

    // Once the caller clears the flag, the decoder works as before.
    ports.cancel.Clear();
    EXPECT_TRUE(store::ConvertToWav(voice, 0));
}

TEST_F(ConvertToWav, AFullDiskFailsTheConversionAndLeavesNothing) {
    if (!FileSizeLimit::kAvailable) GTEST_SKIP() << kNoFileSizeLimit;
    const std::string content = makeVoiceFile(2000);
    {
        FileSizeLimit limit(20000);  // room for the .tmp, not for the 32044-byte WAV file
        EXPECT_FALSE(store::ConvertToWav(voice, 0));
    }
    expectNothingLeftBehind();
    EXPECT_EQ(ReadFileBytes(voice), content);
    {
        FileSizeLimit limit(1000);  // not even the .tmp fits
        EXPECT_FALSE(store::ConvertToWav(voice, 0));
    }
    expectNothingLeftBehind();
}

// -------------------------------------------------------- CheckWavFormat

class CheckWavFormat : public ::testing::Test {
protected:
    fs::path write(const WavFormat& format, std::size_t dataBytes = 0) {
        const auto h = MakeWavHeader(static_cast<std::uint32_t>(dataBytes), format);
        WriteBytes(file, std::string(h.begin(), h.end()) + std::string(dataBytes, '\0'));
        return file;
    }

    TempFolder dir{"checkwav"};
    fs::path file = dir / "in.wav";
};

TEST_F(CheckWavFormat, AcceptsOnlyPcmMono8kHz16Bit) {
    WavWriter w;
    ASSERT_EQ(w.Begin(file), 0);
    ASSERT_EQ(w.Finish(Samples(800, 100)), 0);
    EXPECT_TRUE(store::CheckWavFormat(file));

    const auto with = [](auto change) {
        WavFormat f;
        change(f);
        return f;
    };
    EXPECT_FALSE(store::CheckWavFormat(write(with([](WavFormat& f) { f.channels = 2; }))));
    EXPECT_FALSE(store::CheckWavFormat(write(with([](WavFormat& f) { f.samplesPerSecond = 16000; }))));
    EXPECT_FALSE(store::CheckWavFormat(write(with([](WavFormat& f) { f.bitsPerSample = 8; }))));
    EXPECT_FALSE(store::CheckWavFormat(write(with([](WavFormat& f) { f.formatTag = 3; }))));
    EXPECT_FALSE(store::CheckWavFormat(dir / "missing.wav"));
    WriteBytes(file, "RIFF");
    EXPECT_FALSE(store::CheckWavFormat(file));
}

TEST_F(CheckWavFormat, LooksOnlyAtTheFixedOffsets) {
    // A LIST chunk before "fmt ": the probe finds the format, the fixed test does not.
    const auto h = MakeWavHeader(0);
    std::string bytes(h.begin(), h.begin() + 12);
    bytes += std::string("LIST\x04\0\0\0abcd", 12);
    bytes += std::string(h.begin() + 12, h.end());
    WriteBytes(file, bytes);
    ASSERT_TRUE(ReadWavFormat(file).has_value());
    EXPECT_TRUE(ReadWavFormat(file)->IsCodecFormat());
    EXPECT_FALSE(store::CheckWavFormat(file));
}

TEST_F(CheckWavFormat, AtMost9830400Bytes) {
    write(WavFormat{}, 9'830'400 - 44);
    EXPECT_TRUE(store::CheckWavFormat(file));
    write(WavFormat{}, 9'830'400 - 43);
    EXPECT_FALSE(store::CheckWavFormat(file));
}

}  // namespace
