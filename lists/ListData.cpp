#include "lists/ListData.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kVminfMark = u".vminf";
constexpr std::u16string_view kVmdatMark = u".vmdat";
constexpr std::size_t kResponseKeyLength = 3;
// Rows made between two dispatched events: often enough for a live window,
// rarely enough that 10,000 rows do not wait on the event loop.
constexpr int kRowsPerPump = 64;

bool contains(const std::u16string& text, std::u16string_view part) {
    return text.find(part) != text.npos;
}

// A box of a definition names one folder below "rusuroku" or "naisen"; a
// hand-edited name that would reach elsewhere names none.
bool plainFolderName(const std::u16string& name) {
    if (name == u"." || name == u"..") return false;
    return name.find(u'/') == name.npos && name.find(u'\\') == name.npos && name.find(u'\0') == name.npos;
}

// Letters compare without regard to case, ASCII and full-width alike.
char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
    if (c >= u'Ａ' && c <= u'Ｚ') return static_cast<char16_t>(c - u'Ａ' + u'ａ');
    return c;
}

std::u16string sortKey(std::u16string text) {
    std::transform(text.begin(), text.end(), text.begin(), foldCase);
    return text;
}

std::u16string withSeparator(std::u16string root) {
    const char16_t sep = static_cast<char16_t>(fs::path::preferred_separator);
    if (!root.empty() && root.back() != sep) root += sep;
    return root;
}

}  // namespace

std::u16string ListWindowTitle(std::u16string_view definition, int displayMode) {
    std::u16string title(definition);
    if (displayMode == display::kSelect) title += u" - 選択表示中";
    if (displayMode == display::kNotDownloaded) title += u" - 未ﾀﾞｳﾝﾛｰﾄﾞ表示中";
    return title;
}

void ListData::SetSource(ListSource source, std::vector<ColumnSpec> boxColumns) {
    source.root = withSeparator(std::move(source.root));
    source_ = std::move(source);
    responseList_ = ListKindOf(source_.definition) == listdef::kResponseListKind;
    columns_ = responseList_ ? ResponseListColumns() : std::move(boxColumns);
    if (sortColumn_ >= static_cast<int>(columns_.size())) ResetSort();
}

// ------------------------------------------------------------------ displays

bool ListData::FullDisplay(bool fromRefresh, const BuildHooks& hooks) {
    if (!fromRefresh) {
        mode_ = display::kAll;
        keepSort_ = false;
    }
    bool complete = true;
    if (responseList_)
        buildResponseRows(hooks);
    else
        complete = buildBoxRows(hooks);
    boxTotal_ = shown_;
    order();
    return complete;
}

void ListData::resetCounts() {
    shown_ = played_ = unplayed_ = 0;
    notDownloaded_ = false;
}

void ListData::countRow(const FILESTS_INFO& r) {
    ++shown_;
    if (r.downloadState == kPlayedOnMainUnit) ++played_;
    if (r.downloadState == kUnplayedOnMainUnit) ++unplayed_;
    if (!responseList_ && contains(r.filePath, kVminfMark)) notDownloaded_ = true;
}

bool ListData::buildBoxRows(const BuildHooks& hooks) {
    const BoxSelection boxes = ReadDefinition(source_.definition);
    const std::u16string folder = source_.root + source_.folderName;
    std::vector<fs::path> boxFolders;
    auto add = [&](const std::vector<std::u16string>& names, std::u16string_view kind) {
        for (const std::u16string& name : names)
            if (plainFolderName(name)) boxFolders.push_back(PathOfText(folder) / PathOfText(kind) / PathOfText(name));
    };
    add(boxes.answering, store::kAnsweringFolder);
    add(boxes.extension, store::kExtensionFolder);

    records_.clear();
    rows_.clear();
    resetCounts();
    // The boxes are read first and the rows made from what was read: one
    // pass over each folder, and the progress range is the messages there are.
    std::vector<std::vector<FILESTS_INFO>> loaded(boxFolders.size());
    std::size_t total = 0;
    for (std::size_t b = 0; b < boxFolders.size(); ++b) {
        if (hooks.abandon && hooks.abandon()) return false;
        CFileMng::LoadFolderRecords(boxFolders[b], loaded[b]);
        total += loaded[b].size();
        CurrentPorts().pump->DispatchOne();
    }
    records_.reserve(total);
    rows_.reserve(total);
    if (hooks.range) hooks.range(static_cast<int>(total));
    for (std::vector<FILESTS_INFO>& box : loaded) {
        for (FILESTS_INFO& r : box) {
            if (r.filePath.empty()) break;
            const int index = static_cast<int>(records_.size());
            // The window stays live while the rows go in.
            if (index % kRowsPerPump == 0) CurrentPorts().pump->DispatchOne();
            records_.push_back(std::move(r));
            rows_.push_back(index);
            countRow(records_.back());
            if (hooks.advance) hooks.advance(index);
        }
        std::vector<FILESTS_INFO>().swap(box);
    }
    return true;
}

