// New system response messages from the user's audio: the name, the wrapping
// into a voice-data file, the Add button's checks and messages, and what a
// failure, a cancel or an overwrite leaves in the folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "audio/VoiceEncoder.h"
#include "audio/testing/AudioFiles.h"
#include "audio/testing/SpeechSignal.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/File.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/OwnScratchFolder.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TestPorts.h"
#include "store/AudioImport.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/ResponseMessage.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

constexpr LocalTime kMonday1505{2026, 12, 7, 1, 15, 5, 0, 0};

class RecordingWindow final : public AddMessageWindow {
public:
    void Open(std::uintmax_t size) override { calls.push_back("open " + std::to_string(size)); }
    void Converting() override {
        calls.push_back("converting");
        if (onConverting) onConverting();
    }
    void Close() override { calls.push_back("close"); }
    std::vector<std::string> calls;
    std::function<void()> onConverting;
};

class ResponseMessage : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(outou);
        ports.clock.Set(kMonday1505);
        WriteWav8k(speech8k, SynthesizeSpeech(300));  // 3 s
    }

    AddResult add(const fs::path& source, const fs::path& oldPath = {}) {
        AddMessageRequest request;
        request.boxFolder = box.Path();
        request.number = number;
        request.source = source;
        request.oldPath = oldPath;
        request.intermediate = intermediate;
        return AddResponseMessage(request, window, &created);
    }

    fs::path converted(const std::string& name, const std::string& options) {
        const fs::path p = src.Path() / name;
        EXPECT_TRUE(FfmpegConvert(PLOVA_FFMPEG, speech8k, options, p));
        return p;
    }

    [[nodiscard]] std::u16string lastText() const {
        return ports.prompt.shown.empty() ? u"" : ports.prompt.shown.back().text;
    }

    TestPorts ports;
    TempFolder box{"response-box"};
    TempFolder src{"response-src"};
    fs::path outou = box.Path() / "outou";
    fs::path speech8k = src.Path() / "speech.wav";
    fs::path intermediate = src.Path() / "wave_tmp.wav";
    int number = 5;
    RecordingWindow window;
    fs::path created;
};

TEST_F(ResponseMessage, NamesComeFromTheTimeWeekdayNumberAndExtension) {
    struct Case {
        LocalTime time;
        int number;
        std::u16string extension;
        std::u16string name;
    };
    const Case cases[] = {
        {kMonday1505, 5, u".WAV", u"202612071505_MON_A005_0000.WAV"},
        {kMonday1505, 5, u".wma", u"202612071505_MON_A005_0000.WMA"},
        {LocalTime{2027, 1, 3, 0, 0, 9, 0, 0}, 300, u".wav", u"202701030009_SUN_A300_0000.WAV"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NewResponseMessageName(c.time, c.number, c.extension), c.name);
        EXPECT_EQ(VoiceDataPathOf(fs::path(c.name)).filename().u16string(),
                  c.name.substr(0, c.name.size() - 3) + u"vmdat");
    }
}

TEST_F(ResponseMessage, TheOverwriteQuestionNamesTheNumber) {
    ports.prompt.Queue(Answer::No);
    EXPECT_FALSE(ConfirmOverwrite(7));
    EXPECT_TRUE(ConfirmOverwrite(42));
    ASSERT_EQ(ports.prompt.shown.size(), 2u);
    EXPECT_EQ(ports.prompt.shown[1].text, u"メッセージ042は既に存在します。\n上書きしますか？");
    EXPECT_EQ(ports.prompt.shown[1].caption, u"取り込みの確認");
    EXPECT_EQ(ports.prompt.shown[1].buttons, Buttons::YesNo);
    EXPECT_EQ(ports.prompt.shown[1].icon, Icon::Exclamation);
}

