#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/SpecialFiles.h"

namespace fs = std::filesystem;
using namespace plova;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("ini-test-" + std::to_string(CurrentProcessId()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "test.ini";
    }
    void TearDown() override { fs::remove_all(dir); }

    void put(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    [[nodiscard]] std::string bytes() const {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir, file;
};

TEST_F(IniFileTest, ReadsLikeTheProfileFunctions) {
    put("; comment\r\n[Login]\r\nip = 10.0.0.1 \r\nName=\"Box A\"\r\nsingle='x'\r\nhalf=\"open\r\nn=42abc\r\nneg=-3\r\n"
        "bad=abc\r\n[INF]\nNAME=\"\x82\xa0\"\n");
    EXPECT_EQ(ReadProfileString(file, u"LOGIN", u"IP"), u"10.0.0.1");
    EXPECT_EQ(ReadProfileString(file, u"login", u"name"), u"Box A");
    EXPECT_EQ(ReadProfileString(file, u"LOGIN", u"single"), u"x");
    EXPECT_EQ(ReadProfileString(file, u"LOGIN", u"half"), u"\"open");
    EXPECT_EQ(ReadProfileString(file, u"LOGIN", u"missing", u"dflt"), u"dflt");
    EXPECT_EQ(ReadProfileString(file, u"NOSECTION", u"IP", u"d"), u"d");
    EXPECT_EQ(ReadProfileInt(file, u"LOGIN", u"n", 7), 42);
    EXPECT_EQ(ReadProfileInt(file, u"LOGIN", u"neg", 7), -3);
    EXPECT_EQ(ReadProfileInt(file, u"LOGIN", u"bad", 7), 0);
    EXPECT_EQ(ReadProfileInt(file, u"LOGIN", u"missing", 7), 7);
    // LF-only files and CP932 text read too.
    EXPECT_EQ(ReadProfileString(file, u"INF", u"NAME"), u"あ");
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndWriteCreatesIt) {
    EXPECT_EQ(ReadProfileInt(file, u"A", u"B", -9999), -9999);
    ASSERT_TRUE(WriteProfileText(file, u"INF", u"NAME", u"\"営業部\""));
    ASSERT_TRUE(WriteProfileInt(file, u"INF", u"MAKE", 2));
    EXPECT_EQ(bytes(), "[INF]\r\nNAME=\"" + ToCp932(u"営業部") + "\"\r\nMAKE=2\r\n");
    EXPECT_EQ(ReadProfileString(file, u"INF", u"NAME"), u"営業部");
}

TEST_F(IniFileTest, WriteUpdatesOneKeyInPlaceAndKeepsEveryOtherLine) {
    put("; keep me\r\n[A]\r\nx=1\r\n\r\ny = 2 \r\n[B]\r\nx=3\r\n");
    ASSERT_TRUE(WriteProfileInt(file, u"a", u"X", 10));
    ASSERT_TRUE(WriteProfileText(file, u"B", u"z", u"new"));
    ASSERT_TRUE(WriteProfileText(file, u"A", u"w", u"added"));
    ASSERT_TRUE(WriteProfileText(file, u"C", u"k", u"v"));
    EXPECT_EQ(bytes(), "; keep me\r\n[A]\r\nX=10\r\n\r\ny = 2 \r\nw=added\r\n[B]\r\nx=3\r\nz=new\r\n[C]\r\nk=v\r\n");
    ASSERT_TRUE(DeleteProfileKey(file, u"A", u"Y"));
    EXPECT_EQ(bytes(), "; keep me\r\n[A]\r\nX=10\r\n\r\nw=added\r\n[B]\r\nx=3\r\nz=new\r\n[C]\r\nk=v\r\n");
}

TEST_F(IniFileTest, ValuesCannotSmuggleLines) {
    ASSERT_TRUE(WriteProfileText(file, u"A", u"k", u"a\r\n[B]\r\nx=1"));
    EXPECT_EQ(ReadProfileString(file, u"B", u"x", u"none"), u"none");
}

TEST_F(IniFileTest, SaveIsAtomicAndHonoursOwnerOnly) {
    IniDocument doc;
    doc.Set(u"LOGIN", u"PASS", u"secret");
    ASSERT_TRUE(doc.Save(file, NewFileMode::OwnerOnly));
    if (testkit::KeepsAccessRules(dir)) {
        EXPECT_TRUE(testkit::OwnerOnly(file));
    }
    // A later ordinary write keeps the file's own permissions.
    ASSERT_TRUE(WriteProfileText(file, u"LOGIN", u"USER", u"u"));
    if (testkit::KeepsAccessRules(dir)) {
        EXPECT_TRUE(testkit::OwnerOnly(file));
    }
    // No temporary files remain.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    // A write into a folder that does not exist fails and creates nothing.
    EXPECT_FALSE(WriteProfileText(dir / "nope" / "x.ini", u"A", u"b", u"c"));
    EXPECT_FALSE(fs::exists(dir / "nope"));
}

TEST_F(IniFileTest, GarbledAndHugeFilesNeverCrash) {
    std::string junk(std::size_t{3} * 1024 * 1024, 'x');
    junk += "\r\n[A\r\n=\r\n[]\r\n\x81\r\n[A]\r\nk=\xff\xfe\x80\r\n";
    junk.push_back('\0');
    junk += "\r\nhuge=" + std::string(std::size_t{2} * 1024 * 1024, '9') + "\r\n";
    put(junk);
    EXPECT_EQ(ReadProfileString(file, u"A", u"k").size(), 3u);
    EXPECT_EQ(ReadProfileInt(file, u"A", u"huge", 5), 0x7FFFFFFF);
    EXPECT_EQ(ReadProfileInt(file, u"A", u"missing", 5), 5);
}

}  // namespace
