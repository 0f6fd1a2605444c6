#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Command.h"
#include "cli/testing/CliProcess.h"
#include "cli/testing/CliRun.h"
#include "platform/testing/SpecialFiles.h"
#include "store/testing/MessageFiles.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;
using namespace testkit;
using nlohmann::json;

std::vector<json> lines(const std::string& text) {
    std::vector<json> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(json::parse(line));
    return out;
}

int lineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class CliTest : public ::testing::Test {
protected:
    TempFolder root{"cli"};
    fs::path box = folder("f/rusuroku/0012");
    fs::path outou = folder("f/outou");
    fs::path folder(const std::string& rel) {
        fs::create_directories(root / rel);
        return root / rel;
    }
};

TEST_F(CliTest, RecordsPrintsOneObjectPerValidMessageInOrder) {
    CFileMng::WriteBoxName(box, u"営業");
    FILESTS_INFO r = SampleRecord();
    r.title = u"件名";
    WriteMessage(box / "202612071500_abc_0012_00002.vmdat", r, SampleBlock(), 100);
    WriteMessage(box / "202612071405_abc_0012_00001.vminf", SampleRecord(), SampleBlock());
    WriteBytes(box / "202612071600_abc_0012_00003.vmdat", "not a message");

    const CliOutcome res = RunCliCaptured({"records", box.string()});
    ASSERT_EQ(res.code, 0) << res.err;
    EXPECT_EQ(res.err, "");
    const auto objs = lines(res.out);
    ASSERT_EQ(objs.size(), 2u);
    EXPECT_EQ(objs[0]["path"], (box / "202612071405_abc_0012_00001.vminf").string());
    const json& o = objs[1];
    for (const char* key : {"flag", "played", "download_state", "protected", "box_number", "box_name", "party_number",
                            "party_name", "date", "recording_time", "title", "memo", "path"})
        EXPECT_TRUE(o.contains(key)) << key;
    EXPECT_EQ(o["title"], "件名");
    EXPECT_EQ(o["box_name"], "営業");
    EXPECT_EQ(o["party_name"], "テスト");
    EXPECT_EQ(o["download_state"], 2);
    EXPECT_EQ(o["box_number"], "0012");
}

// A box folder, one of its kind folders and one box are all taken; a folder
// that is none of them is an error, not an empty success.
TEST_F(CliTest, RecordsTakesABoxFolderAKindFolderOrABox) {
    const fs::path extension = folder("f/naisen/2001");
    folder("f/naisen/2002");  // an empty box
    WriteMessage(box / "202612071405_abc_0012_00001.vmdat", SampleRecord(), SampleBlock(), 10);
    WriteMessage(extension / "202612071405_abc_2001_00001.vmdat", SampleRecord(), SampleBlock(), 10);
    WriteResponseMessage(outou, 5);
    const fs::path f = root / "f";
    struct Case {
        fs::path folder;
        std::vector<fs::path> messages;  // in the order printed
    };
    const Case cases[] = {
        {f, {box, extension, outou}},
        {f / "naisen", {extension}},
        {f / "rusuroku" / "0012", {box}},
        {f / "naisen" / "2002", {}},
        {outou, {outou}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.string());
        const CliOutcome r = RunCliCaptured({"records", c.folder.string()});
        ASSERT_EQ(r.code, kOk) << r.err;
        const auto objs = lines(r.out);
        ASSERT_EQ(objs.size(), c.messages.size());
        for (std::size_t i = 0; i < objs.size(); ++i)
            EXPECT_EQ(fs::path(objs[i]["path"].get<std::string>()).parent_path(), c.messages[i]);
    }
    const CliOutcome none = RunCliCaptured({"records", root.Path().string()});
    EXPECT_EQ(none.code, kFailed);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(lineCount(none.err), 1);
}

