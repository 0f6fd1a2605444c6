// The Convert and Play commands on real message files, with the decoder and
// the message store, and the test ports for messages, free space and the player.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "lists/ConvertAndPlay.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "store/CFileMng.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using namespace convert;

// The windows as the commands see them, with the conversion window made
// findable by its caption while it is open.
class RecordingHost final : public ConversionHost {
public:
    explicit RecordingHost(testkit::RecordingProgress& progress) : progress_(progress) {}
    void EnableMainWindow(bool enabled) override { enabled_ = enabled; }
    void ActivateMainWindow() override { ++activations; }
    void OpenConvertDialog(int total) override {
        opened.push_back(total);
        progress_.open(std::u16string(kDialogCaption));
        open = true;
    }
    void CloseConvertDialog() override {
        progress_.close(std::u16string(kDialogCaption));
        open = false;
    }
    bool BackupBreaksIn() override { return ++breakChecks == breakAt; }
    void QueueWavForDeletion(const fs::path& wav) override { queued.push_back(wav); }

    bool mainWindowEnabled() const { return enabled_; }
    std::vector<int> opened;
    std::vector<fs::path> queued;
    bool open = false;
    int activations = 0;
    int breakChecks = 0;
    int breakAt = 0;  // the check at which a backup is accepted; 0: never

private:
    testkit::RecordingProgress& progress_;
    bool enabled_ = true;
};

fs::path wavOf(fs::path p) {
    return p.replace_extension(".wav");
}

FILESTS_INFO rowOf(const fs::path& file) {
    FILESTS_INFO r;
    EXPECT_TRUE(CFileMng().ReadStatusRecord(file, r)) << file;
    r.filePath = file.u16string();
    return r;
}

// A message file of `speechBytes` of voice data.
fs::path addMessage(testkit::BoxFolderBuilder& box, const std::string& stamp, std::size_t speechBytes) {
    const fs::path p = box.add("rusuroku", "0001", stamp);
    FILESTS_INFO r;
    CFileMng().ReadStatusRecord(p, r);
    testkit::writeMessage(p, r, testkit::sampleBlock(), speechBytes);
    return p;
}

// Everything in the folder that is neither a message nor a WAV file: left-overs.
std::vector<std::string> strayFiles(const fs::path& folder) {
    std::vector<std::string> stray;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string ext = e.path().extension().string();
        if (ext != ".vmdat" && ext != ".vminf" && ext != ".wav" && ext != ".WAV" && e.path().filename() != "inf.ini")
            stray.push_back(e.path().filename().string());
    }
    return stray;
}

struct Shown {
    std::u16string text;
    std::u16string caption;
    bool operator==(const Shown&) const = default;
};

std::vector<Shown> shownOf(const testkit::RecordingPrompt& p) {
    std::vector<Shown> out;
    for (const auto& s : p.shown) out.push_back({s.text, s.caption});
    return out;
}

class ConvertAndPlayTest : public ::testing::Test {
public:
    testkit::TestPorts ports;
    testkit::TempFolder dir{"convert-play"};
    testkit::BoxFolderBuilder box{dir.path(), "office"};
    RecordingHost host{ports.progress};
    fs::path boxFolder() const { return box.folder() / "rusuroku" / "0001"; }
};

// ------------------------------------------------------------------ Convert

struct ConvertCase {
    const char* name;
    // Makes the rows; the files that are to have a WAV file afterwards go into `made`.
    std::function<std::vector<FILESTS_INFO>(ConvertAndPlayTest&, std::vector<fs::path>& made,
                                            std::vector<fs::path>& notMade)>
        rows;
    std::uint64_t freeBytes;
    std::vector<Shown> expected;
    int converted;
};

