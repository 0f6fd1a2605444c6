// plova-cli export: the list CSV and the archive of WAV files with its index.
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/testing/CliRun.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TestPorts.h"
#include "store/testing/MessageFiles.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;
using namespace testkit;
using nlohmann::json;

CliOutcome run(const Args& args) {
    return RunCommandCaptured("export", args);
}

#if !defined(_WIN32)
std::string shellOutput(const std::string& command) {
    std::string text;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
        ::pclose(p);
    }
    return text;
}
#endif

// Every entry of a ZIP archive by name.
std::map<std::string, std::string> unzip(const fs::path& archive) {
    std::map<std::string, std::string> entries;
    int error = 0;
    zip_t* z = zip_open(Utf8Of(archive).c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (z == nullptr) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, i, 0, &st);
        std::string bytes(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, i, 0);
        zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
        entries[st.name] = bytes;
    }
    zip_close(z);
    return entries;
}

std::vector<fs::path> wavFilesUnder(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.path().extension() == ".wav") found.push_back(e.path());
    return found;
}

class ExportCommand : public ::testing::Test {
protected:
    TempFolder root{"cli-export"};
    BoxFolderBuilder bf{root.Path(), "bf"};
    TempFolder out{"cli-export-out"};
};

TEST_F(ExportCommand, CsvCellsWithCommaQuoteAndLineBreakReadBackAsOneCell) {
#if defined(_WIN32)
    GTEST_SKIP() << "the file is read back with Python's csv module, which runs on the build machine only";
#else
    const std::u16string awkward = u"山田,\"様\"\n様";
    bf.Add("rusuroku", "001", "202612011000");
    bf.Add("rusuroku", "001", "202612021000", "vminf", kInfoOnly);
    bf.Add("naisen", "201", "202612031000", "vmdat", kUnplayedOnMainUnit, awkward);

    const fs::path csv = out / "list.csv";
    const CliOutcome r = run({bf.Folder().string(), "--csv", csv.string(), "--utf8"});
    ASSERT_EQ(r.code, kOk) << r.err;
    const std::string script =
        "import csv,json,sys; print(json.dumps(list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', "
        "newline='')))))";
    const json rows = json::parse(shellOutput("python3 -c \"" + script + "\" '" + csv.string() + "'"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], ToUtf8(u"ﾌﾗｸﾞ"));
    for (const json& row : rows) EXPECT_EQ(row.size(), 10u) << row.dump();
    // Boxes in ascending order, the newest message of a box first.
    EXPECT_EQ(rows[1][1], ToUtf8(u"情報のみ"));
    EXPECT_EQ(rows[2][1], ToUtf8(u"情報+音声(未再生)"));
    EXPECT_EQ(rows[3][6], ToUtf8(awkward));
    EXPECT_EQ(rows[3][9].get<std::string>().rfind("bf/naisen/201/20261203", 0), 0u) << rows[3][9];
#endif
}

TEST_F(ExportCommand, CsvOfOneBoxInCp932WithTheSettingsColumns) {
    bf.Add("rusuroku", "001", "202612011000");
    bf.Add("naisen", "201", "202612031000", "vmdat", kUnplayedOnMainUnit, u"営業部");
    const fs::path settings = out / "PLOVA.ini";
    WriteBytes(settings, ToCp932(u"[DISP]\r\nCOLUM1=相手名称\r\nCOLUM2=BOX番号\r\n"));
    const fs::path csv = out / "box.csv";

    ASSERT_EQ(
        run({(bf.Folder() / "naisen" / "201").string(), "--csv", csv.string(), "--settings", settings.string()}).code,
        kOk);
    EXPECT_EQ(FromCp932(ReadFileBytes(csv)), u"相手名称,BOX番号\n営業部,201\n");

    // No display items in the file: the default ones.
    WriteBytes(settings, "[DISP]\r\n");
    ASSERT_EQ(run({bf.Folder().string(), "--csv", csv.string(), "--settings", settings.string()}).code, kOk);
    EXPECT_EQ(FromCp932(ReadFileBytes(csv)).substr(0, 5), u"ﾌﾗｸﾞ,");
}

