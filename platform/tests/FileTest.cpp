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
    EXPECT_EQ(ReadWholeFile(p, out, 1 << 20), ReadResult::Ok) << p;
    return out;
}

void put(const fs::path& p, const std::string& bytes) {
    FileHandle f = OpenRegularFile(p, Access::ReadWriteCreate);
    ASSERT_TRUE(f.IsOpen());
    ASSERT_TRUE(f.Resize(0));
    ASSERT_TRUE(f.WriteAll(bytes.data(), bytes.size()));
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
        EXPECT_EQ(withinSeconds([&] { return ReadWholeFile(dir / c.name, out, c.limit, c.links); }), c.result);
        EXPECT_EQ(out, c.content);
    }
}

// What stands under the name decides the outcome; nothing ever blocks.
TEST_F(FileLayer, ReadWholeFileTakesRegularFilesWithinTheLimitOnly) {
    fs::create_directory(dir / "folder");
    expectReads(dir.Path(), {
                                {"regular.txt", Links::Follow, 10, ReadResult::Ok, "0123456789"},
                                {"regular.txt", Links::Refuse, 10, ReadResult::Ok, "0123456789"},
                                {"regular.txt", Links::Follow, 9, ReadResult::TooLarge, ""},
                                {"missing", Links::Follow, 100, ReadResult::Missing, ""},
                                {"folder", Links::Follow, 100, ReadResult::NotRegular, ""},
                                {"folder", Links::Refuse, 100, ReadResult::NotRegular, ""},
                            });
}

TEST_F(FileLayer, ReadWholeFileNeitherWaitsOnAPipeNorFollowsARefusedLink) {
    if (!MakeFifo(dir / "pipe")) GTEST_SKIP() << kNoFifos;
    if (!MakeSymlink(regular, dir / "link")) GTEST_SKIP() << kNoSymlinks;
    ASSERT_TRUE(MakeSymlink("/dev/zero", dir / "zero"));
    expectReads(dir.Path(), {
                                {"pipe", Links::Follow, 100, ReadResult::NotRegular, ""},
                                {"zero", Links::Follow, 100, ReadResult::NotRegular, ""},
                                {"link", Links::Follow, 100, ReadResult::Ok, "0123456789"},
                                {"link", Links::Refuse, 100, ReadResult::NotRegular, ""},
                            });
}

TEST_F(FileLayer, ReadRangeGivesWhatLiesThereAndLessAtTheEnd) {
    std::string out;
    ASSERT_TRUE(ReadRange(regular, 3, 4, out));
    EXPECT_EQ(out, "3456");
    ASSERT_TRUE(ReadRange(regular, 8, 10, out));
    EXPECT_EQ(out, "89");
    ASSERT_TRUE(ReadRange(regular, 50, 10, out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(ReadRange(dir / "missing", 0, 10, out));
    if (MakeFifo(dir / "pipe")) {
        EXPECT_FALSE(withinSeconds([&] { return ReadRange(dir / "pipe", 0, 10, out); }));
    }
}

// Positioned reads and writes leave the file position alone, as the readers
// that mix them with plain writes expect; a stream takes the handle over.
TEST_F(FileLayer, PositionedCallsKeepThePositionAndStreamsWriteThrough) {
    FileHandle f = OpenRegularFile(regular, Access::ReadWrite);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f.WriteAll("ab", 2));
    char two[2] = {};
    ASSERT_EQ(f.ReadAt(8, two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "89");
    ASSERT_TRUE(f.WriteAllAt(5, "XY", 2));
    ASSERT_TRUE(f.WriteAll("cd", 2));
    EXPECT_EQ(contentOf(regular), "abcd4XY789");
    ASSERT_TRUE(f.Resize(4));
    EXPECT_EQ(f.Size(), 4u);
    ASSERT_TRUE(f.Sync());

    FilePtr appending = StreamOf(std::move(f), "ab");
    ASSERT_TRUE(appending);
    EXPECT_FALSE(f.IsOpen());  // NOLINT(bugprone-use-after-move): a handle moved from is closed
    ASSERT_GE(std::fputs("++", appending.get()), 0);
    appending.reset();
    EXPECT_EQ(contentOf(regular), "abcd++");
    FilePtr reading = OpenFileStream(regular, Access::Read);
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
        {"a second name", [&](const fs::path& p) { return MakeHardLink(regular, p); }, false},
        {"a folder", [](const fs::path& p) { return fs::create_directory(p); }, false},
        {"a link", [&](const fs::path& p) { return MakeSymlink(regular, p); }, false},
        {"a dangling link", [&](const fs::path& p) { return MakeSymlink(dir / "nowhere", p); }, false},
        {"a pipe", [](const fs::path& p) { return MakeFifo(p); }, false},
    };
    int made = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = dir / "out.wav";
        if (!c.make(target)) continue;  // links and pipes: see the tests that need them
        ++made;
        const FileHandle f = withinSeconds([&] { return OpenForRewrite(target); });
        EXPECT_EQ(f.IsOpen(), c.opens);
        if (f.IsOpen()) {
            EXPECT_EQ(f.Size(), 0u);
        }
        EXPECT_EQ(contentOf(regular), "0123456789");
        EXPECT_FALSE(fs::exists(dir / "nowhere"));
        ASSERT_TRUE(RemoveFileOrLink(target) || RemoveFolderTree(target));
    }
    EXPECT_GE(made, 4);
}

