// The real plova-cli, started as a script starts it, downloads from the
// simulated main unit into a box folder with a Japanese name, converts,
// imports and exports there: every file lands under that exact name, and
// every path it prints is that name in UTF-8.
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "platform/AppPaths.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "platform/testing/HelperProcess.h"
#include "platform/testing/TempFolder.h"
#include "sim/testing/SimUnit.h"
#include "store/CFileMng.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

struct Ran {
    int code;
    std::vector<std::string> lines;  // stdout, without line ends
};

Ran runCli(const Args& args) {
    testkit::HelperProcess cli(ExecutableFolder() / PathFromUtf8(PLOVA_CLI_NAME), args);
    if (!cli.Started()) return {-1, {}};
    Ran ran{0, {}};
    while (auto line = cli.ReadLine()) ran.lines.push_back(*line);
    ran.code = cli.Wait();
    return ran;
}

// The names of a folder's entries as the system gives them.
std::vector<std::u16string> namesIn(const fs::path& folder) {
    std::vector<std::u16string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(NameText(e.path().filename()));
    return names;
}

// Every entry name of a ZIP archive.
std::vector<std::string> entriesOf(const fs::path& archive) {
    std::vector<std::string> names;
    int error = 0;
    zip_t* z = zip_open(Utf8Of(archive).c_str(), ZIP_RDONLY, &error);
    if (z == nullptr) return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) names.emplace_back(zip_get_name(z, i, 0));
    zip_discard(z);
    return names;
}

class JapaneseFolder : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SeedOptions seed;
        seed.answeringBoxes = {"0001"};
        seed.extensionBoxes = {"2001"};
        seed.emptyExtensionBoxes = {};
        seed.messagesPerBox = 1;
        seed.responseNumbers = {1};
        seed.maxSeconds = 4.0;
        unit.Seed(seed);
        unit.Start();
    }

    testkit::TempFolder base{"cli-japanese"};
    testkit::SimUnit unit{base / "disk"};
    const std::u16string name = u"ボックス保存先";
    const fs::path folder = base.Path() / PathOfText(name);
};

TEST_F(JapaneseFolder, EveryCommandWorksUnderTheExactNameAndPrintsItInUtf8) {
    const sim::SeededMessage& seeded = unit.Seeded().boxMessages.front();
    const fs::path voice = folder / seeded.voiceFile.lexically_relative(unit.Disk());
    const fs::path wav = fs::path(voice).replace_extension(".wav");
    const fs::path audio = base.Path() / PathOfText(u"挨拶.wav");
    const fs::path csv = folder / PathOfText(u"一覧表.csv");
    const fs::path archive = base.Path() / PathOfText(u"音声メッセージ.zip");
    const std::string port = std::to_string(unit.Port());
    const std::string outou = Utf8Of(folder / "outou");

    struct Step {
        const char* what;
        Args args;
        std::string printed;  // how the last line on stdout starts
        fs::path made;
    };
    const Step steps[] = {
        {"download",
         {"download", "--host", "127.0.0.1", "--port", port, "--user", "admin", "--password", "admin", "--folder",
          Utf8Of(folder)},
         "",
         voice},
        {"convert", {"convert", Utf8Of(voice)}, Utf8Of(wav), wav},
        {"import", {"import", Utf8Of(audio), "--number", "7", "--folder", Utf8Of(folder), "--level", "0"}, outou, {}},
        {"export --csv", {"export", Utf8Of(folder), "--csv", Utf8Of(csv)}, Utf8Of(csv), csv},
        {"export --archive", {"export", Utf8Of(folder), "--archive", Utf8Of(archive)}, Utf8Of(archive), archive},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        // The import's source: the speech the conversion made, under a Japanese name of its own.
        if (std::string_view(step.what) == "import") fs::copy_file(wav, audio);
        const Ran ran = runCli(step.args);
        ASSERT_EQ(ran.code, kOk);
        ASSERT_FALSE(ran.lines.empty());
        EXPECT_EQ(ran.lines.back().rfind(step.printed, 0), 0u) << ran.lines.back();
        if (!step.made.empty()) {
            EXPECT_TRUE(fs::is_regular_file(step.made)) << Utf8Of(step.made);
        }
    }
    // Nothing lands beside the box folder under another spelling of a name.
    std::vector<std::u16string> names = namesIn(base.Path());
    std::sort(names.begin(), names.end());
    std::vector<std::u16string> expected = {u"disk", name, NameText(audio.filename()), NameText(archive.filename())};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);

    EXPECT_TRUE(CFileMng::IsValidMessageFile(voice));
    const std::vector<fs::path> responses = CFileMng::EnumerateMessages(folder / "outou");
    EXPECT_EQ(std::count_if(responses.begin(), responses.end(),
                            [](const fs::path& p) {
                                return CFileMng::ResponseNumberFromName(NameText(p.filename())) == 7 &&
                                       CFileMng::IsValidMessageFile(p);
                            }),
              1);
    // The list's path column names the folder; the archive holds the WAV
    // file by its path from the box folder's name on, in UTF-8 with "/".
    std::string bytes;
    ASSERT_EQ(ReadWholeFile(csv, bytes, std::uint64_t{1} << 20), ReadResult::Ok);
    EXPECT_NE(FromCp932(bytes).find(name), std::u16string::npos);
    const std::vector<std::string> entries = entriesOf(archive);
    const std::string wavEntry = ToUtf8(name) + "/rusuroku/0001/" + Utf8Of(wav.filename());
    EXPECT_NE(std::find(entries.begin(), entries.end(), wavEntry), entries.end()) << wavEntry;
}

}  // namespace
}  // namespace plova::cli