TEST_F(ResponseMessage, WrappingKeepsWholeTenthsAndWritesRecordAndBlock) {
    const fs::path file = outou / "202612071505_MON_A007_0000.vmdat";
    const std::string coded = Speech(12'345);
    WriteBytes(file, coded);
    ASSERT_EQ(WrapResponseMessage(file, 7, kMonday1505), store::RecordWrite::Written);

    const std::string bytes = ReadFileBytes(file);
    ASSERT_EQ(bytes.size(), 990u + 256u + 12'300u);
    EXPECT_EQ(bytes.substr(1246), coded.substr(0, 12'300));
    const FILESTS_INFO record = FILESTS_INFO::FromBytes(bytes.substr(0, 990));
    EXPECT_EQ(record.boxNumber, u"007");
    EXPECT_EQ(record.recordingTime, u"00:00:12");
    EXPECT_EQ(record.downloadState, 0);
    const RecordingBlock block = ParseBlock(bytes.substr(990, 256));
    EXPECT_TRUE(block.hasMagic);
    EXPECT_EQ(block.recordingTenths, 123u);
    EXPECT_EQ(block.boxNumber, 7);
    EXPECT_EQ(block.boxDigits, "007");
    EXPECT_EQ(bytes.substr(990 + 32, 32), MakeBlockDate(kMonday1505));

    // The store takes it for message 7.
    std::vector<FILESTS_INFO> records;
    ASSERT_TRUE(CFileMng::LoadFolderRecords(outou, records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Path(), file);
}

// The window keeps the format checks: an 8 kHz 16-bit mono WAV or a WMA of at
// most 600 s; anything else is refused before a copy is made.
TEST_F(ResponseMessage, TheWindowsFormatChecks) {
    if (!HaveFfmpegProgram(PLOVA_FFMPEG)) GTEST_SKIP() << kNoFfmpegProgram;
    struct Case {
        fs::path source;
        AddResult result;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {speech8k, AddResult::Added, {"202612071505_MON_A005_0000.WAV", "202612071505_MON_A005_0000.vmdat"}},
        {converted("stereo44k.wav", "-ar 44100 -ac 2"), AddResult::RefusedFormat, {}},
        {converted("stereo44k.wma", "-ar 44100 -ac 2 -c:a wmav2"),
         AddResult::Added,
         {"202612071505_MON_A005_0000.WMA", "202612071505_MON_A005_0000.vmdat"}},
        {converted("speech.mp3", "-c:a libmp3lame"), AddResult::RefusedFormat, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.filename().string());
        fs::remove_all(outou);
        fs::create_directories(outou);
        ports.prompt.shown.clear();
        EXPECT_EQ(add(c.source), c.result);
        EXPECT_EQ(SortedNames(outou), c.files);
        ASSERT_EQ(ports.prompt.shown.size(), 1u);
        if (c.result == AddResult::Added) {
            EXPECT_EQ(ports.prompt.shown[0].caption, u"取り込み完了");
            EXPECT_EQ(ports.prompt.shown[0].text, u"音声ファイルの読み込みが完了しました。");
            EXPECT_EQ(ports.prompt.shown[0].icon, Icon::Information);
            EXPECT_EQ(ReadFileBytes(outou / c.files[0]), ReadFileBytes(c.source)) << "the copy is the source as it was";
            EXPECT_TRUE(CFileMng::IsValidMessageFile(outou / c.files[1]));
        } else {
            EXPECT_EQ(ports.prompt.shown[0].text, u"このフォーマットには対応していません。");
            EXPECT_EQ(ports.prompt.shown[0].caption, u"エラー");
        }
    }
    EXPECT_FALSE(fs::exists(intermediate));
}

TEST_F(ResponseMessage, AnOlderNumberGoesOnlyOnceTheNewMessageIsComplete) {
    number = 7;
    const fs::path oldVoice = outou / "202601010000_THU_A007_0000.vmdat";
    const fs::path oldWav = outou / "202601010000_THU_A007_0000.wav";
    FILESTS_INFO oldRecord = SampleRecord();
    oldRecord.boxNumber = u"007";
    WriteMessage(oldVoice, oldRecord, ResponseBlock(7), 3000);
    WriteBytes(oldWav, "old wav");
    const fs::path oldCopy = outou / "202601010000_THU_A007_0000.WAV";  // its audio copy
    WriteBytes(oldCopy, "old copy");
    // On Windows the two names are one file, which keeps its first name.
    const bool caseApart = !fs::equivalent(oldWav, oldCopy);
    WriteBytes(outou / "202601010000_THU_A007_0000.wma", "an older copy of the other kind");
    const std::string oldBytes = ReadFileBytes(oldVoice);

    // 610 s of 8 kHz mono passes the size check of the window but not the
    // encoder's 601 s: the copy is made, then removed again.
    const fs::path tooLong = src.Path() / "long.wav";
    WriteWav8k(tooLong, std::vector<std::int16_t>(std::size_t{610} * 8000, 100));
    ASSERT_TRUE(store::CheckWavFormat(tooLong));
    EXPECT_EQ(add(tooLong, oldVoice), AddResult::ImportFailed);
    EXPECT_EQ(lastText(), u"このフォーマットには対応していません。");
    std::vector<std::string> oldNames = {oldVoice.filename().string(), oldWav.filename().string(),
                                         "202601010000_THU_A007_0000.wma"};
    if (caseApart) oldNames.insert(oldNames.begin(), oldCopy.filename().string());
    EXPECT_EQ(SortedNames(outou), oldNames);
    EXPECT_EQ(ReadFileBytes(oldVoice), oldBytes);
    EXPECT_FALSE(fs::exists(intermediate));

    // Then a good one replaces it, with the doubled separator of an old path collapsed.
    // While it is made, its files bear temporary names: a kill there leaves
    // nothing the start-up sweep would not remove.
    const std::vector<std::string> olderFiles = SortedNames(outou);
    int staged = 0;
    window.onConverting = [&] {
        for (const std::string& name : SortedNames(outou)) {
            if (std::find(olderFiles.begin(), olderFiles.end(), name) != olderFiles.end()) continue;
            EXPECT_TRUE(name.starts_with(kTempFilePrefix)) << name;
            ++staged;
        }
    };
    ASSERT_EQ(add(speech8k, box.Path().string() + "//outou//" + oldVoice.filename().string()), AddResult::Added);
    EXPECT_EQ(SortedNames(outou),
              (std::vector<std::string>{"202612071505_MON_A007_0000.WAV", "202612071505_MON_A007_0000.vmdat"}));
    EXPECT_EQ(created, outou / "202612071505_MON_A007_0000.vmdat");
    EXPECT_GT(staged, 0);
    window.onConverting = nullptr;

    // The same number again in the same minute: the new files would take the
    // old ones' names, and a failure must not have touched them first.
    const std::string current = ReadFileBytes(created);
    const std::string currentCopy = ReadFileBytes(outou / "202612071505_MON_A007_0000.WAV");
    EXPECT_EQ(add(tooLong, created), AddResult::ImportFailed);
    EXPECT_EQ(ReadFileBytes(created), current);
    EXPECT_EQ(ReadFileBytes(outou / "202612071505_MON_A007_0000.WAV"), currentCopy);
    EXPECT_EQ(SortedNames(outou),
              (std::vector<std::string>{"202612071505_MON_A007_0000.WAV", "202612071505_MON_A007_0000.vmdat"}));

    // ... and a WMA file in that minute takes them over: the ".WAV" copy of the
    // message it replaces would otherwise be played as the new message.
    if (!HaveFfmpegProgram(PLOVA_FFMPEG)) return;  // no WMA file to offer
    ASSERT_EQ(add(converted("again.wma", "-c:a wmav2"), created), AddResult::Added);
    EXPECT_EQ(SortedNames(outou),
              (std::vector<std::string>{"202612071505_MON_A007_0000.WMA", "202612071505_MON_A007_0000.vmdat"}));
}

TEST_F(ResponseMessage, CancelDuringEncodingLeavesNothingAndSaysNothing) {
    const fs::path longer = src.Path() / "minute.wav";
    WriteWav8k(longer, SynthesizeSpeech(6000));  // 60 s
    ports.pump.At(110, [&] { ports.cancel.Set(); });
    EXPECT_EQ(add(longer), AddResult::Cancelled);
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_TRUE(SortedNames(outou).empty());
    EXPECT_EQ(window.calls.back(), "close");
    EXPECT_EQ(EncodeStatus(), encoder::kIdle);
    EXPECT_FALSE(fs::exists(intermediate));
}

TEST_F(ResponseMessage, RefusalsBeforeAnyCopy) {
    ports.disk.Set(4095);
    EXPECT_EQ(add(speech8k), AddResult::NoSpace);
    EXPECT_EQ(lastText(), u"ＰＣのメモリ不足です。");
    ports.disk.Set(std::uint64_t{1} << 40);
    ports.prompt.shown.clear();
    EXPECT_EQ(add(src.Path() / "missing.wav"), AddResult::NotOpened);
    EXPECT_TRUE(ports.prompt.shown.empty()) << "a file that cannot be opened is passed over in silence";
    EXPECT_TRUE(SortedNames(outou).empty());
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(ResponseMessage, TheExtensionPicksTheLevel) {
    const auto encoded = [&](std::u16string_view extension, store::ImportLevels levels) {
        const fs::path copy = outou / "copy.WAV";
        // Removed first: MinGW's copy_file takes any two files for one when asked to overwrite.
        fs::remove(copy);
        fs::copy_file(speech8k, copy);
        EXPECT_TRUE(store::ImportAudio(copy, extension, levels, intermediate));
        return ReadFileBytes(VoiceDataPathOf(copy));
    };
    const std::string plain = encoded(u".wav", {0, 0});
    EXPECT_NE(encoded(u".WAV", {250, 0}), plain);  // -6 dB in the low byte
    EXPECT_EQ(encoded(u".WAV", {0, 250}), plain);
    EXPECT_EQ(encoded(u".WMA", {250, 0}), plain);
    EXPECT_EQ(encoded(u".wma", {0, 250}), encoded(u".wav", {250, 0}));

    const fs::path copy = outou / "copy.mp3";
    fs::copy_file(speech8k, copy);
    EXPECT_FALSE(store::ImportAudio(copy, u".mp3", {}, intermediate));
}

TEST_F(ResponseMessage, TheLengthCheckPassesBelow600Point1Seconds) {
    struct Case {
        std::int64_t millis;
        bool accepted;
    };
    for (const Case& c : {Case{600'099, true}, Case{600'100, false}, Case{0, true}, Case{601'000, false}})
        EXPECT_EQ(store::IsAudioLengthAccepted(c.millis), c.accepted) << c.millis;
    if (HaveFfmpegProgram(PLOVA_FFMPEG)) {
        EXPECT_TRUE(store::CheckAudioLength(converted("speech.wma", "-c:a wmav2")));
    }
    const fs::path text = src.Path() / "text.wma";
    WriteBytes(text, std::string(3000, 'x'));
    EXPECT_FALSE(store::CheckAudioLength(text));
}

}  // namespace

// Whatever someone left in the folders an import writes to, under names it
// once used (a link to a file of the user's, a hard link, a pipe), is never
// written through, truncated or waited on: every name the import makes is its
// own, unguessable and made exclusively.
TEST_F(ResponseMessage, NothingPlantedInTheFoldersItWritesIsWrittenThrough) {
    const OwnScratchFolder own;
    const fs::path scratch = own.Path();
    ASSERT_FALSE(scratch.empty());
    const fs::path precious = src.Path() / "precious.txt";
    WriteBytes(precious, "the user's own words");
    const std::string pid = std::to_string(CurrentProcessId());
    const std::string name = "202612071505_MON_A005_0000.WAV";
    // Links and pipes where the system makes them; a file of someone else's at
    // the fixed name everywhere else.
    (void)MakeSymlink(precious, outou / (std::string(kTempFilePrefix) + "import-" + pid + "-" + name));
    fs::create_hard_link(precious, scratch / ("wave_tmp-" + pid + ".wav"));
    if (!MakeFifo(scratch / "wave_tmp.wav")) WriteBytes(scratch / "wave_tmp.wav", "someone else's");

    for (const bool fromWindow : {true, false}) {
        if (!fromWindow && !HaveFfmpegProgram(PLOVA_FFMPEG)) break;  // no FLAC file to offer
        SCOPED_TRACE(fromWindow ? "window" : "any audio");
        AddMessageRequest request;
        request.boxFolder = box.Path();
        request.number = number;
        request.source = fromWindow ? speech8k : converted("speech.flac", "");
        request.anyAudio = !fromWindow;
        ASSERT_EQ(AddResponseMessage(request, window, &created), AddResult::Added);
        const fs::path copy = fs::path(created).replace_extension(".WAV");
        EXPECT_EQ(fs::symlink_status(copy).type(), fs::file_type::regular);
        EXPECT_TRUE(CFileMng::IsValidMessageFile(created));
        EXPECT_EQ(ReadFileBytes(precious), "the user's own words");
        ports.clock.AdvanceMinutes(1);
    }
    // Only what was planted is left beside the program's own scratch files.
    EXPECT_EQ(testkit::NamesBesideTheLog(scratch),
              (std::vector<std::string>{"wave_tmp-" + pid + ".wav", "wave_tmp.wav"}));
}
