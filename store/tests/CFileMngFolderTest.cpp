// Box folders, file names, inf.ini and enumeration.
#include <gtest/gtest.h>

#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using namespace testkit;

constexpr const char* kBoxName = "202612071405_abc_0012_00001.vmdat";      // 33
constexpr const char* kResponseName = "202612071405_abc_0005_0005.vmdat";  // 32

TEST(MessageNames, BoxNumberAndResponseNumberFromTheName) {
    EXPECT_EQ(CFileMng::BoxNumberFromName(u"202612071405_abc_0012_00001.vmdat"), u"0012");
    // An "A" in front of the number is not part of it.
    EXPECT_EQ(CFileMng::BoxNumberFromName(u"202612071405_abc_A123_00001.vmdat"), u"123");
    // Up to the next "_", at most four characters.
    EXPECT_EQ(CFileMng::BoxNumberFromName(u"202612071405_abc_12_000001.vmdat"), u"12");
    EXPECT_EQ(CFileMng::BoxNumberFromName(u"202612071405_abc_123456_001.vmdat"), u"1234");
    EXPECT_EQ(CFileMng::BoxNumberFromName(u"202612071405_abcd0012_00001.vmdat"), u"");
    EXPECT_EQ(CFileMng::BoxNumberFromName(u"short"), u"");

    EXPECT_EQ(CFileMng::ResponseNumberFromName(u"202612071405_abc_0300_0300.vmdat"), 300);
    EXPECT_EQ(CFileMng::ResponseNumberFromName(u"202612071405_abc_0x01_0001.vmdat"), -1);
}

TEST(MessageNames, LengthDependsOnTheOutouFolderAndTheNumberOnItsRange) {
    const fs::path box = "/r/box/rusuroku/0012";
    const fs::path outou = "/r/box/outou";
    EXPECT_TRUE(CFileMng::IsValidMessageName(box / kBoxName));
    EXPECT_FALSE(CFileMng::IsValidMessageName(box / kResponseName));
    EXPECT_TRUE(CFileMng::IsValidMessageName(outou / kResponseName));
    EXPECT_FALSE(CFileMng::IsValidMessageName(outou / kBoxName));
    EXPECT_TRUE(CFileMng::IsValidMessageName(outou / "202612071405_abc_0001_0001.vmdat"));
    EXPECT_TRUE(CFileMng::IsValidMessageName(outou / "202612071405_abc_0300_0300.vmdat"));
    EXPECT_FALSE(CFileMng::IsValidMessageName(outou / "202612071405_abc_0000_0000.vmdat"));
    EXPECT_FALSE(CFileMng::IsValidMessageName(outou / "202612071405_abc_0301_0301.vmdat"));
    // "outou" must be a whole folder name, not part of one.
    EXPECT_TRUE(CFileMng::IsValidMessageName(fs::path("/r/outou2") / kBoxName));
}

class BoxFolderTest : public ::testing::Test {
protected:
    TempFolder root{"store"};
    fs::path make(const std::string& rel) {
        fs::create_directories(root / rel);
        return root / rel;
    }
};

TEST_F(BoxFolderTest, BoxFolderNeedsBothKindsAsFolders) {
    make("a/rusuroku");
    EXPECT_FALSE(CFileMng::IsBoxFolder(root / "a"));
    WriteBytes(root / "a/naisen", "a file is not a folder");
    EXPECT_FALSE(CFileMng::IsBoxFolder(root / "a"));
    make("b/old_rusuroku");
    make("b/naisen_x");
    EXPECT_TRUE(CFileMng::IsBoxFolder(root / "b"));
    EXPECT_FALSE(CFileMng::IsBoxFolder(root / "missing"));
}