// Appending adds to a regular file only, never through a link or into a pipe.
TEST_F(FileLayer, OpenForAppendAddsToRegularFilesOnly) {
    struct Case {
        const char* what;
        std::function<bool(const fs::path&)> make;  // false: this system cannot make it
        std::string after;                          // the file's content after appending "+", "" when refused
    };
    const Case cases[] = {
        {"nothing", [](const fs::path&) { return true; }, "+"},
        {"a regular file",
         [](const fs::path& p) {
             put(p, "old");
             return true;
         },
         "old+"},
        {"a folder", [](const fs::path& p) { return fs::create_directory(p); }, ""},
        {"a link", [&](const fs::path& p) { return MakeSymlink(regular, p); }, ""},
        {"a pipe", [](const fs::path& p) { return MakeFifo(p); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = dir / "operations.log";
        if (!c.make(target)) continue;
        FileHandle f = withinSeconds([&] { return OpenForAppend(target); });
        EXPECT_EQ(f.IsOpen(), !c.after.empty());
        if (f.IsOpen()) {
            ASSERT_TRUE(AppendAll(f, "+"));
            f.Close();
            EXPECT_EQ(contentOf(target), c.after);
        }
        EXPECT_EQ(contentOf(regular), "0123456789");
        ASSERT_TRUE(RemoveFileOrLink(target) || RemoveFolderTree(target));
    }
    // Two handles on one file: each addition lands at the end as it is then.
    FileHandle a = OpenForAppend(dir / "two.log");
    FileHandle b = OpenForAppend(dir / "two.log");
    ASSERT_TRUE(AppendAll(a, "1") && AppendAll(b, "2") && AppendAll(a, "3"));
    a.Close();
    b.Close();
    EXPECT_EQ(contentOf(dir / "two.log"), "123");
}

TEST_F(FileLayer, TempFilesAreNewHiddenAndPrivate) {
    std::set<fs::path> names;
    for (int i = 0; i < 50; ++i) {
        std::optional<TempFile> t = CreateTempFile(dir.Path());
        ASSERT_TRUE(t);
        EXPECT_TRUE(t->path.filename().string().starts_with(".plova-tmp-"));
        EXPECT_EQ(t->path.parent_path(), dir.Path());
        EXPECT_EQ(t->handle.Size(), 0u);
        if (kFilesHaveModes) {
            EXPECT_TRUE(OwnerOnly(t->path));
        }
        EXPECT_TRUE(names.insert(t->path).second) << "a name given twice";
    }
    EXPECT_FALSE(CreateTempFile(dir / "missing"));
    EXPECT_EQ(LastFileError(), FileError::Missing);

    // With a suffix, and as a free name for another layer to make.
    const std::optional<TempFile> wav = CreateTempFile(dir.Path(), "-A005.WAV");
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->path.filename().string().ends_with("-A005.WAV"));
    const fs::path free = NewTempPath(dir.Path(), ".wav");
    EXPECT_TRUE(free.filename().string().starts_with(".plova-tmp-"));
    EXPECT_TRUE(free.filename().string().ends_with(".wav"));
    EXPECT_EQ(EntryType(free), fs::file_type::not_found);

    // A new file is never one that is there already.
    EXPECT_FALSE(CreateNewFile(regular));
    EXPECT_EQ(LastFileError(), FileError::Exists);
    EXPECT_EQ(contentOf(regular), "0123456789");
}

// Renames that replace, renames that never do, second names and removal,
// with the reason a failure gives.
TEST_F(FileLayer, NamesChangeHandsInOneStep) {
    const fs::path other = dir / "other.txt", moved = dir / "moved.txt";
    put(other, "other");

    EXPECT_FALSE(RenameNoReplace(other, regular));
    EXPECT_EQ(LastFileError(), FileError::Exists);
    EXPECT_EQ(contentOf(regular), "0123456789");
    EXPECT_EQ(contentOf(other), "other");

    ASSERT_TRUE(RenameNoReplace(other, moved));
    EXPECT_EQ(EntryType(other), fs::file_type::not_found);
    EXPECT_FALSE(RenameNoReplace(dir / "missing", dir / "anything"));
    EXPECT_EQ(LastFileError(), FileError::Missing);

    ASSERT_TRUE(RenameReplacing(moved, regular));
    EXPECT_EQ(contentOf(regular), "other");
    EXPECT_EQ(EntryType(moved), fs::file_type::not_found);

    ASSERT_TRUE(MakeHardLink(regular, dir / "second"));
    EXPECT_EQ(contentOf(dir / "second"), "other");
    EXPECT_FALSE(MakeHardLink(regular, dir / "second"));
    EXPECT_EQ(LastFileError(), FileError::Exists);

    EXPECT_TRUE(RemoveFileOrLink(dir / "second"));
    EXPECT_TRUE(RemoveFileOrLink(dir / "second")) << "nothing there is what removal asks for";
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(RemoveFileOrLink(dir / "folder")) << "a folder is never removed as a file";
    EXPECT_EQ(EntryType(dir / "folder"), fs::file_type::directory);
    EXPECT_EQ(EntryType(regular), fs::file_type::regular);
    EXPECT_FALSE(SystemErrorText(2).empty());
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
            ASSERT_TRUE(MakeOlder(box / c.name, old));
        }
    }
    EXPECT_EQ(RemoveStaleTempFiles(box, std::chrono::hours(1)), 1);
    for (const Case& c : cases) EXPECT_EQ(EntryType(box / c.name) != fs::file_type::not_found, !c.removed) << c.name;
    EXPECT_EQ(RemoveStaleTempFiles(dir / "missing", std::chrono::hours(1)), 0);

    // Old folders under such names go with what they hold.
    put(box / ".plova-tmp-folder" / "inside", "x");
    ASSERT_TRUE(MakeOlder(box / ".plova-tmp-folder", old));
    fs::create_directory(box / ".plova-tmp-live");
    EXPECT_EQ(RemoveStaleTempFolders(box, std::chrono::hours(1)), 1);
    EXPECT_EQ(EntryType(box / ".plova-tmp-folder"), fs::file_type::not_found);
    EXPECT_EQ(EntryType(box / ".plova-tmp-live"), fs::file_type::directory);
}

