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
#include "platform/testing/BlockedRewrite.h"
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
        progress_.Open(std::u16string(kDialogCaption));
        open = true;
    }
    void CloseConvertDialog() override {
        progress_.Close(std::u16string(kDialogCaption));
        open = false;
    }
    bool BackupBreaksIn() override { return ++breakChecks == breakAt; }
    void QueueWavForDeletion(const fs::path& wav) override { queued.push_back(wav); }
    InsidePlay PlayInside(const fs::path& wav, const FILESTS_INFO&) override {
        played.push_back(wav);
        return inside;
    }

    [[nodiscard]] bool MainWindowEnabled() const { return enabled_; }
    std::vector<int> opened;
    std::vector<fs::path> queued;
    std::vector<fs::path> played;  // by the built-in player
    InsidePlay inside = InsidePlay::Started;
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
    EXPECT_TRUE(CFileMng::ReadStatusRecord(file, r)) << file;
    r.filePath = file.u16string();
    return r;
}

// A message file of `speechBytes` of voice data.
fs::path addMessage(testkit::BoxFolderBuilder& box, const std::string& stamp, std::size_t speechBytes) {
    const fs::path p = box.Add("rusuroku", "0001", stamp);
    FILESTS_INFO r;
    CFileMng::ReadStatusRecord(p, r);
    testkit::WriteMessage(p, r, testkit::SampleBlock(), speechBytes);
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
    testkit::BoxFolderBuilder box{dir.Path(), "office"};
    RecordingHost host{ports.progress};
    [[nodiscard]] fs::path BoxFolder() const { return box.Folder() / "rusuroku" / "0001"; }
};

// A row of a test list, by letter: 'v' a message with its voice data, 'V' one
// with 200 times as much, 'i' only its recording information left, '0'
// downloaded without voice data, 'g' its file gone, 'b' voice data that does
// not decode, 'w' a WAV file there already, 'W' an upper-case ".WAV" copy there.
FILESTS_INFO makeRow(ConvertAndPlayTest& t, char kind, int n) {
    const std::string stamp = "20261201090" + std::to_string(n);
    if (kind == 'i') return rowOf(t.box.Add("rusuroku", "0001", stamp, "vminf", kPlayedOnMainUnit));
    if (kind == '0') return rowOf(t.box.Add("rusuroku", "0001", stamp, "vminf", kInfoOnly));
    if (kind == 'R') {
        fs::create_directories(t.box.Folder() / "outou");
        const FILESTS_INFO r = testkit::WriteResponseMessage(t.box.Folder() / "outou", 5);
        fs::path copy = r.Path();
        testkit::WriteBytes(copy.replace_extension(".WAV"), "audio copy");
        return r;
    }
    const fs::path p = addMessage(t.box, stamp, kind == 'V' ? 20000 : 100);
    const FILESTS_INFO row = rowOf(p);
    fs::path copy = p;
    if (kind == 'g') fs::remove(p);
    if (kind == 'b') testkit::WriteBytes(p, testkit::BytesOf(row.ToBytes()) + std::string(1500, 'x'));
    if (kind == 'w') testkit::WriteBytes(wavOf(p), "earlier");
    if (kind == 'W') testkit::WriteBytes(copy.replace_extension(".WAV"), "audio copy");
    return row;
}

TEST_F(ConvertAndPlayTest, ConvertMakesTheWavFilesItCanAndReportsTheRest) {
    const std::u16string err(kErrorCaption), done(kDoneCaption);
    const std::uint64_t plenty = std::uint64_t{1} << 40;
    struct Case {
        const char* rows;
        std::uint64_t freeBytes;
        std::u16string_view message;
        std::u16string caption;
        const char* wavAfter;  // per row: 'y' a ".wav" file, '.' none; 'w' rows keep theirs
    } const cases[] = {
        {"viv", plenty, kSomeNoSource, done, "y.y"},
        {"0", plenty, kNotDownloaded, err, "."},
        {"g", plenty, kErased, err, "."},
        // 1346 bytes need (1346 / 256 + 1) * 4096 = 24576 bytes free.
        {"v", 24575, kNoSpace, err, "."},
        // The second does not fit: the loop ends there.
        {"vVv", 100000, kSomeNoSpace, done, "y.."},
        {"vb", plenty, kSomeFailed, done, "y."},
        {"b", plenty, kFailed, err, "."},
        // Made before, whatever the case of the name: not made again.
        {"wW", plenty, kAllDone, done, "y."},
    };
    // Windows takes ".WAV" and ".wav" for one name: there the 'W' row's copy is the WAV file.
    const fs::path probe = box.Folder() / "case-probe.wav";
    testkit::WriteBytes(probe, "");
    const bool caseBlind = fs::exists(fs::path(probe).replace_extension(".WAV"));
    fs::remove(probe);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        fs::remove_all(box.Folder() / "rusuroku");
        ports.prompt.shown.clear();
        ports.progress.sent.clear();
        ports.disk.Set(c.freeBytes);
        std::vector<FILESTS_INFO> rows;
        for (const char* k = c.rows; *k; ++k) rows.push_back(makeRow(*this, *k, static_cast<int>(k - c.rows)));
        ConvertSelected(rows, 0, host);
        EXPECT_EQ(shownOf(ports.prompt), (std::vector<Shown>{{std::u16string(c.message), c.caption}}));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const fs::path wav = wavOf(rows[i].Path());
            EXPECT_EQ(fs::is_regular_file(wav), c.wavAfter[i] == 'y' || (c.rows[i] == 'W' && caseBlind)) << i;
            if (c.rows[i] == 'w') {
                EXPECT_EQ(testkit::ReadFileBytes(wav), "earlier");
            }
        }
        // Each message moves the counter on, converted or not.
        if (c.message == kAllDone) {
            EXPECT_EQ(ports.progress.Of(msg::kNextItem).size(), rows.size());
        }
        EXPECT_TRUE(strayFiles(BoxFolder()).empty());
        EXPECT_TRUE(host.MainWindowEnabled());
        EXPECT_FALSE(host.open);
    }
}

