// The list export to CSV and the extension-box-name import.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "folders/BoxNameImport.h"
#include "folders/CsvExport.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::TempFolder;
using testkit::TestPorts;

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<fs::path> entriesOf(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(folder)) found.push_back(e.path().filename());
    return found;
}

// ------------------------------------------------------------------ export

TEST(CsvExportTest, FlagAndDownloadColumnsAreWrittenAsWords) {
    struct Case {
        std::u16string title, cell;
        bool boxList;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {u"ﾌﾗｸﾞ", u" 0 ", true, u""},
        {u"ﾌﾗｸﾞ", u" 1 ", true, u"ﾌﾗｸﾞ"},
        {u"ﾌﾗｸﾞ", u"abc", true, u""},         // no number reads as 0
        {u"済ﾌﾗｸﾞ", u" 7 ", false, u"ﾌﾗｸﾞ"},  // a title that contains the word; response lists too
        {u"取込", u"   0   ", true, u"情報+音声(未再生)"},
        {u"取込", u"   1   ", true, u"情報+音声(再生済)"},
        {u"取込", u"   2   ", true, u"情報のみ"},
        {u"取込", u"   3   ", true, u"主装置ﾃﾞｰﾀ消去済"},
        {u"取込", u"   9   ", true, u"主装置ﾃﾞｰﾀ消去済"},
        {u"取込", u"   1   ", false, u"   1   "},  // a response list has no download column to translate
        {u"相手名称", u" 1 ", true, u" 1 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvCellText(c.title, c.cell, c.boxList), c.expected)
            << testkit::Utf8(c.title) << " / " << testkit::Utf8(c.cell);
}

TEST(CsvExportTest, OnlyCellsThatWouldSplitTheLineAreQuoted) {
    struct Case {
        std::vector<std::u16string> cells;
        std::u16string line;
    };
    const std::vector<Case> cases = {
        {{u"a", u" b ", u"", u"c d"}, u"a, b ,,c d"},  // everything else byte for byte
        {{u"  lead", u"x"}, u"lead,x"},                // the line's leading blanks go
        {{u"東京,大阪", u"x"}, u"\"東京,大阪\",x"},
        {{u"x", u"say \"hi\""}, u"x,\"say \"\"hi\"\"\""},
        {{u"x", u"two\nlines", u"cr\r"}, u"x,\"two\nlines\",\"cr\r\""},
        {{u"  a,b"}, u"\"a,b\""},
    };
    for (const Case& c : cases) EXPECT_EQ(CsvLine(c.cells), c.line) << testkit::Utf8(c.line);
}

// A caller's name from the main unit is shown by a spreadsheet, never run.
TEST(CsvExportTest, CellsASpreadsheetWouldRunAsAFormulaAreWrittenAsText) {
    struct Case {
        std::vector<std::u16string> cells;
        std::u16string line;
    };
    const std::vector<Case> cases = {
        {{u"=HYPERLINK(\"x\")", u"+81312345678", u"-1+1", u"@SUM(A1)"},
         u"\"'=HYPERLINK(\"\"x\"\")\",'+81312345678,'-1+1,'@SUM(A1)"},
        {{u"  =1", u"a=b", u" =1", u"'=1", u"＝1"}, u"'=1,a=b, =1,'=1,＝1"},  // only the cell's first character counts
        {{u"=1,2"}, u"\"'=1,2\""},
    };
    for (const Case& c : cases) EXPECT_EQ(CsvLine(c.cells), c.line) << testkit::Utf8(c.line);
}

// The folder edit drops trailing separators of either kind (a folder from
// the settings or typed by hand on Windows may end in "/"), but never the
// root's or a drive's own.
TEST(CsvExportTest, TheFolderTextEndsWithoutASeparator) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"/data/out/", u"/data/out"},
        {u"/data/out//", u"/data/out"},
        {u"C:\\out\\", u"C:\\out"},
        {u"C:\\out/", u"C:\\out"},
        {u"/", u"/"},
        {u"C:\\", u"C:\\"},
        {u"C:/", u"C:/"},
        {u"", u""},
    };
    for (const auto& [folder, text] : cases) EXPECT_EQ(FolderText(folder), text) << ToUtf8(folder);
}