TEST_F(BoxFolderTest, HasMessagesTellsNoBoxesFromEmptyBoxes) {
    make("f/rusuroku");
    make("f/naisen");
    EXPECT_EQ(CFileMng::HasMessages(root / "f"), store::BoxContents::NoBoxFolders);
    make("f/rusuroku/0001");
    const fs::path ext = make("f/naisen/0200");
    EXPECT_EQ(CFileMng::HasMessages(root / "f"), store::BoxContents::AllBoxesEmpty);
    WriteBytes(ext / "readme.txt", "x");
    EXPECT_EQ(CFileMng::HasMessages(root / "f"), store::BoxContents::AllBoxesEmpty);
    WriteBytes(ext / kBoxName, "even an invalid message counts");
    EXPECT_EQ(CFileMng::HasMessages(root / "f"), store::BoxContents::HasMessages);
}

TEST_F(BoxFolderTest, VminfIsListedUntilItsVmdatArrives) {
    const fs::path box = make("f/rusuroku/0012");
    const std::string stem = "202612071405_abc_0012_00001";
    WriteBytes(box / (stem + ".vminf"), "i");
    WriteBytes(box / "202612071500_abc_0012_00002.vminf", "i");
    WriteBytes(box / "inf.ini", "[INF]\r\n");
    WriteBytes(box / "202612071405_abc_0012_00001.wav", "w");
    make("f/rusuroku/0012/sub.vmdat");  // a folder is never a message
    EXPECT_EQ(CFileMng::CountMessages(box), 2);
    WriteBytes(box / (stem + ".vmdat"), "d");
    const auto list = CFileMng::EnumerateMessages(box);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].filename(), stem + ".vmdat");
    EXPECT_EQ(list[1].filename(), "202612071500_abc_0012_00002.vminf");
    EXPECT_EQ(CFileMng::CountMessages(root / "nowhere"), 0);
}

TEST_F(BoxFolderTest, SubFoldersInNameOrderWithFullPaths) {
    make("f/naisen/0300");
    make("f/naisen/0200");
    WriteBytes(root / "f/naisen/0100", "file");
    const auto subs = CFileMng::ListSubFolders(root / "f/naisen");
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(subs[0], root / "f/naisen/0200");
    EXPECT_EQ(subs[1], root / "f/naisen/0300");
}

