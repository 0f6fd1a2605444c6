// Moving and copying messages between boxes: the files that travel, the
// overwrite rules, the roll-back of the message in hand and the closing
// messages.
#include <gtest/gtest.h>


#include "platform/File.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TestPorts.h"
#include "store/CFileMng.h"
#include "store/MessageTransfer.h"
#include "store/testing/MessageFiles.h"
#include "store/testing/RecordingTransferWindow.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using namespace testkit;
using transfer::Mode;

class TransferTest : public ::testing::Test {
protected:
    TestPorts ports;
    TempFolder root{"transfer"};
    fs::path source = folder("f/rusuroku/0001");
    fs::path target = folder("f/naisen/2001");
    RecordingTransferWindow window;

    fs::path folder(const std::string& rel) {
        fs::create_directories(root / rel);
        return root / rel;
    }
    // A downloaded message: ".vminf", ".vmdat" with `speechBytes` of speech
    // and, when asked, a WAV file (its extension as given). Returns the voice data.
    fs::path message(const fs::path& box, int n, std::size_t speechBytes = 3000, const std::string& wav = ".wav") {
        const std::string stem = "2026120714" + std::to_string(10 + n) + "_abc_0001_" + std::to_string(10000 + n);
        FILESTS_INFO r = SampleRecord();
        r.title = u"件名" + std::u16string(1, static_cast<char16_t>(u'0' + n % 10));
        WriteMessage(box / (stem + ".vminf"), r, SampleBlock());
        WriteMessage(box / (stem + ".vmdat"), r, SampleBlock(), speechBytes + static_cast<std::size_t>(n));
        if (!wav.empty()) WriteBytes(box / (stem + wav), "RIFF" + Speech(500 + static_cast<std::size_t>(n)));
        return box / (stem + ".vmdat");
    }
    TransferOutcome run(Mode mode, const std::vector<fs::path>& files) {
        return MoveCopyMessages(mode, files, target, window);
    }
    [[nodiscard]] std::u16string lastMessage() const {
        return ports.prompt.shown.empty() ? u"" : ports.prompt.shown.back().text;
    }
};

TEST_F(TransferTest, ACopyTakesEveryFileOfAMessageAndTheBarStepsThreeTimesEach) {
    const fs::path withWav = message(source, 1);
    const fs::path noWav = message(source, 2, 3000, "");
    const fs::path upperWav = message(source, 3, 3000, ".WAV");
    const FolderFiles before = SnapshotOf(source);

    const TransferOutcome o = run(Mode::Copy, {withWav, noWav, upperWav});

    EXPECT_EQ(o.handled, 3);
    EXPECT_TRUE(SnapshotOf(source) == before);
    EXPECT_TRUE(SnapshotOf(target) == before);  // the same eight files, nothing hidden left behind
    EXPECT_EQ(window.range, 9);
    EXPECT_EQ(window.bar, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 9}));
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(lastMessage(), transfer::kCopyDone);
    EXPECT_EQ(ports.prompt.shown.back().caption, transfer::kCopyDoneCaption);
}

TEST_F(TransferTest, AMoveLeavesTheFilesInTheTargetOnly) {
    const std::vector<fs::path> files = {message(source, 1), message(source, 2, 60000, "")};
    const FolderFiles before = SnapshotOf(source);

    const TransferOutcome o = run(Mode::Move, files);

    EXPECT_EQ(o.handled, 2);
    EXPECT_TRUE(SnapshotOf(source).empty());
    EXPECT_TRUE(SnapshotOf(target) == before);
    EXPECT_EQ(lastMessage(), transfer::kMoveDone);
}