TEST(CsvExportTest, ChecksBeforeWriting) {
    TempFolder dir("csv-allowed");
    struct Case {
        fs::path folder;
        std::u16string name;
        int rows;
        ExportCheck check;
    };
    const std::vector<Case> cases = {
        {dir.Path(), u"a.csv", 1, ExportCheck::Allowed},
        {dir.Path(), u"a.csv.txt", 1, ExportCheck::Allowed},  // the name contains ".csv"
        {dir.Path(), u"一覧表.csv", 1, ExportCheck::Allowed},
        {dir.Path(), u"a.txt", 1, ExportCheck::Refused},
        {dir.Path(), u"a.csv", 0, ExportCheck::Refused},
        {dir / "missing", u"a.csv", 1, ExportCheck::Refused},
        // Names Windows cannot hold, whatever else is wrong with the export.
        {dir.Path(), u"a:b.csv", 1, ExportCheck::BadName},
        {dir.Path(), u"CON.csv", 1, ExportCheck::BadName},
        {dir.Path(), u"a.csv.", 1, ExportCheck::BadName},
        {dir.Path(), u"sub/a.csv", 1, ExportCheck::BadName},
        {dir / "missing", u"a?.csv", 0, ExportCheck::BadName},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckExport(c.folder, c.name, c.rows), c.check) << testkit::Utf8(c.name) << " rows " << c.rows;
}

class CsvWriteTest : public ::testing::Test {
protected:
    CsvTable table(int rows) {
        CsvTable t;
        t.titles = {u"ﾌﾗｸﾞ", u"取込", u"相手名称"};
        t.rows = rows;
        t.cell = [](int row, int column) -> std::u16string {
            if (column == 0) return row % 2 ? u" 1 " : u" 0 ";
            if (column == 1) return u"   2   ";
            return u"名前" + FromUtf8(std::to_string(row));
        };
        return t;
    }
    TestPorts ports;
    TempFolder dir{"csv-write"};
};

TEST_F(CsvWriteTest, ThreeRowsMakeFourLinesInCp932) {
    const fs::path file = dir / "list.csv";
    ASSERT_EQ(WriteCsv(file, table(3), CsvEncoding::Cp932), ExportResult::Completed);
    EXPECT_EQ(FromCp932(readAll(file)), u"ﾌﾗｸﾞ,取込,相手名称\n,情報のみ,名前0\nﾌﾗｸﾞ,情報のみ,名前1\n,情報のみ,名前2\n");
    EXPECT_EQ(ports.pump.steps, 3);  // one pending message after each row

    ASSERT_EQ(WriteCsv(file, table(1), CsvEncoding::Utf8Bom), ExportResult::Completed);
    EXPECT_EQ(readAll(file), "\xEF\xBB\xBF" + ToUtf8(u"ﾌﾗｸﾞ,取込,相手名称\n,情報のみ,名前0\n"));
}

TEST_F(CsvWriteTest, CancelledOrFailedExportLeavesTheOldFileWhole) {
    const fs::path file = dir / "list.csv";
    writeAll(file, "old content\n");
    ports.pump.At(2, [this] { ports.cancel.Set(); });
    std::vector<int> steps;
    EXPECT_EQ(WriteCsv(file, table(5), CsvEncoding::Cp932, [&](int n) { steps.push_back(n); }),
              ExportResult::Cancelled);
    EXPECT_EQ(steps, (std::vector<int>{1, 2}));  // stops after the current row
    EXPECT_EQ(readAll(file), "old content\n");
    EXPECT_EQ(entriesOf(dir.Path()), std::vector<fs::path>{"list.csv"});  // no partial file either

    ports.cancel.Clear();
    fs::create_directory(dir / "folder.csv");
    EXPECT_EQ(WriteCsv(dir / "folder.csv", table(2), CsvEncoding::Cp932), ExportResult::Failed);
    EXPECT_EQ(WriteCsv(dir / "missing" / "a.csv", table(2), CsvEncoding::Cp932), ExportResult::Failed);
    EXPECT_EQ(entriesOf(dir.Path()).size(), 2u);
}

TEST_F(CsvWriteTest, OverwriteIsAskedWithThePath) {
    ports.prompt.Queue(Answer::No);
    EXPECT_FALSE(ConfirmOverwrite("/data/a.csv"));
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"ファイル\"/data/a.csv\"は\n既に存在します。上書きしますか？");
    EXPECT_EQ(ports.prompt.shown[0].caption, u"エクスポート設定");
    EXPECT_EQ(ports.prompt.shown[0].buttons, Buttons::YesNo);
}