TEST_F(BoxFolderTest, BoxNameAndMakeInInfIni) {
    const fs::path box = make("f/naisen/0200");
    EXPECT_EQ(CFileMng::ReadBoxName(box), u"");
    EXPECT_EQ(CFileMng::ReadMake(box), 0);
    EXPECT_FALSE(CFileMng::IsUnfinished(box));

    ASSERT_TRUE(CFileMng::WriteBoxName(box, u"営業部"));
    EXPECT_NE(ReadFileBytes(box / "inf.ini").find("NAME=\"\x89\x63\x8B\xC6\x95\x94\""), std::string::npos);
    EXPECT_EQ(CFileMng::ReadBoxName(box), u"営業部");
    ASSERT_TRUE(CFileMng::WriteBoxName(box, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(CFileMng::ReadBoxName(box), u"ABCDEFGHIJKLMNOPQRS");

    ASSERT_TRUE(CFileMng::WriteMake(box, u"2"));
    EXPECT_EQ(CFileMng::ReadMake(box), 2);
    EXPECT_TRUE(CFileMng::IsUnfinished(box));
    EXPECT_EQ(CFileMng::ReadBoxName(box), u"ABCDEFGHIJKLMNOPQRS");  // the other key is kept
}

TEST_F(BoxFolderTest, GarbledOrHugeInfIniReadsAsDefaults) {
    const fs::path box = make("g");
    WriteBytes(box / "inf.ini", std::string(3 << 20, '\xff') + "\r\n[INF\r\nMAKE=abc\r\n");
    EXPECT_EQ(CFileMng::ReadMake(box), 0);
    EXPECT_EQ(CFileMng::ReadBoxName(box), u"");
    WriteBytes(box / "inf.ini", "[INF]\r\nNAME=\"" + std::string(4 << 20, 'n') + "\"\r\nMAKE=1\r\n");
    EXPECT_EQ(CFileMng::ReadBoxName(box).size(), store::kBoxNameReadChars);
    EXPECT_EQ(CFileMng::ReadMake(box), 1);
}

TEST_F(BoxFolderTest, LocalResponseMessageComparedByItsDatePrefix) {
    const fs::path outou = make("f/outou");
    fs::path local;
    const std::u16string remote = u"202612071405_abc_0005_0005.vmdat";
    EXPECT_EQ(CFileMng::FindLocalResponseMessage(outou, remote, local), store::LocalResponse::None);

    WriteBytes(outou / "202612071405_xyz_0005_0005.vmdat", "same date");
    EXPECT_EQ(CFileMng::FindLocalResponseMessage(outou, remote, local), store::LocalResponse::Current);
    EXPECT_EQ(local, outou / "202612071405_xyz_0005_0005.vmdat");
    EXPECT_EQ(CFileMng::FindLocalResponseMessage(outou, u"202612071406_abc_0005_0005.vmdat", local),
              store::LocalResponse::RemoteNewer);
    EXPECT_EQ(CFileMng::FindLocalResponseMessage(outou, u"202501010000_abc_0005_0005.vmdat", local),
              store::LocalResponse::Current);
    // Another message number is another message.
    EXPECT_EQ(CFileMng::FindLocalResponseMessage(outou, u"202612071405_abc_0006_0006.vmdat", local),
              store::LocalResponse::None);

    fs::remove(outou / "202612071405_xyz_0005_0005.vmdat");
    WriteBytes(outou / "x202612071405_xyz_0005_0005.vmdat", "wrong length");
    EXPECT_EQ(CFileMng::FindLocalResponseMessage(outou, remote, local), store::LocalResponse::RemoteNewer);
    EXPECT_EQ(local.filename(), "x202612071405_xyz_0005_0005.vmdat");
}

TEST_F(BoxFolderTest, FileExistsWithWildcardsAndCreateFolderOnlyWhenFree) {
    WriteBytes(root / "202612071405_abc_0005_0005.vmdat", "x");
    EXPECT_TRUE(CFileMng::FileExists(root / "202612071405_abc_0005_0005.vmdat"));
    EXPECT_TRUE(CFileMng::FileExists(root / "*0005_0005.vmdat"));
    EXPECT_TRUE(CFileMng::FileExists(root / "2026????1405*"));
    EXPECT_FALSE(CFileMng::FileExists(root / "*0006_0006.vmdat"));
    EXPECT_FALSE(CFileMng::FileExists(root / "*.vminf"));

    EXPECT_TRUE(CFileMng::CreateFolder(root / "new"));
    EXPECT_TRUE(fs::is_directory(root / "new"));
    EXPECT_FALSE(CFileMng::CreateFolder(root / "new"));
    EXPECT_FALSE(CFileMng::CreateFolder(root / "202612071405_abc_0005_0005.vmdat"));
    EXPECT_FALSE(CFileMng::CreateFolder(root / "no/such/parent"));
}

TEST_F(BoxFolderTest, FirstRecordPrefersTheVminf) {
    const fs::path box = make("f/rusuroku/0012");
    FILESTS_INFO a = SampleRecord(), b = SampleRecord();
    a.title = u"from vmdat";
    b.title = u"from vminf";
    WriteMessage(box / "202601010000_abc_0012_00001.vmdat", a, SampleBlock());
    FILESTS_INFO out;
    ASSERT_TRUE(CFileMng::ReadFirstRecord(box, out));
    EXPECT_EQ(out.title, u"from vmdat");
    WriteMessage(box / "202612310000_abc_0012_00009.vminf", b, SampleBlock());
    ASSERT_TRUE(CFileMng::ReadFirstRecord(box, out));
    EXPECT_EQ(out.title, u"from vminf");
    EXPECT_FALSE(CFileMng::ReadFirstRecord(root / "nowhere", out));
}

}  // namespace
}  // namespace plova
