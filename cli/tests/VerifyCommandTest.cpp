// The verified backup end to end: plova-cli backup against the simulated main
// unit writes each month's SHA256SUMS, which sha256sum itself accepts;
// plova-cli verify finds what was done to the backup afterwards; the dry run
// writes nothing at all; every run leaves its entry in the operations log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "cli/Command.h"
#include "cli/testing/BackupSettings.h"
#include "cli/testing/CliRun.h"
#include "oplog/LogFilter.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/IniFile.h"
#include "platform/testing/TempFolder.h"
#include "sim/testing/SimUnit.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

// Every file and folder under `folder` with its bytes: the tree as it stands.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        std::string bytes = "(folder)";
        if (e.is_regular_file()) {
            EXPECT_EQ(ReadWholeFile(e.path(), bytes, 1 << 26), ReadResult::Ok);
        }
        tree[e.path().lexically_relative(folder).string()] = bytes;
    }
    return tree;
}

class VerifyCommandTest : public ::testing::Test {
protected:
    testkit::LogFolderScope log;
    testkit::TempFolder dir{"cli-verify"};
    fs::path settings = dir / "PLOVA.ini";
    fs::path root = dir / "root";
    testkit::SimUnit unit{dir / "unit", "qermo", "kw1234"};

    void SetUp() override {
        fs::create_directories(dir / "run");
        fs::create_directories(root);
        setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
        IniDocument ini = testkit::BackupSettings(u"qermo", u"kw1234");
        ini.Set(u"FOLDER", u"FOLDER", std::u16string(root.u16string()) + u"/");
        ASSERT_TRUE(ini.Save(settings));
        ASSERT_NO_FATAL_FAILURE(unit.Seed());
        ASSERT_NO_FATAL_FAILURE(unit.Start());
        setenv("PLOVA_FTP_PORT", std::to_string(unit.Port()).c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("PLOVA_FTP_PORT");
    }

    testkit::CliOutcome backup(Args more = {}) {
        Args args = {"--settings", settings.string()};
        args.insert(args.end(), more.begin(), more.end());
        return testkit::RunCommandCaptured("backup", args);
    }
    testkit::CliOutcome verify(const fs::path& target) {
        return testkit::RunCommandCaptured("verify", {target.string()});
    }

    std::vector<fs::path> months() {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(root))
            if (e.path().filename().string().rfind("BU_", 0) == 0) out.push_back(e.path());
        std::sort(out.begin(), out.end());
        return out;
    }
    // A message file of the backup with voice data.
    fs::path someVoiceFile() {
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.path().extension() == ".vmdat" && e.path().string().find("rusuroku") != std::string::npos)
                return e.path();
        ADD_FAILURE() << "no voice file backed up";
        return {};
    }
};

TEST_F(VerifyCommandTest, ARealRunLeavesManifestsThatSha256sumAcceptsAndVerifyToo) {
    const testkit::CliOutcome r = backup();
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<fs::path> done = months();
    ASSERT_GE(done.size(), 3u);
    for (const fs::path& month : done) {
        ASSERT_TRUE(fs::exists(month / "SHA256SUMS")) << month;
        const std::string check = "cd '" + month.string() + "' && sha256sum --quiet --strict -c SHA256SUMS";
        EXPECT_EQ(std::system(check.c_str()), 0) << month;
        // Every message of the month is listed; its bookkeeping is not.
        std::string manifest;
        ASSERT_EQ(ReadWholeFile(month / "SHA256SUMS", manifest, 1 << 22), ReadResult::Ok);
        EXPECT_EQ(manifest.find("backup_info.ini"), std::string::npos);
        for (const auto& e : fs::recursive_directory_iterator(month))
            if (e.path().extension() == ".vmdat") {
                EXPECT_NE(manifest.find(e.path().lexically_relative(month).generic_string()), std::string::npos);
            }
    }
    const testkit::CliOutcome v = verify(root);
    EXPECT_EQ(v.code, 0) << v.out << v.err;
    EXPECT_NE(v.out.find("everything holds"), std::string::npos) << v.out;
    // One month alone, given with a trailing separator.
    EXPECT_EQ(verify(done.back().string() + "/").code, 0);

    // Both runs are in the log, with the fetched messages; the password never is.
    ASSERT_EQ(log.Of("backup").size(), 1u);
    const oplog::Entry b = log.Of("backup")[0];
    EXPECT_EQ(b.result, oplog::Result::Ok);
    EXPECT_EQ(b.by, oplog::FrontEnd::Cli);
    EXPECT_EQ(b.unitUser, "qermo");
    EXPECT_EQ(b.unitAddress, "127.0.0.1");
    EXPECT_FALSE(b.messages.empty());
    for (const oplog::MessageResult& m : b.messages) EXPECT_EQ(m.outcome, oplog::Outcome::Done) << m.name;
    ASSERT_EQ(log.Of("verify").size(), 2u);
    EXPECT_EQ(log.Of("verify")[0].result, oplog::Result::Ok);
    for (const fs::path& file : oplog::ProcessJournal().Files()) {
        std::string text;
        ASSERT_EQ(ReadWholeFile(file, text, 1 << 24), ReadResult::Ok);
        EXPECT_EQ(text.find("kw1234"), std::string::npos);
    }
    // plova-cli log shows them, oldest first, and filters them.
    const testkit::CliOutcome all = testkit::RunCommandCaptured("log", {});
    EXPECT_EQ(all.code, 0) << all.err;
    EXPECT_LT(all.out.find("  backup  ok"), all.out.find("  verify  ok")) << all.out;
    const testkit::CliOutcome json = testkit::RunCommandCaptured("log", {"--operation", "verify", "--json"});
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 2) << json.out;
    EXPECT_TRUE(oplog::FromJson(json.out.substr(0, json.out.find('\n'))));
}