// A move within one file system gives each file its new name without copying
// it, also onto names that bear older files: what a program holding the
// source open writes is in the target, and the bytes never passed through.
TEST_F(TransferTest, AMoveOnOneFileSystemKeepsTheFilesThemselves) {
    const std::vector<fs::path> files = {message(source, 1), message(source, 2)};
    for (const auto& [name, bytes] : SnapshotOf(source)) WriteBytes(target / name, "old " + name);
    window.answers = {OverwriteChoice::All};
    FileHandle held = OpenRegularFile(files[0], Access::ReadWrite);
    ASSERT_TRUE(held);

    const TransferOutcome o = run(Mode::Move, files);

    EXPECT_EQ(o.handled, 2);
    ASSERT_TRUE(held.WriteAllAt(0, "written later", 13));
    held.Close();
    // On Windows a removed file keeps its name until its last handle closes.
    EXPECT_FALSE(fs::exists(files[0]));
    EXPECT_EQ(ReadFileBytes(target / files[0].filename()).substr(0, 13), "written later");
}

TEST_F(TransferTest, MovingOrCopyingIntoTheMessagesOwnBoxLosesNothing) {
    for (Mode mode : {Mode::Copy, Mode::Move}) {
        const fs::path m = message(source, 1);
        const FolderFiles before = SnapshotOf(source);
        window = {};
        const TransferOutcome o = MoveCopyMessages(mode, {m}, source, window);
        EXPECT_EQ(o.handled, 1);
        EXPECT_TRUE(SnapshotOf(source) == before);
        EXPECT_TRUE(window.asked.empty());
    }
}

// Each row: the answers given, the questions expected, and which target files
// end up with the new content.
TEST_F(TransferTest, ExistingFilesAreReplacedOnlyAsTheOverwriteDialogSays) {
    struct Row {
        const char* name;
        std::vector<OverwriteChoice> answers;
        std::size_t questions;
        int handled;
        bool firstReplaced, secondReplaced;
        bool overwriteCancelled;
    };
    const std::vector<Row> rows = {
        // "Yes" on a message's first file replaces its later files without asking.
        {"yes", {OverwriteChoice::Yes, OverwriteChoice::Yes}, 2, 2, true, true, false},
        {"all", {OverwriteChoice::All}, 1, 2, true, true, false},
        {"no", {OverwriteChoice::No, OverwriteChoice::No}, 2, 2, false, false, false},
        {"no then yes", {OverwriteChoice::No, OverwriteChoice::Yes}, 2, 2, false, true, false},
        {"cancel", {OverwriteChoice::Cancel}, 1, 0, false, false, true},
    };
    for (const Row& row : rows) {
        for (Mode mode : {Mode::Copy, Mode::Move}) {
            SCOPED_TRACE(std::string(row.name) + (mode == Mode::Move ? " move" : " copy"));
            fs::remove_all(source), fs::remove_all(target);
            fs::create_directories(source), fs::create_directories(target);
            const std::vector<fs::path> files = {message(source, 1), message(source, 2)};
            const FolderFiles fresh = SnapshotOf(source);
            // Older copies of both messages already in the target.
            for (const auto& [name, bytes] : fresh) WriteBytes(target / name, "old " + name);
            window = {};
            window.answers = {row.answers.begin(), row.answers.end()};

            const TransferOutcome o = run(mode, files);

            EXPECT_EQ(window.asked.size(), row.questions);
            if (!window.asked.empty()) {
                EXPECT_EQ(window.asked.front(), files[0].stem().u16string() + u".vminf");
            }
            EXPECT_EQ(o.handled, row.handled);
            EXPECT_EQ(o.overwriteCancelled, row.overwriteCancelled);
            const FolderFiles now = SnapshotOf(target);
            ASSERT_EQ(now.size(), fresh.size()) << "a hidden file was left behind";
            for (const auto& [name, bytes] : fresh) {
                const bool replaced = name.find("10001") != std::string::npos ? row.firstReplaced : row.secondReplaced;
                EXPECT_TRUE(now.at(name) == (replaced ? bytes : "old " + name)) << name;
                // A move takes exactly the files it replaced out of the source.
                if (mode == Mode::Move) {
                    EXPECT_EQ(fs::exists(source / name), !replaced) << name;
                }
            }
            EXPECT_EQ(lastMessage(), mode == Mode::Copy ? transfer::kCopyDone : transfer::kMoveDone);
        }
    }
}

