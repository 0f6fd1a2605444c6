#include "lists/ResponseRows.h"

#include <algorithm>

#include "lists/ListColumns.h"
#include "platform/Text.h"

namespace plova {

namespace {

constexpr std::size_t kNumberDigits = 3;

// The number a row of the response list stands for: the three digits its
// record starts its box number with, so a row keeps its number whatever
// display or order the list shows.
int NumberOf(const FILESTS_INFO& record) {
    if (record.boxNumber.size() < kNumberDigits) return 0;
    int number = 0;
    for (std::size_t i = 0; i < kNumberDigits; ++i) {
        const char16_t c = record.boxNumber[i];
        if (c < u'0' || c > u'9') return 0;
        number = number * 10 + (c - u'0');
    }
    return number >= 1 && number <= listcol::kResponseMessages ? number : 0;
}

std::vector<int> RowsInListOrder(const ListData& data, std::vector<int> rows) {
    std::erase_if(rows, [&](int row) { return row < 0 || row >= data.RowCount(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace

std::optional<ResponseAddTarget> ResponseAddTargetOf(const ListData& data, const std::vector<int>& selectedRows) {
    if (!data.IsResponseList()) return std::nullopt;
    const std::vector<int> rows = RowsInListOrder(data, selectedRows);
    if (rows.empty()) return std::nullopt;
    const FILESTS_INFO& record = data.RecordOfRow(rows.front());
    ResponseAddTarget target;
    target.number = NumberOf(record);
    if (target.number == 0) return std::nullopt;
    target.boxFolder = std::filesystem::path(toUtf8(data.Source().root + data.Source().folderName));
    if (!record.filePath.empty()) target.existing = record.path();
    return target;
}

std::vector<FILESTS_INFO> SelectedRecordsOf(const ListData& data, const std::vector<int>& selectedRows) {
    std::vector<FILESTS_INFO> records;
    for (int row : RowsInListOrder(data, selectedRows)) records.push_back(data.RecordOfRow(row));
    return records;
}

std::u16string FolderToRemember(const std::filesystem::path& chosenFile, std::size_t maxLength) {
    std::u16string folder = fromUtf8(chosenFile.parent_path().string());
    return folder.size() <= maxLength ? folder : std::u16string();
}

}  // namespace plova
