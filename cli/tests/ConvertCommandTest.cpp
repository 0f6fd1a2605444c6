#include <gtest/gtest.h>

#include <algorithm>

#include "cli/Command.h"
#include "cli/testing/CliRun.h"
#include "platform/IniFile.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TestPorts.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using namespace plova::testkit;
namespace fs = std::filesystem;

namespace {

class ConvertCommand : public ::testing::Test {
protected:
    CliOutcome convert(const cli::Args& args) { return RunCommandCaptured("convert", args); }

    fs::path message(const std::string& name, std::size_t speechBytes) {
        const fs::path p = dir / name;
        WriteMessage(p, SampleRecord(), SampleBlock(), speechBytes);
        return p;
    }

    static std::size_t lines(const std::string& s) {
        return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
    }

    TestPorts ports;
    TempFolder dir{"cli-convert"};
};

TEST_F(ConvertCommand, ConvertsEachFileAndReportsEveryOneOnOneLine) {
    const fs::path a = message("202612071405_001_0012_00001.vmdat", 1000);
    const fs::path b = message("202612071406_001_0012_00002.vmdat", 2000);
    const fs::path empty = message("202612071407_001_0012_00003.vmdat", 0);
    const CliOutcome r = convert({a.string(), (dir / "missing.vmdat").string(), b.string(), empty.string()});
    EXPECT_EQ(r.code, cli::kFailed);
    EXPECT_EQ(r.out, fs::path(a).replace_extension(".wav").string() + "\n" +
                         fs::path(b).replace_extension(".wav").string() + "\n");
    EXPECT_EQ(lines(r.err), 2u) << r.err;
    EXPECT_NE(r.err.find("missing.vmdat: no such file"), std::string::npos) << r.err;
    EXPECT_EQ(fs::file_size(fs::path(a).replace_extension(".wav")), 16044u);
    EXPECT_EQ(fs::file_size(fs::path(b).replace_extension(".wav")), 32044u);
    EXPECT_FALSE(fs::exists(fs::path(empty).replace_extension(".wav")));

    EXPECT_EQ(convert({a.string()}).code, cli::kOk);
}

TEST_F(ConvertCommand, TheLevelComesFromTheOptionElseTheSettings) {
    const fs::path m = message("202612071405_001_0012_00001.vmdat", 3000);
    const fs::path wav = fs::path(m).replace_extension(".wav");
    const auto converted = [&](std::vector<std::string> options) {
        options.insert(options.begin(), m.string());
        EXPECT_EQ(convert(options).code, cli::kOk);
        return ReadFileBytes(wav);
    };
    const fs::path settings = dir / "PLOVA.ini";
    ASSERT_TRUE(WriteProfileInt(settings, u"CODEC", u"LEVELRVORWAV", 250));  // -6 dB in its low byte

    const std::string plain = converted({});
    const std::string quieter = converted({"--level", "-6"});
    EXPECT_NE(quieter, plain);
    EXPECT_EQ(converted({"--settings", settings.string()}), quieter);
    EXPECT_EQ(converted({"--settings", settings.string(), "--level", "0"}), plain);
    // A settings file that is not there is said, not taken for "level 0".
    const CliOutcome missing = convert({m.string(), "--settings", (dir / "none.ini").string()});
    EXPECT_EQ(missing.code, cli::kUsage);
    EXPECT_EQ(lines(missing.err), 1u);
    EXPECT_NE(missing.err.find("none.ini: no such file"), std::string::npos) << missing.err;
    EXPECT_EQ(convert({m.string(), "--settings", dir.Path().string()}).code, cli::kUsage);
}

TEST_F(ConvertCommand, ANameWithALineFeedStaysOnOneLine) {
    if (!kNamesHoldControlCharacters) GTEST_SKIP() << kNoControlCharacterNames;
    const fs::path m = message("two\nlines.vmdat", 1000);
    const CliOutcome r = convert({m.string()});
    ASSERT_EQ(r.code, cli::kOk) << r.err;
    EXPECT_EQ(lines(r.out), 1u) << r.out;
    EXPECT_NE(r.out.find("two\\x0alines.wav"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(dir / "two\nlines.wav"));
}

TEST_F(ConvertCommand, RefusesWhatItCannotConvert) {
    const fs::path m = message("202612071405_001_0012_00001.vmdat", 1000);
    EXPECT_EQ(convert({}).code, cli::kUsage);
    EXPECT_EQ(convert({m.string(), "--level"}).code, cli::kUsage);
    EXPECT_EQ(convert({m.string(), "--level", "loud"}).code, cli::kUsage);
    EXPECT_EQ(convert({m.string(), "--level", "128"}).code, cli::kUsage);
    EXPECT_EQ(convert({m.string(), "--fast"}).code, cli::kUsage);
    EXPECT_FALSE(fs::exists(fs::path(m).replace_extension(".wav")));

    const fs::path info = message("202612071405_001_0012_00001.vminf", 1000);
    CliOutcome r = convert({info.string()});
    EXPECT_EQ(r.code, cli::kFailed);
    EXPECT_NE(r.err.find("not a voice-data file"), std::string::npos) << r.err;

    ports.disk.Set(4095);
    r = convert({m.string()});
    EXPECT_EQ(r.code, cli::kFailed);
    EXPECT_NE(r.err.find("not enough free disk space"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(fs::path(m).replace_extension(".wav")));
}

}  // namespace