TEST_F(ConvertAndPlayTest, ConvertMakesTheWavFilesItCanAndReportsTheRest) {
    const std::u16string err(kErrorCaption), done(kDoneCaption);
    const std::uint64_t plenty = std::uint64_t{1} << 40;
    const std::vector<ConvertCase> cases = {
        {"one of three holds only recording information",
         [](ConvertAndPlayTest& t, auto& made, auto& notMade) {
             const fs::path a = t.box.add("rusuroku", "0001", "202612010900");
             const fs::path info = t.box.add("rusuroku", "0001", "202612020900", "vminf", kPlayedOnMainUnit);
             const fs::path c = t.box.add("rusuroku", "0001", "202612030900");
             made = {a, c};
             notMade = {info};
             return std::vector{rowOf(a), rowOf(info), rowOf(c)};
         },
         plenty,
         {{std::u16string(kSomeNoSource), done}},
         2},
        {"a single message downloaded without its voice data",
         [](ConvertAndPlayTest& t, auto&, auto& notMade) {
             const fs::path info = t.box.add("rusuroku", "0001", "202612020900", "vminf", kInfoOnly);
             notMade = {info};
             return std::vector{rowOf(info)};
         },
         plenty,
         {{std::u16string(kNotDownloaded), err}},
         0},
        {"a single message whose voice file has gone",
         [](ConvertAndPlayTest& t, auto&, auto& notMade) {
             const fs::path a = t.box.add("rusuroku", "0001", "202612010900");
             FILESTS_INFO row = rowOf(a);
             fs::remove(a);
             notMade = {a};
             return std::vector{row};
         },
         plenty,
         {{std::u16string(kErased), err}},
         0},
        {"three messages with no space even for the first",
         [](ConvertAndPlayTest& t, auto&, auto& notMade) {
             notMade = {t.box.add("rusuroku", "0001", "202612010900"), t.box.add("rusuroku", "0001", "202612020900"),
                        t.box.add("rusuroku", "0001", "202612030900")};
             return std::vector{rowOf(notMade[0]), rowOf(notMade[1]), rowOf(notMade[2])};
         },
         4095,
         {{std::u16string(kNoSpace), err}},
         0},
        {"a single message on a drive with less than 16 times its size free",
         [](ConvertAndPlayTest& t, auto&, auto& notMade) {
             // 1346 bytes need (1346 / 256 + 1) * 4096 = 24576 bytes free.
             notMade = {t.box.add("rusuroku", "0001", "202612010900")};
             return std::vector{rowOf(notMade[0])};
         },
         24575,
         {{std::u16string(kNoSpace), err}},
         0},
        {"the second of three does not fit: the loop ends there",
         [](ConvertAndPlayTest& t, auto& made, auto& notMade) {
             const fs::path a = addMessage(t.box, "202612010900", 100);
             const fs::path big = addMessage(t.box, "202612020900", 20000);
             const fs::path c = addMessage(t.box, "202612030900", 100);
             made = {a};
             notMade = {big, c};
             return std::vector{rowOf(a), rowOf(big), rowOf(c)};
         },
         100000,
         {{std::u16string(kSomeNoSpace), done}},
         1},
        {"a voice file that does not decode, beside one that does",
         [](ConvertAndPlayTest& t, auto& made, auto& notMade) {
             const fs::path a = t.box.add("rusuroku", "0001", "202612010900");
             const fs::path bad = t.box.add("rusuroku", "0001", "202612020900");
             testkit::writeBytes(bad, testkit::bytesOf(rowOf(bad).toBytes()) + std::string(1500, 'x'));
             made = {a};
             notMade = {bad};
             return std::vector{rowOf(a), rowOf(bad)};
         },
         plenty,
         {{std::u16string(kSomeFailed), done}},
         1},
        {"a single voice file that does not decode",
         [](ConvertAndPlayTest& t, auto&, auto& notMade) {
             const fs::path bad = t.box.add("rusuroku", "0001", "202612020900");
             testkit::writeBytes(bad, testkit::bytesOf(rowOf(bad).toBytes()) + std::string(1500, 'x'));
             notMade = {bad};
             return std::vector{rowOf(bad)};
         },
         plenty,
         {{std::u16string(kFailed), err}},
         0},
    };
    for (const ConvertCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(box.folder() / "rusuroku");
        ports.prompt.shown.clear();
        ports.disk.set(c.freeBytes);
        std::vector<fs::path> made, notMade;
        const std::vector<FILESTS_INFO> rows = c.rows(*this, made, notMade);
        const ConvertSummary summary = ConvertSelected(rows, 0, host);
        EXPECT_EQ(summary.converted, c.converted);
        EXPECT_EQ(shownOf(ports.prompt), c.expected);
        for (const fs::path& p : made) EXPECT_TRUE(fs::is_regular_file(wavOf(p))) << p;
        for (const fs::path& p : notMade) EXPECT_FALSE(fs::exists(wavOf(p))) << p;
        EXPECT_TRUE(strayFiles(boxFolder()).empty());
        EXPECT_TRUE(host.mainWindowEnabled());
        EXPECT_FALSE(host.open);
    }
}

