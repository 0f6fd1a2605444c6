#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <set>

#include "platform/File.h"
#include "platform/IniFile.h"
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
    const FileHandle f = openRegularFile(p, Access::ReadWriteCreate);
    ASSERT_TRUE(f.isOpen());
    ASSERT_EQ(::ftruncate(f.fd(), 0), 0);
    FileHandle w(::dup(f.fd()));
    ASSERT_TRUE(w.writeAll(bytes.data(), bytes.size()));
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

// What stands under the name decides the outcome; nothing ever blocks.
TEST_F(FileLayer, ReadWholeFileTakesRegularFilesWithinTheLimitOnly) {
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    fs::create_symlink(regular, dir / "link");
    fs::create_symlink("/dev/zero", dir / "zero");
    struct Case {
        const char* name;
        Links links;
        std::uint64_t limit;
        ReadResult result;
        std::string content;
    };
    const Case cases[] = {
        {"regular.txt", Links::Follow, 10, ReadResult::Ok, "0123456789"},
        {"regular.txt", Links::Follow, 9, ReadResult::TooLarge, ""},
        {"missing", Links::Follow, 100, ReadResult::Missing, ""},
        {"folder", Links::Follow, 100, ReadResult::NotRegular, ""},
        {"pipe", Links::Follow, 100, ReadResult::NotRegular, ""},
        {"zero", Links::Follow, 100, ReadResult::NotRegular, ""},
        {"link", Links::Follow, 100, ReadResult::Ok, "0123456789"},
        {"link", Links::Refuse, 100, ReadResult::NotRegular, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " limit " + std::to_string(c.limit));
        std::string out = "stale";
        EXPECT_EQ(withinSeconds([&] { return readWholeFile(dir / c.name, out, c.limit, c.links); }), c.result);
        EXPECT_EQ(out, c.content);
    }
}

TEST_F(FileLayer, ReadRangeGivesWhatLiesThereAndLessAtTheEnd) {
    std::string out;
    ASSERT_TRUE(readRange(regular, 3, 4, out));
    EXPECT_EQ(out, "3456");
    ASSERT_TRUE(readRange(regular, 8, 10, out));
    EXPECT_EQ(out, "89");
    ASSERT_TRUE(readRange(regular, 50, 10, out));
    EXPECT_EQ(out, "");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(withinSeconds([&] { return readRange(dir / "pipe", 0, 10, out); }));
    EXPECT_FALSE(readRange(dir / "missing", 0, 10, out));
}

// A rewrite starts from an empty file of its own, or not at all.
TEST_F(FileLayer, OpenForRewriteRefusesWhatItWouldWriteThrough) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        bool opens;
    };
    const Case cases[] = {
        {"nothing", [](const fs::path&) {}, true},
        {"a regular file", [](const fs::path& p) { put(p, "old"); }, true},
        {"a link", [&](const fs::path& p) { fs::create_symlink(regular, p); }, false},
        {"a dangling link", [&](const fs::path& p) { fs::create_symlink(dir / "nowhere", p); }, false},
        {"a second name", [&](const fs::path& p) { fs::create_hard_link(regular, p); }, false},
        {"a pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = dir / "out.wav";
        c.make(target);
        const FileHandle f = withinSeconds([&] { return openForRewrite(target); });
        EXPECT_EQ(f.isOpen(), c.opens);
        if (f.isOpen()) {
            EXPECT_EQ(f.size(), 0u);
        }
        EXPECT_EQ(contentOf(regular), "0123456789");
        EXPECT_FALSE(fs::exists(dir / "nowhere"));
        fs::remove(target);
    }
}

