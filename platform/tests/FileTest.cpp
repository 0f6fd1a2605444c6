#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <set>

#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/Ports.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"

namespace fs = std::filesystem;
using namespace plova;
using namespace plova::testkit;

namespace {

std::string contentOf(const fs::path& p) {
    std::string out;
    EXPECT_EQ(readWholeFile(p, out, 1 << 20), ReadResult::Ok) << p;
    return out;
}

void put(const fs::path& p, const std::string& bytes) {
    FileHandle f = openRegularFile(p, Access::ReadWriteCreate);
    ASSERT_TRUE(f.isOpen());
    ASSERT_TRUE(f.resize(0));
    ASSERT_TRUE(f.writeAll(bytes.data(), bytes.size()));
}

// Runs `work` and fails the test instead of hanging when it does not return.
template <typename F>
auto withinSeconds(F work) {
    auto run = std::async(std::launch::async, work);
    EXPECT_EQ(run.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "it hangs";
    return run.get();
}

class FileLayer : public ::testing::Test {
protected:
    TempFolder dir{"file-layer"};
    fs::path regular = dir / "regular.txt";
    void SetUp() override { put(regular, "0123456789"); }
};

struct ReadCase {
    const char* name;
    Links links;
    std::uint64_t limit;
    ReadResult result;
    std::string content;
};

void expectReads(const fs::path& dir, const std::vector<ReadCase>& cases) {
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " limit " + std::to_string(c.limit));
        std::string out = "stale";
        EXPECT_EQ(withinSeconds([&] { return readWholeFile(dir / c.name, out, c.limit, c.links); }), c.result);
        EXPECT_EQ(out, c.content);
    }
}

// What stands under the name decides the outcome; nothing ever blocks.
TEST_F(FileLayer, ReadWholeFileTakesRegularFilesWithinTheLimitOnly) {
    fs::create_directory(dir / "folder");
    expectReads(dir.path(), {
                                {"regular.txt", Links::Follow, 10, ReadResult::Ok, "0123456789"},
                                {"regular.txt", Links::Refuse, 10, ReadResult::Ok, "0123456789"},
                                {"regular.txt", Links::Follow, 9, ReadResult::TooLarge, ""},
                                {"missing", Links::Follow, 100, ReadResult::Missing, ""},
                                {"folder", Links::Follow, 100, ReadResult::NotRegular, ""},
                                {"folder", Links::Refuse, 100, ReadResult::NotRegular, ""},
                            });
}

TEST_F(FileLayer, ReadWholeFileNeitherWaitsOnAPipeNorFollowsARefusedLink) {
    if (!makeFifo(dir / "pipe")) GTEST_SKIP() << kNoFifos;
    if (!makeSymlink(regular, dir / "link")) GTEST_SKIP() << kNoSymlinks;
    ASSERT_TRUE(makeSymlink("/dev/zero", dir / "zero"));
    expectReads(dir.path(), {
                                {"pipe", Links::Follow, 100, ReadResult::NotRegular, ""},
                                {"zero", Links::Follow, 100, ReadResult::NotRegular, ""},
                                {"link", Links::Follow, 100, ReadResult::Ok, "0123456789"},
                                {"link", Links::Refuse, 100, ReadResult::NotRegular, ""},
                            });
}

