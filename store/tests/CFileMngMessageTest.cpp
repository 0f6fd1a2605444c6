// Message files: validity, loading, building and rewriting the status record.
#include <gtest/gtest.h>

#include <map>

#include "platform/Text.h"
#include "platform/testing/FileSizeLimit.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TestPorts.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using namespace testkit;

class MessageTest : public ::testing::Test {
protected:
    TempFolder root{"msg"};
    fs::path box = folder("f/rusuroku/0012");
    fs::path outou = folder("f/outou");

    fs::path folder(const std::string& rel) {
        fs::create_directories(root / rel);
        return root / rel;
    }
    // Every file of a folder with its bytes, to show nothing was touched.
    static std::map<std::string, std::string> snapshot(const fs::path& dir) {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file()) out[e.path().filename().string()] = ReadFileBytes(e.path());
        return out;
    }
};

TEST_F(MessageTest, ExactlyTheRecordAndTheBlockIsEnough) {
    const fs::path f = box / "202612071405_abc_0012_00001.vminf";
    WriteMessage(f, SampleRecord(), SampleBlock());
    ASSERT_EQ(fs::file_size(f), 1246u);
    EXPECT_TRUE(CFileMng::IsValidMessageFile(f));
    fs::resize_file(f, 1245);
    EXPECT_FALSE(CFileMng::IsValidMessageFile(f));
    EXPECT_FALSE(CFileMng::IsValidMessageFile(box / "202612071405_abc_0012_00009.vminf"));  // missing
}

