// The rows of a list window from real box folders: the displays, the order,
// the counters, the command flags and the flag cell written to its file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <utility>

#include "lists/ListData.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "platform/Text.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::TempFolder;

const std::vector<std::u16string> kColumns = {u"ﾌﾗｸﾞ",     u"取込",     u"再生/未再生", u"保護/非保護", u"BOX番号",
                                              u"相手番号", u"相手名称", u"日時",        u"録音時間",    u"ファイル名"};
constexpr int kFlagCol = 0, kBoxCol = 4, kPartyNameCol = 6, kDateCol = 7, kFileCol = 9;

class Folder {
public:
    explicit Folder(std::u16string name = u"f")
        : root_("lists-data"), name_(std::move(name)), built_(root_.Path(), PathOfText(name_)) {}
    [[nodiscard]] fs::path Box() const { return built_.Folder(); }
    [[nodiscard]] std::u16string Root() const { return TextOfPath(root_.Path()); }

    template <typename... A>
    fs::path Add(A&&... a) {
        return built_.Add(std::forward<A>(a)...);
    }
    fs::path AddResponse(int number) { return built_.AddResponse(number); }

    [[nodiscard]] ListData List(const std::u16string& definition,
                                std::vector<std::u16string> columns = kColumns) const {
        ListData d;
        d.SetSource({Root(), name_, definition}, BoxListColumns(columns));
        return d;
    }

private:
    TempFolder root_;
    std::u16string name_;
    testkit::BoxFolderBuilder built_;
};

std::vector<std::u16string> column(const ListData& d, int col) {
    std::vector<std::u16string> out;
    for (int row = 0; row < d.RowCount(); ++row) out.push_back(d.Cell(row, col));
    return out;
}

TEST(ListData, FullAndNotDownloadedDisplaysCountTheirRows) {
    Folder f;
    f.Add("rusuroku", "0001", "202612010900", "vmdat", kPlayedOnMainUnit);
    f.Add("rusuroku", "0001", "202612020900", "vmdat", kUnplayedOnMainUnit);
    f.Add("rusuroku", "0001", "202612030900", "vminf", kInfoOnly);
    f.Add("naisen", "0201", "202612040900", "vmdat", kUnplayedOnMainUnit);
    f.Add("naisen", "0201", "202612050900", "vmdat", kPlayedOnMainUnit);
    f.Add("rusuroku", "0002", "202612060900");  // a box the list does not show

    ListData d = f.List(u"留守録BOX：0001,  内線BOX：0201");
    ASSERT_TRUE(d.FullDisplay(false));
    EXPECT_EQ(d.RowCount(), 5);
    StatusCounts c = d.Counts();
    EXPECT_EQ(c.boxTotal, 5);
    EXPECT_EQ(c.listTotal, 5);
    EXPECT_EQ(c.played, 2);
    EXPECT_EQ(c.unplayed, 2);
    EXPECT_TRUE(d.NotDownloadedFlag());

    d.NotDownloadedDisplay(true);
    EXPECT_EQ(d.DisplayMode(), display::kNotDownloaded);
    ASSERT_EQ(d.RowCount(), 1);
    EXPECT_EQ(d.RecordIndexOfRow(0), 0);
    EXPECT_NE(d.RecordOfRow(0).filePath.find(u".vminf"), std::u16string::npos);
    c = d.Counts();
    EXPECT_EQ(c.boxTotal, 5);
    EXPECT_EQ(c.listTotal, 1);
    EXPECT_EQ(c.played + c.unplayed, 0);

    // A refresh keeps the display; the full display ends it.
    EXPECT_EQ(d.Refresh(true), RefreshEnd::Done);
    EXPECT_EQ(d.RowCount(), 1);
    d.FullDisplay(false);
    EXPECT_EQ(d.RowCount(), 5);
    EXPECT_EQ(d.DisplayMode(), display::kAll);

    // A select display that a later refresh finds nothing for ends in every
    // message shown, and the refresh tells of it.
    const fs::path info = d.RecordOfRow(0).Path();
    ASSERT_TRUE(d.SelectDisplay([&](const FILESTS_INFO& r) { return r.Path() == info; }, true));
    EXPECT_EQ(d.Refresh(true), RefreshEnd::Done);
    EXPECT_EQ(d.RowCount(), 1);
    fs::remove(info);
    EXPECT_EQ(d.Refresh(true), RefreshEnd::NoMatch);
    EXPECT_EQ(d.DisplayMode(), display::kAll);
    EXPECT_EQ(d.RowCount(), 4);
    EXPECT_EQ(d.Refresh(true), RefreshEnd::Done);
}

