// The demo main unit: what the client will find in it must be what a main
// unit serves, down to the last consistent number.
#include "sim/SeedMainUnit.h"

#include "audio/G729Codec.h"
#include "platform/CalendarTime.h"
#include "platform/InternetTime.h"
#include "platform/Text.h"
#include "sim/tests/ServerFixture.h"
#include "store/CFileMng.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace plova::sim::testing {
namespace {

const LocalTime kNow{2026, 12, 7, 1, 10, 30, 0, 0};

SeedOptions smallOptions() {
    SeedOptions o;
    o.now = kNow;
    o.answeringBoxes = {"0001", "0002"};
    o.extensionBoxes = {"2001"};
    o.emptyExtensionBoxes = {"2009"};
    o.messagesPerBox = 3;
    o.responseNumbers = {1, 150, 300};
    o.minSeconds = 3.0;
    o.maxSeconds = 4.0;
    return o;
}

class SimSeed : public ::testing::Test {
protected:
    testkit::TempFolder temp{"sim"};
    const fs::path base = temp.Path();
};

std::time_t daysFromCivil(int y, int m, int d) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    return MomentOfUniversalTime(tm) / 86400;
}

TEST_F(SimSeed, WritesConsistentMessagesOfEveryKind) {
    const fs::path root = base / "unit";
    const SeedResult r = SeedMainUnit(root, smallOptions());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(fs::is_directory(root / "naisen/2009"));
    EXPECT_TRUE(fs::is_empty(root / "naisen/2009"));
    ASSERT_GE(r.boxMessages.size(), 3u);
    ASSERT_EQ(r.responseMessages.size(), 3u);

    bool played = false, unplayed = false, locked = false, mainUnitSpace = false;
    const std::time_t today = daysFromCivil(2026, 12, 7);
    for (const auto& m : r.boxMessages) {
        const std::string name = m.voiceFile.filename().string();
        const std::string box = m.voiceFile.parent_path().filename().string();
        ASSERT_EQ(name.size(), 33u) << name;
        EXPECT_EQ(name.substr(17, 4), box) << "the box field names the box directory";
        EXPECT_EQ(m.infoFile, m.voiceFile.parent_path() / (name.substr(0, 27) + ".vminf"));

        const std::string voice = ReadFile(m.voiceFile);
        const std::string info = ReadFile(m.infoFile);
        ASSERT_EQ(info.size(), block::kSize);
        ASSERT_GT(voice.size(), block::kSize);
        EXPECT_EQ(voice.substr(0, block::kSize), info) << "the .vminf is the .vmdat's block";
        EXPECT_EQ((voice.size() - block::kSize) % kFrameBytes, 0u);

        const RecordingBlock b = ParseBlock(info);
        EXPECT_TRUE(b.hasMagic);
        EXPECT_EQ(b.boxDigits, box);
        EXPECT_EQ(b.boxNumber, std::stoi(box));
        EXPECT_EQ(b.recordingTenths, (voice.size() - block::kSize) / kFrameBytes / 10) << "10 ms a frame";
        EXPECT_GE(b.recordingTenths, 30u);
        EXPECT_EQ(b.played, m.played);
        EXPECT_EQ(b.isProtected, m.isProtected);

        auto date = ParseBlockDate(info.substr(block::kDateOffset, block::kDateSize));
        ASSERT_TRUE(date) << name;
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%04d%02d%02d%02d%02d", date->year, date->month, date->day, date->hour,
                      date->minute);
        EXPECT_EQ(name.substr(0, 12), prefix) << "the name and the block tell the same time";
        const std::time_t day = daysFromCivil(date->year, date->month, date->day);
        EXPECT_LE(day, today);
        EXPECT_GE(day, today - 92) << "within the last three months";

        played |= b.played;
        unplayed |= !b.played;
        locked |= b.isProtected;
        mainUnitSpace |= b.partyName.find("\x80\xF0") != std::string::npos;
    }
    EXPECT_TRUE(played && unplayed && locked && mainUnitSpace);

    for (const auto& m : r.responseMessages) {
        const std::string name = m.voiceFile.filename().string();
        ASSERT_EQ(name.size(), 32u) << name;
        EXPECT_EQ(m.voiceFile.parent_path().filename(), "outou");
        const int number = std::stoi(name.substr(18, 3));
        char identity[16];
        std::snprintf(identity, sizeof identity, "A%03d_0000", number);
        EXPECT_EQ(name.substr(17, 9), identity) << "the form the PC gives the messages it makes";
        const RecordingBlock b = ParseBlock(ReadFile(m.voiceFile));
        EXPECT_EQ(b.boxNumber, number);
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", number);
        EXPECT_EQ(b.boxDigits, digits);
        EXPECT_FALSE(b.partyName.empty()) << "the message's title";
    }
}