TEST_F(FileLayer, TempFilesAreNewHiddenAndPrivate) {
    std::set<fs::path> names;
    for (int i = 0; i < 50; ++i) {
        std::optional<TempFile> t = createTempFile(dir.path());
        ASSERT_TRUE(t);
        EXPECT_TRUE(t->path.filename().string().starts_with(".plova-tmp-"));
        EXPECT_EQ(t->path.parent_path(), dir.path());
        EXPECT_EQ(t->handle.size(), 0u);
        struct stat st {};
        ASSERT_EQ(::fstat(t->handle.fd(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_TRUE(names.insert(t->path).second) << "a name given twice";
    }
    EXPECT_FALSE(createTempFile(dir / "missing"));

    // With a suffix, and as a free name for another layer to make.
    const std::optional<TempFile> wav = createTempFile(dir.path(), "-A005.WAV");
    ASSERT_TRUE(wav);
    EXPECT_TRUE(wav->path.filename().string().ends_with("-A005.WAV"));
    const fs::path free = newTempPath(dir.path(), ".wav");
    EXPECT_TRUE(free.filename().string().starts_with(".plova-tmp-"));
    EXPECT_TRUE(free.filename().string().ends_with(".wav"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(free)));
}

// Only old regular files under the temporary names go; what a live writer
// holds, links and everything else stay.
TEST_F(FileLayer, StaleTempFilesAreRemovedAndNothingElse) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
    const fs::path outside = dir / "outside";
    fs::create_directories(outside);
    put(outside / "keep", "x");
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
        {".plova-tmp-link", [&](const fs::path& p) { fs::create_symlink(outside / "keep", p); }, true, false},
    };
    for (const Case& c : cases) {
        c.make(box / c.name);
        if (c.age) fs::last_write_time(box / c.name, old);
    }
    EXPECT_EQ(removeStaleTempFiles(box, std::chrono::hours(1)), 1);
    for (const Case& c : cases) EXPECT_EQ(fs::exists(fs::symlink_status(box / c.name)), !c.removed) << c.name;
    EXPECT_EQ(contentOf(outside / "keep"), "x");
    EXPECT_EQ(removeStaleTempFiles(dir / "missing", std::chrono::hours(1)), 0);

    // Old folders under such names go with what they hold; a link inside is
    // taken away, not followed.
    fs::create_directory_symlink(outside, box / ".plova-tmp-folder" / "link");
    fs::last_write_time(box / ".plova-tmp-folder", old);
    fs::create_directory(box / ".plova-tmp-live");
    EXPECT_EQ(removeStaleTempFolders(box, std::chrono::hours(1)), 1);
    EXPECT_FALSE(fs::exists(box / ".plova-tmp-folder"));
    EXPECT_TRUE(fs::exists(box / ".plova-tmp-live"));
    EXPECT_TRUE(fs::exists(fs::symlink_status(box / ".plova-tmp-link"))) << "a link is no folder of ours";
    EXPECT_EQ(contentOf(outside / "keep"), "x");
}

// A settings file is read only when it is a regular file of sane size, and
// one that cannot be read is never replaced by a write.
TEST_F(FileLayer, ProfilesThatCannotBeReadAreNeitherWaitedOnNorReplaced) {
    const fs::path pipe = dir / "pipe.ini", zero = dir / "zero.ini", huge = dir / "huge.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", zero);
    put(huge, "[A]\r\nk=1\r\n");
    fs::resize_file(huge, kMaxProfileBytes + 1);
    struct Case {
        fs::path file;
        ReadResult result;
        fs::file_type type;
    };
    const Case cases[] = {{pipe, ReadResult::NotRegular, fs::file_type::fifo},
                          {zero, ReadResult::NotRegular, fs::file_type::symlink},
                          {huge, ReadResult::TooLarge, fs::file_type::regular}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.string());
        ReadResult read = ReadResult::Ok;
        withinSeconds([&] { return IniDocument::load(c.file, &read); });
        EXPECT_EQ(read, c.result);
        EXPECT_EQ(withinSeconds([&] { return readProfileInt(c.file, u"A", u"k", 7); }), 7);
        EXPECT_FALSE(withinSeconds([&] { return writeProfileString(c.file, u"A", u"k", u"2"); }));
        EXPECT_FALSE(withinSeconds([&] { return deleteProfileKey(c.file, u"A", u"k"); }));
        EXPECT_EQ(fs::symlink_status(c.file).type(), c.type);
    }
    EXPECT_EQ(fs::file_size(huge), kMaxProfileBytes + 1);
}

}  // namespace