// What a download or a backup takes for a message it need not fetch again.
TEST_F(MessageTest, AMessageIsCompleteOnlyWhenWholeAndOfTheListedLength) {
    const fs::path whole = box / "202612071405_abc_0012_00001.vmdat";
    WriteMessage(whole, SampleRecord(), SampleBlock(), 1000);  // 256 + 1000 bytes behind the record
    const fs::path link = box / "202612071405_abc_0012_00002.vmdat";
    const bool linked = MakeSymlink(whole, link);  // else nothing at the name: not complete either
    const fs::path folder = box / "202612071405_abc_0012_00003.vmdat";
    fs::create_directories(folder);
    const fs::path missing = box / "202612071405_abc_0012_00004.vmdat";
    const struct {
        fs::path file;
        std::int64_t listed;
        bool complete;
    } cases[] = {
        {whole, 1256, true}, {whole, -1, true}, {whole, 1255, false}, {whole, 1257, false},
        {link, 1256, false}, {link, -1, false}, {folder, -1, false},  {missing, -1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store::IsCompleteMessage(c.file, c.listed), c.complete) << c.file << " " << c.listed;

    fs::resize_file(whole, 1245);  // torn inside the block
    EXPECT_FALSE(store::IsCompleteMessage(whole));
    // A dangling link is something under the name all the same.
    fs::remove(whole);
    if (linked) {
        EXPECT_TRUE(store::SomethingAt(link));
    }
    EXPECT_TRUE(store::SomethingAt(folder));
    EXPECT_FALSE(store::SomethingAt(missing));
}

TEST_F(MessageTest, RecordAndBlockMustLookLikeAMessage) {
    const fs::path f = box / "202612071405_abc_0012_00001.vmdat";
    FILESTS_INFO r = SampleRecord();
    r.recordingTime.clear();
    WriteMessage(f, r, SampleBlock(), 100);
    EXPECT_FALSE(CFileMng::IsValidMessageFile(f));

    // The magic written as 16-bit characters is not the magic.
    std::string bytes = BytesOf(SampleRecord().ToBytes()) + BytesOf(BuildBlock(SampleBlock()));
    const std::string magic = "Kw-TX Voice-data";
    for (std::size_t i = 0; i < 8; ++i) bytes[990 + 2 * i] = magic[i], bytes[990 + 2 * i + 1] = '\0';
    WriteBytes(f, bytes);
    EXPECT_FALSE(CFileMng::IsValidMessageFile(f));
}

TEST_F(MessageTest, ResponseMessageNumbersMustAgreeEverywhere) {
    const fs::path f = outou / "202612071405_abc_0005_0005.vmdat";
    FILESTS_INFO r = SampleRecord();
    r.boxNumber = u"005";
    WriteMessage(f, r, ResponseBlock(5), 80);
    EXPECT_TRUE(CFileMng::IsValidMessageFile(f));

    FILESTS_INFO wrongRecord = r;
    wrongRecord.boxNumber = u"006";
    WriteMessage(f, wrongRecord, ResponseBlock(5), 80);
    EXPECT_FALSE(CFileMng::IsValidMessageFile(f));

    RecordingBlock wrongBinary = ResponseBlock(5);
    wrongBinary.boxNumber = 6;
    WriteMessage(f, r, wrongBinary, 80);
    EXPECT_FALSE(CFileMng::IsValidMessageFile(f));

    RecordingBlock wrongDigits = ResponseBlock(5);
    wrongDigits.boxDigits = "006";
    WriteMessage(f, r, wrongDigits, 80);
    EXPECT_FALSE(CFileMng::IsValidMessageFile(f));

    RecordingBlock notDigits = ResponseBlock(5);
    notDigits.boxDigits = "0/?";  // '/' - '0' = -1, '?' - '0' = 15: 0*100 - 10 + 15 = 5
    WriteMessage(f, r, notDigits, 80);
    EXPECT_FALSE(CFileMng::IsValidMessageFile(f));
}

TEST_F(MessageTest, LoadFillsPathBoxNumberAndBoxNameInNameOrder) {
    ASSERT_TRUE(CFileMng::WriteBoxName(box, u"ABCDEFGHIJKLMNO"));
    FILESTS_INFO r = SampleRecord();
    r.boxNumber = u"9999";
    r.boxName = u"stale";
    r.filePath = u"/somewhere/else";
    WriteMessage(box / "202612071500_abc_0012_00002.vmdat", r, SampleBlock(), 500);
    WriteMessage(box / "202612071405_abc_A123_00001.vminf", r, SampleBlock());

    std::vector<FILESTS_INFO> records;
    ASSERT_TRUE(CFileMng::LoadFolderRecords(box, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Path(), box / "202612071405_abc_A123_00001.vminf");
    EXPECT_EQ(records[0].boxNumber, u"123");
    EXPECT_EQ(records[1].Path(), box / "202612071500_abc_0012_00002.vmdat");
    EXPECT_EQ(records[1].boxNumber, u"0012");
    EXPECT_EQ(records[1].boxName, u"ABCDEFGHIJ");
    EXPECT_EQ(records[1].partyName, u"テスト");

    EXPECT_FALSE(CFileMng::LoadFolderRecords(root / "nowhere", records));
    EXPECT_TRUE(records.empty());
}

TEST_F(MessageTest, BadFilesAreLeftOutAndLeftAlone) {
    WriteMessage(box / "202612070001_abc_0012_00001.vmdat", SampleRecord(), SampleBlock(), 300);  // the good one
    WriteBytes(box / "202612070002_abc_0012_00002.vmdat", "");
    WriteBytes(box / "202612070003_abc_0012_00003.vmdat", std::string(1245, ':'));
    std::string noise(5000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    WriteBytes(box / "202612070004_abc_0012_00004.vmdat", noise);
    // A block where the record should be, as an undecorated main-unit file.
    WriteDelivered(box / "202612070005_abc_0012_00005.vmdat", SampleBlock(), 2000);
    // Record fields with no terminator anywhere, but a ":" in the recording time.
    std::string unterminated(990, 'A');
    unterminated[208] = ':';
    unterminated[209] = '\0';
    WriteBytes(box / "202612070006_abc_0012_00006.vmdat", unterminated + BytesOf(BuildBlock(SampleBlock())));
    WriteMessage(box / "202612070007_abc_0012_007.vmdat", SampleRecord(), SampleBlock());  // 31 characters
    // Where the system has them: a pipe and a dangling link under message names.
    (void)MakeFifo(box / "202612070008_abc_0012_00008.vmdat");
    (void)MakeSymlink(box / "gone", box / "202612070009_abc_0012_00009.vmdat");
    // A good message under a name that is not UTF-8 could not be found again
    // from its record (Linux only: every Windows name is UTF-16).
    if (sizeof(fs::path::value_type) == 1)
        WriteMessage(box / "202612070012_ab\xff_0012_00012.vmdat", SampleRecord(), SampleBlock());
    WriteMessage(outou / "202612070010_abc_0007_0007.vmdat", SampleRecord(), ResponseBlock(7));  // record says 0012
    WriteMessage(outou / "202612070011_abc_0000_0000.vmdat", SampleRecord(), ResponseBlock(0));

    const auto before = snapshot(box);
    const auto beforeOutou = snapshot(outou);
    std::vector<FILESTS_INFO> records;
    ASSERT_TRUE(CFileMng::LoadFolderRecords(box, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Path().filename(), "202612070001_abc_0012_00001.vmdat");
    // Garbage that passes every test is listed, its texts within their widths.
    EXPECT_EQ(records[1].Path().filename(), "202612070006_abc_0012_00006.vmdat");
    EXPECT_EQ(records[1].memo.size(), 81u);
    ASSERT_TRUE(CFileMng::LoadFolderRecords(outou, records));
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(snapshot(box), before);
    EXPECT_EQ(snapshot(outou), beforeOutou);
}

TEST_F(MessageTest, APipeUnderAMessageNameNeverHangs) {
    const fs::path pipe = box / "202612070008_abc_0012_00008.vmdat";
    if (!MakeFifo(pipe)) GTEST_SKIP() << kNoFifos;
    FILESTS_INFO r = SampleRecord();
    EXPECT_FALSE(CFileMng::IsValidMessageFile(pipe));
    EXPECT_FALSE(CFileMng::ReadStatusRecord(pipe, r));
    EXPECT_EQ(CFileMng::MakeStatusRecord(pipe), store::RecordWrite::Failed);
    EXPECT_EQ(CFileMng::WriteStatusRecord(r, pipe), store::RecordWrite::Failed);
    EXPECT_EQ(CFileMng::WriteNameAndDate(r, pipe), store::RecordWrite::Failed);
    EXPECT_TRUE(fs::is_fifo(pipe));
}

TEST_F(MessageTest, DownloadedVminfGetsItsRecordFromTheBlock) {
    RecordingBlock b = SampleBlock();
    b.dateText = "Mon, 7 Dec 2026 14:05:33 +0900";
    b.partyName = std::string(
        "A\x80\xF0"
        "B\x80\xF0",
        6);
    b.played = true;
    b.isProtected = true;
    b.recordingTenths = 36000;
    const fs::path f = box / "202612071405_abc_0012_00001.vminf";
    WriteDelivered(f, b);
    const std::string delivered = ReadFileBytes(f);

    ASSERT_EQ(CFileMng::MakeStatusRecord(f), store::RecordWrite::Written);
    const std::string now = ReadFileBytes(f);
    ASSERT_EQ(now.size(), 1246u);
    EXPECT_EQ(now.substr(990), delivered);
    FILESTS_INFO r;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(f, r));
    EXPECT_EQ(r.date, u"2026/12/07 14:05");
    EXPECT_EQ(r.downloadState, kInfoOnly);
    EXPECT_EQ(r.isProtected, 1);
    EXPECT_EQ(r.recordingTime, u"01:00:00");
    EXPECT_EQ(r.partyName, u"A\u3000B\u3000");
    EXPECT_EQ(r.partyNumber, u"0312345678");
    EXPECT_EQ(r.boxNumber, u"0012");
    EXPECT_TRUE(CFileMng::IsValidMessageFile(f));
}

TEST_F(MessageTest, RecordingTimeRoundsDownToWholeSeconds) {
    EXPECT_EQ(CFileMng::FormatRecordingTime(36000), u"01:00:00");
    EXPECT_EQ(CFileMng::FormatRecordingTime(35999), u"00:59:59");
    EXPECT_EQ(CFileMng::FormatRecordingTime(9), u"00:00:00");
    EXPECT_EQ(CFileMng::FormatRecordingTime(3600 * 10 * 100), u"100:00:00");
}

TEST_F(MessageTest, PartyNameMendOnlyTouchesWholePairsBeforeTheEnd) {
    EXPECT_EQ(CFileMng::MendPartyName("\x80\xF0\x80\xF0"), "\x81\x40\x81\x40");
    EXPECT_EQ(CFileMng::MendPartyName("\x80\x80\xF0"), "\x80\x81\x40");
    EXPECT_EQ(CFileMng::MendPartyName("A\x80"), "A\x80");
}

TEST_F(MessageTest, DateThatDoesNotParseLeavesTheDateEmpty) {
    RecordingBlock b = SampleBlock();
    b.dateText = "not a date at all";
    b.recordingTenths = 35999;
    const fs::path f = box / "202612071405_abc_0012_00001.vmdat";
    WriteDelivered(f, b, 400);
    ASSERT_EQ(CFileMng::MakeStatusRecord(f), store::RecordWrite::Written);
    FILESTS_INFO r;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(f, r));
    EXPECT_EQ(r.date, u"");
    EXPECT_EQ(r.recordingTime, u"00:59:59");
    EXPECT_EQ(r.downloadState, kUnplayedOnMainUnit);
    EXPECT_TRUE(CFileMng::IsValidMessageFile(f));
}

TEST_F(MessageTest, VmdatAfterVminfKeepsTheVminfRecordAndOnlyChangesTheState) {
    const std::string stem = "202612071405_abc_0012_00001";
    RecordingBlock b = SampleBlock();
    WriteDelivered(box / (stem + ".vminf"), b);
    ASSERT_EQ(CFileMng::MakeStatusRecord(box / (stem + ".vminf")), store::RecordWrite::Written);
    FILESTS_INFO edited;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(box / (stem + ".vminf"), edited));
    edited.title = u"請求の件";
    edited.memo = u"折り返し";
    ASSERT_EQ(CFileMng::WriteStatusRecord(edited, box / (stem + ".vminf")), store::RecordWrite::Written);

    // The main unit has since changed its block: the local record wins.
    RecordingBlock later = b;
    later.played = true;
    later.partyName = "other";
    later.recordingTenths = 99;
    WriteDelivered(box / (stem + ".vmdat"), later, 1000);
    ASSERT_EQ(CFileMng::MakeStatusRecord(box / (stem + ".vmdat")), store::RecordWrite::Written);
    FILESTS_INFO r;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(box / (stem + ".vmdat"), r));
    EXPECT_EQ(r.title, u"請求の件");
    EXPECT_EQ(r.memo, u"折り返し");
    EXPECT_EQ(r.partyName, u"テスト");
    EXPECT_EQ(r.date, u"2026/12/07 14:05");
    EXPECT_EQ(r.recordingTime, u"00:02:03");
    EXPECT_EQ(r.downloadState, kPlayedOnMainUnit);

    // Without a usable ".vminf" the ".vmdat" gets a record of its own.
    const std::string stem2 = "202612071406_abc_0012_00002";
    WriteBytes(box / (stem2 + ".vminf"), "garbage");
    WriteDelivered(box / (stem2 + ".vmdat"), later, 1000);
    ASSERT_EQ(CFileMng::MakeStatusRecord(box / (stem2 + ".vmdat")), store::RecordWrite::Written);
    ASSERT_TRUE(CFileMng::ReadStatusRecord(box / (stem2 + ".vmdat"), r));
    EXPECT_EQ(r.partyName, u"other");
    EXPECT_EQ(r.title, u"");
}

