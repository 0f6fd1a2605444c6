#include "lists/ResponseRows.h"

#include <algorithm>

#include "lists/ListColumns.h"
#include "platform/Text.h"

namespace plova {

namespace {

std::vector<int> rowsInListOrder(const ListData& data, std::vector<int> rows) {
    std::erase_if(rows, [&](int row) { return row < 0 || row >= data.RowCount(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace

std::optional<ResponseAddTarget> ResponseAddTargetOf(const ListData& data, const std::vector<int>& selectedRows) {
    if (!data.IsResponseList()) return std::nullopt;
    const std::vector<int> rows = rowsInListOrder(data, selectedRows);
    if (rows.empty()) return std::nullopt;
    const FILESTS_INFO& record = data.RecordOfRow(rows.front());
    ResponseAddTarget target;
    target.number = ResponseNumberOf(record);
    if (target.number == 0) return std::nullopt;
    target.boxFolder = PathOfText(data.Source().root + data.Source().folderName);
    if (!record.filePath.empty()) target.existing = record.Path();
    return target;
}

std::vector<FILESTS_INFO> SelectedRecordsOf(const ListData& data, const std::vector<int>& selectedRows) {
    std::vector<FILESTS_INFO> records;
    for (int row : rowsInListOrder(data, selectedRows)) records.push_back(data.RecordOfRow(row));
    return records;
}

std::u16string FolderToRemember(const std::filesystem::path& chosenFile, std::size_t maxLength) {
    std::u16string folder = NameText(chosenFile.parent_path());
    return folder.size() <= maxLength ? folder : std::u16string();
}

}  // namespace plova
