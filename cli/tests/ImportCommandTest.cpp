// plova-cli import: any audio FFmpeg decodes becomes a system response message
// whose speech, decoded back by the program's own decoder, is the source's.
#include <gtest/gtest.h>


#include <algorithm>
#include <chrono>

#include "audio/testing/AudioFiles.h"
#include "audio/testing/SpeechSignal.h"
#include "cli/Command.h"
#include "cli/testing/CliRun.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/OwnScratchFolder.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TestPorts.h"
#include "store/BoxFolderLock.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

class ImportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(box.Path() / "rusuroku");
        fs::create_directories(box.Path() / "naisen");
        WriteWav8k(speech8k, original);
    }
    [[nodiscard]] bool scratchHoldsImportFiles() const { return !testkit::NamesBesideTheLog(scratch.Path()).empty(); }

    CliOutcome import(const fs::path& audio, const std::string& number, cli::Args more = {}) {
        cli::Args args{"import", audio.string(), "--number", number, "--folder", box.Path().string()};
        args.insert(args.end(), more.begin(), more.end());
        return RunCliCaptured(args);
    }

    fs::path converted(const std::string& name, const std::string& options) {
        const fs::path p = src.Path() / name;
        EXPECT_TRUE(FfmpegConvert(PLOVA_FFMPEG, speech8k, options, p));
        return p;
    }

    TestPorts ports;
    OwnScratchFolder scratch;  // the intermediate files go to a scratch folder of this test's own
    TempFolder box{"cli-import-box"};
    TempFolder src{"cli-import-src"};
    fs::path outou = box.Path() / "outou";
    const std::vector<std::int16_t> original = SynthesizeSpeech(400);  // 4 s
    fs::path speech8k = src.Path() / "speech.wav";
};

