// Reading and writing "PLOVA.ini" through the settings record.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "app/CPLOVADoc.h"
#include "platform/Text.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::SystemFolderText;
using testkit::TempFolder;

class SettingsFileTest : public ::testing::Test {
protected:
    TempFolder dir{"settings"};
    fs::path file = dir / "PLOVA.ini";

    void writeRaw(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    [[nodiscard]] IniDocument reload() const { return IniDocument::Load(file); }
    [[nodiscard]] SettingsRecord read() const {
        CPLOVADoc doc;
        doc.ReadAllSettings(file);
        return doc.settings;
    }
};

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
    const SettingsRecord r = read();
    EXPECT_EQ(r.retryCount, 3);
    EXPECT_EQ(r.retryWait, 60000);
    EXPECT_EQ(r.hindo, 0);
    EXPECT_EQ(r.hi, 1);
    EXPECT_EQ(r.num, 0);
    EXPECT_TRUE(r.folder.empty());
    EXPECT_TRUE(r.folderName.empty());
    EXPECT_EQ(r.loggedIn, 0);
    EXPECT_FALSE(fs::exists(file));  // reading never creates the file
}

TEST_F(SettingsFileTest, ValuesAreClampedAsTheTableSays) {
    writeRaw(
        "[BACKUP]\r\nRETRYCNT=0\r\nRETRYWAIT=5000\r\nHI=-3\r\nHINDO=-2\r\nYOUBI=-1\r\nJIKOKUHH=-5\r\n"
        "JIKOKUMM=-9\r\nZENKAIKA=-1\r\n[LOGIN]\r\nCHECK=-1\r\n[FOLDER]\r\nINIT=-1\r\nCHANGE=-4\r\n"
        "[DISP]\r\nNUM=-2\r\n[CONVERT]\r\nDOWNCONV=-1\r\nCONVDEL=-1\r\n"
        "[CODEC]\r\nLEVELRVWAVOR=-7\r\nLEVELRVWMAOR=12\r\nLEVELRVORWAV=-30000\r\n");
    const SettingsRecord r = read();
    EXPECT_EQ(r.retryCount, 1);
    EXPECT_EQ(r.retryWait, 10000);
    EXPECT_EQ(r.hi, 1);
    for (int v : {r.hindo, r.youbi, r.jikokuHH, r.jikokuMM, r.zenkaika, r.check, r.init, r.change, r.num, r.downConv,
                  r.convDel})
        EXPECT_EQ(v, 0);
    // The level values are stored as they are.
    EXPECT_EQ(r.levelRvWavOr, -7);
    EXPECT_EQ(r.levelRvWmaOr, 12);
    EXPECT_EQ(r.levelRvOrWav, -30000);
}

TEST_F(SettingsFileTest, BoundaryValuesPassUnchanged) {
    writeRaw("[BACKUP]\r\nRETRYCNT=1\r\nRETRYWAIT=10000\r\nHI=0\r\nHINDO=3\r\n");
    const SettingsRecord r = read();
    EXPECT_EQ(r.retryCount, 1);
    EXPECT_EQ(r.retryWait, 10000);
    EXPECT_EQ(r.hi, 0);  // only negative values become 1
    EXPECT_EQ(r.hindo, 3);
}

TEST_F(SettingsFileTest, OverlongValuesAreCutToTheirFields) {
    const std::string path300(300, 'p');
    writeRaw("[LOGIN]\r\nIP=192.168.100.200.1\r\nUSER=" + std::string(40, 'u') + "\r\nPASS=" + std::string(17, 'x') +
             "\r\n[FOLDER]\r\nFOLDER=" + path300 + "\r\n[DISP]\r\nDISP2=" + std::string(5000, 'd') +
             "\r\nCOLUM1=ABCDEFGH\r\n[BACKUP]\r\nZENKAIBI=2024010112005\r\n");
    const SettingsRecord r = read();
    EXPECT_EQ(r.ip, u"192.168.100.200");
    EXPECT_EQ(r.user.size(), 16u);
    EXPECT_EQ(r.password.size(), 16u);
    EXPECT_EQ(r.folder.size(), 259u);
    EXPECT_EQ(r.disp[1].size(), 4095u);
    EXPECT_EQ(r.columns[0], u"ABCDEF");
    EXPECT_EQ(r.zenkaibi, u"202401011200");
}

TEST(FitFieldTest, NeverSplitsASurrogatePairAndStopsAtNul) {
    const std::u16string smile = u"ab\U0001F600";  // a, b, high, low
    EXPECT_EQ(FitField(smile, 3), u"ab");
    EXPECT_EQ(FitField(smile, 4), smile);
    EXPECT_EQ(FitField(std::u16string(u"ab\0cd", 5), 10), u"ab");
}