// ------------------------------------------------------------------ import

TEST(ImportLineTest, ReadsBoxAndNameFromTheFirst32Bytes) {
    struct Case {
        std::string line;
        std::optional<std::u16string> box, name;
    };
    const std::vector<Case> cases = {
        {"1,201,Sales,\n", u"201", u"Sales"},
        {"1,201,Sales,extra,more\n", u"201", u"Sales"},
        // The last field of a line needs no comma: the line's end ends it.
        {"1,201,Sales\n", u"201", u"Sales"},
        {"1,201,Sales\r\n", u"201", u"Sales"},
        {"1,201,Sales", u"201", u"Sales"},  // the end of the file
        {"1,201,\r\n", u"201", u""},
        {"1,201\n", std::nullopt, std::nullopt},
        {"1,201,\n", u"201", u""},
        {",202,,\n", u"202", u""},
        {"1,203,\x89\x63\x8B\xC6,\n", u"203", u"営業"},  // CP932
        {"1,203,\x89\x63\x8B\xC6\r\n", u"203", u"営業"},
        // Only the first 32 bytes count: the comma or the line's end after the
        // name lies beyond them.
        {"1,204," + std::string(26, 'n') + ",\n", std::nullopt, std::nullopt},
        {"1,204," + std::string(26, 'n') + "\r\n", std::nullopt, std::nullopt},
        {"1,204," + std::string(40, 'n') + "\n", std::nullopt, std::nullopt},
        {"1,205," + std::string(25, 'n') + ",\n", u"205", std::u16string(25, u'n')},
        {"1,205," + std::string(25, 'n') + "\r\n", u"205", std::u16string(25, u'n')},
        {std::string("1,206,ab\0cd,\n", 13), std::nullopt, std::nullopt},
        {std::string("1,206,ab\0\n", 10), std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto entry = ParseImportLine(c.line);
        ASSERT_EQ(entry.has_value(), c.box.has_value()) << c.line;
        if (entry) {
            EXPECT_EQ(entry->box, *c.box) << c.line;
            EXPECT_EQ(entry->name, *c.name) << c.line;
        }
    }
}

TEST(ImportLineTest, LinesAreCutAt256BytesAndEndAtAZeroByte) {
    const std::string text = std::string(300, 'a') + "\nshort\n\nlast\n" + std::string("\0after\n1,201,x,\n", 16);
    std::size_t at = 0;
    ImportLineReader reader([&](char* out, std::size_t max) {
        const std::size_t n = std::min<std::size_t>({max, text.size() - at, 7});  // short reads too
        std::copy_n(text.data() + at, n, out);
        at += n;
        return n;
    });
    std::vector<std::string> lines;
    while (auto line = reader.Next()) lines.push_back(*line);
    EXPECT_EQ(lines, (std::vector<std::string>{std::string(256, 'a'), std::string(44, 'a') + "\n", "short\n", "\n",
                                               "last\n"}));
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* box : {"201", "202", "203"}) fs::create_directories(naisen() / box);
        WriteProfileText(ini("201"), u"INF", u"NAME", u"\"総務\"");
        WriteProfileText(ini("202"), u"INF", u"NAME", u"\"経理\"");
        // 203 has no inf.ini yet.
    }
    [[nodiscard]] fs::path naisen() const { return dir / "bf" / "naisen"; }
    [[nodiscard]] fs::path ini(const std::string& box) const { return naisen() / box / "inf.ini"; }
    [[nodiscard]] std::u16string nameOf(const std::string& box) const {
        return ReadProfileString(ini(box), u"INF", u"NAME");
    }
    fs::path file(const std::string& lines) {
        const fs::path p = dir / "book.csv";
        writeAll(p, "heading one\nheading two\n" + lines);
        return p;
    }

    TestPorts ports;
    TempFolder dir{"csv-import"};
};