// After a download the client puts its status record in front of every file;
// the store must then take each one for a valid message.
TEST_F(SimSeed, EveryFileIsAValidMessageOnceDownloaded) {
    const fs::path root = base / "unit";
    const SeedResult r = SeedMainUnit(root, smallOptions());
    ASSERT_TRUE(r.ok) << r.error;
    const fs::path local = base / "pc" / "demo";
    // Copied to a folder not there yet: copying into one that is fails on Windows.
    fs::create_directories(local.parent_path());
    fs::copy(root, local, fs::copy_options::recursive);
    int valid = 0;
    bool sawIdeographicSpace = false;
    for (const auto& m : r.boxMessages) {
        const fs::path rel = fs::relative(m.voiceFile, root);
        const fs::path info = local / rel.parent_path() / m.infoFile.filename();
        const fs::path voice = local / rel;
        // In the order a box download fetches them: information, then voice.
        ASSERT_EQ(CFileMng::MakeStatusRecord(info), store::RecordWrite::Written);
        ASSERT_EQ(CFileMng::MakeStatusRecord(voice), store::RecordWrite::Written);
        EXPECT_TRUE(CFileMng::IsValidMessageFile(info)) << info;
        EXPECT_TRUE(CFileMng::IsValidMessageFile(voice)) << voice;
        FILESTS_INFO rec;
        ASSERT_TRUE(CFileMng::ReadStatusRecord(voice, rec));
        EXPECT_EQ(rec.downloadState, m.played ? kPlayedOnMainUnit : kUnplayedOnMainUnit);
        EXPECT_EQ(rec.isProtected, m.isProtected ? 1 : 0);
        EXPECT_EQ(rec.recordingTime, CFileMng::FormatRecordingTime(m.recordingTenths));
        sawIdeographicSpace |= rec.partyName.find(u'\u3000') != std::u16string::npos;
        valid += 2;
    }
    EXPECT_TRUE(sawIdeographicSpace) << "0x80 0xF0 shows as a full-width space";
    for (const auto& m : r.responseMessages) {
        const fs::path voice = local / fs::relative(m.voiceFile, root);
        ASSERT_EQ(CFileMng::MakeResponseRecord(voice), store::RecordWrite::Written);
        EXPECT_TRUE(CFileMng::IsValidMessageFile(voice)) << voice;
        ++valid;
    }
    std::vector<FILESTS_INFO> records;
    ASSERT_TRUE(CFileMng::LoadFolderRecords(local / "outou", records));
    EXPECT_EQ(records.size(), r.responseMessages.size());
    for (const auto& rec : records) {
        // The list takes the number from the file name; it must read as the block's three digits.
        const RecordingBlock b = ParseBlock(ReadFile(fs::path(rec.filePath)).substr(filests::kSize, block::kSize));
        EXPECT_EQ(ToUtf8(rec.boxNumber), b.boxDigits) << ToUtf8(rec.filePath);
    }
    ASSERT_TRUE(CFileMng::LoadFolderRecords(local / "rusuroku/0001", records));
    EXPECT_GT(records.size(), 0u);
    EXPECT_TRUE(CFileMng::IsBoxFolder(local));
    EXPECT_GT(valid, 0);
}

TEST_F(SimSeed, SameSeedSameBytesOtherSeedOtherBytes) {
    SeedOptions o = smallOptions();
    o.answeringBoxes = {"0001"};
    o.extensionBoxes = {};
    o.responseNumbers = {2};
    const SeedResult a = SeedMainUnit(base / "a", o);
    const SeedResult b = SeedMainUnit(base / "b", o);
    o.seed += 1;
    const SeedResult c = SeedMainUnit(base / "c", o);
    ASSERT_TRUE(a.ok && b.ok && c.ok);
    ASSERT_EQ(a.boxMessages.size(), b.boxMessages.size());
    for (std::size_t i = 0; i < a.boxMessages.size(); ++i) {
        EXPECT_EQ(a.boxMessages[i].voiceFile.filename(), b.boxMessages[i].voiceFile.filename());
        EXPECT_EQ(ReadFile(a.boxMessages[i].voiceFile), ReadFile(b.boxMessages[i].voiceFile));
    }
    EXPECT_NE(ReadFile(a.boxMessages[0].voiceFile), ReadFile(c.boxMessages[0].voiceFile));
}

// The speech must be something to listen to: loud throughout, and voiced
// (far fewer zero crossings than noise has).
TEST_F(SimSeed, SpeechDecodesToAudibleVoicedSound) {
    SeedOptions o = smallOptions();
    o.answeringBoxes = {"0001"};
    o.extensionBoxes = {};
    o.responseNumbers = {};
    o.minSeconds = 8.0;
    o.maxSeconds = 10.0;
    const SeedResult r = SeedMainUnit(base / "unit", o);
    ASSERT_TRUE(r.ok);
    for (const auto& m : r.boxMessages) {
        const std::string voice = ReadFile(m.voiceFile);
        G729Decoder decoder;
        std::vector<std::int16_t> pcm;
        std::array<std::int16_t, kFrameSamples> out{};
        for (std::size_t at = block::kSize; at + kFrameBytes <= voice.size(); at += kFrameBytes) {
            decoder.Decode(std::span<const std::uint8_t, kFrameBytes>(
                               reinterpret_cast<const std::uint8_t*>(voice.data() + at), kFrameBytes),
                           false, out);
            pcm.insert(pcm.end(), out.begin(), out.end());
        }
        ASSERT_GE(pcm.size(), 8u * 8000u);
        // Every second has sound in it; pauses between phrases are short.
        for (std::size_t s = 0; s + 8000 <= pcm.size(); s += 8000) {
            double energy = 0;
            for (std::size_t i = s; i < s + 8000; ++i) energy += double(pcm[i]) * pcm[i];
            EXPECT_GT(std::sqrt(energy / 8000), 800.0) << m.voiceFile << " second " << s / 8000;
        }
        std::size_t crossings = 0;
        for (std::size_t i = 1; i < pcm.size(); ++i) crossings += (pcm[i - 1] < 0) != (pcm[i] < 0);
        EXPECT_LT(double(crossings) / double(pcm.size()), 0.25) << "noise crosses zero about every other sample";
        EXPECT_GT(double(crossings) / double(pcm.size()), 0.01) << "not a hum either";
    }
}

}  // namespace
}  // namespace plova::sim::testing
