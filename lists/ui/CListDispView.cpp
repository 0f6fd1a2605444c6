#include "lists/ui/CListDispView.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_set>

#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/CPrgOpenDlg.h"
#include "lists/ui/ListHost.h"
#include "lists/ui/ListModel.h"
#include "platform/CommandIds.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace {

constexpr char16_t kNoMatch[] = u"該当するメッセージがありません。";
constexpr char16_t kErrorCaption[] = u"エラー";

std::filesystem::path pathOf(std::u16string_view text) {
    return PathOfText(text);
}

}  // namespace

CListDispView::CListDispView(ListHost& host, int listNumber, QWidget* parent)
    : QWidget(parent),
      host_(host),
      listNumber_(listNumber),
      model_(new ListModel(data_, this)),
      list_(new CDataListCtrl(this)) {
    setObjectName(QStringLiteral("CListDispView"));
    list_->setObjectName(QStringLiteral("CDataListCtrl"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    list_->setModel(model_);
    setFocusProxy(list_);
    connect(list_, &CDataListCtrl::HeaderClicked, this, &CListDispView::onHeaderClicked);
    connect(list_, &CDataListCtrl::FlagCellClicked, this, &CListDispView::onFlagCell);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const std::vector<int> rows = SelectedRows();
        selectedItem_ = rows.size() == 1 ? rows.front() : -1;
        publishFlags();
    });
    connect(list_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) host_.RunListCommand(cmd::kEditRecording);
    });
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &CListDispView::onRowMenu);
    list_->installEventFilter(this);
}

void CListDispView::onRowMenu(const QPoint& at) {
    // A right click on a row outside the selection takes that row, as in
    // every file list; one inside it keeps the selection.
    const QModelIndex index = list_->indexAt(at);
    if (index.isValid()) {
        const std::vector<int> rows = SelectedRows();
        if (std::find(rows.begin(), rows.end(), index.row()) == rows.end()) SelectRows({index.row()});
    }
    host_.ShowRowMenu(list_->viewport()->mapToGlobal(at));
}

bool CListDispView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                host_.RunRowCommand(cmd::kPlay);
                return true;
            }
            if (key->key() == Qt::Key_Delete) {
                host_.RunRowCommand(cmd::kErase);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::filesystem::path CListDispView::CurrentMessageFolder() const {
    const std::vector<int> rows = SelectedRows();
    return data_.MessageFolder(rows.empty() ? -1 : rows.front());
}

CListDispView::~CListDispView() = default;

// ------------------------------------------------------------------ status

std::int64_t CListDispView::CountFolderTotal() const {
    const ListSlotTable table = host_.Slots();
    if (listNumber_ < 1 || listNumber_ > listslots::kSlots) return 0;
    const std::filesystem::path folder = pathOf(host_.RootFolder()) / pathOf(table.folderNames[listNumber_ - 1]);
    std::int64_t total = 0;
    for (std::u16string_view kind : {store::kAnsweringFolder, store::kExtensionFolder})
        for (const auto& box : CFileMng::ListSubFolders(folder / pathOf(kind))) total += CFileMng::CountMessages(box);
    return total;
}

CommandFlags CListDispView::Flags() const {
    return data_.Flags(SelectedRows());
}

void CListDispView::publishFlags() {
    // Only the active list speaks for the command bar.
    QMdiArea* area = host_.ListArea();
    const QMdiSubWindow* active = area ? area->currentSubWindow() : nullptr;
    if (active && active->widget() == this) host_.PublishListFlags(Flags());
}

// ---------------------------------------------------------------- displays

void CListDispView::loadSource(bool keepColumns) {
    // The definition is read from the slot at every build: a closing list
    // may have moved this one down. The columns come from the settings
    // unless they are to stay.
    const ListSlotTable table = host_.Slots();
    const int slot = std::clamp(listNumber_, 1, listslots::kSlots);
    data_.SetSource({host_.RootFolder(), table.folderNames[slot - 1], table.Definition(slot)},
                    keepColumns ? data_.Columns() : BoxListColumns(host_.BoxColumns()));
}

BuildHooks CListDispView::hooks(CPrgOpenDlg* progress) {
    BuildHooks hooks;
    if (progress) {
        hooks.range = [progress](int total) { progress->SetRange(total); };
        hooks.advance = [progress](int index) { progress->SetPos(index); };
    }
    hooks.abandon = [this] { return host_.BackupAbandonsListWork(); };
    return hooks;
}

void CListDispView::rebuild(const std::function<void()>& work, bool keepSelection) {
    std::unordered_set<int> keep;
    if (keepSelection)
        for (int r : SelectedRecords()) keep.insert(r);
    const int current = currentIndexRecord();
    const bool hadFocus = list_->hasFocus();
    // Only a build pumps messages: the main window takes no input meanwhile.
    if (!keepSelection) host_.SetListBusy(true);
    list_->SetRedraw(false);
    model_->BeginRebuild();
    work();
    model_->EndRebuild();
    if (!keep.empty()) {
        std::vector<int> rows;
        for (int row = 0; row < data_.RowCount(); ++row)
            if (keep.count(data_.RecordIndexOfRow(row))) rows.push_back(row);
        SelectRows(rows);
    }
    if (keepSelection && current >= 0)
        for (int row = 0; row < data_.RowCount(); ++row)
            if (data_.RecordIndexOfRow(row) == current) {
                list_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
                list_->scrollTo(model_->index(row, 0));
                break;
            }
    list_->SetRedraw(true);
    if (!keepSelection) host_.SetListBusy(false);
    if (hadFocus) list_->setFocus();
    showSortPicture();
    publishFlags();
    showTitle();
}

void CListDispView::showTitle() {
    // The window's title says when it shows only some of its messages.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->setWindowTitle(
            QString::fromStdU16String(ListWindowTitle(data_.Source().definition, data_.DisplayMode())));
}