TEST_F(FileLayer, ReadRangeGivesWhatLiesThereAndLessAtTheEnd) {
    std::string out;
    ASSERT_TRUE(readRange(regular, 3, 4, out));
    EXPECT_EQ(out, "3456");
    ASSERT_TRUE(readRange(regular, 8, 10, out));
    EXPECT_EQ(out, "89");
    ASSERT_TRUE(readRange(regular, 50, 10, out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(readRange(dir / "missing", 0, 10, out));
    if (makeFifo(dir / "pipe")) {
        EXPECT_FALSE(withinSeconds([&] { return readRange(dir / "pipe", 0, 10, out); }));
    }
}

// Positioned reads and writes leave the file position alone, as the readers
// that mix them with plain writes expect; a stream takes the handle over.
TEST_F(FileLayer, PositionedCallsKeepThePositionAndStreamsWriteThrough) {
    FileHandle f = openRegularFile(regular, Access::ReadWrite);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f.writeAll("ab", 2));
    char two[2] = {};
    ASSERT_EQ(f.readAt(8, two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "89");
    ASSERT_TRUE(f.writeAllAt(5, "XY", 2));
    ASSERT_TRUE(f.writeAll("cd", 2));
    EXPECT_EQ(contentOf(regular), "abcd4XY789");
    ASSERT_TRUE(f.resize(4));
    EXPECT_EQ(f.size(), 4u);
    ASSERT_TRUE(f.sync());

    FilePtr appending = streamOf(std::move(f), "ab");
    ASSERT_TRUE(appending);
    EXPECT_FALSE(f.isOpen());
    ASSERT_GE(std::fputs("++", appending.get()), 0);
    appending.reset();
    EXPECT_EQ(contentOf(regular), "abcd++");
    FilePtr reading = openFileStream(regular, Access::Read);
    ASSERT_TRUE(reading);
    char all[8] = {};
    EXPECT_EQ(std::fread(all, 1, sizeof all, reading.get()), 6u);
}

// A rewrite starts from an empty file of its own, or not at all.
TEST_F(FileLayer, OpenForRewriteRefusesWhatItWouldWriteThrough) {
    struct Case {
        const char* what;
        std::function<bool(const fs::path&)> make;  // false: this system cannot make it
        bool opens;
    };
    const Case cases[] = {
        {"nothing", [](const fs::path&) { return true; }, true},
        {"a regular file",
         [](const fs::path& p) {
             put(p, "old");
             return true;
         },
         true},
        {"a second name", [&](const fs::path& p) { return createHardLink(regular, p); }, false},
        {"a folder", [](const fs::path& p) { return fs::create_directory(p); }, false},
        {"a link", [&](const fs::path& p) { return makeSymlink(regular, p); }, false},
        {"a dangling link", [&](const fs::path& p) { return makeSymlink(dir / "nowhere", p); }, false},
        {"a pipe", [](const fs::path& p) { return makeFifo(p); }, false},
    };
    int made = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = dir / "out.wav";
        if (!c.make(target)) continue;  // links and pipes: see the tests that need them
        ++made;
        const FileHandle f = withinSeconds([&] { return openForRewrite(target); });
        EXPECT_EQ(f.isOpen(), c.opens);
        if (f.isOpen()) {
            EXPECT_EQ(f.size(), 0u);
        }
        EXPECT_EQ(contentOf(regular), "0123456789");
        EXPECT_FALSE(fs::exists(dir / "nowhere"));
        ASSERT_TRUE(removeFileOrLink(target) || removeFolderTree(target));
    }
    EXPECT_GE(made, 4);
}

TEST_F(FileLayer, TempFilesAreNewHiddenAndPrivate) {
    std::set<fs::path> names;
    for (int i = 0; i < 50; ++i) {
        std::optional<TempFile> t = createTempFile(dir.path());
        ASSERT_TRUE(t);
        EXPECT_TRUE(t->path.filename().string().starts_with(".plova-tmp-"));
        EXPECT_EQ(t->path.parent_path(), dir.path());
        EXPECT_EQ(t->handle.size(), 0u);
        if (kFilesHaveModes) {
            EXPECT_TRUE(ownerOnly(t->path));
        }
        EXPECT_TRUE(names.insert(t->path).second) << "a name given twice";
    }
    EXPECT_FALSE(createTempFile(dir / "missing"));
    EXPECT_EQ(lastFileError(), FileError::Missing);

    // With a suffix, and as a free name for another layer to make.
    const std::optional<TempFile> wav = createTempFile(dir.path(), "-A005.WAV");
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->path.filename().string().ends_with("-A005.WAV"));
    const fs::path free = newTempPath(dir.path(), ".wav");
    EXPECT_TRUE(free.filename().string().starts_with(".plova-tmp-"));
    EXPECT_TRUE(free.filename().string().ends_with(".wav"));
    EXPECT_EQ(entryType(free), fs::file_type::not_found);

    // A new file is never one that is there already.
    EXPECT_FALSE(createNewFile(regular));
    EXPECT_EQ(lastFileError(), FileError::Exists);
    EXPECT_EQ(contentOf(regular), "0123456789");
}