TEST_F(SettingsFileTest, GarbledFilesNeverCrashAndGiveUsableValues) {
    std::mt19937 rng(7);
    std::string junk(200000, '\0');
    for (char& c : junk) c = static_cast<char>(rng());
    writeRaw("[BACKUP]\nRETRYCNT=99999999999999999999\n[LOGIN\nIP=\x82\xa0\x82\n" + junk);
    SettingsRecord r = read();
    EXPECT_GE(r.retryCount, 1);
    EXPECT_GE(r.retryWait, 10000);
    EXPECT_LE(r.ip.size(), 15u);
    // And the record can be written back over the garbage.
    CPLOVADoc doc;
    doc.settings = r;
    ASSERT_TRUE(doc.WriteAllSettings(file));
    EXPECT_EQ(read().retryCount, r.retryCount);
}

TEST_F(SettingsFileTest, HugeFileIsReadWithoutTroubleUpToTheLimit) {
    const auto huge = [](std::size_t userBytes, int junkLines) {
        std::string big = "[LOGIN]\r\nUSER=" + std::string(userBytes, 'u') + "\r\n";
        for (int i = 0; i < junkLines; ++i) big += "JUNK" + std::to_string(i) + "=" + std::string(60, 'j') + "\r\n";
        return big + "[BACKUP]\r\nHINDO=2\r\n";
    };
    writeRaw(huge(4u << 20, 40000));  // 6.8 MB
    SettingsRecord r = read();
    EXPECT_EQ(r.user, std::u16string(16, u'u'));
    EXPECT_EQ(r.hindo, 2);
    // Beyond the limit the file is not read at all: the defaults hold.
    writeRaw(huge(8u << 20, 200000));
    r = read();
    EXPECT_EQ(r.user, u"");
    EXPECT_NE(r.hindo, 2);
}