TEST_F(VerifyCommandTest, VerifyFindsWhatWasDoneToTheBackup) {
    ASSERT_EQ(backup().code, 0);
    struct Case {
        const char* what;
        std::function<std::string()> spoil;  // the path it spoiled, from the root
        const char* says;
        const char* count = "1 problem";  // a cut file is also a changed one
    };
    auto fromRoot = [&](const fs::path& p) { return p.lexically_relative(root).generic_string(); };
    const Case cases[] = {
        {"a changed byte",
         [&] {
             const fs::path f = someVoiceFile();
             std::string bytes;
             EXPECT_EQ(ReadWholeFile(f, bytes, 1 << 24), ReadResult::Ok);
             bytes[bytes.size() - 5] ^= 0x01;
             EXPECT_TRUE(WriteFileAtomically(f, bytes));
             return fromRoot(f);
         },
         "changed"},
        {"a missing file",
         [&] {
             const fs::path f = someVoiceFile();
             fs::remove(f);
             return fromRoot(f);
         },
         "missing"},
        {"a file not listed",
         [&] {
             const fs::path f = months().front() / "stray.txt";
             EXPECT_TRUE(WriteFileAtomically(f, "stray"));
             return fromRoot(f);
         },
         "not listed"},
        {"a cut voice file",
         [&] {
             const fs::path f = someVoiceFile();
             fs::resize_file(f, fs::file_size(f) - 3);
             return fromRoot(f);
         },
         "not whole frames", "2 problems"},
        {"a voice file cut into its record",
         [&] {
             const fs::path f = someVoiceFile();
             fs::resize_file(f, 600);
             return fromRoot(f);
         },
         "shorter than a status record", "2 problems"},
        {"a complete month without its manifest",
         [&] {
             fs::remove(months().back() / "SHA256SUMS");
             return months().back().filename().string();
         },
         "marked 完了 but has no SHA256SUMS"},
    };
    const fs::path pristine = dir / "pristine";
    fs::copy(root, pristine, fs::copy_options::recursive);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string spoiled = c.spoil();
        const testkit::CliOutcome v = verify(root);
        EXPECT_EQ(v.code, kFailed);
        EXPECT_NE(v.out.find(spoiled + ": "), std::string::npos) << v.out;
        EXPECT_NE(v.out.find(c.says), std::string::npos) << v.out;
        EXPECT_NE(v.out.find(c.count), std::string::npos) << v.out;
        // Put back as it was for the next case.
        ASSERT_TRUE(RemoveFolderTree(root));
        fs::copy(pristine, root, fs::copy_options::recursive);
        ASSERT_EQ(verify(root).code, 0);
    }
    const std::vector<oplog::Entry> entries = log.Of("verify");
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front().result, oplog::Result::Failed);
    ASSERT_EQ(entries.front().messages.size(), 1u);
    EXPECT_EQ(entries.front().messages[0].note, "changed");

    const Args refused[] = {{"--frobnicate"}, {"a", "b"}};
    for (const Args& args : refused) EXPECT_EQ(testkit::RunCommandCaptured("verify", args).code, kUsage);
    EXPECT_EQ(verify(dir / "nothing").code, kFailed);
    const testkit::CliOutcome none = verify(dir / "run");
    EXPECT_EQ(none.code, kFailed);
    EXPECT_NE(none.out.find("no BU_YYYYMM month folder"), std::string::npos) << none.out;
}

TEST_F(VerifyCommandTest, DryRunsListWhatWouldComeAndWriteNothingAtAll) {
    // A box folder half downloaded: the dry run names only what is missing.
    const fs::path boxes = dir / "boxes";
    const Args link = {"--host", "127.0.0.1", "--user", "qermo", "--password", "kw1234", "--folder", boxes.string()};
    ASSERT_EQ(backup().code, 0);

    // The backup just ran: nothing is left to fetch.
    testkit::CliOutcome r = backup({"--dry-run"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("total: 0 files, 0 bytes"), std::string::npos) << r.out;
    // Without the newest month, its messages would come again.
    const fs::path newest = months().back();
    ASSERT_TRUE(RemoveFolderTree(newest));
    const auto before = snapshot(dir.Path());
    r = backup({"--dry-run"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(".vmdat"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("total: 0 files"), std::string::npos) << r.out;
    EXPECT_EQ(snapshot(dir.Path()), before);  // the settings file, the root, its locks: byte for byte

    Args download = link;
    download.push_back("--dry-run");
    r = testkit::RunCommandCaptured("download", download);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("/rusuroku/"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("/outou: "), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(boxes));
    EXPECT_EQ(snapshot(dir.Path()), before);
    // After a real download, a dry run has nothing left to fetch.
    ASSERT_EQ(testkit::RunCommandCaptured("download", link).code, 0);
    const auto downloaded = snapshot(dir.Path());
    r = testkit::RunCommandCaptured("download", download);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("total: 0 files, 0 bytes"), std::string::npos) << r.out;
    EXPECT_EQ(snapshot(dir.Path()), downloaded);
    // Dry runs change nothing, so they leave no entry; the download does.
    const std::vector<oplog::Entry> entries = log.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].operation, "backup");
    EXPECT_EQ(entries[1].operation, "download");
    EXPECT_EQ(entries[1].boxFolder, boxes.string());
    EXPECT_FALSE(entries[1].messages.empty());
    download.push_back("--box");
    download.push_back("rusuroku/none");
    EXPECT_EQ(testkit::RunCommandCaptured("download", download).code, kUsage);
}

}  // namespace
}  // namespace plova::cli