// Renames that replace, renames that never do, second names and removal,
// with the reason a failure gives.
TEST_F(FileLayer, NamesChangeHandsInOneStep) {
    const fs::path other = dir / "other.txt", moved = dir / "moved.txt";
    put(other, "other");

    EXPECT_FALSE(renameNoReplace(other, regular));
    EXPECT_EQ(lastFileError(), FileError::Exists);
    EXPECT_EQ(contentOf(regular), "0123456789");
    EXPECT_EQ(contentOf(other), "other");

    ASSERT_TRUE(renameNoReplace(other, moved));
    EXPECT_EQ(entryType(other), fs::file_type::not_found);
    EXPECT_FALSE(renameNoReplace(dir / "missing", dir / "anything"));
    EXPECT_EQ(lastFileError(), FileError::Missing);

    ASSERT_TRUE(replaceFile(moved, regular));
    EXPECT_EQ(contentOf(regular), "other");
    EXPECT_EQ(entryType(moved), fs::file_type::not_found);

    ASSERT_TRUE(createHardLink(regular, dir / "second"));
    EXPECT_EQ(contentOf(dir / "second"), "other");
    EXPECT_FALSE(createHardLink(regular, dir / "second"));
    EXPECT_EQ(lastFileError(), FileError::Exists);

    EXPECT_TRUE(removeFileOrLink(dir / "second"));
    EXPECT_TRUE(removeFileOrLink(dir / "second")) << "nothing there is what removal asks for";
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(removeFileOrLink(dir / "folder")) << "a folder is never removed as a file";
    EXPECT_EQ(entryType(dir / "folder"), fs::file_type::directory);
    EXPECT_EQ(entryType(regular), fs::file_type::regular);
    EXPECT_FALSE(systemErrorText(2).empty());
}

// Only old regular files under the temporary names go; what a live writer
// holds, and every other name, stay.
TEST_F(FileLayer, StaleTempFilesAreRemovedAndNothingElse) {
    const auto old = std::chrono::hours(2);
    const fs::path box = dir / "box";
    fs::create_directories(box);
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        bool age;
        bool removed;
    } const cases[] = {
        {".plova-tmp-old", [](const fs::path& p) { put(p, "x"); }, true, true},
        {".plova-tmp-fresh", [](const fs::path& p) { put(p, "x"); }, false, false},
        {"0001.vmdat", [](const fs::path& p) { put(p, "x"); }, true, false},
        {".plova-tmp-folder", [](const fs::path& p) { fs::create_directory(p); }, true, false},
    };
    for (const Case& c : cases) {
        c.make(box / c.name);
        if (c.age) {
            ASSERT_TRUE(makeOlder(box / c.name, old));
        }
    }
    EXPECT_EQ(removeStaleTempFiles(box, std::chrono::hours(1)), 1);
    for (const Case& c : cases) EXPECT_EQ(entryType(box / c.name) != fs::file_type::not_found, !c.removed) << c.name;
    EXPECT_EQ(removeStaleTempFiles(dir / "missing", std::chrono::hours(1)), 0);

    // Old folders under such names go with what they hold.
    put(box / ".plova-tmp-folder" / "inside", "x");
    ASSERT_TRUE(makeOlder(box / ".plova-tmp-folder", old));
    fs::create_directory(box / ".plova-tmp-live");
    EXPECT_EQ(removeStaleTempFolders(box, std::chrono::hours(1)), 1);
    EXPECT_EQ(entryType(box / ".plova-tmp-folder"), fs::file_type::not_found);
    EXPECT_EQ(entryType(box / ".plova-tmp-live"), fs::file_type::directory);
}

// A link under a temporary name is no file of ours, and a link inside a
// stale folder is taken away without going through it.
TEST_F(FileLayer, StaleTempSweepsLeaveWhatLinksLeadTo) {
    const fs::path outside = dir / "outside", box = dir / "box";
    fs::create_directories(outside);
    fs::create_directories(box / ".plova-tmp-folder");
    put(outside / "keep", "x");
    if (!makeSymlink(outside / "keep", box / ".plova-tmp-link")) GTEST_SKIP() << kNoSymlinks;
    ASSERT_TRUE(makeSymlink(outside, box / ".plova-tmp-folder" / "link"));
    ASSERT_TRUE(makeOlder(box / ".plova-tmp-folder", std::chrono::hours(2)));
    EXPECT_EQ(removeStaleTempFiles(box, std::chrono::hours(1)), 0);
    EXPECT_EQ(removeStaleTempFolders(box, std::chrono::hours(1)), 1);
    EXPECT_EQ(entryType(box / ".plova-tmp-folder"), fs::file_type::not_found);
    EXPECT_EQ(entryType(box / ".plova-tmp-link"), fs::file_type::symlink) << "a link is no file of ours";
    EXPECT_EQ(contentOf(outside / "keep"), "x");
}