TEST_F(MessageTest, ResponseRecordTakesOnlyTimeNameAndNumber) {
    RecordingBlock b = ResponseBlock(5);
    b.partyName = std::string("A\x80\xF0", 3);
    b.played = true;
    b.isProtected = true;
    b.recordingTenths = 36000;
    const fs::path f = outou / "202612071405_abc_0005_0005.vmdat";
    WriteDelivered(f, b, 800);
    ASSERT_EQ(CFileMng::MakeResponseRecord(f), store::RecordWrite::Written);
    FILESTS_INFO r;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(f, r));
    EXPECT_EQ(r.recordingTime, u"01:00:00");
    EXPECT_EQ(r.boxNumber, u"005");
    EXPECT_EQ(r.partyName.substr(0, 1), u"A");
    EXPECT_NE(r.partyName, u"A\u3000");  // no mending here
    EXPECT_EQ(r.date, u"");
    EXPECT_EQ(r.downloadState, 0);
    EXPECT_EQ(r.isProtected, 0);
    EXPECT_TRUE(CFileMng::IsValidMessageFile(f));
}

TEST_F(MessageTest, BuildingARecordRefusesAFileShorterThanABlock) {
    const fs::path f = box / "202612071405_abc_0012_00001.vminf";
    WriteBytes(f, std::string(255, 'x'));
    EXPECT_EQ(CFileMng::MakeStatusRecord(f), store::RecordWrite::Failed);
    EXPECT_EQ(CFileMng::MakeResponseRecord(f), store::RecordWrite::Failed);
    EXPECT_EQ(ReadFileBytes(f), std::string(255, 'x'));
    EXPECT_EQ(CFileMng::MakeStatusRecord(box / "missing.vminf"), store::RecordWrite::Failed);
    EXPECT_FALSE(fs::exists(box / "missing.vminf"));
}

