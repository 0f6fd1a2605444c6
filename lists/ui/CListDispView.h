// The view of a list window: its message list over the rows of one slot of
// the table of open lists, its display modes and sort, and what it reports
// to the main window (status counts, enable flags).
//
// Later commands reach the list through the seams here: the selected rows
// and their records, Refresh() after they changed messages, SelectDisplay()
// for the select display.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "lists/ConvertAndPlay.h"
#include "lists/ListData.h"
#include "lists/ui/ListWindowStatus.h"

namespace plova::ui {

class CDataListCtrl;
class ListModel;
class ListHost;

class CListDispView final : public QWidget, public ListWindowStatus {
    Q_OBJECT
public:
    CListDispView(ListHost& host, int listNumber, QWidget* parent = nullptr);
    ~CListDispView() override;

    // ---------------------------------------------------- ListWindowStatus
    [[nodiscard]] int ListNumber() const override { return listNumber_; }
    [[nodiscard]] bool IsSystemResponseList() const override { return data_.IsResponseList(); }
    [[nodiscard]] StatusCounts Counts() const override { return data_.Counts(); }
    [[nodiscard]] std::int64_t CountFolderTotal() const override;
    [[nodiscard]] CommandFlags Flags() const override;

    // A closing list before it moved this one down a slot.
    void SetListNumber(int listNumber) { listNumber_ = listNumber; }

    // ---------------------------------------------------------- displays
    // The first build: columns and rows of the slot, with the progress window.
    void FirstDisplay();
    void ShowAll();            // "全表示"
    void ShowNotDownloaded();  // "未ﾀﾞｳﾝﾛｰﾄﾞ表示"
    // After a command changed messages, names or columns: the same display
    // again, the user's sort kept when `keepSort`, the columns built anew
    // from the settings when `rebuildColumns`, the single row that was
    // selected selected again when `reselect`.
    void Refresh(bool keepSort, bool rebuildColumns = false, bool reselect = false);
    // The select display; false (every row shown) when nothing matches.
    bool SelectDisplay(const std::function<bool(const FILESTS_INFO&)>& matches);

    // -------------------------------------------------------- selection
    [[nodiscard]] std::vector<int> SelectedRows() const;
    [[nodiscard]] int RowCount() const { return data_.RowCount(); }
    // Indices into Data().Records() of the selected rows.
    [[nodiscard]] std::vector<int> SelectedRecords() const;
    void SelectRows(const std::vector<int>& rows);
    // The folder of the first selected row's message, or of the list's boxes.
    [[nodiscard]] std::filesystem::path CurrentMessageFolder() const;

    // The cancel request of a running move or copy (message 1129, posted by
    // its progress window's Cancel button).
    Q_INVOKABLE void RequestMoveCopyCancel() { moveCopyCancel_ = true; }
    [[nodiscard]] bool MoveCopyCancelRequested() const { return moveCopyCancel_; }
    void ClearMoveCopyCancel() { moveCopyCancel_ = false; }

    // ------------------------------------------------ convert and play
    // "変換": the voice data of the selected rows, in list order, into WAV files.
    void ConvertSelected(ConversionHost& host, int levelSetting);
    // "再生": the current (first selected) row's WAV file, converted first if
    // need be, handed to the desktop's player; the response list is told to
    // the command here. NotPlayed also with no row selected.
    PlayResult PlayCurrent(ConversionHost& host, PlaySettings settings);

    ListData& Data() { return data_; }
    [[nodiscard]] const ListData& Data() const { return data_; }
    [[nodiscard]] CDataListCtrl* List() const { return list_; }
    [[nodiscard]] bool FirstBuildDone() const { return !firstBuild_; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    // Enter plays and Delete deletes, as the buttons do.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs `work` with the model frozen. A build (`keepSelection` false) holds
    // the main window; a reorder carries the selection over by record.
    void rebuild(const std::function<void()>& work, bool keepSelection);
    void showTitle();
    // A display built anew by `work`; the columns are sized to the rows when
    // `fitColumns`, and when the list gains its first rows.
    void redisplay(const std::function<void()>& work, bool fitColumns = false);
    BuildHooks hooks(class CPrgOpenDlg* progress);
    void onHeaderClicked(int column);
    void onFlagCell(int row, int column);
    void onRowMenu(const QPoint& at);
    void showSortPicture();
    void fitColumnWidths();
    void publishFlags();
    void loadSource(bool keepColumns);
    [[nodiscard]] int currentIndexRecord() const;

    ListHost& host_;
    int listNumber_;
    ListData data_;
    ListModel* model_;
    CDataListCtrl* list_;
    bool firstBuild_ = true;
    int selectedItem_ = -1;  // the single selected row, for a reselect
    bool moveCopyCancel_ = false;
};

}  // namespace plova::ui
