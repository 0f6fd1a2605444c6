#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/Text.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"

namespace fs = std::filesystem;
using namespace plova;
using namespace plova::testkit;

namespace {

std::map<std::u16string, FolderEntry> byName(const std::vector<FolderEntry>& entries) {
    std::map<std::u16string, FolderEntry> out;
    for (const FolderEntry& e : entries) out[NameText(e.name)] = e;
    return out;
}

}  // namespace

// Every entry comes once, as the folder holds it: its own name (Japanese
// names included), what it is without following a link, a file's size, and
// when it was last written.
TEST(ListFolder, GivesEachEntryAsTheFolderHoldsIt) {
    TempFolder dir("list");
    WriteBytes(dir.Path() / PathOfText(u"録音_0001.vmdat"), std::string(1246, 'x'));
    WriteBytes(dir / "empty", "");
    fs::create_directory(dir.Path() / PathOfText(u"本社"));
    ASSERT_TRUE(MakeOlder(dir / "empty", std::chrono::hours(2)));
    const bool linked = MakeSymlink(dir / "empty", dir / "link");
    const bool piped = MakeFifo(dir / "pipe");

    const auto listed = ListFolder(dir.Path());
    ASSERT_TRUE(listed);
    const auto entries = byName(*listed);
    EXPECT_EQ(entries.size(), 3u + (linked ? 1 : 0) + (piped ? 1 : 0));
    struct Row {
        std::u16string name;
        fs::file_type type;
        std::uint64_t size;
    };
    std::vector<Row> rows = {
        {u"録音_0001.vmdat", fs::file_type::regular, 1246},
        {u"empty", fs::file_type::regular, 0},
        {u"本社", fs::file_type::directory, 0},
    };
    if (linked) rows.push_back({u"link", fs::file_type::symlink, 0});
    if (piped) rows.push_back({u"pipe", fs::file_type::fifo, 0});
    for (const Row& row : rows) {
        SCOPED_TRACE(ToUtf8(row.name));
        const auto it = entries.find(row.name);
        ASSERT_NE(it, entries.end());
        EXPECT_EQ(it->second.type, row.type);
        if (row.type == fs::file_type::regular) {
            EXPECT_EQ(it->second.size, row.size);
            EXPECT_EQ(ReadFileBytes(dir.Path() / it->second.name).size(), row.size) << "the listed name opens the file";
        }
    }
    const auto now = std::chrono::system_clock::now();
    EXPECT_LT(entries.at(u"empty").written, now - std::chrono::hours(1));
    EXPECT_GT(entries.at(u"録音_0001.vmdat").written, now - std::chrono::hours(1));
}

// A folder that cannot be listed gives nothing rather than an empty list, and
// a link at the folder itself is not followed where links are refused.
TEST(ListFolder, GivesNothingForWhatIsNoFolder) {
    TempFolder dir("list-none");
    WriteBytes(dir / "file", "x");
    fs::create_directory(dir / "real");
    WriteBytes(dir / "real" / "inside", "y");
    EXPECT_FALSE(ListFolder(dir / "missing"));
    EXPECT_FALSE(ListFolder(dir / "file"));
    ASSERT_TRUE(ListFolder(dir / "real"));
    EXPECT_EQ(ListFolder(dir / "real")->size(), 1u);
    if (!MakeSymlink(dir / "real", dir / "link")) GTEST_SKIP() << kNoSymlinks;
    EXPECT_EQ(ListFolder(dir / "link")->size(), 1u) << "followed when asked";
    EXPECT_FALSE(ListFolder(dir / "link", Links::Refuse));
}

TEST(SyncFolder, PromisesOnlyForAFolder) {
    TempFolder dir("sync");
    WriteBytes(dir / "file", "x");
    EXPECT_TRUE(SyncFolder(dir.Path()));
    EXPECT_FALSE(SyncFolder(dir / "missing"));
}

// The whole file arrives, whatever its length against the copy's pieces,
// written from the target's position on; the source is read from its start
// whatever its own position.
TEST(CopyContents, CopiesEveryByteFromTheStart) {
    TempFolder dir("copy");
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1} << 20, (std::size_t{3} << 20) + 7}) {
        SCOPED_TRACE(size);
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + i / 977);
        WriteBytes(dir / "from", bytes);
        FileHandle from = OpenRegularFile(dir / "from", Access::Read);
        ASSERT_TRUE(from);
        std::optional<TempFile> to = CreateTempFile(dir.Path());
        ASSERT_TRUE(to);
        ASSERT_TRUE(to->handle.WriteAll("head", 4));
        EXPECT_TRUE(CopyContents(from, to->handle));
        to->handle.Close();
        EXPECT_EQ(ReadFileBytes(to->path), "head" + bytes);
        RemoveFileOrLink(to->path);
    }
}

// A name's text and the path of a text find the same file again: Japanese
// names on every system, and on Linux names that are not UTF-8 (CP932 from a
// Windows share) byte for byte.
TEST(PathText, FindsTheSameNameAgain) {
    TempFolder dir("path-text");
    std::vector<fs::path> names = {PathOfText(u"本社"), PathOfText(u"ﾀﾞｳﾝﾛｰﾄﾞ_0001.vmdat"), "plain.wav"};
    if constexpr (sizeof(fs::path::value_type) == 1) names.emplace_back(std::string("\x91\x8d\x96\xb1", 4));
    for (const fs::path& name : names) {
        SCOPED_TRACE(Utf8Of(name));
        WriteBytes(dir.Path() / name, "x");
        EXPECT_EQ(PathOfText(TextOfPath(name)), name);
        const fs::path whole = dir.Path() / name;
        EXPECT_EQ(ReadFileBytes(PathOfText(TextOfPath(whole))), "x");
    }
    EXPECT_EQ(NameText(PathOfText(u"本社")), u"本社");
    EXPECT_EQ(TextOfPath(PathOfText(u"本社/0001")), u"本社/0001");
}