TEST_F(ExportCommand, ArchiveHoldsTheWavFilesConvertGivesAndAnIndexOfEveryMessage) {
    // A whole box folder's archive holds its system response messages too.
    std::vector<fs::path> voice = {bf.Add("rusuroku", "001", "202612011000"), bf.Add("rusuroku", "001", "202612021000"),
                                   bf.Add("naisen", "201", "202612031000"), bf.AddResponse(5)};
    const fs::path info = bf.Add("naisen", "201", "202612041000", "vminf", kInfoOnly);
    const fs::path zip = out / "messages.zip";

    const CliOutcome r = run({bf.Folder().string(), "--archive", zip.string()});
    ASSERT_EQ(r.code, kOk) << r.err;
    EXPECT_TRUE(wavFilesUnder(bf.Folder()).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 1);  // the archive only
    if (kFilesHaveModes) {
        EXPECT_EQ(fs::status(zip).permissions(), static_cast<fs::perms>(UsualFileMode()));
    }

    const auto entries = unzip(zip);
    ASSERT_EQ(entries.size(), 6u);
    // What "convert" makes of each message, beside a copy of it.
    TempFolder copies("cli-export-copies");
    for (const fs::path& message : voice) {
        const fs::path copy = copies / message.filename().string();
        fs::copy_file(message, copy);
        const CliOutcome converted = RunCliCaptured({"convert", copy.string()});
        ASSERT_EQ(converted.code, kOk) << converted.err;
        const std::string entry =
            fs::path(message).lexically_relative(root.Path()).replace_extension(".wav").generic_string();
        ASSERT_EQ(entries.count(entry), 1u) << entry;
        EXPECT_EQ(entries.at(entry), ReadFileBytes(fs::path(copy).replace_extension(".wav"))) << entry;
    }

    const json index = json::parse(entries.at("index.json"));
    ASSERT_EQ(index.size(), 5u);
    int withoutWav = 0;
    for (const json& m : index) {
        if (m["wav"].is_null()) {
            ++withoutWav;
            EXPECT_EQ(m["path"], fs::path(info).lexically_relative(root.Path()).generic_string());
        } else {
            EXPECT_EQ(entries.count(m["wav"].get<std::string>()), 1u);
        }
    }
    EXPECT_EQ(withoutWav, 1);
    const std::string csv = entries.at("index.csv");
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6);
    EXPECT_NE(csv.find(",WAV\n"), std::string::npos);
    EXPECT_NE(csv.find(",bf/outou/202612071405_abc_A005_0000.wav\n"), std::string::npos) << csv;
}

// A box folder from a Windows share has a name in CP932, not UTF-8: its
// messages are found all the same, and named as the CP932 they are.
TEST_F(ExportCommand, ABoxFolderWhoseNameIsNotUtf8IsExportedWhole) {
    if (!kNamesAreBytes) GTEST_SKIP() << kNamesAreText;
    const std::string cp932 = ToCp932(u"総務");
    BoxFolderBuilder share{root.Path(), cp932};
    share.Add("rusuroku", "001", "202612011000");
    share.Add("naisen", "201", "202612031000");
    const fs::path csv = out / "list.csv";
    const CliOutcome listed = run({share.Folder().string(), "--csv", csv.string()});
    ASSERT_EQ(listed.code, kOk) << listed.err;
    const std::string bytes = ReadFileBytes(csv);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
    EXPECT_NE(bytes.find(cp932 + "/naisen/201/20261203"), std::string::npos) << "the file name as the disk has it";

    const fs::path zip = out / "share.zip";
    const CliOutcome archived = run({share.Folder().string(), "--archive", zip.string()});
    ASSERT_EQ(archived.code, kOk) << archived.err;
    const auto entries = unzip(zip);
    EXPECT_EQ(entries.size(), 4u);
    const std::string name = ToUtf8(u"総務") + "/rusuroku/001/";
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.first.starts_with(name); }))
        << "entry names are UTF-8";
}

