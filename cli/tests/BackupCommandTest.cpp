// plova-cli backup against the simulated main unit: the lock, the stored
// login, the settings file it updates, and its exit status.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/Command.h"
#include "cli/testing/CliRun.h"
#include "platform/IniFile.h"
#include "platform/SingleInstance.h"
#include "platform/testing/TempFolder.h"
#include "sim/MainUnitServer.h"
#include "sim/SeedMainUnit.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

class BackupCommandTest : public ::testing::Test {
protected:
    testkit::TempFolder dir{"cli-backup"};
    fs::path settings = dir / "PLOVA.ini";
    fs::path unit = dir / "unit";
    fs::path root = dir / "root";
    std::unique_ptr<sim::MainUnitServer> server;

    void SetUp() override {
        fs::create_directories(dir / "run");
        fs::create_directories(root);
        setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
        IniDocument ini;
        ini.set(u"LOGIN", u"IP", u"127.0.0.1");
        ini.set(u"LOGIN", u"USER", u"qermo");
        ini.set(u"LOGIN", u"PASS", u"kw1234");
        ini.setInt(u"LOGIN", u"CHECK", 1);
        ini.set(u"FOLDER", u"FOLDER", u"");
        ini.set(u"FOLDER", u"NEXTFOLDER", std::u16string(root.u16string()) + u"/");
        ini.setInt(u"FOLDER", u"CHANGE", 1);
        ini.set(u"DISP", u"FOLDERNAME", u"箱");
        ini.setInt(u"BACKUP", u"HINDO", 1);
        ini.setInt(u"BACKUP", u"JIKOKUHH", 2);
        ini.setInt(u"BACKUP", u"RETRYCNT", 1);
        ini.setInt(u"BACKUP", u"RETRYWAIT", 10000);
        ini.save(settings);
    }
    void TearDown() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("PLOVA_FTP_PORT");
    }

    void serve() {
        ASSERT_TRUE(sim::seedMainUnit(unit).ok);
        sim::Options o;
        o.root = unit;
        o.user = "qermo";
        o.password = "kw1234";
        server = std::make_unique<sim::MainUnitServer>(o);
        ASSERT_TRUE(server->start());
        setenv("PLOVA_FTP_PORT", std::to_string(server->port()).c_str(), 1);
    }

    testkit::CliOutcome run(Args args = {}) {
        if (args.empty()) args = {"--settings", settings.string()};
        return testkit::runCommandCaptured("backup", args);
    }
    std::u16string key(const char16_t* section, const char16_t* name) {
        return readProfileString(settings, section, name, u"(none)");
    }
};

TEST_F(BackupCommandTest, BacksUpIntoTheNextRootFolderAndRecordsTheResultOnly) {
    serve();
    const testkit::CliOutcome r = run();
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("plova-cli: backup: complete"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("messages on the main unit"), std::string::npos) << r.err;

    int months = 0;
    for (auto& e : fs::directory_iterator(root)) {
        ASSERT_EQ(e.path().filename().string().rfind("BU_", 0), 0u) << e.path();
        EXPECT_EQ(readProfileString(e.path() / "backup_info.ini", u"BACKUPINF", u"YFLAG"), u"完了");
        ++months;
    }
    EXPECT_GE(months, 3);
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIKA"), u"1");
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIBI").size(), 12u);
    const std::u16string due = key(u"BACKUP", u"YOTEIBI");
    ASSERT_EQ(due.size(), 12u);
    EXPECT_EQ(due.substr(8), u"0200");
    EXPECT_GT(due, key(u"BACKUP", u"ZENKAIBI"));
    // The rest of the file is the window's: left as it was.
    EXPECT_EQ(key(u"FOLDER", u"FOLDER"), u"");
    EXPECT_EQ(key(u"FOLDER", u"CHANGE"), u"1");
    EXPECT_EQ(key(u"DISP", u"FOLDERNAME"), u"箱");
    EXPECT_EQ(key(u"LOGIN", u"PASS"), u"kw1234");
}

TEST_F(BackupCommandTest, RefusesWhatItCannotDo) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        Args args;
        int code;
        const char* says;
    } cases[] = {
        {"bad arguments", [] {}, {"--folder", "x"}, kUsage, "expects [--settings FILE]"},
        {"no settings file", [] {}, {"--settings", (dir / "none.ini").string()}, kFailed, "no settings file"},
        {"login not stored",
         [&] { writeProfileInt(settings, u"LOGIN", u"CHECK", 0); },
         {},
         kFailed,
         "LOGIN CHECK is 0"},
        {"no root folder",
         [&] { writeProfileString(settings, u"FOLDER", u"NEXTFOLDER", u""); },
         {},
         kFailed,
         "no root folder"},
    };
    for (const Case& c : cases) {
        SetUp();
        c.arrange();
        const testkit::CliOutcome r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.what;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.what << ": " << r.err;
        EXPECT_TRUE(fs::is_empty(root)) << c.what;
    }
}

TEST_F(BackupCommandTest, NeverRunsBesideTheWindow) {
    SingleInstanceLock window("PLOVA-Kw");
    ASSERT_TRUE(window.acquired());
    const testkit::CliOutcome r = run();
    EXPECT_EQ(r.code, 75);
    EXPECT_NE(r.err.find("the program is running"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIKA"), u"(none)");
}

TEST_F(BackupCommandTest, AFailedRunExitsNonZeroAndRecordsTheFailure) {
    // Nothing listens on the port: two login attempts, about seven seconds apart.
    {
        sim::Options o;
        o.root = dir.path();
        sim::MainUnitServer gone(o);
        ASSERT_TRUE(gone.start());
        setenv("PLOVA_FTP_PORT", std::to_string(gone.port()).c_str(), 1);
    }
    const testkit::CliOutcome r = run();
    EXPECT_EQ(r.code, kFailed);
    EXPECT_NE(r.err.find("通信エラーが発生しました。"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("plova-cli: backup: cannot log in to the main unit with the stored values"), std::string::npos)
        << r.err;
    EXPECT_EQ(key(u"BACKUP", u"ZENKAIKA"), u"2");
    EXPECT_EQ(key(u"BACKUP", u"YOTEIBI").size(), 12u);
    for (auto& e : fs::directory_iterator(root))
        EXPECT_EQ(readProfileString(e.path() / "backup_info.ini", u"BACKUPINF", u"YFLAG"), u"未完");
}

}  // namespace
}  // namespace plova::cli