// A link under a temporary name is no file of ours, and a link inside a
// stale folder is taken away without going through it.
TEST_F(FileLayer, StaleTempSweepsLeaveWhatLinksLeadTo) {
    const fs::path outside = dir / "outside", box = dir / "box";
    fs::create_directories(outside);
    fs::create_directories(box / ".plova-tmp-folder");
    put(outside / "keep", "x");
    if (!MakeSymlink(outside / "keep", box / ".plova-tmp-link")) GTEST_SKIP() << kNoSymlinks;
    ASSERT_TRUE(MakeSymlink(outside, box / ".plova-tmp-folder" / "link"));
    ASSERT_TRUE(MakeOlder(box / ".plova-tmp-folder", std::chrono::hours(2)));
    EXPECT_EQ(RemoveStaleTempFiles(box, std::chrono::hours(1)), 0);
    EXPECT_EQ(RemoveStaleTempFolders(box, std::chrono::hours(1)), 1);
    EXPECT_EQ(EntryType(box / ".plova-tmp-folder"), fs::file_type::not_found);
    EXPECT_EQ(EntryType(box / ".plova-tmp-link"), fs::file_type::symlink) << "a link is no file of ours";
    EXPECT_EQ(contentOf(outside / "keep"), "x");
}

// A settings file is read only when it is a regular file of sane size, and
// one that cannot be read is never replaced by a write.
void expectProfileLeftAlone(const fs::path& file, ReadResult expected, fs::file_type type) {
    SCOPED_TRACE(file.string());
    ReadResult read = ReadResult::Ok;
    withinSeconds([&] { return IniDocument::Load(file, &read); });
    EXPECT_EQ(read, expected);
    EXPECT_EQ(withinSeconds([&] { return ReadProfileInt(file, u"A", u"k", 7); }), 7);
    EXPECT_FALSE(withinSeconds([&] { return WriteProfileText(file, u"A", u"k", u"2"); }));
    EXPECT_FALSE(withinSeconds([&] { return DeleteProfileKey(file, u"A", u"k"); }));
    EXPECT_EQ(EntryType(file), type);
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
    if (!MakeFifo(pipe)) GTEST_SKIP() << kNoFifos;
    ASSERT_TRUE(MakeSymlink("/dev/zero", zero));
    expectProfileLeftAlone(pipe, ReadResult::NotRegular, fs::file_type::fifo);
    expectProfileLeftAlone(zero, ReadResult::NotRegular, fs::file_type::symlink);
}

