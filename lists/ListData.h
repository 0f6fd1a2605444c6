// What one list window shows, without the window: the row records, the rows
// in display order (each row holds the index of its record, which sorting
// never changes), the display modes, the default order and the column sort,
// the counters and the command flags.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ListColumns.h"
#include "lists/ListCounters.h"
#include "lists/ListDefinition.h"
#include "store/FILESTS_INFO.h"

namespace plova {

namespace display {
constexpr int kAll = 0;
constexpr int kSelect = 1;
constexpr int kNotDownloaded = 2;
}  // namespace display

// A list window's title: its definition, and when the list shows only some
// of its messages, which display narrows it.
std::u16string ListWindowTitle(std::u16string_view definition, int displayMode);

// Where a list's rows come from.
struct ListSource {
    std::u16string root;        // root folder, with its trailing separator
    std::u16string folderName;  // box folder under the root
    std::u16string definition;  // the slot's list definition
};

// What a build reports and asks while it runs.
struct BuildHooks {
    std::function<void(int total)> range;    // the number of messages to load
    std::function<void(int index)> advance;  // after each row, the record index
    // Between boxes: true when the build is to stop at once (a backup fell due).
    std::function<bool()> abandon;
};

enum class SortDirection { Ascending, Descending };

// How a refresh ended.
enum class [[nodiscard]] RefreshEnd{
    Done,
    Abandoned,  // the build stopped between boxes (a backup fell due)
    // The select display shown before no longer matched anything: every
    // message is shown, display mode 0, and the user is to be told.
    NoMatch,
};

class ListData {
public:
    // Sets the list's source and columns: a response list when the definition
    // is the response list's text, else the given box-list columns.
    void SetSource(ListSource source, std::vector<ColumnSpec> boxColumns);

    [[nodiscard]] bool IsResponseList() const { return responseList_; }
    [[nodiscard]] const ListSource& Source() const { return source_; }
    [[nodiscard]] const std::vector<ColumnSpec>& Columns() const { return columns_; }

    // ----------------------------------------------------------- displays
    // Every message of the list's boxes from disk. Not from a refresh:
    // display mode 0 and the sort reset. False when abandoned part way.
    bool FullDisplay(bool fromRefresh, const BuildHooks& hooks = {});
    // The rows whose voice data is not on the disk (box lists).
    void NotDownloadedDisplay(bool fromButton);
    // After a command changed messages: the same display mode again; with
    // `keepSort` the user's column sort stays.
    RefreshEnd Refresh(bool keepSort, const BuildHooks& hooks = {});
    // Keeps the rows whose record `matches` (the select display); false, with
    // every row shown and mode 0, when none does.
    bool SelectDisplay(const std::function<bool(const FILESTS_INFO&)>& matches, bool fromButton);
    [[nodiscard]] int DisplayMode() const { return mode_; }

    // --------------------------------------------------------------- rows
    [[nodiscard]] int RowCount() const { return static_cast<int>(rows_.size()); }
    [[nodiscard]] int RecordIndexOfRow(int row) const { return rows_[row]; }
    [[nodiscard]] const FILESTS_INFO& RecordOfRow(int row) const { return records_[rows_[row]]; }
    [[nodiscard]] const std::vector<FILESTS_INFO>& Records() const { return records_; }
    // A row of the response list with no message behind it.
    [[nodiscard]] bool IsAbsentRow(int row) const;
    [[nodiscard]] std::u16string Cell(int row, int column) const;
    // The folder to show in the file manager for `row`: the folder of its
    // message, or the list's box folder for a row without one (or -1).
    [[nodiscard]] std::filesystem::path MessageFolder(int row) const;

    // --------------------------------------------------------------- sort
    // Newest first within each box, boxes in ascending order.
    void ApplyDefaultOrder();
    void ResetSort();
    // A click on a column header; ignored by the response list (false).
    bool HeaderClick(int column);
    [[nodiscard]] int SortColumn() const { return sortColumn_; }
    [[nodiscard]] SortDirection LastDirection() const { return lastDirection_; }
    [[nodiscard]] bool Sorted() const { return sorted_; }

    // ------------------------------------------------ counters and flags
    [[nodiscard]] StatusCounts Counts() const;
    [[nodiscard]] CommandFlags Flags(const std::vector<int>& selectedRows) const;
    [[nodiscard]] bool NotDownloadedFlag() const { return notDownloaded_; }

    // A click on the flag cell of `row`: the record's flag turns over and is
    // written into its file at once. False, with the flag as it was, when the
    // row has no file or the file cannot be rewritten.
    bool ToggleFlag(int row);

private:
    bool buildBoxRows(const BuildHooks& hooks);
    void buildResponseRows(const BuildHooks& hooks);
    void countRow(const FILESTS_INFO& r);
    void keepRecords(const std::function<bool(const FILESTS_INFO&)>& keep);
    void resetCounts();
    void order();
    void sortBy(int column, SortDirection direction);
    [[nodiscard]] int columnOfKind(CellKind kind) const;

    ListSource source_;
    bool responseList_ = false;
    std::vector<ColumnSpec> columns_;
    std::vector<FILESTS_INFO> records_;
    std::vector<int> rows_;
    int mode_ = display::kAll;
    bool keepSort_ = false;
    int sortColumn_ = -1;
    SortDirection lastDirection_ = SortDirection::Ascending;
    bool sorted_ = false;
    bool notDownloaded_ = false;
    std::function<bool(const FILESTS_INFO&)> criteria_;
    std::int64_t boxTotal_ = 0, shown_ = 0, played_ = 0, unplayed_ = 0;
};

}  // namespace plova