TEST_F(CliTest, RecordsOfAMissingFolderFailsWithOneLine) {
    const CliOutcome res = RunCliCaptured({"records", (root / "nowhere").string()});
    EXPECT_NE(res.code, 0);
    EXPECT_EQ(res.out, "");
    EXPECT_EQ(lineCount(res.err), 1);
    EXPECT_NE(res.err.find("nowhere"), std::string::npos);
    EXPECT_EQ(RunCliCaptured({"records"}).code, kUsage);
}

TEST_F(CliTest, InspectShowsRecordAndBlockOfEachKindOfFile) {
    const fs::path local = box / "202612071405_abc_0012_00001.vmdat";
    RecordingBlock b = SampleBlock();
    b.played = true;
    WriteMessage(local, SampleRecord(), b, 50);
    json o = json::parse(RunCliCaptured({"inspect", local.string()}).out);
    EXPECT_EQ(o["valid"], true);
    EXPECT_EQ(o["record"]["recording_time"], "00:02:03");
    EXPECT_EQ(o["block"]["magic_ok"], true);
    EXPECT_EQ(o["block"]["party_name"], "テスト");
    EXPECT_EQ(o["block"]["date_text"], "Mon, 7 Dec 2026 14:05:33 +0900");
    EXPECT_EQ(o["block"]["played"], true);
    EXPECT_EQ(o["block"]["protected"], false);
    EXPECT_EQ(o["block"]["recording_tenths"], 1234);
    EXPECT_EQ(o["block"]["box_number"], 12);
    EXPECT_EQ(o["block"]["box_digits"], "0012");

    // As the main unit delivers it: a block and no record yet.
    const fs::path delivered = box / "202612071405_abc_0012_00002.vmdat";
    WriteDelivered(delivered, SampleBlock(), 2000);
    o = json::parse(RunCliCaptured({"inspect", delivered.string()}).out);
    EXPECT_EQ(o["valid"], false);
    EXPECT_FALSE(o.contains("record")) << "it has none";
    EXPECT_EQ(o["block"]["magic_ok"], true);

    // Anything else is no message file: its reason, status 1, and nothing
    // printed as if its bytes were fields.
    struct Junk {
        std::string bytes;
        const char* reason;
    };
    for (const Junk& j : {Junk{std::string(1000, '\xff'), "no recording block"},
                          Junk{std::string(5000, 'x'), "no recording block"}, Junk{"RIFF", "shorter than"}}) {
        const fs::path junk = box / "junk.vmdat";
        WriteBytes(junk, j.bytes);
        const CliOutcome r = RunCliCaptured({"inspect", junk.string()});
        EXPECT_EQ(r.code, kFailed);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("not a message file (" + std::string(j.reason)), std::string::npos) << r.err;
        EXPECT_EQ(lineCount(r.err), 1);
    }

    const CliOutcome missing = RunCliCaptured({"inspect", (box / "missing.vmdat").string()});
    EXPECT_NE(missing.code, 0);
    EXPECT_EQ(lineCount(missing.err), 1);
}

TEST_F(CliTest, AdoptBuildsTheRecordsADownloadWould) {
    const std::string stem = "202612071405_abc_0012_00001";
    RecordingBlock b = SampleBlock();
    b.played = true;
    WriteDelivered(box / (stem + ".vminf"), b);
    WriteDelivered(box / (stem + ".vmdat"), b, 800);
    WriteDelivered(outou / "202612071405_abc_0005_0005.vmdat", ResponseBlock(5), 800);

    // The ".vmdat" named first still takes over the ".vminf" record.
    const CliOutcome res =
        RunCliCaptured({"adopt", (box / (stem + ".vmdat")).string(), (box / (stem + ".vminf")).string(),
                        (outou / "202612071405_abc_0005_0005.vmdat").string()});
    ASSERT_EQ(res.code, 0) << res.err;
    FILESTS_INFO r;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(box / (stem + ".vminf"), r));
    EXPECT_EQ(r.downloadState, kInfoOnly);
    ASSERT_TRUE(CFileMng::ReadStatusRecord(box / (stem + ".vmdat"), r));
    EXPECT_EQ(r.downloadState, kPlayedOnMainUnit);
    EXPECT_EQ(r.date, u"2026/12/07 14:05");
    ASSERT_TRUE(CFileMng::ReadStatusRecord(outou / "202612071405_abc_0005_0005.vmdat", r));
    EXPECT_EQ(r.date, u"");  // response messages carry no date in their record
    EXPECT_EQ(r.boxNumber, u"005");
    EXPECT_TRUE(CFileMng::IsValidMessageFile(outou / "202612071405_abc_0005_0005.vmdat"));

    std::vector<FILESTS_INFO> records;
    ASSERT_TRUE(CFileMng::LoadFolderRecords(box, records));
    EXPECT_EQ(records.size(), 1u);
}