TEST_F(ConvertAndPlayTest, AnExistingWavFileIsNotMadeAgainWhateverTheCaseOfItsName) {
    const fs::path a = box.add("rusuroku", "0001", "202612010900");
    const fs::path b = box.add("rusuroku", "0001", "202612020900");
    testkit::writeBytes(wavOf(a), "earlier");
    fs::path upper = b;
    upper.replace_extension(".WAV");
    testkit::writeBytes(upper, "audio copy");

    const ConvertSummary summary = ConvertSelected({rowOf(a), rowOf(b)}, 0, host);
    EXPECT_EQ(summary.converted, 0);
    EXPECT_EQ(testkit::readBytes(wavOf(a)), "earlier");
    EXPECT_FALSE(fs::exists(wavOf(b)));
    EXPECT_EQ(shownOf(ports.prompt), (std::vector<Shown>{{std::u16string(kAllDone), std::u16string(kDoneCaption)}}));
    // Each message moves the counter on, converted or not.
    EXPECT_EQ(ports.progress.of(msg::kNextItem).size(), 2u);
    EXPECT_EQ(host.opened, std::vector<int>{2});
}

TEST_F(ConvertAndPlayTest, CancelInTheMiddleKeepsWhatWasDoneLeavesNoPartAndSaysNothing) {
    const fs::path a = addMessage(box, "202612010900", 4000);
    const fs::path b = addMessage(box, "202612020900", 40000);
    const fs::path c = addMessage(box, "202612030900", 4000);
    // Cancel is pressed while the second message is being converted.
    bool pressed = false;
    ports.pump.every([&] {
        if (!pressed && fs::exists(wavOf(a)) && !strayFiles(boxFolder()).empty()) {
            ports.cancel.set();
            pressed = true;
        }
    });
    const ConvertSummary summary = ConvertSelected({rowOf(a), rowOf(b), rowOf(c)}, 0, host);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(summary.end, ConvertEnd::Cancelled);
    EXPECT_EQ(summary.converted, 1);
    EXPECT_TRUE(fs::is_regular_file(wavOf(a)));
    EXPECT_FALSE(fs::exists(wavOf(b)));
    EXPECT_FALSE(fs::exists(wavOf(c)));
    EXPECT_EQ(strayFiles(boxFolder()), std::vector<std::string>{});
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_FALSE(host.open);
    EXPECT_TRUE(host.mainWindowEnabled());
}

TEST_F(ConvertAndPlayTest, ABackupAcceptedBetweenMessagesEndsTheCommandAtOnce) {
    const fs::path a = box.add("rusuroku", "0001", "202612010900");
    const fs::path b = box.add("rusuroku", "0001", "202612020900");
    host.breakAt = 1;
    const ConvertSummary summary = ConvertSelected({rowOf(a), rowOf(b)}, 0, host);
    EXPECT_EQ(summary.end, ConvertEnd::ForBackup);
    EXPECT_TRUE(fs::exists(wavOf(a)));
    EXPECT_FALSE(fs::exists(wavOf(b)));
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_FALSE(host.open);
    EXPECT_TRUE(host.mainWindowEnabled());
}

// --------------------------------------------------------------------- Play