TEST_F(MessageTest, WriteStatusRecordRefreshesTheBoxNameAndKeepsTheRest) {
    const fs::path f = box / "202612071405_abc_0012_00001.vmdat";
    WriteMessage(f, SampleRecord(), SampleBlock(), 3000);
    const std::string before = ReadFileBytes(f);
    ASSERT_TRUE(CFileMng::WriteBoxName(box, u"経理部の直通ボックスです"));
    FILESTS_INFO r = SampleRecord();
    r.boxName = u"old";
    r.flag = 1;
    r.title = u"T";
    ASSERT_EQ(CFileMng::WriteStatusRecord(r, f), store::RecordWrite::Written);
    EXPECT_EQ(r.boxName, u"経理部の直通ボックス");
    const std::string after = ReadFileBytes(f);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(990), before.substr(990));
    FILESTS_INFO back;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(f, back));
    EXPECT_EQ(back.boxName, u"経理部の直通ボックス");
    EXPECT_EQ(back.title, u"T");
    EXPECT_EQ(back.flag, 1);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(box), fs::directory_iterator()), 2);

    const fs::path shortFile = box / "202612071405_abc_0012_00002.vmdat";
    WriteBytes(shortFile, std::string(1000, 'z'));
    EXPECT_EQ(CFileMng::WriteStatusRecord(r, shortFile), store::RecordWrite::Failed);
    EXPECT_EQ(ReadFileBytes(shortFile), std::string(1000, 'z'));

    // A file just retrieved has its block first and no record yet: writing a
    // record over its head would destroy the block and the start of the speech.
    const fs::path raw = box / "202612071405_abc_0012_00003.vmdat";
    WriteDelivered(raw, SampleBlock(), 3000);
    const std::string rawBytes = ReadFileBytes(raw);
    EXPECT_EQ(CFileMng::WriteStatusRecord(r, raw), store::RecordWrite::Failed);
    EXPECT_EQ(ReadFileBytes(raw), rawBytes);
}