void ListData::buildResponseRows(const BuildHooks& hooks) {
    const fs::path outou = PathOfText(source_.root + source_.folderName) / PathOfText(store::kResponseFolder);
    if (hooks.range) hooks.range(CFileMng::CountMessages(outou));
    std::vector<FILESTS_INFO> work;
    CFileMng::LoadFolderRecords(outou, work);
    // The first message, in load order, for each number.
    std::unordered_map<std::u16string, std::size_t> first;
    for (std::size_t i = 0; i < work.size(); ++i)
        if (work[i].boxNumber.size() >= kResponseKeyLength)
            first.emplace(work[i].boxNumber.substr(0, kResponseKeyLength), i);

    records_.assign(listcol::kResponseMessages, FILESTS_INFO{});
    rows_.clear();
    resetCounts();
    for (int k = 1; k <= listcol::kResponseMessages; ++k) {
        CurrentPorts().pump->DispatchOne();
        char digits[16];
        std::snprintf(digits, sizeof digits, "%03d", k);
        const std::u16string key = FromUtf8(digits);
        FILESTS_INFO& slot = records_[static_cast<std::size_t>(k - 1)];
        if (const auto it = first.find(key); it != first.end()) {
            slot = work[it->second];
            // Every message of the list counts as played.
            slot.downloadState = kPlayedOnMainUnit;
            countRow(slot);
            if (hooks.advance) hooks.advance(k - 1);
        } else {
            slot.boxNumber = key;
            slot.recordingTime = std::u16string(listcol::kNoRecordingTime);
        }
        rows_.push_back(k - 1);
    }
}

void ListData::keepRecords(const std::function<bool(const FILESTS_INFO&)>& keep) {
    // The record array becomes the kept records alone, in array order.
    std::vector<FILESTS_INFO> kept;
    for (FILESTS_INFO& r : records_)
        if (keep(r)) kept.push_back(std::move(r));
    records_ = std::move(kept);
    rows_.clear();
    resetCounts();
    for (std::size_t i = 0; i < records_.size(); ++i) {
        rows_.push_back(static_cast<int>(i));
        countRow(records_[i]);
    }
}

void ListData::NotDownloadedDisplay(bool fromButton) {
    if (responseList_) return;
    if (mode_ != display::kAll) {
        mode_ = display::kAll;
        FullDisplay(true);
    }
    mode_ = display::kNotDownloaded;
    if (fromButton) keepSort_ = false;
    keepRecords([](const FILESTS_INFO& r) { return contains(r.filePath, kVminfMark); });
    order();
}

bool ListData::SelectDisplay(const std::function<bool(const FILESTS_INFO&)>& matches, bool fromButton) {
    if (mode_ != display::kAll) {
        mode_ = display::kAll;
        FullDisplay(true);
    }
    if (!matches || std::none_of(records_.begin(), records_.end(), matches)) {
        mode_ = display::kAll;
        return false;
    }
    mode_ = display::kSelect;
    criteria_ = matches;
    keepRecords(matches);
    // After a move the matches stay in record order; otherwise the default order.
    if (fromButton || keepSort_) {
        ResetSort();
        ApplyDefaultOrder();
    }
    return true;
}

RefreshEnd ListData::Refresh(bool keepSort, const BuildHooks& hooks) {
    keepSort_ = keepSort;
    if (!keepSort_) ResetSort();
    const int mode = mode_;
    mode_ = display::kAll;
    const bool complete = FullDisplay(true, hooks);
    bool matched = true;
    if (mode == display::kNotDownloaded && !responseList_)
        NotDownloadedDisplay(false);
    else if (mode == display::kSelect && criteria_)
        matched = SelectDisplay(criteria_, false);
    if (!complete) return RefreshEnd::Abandoned;
    return matched ? RefreshEnd::Done : RefreshEnd::NoMatch;
}

// ----------------------------------------------------------------------- rows

fs::path ListData::MessageFolder(int row) const {
    if (row >= 0 && row < RowCount() && !RecordOfRow(row).filePath.empty())
        return PathOfText(RecordOfRow(row).filePath).parent_path();
    return PathOfText(source_.root + source_.folderName);
}

