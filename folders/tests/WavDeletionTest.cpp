// Deleting the audio copies of chosen boxes: exactly the ".wav" and ".wma"
// files of the chosen folders go, whatever else lies beside or around them.
#include <gtest/gtest.h>

#include <set>

#include "folders/WavDeletion.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::TempFolder;
using testkit::WriteBytes;

// Every file below `folder`, relative to it, with "/" between the parts.
std::set<std::string> filesUnder(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (!e.is_directory()) out.insert(fs::relative(e.path(), folder).generic_string());
    return out;
}

class WavDeletionTest : public ::testing::Test {
protected:
    TempFolder dir{"wavdel"};
    fs::path box = dir / "box";
    void SetUp() override {
        for (const char* f : {"rusuroku/101", "rusuroku/102", "rusuroku/103", "naisen/201", "outou"})
            fs::create_directories(box / f);
    }
    void file(const std::string& rel) { WriteBytes(box / rel, "x"); }
};

TEST_F(WavDeletionTest, OnlyAudioCopiesOfTheChosenFoldersGo) {
    // Names that look like audio copies but are not, beside real ones.
    const std::vector<std::string> keep = {
        "rusuroku/101/a.vmdat",      "rusuroku/101/a.vminf", "rusuroku/101/x.wav.vmdat",
        "rusuroku/101/x.wma.tmp",    "rusuroku/101/wav",     "rusuroku/101/a.wave",
        "rusuroku/101/inf.ini",      "rusuroku/101/.wavx",   "rusuroku/102/b.wav",
        "naisen/201/c.WAV",          "outou/d.wav",          "rusuroku/a.wav",
        "rusuroku/101/sub/deep.wav",
    };
    const std::vector<std::string> gone = {"rusuroku/101/a.wav", "rusuroku/101/b.WAV", "rusuroku/101/c.Wav",
                                           "rusuroku/101/d.wma", "rusuroku/101/e.WMA", "rusuroku/101/.wav"};
    fs::create_directories(box / "rusuroku/101/sub");
    for (const auto& f : keep) file(f);
    for (const auto& f : gone) file(f);
    fs::create_directories(box / "rusuroku/101/folder.wav");

    WavDeletion request;
    request.answering = {u"101"};
    std::vector<int> steps;
    EXPECT_EQ(DeleteWavFiles(box, request, [&](int p) { steps.push_back(p); }), WavDeletionResult::Done);
    EXPECT_EQ(steps, (std::vector<int>{1, 2}));
    EXPECT_EQ(filesUnder(box), std::set<std::string>(keep.begin(), keep.end()));
    EXPECT_TRUE(fs::is_directory(box / "rusuroku/101/folder.wav"));
}

TEST_F(WavDeletionTest, EachModeReachesOnlyItsOwnFolders) {
    for (const char* f : {"rusuroku/101/a.wav", "rusuroku/102/a.wav", "naisen/201/a.wma", "outou/r.WAV"}) file(f);
    const AudioBoxes found = FindAudioBoxes(box);
    EXPECT_EQ(found.answering, (std::vector<std::u16string>{u"101", u"102"}));  // 103 holds none
    EXPECT_EQ(found.extension, std::vector<std::u16string>{u"201"});
    EXPECT_TRUE(found.responses);
    EXPECT_EQ(found.Count(), 4);

    WavDeletion responses;
    responses.responses = true;
    responses.answering = {u"101"};  // marks are not looked at in this mode
    EXPECT_EQ(DeleteWavFiles(box, responses, {}), WavDeletionResult::Done);
    EXPECT_EQ(filesUnder(box), (std::set<std::string>{"rusuroku/101/a.wav", "rusuroku/102/a.wav", "naisen/201/a.wma"}));

    WavDeletion boxes;
    boxes.extension = {u"201"};
    EXPECT_EQ(DeleteWavFiles(box, boxes, {}), WavDeletionResult::Done);
    EXPECT_EQ(filesUnder(box), (std::set<std::string>{"rusuroku/101/a.wav", "rusuroku/102/a.wav"}));
}

TEST_F(WavDeletionTest, NoMarkedBoxDeletesNothing) {
    file("rusuroku/101/a.wav");
    file("outou/r.wav");
    const AudioBoxes found = FindAudioBoxes(box);
    EXPECT_TRUE(found.answering.size() == 1 && found.responses);
    std::vector<int> steps;
    EXPECT_EQ(DeleteWavFiles(box, WavDeletion{}, [&](int p) { steps.push_back(p); }), WavDeletionResult::NoBoxChosen);
    EXPECT_EQ(filesUnder(box).size(), 2u);
}

// A box number that climbs out, or a folder on the way that is a link to
// somewhere else (where this system can make one), reaches nothing outside
// the box folder.
TEST_F(WavDeletionTest, NothingOutsideTheBoxFolderIsReached) {
    const fs::path outside = dir / "outside";
    fs::create_directories(outside / "rusuroku/101");
    WriteBytes(outside / "keep.wav", "x");
    WriteBytes(outside / "rusuroku/101/keep.wav", "x");
    const fs::path other = dir / "other";
    fs::create_directories(other / "naisen/201");
    WriteBytes(other / "naisen/201/keep.wav", "x");
    const bool links = testkit::MakeSymlink(outside, box / "rusuroku/linked") &&
                       testkit::MakeSymlink(outside / "keep.wav", box / "rusuroku/101/link.wav");
    if (links) {
        fs::remove_all(box / "naisen");
        ASSERT_TRUE(testkit::MakeSymlink(other / "naisen", box / "naisen"));
    }

    const AudioBoxes found = FindAudioBoxes(box);
    EXPECT_TRUE(found.answering.empty());
    EXPECT_TRUE(found.extension.empty());

    WavDeletion request;
    request.answering = {u"linked", u"..", u"../..", u"101/../../../outside"};
    request.extension = {u"201"};
    EXPECT_EQ(DeleteWavFiles(box, request, {}), WavDeletionResult::Done);
    EXPECT_TRUE(fs::exists(outside / "keep.wav"));
    EXPECT_TRUE(fs::exists(outside / "rusuroku/101/keep.wav"));
    EXPECT_TRUE(fs::exists(other / "naisen/201/keep.wav"));
    if (!links) return;
    EXPECT_TRUE(fs::is_symlink(box / "rusuroku/101/link.wav"));
    // A link named like an audio copy is no audio copy of the folder.
    EXPECT_EQ(CFileMng::HasAudioFiles(box / "rusuroku/101"), 0);
}

}  // namespace
}  // namespace plova