TEST_F(MessageTest, ReadStatusRecordLeavesTheRecordAloneWhenItCannot) {
    FILESTS_INFO r = SampleRecord();
    WriteBytes(box / "short.vmdat", std::string(989, 'q'));
    EXPECT_FALSE(CFileMng::ReadStatusRecord(box / "short.vmdat", r));
    EXPECT_FALSE(CFileMng::ReadStatusRecord(box / "missing.vmdat", r));
    EXPECT_EQ(r, SampleRecord());
}

TEST_F(MessageTest, WriteNameAndDateStampsTheBlockFromTheClock) {
    testkit::TestPorts ports;
    ports.clock.Set(LocalTime{2027, 1, 3, 0, 8, 7, 0, 0});
    const fs::path f = box / "202612071405_abc_0012_00001.vmdat";
    WriteMessage(f, SampleRecord(), SampleBlock(), 2000);
    const std::string before = ReadFileBytes(f);
    FILESTS_INFO r = SampleRecord();
    // 16 characters of two bytes each fill the 32 bytes; the 17th does not fit.
    r.partyName = u"あいうえおかきくけこさしすせそたち";
    ASSERT_EQ(CFileMng::WriteNameAndDate(r, f), store::RecordWrite::Written);
    const std::string after = ReadFileBytes(f);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, 1022), before.substr(0, 1022));
    EXPECT_EQ(after.substr(1022, 32), std::string("Sun,\0"
                                                  "3\0\0"
                                                  "Jan\0"
                                                  "2027\0"
                                                  "08:07\0"
                                                  "+0900\0\0\0\0",
                                                  32));
    EXPECT_EQ(after.substr(1054, 32), ToCp932(u"あいうえおかきくけこさしすせそた"));
    EXPECT_EQ(after.substr(1086), before.substr(1086));

    // A short name is padded with zeros over the old one.
    r.partyName = u"ab";
    ASSERT_EQ(CFileMng::WriteNameAndDate(r, f), store::RecordWrite::Written);
    EXPECT_EQ(ReadFileBytes(f).substr(1054, 32), "ab" + std::string(30, '\0'));

    // No block, no stamp.
    const fs::path raw = box / "202612071405_abc_0012_00002.vmdat";
    WriteDelivered(raw, SampleBlock(), 2000);
    const std::string rawBytes = ReadFileBytes(raw);
    EXPECT_EQ(CFileMng::WriteNameAndDate(r, raw), store::RecordWrite::Failed);
    EXPECT_EQ(ReadFileBytes(raw), rawBytes);
}

// A write that fails half way (here: the file-size limit) leaves the original whole.
TEST_F(MessageTest, FailedRewriteLeavesTheOriginal) {
    const fs::path f = box / "202612071405_abc_0012_00001.vmdat";
    WriteDelivered(f, SampleBlock(), 20000);
    const std::string before = ReadFileBytes(f);

    if (!FileSizeLimit::kAvailable) GTEST_SKIP() << kNoFileSizeLimit;
    store::RecordWrite prepended;
    {
        const FileSizeLimit limit(8192);
        prepended = CFileMng::MakeStatusRecord(f);
    }

    EXPECT_EQ(prepended, store::RecordWrite::Failed);
    EXPECT_EQ(ReadFileBytes(f), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(box), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace plova