// Cancel after the recording information of the second message is in the
// target: the first message stays moved, the second goes back whole.
TEST_F(TransferTest, CancelRollsBackTheMessageInHandAndSaysNothing) {
    for (Mode mode : {Mode::Copy, Mode::Move}) {
        SCOPED_TRACE(mode == Mode::Move ? "move" : "copy");
        fs::remove_all(source), fs::remove_all(target);
        fs::create_directories(source), fs::create_directories(target);
        const fs::path first = message(source, 1), second = message(source, 2), third = message(source, 3);
        const FolderFiles before = SnapshotOf(source);
        window = {};
        window.cancelAtBar = 4;  // the second message's ".vminf"
        ports.prompt.shown.clear();

        const TransferOutcome o = run(mode, {first, second, third});

        EXPECT_TRUE(o.stopped);
        EXPECT_TRUE(ports.prompt.shown.empty());
        EXPECT_TRUE(window.closed);
        const FolderFiles now = SnapshotOf(target);
        EXPECT_EQ(now.size(), 3u) << "only the first message, nothing hidden";
        for (const auto& [name, bytes] : before) {
            const bool isFirst = name.find("10001") != std::string::npos;
            if (isFirst) {
                EXPECT_TRUE(now.at(name) == bytes) << name;
            }
            EXPECT_EQ(fs::exists(source / name), mode == Mode::Copy || !isFirst) << name;
        }
    }
}

TEST_F(TransferTest, ABackupThatFellDueEndsTheRunLikeACancel) {
    const fs::path m = message(source, 1);
    const FolderFiles before = SnapshotOf(source);
    window.backupDue = true;
    const TransferOutcome o = run(Mode::Move, {m});
    EXPECT_TRUE(o.stopped);
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_TRUE(SnapshotOf(source) == before);
    EXPECT_TRUE(SnapshotOf(target).empty());
}

// The recording information fits, the voice data does not: the message
// goes back whole (and an older copy it was replacing stays as it was), the
// messages before it stay in the target.
TEST_F(TransferTest, RunningOutOfSpaceRollsBackTheMessageAndEndsTheRun) {
    const fs::path small = message(source, 1, 1000, "");
    const fs::path big = message(source, 2, 50000);
    const fs::path after = message(source, 3, 1000, "");
    const FolderFiles before = SnapshotOf(source);
    const std::string bigInfo = big.stem().string() + ".vminf";
    WriteBytes(target / bigInfo, "older copy");
    window.answers = {OverwriteChoice::Yes};
    ports.disk.Set(8192);

    const TransferOutcome o = run(Mode::Move, {small, big, after});

    EXPECT_TRUE(o.noSpace);
    EXPECT_EQ(o.handled, 1);
    EXPECT_EQ(lastMessage(), transfer::kMovePartNoSpace);
    EXPECT_EQ(ports.prompt.shown.back().caption, transfer::kMoveDoneCaption);
    const FolderFiles now = SnapshotOf(target);
    EXPECT_EQ(now.size(), 3u);
    EXPECT_EQ(now.at(bigInfo), "older copy");
    for (const auto& [name, bytes] : before) {
        const bool isSmall = name.find("10001") != std::string::npos;
        if (isSmall) {
            EXPECT_TRUE(now.at(name) == bytes) << name;
        }
        EXPECT_EQ(fs::exists(source / name), !isSmall) << name;
    }
    EXPECT_NE(std::find(window.bar.begin(), window.bar.end(), 5), window.bar.end());
    EXPECT_NE(window.bar.back(), 9) << "an out-of-space end does not fill the bar";
}