// A settings file is read only when it is a regular file of sane size, and
// one that cannot be read is never replaced by a write.
void expectProfileLeftAlone(const fs::path& file, ReadResult expected, fs::file_type type) {
    SCOPED_TRACE(file.string());
    ReadResult read = ReadResult::Ok;
    withinSeconds([&] { return IniDocument::load(file, &read); });
    EXPECT_EQ(read, expected);
    EXPECT_EQ(withinSeconds([&] { return readProfileInt(file, u"A", u"k", 7); }), 7);
    EXPECT_FALSE(withinSeconds([&] { return writeProfileString(file, u"A", u"k", u"2"); }));
    EXPECT_FALSE(withinSeconds([&] { return deleteProfileKey(file, u"A", u"k"); }));
    EXPECT_EQ(entryType(file), type);
}

TEST_F(FileLayer, ProfilesThatCannotBeReadAreNeitherWaitedOnNorReplaced) {
    const fs::path huge = dir / "huge.ini";
    put(huge, "[A]\r\nk=1\r\n");
    fs::resize_file(huge, kMaxProfileBytes + 1);
    expectProfileLeftAlone(huge, ReadResult::TooLarge, fs::file_type::regular);
    EXPECT_EQ(fs::file_size(huge), kMaxProfileBytes + 1);
    fs::create_directory(dir / "folder.ini");
    expectProfileLeftAlone(dir / "folder.ini", ReadResult::NotRegular, fs::file_type::directory);
}

TEST_F(FileLayer, ProfilesThatArePipesOrDevicesAreNeitherWaitedOnNorReplaced) {
    const fs::path pipe = dir / "pipe.ini", zero = dir / "zero.ini";
    if (!makeFifo(pipe)) GTEST_SKIP() << kNoFifos;
    ASSERT_TRUE(makeSymlink("/dev/zero", zero));
    expectProfileLeftAlone(pipe, ReadResult::NotRegular, fs::file_type::fifo);
    expectProfileLeftAlone(zero, ReadResult::NotRegular, fs::file_type::symlink);
}

// Japanese folder and file names reach the file system as they are, through
// every call that takes a path, and come back from a listing the same.
TEST_F(FileLayer, JapaneseFolderAndFileNamesWorkThroughEveryCall) {
    const fs::path folder = dir.path() / fs::path(u8"本社の留守録") / fs::path(u8"営業部 ①");
    fs::create_directories(folder);
    const fs::path voice = folder / fs::path(u8"留守録メッセージ.vmdat");
    const fs::path copy = folder / fs::path(u8"コピー ～.vmdat");

    ASSERT_TRUE(writeFileAtomically(voice, "speech"));
    EXPECT_EQ(contentOf(voice), "speech");
    std::string part;
    ASSERT_TRUE(readRange(voice, 2, 3, part));
    EXPECT_EQ(part, "eec");
    ASSERT_TRUE(createHardLink(voice, copy));
    ASSERT_TRUE(removeFileOrLink(voice));
    ASSERT_TRUE(renameNoReplace(copy, voice));
    EXPECT_TRUE(openForRewrite(folder / fs::path(u8"変換後.wav")));
    ASSERT_TRUE(writeProfileString(folder / fs::path(u8"設定.ini"), u"BOX", u"NAME", u"営業"));
    EXPECT_EQ(readProfileString(folder / fs::path(u8"設定.ini"), u"BOX", u"NAME"), u"営業");
    EXPECT_TRUE(lockFolder(folder, kBoxFolderLockName).held());
    std::optional<TempFile> temp = createTempFile(folder, "-録音.WAV");
    ASSERT_TRUE(temp);
    temp->handle.close();  // a folder with an open file in it is not removed on Windows
    EXPECT_GT(SystemDiskSpace().freeBytes(folder / fs::path(u8"まだない")), 0u);

    std::set<std::u8string> listed;
    for (const auto& e : fs::directory_iterator(folder)) listed.insert(e.path().filename().u8string());
    EXPECT_EQ(listed.count(u8"留守録メッセージ.vmdat"), 1u);
    EXPECT_EQ(listed.count(u8"変換後.wav"), 1u);
    EXPECT_EQ(listed.count(temp->path.filename().u8string()), 1u);
    EXPECT_TRUE(removeFolderTree(dir.path() / fs::path(u8"本社の留守録")));
    EXPECT_EQ(entryType(folder), fs::file_type::not_found);
}

}  // namespace