int CListDispView::currentIndexRecord() const {
    const QModelIndex i = list_->currentIndex();
    return i.isValid() && i.row() < data_.RowCount() ? data_.RecordIndexOfRow(i.row()) : -1;
}

void CListDispView::FirstDisplay() {
    loadSource(false);
    CPrgOpenDlg progress(host_.DialogParent());
    progress.show();
    rebuild([&] { data_.FullDisplay(false, hooks(&progress)); }, false);
    progress.close();
    fitColumnWidths();
    firstBuild_ = false;
    host_.RefreshStatusBar(false);
}

void CListDispView::fitColumnWidths() {
    list_->FitColumnWidths([this](int row, int column) { return data_.Cell(row, column); });
}

void CListDispView::redisplay(const std::function<void()>& work, bool fitColumns) {
    // Widths measured on an empty list fit the headings only.
    const bool wasEmpty = data_.RowCount() == 0;
    rebuild(work, false);
    if (fitColumns || (wasEmpty && data_.RowCount() > 0)) fitColumnWidths();
}

void CListDispView::ShowAll() {
    loadSource(true);
    redisplay([&] { data_.FullDisplay(false, hooks(nullptr)); });
    host_.RefreshStatusBar(false);
}

void CListDispView::ShowNotDownloaded() {
    loadSource(true);
    redisplay([&] { data_.NotDownloadedDisplay(true); });
    host_.RefreshStatusBar(false);
}

void CListDispView::Refresh(bool keepSort, bool rebuildColumns, bool reselect) {
    const int item = selectedItem_;
    loadSource(!rebuildColumns);
    RefreshEnd end = RefreshEnd::Done;
    // The response list always has its 300 rows: its widths follow what a
    // command changed (a longer name, a new file) at every refresh.
    redisplay([&] { end = data_.Refresh(keepSort, hooks(nullptr)); }, rebuildColumns || data_.IsResponseList());
    if (reselect && item >= 0 && item < data_.RowCount()) {
        SelectRows({item});
        list_->setFocus();
    }
    host_.RefreshStatusBar(false);
    // The select display no longer matches anything: the list shows every
    // message again, and says why rather than switching silently.
    if (end == RefreshEnd::NoMatch) ShowPrompt(kNoMatch, kErrorCaption, Icon::Exclamation);
}

bool CListDispView::SelectDisplay(const std::function<bool(const FILESTS_INFO&)>& matches) {
    bool matched = false;
    redisplay([&] { matched = data_.SelectDisplay(matches, true); });
    if (!matched) ShowPrompt(kNoMatch, kErrorCaption, Icon::Exclamation);
    host_.RefreshStatusBar(false);
    return matched;
}

// -------------------------------------------------------------------- rows

std::vector<int> CListDispView::SelectedRows() const {
    std::vector<int> rows = list_->SelectedRows();
    std::erase_if(rows, [this](int r) { return r >= data_.RowCount(); });
    return rows;
}

std::vector<int> CListDispView::SelectedRecords() const {
    std::vector<int> records;
    for (int row : SelectedRows()) records.push_back(data_.RecordIndexOfRow(row));
    return records;
}

void CListDispView::ConvertSelected(ConversionHost& host, int levelSetting) {
    std::vector<FILESTS_INFO> rows;
    for (int index : SelectedRecords()) rows.push_back(data_.Records()[static_cast<std::size_t>(index)]);
    plova::ConvertSelected(rows, levelSetting, host);
}

PlayResult CListDispView::PlayCurrent(ConversionHost& host, PlaySettings settings) {
    const std::vector<int> selected = SelectedRecords();
    if (selected.empty()) return PlayResult::NotPlayed;
    settings.responseList = data_.IsResponseList();
    // A copy: the list may be built again while the conversion window pumps.
    const FILESTS_INFO record = data_.Records()[static_cast<std::size_t>(selected.front())];
    return plova::PlayCurrent(record, settings, host);
}

void CListDispView::SelectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (int row : rows)
        if (row >= 0 && row < data_.RowCount())
            selection.select(model_->index(row, 0), model_->index(row, model_->columnCount() - 1));
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty() && rows.front() >= 0 && rows.front() < data_.RowCount()) {
        list_->selectionModel()->setCurrentIndex(model_->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
        list_->scrollTo(model_->index(rows.front(), 0));
    }
}

void CListDispView::onHeaderClicked(int column) {
    if (data_.IsResponseList()) return;
    rebuild([&] { data_.HeaderClick(column); }, true);
}

void CListDispView::onFlagCell(int row, int column) {
    if (model_->Rebuilding() || !data_.ToggleFlag(row)) return;
    model_->CellChanged(row, column);
}

void CListDispView::showSortPicture() {
    list_->Header()->SetSortPicture(data_.Sorted() ? data_.SortColumn() : -1,
                                    data_.LastDirection() == SortDirection::Ascending);
}

void CListDispView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    list_->setFocus();
}

}  // namespace plova::ui
