// The list export ("一覧表をエクスポートする..."): the rows of a list window as
// a CSV file. One line of column titles, then one line per row in display
// order, each ended by a single "\n", in CP932 without a byte-order mark.
// The flag and download-state columns are written as words; every other
// cell as the list shows it. A cell holding a comma, a double quote or a
// line break is enclosed in double quotes with its quotes doubled, so that
// it stays one cell for whoever reads the file, and a cell that starts as a
// formula would gets a "'" in front, so that a spreadsheet shows it as text
// and runs nothing; every other cell is written unchanged. The file is written under a temporary name beside it and
// takes its name only when complete: a cancelled or failed export leaves an earlier file of that name as it was.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plova {

class ListData;

namespace csv {
constexpr std::u16string_view kFlagTitle = u"ﾌﾗｸﾞ";
constexpr std::u16string_view kDownloadTitle = u"取込";
constexpr std::u16string_view kFlagWord = u"ﾌﾗｸﾞ";
constexpr std::u16string_view kUnplayedWord = u"情報+音声(未再生)";
constexpr std::u16string_view kPlayedWord = u"情報+音声(再生済)";
constexpr std::u16string_view kInfoOnlyWord = u"情報のみ";
constexpr std::u16string_view kErasedWord = u"主装置ﾃﾞｰﾀ消去済";
constexpr std::u16string_view kExtension = u".csv";
// What a spreadsheet reads as the start of a formula, and what keeps it text.
constexpr std::u16string_view kFormulaStarts = u"=+-@";
constexpr std::u16string_view kTextMark = u"'";

// The export dialog's messages.
constexpr std::u16string_view kOverwriteFormat = u"ファイル\"%s\"は\n既に存在します。上書きしますか？";
constexpr std::u16string_view kExportCaption = u"エクスポート設定";
constexpr std::u16string_view kExportError = u"エクスポートエラー";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kBadName = u"入力値エラーです。";
constexpr std::u16string_view kExportDone = u"一覧表のエクスポートが正常に完了しました。";
constexpr std::u16string_view kExportDoneCaption = u"エクスポート完了";

// Both dialogs' file choosers.
constexpr std::u16string_view kFileFilter = u" csvﾌｧｲﾙ(*.csv)";
constexpr std::u16string_view kDefaultSuffix = u"csv";
constexpr std::u16string_view kExportChooserTitle = u"エクスポートするファイルを指定してください。";
constexpr std::u16string_view kImportChooserTitle = u"インポートするファイルを指定してください。";
constexpr std::u16string_view kOpenError =
    u"ファイルが読み込めません。\n\n他のアプリケーションで使用していないか、確認して下さい。";
constexpr std::u16string_view kOpenErrorCaption = u"オープンエラー";
}  // namespace csv

enum class CsvEncoding {
    Cp932,    // the list window's files
    Utf8Bom,  // UTF-8 behind a byte-order mark
};

// What an export writes: the titles in display order and the cell texts of
// each row, as the list shows them.
struct CsvTable {
    std::vector<std::u16string> titles;
    int rows = 0;
    std::function<std::u16string(int row, int column)> cell;
    bool boxList = true;  // the download-state words are for box lists only
};

// The rows of a list as it stands (display order, cells as shown).
CsvTable CsvTableOf(const ListData& list);

// The leading decimal number of a cell, as a C conversion reads it: blanks
// and a sign first, then digits; 0 when there are none.
long CellNumber(std::u16string_view cell);

// The text written for one cell of a column titled `title`.
std::u16string CsvCellText(std::u16string_view title, std::u16string_view cell, bool boxList);

// The cell enclosed in double quotes, its quotes doubled, when it holds a
// comma, a double quote or a line break; else unchanged.
std::u16string CsvQuoted(std::u16string_view cell);

// A cell that a spreadsheet would take for a formula (a caller's name from
// the main unit that starts with "=", say) with "'" in front, so that it
// opens as the text it is; every other cell unchanged.
std::u16string CsvAsText(std::u16string_view cell);

// One line without its "\n": the cells made text and quoted and joined by
// ",", blanks at the front of the line left out.
std::u16string CsvLine(const std::vector<std::u16string>& cells);

// The bytes of a line in the file's encoding, "\n" appended.
std::string CsvBytes(std::u16string_view line, CsvEncoding encoding);

enum class [[nodiscard]] ExportResult{Completed, Cancelled, Failed};

// Called after each row with the number of rows written; the export stops
// after the current row once the cancel flag is set.
using ExportStep = std::function<void(int rowsWritten)>;

// Writes the table to `file`: the title line, then the rows, pumping one
// pending message after each. The file appears only when complete.
// Failed when the file cannot be written (nothing is left behind then).
ExportResult WriteCsv(const std::filesystem::path& file, const CsvTable& table, CsvEncoding encoding,
                      const ExportStep& step = {});

// The checks of the export dialog's OK before anything is written.
enum class [[nodiscard]] ExportCheck{
    Allowed,
    BadName,  // a name Windows cannot hold ("a:b.csv", "CON.csv", a trailing
              // dot): "入力値エラーです。" on every system, since the file may
              // be written to a share or copied there
    Refused,  // no such folder, no ".csv" in the name or no row to write
};
ExportCheck CheckExport(const std::filesystem::path& folder, std::u16string_view fileName, int rows);

// A file the chooser gave can be used: one to import opens for reading; one
// to export to lies in a folder and is a regular file when it exists.
enum class CsvUse { Export, Import };
bool CsvFileUsable(const std::filesystem::path& file, CsvUse use);

// The folder edit's text: the folder without a trailing separator.
std::u16string FolderText(std::u16string_view folder);

// The question before an existing file is replaced: true for "yes".
bool ConfirmOverwrite(const std::filesystem::path& file);

}  // namespace plova