TEST(ListData, DefaultOrderListsBoxesAsTextAndTheNewestFirst) {
    Folder f;
    for (const char* box : {"2", "10", "002", "1", "010"}) {
        f.Add("rusuroku", box, "202612010900");
        f.Add("rusuroku", box, "202612030900");
    }
    ListData d = f.List(u"留守録BOX：2,10,002,1,010");
    d.FullDisplay(false);
    EXPECT_EQ(column(d, kBoxCol),
              (std::vector<std::u16string>{u"002", u"002", u"010", u"010", u"1", u"1", u"10", u"10", u"2", u"2"}));
    for (int row = 0; row < d.RowCount(); row += 2) EXPECT_GT(d.Cell(row, kDateCol), d.Cell(row + 1, kDateCol));
    // The file-name column starts with the box folder's name, in the system's separators.
    const std::u16string start = std::filesystem::path(u"f/rusuroku/002/").make_preferred().u16string();
    EXPECT_TRUE(d.Cell(0, kFileCol).starts_with(start)) << ToUtf8(d.Cell(0, kFileCol));
    // Without the two columns there is no order to apply: the boxes in definition order.
    ListData bare = f.List(u"留守録BOX：2,10", {u"相手名称"});
    bare.FullDisplay(false);
    EXPECT_EQ(bare.RecordOfRow(0).boxNumber, u"2");
}