// A file far too large for a message, under a message's name, is refused
// before anything of it is copied; what killed exports left beside the
// archive goes, what a running one is writing stays.
TEST_F(ExportCommand, ArchiveMeasuresBeforeCopyingAndSweepsWhatKilledRunsLeft) {
    const fs::path old = out / ".plova-tmp-killed1";
    const fs::path oldScratch = out / ".plova-tmp-killed2";
    const fs::path fresh = out / ".plova-tmp-running";
    WriteBytes(old, "part of an archive");
    fs::create_directories(oldScratch);
    WriteBytes(oldScratch / "1.wav", "a WAV file");
    WriteBytes(fresh, "part of another archive");
    ASSERT_TRUE(MakeOlder(old, std::chrono::hours(2)));
    ASSERT_TRUE(MakeOlder(oldScratch, std::chrono::hours(2)));

    bf.Add("rusuroku", "001", "202612011000");
    const fs::path huge = bf.Add("rusuroku", "001", "202612021000");
    fs::resize_file(huge, std::uintmax_t{3} << 30);  // sparse: 3 GB that take no room
    const fs::path zip = out / "messages.zip";
    // Less room than the file would need: its size is what is said, not the disk.
    FixedDiskSpace roomy{std::uint64_t{1} << 30};
    ScopedPorts scope(Ports{nullptr, nullptr, nullptr, nullptr, nullptr, &roomy, nullptr});
    const CliOutcome r = run({huge.parent_path().string(), "--archive", zip.string()});
    EXPECT_EQ(r.code, kFailed);
    EXPECT_NE(r.err.find("too large"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(zip));
    EXPECT_EQ(SortedNames(out.Path()), std::vector<std::string>{fresh.filename().string()});
}

TEST_F(ExportCommand, ArchiveKeepsTheMessagesRecordedInTheDateRange) {
    bf.Add("rusuroku", "001", "202611301000");
    bf.Add("rusuroku", "001", "202612011000");
    bf.Add("naisen", "201", "202612022359");
    bf.Add("naisen", "201", "202612031000");
    const fs::path zip = out / "range.zip";
    ASSERT_EQ(
        run({bf.Folder().string(), "--archive", zip.string(), "--since", "2026-12-01", "--until", "2026-12-02"}).code,
        kOk);
    const json index = json::parse(unzip(zip).at("index.json"));
    ASSERT_EQ(index.size(), 2u);
    for (const json& m : index) EXPECT_TRUE(m["date"] == "2026/12/01 10:00" || m["date"] == "2026/12/02 23:59");

    const CliOutcome none = run({bf.Folder().string(), "--archive", zip.string(), "--since", "2027-01-01"});
    EXPECT_EQ(none.code, kFailed);
    EXPECT_EQ(unzip(zip).size(), 4u);  // the earlier archive stays
}

TEST_F(ExportCommand, AFailedExportLeavesAnEarlierFileWholeAndNothingElse) {
    bf.Add("rusuroku", "001", "202612011000");
    // Speech that ends in a partial frame cannot be decoded.
    FILESTS_INFO record = SampleRecord();
    WriteMessage(bf.Folder() / "naisen" / "201" / "202612031000_abc_201_00009.vmdat", record, SampleBlock(), 5);
    const fs::path zip = out / "messages.zip";
    WriteBytes(zip, "earlier archive");
    const CliOutcome r = run({bf.Folder().string(), "--archive", zip.string()});
    EXPECT_EQ(r.code, kFailed);
    EXPECT_EQ(ReadFileBytes(zip), "earlier archive");
    EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(wavFilesUnder(bf.Folder()).empty());
}

// A disk too full for the WAV files is said as such, not taken for speech
// that cannot be decoded, and leaves an earlier archive whole.
TEST_F(ExportCommand, AFullDiskIsSaidAsSuch) {
    bf.Add("rusuroku", "001", "202612011000");
    bf.Add("naisen", "201", "202612011000");
    const fs::path zip = out / "messages.zip";
    WriteBytes(zip, "earlier archive");
    FixedDiskSpace full{4095};
    ScopedPorts scope(Ports{nullptr, nullptr, nullptr, nullptr, nullptr, &full, nullptr});
    const CliOutcome r = run({bf.Folder().string(), "--archive", zip.string()});
    EXPECT_EQ(r.code, kFailed);
    EXPECT_NE(r.err.find("not enough disk space"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("cannot be decoded"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(zip), "earlier archive");
    EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 1);
}

TEST_F(ExportCommand, RefusesWrongArgumentsAndFoldersThatHoldNoList) {
    bf.Add("rusuroku", "001", "202612011000");
    bf.Add("naisen", "201", "202612011000");
    const std::string f = bf.Folder().string();
    const std::string csv = (out / "a.csv").string(), zip = (out / "a.zip").string();
    struct Case {
        Args args;
        int code;
    };
    const std::vector<Case> cases = {
        {{f}, kUsage},
        {{f, "--csv", csv, "--archive", zip}, kUsage},
        {{f, "--archive", zip, "--utf8"}, kUsage},
        {{f, "--csv", csv, "--since", "2026-12-01"}, kUsage},
        {{f, "--archive", zip, "--since", "2026-13-01"}, kUsage},
        {{f, "--archive", zip, "--since", "2026-02-29"}, kUsage},
        {{f, "--archive", zip, "--until", "20261201"}, kUsage},
        {{f, "--csv", csv, "--settings", (out / "missing.ini").string()}, kUsage},
        {{root.Path().string(), "--csv", csv}, kFailed},
        {{(bf.Folder() / "outou").string(), "--csv", csv}, kFailed},  // no such folder
        {{f, "--csv", (out / "missing" / "a.csv").string()}, kFailed},
        // Names Windows cannot hold, refused on every system.
        // (joined as text: to a Windows path "a:b.csv" is b.csv on drive A)
        {{f, "--csv", Utf8Of(out.Path()) + "/a:b.csv"}, kUsage},
        {{f, "--archive", (out / "NUL.zip").string()}, kUsage},
        {{f, "--archive", (out / "a.zip.").string()}, kUsage},
    };
    for (const Case& c : cases) {
        const CliOutcome r = run(c.args);
        EXPECT_EQ(r.code, c.code) << ::testing::PrintToString(c.args) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(fs::is_empty(out.Path()));
}

}  // namespace
}  // namespace plova::cli
