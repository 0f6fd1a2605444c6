// Editing recording information: the byte limits of the texts, what a box
// message's edit changes and keeps, and the stamp and rename of a system
// response message with its audio copies.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/testing/TestPorts.h"
#include "store/CFileMng.h"
#include "store/RecordingEdit.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using namespace testkit;
using infoedit::Result;

std::u16string repeat(std::u16string_view piece, int times) {
    std::u16string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

TEST(EditText, LimitsCountCodePageBytesAndRefuseCommas) {
    struct Row {
        std::u16string text;
        std::size_t limit;
        bool accepted;
    };
    const std::vector<Row> rows = {
        {repeat(u"あ", 20), infoedit::kTitleLimit, true},  // 40 bytes
        {repeat(u"あ", 21), infoedit::kTitleLimit, false},
        {repeat(u"a", 39) + u"あ", infoedit::kTitleLimit, false},  // the two-byte character crosses the edge
        {repeat(u"a", 38) + u"あ", infoedit::kTitleLimit, true},
        {repeat(u"ｱ", 40), infoedit::kTitleLimit, true},  // half-width katakana is one byte
        {repeat(u"ア", 10), infoedit::kResponseNameLimit, true},
        {repeat(u"ア", 10) + u"a", infoedit::kResponseNameLimit, false},
        {repeat(u"a", 80), infoedit::kMemoLimit, true},
        {repeat(u"a", 81), infoedit::kMemoLimit, false},
        {u"a,b", infoedit::kTitleLimit, false},
        {u"，", infoedit::kTitleLimit, true},  // the full-width comma is a character like any other
        {u"", infoedit::kTitleLimit, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsAcceptableEditText(r.text, r.limit), r.accepted) << Utf8(r.text) << " / " << r.limit;
}

TEST(EditText, CharactersTheCodePageLacksAreReplaced) {
    EXPECT_EQ(ThroughCodePage(u"営業部"), u"営業部");
    EXPECT_NE(ThroughCodePage(u"한국"), u"한국");
    EXPECT_EQ(ThroughCodePage(u"a😀b").size(), 3u);
}

class EditTest : public ::testing::Test {
protected:
    TestPorts ports;
    TempFolder root{"edit"};
    fs::path folder(const std::string& rel) {
        fs::create_directories(root / rel);
        return root / rel;
    }
    FILESTS_INFO read(const fs::path& f) {
        FILESTS_INFO r;
        EXPECT_TRUE(CFileMng::ReadStatusRecord(f, r));
        return r;
    }
};

TEST_F(EditTest, ABoxMessageEditChangesOnlyTheEditableFields) {
    const fs::path f = folder("f/rusuroku/0012") / "202612071405_abc_0012_00001.vmdat";
    FILESTS_INFO original = SampleRecord();
    original.played = 1;
    original.downloadState = kPlayedOnMainUnit;
    original.title = u"旧件名";
    WriteMessage(f, original, SampleBlock(), 500);
    const std::string speechBefore = ReadFileBytes(f).substr(990);

    BoxMessageEdit edit{repeat(u"件", 20), u"0987654321", u"相手한", u"メモ", true, true};
    ports.prompt.Queue(Answer::Yes);
    EXPECT_EQ(SaveBoxMessageEdit(f, edit), Result::Saved);

    const FILESTS_INFO now = read(f);
    FILESTS_INFO expected = original;
    expected.title = repeat(u"件", 20);
    expected.partyNumber = u"0987654321";
    expected.partyName = ThroughCodePage(u"相手한");
    expected.memo = u"メモ";
    expected.isProtected = 1;
    expected.flag = 1;
    EXPECT_EQ(now, expected.Fitted());
    EXPECT_EQ(ReadFileBytes(f).substr(990), speechBefore);
    EXPECT_EQ(ports.prompt.shown.at(0).caption, infoedit::kConfirmCaption);
}

TEST_F(EditTest, NothingIsWrittenWhenTheInputIsRefusedOrTheUserSaysNo) {
    const fs::path f = folder("f/naisen/2001") / "202612071405_abc_2001_00001.vminf";
    WriteMessage(f, SampleRecord(), SampleBlock());
    const std::string before = ReadFileBytes(f);

    EXPECT_EQ(SaveBoxMessageEdit(f, {u"a,b", u"", u"", u"", false, false}), Result::Invalid);
    EXPECT_EQ(ports.prompt.shown.back().text, infoedit::kInvalid);
    EXPECT_EQ(SaveBoxMessageEdit(f, {u"", repeat(u"番", 17), u"", u"", false, false}), Result::Invalid);
    ports.prompt.Queue(Answer::No);
    EXPECT_EQ(SaveBoxMessageEdit(f, {u"件名", u"", u"", u"", true, true}), Result::Declined);
    EXPECT_EQ(ReadFileBytes(f), before);

    // A file without a record behind its name cannot take one.
    const fs::path raw = f.parent_path() / "202612071406_abc_2001_00002.vminf";
    WriteBytes(raw, "not a message");
    ports.prompt.Queue(Answer::Yes);
    EXPECT_EQ(SaveBoxMessageEdit(raw, {u"件名", u"", u"", u"", false, false}), Result::WriteFailed);
    EXPECT_EQ(ReadFileBytes(raw), "not a message");
}

TEST_F(EditTest, AResponseMessageIsStampedAndRenamedWithItsAudioCopies) {
    const fs::path outou = folder("f/outou");
    const FILESTS_INFO original = WriteResponseMessage(outou, 5, 3000, 1);
    const fs::path voice = original.Path();
    WriteBytes(outou / "202612071505_MON_A005_0000.WAV", "upper-case copy");
    WriteBytes(outou / "202612071505_MON_A005_0000.wma", "wma copy");
    WriteBytes(outou / "202612071505_MON_A006_0000.wav", "another message's copy");
    ports.clock.Set(LocalTime{2026, 12, 8, 2, 10, 30, 0, 0});  // Tuesday

    fs::path renamed;
    ports.prompt.Queue(Answer::Yes);
    ASSERT_EQ(SaveResponseMessageEdit(voice, {u"営業時間外", true}, &renamed), Result::Saved);

    EXPECT_EQ(renamed, outou / "202612081030_TUE_A005_0000.vmdat");
    EXPECT_FALSE(fs::exists(voice));
    EXPECT_EQ(ReadFileBytes(outou / "202612081030_TUE_A005_0000.WAV"), "upper-case copy");
    EXPECT_EQ(ReadFileBytes(outou / "202612081030_TUE_A005_0000.wma"), "wma copy");
    EXPECT_EQ(ReadFileBytes(outou / "202612071505_MON_A006_0000.wav"), "another message's copy");

    const FILESTS_INFO now = read(renamed);
    EXPECT_EQ(now.partyName, u"営業時間外");
    EXPECT_EQ(now.flag, 1);
    EXPECT_EQ(now.played, 1);  // the upload mark stays
    const RecordingBlock block = ParseBlock(ReadFileBytes(renamed).substr(990, 256));
    EXPECT_EQ(block.partyName, ToCp932(u"営業時間外"));
    EXPECT_EQ(block.dateText.substr(0, 3), "Tue");
    EXPECT_TRUE(CFileMng::IsValidMessageFile(renamed));
}

TEST_F(EditTest, AResponseRenameNeverReplacesAnotherFile) {
    const fs::path outou = folder("f/outou");
    const fs::path voice = WriteResponseMessage(outou, 5).Path();
    ports.clock.Set(LocalTime{2026, 12, 8, 2, 10, 30, 0, 0});
    WriteBytes(outou / "202612081030_TUE_A005_0000.vmdat", "already here");

    ports.prompt.Queue(Answer::Yes);
    EXPECT_EQ(SaveResponseMessageEdit(voice, {u"名前", false}), Result::RenameFailed);
    EXPECT_EQ(ports.prompt.shown.back().text, infoedit::kInvalid);
    EXPECT_EQ(ReadFileBytes(outou / "202612081030_TUE_A005_0000.vmdat"), "already here");
    EXPECT_EQ(read(voice).partyName, u"名前");  // written before the rename, and kept
}

TEST_F(EditTest, EditingTwiceInOneMinuteKeepsTheName) {
    const fs::path outou = folder("f/outou");
    const fs::path voice = WriteResponseMessage(outou, 7).Path();
    ports.clock.Set(LocalTime{2026, 12, 7, 1, 15, 5, 0, 0});  // the minute of its name
    ports.prompt.Queue(Answer::Yes);
    fs::path renamed;
    EXPECT_EQ(SaveResponseMessageEdit(voice, {u"", false}, &renamed), Result::Saved);
    EXPECT_EQ(renamed, voice);
    EXPECT_TRUE(CFileMng::IsValidMessageFile(voice));
}

TEST(EditedName, TakesTheEditTimeAndKeepsTheNumber) {
    const LocalTime tuesday{2026, 12, 8, 2, 10, 30, 0, 0};
    EXPECT_EQ(EditedResponseName(u"202612071505_MON_A005_0000.vmdat", tuesday), u"202612081030_TUE_A005_0000.vmdat");
    EXPECT_EQ(EditedResponseName(u"202612071505_MON_A005_00000.vmdat", tuesday), u"");
}

}  // namespace
}  // namespace plova