// A message whose file cannot be read stays whole where it is and is not
// reported as done.
TEST_F(TransferTest, AnUnreadableFileKeepsItsMessageInTheSource) {
    const fs::path good = message(source, 1);
    const fs::path bad = message(source, 2, 3000, "");
    fs::path wav = bad;
    wav.replace_extension(".wav");
    if (!MakeSymlink(good, wav)) GTEST_SKIP() << kNoSymlinks;  // a link under a message's name is not followed
    const FolderFiles before = SnapshotOf(source);

    const TransferOutcome o = run(Mode::Move, {good, bad});

    EXPECT_EQ(o.handled, 1);
    EXPECT_TRUE(o.missing);
    EXPECT_EQ(lastMessage(), transfer::kMovePartMissing);
    for (const auto& [name, bytes] : before)
        if (name.find("10002") != std::string::npos && !name.ends_with(".wav")) {
            EXPECT_TRUE(ReadFileBytes(source / name) == bytes) << name;
        }
    EXPECT_EQ(SnapshotOf(target).size(), 3u);
}

TEST_F(TransferTest, AMessageWithoutVoiceDataIsNotMoved) {
    const fs::path m = message(source, 1);
    fs::path info = m;
    info.replace_extension(".vminf");
    const TransferOutcome o = run(Mode::Copy, {info});
    EXPECT_TRUE(o.missing);
    EXPECT_EQ(lastMessage(), transfer::kMissing);
    EXPECT_EQ(ports.prompt.shown.back().caption, transfer::kErrorCaption);
    EXPECT_TRUE(SnapshotOf(target).empty());
}

TEST(TransferClosing, TheMessagesFollowTheCountsAndFlags) {
    using namespace transfer;
    using Texts = std::vector<std::u16string_view>;  // empty: nothing is shown
    struct Row {
        Mode mode;
        int selected, handled;
        bool missing, noSpace, stopped;
        Texts texts;
        Icon icon;
    };
    const std::vector<Row> rows = {
        {Mode::Copy, 1, 0, true, true, false, {kNoSpace}, Icon::Exclamation},
        {Mode::Copy, 1, 0, true, false, false, {kMissing}, Icon::Exclamation},
        {Mode::Move, 1, 1, false, false, false, {kMoveDone}, Icon::Information},
        // Several messages: both reasons are told, the missing files first.
        {Mode::Copy, 3, 0, true, true, false, {kMissing, kNoSpace}, Icon::Exclamation},
        {Mode::Move, 3, 0, false, true, false, {kNoSpace}, Icon::Exclamation},
        {Mode::Move, 3, 0, false, false, false, {kMoveDone}, Icon::Information},
        {Mode::Copy, 3, 2, true, false, false, {kCopyPartMissing}, Icon::Information},
        {Mode::Copy, 3, 2, false, true, false, {kCopyPartNoSpace}, Icon::Information},
        {Mode::Copy, 3, 1, true, true, false, {kCopyPartMissing, kCopyPartNoSpace}, Icon::Information},
        {Mode::Move, 3, 1, true, false, false, {kMovePartMissing}, Icon::Information},
        {Mode::Move, 3, 1, false, true, false, {kMovePartNoSpace}, Icon::Information},
        {Mode::Move, 3, 1, true, true, false, {kMovePartMissing, kMovePartNoSpace}, Icon::Information},
        {Mode::Copy, 3, 3, false, false, false, {kCopyDone}, Icon::Information},
        {Mode::Move, 3, 1, false, false, true, {}, Icon::None},
    };
    for (const Row& r : rows) {
        TransferOutcome o;
        o.selected = r.selected, o.handled = r.handled, o.missing = r.missing, o.noSpace = r.noSpace,
        o.stopped = r.stopped;
        const std::vector<ClosingText> closing = TransferClosing(r.mode, o);
        SCOPED_TRACE(r.texts.empty() ? std::string() : Utf8(std::u16string(r.texts.front())));
        Texts texts;
        for (const ClosingText& c : closing) {
            texts.push_back(c.text);
            EXPECT_EQ(c.icon, r.icon);
            const bool error = r.icon == Icon::Exclamation;
            EXPECT_EQ(c.caption, error ? kErrorCaption : (r.mode == Mode::Copy ? kCopyDoneCaption : kMoveDoneCaption));
        }
        EXPECT_EQ(texts, r.texts);
    }
}

}  // namespace
}  // namespace plova