TEST_F(ImportCommand, AnyAudioImportsAndDecodesBackToTheSourcesSpeech) {
    if (!HaveFfmpegProgram(PLOVA_FFMPEG)) GTEST_SKIP() << kNoFfmpegProgram;  // it makes the other forms
    struct Case {
        std::string name;
        std::string options;
        std::string copyExtension;
    };
    const Case cases[] = {
        {"stereo44k.wav", "-ar 44100 -ac 2", ".WAV"},
        {"speech.wma", "-ar 44100 -ac 2 -c:a wmav2 -b:a 128k", ".WMA"},
        {"speech.mp3", "-ar 44100 -ac 2 -c:a libmp3lame -b:a 128k", ".WAV"},
        {"speech.ogg", "-ar 48000 -c:a libvorbis", ".WAV"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(outou);
        const CliOutcome r = import(converted(c.name, c.options), "5", {"--level", "0"});
        ASSERT_EQ(r.code, cli::kOk) << r.err;
        const fs::path voice = r.out.substr(0, r.out.size() - 1);
        ASSERT_EQ(r.out.back(), '\n');
        EXPECT_EQ(voice.parent_path(), outou);
        EXPECT_TRUE(CFileMng::IsValidMessageFile(voice));
        EXPECT_EQ(CFileMng::ResponseNumberFromName(voice.filename().u16string()), 5);
        const fs::path copy = fs::path(voice).replace_extension(c.copyExtension);
        ASSERT_TRUE(fs::exists(copy));
        if (c.copyExtension == ".WAV") {
            const auto format = ReadWavFormat(copy);
            EXPECT_TRUE(format && (c.name.ends_with(".wav") || format->IsCodecFormat()));
        }
        EXPECT_EQ(SortedNames(outou).size(), 2u);

        // Decoded with the program's own decoder, the message is the source's speech.
        ASSERT_TRUE(store::ConvertToWav(voice, 0));
        const auto back = ReadWavSamples(fs::path(voice).replace_extension(".wav"));
        EXPECT_NEAR(static_cast<double>(back.size()), static_cast<double>(original.size()), 8000 * 0.15);
        EXPECT_GE(AlignedCorrelation(original, back, 2000), 0.75);
    }
    EXPECT_FALSE(scratchHoldsImportFiles());
}

TEST_F(ImportCommand, AFailedImportLeavesTheOlderMessageAndNoTemporaryFile) {
    ASSERT_EQ(import(speech8k, "9").code, cli::kOk);
    const std::vector<std::string> before = SortedNames(outou);
    const std::string oldVoice = before[1];
    const std::string oldBytes = ReadFileBytes(outou / oldVoice);

    const fs::path notAudio = src.Path() / "notes.mp3";
    WriteBytes(notAudio, std::string(5000, 'x'));
    const fs::path tooLong = src.Path() / "long.wav";
    WriteWav8k(tooLong, std::vector<std::int16_t>(std::size_t{602} * 8000, 0));
    struct Case {
        fs::path audio;
        std::string why;
    };
    const Case cases[] = {
        {notAudio, "not audio"},
        {tooLong, "too long"},
        {src.Path() / "missing.wav", "cannot read"},
    };
    for (const Case& c : cases) {
        const CliOutcome r = import(c.audio, "9");
        EXPECT_EQ(r.code, cli::kFailed);
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line";
        EXPECT_EQ(SortedNames(outou), before);
        EXPECT_EQ(ReadFileBytes(outou / oldVoice), oldBytes);
    }
    EXPECT_FALSE(scratchHoldsImportFiles());

    // A later import of another number leaves number 9 alone; one of number 9 replaces it.
    ports.clock.AdvanceMinutes(1);
    ASSERT_EQ(import(speech8k, "10").code, cli::kOk);
    EXPECT_TRUE(fs::exists(outou / oldVoice));
    ports.clock.AdvanceMinutes(1);
    const CliOutcome r = import(speech8k, "9");
    ASSERT_EQ(r.code, cli::kOk);
    EXPECT_FALSE(fs::exists(outou / oldVoice));
    EXPECT_FALSE(fs::exists(outou / before[0])) << "its WAV file goes with it, whatever the case of its extension";
    EXPECT_EQ(SortedNames(outou).size(), 4u);
}

TEST_F(ImportCommand, Usage) {
    for (const cli::Args& args : std::vector<cli::Args>{
             {"import", speech8k.string(), "--number", "0", "--folder", box.Path().string()},
             {"import", speech8k.string(), "--number", "301", "--folder", box.Path().string()},
             {"import", speech8k.string(), "--folder", box.Path().string()},
             {"import", speech8k.string(), "--number", "5", "--folder", box.Path().string(), "--level", "200"},
             {"import", speech8k.string(), "--number", "5", "--folder", box.Path().string(), "--fast"},
         })
        EXPECT_EQ(RunCliCaptured(args).code, cli::kUsage) << args[3];
    {
        // Another run holding the box folder: refused, and nothing is made.
        const BoxFolderLock other(box.Path(), false);
        ASSERT_TRUE(other.Lock().Held());
        const CliOutcome r = import(speech8k, "5");
        EXPECT_EQ(r.code, cli::kBusy);
        EXPECT_NE(r.err.find("another run is working on"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(outou));
    }
    fs::remove_all(box.Path() / "naisen");
    EXPECT_EQ(import(speech8k, "5").code, cli::kUsage);
    EXPECT_FALSE(fs::exists(outou)) << "a folder that is not a box folder gains nothing";
}

// A folder name with a line feed in it is printed as \x0a: one file, one
// line. What killed imports left (staged files in "outou", intermediate
// files in the scratch folder) goes when they are an hour old; what a
// running import writes now stays.
TEST_F(ImportCommand, OneLinePerFileAndWhatKilledImportsLeftIsSwept) {
    // Windows names hold no line feed: there the sweep alone is looked at.
    const fs::path folder = box.Path() / (kNamesHoldControlCharacters ? "two\nlines" : "two lines");
    fs::create_directories(folder / "rusuroku" / "0001");
    fs::create_directories(folder / "naisen");
    fs::create_directories(folder / "outou");
    const auto hoursAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    const std::vector<fs::path> stale = {folder / "outou" / ".plova-tmp-a-202612071505_MON_A005_0000.WAV",
                                         folder / "rusuroku" / "0001" / ".plova-tmp-b",
                                         scratch.Path() / ".plova-tmp-c.wav"};
    for (const fs::path& p : stale) {
        WriteBytes(p, "left by a killed run");
        fs::last_write_time(p, hoursAgo);
    }
    const fs::path running = folder / "outou" / ".plova-tmp-d-202612071505_MON_A006_0000.WAV";
    WriteBytes(running, "being written");

    cli::Args args{"import", speech8k.string(), "--number", "5", "--folder", folder.string()};
    const CliOutcome r = RunCliCaptured(args);
    ASSERT_EQ(r.code, cli::kOk) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    if (kNamesHoldControlCharacters) {
        EXPECT_NE(r.out.find("two\\x0alines"), std::string::npos) << r.out;
    }
    for (const fs::path& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
    EXPECT_TRUE(fs::exists(running));
}

}  // namespace