TEST_F(ConvertAndPlayTest, CancelInTheMiddleKeepsWhatWasDoneLeavesNoPartAndSaysNothing) {
    const fs::path a = addMessage(box, "202612010900", 4000);
    const fs::path b = addMessage(box, "202612020900", 40000);
    const fs::path c = addMessage(box, "202612030900", 4000);
    // Cancel is pressed while the second message is being converted.
    bool pressed = false;
    ports.pump.Every([&] {
        if (!pressed && fs::exists(wavOf(a)) && !strayFiles(BoxFolder()).empty()) {
            ports.cancel.Set();
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
    EXPECT_EQ(strayFiles(BoxFolder()), std::vector<std::string>{});
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_FALSE(host.open);
    EXPECT_TRUE(host.MainWindowEnabled());
}

TEST_F(ConvertAndPlayTest, ABackupAcceptedBetweenMessagesEndsTheCommandAtOnce) {
    const fs::path a = box.Add("rusuroku", "0001", "202612010900");
    const fs::path b = box.Add("rusuroku", "0001", "202612020900");
    host.breakAt = 1;
    const ConvertSummary summary = ConvertSelected({rowOf(a), rowOf(b)}, 0, host);
    EXPECT_EQ(summary.end, ConvertEnd::ForBackup);
    EXPECT_TRUE(fs::exists(wavOf(a)));
    EXPECT_FALSE(fs::exists(wavOf(b)));
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_FALSE(host.open);
    EXPECT_TRUE(host.MainWindowEnabled());
}

TEST_F(ConvertAndPlayTest, PlayOpensTheWavFileAndMarksTheMessageOnlyWhenThePlayerStarted) {
    const std::uint64_t plenty = std::uint64_t{1} << 40;
    const PlaySettings plain, convDel{false, 0, true}, responses{true, 0, false}, inside{false, 0, true, true},
        insideResponses{true, 0, false, true};
    using Inside = ConversionHost::InsidePlay;
    enum Player { None, Desktop, Ours, OursThenDesktop };
    struct Case {
        char row;  // as makeRow; 'R' a system response message with its ".WAV" copy
        PlaySettings settings;
        bool playerStarts;  // the desktop's
        Inside ours;        // how the built-in player takes the file
        std::uint64_t freeBytes;
        PlayResult result;
        std::u16string_view error;  // empty for none
        Player opened;
        int playedMark;  // in the file afterwards; -1 when there is none
        bool queued;
        bool converts;
    } const cases[] = {
        {'v', plain, true, Inside::Started, plenty, PlayResult::Played, u"", Desktop, 1, false, true},
        {'w', convDel, true, Inside::Started, plenty, PlayResult::Played, u"", Desktop, 1, true, false},
        {'R', responses, true, Inside::Started, plenty, PlayResult::Played, u"", Desktop, 0, false, false},
        // No program for WAV files: said so, no mark, nothing queued.
        {'v', convDel, false, Inside::Started, plenty, PlayResult::NotPlayed, kNoPlayer, Desktop, 0, false, true},
        {'0', plain, true, Inside::Started, plenty, PlayResult::NotPlayed, kNotDownloadedOneLine, None, 0, false,
         false},
        {'g', plain, true, Inside::Started, plenty, PlayResult::NotPlayed, kErased, None, -1, false, false},
        {'v', plain, true, Inside::Started, 24575, PlayResult::NotPlayed, kNoSpace, None, 0, false, false},
        // The built-in player: the mark once its sound starts, never in the response list.
        {'v', inside, true, Inside::Started, plenty, PlayResult::Played, u"", Ours, 1, true, true},
        {'R', insideResponses, true, Inside::Started, plenty, PlayResult::Played, u"", Ours, 0, false, false},
        // No sound device: said so, no mark, nothing queued, no desktop player.
        {'w', inside, true, Inside::NoDevice, plenty, PlayResult::NotPlayed, kNoSoundDevice, Ours, 0, false, false},
        // A WAV file it does not read goes to the desktop's player.
        {'W', inside, true, Inside::Unreadable, plenty, PlayResult::Played, u"", OursThenDesktop, 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.row) + (c.playerStarts ? "" : " without a player") +
                     (c.settings.builtIn ? " built-in" : ""));
        fs::remove_all(box.Folder() / "rusuroku");
        fs::remove_all(box.Folder() / "outou");
        ports.prompt.shown.clear();
        ports.shell.opened.clear();
        ports.shell.starts = c.playerStarts;
        ports.disk.Set(c.freeBytes);
        host.queued.clear();
        host.opened.clear();
        host.played.clear();
        host.inside = c.ours;
        const FILESTS_INFO row = makeRow(*this, c.row, 0);
        fs::path wav = wavOf(row.Path());
        if (c.row == 'R' || c.row == 'W') wav.replace_extension(".WAV");

        EXPECT_EQ(PlayCurrent(row, c.settings, host), c.result);
        const std::vector<Shown> error{{std::u16string(c.error), std::u16string(kErrorCaption)}};
        EXPECT_EQ(shownOf(ports.prompt), c.error.empty() ? std::vector<Shown>{} : error);
        const std::vector<fs::path> just{wav}, none{};
        EXPECT_EQ(ports.shell.opened, c.opened == Desktop || c.opened == OursThenDesktop ? just : none);
        EXPECT_EQ(host.played, c.opened == Ours || c.opened == OursThenDesktop ? just : none);
        EXPECT_EQ(testkit::PlayedMarkOf(row.Path()), c.playedMark);
        EXPECT_EQ(host.queued, c.queued ? just : none);
        EXPECT_EQ(host.opened, c.converts ? std::vector<int>{1} : std::vector<int>{});
        EXPECT_TRUE(host.MainWindowEnabled());
        EXPECT_FALSE(host.open);
    }
}

// 前へ and 次へ stay within the list.
TEST(NeighbourRow, StepsWithinTheList) {
    EXPECT_EQ(NeighbourRow(0, 1, 3), 1);
    EXPECT_EQ(NeighbourRow(2, -1, 3), 1);
    EXPECT_EQ(NeighbourRow(2, 1, 3), std::nullopt);
    EXPECT_EQ(NeighbourRow(0, -1, 3), std::nullopt);
    EXPECT_EQ(NeighbourRow(-1, 1, 3), std::nullopt);  // no current row
}

// The message plays even when its file cannot take the played mark: the file
// stays as it was, and the list, read from it again, shows it unplayed.
TEST_F(ConvertAndPlayTest, PlayWithoutRoomForThePlayedMarkStillPlaysAndLeavesTheFile) {
    ports.disk.Set(std::uint64_t{1} << 40);
    const FILESTS_INFO row = makeRow(*this, 'w', 0);  // 1346 bytes, its WAV file beside it
    const std::string before = testkit::ReadFileBytes(row.Path());
    PlayResult result = PlayResult::NotPlayed;
    {
        testkit::BlockedRewrite blocked(row.Path(), 1000);
        if (!blocked.Blocks()) GTEST_SKIP() << testkit::kNoBlockedRewrite;
        result = PlayCurrent(row, PlaySettings{}, host);
    }
    EXPECT_EQ(result, PlayResult::Unmarked);
    EXPECT_EQ(ports.shell.opened, std::vector<fs::path>{wavOf(row.Path())});
    EXPECT_EQ(testkit::ReadFileBytes(row.Path()), before);
    EXPECT_TRUE(ports.prompt.shown.empty());
}

// ------------------------------------------------------------ At exit

TEST_F(ConvertAndPlayTest, ListedFilesAreDeletedAsOftenAsListedAndAFolderInTheirPlaceStays) {
    const fs::path a = dir.Path() / "a.wav", b = dir.Path() / "b.wav", folder = dir.Path() / "c.wav";
    testkit::WriteBytes(a, "a");
    testkit::WriteBytes(b, "b");
    fs::create_directories(folder);
    std::vector<int> steps;
    DeleteListedWavFiles({a, b, a, folder, dir.Path() / "gone.wav"}, [&](int done) { steps.push_back(done); });
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace plova