TEST_F(ConvertAndPlayTest, PlayOpensTheWavFileAndMarksTheMessageOnlyWhenThePlayerStarted) {
    struct Case {
        const char* name;
        std::function<FILESTS_INFO(ConvertAndPlayTest&, fs::path& wav)> row;
        PlaySettings settings;
        bool playerStarts;
        int result;
        std::u16string message;  // shown under "エラー"; empty for none
        bool opened;
        int playedMark;  // in the file afterwards; -1: not checked
        bool queued;
        bool converts;
    };
    const std::vector<Case> cases = {
        {"voice data without a WAV file: converted, then played",
         [](ConvertAndPlayTest& t, fs::path& wav) {
             const fs::path p = t.box.add("rusuroku", "0001", "202612010900");
             wav = wavOf(p);
             return rowOf(p);
         },
         {},
         true,
         1,
         u"",
         true,
         1,
         false,
         true},
        {"a WAV file already there: played without converting, queued with CONVDEL",
         [](ConvertAndPlayTest& t, fs::path& wav) {
             const fs::path p = t.box.add("rusuroku", "0001", "202612010900");
             wav = wavOf(p);
             testkit::writeBytes(wav, "made before");
             return rowOf(p);
         },
         {false, 0, true},
         true,
         1,
         u"",
         true,
         1,
         true,
         false},
        {"the response list plays the upper-case audio copy and changes no record",
         [](ConvertAndPlayTest& t, fs::path& wav) {
             fs::create_directories(t.box.folder() / "outou");
             const FILESTS_INFO r = testkit::writeResponseMessage(t.box.folder() / "outou", 5);
             wav = r.path();
             wav.replace_extension(".WAV");
             testkit::writeBytes(wav, "audio copy");
             return r;
         },
         {true, 0, false},
         true,
         1,
         u"",
         true,
         0,
         false,
         false},
        {"no program for WAV files: said so, no mark, nothing queued",
         [](ConvertAndPlayTest& t, fs::path& wav) {
             const fs::path p = t.box.add("rusuroku", "0001", "202612010900");
             wav = wavOf(p);
             return rowOf(p);
         },
         {false, 0, true},
         false,
         0,
         std::u16string(kNoPlayer),
         true,
         0,
         false,
         true},
        {"recording information only",
         [](ConvertAndPlayTest& t, fs::path&) {
             return rowOf(t.box.add("rusuroku", "0001", "202612010900", "vminf", kInfoOnly));
         },
         {},
         true,
         0,
         std::u16string(kNotDownloadedOneLine),
         false,
         -1,
         false,
         false},
        {"the voice file has gone",
         [](ConvertAndPlayTest& t, fs::path&) {
             const fs::path p = t.box.add("rusuroku", "0001", "202612010900");
             FILESTS_INFO r = rowOf(p);
             fs::remove(p);
             return r;
         },
         {},
         true,
         0,
         std::u16string(kErased),
         false,
         -1,
         false,
         false},
        {"a row of the response list without a message",
         [](ConvertAndPlayTest&, fs::path&) { return FILESTS_INFO{}; },
         {true, 0, true},
         true,
         1,
         u"",
         false,
         -1,
         false,
         false},
        {"a voice file that does not decode",
         [](ConvertAndPlayTest& t, fs::path&) {
             const fs::path bad = t.box.add("rusuroku", "0001", "202612020900");
             testkit::writeBytes(bad, testkit::bytesOf(rowOf(bad).toBytes()) + std::string(1500, 'x'));
             return rowOf(bad);
         },
         {},
         true,
         0,
         std::u16string(kFailed),
         false,
         0,
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(box.folder() / "rusuroku");
        fs::remove_all(box.folder() / "outou");
        ports.prompt.shown.clear();
        ports.shell.opened.clear();
        ports.shell.starts = c.playerStarts;
        host.queued.clear();
        host.opened.clear();
        fs::path wav;
        const FILESTS_INFO row = c.row(*this, wav);
        EXPECT_EQ(PlayCurrent(row, c.settings, host), c.result);
        if (c.message.empty()) {
            EXPECT_TRUE(ports.prompt.shown.empty());
        } else {
            EXPECT_EQ(shownOf(ports.prompt), (std::vector<Shown>{{c.message, std::u16string(kErrorCaption)}}));
        }
        EXPECT_EQ(ports.shell.opened, c.opened ? std::vector<fs::path>{wav} : std::vector<fs::path>{});
        if (c.opened) {
            EXPECT_TRUE(fs::is_regular_file(wav));
        }
        if (c.playedMark >= 0) {
            EXPECT_EQ(testkit::playedMarkOf(row.path()), c.playedMark);
        }
        EXPECT_EQ(host.queued, c.queued ? std::vector<fs::path>{wav} : std::vector<fs::path>{});
        EXPECT_EQ(host.opened, c.converts ? std::vector<int>{1} : std::vector<int>{});
        EXPECT_TRUE(host.mainWindowEnabled());
        EXPECT_FALSE(host.open);
    }
}

TEST_F(ConvertAndPlayTest, PlayWithTooLittleSpaceNeitherConvertsNorPlays) {
    const fs::path p = box.add("rusuroku", "0001", "202612010900");
    ports.disk.set(SpaceToConvert(fs::file_size(p)) - 1);
    EXPECT_EQ(PlayCurrent(rowOf(p), {}, host), 0);
    EXPECT_EQ(shownOf(ports.prompt), (std::vector<Shown>{{std::u16string(kNoSpace), std::u16string(kErrorCaption)}}));
    EXPECT_FALSE(fs::exists(wavOf(p)));
    EXPECT_TRUE(ports.shell.opened.empty());
    ports.prompt.shown.clear();
    ports.disk.set(SpaceToConvert(fs::file_size(p)));
    EXPECT_EQ(PlayCurrent(rowOf(p), {}, host), 1);
}

// ------------------------------------------------------------ At exit

TEST_F(ConvertAndPlayTest, ListedFilesAreDeletedAsOftenAsListedAndAFolderInTheirPlaceStays) {
    const fs::path a = dir / "a.wav", b = dir / "b.wav", folder = dir / "c.wav";
    testkit::writeBytes(a, "a");
    testkit::writeBytes(b, "b");
    fs::create_directories(folder);
    std::vector<int> steps;
    DeleteListedWavFiles({a, b, a, folder, dir / "gone.wav"}, [&](int done) { steps.push_back(done); });
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace plova