// Japanese folder and file names reach the file system as they are, through
// every call that takes a path, and come back from a listing the same.
TEST_F(FileLayer, JapaneseFolderAndFileNamesWorkThroughEveryCall) {
    const fs::path folder = dir.Path() / fs::path(u8"本社の留守録") / fs::path(u8"営業部 ①");
    fs::create_directories(folder);
    const fs::path voice = folder / fs::path(u8"留守録メッセージ.vmdat");
    const fs::path copy = folder / fs::path(u8"コピー ～.vmdat");

    ASSERT_TRUE(WriteFileAtomically(voice, "speech"));
    EXPECT_EQ(contentOf(voice), "speech");
    std::string part;
    ASSERT_TRUE(ReadRange(voice, 2, 3, part));
    EXPECT_EQ(part, "eec");
    ASSERT_TRUE(MakeHardLink(voice, copy));
    ASSERT_TRUE(RemoveFileOrLink(voice));
    ASSERT_TRUE(RenameNoReplace(copy, voice));
    EXPECT_TRUE(OpenForRewrite(folder / fs::path(u8"変換後.wav")));
    ASSERT_TRUE(WriteProfileText(folder / fs::path(u8"設定.ini"), u"BOX", u"NAME", u"営業"));
    EXPECT_EQ(ReadProfileString(folder / fs::path(u8"設定.ini"), u"BOX", u"NAME"), u"営業");
    EXPECT_TRUE(LockFolder(folder, kBoxFolderLockName).Held());
    std::optional<TempFile> temp = CreateTempFile(folder, "-録音.WAV");
    ASSERT_TRUE(temp);
    temp->handle.Close();  // a folder with an open file in it is not removed on Windows
    EXPECT_GT(SystemDiskSpace().FreeBytes(folder / fs::path(u8"まだない")), 0u);

    std::set<std::u8string> listed;
    for (const auto& e : fs::directory_iterator(folder)) listed.insert(e.path().filename().u8string());
    EXPECT_EQ(listed.count(u8"留守録メッセージ.vmdat"), 1u);
    EXPECT_EQ(listed.count(u8"変換後.wav"), 1u);
    EXPECT_EQ(listed.count(temp->path.filename().u8string()), 1u);
    EXPECT_TRUE(RemoveFolderTree(dir.Path() / fs::path(u8"本社の留守録")));
    EXPECT_EQ(EntryType(folder), fs::file_type::not_found);
}

}  // namespace

// A failure keeps its system error number for whoever asks after it, and
// both the number and an error of std::filesystem say the same thing to the
// program on either system: a full disk above all, which the backup tells apart.
TEST(FileErrors, SystemErrorsMeanTheSameOnEverySystem) {
    TempFolder dir("errors");
    ClearSystemError();
    EXPECT_EQ(LastSystemError(), 0);
    EXPECT_FALSE(OpenRegularFile(dir / "missing", Access::Read));
    EXPECT_NE(LastSystemError(), 0);
    EXPECT_EQ(FileErrorOf(LastSystemError()), FileError::Missing);
    EXPECT_FALSE(SystemErrorText(LastSystemError()).empty());

    struct Row {
        std::errc error;
        FileError meaning;
    };
    const Row rows[] = {
        {std::errc::no_space_on_device, FileError::NoSpace}, {std::errc::no_such_file_or_directory, FileError::Missing},
        {std::errc::file_exists, FileError::Exists},         {std::errc::permission_denied, FileError::Denied},
        {std::errc::invalid_argument, FileError::Other},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FileErrorOf(std::make_error_code(r.error)), r.meaning) << static_cast<int>(r.error);
    EXPECT_EQ(FileErrorOf(std::error_code()), FileError::None);
    // What std::filesystem itself reports.
    std::error_code ec;
    (void)fs::file_size(dir / "missing", ec);
    EXPECT_EQ(FileErrorOf(ec), FileError::Missing) << ec.message();
}
