#include "folders/CsvExport.h"

#include <system_error>

#include "lists/ListData.h"
#include "oplog/OperationLog.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/PortableNames.h"
#include "platform/Ports.h"
#include "platform/Text.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != text.npos;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string downloadWord(long digit) {
    switch (digit) {
    case 0: return std::u16string(csv::kUnplayedWord);
    case 1: return std::u16string(csv::kPlayedWord);
    case 2: return std::u16string(csv::kInfoOnlyWord);
    default: return std::u16string(csv::kErasedWord);
    }
}

}  // namespace

CsvTable CsvTableOf(const ListData& list) {
    CsvTable table;
    for (const ColumnSpec& c : list.Columns()) table.titles.push_back(c.name);
    table.rows = list.RowCount();
    table.cell = [&list](int row, int column) { return list.Cell(row, column); };
    table.boxList = !list.IsResponseList();
    return table;
}

long CellNumber(std::u16string_view cell) {
    std::size_t i = 0;
    while (i < cell.size() && isBlank(cell[i])) ++i;
    bool negative = false;
    if (i < cell.size() && (cell[i] == u'+' || cell[i] == u'-')) negative = cell[i++] == u'-';
    long value = 0;
    constexpr long kCap = 1'000'000'000;  // a cell never holds more; enough to tell 0 from not 0
    for (; i < cell.size() && cell[i] >= u'0' && cell[i] <= u'9'; ++i)
        if (value < kCap) value = value * 10 + (cell[i] - u'0');
    return negative ? -value : value;
}

std::u16string CsvCellText(std::u16string_view title, std::u16string_view cell, bool boxList) {
    if (contains(title, csv::kFlagTitle)) return CellNumber(cell) != 0 ? std::u16string(csv::kFlagWord) : u"";
    if (boxList && contains(title, csv::kDownloadTitle)) return downloadWord(CellNumber(cell));
    // A file name under a folder whose name is not UTF-8 reads as the CP932 it is.
    return ReadablePathText(cell);
}

std::u16string CsvQuoted(std::u16string_view cell) {
    if (cell.find_first_of(u",\"\r\n") == cell.npos) return std::u16string(cell);
    std::u16string quoted = u"\"";
    for (char16_t c : cell) {
        if (c == u'"') quoted += u'"';
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

std::u16string CsvAsText(std::u16string_view cell) {
    if (cell.empty() || csv::kFormulaStarts.find(cell.front()) == csv::kFormulaStarts.npos) return std::u16string(cell);
    return std::u16string(csv::kTextMark) + std::u16string(cell);
}

std::u16string CsvLine(const std::vector<std::u16string>& cells) {
    std::u16string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        std::u16string_view cell = cells[i];
        // The front of the line loses its blanks; they are taken from the
        // first cell before it is quoted, so that a quoted cell keeps its
        // quote as the line's first character.
        if (i == 0)
            while (!cell.empty() && isBlank(cell.front())) cell.remove_prefix(1);
        if (i > 0) line += u',';
        line += CsvQuoted(CsvAsText(cell));
    }
    return line;
}

std::string CsvBytes(std::u16string_view line, CsvEncoding encoding) {
    std::string bytes = encoding == CsvEncoding::Cp932 ? ToCp932(line) : ToUtf8(line);
    bytes += '\n';
    return bytes;
}

namespace {

ExportResult writeCsv(const fs::path& file, const CsvTable& table, CsvEncoding encoding, const ExportStep& step) {
    AtomicFile out(file);
    if (!out.Ok()) return ExportResult::Failed;
    if (encoding == CsvEncoding::Utf8Bom) out.Write(kUtf8Bom);
    out.Write(CsvBytes(CsvLine(table.titles), encoding));
    const int columns = static_cast<int>(table.titles.size());
    for (int row = 0; row < table.rows; ++row) {
        std::vector<std::u16string> cells;
        cells.reserve(table.titles.size());
        for (int column = 0; column < columns; ++column)
            cells.push_back(CsvCellText(table.titles[column], table.cell(row, column), table.boxList));
        if (!out.Write(CsvBytes(CsvLine(cells), encoding))) return ExportResult::Failed;
        PumpOne();
        if (step) step(row + 1);
        if (CancelRequested()) return ExportResult::Cancelled;  // the temporary file goes with `out`
    }
    return out.Commit() ? ExportResult::Completed : ExportResult::Failed;
}

}  // namespace

ExportResult WriteCsv(const fs::path& file, const CsvTable& table, CsvEncoding encoding, const ExportStep& step) {
    const ExportResult result = writeCsv(file, table, encoding, step);
    oplog::Operation log("export", file.parent_path(), "list of " + std::to_string(table.rows) + " rows as CSV");
    switch (result) {
    case ExportResult::Completed: log.Add(file, oplog::Outcome::Done); break;
    case ExportResult::Failed: log.Add(file, oplog::Outcome::Failed, "cannot be written"); break;
    case ExportResult::Cancelled: log.Finish(oplog::Result::Cancelled); break;
    }
    return result;
}

ExportCheck CheckExport(const fs::path& folder, std::u16string_view fileName, int rows) {
    if (!IsPortableName(fileName)) return ExportCheck::BadName;
    std::error_code ec;
    const bool allowed = fs::is_directory(folder, ec) && contains(fileName, csv::kExtension) && rows > 0;
    return allowed ? ExportCheck::Allowed : ExportCheck::Refused;
}

bool CsvFileUsable(const fs::path& file, CsvUse use) {
    std::error_code ec;
    if (use == CsvUse::Import) return OpenRegularFile(file, Access::Read).IsOpen();
    const fs::file_status st = fs::status(file, ec);
    return fs::is_directory(file.parent_path(), ec) && (!fs::exists(st) || fs::is_regular_file(st));
}

std::u16string FolderText(std::u16string_view folder) {
    std::u16string text(folder);
    // Either separator may end a folder typed or read from the settings; the
    // root folder keeps its only separator, a drive ("C:\") its own.
    auto separatorAtEnd = [&text] { return text.back() == u'/' || text.back() == u'\\'; };
    while (text.size() > 1 && separatorAtEnd() && text[text.size() - 2] != u':') text.pop_back();
    return text;
}

bool ConfirmOverwrite(const fs::path& file) {
    std::u16string text(csv::kOverwriteFormat);
    const std::size_t at = text.find(u"%s");
    text.replace(at, 2, NameText(file));
    return ShowPrompt(text, std::u16string(csv::kExportCaption), Icon::Exclamation, Buttons::YesNo) == Answer::Yes;
}

}  // namespace plova