TEST_F(SettingsFileTest, RoundTripKeepsEveryValue) {
    CPLOVADoc doc;
    SettingsRecord& r = doc.settings;
    r.ip = u"10.0.0.5";
    r.user = u"qermo";
    r.password = u"ｐａｓｓ";
    r.check = 1;
    r.folder = SystemFolderText(u"/data/boxes/");
    r.init = 1;
    r.nextFolder = SystemFolderText(u"/data/next/");
    r.nextFolderName = u"本社";
    r.folderName = u"本社";
    r.num = 2;
    r.disp = {u"留守録BOX：001,002", u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ", u"", u""};
    r.folderNames = {u"本社", u"本社", u"", u""};
    r.downConv = 1;
    r.convDel = 1;
    r.exportPath = u"/tmp/e";
    r.exportName = u"list.csv";
    r.importPath = u"/tmp/i";
    r.importName = u"names.csv";
    r.sysAddFolder = u"/music";
    r.levelRvWavOr = -3;
    r.levelRvWmaOr = 4;
    r.levelRvOrWav = 5;
    r.hindo = 3;
    r.youbi = 4;
    r.hi = 31;
    r.jikokuHH = 23;
    r.jikokuMM = 59;
    r.zenkaibi = u"202601011200";
    r.zenkaika = 2;
    r.yoteibi = u"202602311200";
    r.retryCount = 5;
    r.retryWait = 20000;
    ASSERT_TRUE(doc.WriteAllSettings(file));

    SettingsRecord back = read();
    back.columns = r.columns;
    back.deletedColumns = r.deletedColumns;
    EXPECT_EQ(back.ip, r.ip);
    EXPECT_EQ(back.password, r.password);
    EXPECT_EQ(back.folder, r.folder);
    EXPECT_EQ(back.nextFolderName, r.nextFolderName);
    EXPECT_EQ(back.disp, r.disp);
    EXPECT_EQ(back.folderNames, r.folderNames);
    EXPECT_EQ(back.importName, r.importName);
    EXPECT_EQ(back.levelRvWavOr, -3);
    EXPECT_EQ(back.hi, 31);
    EXPECT_EQ(back.yoteibi, r.yoteibi);
    EXPECT_EQ(back.retryWait, 20000);
}

TEST_F(SettingsFileTest, FolderGetsATrailingSeparatorWhenWritten) {
    CPLOVADoc doc;
    doc.settings.folder = SystemFolderText(u"/data/boxes");
    ASSERT_TRUE(doc.WriteAllSettings(file));
    EXPECT_EQ(reload().GetString(u"FOLDER", u"FOLDER"), SystemFolderText(u"/data/boxes/"));

    doc.settings.folder.clear();
    ASSERT_TRUE(doc.WriteAllSettings(file));
    EXPECT_EQ(reload().GetString(u"FOLDER", u"FOLDER", u"missing"), u"");
}

TEST_F(SettingsFileTest, PendingFolderChangeWritesTheNextStartState) {
    CPLOVADoc doc;
    SettingsRecord& r = doc.settings;
    r.folder = SystemFolderText(u"/data/boxes/");
    r.folderName = u"old";
    r.nextFolder = SystemFolderText(u"/data/next/");
    r.nextFolderName = u"new";
    r.num = 3;
    r.disp = {u"a", u"b", u"c", u""};
    r.folderNames = {u"old", u"old", u"old", u""};
    r.change = 1;
    ASSERT_TRUE(doc.WriteAllSettings(file));
    IniDocument ini = reload();
    EXPECT_EQ(ini.GetString(u"FOLDER", u"FOLDER", u"missing"), u"");
    EXPECT_EQ(ini.GetString(u"DISP", u"FOLDERNAME"), u"new");
    EXPECT_EQ(ini.GetInt(u"DISP", u"NUM", -1), 0);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(ini.GetString(u"DISP", NumberedKey(u"DISP", i), u"missing"), u"");
    EXPECT_EQ(ini.GetInt(u"FOLDER", u"CHANGE", -1), 1);
    EXPECT_EQ(ini.GetString(u"FOLDER", u"NEXTFOLDER"), SystemFolderText(u"/data/next/"));

    r.change = 0;
    ASSERT_TRUE(doc.WriteAllSettings(file));
    ini = reload();
    EXPECT_EQ(ini.GetString(u"FOLDER", u"FOLDER"), SystemFolderText(u"/data/boxes/"));
    EXPECT_EQ(ini.GetString(u"DISP", u"FOLDERNAME"), u"old");
    EXPECT_EQ(ini.GetInt(u"DISP", u"NUM", -1), 3);
    EXPECT_EQ(ini.GetString(u"DISP", u"DISP2"), u"b");
}

TEST_F(SettingsFileTest, UncheckedRememberWritesTheLoginValuesEmpty) {
    CPLOVADoc doc;
    doc.settings.ip = u"10.0.0.5";
    doc.settings.user = u"qermo";
    doc.settings.password = u"secret";
    doc.settings.check = 0;
    ASSERT_TRUE(doc.WriteAllSettings(file));
    IniDocument ini = reload();
    for (auto key : {u"IP", u"USER", u"PASS"}) {
        ASSERT_TRUE(ini.Get(u"LOGIN", key).has_value()) << testkit::Utf8(key);
        EXPECT_EQ(*ini.Get(u"LOGIN", key), u"");
    }

    doc.settings.check = 1;
    ASSERT_TRUE(doc.WriteAllSettings(file));
    EXPECT_EQ(reload().GetString(u"LOGIN", u"PASS"), u"secret");
}

TEST_F(SettingsFileTest, FileIsOwnerOnlyAndKeepsKeysItDoesNotWrite) {
    writeRaw(ToCp932(u"[DISP]\r\nCOLUM1=日時\r\nDELCOLUM1=メモ\r\n[Window2]\r\nZOrder=1\r\n[Mine]\r\nkeep=yes\r\n"));
    std::error_code ec;
    fs::permissions(file, fs::perms(0644), ec);  // others may read it now, where files have modes
    CPLOVADoc doc;
    doc.ReadAllSettings(file);
    EXPECT_EQ(doc.settings.columns[0], u"日時");
    doc.settings.columns[0] = u"changed";  // written by the display-items dialog, not here
    ASSERT_TRUE(doc.WriteAllSettings(file));

    // Wine forgets the access list it is given: nothing to look at there.
    const bool rulesKept = testkit::KeepsAccessRules(file.parent_path());
    if (rulesKept) {
        EXPECT_TRUE(testkit::OwnerOnly(file));
    }
    IniDocument ini = reload();
    EXPECT_EQ(ini.GetString(u"DISP", u"COLUM1"), u"日時");
    EXPECT_EQ(ini.GetString(u"DISP", u"DELCOLUM1"), u"メモ");
    EXPECT_EQ(ini.GetInt(u"Window2", u"ZOrder", 0), 1);
    EXPECT_EQ(ini.GetString(u"Mine", u"keep"), u"yes");

    fs::remove(file);
    ASSERT_TRUE(doc.WriteAllSettings(file));
    if (rulesKept) {
        EXPECT_TRUE(testkit::OwnerOnly(file)) << "a new file too";
    }
}

TEST_F(SettingsFileTest, FailedWriteIsReportedAndLeavesTheOldFile) {
    writeRaw("[LOGIN]\r\nUSER=before\r\n");
    fs::create_directory(dir / "PLOVA.ini.tmp");  // nothing may be created there
    CPLOVADoc doc;
    doc.settings.user = u"qermo";
    // A folder in the way of the file: the write cannot succeed, even as root.
    EXPECT_FALSE(doc.WriteAllSettings(dir / "sub" / "PLOVA.ini"));
    EXPECT_FALSE(fs::exists(dir / "sub"));
    fs::create_directories(dir / "taken.ini" / "x");
    EXPECT_FALSE(doc.WriteAllSettings(dir / "taken.ini"));
    EXPECT_TRUE(fs::is_directory(dir / "taken.ini" / "x"));
    EXPECT_EQ(reload().GetString(u"LOGIN", u"USER"), u"before");
}

}  // namespace
}  // namespace plova