TEST_F(ImportTest, NamesTheBoxesOfCompleteLinesAndRemovesTheBackups) {
    int range = -1, steps = 0;
    const fs::path f = file("1,201,Sales,\n1,202,Support\n1,999,Nobody,\n1,203,New,\n");
    const ImportResult r = ImportBoxNames(f, naisen(), {[&](int n) { range = n; }, [&] { ++steps; }});
    EXPECT_EQ(r, ImportResult::Completed);
    EXPECT_EQ(nameOf("201"), u"Sales");
    EXPECT_EQ(readAll(ini("201")).find("NAME=Sales\r\n") != std::string::npos, true);  // no quotes added
    EXPECT_EQ(nameOf("202"), u"Support");                                              // no comma after the name
    EXPECT_EQ(nameOf("203"), u"New");
    EXPECT_FALSE(fs::exists(naisen() / "999"));
    EXPECT_EQ(range, static_cast<int>(fs::file_size(f) / 25));
    EXPECT_EQ(steps, 4);
    for (const char* box : {"201", "202", "203"}) EXPECT_FALSE(fs::exists(naisen() / box / "inf.tmp")) << box;
}

TEST_F(ImportTest, AFileThatNamesNoBoxIsNotACompletedImport) {
    const std::string before201 = readAll(ini("201"));
    for (const std::string& lines : {std::string(), std::string("1,999,Nobody,\n2,998,None\n"),
                                     std::string("no commas here\n"), std::string("1,../201,Out,\n")}) {
        EXPECT_EQ(ImportBoxNames(file(lines), naisen()), ImportResult::NothingNamed) << lines;
        EXPECT_EQ(readAll(ini("201")), before201) << lines;
        EXPECT_FALSE(fs::exists(naisen() / "201" / "inf.tmp")) << lines;
    }
    // The spreadsheet's own form: headings, then no comma after the name.
    const fs::path f = dir / "book.csv";
    writeAll(f, ToCp932(u"内線一覧\r\nNo,内線番号,名前\r\n1,201,総務部\r\n2,202,経理\r\n"));
    EXPECT_EQ(ImportBoxNames(f, naisen()), ImportResult::Completed);
    EXPECT_EQ(nameOf("201"), u"総務部");
    EXPECT_EQ(nameOf("202"), u"経理");
}

TEST_F(ImportTest, CancelPutsBackTheNamesBoxesHadBefore) {
    // 201 is named twice before the cancel: the name it comes back to is the
    // one from before the import, not the first imported one.
    const fs::path f = file("1,201,First,\n1,203,New,\n1,201,Second,\n1,202,Never,\n");
    ports.pump.At(4, [this] { ports.cancel.Set(); });
    EXPECT_EQ(ImportBoxNames(f, naisen()), ImportResult::Cancelled);
    EXPECT_EQ(nameOf("201"), u"総務");
    EXPECT_EQ(nameOf("202"), u"経理");
    EXPECT_EQ(nameOf("203"), u"");
    for (const char* box : {"201", "202", "203"}) EXPECT_FALSE(fs::exists(naisen() / box / "inf.tmp")) << box;
}

TEST_F(ImportTest, LinesFromTheFileNeverWriteOutsideTheBoxes) {
    fs::create_directories(dir / "elsewhere");
    (void)testkit::MakeSymlink(dir / "elsewhere", naisen() / "linked");  // where links can be made
    const std::string before201 = readAll(ini("201"));
    const fs::path f =
        file("1,..,Up,\n1,.,Here,\n1,../../x,Out,\n1,/tmp,Abs,\n1,linked,Link,\n1,201,Tab\there,\n1,,Empty,\n");
    EXPECT_EQ(ImportBoxNames(f, naisen()), ImportResult::NothingNamed);
    EXPECT_EQ(readAll(ini("201")), before201);
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
    EXPECT_FALSE(fs::exists(naisen() / "inf.ini"));
    EXPECT_FALSE(fs::exists(dir / "bf" / "inf.ini"));
    EXPECT_FALSE(fs::exists(dir / "x"));
}

TEST_F(ImportTest, AFileThatCannotBeOpenedChangesNothing) {
    EXPECT_EQ(ImportBoxNames(dir / "missing.csv", naisen()), ImportResult::CannotOpen);
    if (testkit::MakeFifo(dir / "pipe.csv")) {
        EXPECT_EQ(ImportBoxNames(dir / "pipe.csv", naisen()), ImportResult::CannotOpen);  // never waited on
    }
    EXPECT_EQ(nameOf("201"), u"総務");
}

}  // namespace
}  // namespace plova
