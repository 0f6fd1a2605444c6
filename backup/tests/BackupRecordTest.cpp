#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <future>

#include "backup/BackupRecord.h"
#include "platform/File.h"
#include "platform/IniFile.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova::backup {
namespace {

namespace fs = std::filesystem;
using testkit::Utf8;

LocalTime month(int y, int m, int d = 15) {
    return LocalTime{y, m, d, 0, 10, 0, 0, 0};
}

TEST(BackupRecordTest, FolderNamesOfTheThreeMonths) {
    struct Case {
        LocalTime now;
        const char16_t *twoBack, *previous, *current;
    } cases[] = {
        {month(2026, 4), u"BU_202602", u"BU_202603", u"BU_202604"},
        {month(2027, 1), u"BU_202611", u"BU_202612", u"BU_202701"},
        {month(2027, 2), u"BU_202612", u"BU_202701", u"BU_202702"},
        {month(2026, 3), u"BU_202601", u"BU_202602", u"BU_202603"},
        {month(2026, 12), u"BU_202610", u"BU_202611", u"BU_202612"},
    };
    for (const Case& c : cases) {
        BackupMonths m;
        ComputeFolderNames(m, c.now);
        EXPECT_EQ(Utf8(m.twoBack), Utf8(c.twoBack));
        EXPECT_EQ(Utf8(m.previous), Utf8(c.previous));
        EXPECT_EQ(Utf8(m.current), Utf8(c.current));
    }
}

TEST(BackupRecordTest, BaseMonthGoesBackOnlyWhileTheOlderMonthIsNotComplete) {
    testkit::TestPorts io;
    struct Case {
        const char* what;
        LocalTime now;
        const char16_t* zenkaibi;
        std::vector<std::pair<const char16_t*, const char16_t*>> folders;  // folder, YFLAG ("" = no record)
        const char16_t* base;
    } cases[] = {
        {"first run, nothing there", month(2026, 4), u"", {}, u"202602"},
        {"April complete after a run in April", month(2026, 4), u"202604010900", {{u"BU_202604", u"完了"}}, u"202604"},
        {"April complete but the last run was in March",
         month(2026, 4),
         u"202603310900",
         {{u"BU_202604", u"完了"}},
         u"202602"},
        {"April open, March complete",
         month(2026, 4),
         u"202604010900",
         {{u"BU_202604", u"未完"}, {u"BU_202603", u"完了"}},
         u"202603"},
        {"March folder without a record", month(2026, 4), u"202604010900", {{u"BU_202603", u""}}, u"202602"},
        {"March open", month(2026, 4), u"202603200900", {{u"BU_202603", u"未完"}}, u"202602"},
        {"January, December complete", month(2027, 1), u"202612310900", {{u"BU_202612", u"完了"}}, u"202612"},
        {"January, nothing complete", month(2027, 1), u"202612310900", {}, u"202611"},
        {"January, January complete", month(2027, 1), u"202701020900", {{u"BU_202701", u"完了"}}, u"202701"},
    };
    for (const Case& c : cases) {
        testkit::TempFolder root("bu-base");
        for (const auto& [folder, flag] : c.folders) {
            fs::create_directories(root.Path() / Utf8(folder));
            if (*flag) WriteProfileText(root.Path() / Utf8(folder) / "backup_info.ini", u"BACKUPINF", u"YFLAG", flag);
        }
        const BackupMonths m = MonthsOfRun(root.Path(), c.zenkaibi, c.now);
        EXPECT_EQ(Utf8(m.baseMonth), Utf8(c.base)) << c.what;
        EXPECT_EQ(m.currentMonth, u"20" + m.current.substr(5)) << c.what;
    }
}

TEST(BackupRecordTest, RecordWritesTimeAndOneFlagAndStaysFindable) {
    testkit::TempFolder root("bu-record");
    ASSERT_TRUE(WriteRecord(root.Path(), u"BU_202604", u"202604301000", kStatusComplete, kKindBoxes));
    const fs::path file = root.Path() / "BU_202604" / "backup_info.ini";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(ReadProfileString(file, u"BACKUPINF", u"KANRYOUBI"), u"2026/04/30 10:00");
    EXPECT_EQ(ReadProfileString(file, u"BACKUPINF", u"YFLAG"), u"完了");
    EXPECT_EQ(ReadProfileString(file, u"BACKUPINF", u"SFLAG", u"none"), u"none");

    ASSERT_TRUE(WriteRecord(root.Path(), u"BU_202604", u"202604301015", kStatusIncomplete, kKindResponses));
    EXPECT_EQ(ReadProfileString(file, u"BACKUPINF", u"KANRYOUBI"), u"2026/04/30 10:15");
    EXPECT_EQ(ReadProfileString(file, u"BACKUPINF", u"YFLAG"), u"完了");
    EXPECT_EQ(ReadProfileString(file, u"BACKUPINF", u"SFLAG"), u"未完");
    EXPECT_TRUE(MonthComplete(root.Path(), u"BU_202604"));
    EXPECT_FALSE(MonthComplete(root.Path(), u"BU_202603"));
    EXPECT_EQ(ReadBoxFlag(root.Path(), u"BU_202603"), u"未完");

    // Hidden from file managers by the folder's list, named once however often it is written.
    std::ifstream hidden(root.Path() / "BU_202604" / ".hidden");
    std::string line;
    int named = 0;
    while (std::getline(hidden, line)) named += line == "backup_info.ini";
    EXPECT_EQ(named, 1);
}

TEST(BackupRecordTest, MarkingCoversTheMonthsOfTheRunOnly) {
    testkit::TempFolder root("bu-mark");
    testkit::TestPorts io;
    fs::create_directories(root.Path() / "BU_202602");
    fs::create_directories(root.Path() / "BU_202603");
    WriteProfileText(root.Path() / "BU_202602" / "backup_info.ini", u"BACKUPINF", u"YFLAG", u"完了");
    WriteProfileText(root.Path() / "BU_202603" / "backup_info.ini", u"BACKUPINF", u"YFLAG", u"完了");
    const BackupMonths m = MonthsOfRun(root.Path(), u"202603310000", month(2026, 4));
    ASSERT_EQ(m.baseMonth, u"202603");
    EXPECT_EQ(FoldersOfRun(m), (std::vector<std::u16string>{u"BU_202603", u"BU_202604"}));
    MarkMonths(root.Path(), m, kStatusIncomplete, month(2026, 4, 30));
    EXPECT_EQ(ReadBoxFlag(root.Path(), u"BU_202602"), u"完了");
    EXPECT_EQ(ReadBoxFlag(root.Path(), u"BU_202603"), u"未完");
    EXPECT_EQ(ReadBoxFlag(root.Path(), u"BU_202604"), u"未完");
    EXPECT_EQ(ReadProfileString(root.Path() / "BU_202604" / "backup_info.ini", u"BACKUPINF", u"SFLAG"), u"未完");
    EXPECT_EQ(ReadProfileString(root.Path() / "BU_202604" / "backup_info.ini", u"BACKUPINF", u"KANRYOUBI"),
              u"2026/04/30 10:00");
}


// What someone planted under the names the record writes is neither hung on,
// written through nor lent its permissions; a record that cannot be written
// says so.
TEST(BackupRecordTest, PlantedNamesAreNeitherFollowedNorWaitedOn) {
    testkit::TempFolder root("bu-planted");
    const fs::path month = root.Path() / "BU_202604";
    const fs::path record = month / "backup_info.ini";
    const fs::path hidden = month / ".hidden";
    const fs::path users = root.Path() / "users-notes.txt";
    struct Case {
        const char* what;
        std::function<bool()> plant;  // false where this system cannot make it
        bool written;
    } cases[] = {
        {"a pipe at .hidden", [&] { return testkit::MakeFifo(hidden); }, true},
        {"a link at .hidden to a user's file", [&] { return testkit::MakeSymlink(users, hidden); }, true},
        {"a link at .hidden to /dev/zero", [&] { return testkit::MakeSymlink("/dev/zero", hidden); }, true},
        {"a link at the record to /dev/zero", [&] { return testkit::MakeSymlink("/dev/zero", record); }, true},
        {"a folder at the record", [&] { return fs::create_directories(record); }, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(month);
        fs::create_directories(month);
        { std::ofstream(users, std::ios::binary | std::ios::trunc) << "notes\n"; }
        if (!c.plant()) continue;  // pipes and links, on Windows
        auto writing = std::async(std::launch::async, [&] {
            return WriteRecord(root.Path(), u"BU_202604", u"202604301000", kStatusComplete, kKindBoxes);
        });
        ASSERT_EQ(writing.wait_for(std::chrono::seconds(20)), std::future_status::ready) << c.what << ": it hangs";
        EXPECT_EQ(writing.get(), c.written) << c.what;
        EXPECT_EQ(MonthComplete(root.Path(), u"BU_202604"), c.written) << c.what;
        std::string notes;
        ASSERT_EQ(ReadWholeFile(users, notes, 1024), ReadResult::Ok);
        EXPECT_EQ(notes, "notes\n") << c.what;
        if (!c.written) continue;
        // The record is a file of its own, with the permissions of any new file.
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(record))) << c.what;
        if (testkit::kFilesHaveModes) {
            EXPECT_EQ(fs::status(record).permissions() & fs::perms::all, fs::perms(UsualFileMode())) << c.what;
        }
    }
}

TEST(BackupRecordTest, OnlyTheMonthFolderIsMadeNeverTheRoot) {
    testkit::TempFolder base("bu-unmounted");
    const fs::path root = base.Path() / "backup-disk";
    EXPECT_FALSE(WriteRecord(root, u"BU_202604", u"202604301000", kStatusComplete, kKindBoxes));
    EXPECT_FALSE(fs::exists(root));
    // A file where the month folder should be is no folder to write in.
    fs::create_directories(root);
    { std::ofstream(root / "BU_202604") << "x"; }
    fs::path failed;
    const BackupMonths m = MonthsOfRun(root, u"", month(2026, 4));
    EXPECT_FALSE(MarkMonths(root, m, kStatusComplete, month(2026, 4, 30), &failed));
    EXPECT_EQ(failed, root / "BU_202604" / "backup_info.ini");
    EXPECT_TRUE(fs::is_regular_file(root / "BU_202604"));
}

}  // namespace
}  // namespace plova::backup
