// The display items: moving names between the shown and the removed columns,
// the reset, and saving both lists into the settings and the settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lists/DisplayItems.h"
#include "platform/IniFile.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {

using Names = std::vector<std::u16string>;

std::u16string key(std::u16string base, int n) {
    for (char c : std::to_string(n)) base += static_cast<char16_t>(c);
    return base;
}

DisplayItems items(const Names& current, const Names& removed) {
    return DisplayItems(current, removed);
}

TEST(DisplayItems, MovesKeepTheOrderAndRefuseWhatCannotMove) {
    struct Row {
        const char* what;
        int (*move)(DisplayItems&);
        int row;
        Names current, removed;
    };
    const Names current = {u"ﾌﾗｸﾞ", u"取込", u"日時"};
    const Names removed = {u"メモ", u"タイトル"};
    const Row rows[] = {
        {"add", [](DisplayItems& d) { return d.Add(1); }, 3, {u"ﾌﾗｸﾞ", u"取込", u"日時", u"タイトル"}, {u"メモ"}},
        {"remove", [](DisplayItems& d) { return d.Remove(0); }, 2, {u"取込", u"日時"}, {u"メモ", u"タイトル", u"ﾌﾗｸﾞ"}},
        {"up", [](DisplayItems& d) { return d.MoveUp(2); }, 1, {u"ﾌﾗｸﾞ", u"日時", u"取込"}, removed},
        {"down", [](DisplayItems& d) { return d.MoveDown(0); }, 1, {u"取込", u"ﾌﾗｸﾞ", u"日時"}, removed},
        {"first up", [](DisplayItems& d) { return d.MoveUp(0); }, -1, current, removed},
        {"last down", [](DisplayItems& d) { return d.MoveDown(2); }, -1, current, removed},
        {"nothing selected", [](DisplayItems& d) { return d.Add(-1); }, -1, current, removed},
        {"past the end", [](DisplayItems& d) { return d.Remove(3); }, -1, current, removed},
    };
    for (const Row& r : rows) {
        DisplayItems d = items(current, removed);
        EXPECT_EQ(r.move(d), r.row) << r.what;
        EXPECT_EQ(d.Current(), r.current) << r.what;
        EXPECT_EQ(d.Removed(), r.removed) << r.what;
    }
}

TEST(DisplayItems, ReadsUpToTheFirstEmptyNameAndNeverHoldsMoreThanThirteen) {
    ColumnNames stored;
    stored[0] = u"ﾌﾗｸﾞ";
    stored[2] = u"日時";  // after a gap: not a column
    DisplayItems d(stored, ColumnNames{});
    EXPECT_EQ(d.Current(), Names{u"ﾌﾗｸﾞ"});

    // A settings file with the same names in both lists.
    ColumnNames full;
    for (int i = 0; i < dispitems::kSlots; ++i) full[i] = u"c" + std::u16string(1, u'a' + i);
    DisplayItems both(full, full);
    EXPECT_EQ(both.Add(0), -1);
    EXPECT_EQ(both.Current().size(), 13u);
    EXPECT_EQ(both.Removed().size(), 13u);
}

TEST(DisplayItems, SaveWritesEveryKeyAndTheArrays) {
    testkit::TempFolder dir("dispitems");
    const std::filesystem::path ini = dir / "PLOVA.ini";
    WriteProfileText(ini, u"LOGIN", u"USER", u"kept");
    for (int n = 1; n <= 12; ++n) WriteProfileText(ini, u"DISP", key(u"COLUM", n), u"x");

    DisplayItems d(ColumnNames{}, ColumnNames{});
    d.Reset();
    ColumnNames columns, removed;
    columns[11] = u"stale";
    ASSERT_TRUE(SaveDisplayItems(d, columns, removed, ini));

    EXPECT_EQ(columns[0], u"ﾌﾗｸﾞ");
    EXPECT_EQ(columns[9], u"ファイル名");
    EXPECT_EQ(columns[11], u"");
    EXPECT_EQ(removed[0], u"BOX名称");
    EXPECT_EQ(removed[2], u"メモ");
    EXPECT_EQ(removed[3], u"");

    const IniDocument saved = IniDocument::Load(ini);
    EXPECT_EQ(saved.GetString(u"DISP", u"COLUM1"), u"ﾌﾗｸﾞ");
    EXPECT_EQ(saved.GetString(u"DISP", u"COLUM8"), u"日時");
    EXPECT_EQ(saved.GetString(u"DISP", u"DELCOLUM3"), u"メモ");
    for (int n = 11; n <= 13; ++n) EXPECT_EQ(saved.Get(u"DISP", key(u"COLUM", n)), std::u16string()) << n;
    EXPECT_EQ(saved.Get(u"DISP", u"DELCOLUM13"), std::u16string());
    EXPECT_EQ(saved.GetString(u"LOGIN", u"USER"), u"kept");
}

TEST(DisplayItems, ASettingsFileThatCannotBeReadIsNotReplaced) {
    testkit::TempFolder dir("dispitems");
    const std::filesystem::path ini = dir / "PLOVA.ini";
    std::filesystem::create_directory(ini);  // something that is not a settings file
    DisplayItems d(ColumnNames{}, ColumnNames{});
    d.Reset();
    ColumnNames columns, removed;
    EXPECT_FALSE(SaveDisplayItems(d, columns, removed, ini));
    EXPECT_TRUE(std::filesystem::is_directory(ini));
    // The run goes on with the new columns.
    EXPECT_EQ(columns[0], u"ﾌﾗｸﾞ");
}

}  // namespace
}  // namespace plova