// A box folder with a Japanese name is found under that name on every
// system: its boxes and its system response messages.
TEST(ListData, ABoxFolderWithAJapaneseNameListsItsMessages) {
    Folder f(u"本社");
    f.Add("rusuroku", "0001", "202612010900");
    f.Add("naisen", "0201", "202612020900");
    f.AddResponse(7);
    ListData boxes = f.List(u"留守録BOX：0001,  内線BOX：0201");
    ASSERT_TRUE(boxes.FullDisplay(false));
    EXPECT_EQ(boxes.RowCount(), 2);
    const std::u16string start = fs::path(u"本社/rusuroku/0001/").make_preferred().u16string();
    EXPECT_TRUE(boxes.Cell(0, kFileCol).starts_with(start)) << ToUtf8(boxes.Cell(0, kFileCol));
    ListData responses = f.List(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    responses.FullDisplay(false);
    EXPECT_EQ(responses.Counts().listTotal, 1);
    EXPECT_FALSE(responses.IsAbsentRow(6));
}

TEST(ListData, HeaderClicksFollowTheSortRules) {
    Folder f;
    f.Add("rusuroku", "0001", "202612010900", "vmdat", 2, u"b");
    f.Add("rusuroku", "0001", "202612030900", "vmdat", 2, u"C");
    f.Add("rusuroku", "0002", "202612020900", "vmdat", 2, u"a");
    ListData d = f.List(u"留守録BOX：0001,0002");
    d.FullDisplay(false);
    using V = std::vector<std::u16string>;
    struct Step {
        int column;
        SortDirection direction;
        V partyNames;
    };
    const Step steps[] = {
        {kDateCol, SortDirection::Ascending, {u"b", u"a", u"C"}},
        {kDateCol, SortDirection::Descending, {u"C", u"a", u"b"}},
        // Another column takes the last direction; letters compare without case.
        {kPartyNameCol, SortDirection::Descending, {u"C", u"b", u"a"}},
        {kPartyNameCol, SortDirection::Ascending, {u"a", u"b", u"C"}},
    };
    for (const Step& s : steps) {
        ASSERT_TRUE(d.HeaderClick(s.column));
        EXPECT_EQ(d.LastDirection(), s.direction);
        EXPECT_EQ(column(d, kPartyNameCol), s.partyNames) << s.column;
    }
    // A refresh that keeps the sort shows the same order; one that does not resets it.
    EXPECT_EQ(d.Refresh(true), RefreshEnd::Done);
    EXPECT_EQ(column(d, kPartyNameCol), (V{u"a", u"b", u"C"}));
    EXPECT_TRUE(d.Sorted());
    EXPECT_EQ(d.Refresh(false), RefreshEnd::Done);
    EXPECT_FALSE(d.Sorted());
    EXPECT_EQ(d.SortColumn(), -1);
    EXPECT_EQ(column(d, kPartyNameCol), (V{u"C", u"b", u"a"}));
    // The first click on "BOX番号" after a reset sorts descending, whatever came before.
    ASSERT_TRUE(d.HeaderClick(kBoxCol));
    EXPECT_EQ(d.LastDirection(), SortDirection::Descending);
    EXPECT_EQ(column(d, kBoxCol), (V{u"0002", u"0001", u"0001"}));
    // Equal cells keep the default order: the newest first.
    EXPECT_EQ(column(d, kPartyNameCol), (V{u"a", u"C", u"b"}));
}

TEST(ListData, ResponseListHasItsThreeHundredRows) {
    Folder f;
    f.AddResponse(5);
    f.AddResponse(300);
    ListData d = f.List(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    ASSERT_TRUE(d.IsResponseList());
    d.FullDisplay(false);
    ASSERT_EQ(d.RowCount(), 300);
    EXPECT_EQ(d.Columns().size(), 6u);
    for (int row : {0, 3, 4, 5, 298, 299}) {
        const bool present = row == 4 || row == 299;
        char number[16];
        std::snprintf(number, sizeof number, "%03d", row + 1);
        EXPECT_EQ(d.Cell(row, 0), FromUtf8(number));
        EXPECT_EQ(d.IsAbsentRow(row), !present) << row;
        EXPECT_EQ(d.Cell(row, 3), present ? u"00:02:03" : u"--:--:--");
        EXPECT_EQ(d.Cell(row, 4), present ? u"応答" : u"");
        EXPECT_EQ(d.Cell(row, 1), u" 0 ");
    }
    const StatusCounts c = d.Counts();
    EXPECT_TRUE(c.systemResponseList);
    EXPECT_EQ(c.listTotal, 2);
    EXPECT_EQ(c.played, 2);
    EXPECT_FALSE(d.HeaderClick(0));
    EXPECT_EQ(d.Cell(0, 0), u"001");
    EXPECT_FALSE(d.Flags({}).notDownloaded);
}

TEST(ListData, CommandFlagsFollowTheSelection) {
    Folder f;
    f.Add("rusuroku", "0001", "202612030900", "vmdat");
    f.Add("rusuroku", "0001", "202612020900", "vminf", kInfoOnly);
    ListData box = f.List(u"留守録BOX：0001");
    box.FullDisplay(false);
    ASSERT_NE(box.RecordOfRow(0).filePath.find(u".vmdat"), std::u16string::npos);
    f.AddResponse(1);
    ListData response = f.List(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    response.FullDisplay(false);

    struct Case {
        const ListData* list;
        std::vector<int> rows;
        CommandFlags flags;  // hasVoice, play, move, notDownloaded, add, upload, erase
    };
    const Case cases[] = {
        {&box, {}, {false, false, false, true, false, false, false}},
        {&box, {0}, {true, true, true, true, false, false, true}},
        // Information only: no play, no conversion, but it can be erased.
        {&box, {1}, {false, false, false, true, false, false, true}},
        {&box, {0, 1}, {true, false, true, true, false, false, true}},
        {&response, {0}, {true, true, false, false, true, true, true}},
        {&response, {1}, {false, false, false, false, true, false, false}},
        {&response, {1, 2}, {false, false, false, false, false, false, false}},
        {&response, {0, 2}, {true, false, false, false, false, true, true}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.list->Flags(c.rows), c.flags) << c.list->IsResponseList() << c.rows.size();
}

TEST(ListData, FlagCellIsWrittenToTheFileAtOnce) {
    Folder f;
    const fs::path file = f.Add("rusuroku", "0001", "202612030900");
    const fs::path response = f.AddResponse(7);
    ListData d = f.List(u"留守録BOX：0001");
    d.FullDisplay(false);
    FILESTS_INFO onDisk;
    for (std::uint8_t expected : {1, 0, 1}) {
        ASSERT_TRUE(d.ToggleFlag(0));
        EXPECT_EQ(d.Cell(0, kFlagCol), expected ? u" 1 " : u" 0 ");
        ASSERT_TRUE(CFileMng::ReadStatusRecord(file, onDisk));
        EXPECT_EQ(onDisk.flag, expected);
    }
    // A file that has gone: the cell and the record stay as they were.
    fs::remove(file);
    EXPECT_FALSE(d.ToggleFlag(0));
    EXPECT_EQ(d.Cell(0, kFlagCol), u" 1 ");

    // The response list shows every message as played; that stays out of the file.
    ListData r = f.List(u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    r.FullDisplay(false);
    ASSERT_TRUE(r.ToggleFlag(6));
    ASSERT_TRUE(CFileMng::ReadStatusRecord(response, onDisk));
    EXPECT_EQ(onDisk.flag, 1);
    EXPECT_EQ(onDisk.downloadState, kDeletedOnMainUnit);
    EXPECT_FALSE(r.ToggleFlag(0)) << "an empty row has no file";
    EXPECT_FALSE(r.ToggleFlag(300));
}

TEST(ListData, BadFilesAndBadDefinitionsGiveTheValidRowsOnly) {
    Folder f;
    const fs::path good = f.Add("rusuroku", "0001", "202612030900");
    const fs::path dir = good.parent_path();
    // Truncated, garbage, a folder under a message's name, a wrong-length name.
    testkit::WriteBytes(dir / "202612030901_abc_0001_00091.vmdat", testkit::ReadFileBytes(good).substr(0, 1000));
    testkit::WriteBytes(dir / "202612030902_abc_0001_00092.vmdat", std::string(2000, 'x'));
    fs::create_directories(dir / "202612030903_abc_0001_00093.vmdat");
    fs::copy_file(good, dir / "202612030904_abc_0001_093.vmdat");
    // Outside the box folder: a definition must not reach it.
    f.Add("rusuroku", "0009", "202612030900");
    const fs::path outside = f.Box().parent_path() / "elsewhere";
    fs::create_directories(outside);
    fs::copy_file(good, outside / good.filename());

    struct Case {
        std::u16string definition;
        int rows;
    };
    const Case cases[] = {
        {u"留守録BOX：0001", 1},
        {u"留守録BOX：0001,0001", 2},  // as written: the box twice
        {u"garbage", 0},
        {u"", 0},
        {u"留守録BOX：", 0},
        {u"留守録BOX：../../elsewhere,..", 0},
        {u"留守録BOX：0009/../0001", 0},
        {u"内線BOX：0001", 0},
    };
    for (const Case& c : cases) {
        ListData d = f.List(c.definition);
        EXPECT_TRUE(d.FullDisplay(false));
        EXPECT_EQ(d.RowCount(), c.rows) << ToUtf8(c.definition);
        EXPECT_EQ(d.Counts().boxTotal, c.rows);
    }
}

TEST(ListData, AnAbandonedBuildStopsBetweenBoxes) {
    Folder f;
    f.Add("rusuroku", "0001", "202612030900");
    f.Add("rusuroku", "0002", "202612030900");
    ListData d = f.List(u"留守録BOX：0001,0002");
    int range = -1, asked = 0;
    std::vector<int> advanced;
    BuildHooks hooks{[&](int n) { range = n; }, [&](int i) { advanced.push_back(i); }, [&] { return ++asked == 2; }};
    EXPECT_FALSE(d.FullDisplay(false, hooks));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(range, -1);
    EXPECT_TRUE(advanced.empty());
    EXPECT_EQ(d.RowCount(), 0);
    // Not abandoned: the range is every message, each row reported once.
    asked = -10;
    EXPECT_TRUE(d.FullDisplay(false, hooks));
    EXPECT_EQ(range, 2);
    EXPECT_EQ(advanced, (std::vector<int>{0, 1}));
}

TEST(ListColumns, NamesDecideWidthAlignmentAndCells) {
    struct Case {
        std::u16string name;
        CellKind kind;
        int width;
        ColumnAlign align;
    };
    const Case cases[] = {
        {u"ﾌﾗｸﾞ", CellKind::Flag, 70, ColumnAlign::Centre},
        {u"相手名称", CellKind::PartyName, 60, ColumnAlign::Left},
        {u"BOX名称", CellKind::BoxName, 60, ColumnAlign::Left},
        {u"取込日時", CellKind::Date, 60, ColumnAlign::Centre},  // the later name wins
        {u"何か", CellKind::None, 0, ColumnAlign::Centre},
    };
    for (const Case& c : cases) {
        const ColumnSpec s = BoxColumnFor(c.name);
        EXPECT_EQ(s.kind, c.kind);
        EXPECT_EQ(s.width, c.width);
        EXPECT_EQ(s.align, c.align);
    }
    EXPECT_EQ(BoxListColumns(std::vector<std::u16string>{u"日時", u"", u"メモ"}).size(), 1u);

    // The "取込" digit is not the state, and reads back to it.
    for (std::uint8_t state : {0, 1, 2, 3, 7}) {
        FILESTS_INFO r;
        r.downloadState = state;
        const std::u16string cell = CellText(r, CellKind::Download, u"");
        EXPECT_EQ(cell.size(), 7u);
        EXPECT_EQ(DownloadStateOfDigit(DownloadDigitOf(cell)), std::min<int>(state, 3));
    }
    EXPECT_EQ(DownloadTooltip(3), u"録音情報+音声データを取込(ダウンロード)後に主装置側のデータを消去済");
    EXPECT_EQ(DownloadTooltip(4), u"");
}

}  // namespace
}  // namespace plova