TEST_F(CliTest, AdoptRefusesWhatIsNotADeliveredFileAndLeavesItAlone) {
    const fs::path adopted = box / "202612071405_abc_0012_00001.vmdat";
    WriteMessage(adopted, SampleRecord(), SampleBlock(), 100);
    const fs::path tiny = box / "202612071405_abc_0012_00002.vmdat";
    WriteBytes(tiny, BytesOf(BuildBlock(SampleBlock())).substr(0, 255));
    const fs::path noMagic = box / "202612071405_abc_0012_00003.vmdat";
    WriteBytes(noMagic, std::string(2000, 'x'));
    const fs::path good = box / "202612071405_abc_0012_00004.vmdat";
    WriteDelivered(good, SampleBlock(), 100);
    const std::string a = ReadFileBytes(adopted), t = ReadFileBytes(tiny), n = ReadFileBytes(noMagic);

    const CliOutcome res = RunCliCaptured({"adopt", adopted.string(), tiny.string(), noMagic.string(), good.string()});
    EXPECT_NE(res.code, 0);
    EXPECT_EQ(lineCount(res.err), 3);
    EXPECT_NE(res.err.find("already has a status record"), std::string::npos);
    EXPECT_NE(res.err.find("shorter than"), std::string::npos);
    EXPECT_NE(res.err.find("does not start with"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(adopted), a);
    EXPECT_EQ(ReadFileBytes(tiny), t);
    EXPECT_EQ(ReadFileBytes(noMagic), n);
    // The one good file among them is adopted.
    EXPECT_TRUE(CFileMng::IsValidMessageFile(good));
}

// A file the user cannot read is a failure, not an invalid message.
TEST_F(CliTest, InspectOfAnUnreadableFileFails) {
#if defined(_WIN32)
    GTEST_SKIP() << "the check takes a file its owner cannot read: POSIX permission bits and a user to drop to";
#else
    const fs::path local = box / "202612071405_abc_0012_00001.vmdat";
    WriteMessage(local, SampleRecord(), SampleBlock(), 50);
    fs::permissions(local, fs::perms::none);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The owner's rights are not enough where the tests run as root.
        if (::geteuid() == 0 && ::setuid(65534) != 0) _exit(99);
        const CliOutcome res = RunCliCaptured({"inspect", local.string()});
        _exit(res.code != 0 && res.out.empty() && lineCount(res.err) == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "inspect did not fail with one line";
#endif
}

// Whatever stands under "inf.ini" — a pipe, an endless device — the box is
// listed at once, with no box name, and memory stays small.
TEST_F(CliTest, RecordsIsNeitherHeldNorFloodedByTheBoxNameFile) {
    WriteMessage(box / "202612071405_abc_0012_00001.vmdat", SampleRecord(), SampleBlock(), 10);
    const fs::path ini = box / "inf.ini";
    const std::function<bool()> makers[] = {
        [&] { return MakeFifo(ini); },
        [&] { return MakeSymlink("/dev/zero", ini); },
    };
    for (const auto& make : makers) {
        if (!make()) GTEST_SKIP() << kNoFifos << "; " << kNoSymlinks;
        auto listed = std::async(std::launch::async, [&] { return RunCliCaptured({"records", box.string()}); });
        ASSERT_EQ(listed.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "records hangs";
        const CliOutcome res = listed.get();
        EXPECT_EQ(res.code, 0) << res.err;
        ASSERT_EQ(lines(res.out).size(), 1u);
        EXPECT_EQ(lines(res.out)[0]["box_name"], "");
        fs::remove(ini);
    }
}

// A file far larger than any message is adopted a piece at a time, not read
// into memory whole.
TEST_F(CliTest, AdoptRewritesALargeFileInLittleMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "an address-space limit does not combine with the sanitizers' shadow memory";
#elif defined(_WIN32)
    GTEST_SKIP() << "the check limits a forked child's address space, which Windows has neither";
#else
    constexpr std::uint64_t kSize = 96ull << 20;
    const fs::path big = box / "202612071405_abc_0012_00001.vmdat";
    WriteDelivered(big, SampleBlock(), 100);
    fs::resize_file(big, kSize);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for what the process has now and a little more, far less than the file.
        std::string statm;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            unsigned long pages = 0;
            if (std::fscanf(f, "%lu", &pages) != 1) _exit(98);
            std::fclose(f);
            const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (48u << 20);
            const rlimit r{limit, limit};
            if (::setrlimit(RLIMIT_AS, &r) != 0) _exit(97);
        }
        _exit(RunCliCaptured({"adopt", big.string()}).code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "adopt was killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fs::file_size(big), kSize + filests::kSize);
    EXPECT_TRUE(CFileMng::HasStatusRecord(big));
#endif
}

// Names from the file system reach the output as they are, except control
// characters: one file is one line.
TEST_F(CliTest, OutputAndMessagesStayOneLinePerFile) {
    EXPECT_EQ(Printable("a\nb\rc\td\x7f\x01\xe5\x96\xb6"), "a\\x0ab\\x0dc\\x09d\\x7f\\x01\xe5\x96\xb6");
    const fs::path odd = box / "two\nlines.vmdat";
    CliOutcome res;
    if (kNamesHoldControlCharacters) {
        WriteDelivered(odd, SampleBlock(), 10);
        res = RunCliCaptured({"adopt", odd.string()});
        EXPECT_EQ(res.code, 0) << res.err;
        EXPECT_EQ(lineCount(res.out), 1) << res.out;
    }
    // Adopted already, or (where names cannot hold a line feed) not there.
    res = RunCliCaptured({"adopt", odd.string()});
    EXPECT_NE(res.code, 0);
    EXPECT_EQ(lineCount(res.err), 1) << res.err;
}

TEST(CliHelp, HelpListsEveryCommandAndUnknownCommandsFail) {
    const CliOutcome help = RunCliCaptured({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const Command* c : Commands()) EXPECT_NE(help.out.find(c->name), std::string::npos);
    EXPECT_EQ(RunCliCaptured({"adopt", "--help"}).code, 0);
    const CliOutcome bad = RunCliCaptured({"frobnicate"});
    EXPECT_EQ(bad.code, kUsage);
    EXPECT_EQ(lineCount(bad.err), 1);
    EXPECT_NE(RunCliCaptured({}).code, 0);
}

// The program itself: exit status and stderr as a script sees them.
TEST(CliBinary, ExitStatusAndStderrOfTheProgram) {
    TempFolder temp{"cli-binary"};
    CliProcess help({"--help"}, temp / "help.out");
    EXPECT_EQ(help.Wait(), 0);
    EXPECT_NE(help.Output().find("records"), std::string::npos);
    CliProcess failing({"records", Utf8Of(temp / "nonexistent" / "folder")}, temp / "failing.out");
    EXPECT_NE(failing.Wait(), 0);
    const std::string err = failing.Output();
    EXPECT_EQ(lineCount(err), 1) << err;
    EXPECT_EQ(err.rfind("plova-cli: records: ", 0), 0u) << err;
}

}  // namespace
}  // namespace plova::cli