bool ListData::IsAbsentRow(int row) const {
    return responseList_ && RecordOfRow(row).filePath.empty();
}

std::u16string ListData::Cell(int row, int column) const {
    const int index = rows_[row];
    const FILESTS_INFO& r = records_[index];
    // A response row shows its own message number: the select display keeps
    // some records only, so the row's place says nothing about it.
    return CellText(r, columns_[column].kind, source_.root, !(responseList_ && r.filePath.empty()),
                    responseList_ ? ResponseNumberOf(r) : 0);
}

// ----------------------------------------------------------------------- sort

int ListData::columnOfKind(CellKind kind) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].kind == kind) return static_cast<int>(i);
    return -1;
}

void ListData::sortBy(int column, SortDirection direction) {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return;
    // Cells compare as shown: one key per record, made once.
    std::vector<std::u16string> keys(records_.size());
    for (int row = 0; row < RowCount(); ++row) keys[rows_[row]] = sortKey(Cell(row, column));
    if (direction == SortDirection::Ascending)
        std::stable_sort(rows_.begin(), rows_.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    else
        std::stable_sort(rows_.begin(), rows_.end(), [&](int a, int b) { return keys[b] < keys[a]; });
}

void ListData::ApplyDefaultOrder() {
    if (responseList_) return;
    sortBy(columnOfKind(CellKind::Date), SortDirection::Descending);
    sortBy(columnOfKind(CellKind::BoxNumber), SortDirection::Ascending);
}

void ListData::ResetSort() {
    sortColumn_ = -1;
    sorted_ = false;
}

void ListData::order() {
    if (responseList_) return;
    if (keepSort_ && sorted_) {
        ApplyDefaultOrder();
        sortBy(sortColumn_, lastDirection_);
        return;
    }
    ResetSort();
    ApplyDefaultOrder();
}

bool ListData::HeaderClick(int column) {
    if (responseList_ || column < 0 || column >= static_cast<int>(columns_.size())) return false;
    ApplyDefaultOrder();
    SortDirection direction = lastDirection_;
    if (column == sortColumn_)
        direction = lastDirection_ == SortDirection::Ascending ? SortDirection::Descending : SortDirection::Ascending;
    else if (sortColumn_ < 0 && columns_[column].kind == CellKind::BoxNumber)
        // The default order already lists the boxes ascending.
        direction = SortDirection::Descending;
    sortBy(column, direction);
    sortColumn_ = column;
    lastDirection_ = direction;
    sorted_ = true;
    return true;
}

// --------------------------------------------------------- counters and flags

StatusCounts ListData::Counts() const {
    StatusCounts c;
    c.systemResponseList = responseList_;
    c.boxTotal = boxTotal_;
    c.listTotal = shown_;
    c.played = played_;
    c.unplayed = unplayed_;
    c.displayMode = mode_;
    return c;
}

CommandFlags ListData::Flags(const std::vector<int>& selectedRows) const {
    CommandFlags f;
    f.notDownloaded = !responseList_ && notDownloaded_;
    std::vector<int> selected;
    for (int row : selectedRows)
        if (row >= 0 && row < RowCount()) selected.push_back(row);
    if (selected.empty()) return f;
    bool anyVoice = false, anyPresent = false;
    for (int row : selected) {
        anyVoice = anyVoice || contains(RecordOfRow(row).filePath, kVmdatMark);
        anyPresent = anyPresent || !IsAbsentRow(row);
    }
    const bool single = selected.size() == 1;
    f.hasVoice = anyVoice;
    f.play = single && anyVoice;
    f.move = anyVoice && !responseList_;
    f.add = single && responseList_;
    f.upload = responseList_ && anyVoice;
    f.erase = single ? (anyVoice || !responseList_) : (!responseList_ || anyPresent);
    return f;
}

bool ListData::ToggleFlag(int row) {
    if (row < 0 || row >= RowCount() || RecordOfRow(row).filePath.empty()) return false;
    FILESTS_INFO& shown = records_[rows_[row]];
    const std::uint8_t next = shown.flag != 0 ? 0 : 1;
    // Only the flag changes on disk: what the list shows besides (the response
    // list counts every message as played) stays out of the file.
    FILESTS_INFO onDisk;
    if (!CFileMng::ReadStatusRecord(shown.Path(), onDisk)) return false;
    onDisk.flag = next;
    if (CFileMng::WriteStatusRecord(onDisk, shown.Path()) != store::RecordWrite::Written) return false;
    shown.flag = next;
    return true;
}

}  // namespace plova
